// The stand-in's window timers: a due timer is a mark on this list, never a queued message.
#include <algorithm>

#include "platform/standin/standin.h"

namespace standin {

namespace {

std::vector<Timer>::iterator FindTimer(HWND window, UINT_PTR id) {
    auto& timers = Global().timers;
    return std::find_if(timers.begin(), timers.end(), [&](const Timer& timer) {
        return timer.window == window && timer.id == id;
    });
}

// The timer due first; the first set of those due at once.
std::vector<Timer>::iterator EarliestTimer() {
    auto& timers = Global().timers;
    return std::min_element(
        timers.begin(), timers.end(),
        [](const Timer& first, const Timer& second) { return first.due < second.due; });
}

}  // namespace

std::optional<std::uint64_t> NextTimerDeadline() {
    const auto earliest = EarliestTimer();
    return earliest != Global().timers.end() ? std::optional(earliest->due) : std::nullopt;
}

// Takes the earliest due timer and starts its next period from now, so a timer that fell
// behind by many periods gives a single WM_TIMER.
bool TakeDueTimer(MSG* message) {
    const std::uint64_t now = Now();
    const auto earliest = EarliestTimer();
    if (earliest == Global().timers.end() || earliest->due > now) {
        return false;
    }
    earliest->due = now + earliest->period;
    *message = MakeMessage(earliest->window, WM_TIMER, earliest->id,
                           reinterpret_cast<LPARAM>(earliest->procedure));
    return true;
}

bool IsTimerProcedure(HWND window, UINT_PTR id, TIMERPROC procedure) {
    auto timer = FindTimer(window, id);
    return timer != Global().timers.end() && timer->procedure == procedure;
}

void ForgetTimersOf(HWND window) {
    auto& timers = Global().timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [window](const Timer& timer) { return timer.window == window; }),
                 timers.end());
}

}  // namespace standin

using namespace standin;

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
    if (window != nullptr && FindWindowRecord(window) == nullptr) {
        return 0;
    }
    // A timer without a window keeps its identifier only when it names one of its kind already;
    // otherwise the system chooses one that no such timer has.
    if (window == nullptr && (id == 0 || FindTimer(nullptr, id) == Global().timers.end())) {
        for (id = 1; FindTimer(nullptr, id) != Global().timers.end(); ++id) {
        }
    }
    const UINT period = std::max(elapse, USER_TIMER_MINIMUM_MS);
    auto timer = FindTimer(window, id);
    if (timer == Global().timers.end()) {
        Global().timers.push_back(Timer{window, id, period, 0, timerProc});
        timer = Global().timers.end() - 1;
    }
    timer->period = period;
    timer->procedure = timerProc;
    timer->due = Now() + period;
    return id == 0 ? 1 : id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    auto timer = FindTimer(window, id);
    if (timer == Global().timers.end()) {
        return FALSE;
    }
    Global().timers.erase(timer);
    return TRUE;
}
