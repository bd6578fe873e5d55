// The drive: stepping on the step line's falling edge, the track-0 and
// index signals, and data reaching the ACIA only while the head is loaded.
#include <gtest/gtest.h>

#include <vector>

#include "sim/drive.h"

namespace {

Drive drive_at(int track) {
    Drive drive;
    drive.track = track;
    drive.last_track = 39;
    drive.revolution_bits = 25000;
    drive.index_bits = 688;
    return drive;
}

TEST(Drive, StepsOnTheFallingEdgeOfTheStepLine) {
    struct Step {
        uint8_t lines;
        bool pulse;
        int track;
    };
    struct Case {
        const char* name;
        int start;
        std::vector<Step> steps;
    } cases[] = {
        {"out: direction bit set", 5, {{0xF7, true, 4}, {0xFF, false, 4}, {0xF7, true, 3}}},
        {"in: direction bit clear", 5, {{0xFB, false, 5}, {0xF3, true, 6}, {0xFB, false, 6}}},
        {"the direction at the edge counts", 5, {{0xF3, true, 6}, {0xF7, false, 6}, {0xFF, false, 6}, {0xF7, true, 5}}},
        {"other lines do not step", 5, {{0x7F, false, 5}, {0x7B, false, 5}, {0xFD, false, 5}}},
        {"never below track 0", 0, {{0xF7, true, 0}, {0xFF, false, 0}, {0xF7, true, 0}}},
        {"never past the last track", 39, {{0xF3, true, 39}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drive drive = drive_at(c.start);
        for (size_t i = 0; i < c.steps.size(); i++) {
            SCOPED_TRACE(i);
            EXPECT_EQ(drive_set_control(drive, c.steps[i].lines), c.steps[i].pulse);
            EXPECT_EQ(drive.track, c.steps[i].track);
        }
    }
}

TEST(Drive, StatusLines) {
    struct Case {
        int track;
        uint64_t bit_time;
        uint8_t lines;  // ready (bit 0) always low
    } cases[] = {
        {0, 0, 0x7C},          // index starts, track 0
        {0, 687, 0x7C},        // last bit time of the pulse
        {0, 688, 0xFC},        // pulse over
        {3, 688, 0xFE},
        {3, 24999, 0xFE},
        {3, 25000, 0x7E},      // next revolution
        {3, 250000 + 100, 0x7E},
        {3, 250000 + 700, 0xFE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bit_time);
        EXPECT_EQ(drive_status_lines(drive_at(c.track), c.bit_time), c.lines);
    }
}

TEST(Drive, DataFlowOnlyWhileTheHeadIsLoaded) {
    DiskSignal disk{DiskFormat::mini, 125000, {}};
    disk.tracks.resize(40);
    for (size_t t = 0; t < disk.tracks.size(); t++) disk.tracks[t].bits.assign(100, static_cast<uint8_t>(t % 2));
    Drive drive = drive_at(3);
    EXPECT_EQ(drive_data_line(drive, disk).bits, nullptr);
    drive_set_control(drive, 0x7F);  // head loaded
    const SerialLine line = drive_data_line(drive, disk);
    EXPECT_EQ(line.bits, disk.tracks[3].bits.data());
    EXPECT_EQ(line.length, 100u);
    drive_set_control(drive, 0xFF);
    EXPECT_EQ(drive_data_line(drive, disk).bits, nullptr);
}

}  // namespace
