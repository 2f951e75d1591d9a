// The soak run's driver: one script step that picks the next input at random and checks the view.
#include "tests/soak/soak_run.h"

#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "shell/shell.h"

namespace {

const int BUTTONS[] = {101, 102, 103, 104, 105, 106};
const UINT MENU_COMMANDS[] = {IDM_YEAR_2000, IDM_SHOW_STATUS, IDM_HIDE_STATUS, IDM_ABOUT};
const double LAST_ELAPSED = 54786.0 / 36524.219;  // the largest clock value the program keeps
const int LARGEST_WIDTH = 1600;                   // resizes stay within this client area
const int LARGEST_HEIGHT = 1200;
const long WARM_UP_TICKS = 2000;

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// Whether the interval is a power of two from 1/128 to 128 days.
bool IsIntervalInRange(double interval) {
    int exponent = 0;
    return std::frexp(interval, &exponent) == 0.5 && exponent >= -6 && exponent <= 8;
}

// Describes what is out of range in the view state, or returns empty when all is in range.
std::string CheckView() {
    const ViewSettings& settings = viewState.settings;
    char text[160];
    text[0] = '\0';
    if (settings.size < 2 || settings.size > 748) {
        std::snprintf(text, sizeof text, "size %d", settings.size);
    } else if (!IsIntervalInRange(settings.interval)) {
        std::snprintf(text, sizeof text, "interval %.17g", settings.interval);
    } else if (settings.mode != 0 && settings.mode != 1) {
        std::snprintf(text, sizeof text, "mode %d", settings.mode);
    } else if (!(viewState.elapsed >= 0.0 && viewState.elapsed <= LAST_ELAPSED)) {
        std::snprintf(text, sizeof text, "elapsed %.17g", viewState.elapsed);
    }
    return text;
}

bool IsMessageBoxOpen();

struct SoakState {
    long tickGoal;
    std::mt19937 random;
    SoakResult result;
    headless::Step tick = headless::AdvanceTimers(1);
    bool minimized = false;
    bool boxWasOpen = false;

    int Below(int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); }

    // One step of the script: check, then give the program its next input. True when done.
    bool Step() {
        std::string fault = CheckView();
        if (!fault.empty()) {
            if (result.violations++ == 0) {
                result.firstViolation = fault + " after step " + std::to_string(result.steps);
            }
        }
        ++result.steps;
        const bool boxOpen = IsMessageBoxOpen();
        if (boxOpen && !boxWasOpen) {
            ++result.messageBoxes;
        }
        boxWasOpen = boxOpen;
        if (result.ticks >= tickGoal) {
            // Exit needs the main window to take input again.
            if (boxOpen) {
                headless::DismissMessageBox()();
                return false;
            }
            if (minimized) {
                headless::Restore()();
                minimized = false;
                return false;
            }
            result.heapAtEnd = HeapInUse();
            return true;
        }
        if (result.ticks == WARM_UP_TICKS) {
            result.heapAfterWarmUp = HeapInUse();
        }
        const int choice = Below(100);
        if (choice < 70 || (boxOpen && choice < 95)) {
            tick();
            ++result.ticks;
        } else if (boxOpen) {
            headless::DismissMessageBox()();
        } else if (choice < 82) {
            headless::Click(BUTTONS[Below(std::size(BUTTONS))])();
        } else if (choice < 90) {
            headless::ChooseMenu(MENU_COMMANDS[Below(std::size(MENU_COMMANDS))])();
        } else if (choice < 95) {
            headless::ResizeClient(Below(LARGEST_WIDTH + 1), Below(LARGEST_HEIGHT + 1))();
        } else if (minimized) {
            headless::Restore()();
            minimized = false;
        } else {
            headless::Minimize()();
            minimized = true;
            ++result.minimizations;
        }
        return false;
    }
};

bool IsMessageBoxOpen() {
    return standin::OpenMessageBox().has_value();
}

}  // namespace

SoakResult RunSoak(long ticks, unsigned seed) {
    headless::Reset();
    viewState = ViewState{};
    auto state = std::make_shared<SoakState>(SoakState{ticks, std::mt19937(seed), {}});
    headless::Script({
        // The largest client area first, so the surface has its final size before the warm-up ends.
        headless::ResizeClient(LARGEST_WIDTH, LARGEST_HEIGHT),
        [state] { return state->Step(); },
        headless::ChooseMenu(IDM_EXIT),
    });
    state->result.exitCode = headless::RunWinMain();
    state->result.scriptRanOut = headless::ScriptRanOut();
    return state->result;
}
