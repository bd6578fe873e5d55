// The hooks a machine profile sets: how much RAM and video memory answer,
// the keyboard on the whole page $DF00-$DFFF, and a ROM of the user's own
// at the top of memory.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sim/boot_rom.h"
#include "sim/machine.h"

namespace {

DiskSignal idle_disk() {
    DiskSignal disk{DiskFormat::mini, 125000, {}};
    disk.tracks.resize(40);
    for (TrackSignal& track : disk.tracks) track.bits.assign(25000, LINE_MARK);
    return disk;
}

TEST(MachineSize, SmallerRamAndVideo) {
    // 8 KB of RAM and the C1P's 1 KB of video: above each nothing keeps a byte.
    const DiskSignal disk = idle_disk();
    auto m = std::make_unique<Machine>();
    MachineSettings settings{983040, 5500.0, 0};
    settings.ram_end = 0x1FFF;
    settings.video_size = 0x400;
    machine_power_on(*m, disk, settings, build_boot_rom());
    struct Case {
        uint16_t address;
        uint8_t read;  // after writing $5A
    } cases[] = {{0x0000, 0x5A}, {0x1FFF, 0x5A}, {0x2000, 0xFF}, {0xBFFF, 0xFF},
                 {0xD000, 0x5A}, {0xD3FF, 0x5A}, {0xD400, 0xFF}, {0xD7FF, 0xFF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        m->write(c.address, 0x5A, 0);
        EXPECT_EQ(m->read(c.address, 0), c.read);
    }
}

TEST(MachineSize, TheKeyboardAnswersOnTheWholePage) {
    const DiskSignal disk = idle_disk();
    for (uint16_t address : {0xDF00, 0xDF7F, 0xDFFF}) {
        SCOPED_TRACE(address);
        auto m = std::make_unique<Machine>();
        machine_power_on(*m, disk, MachineSettings{983040, 5500.0, 0}, build_boot_rom());
        keyboard_press(m->keyboard, KeyPosition{3, 7});  // S, row 3
        m->write(address, 0xF7, 0);  // select row 3, active low
        EXPECT_EQ(m->read(address, 0), 0x7F);
        EXPECT_EQ(m->read(0xDF00, 0), 0x7F);
        EXPECT_EQ(m->read(0xDE00, 0), 0xFF) << "the page below is empty";
    }
}

TEST(MachineSize, ARomOfTheUsersOwnEndsAtTheTop) {
    struct Case {
        size_t size;
        uint16_t first;
    } cases[] = {{1024, 0xFC00}, {2048, 0xF800}, {4096, 0xF000}};
    const DiskSignal disk = idle_disk();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<uint8_t> rom(c.size, 0xEA);
        rom.front() = 0x11;
        rom[c.size - 4] = 0x34;  // reset vector $1234
        rom[c.size - 3] = 0x12;
        auto m = std::make_unique<Machine>();
        machine_power_on(*m, disk, MachineSettings{983040, 5500.0, 0}, rom.data(), rom.size());
        EXPECT_EQ(m->read(c.first, 0), 0x11);
        EXPECT_EQ(m->read(static_cast<uint16_t>(c.first - 1), 0), 0xFF);
        EXPECT_EQ(m->cpu.pc, 0x1234);
        m->write(c.first, 0x22, 0);
        EXPECT_EQ(m->read(c.first, 0), 0x11) << "ROM";
    }
}

}  // namespace
