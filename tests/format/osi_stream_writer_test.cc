// The osiemu bit-stream writer against files worked out from the format's
// published layout: the header block, MSB-first bit times, idle fill.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "format/osi_stream_writer.h"
#include "idle_signal.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct StreamCase {
    const char* name;
    DiskFormat format;
    double bit_rate;
    size_t tracks;
    size_t revolution_bits;
    uint8_t type;
    size_t track_bytes;
    size_t file_size;  // 256 + tracks * track_bytes
};

const StreamCase STREAMS[] = {
    {"5.25-inch", DiskFormat::mini, 125000, 40, 25000, 0x00, 3328, 133376},
    {"8-inch", DiskFormat::full, 250000, 77, 41667, 0x01, 5376, 414208},
};

TEST(OsiStreamWriter, HeaderBitOrderAndIdleFill) {
    for (const StreamCase& c : STREAMS) {
        SCOPED_TRACE(c.name);
        DiskSignal signal = idle_signal(c.format, c.bit_rate, c.tracks, c.revolution_bits);
        // Track 1: spaces at bit times 0, 9 and the revolution's last; track 2: at 8.
        signal.tracks[1].bits[0] = 0;
        signal.tracks[1].bits[9] = 0;
        signal.tracks[1].bits[c.revolution_bits - 1] = 0;
        signal.tracks[2].bits[8] = 0;
        Bytes file;
        std::string error;
        ASSERT_TRUE(signal_to_osi_stream(signal, file, error)) << error;
        ASSERT_EQ(file.size(), c.file_size);

        const Bytes header_start = {'O', 'S', 'I', 'D', 'I', 'S', 'K', 'B', 'I', 'T', 'S', 'T', 'R', 'E', 'A', 'M',
                                    0x01, c.type, 0x01};
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 19), header_start);
        for (size_t i = 19; i < 256; i++) ASSERT_EQ(file[i], 0xFF) << "header byte " << i;

        const size_t track1 = 256 + c.track_bytes;
        EXPECT_EQ(file[track1], 0x7F);      // bit time 0 is the top bit of the first byte
        EXPECT_EQ(file[track1 + 1], 0xBF);  // bit time 9: second byte, second bit from the top
        const size_t last = c.revolution_bits - 1;
        EXPECT_EQ(file[track1 + last / 8], static_cast<uint8_t>(0xFF & ~(0x80 >> (last % 8))));
        EXPECT_EQ(file[256 + 2 * c.track_bytes + 1], 0x7F);  // track 2, bit time 8
        // Everything else, the fill past the revolution included, is idle line:
        // four bytes hold the four spaces.
        size_t bytes_with_spaces = 0;
        for (size_t i = 256; i < file.size(); i++) bytes_with_spaces += file[i] != 0xFF;
        EXPECT_EQ(bytes_with_spaces, 4u);
    }
}

TEST(OsiStreamWriter, RefusesSignalsThatAreNotTheFormats) {
    struct Case {
        const char* name;
        DiskSignal signal;
    };
    const Case cases[] = {
        {"track count", idle_signal(DiskFormat::mini, 125000, 39, 25000)},
        {"bit rate", idle_signal(DiskFormat::mini, 250000, 40, 25000)},
        {"track longer than its block", idle_signal(DiskFormat::full, 250000, 77, 5376 * 8 + 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = {1, 2, 3};
        std::string error;
        EXPECT_FALSE(signal_to_osi_stream(c.signal, file, error));
        EXPECT_TRUE(file.empty());
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
