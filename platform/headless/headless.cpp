// The headless host: virtual clock, script runner, input steps, read-back and the message spy.
#include "platform/headless/headless.h"

#include <cassert>
#include <cstdio>
#include <deque>

namespace headless {

namespace {

class HeadlessHost : public standin::Host {
  public:
    std::uint64_t Now() override { return clock; }
    void Wait(std::optional<std::uint64_t> nextDeadline) override {
        deadline = nextDeadline;
        if (steps.empty()) {
            ranOut = true;
            PostQuitMessage(SCRIPT_EXHAUSTED_EXIT_CODE);
            return;
        }
        // The step may add steps of its own; deque references survive that.
        Step& step = steps.front();
        if (step()) {
            steps.pop_front();
            ++taken;
        }
    }

    std::uint64_t clock = 0;
    std::optional<std::uint64_t> deadline;
    std::deque<Step> steps;
    bool ranOut = false;
    int refusedInputs = 0;
    std::size_t taken = 0;
    std::string firstRefused;  // "step N of M, NAME" of the first input refused
};

// The one headless host. Written only by Reset and by the steps it runs.
HeadlessHost host;

// The spy that records messages now, if any. Written only by MessageSpy's constructor and
// destructor.
MessageSpy* activeSpy = nullptr;

void ObserveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (activeSpy != nullptr) {
        activeSpy->Record(SpiedMessage{window, message, wParam, lParam});
    }
}

std::string Describe(std::size_t index, const std::string& name) {
    return "step " + std::to_string(index + 1) + " of " +
           std::to_string(host.taken + host.steps.size()) + ", " + name;
}

Step Input(std::string name, std::function<bool()> deliver) {
    return Step(
        [deliver, name] {
            if (!deliver()) {
                if (host.refusedInputs++ == 0) {
                    host.firstRefused = Describe(host.taken, name);
                }
            }
            return true;
        },
        name);
}

std::string Call(const char* function, long long argument) {
    return std::string(function) + "(" + std::to_string(argument) + ")";
}

}  // namespace

void Reset() {
    standin::ResetStandIn();
    host.clock = 0;
    host.deadline.reset();
    host.steps.clear();
    host.ranOut = false;
    host.refusedInputs = 0;
    host.taken = 0;
    host.firstRefused.clear();
    standin::SetHost(&host);
    standin::SetMessageObserver(ObserveMessage);
}

void Script(std::vector<Step> steps) {
    for (Step& step : steps) {
        host.steps.push_back(std::move(step));
    }
}

bool ScriptRanOut() {
    return host.ranOut;
}
int RefusedInputs() {
    return host.refusedInputs;
}
std::size_t StepsLeft() {
    return host.steps.size();
}
std::string ScriptProblem() {
    if (!host.steps.empty()) {
        return Describe(host.taken, host.steps.front().Name()) + ", was not taken" +
               (host.ranOut ? "" : ": the program ended first");
    }
    if (host.refusedInputs > 0) {
        return std::to_string(host.refusedInputs) + " input step(s) refused, the first " +
               host.firstRefused;
    }
    return "";
}
std::uint64_t Now() {
    return host.clock;
}

