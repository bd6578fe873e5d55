// The floppy drive as the controller's PIA sees it: the head's track and
// load, the step line, the track-0 and index signals and the data line.
#pragma once

#include <cstdint>

#include "sim/acia6850.h"
#include "signal/disk_signal.h"

// Port A inputs from the drive (a signal is active when low).
constexpr uint8_t DRIVE_NOT_READY = 0x01;
constexpr uint8_t DRIVE_NOT_TRACK_ZERO = 0x02;
constexpr uint8_t DRIVE_WRITE_ENABLED = 0x20;
constexpr uint8_t DRIVE_NOT_INDEX = 0x80;

// Port B outputs to the drive.
constexpr uint8_t DRIVE_STEP_OUT = 0x04;       // direction: 0 toward higher tracks, 1 toward track 0
constexpr uint8_t DRIVE_NOT_STEP = 0x08;       // the head steps on this line's falling edge
constexpr uint8_t DRIVE_NOT_HEAD_LOAD = 0x80;  // 0: the head is on the disk and data flow

struct Drive {
    int track = 0;
    int last_track = 0;
    uint8_t control_lines = 0xFF;  // port B as the drive last saw it
    uint64_t revolution_bits = 0;  // bit times per revolution, > 0
    uint64_t index_bits = 0;       // bit times the index pulse lasts
};

bool drive_head_loaded(const Drive& drive);

// Takes port B's new levels; true when they carried a step pulse (the head
// moves one track, but not past track 0 or the last track).
bool drive_set_control(Drive& drive, uint8_t lines);

// Port A's input levels at this bit time.
uint8_t drive_status_lines(const Drive& drive, uint64_t bit_time);

// What reaches the ACIA: the track under the head while it is loaded.
SerialLine drive_data_line(const Drive& drive, const DiskSignal& disk);
