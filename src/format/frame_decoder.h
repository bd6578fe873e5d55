// Reads serial frames back out of a track's line levels as the disk
// controller's ACIA does in its divide-by-1 mode, so that a bit stream or an
// HFE file gives back the bytes a real machine would read from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The bytes heard in one pass over a track, and what was wrong with them.
// A frame with a bad parity or stop bit is still taken, as the ACIA puts it
// in its receive register and only flags it.
struct FrameDecode {
    std::vector<uint8_t> bytes;  // in order from the index, at most max_bytes
    size_t parity_errors = 0;
    size_t framing_errors = 0;   // the stop bit was a space
};

// levels holds the line (1 = mark, 0 = space) sampled samples_per_bit times
// per bit time (1 for the signals the file readers deliver; at least 1).
// From the index on, the receiver hunts for a space: that is a start bit's
// leading edge. It then samples the middle of each of the frame's 11 bit
// times, counted at the serial rate from that edge, checks even parity and
// the stop bit, and hunts again from just after the stop bit's middle (after
// its whole time when it was missing, so that a start bit right behind it is
// not mistaken for one half a bit early). A frame cut off by the end of the
// levels is not taken; once max_bytes are taken the rest is not read.
FrameDecode decode_frames(const std::vector<uint8_t>& levels, double samples_per_bit, size_t max_bytes);
