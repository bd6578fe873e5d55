// Checking the started program against its file, and the boot's verdict.
#include "disk/boot_verdict.h"

#include <algorithm>

#include "base/units.h"
#include "loader/boot_loader.h"

namespace {

bool in_finish_patch(uint16_t address) {
    return address >= LOADER_FINISH_PATCH_START && address <= LOADER_FINISH_PATCH_END;
}

// Whether the address holds one of the program's bytes; a program of 64 KB
// or more, or an unknown one, holds them all.
bool in_program(const ProgramRange& program, uint16_t address) {
    if (!program.known || program.size >= ADDRESS_SPACE) return true;
    const auto offset = static_cast<uint16_t>(address - program.first);
    return offset < program.size;
}

}  // namespace

ProgramCheck check_program(const BootReport& report, const std::vector<uint8_t>& program) {
    ProgramCheck check;
    check.load_address = report.facts.load_address;
    check.size = program.size();
    if (report.outcome != BootOutcome::started || !report.facts.has_load_address ||
        report.memory.size() != ADDRESS_SPACE) {
        return check;
    }
    check.checked = true;
    // Past 64 KB the program wraps and its later bytes are the ones left in memory.
    const size_t first = program.size() > ADDRESS_SPACE ? program.size() - ADDRESS_SPACE : 0;
    for (size_t i = first; i < program.size(); i++) {
        const auto address = static_cast<uint16_t>(check.load_address + i);
        const uint8_t found = report.memory[address];
        if (report.facts.loader && in_finish_patch(address)) {
            check.covers_finish_patch = true;
            continue;
        }
        if (found == program[i]) continue;
        if (check.differences == 0) {
            check.first_difference = address;
            check.expected = program[i];
            check.found = found;
        }
        check.differences++;
    }
    check.intact = check.differences == 0;
    return check;
}

ProgramRange program_range(const ImageFacts& facts) {
    ProgramRange range;
    if (facts.boot.mode == BootMode::loader && facts.program.size > 0) {
        range = {true, facts.program.load_address, facts.program.size};
    } else if (facts.boot.mode == BootMode::raw) {
        range = {true, facts.boot.load_address, facts.boot.code_size};
    }
    return range;
}

ReadbackErrors split_readback_errors(const BootReport& report, const ProgramRange& program) {
    ReadbackErrors errors;
    for (const TrackVisit& visit : report.visits) {
        for (const AddressRun& run : visit.readback_runs) {
            for (uint32_t i = 0; i < run.length; i++) {
                if (!in_program(program, static_cast<uint16_t>(run.first + i))) errors.outside++;
            }
        }
    }
    errors.in_program = report.readback_errors - std::min(errors.outside, report.readback_errors);
    return errors;
}

bool boot_succeeded(const BootReport& report, const ProgramRange& program) {
    return report.outcome == BootOutcome::started && report.bytes_lost == 0 &&
           split_readback_errors(report, program).in_program == 0;
}

void judge_program_above_ram(BootReport& report, const ProgramRange& program) {
    if (report.outcome != BootOutcome::started || !report.stored_above_ram) return;
    uint32_t first = report.above_ram_first, last = report.above_ram_last;
    if (program.known && program.size < ADDRESS_SPACE) {
        const uint64_t program_last = static_cast<uint64_t>(program.first) + program.size - 1;
        first = std::max<uint32_t>(first, program.first);
        last = static_cast<uint32_t>(std::min<uint64_t>(last, program_last));
        if (first > last) return;
    }
    report.outcome = BootOutcome::above_ram;
    report.above_ram_first = static_cast<uint16_t>(first);
    report.above_ram_last = static_cast<uint16_t>(last);
}
