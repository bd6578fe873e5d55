// The loaders' speeds, counted from their code, and the clock they need.
#include "disk/loader_speed.h"

#include <cmath>

#include "format/signal_encoder.h"
#include "loader/fast_loader.h"
#include "signal/serial_frame.h"

namespace {

// SpinLoad's loader, byte by byte (addresses in page zero):
//   $6B JSR READ 6; $94 LDA $C000 4, BPL 2 (no index); $99 LDA $C010 4,
//   LSR A 2, BCC 2 (a byte is there); $9F LDA $C011 4, RTS 6;
//   $6E BCC 2; $70 STA ($FD),Y 6; $72 CMP ($FD),Y 5, 6 across a page;
//   $74 BEQ 3; $79 INY 2; $7A BNE 3
// is 52 cycles at worst. When Y wraps the BNE falls through (1 fewer) to
// INC $FE 5, DEC $FF 5 and BNE 3: 12 more per page.
// The fast loader's data loop takes 27 cycles a byte and 36 at a page end,
// but its sector search and load header take up to 38 from one byte to the
// next (its source has the table), several of them in a row: 38 a byte is
// its worst case, page ends included.
constexpr LoaderSpeed LOADER_SPEEDS[] = {
    {LoaderKind::standard, 52, 12},
    {LoaderKind::fast, FAST_LOADER_MAX_CYCLES_PER_BYTE, 0},
};

constexpr uint64_t BYTES_PER_PAGE = 256;

}  // namespace

const LoaderSpeed* loader_speed(const BootFacts& boot) {
    if (boot.mode != BootMode::loader) return nullptr;
    for (const LoaderSpeed& speed : LOADER_SPEEDS) {
        if (speed.loader == boot.loader) return &speed;
    }
    return nullptr;
}

// 8-inch: (52 * 256 + 12) cycles per 256 bytes, a byte every 11 / 250000 s:
// 13324 * 250000 / (256 * 11) = 1182883.5, so 1182884 Hz.
uint64_t min_cpu_hz(const BootFacts& boot, DiskFormat format) {
    const LoaderSpeed* speed = loader_speed(boot);
    if (!speed) return 0;
    const uint64_t cycles_per_page = speed->cycles_per_byte * BYTES_PER_PAGE + speed->cycles_per_page;
    const auto bit_rate = static_cast<uint64_t>(std::llround(default_signal_timing(format).bit_rate));
    const uint64_t numerator = cycles_per_page * bit_rate;
    const uint64_t denominator = BYTES_PER_PAGE * SERIAL_FRAME_BITS;
    return (numerator + denominator - 1) / denominator;
}
