// Each input format read from small fixtures written here: what it loads,
// where it starts, and the exact error (with its line) for malformed files.
// Checksums in the fixtures were worked out by hand from each format's rule
// (Intel HEX: the bytes sum to 0; S-records: to $FF).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "program/program_input.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes PROGRAM = {0xA9, 0x01, 0x60};  // LDA #$01, RTS at $0300
const Bytes TWO_PIECES = {0xA9, 0x01, 0x60, 0x00, 0x00, 0xEA};  // and NOP at $0305

struct Case {
    const char* name;
    std::string text;
    bool ok;
    uint16_t load;
    Bytes bytes;
    bool has_start;
    uint16_t start;
    int error_line;
    const char* error;
};

void check(const Case& c, InputFormat format) {
    SCOPED_TRACE(c.name);
    const auto* data = reinterpret_cast<const uint8_t*>(c.text.data());
    const ProgramRead read = read_program(data, c.text.size(), format, 0);
    ASSERT_EQ(read.ok, c.ok) << read.error.message;
    if (!c.ok) {
        EXPECT_EQ(read.error.line, c.error_line);
        EXPECT_EQ(read.error.message, c.error);
        return;
    }
    EXPECT_EQ(read.program.load_address, c.load);
    EXPECT_EQ(read.program.bytes, c.bytes);
    EXPECT_EQ(read.program.has_start, c.has_start);
    if (c.has_start) {
        EXPECT_EQ(read.program.start_address, c.start);
    }
}

TEST(ProgramFormats, IntelHex) {
    const Case cases[] = {
        {"data, then end", ":03030000A90160F0\n:00000001FF\n", true, 0x0300, PROGRAM, false, 0, 0, ""},
        {"CR LF lines, blank lines", ":03030000A90160F0\r\n\r\n:00000001FF\r\n", true, 0x0300, PROGRAM, false, 0, 0, ""},
        {"a gap fills with zeros", ":03030000A90160F0\n:01030500EA0D\n:00000001FF\n", true, 0x0300, TWO_PIECES, false, 0, 0, ""},
        {"linear start (05)", ":03030000A90160F0\n:0400000500000300F4\n:00000001FF\n", true, 0x0300, PROGRAM, true, 0x0300, 0, ""},
        {"segment start (03): $0020:$0010", ":03030000A90160F0\n:0400000300200010C9\n:00000001FF\n", true, 0x0300,
         PROGRAM, true, 0x0210, 0, ""},
        {"linear base 0 (04)", ":020000040000FA\n:03030000A90160F0\n:00000001FF\n", true, 0x0300, PROGRAM, false, 0, 0, ""},
        {"the same byte twice", ":03030000A90160F0\n:0103010001FA\n:00000001FF\n", true, 0x0300, PROGRAM, false, 0, 0, ""},
        {"bad checksum", ":03030000A9016000\n:00000001FF\n", false, 0, {}, false, 0, 1, "checksum $00 should be $F0"},
        {"odd digit count", ":03030000A90160F\n", false, 0, {}, false, 0, 1, "an odd number of hex digits (15)"},
        {"no hex digit", ":0303000XA90160F0\n", false, 0, {}, false, 0, 1, "'X' at column 9 is no hex digit"},
        {"length disagrees", ":04030000A90160EF\n", false, 0, {}, false, 0, 1, "the record says 4 data bytes but holds 3"},
        {"past $FFFF", ":02FFFF000102FD\n:00000001FF\n", false, 0, {}, false, 0, 1, "data at $10000, past $FFFF"},
        {"linear base 1 puts data past $FFFF", ":020000040001F9\n:03030000A90160F0\n", false, 0, {}, false, 0, 2,
         "data at $10300, past $FFFF"},
        {"two values for one address", ":03030000A90160F0\n:01030100FFFC\n", false, 0, {}, false, 0, 2,
         "$0301 is given $FF here but $01 before"},
        {"unknown record type", ":00000006FA\n", false, 0, {}, false, 0, 1, "unknown record type $06"},
        {"no end-of-file record", ":03030000A90160F0\n", false, 0, {}, false, 0, 1,
         "no end-of-file record (:00000001FF): the file may be cut short"},
        {"text after the end", ":03030000A90160F0\n:00000001FF\n:03030000A90160F0\n", false, 0, {}, false, 0, 3,
         "text after the end-of-file record"},
        {"no data", ":00000001FF\n", false, 0, {}, false, 0, 0, "no data records"},
    };
    for (const Case& c : cases) check(c, InputFormat::ihex);
}

