// Track 0: the boot header the ROM reads, then the loader or the raw code.
#include <cstring>

#include "image/boot_track.h"
#include "loader/boot_loader.h"
#include "loader/loader_kind.h"

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
    const LoaderInfo& loader = loader_info(options.loader);
    slot[BOOT_HEADER_PAGE_COUNT] = BOOT_LOADER_PAGES;
    std::memcpy(slot + BOOT_CODE_OFFSET, loader.image, loader.size);
    const uint16_t exec = effective_exec_address(options);
    slot[BOOT_CODE_OFFSET + loader.exec_low_offset] = exec & 0xFF;
    slot[BOOT_CODE_OFFSET + loader.exec_high_offset] = exec >> 8;
}

bool holds_loader(const uint8_t* slot, size_t size, LoaderKind kind) {
    const LoaderInfo& loader = loader_info(kind);
    if (size < BOOT_CODE_OFFSET + loader.size) return false;
    if (slot[BOOT_HEADER_ADDRESS_HIGH] != (BOOT_LOAD_ADDRESS >> 8) ||
        slot[BOOT_HEADER_ADDRESS_LOW] != (BOOT_LOAD_ADDRESS & 0xFF) ||
        slot[BOOT_HEADER_PAGE_COUNT] != BOOT_LOADER_PAGES) {
        return false;
    }
    for (size_t k = 0; k < loader.size; k++) {
        if (k == loader.exec_low_offset || k == loader.exec_high_offset) continue;
        if (slot[BOOT_CODE_OFFSET + k] != loader.image[k]) return false;
    }
    return true;
}

bool find_loader(const uint8_t* slot, size_t size, LoaderKind& kind) {
    for (const LoaderInfo& loader : LOADER_TABLE) {
        if (!holds_loader(slot, size, loader.kind)) continue;
        kind = loader.kind;
        return true;
    }
    return false;
}

uint16_t loader_exec_address(const uint8_t* slot, LoaderKind kind) {
    const LoaderInfo& loader = loader_info(kind);
    return static_cast<uint16_t>(slot[BOOT_CODE_OFFSET + loader.exec_high_offset] << 8 |
                                 slot[BOOT_CODE_OFFSET + loader.exec_low_offset]);
}
