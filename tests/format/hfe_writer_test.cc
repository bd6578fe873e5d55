// The HFE writer against files worked out by hand from the HFE v1 layout:
// header, track table, the four-cell nibbles of each serial bit, blank side 1.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "format/hfe_writer.h"
#include "idle_signal.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct FormatCase {
    const char* name;
    DiskFormat format;
    double bit_rate;
    size_t tracks;
    size_t bits;              // bit times per revolution
    uint8_t header[26];       // the used part of the header, longhand
    size_t side_bytes;        // bits / 2, rounded up
    size_t blocks_per_track;  // side_bytes / 256, rounded up
    size_t file_size;         // (2 + tracks * blocks) * 512
};

const FormatCase FORMATS[] = {
    {"5.25-inch",
     DiskFormat::mini,
     125000,
     40,
     25000,
     {'H', 'X', 'C', 'P', 'I', 'C', 'F', 'E',
      0x00,        // revision
      40,          // tracks
      2,           // sides
      0xFF,        // track encoding
      0xFA, 0x00,  // 250 kbit/s
      0x2C, 0x01,  // 300 rpm
      0x07,        // generic Shugart
      0x00,        // reserved
      0x01, 0x00,  // track table in block 1
      0xFF,        // write allowed
      0xFF,        // single step
      0xFF, 0xFF,  // track 0 side 0: no alternative encoding
      0xFF, 0xFF}, // track 0 side 1: the same
     12500,
     49,
     (2 + 40 * 49) * 512},
    {"8-inch",
     DiskFormat::full,
     250000,
     77,
     41667,
     {'H', 'X', 'C', 'P', 'I', 'C', 'F', 'E',
      0x00, 77, 2, 0xFF,
      0xF4, 0x01,  // 500 kbit/s
      0x68, 0x01,  // 360 rpm: 250000 * 60 / 41667 = 359.997
      0x07, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
     20834,
     82,
     (2 + 77 * 82) * 512},
};

uint16_t u16_at(const Bytes& file, size_t offset) {
    return static_cast<uint16_t>(file[offset] | file[offset + 1] << 8);
}

TEST(HfeWriter, HeaderTrackTableAndSizeForBothFormats) {
    for (const FormatCase& c : FORMATS) {
        SCOPED_TRACE(c.name);
        const DiskSignal signal = idle_signal(c.format, c.bit_rate, c.tracks, c.bits);
        Bytes file;
        std::string error;
        ASSERT_TRUE(signal_to_hfe(signal, file, error)) << error;
        ASSERT_EQ(file.size(), c.file_size);
        for (size_t i = 0; i < sizeof c.header; i++) EXPECT_EQ(file[i], c.header[i]) << "header byte " << i;
        for (size_t i = sizeof c.header; i < 512; i++) ASSERT_EQ(file[i], 0xFF) << "header byte " << i;

        for (size_t t = 0; t < c.tracks; t++) {
            EXPECT_EQ(u16_at(file, 512 + 4 * t), 2 + t * c.blocks_per_track) << "track " << t;
            EXPECT_EQ(u16_at(file, 512 + 4 * t + 2), 2 * c.side_bytes) << "track " << t;
        }
        for (size_t i = 512 + 4 * c.tracks; i < 1024; i++) ASSERT_EQ(file[i], 0xFF) << "table byte " << i;

        HfeLayout layout;
        ASSERT_TRUE(hfe_layout_for(signal, layout, error)) << error;
        EXPECT_EQ(layout.side_bytes, c.side_bytes);
        EXPECT_EQ(layout.track_blocks, c.blocks_per_track);
        EXPECT_EQ(layout.file_size, c.file_size);
    }
}

// Cells LSB first, four to a serial bit, the earlier bit in the low nibble:
// a space is $A (cells 0,1,0,1), a mark $2 (cells 0,1,0,0).
TEST(HfeWriter, SerialBitsBecomeNibblesInSideZeroChunks) {
    DiskSignal signal = idle_signal(DiskFormat::mini, 125000, 40, 25000);
    std::vector<uint8_t>& bits = signal.tracks[3].bits;
    bits[0] = 0;      // byte 0: space, mark -> $2A
    bits[2] = 0;      // byte 1: space, space -> $AA
    bits[3] = 0;
    bits[511] = 0;    // byte 255, the last of the first chunk: mark, space -> $A2
    bits[512] = 0;    // byte 256, the first of block 1: $2A
    bits[24999] = 0;  // byte 12499, the last: mark, space -> $A2
    Bytes file;
    std::string error;
    ASSERT_TRUE(signal_to_hfe(signal, file, error)) << error;

    const size_t track = (2 + 3 * 49) * 512;
    struct Cell { size_t offset; uint8_t value; const char* what; };
    const Cell cells[] = {
        {0, 0x2A, "bits 0-1"},
        {1, 0xAA, "bits 2-3"},
        {2, 0x22, "bits 4-5, idle"},
        {255, 0xA2, "bits 510-511"},
        {256, 0x11, "side 1, block 0"},
        {511, 0x11, "side 1, block 0 end"},
        {512, 0x2A, "bits 512-513 in block 1"},
        {513, 0x22, "bits 514-515"},
        {48 * 512 + 211, 0xA2, "bits 24998-24999 in block 48"},
        {48 * 512 + 212, 0x22, "padding after the revolution"},
        {48 * 512 + 255, 0x22, "padding, end of side 0"},
        {48 * 512 + 256, 0x11, "side 1 of the last block"},
        {48 * 512 + 511, 0x11, "end of the track"},
    };
    for (const Cell& cell : cells) {
        SCOPED_TRACE(cell.what);
        EXPECT_EQ(file[track + cell.offset], cell.value);
    }
    // The other tracks are idle throughout: $22 on side 0, $11 on side 1.
    const size_t other = (2 + 4 * 49) * 512;
    for (size_t i = 0; i < 49 * 512; i++) {
        ASSERT_EQ(file[other + i], i % 512 < 256 ? 0x22 : 0x11) << "track 4 byte " << i;
    }
}

// An odd number of bits per revolution: the last bit fills a low nibble and
// the high one idles.
TEST(HfeWriter, OddRevolutionEndsInHalfAByte) {
    DiskSignal signal = idle_signal(DiskFormat::full, 250000, 77, 41667);
    signal.tracks[76].bits[41666] = 0;
    Bytes file;
    std::string error;
    ASSERT_TRUE(signal_to_hfe(signal, file, error)) << error;
    const size_t track = (2 + 76 * 82) * 512;
    EXPECT_EQ(file.size(), track + 82 * 512);
    EXPECT_EQ(file[track + 81 * 512 + 96], 0x22);  // side byte 20832: bits 41664-41665
    EXPECT_EQ(file[track + 81 * 512 + 97], 0x2A);  // side byte 20833: bit 41666, then idle
}

TEST(HfeWriter, RefusesSignalsNoHeaderCanDescribe) {
    struct Case {
        const char* name;
        DiskSignal signal;
        const char* error;
    };
    DiskSignal uneven = idle_signal(DiskFormat::mini, 125000, 40, 25000);
    uneven.tracks[7].bits.push_back(1);
    const Case cases[] = {
        {"too few tracks", idle_signal(DiskFormat::mini, 125000, 39, 25000),
         "the signal has 39 tracks; 5.25-inch disks have 40"},
        {"5.25-inch tracks on an 8-inch disk", idle_signal(DiskFormat::full, 250000, 40, 41667),
         "the signal has 40 tracks; 8-inch disks have 77"},
        {"tracks of two lengths", uneven, "track 7 is not as long as track 0"},
        {"empty tracks", idle_signal(DiskFormat::mini, 125000, 40, 0), "the tracks are empty"},
        {"a rate of no whole kbit/s", idle_signal(DiskFormat::mini, 125100.5, 40, 25000),
         "a serial rate of 125100.5 bit/s has no HFE bit rate"},
        {"no rate", idle_signal(DiskFormat::mini, 0, 40, 25000),
         "a serial rate of 0 bit/s has no HFE bit rate"},
        // 70000 bits -> 35000 bytes a side -> 70000 for both: more than a u16.
        {"a revolution too long", idle_signal(DiskFormat::mini, 125000, 40, 70000),
         "a revolution of 70000 bits is too long for an HFE track"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file(3, 0);
        std::string error;
        EXPECT_FALSE(signal_to_hfe(c.signal, file, error));
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(file.empty());
    }
}

}  // namespace
