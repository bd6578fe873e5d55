// Recognises a disk before it is booted, from its signal: SpinLoad's loader
// or not, the start address, the first load address; and boots it.
#pragma once

#include <cstdint>

#include "disk/image_reader.h"
#include "signal/disk_signal.h"
#include "sim/boot_run.h"

BootDiskFacts examine_boot_disk(const DiskSignal& disk);

// The image reader's facts about a disk given as its signal: every track's
// bytes read back from the index on (what does not fit in a revolution
// reads as 0), laid out as an image of the disk's format.
ImageFacts read_signal_facts(const DiskSignal& disk);

// Recognises the disk, then boots it on the simulated machine.
BootReport simulate_boot(const DiskSignal& disk, const BootSettings& settings);
