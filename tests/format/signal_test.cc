// The serial frame, the layout of an image's tracks in time, and reading
// the bytes back out of a track's signal.
#include <gtest/gtest.h>

#include <vector>

#include "image/image_options.h"
#include "image/geometry.h"
#include "image/image_builder.h"
#include "format/signal_encoder.h"
#include "format/signal_decoder.h"

namespace {

TEST(SerialFrame, StartDataLsbFirstEvenParityStop) {
    struct Case {
        uint8_t byte;
        uint8_t bits[11];  // start, d0..d7, parity, stop
    } cases[] = {
        {0x00, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {0xFF, {0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1}},  // eight ones: already even
        {0x01, {0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1}},
        {0x80, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1}},
        {0x76, {0, 0, 1, 1, 0, 1, 1, 1, 0, 1, 1}},  // 0111 0110: five ones
        {0xA5, {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1}},  // 1010 0101: four ones
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        uint8_t bits[11] = {};
        encode_serial_frame(c.byte, bits);
        for (int i = 0; i < 11; i++) EXPECT_EQ(bits[i], c.bits[i]) << "bit " << i;
    }
}

TEST(SignalTiming, FormatDefaults) {
    const SignalTiming mini = default_signal_timing(DiskFormat::mini);
    EXPECT_EQ(mini.bit_rate, 125000.0);
    EXPECT_EQ(mini.rpm, 300.0);
    EXPECT_EQ(mini.lead_in_us, 11700.0);
    const SignalTiming full = default_signal_timing(DiskFormat::full);
    EXPECT_EQ(full.bit_rate, 250000.0);
    EXPECT_EQ(full.rpm, 360.0);
    EXPECT_EQ(full.lead_in_us, 3200.0);
}

// An image whose every slot holds a known pattern, including its tail.
std::vector<uint8_t> patterned_image(const DiskGeometry& g) {
    std::vector<uint8_t> image(g.image_size);
    for (size_t i = 0; i < image.size(); i++) image[i] = static_cast<uint8_t>(i * 13 + i / 977 + 1);
    return image;
}

// The level of bit `bit` of byte `byte`'s frame, worked out longhand.
uint8_t frame_bit(uint8_t byte, size_t bit) {
    if (bit == 0) return 0;
    if (bit <= 8) return (byte >> (bit - 1)) & 1;
    if (bit == 9) {
        int ones = 0;
        for (int b = 0; b < 8; b++) ones += (byte >> b) & 1;
        return ones % 2;
    }
    return 1;
}

TEST(ImageToSignal, FramesFromTheLeadInIdleElsewhere) {
    struct Case {
        DiskFormat format;
        SignalTiming timing;
        size_t revolution;  // 60 * rate / rpm, rounded
        size_t lead_in;     // lead_in_us * rate / 1e6, rounded
        size_t fitting;     // (revolution - lead_in) / 11, at most the slot
    } cases[] = {
        {DiskFormat::mini, {125000, 300, 11700}, 25000, 1463, 2139},
        {DiskFormat::full, {250000, 360, 3200}, 41667, 800, 3715},
        {DiskFormat::mini, {125000, 300, 0}, 25000, 0, 2272},
        {DiskFormat::mini, {125000, 360, 1000}, 20833, 125, 1882},
        {DiskFormat::mini, {125000, 150, 0}, 50000, 0, 2304},  // a slow disk fits the whole slot
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.revolution);
        const DiskGeometry& g = geometry_for(c.format);
        const std::vector<uint8_t> image = patterned_image(g);
        SignalLayoutReport report;
        const DiskSignal signal = image_to_signal(g, image.data(), c.timing, report);
        EXPECT_EQ(signal.format, c.format);
        EXPECT_EQ(signal.bit_rate, c.timing.bit_rate);
        ASSERT_EQ(signal.tracks.size(), static_cast<size_t>(g.track_count));
        ASSERT_EQ(report.bytes_sent.size(), signal.tracks.size());
        for (int track : {0, 1, g.track_count - 1}) {
            SCOPED_TRACE(track);
            const std::vector<uint8_t>& bits = signal.tracks[track].bits;
            ASSERT_EQ(bits.size(), c.revolution);
            EXPECT_EQ(report.bytes_sent[track], c.fitting);
            const uint8_t* slot = image.data() + track * g.track_slot_size;
            size_t dropped = 0;
            for (size_t i = c.fitting; i < g.track_slot_size; i++) dropped += slot[i] != 0;
            EXPECT_EQ(report.nonzero_bytes_dropped[track], dropped);
            size_t wrong = 0;
            for (size_t t = 0; t < bits.size(); t++) {
                uint8_t expected = 1;
                if (t >= c.lead_in && t < c.lead_in + 11 * c.fitting) {
                    const size_t i = (t - c.lead_in) / 11;
                    expected = frame_bit(slot[i], (t - c.lead_in) % 11);
                }
                if (bits[t] != expected && wrong++ == 0) ADD_FAILURE() << "first wrong bit at " << t;
            }
            EXPECT_EQ(wrong, 0u);
        }
    }
}

TEST(ImageToSignal, ZeroTailsAreNotCountedAsDropped) {
    const DiskGeometry& g = geometry_for(DiskFormat::mini);
    std::vector<uint8_t> image(g.image_size, 0);
    image[2 * g.track_slot_size + 2139] = 0x55;  // the first byte past what fits on track 2
    image[2 * g.track_slot_size + 2303] = 0x01;
    SignalLayoutReport report;
    image_to_signal(g, image.data(), default_signal_timing(g.format), report);
    for (int track = 0; track < g.track_count; track++) {
        SCOPED_TRACE(track);
        EXPECT_EQ(report.nonzero_bytes_dropped[track], track == 2 ? 2u : 0u);
    }
}

TEST(DecodeTrackBytes, ReadsBackWhatFitsOfEachSlot) {
    for (DiskFormat format : {DiskFormat::mini, DiskFormat::full}) {
        const DiskGeometry& g = geometry_for(format);
        SCOPED_TRACE(g.name);
        ImageOptions options;
        options.format = format;
        options.load_address = 0x0300;
        ProgramBytes program(5000);
        for (size_t i = 0; i < program.size(); i++) program[i] = static_cast<uint8_t>(255 - i % 251);
        DiskImage image;
        ASSERT_TRUE(allocate_image(g, image));
        build_image(options, g, program, image);
        SignalLayoutReport report;
        const DiskSignal signal = image_to_signal(g, image.bytes.get(), default_signal_timing(format), report);
        for (int track : {0, 1, 2, g.directory_track}) {
            SCOPED_TRACE(track);
            const std::vector<uint8_t> bytes = decode_track_bytes(signal.tracks[track]);
            const uint8_t* slot = image.slot(g, track);
            ASSERT_EQ(bytes.size(), report.bytes_sent[track]);
            EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), slot));
        }
    }
}

TEST(DecodeTrackBytes, AFrameAtTheIndexCountsTheRevolutionsEndAsIdle) {
    TrackSignal track;
    track.bits.assign(100, 1);
    uint8_t frame[11];
    encode_serial_frame(0x3C, frame);
    std::copy(frame, frame + 11, track.bits.begin());  // starts on bit 0
    encode_serial_frame(0xC3, frame);
    std::copy(frame, frame + 11, track.bits.begin() + 11);  // back to back
    encode_serial_frame(0x99, frame);
    std::copy(frame, frame + 5, track.bits.begin() + 95);  // runs past the end
    EXPECT_EQ(decode_track_bytes(track), (std::vector<uint8_t>{0x3C, 0xC3}));
}

}  // namespace
