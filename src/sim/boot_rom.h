// The simulated machine's 2 KB ROM at $F800-$FFFF, our own: a disk boot on
// reset, a stand-in for the monitor, and the vectors.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr uint16_t ROM_START = 0xF800;
constexpr size_t ROM_SIZE = 0x0800;
using BootRom = std::array<uint8_t, ROM_SIZE>;

// Where reset leads: the disk boot. A jump through the reset vector later on
// (the loader's answer to a read failure) comes back here.
constexpr uint16_t ROM_RESET_ENTRY = 0xFF00;
// The monitor's entries: the vectors' and the one the loader's error display
// takes when the byte at ROM_CONSOLE_FLAG is 0. The monitor waits for keys
// that never come, so a run ends when the CPU gets there.
constexpr uint16_t ROM_MONITOR_ENTRY = 0xFE00;
constexpr uint16_t ROM_MONITOR_WARM_ENTRY = 0xFE0B;
// Where the ROM jumps once track 0 is in memory: the boot track's code.
constexpr uint16_t ROM_BOOT_TRACK_ENTRY = 0x2200;
// Non-zero on video-console machines, which this one is.
constexpr uint16_t ROM_CONSOLE_FLAG = 0xFE01;

// What the boot waits for, in milliseconds at the machine's standard clock
// of 983040 Hz. Like the machines' own ROMs, ours waits with fixed loops of
// CPU cycles, so at 1966080 Hz every wait lasts half as long.
constexpr uint64_t ROM_STANDARD_CPU_HZ = 983040;
constexpr unsigned ROM_MOTOR_WAIT_MS = 250;  // after reset, for the disk to come up to speed
constexpr unsigned ROM_STEP_WAIT_MS = 25;    // after each step pulse: step and settle
constexpr unsigned ROM_HEAD_WAIT_MS = 160;   // after loading the head
// One pass of the delay loop: 983 cycles, a millisecond at 983040 Hz to
// within 0.004 %. A wait of n passes takes n * 983 - 1 cycles (the last
// branch back is not taken), not counting the call.
constexpr uint64_t ROM_DELAY_PASS_CYCLES = 983;

BootRom build_boot_rom();
