// The boot watched from outside the CPU: the machine's bus tells the watch
// when the head reaches a track, when the program takes a byte from the disk
// and what it writes next, and the watch keeps a TrackVisit per track.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/track_visit.h"

struct BootWatch {
    std::vector<TrackVisit> visits;  // in order; the track under the head is visits.back()
    // A byte read from the ACIA counts as stored when the very next write
    // writes it; a push (a call) in between means the program did not keep it.
    bool disk_byte_pending = false;
    uint8_t disk_byte = 0;
    uint64_t reads_since_configure = 0;  // data reads since the ACIA was last configured
    uint64_t lost_at_last_read = 0;      // the ACIA's lost-frame count then
};

// Power-up: a fresh record, with the head resting on track.
void watch_start(BootWatch& watch, int track);
// The head reached track in this cycle; a new visit begins.
void watch_arrive(BootWatch& watch, int track, uint64_t cycle);
// The head leaves the present track (or the run ends) in this cycle, after
// index_pulses pulses began during the visit.
void watch_leave(BootWatch& watch, uint64_t cycle, uint64_t index_pulses);

// The ACIA was configured, with frames_lost lost since power-up so far.
void watch_configure(BootWatch& watch, uint64_t frames_lost);
// The program read value from the ACIA's data register.
void watch_disk_read(BootWatch& watch, uint8_t value, uint64_t frames_lost);
// A write while a disk byte is pending; reads_back: a read of the address
// would give the value again.
void watch_store(BootWatch& watch, uint16_t address, uint8_t value, bool reads_back);
// A push to the stack: a call or an interrupt, not the program keeping the byte.
inline void watch_push(BootWatch& watch) { watch.disk_byte_pending = false; }
