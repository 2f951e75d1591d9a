// The paint cycle and the timers: update regions, erasing, sizes, timer periods and precedence.
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
    ExpectSequence(spy.MessagesOf(window), ERASE_AND_PAINT, "UpdateWindow");
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
    ExpectSequence(spy.MessagesOf(window), ERASE_AND_PAINT, "shown again");
}

TEST_F(PaintTest, AWidthChangeOfARedrawClassInvalidatesTheWholeClient) {
    headless::MessageSpy spy;
    ASSERT_TRUE(standin::ResizeClient(window, 600, 541));
    DispatchReady();
    ExpectSequence(spy.MessagesOf(window), RESIZE_THEN_REPAINT, "width change");
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
    ExpectSequence(spy.MessagesOf(window), MINIMISE_THEN_RESTORE, "minimise and restore");
}

TEST_F(PaintTest, ATimerThatFellBehindGivesOneTickAndRestartsItsPeriod) {
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

TEST_F(PaintTest, AKilledTimerTicksNoMore) {
    SetTimer(window, 1, 50, nullptr);
    EXPECT_TRUE(KillTimer(window, 1));
    EXPECT_FALSE(KillTimer(window, 1));
    headless::Script({headless::AdvanceTime(500)});
    MSG message;
    EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));  // the script ran out: nothing came
    EXPECT_TRUE(headless::ScriptRanOut());
}

TEST_F(PaintTest, OnlyARegisteredTimerProcedureIsEverCalled) {
    registeredCalls = strangerCalls = 0;
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

// Each call with a handle that names nothing gives Win32's documented failure value; EndPaint's
// result is documented as always nonzero.
TEST_F(PaintTest, BadHandlesGiveEachCallsFailureValue) {
    HWND gone = CreateTestWindow();
    ASSERT_TRUE(DestroyWindow(gone));
    PAINTSTRUCT paint{};
    EXPECT_FALSE(InvalidateRect(gone, nullptr, TRUE));
    EXPECT_FALSE(UpdateWindow(gone));
    EXPECT_EQ(GetDC(gone), nullptr);
    EXPECT_EQ(BeginPaint(gone, &paint), nullptr);
    EXPECT_EQ(ReleaseDC(window, paint.hdc), 0);
    EXPECT_NE(EndPaint(window, &paint), FALSE);
    EXPECT_EQ(SetTimer(gone, 1, 50, nullptr), 0u);
    EXPECT_FALSE(KillTimer(gone, 1));
    EXPECT_FALSE(KillTimer(window, 12345));
}

// With no window, InvalidateRect marks every window for erasing and painting.
TEST_F(PaintTest, InvalidatingNoWindowRepaintsEveryWindow) {
    headless::MessageSpy spy;
    EXPECT_TRUE(InvalidateRect(nullptr, nullptr, TRUE));
    DispatchReady();
    ExpectSequence(spy.MessagesOf(window), ERASE_AND_PAINT, "InvalidateRect(NULL)");
}

// BeginPaint reports what it did: an empty rectangle and no erase when nothing was invalid, and
// fErase when the window's erase handling left the background as it was.
TEST_F(PaintTest, BeginPaintReportsTheAreaAndWhetherTheBackgroundWasErased) {
    PAINTSTRUCT paint;
    headless::MessageSpy spy;
    ASSERT_NE(BeginPaint(window, &paint), nullptr);
    EndPaint(window, &paint);
    EXPECT_TRUE(spy.Messages().empty());
    EXPECT_FALSE(paint.fErase);
    EXPECT_EQ(paint.rcPaint.right - paint.rcPaint.left, 0);

    extraHandling = [](HWND, UINT message, WPARAM, LPARAM) { return message == WM_ERASEBKGND; };
    InvalidateRect(window, nullptr, TRUE);
    ASSERT_NE(BeginPaint(window, &paint), nullptr);
    EndPaint(window, &paint);
    EXPECT_TRUE(paint.fErase);
    EXPECT_EQ(paint.rcPaint.right, 784);
    EXPECT_EQ(paint.rcPaint.bottom, 541);
}

// A period below the minimum is raised to 10 ms; setting a timer again restarts it with its new
// period; of two due timers the earlier comes first, and a timer only when nothing else waits.
TEST_F(PaintTest, TimerPeriodsRestartsAndOrder) {
    EXPECT_EQ(SetTimer(window, 1, 0, nullptr), 1u);
    EXPECT_EQ(SetTimer(window, 2, 30, nullptr), 2u);
    EXPECT_EQ(SetTimer(window, 2, 23, nullptr), 2u);
    headless::Script({headless::AdvanceTimers(6)});
    struct Tick {
        UINT_PTR id;
        std::uint64_t at;
    };
    const Tick expected[] = {{1, 10}, {1, 20}, {2, 23}, {1, 30}, {1, 40}, {2, 46}};
    for (const Tick& tick : expected) {
        MSG message;
        ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
        EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
        EXPECT_EQ(message.wParam, tick.id) << "at " << tick.at;
        EXPECT_EQ(headless::Now(), tick.at);
    }
    // A due timer waits for a message posted meanwhile.
    headless::Script({[this] {
        headless::AdvanceTime(100)();
        return PostMessageA(window, WM_USER_FIRST, 0, 0) != FALSE;
    }});
    MSG message;
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, WM_USER_FIRST);
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
}

// A timer without a window gets an identifier of the system's choosing, and its WM_TIMER, with
// no window, calls its procedure.
TEST_F(PaintTest, ATimerWithoutAWindowCallsItsProcedure) {
    registeredCalls = 0;
    const UINT_PTR id = SetTimer(nullptr, 0, 50, RegisteredProcedure);
    ASSERT_NE(id, 0u);
    headless::Script({headless::AdvanceTimers(1)});
    MSG message;
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.wParam, id);
    DispatchMessageA(&message);
    EXPECT_EQ(registeredCalls, 1);
    EXPECT_TRUE(KillTimer(nullptr, id));
}

}  // namespace
