// Running a boot: the CPU loop, the watch on the addresses that mark the
// boot's progress, and the report.
#include "sim/boot_run.h"

#include <memory>

#include "base/units.h"
#include "sim/machine.h"

namespace {

// Flags per address: the CPU loop checks one table entry per instruction.
constexpr uint8_t WATCH_BOOT_TRACK = 0x01;
constexpr uint8_t WATCH_FINAL_JUMP = 0x02;
constexpr uint8_t WATCH_START = 0x04;
constexpr uint8_t WATCH_RESET = 0x08;
constexpr uint8_t WATCH_MONITOR = 0x10;
constexpr uint8_t WATCH_ERROR_STOP = 0x20;

struct FormatMachine {
    DiskFormat format;
    uint64_t cpu_hz;
    double index_us;
};

// A Superboard II / C1P for 5.25-inch disks, a 2 MHz board for 8-inch.
constexpr FormatMachine FORMAT_MACHINES[] = {
    {DiskFormat::mini, 983040, 5500.0},
    {DiskFormat::full, 1966080, 3000.0},
};
constexpr double DEFAULT_MAX_SECONDS = 30.0;
constexpr double CYCLE_COUNT_CEILING = 1.8e19;  // just below 2^64

enum class Phase { rom, boot_track, finishing, started };

uint64_t cycles_for(double seconds, uint64_t cpu_hz) {
    const double cycles = seconds * static_cast<double>(cpu_hz);
    if (!(cycles > 0)) return 0;
    if (cycles >= CYCLE_COUNT_CEILING) return UINT64_MAX;
    return static_cast<uint64_t>(cycles);
}

// Runs until the cycle limit, an undocumented opcode, or an address the
// watch table marks; true when it stopped at a watched address.
bool run_to_watch(Machine& m, const std::vector<uint8_t>& watch, uint64_t limit) {
    Cpu6502& cpu = m.cpu;
    while (cpu.cycles < limit) {
        if (watch[cpu.pc]) return true;
        if (cpu_step(cpu, m) == 0) return false;
    }
    return false;
}

void record_end(BootReport& report, Machine& m) {
    machine_finish_visits(m);
    report.end_cycle = m.cpu.cycles;
    report.cpu = m.cpu;
    report.head_track = m.drive.track;
    report.visits.clear();
    report.bytes_lost = report.readback_errors = 0;
    for (const TrackVisit& visit : m.watch.visits) {
        report.bytes_lost += visit.bytes_lost;
        report.readback_errors += visit.readback_errors;
        if (visit.bytes_read > 0) report.visits.push_back(visit);
    }
    report.memory.assign(m.memory.begin(), m.memory.end());
}

BootOutcome outcome_at_limit(const Machine& m) {
    const TrackVisit& visit = m.watch.visits.back();
    if (drive_head_loaded(m.drive) && visit.bytes_stored == 0) return BootOutcome::no_sector;
    return BootOutcome::time_limit;
}

// The boot proper, up to the start or a failure.
BootOutcome run_boot_phases(Machine& m, const BootDiskFacts& facts, uint64_t limit, BootReport& report) {
    std::vector<uint8_t> watch(ADDRESS_SPACE, 0);
    watch[ROM_BOOT_TRACK_ENTRY] |= WATCH_BOOT_TRACK;
    if (facts.loader) watch[facts.final_jump_address] |= WATCH_FINAL_JUMP;
    if (facts.loader && facts.has_error_stop) watch[facts.error_stop_address] |= WATCH_ERROR_STOP;
    watch[facts.start_address] |= WATCH_START;
    watch[ROM_RESET_ENTRY] |= WATCH_RESET;
    watch[ROM_MONITOR_ENTRY] |= WATCH_MONITOR;
    watch[ROM_MONITOR_WARM_ENTRY] |= WATCH_MONITOR;

    Cpu6502& cpu = m.cpu;
    Phase phase = Phase::rom;
    if (cpu_step(cpu, m) == 0) return BootOutcome::undocumented_opcode;  // leave the reset entry
    for (;;) {
        if (!run_to_watch(m, watch, limit)) {
            return cpu.stopped ? BootOutcome::undocumented_opcode : outcome_at_limit(m);
        }
        const uint8_t flags = watch[cpu.pc];
        if (flags & WATCH_MONITOR) return BootOutcome::monitor_entry;
        if (flags & WATCH_RESET) return BootOutcome::read_failure;
        if ((flags & WATCH_ERROR_STOP) && phase == Phase::boot_track) return BootOutcome::read_error;
        if ((flags & WATCH_BOOT_TRACK) && phase == Phase::rom) {
            phase = facts.loader ? Phase::boot_track : Phase::started;
            report.boot_track_started = true;
            report.boot_track_cycle = cpu.cycles;
        }
        if ((flags & WATCH_FINAL_JUMP) && phase == Phase::boot_track) phase = Phase::finishing;
        if ((flags & WATCH_START) && phase == Phase::finishing) phase = Phase::started;
        if (phase == Phase::started) return BootOutcome::started;
        if (cpu_step(cpu, m) == 0) return BootOutcome::undocumented_opcode;
    }
}

// Lets the started program run on; it may go back to the monitor or reset on purpose.
void run_on(Machine& m, BootReport& report) {
    const uint64_t start = m.cpu.cycles;
    const uint64_t run_cycles = cycles_for(report.settings.run_ms / MILLISECONDS_PER_SECOND, report.settings.cpu_hz);
    const uint64_t limit = run_cycles > UINT64_MAX - start ? UINT64_MAX : start + run_cycles;
    std::vector<uint8_t> watch(ADDRESS_SPACE, 0);
    watch[ROM_RESET_ENTRY] |= WATCH_RESET;
    watch[ROM_MONITOR_ENTRY] |= WATCH_MONITOR;
    watch[ROM_MONITOR_WARM_ENTRY] |= WATCH_MONITOR;
    report.run_on = RunOnOutcome::ran;
    // The start address itself may be watched (a program at $FE00 is odd but possible): take one step first.
    if (cpu_step(m.cpu, m) == 0) {
        report.run_on = RunOnOutcome::undocumented_opcode;
    } else if (run_to_watch(m, watch, limit)) {
        report.run_on = (watch[m.cpu.pc] & WATCH_MONITOR) ? RunOnOutcome::monitor_entry : RunOnOutcome::reset;
    } else if (m.cpu.stopped) {
        report.run_on = RunOnOutcome::undocumented_opcode;
    }
    report.run_on_cycles = m.cpu.cycles - start;
    report.cpu_after_run_on = m.cpu;
}

}  // namespace

