// The keyboard as a program sees it: every character a user can type, held
// down by the typist, read back through the matrix at both boards' levels;
// and what cannot be typed. Expected keys come from the layout of the OSI
// keyboard (row: column 7 … column 0), written out here by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/keyboard.h"
#include "sim/typing.h"

namespace {

struct KeyCase {
    char c;
    int row;
    int column;
    bool shift = false;
};

// Unshifted: the key itself, with shift lock down (upper case).
const KeyCase PLAIN_KEYS[] = {
    {'Q', 1, 7}, {'A', 1, 6}, {'Z', 1, 5}, {' ', 1, 4}, {'/', 1, 3}, {';', 1, 2}, {'P', 1, 1},
    {'X', 2, 7}, {'C', 2, 6}, {'V', 2, 5}, {'B', 2, 4}, {'N', 2, 3}, {'M', 2, 2}, {',', 2, 1},
    {'S', 3, 7}, {'D', 3, 6}, {'F', 3, 5}, {'G', 3, 4}, {'H', 3, 3}, {'J', 3, 2}, {'K', 3, 1},
    {'W', 4, 7}, {'E', 4, 6}, {'R', 4, 5}, {'T', 4, 4}, {'Y', 4, 3}, {'U', 4, 2}, {'I', 4, 1},
    {'.', 5, 7}, {'L', 5, 6}, {'O', 5, 5}, {'\r', 5, 3},
    {'8', 6, 7}, {'9', 6, 6}, {'0', 6, 5}, {':', 6, 4}, {'-', 6, 3},
    {'1', 7, 7}, {'2', 7, 6}, {'3', 7, 5}, {'4', 7, 4}, {'5', 7, 3}, {'6', 7, 2}, {'7', 7, 1},
    {0x1B, 0, 5},  // Escape
};

// With a shift key: 1-9 : ; give the codes 16 below, the others 16 above.
const KeyCase SHIFTED_KEYS[] = {
    {'!', 7, 7, true}, {'"', 7, 6, true}, {'#', 7, 5, true}, {'$', 7, 4, true}, {'%', 7, 3, true},
    {'&', 7, 2, true}, {'\'', 7, 1, true}, {'(', 6, 7, true}, {')', 6, 6, true}, {'*', 6, 4, true},
    {'+', 1, 2, true}, {'<', 2, 1, true}, {'=', 6, 3, true}, {'>', 5, 7, true}, {'?', 1, 3, true},
    {'@', 6, 5, true}, {'[', 3, 1, true}, {'\\', 5, 6, true}, {']', 2, 2, true}, {'^', 2, 3, true},
    {'_', 5, 5, true},
};

constexpr int SHIFT_LOCK_COLUMN = 0, LEFT_SHIFT_COLUMN = 2;
constexpr uint64_t HOLD = 1000;

uint8_t select_row(KeyboardPolarity polarity, int row) {
    const auto bit = static_cast<uint8_t>(1u << row);
    return polarity == KeyboardPolarity::active_low ? static_cast<uint8_t>(~bit) : bit;
}

// The columns of one row, as 1 = pressed whatever the board's levels.
uint8_t pressed_in_row(Keyboard& keyboard, int row) {
    keyboard_write(keyboard, select_row(keyboard.polarity, row));
    const uint8_t read = keyboard_read(keyboard);
    return keyboard.polarity == KeyboardPolarity::active_low ? static_cast<uint8_t>(~read) : read;
}

// Types c and checks every row while it is down, then after it is up.
void check_typed(const KeyCase& expected, bool lock_down_while_held, KeyboardPolarity polarity) {
    Keyboard keyboard = keyboard_power_on(polarity, true);
    Typist typist;
    typist.hold_cycles = typist.gap_cycles = HOLD;
    KeyStroke stroke;
    ASSERT_TRUE(key_stroke_for(expected.c, stroke));
    typist.strokes = {stroke};
    typist_start(typist, 0);
    typist_at_keyboard(typist, keyboard, 10);
    for (int row = 0; row < KEYBOARD_ROWS; row++) {
        SCOPED_TRACE(row);
        uint8_t want = row == expected.row ? static_cast<uint8_t>(1u << expected.column) : 0;
        if (row == 0) {
            if (lock_down_while_held) want |= 1u << SHIFT_LOCK_COLUMN;
            if (expected.shift) want |= 1u << LEFT_SHIFT_COLUMN;
        }
        EXPECT_EQ(pressed_in_row(keyboard, row), want);
    }
    typist_at_keyboard(typist, keyboard, 10 + HOLD);
    for (int row = 0; row < KEYBOARD_ROWS; row++) {
        EXPECT_EQ(pressed_in_row(keyboard, row), row == 0 ? 1u << SHIFT_LOCK_COLUMN : 0u) << "row " << row << " after";
    }
}

const KeyboardPolarity BOTH_BOARDS[] = {KeyboardPolarity::active_low, KeyboardPolarity::active_high};

TEST(Keyboard, EveryPrintableCharacterAndReturnThroughTheMatrix) {
    for (KeyboardPolarity polarity : BOTH_BOARDS) {
        SCOPED_TRACE(polarity == KeyboardPolarity::active_low ? "active low" : "active high");
        for (const KeyCase& c : PLAIN_KEYS) {
            SCOPED_TRACE(std::string("plain ") + c.c);
            check_typed(c, true, polarity);
        }
        for (const KeyCase& c : SHIFTED_KEYS) {
            SCOPED_TRACE(std::string("shifted ") + c.c);
            check_typed(c, true, polarity);
        }
        // Lower case: the letter's key with shift lock up.
        for (const KeyCase& c : PLAIN_KEYS) {
            if (c.c < 'A' || c.c > 'Z') continue;
            KeyCase lower = c;
            lower.c = static_cast<char>(c.c - 'A' + 'a');
            SCOPED_TRACE(std::string("lower ") + lower.c);
            check_typed(lower, false, polarity);
        }
    }
}

TEST(Keyboard, WhatCannotBeTyped) {
    for (char c : std::string("`{|}~\t\x7F") + std::string(1, '\x80') + std::string(1, '\xC3')) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c)));
        KeyStroke stroke;
        EXPECT_FALSE(key_stroke_for(c, stroke));
    }
}

