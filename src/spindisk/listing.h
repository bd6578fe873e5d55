// What spindisk list prints for an image's facts: text for people, one JSON
// object for scripts. Pure functions, so they can be fuzzed and tested alone.
#pragma once

#include <string>

#include "disk/disk_file.h"
#include "disk/image_reader.h"

// The boot header as its bytes: "22 00 02".
std::string boot_header_text(const BootFacts& boot);

// Both need facts of an image of a known format (facts.geometry set). With
// the disk file they came from, a decoded one's source is stated too.
std::string listing_text(const ImageFacts& facts, const DiskFile* source = nullptr);
std::string listing_json(const ImageFacts& facts, const DiskFile* source = nullptr);

// Findings of level error: each one means the disk would not boot or would
// not load the program intact.
size_t error_count(const ImageFacts& facts);
