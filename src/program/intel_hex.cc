// Reading Intel HEX records into one program.
#include "program/intel_hex.h"

#include "base/text.h"
#include "program/hex_text.h"
#include "program/program_memory.h"

namespace {

constexpr char RECORD_MARK = ':';
constexpr size_t RECORD_OVERHEAD = 5;  // length, address (2), type, checksum
constexpr size_t DATA_OFFSET = 4;

enum RecordType : uint8_t {
    DATA = 0x00,
    END_OF_FILE = 0x01,
    SEGMENT_BASE = 0x02,   // base = value * 16
    SEGMENT_START = 0x03,  // CS:IP
    LINEAR_BASE = 0x04,    // base = value << 16
    LINEAR_START = 0x05,   // EIP
};
constexpr size_t BASE_RECORD_LENGTH = 2;
constexpr size_t START_RECORD_LENGTH = 4;
constexpr uint32_t SEGMENT_SHIFT = 4;
constexpr uint32_t LINEAR_SHIFT = 16;

struct HexState {
    ProgramMemory memory;
    uint32_t base = 0;
    bool ended = false;
    Program program;
};

uint32_t big_endian(const std::vector<uint8_t>& record, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; i++) value = value << 8 | record[at + i];
    return value;
}

// The record's bytes, with its length and checksum checked; "" when sound.
std::string check_record(const std::string& text, std::vector<uint8_t>& record) {
    std::string error;
    if (text[0] != RECORD_MARK) return "a record starts with ':', not " + character_text(static_cast<uint8_t>(text[0]));
    if (!hex_bytes(text, 1, record, error)) return error;
    if (record.size() < RECORD_OVERHEAD) return "a record has at least 5 bytes, this one " + std::to_string(record.size());
    if (record.size() != record[0] + RECORD_OVERHEAD) {
        return "the record says " + std::to_string(record[0]) + " data bytes but holds " +
               std::to_string(record.size() - RECORD_OVERHEAD);
    }
    uint8_t sum = 0;
    for (size_t i = 0; i + 1 < record.size(); i++) sum = static_cast<uint8_t>(sum + record[i]);
    const uint8_t expected = static_cast<uint8_t>(-sum);
    if (record.back() != expected) {
        return "checksum " + format_byte(record.back()) + " should be " + format_byte(expected);
    }
    return "";
}

std::string store_data(const std::vector<uint8_t>& record, HexState& state) {
    const uint32_t first = state.base + big_endian(record, 1, 2);
    const size_t count = record[0];
    for (size_t i = 0; i < count; i++) {
        const uint32_t address = first + static_cast<uint32_t>(i);
        if (address > 0xFFFF) return "data at " + format_wide_address(address) + ", past $FFFF";
        const uint8_t value = record[DATA_OFFSET + i];
        if (!store_once(state.memory, static_cast<uint16_t>(address), value)) {
            return format_address(address) + " is given " + format_byte(value) + " here but " +
                   format_byte(memory_byte(state.memory, static_cast<uint16_t>(address))) + " before";
        }
    }
    return "";
}

std::string apply_record(const std::vector<uint8_t>& record, HexState& state) {
    const size_t length = record[0];
    const uint8_t type = record[3];
    switch (type) {
        case DATA:
            return store_data(record, state);
        case END_OF_FILE:
            state.ended = true;
            return "";
        case SEGMENT_BASE:
        case LINEAR_BASE:
            if (length != BASE_RECORD_LENGTH) return "a base address record has 2 data bytes";
            state.base = big_endian(record, DATA_OFFSET, 2) << (type == SEGMENT_BASE ? SEGMENT_SHIFT : LINEAR_SHIFT);
            return "";
        case SEGMENT_START:
        case LINEAR_START: {
            if (length != START_RECORD_LENGTH) return "a start address record has 4 data bytes";
            const uint32_t value = big_endian(record, DATA_OFFSET, 4);
            const uint32_t start = type == SEGMENT_START ? (value >> 16 << SEGMENT_SHIFT) + (value & 0xFFFF) : value;
            if (start > 0xFFFF) return "start address " + format_wide_address(start) + ", past $FFFF";
            state.program.has_start = true;
            state.program.start_address = static_cast<uint16_t>(start);
            return "";
        }
    }
    return "unknown record type " + format_byte(type);
}

}  // namespace

ProgramRead read_intel_hex(const uint8_t* bytes, size_t size) {
    HexState state;
    int last_line = 0;
    for (const TextLine& line : text_lines(bytes, size)) {
        last_line = line.number;
        if (line.text.empty()) continue;
        if (state.ended) return program_failure(line.number, "text after the end-of-file record");
        std::vector<uint8_t> record;
        std::string error = check_record(line.text, record);
        if (error.empty()) error = apply_record(record, state);
        if (!error.empty()) return program_failure(line.number, error);
    }
    if (!state.ended) return program_failure(last_line, "no end-of-file record (:00000001FF): the file may be cut short");
    if (!join_program(state.memory, state.program)) return program_failure(0, "no data records");
    ProgramRead read;
    read.ok = true;
    read.program = state.program;
    return read;
}
