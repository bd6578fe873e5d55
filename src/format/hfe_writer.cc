// Signal to HFE: the header, the track table and each track's cells.
#include "format/hfe_writer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/units.h"
#include "format/hfe_format.h"
#include "image/geometry.h"

namespace {

// A serial rate counts as whole kbit/s in the header within this much.
constexpr double RATE_ROUNDING = 1e-6;

// A header rate must be whole kbit/s: 125000 bit/s serial -> 250.
bool whole_header_rate(double bit_rate, uint16_t& kbps) {
    if (!std::isfinite(bit_rate) || bit_rate <= 0) return false;
    const double rate = bit_rate * HFE_RATE_PER_SERIAL_RATE / HFE_BIT_RATE_UNIT;
    const double whole = std::round(rate);
    if (std::fabs(rate - whole) > RATE_ROUNDING || whole < 1 || whole > HFE_U16_MAX) return false;
    kbps = static_cast<uint16_t>(whole);
    return true;
}

void write_header(const HfeLayout& layout, uint8_t* header) {
    std::memset(header, HFE_UNUSED_BYTE, HFE_HEADER_SIZE);
    std::memcpy(header + HFE_SIGNATURE_OFFSET, HFE_SIGNATURE, HFE_SIGNATURE_SIZE);
    header[HFE_REVISION_OFFSET] = HFE_FORMAT_REVISION;
    header[HFE_TRACK_COUNT_OFFSET] = static_cast<uint8_t>(layout.track_count);
    header[HFE_SIDE_COUNT_OFFSET] = HFE_SIDES_WRITTEN;
    header[HFE_TRACK_ENCODING_OFFSET] = HFE_ENCODING_UNKNOWN;
    write_u16_le(header + HFE_BIT_RATE_OFFSET, layout.bit_rate_kbps);
    write_u16_le(header + HFE_RPM_OFFSET, layout.rpm);
    header[HFE_INTERFACE_MODE_OFFSET] = HFE_INTERFACE_GENERIC_SHUGART;
    header[HFE_RESERVED_OFFSET] = HFE_RESERVED_VALUE;
    write_u16_le(header + HFE_TRACK_LIST_OFFSET, HFE_TRACK_LIST_BLOCK);
    header[HFE_WRITE_ALLOWED_OFFSET] = HFE_WRITE_ALLOWED;
    header[HFE_SINGLE_STEP_OFFSET] = HFE_SINGLE_STEP;
    header[HFE_TRACK0_SIDE0_ALT_OFFSET] = HFE_ALT_ENCODING_OFF;
    header[HFE_TRACK0_SIDE0_ENCODING_OFFSET] = HFE_ENCODING_UNKNOWN;
    header[HFE_TRACK0_SIDE1_ALT_OFFSET] = HFE_ALT_ENCODING_OFF;
    header[HFE_TRACK0_SIDE1_ENCODING_OFFSET] = HFE_ENCODING_UNKNOWN;
}

// The tracks follow the header and the one block of track table.
size_t first_track_block() { return HFE_TRACK_LIST_BLOCK + 1; }

// Side 0 gets the signal's cells, idle past its end; side 1 stays blank.
void write_track(const TrackSignal& track, const HfeLayout& layout, uint8_t* data) {
    for (size_t block = 0; block < layout.track_blocks; block++) {
        uint8_t* chunk = data + block * HFE_BLOCK_SIZE;
        std::memset(chunk, HFE_IDLE_BYTE, HFE_SIDE_CHUNK);
        std::memset(chunk + HFE_SIDE_CHUNK, HFE_BLANK_SIDE_BYTE, HFE_SIDE_CHUNK);
    }
    for (size_t i = 0; i < track.bits.size(); i++) {
        const unsigned shift = (i % HFE_SERIAL_BITS_PER_BYTE) * HFE_NIBBLE_BITS;
        const uint8_t nibble = track.bits[i] ? HFE_NIBBLE_MARK : HFE_NIBBLE_SPACE;
        uint8_t& cell_byte = data[hfe_side0_position(i / HFE_SERIAL_BITS_PER_BYTE)];
        cell_byte = static_cast<uint8_t>((cell_byte & ~(HFE_NIBBLE_MASK << shift)) | nibble << shift);
    }
}

}  // namespace

