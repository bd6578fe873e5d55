// The serial bit stream a drive delivers while a track turns under the head:
// one line level per bit time of one revolution. This is the vocabulary
// between the disk formats (which make and read it) and the simulated
// machine (which plays it); it knows no file format itself.
#pragma once

#include <cstdint>
#include <vector>

#include "image/geometry.h"

// Serial line level for each bit time of one revolution, 1 = mark (idle),
// 0 = space; bits[0] is the bit time at the index pulse's leading edge.
struct TrackSignal {
    std::vector<uint8_t> bits;
};

struct DiskSignal {
    DiskFormat format;                // for the geometry (track count)
    double bit_rate;                  // serial bits per second: 125000 or 250000
    std::vector<TrackSignal> tracks;  // one per track; all the same length = bits per revolution
};
