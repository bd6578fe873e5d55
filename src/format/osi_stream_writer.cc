// Packing a signal's bit times into an osiemu bit stream.
#include "format/osi_stream_writer.h"

#include <algorithm>
#include <cstring>

#include "format/osi_stream_format.h"

namespace {

constexpr unsigned BITS_PER_BYTE = 8;
constexpr uint8_t FIRST_BIT_MASK = 0x80;  // the stream's first bit time is a byte's top bit

void write_header(const OsiStreamType& type, uint8_t* header) {
    std::memset(header, OSI_STREAM_FILL, OSI_STREAM_BLOCK_SIZE);
    std::memcpy(header, OSI_STREAM_SIGNATURE, OSI_STREAM_SIGNATURE_SIZE);
    header[OSI_STREAM_VERSION_OFFSET] = OSI_STREAM_VERSION;
    header[OSI_STREAM_TYPE_OFFSET] = type.type;
    header[OSI_STREAM_FIRST_BLOCK_OFFSET] = OSI_STREAM_FIRST_TRACK_BLOCK;
}

// The block starts all idle (1 bits); each space (0) in the revolution clears its bit.
void write_track(const TrackSignal& track, uint8_t* block, size_t block_size) {
    std::fill(block, block + block_size, OSI_STREAM_FILL);
    for (size_t bit = 0; bit < track.bits.size(); bit++) {
        if (track.bits[bit]) continue;
        block[bit / BITS_PER_BYTE] &= static_cast<uint8_t>(~(FIRST_BIT_MASK >> (bit % BITS_PER_BYTE)));
    }
}

}  // namespace

bool signal_to_osi_stream(const DiskSignal& signal, std::vector<uint8_t>& file, std::string& error) {
    file.clear();
    const OsiStreamType* type = osi_stream_type_for(signal.format);
    if (!type) {
        error = "the disk's format has no osiemu stream type";
        return false;
    }
    if (signal.tracks.size() != static_cast<size_t>(type->track_count) || signal.bit_rate != type->bit_rate) {
        error = "the signal does not have the stream's track count and bit rate";
        return false;
    }
    const size_t block_bits = type->track_bytes * BITS_PER_BYTE;
    for (const TrackSignal& track : signal.tracks) {
        if (track.bits.size() > block_bits) {
            error = "a track of " + std::to_string(track.bits.size()) + " bit times does not fit in a stream's " +
                    std::to_string(block_bits);
            return false;
        }
    }
    file.assign(osi_stream_file_size(*type), OSI_STREAM_FILL);
    write_header(*type, file.data());
    for (size_t track = 0; track < signal.tracks.size(); track++) {
        uint8_t* block = file.data() + OSI_STREAM_BLOCK_SIZE * OSI_STREAM_FIRST_TRACK_BLOCK + track * type->track_bytes;
        write_track(signal.tracks[track], block, type->track_bytes);
    }
    return true;
}
