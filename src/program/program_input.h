// The input formats spindisk make reads, recognising them by content, and
// reading any of them into one Program. Raw input is the bytes as they lie
// in memory; it carries no address, so the caller gives the load address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "program/program.h"

enum class InputFormat { automatic, raw, os65v, cc65, ihex, srec };

// "auto", "raw", "65v", "cc65", "ihex", "srec"; false for any other name.
bool input_format_from_name(const std::string& name, InputFormat& format);
const char* input_format_name(InputFormat format);
// For people: "raw program", "65V monitor text", "cc65 hybrid output", ...
const char* input_format_description(InputFormat format);

// Every format but raw names its own addresses.
bool carries_addresses(InputFormat format);

// What the bytes are: Intel HEX (a first line ":" and hex), S-records ("S",
// a digit, hex), 65V text ("." and a hex digit, after any line breaks) or,
// when that text's G is followed by more bytes, cc65's hybrid output; raw
// otherwise. Only the opening is looked at: a file that opens like a format
// and then breaks its rules is that format, read with an error.
InputFormat detect_input_format(const uint8_t* bytes, size_t size);

// Reads bytes as the format (not automatic). Raw input loads at
// raw_load_address and has no start address of its own.
ProgramRead read_program(const uint8_t* bytes, size_t size, InputFormat format, uint16_t raw_load_address);
