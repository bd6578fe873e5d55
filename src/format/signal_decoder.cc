// Deframing one revolution of a track's serial signal into bytes.
#include "format/signal_decoder.h"

#include "signal/serial_frame.h"

std::vector<uint8_t> decode_track_bytes(const TrackSignal& track) {
    std::vector<uint8_t> bytes;
    const std::vector<uint8_t>& bits = track.bits;
    if (bits.empty()) return bytes;
    uint8_t previous = bits.back();
    size_t t = 0;
    while (t + SERIAL_FRAME_BITS <= bits.size()) {
        if (!(previous == LINE_MARK && bits[t] == LINE_SPACE)) {
            previous = bits[t];
            t++;
            continue;
        }
        uint8_t byte = 0;
        for (size_t bit = 0; bit < SERIAL_DATA_BITS; bit++) {
            byte = static_cast<uint8_t>(byte | (bits[t + SERIAL_FIRST_DATA_BIT + bit] & 1) << bit);
        }
        bytes.push_back(byte);
        previous = bits[t + SERIAL_STOP_BIT];
        t += SERIAL_FRAME_BITS;
    }
    return bytes;
}
