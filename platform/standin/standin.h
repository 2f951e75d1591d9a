// The stand-in core's internal records and the helpers its Win32 areas share.
//
// Each Win32 area has its own file (window, message, timer, paint, gdi, text,
// menu, controls, msgbox); the exported Win32 functions are thin and call the
// helpers declared here, whose names say what they do in the stand-in's terms.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"
#include "platform/standin/surface.h"
#include "platform/win32.h"

namespace standin {

// Win32 values that only the stand-in's inside uses.
constexpr UINT WM_LBUTTONDOWN_MESSAGE = 0x0201;
constexpr UINT WM_LBUTTONUP_MESSAGE = 0x0202;
constexpr UINT USER_TIMER_MINIMUM_MS = 10;

// Frame metrics of a top-level window, as Windows draws an overlapped window.
constexpr int FRAME_BORDER = 8;
constexpr int FRAME_CAPTION = 23;
constexpr int FRAME_MENU_BAR = 20;
constexpr int STATUS_BAR_HEIGHT = 22;
constexpr int DEFAULT_WINDOW_POSITION = 26;  // where CW_USEDEFAULT puts a window

constexpr char BUTTON_CLASS[] = "BUTTON";
constexpr char STATUS_BAR_CLASS[] = "msctls_statusbar32";
constexpr char DIALOG_CLASS[] = "#32770";

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HBRUSH background = nullptr;
    int menuResource = 0;  // 0 for none
};

struct MenuItem {
    std::string caption;  // UTF-8
    UINT command = 0;
    UINT state = MF_ENABLED;  // its MF_GRAYED and MF_DISABLED bits, as EnableMenuItem set them
};

struct MenuPopup {
    std::string caption;  // UTF-8
    std::vector<MenuItem> items;
};

struct Menu {
    std::vector<MenuPopup> popups;
};

struct Window {
    HWND handle = nullptr;
    HWND parent = nullptr;  // child windows only
    HWND owner = nullptr;   // a message box's owner
    WindowClass windowClass;
    std::string text;  // code page 932
    DWORD style = 0;
    int id = 0;
    HINSTANCE instance = nullptr;
    RECT rect{};  // a child's in its parent's client area; a top-level window's outer frame
    int clientWidth = 0;
    int clientHeight = 0;
    int restoredClientWidth = 0;  // the size a minimised window returns to
    int restoredClientHeight = 0;
    bool visible = false;
    bool enabled = true;
    bool minimized = false;
    bool destroying = false;
    // The update region, kept as one rectangle: a pending paint is this flag, never a message.
    bool updatePending = false;
    bool erasePending = false;
    RECT updateRect{};
    std::unique_ptr<Menu> menu;
    std::unique_ptr<Surface> surface;  // top-level windows only
    // Control data.
    bool simpleStatus = false;
    // A status bar's text of the mode not shown: part 0's in simple mode, the simple part's
    // otherwise; text holds the one shown.
    std::string hiddenStatusText;
    std::string messageText;  // a message box's text, code page 932
    bool dialogEnded = false;
};

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;        // milliseconds
    std::uint64_t due = 0;  // host clock; the timer is due once Now() reaches it
    TIMERPROC procedure = nullptr;
};

struct DeviceContext {
    HWND topLevel = nullptr;  // owner of the surface drawn on
    // The top-level window's surface; null once that window is destroyed, so that a DC kept
    // beyond its window draws nothing. Kept here because every pixel drawn needs it.
    Surface* surface = nullptr;
    int originX = 0;  // the window's client origin on the surface
    int originY = 0;
    RECT clip{};  // on the surface
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF backgroundColour = RGB(255, 255, 255);
    bool damaged = false;  // pixels changed since the host was last told
};

// Everything the stand-in holds. Written only by the core's Win32 area files.
struct State {
    std::map<HWND, std::unique_ptr<Window>> windows;  // handles grow, so this is creation order
    std::uintptr_t nextHandle = 0x10000;
    std::vector<WindowClass> classes;
    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quitPending = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    std::vector<std::unique_ptr<DeviceContext>> deviceContexts;
    MessageObserver observer = nullptr;
};
State& Global();
Host& CurrentHost();
std::uint64_t Now();

// window.cpp
Window* FindWindowRecord(HWND window);
Window* TopLevelOf(Window* window);
// Shown and not minimised, and so is every window it lies in.
bool IsDrawable(const Window* window);
bool TakesInput(const Window* window);  // drawable, and enabled at every level
LRESULT CallWindowProcedure(Window* window, UINT message, WPARAM wParam, LPARAM lParam);
void SetClientSize(Window* window, int width, int height, WPARAM sizeType);
void RegisterBuiltinClasses();
RECT ClientRectangle(const Window* window);

// message.cpp
MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);  // stamped Now()
bool RetrieveMessage(MSG* message);                                        // false for WM_QUIT
void ForgetMessagesOf(HWND window);

// timer.cpp
std::optional<std::uint64_t> NextTimerDeadline();
bool TakeDueTimer(MSG* message);
void ForgetTimersOf(HWND window);
bool IsTimerProcedure(HWND window, UINT_PTR id, TIMERPROC procedure);  // SetTimer registered it

// paint.cpp
RECT Intersect(const RECT& first, const RECT& second);
void InvalidateClient(Window* window, const RECT* rect, bool erase);
// Drops the window's update region, if it has one.
void ValidateClient(Window* window);
Window* FindWindowToPaint();

// gdi.cpp
DeviceContext* FindDeviceContext(HDC dc);
HDC OpenDeviceContext(Window* window, const RECT* clip);
bool CloseDeviceContext(HDC dc);  // false when there is no such DC
void FillDeviceContext(DeviceContext* dc, COLORREF colour);
// Lets the open DCs of a top-level window that goes away draw nothing from now on.
void ForgetDeviceContextsOf(HWND topLevel);
std::optional<COLORREF> BrushColour(HBRUSH brush);  // a stock brush's colour

// text.cpp: TextOutA places texts rendered by the backend of text_renderer.h.

// menu.cpp
std::unique_ptr<Menu> LoadMenuResource(int resource);  // null when the program has no such menu
bool HasIconResource(int resource);
Menu* FindMenu(HMENU menu, Window** owner);
MenuItem* FindMenuItem(Menu& menu, UINT command);  // null when no item has the command

// controls.cpp
LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StatusBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// msgbox.cpp
LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace standin
