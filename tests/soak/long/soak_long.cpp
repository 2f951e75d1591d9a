// The long soak run, outside the normal test run: a million ticks of random input by default.
//
// Usage: soak_long [ticks [seed]]. Prints the counts, the wall time, the heap in use after the
// warm-up and at the end, and the peak resident memory; exits 1 when a check failed.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "tests/soak/soak_run.h"

int main(int argumentCount, char** arguments) {
    const long ticks = argumentCount > 1 ? std::atol(arguments[1]) : 1000000;
    const unsigned seed =
        argumentCount > 2 ? static_cast<unsigned>(std::strtoul(arguments[2], nullptr, 10)) : 1u;
    const auto start = std::chrono::steady_clock::now();
    const SoakResult result = RunSoak(ticks, seed);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("ticks %ld, steps %ld, version messages %ld, minimisations %ld, seed %u\n",
                result.ticks, result.steps, result.messageBoxes, result.minimizations, seed);
    std::printf("wall time %.1f s\n", wall.count());
    std::printf("heap in use after warm-up %zu bytes, at the end %zu bytes\n",
                result.heapAfterWarmUp, result.heapAtEnd);
    std::printf("peak resident memory %ld KiB\n", usage.ru_maxrss);
    std::printf("exit code %d, view checks failed %ld%s%s\n", result.exitCode, result.violations,
                result.violations > 0 ? ", first: " : "", result.firstViolation.c_str());
    const bool heapGrew = result.heapAtEnd > result.heapAfterWarmUp + SOAK_HEAP_TOLERANCE_BYTES;
    if (heapGrew) {
        std::printf("the heap grew by more than %zu bytes\n", SOAK_HEAP_TOLERANCE_BYTES);
    }
    const bool passed = result.ticks == ticks && result.violations == 0 && result.exitCode == 0 &&
                        !result.scriptRanOut && !heapGrew;
    std::puts(passed ? "PASSED" : "FAILED");
    return passed ? 0 : 1;
}
