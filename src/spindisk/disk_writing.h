// What convert and hfe share: a disk written in another of the formats the
// project reads, and the words for what laying an image out in time costs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk/disk_file.h"

// The format an output name asks for by its extension, in any case: .65d,
// .hfe, or .os5 / .os8 (an osiemu bit stream of a 5.25-inch / 8-inch disk).
struct OutputFormat {
    DiskFileKind kind;
    DiskFormat stream_disk;  // for an osiemu bit stream: the disk its extension names
};

// False for any other extension.
bool output_format_for_name(const std::string& name, OutputFormat& format);

// "" when the output's extension fits the disk; else why not, for bad usage:
// "'x.os8' is an 8-inch bit stream, but 'in.65d' is a 5.25-inch disk: name it .os5".
std::string stream_extension_mismatch(const OutputFormat& format, const std::string& out_name, const DiskFile& disk,
                                      const std::string& in_name);

// The output file's bytes: the slots for a .65d, the disk's signal written
// as HFE or as a bit stream. False with a reason otherwise.
bool encode_disk(const DiskFile& disk, DiskFileKind kind, std::vector<uint8_t>& bytes, std::string& error);

// The lead-in a .65d was laid out with: the one given, else its format's.
double lead_in_used(const DiskFile& disk, const double* lead_in_us);

// Whole numbers as such, fractions to three places: 11700, 5.5, 0.125.
std::string number_text(double value);

// "" when every non-zero byte fit in the revolution; else "N non-zero bytes
// do not fit in a revolution after a lead-in of X us (tracks 3, 4)".
std::string layout_loss(const SignalLayoutReport& report, double lead_in_us);

// A warning line ("spindisk: warning: ...\n") when a .65d laid out with this
// lead-in will not boot because its sector mark passes during the index pulse.
std::string short_lead_in_warning(const DiskFile& disk, double lead_in_us);
