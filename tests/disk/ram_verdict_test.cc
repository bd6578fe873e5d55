// A started program on a machine with less RAM than the disk needs: only
// the program's own bytes above the RAM make the boot a failure, not the
// loader's last whole page running on past them.
#include <gtest/gtest.h>

#include "disk/boot_verdict.h"

namespace {

TEST(RamVerdict, OnlyTheProgramsBytesAboveTheRamCount) {
    struct Case {
        const char* name;
        BootOutcome outcome;       // before the verdict
        bool stored_above_ram;
        uint16_t first, last;      // stored above the RAM
        ProgramRange program;
        BootOutcome verdict;
        uint16_t verdict_first, verdict_last;
    } cases[] = {
        {"all of it above", BootOutcome::started, true, 0x4000, 0x40FC, {true, 0x4000, 136},
         BootOutcome::above_ram, 0x4000, 0x4087},
        {"its end above", BootOutcome::started, true, 0x4000, 0x40FC, {true, 0x3F80, 0x100},
         BootOutcome::above_ram, 0x4000, 0x407F},
        {"only the last page's spill", BootOutcome::started, true, 0x4000, 0x4002, {true, 0x3F06, 250},
         BootOutcome::started, 0x4000, 0x4002},
        {"the program unknown", BootOutcome::started, true, 0x4000, 0x4002, {},
         BootOutcome::above_ram, 0x4000, 0x4002},
        {"nothing above", BootOutcome::started, false, 0, 0, {true, 0x0300, 100}, BootOutcome::started, 0, 0},
        {"not started: already judged", BootOutcome::above_ram, true, 0x2200, 0x23FF, {true, 0x0300, 100},
         BootOutcome::above_ram, 0x2200, 0x23FF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BootReport report;
        report.outcome = c.outcome;
        report.stored_above_ram = c.stored_above_ram;
        report.above_ram_first = c.first;
        report.above_ram_last = c.last;
        judge_program_above_ram(report, c.program);
        EXPECT_EQ(report.outcome, c.verdict);
        EXPECT_EQ(report.above_ram_first, c.verdict_first);
        EXPECT_EQ(report.above_ram_last, c.verdict_last);
    }
}

}  // namespace
