// The boundary between the Win32 stand-in's core and the host that shows its windows.
//
// The core keeps every window, queue, timer and pixel; a host only shows them
// and feeds the user's input back. The core asks its host for the time, for a
// wait until input arrives or a deadline passes, and tells it when windows,
// pixels, menus or a message box change. The host reads what it shows through
// the descriptions below and delivers input through the entry points at the
// end; input is queued, so it reaches the program through its message loop,
// as on Windows. Hosts, and the tests that play one, include this header; the
// program never does: it sees only platform/win32.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32.h"

namespace standin {

// What the core asks of whoever shows its windows. Notifications default to nothing.
class Host {
  public:
    virtual ~Host() = default;
    virtual std::uint64_t Now() = 0;  // milliseconds on the host's clock
    // Returns once input may have been delivered, or when the deadline (on the Now clock) passes.
    virtual void Wait(std::optional<std::uint64_t> deadline) = 0;
    virtual void WindowCreated(HWND) {}
    // Its rectangle, visibility, enabled state or text; a hidden status bar's new text is told
    // when the bar is shown.
    virtual void WindowChanged(HWND) {}
    virtual void WindowDestroyed(HWND) {}
    // A top-level window's client pixels changed; TakeSurfaceChanges tells which.
    virtual void SurfaceChanged(HWND) {}
    virtual void MenuChanged(HWND) {}  // an item of the window's menu was grayed or enabled
    virtual void MessageBoxOpened(HWND) {}
    virtual void MessageBoxClosed(HWND) {}
};

// Installs the host; null leaves a plain one that only keeps time and sleeps.
void SetHost(Host* host);

// Defined by the host library the program links: installs that host before WinMain runs.
void StartProgramHost(int argumentCount, char** arguments);

// Destroys every window, timer, message and class without sending a message: a fresh stand-in.
void ResetStandIn();

// Called with every message that a window procedure receives, before the procedure; null for none.
typedef void (*MessageObserver)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void SetMessageObserver(MessageObserver observer);

// What a window is to whoever shows it: the program's own top-level windows, and the system's
// controls that a host shows with its own widgets.
enum class WindowKind {
    TopLevel,    // a window of a class that the program registered
    Button,      // "BUTTON"
    StatusBar,   // "msctls_statusbar32"
    MessageBox,  // "#32770", the message box's dialog
};

// One window as a user would see it.
struct WindowDescription {
    HWND window;
    HWND parent;  // null for a top-level window
    WindowKind kind;
    std::string text;  // code page 932: caption, or a status bar's simple text
    RECT rect;         // a child's in its parent's client area; a top-level window's outer frame
    int clientWidth;   // pixels; 0 by 0 while minimised
    int clientHeight;
    int id;  // a child's identifier
    bool visible;
    bool enabled;
    bool minimized;
};

// A colour as a client pixel holds it: 0x00RRGGBB.
inline std::uint32_t SurfacePixel(COLORREF colour) {
    return (std::uint32_t{GetRValue(colour)} << 16) | (std::uint32_t{GetGValue(colour)} << 8) |
           std::uint32_t{GetBValue(colour)};
}

// A top-level window's client pixels, 0x00RRGGBB in rows of stride bytes, valid until the next
// call.
struct SurfacePixels {
    const std::uint32_t* pixels;
    int width;
    int height;
    int stride;
};

// Changed columns of a row that lie at most this far apart are reported, and redrawn, together;
// farther apart, each group on its own.
constexpr int BAND_GAP_COLUMNS = 16;

// The pixels of one client row that changed: columns left to right - 1.
struct ChangedColumns {
    int row;
    int left;
    int right;
};

struct MenuItemDescription {
    std::string caption;  // UTF-8, with the "&" of the access key
    UINT command;
    bool enabled;
};

struct MenuPopupDescription {
    std::string caption;  // UTF-8
    std::vector<MenuItemDescription> items;
};

struct MessageBoxDescription {
    HWND box;
    HWND owner;
    std::string caption;  // code page 932
    std::string text;     // code page 932
};

std::vector<HWND> TopLevelWindows();          // in creation order, message boxes included
std::vector<HWND> ChildWindows(HWND parent);  // in creation order
std::optional<WindowDescription> DescribeWindow(HWND window);
std::optional<SurfacePixels> ClientSurface(HWND window);  // top-level windows only
// Where a top-level window's client pixels changed since the last call, row by row from the top
// and left to right within a row (changes far apart on one row are apart), so that a host redraws
// only those parts; a drawing that repeats what is there changes nothing.
std::vector<ChangedColumns> TakeSurfaceChanges(HWND window);
// Rows of the client area that a host redraws together: a band of changed rows is one rectangle
// to the toolkit, where one per row would cost more to queue than the pixels to copy.
constexpr int BAND_ROWS = 8;

// The changes gathered into bands of BAND_ROWS rows of a width by height client area, and within
// a band into rectangles of the changes that lie close together: a tick moves a few markers and
// rewrites a line of text, far apart, and a host redraws these rectangles.
std::vector<RECT> ChangedBands(const std::vector<ChangedColumns>& changes, int width, int height);
std::vector<MenuPopupDescription> DescribeMenu(HWND window);
std::optional<MessageBoxDescription> OpenMessageBox();  // the innermost one open
std::string DecodeCodePage932(std::string_view bytes);  // UTF-8, as MultiByteToWideChar decodes

// Input from the user. Each returns false when the target takes no input (absent, hidden,
// disabled or owned by an open message box) and the input is dropped.
bool ClickButton(HWND button);
bool ChooseMenuCommand(HWND window, UINT command);  // also false for a grayed item
bool RequestClose(HWND window);                     // the close box
bool ResizeClient(HWND window, int width, int height);
bool Minimize(HWND window);
bool Restore(HWND window);
bool DismissMessageBox(HWND box);  // its OK button

}  // namespace standin
