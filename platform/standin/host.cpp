// The stand-in's side of the host boundary: the installed host, reset and the read-back queries.
#include <strings.h>

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

#include "platform/standin/standin.h"

namespace standin {

namespace {

// Used when no host is installed: a steady clock, and sleeping until the next timer.
class PlainHost : public Host {
  public:
    std::uint64_t Now() override {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - start_)
                                              .count());
    }
    void Wait(std::optional<std::uint64_t> deadline) override {
        if (!deadline) {
            // No input can ever come, so waiting for it would never end.
            std::fputs("stand-in: waiting for input with no host installed\n", stderr);
            std::abort();
        }
        const std::uint64_t now = Now();
        if (*deadline > now) {
            std::this_thread::sleep_for(std::chrono::milliseconds(*deadline - now));
        }
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

PlainHost plainHost;

WindowKind KindOf(const Window& window) {
    const std::pair<const char*, WindowKind> systemClasses[] = {
        {BUTTON_CLASS, WindowKind::Button},
        {STATUS_BAR_CLASS, WindowKind::StatusBar},
        {DIALOG_CLASS, WindowKind::MessageBox}};
    for (const auto& [name, kind] : systemClasses) {
        if (strcasecmp(window.windowClass.name.c_str(), name) == 0) {
            return kind;
        }
    }
    return WindowKind::TopLevel;
}

// The windows whose parent this is, in creation order; the top-level ones for none.
std::vector<HWND> WindowsIn(HWND parent) {
    std::vector<HWND> result;
    for (auto& [handle, window] : Global().windows) {
        if (window->parent == parent) {
            result.push_back(handle);
        }
    }
    return result;
}

// The host that shows the windows. Written only by SetHost.
Host* installedHost = &plainHost;

// The stand-in's whole state. Written only by the core's Win32 area files and ResetStandIn.
std::unique_ptr<State> state;

}  // namespace

State& Global() {
    if (state == nullptr) {
        state = std::make_unique<State>();
        RegisterBuiltinClasses();
    }
    return *state;
}

Host& CurrentHost() {
    return *installedHost;
}

std::uint64_t Now() {
    return installedHost->Now();
}

void SetHost(Host* host) {
    installedHost = host != nullptr ? host : &plainHost;
}

void ResetStandIn() {
    // Handles keep growing across resets, so a stale handle from an earlier test stays invalid.
    const std::uintptr_t nextHandle = state != nullptr ? state->nextHandle : 0x10000;
    state.reset();
    Global().nextHandle = nextHandle;
}

void SetMessageObserver(MessageObserver observer) {
    Global().observer = observer;
}

std::vector<HWND> TopLevelWindows() {
    return WindowsIn(nullptr);
}

std::vector<HWND> ChildWindows(HWND parent) {
    return parent != nullptr ? WindowsIn(parent) : std::vector<HWND>{};
}

std::optional<WindowDescription> DescribeWindow(HWND window) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr) {
        return std::nullopt;
    }
    return WindowDescription{
        window,          record->parent,      KindOf(*record),      record->text,
        record->rect,    record->clientWidth, record->clientHeight, record->id,
        record->visible, record->enabled,     record->minimized};
}

std::optional<SurfacePixels> ClientSurface(HWND window) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr || record->surface == nullptr) {
        return std::nullopt;
    }
    return SurfacePixels{record->surface->Pixels(), record->clientWidth, record->clientHeight,
                         record->surface->Stride()};
}

std::vector<ChangedColumns> TakeSurfaceChanges(HWND window) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr || record->surface == nullptr) {
        return {};
    }
    return record->surface->TakeChanges();
}

std::vector<RECT> ChangedBands(const std::vector<ChangedColumns>& changes, int width, int height) {
    std::vector<RECT> bands;
    std::vector<std::pair<int, int>> spans;  // of one band, as left and right columns
    auto change = changes.begin();
    while (change != changes.end() && change->row < height) {
        const int bandTop = change->row - change->row % BAND_ROWS;
        const int bandBottom = std::min(bandTop + BAND_ROWS, height);
        spans.clear();
        for (; change != changes.end() && change->row < bandBottom; ++change) {
            if (change->left < std::min(change->right, width)) {
                spans.emplace_back(change->left, std::min(change->right, width));
            }
        }
        std::sort(spans.begin(), spans.end());
        // Changes this close together are redrawn as one; farther apart, each on its own.
        for (auto span = spans.begin(); span != spans.end();) {
            const int left = span->first;
            int right = span->second;
            for (++span; span != spans.end() && span->first <= right + BAND_GAP_COLUMNS; ++span) {
                right = std::max(right, span->second);
            }
            bands.push_back(RECT{left, bandTop, right, bandBottom});
        }
    }
    return bands;
}

}  // namespace standin
