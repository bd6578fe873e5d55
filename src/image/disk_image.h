// The image buffer every pass writes into: one whole disk, track by track.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

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
