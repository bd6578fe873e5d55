// How fast each boot loader takes the disk's bytes, and from that the
// slowest CPU clock at which it keeps up with a disk: a table keyed by the
// kind of loader, so that each loader brings its own figures.
#pragma once

#include <cstdint>

#include "disk/image_reader.h"

struct LoaderSpeed {
    LoaderKind loader;
    // The most cycles the loader spends on one byte, from one read of the
    // ACIA's data register to the next when the next byte is already there,
    // and the extra cycles at the end of each page of 256 bytes.
    uint32_t cycles_per_byte;
    uint32_t cycles_per_page;
};

// The loader on this boot track, or nullptr when it carries none we know.
const LoaderSpeed* loader_speed(const BootFacts& boot);

// The slowest clock, in whole Hz rounded up, at which the loader's worst
// case per byte (the page's extra spread over its 256 bytes) fits in a byte
// time of the format; 0 when the boot track carries no loader we know.
uint64_t min_cpu_hz(const BootFacts& boot, DiskFormat format);

// The standard clock of the 1 MHz machines (the Superboard II, the C1P).
constexpr uint64_t ONE_MHZ_MACHINE_HZ = 983040;
