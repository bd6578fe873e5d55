// A disk file the page was given, read as the commands read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "disk/disk_file.h"

// Any disk file the commands read (.65d, HFE, osiemu bit stream), with its
// signal laid out for the drive; false with the commands' message, which
// names the file by `name`.
bool web_read_disk(const uint8_t* bytes, size_t size, const std::string& name, DiskFile& disk, std::string& error);
