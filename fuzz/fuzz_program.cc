// Fuzz target: arbitrary bytes through every program format spindisk make
// reads (and through recognising them), checking what a read promises: a
// program of at least one byte that fits the 64 KB for the text formats, and
// an error with a message otherwise.
#include <cstddef>
#include <cstdint>

#include "program/program_input.h"

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr InputFormat FORMATS[] = {InputFormat::automatic, InputFormat::os65v, InputFormat::cc65,
                                   InputFormat::ihex, InputFormat::srec};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    for (InputFormat format : FORMATS) {
        const ProgramRead read = read_program(bytes, size, format, 0x0300);
        if (!read.ok) {
            require(!read.error.message.empty());
            continue;
        }
        require(!read.program.bytes.empty());
        const bool raw = format == InputFormat::automatic && detect_input_format(bytes, size) == InputFormat::raw;
        if (!raw) require(read.program.load_address + read.program.bytes.size() <= 0x10000);
    }
    return 0;
}
