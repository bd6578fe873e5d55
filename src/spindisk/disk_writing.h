// What convert, hfe and make share: a disk written in another of the formats the
// project reads, and the words for what laying an image out in time costs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk/disk_file.h"
#include "spindisk/arguments.h"
#include "spindisk/command.h"

// The format an output name asks for by its extension, in any case: .65d,
// .hfe, or .os5 / .os8 (an osiemu bit stream of a 5.25-inch / 8-inch disk).
struct OutputFormat {
    DiskFileKind kind;
    DiskFormat stream_disk;  // for an osiemu bit stream: the disk its extension names
};

// False for any other extension.
bool output_format_for_name(const std::string& name, OutputFormat& format);

// The extension an output of this kind takes: .65d, .hfe, .os5 or .os8.
const char* output_extension(DiskFileKind kind, DiskFormat disk);

// The output file's bytes: the image's slots for a .65d, the disk's signal
// written as HFE or as a bit stream. False with a reason otherwise.
bool encode_disk_bytes(DiskFileKind kind, const uint8_t* slots, size_t size, const DiskSignal& signal,
                       std::vector<uint8_t>& bytes, std::string& error);

// What hfe and convert are asked to do: IN written as OUT in a format.
struct DiskWriteRequest {
    std::string in_name, out_name;
    OutputFormat format{};
    bool has_lead_in = false;
    double lead_in_us = 0;
    bool allow_truncation = false;  // write without non-zero bytes that do not fit
    bool force = false;
    const char* truncation_hint = "";  // the line after a refused truncation
};

// What was written.
struct WrittenDisk {
    DiskFile disk;
    double lead_in_us = 0;   // what a .65d was laid out with
    // Non-zero bytes a .65d laid out in time left out, when allowed: "N non-zero
    // bytes do not fit in a revolution after a lead-in of X us (tracks 3, 4)".
    std::string loss;
    size_t file_size = 0;
};

// Takes IN and OUT (the two positionals) and --force, for hfe and convert;
// "" when they are good, else what is wrong, for bad usage. missing_both
// and missing_out name what is missing in the command's words.
std::string take_write_request(const ParsedArguments& parsed, const char* missing_both, const char* missing_out,
                               DiskWriteRequest& request);

// Takes --lead-in-us when it is given; "" or what is wrong with it.
std::string take_lead_in(const ParsedArguments& parsed, DiskWriteRequest& request);

// "lead-in 11700 us: 2139 of each track's 2304 bytes fit in the revolution\n"
std::string lead_in_fit_text(const WrittenDisk& written);

// Reads IN, lays a .65d out in time, refuses an output extension that does
// not fit the disk and bytes that do not fit a revolution (unless allowed),
// encodes and writes OUT. False with the command's failure: status 1, or
// bad usage for a lead-in or extension that cannot be.
bool write_disk_as(const std::string& command, const DiskWriteRequest& request, WrittenDisk& written,
                   CommandOutput& failure);

// Whole numbers as such, fractions to three places: 11700, 5.5, 0.125.
std::string number_text(double value);

// A warning line ("spindisk: warning: ...\n") when a .65d laid out with this
// lead-in will not boot because its sector mark passes during the index pulse.
std::string short_lead_in_warning(const DiskFile& disk, double lead_in_us);
