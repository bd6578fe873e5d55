// The data pass: headers, counts, addresses and chunks of every track it
// writes, and not one byte more.
#include <gtest/gtest.h>

#include <cstring>

#include "image/data_tracks.h"
#include "image_fixture.h"

namespace {

constexpr uint8_t UNTOUCHED = 0xA5;

struct DataCase {
    DiskFormat format;
    size_t size;
    uint16_t load;
};

const DataCase DATA_CASES[] = {
    {DiskFormat::mini, 1, 0x0300},     {DiskFormat::mini, 253, 0x0300},
    {DiskFormat::mini, 254, 0x0300},   {DiskFormat::mini, 256, 0x0300},
    {DiskFormat::mini, 2045, 0x0300},  {DiskFormat::mini, 2046, 0x0300},
    {DiskFormat::mini, 5000, 0x0300},  {DiskFormat::mini, 75665, 0x0200},
    {DiskFormat::mini, 8192, 0xF000},  // wraps past $FFFF
    {DiskFormat::full, 1, 0x0300},     {DiskFormat::full, 3069, 0x0300},
    {DiskFormat::full, 3070, 0x0300},  {DiskFormat::full, 5000, 0x8000},
    {DiskFormat::full, 227106, 0x0000},
};

}  // namespace

TEST(DataTracks, EveryWrittenByteAndNoOther) {
    for (const DataCase& c : DATA_CASES) {
        const DiskGeometry& g = geometry_for(c.format);
        SCOPED_TRACE(std::string(g.name) + " size " + std::to_string(c.size));
        const Bytes program = pattern_bytes(c.size, static_cast<uint32_t>(c.size));
        DiskImage image;
        ASSERT_TRUE(allocate_image(g, image));
        std::memset(image.bytes.get(), UNTOUCHED, image.size);
        write_data_tracks(loader_options(c.format, c.load), g, program, image);

        const size_t payload = c.format == DiskFormat::mini ? 2045 : 3069;
        const int pages = c.format == DiskFormat::mini ? 8 : 12;
        const size_t n = (c.size + payload - 1) / payload;
        std::vector<bool> written(image.size, false);
        size_t done = 0;
        for (size_t t = 1; t <= n + 1; t++) {
            SCOPED_TRACE("track " + std::to_string(t));
            const size_t chunk = std::min(payload, c.size - done);
            const size_t expected_count = chunk == 0 ? 0 : (chunk + 3 + 255) / 256;
            const uint16_t address = static_cast<uint16_t>(c.load + done);
            const uint8_t* slot = image.bytes.get() + t * g.track_slot_size;
            const uint8_t header[10] = {0x43, 0x57, static_cast<uint8_t>((t / 10) * 16 + t % 10), 0x58, 0x76, 0x01,
                                        static_cast<uint8_t>(pages), static_cast<uint8_t>(expected_count),
                                        static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address & 0xFF)};
            for (size_t k = 0; k < 10; k++) EXPECT_EQ(slot[k], header[k]) << "header byte " << k;
            EXPECT_EQ(0, std::memcmp(slot + 10, program.data() + done, chunk));
            for (size_t k = 0; k < 10 + chunk; k++) written[t * g.track_slot_size + k] = true;
            done += chunk;
        }
        EXPECT_EQ(done, c.size);
        size_t stray = 0;
        for (size_t i = 0; i < image.size; i++) {
            if (!written[i] && image.bytes[i] != UNTOUCHED) stray++;
        }
        EXPECT_EQ(stray, 0u);
    }
}

TEST(DataTracks, FinalChunkPageCounts) {
    // 253 + 3 bytes fill one page; 254 + 3 need a second.
    struct Case { size_t size; uint8_t last_count; };
    const Case cases[] = {{2045 + 253, 1}, {2045 + 254, 2}, {2045 + 256, 2}, {2045 + 509, 2}, {2045 + 510, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const std::vector<uint8_t> image = build(loader_options(DiskFormat::mini, 0x0300), Bytes(c.size, 1));
        EXPECT_EQ(image[2304 + 7], 8);
        EXPECT_EQ(image[2 * 2304 + 7], c.last_count);
        EXPECT_EQ(image[3 * 2304 + 7], 0);  // terminator
    }
}

TEST(DataTracks, OneByteProgramWorkedExample) {
    const std::vector<uint8_t> image = build(loader_options(DiskFormat::mini, 0x0300), Bytes{0xEA});
    const uint8_t track1[] = {0x43, 0x57, 0x01, 0x58, 0x76, 0x01, 0x08, 0x01, 0x03, 0x00, 0xEA};
    const uint8_t track2[] = {0x43, 0x57, 0x02, 0x58, 0x76, 0x01, 0x08, 0x00, 0x03, 0x01};
    EXPECT_EQ(0, std::memcmp(&image[2304], track1, sizeof track1));
    EXPECT_EQ(0, std::memcmp(&image[2 * 2304], track2, sizeof track2));
    EXPECT_EQ(image[2304 + sizeof track1], 0);
    EXPECT_EQ(image[2 * 2304 + sizeof track2], 0);
}

TEST(DataTracks, LimitsLeaveTheLastTrackWithItsHeaderOnly) {
    struct Case { DiskFormat format; size_t size; int terminator; };
    const Case cases[] = {{DiskFormat::mini, 75665, 38}, {DiskFormat::full, 227106, 75}};
    for (const Case& c : cases) {
        const DiskGeometry& g = geometry_for(c.format);
        SCOPED_TRACE(g.name);
        const std::vector<uint8_t> image = build(loader_options(c.format, 0x0200), Bytes(c.size, 0xEE));
        const size_t term = c.terminator * g.track_slot_size;
        EXPECT_EQ(image[term + 4], 0x76);
        EXPECT_EQ(image[term + 7], 0);
        const uint16_t end = static_cast<uint16_t>(0x0200 + c.size);
        EXPECT_EQ(image[term + 8], end >> 8);
        EXPECT_EQ(image[term + 9], end & 0xFF);
        const size_t last = (c.terminator + 1) * g.track_slot_size;
        for (size_t k = 4; k < g.track_slot_size; k++) {
            if (image[last + k] != 0) FAIL() << "last track byte " << k;
        }
    }
}

TEST(DataTracks, WrapPastTopOfMemory) {
    // $F000 + 8192 = $11000: five chunks 2045 bytes apart, wrapping after the
    // third, and the terminator at $1000.
    const std::vector<uint8_t> image = build(loader_options(DiskFormat::mini, 0xF000), Bytes(8192, 1));
    const uint16_t expected[] = {0xF000, 0xF7FD, 0xFFFA, 0x07F7, 0x0FF4, 0x1000};
    for (int t = 1; t <= 6; t++) {
        SCOPED_TRACE(t);
        EXPECT_EQ(image[t * 2304 + 8], expected[t - 1] >> 8);
        EXPECT_EQ(image[t * 2304 + 9], expected[t - 1] & 0xFF);
    }
}
