// The message contract: creation order, sending, retrieval precedence, quitting and destruction.
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
    ExpectSequence(spy.MessagesOf(window), createAndSize, "creation");
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
    ExpectSequence(spy.MessagesOf(window), CREATE_SHOW_UPDATE, "create, show and update");
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
    ExpectSequence(spy.MessagesOf(window), sentOnly, "a send past a posted message");
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
    ExpectSequence(spy.MessagesOf(window), RETRIEVAL_ORDER, "retrieval order");
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
    ExpectSequence(spy.MessagesOf(window), postedThenOnePaint, "two invalidations");
    // Without the erase flag there is no WM_ERASEBKGND, and nothing is left to paint.
    headless::Script({headless::Do([] { PostQuitMessage(0); })});
    EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
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
    ExpectSequence(spy.MessagesOf(window), CLOSE_SEQUENCE, "close");
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

// Each call with a handle that names no window gives Win32's documented failure value.
TEST_F(MessageTest, ABadWindowHandleGivesEachCallsFailureValue) {
    HWND window = CreateTestWindow();
    ASSERT_TRUE(DestroyWindow(window));
    MSG message{window, WM_USER_FIRST, 0, 0, 0, {}};
    EXPECT_EQ(SendMessageA(window, WM_USER_FIRST, 0, 0), 0);
    EXPECT_FALSE(PostMessageA(window, WM_USER_FIRST, 0, 0));
    EXPECT_EQ(DispatchMessageA(&message), 0);
    EXPECT_FALSE(TranslateMessage(&message));
    EXPECT_FALSE(DestroyWindow(window));
    // GetMessageA's one error value, -1, for a filter window that does not exist.
    EXPECT_EQ(GetMessageA(&message, window, 0, 0), -1);
}

// A message posted with no window is the thread's: it comes out of the queue in its turn, with
// no window, and dispatching it calls no procedure.
TEST_F(MessageTest, AThreadMessageKeepsItsPlaceAndReachesNoProcedure) {
    HWND window = CreateTestWindow();
    headless::MessageSpy spy;
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER_FIRST, 5, 6));
    ASSERT_TRUE(PostMessageA(window, WM_USER_SECOND, 0, 0));
    MSG message;
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.message, WM_USER_FIRST);
    EXPECT_EQ(message.wParam, 5u);
    EXPECT_EQ(message.lParam, 6);
    EXPECT_EQ(DispatchMessageA(&message), 0);
    EXPECT_TRUE(spy.Messages().empty());
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, WM_USER_SECOND);
}

// The last exit code given wins, and a retrieved quit is gone.
TEST_F(MessageTest, TheLastQuitCodeWinsAndTheQuitComesOnce) {
    PostQuitMessage(1);
    PostQuitMessage(2);
    MSG message;
    EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.wParam, 2u);
    headless::Script({headless::Do([] { PostMessageA(nullptr, WM_USER_FIRST, 0, 0); })});
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, WM_USER_FIRST);
}

// A window refused by its WM_CREATE is destroyed and never made; a parent learns of its own
// destruction before its children do.
TEST_F(MessageTest, CreationCanBeRefusedAndDestructionGoesParentFirst) {
    extraHandling = [](HWND, UINT message, WPARAM, LPARAM) { return message == WM_DESTROY; };
    headless::MessageSpy spy;
    HWND parent = CreateTestWindow();
    HWND child = CreateWindowExA(0, "TestWindow", "", WS_CHILD, 0, 0, 10, 10, parent, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    spy.Clear();
    ASSERT_TRUE(DestroyWindow(parent));
    ASSERT_EQ(spy.Messages().size(), 2u);
    EXPECT_EQ(spy.Messages()[0].window, parent);
    EXPECT_EQ(spy.Messages()[1].window, child);
    EXPECT_FALSE(DestroyWindow(child));  // gone with its parent

    const auto refuse = [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
        return message == WM_CREATE ? -1 : 0;
    };
    WNDCLASSEXA refusing{};
    refusing.cbSize = sizeof refusing;
    refusing.lpfnWndProc = refuse;
    refusing.lpszClassName = "Refusing";
    ASSERT_NE(RegisterClassExA(&refusing), 0);
    spy.Clear();
    EXPECT_EQ(CreateWindowExA(0, "Refusing", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr),
              nullptr);
    std::vector<UINT> received;
    for (const headless::SpiedMessage& spied : spy.Messages()) {
        received.push_back(spied.message);
    }
    static const UINT createRefused[] = {WM_CREATE, WM_DESTROY};
    ExpectSequence(received, createRefused, "refused creation");
}

}  // namespace
