// The option scan: which outcome each argument list leads to and what it sets.
#include <gtest/gtest.h>

#include "cli/options.h"

namespace {

struct ScanCase {
    const char* name;
    std::vector<std::string> args;  // without the program name
    ParseOutcome outcome;
    int32_t load;
    int32_t exec;
    DiskFormat format;
    bool raw_boot;
    bool overwrite;
    const char* input;
    const char* output;  // nullptr: none given
    const char* unknown; // the argument reported as unknown
};

const DiskFormat MINI = DiskFormat::mini;
const DiskFormat FULL = DiskFormat::full;
const ParseOutcome READY = ParseOutcome::ready;

const ScanCase SCAN_CASES[] = {
    {"nothing", {}, ParseOutcome::no_arguments, -1, -1, MINI, false, false, "", nullptr, ""},
    {"input without load address", {"game.bin"}, ParseOutcome::missing_load_address, -1, -1, MINI, false, false, "game.bin", nullptr, ""},
    {"load address without input", {"-l300"}, ParseOutcome::no_input, 0x300, -1, MINI, false, false, "", nullptr, ""},
    {"plain", {"-l0300", "game.bin"}, READY, 0x0300, -1, MINI, false, false, "game.bin", nullptr, ""},
    {"output named", {"-l0300", "in.bin", "out.img"}, READY, 0x0300, -1, MINI, false, false, "in.bin", "out.img", ""},
    {"arguments after output ignored", {"-l1", "a", "b", "-zz", "c"}, READY, 1, -1, MINI, false, false, "a", "b", ""},
    {"dash after input is the output", {"-l300", "in.bin", "-o"}, READY, 0x300, -1, MINI, false, false, "in.bin", "-o", ""},
    {"option after input is a name", {"game.bin", "-l300"}, ParseOutcome::missing_load_address, -1, -1, MINI, false, false, "game.bin", "-l300", ""},
    {"-s is -l", {"-s0300", "x"}, READY, 0x300, -1, MINI, false, false, "x", nullptr, ""},
    {"upper case letters", {"-L0300", "-E0400", "-T", "-O", "-V", "x"}, READY, 0x300, 0x400, MINI, true, true, "x", nullptr, ""},
    {"-S upper", {"-SABCD", "x"}, READY, 0xABCD, -1, MINI, false, false, "x", nullptr, ""},
    {"8-inch", {"-8", "-l1", "x"}, READY, 1, -1, FULL, false, false, "x", nullptr, ""},
    {"later format wins", {"-8", "-5", "-l1", "x"}, READY, 1, -1, MINI, false, false, "x", nullptr, ""},
    {"-5 -8 gives 8-inch", {"-5", "-8", "-l1", "x"}, READY, 1, -1, FULL, false, false, "x", nullptr, ""},
    {"-t sets $2200", {"-t", "x"}, READY, 0x2200, -1, MINI, true, false, "x", nullptr, ""},
    {"-t keeps an earlier -l", {"-l0300", "-t", "x"}, READY, 0x300, -1, MINI, true, false, "x", nullptr, ""},
    {"-l after -t overrides", {"-t", "-l0300", "x"}, READY, 0x300, -1, MINI, true, false, "x", nullptr, ""},
    {"-v does nothing", {"-v", "-l1", "x"}, READY, 1, -1, MINI, false, false, "x", nullptr, ""},
    {"five digits keep four", {"-l12345", "x"}, READY, 0x1234, -1, MINI, false, false, "x", nullptr, ""},
    {"not hex gives 0", {"-lG00", "x"}, READY, 0, -1, MINI, false, false, "x", nullptr, ""},
    {"hex stops at non-digit", {"-e1x2", "-l1", "x"}, READY, 1, 1, MINI, false, false, "x", nullptr, ""},
    {"later -l wins", {"-l1", "-l2", "x"}, READY, 2, -1, MINI, false, false, "x", nullptr, ""},
    {"bare -l", {"-l", "x"}, ParseOutcome::unknown_argument, -1, -1, MINI, false, false, "", nullptr, "-l"},
    {"bare -e", {"-l1", "-e", "x"}, ParseOutcome::unknown_argument, 1, -1, MINI, false, false, "", nullptr, "-e"},
    {"bare -S", {"-S"}, ParseOutcome::unknown_argument, -1, -1, MINI, false, false, "", nullptr, "-S"},
    {"combined letters", {"-58", "-l1", "x"}, ParseOutcome::unknown_argument, -1, -1, MINI, false, false, "", nullptr, "-58"},
    {"-tx", {"-tx"}, ParseOutcome::unknown_argument, -1, -1, MINI, false, false, "", nullptr, "-tx"},
    {"-of", {"-l1", "-of", "x"}, ParseOutcome::unknown_argument, 1, -1, MINI, false, false, "", nullptr, "-of"},
    {"lone hyphen", {"-"}, ParseOutcome::unknown_argument, -1, -1, MINI, false, false, "", nullptr, "-"},
    {"scan stops at unknown", {"-q", "-l1", "x"}, ParseOutcome::unknown_argument, -1, -1, MINI, false, false, "", nullptr, "-q"},
    {"-5 is not case folded into anything", {"--5"}, ParseOutcome::unknown_argument, -1, -1, MINI, false, false, "", nullptr, "--5"},
};

TEST(ParseArguments, ScanTable) {
    for (const ScanCase& c : SCAN_CASES) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"SpinLoad"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ParseResult r = parse_arguments(args);
        EXPECT_EQ(static_cast<int>(r.outcome), static_cast<int>(c.outcome));
        EXPECT_EQ(r.unknown_argument, c.unknown);
        if (c.outcome == ParseOutcome::unknown_argument) continue;
        EXPECT_EQ(r.options.load_address, c.load);
        EXPECT_EQ(r.options.exec_address, c.exec);
        EXPECT_EQ(r.options.format, c.format);
        EXPECT_EQ(r.options.raw_boot, c.raw_boot);
        EXPECT_EQ(r.options.overwrite, c.overwrite);
        EXPECT_EQ(r.options.input_path, c.input);
        EXPECT_EQ(r.options.has_output_path, c.output != nullptr);
        if (c.output) {
            EXPECT_EQ(r.options.output_path, c.output);
        }
    }
}

