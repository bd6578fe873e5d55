// Running the machine in slices and looking at it between them.
#include "sim/live_machine.h"

#include <utility>

void live_power_on(LiveMachine& live, DiskSignal disk, const BootSettings& settings) {
    live.disk = std::move(disk);
    boot_power_on(live.machine, live.disk, settings);
}

bool live_run(LiveMachine& live, uint64_t cycles) {
    Machine& m = live.machine;
    const uint64_t limit = m.cpu.cycles + cycles;
    while (m.cpu.cycles < limit) {
        if (cpu_step(m.cpu, m) == 0) return false;
    }
    return !m.cpu.stopped;
}

void live_type(LiveMachine& live, const std::vector<KeyStroke>& strokes) {
    Typist& typist = live.machine.typist;
    typist.strokes.insert(typist.strokes.end(), strokes.begin(), strokes.end());
    if (!typist.started) typist_start(typist, live.machine.cpu.cycles);
}

std::vector<TrackVisit> live_visits(const LiveMachine& live) { return machine_visits_so_far(live.machine); }

double live_seconds(const LiveMachine& live) { return seconds_at(live.machine.clock, live.machine.cpu.cycles); }
