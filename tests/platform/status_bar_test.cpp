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

}  // namespace
