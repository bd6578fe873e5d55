// The divide-by-1 receiver: hunt a start bit, sample the frame's middles.
#include "format/frame_decoder.h"

#include <cmath>

#include "signal/serial_frame.h"

namespace {

// The sample in the middle of a frame's bit time: 8 samples per bit, bit 2 -> 20.
size_t middle_of_bit(size_t edge, double samples_per_bit, size_t bit) {
    return edge + static_cast<size_t>((static_cast<double>(bit) + 0.5) * samples_per_bit);
}

size_t next_space(const std::vector<uint8_t>& levels, size_t from) {
    while (from < levels.size() && levels[from] != LINE_SPACE) from++;
    return from;
}

}  // namespace

FrameDecode decode_frames(const std::vector<uint8_t>& levels, double samples_per_bit, size_t max_bytes) {
    FrameDecode decoded;
    if (!(samples_per_bit >= 1.0) || !std::isfinite(samples_per_bit)) samples_per_bit = 1.0;
    size_t edge = next_space(levels, 0);
    while (edge < levels.size() && decoded.bytes.size() < max_bytes) {
        const size_t stop_sample = middle_of_bit(edge, samples_per_bit, SERIAL_STOP_BIT);
        if (stop_sample >= levels.size()) break;
        // A space too short to reach the start bit's middle is noise, not a start bit.
        if (levels[middle_of_bit(edge, samples_per_bit, 0)] != LINE_SPACE) {
            edge = next_space(levels, edge + 1);
            continue;
        }
        uint8_t byte = 0;
        for (size_t bit = 0; bit < SERIAL_DATA_BITS; bit++) {
            const uint8_t level = levels[middle_of_bit(edge, samples_per_bit, SERIAL_FIRST_DATA_BIT + bit)];
            byte = static_cast<uint8_t>(byte | (level & 1) << bit);
        }
        const uint8_t parity = levels[middle_of_bit(edge, samples_per_bit, SERIAL_PARITY_BIT)] & 1;
        const bool stop_ok = levels[stop_sample] == LINE_MARK;
        decoded.bytes.push_back(byte);
        if (parity != even_parity_bit(byte)) decoded.parity_errors++;
        if (!stop_ok) decoded.framing_errors++;
        const size_t frame_end = edge + static_cast<size_t>(std::ceil(SERIAL_FRAME_BITS * samples_per_bit));
        edge = next_space(levels, stop_ok ? stop_sample + 1 : frame_end);
    }
    return decoded;
}
