// Reads fuzz input as a stream of small decisions: every byte steers
// something from the first one on, and an input that runs out reads as
// zeros, so that short inputs already make whole, meaningful cases.
#pragma once

#include <cstddef>
#include <cstdint>

struct FuzzInput {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    bool empty() const { return at >= size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    uint16_t word() { return static_cast<uint16_t>(byte() << 8 | byte()); }
    // A number in [0, count); count > 0.
    size_t below(size_t count) { return word() % count; }
    bool flag() { return (byte() & 1) != 0; }
};
