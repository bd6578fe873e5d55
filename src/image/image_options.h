// The description of one image: which disk, which mode and loader, where the program
// loads and starts, the label; and, for the front ends that fill it, the
// file names and the overwrite choice of the run that asked for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/geometry.h"
#include "loader/loader_kind.h"

constexpr size_t LABEL_MAX_CHARACTERS = 384;  // 64 directory entries of six

struct ImageOptions {
    DiskFormat format = DiskFormat::mini;
    bool raw_boot = false;
    LoaderKind loader = LoaderKind::standard;  // which loader track 0 carries (not with raw_boot)
    bool overwrite = false;
    int32_t load_address = -1;  // -1: not given
    int32_t exec_address = -1;  // -1: not given
    std::vector<uint8_t> label; // one byte per character: its code's low 8 bits
    std::string input_path;
    bool has_output_path = false;
    std::string output_path;
};

// The 16-bit address the loader is to jump to: the exec address, else the load address.
uint16_t effective_exec_address(const ImageOptions& options);
