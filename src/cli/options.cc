// Option matching, hex values, the label's characters and the usage text.
#include "cli/options.h"

#include <cstring>

#include "base/text.h"
#include "base/utf8.h"

const char USAGE_TEXT[] =
    "Usage: SpinLoad -[leo58] infile [outfile]\r\n"
    "       Create OSI booting disk image from infile\r\n"
    "       Infile is expected to be 6502 OSI executable\r\n"
    "       -5 create 5.25\" disk image\r\n"
    "       -8 create 8\" disk image\r\n"
    "       -lxxxx specify load (target) address in hex for included file\r\n"
    "       -exxxx specify execution address in hex for included file\r\n"
    "       -n\"DiskName\" 6 chars per line disk label for OS65D Dir\r\n"
    "       -t Write Infile as single boot track with no processing of data\r\n"
    "       -o overwrite existing output file\r\n"
    " (ver 1.4b)\r\n";

const char MISSING_LOAD_ADDRESS_MESSAGE[] = "Error: -lxxxx Load Address Required\r\n";

namespace {

constexpr uint16_t RAW_BOOT_DEFAULT_LOAD = 0x2200;
constexpr int HEX_WORD_DIGITS = 4;
constexpr uint32_t LABEL_QUOTE = '"';

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_ignoring_case(const std::string& text, char letter) {
    return text.size() == 1 && lower(text[0]) == letter;
}

// The option's letter, when a value follows it in the same argument.
bool has_value(const std::string& text, char letter) {
    return text.size() > 1 && lower(text[0]) == letter;
}

// -n"Disk Name" and -nDiskName give the same label: an opening quote is
// skipped and the next quote ends it. Characters past the 384th are dropped.
std::vector<uint8_t> parse_label(const std::string& text) {
    std::vector<uint32_t> characters = decode_utf8_lenient(text);
    std::vector<uint8_t> label;
    size_t i = 0;
    if (i < characters.size() && characters[i] == LABEL_QUOTE) i++;
    for (; i < characters.size() && characters[i] != LABEL_QUOTE; i++) {
        if (label.size() == LABEL_MAX_CHARACTERS) break;
        label.push_back(static_cast<uint8_t>(characters[i] & 0xFF));
    }
    return label;
}

// Applies one option (the text after its '-'); false when it is unknown.
bool apply_option(const std::string& text, ImageOptions& options) {
    const char* value = text.c_str() + (text.empty() ? 0 : 1);
    if (text == "5") {
        options.format = DiskFormat::mini;
    } else if (text == "8") {
        options.format = DiskFormat::full;
    } else if (equals_ignoring_case(text, 't')) {
        options.raw_boot = true;
        if (options.load_address == -1) options.load_address = RAW_BOOT_DEFAULT_LOAD;
    } else if (equals_ignoring_case(text, 'o')) {
        options.overwrite = true;
    } else if (equals_ignoring_case(text, 'v')) {
        // Accepted for old scripts; it has never changed anything.
    } else if (has_value(text, 'l') || has_value(text, 's')) {
        options.load_address = parse_hex_word(value);
    } else if (has_value(text, 'e')) {
        options.exec_address = parse_hex_word(value);
    } else if (!text.empty() && lower(text[0]) == 'n') {
        options.label = parse_label(text.substr(1));
    } else {
        return false;
    }
    return true;
}

}  // namespace

int hex_digit_value(char c) { return hex_digit(static_cast<unsigned char>(c)); }

uint16_t parse_hex_word(const char* text) {
    unsigned value = 0;
    for (int i = 0; i < HEX_WORD_DIGITS; i++) {
        int digit = hex_digit_value(text[i]);
        if (digit < 0) break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<uint16_t>(value);
}

ParseResult parse_arguments(const std::vector<std::string>& args) {
    ParseResult result;
    if (args.size() <= 1) {
        result.outcome = ParseOutcome::no_arguments;
        return result;
    }
    ImageOptions& options = result.options;
    bool have_input = false;
    for (size_t i = 1; i < args.size(); i++) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-') {
            // The first non-option ends the scan: input, then optional output.
            options.input_path = arg;
            have_input = true;
            if (i + 1 < args.size()) {
                options.output_path = args[i + 1];
                options.has_output_path = true;
            }
            break;
        }
        if (!apply_option(arg.substr(1), options)) {
            result.outcome = ParseOutcome::unknown_argument;
            result.unknown_argument = arg;
            return result;
        }
    }
    if (options.load_address == -1) {
        result.outcome = ParseOutcome::missing_load_address;
    } else if (!have_input) {
        result.outcome = ParseOutcome::no_input;
    }
    return result;
}
