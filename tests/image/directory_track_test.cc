// The directory track: template, labels, and what survives data tracks on it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "image/directory_track.h"
#include "image_fixture.h"

namespace {

// Entry i's offset worked out from the sector layout: 7 + 8i, or 12 + 8i
// once sector 1's trailer and sector 2's header come in between.
size_t entry_at(size_t i) { return i < 32 ? 7 + 8 * i : 12 + 8 * i; }

std::string name_of(const std::vector<uint8_t>& slot, size_t i) {
    return std::string(slot.begin() + entry_at(i), slot.begin() + entry_at(i) + 6);
}

std::vector<uint8_t> directory_slot(const ImageOptions& options, const Bytes& program) {
    const DiskGeometry& g = geometry_for(options.format);
    const std::vector<uint8_t> image = build(options, program);
    const size_t at = g.directory_track * g.track_slot_size;
    return std::vector<uint8_t>(image.begin() + at, image.begin() + at + g.track_slot_size);
}

void expect_default_label(const std::vector<uint8_t>& slot, uint8_t track_bcd) {
    const uint8_t head[] = {0x43, 0x57, track_bcd, 0x58, 0x76, 0x01, 0x01};
    EXPECT_EQ(0, std::memcmp(slot.data(), head, sizeof head));
    const char* names[] = {"SPIN  ", "LOAD  ", "IS NOT", "OS65D "};
    for (size_t i = 0; i < 64; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(name_of(slot, i), i < 4 ? names[i] : "######");
        EXPECT_EQ(slot[entry_at(i) + 6], i < 4 ? 0x12 : 0);
        EXPECT_EQ(slot[entry_at(i) + 7], i < 4 ? 0x12 : 0);
    }
    EXPECT_EQ(slot[263], 'G');
    EXPECT_EQ(slot[264], 'S');
    EXPECT_EQ(slot[265], 0x76);
    EXPECT_EQ(slot[266], 0x02);
    EXPECT_EQ(slot[267], 0x01);
    EXPECT_EQ(slot[524], 'G');
    EXPECT_EQ(slot[525], 'S');
    for (size_t k = 526; k < slot.size(); k++) {
        if (slot[k] != 0) FAIL() << "directory slot byte " << k;
    }
}

ImageOptions labelled(DiskFormat format, const std::vector<uint8_t>& label, bool raw = false) {
    ImageOptions options = loader_options(format, raw ? 0x2200 : 0x0300);
    options.label = label;
    options.raw_boot = raw;
    return options;
}

}  // namespace

TEST(DirectoryTrack, DefaultLabelOnBothFormats) {
    expect_default_label(directory_slot(loader_options(DiskFormat::mini, 0x0300), Bytes(20450, 1)), 0x12);
    expect_default_label(directory_slot(loader_options(DiskFormat::full, 0x0300), Bytes(18414, 1)), 0x08);
    EXPECT_EQ(DIRECTORY_TEMPLATE.size(), 526u);
}

