// The stand-in's paint cycle: update regions, erasing, BeginPaint and EndPaint, window DCs.
#include <algorithm>

#include "platform/standin/standin.h"

namespace standin {

namespace {

bool IsEmpty(const RECT& rect) {
    return rect.left >= rect.right || rect.top >= rect.bottom;
}

RECT Union(const RECT& first, const RECT& second) {
    return RECT{std::min(first.left, second.left), std::min(first.top, second.top),
                std::max(first.right, second.right), std::max(first.bottom, second.bottom)};
}

}  // namespace

RECT Intersect(const RECT& first, const RECT& second) {
    return RECT{std::max(first.left, second.left), std::max(first.top, second.top),
                std::min(first.right, second.right), std::min(first.bottom, second.bottom)};
}

void InvalidateClient(Window* window, const RECT* rect, bool erase) {
    // Hidden and minimised windows keep no update region; showing them invalidates them whole.
    if (!IsDrawable(window)) {
        return;
    }
    const RECT client = ClientRectangle(window);
    const RECT area = rect != nullptr ? Intersect(*rect, client) : client;
    if (IsEmpty(area)) {
        return;
    }
    window->updateRect = window->updatePending ? Union(window->updateRect, area) : area;
    window->updatePending = true;
    window->erasePending = window->erasePending || erase;
}

void ValidateClient(Window* window) {
    window->updatePending = false;
    window->erasePending = false;
}

Window* FindWindowToPaint() {
    for (auto& [handle, window] : Global().windows) {
        if (window->updatePending && IsDrawable(window.get())) {
            return window.get();
        }
    }
    return nullptr;
}

}  // namespace standin

using namespace standin;

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    // No window means every window, as Win32 invalidates the whole screen.
    if (window == nullptr) {
        for (auto& [handle, record] : Global().windows) {
            if (record->parent == nullptr) {
                InvalidateClient(record.get(), rect, erase != FALSE);
            }
        }
        return TRUE;
    }
    Window* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    InvalidateClient(record, rect, erase != FALSE);
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    // The paint runs now, inside this call; BeginPaint sends the erase.
    if (record->updatePending && IsDrawable(record)) {
        CallWindowProcedure(record, WM_PAINT, 0, 0);
    }
    return TRUE;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr || paint == nullptr) {
        return nullptr;
    }
    // Validate first: whatever the procedure does from here on needs a new invalidation to paint.
    const RECT area = record->updatePending ? record->updateRect : RECT{0, 0, 0, 0};
    const bool erase = record->erasePending;
    ValidateClient(record);
    *paint = PAINTSTRUCT{};
    paint->rcPaint = area;
    paint->hdc = OpenDeviceContext(record, &area);
    if (erase) {
        const LRESULT erased =
            CallWindowProcedure(record, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0);
        paint->fErase = erased == 0 ? TRUE : FALSE;
    }
    return paint->hdc;
}

// Win32 documents EndPaint's result as always nonzero.
BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (paint != nullptr) {
        CloseDeviceContext(paint->hdc);
    }
    return TRUE;
}

HDC WINAPI GetDC(HWND window) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr) {
        return nullptr;
    }
    return OpenDeviceContext(record, nullptr);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
    return CloseDeviceContext(dc) ? 1 : 0;
}