namespace {

// The plain window's outer size: the program's 800 by 600 less the menu bar that it has not, so
// that its client area is the program's.
constexpr int PLAIN_WINDOW_WIDTH = 800;
constexpr int PLAIN_WINDOW_HEIGHT = 580;
[[maybe_unused]] constexpr int PLAIN_CLIENT_WIDTH = 784;  // checked in debug builds
[[maybe_unused]] constexpr int PLAIN_CLIENT_HEIGHT = 541;

LRESULT CALLBACK PlainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreatePlainWindow(int stockBrush) {
    // One class per background, registered on first use after each Reset.
    const std::string className = "Plain" + std::to_string(stockBrush);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PlainWindowProcedure;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(stockBrush));
    windowClass.lpszClassName = className.c_str();
    RegisterClassExA(&windowClass);
    // Without a menu bar, 20 pixels less in height leave the program's client area.
    HWND window = CreateWindowExA(0, className.c_str(), "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, PLAIN_WINDOW_WIDTH, PLAIN_WINDOW_HEIGHT, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    assert(standin::DescribeWindow(window)->clientWidth == PLAIN_CLIENT_WIDTH &&
           standin::DescribeWindow(window)->clientHeight == PLAIN_CLIENT_HEIGHT);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

HWND MainWindow() {
    for (HWND window : standin::TopLevelWindows()) {
        if (standin::DescribeWindow(window)->kind != standin::WindowKind::MessageBox) {
            return window;
        }
    }
    return nullptr;
}

Step AdvanceTimers(int count) {
    return Step(
        [remaining = count]() mutable {
            if (host.deadline && *host.deadline > host.clock) {
                host.clock = *host.deadline;
            }
            return --remaining <= 0;
        },
        Call("AdvanceTimers", count));
}

Step AdvanceTime(std::uint64_t milliseconds) {
    return Step(
        [milliseconds] {
            host.clock += milliseconds;
            return true;
        },
        Call("AdvanceTime", static_cast<long long>(milliseconds)));
}

Step Click(int id) {
    return Input(Call("Click", id),
                 [id] { return standin::ClickButton(FindChild(MainWindow(), id)); });
}

Step ChooseMenu(UINT command) {
    return Input(Call("ChooseMenu", command),
                 [command] { return standin::ChooseMenuCommand(MainWindow(), command); });
}

Step Close() {
    return Input("Close()", [] { return standin::RequestClose(MainWindow()); });
}

Step ResizeClient(int width, int height) {
    return Input("ResizeClient(" + std::to_string(width) + ", " + std::to_string(height) + ")",
                 [=] { return standin::ResizeClient(MainWindow(), width, height); });
}

Step Minimize() {
    return Input("Minimize()", [] { return standin::Minimize(MainWindow()); });
}

Step Restore() {
    return Input("Restore()", [] { return standin::Restore(MainWindow()); });
}

Step DismissMessageBox() {
    return Input("DismissMessageBox()", [] {
        auto box = standin::OpenMessageBox();
        return box && standin::DismissMessageBox(box->box);
    });
}

Step Do(std::function<void()> action) {
    return Step(
        [action] {
            action();
            return true;
        },
        "Do");
}

COLORREF Pixel(HWND window, int x, int y) {
    auto surface = standin::ClientSurface(window);
    if (!surface || x < 0 || y < 0 || x >= surface->width || y >= surface->height) {
        return CLR_INVALID;
    }
    const auto* row = reinterpret_cast<const unsigned char*>(surface->pixels) + y * surface->stride;
    const std::uint32_t pixel = reinterpret_cast<const std::uint32_t*>(row)[x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

HWND FindChild(HWND parent, int id) {
    for (HWND child : standin::ChildWindows(parent)) {
        if (standin::DescribeWindow(child)->id == id) {
            return child;
        }
    }
    return nullptr;
}

std::vector<ChildWindow> Children(HWND parent) {
    std::vector<ChildWindow> result;
    for (HWND child : standin::ChildWindows(parent)) {
        auto description = standin::DescribeWindow(child);
        result.push_back(ChildWindow{description->kind,
                                     standin::DecodeCodePage932(description->text),
                                     description->rect, description->id, description->visible});
    }
    return result;
}

std::optional<bool> MenuItemEnabled(HWND window, UINT command) {
    for (const auto& popup : standin::DescribeMenu(window)) {
        for (const auto& item : popup.items) {
            if (item.command == command) {
                return item.enabled;
            }
        }
    }
    return std::nullopt;
}

std::string StatusText(HWND statusBar) {
    auto description = standin::DescribeWindow(statusBar);
    return description ? description->text : std::string();
}

MessageSpy::MessageSpy() {
    activeSpy = this;
}
MessageSpy::~MessageSpy() {
    activeSpy = nullptr;
}

std::vector<UINT> MessageSpy::MessagesOf(HWND window) const {
    std::vector<UINT> result;
    for (const SpiedMessage& message : messages_) {
        if (message.window == window) {
            result.push_back(message.message);
        }
    }
    return result;
}

}  // namespace headless

namespace standin {

// A program linked with the headless host runs without a script: its first wait ends it.
void StartProgramHost(int, char**) {
    headless::Reset();
}

}  // namespace standin

// Fontconfig keeps its font cache until the process ends; the leak checker of sanitizer builds
// is told so, leaving it to report leaks of our own.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
