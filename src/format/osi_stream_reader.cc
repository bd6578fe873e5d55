// osiemu bit stream to signal: the header decides the layout, the file's
// size must agree with it before any track is read.
#include "format/osi_stream_reader.h"

#include <cstring>
#include <utility>

#include "base/text.h"
#include "format/osi_stream_format.h"

namespace {

std::string str(size_t n) { return std::to_string(n); }

bool check_header(const std::vector<uint8_t>& file, const OsiStreamType*& type, std::string& error) {
    if (file.size() < OSI_STREAM_SIGNATURE_SIZE ||
        std::memcmp(file.data(), OSI_STREAM_SIGNATURE, OSI_STREAM_SIGNATURE_SIZE) != 0) {
        error = "not an osiemu bit stream (it does not start with OSIDISKBITSTREAM)";
        return false;
    }
    if (file.size() < OSI_STREAM_BLOCK_SIZE) {
        error = "the bit stream's header is cut short: " + str(file.size()) + " of " + str(OSI_STREAM_BLOCK_SIZE) +
                " bytes";
        return false;
    }
    if (file[OSI_STREAM_VERSION_OFFSET] != OSI_STREAM_VERSION) {
        error = "bit stream version " + str(file[OSI_STREAM_VERSION_OFFSET]) + " is not supported (only 1)";
        return false;
    }
    type = osi_stream_type_for_byte(file[OSI_STREAM_TYPE_OFFSET]);
    if (!type) {
        error = "bit stream type " + format_byte(file[OSI_STREAM_TYPE_OFFSET]) +
                " is no disk we know: $00 (5.25-inch) or $01 (8-inch)";
        return false;
    }
    if (file[OSI_STREAM_FIRST_BLOCK_OFFSET] == 0) {
        error = "the bit stream's track 0 would start in its header (block 0)";
        return false;
    }
    return true;
}

// 256 + 40 * 3328 = 133376 with track 0 in block 1.
size_t stream_size(const OsiStreamType& type, size_t first_block) {
    return first_block * OSI_STREAM_BLOCK_SIZE + static_cast<size_t>(type.track_count) * type.track_bytes;
}

void read_track(const uint8_t* block, size_t block_size, TrackSignal& track) {
    constexpr unsigned BITS_PER_BYTE = 8;
    constexpr unsigned TOP_BIT = 7;  // the first bit time is a byte's top bit
    track.bits.resize(block_size * BITS_PER_BYTE);
    for (size_t bit = 0; bit < track.bits.size(); bit++) {
        track.bits[bit] = static_cast<uint8_t>(block[bit / BITS_PER_BYTE] >> (TOP_BIT - bit % BITS_PER_BYTE) & 1);
    }
}

}  // namespace

bool osi_stream_to_signal(const std::vector<uint8_t>& file, DiskSignal& signal, std::string& error) {
    const OsiStreamType* type = nullptr;
    if (!check_header(file, type, error)) return false;
    const size_t first_block = file[OSI_STREAM_FIRST_BLOCK_OFFSET];
    const size_t expected = stream_size(*type, first_block);
    if (file.size() != expected) {
        error = "a type " + str(type->type) + " bit stream (" + geometry_for(type->format).name + ", " +
                str(static_cast<size_t>(type->track_count)) + " tracks of " + str(type->track_bytes) + " bytes) is " +
                str(expected) + " bytes, but this one is " + str(file.size());
        return false;
    }
    DiskSignal read;
    read.format = type->format;
    read.bit_rate = type->bit_rate;
    read.tracks.resize(static_cast<size_t>(type->track_count));
    for (size_t t = 0; t < read.tracks.size(); t++) {
        read_track(file.data() + first_block * OSI_STREAM_BLOCK_SIZE + t * type->track_bytes, type->track_bytes,
                   read.tracks[t]);
    }
    signal = std::move(read);
    return true;
}
