// A boot report for people and for scripts: the screen as text, and the
// text and JSON forms of the whole report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/boot_verdict.h"
#include "sim/boot_run.h"

struct ReportExtras {
    ProgramRange program_range;             // the program's bytes on the disk, when known
    const ProgramCheck* program = nullptr;  // with --expect
    bool screen = false;
    bool screen_all = false;                // --screen=all: the whole video memory, not the window
    bool bench = false;                     // keys were typed or --until given
    std::vector<size_t> nonzero_bytes_dropped;  // per track, from laying the image out
};

// The run's verdict: a good boot, an intact program with --expect, and
// every --until text seen.
bool run_passed(const BootReport& report, const ReportExtras& extras);

// The screen at the end of the run as the report shows it: the machine's
// window, or with whole all of its video memory, a row per line.
std::vector<std::string> report_screen_rows(const BootReport& report, bool whole);

// The rows in a frame, so that blanks at either end show:
//   +--+
//   |HI|
//   +--+
std::string framed_screen(const std::vector<std::string>& rows);

// The report's first line, without its line break: "Started at $0300 after
// 1.41 s (1386112 cycles)" or "Boot failed: " and why.
std::string boot_verdict_line(const BootReport& report, const ReportExtras& extras);

std::string boot_report_text(const BootReport& report, const ReportExtras& extras);
std::string boot_report_json(const BootReport& report, const ReportExtras& extras);
