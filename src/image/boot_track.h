// Layout of track 0: the boot header that the boot ROM reads first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/disk_image.h"
#include "image/image_options.h"

constexpr size_t BOOT_HEADER_ADDRESS_HIGH = 0;
constexpr size_t BOOT_HEADER_ADDRESS_LOW = 1;
constexpr size_t BOOT_HEADER_PAGE_COUNT = 2;
constexpr size_t BOOT_CODE_OFFSET = 3;  // the ROM loads from here to $2200
constexpr uint8_t BOOT_LOADER_PAGES = 2;

// Reading track 0 back: whether these bytes (at least size of them) start
// with the boot header and the given loader, whatever the start address;
// which loader they hold, if any; and the start address it jumps to.
bool holds_loader(const uint8_t* slot, size_t size, LoaderKind kind);
bool find_loader(const uint8_t* slot, size_t size, LoaderKind& kind);
uint16_t loader_exec_address(const uint8_t* slot, LoaderKind kind);

// Track 0 in loader mode: the boot header and the chosen loader with its
// final jump patched; with raw_boot, the boot header and the program itself.
void write_boot_track(const ImageOptions& options, const DiskGeometry& geometry,
                      const ProgramBytes& program, DiskImage& image);
