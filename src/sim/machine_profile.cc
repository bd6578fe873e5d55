// The machine table. Each figure says where it comes from; "model" marks a
// figure that is a fair choice rather than a fact of the machine.
#include "sim/machine_profile.h"

#include <cstring>

namespace {

// The 600 board's video (Superboard II / C1P): 1 KB at $D000, 32 bytes a
// row, 32 rows (the board's character generator addressing). A monitor
// shows about 24 x 24 of it; cc65's osic1p conio puts its (0,0) at $D085,
// which is row 4, column 5, and uses 24 columns of 24 rows from there.
constexpr VideoLayout C1P_VIDEO = {0xD000, 0x0400, 32, 32, 0xD085, 24, 24};

// The 540 board's video (C2/C4, C3 with a video console): 2 KB at $D000,
// 64 bytes a row, 32 rows. How much of it a monitor shows depends on the
// set's overscan; the model shows all of it.
constexpr VideoLayout WIDE_VIDEO = {0xD000, 0x0800, 64, 32, 0xD000, 64, 32};

// RAM: every profile has the largest RAM the map has room for, $0000-$BFFF
// (model: the machines shipped with 4 to 32 KB, cc65 assumes 32 KB; --ram
// says how much a given machine has), so that any disk SpinLoad makes loads.
constexpr unsigned FULL_RAM_KB = 48;

constexpr const char* DEFAULT_MINI_MACHINE = "c1p";
constexpr const char* DEFAULT_FULL_MACHINE = "c3";

}  // namespace

const MachineProfile MACHINE_PROFILES[] = {
    // Clock: the 600 board's 3.93216 MHz crystal divided by 4. Keyboard: the
    // 600 board inverts both the row select and the columns.
    {"c1p", "Superboard II / Challenger 1P, 983040 Hz, 1 KB video 32 x 32 (24 x 24 shown)", DiskFormat::mini,
     983040, FULL_RAM_KB, C1P_VIDEO, KeyboardPolarity::active_low},
    // The common modification: the crystal divided by 2.
    {"c1p-2mhz", "the same with the common 2 MHz modification, 1966080 Hz", DiskFormat::mini, 1966080, FULL_RAM_KB,
     C1P_VIDEO, KeyboardPolarity::active_low},
    // Challenger 4P: 5.25-inch drive, the faster 500-series CPU board (about 2
    // MHz; the model takes the C1P's 2 MHz figure), 540 video, the 542
    // keyboard with active-high rows and columns.
    {"c4p", "Challenger 4P, 1966080 Hz, 2 KB video 64 x 32", DiskFormat::mini, 1966080, FULL_RAM_KB, WIDE_VIDEO,
     KeyboardPolarity::active_high},
    // Challenger 3: 8-inch drives, the 510 board at 2 MHz (8-inch disks with
    // the standard loader need at least 1.19 MHz), and (model) a 540 video board and 542 keyboard as
    // on the C4P; many C3s had a serial terminal instead.
    {"c3", "Challenger 3, 8-inch, 1966080 Hz, 2 KB video 64 x 32", DiskFormat::full, 1966080, FULL_RAM_KB,
     WIDE_VIDEO, KeyboardPolarity::active_high},
};
const size_t MACHINE_PROFILE_COUNT = sizeof MACHINE_PROFILES / sizeof MACHINE_PROFILES[0];

const MachineProfile* find_machine_profile(const char* name) {
    for (const MachineProfile& profile : MACHINE_PROFILES) {
        if (std::strcmp(profile.name, name) == 0) return &profile;
    }
    return nullptr;
}

const MachineProfile& default_machine_profile(DiskFormat format) {
    return *find_machine_profile(format == DiskFormat::full ? DEFAULT_FULL_MACHINE : DEFAULT_MINI_MACHINE);
}
