// The stand-in's windows and classes: creation, destruction, showing, sizes and the default
// procedure.
#include <strings.h>

#include <algorithm>
#include <cassert>

#include "platform/standin/standin.h"

namespace standin {

namespace {

// The only module there is: the program's own image.
HINSTANCE const MODULE_HANDLE = reinterpret_cast<HINSTANCE>(std::uintptr_t{0x400000});

// The system's icons and cursors, by the identifiers of the Windows headers: IDI_APPLICATION to
// IDI_SHIELD; IDC_ARROW to IDC_UPARROW, IDC_SIZE to IDC_HELP, IDC_PIN and IDC_PERSON.
constexpr std::uintptr_t SYSTEM_ICON_FIRST = 32512;
constexpr std::uintptr_t SYSTEM_ICON_LAST = 32518;
struct IdRange {
    std::uintptr_t first;
    std::uintptr_t last;
};
constexpr IdRange SYSTEM_CURSORS[] = {{32512, 32516}, {32640, 32651}, {32671, 32672}};

const WindowClass* FindClass(LPCSTR name) {
    if (name == nullptr || IS_INTRESOURCE(name)) {
        return nullptr;
    }
    for (const WindowClass& windowClass : Global().classes) {
        if (strcasecmp(windowClass.name.c_str(), name) == 0) {
            return &windowClass;
        }
    }
    return nullptr;
}

// The outer frame's extra width and height around the client area of a top-level window.
constexpr int FRAME_WIDTH = 2 * FRAME_BORDER;
int FrameHeight(const Window& window) {
    return 2 * FRAME_BORDER + FRAME_CAPTION + (window.menu != nullptr ? FRAME_MENU_BAR : 0);
}

// Whether the window and each window it lies in pass the test, up to its top-level window.
template <class Test>
bool EveryLevel(const Window* window, Test test) {
    for (; window != nullptr; window = FindWindowRecord(window->parent)) {
        if (!test(*window)) {
            return false;
        }
        if (window->parent == nullptr) {
            return true;
        }
    }
    return false;
}

void DestroyWindowRecord(Window* window) {
    window->destroying = true;
    CallWindowProcedure(window, WM_DESTROY, 0, 0);
    // Children learn of it after their parent, as on Windows.
    for (HWND child : ChildWindows(window->handle)) {
        if (Window* record = FindWindowRecord(child); record && !record->destroying) {
            DestroyWindowRecord(record);
        }
    }
    HWND handle = window->handle;
    ValidateClient(window);
    ForgetTimersOf(handle);
    ForgetDeviceContextsOf(handle);
    ForgetMessagesOf(handle);
    Global().windows.erase(handle);
    CurrentHost().WindowDestroyed(handle);
}

void ShowTopLevel(Window* window, int command) {
    if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
        window->visible = true;
        Minimize(window->handle);
        return;
    }
    if (window->minimized && command == SW_RESTORE) {
        Restore(window->handle);
        return;
    }
    if (!window->visible) {
        window->visible = true;
        InvalidateClient(window, nullptr, true);
    }
}

}  // namespace

Window* FindWindowRecord(HWND window) {
    auto found = Global().windows.find(window);
    return found == Global().windows.end() ? nullptr : found->second.get();
}

Window* TopLevelOf(Window* window) {
    while (window != nullptr && window->parent != nullptr) {
        window = FindWindowRecord(window->parent);
    }
    return window;
}

bool IsDrawable(const Window* window) {
    return EveryLevel(window,
                      [](const Window& level) { return level.visible && !level.minimized; });
}

bool TakesInput(const Window* window) {
    return EveryLevel(window, [](const Window& level) {
        return level.visible && level.enabled && !level.minimized;
    });
}

LRESULT CallWindowProcedure(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND handle = window->handle;
    if (Global().observer != nullptr) {
        Global().observer(handle, message, wParam, lParam);
    }
    return window->windowClass.procedure(handle, message, wParam, lParam);
}

