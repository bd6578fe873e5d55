// Reading HFE files back: decoding side 0's cells, and a clear refusal of
// every malformed file without reading outside it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "format/hfe_reader.h"
#include "format/hfe_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

// 40 or 77 tracks of a line pattern that differs from track to track.
DiskSignal patterned_signal(DiskFormat format, double bit_rate, size_t tracks, size_t bits) {
    DiskSignal signal;
    signal.format = format;
    signal.bit_rate = bit_rate;
    uint32_t state = 12345;
    for (size_t t = 0; t < tracks; t++) {
        TrackSignal track;
        for (size_t i = 0; i < bits; i++) {
            state = state * 1103515245u + 12345u;
            track.bits.push_back(static_cast<uint8_t>(state >> 16 & 1));
        }
        signal.tracks.push_back(track);
    }
    return signal;
}

Bytes hfe_file(const DiskSignal& signal) {
    Bytes file;
    std::string error;
    EXPECT_TRUE(signal_to_hfe(signal, file, error)) << error;
    return file;
}

// A valid 5.25-inch file: 40 tracks of 49 blocks from block 2, 1004544 bytes.
Bytes mini_file() {
    DiskSignal signal;
    signal.format = DiskFormat::mini;
    signal.bit_rate = 125000;
    signal.tracks.assign(40, TrackSignal{std::vector<uint8_t>(25000, 1)});
    return hfe_file(signal);
}

void put_u16(Bytes& file, size_t offset, uint16_t value) {
    file[offset] = static_cast<uint8_t>(value & 0xFF);
    file[offset + 1] = static_cast<uint8_t>(value >> 8);
}

// Every track (and every serial bit) comes back as written; the 8-inch
// revolution of 41667 bits fills 20834 bytes, read back as 41668 bits with
// an idle one at the end.
TEST(HfeReader, ReadsBackWhatTheWriterWrote) {
    struct Case {
        const char* name;
        DiskFormat format;
        double bit_rate;
        size_t tracks, bits, decoded_bits;
    };
    const Case cases[] = {
        {"5.25-inch", DiskFormat::mini, 125000, 40, 25000, 25000},
        {"8-inch", DiskFormat::full, 250000, 77, 41667, 41668},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DiskSignal written = patterned_signal(c.format, c.bit_rate, c.tracks, c.bits);
        DiskSignal read;
        std::string error;
        ASSERT_TRUE(hfe_to_signal(hfe_file(written), read, error)) << error;
        EXPECT_EQ(read.format, c.format);
        EXPECT_EQ(read.bit_rate, c.bit_rate);
        ASSERT_EQ(read.tracks.size(), c.tracks);
        for (size_t t = 0; t < c.tracks; t++) {
            const std::vector<uint8_t>& bits = read.tracks[t].bits;
            ASSERT_EQ(bits.size(), c.decoded_bits) << "track " << t;
            const std::vector<uint8_t> head(bits.begin(), bits.begin() + static_cast<long>(c.bits));
            ASSERT_EQ(head, written.tracks[t].bits) << "track " << t;
            for (size_t i = c.bits; i < bits.size(); i++) EXPECT_EQ(bits[i], 1) << "track " << t << " bit " << i;
        }
    }
}

