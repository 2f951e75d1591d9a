// The status bar: its place along the parent's bottom edge, simple mode and its texts.
#include <gtest/gtest.h>

#include "tests/platform/test_window.h"

namespace {

using namespace platform_test;

constexpr int STATUS_BAR_ID = 1;

using StatusBarTest = WindowFixture;

TEST_F(StatusBarTest, TheStatusBarLiesAlongTheBottomAndKeepsItsTextWhileHidden) {
    HWND statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM,
                                         nullptr, window, STATUS_BAR_ID);
    ASSERT_NE(statusBar, nullptr);
    SendMessageA(statusBar, SB_SIMPLE, TRUE, 0);
    ShowWindow(statusBar, SW_HIDE);
    EXPECT_TRUE(SendMessageA(statusBar, SB_SETTEXTA, SB_SIMPLEID,
                             reinterpret_cast<LPARAM>("\x8f\xf3\x91\xd4")));  // 状態
    EXPECT_EQ(headless::StatusText(statusBar), "\x8f\xf3\x91\xd4");
    ShowWindow(statusBar, SW_SHOW);
    auto bar = standin::DescribeWindow(statusBar);
    EXPECT_TRUE(bar->visible);
    EXPECT_EQ(bar->text, "\x8f\xf3\x91\xd4");
    EXPECT_EQ(bar->id, STATUS_BAR_ID);
    EXPECT_EQ(bar->rect.left, 0);
    EXPECT_EQ(bar->rect.right, 784);
    EXPECT_EQ(bar->rect.bottom, 541);
    // It covers the client area rather than shrinking it, and follows a forwarded WM_SIZE.
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.bottom, 541);
    ASSERT_TRUE(standin::ResizeClient(window, 500, 400));
    SendMessageA(statusBar, WM_SIZE, SIZE_RESTORED, MAKELPARAM(500, 400));
    bar = standin::DescribeWindow(statusBar);
    EXPECT_EQ(bar->rect.right, 500);
    EXPECT_EQ(bar->rect.bottom, 400);
    EXPECT_GT(bar->rect.top, 360);
    EXPECT_EQ(headless::StatusText(statusBar), "\x8f\xf3\x91\xd4");
}

// The simple part keeps a text of its own: switching simple mode on shows it, off shows part 0
// again, which a bar made with a text starts with.
TEST_F(StatusBarTest, TheSimpleTextAndPartZerosTextAreKeptApart) {
    HWND statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "zero", window, STATUS_BAR_ID);
    ASSERT_NE(statusBar, nullptr);
    EXPECT_EQ(headless::StatusText(statusBar), "zero");
    SendMessageA(statusBar, SB_SIMPLE, TRUE, 0);
    EXPECT_EQ(headless::StatusText(statusBar), "");
    EXPECT_TRUE(SendMessageA(statusBar, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>("s")));
    EXPECT_EQ(headless::StatusText(statusBar), "s");
    EXPECT_TRUE(SendMessageA(statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("part")));
    EXPECT_EQ(headless::StatusText(statusBar), "s");
    SendMessageA(statusBar, SB_SIMPLE, FALSE, 0);
    EXPECT_EQ(headless::StatusText(statusBar), "part");
    // A part the bar does not have takes no text; a bar needs a parent that exists.
    EXPECT_FALSE(SendMessageA(statusBar, SB_SETTEXTA, 5, reinterpret_cast<LPARAM>("x")));
    EXPECT_EQ(CreateStatusWindowA(WS_CHILD, "", reinterpret_cast<HWND>(std::uintptr_t{0x1234}), 2),
              nullptr);
}

}  // namespace
