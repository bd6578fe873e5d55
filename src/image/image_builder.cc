// The image buffer, build_image's fixed pass order and the track formatting.
#include "image/image_builder.h"

#include <cstring>
#include <new>

#include "image/boot_track.h"
#include "image/data_tracks.h"
#include "image/directory_track.h"

bool allocate_image(const DiskGeometry& geometry, DiskImage& image) {
    image.bytes.reset(new (std::nothrow) uint8_t[geometry.image_size]);
    image.size = image.bytes ? geometry.image_size : 0;
    return image.bytes != nullptr;
}

void format_tracks(const DiskGeometry& geometry, DiskImage& image) {
    for (int track = 1; track <= geometry.last_track; track++) {
        write_track_header(image.slot(geometry, track), track);
    }
}

void build_image(const ImageOptions& options, const DiskGeometry& geometry,
                 const ProgramBytes& program, DiskImage& image) {
    const int data_tracks = data_track_count(geometry, program.size());
    std::memset(image.bytes.get(), 0, image.size);
    format_tracks(geometry, image);
    // The directory goes first so that data tracks reaching its track win.
    write_directory_track(options, geometry, data_tracks, image);
    write_boot_track(options, geometry, program, image);
    if (!options.raw_boot) write_data_tracks(options, geometry, program, image);
}
