// The screen as text: the window of video memory a monitor shows (or all
// of it), row by row, and whether a text is on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/machine_profile.h"

constexpr char SCREEN_UNPRINTABLE = '.';

// video holds the layout's video memory from its start. Each row is exactly
// as wide as the window (or the memory's rows, with whole): printable ASCII
// as it is, anything else as SCREEN_UNPRINTABLE. Rows the memory does not
// reach are left out.
std::vector<std::string> screen_rows(const std::vector<uint8_t>& video, const VideoLayout& layout, bool whole);

// True when one row holds text.
bool screen_shows(const std::vector<std::string>& rows, const std::string& text);
