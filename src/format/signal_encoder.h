// Lays a .65d image's track slots out in time as the drive delivers them:
// serial frames back to back from a lead-in after the index pulse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/geometry.h"
#include "signal/disk_signal.h"
#include "signal/serial_frame.h"  // encode_serial_frame, for the callers that lay out frames

struct SignalTiming {
    double bit_rate, rpm, lead_in_us;
};

// 125000 bit/s, 300 rpm, 11700 us lead-in (5.25-inch) or 250000, 360, 3200 (8-inch).
SignalTiming default_signal_timing(DiskFormat format);

// One revolution in microseconds: 200000 at 300 rpm, 166667 at 360. A lead-in
// must be shorter, or no byte of the track would ever pass the head.
double revolution_microseconds(const SignalTiming& timing);

// Lays each slot's bytes out as back-to-back 11-bit frames (start 0, 8 data
// bits LSB first, even parity, stop 1) from lead_in after the index, idle (1)
// elsewhere; bits per revolution = round(bit_rate*60/rpm) (25000 / 41667).
// Bytes that do not fit in the revolution are not sent; the report counts how
// many of those are non-zero per track.
struct SignalLayoutReport {
    std::vector<size_t> bytes_sent;
    std::vector<size_t> nonzero_bytes_dropped;
};

DiskSignal image_to_signal(const DiskGeometry& g, const uint8_t* image, const SignalTiming& timing,
                           SignalLayoutReport& report);

