// Writes a disk's serial signal as an osiemu bit stream (.os5 / .os8), so
// that a disk made here opens directly in that emulator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "signal/disk_signal.h"

// The whole file: header block, then one block run per track, idle past the
// track's signal (one revolution of 25000 bit times, or a track read from a
// file that holds more). False (file left empty) with a reason when the
// signal does not fit the format: a track count or bit rate other than the
// format's, or a track longer than its block.
bool signal_to_osi_stream(const DiskSignal& signal, std::vector<uint8_t>& file, std::string& error);
