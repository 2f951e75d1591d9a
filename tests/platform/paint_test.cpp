// The stand-in's paint cycle and sizes: synchronous update, erasing, resizing and minimising.
#include <gtest/gtest.h>

#include "tests/platform/test_window.h"

namespace {

using namespace platform_test;

// A whole-client invalidation with erase, then UpdateWindow: paint, with the erase inside it.
const UINT ERASE_AND_PAINT[] = {WM_PAINT, WM_ERASEBKGND};

// A width change of a CS_HREDRAW window: its size now, its erase and paint at the next retrieval.
const UINT RESIZE_THEN_REPAINT[] = {WM_SIZE, WM_PAINT, WM_ERASEBKGND};

const UINT MINIMISE_THEN_RESTORE[] = {WM_SIZE, WM_SIZE, WM_PAINT, WM_ERASEBKGND};

class PaintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetWithTestClass();
        window = CreateTestWindow();
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
    }

    // Dispatches what is ready, until the loop would wait.
    void DispatchReady() {
        bool waited = false;
        headless::Script({headless::Do([&waited] {
            waited = true;
            PostQuitMessage(0);
        })});
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0)) {
            DispatchMessageA(&message);
        }
        ASSERT_TRUE(waited);
    }

    HWND window = nullptr;
};

TEST_F(PaintTest, UpdateWindowErasesWithTheClassBrushAndPaintsBeforeReturning) {
    // Something to be erased: a green client area apart from the corner the window paints.
    HDC dc = GetDC(window);
    for (int x = 0; x < 784; ++x) {
        SetPixel(dc, x, 300, RGB(0, 255, 0));
    }
    ReleaseDC(window, dc);
    RECT client;
    GetClientRect(window, &client);
    InvalidateRect(window, &client, TRUE);
    headless::MessageSpy spy;
    UpdateWindow(window);
    EXPECT_MESSAGES(spy.MessagesOf(window), ERASE_AND_PAINT);
    // Drawn on the erased row, far apart: nothing between them is left of the green.
    dc = GetDC(window);
    SetPixel(dc, 100, 300, RGB(0, 0, 255));
    SetPixel(dc, 600, 300, RGB(0, 0, 255));
    ReleaseDC(window, dc);
    EXPECT_EQ(headless::Pixel(window, 300, 300), RGB(64, 64, 64));
    EXPECT_EQ(headless::Pixel(window, 600, 300), RGB(0, 0, 255));
    EXPECT_EQ(headless::Pixel(window, 0, 0), PAINT_MARK);
    // Nothing is left to paint afterwards.
    spy.Clear();
    UpdateWindow(window);
    EXPECT_TRUE(spy.MessagesOf(window).empty());
}

TEST_F(PaintTest, BeginPaintClipsToTheUpdateRectangle) {
    RECT corner{10, 10, 20, 20};
    InvalidateRect(window, &corner, FALSE);
    extraHandling = [](HWND target, UINT message, WPARAM, LPARAM) {
        if (message != WM_PAINT) {
            return false;
        }
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(target, &paint);
        EXPECT_EQ(paint.rcPaint.left, 10);
        EXPECT_EQ(paint.rcPaint.bottom, 20);
        EXPECT_EQ(SetPixel(dc, 15, 15, RGB(1, 2, 3)), RGB(1, 2, 3));
        EXPECT_EQ(SetPixel(dc, 25, 15, RGB(1, 2, 3)), CLR_INVALID);
        EndPaint(target, &paint);
        return true;
    };
    UpdateWindow(window);
    EXPECT_EQ(headless::Pixel(window, 15, 15), RGB(1, 2, 3));
    EXPECT_NE(headless::Pixel(window, 25, 15), RGB(1, 2, 3));
}

TEST_F(PaintTest, AHiddenWindowIsNotPaintedUntilShown) {
    ShowWindow(window, SW_HIDE);
    InvalidateRect(window, nullptr, TRUE);
    headless::MessageSpy spy;
    UpdateWindow(window);
    DispatchReady();
    EXPECT_TRUE(spy.MessagesOf(window).empty());
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    EXPECT_MESSAGES(spy.MessagesOf(window), ERASE_AND_PAINT);
}

TEST_F(PaintTest, AWidthChangeOfARedrawClassInvalidatesTheWholeClient) {
    headless::MessageSpy spy;
    ASSERT_TRUE(standin::ResizeClient(window, 600, 541));
    DispatchReady();
    EXPECT_MESSAGES(spy.MessagesOf(window), RESIZE_THEN_REPAINT);
    EXPECT_EQ(LOWORD(spy.Messages()[0].lParam), 600);
    EXPECT_EQ(HIWORD(spy.Messages()[0].lParam), 541);
    auto description = standin::DescribeWindow(window);
    EXPECT_EQ(description->rect.right - description->rect.left, 616);
    EXPECT_EQ(description->rect.bottom - description->rect.top, 600);
}

TEST_F(PaintTest, MinimisingGivesZeroByZeroAndRestoringTheOldSizeWithARepaint) {
    headless::MessageSpy spy;
    ASSERT_TRUE(standin::Minimize(window));
    EXPECT_EQ(spy.Messages().back().wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    EXPECT_EQ(spy.Messages().back().lParam, 0);
    // A minimised window draws nowhere and is not painted.
    HDC dc = GetDC(window);
    EXPECT_EQ(SetPixel(dc, 5, 5, RGB(1, 2, 3)), CLR_INVALID);
    ReleaseDC(window, dc);
    InvalidateRect(window, nullptr, TRUE);
    ASSERT_TRUE(standin::Restore(window));
    EXPECT_EQ(spy.Messages().back().wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(LOWORD(spy.Messages().back().lParam), 784);
    EXPECT_EQ(HIWORD(spy.Messages().back().lParam), 541);
    DispatchReady();
    EXPECT_MESSAGES(spy.MessagesOf(window), MINIMISE_THEN_RESTORE);
}

}  // namespace
