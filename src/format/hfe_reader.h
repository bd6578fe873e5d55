// Reads an HFE version 1 file back into a disk's serial signal, so that a
// file made for a floppy emulator can be booted on the simulated machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format/hfe_format.h"
#include "signal/disk_signal.h"

// No track can start past block 65535 nor be longer than 65535 bytes (128
// blocks), so a file any larger holds nothing a reader could reach.
constexpr uint64_t HFE_MAX_FILE_SIZE =
    (HFE_U16_MAX + (HFE_U16_MAX + HFE_BLOCK_SIZE - 1) / HFE_BLOCK_SIZE) * uint64_t{HFE_BLOCK_SIZE};

// Checks the header (signature: version 3 files are refused as such;
// revision 0, 40 or 77 tracks, one or two sides, the bit rate of that disk
// format), the track table and every track's place and length (one
// revolution, give or take a tenth, the same for every track, inside the
// file, sharing no block with the table or another track), then decodes
// side 0: each four cells are one serial bit. $A is a space (0) and $2 a
// mark (1); any other nibble is read by its fourth cell, the data pulse's, so
// a stray clock or missing clock pulse does not matter: set -> space, clear
// -> mark. A track keeps every cell the file holds for it, so 20834 bytes of
// an 8-inch track give 41668 serial bits (the emulator turns the disk at that
// length, too), and the 213 ms tracks other tools write play as 213 ms. The
// track encoding and rpm fields are not read: other writers leave them 0.
// False with a reason for a person, signal untouched; never reads outside file.
bool hfe_to_signal(const std::vector<uint8_t>& file, DiskSignal& signal, std::string& error);
