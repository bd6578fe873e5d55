// The constant geometry table, one row per disk format.
#include "image/geometry.h"

#include <initializer_list>

namespace {

constexpr DiskGeometry MINI_GEOMETRY = {
    DiskFormat::mini, 40, 39, 0x900, 40 * 0x900, 8, 8 * PAGE_SIZE - 3, 12, 40, "5.25-inch",
};

constexpr DiskGeometry FULL_GEOMETRY = {
    DiskFormat::full, 77, 76, 0xF00, 77 * 0xF00, 12, 12 * PAGE_SIZE - 3, 8, 77, "8-inch",
};

static_assert(MINI_GEOMETRY.image_size == 92160, "5.25-inch image size");
static_assert(FULL_GEOMETRY.image_size == 295680, "8-inch image size");
static_assert(max_input_loader(MINI_GEOMETRY) == 75665, "5.25-inch loader limit");
static_assert(max_input_loader(FULL_GEOMETRY) == 227106, "8-inch loader limit");

}  // namespace

const DiskGeometry& geometry_for(DiskFormat format) {
    return format == DiskFormat::full ? FULL_GEOMETRY : MINI_GEOMETRY;
}

const DiskGeometry* geometry_for_image_size(uint64_t size) {
    for (const DiskGeometry* g : {&MINI_GEOMETRY, &FULL_GEOMETRY}) {
        if (size == g->image_size) return g;
    }
    return nullptr;
}
