// The screen as text: the window a monitor shows, or the whole video
// memory, and finding a text on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/machine_profile.h"
#include "sim/screen.h"

namespace {

void put(std::vector<uint8_t>& video, size_t at, const std::string& text) {
    for (size_t i = 0; i < text.size(); i++) video[at + i] = static_cast<uint8_t>(text[i]);
}

const MachineProfile& profile(const char* name) { return *find_machine_profile(name); }

TEST(Screen, TheWindowAMonitorShows) {
    // On the C1P the window is 24 x 24 from $D085: row 4, column 5 of the
    // 32-byte rows. Offset $85 is its top left corner, $85 + 23 its top
    // right, $85 + 23 * 32 its bottom left; $84 is just left of it.
    std::vector<uint8_t> video(0x400, ' ');
    put(video, 0x85, "HI");
    put(video, 0x85 + 23, "<");
    put(video, 0x84, "X");
    video[0x85 + 32] = 0x01;
    put(video, 0x85 + 23 * 32, "END");
    const std::vector<std::string> rows = screen_rows(video, profile("c1p").video, false);
    ASSERT_EQ(rows.size(), 24u);
    EXPECT_EQ(rows[0], "HI" + std::string(21, ' ') + "<");
    EXPECT_EQ(rows[1], "." + std::string(23, ' '));
    EXPECT_EQ(rows[23], "END" + std::string(21, ' '));
    EXPECT_TRUE(screen_shows(rows, "HI "));
    EXPECT_FALSE(screen_shows(rows, "XHI")) << "the X is outside the window";
    EXPECT_FALSE(screen_shows(rows, "<."))  << "a text does not run on into the next row";
}

TEST(Screen, TheWholeVideoMemory) {
    struct Case {
        const char* machine;
        size_t size, columns, rows;
        size_t at;          // where "Z" is put
        size_t row, column; // where it shows
    } cases[] = {
        {"c1p", 0x400, 32, 32, 0x3FF, 31, 31},
        {"c4p", 0x800, 64, 32, 0x41, 1, 1},
        {"c3", 0x800, 64, 32, 0x7FF, 31, 63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.machine);
        std::vector<uint8_t> video(c.size, ' ');
        put(video, c.at, "Z");
        const std::vector<std::string> rows = screen_rows(video, profile(c.machine).video, true);
        ASSERT_EQ(rows.size(), c.rows);
        for (const std::string& row : rows) EXPECT_EQ(row.size(), c.columns);
        EXPECT_EQ(rows[c.row][c.column], 'Z');
    }
    // The 540 board's window is all of it.
    std::vector<uint8_t> video(0x800, 'A');
    EXPECT_EQ(screen_rows(video, profile("c4p").video, false), screen_rows(video, profile("c4p").video, true));
}

TEST(MachineProfiles, TheTable) {
    struct Case {
        const char* name;
        DiskFormat drive;
        uint64_t cpu_hz;
        uint16_t video_size;
        uint16_t window_start;
        KeyboardPolarity keyboard;
    } cases[] = {
        {"c1p", DiskFormat::mini, 983040, 0x400, 0xD085, KeyboardPolarity::active_low},
        {"c1p-2mhz", DiskFormat::mini, 1966080, 0x400, 0xD085, KeyboardPolarity::active_low},
        {"c4p", DiskFormat::mini, 1966080, 0x800, 0xD000, KeyboardPolarity::active_high},
        {"c3", DiskFormat::full, 1966080, 0x800, 0xD000, KeyboardPolarity::active_high},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MachineProfile* p = find_machine_profile(c.name);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->drive, c.drive);
        EXPECT_EQ(p->cpu_hz, c.cpu_hz);
        EXPECT_EQ(p->video.size, c.video_size);
        EXPECT_EQ(p->video.window_start, c.window_start);
        EXPECT_EQ(p->keyboard, c.keyboard);
    }
    EXPECT_EQ(find_machine_profile("c2"), nullptr);
    EXPECT_STREQ(default_machine_profile(DiskFormat::mini).name, "c1p");
    EXPECT_STREQ(default_machine_profile(DiskFormat::full).name, "c3");
}

}  // namespace
