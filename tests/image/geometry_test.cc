// The two geometries, their limits and the formatted track headers.
#include <gtest/gtest.h>

#include "image/geometry.h"
#include "image_fixture.h"

TEST(Geometry, TablesAndLimits) {
    const DiskGeometry& mini = geometry_for(DiskFormat::mini);
    const DiskGeometry& full = geometry_for(DiskFormat::full);
    EXPECT_EQ(mini.image_size, 92160u);
    EXPECT_EQ(full.image_size, 295680u);
    EXPECT_EQ(mini.track_slot_size, 2304u);
    EXPECT_EQ(full.track_slot_size, 3840u);
    EXPECT_EQ(max_input_loader(mini), 75665u);
    EXPECT_EQ(max_input_loader(full), 227106u);
    EXPECT_EQ(max_input_raw(mini), 2045u);
    EXPECT_EQ(max_input_raw(full), 3069u);
    EXPECT_EQ(mini.directory_track, 12);
    EXPECT_EQ(full.directory_track, 8);
}

TEST(Geometry, DataTrackCountRoundsUp) {
    const DiskGeometry& mini = geometry_for(DiskFormat::mini);
    const DiskGeometry& full = geometry_for(DiskFormat::full);
    struct Case { const DiskGeometry* g; size_t size; int tracks; };
    const Case cases[] = {
        {&mini, 1, 1}, {&mini, 2045, 1}, {&mini, 2046, 2}, {&mini, 5000, 3}, {&mini, 75665, 37},
        {&full, 3069, 1}, {&full, 3070, 2}, {&full, 227106, 74},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        EXPECT_EQ(data_track_count(*c.g, c.size), c.tracks);
    }
}

TEST(Geometry, BcdTrackNumbers) {
    EXPECT_EQ(to_bcd(0), 0x00);
    EXPECT_EQ(to_bcd(9), 0x09);
    EXPECT_EQ(to_bcd(10), 0x10);
    EXPECT_EQ(to_bcd(39), 0x39);
    EXPECT_EQ(to_bcd(76), 0x76);
}

// Raw mode writes no data tracks, so every slot but 0 and the directory's
// shows the formatting alone.
TEST(Geometry, FormattedImageHasHeadersOnEveryTrackButZero) {
    for (DiskFormat format : {DiskFormat::mini, DiskFormat::full}) {
        const DiskGeometry& g = geometry_for(format);
        SCOPED_TRACE(g.name);
        ImageOptions options = loader_options(format, 0x2200);
        options.raw_boot = true;
        const std::vector<uint8_t> image = build(options, Bytes{0xEA});
        ASSERT_EQ(image.size(), g.image_size);
        for (int t = 1; t < g.track_count; t++) {
            SCOPED_TRACE(t);
            const size_t at = t * g.track_slot_size;
            EXPECT_EQ(image[at + 0], 0x43);
            EXPECT_EQ(image[at + 1], 0x57);
            EXPECT_EQ(image[at + 2], (t / 10) * 16 + t % 10);
            EXPECT_EQ(image[at + 3], 0x58);
            if (t == g.directory_track) continue;
            for (size_t k = 4; k < g.track_slot_size; k++) {
                if (image[at + k] != 0) FAIL() << "byte " << k << " of track " << t;
            }
        }
    }
    // The spot checks worked out by hand.
    ImageOptions options = loader_options(DiskFormat::mini, 0x2200);
    options.raw_boot = true;
    const std::vector<uint8_t> mini = build(options, Bytes{0xEA});
    EXPECT_EQ(mini[2304 + 2], 0x01);
    EXPECT_EQ(mini[89856 + 2], 0x39);
    options.format = DiskFormat::full;
    const std::vector<uint8_t> full = build(options, Bytes{0xEA});
    EXPECT_EQ(full[76 * 3840 + 2], 0x76);
}
