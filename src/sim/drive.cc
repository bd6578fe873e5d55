// The drive's head, step and index logic.
#include "sim/drive.h"

namespace {

// Lines the drive does not drive read high. Bit 5 reads 1 as well: nothing
// here writes, so whether writing is allowed is of no consequence.
constexpr uint8_t IDLE_STATUS = 0xFF;

}  // namespace

bool drive_head_loaded(const Drive& drive) { return (drive.control_lines & DRIVE_NOT_HEAD_LOAD) == 0; }

bool drive_set_control(Drive& drive, uint8_t lines) {
    const bool falling_step = (drive.control_lines & DRIVE_NOT_STEP) && !(lines & DRIVE_NOT_STEP);
    drive.control_lines = lines;
    if (!falling_step) return false;
    if (lines & DRIVE_STEP_OUT) {
        if (drive.track > 0) drive.track--;
    } else if (drive.track < drive.last_track) {
        drive.track++;
    }
    return true;
}

uint8_t drive_status_lines(const Drive& drive, uint64_t bit_time) {
    uint8_t lines = static_cast<uint8_t>(IDLE_STATUS & ~DRIVE_NOT_READY);
    if (drive.track == 0) lines = static_cast<uint8_t>(lines & ~DRIVE_NOT_TRACK_ZERO);
    if (bit_time % drive.revolution_bits < drive.index_bits) lines = static_cast<uint8_t>(lines & ~DRIVE_NOT_INDEX);
    return lines;
}

SerialLine drive_data_line(const Drive& drive, const DiskSignal& disk) {
    SerialLine line;
    if (!drive_head_loaded(drive)) return line;
    const auto track = static_cast<size_t>(drive.track);
    if (track >= disk.tracks.size() || disk.tracks[track].bits.empty()) return line;
    line.bits = disk.tracks[track].bits.data();
    line.length = disk.tracks[track].bits.size();
    return line;
}
