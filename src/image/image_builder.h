// Builds a whole disk image in memory from the options and the program's
// bytes: zero fill, track headers, directory, boot track, data tracks.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cli/options.h"
#include "image/geometry.h"

// One image buffer of the geometry's image_size; track t occupies the slot
// from t * track_slot_size.
struct DiskImage {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;

    uint8_t* slot(const DiskGeometry& g, int track) { return bytes.get() + track_offset(g, track); }
    const uint8_t* slot(const DiskGeometry& g, int track) const {
        return bytes.get() + track_offset(g, track);
    }
};

using ProgramBytes = std::vector<uint8_t>;

// False when the memory cannot be had; the image is left empty then.
bool allocate_image(const DiskGeometry& geometry, DiskImage& image);

// Runs every pass in order; a later pass overwrites what an earlier one left.
// The program must already fit the geometry's limits for the chosen mode.
void build_image(const ImageOptions& options, const DiskGeometry& geometry,
                 const ProgramBytes& program, DiskImage& image);

// The track header "CW" <BCD track> "X" on tracks 1 to the last.
void format_tracks(const DiskGeometry& geometry, DiskImage& image);

void write_directory_track(const ImageOptions& options, const DiskGeometry& geometry,
                           int data_tracks, DiskImage& image);
void write_boot_track(const ImageOptions& options, const DiskGeometry& geometry,
                      const ProgramBytes& program, DiskImage& image);
void write_data_tracks(const ImageOptions& options, const DiskGeometry& geometry,
                       const ProgramBytes& program, DiskImage& image);

// The 16-bit address the loader is to jump to: the -e value, else the load address.
uint16_t effective_exec_address(const ImageOptions& options);
