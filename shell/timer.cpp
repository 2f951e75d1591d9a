// The animation step and the clock it advances.
#include "shell/shell.h"

void AdvanceElapsed(double days) {
    // The clock is kept in centuries but advanced as a day count, so its last bits drift a little.
    double dayCount = viewState.elapsed * DAYS_PER_CENTURY + days;
    // After 150 years the animation starts again at the start of 1950, dropping the excess.
    if (dayCount > ELAPSED_LIMIT_DAYS) {
        dayCount = 0;
    }
    viewState.elapsed = dayCount / DAYS_PER_CENTURY;
}

LRESULT TimerTick(HWND window) {
    // Model time follows the count of ticks, not the wall clock.
    AdvanceElapsed(viewState.settings.interval);
    SceneSnapshot snapshot = DrawCurrentFrame(window);
    // In mode 0 only the current positions stay; mode 1 leaves every tick's markers as trails.
    if (viewState.settings.mode == 0) {
        RepaintClient(window);
    }
    // Sent on every tick, hidden or not, so the bar is current whenever it is shown.
    SendMessageA(viewState.statusBar, SB_SETTEXTA, SB_SIMPLEID,
                 reinterpret_cast<LPARAM>(snapshot.statusText));
    return 0;
}
