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
#include "base/text.h"
#include "spindisk/boot_report.h"
#include "sim/boot_run.h"
#include "sim/machine_profile.h"
#include "sim/typing.h"

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
    "  --machine NAME    c1p (default for 5.25-inch), c1p-2mhz, c4p or c3 (default\n"
    "                    for 8-inch): clock, video and keyboard of that machine\n"
    "  --ram KB          RAM from $0000, 1 to 48 KB (default 48)\n"
    "  --rom FILE        boot with this ROM (1, 2 or 4 KB at the top of memory);\n"
    "                    keys are then typed from reset, for its prompt first\n"
    "  --keys TEXT       once the program has started, type TEXT: \\r is Return,\n"
    "                    \\e Escape, \\\\ a backslash\n"
    "  --keys-file FILE  type the text in FILE (a newline is Return)\n"
    "  --key-ms N        each key is down N ms, then up N ms (default 50); a key\n"
    "                    goes down only when the program reads the keyboard\n"
    "  --shift-lock up|down  the latching shift lock (default down: upper case)\n"
    "  --until TEXT      run on until the screen shows TEXT on one row (may be\n"
    "                    given more than once: all must appear); fail if not\n"
    "  --screen[=all]    show the monitor's window of the screen (all: the whole\n"
    "                    video memory) when the run ends\n"
    "  --run-ms N        how long it runs on, in ms, at most 600000 (default 100\n"
    "                    with --screen, 60000 with --keys or --until)\n"
    "  --cpu-hz N        CPU clock (default the machine's: 983040 or 1966080)\n"
    "  --index-us N      index pulse length (default 5500 or 3000)\n"
    "  --lead-in-us N    time from the index to a track's first byte (default 11700 or 3200)\n"
    "  --max-seconds S   emulated time to give up after (default 30)\n"
    "  --json            print the report as one JSON object\n"
    "  --help            show this text\n"
    "\n"
    "The work is bounded: --cpu-hz times (--max-seconds plus --run-ms) may be\n"
    "at most 10000000000 emulated cycles, about half a minute on a PC.\n"
    "8-inch disks with SpinLoad's standard loader need a 2 MHz machine: at about\n"
    "1 MHz it loses bytes (the fast loader of spindisk make --loader fast does not).\n"
    "Exit status: 0 a good boot (and an intact program with --expect, every\n"
    "--until text seen), 1 a failed boot, a text that did not appear or an\n"
    "unreadable file, 2 bad usage.\n";

