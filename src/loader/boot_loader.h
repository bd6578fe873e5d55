// The 6502 boot loader that track 0 carries in loader mode, and the offsets
// of the bytes the image builder patches or reads back. Its source is
// boot_loader.s beside this file (ca65, linked with boot_loader.cfg); a test
// assembles it and compares.
//
// What it does on the target: the boot ROM loads it at $2200 and starts it.
// It copies its 246-byte body to page zero ($0000-$00F5) and runs it there.
// For each track from 1 upward it steps the head in, waits for the head to
// settle, syncs on the index hole, finds the sector mark $76 $01, skips the
// declared length and reads the load header: a page count, then the load
// address high and low. It stores page count * 256 - 3 bytes from that
// address on. A page count of 0, or of 14 and more, ends loading: the
// loader then writes a jump to the execution address at $0000, leaves a
// small trampoline at $012B-$0130, and jumps to the execution address.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr size_t BOOT_LOADER_SIZE = 263;
extern const std::array<uint8_t, BOOT_LOADER_SIZE> BOOT_LOADER_IMAGE;

// Where the ROM loads track 0 and starts it; the relocation stub only works here.
constexpr uint16_t BOOT_LOAD_ADDRESS = 0x2200;

// The loader's final jump: JMP, then the execution address low and high.
constexpr size_t LOADER_FINAL_JUMP_OFFSET = 257;
constexpr size_t LOADER_EXEC_LOW_OFFSET = 258;
constexpr size_t LOADER_EXEC_HIGH_OFFSET = 259;
constexpr uint8_t OPCODE_JMP_ABSOLUTE = 0x4C;

// The relocation stub copies loader bytes 16.. to page zero from $0000 up.
constexpr size_t LOADER_BODY_OFFSET = 16;
constexpr size_t LOADER_BODY_SIZE = 246;

// A load header page count of 0, or of this value and above, ends loading.
constexpr uint8_t LOADER_PAGE_COUNT_LIMIT = 14;

// Memory the loader itself needs while it loads: its page-zero body and
// variables, and the two stack areas it touches.
constexpr uint16_t LOADER_ZERO_PAGE_END = 0x00F5;
constexpr uint16_t LOADER_VARIABLES_START = 0x00FD;
constexpr uint16_t LOADER_VARIABLES_END = 0x00FF;
constexpr uint16_t LOADER_STACK_FIRST_PUSH = 0x0100;
constexpr uint16_t LOADER_STACK_LOW = 0x01F9;
constexpr uint16_t LOADER_STACK_HIGH = 0x01FF;

// The finish leaves a trampoline here, over whatever the program loaded.
constexpr uint16_t LOADER_FINISH_PATCH_START = 0x012B;
constexpr uint16_t LOADER_FINISH_PATCH_END = 0x0130;
