// Emulated time: the CPU's cycle count is the one clock, and the disk's bit
// times are derived from it exactly, so nothing drifts however long a run.
#pragma once

#include <cstdint>

struct BitClock {
    uint64_t cpu_hz = 0;    // > 0
    uint64_t bit_rate = 0;  // serial bits per second, > 0
};

// floor(cycles * bit_rate / cpu_hz) without overflow: cycles = q * hz + r
// gives q * rate + floor(r * rate / hz), and r * rate stays below hz * rate.
inline uint64_t scaled_floor(uint64_t cycles, uint64_t rate, uint64_t hz) {
    return (cycles / hz) * rate + (cycles % hz) * rate / hz;
}

// The bit time under the head at this cycle.
inline uint64_t bit_time_at(const BitClock& clock, uint64_t cycles) {
    return scaled_floor(cycles, clock.bit_rate, clock.cpu_hz);
}

// How many bit times have had their middle pass by this cycle, which is when
// a receiver clocked at the bit rate samples them: floor(position + 1/2).
inline uint64_t bits_sampled_by(const BitClock& clock, uint64_t cycles) {
    return (scaled_floor(cycles, 2 * clock.bit_rate, clock.cpu_hz) + 1) / 2;
}

inline double seconds_at(const BitClock& clock, uint64_t cycles) {
    return static_cast<double>(cycles) / static_cast<double>(clock.cpu_hz);
}
