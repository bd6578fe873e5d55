// Checking the started program against its file, and the boot's verdict.
#include "disk/boot_verdict.h"

#include "base/units.h"
#include "loader/boot_loader.h"

namespace {

bool in_finish_patch(uint16_t address) {
    return address >= LOADER_FINISH_PATCH_START && address <= LOADER_FINISH_PATCH_END;
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

bool boot_succeeded(const BootReport& report) {
    return report.outcome == BootOutcome::started && report.bytes_lost == 0 && report.readback_errors == 0;
}
