// The fast boot loader that track 0 carries when a disk is made with
// --loader fast, and the offsets and addresses of its patch point, its
// final jump and its error stop. Its source is fast_loader.s beside this
// file (ca65, linked with fast_loader.cfg); a test assembles it and
// compares.
//
// What it does on the target: the boot ROM loads it at $2200 and starts it.
// The stub copies the 237-byte body to $0000-$00EC and runs it there. It
// reads the same data tracks as the standard loader (boot_loader.h) the same
// way (the first $76 $01, the sector's length, then page count, address high
// and low; page count * 256 - 3 bytes stored; a page count of 0 or of 14 and
// more ends loading), with these differences:
//   - its data loop takes 27 cycles a byte, 36 at a page end, and no path
//     from one byte to the next takes more than 38: an 8-inch disk (a byte
//     every 44 us) loads intact at 983040 Hz;
//   - it checks each byte's status; an overrun, parity or framing error, or
//     the index hole before a sector was found, lifts the head, writes
//     "track NN read error" to the screen and stops in a loop;
//   - after a track's last byte it steps at once and waits 20 ms (a cycle
//     loop: 20 ms at 983040 Hz, 10 ms at 1966080 Hz) before it looks for the
//     index hole, so each 8-inch track takes one revolution. 5.25-inch data
//     end too close to the hole: those tracks take two at 983040 Hz;
//   - it does not read each byte back (the standard loader shows "X" and the
//     address of a byte that lands where no RAM keeps it).
// Memory while it loads: $0000-$00EC, $00FD-$00FE, $0100 and $01FF; within
// what the standard loader needs. Its finish is the standard loader's: the
// program starts with JMP start at $0000, the trampoline at $012B-$0130,
// A = $4C, X = $FF, Y = $03, S = $00 and the head lifted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr size_t FAST_LOADER_SIZE = 253;
extern const std::array<uint8_t, FAST_LOADER_SIZE> FAST_LOADER_IMAGE;

// The final jump: JMP, then the start address low and high (the patch point).
constexpr size_t FAST_LOADER_FINAL_JUMP_OFFSET = 248;
constexpr size_t FAST_LOADER_EXEC_LOW_OFFSET = 249;
constexpr size_t FAST_LOADER_EXEC_HIGH_OFFSET = 250;

// The stub copies loader bytes 16.. to page zero from $0000 up.
constexpr size_t FAST_LOADER_BODY_OFFSET = 16;
constexpr size_t FAST_LOADER_BODY_SIZE = 237;

// Where the body's final jump and its error stop (JMP to itself) run.
constexpr uint16_t FAST_LOADER_FINAL_JUMP_ADDRESS = FAST_LOADER_FINAL_JUMP_OFFSET - FAST_LOADER_BODY_OFFSET;
constexpr uint16_t FAST_LOADER_ERROR_STOP_ADDRESS = 0x00B8;

// The error message on the screen: "track NN read error" from $D0C5.
constexpr uint16_t FAST_LOADER_MESSAGE_ADDRESS = 0xD0C5;
constexpr size_t FAST_LOADER_MESSAGE_SIZE = 19;

// The wait after each step (LDY #ms), and how long one of its milliseconds
// lasts (LDX #passes; 5 * passes + 6 cycles: 981, 1 ms at 983040 Hz).
constexpr unsigned FAST_LOADER_SETTLE_MS = 20;
constexpr size_t FAST_LOADER_SETTLE_OFFSET = 26;
constexpr uint64_t FAST_LOADER_MILLISECOND_CYCLES = 981;
constexpr size_t FAST_LOADER_MILLISECOND_PASSES_OFFSET = 63;

// The longest path from one byte read to the next, in cycles: 38 fit in
// 44 us (an 8-inch byte) from 863637 Hz on.
constexpr unsigned FAST_LOADER_MAX_CYCLES_PER_BYTE = 38;
