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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    examine(data, size);
    if (geometry_for_image_size(size)) return 0;

    FuzzImage made;
    if (!fuzz_image_from_input(data, size, 0, 0, made)) return 0;
    examine(made.image.bytes.get(), made.image.size);
    return 0;
}
