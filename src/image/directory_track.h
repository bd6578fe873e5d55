// Layout of the OS-65D directory track: two one-page sectors of 32
// eight-byte entries, each sector closed by "GS".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "image/disk_image.h"
#include "image/image_options.h"

constexpr size_t DIRECTORY_ENTRY_COUNT = 64;
constexpr size_t DIRECTORY_ENTRIES_PER_SECTOR = 32;
constexpr size_t DIRECTORY_ENTRY_SIZE = 8;
constexpr size_t DIRECTORY_NAME_SIZE = 6;
constexpr size_t DIRECTORY_FIRST_TRACK_OFFSET = 6;  // within an entry
constexpr size_t DIRECTORY_LAST_TRACK_OFFSET = 7;
constexpr size_t DIRECTORY_SECTOR_HEADER_SIZE = 3;
constexpr size_t DIRECTORY_TRAILER_SIZE = 2;
constexpr size_t DIRECTORY_SECTOR_SIZE = DIRECTORY_SECTOR_HEADER_SIZE +
                                         DIRECTORY_ENTRIES_PER_SECTOR * DIRECTORY_ENTRY_SIZE +
                                         DIRECTORY_TRAILER_SIZE;  // 261
constexpr size_t DIRECTORY_SIZE = 4 + 2 * DIRECTORY_SECTOR_SIZE;    // 526
constexpr uint8_t DIRECTORY_TRAILER[DIRECTORY_TRAILER_SIZE] = {0x47, 0x53};  // "GS"
constexpr uint8_t DIRECTORY_FREE_NAME_CHAR = '#';
// The default label's entries name track $12 (the directory track's BCD on 5.25-inch).
constexpr uint8_t DIRECTORY_DEFAULT_TRACK = 0x12;

// Entry i starts after the track header and its sector's header; entries
// 32 and on also follow sector 1's trailer: 7 + 8i, or 12 + 8i.
constexpr size_t directory_entry_offset(size_t entry) {
    const size_t sector = entry / DIRECTORY_ENTRIES_PER_SECTOR;
    return 4 + sector * DIRECTORY_SECTOR_SIZE + DIRECTORY_SECTOR_HEADER_SIZE +
           (entry % DIRECTORY_ENTRIES_PER_SECTOR) * DIRECTORY_ENTRY_SIZE;
}

extern const std::array<uint8_t, DIRECTORY_SIZE> DIRECTORY_TEMPLATE;

// The OS-65D directory with the default label or the options' label;
// data_tracks tells whether the program reaches the directory's track.
void write_directory_track(const ImageOptions& options, const DiskGeometry& geometry,
                           int data_tracks, DiskImage& image);
