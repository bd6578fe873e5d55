// How messages and listings write bytes and addresses: printable ASCII, and
// hexadecimal the way 6502 programmers write it ("$0300", "$4C").
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

constexpr unsigned char FIRST_PRINTABLE = 0x20;  // space
constexpr unsigned char LAST_PRINTABLE = 0x7E;   // tilde

constexpr bool is_printable_ascii(unsigned char byte) { return byte >= FIRST_PRINTABLE && byte <= LAST_PRINTABLE; }

// "$4C"
inline std::string format_byte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "$%02X", value & 0xFFu);
    return text;
}

// "$0300"
inline std::string format_address(unsigned address) {
    char text[8];
    std::snprintf(text, sizeof text, "$%04X", address & 0xFFFFu);
    return text;
}

// A range of length (at least 1) bytes from start, wrapping at $FFFF: "$FFFA-$07F6".
inline std::string format_range(uint16_t start, size_t length) {
    return format_address(start) + "-" + format_address(static_cast<uint16_t>(start + length - 1));
}