// Each nibble is read by its fourth cell (bit 3): set is a space, clear a
// mark, whatever the other cells hold; side 1 is never looked at.
TEST(HfeReader, ReadsNibblesByTheirDataCell) {
    Bytes file = mini_file();
    const size_t track = (2 + 2 * 49) * 512;
    file[track + 0] = 0x2A;        // bits 0, 1: space, mark
    file[track + 1] = 0xF0;        // bits 2, 3: $0 mark, $F space
    file[track + 2] = 0x87;        // bits 4, 5: $7 mark, $8 space
    file[track + 256] = 0xAA;      // side 1: ignored
    file[track + 511] = 0x00;      // side 1: ignored
    file[track + 512] = 0xA8;      // bits 512, 513: $8 space, $A space
    file[track + 48 * 512 + 211] = 0x2A;  // bits 24998, 24999: space, mark
    DiskSignal signal;
    std::string error;
    ASSERT_TRUE(hfe_to_signal(file, signal, error)) << error;
    const std::vector<uint8_t>& bits = signal.tracks[2].bits;
    ASSERT_EQ(bits.size(), 25000u);
    struct Bit { size_t index; uint8_t level; };
    const Bit expected[] = {{0, 0}, {1, 1}, {2, 1}, {3, 0}, {4, 1}, {5, 0}, {6, 1},
                            {511, 1}, {512, 0}, {513, 0}, {514, 1}, {24998, 0}, {24999, 1}};
    for (const Bit& b : expected) EXPECT_EQ(bits[b.index], b.level) << "bit " << b.index;
    size_t spaces = 0;
    for (uint8_t level : bits) spaces += level == 0;
    EXPECT_EQ(spaces, 6u);  // bits 0, 3, 5, 512, 513 and 24998
    for (size_t t = 0; t < 40; t++) {
        if (t == 2) continue;
        for (uint8_t level : signal.tracks[t].bits) ASSERT_EQ(level, 1) << "track " << t;
    }
}

TEST(HfeReader, AcceptsASingleSidedFile) {
    Bytes file = mini_file();
    file[10] = 1;
    DiskSignal signal;
    std::string error;
    EXPECT_TRUE(hfe_to_signal(file, signal, error)) << error;
}

