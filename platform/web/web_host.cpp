// The browser host: the stand-in's windows as elements of a web page, and its waits as the page's
// own idle time.
//
// The program keeps its own message loop. Whenever the core waits, the page shows what changed
// and Asyncify unwinds the whole call stack back to the browser; input or the next timer deadline
// resumes it where it stopped. The page's side is host.js, reached through Module.sorvelinHost.
#include <emscripten.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/host.h"

namespace webhost {

namespace {

// The page's side. Texts go over as UTF-8, window handles as plain numbers.
// clang-format off
EM_JS(double, PageNow, (), { return Module.sorvelinHost.now(); });
EM_ASYNC_JS(void, PageWait, (double deadline), { await Module.sorvelinHost.sleep(deadline); });
EM_JS(void, PageCreateTopLevel, (int window, const char* title), {
    Module.sorvelinHost.createTopLevel(window, UTF8ToString(title));
});
EM_JS(void, PageUpdateTopLevel, (int window, const char* title, int width, int height,
                                 int visible, int enabled), {
    Module.sorvelinHost.updateTopLevel(window, UTF8ToString(title), width, height, !!visible,
                                       !!enabled);
});
EM_JS(void, PageAddMenuPopup, (int window, const char* caption), {
    Module.sorvelinHost.addMenuPopup(window, UTF8ToString(caption));
});
EM_JS(void, PageAddMenuItem, (int window, const char* caption, int command, int enabled), {
    Module.sorvelinHost.addMenuItem(window, UTF8ToString(caption), command, !!enabled);
});
EM_JS(void, PageEnableMenuItem, (int window, int command, int enabled), {
    Module.sorvelinHost.enableMenuItem(window, command, !!enabled);
});
EM_JS(void, PageCreateControl, (int window, int parent, int statusBar, int id), {
    Module.sorvelinHost.createControl(window, parent, !!statusBar, id);
});
EM_JS(void, PageUpdateControl, (int window, const char* text, int left, int top, int width,
                                int height, int visible, int enabled), {
    Module.sorvelinHost.updateControl(window, UTF8ToString(text), left, top, width, height,
                                      !!visible, !!enabled);
});
EM_JS(void, PageDestroyWindow, (int window), { Module.sorvelinHost.destroyWindow(window); });
EM_JS(void, PagePresent, (int window, const std::uint8_t* rgba, int width, int height, int left,
                          int top, int right, int bottom), {
    Module.sorvelinHost.present(window, rgba, width, height, left, top, right, bottom);
});
EM_JS(void, PageOpenMessageBox, (int box, const char* caption, const char* text), {
    Module.sorvelinHost.openMessageBox(box, UTF8ToString(caption), UTF8ToString(text));
});
EM_JS(void, PageCloseMessageBox, (int box), { Module.sorvelinHost.closeMessageBox(box); });
EM_JS(void, PageProgramEnded, (int exitCode), { Module.sorvelinHost.programEnded(exitCode); });
EM_JS(void, PageDescribeClient, (const char* statusText), {
    Module.sorvelinHost.describeClient(UTF8ToString(statusText));
});
// clang-format on

int Handle(HWND window) {
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(window));
}

HWND WindowOf(int handle) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}

// A top-level window's client pixels as the canvas holds them.
struct ShownSurface {
    std::vector<std::uint8_t> rgba;  // the canvas's layout: R, G, B, A bytes
    int width = 0;
    int height = 0;
};

// How often the canvas's text alternative takes the status text's date, at most: a screen reader
// would read no faster, and the page need do no more.
constexpr std::uint64_t DESCRIBE_PERIOD_MS = 1000;

class WebHost final : public standin::Host {
  public:
    std::uint64_t Now() override { return static_cast<std::uint64_t>(PageNow()); }

    void Wait(std::optional<std::uint64_t> deadline) override {
        // The program waits only between complete frames: show them now, once.
        for (HWND window : changedSurfaces_) {
            Present(window);
        }
        changedSurfaces_.clear();
        DescribeClient();
        PageWait(deadline ? static_cast<double>(*deadline) : -1.0);
    }

    void WindowCreated(HWND window) override {
        const std::optional<standin::WindowDescription> description =
            standin::DescribeWindow(window);
        if (!description) {
            return;
        }
        switch (description->kind) {
            case standin::WindowKind::TopLevel:
                PageCreateTopLevel(Handle(window), Utf8(description->text).c_str());
                for (const standin::MenuPopupDescription& popup : standin::DescribeMenu(window)) {
                    PageAddMenuPopup(Handle(window), popup.caption.c_str());
                    for (const standin::MenuItemDescription& item : popup.items) {
                        PageAddMenuItem(Handle(window), item.caption.c_str(),
                                        static_cast<int>(item.command), item.enabled);
                    }
                }
                break;
            case standin::WindowKind::Button:
            case standin::WindowKind::StatusBar:
                if (description->kind == standin::WindowKind::StatusBar) {
                    statusBar_ = window;
                }
                PageCreateControl(Handle(window), Handle(description->parent),
                                  description->kind == standin::WindowKind::StatusBar,
                                  description->id);
                break;
            case standin::WindowKind::MessageBox:
                return;  // shown when it opens
        }
        WindowChanged(window);
    }

    void WindowChanged(HWND window) override {
        const std::optional<standin::WindowDescription> description =
            standin::DescribeWindow(window);
        if (!description) {
            return;
        }
        const std::string text = Utf8(description->text);
        switch (description->kind) {
            case standin::WindowKind::TopLevel:
                PageUpdateTopLevel(Handle(window), text.c_str(), description->clientWidth,
                                   description->clientHeight, description->visible,
                                   description->enabled);
                break;
            case standin::WindowKind::Button:
            case standin::WindowKind::StatusBar: {
                const RECT& rect = description->rect;
                PageUpdateControl(Handle(window), text.c_str(), rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top,
                                  description->visible, description->enabled);
                break;
            }
            case standin::WindowKind::MessageBox:
                break;
        }
    }

