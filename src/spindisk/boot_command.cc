// spindisk boot: boots an image on the simulated OSI machine and reports how
// the boot went, optionally checking the program and showing the screen.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/units.h"
#include "spindisk/arguments.h"
#include "spindisk/command.h"
#include "disk/boot_disk_facts.h"
#include "disk/disk_file.h"
#include "fileio/input_file.h"
#include "spindisk/boot_report.h"
#include "sim/boot_run.h"

const char BOOT_USAGE[] =
    "Usage: spindisk boot IMAGE [OPTIONS]\n"
    "Boots IMAGE (a .65d image, an HFE file or an osiemu bit stream) from\n"
    "reset on a simulated OSI machine (6502, 6821 PIA, 6850 ACIA, a drive that\n"
    "turns in emulated time) and reports whether the\n"
    "program started, when, and for each track read: the pages and addresses\n"
    "stored, the revolutions it took, bytes lost to overruns and read-back\n"
    "errors.\n"
    "\n"
    "Options:\n"
    "  --expect PROGRAM  compare memory at the start with PROGRAM at its load address\n"
    "  --screen          let the program run on, then show the video memory\n"
    "  --run-ms N        how long it runs on, in ms (default 100 with --screen)\n"
    "  --cpu-hz N        CPU clock (default 983040 for 5.25-inch, 1966080 for 8-inch)\n"
    "  --index-us N      index pulse length (default 5500 or 3000)\n"
    "  --lead-in-us N    time from the index to a track's first byte (default 11700 or 3200)\n"
    "  --max-seconds S   emulated time to give up after (default 30)\n"
    "  --json            print the report as one JSON object\n"
    "  --help            show this text\n"
    "\n"
    "The work is bounded: --cpu-hz times (--max-seconds plus --run-ms) may be\n"
    "at most 10000000000 emulated cycles, about half a minute on a PC.\n"
    "8-inch disks need a 2 MHz machine: at about 1 MHz the loader loses bytes.\n"
    "Exit status: 0 a good boot (and an intact program with --expect),\n"
    "1 a failed boot or an unreadable file, 2 bad usage.\n";

