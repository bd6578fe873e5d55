// The parts of spindisk make that are about names and text: which output
// format a file name asks for, the default output name, and the summary
// printed after a disk was written.
#pragma once

#include <string>

#include "spindisk/make_disk.h"

// By extension: .65d, .hfe, .os5 and .os8 (any case); false for any other.
bool output_format_for_name(const std::string& name, OutputFormat& format);

// False when the name ends in the osiemu extension of the other disk size
// (.os8 for a 5.25-inch disk, .os5 for an 8-inch one).
bool output_name_fits_disk(const std::string& name, DiskFormat disk);

// The extension a format writes for a disk: ".65d", ".hfe", ".os5" or ".os8".
const char* output_extension(OutputFormat format, DiskFormat disk);

// INPUT's name with its last extension (a dot in the file's own name, not
// at its start) replaced by the output's: game.bin -> game.65d, a.b/prog ->
// a.b/prog.65d, .hidden -> .hidden.65d.
std::string default_output_name(const std::string& input_name, OutputFormat format, DiskFormat disk);

// Lines for stdout: the output and its format, the disk, the program's range
// and size, the tracks, the start, the label and the verification.
std::string make_summary(const MakeResult& result, const std::string& output_name, OutputFormat format);
