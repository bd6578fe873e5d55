// The page's screen picture: every printable character has a glyph of its
// own, everything else the placeholder, each in its 8 x 8 cell.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "web/screen_font.h"

namespace {

std::string glyph_key(const uint8_t* glyph) { return std::string(glyph, glyph + GLYPH_ROWS); }

TEST(ScreenFont, PrintableAsciiHasDistinctGlyphs) {
    std::set<std::string> seen;
    for (int code = 0; code < 256; code++) {
        SCOPED_TRACE(code);
        const uint8_t* glyph = ascii_glyph(static_cast<uint8_t>(code));
        const bool printable = code >= 0x20 && code <= 0x7E;
        ASSERT_EQ(glyph != nullptr, printable);
        if (!glyph) continue;
        for (int row = 0; row < GLYPH_ROWS; row++) EXPECT_LT(glyph[row], 1 << GLYPH_COLUMNS);
        EXPECT_TRUE(seen.insert(glyph_key(glyph)).second) << "the same glyph twice";
        EXPECT_EQ(glyph_key(glyph) == std::string(GLYPH_ROWS, '\0'), code == ' ');
    }
}

// Which pixels of one cell carry a colour.
int pixels_of(const std::vector<uint32_t>& pixels, int width, int column, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < CELL_PIXELS; y++) {
        for (int x = 0; x < CELL_PIXELS; x++) n += pixels[y * width + column * CELL_PIXELS + x] == colour;
    }
    return n;
}

TEST(ScreenFont, DrawsTextAndPlaceholdersInTheirCells) {
    // Three cells of a wider row: 'I' (0E 04 04 04 04 04 0E: 3 + 5 + 3
    // dots), a graphics code, a space; the row's last byte is not shown.
    const uint8_t video[] = {'I', 0x80, ' ', 'X'};
    std::vector<uint32_t> pixels;
    draw_screen(video, 4, 3, 1, pixels);
    ASSERT_EQ(pixels.size(), 3u * CELL_PIXELS * CELL_PIXELS);
    const int width = 3 * CELL_PIXELS;
    EXPECT_EQ(pixels_of(pixels, width, 0, SCREEN_TEXT), 11);
    EXPECT_EQ(pixels[0 * width + 1 + 1], SCREEN_TEXT);  // the top bar's first dot: column 1 of the glyph
    EXPECT_EQ(pixels[0 * width + 0], SCREEN_BACKGROUND);  // the cell's spacing column
    EXPECT_EQ(pixels[7 * width + 3], SCREEN_BACKGROUND);  // the cell's spacing row
    EXPECT_EQ(pixels_of(pixels, width, 1, SCREEN_TEXT), 0);
    EXPECT_GT(pixels_of(pixels, width, 1, SCREEN_PLACEHOLDER), 0);
    EXPECT_EQ(pixels_of(pixels, width, 2, SCREEN_BACKGROUND), CELL_PIXELS * CELL_PIXELS);
}

}  // namespace
