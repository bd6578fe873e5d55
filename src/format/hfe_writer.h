// Writes a disk's serial signal as an HFE file for Gotek/FlashFloppy and HxC
// floppy emulators: one revolution of cells per track, side 1 blank.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "signal/disk_signal.h"

// What the file will look like, worked out from the signal alone.
struct HfeLayout {
    int track_count = 0;
    uint16_t bit_rate_kbps = 0;  // the header's bit rate: twice the serial rate
    uint16_t rpm = 0;            // the header's rpm: serial rate * 60 / bits per revolution
    size_t bits_per_revolution = 0;
    size_t side_bytes = 0;       // cell bytes per side and track: one revolution, rounded up
    size_t track_blocks = 0;     // 512-byte blocks each track takes
    size_t file_size = 0;
};

// False with a reason when the signal cannot be an HFE file (no tracks,
// tracks of different lengths, a rate or length the header cannot hold).
bool hfe_layout_for(const DiskSignal& signal, HfeLayout& layout, std::string& error);

// The whole file: header, track table, tracks. False (file left empty) with
// the reason from hfe_layout_for.
bool signal_to_hfe(const DiskSignal& signal, std::vector<uint8_t>& file, std::string& error);