BootSettings default_boot_settings(DiskFormat format) {
    BootSettings settings;
    for (const FormatMachine& entry : FORMAT_MACHINES) {
        if (entry.format != format) continue;
        settings.cpu_hz = entry.cpu_hz;
        settings.index_us = entry.index_us;
    }
    settings.max_seconds = DEFAULT_MAX_SECONDS;
    return settings;
}

BootReport run_boot(const DiskSignal& disk, const BootDiskFacts& facts, const BootSettings& settings) {
    BootReport report;
    report.settings = settings;
    report.facts = facts;
    report.format = disk.format;
    if (disk.tracks.empty() || !(disk.bit_rate >= 1) || settings.cpu_hz == 0) return report;
    auto machine = std::make_unique<Machine>();
    Machine& m = *machine;
    machine_power_on(m, disk, MachineSettings{settings.cpu_hz, settings.index_us, settings.start_track},
                     build_boot_rom());
    report.bit_rate = m.clock.bit_rate;
    report.revolution_bits = m.drive.revolution_bits;

    report.outcome = run_boot_phases(m, report.facts, cycles_for(settings.max_seconds, settings.cpu_hz), report);
    record_end(report, m);
    if (report.outcome == BootOutcome::started && settings.run_ms > 0) run_on(m, report);
    report.video.assign(m.memory.begin() + VIDEO_START, m.memory.begin() + VIDEO_END + 1);
    return report;
}

double report_seconds(const BootReport& report, uint64_t cycles) {
    return static_cast<double>(cycles) / static_cast<double>(report.settings.cpu_hz);
}
