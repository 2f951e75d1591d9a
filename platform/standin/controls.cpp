// The stand-in's built-in controls: the push button and the common controls' status bar.
#include <utility>

#include "platform/standin/standin.h"

namespace standin {

namespace {

// A status bar lies along its parent's bottom edge, over the client area, whatever it is told.
void PlaceStatusBar(Window* statusBar) {
    Window* parent = FindWindowRecord(statusBar->parent);
    if (parent == nullptr) {
        return;
    }
    const int height = std::min(STATUS_BAR_HEIGHT, parent->clientHeight);
    statusBar->rect =
        RECT{0, parent->clientHeight - height, parent->clientWidth, parent->clientHeight};
    statusBar->clientWidth = parent->clientWidth;
    statusBar->clientHeight = height;
    CurrentHost().WindowChanged(statusBar->handle);
}

}  // namespace

// A click arrives as input to the button, which tells its parent, as a Windows button does.
LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* button = FindWindowRecord(window);
    if (message == WM_LBUTTONUP_MESSAGE && button != nullptr) {
        return SendMessageA(button->parent, WM_COMMAND, MAKEWPARAM(button->id, BN_CLICKED),
                            reinterpret_cast<LPARAM>(window));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK StatusBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* statusBar = FindWindowRecord(window);
    if (statusBar == nullptr) {
        return 0;
    }
    switch (message) {
        case WM_CREATE:
        case WM_SIZE:
            PlaceStatusBar(statusBar);
            return 0;
        case SB_SIMPLE:
            // The simple part and part 0 keep a text each; the mode shows one of them.
            if (statusBar->simpleStatus != (wParam != 0)) {
                statusBar->simpleStatus = wParam != 0;
                std::swap(statusBar->text, statusBar->hiddenStatusText);
            }
            CurrentHost().WindowChanged(window);
            return 0;
        case SB_SETTEXTA: {
            // The bar has one part besides the simple one. The program sets the text on every
            // tick, also while the bar is hidden: it is only kept then, and the host shows it
            // when the bar is shown.
            const WPARAM part = wParam & 0xFF;
            if (part != SB_SIMPLEID && part != 0) {
                return FALSE;
            }
            const bool shown = (part == SB_SIMPLEID) == statusBar->simpleStatus;
            (shown ? statusBar->text : statusBar->hiddenStatusText) =
                lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : "";
            if (shown && statusBar->visible) {
                CurrentHost().WindowChanged(window);
            }
            return TRUE;
        }
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace standin

using namespace standin;

// The controls' classes are always registered, so there is nothing to load.
void WINAPI InitCommonControls(void) {}

HWND WINAPI CreateStatusWindowA(LONG style, LPCSTR text, HWND parent, UINT id) {
    return CreateWindowExA(0, STATUS_BAR_CLASS, text, static_cast<DWORD>(style), 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)),
                           nullptr);
}
