// Our boot ROM: its vectors and console flag, its fixed delays, the
// seek to track 0, and booting a raw boot track at $2200.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "image/image_options.h"
#include "format/signal_encoder.h"
#include "image/geometry.h"
#include "image/image_builder.h"
#include "sim/boot_rom.h"
#include "disk/boot_disk_facts.h"
#include "sim/boot_run.h"
#include "sim/machine.h"

namespace {

uint8_t rom_byte(const BootRom& rom, uint16_t address) { return rom[address - ROM_START]; }
uint16_t rom_word(const BootRom& rom, uint16_t address) {
    return static_cast<uint16_t>(rom_byte(rom, address) | rom_byte(rom, address + 1) << 8);
}

TEST(BootRom, VectorsAndConsoleFlag) {
    const BootRom rom = build_boot_rom();
    EXPECT_EQ(rom_word(rom, 0xFFFC), ROM_RESET_ENTRY);
    EXPECT_EQ(rom_word(rom, 0xFFFA), ROM_MONITOR_ENTRY);
    EXPECT_EQ(rom_word(rom, 0xFFFE), ROM_MONITOR_ENTRY);
    EXPECT_NE(rom_byte(rom, 0xFE01), 0);  // the loader's error display carries on
    EXPECT_EQ(ROM_CONSOLE_FLAG, 0xFE01);
    EXPECT_EQ(ROM_MONITOR_WARM_ENTRY, 0xFE0B);
}

// A disk with nothing on it: the ROM seeks and waits for ever.
DiskSignal blank_disk() {
    DiskSignal disk{DiskFormat::mini, 125000, {}};
    disk.tracks.resize(40);
    for (TrackSignal& track : disk.tracks) track.bits.assign(25000, 1);
    return disk;
}

// Runs the ROM until the head is loaded, with the head starting on start_track.
std::unique_ptr<Machine> run_to_head_load(const DiskSignal& disk, uint64_t cpu_hz, int start_track) {
    auto machine = std::make_unique<Machine>();
    Machine& m = *machine;
    machine_power_on(m, disk, MachineSettings{cpu_hz, 5500.0, start_track}, build_boot_rom());
    const uint64_t limit = cpu_hz * 10;
    while (!drive_head_loaded(m.drive) && m.cpu.cycles < limit && cpu_step(m.cpu, m) > 0) {
    }
    return machine;
}

TEST(BootRom, DelaysAreFixedCycleLoops) {
    // Power-on wait 250 ms, step in, 25 ms, step out, 25 ms, load the head:
    // milliseconds at 983040 Hz (983.04 cycles each), the same number of
    // cycles at every clock, within a few instructions.
    constexpr double CYCLES_PER_STANDARD_MS = 983040 / 1000.0;
    constexpr double SLACK_CYCLES = 100;
    for (uint64_t hz : {100000ull, 983040ull, 1966080ull, 20000000ull}) {
        SCOPED_TRACE(hz);
        const DiskSignal disk = blank_disk();
        const auto machine = run_to_head_load(disk, hz, 0);
        const Machine& m = *machine;
        ASSERT_TRUE(drive_head_loaded(m.drive));
        const std::vector<TrackVisit>& visits = m.watch.visits;
        ASSERT_EQ(visits.size(), 3u);  // track 0, track 1, track 0
        EXPECT_EQ(visits[1].track, 1);
        EXPECT_EQ(visits[2].track, 0);
        const auto cycles = [](uint64_t from, uint64_t to) { return static_cast<double>(to - from); };
        EXPECT_NEAR(cycles(0, visits[1].arrived_cycle), 250 * CYCLES_PER_STANDARD_MS, SLACK_CYCLES);
        EXPECT_NEAR(cycles(visits[1].arrived_cycle, visits[2].arrived_cycle), 25 * CYCLES_PER_STANDARD_MS,
                    SLACK_CYCLES);
        EXPECT_NEAR(cycles(visits[2].arrived_cycle, m.cpu.cycles), 25 * CYCLES_PER_STANDARD_MS, SLACK_CYCLES);
    }
}

TEST(BootRom, SteppingInOnceThenOutToTrackZero) {
    const DiskSignal disk = blank_disk();
    const auto machine = run_to_head_load(disk, 983040, 7);
    std::vector<int> tracks;
    for (const TrackVisit& visit : machine->watch.visits) tracks.push_back(visit.track);
    EXPECT_EQ(tracks, (std::vector<int>{7, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
}

// A raw boot track made by the image builder from code for $2200.
DiskSignal raw_boot_disk(DiskFormat format, const ProgramBytes& code) {
    const DiskGeometry& g = geometry_for(format);
    ImageOptions options;
    options.format = format;
    options.raw_boot = true;
    options.load_address = 0x2200;
    DiskImage image;
    allocate_image(g, image);
    build_image(options, g, code, image);
    SignalLayoutReport layout;
    return image_to_signal(g, image.bytes.get(), default_signal_timing(format), layout);
}

// LDA #$42, STA $D000, JMP $2205
const ProgramBytes SCREEN_WRITER = {0xA9, 0x42, 0x8D, 0x00, 0xD0, 0x4C, 0x05, 0x22};

TEST(BootRom, BootsARawBootTrack) {
    struct Case {
        DiskFormat format;
        uint64_t cpu_hz;
        int start_track;
        double revolution_s, lead_in_s, bit_s;
    } cases[] = {
        {DiskFormat::mini, 983040, 0, 0.2, 0.0117, 1.0 / 125000},
        {DiskFormat::mini, 983040, 20, 0.2, 0.0117, 1.0 / 125000},
        {DiskFormat::full, 1966080, 0, 60.0 / 360, 0.0032, 1.0 / 250000},
        {DiskFormat::full, 983040, 0, 60.0 / 360, 0.0032, 1.0 / 250000},  // the ROM keeps up at 1 MHz
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.cpu_hz) + " from track " + std::to_string(c.start_track));
        const DiskSignal disk = raw_boot_disk(c.format, SCREEN_WRITER);
        BootSettings settings = default_boot_settings(c.format);
        settings.cpu_hz = c.cpu_hz;
        settings.start_track = c.start_track;
        settings.run_ms = 1;
        const BootReport report = simulate_boot(disk, settings);
        ASSERT_EQ(report.outcome, BootOutcome::started);
        EXPECT_FALSE(report.facts.loader);
        EXPECT_EQ(report.cpu.pc, 0x2200);
        EXPECT_EQ(report.bytes_lost, 0u);
        EXPECT_TRUE(std::equal(SCREEN_WRITER.begin(), SCREEN_WRITER.end(), report.memory.begin() + 0x2200));
        EXPECT_EQ(report.memory[0x2200 + SCREEN_WRITER.size()], 0);  // the rest of the page: the slot's zeros
        EXPECT_EQ(report.run_on, RunOnOutcome::ran);
        EXPECT_EQ(report.video[0], 0x42);
        ASSERT_EQ(report.visits.size(), 1u);
        EXPECT_EQ(report.visits[0].track, 0);
        EXPECT_EQ(report.visits[0].run_start, 0x2200);
        EXPECT_EQ(report.visits[0].run_length, 256u);
        if (c.start_track != 0) continue;
        // Ready after 250 + 25 + 25 + 160 ms at 983040 Hz (half that at
        // twice the clock), the ROM waits for the next index hole, then takes
        // 3 header bytes and one page; the last byte is in with the middle of
        // its stop bit.
        const double ready = 0.460 * 983040 / static_cast<double>(c.cpu_hz);
        const double index = std::ceil(ready / c.revolution_s) * c.revolution_s;
        const double last_byte = index + c.lead_in_s + (11 * 258 + 10.5) * c.bit_s;
        EXPECT_NEAR(report_seconds(report, report.end_cycle), last_byte, 0.0002);
    }
}

}  // namespace
