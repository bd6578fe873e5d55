// Turns fuzz input into a real image with damage in it, for the targets that
// want images that are nearly right: a header (mode bits, load address,
// program length), the program, then (offset high, middle, low, value)
// patches applied to the built image within patch_span bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "image/image_builder.h"

struct FuzzImage {
    ImageOptions options;
    const DiskGeometry* geometry = nullptr;
    DiskImage image;
};

constexpr size_t FUZZ_HEADER_SIZE = 5;

// False when the input is too short to make an image. max_data_tracks caps
// the program in loader mode (the raw boot limit always holds) and
// patch_tracks keeps the patches on the first tracks; 0 means no cap.
inline bool fuzz_image_from_input(const uint8_t* data, size_t size, int max_data_tracks, int patch_tracks,
                                  FuzzImage& out) {
    if (size <= FUZZ_HEADER_SIZE) return false;
    ImageOptions& options = out.options;
    options.format = (data[0] & 1) ? DiskFormat::full : DiskFormat::mini;
    options.raw_boot = (data[0] & 2) != 0;
    options.load_address = data[1] << 8 | data[2];
    options.exec_address = options.load_address;
    if (data[0] & 4) options.label = {'F', 'U', 'Z', 'Z'};
    const DiskGeometry& g = geometry_for(options.format);
    out.geometry = &g;
    const size_t loader_limit =
        max_data_tracks > 0 ? std::min(max_data_tracks * g.track_payload, max_input_loader(g)) : max_input_loader(g);
    const size_t limit = options.raw_boot ? max_input_raw(g) : loader_limit;
    const size_t wanted = static_cast<size_t>(data[3] << 8 | data[4]) % limit + 1;
    const size_t length = std::min(wanted, size - FUZZ_HEADER_SIZE);
    const ProgramBytes program(data + FUZZ_HEADER_SIZE, data + FUZZ_HEADER_SIZE + length);
    if (!allocate_image(g, out.image)) return false;
    build_image(options, g, program, out.image);
    const size_t span = patch_tracks > 0 ? std::min(track_offset(g, patch_tracks), out.image.size) : out.image.size;
    for (size_t at = FUZZ_HEADER_SIZE + length; at + 4 <= size; at += 4) {
        const size_t offset = (static_cast<size_t>(data[at]) << 16 | data[at + 1] << 8 | data[at + 2]) % span;
        out.image.bytes[offset] = data[at + 3];
    }
    return true;
}
