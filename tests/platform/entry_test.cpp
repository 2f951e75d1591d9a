// The program's entry under the headless host: WinMain's loop, a script and the exit code.
#include <gtest/gtest.h>

#include "tests/platform/test_window.h"

namespace {

// The entry's own run: WM_DESTROY quits with 3 through the test window.
int entryCalls = 0;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    ++entryCalls;
    EXPECT_EQ(instance, GetModuleHandleA(nullptr));
    HWND window = platform_test::CreateTestWindow();
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    SetTimer(window, 1, 50, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

namespace {

TEST(EntryTest, AScriptedRunEndsWithTheQuitCodeAndTheVirtualClockRunsFast) {
    platform_test::ResetWithTestClass();
    int ticks = 0;
    platform_test::extraHandling = [&ticks](HWND, UINT message, WPARAM, LPARAM) {
        ticks += message == WM_TIMER;
        return false;
    };
    // 150 years of one-day ticks: the clock moves only when the loop waits.
    headless::Script({headless::AdvanceTimers(54787), headless::Close()});
    EXPECT_EQ(headless::RunWinMain(), 3);
    EXPECT_EQ(ticks, 54787);
    EXPECT_EQ(headless::Now(), 54787u * 50u);
    EXPECT_FALSE(headless::ScriptRanOut());
    EXPECT_EQ(entryCalls, 1);
}

TEST(EntryTest, AScriptThatRunsOutEndsTheRunInsteadOfHanging) {
    platform_test::ResetWithTestClass();
    headless::Script({headless::AdvanceTimers(2)});
    EXPECT_EQ(headless::RunWinMain(), headless::SCRIPT_EXHAUSTED_EXIT_CODE);
    EXPECT_TRUE(headless::ScriptRanOut());
}

}  // namespace
