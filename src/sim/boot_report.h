// A boot report for people and for scripts: the checks made after the boot
// (the program against its file, the screen) and the text and JSON forms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

// The video memory as text: 32 columns for 5.25-inch machines, 64 for
// 8-inch, 32 rows; printable ASCII as it is, anything else as '.'. Spaces
// at the end of a row and blank rows at the bottom are left off.
std::vector<std::string> screen_rows(const BootReport& report);

struct ReportExtras {
    const ProgramCheck* program = nullptr;  // with --expect
    bool screen = false;
    std::vector<size_t> nonzero_bytes_dropped;  // per track, from laying the image out
};

std::string boot_report_text(const BootReport& report, const ReportExtras& extras);
std::string boot_report_json(const BootReport& report, const ReportExtras& extras);
