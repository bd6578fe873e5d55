// Tracks 1 to n + 1: the program in consecutive chunks, then the terminator.
#include <algorithm>
#include <cstring>

#include "image/data_tracks.h"

void write_data_tracks(const ImageOptions& options, const DiskGeometry& geometry,
                       const ProgramBytes& program, DiskImage& image) {
    const int data_tracks = data_track_count(geometry, program.size());
    size_t done = 0;
    // Addresses are 16 bits on the target; a program past $FFFF wraps to $0000.
    uint16_t address = static_cast<uint16_t>(options.load_address);
    for (int track = 1; track <= data_tracks + 1; track++) {
        const size_t chunk = std::min(program.size() - done, geometry.track_payload);
        uint8_t* slot = image.slot(geometry, track);
        write_track_header(slot, track);
        slot[DATA_SECTOR_MARK_OFFSET] = SECTOR_MARK;
        slot[DATA_SECTOR_NUMBER_OFFSET] = DATA_SECTOR_NUMBER;
        slot[DATA_SECTOR_PAGES_OFFSET] = static_cast<uint8_t>(geometry.sector_pages);
        slot[DATA_PAGE_COUNT_OFFSET] = load_page_count(chunk);
        slot[DATA_ADDRESS_HIGH_OFFSET] = address >> 8;
        slot[DATA_ADDRESS_LOW_OFFSET] = address & 0xFF;
        if (chunk > 0) std::memcpy(slot + DATA_CHUNK_OFFSET, program.data() + done, chunk);
        done += chunk;
        address = static_cast<uint16_t>(address + chunk);
    }
}
