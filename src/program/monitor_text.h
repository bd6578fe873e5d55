// OSI 65V monitor text: what one types (or sends down the serial line) into
// the monitor's load mode, the format of srec_cat -o FILE -os and of many
// archived programs. "." starts address mode, where hex digits roll into the
// address; "/" starts data mode, where hex digits roll into the byte at the
// address; Return (CR) moves to the next address; "G" in address mode starts
// the program there. LF is ignored (or, in a file with no CR at all, taken
// as the Return it replaced). A later byte at an address overrides an earlier one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "program/program.h"
#include "program/program_memory.h"

// The text as the monitor takes it in, up to and including the first G.
struct MonitorText {
    ProgramMemory memory;
    bool has_go = false;
    uint16_t go_address = 0;
    int go_line = 0;
    size_t end = 0;          // offset just past the G, else the text's size
    bool lf_as_return = false;
};

// False, with the line and what is wrong, at the first character the
// monitor's load mode would not take.
bool type_monitor_text(const uint8_t* bytes, size_t size, MonitorText& text, ProgramError& error);

// A whole 65V file: the bytes it stores, and the G's address as the start.
// Only line breaks may follow the G. srec_cat ends a file that has no start
// address with ".00FD/00", a store for the monitor, not for the program; it
// is left out (with a note).
ProgramRead read_monitor_text(const uint8_t* bytes, size_t size);

// True when bytes..size holds nothing but line breaks, spaces and NULs.
bool only_blank(const uint8_t* bytes, size_t size);
