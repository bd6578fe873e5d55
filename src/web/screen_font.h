// The page's picture of the machine's screen: a bitmap font of our own for
// printable ASCII and a visible placeholder for every other character code
// (OSI's graphics characters live in its character generator ROM, which is
// not ours to ship), drawn into RGBA pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int GLYPH_ROWS = 7;    // each glyph is 5 dots wide, 7 high
constexpr int GLYPH_COLUMNS = 5;
constexpr int CELL_PIXELS = 8;   // drawn in an 8 x 8 cell, one dot column left of it and a row under it

// Rows of one glyph, top first; bit 4 is the leftmost dot.
using Glyph = uint8_t[GLYPH_ROWS];

// The glyph of a printable ASCII code ($20-$7E); nullptr for any other code,
// which is drawn as the placeholder.
const uint8_t* ascii_glyph(uint8_t code);

// The colours as 0xAABBGGRR: R, G, B, A bytes in memory on a little-endian
// machine, which WebAssembly is, and the order a canvas takes them.
constexpr uint32_t SCREEN_BACKGROUND = 0xFF201810;  // a dark screen
constexpr uint32_t SCREEN_TEXT = 0xFFD0F0E0;
constexpr uint32_t SCREEN_PLACEHOLDER = 0xFF2080C0;  // an amber box: "a graphics character is here"

// Draws columns x rows character cells into `pixels`, (columns * 8) x
// (rows * 8) RGBA pixels, resized to fit. The cells are read from `first`
// on, `stride` bytes from one row to the next (video memory is wider than
// the window a monitor shows).
void draw_screen(const uint8_t* first, int stride, int columns, int rows, std::vector<uint32_t>& pixels);
