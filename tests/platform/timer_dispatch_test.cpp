// DispatchMessageA calls a WM_TIMER's procedure only when SetTimer registered it for that timer.
#include <gtest/gtest.h>

#include "tests/platform/test_window.h"

namespace {

using namespace platform_test;

int registeredCalls = 0;
int strangerCalls = 0;

void CALLBACK RegisteredProcedure(HWND, UINT, UINT_PTR, DWORD) {
    ++registeredCalls;
}
void CALLBACK StrangerProcedure(HWND, UINT, UINT_PTR, DWORD) {
    ++strangerCalls;
}

TEST(TimerDispatchTest, OnlyARegisteredTimerProcedureIsEverCalled) {
    ResetWithTestClass();
    registeredCalls = strangerCalls = 0;
    HWND window = CreateTestWindow();
    SetTimer(window, 7, 50, RegisteredProcedure);
    headless::Script({headless::AdvanceTimers(1)});
    MSG message;
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    ASSERT_EQ(message.message, static_cast<UINT>(WM_TIMER));
    DispatchMessageA(&message);
    EXPECT_EQ(registeredCalls, 1);

    // Anyone can post a WM_TIMER; its lParam is no licence to call an arbitrary address.
    const LPARAM stranger = reinterpret_cast<LPARAM>(StrangerProcedure);
    for (const MSG& posted :
         {MSG{window, WM_TIMER, 7, stranger, 0, {}},
          MSG{window, WM_TIMER, 8, reinterpret_cast<LPARAM>(RegisteredProcedure), 0, {}},
          MSG{nullptr, WM_TIMER, 7, LPARAM{0x1234}, 0, {}}}) {
        EXPECT_EQ(DispatchMessageA(&posted), 0);
    }
    EXPECT_EQ(strangerCalls, 0);
    EXPECT_EQ(registeredCalls, 1);
    // Once the timer is killed, its own procedure is a stranger too.
    KillTimer(window, 7);
    DispatchMessageA(&message);
    EXPECT_EQ(registeredCalls, 1);
}

}  // namespace
