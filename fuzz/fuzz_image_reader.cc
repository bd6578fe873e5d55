// Fuzz target: arbitrary bytes through the disk-file step and the image
// reader behind spindisk list, extract and convert, and through the
// listing's text and JSON. An input of an image's exact size is read as it
// stands; any other input is read as it stands too (as a disk file of any
// format: it must be refused cleanly or decoded), then turned into a real
// image, built from its first bytes and patched with the rest, so that the
// fuzzer explores images that are nearly right, and into an osiemu bit
// stream whose tracks are the input's bits, for the frame decoder.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "disk/disk_file.h"
#include "disk/image_reader.h"
#include "format/frame_decoder.h"
#include "format/osi_stream_format.h"
#include "spindisk/listing.h"
#include "fuzz_image_input.h"

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

void examine(const uint8_t* bytes, size_t size) {
    const ImageFacts facts = read_image(bytes, size);
    const std::vector<uint8_t> program = program_bytes(facts, bytes, size);
    if (!facts.geometry) {
        require(program.empty());
        return;
    }
    require(facts.geometry->image_size == size);
    require(program.size() <= size);
    const std::string text = listing_text(facts);
    const std::string json = listing_json(facts);
    require(!text.empty() && json.size() >= 2 && json[0] == '{');
}

// Any file through the one disk-reading step: refused with a reason, or a
// whole image whose decoded tracks fit their slots.
void examine_disk_file(const std::vector<uint8_t>& bytes) {
    DiskFile disk;
    std::string error;
    if (!read_disk_bytes("fuzz", bytes, disk, error)) {
        require(!error.empty());
        return;
    }
    require(disk.geometry && disk.image.size() == disk.geometry->image_size);
    for (const TrackDecodeReport& track : disk.decoded) require(track.bytes <= disk.geometry->track_slot_size);
    require(!listing_text(disk.facts, &disk).empty() && !listing_json(disk.facts, &disk).empty());
}

// A 5.25-inch or 8-inch bit stream (by the first byte) whose tracks repeat
// the input's bits: all ones, all zeros, random bits, frames with faults.
std::vector<uint8_t> stream_from_input(const uint8_t* data, size_t size) {
    const OsiStreamType& type = OSI_STREAM_TYPES[data[0] & 1];
    std::vector<uint8_t> file(osi_stream_file_size(type), OSI_STREAM_FILL);
    std::memcpy(file.data(), OSI_STREAM_SIGNATURE, OSI_STREAM_SIGNATURE_SIZE);
    file[OSI_STREAM_VERSION_OFFSET] = OSI_STREAM_VERSION;
    file[OSI_STREAM_TYPE_OFFSET] = type.type;
    file[OSI_STREAM_FIRST_BLOCK_OFFSET] = OSI_STREAM_FIRST_TRACK_BLOCK;
    for (size_t at = OSI_STREAM_BLOCK_SIZE; at < file.size(); at++) file[at] = data[1 + (at % (size - 1))];
    return file;
}

// The decoder alone at 1 to 16 samples per bit: never more bytes than asked
// for, never more errors than bytes.
void examine_frames(const uint8_t* data, size_t size) {
    std::vector<uint8_t> levels;
    for (size_t i = 1; i < size; i++) {
        for (int bit = 7; bit >= 0; bit--) levels.push_back(static_cast<uint8_t>(data[i] >> bit & 1));
    }
    const double samples_per_bit = 1.0 + (data[0] & 0x0F) + (data[0] >> 4) / 16.0;
    const size_t max_bytes = data[0] % 7 == 0 ? 3 : levels.size();
    const FrameDecode frames = decode_frames(levels, samples_per_bit, max_bytes);
    require(frames.bytes.size() <= max_bytes);
    require(frames.parity_errors <= frames.bytes.size() && frames.framing_errors <= frames.bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    examine(data, size);
    examine_disk_file(std::vector<uint8_t>(data, data + size));
    if (size >= 2) {
        examine_frames(data, size);
        examine_disk_file(stream_from_input(data, size));
    }
    if (geometry_for_image_size(size)) return 0;

    FuzzImage made;
    if (!fuzz_image_from_input(data, size, 0, 0, made)) return 0;
    examine(made.image.bytes.get(), made.image.size);
    return 0;
}