TEST(HfeReader, RefusesMalformedFilesClearly) {
    struct Case {
        const char* name;
        void (*damage)(Bytes&);
        const char* error;
    };
    const Case cases[] = {
        {"empty", [](Bytes& f) { f.clear(); }, "not an HFE file (it does not start with HXCPICFE)"},
        {"shorter than the signature", [](Bytes& f) { f.resize(7); },
         "not an HFE file (it does not start with HXCPICFE)"},
        {"another signature", [](Bytes& f) { f[7] = 'X'; }, "not an HFE file (it does not start with HXCPICFE)"},
        {"version 3", [](Bytes& f) { std::memcpy(f.data(), "HXCHFEV3", 8); },
         "HFE version 3 is not supported"},
        {"header cut short", [](Bytes& f) { f.resize(100); }, "the HFE header is cut short: 100 of 512 bytes"},
        {"revision 1", [](Bytes& f) { f[8] = 1; }, "HFE format revision 1 is not supported (only 0)"},
        {"39 tracks", [](Bytes& f) { f[9] = 39; }, "39 tracks: an OSI disk has 40 (5.25-inch) or 77 (8-inch)"},
        {"80 tracks", [](Bytes& f) { f[9] = 80; }, "80 tracks: an OSI disk has 40 (5.25-inch) or 77 (8-inch)"},
        {"no sides", [](Bytes& f) { f[10] = 0; }, "0 sides: an HFE file has 1 or 2"},
        {"three sides", [](Bytes& f) { f[10] = 3; }, "3 sides: an HFE file has 1 or 2"},
        {"an 8-inch rate", [](Bytes& f) { put_u16(f, 12, 500); },
         "bit rate 500 kbit/s, but 5.25-inch disks need 250"},
        {"77 tracks at the 5.25-inch rate", [](Bytes& f) { f[9] = 77; },
         "bit rate 250 kbit/s, but 8-inch disks need 500"},
        {"track table in the header", [](Bytes& f) { put_u16(f, 18, 0); },
         "the track table would lie in the header (block 0)"},
        {"track table past the end", [](Bytes& f) { put_u16(f, 18, 1962); },
         "the track table (block 1962) lies past the end of the file (1004544 bytes)"},
        {"track table cut short", [](Bytes& f) { f.resize(512 + 100); },
         "the track table (block 1) lies past the end of the file (612 bytes)"},
        {"track in the header", [](Bytes& f) { put_u16(f, 512 + 4 * 5, 0); },
         "track 5's data would start in the header (block 0)"},
        {"track past the end", [](Bytes& f) { put_u16(f, 512 + 4 * 5, 60000); },
         "track 5's data (bytes 30720000 to 30745087) runs past the end of the file (1004544 bytes)"},
        {"last track cut short", [](Bytes& f) { f.pop_back(); },
         "track 39's data (bytes 979456 to 1004543) runs past the end of the file (1004543 bytes)"},
        {"track of no length", [](Bytes& f) { put_u16(f, 512 + 4 * 5 + 2, 0); },
         "track 5 is 0 bytes long, but one revolution of 5.25-inch disks is about 25000 bytes (both sides)"},
        {"track far too short", [](Bytes& f) { put_u16(f, 512 + 4 * 5 + 2, 22400); },
         "track 5 is 22400 bytes long, but one revolution of 5.25-inch disks is about 25000 bytes (both sides)"},
        {"track far too long", [](Bytes& f) { put_u16(f, 512 + 4 * 5 + 2, 0xFFFF); },
         "track 5 is 65535 bytes long, but one revolution of 5.25-inch disks is about 25000 bytes (both sides)"},
        {"track of an odd length", [](Bytes& f) { put_u16(f, 512 + 4 * 5 + 2, 25001); },
         "track 5 is 25001 bytes long: both sides must be the same length"},
        {"track overlapping another", [](Bytes& f) { put_u16(f, 512 + 4 * 5, read_u16_le(&f[512 + 4 * 4]) + 48); },
         "track 5's data overlaps track 4's"},
        {"track over the track table", [](Bytes& f) { put_u16(f, 512 + 4 * 5, 1); },
         "track 5's data overlaps the track table"},
        {"tracks of two lengths", [](Bytes& f) { put_u16(f, 512 + 4 * 5 + 2, 24000); },
         "track 5 is 24000 bytes long but track 0 is 25000: every track must be one revolution"},
    };
    const Bytes good = mini_file();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = good;
        c.damage(file);
        DiskSignal signal;
        signal.bit_rate = 1;
        std::string error;
        EXPECT_FALSE(hfe_to_signal(file, signal, error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(signal.bit_rate, 1) << "the signal was touched";
    }
}

// A file cut anywhere is refused, never read past its end (the sanitizer
// build checks the "never").
TEST(HfeReader, RefusesEveryTruncation) {
    const Bytes good = mini_file();
    const size_t cuts[] = {0, 1, 8, 9, 25, 26, 511, 512, 513, 671, 672, 1023, 1024, 1025,
                           1024 + 12500, 1024 + 49 * 512, 1024 + 49 * 512 + 1, good.size() / 2,
                           good.size() - 256, good.size() - 1};
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        const Bytes file(good.begin(), good.begin() + static_cast<long>(cut));
        DiskSignal signal;
        std::string error;
        EXPECT_FALSE(hfe_to_signal(file, signal, error));
        EXPECT_FALSE(error.empty());
    }
}

// Any value in any header field or in the first and last track entries either
// is refused or gives a whole signal; nothing is read outside the file.
TEST(HfeReader, SurvivesAnyValueInHeaderAndTableFields) {
    const Bytes good = mini_file();
    std::vector<size_t> positions;
    for (size_t i = 8; i < 26; i++) positions.push_back(i);
    for (size_t i = 512; i < 512 + 4; i++) positions.push_back(i);
    for (size_t i = 512 + 4 * 39; i < 512 + 4 * 40; i++) positions.push_back(i);
    for (size_t position : positions) {
        for (uint8_t value : {0x00, 0x01, 0x4D, 0x80, 0xFE, 0xFF}) {
            SCOPED_TRACE("byte " + std::to_string(position) + " = " + std::to_string(value));
            Bytes file = good;
            file[position] = value;
            DiskSignal signal;
            std::string error;
            if (hfe_to_signal(file, signal, error)) {
                ASSERT_EQ(signal.tracks.size(), 40u);
                for (const TrackSignal& track : signal.tracks) {
                    ASSERT_EQ(track.bits.size(), signal.tracks[0].bits.size());
                }
            } else {
                EXPECT_FALSE(error.empty());
            }
        }
    }
}

}  // namespace