struct LabelCase {
    const char* name;
    std::string argument;
    std::vector<uint8_t> label;
};

std::vector<uint8_t> bytes_of(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

TEST(ParseArguments, LabelTable) {
    const LabelCase cases[] = {
        {"plain", "-nDiskName", bytes_of("DiskName")},
        {"quoted", "-n\"DiskName\"", bytes_of("DiskName")},
        {"opening quote only", "-n\"Disk", bytes_of("Disk")},
        {"quote inside ends it", "-nA\"B", bytes_of("A")},
        {"spaces are characters", "-nHELLO WORLD", bytes_of("HELLO WORLD")},
        {"upper-case letter", "-NABC", bytes_of("ABC")},
        {"bare -n", "-n", {}},
        {"just a quote", "-n\"", {}},
        {"two quotes", "-n\"\"", {}},
        {"e acute is one byte", "-n\xC3\xA9t\xC3\xA9", {0xE9, 't', 0xE9}},
        {"U+0100 stores a zero", "-nA\xC4\x80" "B", {'A', 0x00, 'B'}},
        {"U+0122 is not a quote", "-n\xC4\xA2X", {0x22, 'X'}},
        {"four-byte character", "-n\xF0\x9F\x98\x80Z", {0x00, 'Z'}},  // U+1F600 -> $00
        {"invalid bytes count singly", "-n\xFF\xC3" "A", {0xFF, 0xC3, 'A'}},
        {"overlong form is bytes", "-n\xC0\xAF", {0xC0, 0xAF}},
        {"surrogate is bytes", "-n\xED\xA0\x80", {0xED, 0xA0, 0x80}},
    };
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ParseResult r = parse_arguments({"SpinLoad", c.argument, "-l1", "x"});
        ASSERT_EQ(static_cast<int>(r.outcome), static_cast<int>(ParseOutcome::ready));
        EXPECT_EQ(r.options.label, c.label);
    }
}

TEST(ParseArguments, LabelKeepsFirst384Characters) {
    std::string long_label(400, 'A');
    long_label[383] = 'Z';
    long_label[384] = 'Q';
    const ParseResult r = parse_arguments({"SpinLoad", "-n" + long_label, "-l1", "x"});
    ASSERT_EQ(r.options.label.size(), 384u);
    EXPECT_EQ(r.options.label.back(), 'Z');
    // Characters, not bytes, are counted: 384 two-byte characters still fit.
    std::string wide;
    for (int i = 0; i < 390; i++) wide += "\xC3\xA9";
    const ParseResult w = parse_arguments({"SpinLoad", "-n" + wide, "-l1", "x"});
    EXPECT_EQ(w.options.label, std::vector<uint8_t>(384, 0xE9));
}

TEST(ParseArguments, BareLabelOptionEmptiesAnEarlierLabel) {
    const ParseResult r = parse_arguments({"SpinLoad", "-nFOO", "-n", "-l1", "x"});
    EXPECT_TRUE(r.options.label.empty());
}

TEST(HexWord, ValuesAndDigits) {
    struct Case { const char* text; uint16_t value; };
    const Case cases[] = {
        {"0300", 0x0300}, {"300", 0x300}, {"ffff", 0xFFFF}, {"FfFf", 0xFFFF}, {"12345", 0x1234},
        {"xyz", 0}, {"", 0}, {"a", 0xA}, {"0", 0}, {"00001", 0}, {"12G4", 0x12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parse_hex_word(c.text), c.value);
    }
    EXPECT_EQ(hex_digit_value('0'), 0);
    EXPECT_EQ(hex_digit_value('9'), 9);
    EXPECT_EQ(hex_digit_value('a'), 10);
    EXPECT_EQ(hex_digit_value('F'), 15);
    EXPECT_EQ(hex_digit_value('g'), -1);
    EXPECT_EQ(hex_digit_value('/'), -1);
    EXPECT_EQ(hex_digit_value(':'), -1);
}

}  // namespace
