// Builds a whole disk image in memory from the options and the program's
// bytes: zero fill, track headers, directory, boot track, data tracks.
#pragma once

#include "image/disk_image.h"
#include "image/geometry.h"
#include "image/image_options.h"

// Runs every pass in order; a later pass overwrites what an earlier one left.
// The program must already fit the geometry's limits for the chosen mode.
void build_image(const ImageOptions& options, const DiskGeometry& geometry,
                 const ProgramBytes& program, DiskImage& image);

// The track header "CW" <BCD track> "X" on tracks 1 to the last.
void format_tracks(const DiskGeometry& geometry, DiskImage& image);