RECT ClientRectangle(const Window* window) {
    return RECT{0, 0, window->clientWidth, window->clientHeight};
}

void SetClientSize(Window* window, int width, int height, WPARAM sizeType) {
    const bool changedWidth = width != window->clientWidth;
    const bool changedHeight = height != window->clientHeight;
    window->clientWidth = width;
    window->clientHeight = height;
    if (window->parent == nullptr) {
        window->rect.right = window->rect.left + width + FRAME_WIDTH;
        window->rect.bottom = window->rect.top + height + FrameHeight(*window);
        assert(window->surface != nullptr);  // every top-level window has one from its creation
        window->surface->GrowTo(width, height);
    } else {
        window->rect.right = window->rect.left + width;
        window->rect.bottom = window->rect.top + height;
    }
    CurrentHost().WindowChanged(window->handle);
    const UINT style = window->windowClass.style;
    if ((changedWidth && (style & CS_HREDRAW)) || (changedHeight && (style & CS_VREDRAW))) {
        InvalidateClient(window, nullptr, true);
    }
    CallWindowProcedure(window, WM_SIZE, sizeType, MAKELPARAM(width, height));
}

void RegisterBuiltinClasses() {
    Global().classes.push_back(WindowClass{BUTTON_CLASS, 0, ButtonProcedure, nullptr, 0});
    Global().classes.push_back(WindowClass{STATUS_BAR_CLASS, 0, StatusBarProcedure, nullptr, 0});
    Global().classes.push_back(WindowClass{DIALOG_CLASS, 0, DialogProcedure, nullptr, 0});
}

}  // namespace standin

using namespace standin;

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) ||
        windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr ||
        FindClass(windowClass->lpszClassName) != nullptr) {
        return 0;
    }
    WindowClass record;
    record.name = windowClass->lpszClassName;
    record.style = windowClass->style;
    record.procedure = windowClass->lpfnWndProc;
    record.background = windowClass->hbrBackground;
    if (windowClass->lpszMenuName != nullptr && IS_INTRESOURCE(windowClass->lpszMenuName)) {
        record.menuResource =
            static_cast<int>(reinterpret_cast<UINT_PTR>(windowClass->lpszMenuName));
    }
    Global().classes.push_back(record);
    return static_cast<ATOM>(0xC000 + Global().classes.size());
}

