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

// A top-level window's client pixels, 0x00RRGGBB words in plain memory; kept at the largest size
// so far, clipped to the client size. A host that shows them wraps them in what it draws with.
class Surface {
  public:
    Surface(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return width_ * static_cast<int>(sizeof(std::uint32_t)); }  // bytes
    std::uint32_t* Row(int y) {
        assert(y >= 0 && y < height_);
        return pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
    }
    // All pixels as the drawing left them, with the erases put off until now written.
    const std::uint32_t* Pixels() {
        Settle();
        return pixels_.data();
    }
    // Grows to at least width by height, keeping the pixels at the top left.
    void GrowTo(int width, int height);
    // Sets columns left to right - 1 of row y to one pixel. Only the columns from the first to
    // the last pixel that differs are written and noted as changed, so that what a drawing
    // merely repeats (a label in every frame) gives the host nothing to redraw. Returns whether
    // a pixel changed, or may have: an erase of all that a row holds is only noted, and what is
    // drawn on the row next is compared with what the row held before, so that a frame erased
    // and drawn again in the same place changes no pixel. The rest of the erase is written when
    // the pixels are read.
    bool Fill(int y, int left, int right, std::uint32_t pixel);
    // Fills rows top to bottom - 1 in the same way, as an erase does, passing quickly over the
    // rows where nothing was drawn since the last one.
    bool FillRows(int top, int bottom, int left, int right, std::uint32_t pixel);
    // Sets one pixel in the same way: a marker's pixels drawn one by one.
    bool Set(int y, int x, std::uint32_t pixel) {
        RowState& row = rows_[static_cast<std::size_t>(y)];
        if (pixel == row.uniform || width_ == 1) {
            return Fill(y, x, x + 1, pixel);
        }
        WidenDrawn(y, x, x + 1);
        std::uint32_t& at = Row(y)[x];
        if (at == pixel) {
            return false;
        }
        NoteChange(y, x, x + 1);
        at = pixel;
        return true;
    }
    // Sets count pixels of row y from left on to the given ones, in the same way.
    bool Put(int y, int left, const std::uint32_t* pixels, int count);
    // The columns of each row that differ from what they were at the last call, top to bottom.
    std::vector<ChangedColumns> TakeChanges();
    // Which surface this is: never the same for two surfaces of a process.
    std::uint64_t Serial() const { return serial_; }
    // How many times row y was written, or grew. While it stays the same, the row holds the
    // pixels that were last written to it, so that a text placed again there need not be
    // compared with them. Kept apart from the rest of a row's record, so that the counts of a
    // text's rows lie together.
    std::uint32_t RowWrites(int y) const { return writes_[static_cast<std::size_t>(y)]; }
    // How many erases were noted, on any row. While neither this nor a row's write count
    // changes, what was drawn on the row stays drawn, and a text drawn there again need not be
    // noted as drawn.
    std::uint64_t Erasures() const { return erasures_; }
    // Notes columns left to right - 1 of row y as drawn again with the pixels they hold.
    void Keep(int y, int left, int right) { WidenDrawn(y, left, right); }

