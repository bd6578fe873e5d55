// Units of time and the 6502's address space: plain figures every part of
// the toolkit writes the same way.
#pragma once

#include <cstddef>

constexpr double SECONDS_PER_MINUTE = 60.0;
constexpr double MILLISECONDS_PER_SECOND = 1000.0;
constexpr double MICROSECONDS_PER_SECOND = 1e6;

// 64 KB: every address a 6502 can put on its bus.
constexpr size_t ADDRESS_SPACE = 0x10000;
