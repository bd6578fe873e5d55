// The machine as its CPU sees it: the memory map, the controller's registers
// at given moments, and how the boot record tells which writes keep a byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "sim/boot_rom.h"
#include "sim/machine.h"
#include "signal/serial_frame.h"

namespace {

constexpr uint64_t ONE_MHZ = 1000000;  // 8 cycles per bit at 125 kbit/s

// One track of 25000 bit times, idle but for one frame of $A5 whose start
// bit is bit 100 (so its stop bit is bit 110).
DiskSignal one_frame_disk() {
    DiskSignal disk{DiskFormat::mini, 125000, {}};
    disk.tracks.resize(40);
    for (TrackSignal& track : disk.tracks) track.bits.assign(25000, LINE_MARK);
    encode_serial_frame(0xA5, &disk.tracks[0].bits[100]);
    return disk;
}

struct Powered {
    DiskSignal disk = one_frame_disk();
    std::unique_ptr<Machine> machine = std::make_unique<Machine>();
    Powered() {
        machine_power_on(*machine, disk, MachineSettings{ONE_MHZ, 5500.0, 0}, build_boot_rom());
    }
};

TEST(Machine, MemoryMap) {
    struct Case {
        uint16_t address;
        uint8_t write;
        uint8_t read;  // afterwards
    } cases[] = {
        {0x0000, 0x12, 0x12}, {0x2200, 0x34, 0x34}, {0xBFFF, 0x56, 0x56},  // RAM
        {0xC004, 0x78, 0xFF}, {0xC01F, 0x78, 0xFF}, {0xC100, 0x78, 0xFF},  // nothing there
        {0xD000, 0x41, 0x41}, {0xD7FF, 0x42, 0x42},                        // video
        {0xD800, 0x43, 0xFF}, {0xF7FF, 0x44, 0xFF},                        // nothing there
        {0xFFFC, 0x99, 0x00}, {0xFFFD, 0x99, 0xFF},                        // ROM: the reset vector
    };
    Powered p;
    Machine& m = *p.machine;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        m.write(c.address, c.write, 0);
        EXPECT_EQ(m.read(c.address, 0), c.read);
    }
    EXPECT_EQ(m.read(0xD400, 0), VIDEO_BLANK);  // the screen comes up cleared
    EXPECT_EQ(m.cpu.pc, ROM_RESET_ENTRY);   // reset has taken the vector
}

// Loads the head and configures the ACIA at cycle 0, as the ROM would. The
// output register comes first: port B's lines all low for a moment would
// be a step pulse.
void ready_to_read(Machine& m) {
    m.write(0xC003, 0x04, 0);  // control B: output register
    m.write(0xC002, 0x7F, 0);  // head loaded, once the lines are outputs
    m.write(0xC003, 0x00, 0);  // control B: direction register
    m.write(0xC002, 0xFF, 0);  // all outputs
    m.write(0xC003, 0x04, 0);
    m.write(0xC010, 0x03, 0);
    m.write(0xC010, 0x58, 0);
}

TEST(Machine, TheByteArrivesWithTheMiddleOfItsStopBit) {
    // Stop bit 110 lasts cycles 880-887 at 8 cycles a bit; its middle is cycle 884.
    struct Case {
        uint64_t cycle;
        uint8_t status;
    } cases[] = {{0, 0x02}, {883, 0x02}, {884, 0x03}, {30000, 0x03}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cycle);
        Powered p;
        Machine& m = *p.machine;
        ready_to_read(m);
        EXPECT_EQ(m.read(0xC010, c.cycle), c.status);
        if (c.status & 1) {
            EXPECT_EQ(m.read(0xC011, c.cycle), 0xA5);
        }
    }
}

TEST(Machine, TheCpuReadsADeviceInTheCycleOfTheAccess) {
    // LDA $C010 reads the status in its fourth cycle: started at 880 it
    // reads in cycle 883, before the byte arrives in 884; started at 881 it
    // sees it.
    struct Case {
        uint64_t start;
        uint8_t status;
    } cases[] = {{880, 0x02}, {881, 0x03}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        Powered p;
        Machine& m = *p.machine;
        ready_to_read(m);
        const uint8_t load_status[] = {0xAD, 0x10, 0xC0};  // LDA $C010
        std::copy(std::begin(load_status), std::end(load_status), m.memory.begin() + 0x0300);
        m.cpu.pc = 0x0300;
        m.cpu.cycles = c.start;
        ASSERT_EQ(cpu_step(m.cpu, m), 4);
        EXPECT_EQ(m.cpu.a, c.status);
    }
}

TEST(Machine, NoDataWithoutTheHeadLoaded) {
    Powered p;
    Machine& m = *p.machine;
    m.write(0xC010, 0x03, 0);
    m.write(0xC010, 0x58, 0);
    EXPECT_EQ(m.read(0xC010, 30000), 0x02);
}

TEST(Machine, IndexPulseOnPortA) {
    // 5500 us at 125 kbit/s is 687.5 bit times, taken as 688: cycles 0-5503
    // of each 200000-cycle revolution.
    struct Case {
        uint64_t cycle;
        uint8_t bit7;
    } cases[] = {{0, 0x00}, {5503, 0x00}, {5504, 0x80}, {199999, 0x80}, {200000, 0x00}, {205504, 0x80}};
    Powered p;
    Machine& m = *p.machine;
    m.write(0xC001, 0x04, 0);  // control A: port A's data (all inputs after reset)
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cycle);
        EXPECT_EQ(m.read(0xC000, c.cycle) & 0x80, c.bit7);
        EXPECT_EQ(m.read(0xC000, c.cycle) & 0x03, 0x00);  // drive ready, head on track 0
    }
}

TEST(Machine, OnlyTheNextWriteOfTheByteReadKeepsIt) {
    struct Case {
        const char* name;
        bool push;
        uint16_t address;
        uint8_t value;
        uint64_t stored;
        uint64_t readback_errors;
    } cases[] = {
        {"stored to RAM", false, 0x0400, 0xA5, 1, 0},
        {"stored to video", false, 0xD010, 0xA5, 1, 0},
        {"another value", false, 0x0400, 0x5A, 0, 0},
        {"a push to the stack", true, 0x01FD, 0xA5, 0, 0},
        {"a store into the stack page", false, 0x01FD, 0xA5, 1, 0},
        {"stored to ROM", false, 0xF900, 0xA5, 1, 1},
        {"stored to a hole", false, 0xE000, 0xA5, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Powered p;
        Machine& m = *p.machine;
        ready_to_read(m);
        ASSERT_EQ(m.read(0xC011, 1000), 0xA5);
        if (c.push) {
            m.push(c.address, c.value, 1001);
        } else {
            m.write(c.address, c.value, 1001);
        }
        m.write(0x0401, 0xA5, 1002);  // a second write never counts
        const TrackVisit& visit = m.watch.visits.back();
        EXPECT_EQ(visit.bytes_read, 1u);
        EXPECT_EQ(visit.bytes_stored, c.stored);
        EXPECT_EQ(visit.readback_errors, c.readback_errors);
        if (c.readback_errors) {
            EXPECT_EQ(visit.readback_addresses, std::vector<uint16_t>{c.address});
        }
    }
}

}  // namespace
