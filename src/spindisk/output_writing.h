// How every spindisk command that writes a file (extract, hfe, convert)
// writes it and words what went wrong, so that the three say it one way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the whole file through the failure-safe output (an existing name
// only with force). Empty when written; else the message for
// "spindisk: <message>": "'X' exists (use --force to overwrite)",
// "cannot open 'X' for writing" or "cannot write 'X'".
std::string write_output_file(const std::string& name, bool force, const std::vector<uint8_t>& bytes);
