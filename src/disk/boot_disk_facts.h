// Recognises a disk before it is booted, from its signal: SpinLoad's loader
// or not, the start address, the first load address; and boots it.
#pragma once

#include <cstdint>

#include "signal/disk_signal.h"
#include "sim/boot_run.h"



BootDiskFacts examine_boot_disk(const DiskSignal& disk);

// Recognises the disk, then boots it on the simulated machine.
BootReport simulate_boot(const DiskSignal& disk, const BootSettings& settings);