  private:
    struct Span {
        int left = 0;
        int right = 0;  // one past the last column; empty when not above left
    };
    static Span Union(Span first, Span second) {
        if (first.left >= first.right) {
            return second;
        }
        if (second.left >= second.right) {
            return first;
        }
        return Span{std::min(first.left, second.left), std::max(first.right, second.right)};
    }
    // What the surface knows of one row. Outside its content span every pixel of the row is of
    // the one colour uniform, so that an erase looks only at what was drawn since the last one.
    // An erased row is uniform but for its fresh span, what was drawn on it since; its content
    // span may still hold what was drawn before, until the erase is written.
    struct RowState {
        std::uint32_t uniform = 0;
        Span content;
        bool erased = false;
        Span fresh;
        Span changed;  // written since the host last took the changes
        // The changed columns as they were then, from savedAt in saved_; none when the row was
        // filled whole in a new colour, which changed all of it.
        Span saved;
        std::size_t savedAt = 0;
        bool whole = false;
        // Where the row may differ from its uniform colour as it is now drawn.
        Span Drawn() const { return erased ? fresh : content; }
    };
    // Notes that columns left to right - 1 of row y are about to change, keeping what they hold.
    void NoteChange(int y, int left, int right);
    // Writes the pixels of columns left to right - 1 that differ; returns whether there were any.
    bool WriteDifferences(int y, int left, int right, std::uint32_t pixel);
    // Notes that columns left to right - 1 of row y are about to be drawn on. On an erased row,
    // the stale columns between them and what was drawn since the erase are erased for real.
    void WidenDrawn(int y, int left, int right) {
        RowState& row = rows_[static_cast<std::size_t>(y)];
        if (row.erased) {
            WidenFresh(y, left, right);
        } else {
            row.content = Union(row.content, Span{left, right});
        }
    }
    void WidenFresh(int y, int left, int right);
    // Writes the put-off erase of row y.
    void WriteErase(int y);
    // Writes every put-off erase.
    void Settle();
    // At least width_ pixels of one colour, to compare long spans against with memcmp.
    const std::uint32_t* SameRow(std::uint32_t pixel);

    std::uint64_t serial_;
    std::vector<std::uint32_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    std::vector<RowState> rows_;
    std::vector<std::uint32_t> writes_;  // per row
    std::uint64_t erasures_ = 0;
    std::vector<int> changedRows_;  // the rows whose changed span is not empty, in no order
    std::vector<int> erasedRows_;   // the rows noted as erased since the last Settle, in no order
    // The saved pixels of all rows. A host takes the changes after every drawing, so a few rows'
    // worth is all they need; past a quarter of the surface, changes are reported as written.
    std::vector<std::uint32_t> saved_;
    std::vector<std::uint32_t> same_;
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
    HWND window = nullptr;
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
    // How many windows have an update region: the message loop looks for one to paint each
    // time it runs dry, and mostly there is none.
    int windowsToPaint = 0;
};
State& Global();
Host& CurrentHost();
std::uint64_t Now();

// window.cpp
Window* FindWindowRecord(HWND window);
Window* TopLevelOf(Window* window);
bool TakesInput(Window* window);  // visible, enabled, and its top-level window enabled
LRESULT CallWindowProcedure(Window* window, UINT message, WPARAM wParam, LPARAM lParam);
void SetClientSize(Window* window, int width, int height, WPARAM sizeType);
void RegisterBuiltinClasses();
RECT ClientRectangle(const Window* window);

// message.cpp
bool RetrieveMessage(MSG* message);  // false for WM_QUIT
void QueueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ForgetMessagesOf(HWND window);

// timer.cpp
std::optional<std::uint64_t> NextTimerDeadline();
bool TakeDueTimer(MSG* message);
void ForgetTimersOf(HWND window);
bool IsTimerProcedure(HWND window, UINT_PTR id, TIMERPROC procedure);  // SetTimer registered it

// paint.cpp
void InvalidateClient(Window* window, const RECT* rect, bool erase);
// Drops the window's update region, if it has one.
void ValidateClient(Window* window);
Window* FindWindowToPaint();

// gdi.cpp
DeviceContext* FindDeviceContext(HDC dc);
HDC OpenDeviceContext(Window* window, const RECT* clip);
void CloseDeviceContext(HDC dc);
void FillDeviceContext(DeviceContext* dc, COLORREF colour);
// Lets the open DCs of a top-level window that goes away draw nothing from now on.
void ForgetDeviceContextsOf(HWND topLevel);
COLORREF BrushColour(HBRUSH brush, bool* found);

// text.cpp: TextOutA places texts rendered by the backend of text_renderer.h.

// menu.cpp
std::unique_ptr<Menu> LoadMenuResource(int resource);  // null when the program has no such menu
bool HasIconResource(int resource);
Menu* FindMenu(HMENU menu, Window** owner);

// controls.cpp
LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StatusBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// msgbox.cpp
LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace standin
