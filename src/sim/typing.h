// Typing on the simulated keyboard: text turned into key strokes (with a
// shift key, or the shift lock set, where a character needs it), and a
// typist who presses them one at a time while a program reads the keyboard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/keyboard.h"

// Letters need the shift lock: down for upper case, up for lower case (how
// OSI's keyboard routines, the monitor's and cc65's, decode them). Other
// keys leave it where the user put it.
enum class ShiftLockNeed { as_set, down, up };

struct KeyStroke {
    char character;        // what the user asked for ('\r' for Return, 0x1B for Escape)
    KeyPosition key;
    bool shift;            // left shift held with the key
    ShiftLockNeed shift_lock;
};

constexpr char RETURN_CHARACTER = '\r';
constexpr char ESCAPE_CHARACTER = 0x1B;

// The key stroke that types c; false when the keyboard has no way to type it.
bool key_stroke_for(char c, KeyStroke& stroke);

// The strokes for a text: "\r" is Return, "\\" a backslash, "\e" Escape, and a
// newline (or CR LF) is Return too. False with a sentence in error when a
// character cannot be typed or an escape is unknown.
bool parse_typed_text(const std::string& text, std::vector<KeyStroke>& strokes, std::string& error);

// The text again with Return and Escape written as escapes, for reports.
std::string typed_text(const std::vector<KeyStroke>& strokes, size_t count);

// A typist who waits for the program: a key goes down at the first read or
// write of the keyboard once the typist is ready, stays down for
// hold_cycles, and stays up for gap_cycles before the next may go down. A
// program that is busy elsewhere (a boot ROM reading the disk) delays the
// typing, it does not lose keys.
struct Typist {
    std::vector<KeyStroke> strokes;
    uint64_t hold_cycles = 0;
    uint64_t gap_cycles = 0;
    bool shift_lock_down = true;   // where the user leaves the latching key
    bool started = false;
    size_t next = 0;               // the stroke being typed, or the next to type
    bool holding = false;
    uint64_t due_cycle = 0;        // holding: when the key comes up; else: the earliest next press
    std::vector<uint64_t> pressed_cycles;  // when each typed key went down
};

// From this cycle on, the typist is at the keyboard.
void typist_start(Typist& typist, uint64_t cycle);

// The program touches the keyboard at this cycle: bring the keys up to date.
void typist_at_keyboard(Typist& typist, Keyboard& keyboard, uint64_t cycle);

inline size_t typist_keys_typed(const Typist& typist) { return typist.pressed_cycles.size(); }
