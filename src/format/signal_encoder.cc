// Turns a .65d image into the serial bit stream each track sends per revolution.
#include "format/signal_encoder.h"

#include <algorithm>
#include <cmath>

#include "base/units.h"
#include "signal/serial_frame.h"

namespace {

struct FormatTiming {
    DiskFormat format;
    SignalTiming timing;
};

// The drives' data rates, speeds and the lead-in measured on original disks.
constexpr FormatTiming FORMAT_TIMINGS[] = {
    {DiskFormat::mini, {125000.0, 300.0, 11700.0}},
    {DiskFormat::full, {250000.0, 360.0, 3200.0}},
};

// round(bit_rate * 60 / rpm): 125000 at 300 rpm -> 25000, 250000 at 360 -> 41667.
size_t bits_per_revolution(const SignalTiming& timing) {
    if (!(timing.bit_rate > 0) || !(timing.rpm > 0)) return 0;
    const double bits = std::round(timing.bit_rate * SECONDS_PER_MINUTE / timing.rpm);
    return std::isfinite(bits) ? static_cast<size_t>(bits) : 0;
}

// The lead-in in whole bit times, within the revolution: 11700 us at 125 kbit/s -> 1463.
size_t lead_in_bits(const SignalTiming& timing, size_t revolution) {
    const double bits = std::round(timing.lead_in_us * timing.bit_rate / MICROSECONDS_PER_SECOND);
    if (!(bits > 0)) return 0;
    return bits >= static_cast<double>(revolution) ? revolution : static_cast<size_t>(bits);
}

}  // namespace

SignalTiming default_signal_timing(DiskFormat format) {
    for (const FormatTiming& entry : FORMAT_TIMINGS) {
        if (entry.format == format) return entry.timing;
    }
    return FORMAT_TIMINGS[0].timing;
}

DiskSignal image_to_signal(const DiskGeometry& g, const uint8_t* image, const SignalTiming& timing,
                           SignalLayoutReport& report) {
    DiskSignal signal{g.format, timing.bit_rate, {}};
    const size_t revolution = bits_per_revolution(timing);
    const size_t lead_in = lead_in_bits(timing, revolution);
    // 5.25-inch with the defaults: (25000 - 1463) / 11 = 2139 of the slot's 2304 bytes fit.
    const size_t fitting = std::min((revolution - lead_in) / SERIAL_FRAME_BITS, g.track_slot_size);

    const size_t tracks = static_cast<size_t>(g.track_count);
    signal.tracks.resize(tracks);
    report.bytes_sent.assign(tracks, fitting);
    report.nonzero_bytes_dropped.assign(tracks, 0);
    for (size_t track = 0; track < tracks; track++) {
        const uint8_t* slot = image + track_offset(g, static_cast<int>(track));
        std::vector<uint8_t>& bits = signal.tracks[track].bits;
        bits.assign(revolution, LINE_MARK);
        for (size_t i = 0; i < fitting; i++) {
            encode_serial_frame(slot[i], &bits[lead_in + i * SERIAL_FRAME_BITS]);
        }
        report.nonzero_bytes_dropped[track] = static_cast<size_t>(
            std::count_if(slot + fitting, slot + g.track_slot_size, [](uint8_t b) { return b != 0; }));
    }
    return signal;
}

double revolution_microseconds(const SignalTiming& timing) {
    return SECONDS_PER_MINUTE * MICROSECONDS_PER_SECOND / timing.rpm;
}
