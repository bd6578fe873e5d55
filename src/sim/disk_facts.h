// What the boot runner learns of a disk before booting it, from its signal:
// SpinLoad's loader or not, the start address, the first load address.
#pragma once

#include <cstdint>

#include "sim/disk_signal.h"

struct BootDiskFacts {
    uint16_t boot_address = 0;  // from the boot header on track 0
    uint8_t boot_pages = 0;
    bool loader = false;        // track 0 carries SpinLoad's loader
    uint16_t start_address = 0; // loader: its patched jump; otherwise where the ROM jumps ($2200)
    bool has_load_address = false;
    uint16_t load_address = 0;  // loader: track 1's load header; otherwise the boot header's
};

BootDiskFacts examine_boot_disk(const DiskSignal& disk);
