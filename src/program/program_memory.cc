// Storing bytes and joining them into one program.
#include "program/program_memory.h"

ProgramRead program_failure(int line, const std::string& message) {
    ProgramRead read;
    read.error.line = line;
    read.error.message = message;
    return read;
}

void store_byte(ProgramMemory& memory, uint16_t address, uint8_t value) {
    memory.value[address] = value;
    memory.written[address] = true;
}

bool store_once(ProgramMemory& memory, uint16_t address, uint8_t value) {
    if (memory.written[address] && memory.value[address] != value) return false;
    store_byte(memory, address, value);
    return true;
}

bool join_program(const ProgramMemory& memory, Program& program) {
    size_t lowest = ADDRESS_SPACE, highest = 0, pieces = 0;
    for (size_t address = 0; address < ADDRESS_SPACE; address++) {
        if (!memory.written[address]) continue;
        if (lowest == ADDRESS_SPACE) lowest = address;
        if (address == 0 || !memory.written[address - 1]) pieces++;
        highest = address;
    }
    if (lowest == ADDRESS_SPACE) return false;
    program.load_address = static_cast<uint16_t>(lowest);
    // Unwritten bytes hold 0, so the gaps come out as $00.
    program.bytes.assign(memory.value.begin() + static_cast<long>(lowest),
                         memory.value.begin() + static_cast<long>(highest) + 1);
    program.pieces = pieces;
    return true;
}
