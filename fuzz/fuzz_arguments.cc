// Fuzz target: arbitrary argument lists through the option parser and, when
// they parse, arbitrary program bytes through the image builder, in memory.
// Input: first byte = argument count (0-15); then that many arguments, each
// ended by a zero byte; the rest is the program.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/run.h"
#include "image/image_builder.h"

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t count = data[0] % 16;
    size_t at = 1;
    std::vector<std::string> args = {"SpinLoad"};
    for (size_t i = 0; i < count && at < size; i++) {
        std::string arg;
        while (at < size && data[at] != 0) arg += static_cast<char>(data[at++]);
        at++;  // the zero byte
        args.push_back(arg);
    }
    const ProgramBytes program(data + std::min(at, size), data + size);

    const ParseResult parsed = parse_arguments(args);
    if (parsed.outcome != ParseOutcome::ready) return 0;
    ImageOptions options = parsed.options;
    require(options.label.size() <= LABEL_MAX_CHARACTERS);
    require(options.load_address >= 0 && options.load_address <= 0xFFFF);
    require(options.exec_address >= -1 && options.exec_address <= 0xFFFF);
    const std::string output_name = derive_output_name(options.input_path);
    require(output_name.size() >= 4 && output_name.compare(output_name.size() - 4, 4, ".65d") == 0);

    // The driver's own limits come first; only what it accepts is built.
    const DiskGeometry& geometry = geometry_for(options.format);
    if (options.exec_address == -1) options.exec_address = options.load_address;
    if (program.empty() || program.size() > max_input_loader(geometry)) return 0;
    if (options.raw_boot && program.size() > max_input_raw(geometry)) return 0;
    DiskImage image;
    require(allocate_image(geometry, image));
    build_image(options, geometry, program, image);
    require(image.size == 92160 || image.size == 295680);
    require(image.size == geometry.image_size);
    // Every track but 0 keeps its header's "CW".
    for (int t = 1; t < geometry.track_count; t++) {
        const uint8_t* slot = image.slot(geometry, t);
        require(slot[0] == TRACK_HEADER_START_0 && slot[1] == TRACK_HEADER_START_1);
    }
    return 0;
}
