// Whole animation ticks of the real program on the headless host, and a run through 150 years.
//
// The program runs from its own WinMain; each measured iteration is one pass of its message
// loop: the host's wait moves the virtual clock to the timer, and the loop dispatches WM_TIMER,
// whose tick advances the clock, composes and draws the frame, in mode 0 erases and repaints the
// client area, and sends the status text.
#include <benchmark/benchmark.h>

#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "shell/shell.h"

namespace {

const int MODE_BUTTON = 103;
const int TICKS_IN_150_YEARS = 54787;  // at one day a tick, the last one restarts the clock

// Runs the program until the benchmark has measured enough ticks, then chooses Exit.
void RunTicks(benchmark::State& state, std::vector<headless::Step> setup) {
    headless::Reset();
    viewState = ViewState{};
    headless::Script(std::move(setup));
    headless::Step advance = headless::AdvanceTimers(1);
    headless::Script({
        [&state, advance] {
            // Measure from one wait to the next: the whole tick the loop dispatches in between.
            if (!state.KeepRunning()) {
                return true;
            }
            advance();
            return false;
        },
        headless::ChooseMenu(IDM_EXIT),
    });
    if (headless::RunWinMain() != 0) {
        state.SkipWithError("the program did not end with exit code 0");
    }
}

void TickInModeZero(benchmark::State& state) {
    RunTicks(state, {});
}
BENCHMARK(TickInModeZero);

void TickInModeOne(benchmark::State& state) {
    RunTicks(state, {headless::Click(MODE_BUTTON)});
}
BENCHMARK(TickInModeOne);

// The full cycle of the clock in mode 0, as a user would leave it running for 45 minutes.
void OneHundredFiftyYears(benchmark::State& state) {
    for (auto _ : state) {
        headless::Reset();
        viewState = ViewState{};
        headless::Script({
            headless::AdvanceTimers(TICKS_IN_150_YEARS),
            headless::Do([&state] {
                if (viewState.elapsed != 0.0) {
                    state.SkipWithError("the clock did not restart after 150 years");
                }
            }),
            headless::ChooseMenu(IDM_EXIT),
        });
        if (headless::RunWinMain() != 0) {
            state.SkipWithError("the program did not end with exit code 0");
        }
    }
}
BENCHMARK(OneHundredFiftyYears)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
