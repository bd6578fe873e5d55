// The verdict on a boot: did it succeed, and is the program in memory what
// the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

// A good boot: started, nothing lost to overruns, no read-back errors.
bool boot_succeeded(const BootReport& report);
