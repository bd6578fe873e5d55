// The parts of spindisk make that are about names and text: the default
// output name, and the summary printed after a disk was written. (Which
// format an output name asks for is disk_writing's output_format_for_name,
// shared with convert.)
#pragma once

#include <string>
#include <vector>

#include "spindisk/make_disk.h"

// The names --output-format takes: "65d", "hfe", "osi"; false for any other.
bool output_kind_from_name(const std::string& name, DiskFileKind& kind);

// A label as SpinLoad's -n takes it: each character's code, low 8 bits,
// from UTF-8 where it is valid; false when it has more than
// LABEL_MAX_CHARACTERS characters.
bool label_from_text(const std::string& text, std::vector<uint8_t>& label);

// INPUT's name with its last extension (a dot in the file's own name, not
// at its start) replaced by the output's: game.bin -> game.65d, a.b/prog ->
// a.b/prog.65d, .hidden -> .hidden.65d.
std::string default_output_name(const std::string& input_name, DiskFileKind kind, DiskFormat disk);

// Lines for stdout: the output and its format, the disk, the program's range
// and size, the tracks, the start, the label and the verification.
std::string make_summary(const MakeResult& result, const std::string& output_name, DiskFileKind kind);
