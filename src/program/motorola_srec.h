// Motorola S-records: "S" type count address data checksum lines, as
// srec_cat -o FILE -motorola and many assemblers write them. S1/S2/S3 carry
// data (while every address stays under $10000), S5/S6 the number of data
// records, S7/S8/S9 the start address; S0 is a header; every checksum is checked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "program/program.h"

ProgramRead read_motorola_srec(const uint8_t* bytes, size_t size);
