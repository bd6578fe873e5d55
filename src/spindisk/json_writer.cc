// The JSON writer: escaping and the joining of fields and values.
#include "spindisk/json_writer.h"

#include "base/text.h"

namespace {

constexpr char HEX_DIGITS[] = "0123456789ABCDEF";

}  // namespace

std::string json_string(const std::string& bytes) {
    std::string text = "\"";
    for (const char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            text += '\\';
            text += c;
        } else if (byte >= FIRST_PRINTABLE && byte <= LAST_PRINTABLE) {
            text += c;
        } else {
            text += "\\u00";
            text += HEX_DIGITS[byte >> 4];
            text += HEX_DIGITS[byte & 0x0F];
        }
    }
    return text + "\"";
}

std::string json_number(uint64_t value) { return std::to_string(value); }

std::string json_bool(bool value) { return value ? "true" : "false"; }

std::string json_object(const std::vector<JsonField>& fields) {
    std::string text = "{";
    for (size_t i = 0; i < fields.size(); i++) {
        if (i > 0) text += ',';
        text += json_string(fields[i].name) + ':' + fields[i].value;
    }
    return text + "}";
}

std::string json_array(const std::vector<std::string>& values) {
    std::string text = "[";
    for (size_t i = 0; i < values.size(); i++) {
        if (i > 0) text += ',';
        text += values[i];
    }
    return text + "]";
}
