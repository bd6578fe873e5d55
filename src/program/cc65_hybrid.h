// cc65's hybrid output (cl65 -t osic1p -u __BOOT__): 65V monitor text that
// loads a small bootstrap and starts it with G, immediately followed by the
// program's raw bytes, which the bootstrap reads from the serial line. The
// load address and length are in the bootstrap's code (cc65's
// libsrc/osic1p/bootstrap.s): it opens with LDA #<load_addr, LDX #>load_addr
// (A9 lo A2 hi), then loads the length a byte at a time (A9 n), complementing
// each (49 FF, EOR #$FF) to count up to zero. The program starts at its load address.
#pragma once

#include <cstddef>
#include <cstdint>

#include "program/program.h"

ProgramRead read_cc65_hybrid(const uint8_t* bytes, size_t size);
