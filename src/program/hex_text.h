// Hexadecimal as people and toolchains write it: a strict address for the
// command line, and the lines and hex bytes of the record formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"  // hex_digit and character_text, for the record readers

// "$0300", "0x0300", "0300" or "300": one to four hex digits after an
// optional "$" or "0x", and nothing else. False for anything else
// ("ZZ", "12345", "0300x", "").
bool parse_address(const std::string& text, uint16_t& address);


// "$10000" or "$0300": an address that may lie past $FFFF, for messages.
std::string format_wide_address(uint32_t address);

// One line of a text file: its number (from 1) and its text without the
// line break and trailing spaces.
struct TextLine {
    int number = 0;
    std::string text;
};

// Splits at LF (a CR before it, or alone at the end of a line, is dropped).
std::vector<TextLine> text_lines(const uint8_t* bytes, size_t size);

// The hex pairs of text from offset `from` on, as bytes; false with a
// message for an odd count or a character that is no hex digit.
bool hex_bytes(const std::string& text, size_t from, std::vector<uint8_t>& bytes, std::string& error);
