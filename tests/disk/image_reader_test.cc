// The image reader on images built in memory, some of them tweaked by hand:
// boot track kinds, the loader's walk, chunk lengths, memory warnings, the
// label, and bounds safety on arbitrary bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "disk/image_reader.h"
#include "image/image_fixture.h"

namespace {

constexpr size_t MINI_SLOT = 2304;
constexpr size_t FULL_SLOT = 3840;

ImageFacts read(const Bytes& image) { return read_image(image.data(), image.size()); }

ImageOptions raw_options(DiskFormat format) {
    ImageOptions options;
    options.format = format;
    options.raw_boot = true;
    options.load_address = 0x2200;
    return options;
}

// The (code, track) pairs of the warnings, to compare as a set.
std::set<std::pair<std::string, int>> warning_set(const ImageFacts& facts) {
    std::set<std::pair<std::string, int>> codes;
    for (const ImageWarning& w : facts.warnings) codes.insert({warning_code_name(w.code), w.track});
    return codes;
}

bool has_warning(const ImageFacts& facts, WarningCode code, int track) {
    for (const ImageWarning& w : facts.warnings) {
        if (w.code == code && w.track == track) return true;
    }
    return false;
}

void put_address(Bytes& image, size_t slot, size_t track, uint16_t address) {
    image[track * slot + 8] = static_cast<uint8_t>(address >> 8);
    image[track * slot + 9] = static_cast<uint8_t>(address & 0xFF);
}

}  // namespace

