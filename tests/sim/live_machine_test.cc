// The machine run in slices, as the web page runs it: it does what one boot
// run does, whatever the slices, and its record is readable mid-run.
#include <gtest/gtest.h>

#include <memory>

#include "disk/boot_disk_facts.h"
#include "format/signal_encoder.h"
#include "image/image_builder.h"
#include "sim/live_machine.h"

namespace {

// A 5000-byte program at $0300 on a 5.25-inch disk, three data tracks: a
// JMP $0300 that keeps the started machine busy, then a pattern.
DiskSignal program_disk(ProgramBytes& program) {
    program.resize(5000);
    for (size_t i = 0; i < program.size(); i++) program[i] = static_cast<uint8_t>(i * 7 + 3);
    program[0] = 0x4C;
    program[1] = 0x00;
    program[2] = 0x03;
    const DiskGeometry& geometry = geometry_for(DiskFormat::mini);
    ImageOptions options;
    options.load_address = 0x0300;
    DiskImage image;
    EXPECT_TRUE(allocate_image(geometry, image));
    build_image(options, geometry, program, image);
    SignalLayoutReport layout;
    return image_to_signal(geometry, image.bytes.get(), default_signal_timing(DiskFormat::mini), layout);
}

TEST(LiveMachine, SlicesBootAsOneRunDoes) {
    ProgramBytes program;
    const DiskSignal disk = program_disk(program);
    const BootSettings settings = default_boot_settings(DiskFormat::mini);
    const BootReport report = simulate_boot(disk, settings);
    ASSERT_EQ(report.outcome, BootOutcome::started);

    for (const uint64_t slice : {uint64_t{997}, uint64_t{20000}, report.end_cycle}) {
        SCOPED_TRACE(slice);
        auto live = std::make_unique<LiveMachine>();
        live_power_on(*live, disk, settings);
        while (live->machine.cpu.cycles < report.end_cycle) ASSERT_TRUE(live_run(*live, slice));
        const Machine& m = live->machine;
        EXPECT_TRUE(std::equal(program.begin(), program.end(), m.memory.begin() + 0x0300));
        // Every track the boot read, read as the one run read it.
        std::vector<TrackVisit> reading;
        for (const TrackVisit& visit : live_visits(*live)) {
            if (visit.bytes_read > 0) reading.push_back(visit);
        }
        ASSERT_EQ(reading.size(), report.visits.size());
        for (size_t i = 0; i < reading.size(); i++) {
            EXPECT_EQ(reading[i].track, report.visits[i].track);
            EXPECT_EQ(reading[i].bytes_stored, report.visits[i].bytes_stored);
            EXPECT_EQ(reading[i].bytes_lost, 0u);
        }
        EXPECT_NEAR(live_seconds(*live), 1.0 * report.end_cycle / settings.cpu_hz, 0.01);
    }
}

TEST(LiveMachine, ThePresentVisitCountsItsRevolutionsSoFar) {
    ProgramBytes program;
    const DiskSignal disk = program_disk(program);
    auto live = std::make_unique<LiveMachine>();
    live_power_on(*live, disk, default_boot_settings(DiskFormat::mini));
    // 200 ms per revolution: 1.1 s into the boot the head is on a track it has
    // been on for at least one index pulse, and the machine's own record
    // still has the visit open.
    ASSERT_TRUE(live_run(*live, 983040 * 11 / 10));
    const std::vector<TrackVisit> visits = live_visits(*live);
    EXPECT_EQ(visits.size(), live->machine.watch.visits.size());
    EXPECT_GT(visits.back().index_pulses, 0u);
    EXPECT_EQ(visits.back().left_cycle, live->machine.cpu.cycles);
    EXPECT_EQ(live->machine.watch.visits.back().left_cycle, 0u);
}

}  // namespace