    void WindowDestroyed(HWND window) override {
        if (window == statusBar_) {
            statusBar_ = nullptr;
        }
        changedSurfaces_.erase(window);
        shown_.erase(window);
        PageDestroyWindow(Handle(window));
    }

    void SurfaceChanged(HWND window) override { changedSurfaces_.insert(window); }

    void MenuChanged(HWND window) override {
        for (const standin::MenuPopupDescription& popup : standin::DescribeMenu(window)) {
            for (const standin::MenuItemDescription& item : popup.items) {
                PageEnableMenuItem(Handle(window), static_cast<int>(item.command), item.enabled);
            }
        }
    }

    void MessageBoxOpened(HWND box) override {
        const std::optional<standin::MessageBoxDescription> description = standin::OpenMessageBox();
        if (!description || description->box != box) {
            return;
        }
        PageOpenMessageBox(Handle(box), Utf8(description->caption).c_str(),
                           Utf8(description->text).c_str());
    }

    void MessageBoxClosed(HWND box) override { PageCloseMessageBox(Handle(box)); }

  private:
    static std::string Utf8(const std::string& codePage932) {
        return standin::DecodeCodePage932(codePage932);
    }

    // Gives the canvas's text alternative the status text, which the bar keeps also while it is
    // hidden and then does not show.
    void DescribeClient() {
        const std::uint64_t now = Now();
        if (statusBar_ == nullptr || (described_ && now - describedAt_ < DESCRIBE_PERIOD_MS)) {
            return;
        }
        const std::optional<standin::WindowDescription> description =
            standin::DescribeWindow(statusBar_);
        if (!description || description->text == describedText_) {
            return;
        }
        described_ = true;
        describedAt_ = now;
        describedText_ = description->text;
        PageDescribeClient(Utf8(describedText_).c_str());
    }

    // Hands the canvas what changed since it was last shown, in bands of rows: a tick changes a
    // few markers and the status text, far apart.
    void Present(HWND window) {
        const std::vector<standin::ChangedColumns> changes = standin::TakeSurfaceChanges(window);
        const std::optional<standin::SurfacePixels> surface = standin::ClientSurface(window);
        if (!surface || surface->width <= 0 || surface->height <= 0) {
            return;
        }
        ShownSurface& shown = shown_[window];
        const int width = surface->width;
        const int height = surface->height;
        std::vector<RECT> bands;
        if (shown.width != width || shown.height != height) {
            shown.width = width;
            shown.height = height;
            shown.rgba.assign(static_cast<std::size_t>(width) * height * 4, 0xFF);
            bands.push_back(RECT{0, 0, width, height});
        } else {
            bands = standin::ChangedBands(changes, width, height);
        }
        for (const RECT& band : bands) {
            for (LONG row = band.top; row < band.bottom; ++row) {
                const auto* source = reinterpret_cast<const std::uint32_t*>(
                    reinterpret_cast<const std::uint8_t*>(surface->pixels) +
                    static_cast<std::ptrdiff_t>(row) * surface->stride);
                std::uint8_t* bytes =
                    shown.rgba.data() + static_cast<std::ptrdiff_t>(row) * width * 4;
                for (LONG column = band.left; column < band.right; ++column) {
                    const std::uint32_t pixel = source[column];
                    bytes[column * 4] = static_cast<std::uint8_t>(pixel >> 16);
                    bytes[column * 4 + 1] = static_cast<std::uint8_t>(pixel >> 8);
                    bytes[column * 4 + 2] = static_cast<std::uint8_t>(pixel);
                }
            }
            PagePresent(Handle(window), shown.rgba.data(), width, height, band.left, band.top,
                        band.right, band.bottom);
        }
    }

    std::set<HWND> changedSurfaces_;
    HWND statusBar_ = nullptr;
    bool described_ = false;
    std::uint64_t describedAt_ = 0;  // on the Now() clock
    std::string describedText_;      // code page 932, as the bar holds it
    std::map<HWND, ShownSurface> shown_;
};

// The one web host of the page's program instance. Written only by StartProgramHost.
WebHost* host = nullptr;

}  // namespace

}  // namespace webhost

namespace standin {

void StartProgramHost(int, char**) {
    webhost::host = new webhost::WebHost();  // lives as long as the page's program instance
    SetHost(webhost::host);
}

}  // namespace standin

// Input from the page. Each is queued for the program's loop; the page then ends its wait.
extern "C" {

EMSCRIPTEN_KEEPALIVE int sorvelin_click_button(int button) {
    return standin::ClickButton(webhost::WindowOf(button));
}

EMSCRIPTEN_KEEPALIVE int sorvelin_choose_menu_command(int window, int command) {
    return standin::ChooseMenuCommand(webhost::WindowOf(window), static_cast<UINT>(command));
}

EMSCRIPTEN_KEEPALIVE int sorvelin_request_close(int window) {
    return standin::RequestClose(webhost::WindowOf(window));
}

EMSCRIPTEN_KEEPALIVE int sorvelin_dismiss_message_box(int box) {
    return standin::DismissMessageBox(webhost::WindowOf(box));
}

}  // extern "C"

// The program's entry on the page: start this host, run WinMain, and tell the page its exit code.
int main() {
    standin::StartProgramHost(0, nullptr);
    static char commandLine[] = "";
    const int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
    webhost::PageProgramEnded(exitCode);
    return exitCode;
}
