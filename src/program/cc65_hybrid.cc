// Reading cc65's hybrid output: the bootstrap's figures, then the raw bytes.
#include "program/cc65_hybrid.h"

#include <vector>

#include "base/text.h"
#include "program/monitor_text.h"

namespace {

constexpr uint8_t LDA_IMMEDIATE = 0xA9;
constexpr uint8_t LDX_IMMEDIATE = 0xA2;
constexpr uint8_t EOR_IMMEDIATE = 0x49;
constexpr uint8_t COMPLEMENT = 0xFF;
constexpr size_t BOOTSTRAP_SEARCH = 64;  // the bootstrap is about 40 bytes

struct Bootstrap {
    uint16_t load_address = 0;
    size_t size = 0;
};

// The bootstrap as typed in: the run of stored bytes from the G's address.
std::vector<uint8_t> bootstrap_code(const MonitorText& text) {
    std::vector<uint8_t> code;
    for (size_t i = 0; i < BOOTSTRAP_SEARCH; i++) {
        const uint16_t address = static_cast<uint16_t>(text.go_address + i);
        if (!text.memory.written[address]) break;
        code.push_back(memory_byte(text.memory, address));
    }
    return code;
}

// One length byte from "A9 n 49 FF" (complemented as it runs), or from
// "A9 n" alone (stored complemented); at moves past it.
bool length_byte(const std::vector<uint8_t>& code, size_t& at, uint8_t& value) {
    while (at + 1 < code.size() && code[at] != LDA_IMMEDIATE) at++;
    if (at + 1 >= code.size()) return false;
    const uint8_t operand = code[at + 1];
    const bool eor_follows = at + 3 < code.size() && code[at + 2] == EOR_IMMEDIATE && code[at + 3] == COMPLEMENT;
    value = eor_follows ? operand : static_cast<uint8_t>(~operand);
    at += eor_follows ? 4 : 2;
    return true;
}

bool read_bootstrap(const std::vector<uint8_t>& code, Bootstrap& bootstrap) {
    size_t at = 0;
    while (at + 3 < code.size() && !(code[at] == LDA_IMMEDIATE && code[at + 2] == LDX_IMMEDIATE)) at++;
    if (at + 3 >= code.size()) return false;
    bootstrap.load_address = static_cast<uint16_t>(code[at + 1] | code[at + 3] << 8);
    at += 4;
    uint8_t low = 0, high = 0;
    if (!length_byte(code, at, low) || !length_byte(code, at, high)) return false;
    bootstrap.size = static_cast<size_t>(low | high << 8);
    return true;
}

}  // namespace

ProgramRead read_cc65_hybrid(const uint8_t* bytes, size_t size) {
    MonitorText text;
    ProgramError error;
    if (!type_monitor_text(bytes, size, text, error)) return program_failure(error.line, error.message);
    if (!text.has_go) return program_failure(0, "the 65V text has no G that starts a bootstrap");
    Bootstrap bootstrap;
    if (!read_bootstrap(bootstrap_code(text), bootstrap)) {
        return program_failure(0, "the bootstrap at " + format_address(text.go_address) +
                                      " does not name a load address and length (A9 lo A2 hi, then A9 n 49 FF twice)");
    }
    const size_t following = size - text.end;
    if (following != bootstrap.size) {
        return program_failure(0, "the bootstrap loads " + std::to_string(bootstrap.size) + " bytes at " +
                                      format_address(bootstrap.load_address) + ", but " + std::to_string(following) +
                                      " follow it");
    }
    if (bootstrap.size == 0) return program_failure(0, "the bootstrap loads no bytes");
    if (bootstrap.load_address + bootstrap.size > 0x10000) {
        return program_failure(0, "the program at " + format_address(bootstrap.load_address) + " runs past $FFFF");
    }
    ProgramRead read;
    read.ok = true;
    read.program.load_address = bootstrap.load_address;
    read.program.bytes.assign(bytes + text.end, bytes + size);
    read.program.has_start = true;
    read.program.start_address = bootstrap.load_address;
    read.program.pieces = 1;
    return read;
}
