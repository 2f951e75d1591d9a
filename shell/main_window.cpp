// The main window: its procedure, its creation and size handling, and the two ways of drawing.
#include "resources/resource.h"
#include "shell/shell.h"
#include "shell/texts.h"

ViewState viewState;

namespace {

// The row of push buttons along the top edge of the client area.
struct ButtonSpec {
    int left;
    const char* caption;
    int identifier;
};

// In creation order; the identifiers do not follow the left-to-right order.
const ButtonSpec BUTTONS[] = {
    {1, ZOOM_OUT_CAPTION, IDC_ZOOM_OUT}, {51, ZOOM_IN_CAPTION, IDC_ZOOM_IN},
    {101, MODE_CAPTION, IDC_MODE},       {151, SLOWER_CAPTION, IDC_SLOWER},
    {201, FASTER_CAPTION, IDC_FASTER},   {251, ONE_YEAR_CAPTION, IDC_ONE_YEAR},
};
const int BUTTON_TOP = 1;
const int BUTTON_WIDTH = 50;
const int BUTTON_HEIGHT = 25;

const UINT STATUS_BAR_ID = 1;
const LONG STATUS_BAR_STYLE = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM;

LRESULT OnCreate(HWND window) {
    InitCommonControls();

    // A 64-bit instance handle does not fit the 32-bit window long; take the pointer-sized one.
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    for (const ButtonSpec& button : BUTTONS) {
        CreateWindowExA(0, "BUTTON", button.caption, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                        button.left, BUTTON_TOP, BUTTON_WIDTH, BUTTON_HEIGHT, window,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(button.identifier)), instance,
                        nullptr);
    }

    // The status bar shows one simple part and starts hidden, so its hide command is grayed.
    viewState.statusBar = CreateStatusWindowA(STATUS_BAR_STYLE, nullptr, window, STATUS_BAR_ID);
    SendMessageA(viewState.statusBar, SB_SIMPLE, TRUE, 0);
    ShowWindow(viewState.statusBar, SW_HIDE);
    EnableMenuItem(GetMenu(window), IDM_HIDE_STATUS, MF_BYCOMMAND | MF_GRAYED);

    SetTimer(window, ANIMATION_TIMER_ID, ANIMATION_PERIOD_MS, nullptr);
    viewState.settings = START_SETTINGS;
    return 0;
}

LRESULT OnSize(WPARAM wParam, LPARAM lParam) {
    // Both words are unsigned; a minimised window reports 0 by 0.
    viewState.clientWidth = LOWORD(lParam);
    viewState.clientHeight = HIWORD(lParam);
    // The status bar places itself along the bottom edge again.
    SendMessageA(viewState.statusBar, WM_SIZE, wParam, lParam);
    return 0;
}

LRESULT OnPaint(HWND window) {
    // The whole frame is drawn whatever the update rectangle; painting never moves the clock.
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SceneSnapshot snapshot = ComposeScene(viewState.elapsed, viewState.settings);
    DrawScene(dc, snapshot, viewState.settings, viewState.clientWidth, viewState.clientHeight);
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnDestroy(HWND window) {
    KillTimer(window, ANIMATION_TIMER_ID);
    PostQuitMessage(0);
    return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(window);
        case WM_DESTROY:
            return OnDestroy(window);
        case WM_SIZE:
            return OnSize(wParam, lParam);
        case WM_PAINT:
            return OnPaint(window);
        case WM_COMMAND:
            // The notification code and the sender are not needed: identifiers are unique.
            return RunCommand(window, LOWORD(wParam));
        case WM_TIMER:
            // There is one timer, so its identifier is not examined.
            return TimerTick(window);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

SceneSnapshot DrawCurrentFrame(HWND window) {
    HDC dc = GetDC(window);
    SceneSnapshot snapshot = ComposeScene(viewState.elapsed, viewState.settings);
    DrawScene(dc, snapshot, viewState.settings, viewState.clientWidth, viewState.clientHeight);
    ReleaseDC(window, dc);
    return snapshot;
}

void RepaintClient(HWND window) {
    // The erase and the paint both run before UpdateWindow returns.
    RECT client;
    GetClientRect(window, &client);
    InvalidateRect(window, &client, TRUE);
    UpdateWindow(window);
}
