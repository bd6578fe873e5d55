// A boot report for people and for scripts: the screen as text, and the
// text and JSON forms of the whole report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/boot_verdict.h"
#include "sim/boot_run.h"

// The video memory as text: 32 columns for 5.25-inch machines, 64 for
// 8-inch, 32 rows; printable ASCII as it is, anything else as '.'. Spaces
// at the end of a row and blank rows at the bottom are left off.
std::vector<std::string> screen_rows(const BootReport& report);

struct ReportExtras {
    ProgramRange program_range;             // the program's bytes on the disk, when known
    const ProgramCheck* program = nullptr;  // with --expect
    bool screen = false;
    std::vector<size_t> nonzero_bytes_dropped;  // per track, from laying the image out
};

std::string boot_report_text(const BootReport& report, const ReportExtras& extras);
std::string boot_report_json(const BootReport& report, const ReportExtras& extras);
