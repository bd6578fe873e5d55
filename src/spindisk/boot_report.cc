// Checking the program, reading the screen, and writing the report.
#include "spindisk/boot_report.h"

#include <cstdio>

#include "base/text.h"
#include "base/units.h"
#include "image/geometry.h"
#include "loader/boot_loader.h"
#include "sim/screen.h"
#include "spindisk/json_writer.h"

namespace {

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string seconds_text(const BootReport& report, uint64_t cycles) {
    return fixed(report_seconds(report, cycles), 2) + " s";
}

std::string milliseconds_text(const BootReport& report, uint64_t cycles) {
    return fixed(report_seconds(report, cycles) * MILLISECONDS_PER_SECOND, 1) + " ms";
}

const char* outcome_name(BootOutcome outcome) {
    switch (outcome) {
        case BootOutcome::started: return "started";
        case BootOutcome::read_failure: return "read_failure";
        case BootOutcome::monitor_entry: return "monitor_entry";
        case BootOutcome::no_sector: return "no_sector";
        case BootOutcome::undocumented_opcode: return "undocumented_opcode";
        case BootOutcome::time_limit: return "time_limit";
        case BootOutcome::above_ram: return "above_ram";
        case BootOutcome::read_error: return "read_error";
    }
    return "time_limit";
}

const char* run_on_name(RunOnOutcome outcome) {
    switch (outcome) {
        case RunOnOutcome::not_run: return "not_run";
        case RunOnOutcome::ran: return "ran";
        case RunOnOutcome::monitor_entry: return "monitor_entry";
        case RunOnOutcome::reset: return "reset";
        case RunOnOutcome::undocumented_opcode: return "undocumented_opcode";
    }
    return "not_run";
}

std::string boot_track_text(const BootReport& report) {
    const BootDiskFacts& facts = report.facts;
    if (facts.loader) {
        return std::string(facts.fast_loader ? "SpinLoad's fast boot loader" : "SpinLoad's loader") +
               ", start address " + format_address(facts.start_address);
    }
    return "boot code, " + std::to_string(facts.boot_pages) + " pages for " + format_address(facts.boot_address) +
           ", started at " + format_address(facts.start_address);
}

// A disk too big for the machine's RAM.
std::string above_ram_text(const BootReport& report) {
    const unsigned ram_kb = report.settings.bench.ram_kb;
    return "the disk loads " + format_address(report.above_ram_first) + "-" + format_address(report.above_ram_last) +
           ", above the RAM (" + std::to_string(ram_kb) + " KB, up to " + format_address(ram_end_for(ram_kb)) + ")";
}

// Why the boot failed, in one sentence.
std::string failure_text(const BootReport& report) {
    const std::string when = " after " + seconds_text(report, report.end_cycle);
    const std::string track = "track " + std::to_string(report.head_track);
    switch (report.outcome) {
        case BootOutcome::started:
            break;
        case BootOutcome::read_failure:
            return "read failure on " + track + ": a jump through the reset vector" + when;
        case BootOutcome::monitor_entry:
            return "monitor entry at " + format_address(report.cpu.pc) + when + ", head on " + track;
        case BootOutcome::no_sector:
            return "no sector found on " + track + " within " + fixed(report.settings.max_seconds, 1) + " s";
        case BootOutcome::undocumented_opcode:
            return "undocumented opcode " + format_byte(report.cpu.stop_opcode) + " at " + format_address(report.cpu.stop_address) +
                   when + ", head on " + track;
        case BootOutcome::read_error:
            return "read error on " + track + ": the loader stopped with its message on the screen" + when;
        case BootOutcome::time_limit:
            return "not started within " + fixed(report.settings.max_seconds, 1) + " s (PC at " + format_address(report.cpu.pc) +
                   ", head on " + track + ")";
        case BootOutcome::above_ram: return above_ram_text(report);
    }
    return "";
}

std::string verdict_text(const BootReport& report, const ReportExtras& extras) {
    const ProgramCheck* program = extras.program;
    if (report.outcome != BootOutcome::started) return "Boot failed: " + failure_text(report) + "\n";
    const std::string started = "tarted at " + format_address(report.facts.start_address) + " after " +
                                seconds_text(report, report.end_cycle) + " (" + std::to_string(report.end_cycle) +
                                " cycles)";
    std::vector<std::string> problems;
    if (report.bytes_lost > 0) problems.push_back(std::to_string(report.bytes_lost) + " bytes were lost to overruns");
    const uint64_t readback_failures = split_readback_errors(report, extras.program_range).in_program;
    if (readback_failures > 0) problems.push_back(std::to_string(readback_failures) + " bytes failed the read-back");
    if (program && program->checked && !program->intact) problems.push_back("the program is not intact");
    if (problems.empty()) return "S" + started + "\n";
    std::string text = "Boot failed: s" + started + ", but ";
    for (size_t i = 0; i < problems.size(); i++) {
        text += (i == 0 ? "" : i + 1 == problems.size() ? " and " : ", ") + problems[i];
    }
    return text + "\n";
}

// Read-back errors past the program's bytes: the loader stores whole pages,
// so the last one can run on past the program's end where there is no RAM.
std::string spill_warning(const BootReport& report, const ProgramRange& range) {
    const uint64_t outside = split_readback_errors(report, range).outside;
    if (outside == 0) return "";
    return std::to_string(outside) + " of the read-back errors lie outside the program (" +
           format_range(range.first, range.size) +
           "): the loader stores whole pages, and the program does not need those bytes";
}

std::string pad_left(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string pad_right(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string stored_range(const TrackVisit& visit) {
    const uint32_t length = visit_chunk_length(visit);
    if (length == 0) return "-";
    return format_address(visit.run_start) + "-" + format_address(visit.run_start + length - 1);
}

std::string visits_table(const BootReport& report) {
    std::string text = "Track  Pages  Stored       Bytes  Revolutions  Lost  Read-back errors\n";
    for (const TrackVisit& visit : report.visits) {
        std::string errors = std::to_string(visit.readback_errors);
        for (size_t i = 0; i < visit.readback_addresses.size(); i++) {
            errors += (i == 0 ? " at " : " ") + format_address(visit.readback_addresses[i]);
        }
        if (visit.readback_errors > visit.readback_addresses.size()) errors += " ...";
        text += pad_left(std::to_string(visit.track), 5) + pad_left(std::to_string(visit_pages(visit)), 7) + "  " +
                pad_right(stored_range(visit), 11) + pad_left(std::to_string(visit_chunk_length(visit)), 7) +
                pad_left(std::to_string(visit.index_pulses), 13) + pad_left(std::to_string(visit.bytes_lost), 6) +
                "  " + errors + "\n";
    }
    return text;
}

std::string registers_text(const Cpu6502& cpu) {
    return "A=" + format_byte(cpu.a) + " X=" + format_byte(cpu.x) + " Y=" + format_byte(cpu.y) + " S=" + format_byte(cpu.s) + " P=" + format_byte(cpu.p) +
           " PC=" + format_address(cpu.pc);
}

std::string program_text(const ProgramCheck& check) {
    if (!check.checked) return "Program: not checked, the boot did not start it\n";
    const std::string range = format_address(check.load_address) + "-" +
                              format_address(static_cast<unsigned>(check.load_address + check.size - 1)) + " (" +
                              std::to_string(check.size) + " bytes)";
    std::string text;
    if (check.intact) {
        text = "Program: intact at " + range + "\n";
    } else {
        text = "Program: differs from the file at " + range + ": first at " + format_address(check.first_difference) +
               " (file " + format_byte(check.expected) + ", memory " + format_byte(check.found) + "), " +
               std::to_string(check.differences) + " bytes in all\n";
    }
    if (check.covers_finish_patch) {
        text += "  " + format_address(LOADER_FINISH_PATCH_START) + "-" + format_address(LOADER_FINISH_PATCH_END) +
                " were overwritten by the loader's finish, as it always does\n";
    }
    return text;
}

std::string run_on_text(const BootReport& report) {
    const std::string after = milliseconds_text(report, report.run_on_cycles);
    const Cpu6502& cpu = report.cpu_after_run_on;
    switch (report.run_on) {
        case RunOnOutcome::not_run: return "";
        case RunOnOutcome::ran: return "Ran on for " + after + "\n";
        case RunOnOutcome::monitor_entry: return "The program went to the monitor at " + format_address(cpu.pc) + " after " + after + "\n";
        case RunOnOutcome::reset: return "The program jumped through the reset vector after " + after + "\n";
        case RunOnOutcome::undocumented_opcode:
            return "The program met undocumented opcode " + format_byte(cpu.stop_opcode) + " at " + format_address(cpu.stop_address) +
                   " after " + after + "\n";
    }
    return "";
}

std::string dropped_text(const std::vector<size_t>& dropped) {
    std::string text;
    for (size_t track = 0; track < dropped.size(); track++) {
        if (dropped[track] == 0) continue;
        text += "Note: track " + std::to_string(track) + " has " + std::to_string(dropped[track]) +
                " non-zero bytes that do not fit in one revolution; they are not on the disk\n";
    }
    return text;
}

std::string json_registers(const Cpu6502& cpu) {
    return "{\"a\":" + std::to_string(cpu.a) + ",\"x\":" + std::to_string(cpu.x) + ",\"y\":" + std::to_string(cpu.y) +
           ",\"s\":" + std::to_string(cpu.s) + ",\"p\":" + std::to_string(cpu.p) + ",\"pc\":" + std::to_string(cpu.pc) +
           "}";
}

std::string json_visit(const TrackVisit& visit) {
    std::string addresses = "[";
    for (size_t i = 0; i < visit.readback_addresses.size(); i++) {
        addresses += (i == 0 ? "" : ",") + std::to_string(visit.readback_addresses[i]);
    }
    addresses += "]";
    const uint32_t length = visit_chunk_length(visit);
    std::string text = "{\"track\":" + std::to_string(visit.track) + ",\"pages\":" + std::to_string(visit_pages(visit)) +
                       ",\"bytes\":" + std::to_string(length);
    if (length > 0) {
        text += ",\"first_address\":" + std::to_string(visit.run_start) + ",\"last_address\":" +
                std::to_string(static_cast<uint16_t>(visit.run_start + length - 1));
    }
    return text + ",\"bytes_read\":" + std::to_string(visit.bytes_read) + ",\"revolutions\":" +
           std::to_string(visit.index_pulses) + ",\"bytes_lost\":" + std::to_string(visit.bytes_lost) +
           ",\"read_back_errors\":" + std::to_string(visit.readback_errors) + ",\"read_back_addresses\":" + addresses +
           "}";
}

std::string json_program(const ProgramCheck& check) {
    std::string text = "{\"checked\":" + json_bool(check.checked);
    if (check.checked) {
        text += ",\"intact\":" + json_bool(check.intact) + ",\"load_address\":" + std::to_string(check.load_address) +
                ",\"size\":" + std::to_string(check.size) + ",\"differences\":" + std::to_string(check.differences);
        if (!check.intact) {
            text += ",\"first_difference\":" + std::to_string(check.first_difference) + ",\"expected\":" +
                    std::to_string(check.expected) + ",\"found\":" + std::to_string(check.found);
        }
        text += ",\"finish_patch_overwritten\":" + json_bool(check.covers_finish_patch);
    }
    return text + "}";
}

// The test bench's part of the report: the machine's memory, the keys, the
// --until texts and the screen.
std::string memory_text(const BootReport& report) {
    const TestBench& bench = report.settings.bench;
    std::string text = "Memory: " + std::to_string(bench.ram_kb) + " KB RAM, ";
    text += bench.rom.empty() ? "our boot ROM" : "the user's " + std::to_string(bench.rom.size() / 1024) + " KB ROM";
    return text + "\n";
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string keys_text(const BootReport& report) {
    const std::vector<KeyStroke>& keys = report.settings.bench.keys;
    if (keys.empty()) return "";
    const size_t typed = report.key_cycles.size();
    std::string text = "Keys: typed " + std::to_string(typed) + " of " + std::to_string(keys.size());
    if (typed > 0) {
        text += ", " + quoted(typed_text(keys, typed)) + ", the first at " +
                seconds_text(report, report.key_cycles.front());
    }
    if (typed < keys.size()) {
        const std::vector<KeyStroke> rest(keys.begin() + static_cast<std::ptrdiff_t>(typed), keys.end());
        text += "; the run ended before " + quoted(typed_text(rest, rest.size()));
    }
    return text + "\n";
}

std::string until_text(const BootReport& report) {
    std::string text;
    const uint64_t start = report.end_cycle;
    for (const UntilResult& until : report.until) {
        text += "Until: " + quoted(until.text);
        if (until.appeared) {
            text += " appeared after " + seconds_text(report, until.cycle) + ", " +
                    milliseconds_text(report, until.cycle - start) + " after the start\n";
        } else if (report.outcome != BootOutcome::started) {
            text += " did not appear: the program did not start\n";
        } else {
            text += " did not appear within " + milliseconds_text(report, report.run_on_cycles) + " after the start\n";
        }
    }
    return text;
}

std::string json_bench(const BootReport& report, const ReportExtras& extras) {
    const TestBench& bench = report.settings.bench;
    std::string text = ",\"machine\":" + json_string(bench.machine.name) + ",\"ram_kb\":" + std::to_string(bench.ram_kb) +
                       ",\"own_rom\":" + json_bool(!bench.rom.empty());
    if (!bench.keys.empty()) {
        text += ",\"keys\":{\"given\":" + json_string(typed_text(bench.keys, bench.keys.size())) +
                ",\"typed\":" + json_string(typed_text(bench.keys, report.key_cycles.size())) + ",\"seconds\":[";
        for (size_t i = 0; i < report.key_cycles.size(); i++) {
            text += (i == 0 ? "" : ",") + fixed(report_seconds(report, report.key_cycles[i]), 6);
        }
        text += "]}";
    }
    if (!report.until.empty()) {
        text += ",\"until\":[";
        for (size_t i = 0; i < report.until.size(); i++) {
            const UntilResult& until = report.until[i];
            text += std::string(i == 0 ? "" : ",") + "{\"text\":" + json_string(until.text) +
                    ",\"appeared\":" + json_bool(until.appeared);
            if (until.appeared) text += ",\"seconds\":" + fixed(report_seconds(report, until.cycle), 6);
            text += "}";
        }
        text += "]";
    }
    if (extras.screen || extras.bench) {
        text += ",\"screen\":[";
        const std::vector<std::string> rows = report_screen_rows(report, extras.screen_all);
        for (size_t i = 0; i < rows.size(); i++) text += (i == 0 ? "" : ",") + json_string(rows[i]);
        text += "]";
    }
    return text;
}

}  // namespace

bool run_passed(const BootReport& report, const ReportExtras& extras) {
    return boot_succeeded(report, extras.program_range) && (!extras.program || extras.program->intact) &&
           until_all_appeared(report);
}

std::vector<std::string> report_screen_rows(const BootReport& report, bool whole) {
    return screen_rows(report.video, report.settings.bench.machine.video, whole);
}

std::string framed_screen(const std::vector<std::string>& rows) {
    const size_t width = rows.empty() ? 0 : rows.front().size();
    const std::string edge = "+" + std::string(width, '-') + "+\n";
    std::string text = edge;
    for (const std::string& row : rows) text += "|" + row + "|\n";
    return text + edge;
}

std::string boot_verdict_line(const BootReport& report, const ReportExtras& extras) {
    std::string line = verdict_text(report, extras);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
}

std::string boot_report_text(const BootReport& report, const ReportExtras& extras) {
    std::string text = verdict_text(report, extras);
    const double revolution_ms = static_cast<double>(report.revolution_bits) * MILLISECONDS_PER_SECOND /
                                 static_cast<double>(report.bit_rate ? report.bit_rate : 1);
    text += "Disk: " + std::string(geometry_for(report.format).name) + ", " + boot_track_text(report) + "\n";
    text += "Machine: " + std::string(report.settings.bench.machine.name) + ", CPU " +
            std::to_string(report.settings.cpu_hz) + " Hz, " + std::to_string(report.bit_rate) + " bit/s, " +
            fixed(revolution_ms, 1) + " ms per revolution, index pulse " +
            fixed(report.settings.index_us / MILLISECONDS_PER_SECOND, 2) + " ms\n";
    text += memory_text(report);
    if (report.facts.loader && report.boot_track_started) {
        text += "Loader started at " + format_address(BOOT_LOAD_ADDRESS) + " after " +
                seconds_text(report, report.boot_track_cycle) + "\n";
    }
    if (!report.visits.empty()) text += visits_table(report);
    text += std::string(report.outcome == BootOutcome::started ? "Registers at the start: " : "Registers then: ") +
            registers_text(report.cpu) + "\n";
    if (report.bytes_lost > 0) {
        text += "Overruns: " + std::to_string(report.bytes_lost) +
                " bytes came before the CPU had taken the one before; the CPU is too slow for this disk\n";
    }
    if (report.readback_errors > 0) {
        text += "Read-back errors: " + std::to_string(report.readback_errors) +
                " bytes were stored where there is no RAM" +
                (report.facts.fast_loader ? " (the fast loader does not read them back)\n"
                                          : " (the loader shows X and the address on the screen)\n");
    }
    const std::string spill = spill_warning(report, extras.program_range);
    if (!spill.empty()) text += "Warning: " + spill + "\n";
    text += dropped_text(extras.nonzero_bytes_dropped);
    if (extras.program) text += program_text(*extras.program);
    text += run_on_text(report);
    text += keys_text(report) + until_text(report);
    if (extras.screen) {
        const VideoLayout& video = report.settings.bench.machine.video;
        text += extras.screen_all ? "Screen, all of the video memory:\n"
                                  : "Screen, the " + std::to_string(video.window_columns) + " x " +
                                        std::to_string(video.window_rows) + " a monitor shows from " +
                                        format_address(video.window_start) + ":\n";
        text += framed_screen(report_screen_rows(report, extras.screen_all));
    }
    return text;
}

std::string boot_report_json(const BootReport& report, const ReportExtras& extras) {
    std::string text = "{\"result\":" + json_string(outcome_name(report.outcome)) +
                       ",\"ok\":" + json_bool(run_passed(report, extras));
    text += ",\"format\":" + json_string(geometry_for(report.format).name);
    text += ",\"boot_track\":" + json_string(!report.facts.loader     ? "boot_code"
                                         : report.facts.fast_loader ? "fast_loader"
                                                                    : "loader");
    text += ",\"start_address\":" + std::to_string(report.facts.start_address);
    text += ",\"cpu_hz\":" + std::to_string(report.settings.cpu_hz) + ",\"bit_rate\":" + std::to_string(report.bit_rate);
    text += ",\"cycles\":" + std::to_string(report.end_cycle) + ",\"seconds\":" +
            fixed(report_seconds(report, report.end_cycle), 6);
    if (report.boot_track_started) text += ",\"boot_track_seconds\":" + fixed(report_seconds(report, report.boot_track_cycle), 6);
    if (report.outcome != BootOutcome::started) text += ",\"failure\":" + json_string(failure_text(report));
    text += ",\"head_track\":" + std::to_string(report.head_track);
    if (report.outcome == BootOutcome::undocumented_opcode) {
        text += ",\"opcode\":" + std::to_string(report.cpu.stop_opcode) + ",\"opcode_address\":" +
                std::to_string(report.cpu.stop_address);
    }
    text += ",\"registers\":" + json_registers(report.cpu);
    const std::string spill = spill_warning(report, extras.program_range);
    text += ",\"bytes_lost\":" + std::to_string(report.bytes_lost) + ",\"read_back_errors\":" +
            std::to_string(report.readback_errors) + ",\"read_back_errors_outside_program\":" +
            std::to_string(split_readback_errors(report, extras.program_range).outside);
    text += ",\"warnings\":" + json_array(spill.empty() ? std::vector<std::string>{} : std::vector<std::string>{json_string(spill)});
    text += ",\"tracks\":[";
    for (size_t i = 0; i < report.visits.size(); i++) text += (i == 0 ? "" : ",") + json_visit(report.visits[i]);
    text += "]";
    if (extras.program) text += ",\"program\":" + json_program(*extras.program);
    if (report.run_on != RunOnOutcome::not_run) {
        text += ",\"run_on\":{\"result\":" + json_string(run_on_name(report.run_on)) + ",\"milliseconds\":" +
                fixed(report_seconds(report, report.run_on_cycles) * MILLISECONDS_PER_SECOND, 3) + ",\"registers\":" +
                json_registers(report.cpu_after_run_on) + "}";
    }
    text += json_bench(report, extras);
    return text + "}\n";
}
