// Hex digits, strict addresses and the lines of the record formats.
#include "program/hex_text.h"

#include <cstdio>

#include "base/text.h"

namespace {

constexpr size_t MAX_ADDRESS_DIGITS = 4;

bool is_trailing_space(char c) { return c == '\r' || c == ' ' || c == '\t'; }

}  // namespace

bool parse_address(const std::string& text, uint16_t& address) {
    size_t at = 0;
    if (text.compare(0, 1, "$") == 0) {
        at = 1;
    } else if (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0) {
        at = 2;
    }
    const size_t digits = text.size() - at;
    if (digits == 0 || digits > MAX_ADDRESS_DIGITS) return false;
    unsigned value = 0;
    for (size_t i = at; i < text.size(); i++) {
        const int digit = hex_digit(static_cast<uint8_t>(text[i]));
        if (digit < 0) return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    address = static_cast<uint16_t>(value);
    return true;
}

std::string format_wide_address(uint32_t address) {
    if (address <= 0xFFFF) return format_address(address);
    char text[16];
    std::snprintf(text, sizeof text, "$%X", static_cast<unsigned>(address));
    return text;
}

std::vector<TextLine> text_lines(const uint8_t* bytes, size_t size) {
    std::vector<TextLine> lines;
    size_t start = 0;
    int number = 1;
    for (size_t i = 0; i <= size; i++) {
        if (i < size && bytes[i] != '\n') continue;
        std::string text(reinterpret_cast<const char*>(bytes) + start, i - start);
        while (!text.empty() && is_trailing_space(text.back())) text.pop_back();
        if (i < size || !text.empty()) lines.push_back({number, text});
        number++;
        start = i + 1;
    }
    return lines;
}

bool hex_bytes(const std::string& text, size_t from, std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    for (size_t i = from; i < text.size(); i++) {
        if (hex_digit(static_cast<uint8_t>(text[i])) < 0) {
            error = character_text(static_cast<uint8_t>(text[i])) + " at column " + std::to_string(i + 1) +
                    " is no hex digit";
            return false;
        }
    }
    if ((text.size() - from) % 2 != 0) {
        error = "an odd number of hex digits (" + std::to_string(text.size() - from) + ")";
        return false;
    }
    for (size_t i = from; i < text.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(hex_digit(static_cast<uint8_t>(text[i])) * 16 +
                                             hex_digit(static_cast<uint8_t>(text[i + 1]))));
    }
    return true;
}
