// The serial frame the disk controller writes and reads: one start bit, eight
// data bits least significant first, an even parity bit and one stop bit.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t SERIAL_FRAME_BITS = 11;
constexpr size_t SERIAL_DATA_BITS = 8;
constexpr size_t SERIAL_FIRST_DATA_BIT = 1;  // after the start bit
constexpr size_t SERIAL_PARITY_BIT = 9;
constexpr size_t SERIAL_STOP_BIT = 10;
constexpr uint8_t LINE_MARK = 1;   // idle, stop bit, a 1 data bit
constexpr uint8_t LINE_SPACE = 0;  // start bit, a 0 data bit

// 1 when the byte has an odd number of 1 bits, so that byte and bit together are even.
constexpr uint8_t even_parity_bit(uint8_t byte) {
    uint8_t ones = 0;
    for (int bit = 0; bit < 8; bit++) ones = static_cast<uint8_t>(ones ^ ((byte >> bit) & 1));
    return ones;
}

// The frame's line levels: start, d0..d7, even parity, stop.
inline void encode_serial_frame(uint8_t byte, uint8_t out_bits[SERIAL_FRAME_BITS]) {
    out_bits[0] = LINE_SPACE;
    for (size_t bit = 0; bit < SERIAL_DATA_BITS; bit++) {
        out_bits[SERIAL_FIRST_DATA_BIT + bit] = static_cast<uint8_t>((byte >> bit) & 1);
    }
    out_bits[SERIAL_PARITY_BIT] = even_parity_bit(byte);
    out_bits[SERIAL_STOP_BIT] = LINE_MARK;
}
