// The application shell: the main window's procedure, the view state, the animation and commands.
//
// Everything here is Win32 code that compiles unchanged against the real
// headers and against the stand-in. It runs on the one GUI thread.
#pragma once

#include "platform/win32.h"
#include "scene/scene.h"

// The program-wide state of the shell; zero at load.
struct ViewState {
    ViewSettings settings;  // zoom, drawing interval and mode; set at window creation
    double elapsed;         // centuries since the start of 1950, 0 to 54786 / 36524.219
    int clientWidth;        // pixels, as the last WM_SIZE gave it (0 while minimised)
    int clientHeight;       // pixels, as the last WM_SIZE gave it (0 while minimised)
    HWND statusBar;         // the status bar child, created hidden with the window
};

// The one view state; written only by MainWindowProc and the tick and commands it runs.
extern ViewState viewState;

// The main window's outer size, and the view it starts with: one day per tick, 250 pixels per
// AU, a fresh frame on every tick. The clock keeps its load value, the start of 1950.
const int MAIN_WINDOW_WIDTH = 800;
const int MAIN_WINDOW_HEIGHT = 600;
const ViewSettings START_SETTINGS = {1.0, 250, 0};

// The animation timer: one tick every 50 ms, each advancing the clock by `interval` days.
const UINT_PTR ANIMATION_TIMER_ID = 1;
const UINT ANIMATION_PERIOD_MS = 50;
const double DAYS_PER_CENTURY = 36524.219;  // the clock's day factor
const double ELAPSED_LIMIT_DAYS = 54786.0;  // 150 * 365.24: beyond it the clock restarts at 0

// The window procedure of the class "ModelApp".
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Composes the current frame and draws it over the client area on a window DC.
SceneSnapshot DrawCurrentFrame(HWND window);

// Erases the whole client area and paints it again before returning.
void RepaintClient(HWND window);

// Adds `days` to the clock through its day count; past the limit it restarts at 0.
void AdvanceElapsed(double days);

// One animation step: advance, draw, erase and repaint in mode 0, status text.
LRESULT TimerTick(HWND window);

// Runs the command of a button or menu item; unknown identifiers do nothing.
LRESULT RunCommand(HWND window, int identifier);
