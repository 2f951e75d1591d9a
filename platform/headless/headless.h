// The headless host: the stand-in with a virtual clock, scripted input and read-back for tests.
//
// A test resets the stand-in, gives a script and runs the program's own message loop (WinMain,
// or a loop of its own). Whenever the loop would wait, the next step runs: it moves the virtual
// clock to the next timer, delivers input or checks what a user would see. The clock moves only
// then, so a run of 150 years of ticks takes seconds. When the script is used up while the loop
// waits, the host posts WM_QUIT with SCRIPT_EXHAUSTED_EXIT_CODE, so a forgotten step cannot hang.
//
//     headless::Reset();
//     headless::Script({
//         headless::AdvanceTimers(3),                 // three WM_TIMER ticks
//         headless::Click(101),                       // a button of the main window
//         headless::Do([] { EXPECT_EQ(headless::Pixel(headless::MainWindow(), 0, 0), RGB(64, 64,
//         64)); }), headless::ChooseMenu(IDM_EXIT),
//     });
//     EXPECT_EQ(headless::RunWinMain(), 0);
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/headless/picture.h"
#include "platform/host.h"
#include "platform/win32.h"

namespace headless {

// One step of a script: true when done, false to run again at the next wait. Its name says in
// a failure report which step was not taken.
class Step {
  public:
    Step() = default;
    template <typename Function,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<Function>, Step> &&
                                          std::is_invocable_r_v<bool, Function&>>>
    Step(Function run, std::string name = "Do")  // NOLINT: any callable is a step
        : run_(std::move(run)), name_(std::move(name)) {}
    bool operator()() const { return run_(); }
    const std::string& Name() const { return name_; }

  private:
    std::function<bool()> run_;
    std::string name_;
};

constexpr int SCRIPT_EXHAUSTED_EXIT_CODE = 99;

void Reset();                          // a fresh stand-in, the headless host, clock 0, no script
void Script(std::vector<Step> steps);  // appends steps to the script
bool ScriptRanOut();                   // the loop waited with no step left
int RefusedInputs();                   // input steps whose target took no input
std::size_t StepsLeft();               // steps given but not taken: the loop ended first
// "" when every step given was taken and every input accepted; otherwise one line naming the
// first step not taken or the first input refused, such as "step 4 of 9, Click(103), was not
// taken". Every scripted run is to end with this empty, or its later checks never ran.
std::string ScriptProblem();
std::uint64_t Now();  // the virtual clock, milliseconds
HWND MainWindow();    // the first top-level window alive, not a message box
// A shown and painted window whose client area is 784 by 541, as the program's; its procedure
// leaves everything to DefWindowProcA. For drawing tests.
HWND CreatePlainWindow(int stockBrush = DKGRAY_BRUSH);

// Steps.
Step AdvanceTimers(int count = 1);             // at each of count waits, jump to the next due timer
Step AdvanceTime(std::uint64_t milliseconds);  // move the clock on, whatever is due
Step Click(int id);                            // the main window's button with this identifier
Step ChooseMenu(UINT command);                 // an item of the main window's menu
Step Close();                                  // the main window's close box
Step ResizeClient(int width, int height);      // the main window's client area
Step Minimize();
Step Restore();
Step DismissMessageBox();               // the OK button of the open message box
Step Do(std::function<void()> action);  // runs a check or any other code

// Read-back.
COLORREF Pixel(HWND window, int x, int y);  // client pixel; CLR_INVALID outside the client area
HWND FindChild(HWND parent, int id);
struct ChildWindow {
    standin::WindowKind kind;
    std::string caption;  // UTF-8
    RECT rect;            // in the parent's client area
    int id;
    bool visible;
};
std::vector<ChildWindow> Children(HWND parent);
std::optional<bool> MenuItemEnabled(HWND window, UINT command);
std::string StatusText(HWND statusBar);  // code page 932, as the program sent it
// The client area as a user sees it, with its visible controls drawn on top; none for a window
// without a client area.
std::optional<Picture> Screenshot(HWND window);
bool WriteScreenshot(HWND window, const char* path);  // Screenshot as a PNG file

// Records every message that a window procedure receives while it lives.
struct SpiedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
class MessageSpy {
  public:
    MessageSpy();
    ~MessageSpy();
    MessageSpy(const MessageSpy&) = delete;
    MessageSpy& operator=(const MessageSpy&) = delete;
    const std::vector<SpiedMessage>& Messages() const { return messages_; }
    std::vector<UINT> MessagesOf(HWND window) const;  // message numbers only
    void Clear() { messages_.clear(); }
    void Record(const SpiedMessage& message) { messages_.push_back(message); }

  private:
    std::vector<SpiedMessage> messages_;
};

// Runs the program's entry as the loader would, and returns its exit code.
inline int RunWinMain() {
    static char commandLine[] = "";
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}

}  // namespace headless