namespace {

const char COMMAND_NAME[] = "boot";
const std::vector<OptionSpec> BOOT_OPTIONS = {
    {"expect", true},  {"screen", false, 0, true}, {"run-ms", true},      {"cpu-hz", true},
    {"index-us", true}, {"lead-in-us", true},   {"max-seconds", true}, {"json", false},
    {"machine", true},  {"ram", true},          {"rom", true},         {"keys", true},
    {"keys-file", true}, {"key-ms", true},      {"shift-lock", true},  {"until", true},
};

constexpr uint64_t MAX_PROGRAM_FILE = 1u << 20;   // above the largest program (227106 bytes)
constexpr unsigned long long MIN_CPU_HZ = 100000;
constexpr unsigned long long MAX_CPU_HZ = 100000000;  // far past any OSI board
constexpr double MAX_SECONDS = 3600.0;
constexpr double MAX_RUN_MS = 600000.0;            // ten minutes of the machine's time
constexpr double DEFAULT_SCREEN_RUN_MS = 100.0;
constexpr double DEFAULT_BENCH_RUN_MS = 60000.0;   // with --keys or --until
constexpr double DEFAULT_KEY_MS = 50.0;            // seen by a program polling every few ms, below auto-repeat
constexpr double MIN_KEY_MS = 1.0;
constexpr double MAX_KEY_MS = 10000.0;
constexpr uint64_t MAX_KEYS_FILE = 1u << 20;
constexpr uint64_t MAX_ROM_FILE = 4096;
constexpr size_t ROM_SIZES[] = {1024, 2048, 4096};
const char SCREEN_ALL[] = "all";
const char SHIFT_LOCK_UP[] = "up";
const char SHIFT_LOCK_DOWN[] = "down";

// The machine and the test: what to type, what to wait for, what to show.
struct BenchOptions {
    const MachineProfile* machine = nullptr;  // nullptr: the disk's default
    unsigned ram_kb = MAX_RAM_KB;
    std::string rom_path;
    std::vector<KeyStroke> keys;  // from --keys; --keys-file's are read with the other files
    std::string keys_file;
    bool has_keys = false;
    bool has_key_ms = false;
    double key_ms = DEFAULT_KEY_MS;
    bool shift_lock_down = true;
    std::vector<std::string> until;
    bool screen_all = false;
};

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
    BenchOptions bench;
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

// Reads --NAME as a whole number within [low, high] into value when it is
// given; false with a message ("--NAME wants a WHAT from LOW to HIGH") otherwise.
bool whole_option(const ParsedArguments& parsed, const char* name, const char* what, unsigned long long low,
                  unsigned long long high, unsigned long long& value, std::string& error) {
    if (!parsed.has(name)) return true;
    const std::string& text = parsed.values.at(name);
    if (!parse_unsigned(text, high, value) || value < low) {
        error = "--" + std::string(name) + " wants a " + what + " from " + std::to_string(low) + " to " +
                std::to_string(high) + ", not '" + text + "'";
        return false;
    }
    return true;
}

std::string machine_names() {
    std::string names;
    for (size_t i = 0; i < MACHINE_PROFILE_COUNT; i++) {
        names += (i == 0 ? "" : i + 1 == MACHINE_PROFILE_COUNT ? " or " : ", ") + std::string(MACHINE_PROFILES[i].name);
    }
    return names;
}

bool parse_screen_option(const ParsedArguments& parsed, BootOptions& options, std::string& error) {
    options.screen = parsed.has("screen");
    const std::string value = options.screen ? parsed.values.at("screen") : std::string();
    if (!value.empty() && value != SCREEN_ALL) {
        error = "--screen takes no value or '" + std::string(SCREEN_ALL) + "', not '" + value + "'";
        return false;
    }
    options.bench.screen_all = value == SCREEN_ALL;
    return true;
}

// A text that can appear on the screen: not empty, printable ASCII.
bool check_until_texts(BenchOptions& bench, std::string& error) {
    for (const std::string& text : bench.until) {
        bool printable = !text.empty();
        for (char c : text) printable = printable && is_printable_ascii(static_cast<unsigned char>(c));
        if (!printable) {
            error = "--until wants printable ASCII text that can appear on the screen, not '" + text + "'";
            return false;
        }
    }
    return true;
}

// --machine, --ram, --rom, --keys, --keys-file, --key-ms, --shift-lock, --until.
bool parse_bench_options(const ParsedArguments& parsed, BootOptions& options, std::string& error) {
    BenchOptions& bench = options.bench;
    if (parsed.has("machine")) {
        const std::string& name = parsed.values.at("machine");
        bench.machine = find_machine_profile(name.c_str());
        if (!bench.machine) {
            error = "--machine wants " + machine_names() + ", not '" + name + "'";
            return false;
        }
    }
    unsigned long long kb = bench.ram_kb;
    if (!whole_option(parsed, "ram", "whole number of KB", MIN_RAM_KB, MAX_RAM_KB, kb, error)) return false;
    bench.ram_kb = static_cast<unsigned>(kb);
    if (parsed.has("rom")) bench.rom_path = parsed.values.at("rom");
    if (parsed.has("keys") && parsed.has("keys-file")) {
        error = "give --keys or --keys-file, not both";
        return false;
    }
    bench.has_keys = parsed.has("keys") || parsed.has("keys-file");
    if (parsed.has("keys") && !parse_typed_text(parsed.values.at("keys"), bench.keys, error)) {
        error = "--keys: " + error;
        return false;
    }
    if (parsed.has("keys-file")) bench.keys_file = parsed.values.at("keys-file");
    if (!decimal_option(parsed, "key-ms", MIN_KEY_MS, MAX_KEY_MS, bench.has_key_ms, bench.key_ms, error)) return false;
    if (parsed.has("shift-lock")) {
        const std::string& position = parsed.values.at("shift-lock");
        if (position != SHIFT_LOCK_UP && position != SHIFT_LOCK_DOWN) {
            error = "--shift-lock wants up or down, not '" + position + "'";
            return false;
        }
        bench.shift_lock_down = position == SHIFT_LOCK_DOWN;
    }
    if (parsed.has("until")) bench.until = parsed.every.at("until");
    return check_until_texts(bench, error) && parse_screen_option(parsed, options, error);
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
    if (!parse_bench_options(parsed, options, error)) return false;
    options.json = parsed.has("json");
    if (parsed.has("expect")) options.expect_path = parsed.values.at("expect");
    unsigned long long hz = 0;
    if (!whole_option(parsed, "cpu-hz", "whole number", MIN_CPU_HZ, MAX_CPU_HZ, hz, error)) return false;
    options.has_cpu_hz = parsed.has("cpu-hz");
    options.cpu_hz = hz;
    const double no_limit = MICROSECONDS_PER_SECOND;  // checked against the revolution later
    return decimal_option(parsed, "index-us", 0, no_limit, options.has_index_us, options.index_us, error) &&
           decimal_option(parsed, "lead-in-us", 0, no_limit, options.has_lead_in_us, options.lead_in_us, error) &&
           decimal_option(parsed, "run-ms", 0, MAX_RUN_MS, options.has_run_ms, options.run_ms, error) &&
           decimal_option(parsed, "max-seconds", 0, MAX_SECONDS, options.has_max_seconds, options.max_seconds, error);
}

// What the program is run on for when --run-ms is not given.
double default_run_ms(const BootOptions& options) {
    if (options.bench.has_keys || !options.bench.until.empty()) return DEFAULT_BENCH_RUN_MS;
    return options.screen ? DEFAULT_SCREEN_RUN_MS : 0;
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
    if (options.bench.machine) {
        if (options.bench.machine->drive != signal.format) {
            error = "--machine " + std::string(options.bench.machine->name) + " takes " +
                    geometry_for(options.bench.machine->drive).name + " disks, and " +
                    quoted_name(options.image_path) + " is " + geometry_for(signal.format).name;
            return false;
        }
        settings.bench.machine = *options.bench.machine;
        settings.cpu_hz = settings.bench.machine.cpu_hz;
    }
    settings.bench.ram_kb = options.bench.ram_kb;
    settings.bench.key_ms = options.bench.key_ms;
    settings.bench.shift_lock_down = options.bench.shift_lock_down;
    settings.bench.until = options.bench.until;
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
    settings.run_ms = options.has_run_ms ? options.run_ms : default_run_ms(options);
    return within_work_bound(settings, error);
}

enum class BenchInputStatus { ok, failed, bad_usage };

// The ROM and the keys to type, from the command line and the files it
// names: a file that cannot be read fails, a key that cannot be typed is bad usage.
BenchInputStatus load_bench_inputs(const BenchOptions& bench, TestBench& settings, std::string& error) {
    if (!bench.rom_path.empty()) {
        const WholeFileStatus status = read_whole_file(bench.rom_path, MAX_ROM_FILE, settings.rom);
        if (status != WholeFileStatus::ok) {
            error = file_read_error(status, bench.rom_path, MAX_ROM_FILE);
            return BenchInputStatus::failed;
        }
        const size_t size = settings.rom.size();
        if (size != ROM_SIZES[0] && size != ROM_SIZES[1] && size != ROM_SIZES[2]) {
            error = quoted_name(bench.rom_path) + " is " + std::to_string(size) +
                    " bytes; a ROM is 1024, 2048 or 4096 bytes";
            return BenchInputStatus::failed;
        }
    }
    settings.keys = bench.keys;
    if (bench.keys_file.empty()) return BenchInputStatus::ok;
    std::vector<uint8_t> bytes;
    const WholeFileStatus status = read_whole_file(bench.keys_file, MAX_KEYS_FILE, bytes);
    if (status != WholeFileStatus::ok) {
        error = file_read_error(status, bench.keys_file, MAX_KEYS_FILE);
        return BenchInputStatus::failed;
    }
    if (!parse_typed_text(std::string(bytes.begin(), bytes.end()), settings.keys, error)) {
        error = "--keys-file " + quoted_name(bench.keys_file) + ": " + error;
        return BenchInputStatus::bad_usage;
    }
    return BenchInputStatus::ok;
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
    const BenchInputStatus inputs = load_bench_inputs(options.bench, settings.bench, error);
    if (inputs == BenchInputStatus::bad_usage) return usage_error(COMMAND_NAME, error);
    if (inputs == BenchInputStatus::failed) return command_error(error);

    BootReport report = simulate_boot(disk.signal, settings);
    ProgramCheck check;
    ReportExtras extras;
    extras.program_range = program_range(disk.facts);
    judge_program_above_ram(report, extras.program_range);
    extras.screen = options.screen;
    extras.screen_all = options.bench.screen_all;
    extras.bench = options.bench.has_keys || !options.bench.until.empty();
    extras.nonzero_bytes_dropped = disk.layout.nonzero_bytes_dropped;
    if (!options.expect_path.empty()) {
        check = check_program(report, program);
        extras.program = &check;
    }

    CommandOutput output;
    output.out = options.json ? boot_report_json(report, extras) : boot_report_text(report, extras);
    output.status = run_passed(report, extras) ? STATUS_SUCCESS : STATUS_FAILURE;
    return output;
}
