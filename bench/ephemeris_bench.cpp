// Cost of the planet positions: one planet, and all six as one frame needs them.
#include <benchmark/benchmark.h>

#include "ephemeris/ephemeris.h"

namespace {

// One day in centuries, the clock's step at start; advancing T keeps every call honest.
constexpr double ONE_DAY = 1.0 / 36524.219;
// The clock falls back after 1.5 centuries; so do the benchmarks, so that they never
// reach times where an eccentricity leaves the ellipse and the solver returns early.
constexpr double LAST_TIME = 1.5;

double NextTime(double T) {
    return T + ONE_DAY > LAST_TIME ? 0.0 : T + ONE_DAY;
}

using PositionOperation = EclipticPosition (*)(OrbitElements&, double);

constexpr PositionOperation PLANETS[] = {MercuryPosition, VenusPosition,   EarthPosition,
                                         MarsPosition,    JupiterPosition, SaturnPosition};
constexpr const char* PLANET_NAMES[] = {"Mercury", "Venus", "Earth", "Mars", "Jupiter", "Saturn"};

void OnePlanetPosition(benchmark::State& state) {
    const PositionOperation position = PLANETS[state.range(0)];
    state.SetLabel(PLANET_NAMES[state.range(0)]);
    OrbitElements elements;
    double T = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(position(elements, T));
        T = NextTime(T);
    }
}
BENCHMARK(OnePlanetPosition)->DenseRange(0, 5);

void AllSixPositions(benchmark::State& state) {
    OrbitElements elements[6];
    double T = 0.0;
    for (auto _ : state) {
        for (int planet = 0; planet < 6; ++planet) {
            benchmark::DoNotOptimize(PLANETS[planet](elements[planet], T));
        }
        T = NextTime(T);
    }
}
BENCHMARK(AllSixPositions);

void DmsToRadiansOfARate(benchmark::State& state) {
    double seconds = 538089558.57;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DmsToRadians(0, 0, seconds));
        seconds += 1.0;
    }
}
BENCHMARK(DmsToRadiansOfARate);

}  // namespace
