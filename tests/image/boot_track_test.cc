// Track 0 in loader mode (header and patched jump) and in raw boot mode.
#include <gtest/gtest.h>

#include "image_fixture.h"
#include "image/boot_track.h"
#include "loader/boot_loader.h"
#include "loader/fast_loader.h"

namespace {

// Slot 0 as it must be in loader mode, worked out from the layout: header,
// the loader at 3..265, the jump operand at 261/262, zeros after.
void expect_loader_slot(const std::vector<uint8_t>& image, uint16_t exec) {
    EXPECT_EQ(image[0], 0x22);
    EXPECT_EQ(image[1], 0x00);
    EXPECT_EQ(image[2], 0x02);
    for (size_t k = 0; k < BOOT_LOADER_SIZE; k++) {
        if (k == 258 || k == 259) continue;
        if (image[3 + k] != BOOT_LOADER_IMAGE[k]) FAIL() << "loader byte " << k;
    }
    EXPECT_EQ(image[260], 0x4C);  // JMP
    EXPECT_EQ(image[261], exec & 0xFF);
    EXPECT_EQ(image[262], exec >> 8);
    for (size_t k = 266; k < 2304; k++) {
        if (image[k] != 0) FAIL() << "slot 0 byte " << k;
    }
}

}  // namespace

TEST(BootTrack, LoaderModePatchesTheExecutionAddress) {
    struct Case { const char* name; DiskFormat format; int32_t load; int32_t exec; uint16_t jump; };
    const Case cases[] = {
        {"no -e jumps to the load address", DiskFormat::mini, 0x0300, -1, 0x0300},
        {"-eA000", DiskFormat::mini, 0x0300, 0xA000, 0xA000},
        {"-e0 is a real address", DiskFormat::mini, 0x1234, 0x0000, 0x0000},
        {"top of memory", DiskFormat::mini, 0xFFFF, -1, 0xFFFF},
        {"8-inch", DiskFormat::full, 0x4000, 0x4ABC, 0x4ABC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expect_loader_slot(build(loader_options(c.format, c.load, c.exec), Bytes(10, 0xEA)), c.jump);
    }
}

TEST(BootTrack, TheFastLoaderOnTrackZeroAndTheSameDataTracks) {
    // Header, the fast loader at 3..255 with the jump operand at 252/253,
    // zeros after; every other track as the standard loader's disk has it.
    for (const DiskFormat format : {DiskFormat::mini, DiskFormat::full}) {
        SCOPED_TRACE(static_cast<int>(format));
        ImageOptions options = loader_options(format, 0x0300, 0xA0B1);
        const Bytes program = pattern_bytes(7000, 3);
        const std::vector<uint8_t> standard = build(options, program);
        options.loader = LoaderKind::fast;
        const std::vector<uint8_t> fast = build(options, program);
        const size_t slot = geometry_for(format).track_slot_size;
        ASSERT_EQ(fast.size(), standard.size());
        EXPECT_TRUE(std::equal(fast.begin() + slot, fast.end(), standard.begin() + slot));
        EXPECT_EQ(fast[0], 0x22);
        EXPECT_EQ(fast[1], 0x00);
        EXPECT_EQ(fast[2], 0x02);
        for (size_t k = 0; k < FAST_LOADER_SIZE; k++) {
            if (k == 249 || k == 250) continue;
            if (fast[3 + k] != FAST_LOADER_IMAGE[k]) FAIL() << "loader byte " << k;
        }
        EXPECT_EQ(fast[251], 0x4C);  // JMP
        EXPECT_EQ(fast[252], 0xB1);
        EXPECT_EQ(fast[253], 0xA0);
        for (size_t k = 256; k < slot; k++) {
            if (fast[k] != 0) FAIL() << "slot 0 byte " << k;
        }

        LoaderKind found = LoaderKind::standard;
        EXPECT_TRUE(find_loader(fast.data(), slot, found));
        EXPECT_EQ(found, LoaderKind::fast);
        EXPECT_EQ(loader_exec_address(fast.data(), found), 0xA0B1);
        EXPECT_TRUE(find_loader(standard.data(), slot, found));
        EXPECT_EQ(found, LoaderKind::standard);
        std::vector<uint8_t> changed = fast;
        changed[3 + 100] ^= 1;  // a loader byte that is no patch point
        EXPECT_FALSE(find_loader(changed.data(), slot, found));
    }
}

TEST(BootTrack, LoaderBytesAnchors) {
    // Stub at the start, the unpatched final jump to $0300 and the finish's
    // constants at the end.
    EXPECT_EQ(BOOT_LOADER_IMAGE[0], 0xA2);
    EXPECT_EQ(BOOT_LOADER_IMAGE[LOADER_FINAL_JUMP_OFFSET], 0x4C);
    EXPECT_EQ(BOOT_LOADER_IMAGE[LOADER_EXEC_LOW_OFFSET], 0x00);
    EXPECT_EQ(BOOT_LOADER_IMAGE[LOADER_EXEC_HIGH_OFFSET], 0x03);
    EXPECT_EQ(BOOT_LOADER_IMAGE[260], 0x04);
    EXPECT_EQ(BOOT_LOADER_IMAGE[261], 0xFD);
    EXPECT_EQ(BOOT_LOADER_IMAGE[262], 0x00);
}

TEST(BootTrack, RawModePageCountAndCode) {
    struct Case { size_t size; uint8_t pages; };
    const Case cases[] = {{1, 1}, {255, 1}, {256, 2}, {257, 2}, {512, 3}, {2045, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        ImageOptions options = loader_options(DiskFormat::mini, 0x2200);
        options.raw_boot = true;
        const Bytes code = pattern_bytes(c.size, static_cast<uint32_t>(c.size));
        const std::vector<uint8_t> image = build(options, code);
        EXPECT_EQ(image[0], 0x22);
        EXPECT_EQ(image[1], 0x00);
        EXPECT_EQ(image[2], c.pages);
        EXPECT_TRUE(std::equal(code.begin(), code.end(), image.begin() + 3));
        for (size_t k = 3 + c.size; k < 2304; k++) {
            if (image[k] != 0) FAIL() << "slot 0 byte " << k;
        }
        // Raw mode writes no data tracks: track 1 holds only its header.
        for (size_t k = 2304 + 4; k < 2 * 2304; k++) {
            if (image[k] != 0) FAIL() << "track 1 byte " << k - 2304;
        }
    }
    ImageOptions full = loader_options(DiskFormat::full, 0x2200);
    full.raw_boot = true;
    EXPECT_EQ(build(full, Bytes(3069, 1))[2], 12);
}

TEST(BootTrack, RawModeIgnoresLoadAndExecAddresses) {
    ImageOptions plain = loader_options(DiskFormat::mini, 0x2200);
    plain.raw_boot = true;
    ImageOptions addressed = loader_options(DiskFormat::mini, 0x1000, 0x2000);
    addressed.raw_boot = true;
    const Bytes code = pattern_bytes(700);
    EXPECT_EQ(build(plain, code), build(addressed, code));
}
