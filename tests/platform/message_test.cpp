// The stand-in's message contract: creation order, retrieval precedence, timers and quitting.
#include <gtest/gtest.h>

#include "tests/platform/test_window.h"

namespace {

using namespace platform_test;

// Creating, showing and updating a window: WM_CREATE and WM_SIZE before the call returns, and the
// first paint, with its erase sent from BeginPaint, before UpdateWindow returns.
const UINT CREATE_SHOW_UPDATE[] = {WM_CREATE, WM_SIZE, WM_PAINT, WM_ERASEBKGND};

// Everything waiting at once comes out as: posted in order, input, then the paint, then the timer.
const UINT RETRIEVAL_ORDER[] = {WM_USER_FIRST, WM_USER_SECOND, WM_CLOSE,
                                WM_PAINT,      WM_ERASEBKGND,  WM_TIMER};

// The close box: the default procedure destroys the window.
const UINT CLOSE_SEQUENCE[] = {WM_CLOSE, WM_DESTROY};

class MessageTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetWithTestClass(); }
};

TEST_F(MessageTest, CreationSendsCreateAndSizeBeforeReturningAndUpdatePaintsAtOnce) {
    headless::MessageSpy spy;
    HWND window = CreateTestWindow();
    ASSERT_NE(window, nullptr);
    const UINT createAndSize[] = {WM_CREATE, WM_SIZE};
    EXPECT_MESSAGES(spy.MessagesOf(window), createAndSize);
    // The size is the client area of an 800 by 600 overlapped window with a menu bar.
    EXPECT_EQ(spy.Messages()[1].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(LOWORD(spy.Messages()[1].lParam), 784);
    EXPECT_EQ(HIWORD(spy.Messages()[1].lParam), 541);
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right - client.left, 784);
    EXPECT_EQ(client.bottom - client.top, 541);

    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);
    EXPECT_MESSAGES(spy.MessagesOf(window), CREATE_SHOW_UPDATE);
    EXPECT_EQ(headless::Pixel(window, 0, 0), PAINT_MARK);
    EXPECT_EQ(headless::Pixel(window, 783, 540), RGB(64, 64, 64));
}

TEST_F(MessageTest, AWindowWithoutMenuHasATallerClientArea) {
    WNDCLASSEXA plain{};
    plain.cbSize = sizeof plain;
    plain.lpfnWndProc = TestWindowProcedure;
    plain.lpszClassName = "PlainWindow";
    ASSERT_NE(RegisterClassExA(&plain), 0);
    HWND window = CreateWindowExA(0, "PlainWindow", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 800, 600, nullptr, nullptr, nullptr, nullptr);
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, 784);
    EXPECT_EQ(client.bottom, 561);
}

TEST_F(MessageTest, SendCallsTheProcedureAtOncePastWaitingPostedMessages) {
    HWND window = CreateTestWindow();
    PostMessageA(window, WM_USER_FIRST, 0, 0);
    headless::MessageSpy spy;
    SendMessageA(window, WM_USER_SECOND, 0, 0);
    const UINT sentOnly[] = {WM_USER_SECOND};
    EXPECT_MESSAGES(spy.MessagesOf(window), sentOnly);
}

TEST_F(MessageTest, RetrievalTakesPostedThenInputThenPaintThenTimer) {
    HWND window = CreateTestWindow();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetTimer(window, 1, 50, nullptr);
    InvalidateRect(window, nullptr, TRUE);
    PostMessageA(window, WM_USER_FIRST, 0, 0);
    PostMessageA(window, WM_USER_SECOND, 0, 0);
    ASSERT_TRUE(standin::RequestClose(window));
    // The close request is answered here, so the window stays for the paint and the timer.
    extraHandling = [](HWND, UINT message, WPARAM, LPARAM) { return message == WM_CLOSE; };
    headless::Script({headless::AdvanceTime(60)});
    headless::MessageSpy spy;
    MSG message;
    for (int count = 0; count < 5 && GetMessageA(&message, nullptr, 0, 0); ++count) {
        DispatchMessageA(&message);
    }
    EXPECT_MESSAGES(spy.MessagesOf(window), RETRIEVAL_ORDER);
    EXPECT_EQ(headless::Now(), 60u);  // the timer came when the clock first passed its period
}

