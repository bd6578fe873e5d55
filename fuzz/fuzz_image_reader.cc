// Fuzz target: arbitrary bytes through the disk-file step and the image
// reader behind spindisk list, extract and convert, and through the
// listing's text and JSON. An input of an image's exact size is read as it
// stands; any other input is read as it stands too (as a disk file of any
// format: it must be refused cleanly or decoded; the corpus holds a bit
// stream whose tracks the fuzzer damages), then turned into a real image,
// built from its first bytes and patched with the rest, so that the fuzzer
// explores images that are nearly right. The frame decoder also reads the
// input's first bits directly, at any sampling rate.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/disk_file.h"
#include "disk/image_reader.h"
#include "format/frame_decoder.h"
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

// The decoder alone at 1 to 16 samples per bit over the input's first bits
// (a frame's decoding depends only on the bits around it): never more bytes
// than asked for, never more errors than bytes.
constexpr size_t FRAME_INPUT_LIMIT = 512;

void examine_frames(const uint8_t* data, size_t size) {
    std::vector<uint8_t> levels;
    for (size_t i = 1; i < std::min(size, FRAME_INPUT_LIMIT); i++) {
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
    if (geometry_for_image_size(size)) return 0;
    examine_disk_file(std::vector<uint8_t>(data, data + size));
    if (size >= 2) examine_frames(data, size);

    FuzzImage made;
    if (!fuzz_image_from_input(data, size, 0, 0, made)) return 0;
    examine(made.image.bytes.get(), made.image.size);
    return 0;
}
