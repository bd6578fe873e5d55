// Reading the screen's window out of video memory.
#include "sim/screen.h"

#include "base/text.h"

std::vector<std::string> screen_rows(const std::vector<uint8_t>& video, const VideoLayout& layout, bool whole) {
    const size_t first = whole ? 0 : static_cast<size_t>(layout.window_start - layout.start);
    const size_t columns = whole ? layout.columns : layout.window_columns;
    const size_t rows = whole ? layout.rows : layout.window_rows;
    std::vector<std::string> text;
    for (size_t row = 0; row < rows; row++) {
        const size_t at = first + row * layout.columns;
        if (at + columns > video.size()) break;
        std::string line(columns, ' ');
        for (size_t column = 0; column < columns; column++) {
            const uint8_t byte = video[at + column];
            line[column] = is_printable_ascii(byte) ? static_cast<char>(byte) : SCREEN_UNPRINTABLE;
        }
        text.push_back(line);
    }
    return text;
}

bool screen_shows(const std::vector<std::string>& rows, const std::string& text) {
    for (const std::string& row : rows) {
        if (row.find(text) != std::string::npos) return true;
    }
    return false;
}
