// Reads a track's bytes back out of its serial signal, so that a disk's facts
// come the same way from a .65d image and from an HFE file.
#pragma once

#include <cstdint>
#include <vector>

#include "signal/disk_signal.h"

// Every frame from the index on, as a receiver listening from there hears it: a start bit is a mark followed by a space
// (the bit before the index counts as the revolution's last one), and a
// frame that would run past the end of the revolution is not taken. Parity
// and stop bits are not checked.
std::vector<uint8_t> decode_track_bytes(const TrackSignal& track);
