// Verdicts that agree with the machine: list's findings and the boot's
// verdict for programs that end at $BFFF, where the loader's last whole page
// runs on into the disk controller. The rows were booted on the machine at
// 983040 Hz: nothing past $BFFF boots; $C000 alone boots (the loader shows
// "XC000"); $C000-$C001 hangs on the next track; $C000-$C0B7 fails to read
// the last track and starts again.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "disk/boot_disk_facts.h"
#include "disk/boot_verdict.h"
#include "disk/image_reader.h"
#include "disk/loader_speed.h"
#include "format/signal_encoder.h"
#include "image/image_fixture.h"

namespace {

// Program bytes for a boot: never $FF, which the empty bus reads, so every
// store that misses memory shows.
Bytes program_of(size_t size) {
    Bytes program(size);
    for (size_t i = 0; i < size; i++) program[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0x7F);
    return program;
}

using Findings = std::set<std::pair<std::string, std::string>>;  // code, level

Findings findings(const ImageFacts& facts) {
    Findings set;
    for (const ImageWarning& w : facts.warnings) {
        set.insert({warning_code_name(w.code), warning_level(w.code) == WarningLevel::error ? "error" : "warning"});
    }
    return set;
}

TEST(BootVerdict, StoresPastTheProgramsLastPageAgreeWithTheMachine) {
    struct Case {
        const char* name;
        DiskFormat format;
        uint16_t load;
        size_t size;  // load + size = $C000
        Findings listed;
        BootOutcome outcome;
        int head_track;            // where the boot ends
        uint64_t outside_program;  // read-back errors past the program's end
        bool good;
    };
    // 5.25-inch: 23 tracks of 2045 bytes, then a chunk of 1533 bytes stores
    // exactly its 6 pages; each byte less leaves one more stored past $BFFF.
    // 8-inch: 15 tracks of 3069, then 2557 bytes fill 10 pages.
    const Case cases[] = {
        {"5.25-inch, nothing past $BFFF", DiskFormat::mini, 0x0248, 48568, {}, BootOutcome::started, 25, 0, true},
        {"5.25-inch, $C000", DiskFormat::mini, 0x0249, 48567, {{"io_area", "warning"}}, BootOutcome::started, 25, 1,
         true},
        {"5.25-inch, $C000-$C001", DiskFormat::mini, 0x024A, 48566, {{"disk_controller", "error"}},
         BootOutcome::no_sector, 25, 2, false},
        {"5.25-inch, $C000-$C0B7", DiskFormat::mini, 0x0300, 48384, {{"disk_controller", "error"}},
         BootOutcome::read_failure, 24, 2, false},
        {"8-inch, nothing past $BFFF", DiskFormat::full, 0x0230, 48592, {}, BootOutcome::started, 17, 0, true},
        {"8-inch, $C000", DiskFormat::full, 0x0231, 48591, {{"io_area", "warning"}}, BootOutcome::started, 17, 1,
         true},
        {"8-inch, $C000-$C001", DiskFormat::full, 0x0232, 48590, {{"disk_controller", "error"}},
         BootOutcome::no_sector, 17, 2, false},
        {"8-inch, $C000-$C0B7", DiskFormat::full, 0x0318, 48360, {{"disk_controller", "error"}},
         BootOutcome::read_failure, 16, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes program = program_of(c.size);
        const Bytes image = build(loader_options(c.format, c.load), program);
        const ImageFacts facts = read_image(image.data(), image.size());
        EXPECT_EQ(findings(facts), c.listed);

        SignalLayoutReport layout;
        const DiskGeometry& g = geometry_for(c.format);
        const DiskSignal signal = image_to_signal(g, image.data(), default_signal_timing(c.format), layout);
        BootSettings settings = default_boot_settings(c.format);
        settings.max_seconds = 15;
        const BootReport report = simulate_boot(signal, settings);
        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(report.head_track, c.head_track);

        const ProgramRange range = program_range(facts);
        ASSERT_TRUE(range.known);
        EXPECT_EQ(range.first, c.load);
        EXPECT_EQ(range.size, c.size);
        const ReadbackErrors errors = split_readback_errors(report, range);
        EXPECT_EQ(errors.in_program, 0u);
        EXPECT_EQ(errors.outside, c.outside_program);
        EXPECT_EQ(boot_succeeded(report, range), c.good);
        if (c.good) {
            EXPECT_TRUE(check_program(report, program).intact);
        }
    }
}

TEST(BootVerdict, ReadBackErrorsInTheProgramStillFail) {
    // $D700 + 300 bytes: the program runs out of video memory at $D800, on a
    // machine with the 540 board's 2 KB of video at the C1P's clock.
    const Bytes program = program_of(300);
    const Bytes image = build(loader_options(DiskFormat::mini, 0xD700), program);
    SignalLayoutReport layout;
    const DiskGeometry& g = geometry_for(DiskFormat::mini);
    const DiskSignal signal = image_to_signal(g, image.data(), default_signal_timing(DiskFormat::mini), layout);
    BootSettings settings = default_boot_settings(DiskFormat::mini);
    settings.bench.machine = *find_machine_profile("c4p");
    const BootReport report = simulate_boot(signal, settings);
    ASSERT_EQ(report.outcome, BootOutcome::started);
    const ProgramRange range = program_range(read_image(image.data(), image.size()));
    const ReadbackErrors errors = split_readback_errors(report, range);
    EXPECT_EQ(errors.in_program, 300u - 0x100);   // $D800-$D82B
    EXPECT_EQ(errors.outside, 509u - 300);        // 2 pages store 509 bytes, to $D8FC
    EXPECT_FALSE(boot_succeeded(report, range));
    EXPECT_FALSE(boot_succeeded(report));  // without a range, every error counts
}

TEST(BootVerdict, TheLoaderKeepsUpFromTheSlowestClockListGives) {
    // Full tracks, so the loader's lag would pile up over 8 or 12 pages. The
    // figure is a worst case; the simulated machine also meets the measured
    // thresholds for this load address.
    // The machine measured: 5.25-inch lost at 591 kHz, intact from 592 kHz;
    // 8-inch lost at 1.1820 MHz, intact from 1.1825 MHz.
    struct Case {
        DiskFormat format;
        size_t size;
        uint64_t lost_hz, intact_hz;
    } cases[] = {
        {DiskFormat::mini, 3 * 2045, 591000, 592000},
        {DiskFormat::full, 3 * 3069, 1182000, 1182500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(geometry_for(c.format).name);
        BootFacts standard;
        standard.mode = BootMode::loader;
        const uint64_t hz = min_cpu_hz(standard, c.format);
        EXPECT_GT(hz, c.lost_hz);
        EXPECT_LT(hz, c.intact_hz * 1001 / 1000);  // a worst case: at most a hair above the machine's
        const Bytes program = program_of(c.size);
        const Bytes image = build(loader_options(c.format, 0x0300), program);
        SignalLayoutReport layout;
        const DiskSignal signal =
            image_to_signal(geometry_for(c.format), image.data(), default_signal_timing(c.format), layout);
        const std::pair<uint64_t, bool> clocks[] = {
            {hz + hz / 1000, true}, {hz - hz / 1000, false}, {c.intact_hz, true}, {c.lost_hz, false}};
        for (const auto& [cpu_hz, intact] : clocks) {
            SCOPED_TRACE(cpu_hz);
            BootSettings settings = default_boot_settings(c.format);
            settings.cpu_hz = cpu_hz;
            const BootReport report = simulate_boot(signal, settings);
            ASSERT_EQ(report.outcome, BootOutcome::started);
            EXPECT_EQ(report.bytes_lost == 0, intact);
            EXPECT_EQ(check_program(report, program).intact, intact);
        }
    }
}

}  // namespace
