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

// What the boot waits for, in milliseconds (each at most 255).
constexpr unsigned ROM_MOTOR_WAIT_MS = 250;  // after reset, for the disk to come up to speed
constexpr unsigned ROM_STEP_WAIT_MS = 25;    // after each step pulse: step and settle
constexpr unsigned ROM_HEAD_WAIT_MS = 160;   // after loading the head

// The ROM for a CPU clocked at cpu_hz: its delay loops are CPU loops, so the
// loop count of one millisecond is worked out from the clock and patched in.
BootRom build_boot_rom(uint64_t cpu_hz);

// The ROM's one-millisecond loop: LDY #low, LDA #high, STA, then DEY/BNE
// passes, high more rounds of 256; it takes 5 * passes + 1287 * high + 18
// cycles, with passes 1..256. Chosen as close to cpu_hz / 1000 as it gets.
struct MillisecondLoop {
    unsigned passes;  // 1..256 (256 is written as 0)
    unsigned high;    // 0..127
};
MillisecondLoop millisecond_loop(uint64_t cpu_hz);
uint64_t millisecond_loop_cycles(const MillisecondLoop& loop);
