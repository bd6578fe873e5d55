// Fuzz target: arbitrary bytes through the image reader behind spindisk
// list and extract, and through the listing's text and JSON. An input of an
// image's exact size is read as it stands; any other input is read as it
// stands too (it must be refused cleanly) and then also turned into a real
// image, built from its first bytes and patched with the rest, so that the
// fuzzer explores images that are nearly right.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "disk/image_reader.h"
#include "disk/listing.h"
#include "image/image_builder.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    examine(data, size);
    if (geometry_for_image_size(size) || size < 6) return 0;

    // Header: format, load address, program length; then program bytes;
    // then (offset high, middle, low, value) patches.
    ImageOptions options;
    options.format = (data[0] & 1) ? DiskFormat::full : DiskFormat::mini;
    options.raw_boot = (data[0] & 2) != 0;
    options.load_address = data[1] << 8 | data[2];
    options.exec_address = options.load_address;
    if (data[0] & 4) options.label = {'F', 'U', 'Z', 'Z'};
    const DiskGeometry& g = geometry_for(options.format);
    const size_t limit = options.raw_boot ? max_input_raw(g) : max_input_loader(g);
    size_t length = static_cast<size_t>(data[3] << 8 | data[4]) % limit + 1;
    length = std::min(length, size - 5);
    if (length == 0) return 0;
    const ProgramBytes program(data + 5, data + 5 + length);
    DiskImage image;
    require(allocate_image(g, image));
    build_image(options, g, program, image);
    for (size_t at = 5 + length; at + 4 <= size; at += 4) {
        const size_t offset = (static_cast<size_t>(data[at]) << 16 | data[at + 1] << 8 | data[at + 2]) % image.size;
        image.bytes[offset] = data[at + 3];
    }
    examine(image.bytes.get(), image.size);
    return 0;
}
