// How fast the simulated machine runs: a whole 5.25-inch boot of a 36000-byte
// program, reported as emulated CPU cycles per second of host time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "image/image_options.h"
#include "image/geometry.h"
#include "image/image_builder.h"
#include "disk/boot_disk_facts.h"
#include "sim/boot_run.h"
#include "format/signal_encoder.h"

namespace {

constexpr size_t PROGRAM_SIZE = 36000;  // 18 data tracks
constexpr int32_t LOAD_ADDRESS = 0x0300;

DiskSignal benchmark_disk() {
    const DiskGeometry& geometry = geometry_for(DiskFormat::mini);
    ImageOptions options;
    options.load_address = LOAD_ADDRESS;
    ProgramBytes program(PROGRAM_SIZE);
    for (size_t i = 0; i < program.size(); i++) program[i] = static_cast<uint8_t>(i * 7 + i / 251);
    DiskImage image;
    allocate_image(geometry, image);
    build_image(options, geometry, program, image);
    SignalLayoutReport layout;
    return image_to_signal(geometry, image.bytes.get(), default_signal_timing(geometry.format), layout);
}

void full_boot(benchmark::State& state) {
    const DiskSignal disk = benchmark_disk();
    const BootSettings settings = default_boot_settings(disk.format);
    uint64_t cycles = 0;
    for (auto _ : state) {
        const BootReport report = simulate_boot(disk, settings);
        if (report.outcome != BootOutcome::started) state.SkipWithError("the benchmark disk did not boot");
        cycles += report.end_cycle;
        benchmark::DoNotOptimize(report.end_cycle);
    }
    state.counters["emulated_cycles_per_second"] =
        benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(full_boot)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
