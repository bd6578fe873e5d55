// Reading S-records into one program.
#include "program/motorola_srec.h"

#include "base/text.h"
#include "program/hex_text.h"
#include "program/program_memory.h"

namespace {

constexpr char RECORD_MARK = 'S';
constexpr size_t TYPE_AND_MARK = 2;  // "S1"
constexpr uint8_t CHECKSUM_TOTAL = 0xFF;  // count + address + data + checksum, modulo 256

enum class RecordKind { header, data, count, start };

// What each type holds: its kind and how many address bytes it has.
struct RecordType {
    char digit;
    RecordKind kind;
    size_t address_bytes;
};

constexpr RecordType RECORD_TYPES[] = {
    {'0', RecordKind::header, 2}, {'1', RecordKind::data, 2},  {'2', RecordKind::data, 3},
    {'3', RecordKind::data, 4},   {'5', RecordKind::count, 2}, {'6', RecordKind::count, 3},
    {'7', RecordKind::start, 4},  {'8', RecordKind::start, 3}, {'9', RecordKind::start, 2},
};

struct SrecState {
    ProgramMemory memory;
    size_t data_records = 0;
    bool started = false;  // a start record ends the data
    Program program;
};

const RecordType* record_type(char digit) {
    for (const RecordType& type : RECORD_TYPES) {
        if (type.digit == digit) return &type;
    }
    return nullptr;
}

// The record's bytes (count first), with count and checksum checked; "" when sound.
std::string check_record(const std::string& text, const RecordType*& type, std::vector<uint8_t>& record) {
    std::string error;
    if (text[0] != RECORD_MARK) return "a record starts with 'S', not " + character_text(static_cast<uint8_t>(text[0]));
    type = text.size() >= TYPE_AND_MARK ? record_type(text[1]) : nullptr;
    if (!type) return "unknown record type '" + text.substr(0, TYPE_AND_MARK) + "'";
    if (!hex_bytes(text, TYPE_AND_MARK, record, error)) return error;
    const size_t least = 1 + type->address_bytes + 1;
    if (record.size() < least) return "a record of this type has at least " + std::to_string(least) + " bytes";
    if (record[0] != record.size() - 1) {
        return "the record's count is " + std::to_string(record[0]) + " but " + std::to_string(record.size() - 1) +
               " bytes follow it";
    }
    uint8_t sum = 0;
    for (size_t i = 0; i + 1 < record.size(); i++) sum = static_cast<uint8_t>(sum + record[i]);
    const uint8_t expected = static_cast<uint8_t>(CHECKSUM_TOTAL - sum);
    if (record.back() != expected) return "checksum " + format_byte(record.back()) + " should be " + format_byte(expected);
    return "";
}

uint32_t record_address(const std::vector<uint8_t>& record, size_t address_bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < address_bytes; i++) value = value << 8 | record[1 + i];
    return value;
}

std::string store_data(const std::vector<uint8_t>& record, const RecordType& type, SrecState& state) {
    const uint32_t first = record_address(record, type.address_bytes);
    const size_t data_offset = 1 + type.address_bytes;
    for (size_t i = data_offset; i + 1 < record.size(); i++) {
        const uint32_t address = first + static_cast<uint32_t>(i - data_offset);
        if (address > 0xFFFF) return "data at " + format_wide_address(address) + ", past $FFFF";
        if (!store_once(state.memory, static_cast<uint16_t>(address), record[i])) {
            return format_address(address) + " is given " + format_byte(record[i]) + " here but " +
                   format_byte(memory_byte(state.memory, static_cast<uint16_t>(address))) + " before";
        }
    }
    state.data_records++;
    return "";
}

std::string apply_record(const std::vector<uint8_t>& record, const RecordType& type, SrecState& state) {
    const uint32_t address = record_address(record, type.address_bytes);
    switch (type.kind) {
        case RecordKind::header:
            return "";
        case RecordKind::data:
            return store_data(record, type, state);
        case RecordKind::count:
            if (address != state.data_records) {
                return "the count record says " + std::to_string(address) + " data records, the file has " +
                       std::to_string(state.data_records);
            }
            return "";
        case RecordKind::start:
            if (address > 0xFFFF) return "start address " + format_wide_address(address) + ", past $FFFF";
            state.started = true;
            state.program.has_start = true;
            state.program.start_address = static_cast<uint16_t>(address);
            return "";
    }
    return "";
}

}  // namespace

ProgramRead read_motorola_srec(const uint8_t* bytes, size_t size) {
    SrecState state;
    for (const TextLine& line : text_lines(bytes, size)) {
        if (line.text.empty()) continue;
        if (state.started) return program_failure(line.number, "text after the start address record");
        const RecordType* type = nullptr;
        std::vector<uint8_t> record;
        std::string error = check_record(line.text, type, record);
        if (error.empty()) error = apply_record(record, *type, state);
        if (!error.empty()) return program_failure(line.number, error);
    }
    if (!join_program(state.memory, state.program)) return program_failure(0, "no data records");
    ProgramRead read;
    read.ok = true;
    read.program = state.program;
    return read;
}
