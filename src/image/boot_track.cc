// Track 0: the boot header the ROM reads, then the loader or the raw code.
#include <cstring>

#include "image/boot_track.h"
#include "loader/boot_loader.h"

void write_boot_track(const ImageOptions& options, const DiskGeometry& geometry,
                      const ProgramBytes& program, DiskImage& image) {
    uint8_t* slot = image.slot(geometry, 0);
    slot[BOOT_HEADER_ADDRESS_HIGH] = BOOT_LOAD_ADDRESS >> 8;
    slot[BOOT_HEADER_ADDRESS_LOW] = BOOT_LOAD_ADDRESS & 0xFF;
    if (options.raw_boot) {
        // One page more than whole pages, even for an exact multiple:
        // 255 bytes -> 1 page, 256 -> 2, 2045 -> 8.
        slot[BOOT_HEADER_PAGE_COUNT] = static_cast<uint8_t>(program.size() / PAGE_SIZE + 1);
        if (!program.empty()) std::memcpy(slot + BOOT_CODE_OFFSET, program.data(), program.size());
        return;
    }
    slot[BOOT_HEADER_PAGE_COUNT] = BOOT_LOADER_PAGES;
    std::memcpy(slot + BOOT_CODE_OFFSET, BOOT_LOADER_IMAGE.data(), BOOT_LOADER_SIZE);
    const uint16_t exec = effective_exec_address(options);
    slot[BOOT_CODE_OFFSET + LOADER_EXEC_LOW_OFFSET] = exec & 0xFF;
    slot[BOOT_CODE_OFFSET + LOADER_EXEC_HIGH_OFFSET] = exec >> 8;
}

bool holds_boot_loader(const uint8_t* slot, size_t size) {
    if (size < BOOT_CODE_OFFSET + BOOT_LOADER_SIZE) return false;
    if (slot[BOOT_HEADER_ADDRESS_HIGH] != (BOOT_LOAD_ADDRESS >> 8) ||
        slot[BOOT_HEADER_ADDRESS_LOW] != (BOOT_LOAD_ADDRESS & 0xFF) ||
        slot[BOOT_HEADER_PAGE_COUNT] != BOOT_LOADER_PAGES) {
        return false;
    }
    for (size_t k = 0; k < BOOT_LOADER_SIZE; k++) {
        if (k == LOADER_EXEC_LOW_OFFSET || k == LOADER_EXEC_HIGH_OFFSET) continue;
        if (slot[BOOT_CODE_OFFSET + k] != BOOT_LOADER_IMAGE[k]) return false;
    }
    return true;
}

uint16_t loader_exec_address(const uint8_t* slot) {
    return static_cast<uint16_t>(slot[BOOT_CODE_OFFSET + LOADER_EXEC_HIGH_OFFSET] << 8 |
                                 slot[BOOT_CODE_OFFSET + LOADER_EXEC_LOW_OFFSET]);
}
