// Boots a disk on the simulated machine from reset and reports whether and
// when the program started, and how the reading of each track went.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/cpu6502.h"
#include "signal/disk_signal.h"
#include "sim/machine_profile.h"
#include "sim/track_visit.h"
#include "sim/typing.h"

// What the boot is told about the disk, so that it knows when the program
// has started; the disk side works it out.
struct BootDiskFacts {
    uint16_t boot_address = 0;  // from the boot header on track 0
    uint8_t boot_pages = 0;
    bool loader = false;        // track 0 carries SpinLoad's loader
    uint16_t final_jump_address = 0;  // loader: where its final jump runs; the start counts after it
    bool fast_loader = false;         // loader: the fast one rather than SpinLoad's standard one
    bool has_error_stop = false;      // loader: it stops at error_stop_address on a read error
    uint16_t error_stop_address = 0;
    uint16_t start_address = 0; // loader: its patched jump; otherwise where the ROM jumps ($2200)
    bool has_load_address = false;
    uint16_t load_address = 0;  // loader: track 1's load header; otherwise the boot header's
};

enum class BootOutcome {
    started,
    read_failure,         // a jump through the reset vector
    monitor_entry,        // the CPU went to the monitor before the start
    no_sector,            // time ran out while the head read a track and nothing was stored
    undocumented_opcode,
    time_limit,
    above_ram,            // the boot stored where the machine has no RAM and did not start
    read_error,           // the loader found a damaged byte and stopped at its error stop
};

// What the started program did in the time it was given to run on.
enum class RunOnOutcome { not_run, ran, monitor_entry, reset, undocumented_opcode };

// The machine beyond its clock, and what a test does with the running
// program: keys to type and texts to wait for on the screen.
struct TestBench {
    MachineProfile machine = MACHINE_PROFILES[0];
    unsigned ram_kb = MAX_RAM_KB;
    std::vector<uint8_t> rom;            // 1, 2 or 4 KB of the user's own; empty: ours
    std::vector<KeyStroke> keys;         // typed once the program has started (from reset with rom)
    double key_ms = 0;                   // each key down this long, then up this long
    bool shift_lock_down = true;
    std::vector<std::string> until;      // run on until the screen shows all of them
};

// How often the running program's screen is looked at for the --until texts.
constexpr double UNTIL_CHECK_MS = 5.0;

struct UntilResult {
    std::string text;
    bool appeared = false;
    uint64_t cycle = 0;  // when it was first seen
};

struct BootSettings {
    uint64_t cpu_hz = 0;      // > 0
    double index_us = 0;      // length of the index pulse
    double max_seconds = 0;   // emulated time from reset before giving up
    double run_ms = 0;        // after the start, let the program run this long (0: stop there)
    int start_track = 0;      // where the head rests at power-up
    TestBench bench;
};

// The disk's machine (the C1P at 983040 Hz and a 5.5 ms index pulse for
// 5.25-inch, the C3 at 1966080 Hz and 3 ms for 8-inch); 30 s to boot; no
// run-on.
BootSettings default_boot_settings(DiskFormat format);

struct BootReport {
    BootOutcome outcome = BootOutcome::time_limit;
    BootDiskFacts facts;
    BootSettings settings;
    DiskFormat format = DiskFormat::mini;
    uint64_t bit_rate = 0;
    uint64_t revolution_bits = 0;

    bool boot_track_started = false;  // the ROM jumped to $2200
    uint64_t boot_track_cycle = 0;
    uint64_t end_cycle = 0;           // at the start, or where the boot failed
    Cpu6502 cpu;                      // the registers then
    int head_track = 0;               // where the head was then
    std::vector<TrackVisit> visits;   // every visit during which the program read bytes, in order
    uint64_t bytes_lost = 0;
    uint64_t readback_errors = 0;
    std::vector<uint8_t> memory;      // all 64 KB as reads saw them then

    RunOnOutcome run_on = RunOnOutcome::not_run;
    uint64_t run_on_cycles = 0;       // how long the program ran on
    Cpu6502 cpu_after_run_on;
    std::vector<uint8_t> video;       // video RAM at the very end

    // The test bench: stores the boot made above the RAM, the keys typed and
    // when each went down, each --until text and when it appeared.
    bool stored_above_ram = false;                     // the disk's chunks ran past the RAM's end
    uint16_t above_ram_first = 0, above_ram_last = 0;  // where, between the RAM's end and $BFFF
    std::vector<uint64_t> key_cycles;
    std::vector<UntilResult> until;
    bool until_met = false;           // the run on stopped because every text was there
};

// The program counts as started when the CPU reaches its start address
// after the boot: for a loader the start address once the loader's final
// jump has run, for any other boot track $2200 once the ROM has jumped
// there. The disk needs at least one track.
BootReport run_boot(const DiskSignal& disk, const BootDiskFacts& facts, const BootSettings& settings);

struct Machine;
// The machine the settings describe, powered on with the disk in the drive
// (which must outlive it) and the typist's keys ready: how run_boot starts,
// and a front end that runs the machine itself.
void boot_power_on(Machine& m, const DiskSignal& disk, const BootSettings& settings);

double report_seconds(const BootReport& report, uint64_t cycles);

// Every --until text appeared (true when none was given).
bool until_all_appeared(const BootReport& report);
