// Addresses on the command line: one to four hex digits after an optional
// "$" or "0x", and nothing else, so a typo is an error, not $0000.
#include <gtest/gtest.h>

#include "program/hex_text.h"

namespace {

TEST(ParseAddress, AcceptsOnlyOneToFourHexDigits) {
    const struct {
        const char* text;
        bool ok;
        uint16_t value;
    } cases[] = {
        {"$0300", true, 0x0300}, {"0x0300", true, 0x0300}, {"0X0300", true, 0x0300}, {"0300", true, 0x0300},
        {"300", true, 0x0300},   {"f", true, 0x000F},      {"FFFF", true, 0xFFFF},   {"$c000", true, 0xC000},
        {"", false, 0},          {"$", false, 0},          {"0x", false, 0},         {"ZZ", false, 0},
        {"12345", false, 0},     {"0300x", false, 0},      {"-1", false, 0},         {" 300", false, 0},
        {"$$300", false, 0},     {"0x12345", false, 0},    {"bash300", false, 0},    {"3 00", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        uint16_t value = 0xABCD;
        EXPECT_EQ(parse_address(c.text, value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

}  // namespace
