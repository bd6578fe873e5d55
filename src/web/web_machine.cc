// The machine in the page: booted from a disk file on a machine of the
// user's choice, run in slices by the page's timer, typed on, and looked at
// between slices.
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "disk/boot_disk_facts.h"
#include "disk/boot_verdict.h"
#include "sim/live_machine.h"
#include "sim/screen.h"
#include "spindisk/boot_report.h"
#include "spindisk/json_writer.h"
#include "web/screen_font.h"
#include "web/web_api.h"
#include "web/web_disk.h"
#include "web/web_result.h"

namespace {

// A slice is at most this long, so one call cannot hang the page.
constexpr double MAX_SLICE_CYCLES = 1e8;
// Each typed key is down this long and then up this long: spindisk boot's
// default for --key-ms, seen by a program that polls every few ms.
constexpr double KEY_MS = 50.0;

}  // namespace

struct WebMachine {
    LiveMachine live;
    MachineProfile profile;  // what it is: clock, video layout, keyboard
    std::string error;       // why there is no machine to run; empty when there is
    std::string boot_json;   // the same boot run ahead: what the live one will reach, and when
    std::string state_json;  // the texts the page reads stay here until the next call
    std::string screen_text;
    std::vector<uint32_t> pixels;
};

namespace {

// The part of video memory the machine's monitor shows, as text rows.
std::vector<std::string> visible_rows(const WebMachine& machine) {
    const VideoLayout& layout = machine.profile.video;
    const auto& memory = machine.live.machine.memory;
    const std::vector<uint8_t> video(memory.begin() + layout.start, memory.begin() + layout.start + layout.size);
    return screen_rows(video, layout, false);
}

std::string visit_json(const TrackVisit& visit) {
    return json_object({{"track", json_number(static_cast<uint64_t>(visit.track))},
                        {"revolutions", json_number(visit.index_pulses)},
                        {"bytes_read", json_number(visit.bytes_read)},
                        {"bytes_stored", json_number(visit.bytes_stored)},
                        {"bytes_lost", json_number(visit.bytes_lost)},
                        {"read_back_errors", json_number(visit.readback_errors)}});
}

// The disk's own machine, or the one named, if it takes this disk.
bool machine_settings(const std::string& name, DiskFormat disk, BootSettings& settings, std::string& error) {
    settings = default_boot_settings(disk);
    settings.bench.key_ms = KEY_MS;
    if (name.empty()) return true;
    const MachineProfile* profile = find_machine_profile(name.c_str());
    if (!profile) {
        error = "no machine '" + name + "'";
        return false;
    }
    if (profile->drive != disk) {
        error = std::string("the ") + profile->name + " takes " + geometry_for(profile->drive).name + " disks, and this one is " +
                geometry_for(disk).name;
        return false;
    }
    settings.bench.machine = *profile;
    settings.cpu_hz = profile->cpu_hz;
    return true;
}

}  // namespace

WebMachine* web_machine_boot(const uint8_t* bytes, size_t size, const char* name, const char* machine_name) {
    auto machine = std::make_unique<WebMachine>();
    DiskFile disk;
    BootSettings settings;
    if (!web_read_disk(bytes, size, name, disk, machine->error) ||
        !machine_settings(machine_name, disk.signal.format, settings, machine->error)) {
        return machine.release();
    }
    machine->profile = settings.bench.machine;
    // The machine is deterministic: the live run reaches the start (or the
    // failure) at the very cycle this run does.
    ReportExtras extras;
    extras.program_range = program_range(disk.facts);
    machine->boot_json = boot_report_json(simulate_boot(disk.signal, settings), extras);
    live_power_on(machine->live, std::move(disk.signal), settings);
    return machine.release();
}

const char* web_machine_error(const WebMachine* machine) { return machine->error.c_str(); }

const char* web_machine_boot_json(const WebMachine* machine) { return machine->boot_json.c_str(); }

int web_machine_run(WebMachine* machine, double cycles) {
    if (!(cycles > 0)) return !machine->live.machine.cpu.stopped;
    return live_run(machine->live, static_cast<uint64_t>(std::fmin(cycles, MAX_SLICE_CYCLES))) ? 1 : 0;
}

double web_machine_cpu_hz(const WebMachine* machine) {
    return static_cast<double>(machine->live.machine.clock.cpu_hz);
}

int web_machine_type(WebMachine* machine, const char* text) {
    std::vector<KeyStroke> strokes;
    std::string error;
    if (!parse_typed_text(text, strokes, error)) return 0;
    live_type(machine->live, strokes);
    return 1;
}

const char* web_machine_state_json(WebMachine* machine) {
    const Machine& m = machine->live.machine;
    // The tracks the program read, and the one under the head now.
    const std::vector<TrackVisit> all = live_visits(machine->live);
    std::vector<std::string> visits;
    for (size_t i = 0; i < all.size(); i++) {
        if (all[i].bytes_read > 0 || i + 1 == all.size()) visits.push_back(visit_json(all[i]));
    }
    machine->state_json = json_object({{"machine", json_string(machine->profile.name)},
                                       {"seconds", std::to_string(live_seconds(machine->live))},
                                       {"cycles", json_number(m.cpu.cycles)},
                                       {"pc", json_number(m.cpu.pc)},
                                       {"stopped", json_bool(m.cpu.stopped)},
                                       {"track_count", json_number(machine->live.disk.tracks.size())},
                                       {"head_track", json_number(static_cast<uint64_t>(m.drive.track))},
                                       {"head_loaded", json_bool(drive_head_loaded(m.drive))},
                                       {"keys_waiting", json_number(m.typist.strokes.size() - typist_keys_typed(m.typist))},
                                       {"visits", json_array(visits)}});
    return machine->state_json.c_str();
}

const char* web_machine_screen_text(WebMachine* machine) {
    machine->screen_text.clear();
    for (const std::string& row : visible_rows(*machine)) machine->screen_text += row + "\n";
    return machine->screen_text.c_str();
}

const uint8_t* web_machine_screen_pixels(WebMachine* machine) {
    const VideoLayout& layout = machine->profile.video;
    draw_screen(&machine->live.machine.memory[layout.window_start], layout.columns, layout.window_columns,
                layout.window_rows, machine->pixels);
    return reinterpret_cast<const uint8_t*>(machine->pixels.data());
}

int web_machine_screen_width(const WebMachine* machine) { return machine->profile.video.window_columns * CELL_PIXELS; }
int web_machine_screen_height(const WebMachine* machine) { return machine->profile.video.window_rows * CELL_PIXELS; }

void web_machine_free(WebMachine* machine) { delete machine; }

WebResult* web_machines() {
    std::vector<std::string> machines;
    for (size_t i = 0; i < MACHINE_PROFILE_COUNT; i++) {
        const MachineProfile& profile = MACHINE_PROFILES[i];
        machines.push_back(json_object({{"name", json_string(profile.name)},
                                        {"summary", json_string(profile.summary)},
                                        {"disk", json_string(geometry_for(profile.drive).name)}}));
    }
    return web_result_new({}, json_object({{"ok", json_bool(true)}, {"machines", json_array(machines)}}));
}
