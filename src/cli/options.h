// SpinLoad's command line: the settings of one run, the parser that fills
// them, and the usage text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/image_options.h"

enum class ParseOutcome { ready, no_arguments, unknown_argument, missing_load_address, no_input };

struct ParseResult {
    ParseOutcome outcome = ParseOutcome::ready;
    ImageOptions options;
    std::string unknown_argument;  // the offending argument, for the message
};

// args[0] is the program's own name and is skipped. Arguments are byte
// strings; label characters are decoded from them as UTF-8.
ParseResult parse_arguments(const std::vector<std::string>& args);

// Up to four hex digits at the start of text: "12345" -> $1234, "xyz" -> 0.
uint16_t parse_hex_word(const char* text);

// 0..15 for 0-9, a-f, A-F; -1 for anything else.
int hex_digit_value(char c);

extern const char USAGE_TEXT[];
extern const char MISSING_LOAD_ADDRESS_MESSAGE[];
