// Cost of composing one frame, and of its half-up interval formatting alone.
#include <benchmark/benchmark.h>

#include "scene/fixed_format.h"
#include "scene/scene.h"
#include "shell/shell.h"

namespace {

// One day in centuries, the clock's step at start; the clock falls back after 54786 days.
constexpr double ONE_DAY = 1.0 / 36524.219;
constexpr double LAST_TIME = 54786.0 * ONE_DAY;

void ComposeOneFrame(benchmark::State& state) {
    const ViewSettings settings = START_SETTINGS;
    double T = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComposeScene(T, settings));
        T = T + ONE_DAY > LAST_TIME ? 0.0 : T + ONE_DAY;
    }
}
BENCHMARK(ComposeOneFrame);

void FormatInterval(benchmark::State& state) {
    char buffer[16];
    double interval = 1.0 / 128.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatFixedHalfUp(buffer, sizeof buffer, interval, 2));
        interval = interval >= 128.0 ? 1.0 / 128.0 : interval * 2.0;
    }
}
BENCHMARK(FormatInterval);

}  // namespace
