// Running a boot: the CPU loop, the watch on the addresses that mark the
// boot's progress, and the report.
#include "sim/boot_run.h"

#include <algorithm>
#include <memory>

#include "base/units.h"
#include "sim/boot_rom.h"
#include "sim/machine.h"
#include "sim/screen.h"

namespace {

// Flags per address: the CPU loop checks one table entry per instruction.
constexpr uint8_t WATCH_BOOT_TRACK = 0x01;
constexpr uint8_t WATCH_FINAL_JUMP = 0x02;
constexpr uint8_t WATCH_START = 0x04;
constexpr uint8_t WATCH_RESET = 0x08;
constexpr uint8_t WATCH_MONITOR = 0x10;
constexpr uint8_t WATCH_ERROR_STOP = 0x20;

struct FormatDrive {
    DiskFormat format;
    double index_us;
};

// The index pulse: a fair model within the drives' datasheet ranges.
constexpr FormatDrive FORMAT_DRIVES[] = {
    {DiskFormat::mini, 5500.0},
    {DiskFormat::full, 3000.0},
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

// Our ROM's reset and monitor entries mark a failure; a ROM of the user's
// own has its own code there.
void watch_rom_entries(std::vector<uint8_t>& watch, const BootSettings& settings) {
    if (!settings.bench.rom.empty()) return;
    watch[ROM_RESET_ENTRY] |= WATCH_RESET;
    watch[ROM_MONITOR_ENTRY] |= WATCH_MONITOR;
    watch[ROM_MONITOR_WARM_ENTRY] |= WATCH_MONITOR;
}

// The boot proper, up to the start or a failure.
BootOutcome run_boot_phases(Machine& m, const BootDiskFacts& facts, uint64_t limit, BootReport& report) {
    std::vector<uint8_t> watch(ADDRESS_SPACE, 0);
    watch[ROM_BOOT_TRACK_ENTRY] |= WATCH_BOOT_TRACK;
    if (facts.loader) watch[facts.final_jump_address] |= WATCH_FINAL_JUMP;
    if (facts.loader && facts.has_error_stop) watch[facts.error_stop_address] |= WATCH_ERROR_STOP;
    watch[facts.start_address] |= WATCH_START;
    watch_rom_entries(watch, report.settings);

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

// Where the disk's chunks ran past a smaller machine's RAM. A boot that
// then does not start fails for that reason, whatever the CPU did next;
// whether a started program is whole is for the verdict, which knows where
// its bytes end (the last whole page runs past them).
void note_stores_above_ram(BootReport& report, const Machine& m) {
    bool above = false;
    for (const TrackVisit& visit : m.watch.visits) {
        const uint32_t length = visit_chunk_length(visit);
        if (length == 0) continue;
        const uint32_t first = visit.run_start;
        const uint32_t last = std::min<uint32_t>(first + length - 1, RAM_END);
        if (last <= m.ram_end || first > RAM_END) continue;
        const auto low = static_cast<uint16_t>(std::max<uint32_t>(first, m.ram_end + 1u));
        if (!above || low < report.above_ram_first) report.above_ram_first = low;
        if (!above || last > report.above_ram_last) report.above_ram_last = static_cast<uint16_t>(last);
        above = true;
    }
    report.stored_above_ram = above;
    if (above && report.outcome != BootOutcome::started) report.outcome = BootOutcome::above_ram;
}

// Looks at the screen when something was written to it; true once every
// --until text has been seen.
bool check_until(Machine& m, BootReport& report) {
    if (report.until.empty()) return false;
    if (m.video_written) {
        m.video_written = false;
        const std::vector<uint8_t> video(m.memory.begin() + VIDEO_START, m.memory.begin() + m.video_end + 1);
        const std::vector<std::string> rows = screen_rows(video, report.settings.bench.machine.video, false);
        for (UntilResult& until : report.until) {
            if (until.appeared || !screen_shows(rows, until.text)) continue;
            until.appeared = true;
            until.cycle = m.cpu.cycles;
        }
    }
    return until_all_appeared(report);
}

// run_to_watch in steps of UNTIL_CHECK_MS, looking at the screen after each;
// it stops early when every --until text is there.
bool run_watching_screen(Machine& m, const std::vector<uint8_t>& watch, uint64_t limit, BootReport& report) {
    const uint64_t step = std::max<uint64_t>(cycles_for(UNTIL_CHECK_MS / MILLISECONDS_PER_SECOND, report.settings.cpu_hz), 1);
    m.video_written = true;  // the screen as the program found it counts too
    for (;;) {
        if (check_until(m, report)) {
            report.until_met = true;
            return false;
        }
        if (m.cpu.cycles >= limit || m.cpu.stopped) return false;
        const uint64_t next = limit - m.cpu.cycles > step ? m.cpu.cycles + step : limit;
        if (run_to_watch(m, watch, next)) return true;
    }
}

// Lets the started program run on; it may go back to the monitor or reset on purpose.
void run_on(Machine& m, BootReport& report) {
    const uint64_t start = m.cpu.cycles;
    const uint64_t run_cycles = cycles_for(report.settings.run_ms / MILLISECONDS_PER_SECOND, report.settings.cpu_hz);
    const uint64_t limit = run_cycles > UINT64_MAX - start ? UINT64_MAX : start + run_cycles;
    std::vector<uint8_t> watch(ADDRESS_SPACE, 0);
    watch_rom_entries(watch, report.settings);
    report.run_on = RunOnOutcome::ran;
    // The start address itself may be watched (a program at $FE00 is odd but possible): take one step first.
    if (cpu_step(m.cpu, m) == 0) {
        report.run_on = RunOnOutcome::undocumented_opcode;
    } else if (run_watching_screen(m, watch, limit, report)) {
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
    for (const FormatDrive& entry : FORMAT_DRIVES) {
        if (entry.format == format) settings.index_us = entry.index_us;
    }
    settings.bench.machine = default_machine_profile(format);
    settings.cpu_hz = settings.bench.machine.cpu_hz;
    settings.max_seconds = DEFAULT_MAX_SECONDS;
    return settings;
}

void boot_power_on(Machine& m, const DiskSignal& disk, const BootSettings& settings) {
    const TestBench& bench = settings.bench;
    MachineSettings machine{settings.cpu_hz, settings.index_us, settings.start_track};
    machine.ram_end = ram_end_for(bench.ram_kb);
    machine.video_size = bench.machine.video.size;
    machine.keyboard = bench.machine.keyboard;
    machine.shift_lock_down = bench.shift_lock_down;
    if (bench.rom.empty()) {
        machine_power_on(m, disk, machine, build_boot_rom());
    } else {
        machine_power_on(m, disk, machine, bench.rom.data(), bench.rom.size());
    }
    m.typist.strokes = bench.keys;
    const uint64_t key_cycles = cycles_for(bench.key_ms / MILLISECONDS_PER_SECOND, settings.cpu_hz);
    m.typist.hold_cycles = m.typist.gap_cycles = key_cycles;
}

BootReport run_boot(const DiskSignal& disk, const BootDiskFacts& facts, const BootSettings& settings) {
    BootReport report;
    report.settings = settings;
    report.facts = facts;
    report.format = disk.format;
    if (disk.tracks.empty() || !(disk.bit_rate >= 1) || settings.cpu_hz == 0) return report;
    auto machine = std::make_unique<Machine>();
    Machine& m = *machine;
    boot_power_on(m, disk, settings);
    report.bit_rate = m.clock.bit_rate;
    report.revolution_bits = m.drive.revolution_bits;
    report.until.clear();
    for (const std::string& text : settings.bench.until) report.until.push_back(UntilResult{text, false, 0});

    // A ROM of the user's own may be a monitor waiting for a key before it boots.
    if (!settings.bench.rom.empty()) typist_start(m.typist, m.cpu.cycles);
    report.outcome = run_boot_phases(m, report.facts, cycles_for(settings.max_seconds, settings.cpu_hz), report);
    record_end(report, m);
    note_stores_above_ram(report, m);
    if (report.outcome == BootOutcome::started && settings.run_ms > 0) {
        if (settings.bench.rom.empty()) typist_start(m.typist, m.cpu.cycles);
        run_on(m, report);
    }
    report.video.assign(m.memory.begin() + VIDEO_START, m.memory.begin() + m.video_end + 1);
    report.key_cycles = m.typist.pressed_cycles;
    return report;
}

double report_seconds(const BootReport& report, uint64_t cycles) {
    return static_cast<double>(cycles) / static_cast<double>(report.settings.cpu_hz);
}

bool until_all_appeared(const BootReport& report) {
    for (const UntilResult& until : report.until) {
        if (!until.appeared) return false;
    }
    return true;
}
