// Deframing one revolution of a track's serial signal into bytes.
#include "format/signal_decoder.h"

#include <cstddef>

#include "format/frame_decoder.h"

std::vector<uint8_t> decode_track_bytes(const TrackSignal& track) {
    constexpr double ONE_SAMPLE_PER_BIT = 1.0;  // a TrackSignal holds one level per bit time
    return decode_frames(track.bits, ONE_SAMPLE_PER_BIT, track.bits.size()).bytes;
}
