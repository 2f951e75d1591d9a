// The commands of the push buttons and the menu.
#include "resources/resource.h"
#include "shell/shell.h"
#include "shell/texts.h"

namespace {

// Zoom steps and the sizes at which they stop; the two are not inverses.
const double ZOOM_OUT_FACTOR = 0.5;
const int ZOOM_OUT_ABOVE = 4;  // zoom out only while size > 4, so size never drops below 2
const double ZOOM_IN_FACTOR = 1.5;
const int ZOOM_IN_BELOW = 500;  // zoom in only while size < 500, so size never exceeds 748

// The interval halves or doubles, so it stays a power of two from 1/128 to 128 days.
const double SLOWER_FACTOR = 0.5;
const double SLOWER_ABOVE = 0.01;
const double FASTER_BELOW = 100.0;

const double ONE_YEAR_DAYS = 365.24;
const double YEAR_2000_DAYS = 18262;  // from the start of 1950 to the start of 2000

// Whether a command's drawing ends by erasing the client area.
enum Repaint { REPAINT_ALWAYS, REPAINT_IN_MODE_0 };

// Draws the changed view at once; a repaint erases trails, which in mode 1
// only the zoom and clock commands do.
LRESULT Redraw(HWND window, Repaint repaint) {
    DrawCurrentFrame(window);
    if (repaint == REPAINT_ALWAYS || viewState.settings.mode == 0) {
        RepaintClient(window);
    }
    return 0;
}

void ShowStatusBar(HWND window, int showCommand, UINT grayed, UINT enabled) {
    ShowWindow(viewState.statusBar, showCommand);
    HMENU menu = GetMenu(window);
    EnableMenuItem(menu, grayed, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(menu, enabled, MF_BYCOMMAND | MF_ENABLED);
}

}  // namespace

LRESULT RunCommand(HWND window, int identifier) {
    ViewSettings& settings = viewState.settings;
    switch (identifier) {
        case IDC_ZOOM_OUT:
            if (settings.size > ZOOM_OUT_ABOVE) {
                settings.size = static_cast<int>(settings.size * ZOOM_OUT_FACTOR);
            }
            return Redraw(window, REPAINT_ALWAYS);
        case IDC_ZOOM_IN:
            if (settings.size < ZOOM_IN_BELOW) {
                settings.size = static_cast<int>(settings.size * ZOOM_IN_FACTOR);
            }
            return Redraw(window, REPAINT_ALWAYS);
        case IDC_MODE:
            // Leaving mode 1 erases the trails; entering it erases nothing.
            settings.mode = settings.mode == 0 ? 1 : 0;
            return Redraw(window, REPAINT_IN_MODE_0);
        case IDC_SLOWER:
            if (settings.interval > SLOWER_ABOVE) {
                settings.interval = settings.interval * SLOWER_FACTOR;
            }
            return Redraw(window, REPAINT_IN_MODE_0);
        case IDC_FASTER:
            if (settings.interval < FASTER_BELOW) {
                settings.interval = settings.interval + settings.interval;
            }
            return Redraw(window, REPAINT_IN_MODE_0);
        case IDC_ONE_YEAR:
            AdvanceElapsed(ONE_YEAR_DAYS);
            return Redraw(window, REPAINT_ALWAYS);
        case IDM_YEAR_2000:
            viewState.elapsed = YEAR_2000_DAYS / DAYS_PER_CENTURY;
            return Redraw(window, REPAINT_ALWAYS);
        case IDM_EXIT:
            // The loop ends without destroying the window first.
            KillTimer(window, ANIMATION_TIMER_ID);
            PostQuitMessage(0);
            return 0;
        case IDM_SHOW_STATUS:
            ShowStatusBar(window, SW_SHOW, IDM_SHOW_STATUS, IDM_HIDE_STATUS);
            return 0;
        case IDM_HIDE_STATUS:
            ShowStatusBar(window, SW_HIDE, IDM_HIDE_STATUS, IDM_SHOW_STATUS);
            return 0;
        case IDM_ABOUT:
            // Modal; the animation goes on behind it.
            MessageBoxA(window, VERSION_TEXT, VERSION_CAPTION, MB_OK);
            return 0;
        default:
            return 0;
    }
}