TEST(ImageReader, FormatComesFromTheSizeAlone) {
    struct Case { size_t size; const char* format; };
    const Case cases[] = {{92160, "5.25-inch"}, {295680, "8-inch"}, {0, nullptr}, {1000, nullptr},
                          {92159, nullptr},     {92161, nullptr},     {295681, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const Bytes image(c.size, 0);
        const ImageFacts facts = read_image(image.data(), image.size());
        if (!c.format) {
            EXPECT_EQ(facts.geometry, nullptr);
            continue;
        }
        ASSERT_NE(facts.geometry, nullptr);
        EXPECT_STREQ(facts.geometry->name, c.format);
        EXPECT_EQ(facts.boot.mode, BootMode::unknown);  // all zeros: header $0000, 0 pages
    }
    EXPECT_EQ(read_image(nullptr, 0).geometry, nullptr);
}

// Worked by hand from the layout: chunks of 2045 (3069) bytes, each at the
// address after the previous one, page count (chunk + 3) / 256 rounded up.
TEST(ImageReader, WalksTheDataTracksAsTheLoaderDoes) {
    struct Track { int track; uint8_t pages; uint16_t address; size_t chunk; };
    struct Case {
        const char* name;
        DiskFormat format;
        size_t size;
        uint16_t load, exec;
        std::vector<Track> tracks;
        int terminator_track;
        uint16_t terminator_address;
        uint16_t end_address;
    };
    const Case cases[] = {
        {"1 byte", DiskFormat::mini, 1, 0x0300, 0x0300, {{1, 1, 0x0300, 1}}, 2, 0x0301, 0x0300},
        {"253 bytes fill one page", DiskFormat::mini, 253, 0x1000, 0x2000, {{1, 1, 0x1000, 253}}, 2, 0x10FD, 0x10FC},
        {"254 bytes need two", DiskFormat::mini, 254, 0x1000, 0x1000, {{1, 2, 0x1000, 254}}, 2, 0x10FE, 0x10FD},
        {"5000 bytes at $0300", DiskFormat::mini, 5000, 0x0300, 0x0400,
         {{1, 8, 0x0300, 2045}, {2, 8, 0x0AFD, 2045}, {3, 4, 0x12FA, 910}}, 4, 0x1688, 0x1687},
        {"8-inch 10000 bytes at $1000", DiskFormat::full, 10000, 0x1000, 0x1234,
         {{1, 12, 0x1000, 3069}, {2, 12, 0x1BFD, 3069}, {3, 12, 0x27FA, 3069}, {4, 4, 0x33F7, 793}}, 5, 0x3710, 0x370F},
        {"wraps past $FFFF", DiskFormat::mini, 8192, 0xF000, 0xF000,
         {{1, 8, 0xF000, 2045}, {2, 8, 0xF7FD, 2045}, {3, 8, 0xFFFA, 2045}, {4, 8, 0x07F7, 2045}, {5, 1, 0x0FF4, 12}},
         6, 0x1000, 0x0FFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ImageFacts facts = read(build(loader_options(c.format, c.load, c.exec), pattern_bytes(c.size)));
        ASSERT_NE(facts.geometry, nullptr);
        EXPECT_EQ(facts.boot.mode, BootMode::loader);
        EXPECT_EQ(facts.boot.exec_address, c.exec);
        ASSERT_EQ(facts.tracks.size(), c.tracks.size());
        for (size_t i = 0; i < c.tracks.size(); i++) {
            const DataTrackFacts& t = facts.tracks[i];
            SCOPED_TRACE("track " + std::to_string(c.tracks[i].track));
            EXPECT_EQ(t.track, c.tracks[i].track);
            EXPECT_EQ(t.page_count, c.tracks[i].pages);
            EXPECT_EQ(t.load_address, c.tracks[i].address);
            EXPECT_EQ(t.chunk_size, c.tracks[i].chunk);
            EXPECT_TRUE(t.chunk_derived);
            EXPECT_EQ(t.stored_size, c.tracks[i].pages * 256u - 3u);
            EXPECT_EQ(t.sector_offset, 4u);
            EXPECT_EQ(t.data_offset, 10u);
        }
        EXPECT_TRUE(facts.terminator.present);
        EXPECT_EQ(facts.terminator.track, c.terminator_track);
        EXPECT_EQ(facts.terminator.page_count, 0);
        EXPECT_EQ(facts.terminator.address, c.terminator_address);
        EXPECT_EQ(facts.program.size, c.size);
        EXPECT_EQ(facts.program.load_address, c.load);
        EXPECT_EQ(facts.program.end_address, c.end_address);
    }
}

TEST(ImageReader, ProgramsLongerThanTheAddressSpaceAddUpTheirChunks) {
    // 75665 bytes from $0200 end at $0200 + 75665 - 1 - 65536 = $2990; only
    // the sum of the chunks tells the size, not the two addresses.
    const ImageFacts facts = read(build(loader_options(DiskFormat::mini, 0x0200), pattern_bytes(75665)));
    ASSERT_EQ(facts.tracks.size(), 37u);
    EXPECT_EQ(facts.terminator.track, 38);
    EXPECT_EQ(facts.program.size, 75665u);
    EXPECT_EQ(facts.program.end_address, 0x2990);
    EXPECT_TRUE(has_warning(facts, WarningCode::wraps, NO_TRACK));
}

TEST(ImageReader, TellsTheBootTrackKinds) {
    struct Case {
        const char* name;
        Bytes image;
        BootMode mode;
        uint8_t pages;
        size_t code_size, min_input, max_input;
        bool past_track;
    };
    Bytes tampered_loader = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(10));
    tampered_loader[3 + 100] ^= 0x01;  // one loader byte off: code for $2200 of 2 pages
    Bytes no_jump = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(10));
    no_jump[3 + 257] = 0x6C;  // the final JMP's opcode, right before the patched address
    Bytes last_byte = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(10));
    last_byte[3 + 262] = 0x01;  // the loader's unused last byte
    Bytes nine_pages = build(raw_options(DiskFormat::mini), pattern_bytes(100));
    nine_pages[2] = 9;  // 2304 bytes asked for, 2301 in the slot after the header
    Bytes fourteen_pages = build(raw_options(DiskFormat::full), pattern_bytes(100));
    fourteen_pages[2] = 14;  // 3584 bytes: fits the 8-inch slot's 3837
    Bytes no_pages = build(raw_options(DiskFormat::mini), pattern_bytes(100));
    no_pages[2] = 0;
    Bytes elsewhere = build(raw_options(DiskFormat::mini), pattern_bytes(100));
    elsewhere[0] = 0x23;
    const Case cases[] = {
        {"raw 1 byte", build(raw_options(DiskFormat::mini), pattern_bytes(1)), BootMode::raw, 1, 256, 1, 255, false},
        {"raw 256 bytes", build(raw_options(DiskFormat::mini), pattern_bytes(256)), BootMode::raw, 2, 512, 256, 511, false},
        {"raw 2045 bytes", build(raw_options(DiskFormat::mini), pattern_bytes(2045)), BootMode::raw, 8, 2048, 1792, 2045,
         false},
        {"raw 8-inch 3069", build(raw_options(DiskFormat::full), pattern_bytes(3069)), BootMode::raw, 12, 3072, 2816,
         3069, false},
        {"loader byte changed", tampered_loader, BootMode::raw, 2, 512, 256, 511, false},
        {"final jump changed", no_jump, BootMode::raw, 2, 512, 256, 511, false},
        {"last loader byte changed", last_byte, BootMode::raw, 2, 512, 256, 511, false},
        {"9 pages run past a 5.25-inch track", nine_pages, BootMode::raw, 9, 2301, 0, 0, true},
        {"14 pages on 8-inch", fourteen_pages, BootMode::raw, 14, 3584, 0, 0, false},
        {"0 pages", no_pages, BootMode::unknown, 0, 0, 0, 0, false},
        {"header names $2300", elsewhere, BootMode::unknown, 1, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ImageFacts facts = read(c.image);
        EXPECT_EQ(facts.boot.mode, c.mode);
        EXPECT_EQ(facts.boot.page_count, c.pages);
        EXPECT_EQ(facts.boot.code_size, c.code_size);
        EXPECT_EQ(facts.boot.min_input_size, c.min_input);
        EXPECT_EQ(facts.boot.max_input_size, c.max_input);
        EXPECT_EQ(has_warning(facts, WarningCode::past_track, 0), c.past_track);
        EXPECT_TRUE(facts.tracks.empty());
        EXPECT_FALSE(facts.terminator.present);
    }
    // The patched execution address is the one thing allowed to differ.
    const ImageFacts loader = read(build(loader_options(DiskFormat::full, 0x0300, 0xA000), pattern_bytes(10)));
    EXPECT_EQ(loader.boot.mode, BootMode::loader);
    EXPECT_EQ(loader.boot.loader, LoaderKind::standard);
    EXPECT_EQ(loader.boot.exec_address, 0xA000);

    // The fast loader's disk: the same walk over the same data tracks.
    ImageOptions options = loader_options(DiskFormat::full, 0x0300, 0xA000);
    options.loader = LoaderKind::fast;
    const ImageFacts fast = read(build(options, pattern_bytes(7000)));
    EXPECT_EQ(fast.boot.mode, BootMode::loader);
    EXPECT_EQ(fast.boot.loader, LoaderKind::fast);
    EXPECT_EQ(fast.boot.exec_address, 0xA000);
    EXPECT_EQ(fast.tracks.size(), 3u);  // 3069 + 3069 + 862
    EXPECT_EQ(fast.program.size, 7000u);
    EXPECT_EQ(fast.terminator.track, 4);
    EXPECT_TRUE(fast.warnings.empty());
}

