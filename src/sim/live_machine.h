// The simulated machine for a front end that shows it while it runs (the
// web page): power it on with a disk, run it a slice of cycles at a time,
// and look at its screen memory and the head's work between slices.
#pragma once

#include <cstdint>
#include <vector>

#include "signal/disk_signal.h"
#include "sim/boot_run.h"
#include "sim/machine.h"
#include "sim/track_visit.h"

// Owns the disk it plays, so the disk outlives the machine's pointer to it.
// Large (the 64 KB memory): keep it on the heap.
struct LiveMachine {
    DiskSignal disk;
    Machine machine;
};

// Powers the machine on with our boot ROM for the settings' clock, the disk
// in the drive (at least one track), the CPU at its reset vector.
void live_power_on(LiveMachine& live, DiskSignal disk, const BootSettings& settings);

// Runs at least `cycles` more cycles (the last instruction may run over);
// false once the CPU has stopped on an undocumented opcode.
bool live_run(LiveMachine& live, uint64_t cycles);

// Every visit so far, the one under way included with its index pulses and
// end counted up to now; the machine itself is left as it is.
std::vector<TrackVisit> live_visits(const LiveMachine& live);

double live_seconds(const LiveMachine& live);
