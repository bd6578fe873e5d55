// The layout of an HFE version 1 file ("HXCPICFE") as Gotek/FlashFloppy and
// HxC floppy emulators read it, and how one serial bit becomes its cells.
#pragma once

#include <cstddef>
#include <cstdint>

// The file is made of 512-byte blocks: the header, the track table, then the
// tracks, each starting on a block boundary.
constexpr size_t HFE_BLOCK_SIZE = 512;
constexpr size_t HFE_HEADER_SIZE = HFE_BLOCK_SIZE;

constexpr char HFE_SIGNATURE[] = "HXCPICFE";
constexpr size_t HFE_SIGNATURE_SIZE = 8;
// Version 3 files carry this signature instead; we neither write nor read them.
constexpr char HFE_V3_SIGNATURE[] = "HXCHFEV3";

// Header fields: offsets from the start of the file, values little-endian.
constexpr size_t HFE_SIGNATURE_OFFSET = 0;
constexpr size_t HFE_REVISION_OFFSET = 8;             // u8
constexpr size_t HFE_TRACK_COUNT_OFFSET = 9;          // u8
constexpr size_t HFE_SIDE_COUNT_OFFSET = 10;          // u8
constexpr size_t HFE_TRACK_ENCODING_OFFSET = 11;      // u8
constexpr size_t HFE_BIT_RATE_OFFSET = 12;            // u16, kbit/s
constexpr size_t HFE_RPM_OFFSET = 14;                 // u16
constexpr size_t HFE_INTERFACE_MODE_OFFSET = 16;      // u8
constexpr size_t HFE_RESERVED_OFFSET = 17;            // u8
constexpr size_t HFE_TRACK_LIST_OFFSET = 18;          // u16, in blocks
constexpr size_t HFE_WRITE_ALLOWED_OFFSET = 20;       // u8
constexpr size_t HFE_SINGLE_STEP_OFFSET = 21;         // u8
constexpr size_t HFE_TRACK0_SIDE0_ALT_OFFSET = 22;    // u8: alternative encoding on track 0 side 0
constexpr size_t HFE_TRACK0_SIDE0_ENCODING_OFFSET = 23;
constexpr size_t HFE_TRACK0_SIDE1_ALT_OFFSET = 24;
constexpr size_t HFE_TRACK0_SIDE1_ENCODING_OFFSET = 25;

// The values we write. Header and table bytes that carry nothing are $FF.
constexpr uint8_t HFE_UNUSED_BYTE = 0xFF;
constexpr uint8_t HFE_FORMAT_REVISION = 0;
// Side 1 is blank but present: some emulator firmware refuses single-sided files.
constexpr uint8_t HFE_SIDES_WRITTEN = 2;
constexpr uint8_t HFE_MAX_SIDES = 2;
constexpr uint8_t HFE_ENCODING_UNKNOWN = 0xFF;  // the cells are no standard encoding
constexpr uint8_t HFE_INTERFACE_GENERIC_SHUGART = 0x07;
constexpr uint8_t HFE_RESERVED_VALUE = 0;
constexpr uint16_t HFE_TRACK_LIST_BLOCK = 1;
constexpr uint8_t HFE_WRITE_ALLOWED = 0xFF;
constexpr uint8_t HFE_SINGLE_STEP = 0xFF;
constexpr uint8_t HFE_ALT_ENCODING_OFF = 0xFF;

// The track table: one entry per track, the track's first block (u16) and
// the bytes of both sides together (u16).
constexpr size_t HFE_TRACK_ENTRY_SIZE = 4;
constexpr size_t HFE_TRACK_ENTRY_BLOCK_OFFSET = 0;
constexpr size_t HFE_TRACK_ENTRY_LENGTH_OFFSET = 2;
constexpr size_t HFE_MAX_TRACKS = HFE_BLOCK_SIZE / HFE_TRACK_ENTRY_SIZE;

// Track data: each block holds 256 bytes of side 0, then 256 bytes of side 1,
// whatever the header's side count; a track's length counts both.
constexpr size_t HFE_SIDES_PER_BLOCK = 2;
constexpr size_t HFE_SIDE_CHUNK = HFE_BLOCK_SIZE / HFE_SIDES_PER_BLOCK;

// Within a byte the cells go LSB first. Every serial bit is one FM bit cell,
// recorded inverted, and takes four cells: the clock pulse in the second and,
// for a serial 0 (space), the data pulse in the fourth. Two serial bits make
// a byte, the earlier one in the low nibble: space, mark -> $2A.
constexpr unsigned HFE_CELLS_PER_SERIAL_BIT = 4;
constexpr unsigned HFE_CELLS_PER_BYTE = 8;
constexpr unsigned HFE_SERIAL_BITS_PER_BYTE = HFE_CELLS_PER_BYTE / HFE_CELLS_PER_SERIAL_BIT;
constexpr uint8_t HFE_NIBBLE_SPACE = 0x0A;  // cells 0,1,0,1: a serial 0
constexpr uint8_t HFE_NIBBLE_MARK = 0x02;   // cells 0,1,0,0: a serial 1
constexpr uint8_t HFE_DATA_CELL = 0x08;     // the fourth cell: set only for a space
constexpr uint8_t HFE_NIBBLE_MASK = 0x0F;
constexpr unsigned HFE_NIBBLE_BITS = 4;
constexpr uint8_t HFE_IDLE_BYTE = HFE_NIBBLE_MARK | HFE_NIBBLE_MARK << HFE_NIBBLE_BITS;  // $22
constexpr uint8_t HFE_BLANK_SIDE_BYTE = 0x11;  // what the blank side 1 holds

// The header's bit rate counts two cells as one bit, so a serial bit of four
// cells is two of them: 125 kbit/s serial -> 250 kbit/s in the header.
constexpr unsigned HFE_RATE_PER_SERIAL_RATE = HFE_CELLS_PER_SERIAL_BIT / 2;
constexpr double HFE_BIT_RATE_UNIT = 1000.0;  // the header counts kbit/s

// Little-endian 16-bit fields; block numbers and track lengths are no larger.
constexpr size_t HFE_U16_MAX = 0xFFFF;
inline uint16_t read_u16_le(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline void write_u16_le(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>(value >> 8);
}

// Serial bit i of a track lies in byte i / 2 of its side's stream, and that
// byte in block (byte / 256) of the track at (byte % 256) for side 0.
constexpr size_t hfe_side0_position(size_t side_byte) {
    return (side_byte / HFE_SIDE_CHUNK) * HFE_BLOCK_SIZE + side_byte % HFE_SIDE_CHUNK;
}

// Blocks a track of this many bytes per side takes: 12500 -> 49 chunks -> 49 blocks.
constexpr size_t hfe_track_blocks(size_t side_bytes) {
    return (side_bytes + HFE_SIDE_CHUNK - 1) / HFE_SIDE_CHUNK;
}
