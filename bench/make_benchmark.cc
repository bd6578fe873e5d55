// What spindisk make's proof costs: the whole road (read, build, read back,
// boot on the simulated machine, encode) for a small program and for one of
// ten data tracks, with and without the boot. A measurement to run by hand.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "spindisk/make_disk.h"

namespace {

void make(benchmark::State& state) {
    std::vector<uint8_t> program(static_cast<size_t>(state.range(0)));
    for (size_t i = 0; i < program.size(); i++) program[i] = static_cast<uint8_t>(i * 7 + i / 251);
    MakeOptions options;
    options.input_name = "program";
    options.input_format = InputFormat::raw;
    options.has_load = true;
    options.load_address = 0x0300;
    options.verify = state.range(1) != 0;
    for (auto _ : state) {
        const MakeResult result = make_disk(program.data(), program.size(), options);
        if (result.status != MakeStatus::ok) state.SkipWithError("the benchmark disk was refused");
        benchmark::DoNotOptimize(result.output.data());
    }
}

}  // namespace

// 705 bytes: cc65's "hello" at $0200; 20450 bytes: ten full data tracks.
BENCHMARK(make)->Args({705, 1})->Args({705, 0})->Args({20450, 1})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
