// The frame decoder against line signals built here from the frame's
// definition (start 0, eight data bits LSB first, even parity, stop 1), with
// the faults a real disk gives: a bad parity or stop bit, a frame that
// slipped by half a bit, a track turning 3% fast.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "format/frame_decoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr double SAMPLES_PER_BIT = 8;  // fine enough to place an edge half a bit off

// One frame's levels worked out bit by bit, with its faults.
std::vector<uint8_t> frame_levels(uint8_t byte, bool flip_parity, bool drop_stop) {
    std::vector<uint8_t> levels = {0};
    int ones = 0;
    for (int bit = 0; bit < 8; bit++) {
        levels.push_back(byte >> bit & 1);
        ones += byte >> bit & 1;
    }
    levels.push_back(static_cast<uint8_t>((ones % 2) ^ (flip_parity ? 1 : 0)));
    levels.push_back(drop_stop ? 0 : 1);
    return levels;
}

struct FrameFault {
    bool flip_parity = false;
    bool drop_stop = false;
    double delay_bits = 0;  // this frame and all after it start this much later
};

// The line sampled SAMPLES_PER_BIT times per nominal bit time, in the middle
// of each sample: three idle bits, the frames back to back with bits of
// bit_length nominal bit times each, then idle.
std::vector<uint8_t> line(const Bytes& bytes, const std::vector<FrameFault>& faults, double bit_length) {
    struct Edge { double at; uint8_t level; };
    std::vector<Edge> edges;
    double t = 3;
    for (size_t i = 0; i < bytes.size(); i++) {
        t += faults[i].delay_bits;
        for (uint8_t level : frame_levels(bytes[i], faults[i].flip_parity, faults[i].drop_stop)) {
            edges.push_back({t, level});
            t += bit_length;
        }
    }
    const size_t samples = static_cast<size_t>((t + 3) * SAMPLES_PER_BIT);
    std::vector<uint8_t> levels(samples, 1);
    size_t next = 0;
    for (size_t s = 0; s < samples; s++) {
        const double time = (static_cast<double>(s) + 0.5) / SAMPLES_PER_BIT;
        while (next < edges.size() && edges[next].at <= time) next++;
        const bool inside = next > 0 && time < edges[next - 1].at + bit_length;
        levels[s] = inside ? edges[next - 1].level : 1;
    }
    return levels;
}

TEST(FrameDecoder, ReadsFramesThroughFaults) {
    const Bytes bytes = {0x00, 0xFF, 0x3C, 0xA5, 0x76, 0x01};
    struct Case {
        const char* name;
        size_t faulty_frame;
        FrameFault fault;
        double bit_length;
        size_t parity_errors, framing_errors;
    };
    const Case cases[] = {
        {"clean", 0, {}, 1.0, 0, 0},
        {"a flipped parity bit", 2, {true, false, 0}, 1.0, 1, 0},
        {"a missing stop bit", 2, {false, true, 0}, 1.0, 0, 1},
        {"a frame shifted by half a bit", 2, {false, false, 0.5}, 1.0, 0, 0},
        {"a track 3% faster than nominal", 0, {}, 0.97, 0, 0},
        {"a track 3% slower than nominal", 0, {}, 1.03, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<FrameFault> faults(bytes.size());
        faults[c.faulty_frame] = c.fault;
        const FrameDecode decoded = decode_frames(line(bytes, faults, c.bit_length), SAMPLES_PER_BIT, 100);
        EXPECT_EQ(decoded.bytes, bytes);
        EXPECT_EQ(decoded.parity_errors, c.parity_errors);
        EXPECT_EQ(decoded.framing_errors, c.framing_errors);
    }
}

// One level per bit time, as the file readers deliver it: the receiver
// hunts the first space from the index, and keeps going past a bad frame.
TEST(FrameDecoder, OneLevelPerBitTime) {
    const std::vector<uint8_t> a = frame_levels(0x3C, false, false);
    const std::vector<uint8_t> bad_stop = frame_levels(0xC3, false, true);
    const auto join = [](std::vector<std::vector<uint8_t>> parts) {
        std::vector<uint8_t> levels;
        for (const auto& part : parts) levels.insert(levels.end(), part.begin(), part.end());
        return levels;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> levels;
        size_t max_bytes;
        Bytes bytes;
        size_t framing_errors;
    };
    const Case cases[] = {
        {"all ones", std::vector<uint8_t>(1000, 1), 100, {}, 0},
        {"all zeros: frames of 0 without stop bits", std::vector<uint8_t>(110, 0), 100, Bytes(10, 0x00), 10},
        {"a frame at the index, then one right behind a missing stop bit",
         join({bad_stop, a, {1, 1}}), 100, {0xC3, 0x3C}, 1},
        {"a frame cut off by the end is not taken", join({{1}, a, std::vector<uint8_t>(a.begin(), a.end() - 1)}),
         100, {0x3C}, 0},
        {"no more than the slot holds", join({a, a, a}), 2, {0x3C, 0x3C}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameDecode decoded = decode_frames(c.levels, 1, c.max_bytes);
        EXPECT_EQ(decoded.bytes, c.bytes);
        EXPECT_EQ(decoded.parity_errors, 0u);
        EXPECT_EQ(decoded.framing_errors, c.framing_errors);
    }
}

}  // namespace
