// Fuzz target: arbitrary images booted on the simulated machine under a small
// emulated-time cap. Every boot must end, with a result. The input is
// patched into a real image (as in fuzz_image_reader) so that the loader
// gets far enough to meet the damage. Sometimes the input's bytes are also
// typed on the keyboard of a machine it picks, while the program runs on.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_image_input.h"
#include "disk/boot_disk_facts.h"
#include "sim/boot_run.h"
#include "format/signal_encoder.h"

namespace {

constexpr double EMULATED_SECONDS = 3.0;
constexpr int MAX_DATA_TRACKS = 3;  // about 2.5 s to boot at 983040 Hz
constexpr int PATCHED_TRACKS = 5;
constexpr size_t MAX_TYPED_BYTES = 64;
constexpr double RUN_ON_MS = 200.0;

// The machine, its RAM and the keys from the input's first bytes; typing
// stops at the first byte the keyboard cannot type.
void add_test_bench(const uint8_t* data, size_t size, BootSettings& settings) {
    const MachineProfile& machine = MACHINE_PROFILES[data[0] % MACHINE_PROFILE_COUNT];
    if (machine.drive == settings.bench.machine.drive) settings.bench.machine = machine;
    settings.bench.ram_kb = MIN_RAM_KB + data[size - 1] % MAX_RAM_KB;
    std::string error;
    parse_typed_text(std::string(data, data + std::min(size, MAX_TYPED_BYTES)), settings.bench.keys, error);
    settings.bench.key_ms = 1 + data[0] % 50;
    settings.bench.until = {"HELLO"};
    settings.run_ms = RUN_ON_MS;
}

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
    if (data[0] & 16) add_test_bench(data, size, settings);
    const BootReport report = simulate_boot(signal, settings);
    (void)report;
    return 0;
}
