// Booting through HFE: images written as HFE files and read back boot on the
// simulated machine as they do from the .65d, and a lead-in inside the index
// pulse makes the boot fail from the HFE file too.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "format/hfe_reader.h"
#include "format/signal_encoder.h"
#include "format/hfe_writer.h"
#include "image/image_fixture.h"
#include "disk/boot_disk_facts.h"
#include "sim/boot_run.h"

namespace {

DiskSignal through_hfe(const DiskSignal& signal) {
    Bytes file;
    std::string error;
    EXPECT_TRUE(signal_to_hfe(signal, file, error)) << error;
    DiskSignal read;
    EXPECT_TRUE(hfe_to_signal(file, read, error)) << error;
    return read;
}

bool program_intact(const BootReport& report, uint16_t load, const Bytes& program) {
    if (report.memory.size() < load + program.size()) return false;
    return std::equal(program.begin(), program.end(), report.memory.begin() + load);
}

struct BootCase {
    const char* name;
    DiskFormat format;
    size_t size;
    uint16_t load;
};

const BootCase BOOTS[] = {
    {"5.25-inch, 1 byte", DiskFormat::mini, 1, 0x0300},
    {"5.25-inch, 2046 bytes on two tracks", DiskFormat::mini, 2046, 0x0300},
    {"5.25-inch, 23011 bytes up to the directory track", DiskFormat::mini, 23011, 0x0300},
    {"5.25-inch, loaded at $2200", DiskFormat::mini, 5000, 0x2200},
    {"8-inch, 1 byte", DiskFormat::full, 1, 0x0300},
    {"8-inch, 3070 bytes on two tracks", DiskFormat::full, 3070, 0x0300},
    {"8-inch, 30000 bytes", DiskFormat::full, 30000, 0x1000},
};

// The 5.25-inch signal comes back bit for bit, so its boot matches to the
// cycle; an 8-inch revolution is one bit time longer from the HFE file
// (41668 rather than 41667), so only the outcome and registers must match.
TEST(HfeBoot, ImagesBootFromHfeAsFromTheImage) {
    for (const BootCase& c : BOOTS) {
        SCOPED_TRACE(c.name);
        const DiskGeometry& g = geometry_for(c.format);
        const Bytes program = pattern_bytes(c.size, static_cast<uint32_t>(c.size));
        const Bytes image = build(loader_options(c.format, c.load), program);
        SignalLayoutReport layout;
        const DiskSignal direct = image_to_signal(g, image.data(), default_signal_timing(c.format), layout);
        const DiskSignal from_hfe = through_hfe(direct);

        const BootSettings settings = default_boot_settings(c.format);
        const BootReport expected = simulate_boot(direct, settings);
        const BootReport got = simulate_boot(from_hfe, settings);
        ASSERT_EQ(expected.outcome, BootOutcome::started);
        EXPECT_EQ(got.outcome, BootOutcome::started);
        EXPECT_TRUE(program_intact(got, c.load, program));
        EXPECT_EQ(got.bytes_lost, 0u);
        EXPECT_EQ(got.readback_errors, 0u);
        EXPECT_EQ(got.cpu.pc, expected.cpu.pc);
        EXPECT_EQ(got.cpu.a, expected.cpu.a);
        EXPECT_EQ(got.cpu.x, expected.cpu.x);
        EXPECT_EQ(got.cpu.y, expected.cpu.y);
        EXPECT_EQ(got.cpu.s, expected.cpu.s);
        EXPECT_EQ(got.visits.size(), expected.visits.size());
        if (c.format == DiskFormat::mini) {
            EXPECT_EQ(got.end_cycle, expected.end_cycle);
        }
    }
}

// The first byte (and so the sector mark behind the track header) inside the
// index pulse: the loader never gets the program, however the HFE carries it.
TEST(HfeBoot, ALeadInInsideTheIndexPulseDoesNotBoot) {
    struct Case {
        const char* name;
        DiskFormat format;
        double lead_in_us;
    };
    const Case cases[] = {
        {"5.25-inch, no lead-in", DiskFormat::mini, 0},
        {"5.25-inch, 3 ms of a 5.5 ms pulse", DiskFormat::mini, 3000},
        {"8-inch, 1 ms of a 3 ms pulse", DiskFormat::full, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DiskGeometry& g = geometry_for(c.format);
        const Bytes program = pattern_bytes(5000, 3);
        const Bytes image = build(loader_options(c.format, 0x0300), program);
        SignalTiming timing = default_signal_timing(c.format);
        timing.lead_in_us = c.lead_in_us;
        SignalLayoutReport layout;
        const DiskSignal from_hfe = through_hfe(image_to_signal(g, image.data(), timing, layout));
        BootSettings settings = default_boot_settings(c.format);
        settings.max_seconds = 8;
        const BootReport report = simulate_boot(from_hfe, settings);
        EXPECT_FALSE(report.outcome == BootOutcome::started && program_intact(report, 0x0300, program))
            << "booted intact";
    }
}

}  // namespace
