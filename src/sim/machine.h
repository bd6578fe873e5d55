// The simulated OSI machine: CPU, memory map, disk controller and drive, and
// a record of what the boot does on each track; it is its own CPU's bus.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/acia6850.h"
#include "sim/bit_clock.h"
#include "sim/boot_rom.h"
#include "sim/cpu6502.h"
#include "signal/disk_signal.h"
#include "sim/drive.h"
#include "sim/keyboard.h"
#include "sim/pia6821.h"
#include "sim/track_visit.h"
#include "sim/typing.h"

//   $0000-$BFFF RAM             $C000-$C003 PIA      $C010-$C011 ACIA
//   $D000-$D7FF video RAM       $DF00-$DFFF keyboard $F800-$FFFF ROM
// and nothing elsewhere; a smaller machine has less RAM and video, and a
// ROM of the user's own may take 1 to 4 KB at the top.
constexpr uint16_t RAM_END = 0xBFFF;
constexpr uint16_t PIA_BASE = 0xC000;
constexpr uint16_t ACIA_BASE = 0xC010;
constexpr uint16_t DEVICE_WINDOW = 0xC000;        // $C000-$C01F: the controller's registers
constexpr uint16_t DEVICE_WINDOW_MASK = 0xFFE0;
constexpr uint16_t VIDEO_START = 0xD000;
constexpr uint16_t VIDEO_END = 0xD7FF;
constexpr size_t VIDEO_SIZE = VIDEO_END - VIDEO_START + 1;
constexpr uint8_t VIDEO_BLANK = 0x20;  // the screen starts cleared
// Nothing drives the data bus at an empty address, and it reads high.
constexpr uint8_t UNMAPPED_READ = 0xFF;

struct MachineSettings {
    uint64_t cpu_hz = 0;     // > 0
    double index_us = 0;     // length of the index pulse
    int start_track = 0;     // where the head rests at power-up
    // The machine's size and keyboard.
    uint16_t ram_end = RAM_END;
    uint16_t video_size = VIDEO_SIZE;   // from VIDEO_START, at most VIDEO_SIZE
    KeyboardPolarity keyboard = KeyboardPolarity::active_low;
    bool shift_lock_down = true;
};

// Reads and writes of RAM are inlined; the controller is brought up to date
// only when the CPU touches one of its registers.
struct Machine {
    Cpu6502 cpu;
    std::array<uint8_t, 0x10000> memory{};  // what reads see: RAM, video, ROM, $FF elsewhere
    Pia6821 pia;
    Acia6850 acia;
    Drive drive;
    const DiskSignal* disk = nullptr;
    BitClock clock;

    // Watching the program from outside: the visit to the track under the
    // head is visits.back(); a byte read from the ACIA counts as stored when
    // the very next write writes it.
    std::vector<TrackVisit> visits;
    bool disk_byte_pending = false;
    uint8_t disk_byte = 0;
    uint64_t reads_since_configure = 0;
    uint64_t lost_at_last_read = 0;

    // The machine's size, its keyboard and who types on it.
    uint16_t ram_end = RAM_END;
    uint16_t video_end = VIDEO_END;
    Keyboard keyboard;
    Typist typist;
    bool video_written = false;  // a store into video memory since the last look at the screen

    uint8_t read(uint16_t address) {
        if ((address & DEVICE_WINDOW_MASK) != DEVICE_WINDOW && (address >> 8) != KEYBOARD_PAGE_HIGH) {
            return memory[address];
        }
        return read_device(address);
    }

    void write(uint16_t address, uint8_t value) {
        if (address <= ram_end) {
            memory[address] = value;
            if (disk_byte_pending) note_write(address, value, true);
            return;
        }
        write_upper(address, value);
    }

    uint8_t read_device(uint16_t address);
    void write_upper(uint16_t address, uint8_t value);
    // A read of the address would give the value just written there.
    bool writable(uint16_t address) const {
        return address <= ram_end || (address >= VIDEO_START && address <= video_end);
    }
    // reads_back: a read of the address would give the value again.
    void note_write(uint16_t address, uint8_t value, bool reads_back);
};

// Clears the machine, maps the ROM, puts the disk in the drive and resets
// the CPU. The disk must outlive the machine and hold at least one track.
void machine_power_on(Machine& machine, const DiskSignal& disk, const MachineSettings& settings,
                      const BootRom& rom);
// The same with a ROM of rom_size bytes (1 to 4 KB) ending at $FFFF.
void machine_power_on(Machine& machine, const DiskSignal& disk, const MachineSettings& settings,
                      const uint8_t* rom, size_t rom_size);

// Brings the controller up to the CPU's present cycle and closes the visit
// to the present track, so that its counts are complete.
void machine_finish_visits(Machine& machine);
