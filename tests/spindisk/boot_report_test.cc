// The checks made after a boot: the program file against memory. Reports
// are set up by hand here, memory and all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "spindisk/boot_report.h"

namespace {

BootReport started_report(bool loader, uint16_t load) {
    BootReport report;
    report.outcome = BootOutcome::started;
    report.facts.loader = loader;
    report.facts.has_load_address = true;
    report.facts.load_address = load;
    report.memory.assign(0x10000, 0);
    return report;
}

std::vector<uint8_t> counting(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; i++) bytes[i] = static_cast<uint8_t>(i + 1);
    return bytes;
}

TEST(CheckProgram, MemoryAgainstTheFile) {
    struct Poke {
        uint16_t address;
        uint8_t value;
    };
    struct Case {
        const char* name;
        bool loader;
        uint16_t load;
        size_t size;
        std::vector<Poke> pokes;  // changes after the program is put in memory
        bool intact;
        size_t differences;
        uint16_t first;
        bool finish_patch;
    } cases[] = {
        {"intact", true, 0x0300, 1000, {}, true, 0, 0, false},
        {"one byte off", true, 0x0300, 1000, {{0x0305, 0xEE}}, false, 1, 0x0305, false},
        {"first of several", true, 0x0300, 1000, {{0x0400, 0xEE}, {0x0310, 0xEE}, {0x06E7, 0}}, false, 3, 0x0310, false},
        {"just past the end does not count", true, 0x0300, 1000, {{0x06E8, 0xEE}}, true, 0, 0, false},
        {"the loader's finish patch is no fault", true, 0x0100, 512, {{0x012B, 0xFF}, {0x0130, 0xFF}}, true, 0, 0, true},
        {"a byte next to the patch is", true, 0x0100, 512, {{0x012A, 0xFF}, {0x0131, 0xFF}}, false, 2, 0x012A, true},
        {"raw boot code has no finish patch", false, 0x0100, 512, {{0x012B, 0xFF}}, false, 1, 0x012B, false},
        {"wrapping past $FFFF", true, 0xFFF0, 32, {{0x000F, 0xEE}}, false, 1, 0x000F, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BootReport report = started_report(c.loader, c.load);
        const std::vector<uint8_t> program = counting(c.size);
        for (size_t i = 0; i < program.size(); i++) report.memory[static_cast<uint16_t>(c.load + i)] = program[i];
        for (const Poke& poke : c.pokes) report.memory[poke.address] = poke.value;
        const ProgramCheck check = check_program(report, program);
        EXPECT_TRUE(check.checked);
        EXPECT_EQ(check.intact, c.intact);
        EXPECT_EQ(check.differences, c.differences);
        EXPECT_EQ(check.covers_finish_patch, c.finish_patch);
        EXPECT_EQ(check.load_address, c.load);
        EXPECT_EQ(check.size, c.size);
        if (!c.intact) {
            EXPECT_EQ(check.first_difference, c.first);
            EXPECT_EQ(check.expected, program[static_cast<uint16_t>(c.first - c.load)]);
            EXPECT_EQ(check.found, report.memory[c.first]);
        }
    }
}

TEST(CheckProgram, NothingToCheckWithoutAStart) {
    BootReport report = started_report(true, 0x0300);
    report.outcome = BootOutcome::read_failure;
    EXPECT_FALSE(check_program(report, counting(10)).checked);
    EXPECT_FALSE(check_program(report, counting(10)).intact);
}

TEST(BootSucceeded, StartedWithNothingLostOrMisstored) {
    BootReport report = started_report(true, 0x0300);
    EXPECT_TRUE(boot_succeeded(report));
    report.bytes_lost = 1;
    EXPECT_FALSE(boot_succeeded(report));
    report.bytes_lost = 0;
    report.readback_errors = 1;
    EXPECT_FALSE(boot_succeeded(report));
    report.readback_errors = 0;
    report.outcome = BootOutcome::time_limit;
    EXPECT_FALSE(boot_succeeded(report));
}

}  // namespace
