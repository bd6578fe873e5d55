// The verdict on a boot: did it succeed, and is the program in memory what
// the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "disk/image_reader.h"
#include "sim/boot_run.h"

// The program file against memory at the start, at the load address the disk names.
struct ProgramCheck {
    bool checked = false;       // the boot started and the disk names a load address
    bool intact = false;
    uint16_t load_address = 0;
    size_t size = 0;
    size_t differences = 0;     // bytes that differ, the finish's patch aside
    uint16_t first_difference = 0;
    uint8_t expected = 0;
    uint8_t found = 0;
    bool covers_finish_patch = false;  // the loader's finish wrote over part of the program
};

ProgramCheck check_program(const BootReport& report, const std::vector<uint8_t>& program);

// The program's own bytes on the disk, as the image reader finds them: the
// chunks of the data tracks, or raw boot code's pages. The loader stores
// whole pages, so on the last track it writes past the program's end.
struct ProgramRange {
    bool known = false;
    uint16_t first = 0;
    uint64_t size = 0;  // may wrap past $FFFF
};

ProgramRange program_range(const ImageFacts& facts);

// Read-back errors by where they fell: in the program's bytes (every one
// when the range is not known), or outside them.
struct ReadbackErrors {
    uint64_t in_program = 0;
    uint64_t outside = 0;
};

ReadbackErrors split_readback_errors(const BootReport& report, const ProgramRange& program);

// A good boot: started, nothing lost to overruns, no read-back errors in the
// program's bytes. Errors outside them (stores past its end where there is
// no RAM) leave the program as it is; without a range every one counts.
bool boot_succeeded(const BootReport& report, const ProgramRange& program = ProgramRange{});

// A started program whose own bytes went where the machine has no RAM (a
// smaller --ram) did not load: the outcome becomes above_ram, and the range
// above the RAM is narrowed to the program's bytes. Stores past the
// program's end (its last whole page) leave it as it is.
void judge_program_above_ram(BootReport& report, const ProgramRange& program);
