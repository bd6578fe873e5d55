// Whole images from the real binary against images computed here from the
// disk layout alone, for a handful of option sets.
#include <gtest/gtest.h>

#include <cstring>

#include "loader/boot_loader.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

struct Layout {
    size_t tracks, slot, payload, pages, directory_track, modulus;
};
const Layout MINI_LAYOUT = {40, 2304, 2045, 8, 12, 40};
const Layout FULL_LAYOUT = {77, 3840, 3069, 12, 8, 77};

uint8_t bcd(size_t n) { return static_cast<uint8_t>(n / 10 * 16 + n % 10); }

struct Expectation {
    bool full = false;
    bool raw = false;
    uint16_t load = 0;
    uint16_t exec = 0;
    Bytes label;  // already cut at its first zero byte
};

// The image written out longhand, one field after another, in pass order.
Bytes expected_image(const Expectation& e, const Bytes& program) {
    const Layout& L = e.full ? FULL_LAYOUT : MINI_LAYOUT;
    Bytes image(L.tracks * L.slot, 0);
    for (size_t t = 1; t < L.tracks; t++) {
        uint8_t* s = &image[t * L.slot];
        s[0] = 'C', s[1] = 'W', s[2] = bcd(t), s[3] = 'X';
    }
    const size_t n = (program.size() + L.payload - 1) / L.payload;

    // Directory: two sectors of 32 entries between "v" headers and "GS" trailers.
    uint8_t* d = &image[L.directory_track * L.slot];
    d[4] = 0x76, d[5] = 1, d[6] = 1;
    d[263] = 'G', d[264] = 'S';
    d[265] = 0x76, d[266] = 2, d[267] = 1;
    d[524] = 'G', d[525] = 'S';
    auto entry = [&](size_t i) { return d + (i < 32 ? 7 : 12) + 8 * i; };
    const char* defaults[] = {"SPIN  ", "LOAD  ", "IS NOT", "OS65D "};
    for (size_t i = 0; i < 64; i++) {
        uint8_t* en = entry(i);
        if (e.label.empty()) {
            std::memcpy(en, i < 4 ? defaults[i] : "######", 6);
            en[6] = en[7] = i < 4 ? 0x12 : 0;
            continue;
        }
        for (size_t k = 0; k < 6; k++) {
            const size_t at = 6 * i + k;
            const bool ended = 6 * i >= e.label.size();
            en[k] = ended ? '#' : at < e.label.size() ? e.label[at] : ' ';
        }
        en[6] = i == 0 ? 1 : static_cast<uint8_t>((i + 1) % L.modulus);
        en[7] = i == 0 ? static_cast<uint8_t>(n + 1) : static_cast<uint8_t>((i + 1) % L.modulus);
    }

    image[0] = 0x22, image[1] = 0x00;
    if (e.raw) {
        image[2] = static_cast<uint8_t>(program.size() / 256 + 1);
        std::copy(program.begin(), program.end(), image.begin() + 3);
        return image;
    }
    image[2] = 2;
    std::copy(BOOT_LOADER_IMAGE.begin(), BOOT_LOADER_IMAGE.end(), image.begin() + 3);
    image[261] = e.exec & 0xFF;
    image[262] = e.exec >> 8;

    size_t done = 0;
    for (size_t t = 1; t <= n + 1; t++) {
        uint8_t* s = &image[t * L.slot];
        const size_t chunk = std::min(L.payload, program.size() - done);
        const uint16_t address = static_cast<uint16_t>(e.load + done);
        s[4] = 0x76, s[5] = 1, s[6] = static_cast<uint8_t>(L.pages);
        s[7] = chunk ? static_cast<uint8_t>((chunk + 3 + 255) / 256) : 0;
        s[8] = address >> 8, s[9] = address & 0xFF;
        std::copy(program.begin() + done, program.begin() + done + chunk, s + 10);
        done += chunk;
    }
    return image;
}

Bytes ascii(const char* s) { return Bytes(s, s + std::strlen(s)); }

struct Case {
    const char* name;
    std::vector<std::string> args;  // the input is "prog.bin", the output "out.65d"
    size_t size;
    Expectation expect;
};

TEST(WholeImage, MatchesTheLayoutComputedHere) {
    std::string label400(400, 'L');
    const Case cases[] = {
        {"worked example: 5000 bytes at $0300", {"-l0300"}, 5000, {false, false, 0x0300, 0x0300, {}}},
        {"8-inch with start address and label", {"-8", "-l1000", "-e1234", "-nHELLO WORLD"}, 10000,
         {true, false, 0x1000, 0x1234, ascii("HELLO WORLD")}},
        {"raw boot with label", {"-t", "-n\"BOOT\""}, 700, {false, true, 0x2200, 0x2200, ascii("BOOT")}},
        {"data over the directory track", {"-l0200", "-nOVERLAP"}, 23000, {false, false, 0x0200, 0x0200, ascii("OVERLAP")}},
        {"label cut by U+0100, non-ASCII byte kept", {"-l0300", "-nA\xC3\xA9\xC4\x80XY"}, 100,
         {false, false, 0x0300, 0x0300, {'A', 0xE9}}},
        {"400-character label keeps 384", {"-l0300", "-n" + label400}, 1, {false, false, 0x0300, 0x0300, Bytes(384, 'L')}},
        {"8-inch limit", {"-8", "-l0000", "-eFFFF"}, 227106, {true, false, 0x0000, 0xFFFF, {}}},
        {"wrap past $FFFF", {"-lF000"}, 8192, {false, false, 0xF000, 0xF000, {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const Bytes program = pattern_bytes(c.size, 99);
        write_file(dir.file("prog.bin"), program);
        std::vector<std::string> args = {spinload_binary()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back("prog.bin");
        args.push_back("out.65d");
        ProcessOptions options;
        options.working_directory = dir.path().string();
        const ProcessResult r = run_process(args, options);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        const Bytes actual = read_file(dir.file("out.65d"));
        const Bytes expected = expected_image(c.expect, program);
        ASSERT_EQ(actual.size(), expected.size());
        size_t first_difference = 0;
        while (first_difference < actual.size() && actual[first_difference] == expected[first_difference]) first_difference++;
        EXPECT_EQ(first_difference, actual.size()) << "first differing byte";
    }
}

TEST(WholeImage, WorkedExampleTracks) {
    // 5000 bytes at $0300: 2045, 2045 and 910 bytes at $0300, $0AFD, $12FA,
    // then the terminator on track 4 pointing at $1688.
    TempDir dir;
    write_file(dir.file("game.bin"), pattern_bytes(5000));
    ProcessOptions options;
    options.working_directory = dir.path().string();
    ASSERT_EQ(run_process({spinload_binary(), "-l0300", "game.bin"}, options).status, 0);
    const Bytes image = read_file(dir.file("game.65d"));
    ASSERT_EQ(image.size(), 92160u);
    const struct { size_t track; uint8_t count, high, low; } tracks[] = {
        {1, 8, 0x03, 0x00}, {2, 8, 0x0A, 0xFD}, {3, 4, 0x12, 0xFA}, {4, 0, 0x16, 0x88}};
    for (const auto& t : tracks) {
        SCOPED_TRACE(t.track);
        EXPECT_EQ(image[t.track * 2304 + 7], t.count);
        EXPECT_EQ(image[t.track * 2304 + 8], t.high);
        EXPECT_EQ(image[t.track * 2304 + 9], t.low);
    }
    EXPECT_EQ(image[261], 0x00);
    EXPECT_EQ(image[262], 0x03);
}

}  // namespace