TEST(Keyboard, SeveralRowsCombineAndNothingSelectedReadsIdle) {
    struct Case {
        KeyboardPolarity polarity;
        uint8_t rows_1_and_7;   // the byte that selects both
        uint8_t nothing;        // the byte that selects none
        uint8_t idle;           // what the columns read with nothing pressed
    } cases[] = {
        {KeyboardPolarity::active_low, 0x7D, 0xFF, 0xFF},
        {KeyboardPolarity::active_high, 0x82, 0x00, 0x00},
    };
    for (const Case& c : cases) {
        Keyboard keyboard = keyboard_power_on(c.polarity, false);
        keyboard_press(keyboard, KeyPosition{1, 7});  // Q
        keyboard_press(keyboard, KeyPosition{7, 1});  // 7
        keyboard_write(keyboard, c.rows_1_and_7);
        EXPECT_EQ(keyboard_read(keyboard), static_cast<uint8_t>(c.idle ^ 0x82));
        keyboard_write(keyboard, c.nothing);
        EXPECT_EQ(keyboard_read(keyboard), c.idle);
    }
}

TEST(Typing, EscapesAndLineEnds) {
    struct Case {
        const char* name;
        std::string text;
        std::string typed;  // as typed_text writes it back
    } cases[] = {
        {"return", "A\\rB", "A\\rB"},
        {"escape", "\\e", "\\e"},
        {"backslash", "\\\\", "\\\\"},
        {"newline is return", "1\n2\n", "1\\r2\\r"},
        {"CR LF is one return", "1\r\n2", "1\\r2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<KeyStroke> strokes;
        std::string error;
        ASSERT_TRUE(parse_typed_text(c.text, strokes, error)) << error;
        EXPECT_EQ(typed_text(strokes, strokes.size()), c.typed);
    }
}

TEST(Typing, TextThatCannotBeTyped) {
    struct Case {
        std::string text;
        std::string error;
    } cases[] = {
        {"AB~", "'~' at character 3 cannot be typed on the keyboard"},
        {"A\\n", "unknown escape at character 2 (\\r is Return, \\e Escape, \\\\ a backslash)"},
        {"A\\", "unknown escape at character 2 (\\r is Return, \\e Escape, \\\\ a backslash)"},
        {"\xC3\xA9", "byte $C3 at character 1 cannot be typed on the keyboard"},
        {"\t", "byte $09 at character 1 cannot be typed on the keyboard"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<KeyStroke> strokes;
        std::string error;
        EXPECT_FALSE(parse_typed_text(c.text, strokes, error));
        EXPECT_EQ(error, c.error);
    }
}

// A key goes down at the first look at the keyboard once the typist is
// ready, stays down HOLD cycles, and the next waits HOLD more after that.
TEST(Typing, TheTypistWaitsForTheProgram) {
    Keyboard keyboard = keyboard_power_on(KeyboardPolarity::active_high, true);
    Typist typist;
    typist.hold_cycles = typist.gap_cycles = HOLD;
    std::string error;
    ASSERT_TRUE(parse_typed_text("AB", typist.strokes, error));
    const KeyPosition a{1, 6}, b{2, 4};
    typist_at_keyboard(typist, keyboard, 0);
    EXPECT_FALSE(keyboard_is_pressed(keyboard, a)) << "not started";
    typist_start(typist, 100);
    typist_at_keyboard(typist, keyboard, 99);
    EXPECT_FALSE(keyboard_is_pressed(keyboard, a));
    typist_at_keyboard(typist, keyboard, 5000);  // the program is late: A goes down now
    EXPECT_TRUE(keyboard_is_pressed(keyboard, a));
    typist_at_keyboard(typist, keyboard, 5000 + HOLD - 1);
    EXPECT_TRUE(keyboard_is_pressed(keyboard, a));
    typist_at_keyboard(typist, keyboard, 5000 + HOLD);
    EXPECT_FALSE(keyboard_is_pressed(keyboard, a));
    typist_at_keyboard(typist, keyboard, 5000 + 2 * HOLD - 1);
    EXPECT_FALSE(keyboard_is_pressed(keyboard, b));
    typist_at_keyboard(typist, keyboard, 9000);
    EXPECT_TRUE(keyboard_is_pressed(keyboard, b));
    EXPECT_EQ(typist.pressed_cycles, (std::vector<uint64_t>{5000, 9000}));
    typist_at_keyboard(typist, keyboard, 20000);
    EXPECT_FALSE(keyboard_is_pressed(keyboard, b));
    EXPECT_EQ(typist_keys_typed(typist), 2u);
}

// With --shift-lock up the latch is up between keys and while a key that
// does not care is down; an upper-case letter still puts it down.
TEST(Typing, TheShiftLockWhereTheUserLeftIt) {
    Keyboard keyboard = keyboard_power_on(KeyboardPolarity::active_low, false);
    Typist typist;
    typist.shift_lock_down = false;
    typist.hold_cycles = typist.gap_cycles = HOLD;
    std::string error;
    ASSERT_TRUE(parse_typed_text("1A", typist.strokes, error));
    typist_start(typist, 0);
    const bool expected[] = {false, false, true, false};  // 1 down, up, A down, up
    for (int step = 0; step < 4; step++) {
        SCOPED_TRACE(step);
        typist_at_keyboard(typist, keyboard, static_cast<uint64_t>(step) * HOLD);
        EXPECT_EQ(keyboard_is_pressed(keyboard, KEY_SHIFT_LOCK), expected[step]);
    }
}

}  // namespace
