// Recognising an input format and reading it.
#include "program/program_input.h"

#include "program/cc65_hybrid.h"
#include "program/hex_text.h"
#include "program/intel_hex.h"
#include "program/monitor_text.h"
#include "program/motorola_srec.h"

namespace {

struct FormatInfo {
    InputFormat format;
    const char* name;
    const char* description;
};

constexpr FormatInfo FORMATS[] = {
    {InputFormat::automatic, "auto", "recognised by content"},
    {InputFormat::raw, "raw", "raw program"},
    {InputFormat::os65v, "65v", "65V monitor text"},
    {InputFormat::cc65, "cc65", "cc65 hybrid output"},
    {InputFormat::ihex, "ihex", "Intel HEX"},
    {InputFormat::srec, "srec", "S-records"},
};

const FormatInfo& info(InputFormat format) {
    for (const FormatInfo& entry : FORMATS) {
        if (entry.format == format) return entry;
    }
    return FORMATS[0];
}

bool hex_at(const uint8_t* bytes, size_t size, size_t at) { return at < size && hex_digit(bytes[at]) >= 0; }

bool is_line_break(uint8_t c) { return c == '\r' || c == '\n'; }

}  // namespace

bool input_format_from_name(const std::string& name, InputFormat& format) {
    for (const FormatInfo& entry : FORMATS) {
        if (name == entry.name) {
            format = entry.format;
            return true;
        }
    }
    return false;
}

const char* input_format_name(InputFormat format) { return info(format).name; }
const char* input_format_description(InputFormat format) { return info(format).description; }

bool carries_addresses(InputFormat format) { return format != InputFormat::raw; }

InputFormat detect_input_format(const uint8_t* bytes, size_t size) {
    if (size > 0 && bytes[0] == ':' && hex_at(bytes, size, 1)) return InputFormat::ihex;
    if (size > 0 && bytes[0] == 'S' && size > 1 && bytes[1] >= '0' && bytes[1] <= '9' && hex_at(bytes, size, 2)) {
        return InputFormat::srec;
    }
    size_t at = 0;
    while (at < size && is_line_break(bytes[at])) at++;
    if (at < size && bytes[at] == '.' && hex_at(bytes, size, at + 1)) {
        MonitorText text;
        ProgramError error;
        const bool typed = type_monitor_text(bytes, size, text, error);
        if (typed && text.has_go && !only_blank(bytes + text.end, size - text.end)) return InputFormat::cc65;
        return InputFormat::os65v;
    }
    return InputFormat::raw;
}

ProgramRead read_program(const uint8_t* bytes, size_t size, InputFormat format, uint16_t raw_load_address) {
    switch (format) {
        case InputFormat::os65v:
            return read_monitor_text(bytes, size);
        case InputFormat::cc65:
            return read_cc65_hybrid(bytes, size);
        case InputFormat::ihex:
            return read_intel_hex(bytes, size);
        case InputFormat::srec:
            return read_motorola_srec(bytes, size);
        case InputFormat::automatic:
            return read_program(bytes, size, detect_input_format(bytes, size), raw_load_address);
        case InputFormat::raw:
            break;
    }
    // A raw program may even run past $FFFF: the image reader judges what the disk then does.
    if (size == 0) return program_failure(0, "the file is empty");
    ProgramRead read;
    read.ok = true;
    read.program.load_address = raw_load_address;
    read.program.bytes.assign(bytes, bytes + size);
    read.program.pieces = 1;
    return read;
}
