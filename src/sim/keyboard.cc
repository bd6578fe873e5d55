// The keyboard matrix: which rows a written byte selects and what a read
// of the columns gives, at either board's levels.
#include "sim/keyboard.h"

namespace {

uint8_t column_bit(KeyPosition key) { return static_cast<uint8_t>(1u << key.column); }

// Logical (1 = selected) rows from the byte the CPU wrote.
uint8_t selected_rows(const Keyboard& keyboard) {
    return keyboard.polarity == KeyboardPolarity::active_low ? static_cast<uint8_t>(~keyboard.row_latch)
                                                             : keyboard.row_latch;
}

}  // namespace

Keyboard keyboard_power_on(KeyboardPolarity polarity, bool shift_lock_down) {
    Keyboard keyboard;
    keyboard.polarity = polarity;
    // Nothing selected: all ones on the inverting board, all zeros on the other.
    keyboard.row_latch = polarity == KeyboardPolarity::active_low ? 0xFF : 0x00;
    if (shift_lock_down) keyboard_press(keyboard, KEY_SHIFT_LOCK);
    return keyboard;
}

void keyboard_press(Keyboard& keyboard, KeyPosition key) { keyboard.pressed[key.row] |= column_bit(key); }

void keyboard_release(Keyboard& keyboard, KeyPosition key) {
    keyboard.pressed[key.row] &= static_cast<uint8_t>(~column_bit(key));
}

bool keyboard_is_pressed(const Keyboard& keyboard, KeyPosition key) {
    return (keyboard.pressed[key.row] & column_bit(key)) != 0;
}

uint8_t keyboard_read(const Keyboard& keyboard) {
    const uint8_t rows = selected_rows(keyboard);
    uint8_t columns = 0;
    for (int row = 0; row < KEYBOARD_ROWS; row++) {
        if (rows & (1u << row)) columns |= keyboard.pressed[row];
    }
    return keyboard.polarity == KeyboardPolarity::active_low ? static_cast<uint8_t>(~columns) : columns;
}
