// SpinLoad's run driver: one run from the command line to the written image.
#pragma once

#include <string>
#include <vector>

// The exit status: 0 written, 1 a reported failure, -1 input not openable.
int run(const std::vector<std::string>& args);

// game.bin -> game.65d; the extension is looked for only among the last four
// characters of the final path component.
std::string derive_output_name(const std::string& input_name);