TEST(ProgramFormats, SRecords) {
    const Case cases[] = {
        {"header, data, start", "S00600004844521B\nS1060300A90160EC\nS9030300F9\n", true, 0x0300, PROGRAM, true, 0x0300,
         0, ""},
        {"data and count, no start (srec_cat)", "S1060300A90160EC\nS1040305EA09\nS5030002FA\n", true, 0x0300,
         TWO_PIECES, false, 0, 0, ""},
        {"24-bit data and start", "S207000300A90160EB\nS804000300F8\n", true, 0x0300, PROGRAM, true, 0x0300, 0, ""},
        {"bad checksum", "S1060300A9016000\n", false, 0, {}, false, 0, 1, "checksum $00 should be $EC"},
        {"odd digit count", "S1060300A90160E\n", false, 0, {}, false, 0, 1, "an odd number of hex digits (13)"},
        {"count disagrees", "S1070300A90160EC\n", false, 0, {}, false, 0, 1,
         "the record's count is 7 but 6 bytes follow it"},
        {"past $FFFF", "S205010000A950\n", false, 0, {}, false, 0, 1, "data at $10000, past $FFFF"},
        {"two values for one address", "S1060300A90160EC\nS1040301FFF8\n", false, 0, {}, false, 0, 2,
         "$0301 is given $FF here but $01 before"},
        {"wrong record count", "S1060300A90160EC\nS5030003F9\n", false, 0, {}, false, 0, 2,
         "the count record says 3 data records, the file has 1"},
        {"reserved type S4", "S4030300F9\n", false, 0, {}, false, 0, 1, "unknown record type 'S4'"},
        {"data after the start", "S9030300F9\nS1060300A90160EC\n", false, 0, {}, false, 0, 2,
         "text after the start address record"},
    };
    for (const Case& c : cases) check(c, InputFormat::srec);
}

TEST(ProgramFormats, MonitorText) {
    const Case cases[] = {
        {"data and G", ".0300/A9\r01\r60\r.0300G", true, 0x0300, PROGRAM, true, 0x0300, 0, ""},
        {"lower case, line breaks after G", ".0300/a9\r01\r60\r.0300G\r\n", true, 0x0300, PROGRAM, true, 0x0300, 0, ""},
        {"two pieces", ".0300/A9\r01\r60\r.0305/EA\r.0300G", true, 0x0300, TWO_PIECES, true, 0x0300, 0, ""},
        {"a later byte wins", ".0300/FF\r.0300/A9\r01\r60\r.0300G", true, 0x0300, PROGRAM, true, 0x0300, 0, ""},
        {"LF alone as Return", ".0300/A9\n01\n60\n.0300G\n", true, 0x0300, PROGRAM, true, 0x0300, 0, ""},
        {"srec_cat's closing store, no G", ".0300/A9\r01\r60\r.00FD/00\r", true, 0x0300, PROGRAM, false, 0, 0, ""},
        {"no G at all", ".0300/A9\r01\r60\r", true, 0x0300, PROGRAM, false, 0, 0, ""},
        {"G in data mode", ".0300/A9\r01\rG", false, 0, {}, false, 0, 3,
         "'G' in data mode: G starts a program after '.' and its address"},
        {"a stray character", ".0300/A9\r0Z\r", false, 0, {}, false, 0, 2, "'Z' is no hex digit, '.', '/', G or Return"},
        {"digits before any mode", "A9\r", false, 0, {}, false, 0, 1, "'A' before the first '.' or '/'"},
        {"bytes after the G", ".0300/A9\r.0300G\x01\x02", false, 0, {}, false, 0, 2,
         "bytes follow the G that starts the program (cc65's hybrid output? try --input-format cc65)"},
        {"nothing stored", ".0300G", false, 0, {}, false, 0, 0, "the text stores no bytes"},
    };
    for (const Case& c : cases) check(c, InputFormat::os65v);
}

// 65V text that types bytes in at address, as cc65 writes its bootstrap.
std::string monitor_text(uint16_t address, const Bytes& bytes) {
    char text[16];
    std::snprintf(text, sizeof text, ".%04X/", address);
    std::string out = std::string("\r\r") + text;
    for (uint8_t b : bytes) {
        std::snprintf(text, sizeof text, "%02X\r", b);
        out += text;
    }
    std::snprintf(text, sizeof text, ".%04XG", address);
    return out + text;
}

