// Fuzz target: arbitrary images booted on the simulated machine under a small
// emulated-time cap. Every boot must end, with a result. The input is
// patched into a real image (as in fuzz_image_reader) so that the loader
// gets far enough to meet the damage.
#include <cstddef>
#include <cstdint>

#include "image/image_builder.h"
#include "sim/boot_run.h"
#include "sim/disk_signal.h"

namespace {

constexpr double EMULATED_SECONDS = 3.0;

void require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    ImageOptions options;
    options.format = (data[0] & 1) ? DiskFormat::full : DiskFormat::mini;
    options.raw_boot = (data[0] & 2) != 0;
    options.load_address = data[1] << 8 | data[2];
    options.exec_address = options.load_address;
    const DiskGeometry& g = geometry_for(options.format);
    // Small programs keep each boot within the cap.
    const size_t limit = options.raw_boot ? max_input_raw(g) : 3 * g.track_payload;
    size_t length = static_cast<size_t>(data[3] << 8 | data[4]) % limit + 1;
    length = std::min(length, size - 5);
    if (length == 0) return 0;
    const ProgramBytes program(data + 5, data + 5 + length);
    DiskImage image;
    require(allocate_image(g, image));
    build_image(options, g, program, image);
    for (size_t at = 5 + length; at + 4 <= size; at += 4) {
        // Patches land on the first few tracks, where the boot spends its time.
        const size_t offset = (static_cast<size_t>(data[at]) << 16 | data[at + 1] << 8 | data[at + 2]) %
                              (5 * g.track_slot_size);
        image.bytes[offset] = data[at + 3];
    }

    SignalTiming timing = default_signal_timing(options.format);
    if (data[0] & 4) timing.lead_in_us = data[0] * 40.0;  // sometimes a lead-in that cannot work
    SignalLayoutReport layout;
    const DiskSignal signal = image_to_signal(g, image.bytes.get(), timing, layout);
    BootSettings settings = default_boot_settings(options.format);
    settings.max_seconds = EMULATED_SECONDS;
    if (data[0] & 8) settings.cpu_hz = 983040;
    const BootReport report = simulate_boot(signal, settings);
    (void)report;
    return 0;
}
