#include "bench/scaling_floor.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

namespace {

// One cache line of the chase: where the next load goes.
struct alignas(64) Line {
    const Line* next;
};

// A single cycle through every line of the buffer in a random order, so that
// neither the prefetchers nor the page order can guess the next address.
std::unique_ptr<Line[]> makeCycle(std::size_t lines) {
    std::unique_ptr<Line[]> buffer(new Line[lines]);
    std::vector<std::size_t> order(lines);
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::shuffle(order.begin() + 1, order.end(), std::mt19937_64(5));
    for (std::size_t i = 0; i < lines; ++i) {
        buffer[order[i]].next = &buffer[order[(i + 1) % lines]];
    }
    return buffer;
}

void chase(benchmark::State& state) {
    const std::size_t lines = static_cast<std::size_t>(state.range(0)) / sizeof(Line);
    const std::unique_ptr<Line[]> buffer = makeCycle(lines);
    const Line* at = &buffer[0];
    // Once round the cycle first: the small buffers are then in their cache.
    for (std::size_t i = 0; i < lines; ++i) {
        at = at->next;
    }
    const std::size_t loads = std::size_t(1) << 22;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < loads; ++i) {
            at = at->next;
        }
        benchmark::DoNotOptimize(at);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["ns_per_load"] =
        1e9 * seconds / (static_cast<double>(loads) * state.iterations());
}

}  // namespace

void registerFloor() {
    const long mebibyte = 1L << 20;
    benchmark::RegisterBenchmark("floor/l2", chase)->Arg(mebibyte)->Iterations(10);
    benchmark::RegisterBenchmark("floor/flushed", chase)->Arg(32 * mebibyte)->Iterations(4);
    benchmark::RegisterBenchmark("floor/memory", chase)->Arg(1024 * mebibyte)->Iterations(2);
}