// A 1-byte program of $00 at $0300: track 1 carries it, track 2 ends loading.
// The cases rewrite track 1's first bytes by hand.
TEST(ImageReader, FindsTheSectorMarkWhereTheLoaderWould) {
    struct Case {
        const char* name;
        std::vector<std::pair<size_t, Bytes>> writes;  // slot offset, bytes
        bool data_track;                               // track 1 is read as a data track
        size_t mark;
        std::set<std::pair<std::string, int>> warnings;
    };
    const Bytes header_1 = {0x76, 0x01, 0x08, 0x01, 0x03, 0x00};
    const Case cases[] = {
        {"as written", {}, true, 4, {}},
        {"mark moved to byte 20", {{4, {0, 0, 0, 0, 0, 0}}, {20, header_1}}, true, 20, {{"sector_mark_moved", 1}}},
        {"$76 $76 $01 opens no sector", {{4, {0x76, 0x76, 0x01, 0x01, 0x03, 0x00}}}, false, 0,
         {{"no_sector_mark", 1}}},
        {"$76 $00 $76 $01 opens one at the second $76", {{2, {0x76, 0x00}}}, true, 4, {{"track_header", 1}}},
        {"header says track 5", {{2, {0x05}}}, true, 4, {{"track_header", 1}}},
        {"no mark at all", {{4, {0x00}}}, false, 0, {{"no_sector_mark", 1}}},
        {"mark in the last bytes cuts the header", {{4, {0x00}}, {MINI_SLOT - 4, {0x76, 0x01, 0x08, 0x01}}}, false, 0,
         {{"header_cut", 1}, {"sector_mark_moved", 1}}},
        {"mark in the last two bytes", {{4, {0x00}}, {MINI_SLOT - 2, {0x76, 0x01}}}, false, 0,
         {{"header_cut", 1}, {"sector_mark_moved", 1}}},
        {"$76 as the very last byte", {{4, {0x00}}, {MINI_SLOT - 1, {0x76}}}, false, 0, {{"no_sector_mark", 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes image = build(loader_options(DiskFormat::mini, 0x0300), Bytes(1, 0x00));
        for (const auto& write : c.writes) {
            std::copy(write.second.begin(), write.second.end(), image.begin() + MINI_SLOT + write.first);
        }
        const ImageFacts facts = read(image);
        EXPECT_EQ(warning_set(facts), c.warnings);
        if (!c.data_track) {
            EXPECT_TRUE(facts.tracks.empty());
            EXPECT_FALSE(facts.terminator.present);
            continue;
        }
        ASSERT_EQ(facts.tracks.size(), 1u);
        EXPECT_EQ(facts.tracks[0].sector_offset, c.mark);
        EXPECT_EQ(facts.tracks[0].data_offset, c.mark + 6);
        EXPECT_EQ(facts.tracks[0].chunk_size, 1u);
        EXPECT_EQ(facts.terminator.track, 2);
    }
}

TEST(ImageReader, EndsTheWalkWhereTheLoaderWould) {
    {
        SCOPED_TRACE("page count 14 ends loading");
        Bytes image = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(5000));
        image[4 * MINI_SLOT + 7] = 14;
        const ImageFacts facts = read(image);
        EXPECT_EQ(facts.tracks.size(), 3u);
        EXPECT_EQ(facts.terminator.page_count, 14);
        EXPECT_EQ(facts.program.size, 5000u);
        EXPECT_EQ(warning_set(facts), (std::set<std::pair<std::string, int>>{{"high_page_count", 4}}));
    }
    {
        SCOPED_TRACE("page count 13 is still loaded");
        Bytes image = build(loader_options(DiskFormat::full, 0x0300), pattern_bytes(100));
        image[FULL_SLOT + 7] = 13;  // 3325 bytes: fits the 3830 after the header on 8-inch
        const ImageFacts facts = read(image);
        ASSERT_EQ(facts.tracks.size(), 1u);
        EXPECT_EQ(facts.tracks[0].stored_size, 3325u);
        EXPECT_EQ(facts.tracks[0].bytes_in_slot, 3325u);
        EXPECT_FALSE(has_warning(facts, WarningCode::past_track, 1));
    }
    {
        SCOPED_TRACE("track 1 is the terminator");
        Bytes image = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(1));
        image[MINI_SLOT + 7] = 0;
        const ImageFacts facts = read(image);
        EXPECT_TRUE(facts.tracks.empty());
        EXPECT_EQ(facts.terminator.track, 1);
        EXPECT_EQ(facts.program.size, 0u);
        EXPECT_EQ(warning_set(facts), (std::set<std::pair<std::string, int>>{{"no_program", 1}}));
    }
    {
        SCOPED_TRACE("no terminator before the last track");
        // The limit fills tracks 1-37; track 38 loses its terminator and
        // track 39 gets a load header too, so the loader would go on to 40.
        Bytes image = build(loader_options(DiskFormat::mini, 0x0200), pattern_bytes(75665));
        image[38 * MINI_SLOT + 7] = 1;
        const Bytes header = {0x76, 0x01, 0x08, 0x01, 0x40, 0x00};
        std::copy(header.begin(), header.end(), image.begin() + 39 * MINI_SLOT + 4);
        const ImageFacts facts = read(image);
        EXPECT_EQ(facts.tracks.size(), 39u);
        EXPECT_FALSE(facts.terminator.present);
        EXPECT_TRUE(has_warning(facts, WarningCode::off_disk, NO_TRACK));
        EXPECT_EQ(warning_level(WarningCode::off_disk), WarningLevel::error);
        // Nothing follows tracks 38 and 39, so their lengths stay the stored ones.
        EXPECT_FALSE(facts.tracks[37].chunk_derived);
        EXPECT_EQ(facts.tracks[38].chunk_size, 253u);
    }
}

TEST(ImageReader, PageCountRunningPastTheTrackStaysInsideTheSlot) {
    // 9 pages ask for 2301 bytes; a 5.25-inch slot has 2294 after byte 10.
    Bytes image = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(5000));
    image[MINI_SLOT + 7] = 9;
    const ImageFacts facts = read(image);
    ASSERT_EQ(facts.tracks.size(), 3u);
    EXPECT_EQ(facts.tracks[0].stored_size, 2301u);
    EXPECT_EQ(facts.tracks[0].bytes_in_slot, 2294u);
    EXPECT_TRUE(has_warning(facts, WarningCode::past_track, 1));
    // $0AFD - $0300 = 2045 is too few for 9 pages (2046 to 2301).
    EXPECT_TRUE(has_warning(facts, WarningCode::chunk_mismatch, 1));
    EXPECT_EQ(facts.tracks[0].chunk_size, 2301u);
    const std::vector<uint8_t> bytes = program_bytes(facts, image.data(), image.size());
    EXPECT_EQ(bytes.size(), 2294u + 2045u + 910u);
}

