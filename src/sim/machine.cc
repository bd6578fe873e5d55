// The machine's device registers, memory map and boot record.
#include "sim/machine.h"

#include <algorithm>
#include <cmath>

#include "base/units.h"

namespace {

// Brings the receiver up to the cycle: every bit whose middle has passed is
// sampled from the line as it has been since the last look.
void sync_receiver(Machine& m, uint64_t cycle) {
    acia_receive(m.acia, drive_data_line(m.drive, *m.disk), bits_sampled_by(m.clock, cycle));
}

// The index pulses that began in (from, to]: one at each multiple of the revolution.
uint64_t index_pulses_between(const Machine& m, uint64_t from_cycle, uint64_t to_cycle) {
    const uint64_t revolution = m.drive.revolution_bits;
    return bit_time_at(m.clock, to_cycle) / revolution - bit_time_at(m.clock, from_cycle) / revolution;
}

void leave_track(Machine& m, uint64_t cycle) {
    const uint64_t arrived = m.watch.visits.back().arrived_cycle;
    watch_leave(m.watch, cycle, index_pulses_between(m, arrived, cycle));
}

void set_port_b(Machine& m, uint64_t cycle) {
    const uint8_t lines = pia_port_b_lines(m.pia);
    if (lines == m.drive.control_lines) return;
    sync_receiver(m, cycle);  // the bits so far came from the old track and head state
    const int track = m.drive.track;
    drive_set_control(m.drive, lines);
    if (m.drive.track != track) {
        leave_track(m, cycle);
        watch_arrive(m.watch, m.drive.track, cycle);
    }
}

bool in_pia(uint16_t address) { return address >= PIA_BASE && address <= PIA_BASE + PIA_REGISTER_MASK; }

// The keyboard: the typist presses and releases keys as the program comes
// to look.
uint8_t read_keyboard(Machine& m, uint64_t cycle) {
    typist_at_keyboard(m.typist, m.keyboard, cycle);
    return keyboard_read(m.keyboard);
}

void write_keyboard(Machine& m, uint8_t value, uint64_t cycle) {
    typist_at_keyboard(m.typist, m.keyboard, cycle);
    keyboard_write(m.keyboard, value);
}

// RAM from $0000 to ram_end and video RAM from VIDEO_START, cleared; $FF
// elsewhere; the ROM at the top.
void map_memory(Machine& m, const MachineSettings& settings, const uint8_t* rom, size_t rom_size) {
    m.ram_end = std::min(settings.ram_end, RAM_END);
    const uint16_t video_size = std::min(settings.video_size, static_cast<uint16_t>(VIDEO_SIZE));
    m.video_end = static_cast<uint16_t>(VIDEO_START + video_size - 1);
    std::fill(m.memory.begin(), m.memory.end(), UNMAPPED_READ);
    std::fill(m.memory.begin(), m.memory.begin() + m.ram_end + 1, 0);
    std::fill(m.memory.begin() + VIDEO_START, m.memory.begin() + m.video_end + 1, VIDEO_BLANK);
    const size_t size = std::min(rom_size, m.memory.size());
    std::copy(rom, rom + size, m.memory.end() - static_cast<std::ptrdiff_t>(size));
    m.video_written = false;
}

}  // namespace

uint8_t Machine::read_device(uint16_t address, uint64_t cycle) {
    if (in_pia(address)) {
        const uint8_t inputs = drive_status_lines(drive, bit_time_at(clock, cycle));
        return pia_read(pia, static_cast<uint16_t>(address - PIA_BASE), inputs);
    }
    if (address == ACIA_BASE + ACIA_CONTROL_STATUS) {
        sync_receiver(*this, cycle);
        return acia_status(acia);
    }
    if (address == ACIA_BASE + ACIA_DATA) {
        sync_receiver(*this, cycle);
        const uint8_t value = acia_read_data(acia);
        watch_disk_read(watch, value, acia.frames_lost);
        return value;
    }
    if ((address >> 8) == KEYBOARD_PAGE_HIGH) return read_keyboard(*this, cycle);
    return UNMAPPED_READ;
}

void Machine::write_upper(uint16_t address, uint8_t value, uint64_t cycle) {
    if (in_pia(address)) {
        pia_write(pia, static_cast<uint16_t>(address - PIA_BASE), value);
        set_port_b(*this, cycle);
    } else if (address == ACIA_BASE + ACIA_CONTROL_STATUS) {
        sync_receiver(*this, cycle);
        acia_write_control(acia, value, bits_sampled_by(clock, cycle));
        watch_configure(watch, acia.frames_lost);
    } else if (address >= VIDEO_START && address <= video_end) {
        memory[address] = value;
        video_written = true;
    } else if ((address >> 8) == KEYBOARD_PAGE_HIGH) {
        write_keyboard(*this, value, cycle);
    }
    // The ACIA's transmit register and everything else take nothing. Read
    // back, a device register is something else again; elsewhere the byte
    // fails the read-back unless the ROM or the empty bus happen to hold it.
    if (watch.disk_byte_pending) {
        const bool device = (address & DEVICE_WINDOW_MASK) == DEVICE_WINDOW;
        watch_store(watch, address, value, writable(address) || (!device && memory[address] == value));
    }
}

void machine_power_on(Machine& m, const DiskSignal& disk, const MachineSettings& settings,
                      const BootRom& rom) {
    machine_power_on(m, disk, settings, rom.data(), rom.size());
}

void machine_power_on(Machine& m, const DiskSignal& disk, const MachineSettings& settings,
                      const uint8_t* rom, size_t rom_size) {
    m.cpu = Cpu6502{};
    map_memory(m, settings, rom, rom_size);
    m.keyboard = keyboard_power_on(settings.keyboard, settings.shift_lock_down);
    m.typist = Typist{};
    m.typist.shift_lock_down = settings.shift_lock_down;
    m.pia = Pia6821{};
    m.acia = Acia6850{};
    m.disk = &disk;
    m.clock.cpu_hz = settings.cpu_hz;
    m.clock.bit_rate = static_cast<uint64_t>(std::llround(disk.bit_rate));
    m.drive = Drive{};
    m.drive.last_track = static_cast<int>(disk.tracks.size()) - 1;
    m.drive.track = std::clamp(settings.start_track, 0, m.drive.last_track);
    m.drive.revolution_bits = std::max<uint64_t>(disk.tracks[0].bits.size(), 1);
    const double index_bits = std::round(settings.index_us * disk.bit_rate / MICROSECONDS_PER_SECOND);
    m.drive.index_bits = index_bits > 0 ? static_cast<uint64_t>(index_bits) : 0;
    watch_start(m.watch, m.drive.track);
    cpu_reset(m.cpu, m);
}

void machine_finish_visits(Machine& m) {
    sync_receiver(m, m.cpu.cycles);
    leave_track(m, m.cpu.cycles);
}

std::vector<TrackVisit> machine_visits_so_far(const Machine& m) {
    BootWatch watch = m.watch;
    const uint64_t now = m.cpu.cycles;
    watch_leave(watch, now, index_pulses_between(m, watch.visits.back().arrived_cycle, now));
    return watch.visits;
}
