// The minimum clocks, one row per loader and format.
#include "disk/loader_clock.h"

#include "loader/fast_loader.h"

namespace {

struct LoaderClock {
    LoaderKind loader;
    DiskFormat format;
    uint64_t min_cpu_hz;
};

// The standard loader's figures are where an independent bit-level emulator
// first loads intact (its 51-52 cycle data loop against 88 us and 44 us
// bytes); the fast loader's are where its longest path, 38 cycles, fits in
// a byte's time.
constexpr LoaderClock LOADER_CLOCKS[] = {
    {LoaderKind::standard, DiskFormat::mini, 592000},
    {LoaderKind::standard, DiskFormat::full, 1182500},
    {LoaderKind::fast, DiskFormat::mini, FAST_LOADER_MIN_CPU_HZ_MINI},
    {LoaderKind::fast, DiskFormat::full, FAST_LOADER_MIN_CPU_HZ_FULL},
};

}  // namespace

uint64_t loader_min_cpu_hz(LoaderKind loader, DiskFormat format) {
    for (const LoaderClock& row : LOADER_CLOCKS) {
        if (row.loader == loader && row.format == format) return row.min_cpu_hz;
    }
    return 0;  // unreachable: the table has every pair
}
