// Keeping the boot's record of visits as the bus reports what the program does.
#include "sim/boot_watch.h"

void watch_start(BootWatch& watch, int track) {
    watch = BootWatch{};
    watch_arrive(watch, track, 0);
}

void watch_arrive(BootWatch& watch, int track, uint64_t cycle) {
    TrackVisit visit;
    visit.track = track;
    visit.arrived_cycle = cycle;
    watch.visits.push_back(visit);
}

void watch_leave(BootWatch& watch, uint64_t cycle, uint64_t index_pulses) {
    TrackVisit& visit = watch.visits.back();
    visit.left_cycle = cycle;
    visit.index_pulses = index_pulses;
}

void watch_configure(BootWatch& watch, uint64_t frames_lost) {
    watch.reads_since_configure = 0;
    watch.lost_at_last_read = frames_lost;
}

void watch_disk_read(BootWatch& watch, uint8_t value, uint64_t frames_lost) {
    TrackVisit& visit = watch.visits.back();
    visit.bytes_read++;
    // Frames lost after the program's first read and before this one are
    // bytes it missed; those lost while nobody was reading are not.
    if (watch.reads_since_configure > 0) visit.bytes_lost += frames_lost - watch.lost_at_last_read;
    watch.lost_at_last_read = frames_lost;
    watch.reads_since_configure++;
    watch.disk_byte_pending = true;
    watch.disk_byte = value;
}

void watch_store(BootWatch& watch, uint16_t address, uint8_t value, bool reads_back) {
    watch.disk_byte_pending = false;
    if (value == watch.disk_byte) visit_note_store(watch.visits.back(), address, reads_back);
}
