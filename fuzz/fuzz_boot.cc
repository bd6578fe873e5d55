// Fuzz target: arbitrary images booted on the simulated machine under a small
// emulated-time cap. Every boot must end, with a result. The input is
// patched into a real image (as in fuzz_image_reader) so that the loader
// gets far enough to meet the damage.
#include <cstddef>
#include <cstdint>

#include "fuzz_image_input.h"
#include "disk/boot_disk_facts.h"
#include "sim/boot_run.h"
#include "format/signal_encoder.h"

namespace {

constexpr double EMULATED_SECONDS = 3.0;
constexpr int MAX_DATA_TRACKS = 3;  // about 2.5 s to boot at 983040 Hz
constexpr int PATCHED_TRACKS = 5;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Small programs keep each boot within the cap; damage lands on the first
    // few tracks, where the boot spends its time.
    FuzzImage made;
    if (!fuzz_image_from_input(data, size, MAX_DATA_TRACKS, PATCHED_TRACKS, made)) return 0;
    const ImageOptions& options = made.options;
    const DiskGeometry& g = *made.geometry;

    SignalTiming timing = default_signal_timing(options.format);
    if (data[0] & 4) timing.lead_in_us = data[0] * 40.0;  // sometimes a lead-in that cannot work
    SignalLayoutReport layout;
    const DiskSignal signal = image_to_signal(g, made.image.bytes.get(), timing, layout);
    BootSettings settings = default_boot_settings(options.format);
    settings.max_seconds = EMULATED_SECONDS;
    if (data[0] & 8) settings.cpu_hz = 983040;
    const BootReport report = simulate_boot(signal, settings);
    (void)report;
    return 0;
}
