// Reads a track's bytes back out of its serial signal, so that a disk's facts
// come the same way from a .65d image and from an HFE file.
#pragma once

#include <cstdint>
#include <vector>

#include "signal/disk_signal.h"

// Every frame from the index on, as the controller's receiver hears it (see
// decode_frames: a frame cut off by the end of the revolution is not taken).
// Parity and stop bit errors are not reported here.
std::vector<uint8_t> decode_track_bytes(const TrackSignal& track);
