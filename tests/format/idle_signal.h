// A signal of idle line on every track, for the writer tests to set a few
// spaces in and find them again in the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "signal/disk_signal.h"

inline DiskSignal idle_signal(DiskFormat format, double bit_rate, size_t tracks, size_t bits) {
    DiskSignal signal;
    signal.format = format;
    signal.bit_rate = bit_rate;
    signal.tracks.assign(tracks, TrackSignal{std::vector<uint8_t>(bits, 1)});
    return signal;
}
