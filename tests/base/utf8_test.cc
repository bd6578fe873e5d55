// Lenient UTF-8: well-formed sequences decode, every other byte stands alone.
#include <gtest/gtest.h>

#include "base/utf8.h"

TEST(DecodeUtf8, WellFormedAndBrokenSequences) {
    struct Case { const char* name; std::string bytes; std::vector<uint32_t> characters; };
    const Case cases[] = {
        {"ascii", "Ab", {'A', 'b'}},
        {"two-byte", "\xC3\xA9", {0xE9}},
        {"three-byte", "\xE2\x82\xAC", {0x20AC}},
        {"four-byte", "\xF0\x9F\x98\x80", {0x1F600}},
        {"cut short at the end", "A\xE2\x82", {'A', 0xE2, 0x82}},
        {"lead byte then ascii", "\xC3" "A", {0xC3, 'A'}},
        {"stray continuation", "\x80", {0x80}},
        {"overlong slash", "\xC0\xAF", {0xC0, 0xAF}},
        {"overlong three-byte", "\xE0\x80\xAF", {0xE0, 0x80, 0xAF}},
        {"surrogate", "\xED\xB0\x80", {0xED, 0xB0, 0x80}},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", {0xF4, 0x90, 0x80, 0x80}},
        {"largest code point", "\xF4\x8F\xBF\xBF", {0x10FFFF}},
        {"invalid lead", "\xF8\x88", {0xF8, 0x88}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decode_utf8_lenient(c.bytes), c.characters);
    }
}