bool hfe_layout_for(const DiskSignal& signal, HfeLayout& layout, std::string& error) {
    const DiskGeometry& geometry = geometry_for(signal.format);
    layout = HfeLayout{};
    if (signal.tracks.size() != static_cast<size_t>(geometry.track_count)) {
        error = "the signal has " + std::to_string(signal.tracks.size()) + " tracks; " + geometry.name +
                " disks have " + std::to_string(geometry.track_count);
        return false;
    }
    if (static_cast<size_t>(geometry.track_count) > HFE_MAX_TRACKS) {
        error = "the track table holds " + std::to_string(HFE_MAX_TRACKS) + " tracks at most";
        return false;
    }
    layout.track_count = geometry.track_count;
    layout.bits_per_revolution = signal.tracks[0].bits.size();
    for (size_t t = 0; t < signal.tracks.size(); t++) {
        if (signal.tracks[t].bits.size() != layout.bits_per_revolution) {
            error = "track " + std::to_string(t) + " is not as long as track 0";
            return false;
        }
    }
    if (layout.bits_per_revolution == 0) {
        error = "the tracks are empty";
        return false;
    }
    if (!whole_header_rate(signal.bit_rate, layout.bit_rate_kbps)) {
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.10g", signal.bit_rate);
        error = std::string("a serial rate of ") + rate + " bit/s has no HFE bit rate";
        return false;
    }
    // 125000 bit/s * 60 / 25000 bits -> 300 rpm; 250000 * 60 / 41667 -> 359.997 -> 360.
    const double rpm = std::round(signal.bit_rate * SECONDS_PER_MINUTE /
                                  static_cast<double>(layout.bits_per_revolution));
    if (rpm < 1 || rpm > HFE_U16_MAX) {
        error = "a revolution of " + std::to_string(layout.bits_per_revolution) +
                " bits gives no rotation speed the header can hold";
        return false;
    }
    layout.rpm = static_cast<uint16_t>(rpm);
    // Two serial bits to a byte, rounded up: 41667 bits -> 20834 bytes.
    layout.side_bytes = (layout.bits_per_revolution + HFE_SERIAL_BITS_PER_BYTE - 1) /
                        HFE_SERIAL_BITS_PER_BYTE;
    layout.track_blocks = hfe_track_blocks(layout.side_bytes);
    const size_t last_track_block =
        first_track_block() + static_cast<size_t>(layout.track_count - 1) * layout.track_blocks;
    if (layout.side_bytes * HFE_SIDES_PER_BLOCK > HFE_U16_MAX || last_track_block > HFE_U16_MAX) {
        error = "a revolution of " + std::to_string(layout.bits_per_revolution) +
                " bits is too long for an HFE track";
        return false;
    }
    layout.file_size = (last_track_block + layout.track_blocks) * HFE_BLOCK_SIZE;
    return true;
}

bool signal_to_hfe(const DiskSignal& signal, std::vector<uint8_t>& file, std::string& error) {
    file.clear();
    HfeLayout layout;
    if (!hfe_layout_for(signal, layout, error)) return false;
    file.assign(layout.file_size, HFE_UNUSED_BYTE);
    write_header(layout, file.data());
    uint8_t* table = file.data() + HFE_TRACK_LIST_BLOCK * HFE_BLOCK_SIZE;
    for (int t = 0; t < layout.track_count; t++) {
        const size_t block = first_track_block() + static_cast<size_t>(t) * layout.track_blocks;
        uint8_t* entry = table + static_cast<size_t>(t) * HFE_TRACK_ENTRY_SIZE;
        write_u16_le(entry + HFE_TRACK_ENTRY_BLOCK_OFFSET, static_cast<uint16_t>(block));
        write_u16_le(entry + HFE_TRACK_ENTRY_LENGTH_OFFSET,
                     static_cast<uint16_t>(layout.side_bytes * HFE_SIDES_PER_BLOCK));
        write_track(signal.tracks[static_cast<size_t>(t)], layout, file.data() + block * HFE_BLOCK_SIZE);
    }
    return true;
}
