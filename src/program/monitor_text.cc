// Typing 65V text into a model of the monitor's load mode.
#include "program/monitor_text.h"

#include <cstring>

#include "base/text.h"
#include "program/hex_text.h"

namespace {

constexpr uint8_t ADDRESS_MODE_KEY = '.';
constexpr uint8_t DATA_MODE_KEY = '/';
constexpr uint8_t GO_KEY = 'G';
constexpr uint8_t RETURN_KEY = '\r';
constexpr uint8_t LINE_FEED = '\n';
constexpr uint8_t NUL = 0x00;  // tape and serial padding, which the monitor passes over

// srec_cat's closing store when there is no start address.
const char SREC_CAT_CLOSING[] = ".00FD/00";

enum class Mode { none, address, data };

bool is_blank(uint8_t c) { return c == RETURN_KEY || c == LINE_FEED || c == NUL || c == ' ' || c == '\t'; }

bool ends_with_closing(const uint8_t* bytes, size_t size, size_t& closing_at) {
    while (size > 0 && is_blank(bytes[size - 1])) size--;
    const size_t length = std::strlen(SREC_CAT_CLOSING);
    if (size < length) return false;
    for (size_t i = 0; i < length; i++) {
        const uint8_t c = bytes[size - length + i];
        const uint8_t upper = c >= 'a' && c <= 'f' ? static_cast<uint8_t>(c - 'a' + 'A') : c;
        if (upper != static_cast<uint8_t>(SREC_CAT_CLOSING[i])) return false;
    }
    closing_at = size - length;
    return true;
}

ProgramRead finish(const MonitorText& text) {
    ProgramRead read;
    if (!join_program(text.memory, read.program)) return program_failure(0, "the text stores no bytes");
    read.program.has_start = text.has_go;
    read.program.start_address = text.go_address;
    if (text.lf_as_return) read.notes.push_back("its lines end in LF alone; each LF was taken as a Return");
    read.ok = true;
    return read;
}

}  // namespace

bool only_blank(const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; i++) {
        if (!is_blank(bytes[i])) return false;
    }
    return true;
}

bool type_monitor_text(const uint8_t* bytes, size_t size, MonitorText& text, ProgramError& error) {
    text.lf_as_return = std::memchr(bytes, RETURN_KEY, size) == nullptr;
    Mode mode = Mode::none;
    uint16_t address = 0;
    int line = 1;
    for (size_t i = 0; i < size; i++) {
        const uint8_t c = bytes[i];
        const int digit = hex_digit(c);
        const bool line_break = c == RETURN_KEY || (c == LINE_FEED && (i == 0 || bytes[i - 1] != RETURN_KEY));
        if (c == RETURN_KEY || (c == LINE_FEED && text.lf_as_return)) {
            address = static_cast<uint16_t>(address + 1);
        } else if (c == ADDRESS_MODE_KEY) {
            mode = Mode::address;
        } else if (c == DATA_MODE_KEY) {
            mode = Mode::data;
        } else if (c == GO_KEY && mode == Mode::address) {
            text.has_go = true;
            text.go_address = address;
            text.go_line = line;
            text.end = i + 1;
            return true;
        } else if (digit >= 0 && mode == Mode::address) {
            address = static_cast<uint16_t>(address << 4 | digit);
        } else if (digit >= 0 && mode == Mode::data) {
            store_byte(text.memory, address, static_cast<uint8_t>(memory_byte(text.memory, address) << 4 | digit));
        } else if (c != LINE_FEED && c != NUL) {
            error.line = line;
            error.message = character_text(c) + (mode == Mode::none ? " before the first '.' or '/'" :
                                                  c == GO_KEY ? " in data mode: G starts a program after '.' and its address" :
                                                  " is no hex digit, '.', '/', G or Return");
            return false;
        }
        if (line_break) line++;
    }
    text.end = size;
    return true;
}

ProgramRead read_monitor_text(const uint8_t* bytes, size_t size) {
    MonitorText text;
    ProgramError error;
    if (!type_monitor_text(bytes, size, text, error)) return program_failure(error.line, error.message);
    if (text.has_go) {
        if (only_blank(bytes + text.end, size - text.end)) return finish(text);
        return program_failure(text.go_line, "bytes follow the G that starts the program (cc65's hybrid output? "
                                  "try --input-format cc65)");
    }
    size_t closing_at = 0;
    if (!ends_with_closing(bytes, size, closing_at)) return finish(text);
    // The text before the closing store typed without error as part of the whole.
    MonitorText program_text;
    type_monitor_text(bytes, closing_at, program_text, error);
    ProgramRead read = finish(program_text);
    if (read.ok) read.notes.push_back("its closing .00FD/00 is a store for the monitor, not part of the program; left out");
    return read;
}
