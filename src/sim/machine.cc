// The machine's device registers, memory map and boot record.
#include "sim/machine.h"

#include <algorithm>
#include <cmath>

#include "base/units.h"

namespace {

// Brings the receiver up to the present: every bit whose middle has passed
// is sampled from the line as it has been since the last look.
void sync_receiver(Machine& m) {
    acia_receive(m.acia, drive_data_line(m.drive, *m.disk), bits_sampled_by(m.clock, m.cpu.cycles));
}

// The index pulses that began in (from, to]: one at each multiple of the revolution.
uint64_t index_pulses_between(const Machine& m, uint64_t from_cycle, uint64_t to_cycle) {
    const uint64_t revolution = m.drive.revolution_bits;
    return bit_time_at(m.clock, to_cycle) / revolution - bit_time_at(m.clock, from_cycle) / revolution;
}

void close_visit(Machine& m) {
    TrackVisit& visit = m.visits.back();
    visit.left_cycle = m.cpu.cycles;
    visit.index_pulses = index_pulses_between(m, visit.arrived_cycle, visit.left_cycle);
}

void open_visit(Machine& m) {
    TrackVisit visit;
    visit.track = m.drive.track;
    visit.arrived_cycle = m.cpu.cycles;
    m.visits.push_back(visit);
}

void set_port_b(Machine& m) {
    const uint8_t lines = pia_port_b_lines(m.pia);
    if (lines == m.drive.control_lines) return;
    sync_receiver(m);  // the bits so far came from the old track and head state
    const int track = m.drive.track;
    drive_set_control(m.drive, lines);
    if (m.drive.track != track) {
        close_visit(m);
        open_visit(m);
    }
}

uint8_t read_data_register(Machine& m) {
    sync_receiver(m);
    const uint8_t value = acia_read_data(m.acia);
    TrackVisit& visit = m.visits.back();
    visit.bytes_read++;
    // Frames lost after the program's first read and before this one are
    // bytes it missed; those lost while nobody was reading are not.
    if (m.reads_since_configure > 0) visit.bytes_lost += m.acia.frames_lost - m.lost_at_last_read;
    m.lost_at_last_read = m.acia.frames_lost;
    m.reads_since_configure++;
    m.disk_byte_pending = true;
    m.disk_byte = value;
    return value;
}

void write_control_register(Machine& m, uint8_t value) {
    sync_receiver(m);
    acia_write_control(m.acia, value, bits_sampled_by(m.clock, m.cpu.cycles));
    m.reads_since_configure = 0;
    m.lost_at_last_read = m.acia.frames_lost;
}

// The keyboard: the typist presses and releases keys as the program comes
// to look.
uint8_t read_keyboard(Machine& m) {
    typist_at_keyboard(m.typist, m.keyboard, m.cpu.cycles);
    return keyboard_read(m.keyboard);
}

void write_keyboard(Machine& m, uint8_t value) {
    typist_at_keyboard(m.typist, m.keyboard, m.cpu.cycles);
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

uint8_t Machine::read_device(uint16_t address) {
    if (address >= PIA_BASE && address <= PIA_BASE + PIA_REGISTER_MASK) {
        const uint8_t inputs = drive_status_lines(drive, bit_time_at(clock, cpu.cycles));
        return pia_read(pia, static_cast<uint16_t>(address - PIA_BASE), inputs);
    }
    if (address == ACIA_BASE + ACIA_CONTROL_STATUS) {
        sync_receiver(*this);
        return acia_status(acia);
    }
    if (address == ACIA_BASE + ACIA_DATA) return read_data_register(*this);
    if ((address >> 8) == KEYBOARD_PAGE_HIGH) return read_keyboard(*this);
    return UNMAPPED_READ;
}

void Machine::write_upper(uint16_t address, uint8_t value) {
    if (address >= PIA_BASE && address <= PIA_BASE + PIA_REGISTER_MASK) {
        pia_write(pia, static_cast<uint16_t>(address - PIA_BASE), value);
        set_port_b(*this);
    } else if (address == ACIA_BASE + ACIA_CONTROL_STATUS) {
        write_control_register(*this, value);
    } else if (address >= VIDEO_START && address <= video_end) {
        memory[address] = value;
        video_written = true;
    } else if ((address >> 8) == KEYBOARD_PAGE_HIGH) {
        write_keyboard(*this, value);
    }
    // The ACIA's transmit register and everything else take nothing. Read
    // back, a device register is something else again; elsewhere the byte
    // fails the read-back unless the ROM or the empty bus happen to hold it.
    if (disk_byte_pending) {
        const bool device = (address & DEVICE_WINDOW_MASK) == DEVICE_WINDOW;
        note_write(address, value, writable(address) || (!device && memory[address] == value));
    }
}

void Machine::note_write(uint16_t address, uint8_t value, bool reads_back) {
    disk_byte_pending = false;
    // A push (the 6502 writes at S, then decrements it) is a call or an
    // interrupt, not the program keeping the byte.
    if (address == (CPU_STACK_PAGE | cpu.s)) return;
    if (value == disk_byte) visit_note_store(visits.back(), address, reads_back);
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
    m.visits.clear();
    m.disk_byte_pending = false;
    m.reads_since_configure = 0;
    m.lost_at_last_read = 0;
    open_visit(m);
    cpu_reset(m.cpu, m);
}

void machine_finish_visits(Machine& m) {
    sync_receiver(m);
    close_visit(m);
}
