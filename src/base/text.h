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

// 0..15 for 0-9, a-f, A-F; -1 for anything else.
constexpr int hex_digit(unsigned char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Bytes for a terminal: printable ASCII as it is, a backslash doubled,
// anything else as \xNN ("A\x00B\\").
inline std::string printable_text(const std::string& bytes) {
    std::string text;
    for (const char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (is_printable_ascii(byte)) {
            text += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text;
}

// "4C": a byte as a dump shows it.
inline std::string hex_byte(unsigned value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

// "$4C"
inline std::string format_byte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "$%02X", value & 0xFFu);
    return text;
}

// How a byte that is out of place reads in a message: 'x', or byte $07.
inline std::string character_text(uint8_t c) {
    if (is_printable_ascii(c)) return std::string("'") + static_cast<char>(c) + "'";
    return "byte " + format_byte(c);
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
