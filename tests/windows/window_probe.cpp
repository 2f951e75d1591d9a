// A console tool for the Wine smoke test: finds the main window, reports and closes it.
//
// Usage: window_probe find SECONDS   waits for a visible "ModelApp" window and prints
//                                    "client LEFT TOP WIDTH HEIGHT" and "menu HEIGHT",
//                                    in screen pixels, and "codepage N", the ANSI code page
//        window_probe close          posts WM_CLOSE to it, as the close box would
// Exit code 0 on success, 1 when no such window exists.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

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

}  // namespace

int main(int argumentCount, char** arguments) {
    if (argumentCount == 3 && std::strcmp(arguments[1], "find") == 0) {
        return PrintClientArea(std::atof(arguments[2]));
    }
    if (argumentCount == 2 && std::strcmp(arguments[1], "close") == 0) {
        return CloseMainWindow();
    }
    std::fprintf(stderr, "usage: window_probe find SECONDS | window_probe close\n");
    return 2;
}
