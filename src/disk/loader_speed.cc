// The loaders' speeds, counted from their code, and the clock they need.
#include "disk/loader_speed.h"

#include <cmath>

#include "format/signal_encoder.h"
#include "signal/serial_frame.h"

namespace {

// SpinLoad's loader, byte by byte (addresses in page zero):
//   $6B JSR READ 6; $94 LDA $C000 4, BPL 2 (no index); $99 LDA $C010 4,
//   LSR A 2, BCC 2 (a byte is there); $9F LDA $C011 4, RTS 6;
//   $6E BCC 2; $70 STA ($FD),Y 6; $72 CMP ($FD),Y 5, 6 across a page;
//   $74 BEQ 3; $79 INY 2; $7A BNE 3
// is 52 cycles at worst. When Y wraps the BNE falls through (1 fewer) to
// INC $FE 5, DEC $FF 5 and BNE 3: 12 more per page.
constexpr LoaderSpeed LOADER_SPEEDS[] = {
    {BootMode::loader, 52, 12},
};

constexpr uint64_t BYTES_PER_PAGE = 256;

}  // namespace

const LoaderSpeed* loader_speed(BootMode mode) {
    for (const LoaderSpeed& speed : LOADER_SPEEDS) {
        if (speed.mode == mode) return &speed;
    }
    return nullptr;
}

// 8-inch: (52 * 256 + 12) cycles per 256 bytes, a byte every 11 / 250000 s:
// 13324 * 250000 / (256 * 11) = 1182883.5, so 1182884 Hz.
uint64_t min_cpu_hz(BootMode mode, DiskFormat format) {
    const LoaderSpeed* speed = loader_speed(mode);
    if (!speed) return 0;
    const uint64_t cycles_per_page = speed->cycles_per_byte * BYTES_PER_PAGE + speed->cycles_per_page;
    const auto bit_rate = static_cast<uint64_t>(std::llround(default_signal_timing(format).bit_rate));
    const uint64_t numerator = cycles_per_page * bit_rate;
    const uint64_t denominator = BYTES_PER_PAGE * SERIAL_FRAME_BITS;
    return (numerator + denominator - 1) / denominator;
}
