// The simulated OSI machine: CPU, memory map, disk controller and drive; it
// is its own CPU's bus, and tells the boot's watch what the program does.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/acia6850.h"
#include "sim/bit_clock.h"
#include "sim/boot_rom.h"
#include "sim/boot_watch.h"
#include "sim/cpu6502.h"
#include "signal/disk_signal.h"
#include "sim/drive.h"
#include "sim/keyboard.h"
#include "sim/pia6821.h"
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
// only when the CPU touches one of its registers, to the cycle it does so in.
// The decode of everything outside RAM is in read_device and write_upper.
struct Machine {
    Cpu6502 cpu;
    std::array<uint8_t, 0x10000> memory{};  // what reads see: RAM, video, ROM, $FF elsewhere
    Pia6821 pia;
    Acia6850 acia;
    Drive drive;
    const DiskSignal* disk = nullptr;
    BitClock clock;
    BootWatch watch;

    // The machine's size, its keyboard and who types on it.
    uint16_t ram_end = RAM_END;
    uint16_t video_end = VIDEO_END;
    Keyboard keyboard;
    Typist typist;
    bool video_written = false;  // a store into video memory since the last look at the screen

    // The CPU's bus (see cpu6502.h): each access comes with its cycle.
    uint8_t read(uint16_t address, uint64_t cycle) {
        if ((address & DEVICE_WINDOW_MASK) != DEVICE_WINDOW && (address >> 8) != KEYBOARD_PAGE_HIGH) {
            return memory[address];
        }
        return read_device(address, cycle);
    }

    void write(uint16_t address, uint8_t value, uint64_t cycle) {
        if (address <= ram_end) {
            memory[address] = value;
            if (watch.disk_byte_pending) watch_store(watch, address, value, true);
            return;
        }
        write_upper(address, value, cycle);
    }

    // The stack page is RAM; a call's pushes are not the program keeping a byte.
    void push(uint16_t address, uint8_t value, uint64_t) {
        memory[address] = value;
        watch_push(watch);
    }

    uint8_t read_device(uint16_t address, uint64_t cycle);
    void write_upper(uint16_t address, uint8_t value, uint64_t cycle);
    // A read of the address would give the value just written there.
    bool writable(uint16_t address) const {
        return address <= ram_end || (address >= VIDEO_START && address <= video_end);
    }
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

// Every visit so far, the present one closed at the CPU's present cycle
// with the index pulses up to then; the machine itself is left as it is.
std::vector<TrackVisit> machine_visits_so_far(const Machine& machine);
