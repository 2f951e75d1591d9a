// A tiny window of the tests' own, and a check of recorded messages against a static table.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/win32.h"
#include "resources/resource.h"

namespace platform_test {

constexpr UINT WM_USER_FIRST = 0x0400 + 100;  // private messages of the test window
constexpr UINT WM_USER_SECOND = 0x0400 + 101;
constexpr COLORREF PAINT_MARK = RGB(255, 255, 255);  // the test window paints (0, 0) in this

// What the test window does beyond the default, chosen per test; returns true when handled.
inline std::function<bool(HWND, UINT, WPARAM, LPARAM)> extraHandling;

// Paints one pixel, quits on destroy, passes the rest to the default procedure.
inline LRESULT CALLBACK TestWindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (extraHandling && extraHandling(window, message, wParam, lParam)) {
        return 0;
    }
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            SetPixel(dc, 0, 0, PAINT_MARK);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(3);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A fresh stand-in with the test class registered: redraw on resize, dark grey, menu 104.
inline void ResetWithTestClass() {
    headless::Reset();
    extraHandling = nullptr;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = TestWindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    windowClass.lpszClassName = "TestWindow";
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
}

// The main window of the tests: 800 by 600, overlapped, with the class menu.
inline HWND CreateTestWindow() {
    return CreateWindowExA(0, "TestWindow", "test", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 800, 600, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

inline std::string MessageName(UINT message) {
    switch (message) {
        case WM_CREATE:
            return "WM_CREATE";
        case WM_DESTROY:
            return "WM_DESTROY";
        case WM_SIZE:
            return "WM_SIZE";
        case WM_PAINT:
            return "WM_PAINT";
        case WM_CLOSE:
            return "WM_CLOSE";
        case WM_ERASEBKGND:
            return "WM_ERASEBKGND";
        case WM_COMMAND:
            return "WM_COMMAND";
        case WM_TIMER:
            return "WM_TIMER";
        default:
            return "0x" + ::testing::PrintToString(message);
    }
}

// Compares the messages that one window received with a table, naming them on a mismatch.
template <std::size_t N>
void ExpectMessages(const std::vector<UINT>& got, const UINT (&expected)[N], const char* file,
                    int line) {
    std::string gotNames;
    for (UINT message : got) {
        gotNames += MessageName(message) + " ";
    }
    std::string wantNames;
    for (UINT message : expected) {
        wantNames += MessageName(message) + " ";
    }
    ::testing::ScopedTrace trace(file, line, "message sequence");
    EXPECT_EQ(gotNames, wantNames);
}
#define EXPECT_MESSAGES(got, table) ::platform_test::ExpectMessages(got, table, __FILE__, __LINE__)

}  // namespace platform_test