// The bootstrap's opening as cc65's bootstrap.s assembles it: LDY #0,
// LDA #<load, LDX #>load, STA/STX, then each length byte loaded and
// complemented (LDA #n, EOR #$FF, STA).
Bytes bootstrap(uint16_t load, uint16_t size) {
    return {0xA0, 0x00, 0xA9, static_cast<uint8_t>(load), 0xA2, static_cast<uint8_t>(load >> 8), 0x85, 0x08,
            0x86, 0x09, 0xA9, static_cast<uint8_t>(size), 0x49, 0xFF, 0x85, 0x0A, 0xA9,
            static_cast<uint8_t>(size >> 8), 0x49, 0xFF, 0x85, 0x0B, 0x4C, static_cast<uint8_t>(load),
            static_cast<uint8_t>(load >> 8)};
}

std::string bytes_text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(ProgramFormats, Cc65Hybrid) {
    const Bytes stored_complemented = {0xA9, 0x00, 0xA2, 0x03, 0xA9, 0xFC, 0x85, 0x0A, 0xA9, 0xFF, 0x85, 0x0B};
    const Case cases[] = {
        {"bootstrap, then the program", monitor_text(0x7C00, bootstrap(0x0300, 3)) + bytes_text(PROGRAM), true, 0x0300,
         PROGRAM, true, 0x0300, 0, ""},
        {"length stored complemented", monitor_text(0x7C00, stored_complemented) + bytes_text(PROGRAM), true, 0x0300,
         PROGRAM, true, 0x0300, 0, ""},
        {"one byte too many", monitor_text(0x7C00, bootstrap(0x0300, 3)) + bytes_text(PROGRAM) + "x", false, 0, {},
         false, 0, 0, "the bootstrap loads 3 bytes at $0300, but 4 follow it"},
        {"one byte short", monitor_text(0x7C00, bootstrap(0x0300, 3)) + "\xA9\x01", false, 0, {}, false, 0, 0,
         "the bootstrap loads 3 bytes at $0300, but 2 follow it"},
        {"no bootstrap figures", monitor_text(0x7C00, {0xEA, 0xEA, 0x60}) + bytes_text(PROGRAM), false, 0, {}, false, 0,
         0, "the bootstrap at $7C00 does not name a load address and length (A9 lo A2 hi, then A9 n 49 FF twice)"},
        {"no G", "\r\r.7C00/A0\r00\r", false, 0, {}, false, 0, 0, "the 65V text has no G that starts a bootstrap"},
    };
    for (const Case& c : cases) check(c, InputFormat::cc65);
}

TEST(ProgramFormats, RawTakesTheLoadAddress) {
    const std::string text = bytes_text(PROGRAM);
    const ProgramRead read = read_program(reinterpret_cast<const uint8_t*>(text.data()), text.size(), InputFormat::raw, 0x1234);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.program.load_address, 0x1234);
    EXPECT_EQ(read.program.bytes, PROGRAM);
    EXPECT_FALSE(read.program.has_start);
    EXPECT_FALSE(read_program(nullptr, 0, InputFormat::raw, 0x1234).ok);
}

TEST(ProgramFormats, DetectedByContent) {
    struct Detect {
        const char* name;
        std::string text;
        InputFormat format;
    } cases[] = {
        {"Intel HEX", ":03030000A90160F0\n:00000001FF\n", InputFormat::ihex},
        {"S-records", "S1060300A90160EC\n", InputFormat::srec},
        {"65V text", ".0300/A9\r.0300G\r", InputFormat::os65v},
        {"65V text that breaks its rules", ".0300/A9\rZZ", InputFormat::os65v},
        {"cc65 hybrid", monitor_text(0x7C00, bootstrap(0x0300, 3)) + bytes_text(PROGRAM), InputFormat::cc65},
        {"machine code", bytes_text(PROGRAM), InputFormat::raw},
        {"a colon without hex", ":-)", InputFormat::raw},
        {"S without a digit", "SPIN", InputFormat::raw},
        {"empty", "", InputFormat::raw},
    };
    for (const Detect& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(detect_input_format(reinterpret_cast<const uint8_t*>(c.text.data()), c.text.size()), c.format);
    }
}

}  // namespace
