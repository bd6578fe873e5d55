// The keyboard's layout as characters, the text a user asks to type, and
// the typist's presses and releases.
#include "sim/typing.h"

#include "base/text.h"

namespace {

// The character keys, row by row, from column 7 down: "QAZ /;P" is row 1's
// Q at bit 7, A at bit 6 … P at bit 1. Row 5 also holds line feed (bit 4)
// and Return (bit 3), row 6 rub out (bit 2); they have no character here.
constexpr const char* LAYOUT_ROWS[KEYBOARD_ROWS] = {
    "",         // row 0: the modifiers
    "QAZ /;P",  // row 1
    "XCVBNM,",  // row 2
    "SDFGHJK",  // row 3
    "WERTYUI",  // row 4
    ".LO",      // row 5
    "890:-",    // row 6
    "1234567",  // row 7
};

// With shift, OSI's keyboard routines turn the digits 1-9 and ": ;" into
// the characters 16 codes below them (1 -> !, 9 -> ), : -> *, ; -> +) and
// the other keys into those 16 above (, -> <, - -> =, . -> >, / -> ?, 0 -> @,
// K L M N O -> [ \ ] ^ _): the bit-paired layout of the teletype era. Shift
// with the other letters gives nothing a user means, so they are left out.
constexpr char SHIFT_DOWN_FIRST = '1', SHIFT_DOWN_LAST = ';';
constexpr char SHIFT_DOWN_OFFSET = 0x10;
constexpr const char* SHIFTED_LETTERS = "KLMNO";
constexpr char LOWER_CASE_OFFSET = 'a' - 'A';

bool find_key(char c, KeyPosition& key) {
    for (int row = 0; row < KEYBOARD_ROWS; row++) {
        const char* keys = LAYOUT_ROWS[row];
        for (int i = 0; keys[i] != '\0'; i++) {
            if (keys[i] != c) continue;
            key = KeyPosition{static_cast<uint8_t>(row), static_cast<uint8_t>(KEYBOARD_COLUMNS - 1 - i)};
            return true;
        }
    }
    return false;
}

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

// The key that types c with shift held, if there is one.
bool find_shifted_key(char c, KeyPosition& key) {
    const char below = static_cast<char>(c + SHIFT_DOWN_OFFSET);  // shift took it 16 down
    if (below >= SHIFT_DOWN_FIRST && below <= SHIFT_DOWN_LAST) return find_key(below, key);
    const char above = static_cast<char>(c - SHIFT_DOWN_OFFSET);
    if (above >= SHIFT_DOWN_FIRST && above <= SHIFT_DOWN_LAST) return false;
    if (is_upper(above)) {
        bool shifted_letter = false;
        for (const char* p = SHIFTED_LETTERS; *p; p++) shifted_letter |= *p == above;
        if (!shifted_letter) return false;
    }
    return find_key(above, key);
}

void set_shift_lock(Keyboard& keyboard, bool down) {
    if (down) {
        keyboard_press(keyboard, KEY_SHIFT_LOCK);
    } else {
        keyboard_release(keyboard, KEY_SHIFT_LOCK);
    }
}

void press(Typist& typist, Keyboard& keyboard, uint64_t cycle) {
    const KeyStroke& stroke = typist.strokes[typist.next];
    if (stroke.shift_lock != ShiftLockNeed::as_set) set_shift_lock(keyboard, stroke.shift_lock == ShiftLockNeed::down);
    if (stroke.shift) keyboard_press(keyboard, KEY_LEFT_SHIFT);
    keyboard_press(keyboard, stroke.key);
    typist.pressed_cycles.push_back(cycle);
    typist.holding = true;
    typist.due_cycle = cycle + typist.hold_cycles;
}

void release(Typist& typist, Keyboard& keyboard) {
    const KeyStroke& stroke = typist.strokes[typist.next];
    keyboard_release(keyboard, stroke.key);
    if (stroke.shift) keyboard_release(keyboard, KEY_LEFT_SHIFT);
    set_shift_lock(keyboard, typist.shift_lock_down);
    typist.holding = false;
    typist.next++;
    typist.due_cycle += typist.gap_cycles;  // counted from when the key came up
}

}  // namespace

bool key_stroke_for(char c, KeyStroke& stroke) {
    stroke = KeyStroke{c, KeyPosition{0, 0}, false, ShiftLockNeed::as_set};
    if (c == RETURN_CHARACTER) {
        stroke.key = KEY_RETURN;
        return true;
    }
    if (c == ESCAPE_CHARACTER) {
        stroke.key = KEY_ESCAPE;
        return true;
    }
    if (is_lower(c)) {
        stroke.shift_lock = ShiftLockNeed::up;
        return find_key(static_cast<char>(c - LOWER_CASE_OFFSET), stroke.key);
    }
    if (find_key(c, stroke.key)) {
        if (is_upper(c)) stroke.shift_lock = ShiftLockNeed::down;
        return true;
    }
    stroke.shift = true;
    return find_shifted_key(c, stroke.key);
}

bool parse_typed_text(const std::string& text, std::vector<KeyStroke>& strokes, std::string& error) {
    strokes.clear();
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == '\n') {
            c = RETURN_CHARACTER;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            i++;  // CR LF is one line end
        } else if (c == '\\') {
            const char escape = i + 1 < text.size() ? text[i + 1] : '\0';
            if (escape == 'r') {
                c = RETURN_CHARACTER;
            } else if (escape == 'e') {
                c = ESCAPE_CHARACTER;
            } else if (escape != '\\') {
                error = "unknown escape at character " + std::to_string(i + 1) +
                        " (\\r is Return, \\e Escape, \\\\ a backslash)";
                return false;
            }
            i++;
        }
        KeyStroke stroke;
        if (!key_stroke_for(c, stroke)) {
            error = character_text(static_cast<unsigned char>(c)) + " at character " + std::to_string(i + 1) +
                    " cannot be typed on the keyboard";
            return false;
        }
        strokes.push_back(stroke);
    }
    return true;
}

std::string typed_text(const std::vector<KeyStroke>& strokes, size_t count) {
    std::string text;
    for (size_t i = 0; i < count && i < strokes.size(); i++) {
        const char c = strokes[i].character;
        if (c == RETURN_CHARACTER) {
            text += "\\r";
        } else if (c == ESCAPE_CHARACTER) {
            text += "\\e";
        } else if (c == '\\') {
            text += "\\\\";
        } else {
            text += c;
        }
    }
    return text;
}

void typist_start(Typist& typist, uint64_t cycle) {
    typist.started = true;
    typist.next = 0;
    typist.holding = false;
    typist.due_cycle = cycle;
    typist.pressed_cycles.clear();
}

void typist_at_keyboard(Typist& typist, Keyboard& keyboard, uint64_t cycle) {
    if (!typist.started) return;
    if (typist.holding && cycle >= typist.due_cycle) release(typist, keyboard);
    if (!typist.holding && typist.next < typist.strokes.size() && cycle >= typist.due_cycle) {
        press(typist, keyboard, cycle);
    }
}