TEST_F(MessageTest, TwoInvalidationsGiveOnePaint) {
    HWND window = CreateTestWindow();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    RECT corner{0, 0, 10, 10};
    InvalidateRect(window, &corner, FALSE);
    InvalidateRect(window, nullptr, FALSE);
    PostMessageA(window, WM_USER_FIRST, 0, 0);
    headless::MessageSpy spy;
    MSG message;
    for (int count = 0; count < 2 && GetMessageA(&message, nullptr, 0, 0); ++count) {
        DispatchMessageA(&message);
    }
    const UINT postedThenOnePaint[] = {WM_USER_FIRST, WM_PAINT};
    EXPECT_MESSAGES(spy.MessagesOf(window), postedThenOnePaint);
    // Without the erase flag there is no WM_ERASEBKGND, and nothing is left to paint.
    headless::Script({headless::Do([] { PostQuitMessage(0); })});
    EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
}

TEST_F(MessageTest, ATimerThatFellBehindGivesOneTickAndRestartsItsPeriod) {
    HWND window = CreateTestWindow();
    SetTimer(window, 1, 50, nullptr);
    headless::Script({headless::AdvanceTime(1000), headless::AdvanceTimers(1)});
    MSG message;
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(message.wParam, 1u);
    EXPECT_EQ(headless::Now(), 1000u);
    // Twenty periods passed, yet the next tick waits a full period from the one delivered.
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(headless::Now(), 1050u);
}

TEST_F(MessageTest, AKilledTimerTicksNoMore) {
    HWND window = CreateTestWindow();
    SetTimer(window, 1, 50, nullptr);
    EXPECT_TRUE(KillTimer(window, 1));
    EXPECT_FALSE(KillTimer(window, 1));
    headless::Script({headless::AdvanceTime(500)});
    MSG message;
    EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));  // the script ran out: nothing came
    EXPECT_TRUE(headless::ScriptRanOut());
}

TEST_F(MessageTest, QuitComesAfterPostedMessagesWithItsExitCode) {
    HWND window = CreateTestWindow();
    PostMessageA(window, WM_USER_FIRST, 0, 0);
    PostQuitMessage(7);
    PostMessageA(window, WM_USER_SECOND, 0, 0);
    MSG message;
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, WM_USER_FIRST);
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, WM_USER_SECOND);
    EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(MessageTest, CloseLeadsThroughTheDefaultProcedureToDestroy) {
    HWND window = CreateTestWindow();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    headless::Script({headless::Close()});
    headless::MessageSpy spy;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        DispatchMessageA(&message);
    }
    EXPECT_MESSAGES(spy.MessagesOf(window), CLOSE_SEQUENCE);
    EXPECT_EQ(message.wParam, 3u);  // the test window quits with 3 on WM_DESTROY
    EXPECT_FALSE(standin::DescribeWindow(window).has_value());
    EXPECT_EQ(SendMessageA(window, WM_USER_FIRST, 0, 0), 0);  // a dead handle fails quietly
    EXPECT_FALSE(PostMessageA(window, WM_USER_FIRST, 0, 0));
}

TEST_F(MessageTest, ResetLeavesNothingBehind) {
    HWND window = CreateTestWindow();
    SetTimer(window, 1, 50, nullptr);
    PostQuitMessage(1);
    headless::Reset();
    EXPECT_TRUE(standin::TopLevelWindows().empty());
    EXPECT_FALSE(standin::DescribeWindow(window).has_value());
    headless::Script({headless::AdvanceTimers(1)});
    MSG message;
    EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(headless::SCRIPT_EXHAUSTED_EXIT_CODE));
}

}  // namespace