namespace {

const char COMMAND_NAME[] = "boot";
const std::vector<OptionSpec> BOOT_OPTIONS = {
    {"expect", true},  {"screen", false},      {"run-ms", true},      {"cpu-hz", true},
    {"index-us", true}, {"lead-in-us", true}, {"max-seconds", true}, {"json", false},
};

constexpr uint64_t MAX_PROGRAM_FILE = 1u << 20;   // above the largest program (227106 bytes)
constexpr unsigned long long MIN_CPU_HZ = 100000;
constexpr unsigned long long MAX_CPU_HZ = 100000000;  // far past any OSI board
constexpr double MAX_SECONDS = 3600.0;
constexpr double MAX_RUN_MS = 60000.0;
constexpr double DEFAULT_SCREEN_RUN_MS = 100.0;
// The simulator runs some 3e8 cycles a second: 1e10 cycles is about half a
// minute, where 100 MHz for 3600 s would be some 20 minutes. The largest
// default (8-inch, 1966080 Hz for 3600 s) stays within it.
constexpr double MAX_EMULATED_CYCLES = 1e10;

// The settings the command line may change; unset ones take the disk's defaults.
struct BootOptions {
    std::string image_path;
    std::string expect_path;
    bool screen = false;
    bool json = false;
    bool has_cpu_hz = false, has_index_us = false, has_lead_in_us = false, has_run_ms = false;
    uint64_t cpu_hz = 0;
    double index_us = 0, lead_in_us = 0, run_ms = 0, max_seconds = 0;
    bool has_max_seconds = false;
};

// Reads --NAME as a decimal number within [low, high]; false with a message otherwise.
bool decimal_option(const ParsedArguments& parsed, const char* name, double low, double high, bool& has,
                    double& value, std::string& error) {
    if (!parsed.has(name)) return true;
    const std::string& text = parsed.values.at(name);
    if (!parse_decimal(text, value) || value < low || value > high) {
        error = "--" + std::string(name) + " wants a number from " + std::to_string(static_cast<long long>(low)) +
                " to " + std::to_string(static_cast<long long>(high)) + ", not '" + text + "'";
        return false;
    }
    has = true;
    return true;
}

bool parse_boot_options(const std::vector<std::string>& args, BootOptions& options, std::string& error) {
    const ParsedArguments parsed = parse_command_arguments(args, BOOT_OPTIONS);
    if (!parsed.error.empty()) {
        error = parsed.error;
        return false;
    }
    if (parsed.positional.size() != 1) {
        error = parsed.positional.empty() ? "no image given" : "one image at a time";
        return false;
    }
    options.image_path = parsed.positional[0];
    options.screen = parsed.has("screen");
    options.json = parsed.has("json");
    if (parsed.has("expect")) options.expect_path = parsed.values.at("expect");
    if (parsed.has("cpu-hz")) {
        unsigned long long hz = 0;
        const std::string& text = parsed.values.at("cpu-hz");
        if (!parse_unsigned(text, MAX_CPU_HZ, hz) || hz < MIN_CPU_HZ) {
            error = "--cpu-hz wants a whole number from " + std::to_string(MIN_CPU_HZ) + " to " +
                    std::to_string(MAX_CPU_HZ) + ", not '" + text + "'";
            return false;
        }
        options.cpu_hz = hz;
        options.has_cpu_hz = true;
    }
    const double no_limit = MICROSECONDS_PER_SECOND;  // checked against the revolution later
    return decimal_option(parsed, "index-us", 0, no_limit, options.has_index_us, options.index_us, error) &&
           decimal_option(parsed, "lead-in-us", 0, no_limit, options.has_lead_in_us, options.lead_in_us, error) &&
           decimal_option(parsed, "run-ms", 0, MAX_RUN_MS, options.has_run_ms, options.run_ms, error) &&
           decimal_option(parsed, "max-seconds", 0, MAX_SECONDS, options.has_max_seconds, options.max_seconds, error);
}

// Emulated time costs real time in proportion to the clock: refuse runs
// that would take minutes.
bool within_work_bound(const BootSettings& settings, std::string& error) {
    const double seconds = settings.max_seconds + settings.run_ms / MILLISECONDS_PER_SECOND;
    const double cycles = static_cast<double>(settings.cpu_hz) * seconds;
    if (cycles <= MAX_EMULATED_CYCLES) return true;
    char text[160];
    std::snprintf(text, sizeof text, "--cpu-hz %llu for %g emulated seconds is %.0f cycles; the most is %.0f",
                  static_cast<unsigned long long>(settings.cpu_hz), seconds, cycles, MAX_EMULATED_CYCLES);
    error = std::string(text) + " (lower --cpu-hz, --max-seconds or --run-ms)";
    return false;
}

// The disk's machine, changed where the command line says so.
bool boot_settings(const BootOptions& options, const DiskSignal& signal, BootSettings& settings, std::string& error) {
    settings = default_boot_settings(signal.format);
    if (options.has_cpu_hz) settings.cpu_hz = options.cpu_hz;
    if (options.has_max_seconds) settings.max_seconds = options.max_seconds;
    if (options.has_index_us) {
        const double revolution_us = static_cast<double>(signal.tracks[0].bits.size()) / signal.bit_rate *
                                     MICROSECONDS_PER_SECOND;
        if (!(options.index_us > 0) || options.index_us >= revolution_us) {
            error = "--index-us must be above 0 and shorter than a revolution (" +
                    std::to_string(static_cast<long long>(revolution_us)) + " us)";
            return false;
        }
        settings.index_us = options.index_us;
    }
    if (options.has_max_seconds && !(options.max_seconds > 0)) {
        error = "--max-seconds must be above 0";
        return false;
    }
    settings.run_ms = options.has_run_ms ? options.run_ms : (options.screen ? DEFAULT_SCREEN_RUN_MS : 0);
    return within_work_bound(settings, error);
}

}  // namespace

CommandOutput run_boot(const std::vector<std::string>& args) {
    BootOptions options;
    std::string error;
    if (!parse_boot_options(args, options, error)) return usage_error(COMMAND_NAME, error);

    DiskFile disk;
    const double* lead_in_us = options.has_lead_in_us ? &options.lead_in_us : nullptr;
    if (!load_disk_file(options.image_path, disk, error)) return command_error(error);
    if (!lay_out_disk_signal(disk, options.image_path, lead_in_us, error)) return usage_error(COMMAND_NAME, error);
    if (disk.signal.tracks.empty() || disk.signal.tracks[0].bits.empty() || !(disk.signal.bit_rate >= 1)) {
        return command_error(quoted_name(options.image_path) + " holds no tracks to boot from");
    }

    std::vector<uint8_t> program;
    if (!options.expect_path.empty()) {
        const WholeFileStatus status = read_whole_file(options.expect_path, MAX_PROGRAM_FILE, program);
        if (status != WholeFileStatus::ok) {
            return command_error(file_read_error(status, options.expect_path, MAX_PROGRAM_FILE));
        }
    }

    BootSettings settings;
    if (!boot_settings(options, disk.signal, settings, error)) return usage_error(COMMAND_NAME, error);

    const BootReport report = simulate_boot(disk.signal, settings);
    ProgramCheck check;
    ReportExtras extras;
    extras.program_range = program_range(disk.facts);
    extras.screen = options.screen;
    extras.nonzero_bytes_dropped = disk.layout.nonzero_bytes_dropped;
    if (!options.expect_path.empty()) {
        check = check_program(report, program);
        extras.program = &check;
    }

    CommandOutput output;
    output.out = options.json ? boot_report_json(report, extras) : boot_report_text(report, extras);
    const bool good = boot_succeeded(report, extras.program_range) && (!extras.program || check.intact);
    output.status = good ? STATUS_SUCCESS : STATUS_FAILURE;
    return output;
}
