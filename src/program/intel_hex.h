// Intel HEX: ":" LL AAAA TT data CC lines, as srec_cat -o FILE -intel and
// most assemblers write them. Record types 00 (data), 01 (end of file),
// 02/04 (segment or linear base, as long as every address stays under
// $10000) and 03/05 (the start address); every checksum is checked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "program/program.h"

ProgramRead read_intel_hex(const uint8_t* bytes, size_t size);
