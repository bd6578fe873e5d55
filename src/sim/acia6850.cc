// The 6850 ACIA's receiver and registers.
#include "sim/acia6850.h"

namespace {

enum class Parity { none, even, odd };

struct WordFormat {
    unsigned data_bits;
    Parity parity;
};

// Control bits 2-4; the receiver looks at the first stop bit only, so one or
// two stop bits read alike.
constexpr WordFormat WORD_FORMATS[8] = {
    {7, Parity::even}, {7, Parity::odd}, {7, Parity::even}, {7, Parity::odd},
    {8, Parity::none}, {8, Parity::none}, {8, Parity::even}, {8, Parity::odd},
};

// Control bits 0-1: the receive clock is the line's bit rate divided by 1, 16 or 64.
constexpr uint64_t CLOCK_DIVIDES[3] = {1, 16, 64};

WordFormat word_format(uint8_t control) {
    return WORD_FORMATS[(control & ACIA_WORD_MASK) >> ACIA_WORD_SHIFT];
}

// Start bit, data bits, parity bit if any, stop bit.
unsigned frame_samples(const WordFormat& format) {
    return 1 + format.data_bits + (format.parity == Parity::none ? 0 : 1) + 1;
}

void finish_frame(Acia6850& acia, const WordFormat& format) {
    const uint16_t samples = acia.shift;
    const uint8_t byte = static_cast<uint8_t>((samples >> 1) & ((1u << format.data_bits) - 1));
    const bool stop = ((samples >> (frame_samples(format) - 1)) & 1) != 0;
    bool parity_ok = true;
    if (format.parity != Parity::none) {
        const uint8_t parity = static_cast<uint8_t>((samples >> (1 + format.data_bits)) & 1);
        const uint8_t even = even_parity_bit(byte);
        parity_ok = format.parity == Parity::even ? parity == even : parity != even;
    }
    acia.frames++;
    if (acia.full) {
        if (!acia.overrun) acia.overrun_pending = true;
        acia.frames_lost++;
        return;
    }
    acia.data = byte;
    acia.full = true;
    acia.framing_error = !stop;
    acia.parity_error = !parity_ok;
}

}  // namespace

bool acia_in_reset(const Acia6850& acia) {
    return (acia.control & ACIA_DIVIDE_MASK) == ACIA_MASTER_RESET;
}

void acia_write_control(Acia6850& acia, uint8_t value, uint64_t now_bit) {
    const bool was_in_reset = acia_in_reset(acia);
    acia.control = value;
    if (acia_in_reset(acia)) {
        acia.full = acia.framing_error = acia.parity_error = false;
        acia.overrun = acia.overrun_pending = false;
        acia.hunting = true;
        acia.next_bit = now_bit;
        return;
    }
    if (was_in_reset) {
        // Leaving reset, the receiver starts listening now and takes the line
        // as idle until then: a space at this moment is a start bit to it.
        acia.next_bit = now_bit;
        acia.hunting = true;
        acia.previous_level = LINE_MARK;
    }
}

uint8_t acia_status(const Acia6850& acia) {
    if (acia_in_reset(acia)) return 0;
    uint8_t status = ACIA_STATUS_TRANSMIT_EMPTY;
    if (acia.full) status |= ACIA_STATUS_RECEIVE_FULL;
    if (acia.framing_error) status |= ACIA_STATUS_FRAMING_ERROR;
    if (acia.overrun) status |= ACIA_STATUS_OVERRUN;
    if (acia.parity_error) status |= ACIA_STATUS_PARITY_ERROR;
    return status;
}

uint8_t acia_read_data(Acia6850& acia) {
    if (acia.overrun_pending) {
        acia.overrun_pending = false;
        acia.overrun = true;
        return acia.data;
    }
    acia.full = false;
    acia.overrun = false;
    return acia.data;
}

void acia_receive(Acia6850& acia, const SerialLine& line, uint64_t until_bit) {
    if (until_bit <= acia.next_bit) return;
    if (acia_in_reset(acia)) {
        acia.next_bit = until_bit;
        return;
    }
    const WordFormat format = word_format(acia.control);
    const unsigned samples_per_frame = frame_samples(format);
    const uint64_t divide = CLOCK_DIVIDES[acia.control & ACIA_DIVIDE_MASK];
    uint64_t t = acia.next_bit;
    while (t < until_bit) {
        if (acia.hunting) {
            if (!line.bits) {
                acia.previous_level = LINE_MARK;
                break;
            }
            // A start bit is a mark followed by a space.
            uint64_t position = t % line.length;
            uint8_t previous = acia.previous_level;
            while (t < until_bit && !(previous == LINE_MARK && line.bits[position] == LINE_SPACE)) {
                previous = line.bits[position];
                t++;
                if (++position == line.length) position = 0;
            }
            acia.previous_level = previous;
            if (t == until_bit) break;
            acia.hunting = false;
            acia.frame_start = t;
            acia.samples = 0;
            acia.shift = 0;
        }
        // Each bit is sampled in the middle of its receive clock period.
        const uint64_t sample_at = acia.frame_start + divide / 2 + acia.samples * divide;
        if (sample_at >= until_bit) break;
        const uint8_t level = line_level(line, sample_at);
        acia.shift = static_cast<uint16_t>(acia.shift | level << acia.samples);
        acia.samples++;
        t = sample_at + 1;
        if (acia.samples == 1 && level == LINE_MARK) {
            acia.hunting = true;  // the space was too short to be a start bit
            acia.previous_level = LINE_MARK;
        } else if (acia.samples >= samples_per_frame) {
            // ">=": a program may shorten the word format in the middle of a
            // frame; the frame then ends with the samples it already has.
            finish_frame(acia, format);
            acia.hunting = true;
            acia.previous_level = level;
        }
    }
    acia.next_bit = until_bit;
}
