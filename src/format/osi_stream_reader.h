// Reads an osiemu bit stream (.os5 / .os8) back into a disk's serial signal,
// so that a disk made for that emulator can be listed, converted and booted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "signal/disk_signal.h"

// Checks the header (signature, version 1, type 0 or 1, track 0 after the
// header) and that the file is exactly as long as its type says, then takes
// each track's whole block as its signal, MSB first: 26624 bit times for a
// 5.25-inch track, more than the 25000 of a revolution, played as the file
// holds them. False with a reason for a person, signal untouched.
bool osi_stream_to_signal(const std::vector<uint8_t>& file, DiskSignal& signal, std::string& error);
