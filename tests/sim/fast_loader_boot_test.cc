// Whole boots with the fast loader: the boot matrix intact at 983040 Hz and
// 1966080 Hz, one revolution per 8-inch track, the same matrix failing with
// the standard loader at 983040 Hz on 8-inch, and the loader's read errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "disk/boot_disk_facts.h"
#include "disk/boot_verdict.h"
#include "format/signal_encoder.h"
#include "image/image_builder.h"
#include "image/image_options.h"
#include "sim/boot_run.h"
#include "support/temp_dir.h"

namespace {

constexpr uint64_t SLOW_CLOCK = 983040;
constexpr uint64_t FAST_CLOCK = 1966080;
constexpr uint32_t IO_AREA = 0xC000;

ImageOptions options_for(DiskFormat format, LoaderKind loader, int32_t load, int32_t exec = -1) {
    ImageOptions options;
    options.format = format;
    options.loader = loader;
    options.load_address = load;
    options.exec_address = exec;
    return options;
}

DiskSignal disk_signal(const ImageOptions& options, const ProgramBytes& program) {
    const DiskGeometry& g = geometry_for(options.format);
    DiskImage image;
    EXPECT_TRUE(allocate_image(g, image));
    build_image(options, g, program, image);
    SignalLayoutReport layout;
    return image_to_signal(g, image.bytes.get(), default_signal_timing(options.format), layout);
}

// What the loader stores for a program of this size: every track's pages
// less the 3-byte load header; the last track's pages reach past its chunk.
size_t stored_bytes(const DiskGeometry& g, size_t size) {
    const size_t full_tracks = (size - 1) / g.track_payload;
    const size_t rest = size - full_tracks * g.track_payload;
    return full_tracks * g.track_payload + (rest + 3 + 255) / 256 * 256 - 3;
}

// The largest program whose stores all stay below the I/O area at $C000.
size_t largest_below_io(const DiskGeometry& g, uint32_t load) {
    size_t size = IO_AREA - load;
    while (load + stored_bytes(g, size) > IO_AREA) size--;
    return size;
}

struct MatrixCase {
    std::string name;
    DiskFormat format;
    size_t size;
    int32_t load;
    int32_t exec;
};

std::vector<MatrixCase> boot_matrix() {
    std::vector<MatrixCase> cases;
    for (const DiskFormat format : {DiskFormat::mini, DiskFormat::full}) {
        const DiskGeometry& g = geometry_for(format);
        const std::string disk = format == DiskFormat::mini ? "5.25-inch" : "8-inch";
        for (const int32_t load : {0x0200, 0x0300, 0x2200}) {
            const std::string at = " at " + format_address(static_cast<uint16_t>(load));
            cases.push_back({disk + ", 1 byte" + at, format, 1, load, -1});
            const size_t largest = largest_below_io(g, static_cast<uint32_t>(load));
            cases.push_back({disk + ", " + std::to_string(largest) + " bytes" + at, format, largest, load, -1});
        }
        cases.push_back({disk + ", two tracks started at $0456", format, 5000, 0x0300, 0x0456});
    }
    return cases;
}

BootReport boot(const MatrixCase& c, LoaderKind loader, uint64_t cpu_hz, const ProgramBytes& program) {
    BootSettings settings = default_boot_settings(c.format);
    settings.cpu_hz = cpu_hz;
    settings.max_seconds = 60;
    return simulate_boot(disk_signal(options_for(c.format, loader, c.load, c.exec), program), settings);
}

void expect_finish(const BootReport& report, uint16_t start) {
    EXPECT_EQ(report.cpu.pc, start);
    EXPECT_EQ(report.cpu.a, 0x4C);
    EXPECT_EQ(report.cpu.x, 0xFF);
    EXPECT_EQ(report.cpu.y, 0x03);
    EXPECT_EQ(report.cpu.s, 0x00);
    const uint8_t low = start & 0xFF;
    const uint8_t high = start >> 8;
    const std::vector<uint8_t> jump = {0x4C, low, high};
    EXPECT_EQ(std::vector<uint8_t>(report.memory.begin(), report.memory.begin() + 3), jump);
    const std::vector<uint8_t> trampoline = {high, 0x04, 0xFD, high, low, 0x4C};
    EXPECT_EQ(std::vector<uint8_t>(report.memory.begin() + 0x012B, report.memory.begin() + 0x0131), trampoline);
}

TEST(FastLoaderBoot, TheMatrixBootsIntactAtBothClocks) {
    for (const MatrixCase& c : boot_matrix()) {
        const DiskGeometry& g = geometry_for(c.format);
        const ProgramBytes program = pattern_bytes(c.size, static_cast<uint32_t>(c.size + c.load));
        const size_t data_tracks = (c.size + g.track_payload - 1) / g.track_payload;
        for (const uint64_t cpu_hz : {SLOW_CLOCK, FAST_CLOCK}) {
            SCOPED_TRACE(c.name + ", " + std::to_string(cpu_hz) + " Hz");
            const BootReport report = boot(c, LoaderKind::fast, cpu_hz, program);
            ASSERT_EQ(report.outcome, BootOutcome::started);
            EXPECT_TRUE(report.facts.fast_loader);
            EXPECT_TRUE(boot_succeeded(report));
            EXPECT_TRUE(check_program(report, program).intact);
            EXPECT_EQ(report.bytes_lost, 0u);
            expect_finish(report, static_cast<uint16_t>(c.exec >= 0 ? c.exec : c.load));

            // Track 0, the data tracks, the terminator. From track 2 on a
            // visit lasts from one step to the next: one index hole passes on
            // an 8-inch track, two on a 5.25-inch one at 983040 Hz.
            ASSERT_EQ(report.visits.size(), data_tracks + 2);
            for (size_t t = 2; t <= data_tracks; t++) {
                SCOPED_TRACE("track " + std::to_string(t));
                EXPECT_EQ(report.visits[t].track, static_cast<int>(t));
                if (c.format == DiskFormat::full) EXPECT_EQ(report.visits[t].index_pulses, 1u);
                if (c.format == DiskFormat::mini && cpu_hz == SLOW_CLOCK) {
                    EXPECT_EQ(report.visits[t].index_pulses, 2u);
                }
            }
        }
    }
}

TEST(FastLoaderBoot, TheStandardLoaderStillFailsEightInchAtOneMegahertz) {
    for (const MatrixCase& c : boot_matrix()) {
        if (c.format != DiskFormat::full) continue;
        SCOPED_TRACE(c.name);
        const ProgramBytes program = pattern_bytes(c.size, static_cast<uint32_t>(c.size + c.load));
        const BootReport report = boot(c, LoaderKind::standard, SLOW_CLOCK, program);
        EXPECT_FALSE(report.facts.fast_loader);
        EXPECT_GT(report.bytes_lost, 0u);
        EXPECT_FALSE(boot_succeeded(report) && check_program(report, program).intact);
    }
}

}  // namespace
