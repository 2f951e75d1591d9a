// A tiny window of the tests' own, and the check of recorded messages against a static table.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/win32.h"
#include "resources/resource.h"
#include "tests/support/message_sequence.h"

namespace platform_test {

using test_support::ExpectSequence;

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

constexpr int BUTTON_ID = 101;  // the fixture's button

// A shown test window with one button, recording the commands it receives.
class WindowFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetWithTestClass();
        window = CreateTestWindow();
        button = CreateWindowExA(0, "BUTTON", "\x97\xa3\x82\xea\x82\xe9", WS_CHILD | WS_VISIBLE, 1,
                                 1, 50, 25, window,
                                 reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(BUTTON_ID)),
                                 GetModuleHandleA(nullptr), nullptr);
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        extraHandling = [this](HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_COMMAND) {
                commands.push_back({target, message, wParam, lParam});
                return true;
            }
            return false;
        };
    }

    // Runs the message loop over the steps, then until it would wait again.
    void Run(std::vector<headless::Step> steps) {
        headless::Script(std::move(steps));
        headless::Script({headless::Do([] { PostQuitMessage(0); })});
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0)) {
            DispatchMessageA(&message);
        }
        EXPECT_EQ(headless::StepsLeft(), 0u) << headless::ScriptProblem();
    }

    HWND window = nullptr;
    HWND button = nullptr;
    std::vector<headless::SpiedMessage> commands;
};

}  // namespace platform_test