TEST(DirectoryTrack, LabelsCutIntoEntries) {
    struct Entry { size_t index; std::string name; uint8_t first; uint8_t last; };
    struct Case {
        const char* name;
        DiskFormat format;
        std::vector<uint8_t> label;
        bool raw;
        size_t program_size;
        std::vector<Entry> entries;
    };
    const std::string full_label = [] {
        std::string s;
        for (int i = 0; i < 384; i++) s += static_cast<char>('A' + i % 26);
        return s;
    }();
    const Case cases[] = {
        {"six characters", DiskFormat::mini, label_bytes("ABCDEF"), false, 5000,
         {{0, "ABCDEF", 1, 4}, {1, "######", 2, 2}, {38, "######", 39, 39}, {39, "######", 0, 0},
          {40, "######", 1, 1}, {63, "######", 24, 24}}},
        {"seven characters", DiskFormat::mini, label_bytes("ABCDEFG"), false, 5000,
         {{0, "ABCDEF", 1, 4}, {1, "G     ", 2, 2}, {2, "######", 3, 3}}},
        {"8-inch modulus", DiskFormat::full, label_bytes("ABCDEF"), false, 5000,
         {{0, "ABCDEF", 1, 3}, {63, "######", 0x40, 0x40}}},
        {"raw boot: n is 1", DiskFormat::mini, label_bytes("BOOT"), true, 100,
         {{0, "BOOT  ", 1, 2}, {1, "######", 2, 2}}},
        {"zero byte ends the label", DiskFormat::mini, {'A', 'B', 0x00, 'X', 'Y'}, false, 1,
         {{0, "AB    ", 1, 2}, {1, "######", 2, 2}}},
        {"full 384 characters", DiskFormat::mini, std::vector<uint8_t>(full_label.begin(), full_label.end()), false, 1,
         {{0, "ABCDEF", 1, 2}, {32, full_label.substr(192, 6), 33, 33},
          {63, full_label.substr(378, 6), 24, 24}}},
        {"bytes used as they are", DiskFormat::mini, {0xE9, 'a', '#'}, false, 1,
         {{0, "\xE9" "a#   ", 1, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> slot = directory_slot(labelled(c.format, c.label, c.raw), Bytes(c.program_size, 1));
        for (const Entry& e : c.entries) {
            SCOPED_TRACE(e.index);
            EXPECT_EQ(name_of(slot, e.index), e.name);
            EXPECT_EQ(slot[entry_at(e.index) + 6], e.first);
            EXPECT_EQ(slot[entry_at(e.index) + 7], e.last);
        }
        // Headers and trailers stay whatever the label.
        EXPECT_EQ(slot[4], 0x76);
        EXPECT_EQ(slot[263], 'G');
        EXPECT_EQ(slot[265], 0x76);
        EXPECT_EQ(slot[525], 'S');
    }
}

TEST(DirectoryTrack, Full384LabelLeavesNoFreeEntry) {
    const std::vector<uint8_t> slot = directory_slot(labelled(DiskFormat::mini, std::vector<uint8_t>(384, 'Q')), Bytes(1, 1));
    for (size_t i = 0; i < 64; i++) EXPECT_EQ(name_of(slot, i), "QQQQQQ") << i;
}

TEST(DirectoryTrack, LabelStartingWithZeroKeepsTheDefault) {
    expect_default_label(directory_slot(labelled(DiskFormat::mini, {0x00, 'A'}), Bytes(1, 1)), 0x12);
}

// Data tracks come after the directory pass, so on the directory track they
// win for the bytes they write and leave the rest of the directory.
TEST(DirectoryTrack, DataTracksOverlapTheDirectory) {
    struct Case {
        const char* name;
        DiskFormat format;
        size_t size;
        size_t first_surviving;  // directory bytes from here to 525 are the template's
    };
    const Case cases[] = {
        {"terminator on track 12", DiskFormat::mini, 20451, 10},
        {"terminator on track 12, longest", DiskFormat::mini, 22495, 10},
        {"505-byte chunk on track 12", DiskFormat::mini, 23000, 515},
        {"chunk covers the directory", DiskFormat::mini, 23011, 526},
        {"8-inch terminator on track 8", DiskFormat::full, 18415, 10},
        {"8-inch chunk covers the directory", DiskFormat::full, 21999, 526},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DiskGeometry& g = geometry_for(c.format);
        const Bytes program = pattern_bytes(c.size, 7);
        const std::vector<uint8_t> slot = directory_slot(loader_options(c.format, 0x0300), program);
        const size_t payload = g.track_payload;
        const size_t before = (g.directory_track - 1) * payload;  // bytes on earlier tracks
        const size_t chunk = c.size > before ? std::min(payload, c.size - before) : 0;
        EXPECT_EQ(slot[2], g.format == DiskFormat::mini ? 0x12 : 0x08);
        EXPECT_EQ(slot[4], 0x76);
        EXPECT_EQ(slot[5], 0x01);
        EXPECT_EQ(slot[6], g.sector_pages);
        EXPECT_EQ(slot[7], chunk == 0 ? 0 : (chunk + 3 + 255) / 256);
        // The terminator carries the end address; a chunk its own start.
        const uint16_t address = static_cast<uint16_t>(0x0300 + std::min(before, c.size));
        EXPECT_EQ(slot[8], address >> 8);
        EXPECT_EQ(slot[9], address & 0xFF);
        EXPECT_EQ(0, std::memcmp(slot.data() + 10, program.data() + before, chunk));
        for (size_t k = c.first_surviving; k < 526; k++) {
            EXPECT_EQ(slot[k], DIRECTORY_TEMPLATE[k]) << "directory byte " << k;
        }
    }
    // Spot checks of the surviving tail at 23000 bytes: entry 63 and "GS".
    const std::vector<uint8_t> slot = directory_slot(loader_options(DiskFormat::mini, 0x0300), Bytes(23000, 0xEE));
    EXPECT_EQ(slot[514], 0xEE);
    EXPECT_EQ(slot[515], 0x00);  // entry 62's last track byte
    EXPECT_EQ(name_of(slot, 63), "######");
    EXPECT_EQ(slot[524], 'G');
}
