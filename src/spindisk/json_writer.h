// A tiny JSON writer for spindisk's --json output: values are rendered to
// text as they are built, objects keep their fields in the order given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct JsonField {
    const char* name;
    std::string value;  // already rendered JSON
};

constexpr char JSON_NULL[] = "null";

// A string of arbitrary bytes, quoted. Printable ASCII stays as it is (with
// " and \ escaped); every other byte b becomes \u00XX, the code point of the
// same value, so a label byte $E9 reads as U+00E9.
std::string json_string(const std::string& bytes);
std::string json_number(uint64_t value);
std::string json_bool(bool value);
std::string json_object(const std::vector<JsonField>& fields);
std::string json_array(const std::vector<std::string>& values);
