// Reading a whole input file into memory: regular files are measured first
// (a huge one is refused unread), anything else is read up to a bound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fileio/paths.h"

enum class InputStatus { ok, cannot_open, read_failed };

struct InputFile {
    std::string name;            // as the user gave it, for messages
    bool regular = false;        // measured by its size, read later
    uint64_t size = 0;           // measured size, or bytes read from a stream
    std::vector<uint8_t> bytes;  // the contents once read
    InputHandle handle;          // open until the contents are read
};

// Opens the input and learns its size. A regular file is only measured
// (unless its size is 0, which some files with data report); a pipe or
// device is read at once, up to read_bound bytes (one past the largest
// acceptable input is enough to tell "too big").
InputStatus open_and_measure_input(const std::string& name, uint64_t read_bound, InputFile& input);

// Reads a measured regular file whole; a no-op for streams already read.
InputStatus read_input(InputFile& input);

enum class WholeFileStatus { ok, cannot_open, too_big, read_failed };

// Reads a whole file of at most max_size bytes (pipes and devices too).
WholeFileStatus read_whole_file(const std::string& name, uint64_t max_size, std::vector<uint8_t>& bytes);

// Reads standard input whole, up to max_size bytes.
WholeFileStatus read_standard_input(uint64_t max_size, std::vector<uint8_t>& bytes);
