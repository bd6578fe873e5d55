// The polled keyboard of the OSI machines: an 8 x 8 matrix answering on the
// whole page $DF00-$DFFF. A write selects rows, a read returns the columns
// of the selected rows (several rows' columns combined); which level means
// "selected" and "pressed" depends on the board.
#pragma once

#include <array>
#include <cstdint>

constexpr uint16_t KEYBOARD_PAGE = 0xDF00;  // every address $DF00-$DFFF
constexpr uint8_t KEYBOARD_PAGE_HIGH = KEYBOARD_PAGE >> 8;
constexpr int KEYBOARD_ROWS = 8;
constexpr int KEYBOARD_COLUMNS = 8;

// The C1P's 600 board inverts both ways: a 0 bit selects a row and a pressed
// key reads as 0. The 542 keyboard of the C2/C4/C3 machines uses 1 for both.
enum class KeyboardPolarity { active_low, active_high };

// A key of the matrix: its row, and its column as the bit that reads it.
struct KeyPosition {
    uint8_t row;
    uint8_t column;  // 0..7, bit number in the byte read
};

// Row 0 holds the modifiers (bit 7 … bit 0): repeat, ctrl, esc, -, -, left
// shift, right shift, shift lock.
constexpr KeyPosition KEY_SHIFT_LOCK{0, 0};
constexpr KeyPosition KEY_RIGHT_SHIFT{0, 1};
constexpr KeyPosition KEY_LEFT_SHIFT{0, 2};
constexpr KeyPosition KEY_ESCAPE{0, 5};
constexpr KeyPosition KEY_CTRL{0, 6};
constexpr KeyPosition KEY_REPEAT{0, 7};
constexpr KeyPosition KEY_RETURN{5, 3};
constexpr KeyPosition KEY_LINE_FEED{5, 4};
constexpr KeyPosition KEY_RUB_OUT{6, 2};

struct Keyboard {
    KeyboardPolarity polarity = KeyboardPolarity::active_low;
    std::array<uint8_t, KEYBOARD_ROWS> pressed{};  // per row, a 1 bit per key held down
    uint8_t row_latch = 0xFF;                      // the last byte written to the page
};

// A keyboard with nothing pressed and no row selected; shift lock is down
// when shift_lock_down says so (OSI software expects it down: upper case).
Keyboard keyboard_power_on(KeyboardPolarity polarity, bool shift_lock_down);

void keyboard_press(Keyboard& keyboard, KeyPosition key);
void keyboard_release(Keyboard& keyboard, KeyPosition key);
bool keyboard_is_pressed(const Keyboard& keyboard, KeyPosition key);

inline void keyboard_write(Keyboard& keyboard, uint8_t value) { keyboard.row_latch = value; }

// The columns of every selected row, combined, at the board's levels.
uint8_t keyboard_read(const Keyboard& keyboard);