// Places a new window: a child where its parent's client area says, with its identifier from
// the menu argument; a top-level window with its class menu, default position and size, a frame
// and a client surface. `placement` holds x, y, width and height as CreateWindowExA takes them.
static void PlaceNewWindow(Window* window, RECT placement, HWND parent, HMENU menu) {
    int x = placement.left;
    int y = placement.top;
    int width = placement.right;
    int height = placement.bottom;
    if ((window->style & WS_CHILD) != 0) {
        window->parent = parent;
        window->id = static_cast<int>(reinterpret_cast<std::uintptr_t>(menu));
        window->rect = RECT{x, y, x + width, y + height};
        window->clientWidth = std::max(width, 0);
        window->clientHeight = std::max(height, 0);
        return;
    }
    window->owner = parent;
    if (window->windowClass.menuResource != 0) {
        window->menu = LoadMenuResource(window->windowClass.menuResource);
    }
    if (x == CW_USEDEFAULT) {
        x = DEFAULT_WINDOW_POSITION;
        y = DEFAULT_WINDOW_POSITION;
    }
    if (width == CW_USEDEFAULT) {
        width = 800;
        height = 600;
    }
    window->rect = RECT{x, y, x + width, y + height};
    window->clientWidth = std::max(width - FRAME_WIDTH, 0);
    window->clientHeight = std::max(height - FrameHeight(*window), 0);
    window->surface = std::make_unique<Surface>(window->clientWidth, window->clientHeight);
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID) {
    const WindowClass* windowClass = FindClass(className);
    const bool child = (style & WS_CHILD) != 0;
    Window* parentRecord = FindWindowRecord(parent);
    if (windowClass == nullptr || (child && parentRecord == nullptr)) {
        return nullptr;
    }
    auto record = std::make_unique<Window>();
    Window* window = record.get();
    window->handle = reinterpret_cast<HWND>(Global().nextHandle);
    Global().nextHandle += 4;
    window->windowClass = *windowClass;
    window->text = windowName != nullptr ? windowName : "";
    window->style = style;
    window->instance = instance;
    window->visible = (style & WS_VISIBLE) != 0;
    PlaceNewWindow(window, RECT{x, y, width, height}, parent, menu);
    const int clientWidth = window->clientWidth;
    const int clientHeight = window->clientHeight;
    HWND handle = window->handle;
    Global().windows.emplace(handle, std::move(record));
    CurrentHost().WindowCreated(handle);
    // WM_CREATE runs before the call returns; -1 refuses the window.
    if (CallWindowProcedure(window, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if ((window = FindWindowRecord(handle)) == nullptr) {
        return nullptr;
    }
    // The size comes before any paint, so the procedure knows its client area when it draws.
    CallWindowProcedure(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
    if ((window = FindWindowRecord(handle)) == nullptr) {
        return nullptr;
    }
    if (!child && window->visible) {
        InvalidateClient(window, nullptr, true);
    }
    return handle;
}

BOOL WINAPI DestroyWindow(HWND window) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr || record->destroying) {
        return FALSE;
    }
    DestroyWindowRecord(record);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    const BOOL wasVisible = record->visible ? TRUE : FALSE;
    if (record->parent == nullptr) {
        if (showCommand == SW_HIDE) {
            record->visible = false;
        } else {
            ShowTopLevel(record, showCommand);
        }
    } else if (showCommand == SW_HIDE) {
        // Hiding a child uncovers its parent there, which is erased and painted again.
        if (record->visible) {
            record->visible = false;
            InvalidateClient(FindWindowRecord(record->parent), &record->rect, true);
        }
    } else {
        record->visible = true;
    }
    if (FindWindowRecord(window) != nullptr) {
        CurrentHost().WindowChanged(window);
    }
    return wasVisible;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr) {
        return 0;
    }
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_ERASEBKGND: {
            const std::optional<COLORREF> colour = BrushColour(record->windowClass.background);
            DeviceContext* dc = FindDeviceContext(reinterpret_cast<HDC>(wParam));
            if (!colour || dc == nullptr) {
                return 0;
            }
            FillDeviceContext(dc, *colour);
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        default:
            return 0;
    }
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr || index != GWLP_HINSTANCE) {
        return 0;
    }
    return reinterpret_cast<LONG_PTR>(record->instance);
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = ClientRectangle(record);
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    return moduleName == nullptr ? MODULE_HANDLE : nullptr;
}

// Icons and cursors are handles that name their resource; hosts draw the artwork. Without an
// instance the system's own are meant, the standard ones of Windows; the program's are in its
// resources, which hold icons but no cursors.
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    const auto resource = reinterpret_cast<std::uintptr_t>(name);
    const bool found = instance == nullptr
                           ? resource >= SYSTEM_ICON_FIRST && resource <= SYSTEM_ICON_LAST
                           : instance == MODULE_HANDLE && IS_INTRESOURCE(name) &&
                                 HasIconResource(static_cast<int>(resource));
    return found ? reinterpret_cast<HICON>(0x20000 + resource) : nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    const auto resource = reinterpret_cast<std::uintptr_t>(name);
    const bool found = instance == nullptr &&
                       std::any_of(std::begin(SYSTEM_CURSORS), std::end(SYSTEM_CURSORS),
                                   [resource](const IdRange& range) {
                                       return resource >= range.first && resource <= range.last;
                                   });
    return found ? reinterpret_cast<HCURSOR>(0x20000 + resource) : nullptr;
}
