// The two disk formats: their constant geometry, the size limits that follow
// from it, the track slot layout of an image file and the track header.
#pragma once

#include <cstddef>
#include <cstdint>

enum class DiskFormat { mini, full };  // 5.25-inch (40 tracks), 8-inch (77 tracks)

struct DiskGeometry {
    DiskFormat format;
    int track_count;
    int last_track;
    size_t track_slot_size;     // bytes per track in the image file
    size_t image_size;          // track_count * track_slot_size
    int sector_pages;           // declared length of a data track's one sector
    size_t track_payload;       // program bytes per data track: sector_pages * 256 - 3
    int directory_track;
    int label_track_modulus;
    const char* name;           // "5.25-inch" or "8-inch", for people
};

constexpr size_t PAGE_SIZE = 256;

// Every track but 0 opens with "CW", the BCD track number and "X".
constexpr uint8_t TRACK_HEADER_START_0 = 0x43;  // 'C'
constexpr uint8_t TRACK_HEADER_START_1 = 0x57;  // 'W'
constexpr uint8_t TRACK_HEADER_END = 0x58;      // 'X'
constexpr size_t TRACK_HEADER_SIZE = 4;
constexpr size_t TRACK_HEADER_NUMBER_OFFSET = 2;

// A sector opens with the sector mark, its number and its length in pages.
constexpr uint8_t SECTOR_MARK = 0x76;  // 'v'

const DiskGeometry& geometry_for(DiskFormat format);

// The geometry whose image is exactly this many bytes, or nullptr.
const DiskGeometry* geometry_for_image_size(uint64_t size);

// Binary-coded decimal of a track number 0..99: 39 -> $39, 76 -> $76.
constexpr uint8_t to_bcd(int n) { return static_cast<uint8_t>((n / 10) * 16 + n % 10); }

inline void write_track_header(uint8_t* slot, int track) {
    slot[0] = TRACK_HEADER_START_0;
    slot[1] = TRACK_HEADER_START_1;
    slot[TRACK_HEADER_NUMBER_OFFSET] = to_bcd(track);
    slot[3] = TRACK_HEADER_END;
}

// Largest program the loader can fetch: data and terminator end by the
// second-to-last track, so the last track never carries data.
constexpr size_t max_input_loader(const DiskGeometry& g) {
    return static_cast<size_t>(g.last_track - 2) * g.track_payload;
}

// Raw boot code must fit the boot track's payload.
constexpr size_t max_input_raw(const DiskGeometry& g) { return g.track_payload; }

// Data tracks a program needs, rounded up: 5000 bytes / 2045 per track -> 3.
constexpr int data_track_count(const DiskGeometry& g, size_t input_size) {
    return static_cast<int>((input_size + g.track_payload - 1) / g.track_payload);
}

constexpr size_t track_offset(const DiskGeometry& g, int track) {
    return static_cast<size_t>(track) * g.track_slot_size;
}
