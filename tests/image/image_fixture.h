// Builds images in memory for the pass tests.
#pragma once

#include <cstdint>
#include <vector>

#include "image/image_options.h"
#include "image/image_builder.h"
#include "support/temp_dir.h"

inline ImageOptions loader_options(DiskFormat format, int32_t load, int32_t exec = -1) {
    ImageOptions options;
    options.format = format;
    options.load_address = load;
    options.exec_address = exec;
    return options;
}

inline std::vector<uint8_t> build(const ImageOptions& options, const Bytes& program) {
    const DiskGeometry& g = geometry_for(options.format);
    DiskImage image;
    if (!allocate_image(g, image)) return {};
    build_image(options, g, program, image);
    return std::vector<uint8_t>(image.bytes.get(), image.bytes.get() + image.size);
}

inline std::vector<uint8_t> label_bytes(const char* text) {
    return std::vector<uint8_t>(text, text + std::char_traits<char>::length(text));
}
