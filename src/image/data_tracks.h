// Layout of a data track: track header, sector header, load header, chunk.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/disk_image.h"
#include "image/image_options.h"

constexpr uint8_t DATA_SECTOR_NUMBER = 0x01;
constexpr size_t DATA_SECTOR_MARK_OFFSET = 4;
constexpr size_t DATA_SECTOR_NUMBER_OFFSET = 5;
constexpr size_t DATA_SECTOR_PAGES_OFFSET = 6;
constexpr size_t DATA_PAGE_COUNT_OFFSET = 7;    // load header: page count,
constexpr size_t DATA_ADDRESS_HIGH_OFFSET = 8;  // then the address high
constexpr size_t DATA_ADDRESS_LOW_OFFSET = 9;   // and low
constexpr size_t DATA_CHUNK_OFFSET = 10;
constexpr size_t LOAD_HEADER_SIZE = 3;

// Pages the loader must read for a chunk and its 3-byte load header:
// 2045 + 3 bytes -> 8 pages, 253 + 3 -> 1, 254 + 3 -> 2; an empty chunk -> 0.
constexpr uint8_t load_page_count(size_t chunk) {
    return chunk == 0 ? 0 : static_cast<uint8_t>((chunk + LOAD_HEADER_SIZE + 255) / 256);
}

// Tracks 1 to n carry the program's chunks, track n + 1 the terminator.
void write_data_tracks(const ImageOptions& options, const DiskGeometry& geometry,
                       const ProgramBytes& program, DiskImage& image);