TEST(ImageReader, ChunkLengthsFollowFromTheNextAddressWhenTheyCan) {
    struct Case {
        const char* name;
        size_t track;       // whose address is rewritten
        uint16_t address;
        std::vector<size_t> chunks;
        std::vector<bool> derived;
    };
    // 5000 bytes at $0300: $0300 (8 pages), $0AFD (8), $12FA (4), end $1688.
    const Case cases[] = {
        {"as written", 0, 0, {2045, 2045, 910}, {true, true, true}},
        // $0B00 - $0300 = 2048 > 2045; $12FA - $0B00 = 2042 fits 8 pages.
        {"track 2 three bytes late", 2, 0x0B00, {2045, 2042, 910}, {false, true, true}},
        // $0AF0 - $0300 = 2032 fits 8 pages (1790-2045); $12FA - $0AF0 = 2058 does not.
        {"track 2 early", 2, 0x0AF0, {2032, 2045, 910}, {true, false, true}},
        // $12FA + 765 = $15F7 is one byte short of 4 pages (766-1021).
        {"terminator one page short", 4, 0x15F7, {2045, 2045, 1021}, {true, true, false}},
        {"terminator at the last stored byte + 1", 4, 0x16F7, {2045, 2045, 1021}, {true, true, true}},
        {"terminator behind the chunk", 4, 0x12FA, {2045, 2045, 1021}, {true, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes image = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(5000));
        if (c.track) put_address(image, MINI_SLOT, c.track, c.address);
        const ImageFacts facts = read(image);
        ASSERT_EQ(facts.tracks.size(), 3u);
        size_t sum = 0;
        for (size_t i = 0; i < 3; i++) {
            SCOPED_TRACE(i + 1);
            EXPECT_EQ(facts.tracks[i].chunk_size, c.chunks[i]);
            EXPECT_EQ(facts.tracks[i].chunk_derived, c.derived[i]);
            EXPECT_EQ(has_warning(facts, WarningCode::chunk_mismatch, static_cast<int>(i + 1)), !c.derived[i]);
            sum += c.chunks[i];
        }
        EXPECT_EQ(facts.program.size, sum);
        // The bytes come from the slots: chunk i from offset 10 of track i + 1.
        const std::vector<uint8_t> bytes = program_bytes(facts, image.data(), image.size());
        Bytes expected;
        for (size_t i = 0; i < 3; i++) {
            const auto from = image.begin() + static_cast<long>((i + 1) * MINI_SLOT + 10);
            expected.insert(expected.end(), from, from + static_cast<long>(c.chunks[i]));
        }
        EXPECT_EQ(bytes, expected);
    }
}

TEST(ImageReader, WarnsAboutMemoryTheLoadWouldSpoil) {
    using Set = std::set<std::pair<std::string, int>>;
    struct Case {
        const char* name;
        uint16_t load;
        size_t size;
        Set warnings;
    };
    // Stored ranges: page count * 256 - 3 bytes from the address; 100 bytes
    // need 1 page (253 stored), 300 need 2 (509 stored).
    const Case cases[] = {
        {"$0300, clear of everything", 0x0300, 5000, {}},
        {"$0200 just above the stack", 0x0200, 200, {}},
        {"page zero", 0x0080, 100, {{"loader_memory", 1}}},
        {"$00F6-$00FC are free, the bytes stored after them are not", 0x00F6, 7, {{"loader_memory", 1}}},
        {"stack", 0x0131, 100, {{"loader_memory", 1}}},  // stores $0131-$022D
        {"program over $012B-$0130", 0x0120, 100, {{"loader_memory", 1}, {"finish_patch", 1}}},
        {"only padding over $012B-$0130", 0x0100, 20, {{"loader_memory", 1}}},  // program $0100-$0113
        {"$BF00: 253 stored end at $BFFC", 0xBF00, 100, {}},
        // $C000 is port A's output register, harmless; $C001-$C01F are the
        // controller's registers and their neighbourhood.
        {"$BF04: stored bytes end at $C000", 0xBF04, 100, {{"io_area", 1}}},
        {"$BF05: stored bytes end at $C001", 0xBF05, 100, {{"disk_controller", 1}}},
        {"$BF10: stored bytes reach $C00C", 0xBF10, 100, {{"disk_controller", 1}}},
        {"$BF00 with 300 bytes", 0xBF00, 300, {{"disk_controller", 1}}},
        {"$C01F: the last byte of the controller's area", 0xC01F, 100, {{"disk_controller", 1}}},
        {"$C020: past the controller", 0xC020, 100, {{"io_area", 1}}},
        {"$FF10: stored bytes wrap to $000C", 0xFF10, 200, {{"io_area", 1}, {"loader_memory", 1}}},
        // $F000, $F7FD, $FFFA-$07F6, $07F7, $0FF4: track 3 wraps through page zero.
        {"$F000 with 8192 bytes", 0xF000, 8192,
         {{"wraps", NO_TRACK}, {"io_area", 1}, {"io_area", 2}, {"io_area", 3}, {"loader_memory", 3}, {"finish_patch", 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ImageFacts facts = read(build(loader_options(DiskFormat::mini, c.load), pattern_bytes(c.size)));
        EXPECT_EQ(warning_set(facts), c.warnings);
    }
}

TEST(ImageReader, ReadsTheLabelAsADirectoryListingWould) {
    struct Case {
        const char* name;
        DiskFormat format;
        bool raw;
        size_t size;
        Bytes label;
        LabelState state;
        bool is_default;
        std::vector<std::string> lines;
        std::string label_text;
    };
    const std::vector<std::string> defaults = {"SPIN", "LOAD", "IS NOT", "OS65D"};
    const Case cases[] = {
        {"default", DiskFormat::mini, false, 100, {}, LabelState::intact, true, defaults, "SPIN  LOAD  IS NOTOS65D"},
        {"8-inch default", DiskFormat::full, false, 100, {}, LabelState::intact, true, defaults,
         "SPIN  LOAD  IS NOTOS65D"},
        {"two lines", DiskFormat::mini, false, 100, label_bytes("HELLO WORLD"), LabelState::intact, false,
         {"HELLO", "WORLD"}, "HELLO WORLD"},
        {"exactly two entries", DiskFormat::mini, false, 100, label_bytes("ABCDEFGHIJKL"), LabelState::intact, false,
         {"ABCDEF", "GHIJKL"}, "ABCDEFGHIJKL"},
        {"a free-looking entry inside", DiskFormat::mini, false, 100, label_bytes("######XY"), LabelState::intact,
         false, {"XY"}, "######XY"},
        {"any bytes", DiskFormat::mini, false, 100, {0x01, '"', '\\', 0xFF, 'A'}, LabelState::intact, false,
         {"\x01\"\\\xFF" "A"}, "\x01\"\\\xFF" "A"},
        {"the label says SPIN LOAD", DiskFormat::mini, false, 100, label_bytes("SPIN  LOAD"), LabelState::intact,
         false, {"SPIN", "LOAD"}, "SPIN  LOAD"},
        {"raw boot keeps its label", DiskFormat::mini, true, 100, label_bytes("BOOT"), LabelState::intact, false,
         {"BOOT"}, "BOOT"},
        // 20451 bytes: 11 data tracks, the terminator on track 12 at $0300 +
        // 20451 = $52E3, written over entry 0's first three name bytes.
        {"terminator on the directory track", DiskFormat::mini, false, 20451, {}, LabelState::shares_terminator, true,
         {std::string("\x00\x52\xE3N", 4), "LOAD", "IS NOT", "OS65D"}, std::string("\x00\x52\xE3N  LOAD  IS NOTOS65D", 23)},
        // 18415 bytes: 7 data tracks, the terminator on track 8 at $4AEF.
        {"terminator on 8-inch track 8", DiskFormat::full, false, 18415, label_bytes("LABEL"),
         LabelState::shares_terminator, false, {std::string("\x00\x4A\xEF", 3) + "EL"},
         std::string("\x00\x4A\xEF", 3) + "EL"},
        {"data on the directory track", DiskFormat::mini, false, 23011, {}, LabelState::overwritten, false, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageOptions options = c.raw ? raw_options(c.format) : loader_options(c.format, 0x0300);
        options.label = c.label;
        const ImageFacts facts = read(build(options, pattern_bytes(c.size)));
        EXPECT_EQ(facts.label.track, c.format == DiskFormat::mini ? 12 : 8);
        EXPECT_EQ(facts.label.state, c.state);
        EXPECT_EQ(facts.label.is_default, c.is_default);
        EXPECT_EQ(facts.label.lines, c.lines);
        EXPECT_EQ(facts.label.label_text, c.label_text);
    }
    {
        SCOPED_TRACE("no directory sectors");
        Bytes image = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(100));
        image[12 * MINI_SLOT + 265] = 0;  // sector 2's $76
        const ImageFacts facts = read(image);
        EXPECT_EQ(facts.label.state, LabelState::missing);
        EXPECT_TRUE(facts.label.lines.empty());
    }
}

TEST(ImageReader, ExtractsRawBootCodeAsTheRomLoadsIt) {
    const Bytes code = pattern_bytes(600);
    const Bytes image = build(raw_options(DiskFormat::mini), code);
    const ImageFacts facts = read(image);
    // 600 bytes -> 3 pages: the code, then 168 zeros up to 768 bytes.
    Bytes expected = code;
    expected.resize(768, 0);
    EXPECT_EQ(program_bytes(facts, image.data(), image.size()), expected);
    // Facts of another image are refused rather than trusted.
    const Bytes other(295680, 0);
    EXPECT_TRUE(program_bytes(facts, other.data(), other.size()).empty());
}

// The reader will be fuzzed: whatever the bytes, it must stay inside the
// buffer (the sanitizer build checks that) and its facts must describe
// places inside the slots.
TEST(ImageReader, StaysInsideAnyBytes) {
    std::vector<Bytes> images;
    const Bytes base_mini = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(5000));
    const Bytes base_full = build(loader_options(DiskFormat::full, 0xFF00), pattern_bytes(30000));
    for (uint32_t seed = 1; seed <= 40; seed++) {
        // Loader boot track, then noise from track 1 on.
        Bytes noise = seed % 2 ? base_mini : base_full;
        const size_t slot = seed % 2 ? MINI_SLOT : FULL_SLOT;
        const Bytes random = pattern_bytes(noise.size() - slot, seed);
        std::copy(random.begin(), random.end(), noise.begin() + static_cast<long>(slot));
        images.push_back(noise);
        // A real image with a few hundred bytes changed.
        Bytes mutated = seed % 2 ? base_mini : base_full;
        const Bytes spots = pattern_bytes(600, seed + 1000);
        for (size_t i = 0; i + 2 < spots.size(); i += 3) {
            const size_t at = (static_cast<size_t>(spots[i]) << 16 | static_cast<size_t>(spots[i + 1]) << 8 | spots[i + 2]) %
                              mutated.size();
            mutated[at] = spots[(i + 7) % spots.size()];
        }
        images.push_back(mutated);
    }
    // Sector marks and big page counts everywhere.
    Bytes marks = base_mini;
    for (size_t i = MINI_SLOT; i + 1 < marks.size(); i += 2) marks[i] = 0x76, marks[i + 1] = 0x01;
    images.push_back(marks);
    Bytes thirteens = base_mini;
    std::fill(thirteens.begin() + MINI_SLOT, thirteens.end(), 0x0D);
    for (size_t t = 1; t < 40; t++) thirteens[t * MINI_SLOT + 4] = 0x76, thirteens[t * MINI_SLOT + 5] = 0x01;
    images.push_back(thirteens);

    for (size_t n = 0; n < images.size(); n++) {
        SCOPED_TRACE("image " + std::to_string(n));
        const Bytes& image = images[n];
        const ImageFacts facts = read(image);
        ASSERT_NE(facts.geometry, nullptr);
        const size_t slot = facts.geometry->track_slot_size;
        size_t extractable = 0;
        for (size_t i = 0; i < facts.tracks.size(); i++) {
            const DataTrackFacts& t = facts.tracks[i];
            EXPECT_EQ(t.track, static_cast<int>(i + 1));
            EXPECT_GE(t.page_count, 1);
            EXPECT_LE(t.page_count, 13);
            EXPECT_EQ(t.data_offset, t.sector_offset + 6);
            EXPECT_LE(t.data_offset + t.bytes_in_slot, slot);
            extractable += std::min(t.chunk_size, t.bytes_in_slot);
        }
        if (facts.terminator.present) {
            EXPECT_EQ(facts.terminator.track, static_cast<int>(facts.tracks.size() + 1));
        }
        const size_t expected_size = facts.boot.mode == BootMode::raw ? facts.boot.code_size : extractable;
        EXPECT_EQ(program_bytes(facts, image.data(), image.size()).size(), expected_size);
        EXPECT_LE(facts.boot.code_size, slot - 3);
        for (const ImageWarning& w : facts.warnings) EXPECT_FALSE(w.message.empty());
    }
}
