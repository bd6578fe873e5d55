// What every input format gives back: one program, as the bytes that lie in
// memory from its load address, and the start address when the file names one.
// The formats themselves are text or bytes a toolchain writes (raw binaries,
// OSI 65V monitor text, cc65's hybrid output, Intel HEX, S-records); this
// folder turns each into a Program and knows nothing of disks or commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Program {
    uint16_t load_address = 0;
    std::vector<uint8_t> bytes;  // lowest to highest address, gaps as $00
    bool has_start = false;      // the file names a start address
    uint16_t start_address = 0;
    size_t pieces = 0;           // runs of bytes the file gave, joined here
};

// A failure to read a format: what is wrong and, in a text format, the line
// (from 1) where it is; line 0 when the whole file is at fault.
struct ProgramError {
    int line = 0;
    std::string message;
};

// Reading a format: ok, or the error; notes are things a person should know
// about a file that was read (a length that needed care, a byte left out).
struct ProgramRead {
    bool ok = false;
    Program program;
    ProgramError error;
    std::vector<std::string> notes;
};

ProgramRead program_failure(int line, const std::string& message);
