// The one disk-reading step: .65d images, HFE files and osiemu bit streams
// into track slots. Round trips through both bit formats, HFE files with the
// properties other tools give them (built here byte by byte), and files that
// are wrong in every way a reader meets.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "disk/disk_file.h"
#include "format/hfe_writer.h"
#include "format/osi_stream_writer.h"
#include "support/temp_dir.h"

namespace {

enum class Writer { hfe, osi_stream };

// The serial frame by its definition: start 0, data LSB first, even parity, stop 1.
void append_frame(std::vector<uint8_t>& bits, uint8_t byte) {
    bits.push_back(0);
    int ones = 0;
    for (int bit = 0; bit < 8; bit++) {
        bits.push_back(byte >> bit & 1);
        ones += byte >> bit & 1;
    }
    bits.push_back(static_cast<uint8_t>(ones % 2));
    bits.push_back(1);
}

// Every slot byte that fits after the lead-in comes back, the rest are zero:
// fitting = (bits per revolution - lead-in bits) / 11, worked out by hand
// below from 25000 / 41667 bit times per revolution and 125 / 250 kbit/s.
TEST(DiskFile, RoundTripsGiveBackEveryByteThatFits) {
    struct Case {
        const char* name;
        DiskFormat format;
        Writer writer;
        double lead_in_us;  // 0: the format's default
        size_t fitting;
    };
    const Case cases[] = {
        {"5.25-inch HFE, default lead-in (1463 bits)", DiskFormat::mini, Writer::hfe, 0, 2139},
        {"5.25-inch stream, default lead-in", DiskFormat::mini, Writer::osi_stream, 0, 2139},
        {"5.25-inch HFE, 6000 us (750 bits)", DiskFormat::mini, Writer::hfe, 6000, 2204},
        {"5.25-inch stream, 20000 us (2500 bits)", DiskFormat::mini, Writer::osi_stream, 20000, 2045},
        {"8-inch HFE, default lead-in (800 bits)", DiskFormat::full, Writer::hfe, 0, 3715},
        {"8-inch stream, default lead-in", DiskFormat::full, Writer::osi_stream, 0, 3715},
        {"8-inch stream, 3100 us (775 bits)", DiskFormat::full, Writer::osi_stream, 3100, 3717},
        {"8-inch HFE, 10000 us (2500 bits)", DiskFormat::full, Writer::hfe, 10000, 3560},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DiskGeometry& g = geometry_for(c.format);
        const Bytes image = pattern_bytes(g.image_size, 7);
        DiskFile disk;
        std::string error;
        ASSERT_TRUE(read_disk_bytes("in.65d", image, disk, error)) << error;
        ASSERT_TRUE(lay_out_disk_signal(disk, "in.65d", c.lead_in_us > 0 ? &c.lead_in_us : nullptr, error)) << error;
        Bytes file;
        const bool written = c.writer == Writer::hfe ? signal_to_hfe(disk.signal, file, error)
                                                     : signal_to_osi_stream(disk.signal, file, error);
        ASSERT_TRUE(written) << error;

        DiskFile back;
        ASSERT_TRUE(read_disk_bytes("out", file, back, error)) << error;
        EXPECT_EQ(back.kind, c.writer == Writer::hfe ? DiskFileKind::hfe : DiskFileKind::osi_stream);
        ASSERT_EQ(back.geometry, &g);
        ASSERT_EQ(back.decoded.size(), static_cast<size_t>(g.track_count));
        for (int t = 0; t < g.track_count; t++) {
            SCOPED_TRACE("track " + std::to_string(t));
            const TrackDecodeReport& report = back.decoded[static_cast<size_t>(t)];
            ASSERT_EQ(report.bytes, c.fitting);
            ASSERT_EQ(report.parity_errors + report.framing_errors, 0u);
            const size_t slot = track_offset(g, t);
            for (size_t i = 0; i < g.track_slot_size; i++) {
                ASSERT_EQ(back.image[slot + i], i < c.fitting ? image[slot + i] : 0) << "byte " << i;
            }
        }
    }
}

// An HFE file as other tools write it: 0 in the track encoding and rpm
// fields, and tracks of 213 ms (the length of an osiemu track block), here
// carrying more frames than one revolution would. Laid out from the HFE
// layout's definition: each serial bit four cells (clock in the second,
// data in the fourth for a space), LSB first, two bits a byte, side 0 in the
// first 256 bytes of each 512-byte block.
Bytes foreign_hfe(DiskFormat format, size_t frames) {
    const DiskGeometry& g = geometry_for(format);
    const bool mini = format == DiskFormat::mini;
    const size_t track_bits = mini ? 3328 * 8 : 5376 * 8;
    const size_t side_bytes = track_bits / 2;
    const size_t blocks = side_bytes / 256;
    Bytes file(512 * (2 + blocks * static_cast<size_t>(g.track_count)), 0x00);
    std::memcpy(file.data(), "HXCPICFE", 8);
    file[9] = static_cast<uint8_t>(g.track_count);
    file[10] = 2;                  // sides
    file[11] = 0;                  // track encoding: 0
    file[12] = mini ? 250 : 0xF4;  // bit rate 250 or 500 kbit/s, little-endian
    file[13] = mini ? 0 : 0x01;
    file[14] = file[15] = 0;       // rpm: 0
    file[18] = 1;                  // track table in block 1
    for (int t = 0; t < g.track_count; t++) {
        const size_t block = 2 + blocks * static_cast<size_t>(t);
        file[512 + 4 * t] = static_cast<uint8_t>(block & 0xFF);
        file[512 + 4 * t + 1] = static_cast<uint8_t>(block >> 8);
        file[512 + 4 * t + 2] = static_cast<uint8_t>(side_bytes * 2 & 0xFF);
        file[512 + 4 * t + 3] = static_cast<uint8_t>(side_bytes * 2 >> 8);
        std::vector<uint8_t> bits(400, 1);
        for (size_t i = 0; i < frames; i++) append_frame(bits, static_cast<uint8_t>(t * 7 + i));
        bits.resize(track_bits, 1);
        for (size_t i = 0; i < side_bytes; i++) {
            const auto nibble = [](uint8_t bit) { return static_cast<uint8_t>(0x02 | (bit ? 0 : 0x08)); };
            file[block * 512 + (i / 256) * 512 + i % 256] =
                static_cast<uint8_t>(nibble(bits[2 * i]) | nibble(bits[2 * i + 1]) << 4);
        }
    }
    return file;
}

TEST(DiskFile, ReadsHfeFilesFromOtherTools) {
    for (DiskFormat format : {DiskFormat::mini, DiskFormat::full}) {
        const DiskGeometry& g = geometry_for(format);
        SCOPED_TRACE(g.name);
        const size_t frames = format == DiskFormat::mini ? 2200 : 3830;  // past 25000 / 41667 bit times
        DiskFile disk;
        std::string error;
        ASSERT_TRUE(read_disk_bytes("foreign.hfe", foreign_hfe(format, frames), disk, error)) << error;
        ASSERT_EQ(disk.geometry, &g);
        for (int t = 0; t < g.track_count; t++) {
            const TrackDecodeReport& report = disk.decoded[static_cast<size_t>(t)];
            ASSERT_EQ(report.bytes, frames);
            ASSERT_EQ(report.parity_errors + report.framing_errors, 0u);
            const uint8_t* slot = disk.image.data() + track_offset(g, t);
            ASSERT_EQ(slot[0], static_cast<uint8_t>(t * 7));
            ASSERT_EQ(slot[frames - 1], static_cast<uint8_t>(t * 7 + frames - 1));
            ASSERT_EQ(slot[frames], 0);
        }
    }
}

// A 5.25-inch bit stream whose every track block holds the same bytes.
Bytes stream_of(uint8_t type, size_t size, uint8_t fill, bool random) {
    Bytes file(size, fill);
    std::memcpy(file.data(), "OSIDISKBITSTREAM", 16);
    file[16] = 0x01;
    file[17] = type;
    file[18] = 0x01;
    std::mt19937 generator(15);
    if (random) {
        for (size_t i = 256; i < file.size(); i++) file[i] = static_cast<uint8_t>(generator());
    }
    return file;
}

TEST(DiskFile, BadInputGivesAMessageOrATrackReport) {
    const std::string sizes = "an image is 92160 bytes (5.25-inch) or 295680 bytes (8-inch)";
    Bytes v3(2000, 0);
    std::memcpy(v3.data(), "HXCHFEV3", 8);
    Bytes short_hfe(300, 0);
    std::memcpy(short_hfe.data(), "HXCPICFE", 8);
    struct Case {
        const char* name;
        Bytes file;
        std::string error;  // empty: read, with the per-track figures below
        size_t bytes_per_track, framing_errors_per_track;
    };
    const Case cases[] = {
        {"HFE version 3", v3, "'d': HFE version 3 is not supported", 0, 0},
        {"HFE cut short", short_hfe, "'d': the HFE header is cut short: 300 of 512 bytes", 0, 0},
        {"stream whose type disagrees with its size", stream_of(0x01, 133376, 0xFF, false),
         "'d': a type 1 bit stream (8-inch, 77 tracks of 5376 bytes) is 414208 bytes, but this one is 133376", 0, 0},
        {"stream cut short", stream_of(0x00, 133000, 0xFF, false),
         "'d': a type 0 bit stream (5.25-inch, 40 tracks of 3328 bytes) is 133376 bytes, but this one is 133000", 0, 0},
        {"no disk at all", Bytes(1000, 0x4C), "'d' is 1000 bytes; " + sizes, 0, 0},
        // All ones: an unformatted track, nothing heard.
        {"stream of all ones", stream_of(0x00, 133376, 0xFF, false), "", 0, 0},
        // All zeros: 26624 / 11 frames of $00 without stop bits, the slot's 2304 taken.
        {"stream of all zeros", stream_of(0x00, 133376, 0x00, false), "", 2304, 2304},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiskFile disk;
        std::string error;
        const bool read = read_disk_bytes("d", c.file, disk, error);
        EXPECT_EQ(error, c.error);
        if (!read) continue;
        ASSERT_EQ(disk.decoded.size(), 40u);
        for (const TrackDecodeReport& track : disk.decoded) {
            ASSERT_EQ(track.bytes, c.bytes_per_track);
            ASSERT_EQ(track.framing_errors, c.framing_errors_per_track);
            ASSERT_EQ(track.parity_errors, 0u);
        }
    }
    // Random bits: whatever is heard fits the slots and is reported.
    DiskFile disk;
    std::string error;
    ASSERT_TRUE(read_disk_bytes("d", stream_of(0x00, 133376, 0, true), disk, error)) << error;
    for (const TrackDecodeReport& track : disk.decoded) {
        EXPECT_LE(track.bytes, 2304u);
        EXPECT_GT(track.parity_errors + track.framing_errors, 0u);
    }
    EXPECT_EQ(disk.image.size(), 92160u);
}

}  // namespace
