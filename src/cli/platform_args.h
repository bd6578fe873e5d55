// The command line as byte strings, on every platform: POSIX hands us bytes;
// Windows hands us UTF-16, which we turn into UTF-8 so that label characters
// and file names mean the same everywhere. Also puts the standard streams in
// binary mode, so "\r\n" leaves as exactly those two bytes.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> platform_arguments(int argc, char** argv);
