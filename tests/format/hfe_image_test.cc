// Whole images through the drive's signal into HFE and back: the cells carry
// the slot bytes as serial frames, and decoding gives the bytes back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "format/hfe_reader.h"
#include "format/signal_encoder.h"
#include "format/hfe_writer.h"
#include "image/image_fixture.h"

namespace {

// Track t's side-0 cells as one nibble per serial bit (a 5.25-inch or 8-inch
// file as the writer lays it out: tracks of 49 or 82 blocks from block 2).
std::vector<uint8_t> side0_nibbles(const Bytes& file, size_t track, size_t blocks, size_t bits) {
    std::vector<uint8_t> nibbles;
    const size_t start = (2 + track * blocks) * 512;
    for (size_t i = 0; i < bits; i++) {
        const size_t byte = i / 2;
        const uint8_t cells = file[start + byte / 256 * 512 + byte % 256];
        nibbles.push_back(static_cast<uint8_t>(i % 2 ? cells >> 4 : cells & 0x0F));
    }
    return nibbles;
}

// Frames written out by hand, "start data(LSB first) parity stop".
std::vector<uint8_t> frame_bits(const char* text) {
    std::vector<uint8_t> bits;
    for (const char* p = text; *p; p++) {
        if (*p == '0' || *p == '1') bits.push_back(static_cast<uint8_t>(*p - '0'));
    }
    return bits;
}

Bytes hfe_of(const DiskGeometry& g, const Bytes& image, const SignalTiming& timing, SignalLayoutReport& report) {
    const DiskSignal signal = image_to_signal(g, image.data(), timing, report);
    Bytes file;
    std::string error;
    EXPECT_TRUE(signal_to_hfe(signal, file, error)) << error;
    return file;
}

// The first track bytes of data track 3, frame by frame, as cell nibbles:
// a space is $A, a mark $2. Found by the first space after the index.
TEST(HfeImage, SlotBytesBecomeFramesOfNibbles) {
    const DiskGeometry& g = geometry_for(DiskFormat::mini);
    const Bytes image = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(5000));
    SignalLayoutReport report;
    const Bytes file = hfe_of(g, image, default_signal_timing(DiskFormat::mini), report);
    const std::vector<uint8_t> nibbles = side0_nibbles(file, 3, 49, 25000);

    size_t first = 0;
    while (first < nibbles.size() && nibbles[first] == 0x2) first++;
    ASSERT_LT(first, nibbles.size());
    // 11.7 ms after the index at 8 us a bit: 1462.5 bit times.
    EXPECT_NEAR(static_cast<double>(first), 1462.5, 1.0);

    struct Frame { uint8_t byte; const char* bits; };
    const Frame frames[] = {
        {0x43, "0 11000010 1 1"},  // 'C'
        {0x57, "0 11101010 1 1"},  // 'W'
        {0x03, "0 11000000 0 1"},  // track 3 in BCD: two ones, parity 0
        {0x58, "0 00011010 1 1"},  // 'X'
        {0x76, "0 01101110 1 1"},  // the sector mark
        {0x01, "0 10000000 1 1"},  // sector 1
        {0x08, "0 00010000 1 1"},  // eight pages
    };
    size_t at = first;
    for (const Frame& f : frames) {
        SCOPED_TRACE(f.byte);
        for (uint8_t bit : frame_bits(f.bits)) {
            EXPECT_EQ(nibbles[at], bit ? 0x2 : 0xA) << "bit time " << at;
            at++;
        }
    }
}

// Reads the frames from the first space on: start 0, eight data bits LSB
// first, even parity, stop 1, back to back; then the line must idle to the
// end of the revolution.
Bytes deframe(const std::vector<uint8_t>& bits, size_t first, size_t count) {
    Bytes bytes;
    for (size_t n = 0; n < count; n++) {
        const size_t at = first + 11 * n;
        if (at + 11 > bits.size()) break;
        EXPECT_EQ(bits[at], 0) << "start bit of frame " << n;
        unsigned value = 0, ones = 0;
        for (unsigned k = 0; k < 8; k++) {
            value |= static_cast<unsigned>(bits[at + 1 + k]) << k;
            ones += bits[at + 1 + k];
        }
        EXPECT_EQ((ones + bits[at + 9]) % 2, 0u) << "parity of frame " << n;
        EXPECT_EQ(bits[at + 10], 1) << "stop bit of frame " << n;
        bytes.push_back(static_cast<uint8_t>(value));
    }
    for (size_t i = first + 11 * count; i < bits.size(); i++) {
        if (bits[i] != 1) {
            ADD_FAILURE() << "line not idle at bit time " << i << " after the last frame";
            break;
        }
    }
    return bytes;
}

struct RoundTripCase {
    const char* name;
    DiskFormat format;
    size_t program_size;
    uint16_t load;
    double lead_in_us;    // 0: the format's default
    size_t revolution;    // serial bits per revolution: 25000, or 41666.7 rounded
    size_t decoded_bits;  // 2 per HFE byte: 12500 or 20834 bytes a side
};

const RoundTripCase ROUND_TRIPS[] = {
    {"5.25-inch, one track", DiskFormat::mini, 100, 0x0300, 0, 25000, 25000},
    {"5.25-inch, 36 KB over the directory track", DiskFormat::mini, 36000, 0x0300, 0, 25000, 25000},
    {"5.25-inch, a lead-in that drops the slots' ends", DiskFormat::mini, 5000, 0x2200, 40000, 25000, 25000},
    {"8-inch, one track", DiskFormat::full, 3070, 0x0300, 0, 41667, 41668},
    {"8-inch, 30000 bytes", DiskFormat::full, 30000, 0x1000, 0, 41667, 41668},
};

TEST(HfeImage, BuiltImagesRoundTripThroughHfe) {
    for (const RoundTripCase& c : ROUND_TRIPS) {
        SCOPED_TRACE(c.name);
        const DiskGeometry& g = geometry_for(c.format);
        const Bytes image = build(loader_options(c.format, c.load), pattern_bytes(c.program_size, 7));
        ASSERT_EQ(image.size(), g.image_size);
        SignalTiming timing = default_signal_timing(c.format);
        if (c.lead_in_us > 0) timing.lead_in_us = c.lead_in_us;
        SignalLayoutReport report;
        const Bytes file = hfe_of(g, image, timing, report);

        DiskSignal signal;
        std::string error;
        ASSERT_TRUE(hfe_to_signal(file, signal, error)) << error;
        ASSERT_EQ(signal.tracks.size(), static_cast<size_t>(g.track_count));
        for (size_t t = 0; t < signal.tracks.size(); t++) {
            SCOPED_TRACE("track " + std::to_string(t));
            const std::vector<uint8_t>& bits = signal.tracks[t].bits;
            ASSERT_EQ(bits.size(), c.decoded_bits);
            size_t first = 0;
            while (first < bits.size() && bits[first] == 1) first++;
            const double expected_first = timing.lead_in_us * 1e-6 * signal.bit_rate;
            ASSERT_NEAR(static_cast<double>(first), expected_first, 1.0);
            // Whole frames that fit between the lead-in and the end of the revolution.
            const size_t fit = std::min(g.track_slot_size, (c.revolution - first) / 11);
            const Bytes bytes = deframe(bits, first, fit);
            const Bytes slot(image.begin() + static_cast<long>(t * g.track_slot_size),
                             image.begin() + static_cast<long>(t * g.track_slot_size + fit));
            ASSERT_EQ(bytes, slot);
            EXPECT_EQ(report.bytes_sent[t], fit);
        }
    }
}

}  // namespace
