// Fuzz target: booting on the simulated machine, structure-aware. The input
// is read as decisions: the disk format and boot mode, the loader, load and
// execution addresses, the program's length and bytes, the machine's clock,
// index pulse and lead-in, then a list of faults, each aimed at something the boot
// ROM or the loader reads (a track header, the sector mark, the load header,
// the boot header) or at the track signal itself (flipped bits, a stretch of
// idle line). The image is built with the real builder, so every input is a
// disk that nearly works, and every boot must end with a result. Sometimes
// the boot is on another machine, with less RAM, keys typed while the
// program runs on and a text to wait for.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "disk/boot_disk_facts.h"
#include "format/signal_encoder.h"
#include "fuzz_input.h"
#include "image/boot_track.h"
#include "image/data_tracks.h"
#include "image/image_builder.h"
#include "sim/boot_run.h"

namespace {

constexpr double EMULATED_SECONDS = 2.5;
constexpr int MAX_DATA_TRACKS = 2;  // about 1.8 s to boot at 983040 Hz
constexpr int FAULT_TRACKS = 4;     // where the boot spends its time
constexpr size_t MAX_FAULTS = 8;
constexpr size_t MAX_IDLE_BITS = 4096;
constexpr size_t MAX_TYPED_KEYS = 32;
constexpr double RUN_ON_MS = 200.0;

// Load addresses a program for the machine would use, and any other.
const uint16_t TYPICAL_LOAD_ADDRESSES[] = {0x0200, 0x0300, 0x1000, 0x2200, 0x3A7E, 0x8000, 0xFF00};
const uint64_t CPU_CLOCKS[] = {983040, 1966080, 1000000, 500000};

enum FaultKind : uint8_t {
    track_header_byte,  // one of "CW", the BCD track number, "X"
    sector_header_byte, // the sector mark, number or page count
    load_header_byte,   // page count or load address
    boot_header_byte,   // track 0's load address or page count
    any_byte,           // anywhere on the faulted tracks
    flip_signal_bits,   // a few bits of one track's signal
    idle_signal_run,    // a stretch of one track's signal held at mark
    FAULT_KINDS,
};

uint16_t load_address(FuzzInput& in) {
    const size_t pick = in.below(std::size(TYPICAL_LOAD_ADDRESSES) + 1);
    return pick < std::size(TYPICAL_LOAD_ADDRESSES) ? TYPICAL_LOAD_ADDRESSES[pick] : in.word();
}

// The program: its length from the input, its bytes from the input repeated
// (a counter where the input has none), so that a short input makes a long program.
ProgramBytes program(FuzzInput& in, size_t limit) {
    ProgramBytes bytes(in.below(limit) + 1);
    const size_t seed_length = std::min<size_t>(in.byte(), in.size - std::min(in.at, in.size));
    const uint8_t* seed = in.data + std::min(in.at, in.size);
    for (size_t i = 0; i < bytes.size(); i++) bytes[i] = seed_length ? seed[i % seed_length] : static_cast<uint8_t>(i);
    in.at += seed_length;
    return bytes;
}

void fault_image(FaultKind kind, FuzzInput& in, const DiskGeometry& g, DiskImage& image) {
    const int track = static_cast<int>(in.below(FAULT_TRACKS));
    uint8_t* slot = image.bytes.get() + track_offset(g, track);
    const uint8_t value = in.byte();
    switch (kind) {
        case track_header_byte: slot[in.below(TRACK_HEADER_SIZE)] = value; break;
        case sector_header_byte: slot[DATA_SECTOR_MARK_OFFSET + in.below(3)] = value; break;
        case load_header_byte: slot[DATA_PAGE_COUNT_OFFSET + in.below(LOAD_HEADER_SIZE)] = value; break;
        case boot_header_byte: image.bytes[in.below(BOOT_CODE_OFFSET)] = value; break;
        default: slot[in.below(g.track_slot_size)] = value; break;
    }
}

// A fault to the signal, read from the input before the signal exists.
struct SignalFault {
    FaultKind kind;
    size_t track, start, length;
    uint8_t mask;
};

SignalFault read_signal_fault(FaultKind kind, FuzzInput& in) {
    SignalFault fault{kind, in.below(FAULT_TRACKS), static_cast<size_t>(in.word()) << 8 | in.byte(), 0, 0};
    if (kind == flip_signal_bits) {
        fault.mask = in.byte();
    } else {
        fault.length = in.below(MAX_IDLE_BITS);
    }
    return fault;
}

void fault_signal(const SignalFault& fault, DiskSignal& signal) {
    std::vector<uint8_t>& bits = signal.tracks[fault.track].bits;
    if (bits.empty()) return;
    for (size_t i = 0; i < 8; i++) {
        if (fault.mask >> i & 1) bits[(fault.start + i) % bits.size()] ^= 1;
    }
    for (size_t i = 0; i < fault.length; i++) bits[(fault.start + i) % bits.size()] = 1;
}

// The test bench: a machine for the disk's drive, its RAM, up to
// MAX_TYPED_KEYS keys (typing stops at the first one the keyboard cannot
// type) and how long each is held.
void add_test_bench(FuzzInput& in, BootSettings& settings) {
    const MachineProfile& machine = MACHINE_PROFILES[in.below(MACHINE_PROFILE_COUNT)];
    if (machine.drive == settings.bench.machine.drive) settings.bench.machine = machine;
    settings.bench.ram_kb = MIN_RAM_KB + in.byte() % MAX_RAM_KB;
    std::string text;
    for (size_t count = in.byte() % MAX_TYPED_KEYS; count > 0 && !in.empty(); count--) {
        text += static_cast<char>(in.byte());
    }
    std::string error;
    parse_typed_text(text, settings.bench.keys, error);
    settings.bench.key_ms = 1 + in.byte() % 50;
    settings.bench.shift_lock_down = in.flag();
    settings.bench.until = {"HELLO"};
    settings.run_ms = RUN_ON_MS;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const uint8_t mode = in.byte();
    ImageOptions options;
    options.format = (mode & 1) ? DiskFormat::full : DiskFormat::mini;
    options.raw_boot = (mode & 2) != 0;
    if (mode & 4) options.label = {'F', 'U', 'Z', 'Z'};
    // Which loader: a decision of its own, read only when there is one.
    if (!options.raw_boot && (in.byte() & 1)) options.loader = LoaderKind::fast;
    options.load_address = load_address(in);
    options.exec_address = (mode & 8) ? in.word() : options.load_address;
    const DiskGeometry& g = geometry_for(options.format);
    const size_t limit = options.raw_boot ? max_input_raw(g)
                                          : std::min(MAX_DATA_TRACKS * g.track_payload, max_input_loader(g));
    const ProgramBytes bytes = program(in, limit);
    DiskImage image;
    if (!allocate_image(g, image)) return 0;
    build_image(options, g, bytes, image);

    SignalTiming timing = default_signal_timing(options.format);
    BootSettings settings = default_boot_settings(options.format);
    settings.max_seconds = EMULATED_SECONDS;
    if (mode & 16) settings.cpu_hz = CPU_CLOCKS[in.below(std::size(CPU_CLOCKS))];
    if (mode & 32) timing.lead_in_us = in.below(static_cast<size_t>(revolution_microseconds(timing)));
    if (mode & 64) settings.index_us = 1 + in.below(static_cast<size_t>(revolution_microseconds(timing)) - 1);
    if (mode & 128) add_test_bench(in, settings);

    // Faults to the image first, then to the signal made from it.
    SignalFault signal_faults[MAX_FAULTS];
    size_t signal_fault_count = 0;
    for (size_t i = 0; i < MAX_FAULTS && !in.empty(); i++) {
        const auto kind = static_cast<FaultKind>(in.byte() % FAULT_KINDS);
        if (kind < flip_signal_bits) {
            fault_image(kind, in, g, image);
        } else {
            signal_faults[signal_fault_count++] = read_signal_fault(kind, in);
        }
    }
    SignalLayoutReport layout;
    DiskSignal signal = image_to_signal(g, image.bytes.get(), timing, layout);
    for (size_t i = 0; i < signal_fault_count; i++) fault_signal(signal_faults[i], signal);
    const BootReport report = simulate_boot(signal, settings);
    (void)report;
    return 0;
}
