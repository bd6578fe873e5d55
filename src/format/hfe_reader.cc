// HFE to signal: every header and table field is checked against the file's
// size before the cells it points to are read.
#include "format/hfe_reader.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "base/units.h"
#include "format/hfe_format.h"
#include "format/signal_encoder.h"
#include "image/geometry.h"

namespace {

// How far a track's revolution may stray from the drive's: a tenth.
constexpr double REVOLUTION_TOLERANCE = 0.1;

struct TrackPlace {
    size_t start = 0;       // byte offset of the track's first block
    size_t side_bytes = 0;  // cell bytes of side 0
    size_t end = 0;         // byte offset just past the track's last block
};

bool overlaps(size_t start_a, size_t end_a, size_t start_b, size_t end_b) { return start_a < end_b && start_b < end_a; }

std::string str(size_t n) { return std::to_string(n); }

bool signature_is(const std::vector<uint8_t>& file, const char* signature) {
    return file.size() >= HFE_SIGNATURE_SIZE &&
           std::memcmp(file.data() + HFE_SIGNATURE_OFFSET, signature, HFE_SIGNATURE_SIZE) == 0;
}

bool format_for_track_count(unsigned tracks, DiskFormat& format) {
    for (DiskFormat candidate : {DiskFormat::mini, DiskFormat::full}) {
        if (tracks == static_cast<unsigned>(geometry_for(candidate).track_count)) {
            format = candidate;
            return true;
        }
    }
    return false;
}

bool check_header(const std::vector<uint8_t>& file, DiskFormat& format, std::string& error) {
    if (signature_is(file, HFE_V3_SIGNATURE)) {
        error = "HFE version 3 is not supported";
        return false;
    }
    if (!signature_is(file, HFE_SIGNATURE)) {
        error = "not an HFE file (it does not start with HXCPICFE)";
        return false;
    }
    if (file.size() < HFE_HEADER_SIZE) {
        error = "the HFE header is cut short: " + str(file.size()) + " of " + str(HFE_HEADER_SIZE) + " bytes";
        return false;
    }
    const unsigned revision = file[HFE_REVISION_OFFSET];
    if (revision != HFE_FORMAT_REVISION) {
        error = "HFE format revision " + str(revision) + " is not supported (only 0)";
        return false;
    }
    const unsigned tracks = file[HFE_TRACK_COUNT_OFFSET];
    if (!format_for_track_count(tracks, format)) {
        error = str(tracks) + " tracks: an OSI disk has " + str(geometry_for(DiskFormat::mini).track_count) +
                " (5.25-inch) or " + str(geometry_for(DiskFormat::full).track_count) + " (8-inch)";
        return false;
    }
    const unsigned sides = file[HFE_SIDE_COUNT_OFFSET];
    if (sides < 1 || sides > HFE_MAX_SIDES) {
        error = str(sides) + " sides: an HFE file has 1 or 2";
        return false;
    }
    const unsigned rate = read_u16_le(file.data() + HFE_BIT_RATE_OFFSET);
    const double expected = default_signal_timing(format).bit_rate * HFE_RATE_PER_SERIAL_RATE / HFE_BIT_RATE_UNIT;
    if (rate != static_cast<unsigned>(expected)) {
        error = "bit rate " + str(rate) + " kbit/s, but " + geometry_for(format).name + " disks need " +
                str(static_cast<size_t>(expected));
        return false;
    }
    return true;
}

// One revolution of the drive in both sides' bytes: 25000 bit times -> 12500
// bytes per side -> 25000.
double nominal_track_length(DiskFormat format) {
    const SignalTiming timing = default_signal_timing(format);
    const double bits = timing.bit_rate * SECONDS_PER_MINUTE / timing.rpm;
    return bits / HFE_SERIAL_BITS_PER_BYTE * HFE_SIDES_PER_BLOCK;
}

bool check_track(const std::vector<uint8_t>& file, DiskFormat format, size_t track, const uint8_t* entry,
                 TrackPlace& place, std::string& error) {
    const size_t block = read_u16_le(entry + HFE_TRACK_ENTRY_BLOCK_OFFSET);
    const size_t length = read_u16_le(entry + HFE_TRACK_ENTRY_LENGTH_OFFSET);
    const std::string name = "track " + str(track);
    if (block == 0) {
        error = name + "'s data would start in the header (block 0)";
        return false;
    }
    const double nominal = nominal_track_length(format);
    if (std::fabs(static_cast<double>(length) - nominal) > nominal * REVOLUTION_TOLERANCE) {
        error = name + " is " + str(length) + " bytes long, but one revolution of " + geometry_for(format).name +
                " disks is about " + str(static_cast<size_t>(std::lround(nominal))) + " bytes (both sides)";
        return false;
    }
    if (length % HFE_SIDES_PER_BLOCK != 0) {
        error = name + " is " + str(length) + " bytes long: both sides must be the same length";
        return false;
    }
    place.side_bytes = length / HFE_SIDES_PER_BLOCK;
    place.start = block * HFE_BLOCK_SIZE;
    const size_t end = (block + hfe_track_blocks(place.side_bytes)) * HFE_BLOCK_SIZE;
    place.end = end;
    if (end > file.size()) {
        error = name + "'s data (bytes " + str(place.start) + " to " + str(end - 1) +
                ") runs past the end of the file (" + str(file.size()) + " bytes)";
        return false;
    }
    return true;
}

// Tracks that share blocks with the table or with each other are a damaged
// table: one of them would be read as another's cells.
bool check_no_overlap(const std::vector<TrackPlace>& places, size_t table, size_t table_end, std::string& error) {
    for (size_t t = 0; t < places.size(); t++) {
        if (overlaps(places[t].start, places[t].end, table, table_end)) {
            error = "track " + str(t) + "'s data overlaps the track table";
            return false;
        }
        for (size_t other = 0; other < t; other++) {
            if (overlaps(places[t].start, places[t].end, places[other].start, places[other].end)) {
                error = "track " + str(t) + "'s data overlaps track " + str(other) + "'s";
                return false;
            }
        }
    }
    return true;
}

void decode_track(const uint8_t* data, size_t side_bytes, TrackSignal& track) {
    track.bits.resize(side_bytes * HFE_SERIAL_BITS_PER_BYTE);
    for (size_t i = 0; i < track.bits.size(); i++) {
        const uint8_t cell_byte = data[hfe_side0_position(i / HFE_SERIAL_BITS_PER_BYTE)];
        const unsigned shift = (i % HFE_SERIAL_BITS_PER_BYTE) * HFE_NIBBLE_BITS;
        const uint8_t nibble = static_cast<uint8_t>(cell_byte >> shift & HFE_NIBBLE_MASK);
        track.bits[i] = (nibble & HFE_DATA_CELL) ? 0 : 1;
    }
}

}  // namespace

