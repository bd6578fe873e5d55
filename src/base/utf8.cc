// Lenient UTF-8 decoding for label characters.
#include "base/utf8.h"

namespace {

bool is_continuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Length and payload of the sequence that starts at bytes[i], or 0 when the
// bytes there are not a well-formed sequence.
size_t decode_one(const std::string& bytes, size_t i, uint32_t& code_point) {
    const uint8_t lead = static_cast<uint8_t>(bytes[i]);
    size_t length;
    uint32_t value;
    uint32_t minimum;
    if (lead < 0x80) {
        code_point = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > bytes.size()) return 0;
    for (size_t k = 1; k < length; k++) {
        const uint8_t next = static_cast<uint8_t>(bytes[i + k]);
        if (!is_continuation(next)) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    code_point = value;
    return length;
}

}  // namespace

std::vector<uint32_t> decode_utf8_lenient(const std::string& bytes) {
    std::vector<uint32_t> characters;
    size_t i = 0;
    while (i < bytes.size()) {
        uint32_t code_point = 0;
        size_t length = decode_one(bytes, i, code_point);
        if (length == 0) {
            code_point = static_cast<uint8_t>(bytes[i]);
            length = 1;
        }
        characters.push_back(code_point);
        i += length;
    }
    return characters;
}
