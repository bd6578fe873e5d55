// The simulated machine for a front end that shows it while it runs (the
// web page): power it on with a disk, run it a slice of cycles at a time,
// type on its keyboard, and look at its screen memory and the head's work
// between slices.
#pragma once

#include <cstdint>
#include <vector>

#include "signal/disk_signal.h"
#include "sim/boot_run.h"
#include "sim/machine.h"
#include "sim/track_visit.h"
#include "sim/typing.h"

// Owns the disk it plays, so the disk outlives the machine's pointer to it.
// Large (the 64 KB memory): keep it on the heap.
struct LiveMachine {
    DiskSignal disk;
    Machine machine;
};

// Powers on the machine the settings describe (its profile, clock, RAM,
// keyboard and key timing), the disk (at least one track) in the drive.
void live_power_on(LiveMachine& live, DiskSignal disk, const BootSettings& settings);

// Runs at least `cycles` more cycles (the last instruction may run over);
// false once the CPU has stopped on an undocumented opcode.
bool live_run(LiveMachine& live, uint64_t cycles);

// Queues keys for the typist, who presses each when the program next
// polls the keyboard, as spindisk boot's --keys does.
void live_type(LiveMachine& live, const std::vector<KeyStroke>& strokes);

// Every visit so far, the one under way included with its index pulses and
// end counted up to now; the machine itself is left as it is.
std::vector<TrackVisit> live_visits(const LiveMachine& live);

double live_seconds(const LiveMachine& live);
