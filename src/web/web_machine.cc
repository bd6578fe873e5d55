// The machine in the page: booted from a disk file, run in slices by the
// page's timer, looked at between slices.
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "disk/boot_disk_facts.h"
#include "sim/live_machine.h"
#include "spindisk/boot_report.h"
#include "spindisk/json_writer.h"
#include "web/screen_font.h"
#include "web/web_api.h"
#include "web/web_disk.h"

namespace {

constexpr int SCREEN_ROWS = 32;
constexpr int MINI_SCREEN_COLUMNS = 32;  // the Superboard II / C1P's 1 KB of video
constexpr int FULL_SCREEN_COLUMNS = 64;  // the 2 MHz boards' 2 KB

// A slice is at most this long, so one call cannot hang the page.
constexpr double MAX_SLICE_CYCLES = 1e8;

}  // namespace

struct WebMachine {
    LiveMachine live;
    std::string boot_json;   // the same boot run ahead: what the live one will reach, and when
    std::string state_json;  // the texts the page reads stay here until the next call
    std::string screen_text;
    std::vector<uint32_t> pixels;
};

namespace {

int screen_columns(const WebMachine& machine) {
    return machine.live.disk.format == DiskFormat::full ? FULL_SCREEN_COLUMNS : MINI_SCREEN_COLUMNS;
}

const uint8_t* video_memory(const WebMachine& machine) { return &machine.live.machine.memory[VIDEO_START]; }

std::string visit_json(const TrackVisit& visit) {
    return json_object({{"track", json_number(static_cast<uint64_t>(visit.track))},
                        {"revolutions", json_number(visit.index_pulses)},
                        {"bytes_read", json_number(visit.bytes_read)},
                        {"bytes_stored", json_number(visit.bytes_stored)},
                        {"bytes_lost", json_number(visit.bytes_lost)},
                        {"read_back_errors", json_number(visit.readback_errors)}});
}

}  // namespace

WebMachine* web_machine_boot(const uint8_t* bytes, size_t size, const char* name) {
    DiskFile disk;
    std::string error;
    if (!web_read_disk(bytes, size, name, disk, error) || disk.signal.tracks.empty()) return nullptr;
    DiskSignal& signal = disk.signal;
    auto machine = std::make_unique<WebMachine>();
    const BootSettings settings = default_boot_settings(signal.format);
    // The machine is deterministic: the live run reaches the start (or the
    // failure) at the very cycle this run does.
    machine->boot_json = boot_report_json(simulate_boot(signal, settings), ReportExtras{});
    live_power_on(machine->live, std::move(signal), settings);
    return machine.release();
}

int web_machine_run(WebMachine* machine, double cycles) {
    if (!(cycles > 0)) return !machine->live.machine.cpu.stopped;
    return live_run(machine->live, static_cast<uint64_t>(std::fmin(cycles, MAX_SLICE_CYCLES))) ? 1 : 0;
}

const char* web_machine_boot_json(const WebMachine* machine) { return machine->boot_json.c_str(); }

double web_machine_cpu_hz(const WebMachine* machine) {
    return static_cast<double>(machine->live.machine.clock.cpu_hz);
}

const char* web_machine_state_json(WebMachine* machine) {
    const Machine& m = machine->live.machine;
    // The tracks the program read, and the one under the head now.
    const std::vector<TrackVisit> all = live_visits(machine->live);
    std::vector<std::string> visits;
    for (size_t i = 0; i < all.size(); i++) {
        if (all[i].bytes_read > 0 || i + 1 == all.size()) visits.push_back(visit_json(all[i]));
    }
    machine->state_json = json_object({{"seconds", std::to_string(live_seconds(machine->live))},
                                       {"cycles", json_number(m.cpu.cycles)},
                                       {"pc", json_number(m.cpu.pc)},
                                       {"stopped", json_bool(m.cpu.stopped)},
                                       {"track_count", json_number(machine->live.disk.tracks.size())},
                                       {"head_track", json_number(static_cast<uint64_t>(m.drive.track))},
                                       {"head_loaded", json_bool(drive_head_loaded(m.drive))},
                                       {"visits", json_array(visits)}});
    return machine->state_json.c_str();
}

const char* web_machine_screen_text(WebMachine* machine) {
    BootReport screen;
    screen.format = machine->live.disk.format;
    screen.video.assign(video_memory(*machine), video_memory(*machine) + VIDEO_SIZE);
    machine->screen_text.clear();
    for (const std::string& row : screen_rows(screen)) machine->screen_text += row + "\n";
    return machine->screen_text.c_str();
}

const uint8_t* web_machine_screen_pixels(WebMachine* machine) {
    draw_screen(video_memory(*machine), screen_columns(*machine), SCREEN_ROWS, machine->pixels);
    return reinterpret_cast<const uint8_t*>(machine->pixels.data());
}

int web_machine_screen_width(const WebMachine* machine) { return screen_columns(*machine) * CELL_PIXELS; }
int web_machine_screen_height(const WebMachine*) { return SCREEN_ROWS * CELL_PIXELS; }

void web_machine_free(WebMachine* machine) { delete machine; }
