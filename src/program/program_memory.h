// The 64 KB a file's records or monitor text write into, and joining what
// they wrote into one Program from the lowest to the highest address.
#pragma once

#include <cstdint>
#include <vector>

#include "base/units.h"
#include "program/program.h"

struct ProgramMemory {
    std::vector<uint8_t> value = std::vector<uint8_t>(ADDRESS_SPACE, 0);
    std::vector<bool> written = std::vector<bool>(ADDRESS_SPACE, false);
};

// The byte at address, or 0 when nothing wrote it.
inline uint8_t memory_byte(const ProgramMemory& memory, uint16_t address) { return memory.value[address]; }

// A later store wins, as when a monitor is given the same address twice.
void store_byte(ProgramMemory& memory, uint16_t address, uint8_t value);

// Records may repeat a byte but not contradict one: false (nothing stored)
// when the address already holds a different value.
bool store_once(ProgramMemory& memory, uint16_t address, uint8_t value);

// The written bytes from the lowest to the highest address written, $00 in
// the gaps; false when nothing was written.
bool join_program(const ProgramMemory& memory, Program& program);
