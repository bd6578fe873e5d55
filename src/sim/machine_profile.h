// The OSI machines a user can pick for a boot: clock, RAM, video layout,
// the part of the video a monitor shows, and the keyboard's levels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "signal/disk_signal.h"
#include "sim/keyboard.h"

// Video memory is rows of `columns` bytes from `start`; a monitor shows a
// window of it, window_columns by window_rows from window_start.
struct VideoLayout {
    uint16_t start;
    uint16_t size;
    uint8_t columns;
    uint8_t rows;
    uint16_t window_start;
    uint8_t window_columns;
    uint8_t window_rows;
};

struct MachineProfile {
    const char* name;
    const char* summary;      // one line for --help and the report
    DiskFormat drive;         // the disks its drive takes
    uint64_t cpu_hz;
    unsigned ram_kb;          // from $0000 up
    VideoLayout video;
    KeyboardPolarity keyboard;
};

// RAM can reach $BFFF: the disk controller sits at $C000.
constexpr unsigned MAX_RAM_KB = 48;
constexpr unsigned MIN_RAM_KB = 1;

extern const MachineProfile MACHINE_PROFILES[];
extern const size_t MACHINE_PROFILE_COUNT;

// The profile with this name, or nullptr.
const MachineProfile* find_machine_profile(const char* name);

// The machine a disk of this format boots on unless the user picks one:
// the C1P for 5.25-inch disks, the C3 for 8-inch ones.
const MachineProfile& default_machine_profile(DiskFormat format);

constexpr uint16_t ram_end_for(unsigned ram_kb) { return static_cast<uint16_t>(ram_kb * 1024u - 1); }