bool hfe_to_signal(const std::vector<uint8_t>& file, DiskSignal& signal, std::string& error) {
    DiskFormat format = DiskFormat::mini;
    if (!check_header(file, format, error)) return false;
    const size_t track_count = file[HFE_TRACK_COUNT_OFFSET];
    const size_t table_block = read_u16_le(file.data() + HFE_TRACK_LIST_OFFSET);
    const size_t table = table_block * HFE_BLOCK_SIZE;
    if (table_block == 0) {
        error = "the track table would lie in the header (block 0)";
        return false;
    }
    if (table + track_count * HFE_TRACK_ENTRY_SIZE > file.size()) {
        error = "the track table (block " + str(table_block) + ") lies past the end of the file (" +
                str(file.size()) + " bytes)";
        return false;
    }
    std::vector<TrackPlace> places(track_count);
    for (size_t t = 0; t < track_count; t++) {
        if (!check_track(file, format, t, file.data() + table + t * HFE_TRACK_ENTRY_SIZE, places[t], error)) {
            return false;
        }
        if (places[t].side_bytes != places[0].side_bytes) {
            error = "track " + str(t) + " is " + str(places[t].side_bytes * HFE_SIDES_PER_BLOCK) +
                    " bytes long but track 0 is " + str(places[0].side_bytes * HFE_SIDES_PER_BLOCK) +
                    ": every track must be one revolution";
            return false;
        }
    }
    const size_t table_end = table + HFE_BLOCK_SIZE;  // up to HFE_MAX_TRACKS entries: one block
    if (!check_no_overlap(places, table, table_end, error)) return false;
    DiskSignal decoded;
    decoded.format = format;
    decoded.bit_rate = read_u16_le(file.data() + HFE_BIT_RATE_OFFSET) * HFE_BIT_RATE_UNIT / HFE_RATE_PER_SERIAL_RATE;
    decoded.tracks.resize(track_count);
    for (size_t t = 0; t < track_count; t++) {
        decode_track(file.data() + places[t].start, places[t].side_bytes, decoded.tracks[t]);
    }
    signal = std::move(decoded);
    return true;
}
