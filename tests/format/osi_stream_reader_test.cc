// The osiemu bit-stream reader against files laid out here from the
// format's published layout, and against every way such a file can be wrong.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "format/osi_stream_reader.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Header block: signature, version 1, the type, track 0 in block 1, $FF
// fill; then tracks of track_bytes, all idle (1 bits).
Bytes stream_file(uint8_t type, size_t tracks, size_t track_bytes) {
    Bytes file(256 + tracks * track_bytes, 0xFF);
    std::memcpy(file.data(), "OSIDISKBITSTREAM", 16);
    file[16] = 0x01;
    file[17] = type;
    file[18] = 0x01;
    return file;
}

TEST(OsiStreamReader, TakesEachTracksWholeBlockMsbFirst) {
    struct Case {
        const char* name;
        uint8_t type;
        size_t tracks, track_bytes;
        DiskFormat format;
        double bit_rate;
    };
    const Case cases[] = {
        {"5.25-inch", 0x00, 40, 3328, DiskFormat::mini, 125000},
        {"8-inch", 0x01, 77, 5376, DiskFormat::full, 250000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = stream_file(c.type, c.tracks, c.track_bytes);
        const size_t track1 = 256 + c.track_bytes;
        file[track1] = 0x7F;                        // bit time 0 of track 1 is a space
        file[track1 + 1] = 0xBF;                    // and bit time 9
        file[track1 + c.track_bytes - 1] = 0xFE;    // and the block's last bit time
        DiskSignal signal;
        std::string error;
        ASSERT_TRUE(osi_stream_to_signal(file, signal, error)) << error;
        EXPECT_EQ(signal.format, c.format);
        EXPECT_EQ(signal.bit_rate, c.bit_rate);
        ASSERT_EQ(signal.tracks.size(), c.tracks);
        const std::vector<uint8_t>& bits = signal.tracks[1].bits;
        ASSERT_EQ(bits.size(), c.track_bytes * 8);
        size_t spaces = 0;
        for (uint8_t bit : bits) spaces += bit == 0;
        EXPECT_EQ(spaces, 3u);
        EXPECT_EQ(bits[0], 0);
        EXPECT_EQ(bits[9], 0);
        EXPECT_EQ(bits.back(), 0);
        EXPECT_EQ(signal.tracks[0].bits, std::vector<uint8_t>(c.track_bytes * 8, 1));
    }
}

TEST(OsiStreamReader, RefusesMalformedFilesClearly) {
    struct Case {
        const char* name;
        void (*damage)(Bytes&);
        const char* error;
    };
    const Case cases[] = {
        {"empty", [](Bytes& f) { f.clear(); }, "not an osiemu bit stream (it does not start with OSIDISKBITSTREAM)"},
        {"another signature", [](Bytes& f) { f[15] = 'X'; },
         "not an osiemu bit stream (it does not start with OSIDISKBITSTREAM)"},
        {"header cut short", [](Bytes& f) { f.resize(100); }, "the bit stream's header is cut short: 100 of 256 bytes"},
        {"version 2", [](Bytes& f) { f[16] = 2; }, "bit stream version 2 is not supported (only 1)"},
        {"type 2", [](Bytes& f) { f[17] = 2; }, "bit stream type $02 is no disk we know: $00 (5.25-inch) or $01 (8-inch)"},
        {"track 0 in the header", [](Bytes& f) { f[18] = 0; }, "the bit stream's track 0 would start in its header (block 0)"},
        {"type 1 with a 5.25-inch size", [](Bytes& f) { f[17] = 1; },
         "a type 1 bit stream (8-inch, 77 tracks of 5376 bytes) is 414208 bytes, but this one is 133376"},
        {"last track cut short", [](Bytes& f) { f.pop_back(); },
         "a type 0 bit stream (5.25-inch, 40 tracks of 3328 bytes) is 133376 bytes, but this one is 133375"},
        {"a byte too many", [](Bytes& f) { f.push_back(0xFF); },
         "a type 0 bit stream (5.25-inch, 40 tracks of 3328 bytes) is 133376 bytes, but this one is 133377"},
        {"track 0 further on than the file reaches", [](Bytes& f) { f[18] = 2; },
         "a type 0 bit stream (5.25-inch, 40 tracks of 3328 bytes) is 133632 bytes, but this one is 133376"},
    };
    const Bytes good = stream_file(0x00, 40, 3328);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = good;
        c.damage(file);
        DiskSignal signal;
        signal.bit_rate = 1;
        std::string error;
        EXPECT_FALSE(osi_stream_to_signal(file, signal, error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(signal.bit_rate, 1) << "the signal was touched";
    }
}

}  // namespace
