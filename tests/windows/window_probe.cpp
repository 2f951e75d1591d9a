// A console tool for the Wine smoke test: finds the main window, reports and closes it.
//
// Usage: window_probe find SECONDS   waits for a visible "ModelApp" window and prints
//                                    "client LEFT TOP WIDTH HEIGHT" and "menu HEIGHT",
//                                    in screen pixels, and "codepage N", the ANSI code page
//        window_probe close          posts WM_CLOSE to it, as the close box would
//        window_probe command ID     posts WM_COMMAND with the command ID, as its menu would
//        window_probe status         prints "status N", the length of the status bar's text
//                                    in UTF-16 units
//        window_probe message SECONDS  waits for the main window's message box, prints
//                                    "caption TEXT" and "text TEXT" in UTF-8 (line feeds as
//                                    \n) and dismisses it with OK
// Exit code 0 on success, 1 when no such window exists.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char MAIN_CLASS_NAME[] = "ModelApp";
const DWORD POLL_PERIOD_MS = 100;

HWND FindMainWindow() {
    HWND window = FindWindowA(MAIN_CLASS_NAME, nullptr);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

int PrintClientArea(double seconds) {
    HWND window = nullptr;
    for (double waited = 0.0; window == nullptr && waited <= seconds;
         waited += POLL_PERIOD_MS / 1000.0) {
        window = FindMainWindow();
        if (window == nullptr) {
            Sleep(POLL_PERIOD_MS);
        }
    }
    if (window == nullptr) {
        std::fprintf(stderr, "no visible %s window after %.0f s\n", MAIN_CLASS_NAME, seconds);
        return 1;
    }
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    std::printf("client %ld %ld %ld %ld\n", static_cast<long>(origin.x),
                static_cast<long>(origin.y), static_cast<long>(client.right),
                static_cast<long>(client.bottom));
    // The menu bar lies right above the client area; the window has one line of it.
    long menuHeight = GetSystemMetrics(SM_CYMENU);
    std::printf("menu %ld\n", menuHeight);
    // The program's texts are code page 932 bytes; they read right only under that code page.
    std::printf("codepage %u\n", GetACP());
    return 0;
}

int CloseMainWindow() {
    HWND window = FindMainWindow();
    if (window == nullptr) {
        std::fprintf(stderr, "no visible %s window to close\n", MAIN_CLASS_NAME);
        return 1;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

int PostCommand(int command) {
    HWND window = FindMainWindow();
    if (window == nullptr) {
        std::fprintf(stderr, "no visible %s window to command\n", MAIN_CLASS_NAME);
        return 1;
    }
    PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(command), 0);
    return 0;
}

int PrintStatusLength() {
    HWND bar = FindWindowExA(FindMainWindow(), nullptr, STATUSCLASSNAMEA, nullptr);
    if (bar == nullptr) {
        std::fprintf(stderr, "no status bar in a visible %s window\n", MAIN_CLASS_NAME);
        return 1;
    }
    // Only a length crosses between processes: the text itself would need a pointer. A status
    // bar in simple mode answers for its one part as part 0.
    std::printf("status %u\n", LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0)));
    return 0;
}

// Wide text as UTF-8, with its line feeds written as "\n" so that it stays on one line.
void PrintLine(const char* label, const wchar_t* text) {
    char bytes[1024];
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    std::printf("%s ", label);
    for (const char* byte = bytes; *byte != '\0'; ++byte) {
        if (*byte == '\n') {
            std::printf("\\n");
        } else {
            std::putchar(*byte);
        }
    }
    std::putchar('\n');
}

// The message box's text is the longest text of its static controls (the icon has none).
BOOL CALLBACK KeepLongestStatic(HWND child, LPARAM longest) {
    auto* kept = reinterpret_cast<wchar_t*>(longest);
    wchar_t className[16];
    wchar_t text[512];
    GetClassNameW(child, className, 16);
    const int length = GetWindowTextW(child, text, 512);
    if (lstrcmpiW(className, L"Static") == 0 && length > lstrlenW(kept)) {
        lstrcpyW(kept, text);
    }
    return TRUE;
}

int PrintMessageBox(double seconds) {
    HWND main = FindMainWindow();
    HWND box = nullptr;
    for (double waited = 0.0; main != nullptr && box == nullptr && waited <= seconds;
         waited += POLL_PERIOD_MS / 1000.0) {
        box = FindWindowA("#32770", nullptr);
        if (box != nullptr && GetWindow(box, GW_OWNER) != main) {
            box = nullptr;
        }
        if (box == nullptr) {
            Sleep(POLL_PERIOD_MS);
        }
    }
    if (box == nullptr) {
        std::fprintf(stderr, "no message box of the %s window after %.0f s\n", MAIN_CLASS_NAME,
                     seconds);
        return 1;
    }
    wchar_t caption[256];
    GetWindowTextW(box, caption, 256);
    wchar_t text[512] = L"";
    EnumChildWindows(box, KeepLongestStatic, reinterpret_cast<LPARAM>(text));
    PrintLine("caption", caption);
    PrintLine("text", text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

}  // namespace

int main(int argumentCount, char** arguments) {
    if (argumentCount == 3 && std::strcmp(arguments[1], "find") == 0) {
        return PrintClientArea(std::atof(arguments[2]));
    }
    if (argumentCount == 2 && std::strcmp(arguments[1], "close") == 0) {
        return CloseMainWindow();
    }
    if (argumentCount == 3 && std::strcmp(arguments[1], "command") == 0) {
        return PostCommand(std::atoi(arguments[2]));
    }
    if (argumentCount == 2 && std::strcmp(arguments[1], "status") == 0) {
        return PrintStatusLength();
    }
    if (argumentCount == 3 && std::strcmp(arguments[1], "message") == 0) {
        return PrintMessageBox(std::atof(arguments[2]));
    }
    std::fprintf(
        stderr,
        "usage: window_probe find SECONDS | close | command ID | status | message SECONDS\n");
    return 2;
}
