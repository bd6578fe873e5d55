// Reading disk files for the commands: a .65d image for its facts, or any
// disk file as the signal the simulated drive plays; and the messages every
// command gives for a file it could not read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk/image_reader.h"
#include "fileio/input_file.h"
#include "format/signal_encoder.h"
#include "signal/disk_signal.h"

// A file name as messages show it: 'name', its control characters as \xNN.
std::string quoted_name(const std::string& name);

// For the commands: an image file read whole and looked at. The only file
// access in this reader; read_image itself stays pure for the fuzzer.
struct ImageFile {
    std::vector<uint8_t> bytes;
    ImageFacts facts;
    std::string error;  // non-empty: why there is no image, for "spindisk: <error>"
};

// Files of more than this are not read; the message still names the sizes.
constexpr uint64_t IMAGE_FILE_READ_LIMIT = 1024 * 1024;

ImageFile load_image_file(const std::string& name);

// The messages every command gives for a file it could not read, and for a
// file whose size is no image's ("... is 1000 bytes; an image is ...").
std::string file_read_error(WholeFileStatus status, const std::string& name, uint64_t limit);
std::string image_size_error(const std::string& name, uint64_t size);

// A disk file as the drive plays it, and how the image's bytes were laid out
// in time (empty for a file that carries its own timing).
struct BootDisk {
    DiskSignal signal;
    SignalLayoutReport layout;
};

enum class LoadStatus { ok, failed, bad_option };

// Files of more than this are not read as disks; far above any disk file.
constexpr uint64_t DISK_FILE_READ_LIMIT = 16u << 20;

// Reads a disk file into the signal the drive plays: the one place that
// knows disk file formats. A .65d image is laid out in time with the
// format's timing and, when lead_in_us is given, that lead-in.
LoadStatus load_boot_disk(const std::string& path, const double* lead_in_us, BootDisk& disk, std::string& error);
