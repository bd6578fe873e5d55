// The layout of the osiemu emulator's disk bit streams (.os5 for 5.25-inch,
// .os8 for 8-inch): a 256-byte header block, then each track's serial line
// from the index, one bit per bit time, most significant bit of a byte first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/geometry.h"

constexpr size_t OSI_STREAM_BLOCK_SIZE = 256;

constexpr char OSI_STREAM_SIGNATURE[] = "OSIDISKBITSTREAM";
constexpr size_t OSI_STREAM_SIGNATURE_SIZE = 16;

// Header fields after the signature; the rest of the header block is $FF.
constexpr size_t OSI_STREAM_VERSION_OFFSET = 16;
constexpr size_t OSI_STREAM_TYPE_OFFSET = 17;
constexpr size_t OSI_STREAM_FIRST_BLOCK_OFFSET = 18;  // the block track 0 starts in
constexpr uint8_t OSI_STREAM_VERSION = 0x01;
constexpr uint8_t OSI_STREAM_FIRST_TRACK_BLOCK = 0x01;
constexpr uint8_t OSI_STREAM_FILL = 0xFF;  // header padding, and the idle line past a revolution

// What each type of stream holds. A track's block is longer than one
// revolution (3328 bytes = 26624 bit times against 25000); the line is idle
// (1 bits) from the end of the revolution to the end of the block.
struct OsiStreamType {
    uint8_t type;
    DiskFormat format;
    int track_count;
    double bit_rate;
    size_t track_bytes;
    size_t revolution_bits;
    const char* extension;
};

constexpr OsiStreamType OSI_STREAM_TYPES[] = {
    {0x00, DiskFormat::mini, 40, 125000.0, 3328, 25000, ".os5"},
    {0x01, DiskFormat::full, 77, 250000.0, 5376, 41667, ".os8"},
};

// nullptr for a format or type byte the stream format does not have.
inline const OsiStreamType* osi_stream_type_for(DiskFormat format) {
    for (const OsiStreamType& type : OSI_STREAM_TYPES) {
        if (type.format == format) return &type;
    }
    return nullptr;
}
inline const OsiStreamType* osi_stream_type_for_byte(uint8_t type_byte) {
    for (const OsiStreamType& type : OSI_STREAM_TYPES) {
        if (type.type == type_byte) return &type;
    }
    return nullptr;
}

// 256 + 40 * 3328 = 133376 (5.25-inch); 256 + 77 * 5376 = 414208 (8-inch).
constexpr size_t osi_stream_file_size(const OsiStreamType& type) {
    return OSI_STREAM_BLOCK_SIZE * OSI_STREAM_FIRST_TRACK_BLOCK + static_cast<size_t>(type.track_count) * type.track_bytes;
}
