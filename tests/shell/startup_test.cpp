// The program from start-up to its end: window, controls, first frame, size changes, exit.
#include <string>

#include "shell/texts.h"
#include "shell_fixture.h"
#include "tests/support/code_page_932.h"
#include "tests/support/message_sequence.h"

namespace {

// The texts must decode whole, so the stand-in's replacement glyphs cannot pass for them.
const auto FromCodePage932 = test_support::DecodeCp932;

TEST(ShellTexts, AreTheJapaneseTextsInCodePage932) {
    EXPECT_EQ(FromCodePage932(MAIN_WINDOW_CAPTION), "Sorvelin[南視]");
    EXPECT_EQ(FromCodePage932(ZOOM_OUT_CAPTION), "離れる");
    EXPECT_EQ(FromCodePage932(ZOOM_IN_CAPTION), "近づく");
    EXPECT_EQ(FromCodePage932(SLOWER_CAPTION), "遅く");
    EXPECT_EQ(FromCodePage932(FASTER_CAPTION), "早く");
    EXPECT_EQ(FromCodePage932(ONE_YEAR_CAPTION), "1年後");
    EXPECT_EQ(FromCodePage932(VERSION_CAPTION), "バージョン情報");
    EXPECT_EQ(FromCodePage932(VERSION_TEXT),
              "Sorvelin[南視] \n惑星描画位置の正確性はありません。\n Version " SORVELIN_VERSION
              " Sorvelin 開発チーム");
}

bool Received(const headless::MessageSpy& spy, UINT message) {
    for (const headless::SpiedMessage& spied : spy.Messages()) {
        if (spied.message == message) {
            return true;
        }
    }
    return false;
}

class StartUp : public ShellTest {};

TEST_F(StartUp, CreatesTheButtonRowAndAHiddenStatusBar) {
    RunProgram({
        headless::Do([] {
            HWND window = headless::MainWindow();
            struct Expected {
                int left;
                const char* caption;
                int id;
            };
            const Expected expected[] = {{1, "離れる", 101}, {51, "近づく", 104},
                                         {101, "MODE", 103}, {151, "遅く", 102},
                                         {201, "早く", 105}, {251, "1年後", 106}};
            std::vector<headless::ChildWindow> buttons;
            for (const headless::ChildWindow& child : headless::Children(window)) {
                if (child.kind == standin::WindowKind::Button) {
                    buttons.push_back(child);
                }
            }
            ASSERT_EQ(buttons.size(), 6u);
            for (size_t i = 0; i < buttons.size(); ++i) {
                SCOPED_TRACE(expected[i].caption);
                EXPECT_EQ(buttons[i].caption, expected[i].caption);
                EXPECT_EQ(buttons[i].id, expected[i].id);
                EXPECT_EQ(buttons[i].rect.left, expected[i].left);
                EXPECT_EQ(buttons[i].rect.top, 1);
                EXPECT_EQ(buttons[i].rect.right - buttons[i].rect.left, 50);
                EXPECT_EQ(buttons[i].rect.bottom - buttons[i].rect.top, 25);
                EXPECT_TRUE(buttons[i].visible);
            }

            ASSERT_NE(viewState.statusBar, nullptr);
            EXPECT_EQ(headless::FindChild(window, 1), viewState.statusBar);
            std::optional<standin::WindowDescription> bar =
                standin::DescribeWindow(viewState.statusBar);
            ASSERT_TRUE(bar.has_value());
            EXPECT_FALSE(bar->visible);
            EXPECT_EQ(headless::MenuItemEnabled(window, IDM_SHOW_STATUS), true);
            EXPECT_EQ(headless::MenuItemEnabled(window, IDM_HIDE_STATUS), false);
        }),
        headless::Close(),
    });
}

TEST_F(StartUp, SetsTheViewAndPaintsTheStartOf1950BeforeAnyTick) {
    headless::MessageSpy spy;
    RunProgram({
        headless::Do([&spy] {
            EXPECT_EQ(viewState.settings.size, 250);
            EXPECT_EQ(viewState.settings.interval, 1.0);
            EXPECT_EQ(viewState.settings.mode, 0);
            EXPECT_EQ(viewState.elapsed, 0.0);
            EXPECT_EQ(viewState.clientWidth, 784);
            EXPECT_EQ(viewState.clientHeight, 541);

            // Created, sized, then painted; no tick has run yet.
            static const UINT createSizePaint[] = {WM_CREATE, WM_SIZE, WM_PAINT, WM_ERASEBKGND};
            test_support::ExpectSequence(spy.MessagesOf(headless::MainWindow()), createSizePaint,
                                         "start-up");

            // The Sun at the centre and the Earth where it stood at the start of 1950.
            EXPECT_TRUE(FullMarkerAt(392, 290, SUN_RED));
            POINT earth = EarthPixel();
            EXPECT_TRUE(FullMarkerAt(earth.x, earth.y, EARTH_CYAN));
            EXPECT_EQ(headless::Pixel(headless::MainWindow(), 700, 150), BACKGROUND);
        }),
        headless::Close(),
    });
}

TEST_F(StartUp, FollowsTheClientSizeThroughMinimiseAndRestore) {
    RunProgram({
        headless::ResizeClient(500, 400),
        headless::Do([] {
            EXPECT_EQ(viewState.clientWidth, 500);
            EXPECT_EQ(viewState.clientHeight, 400);
            // The resize repaints the whole client area around the new centre.
            EXPECT_TRUE(FullMarkerAt(250, 220, SUN_RED));
        }),
        headless::Minimize(),
        headless::AdvanceTimers(3),
        headless::Do([] {
            EXPECT_EQ(viewState.clientWidth, 0);
            EXPECT_EQ(viewState.clientHeight, 0);
        }),
        headless::Restore(),
        headless::Do([] {
            EXPECT_EQ(viewState.clientWidth, 500);
            EXPECT_EQ(viewState.clientHeight, 400);
            EXPECT_TRUE(FullMarkerAt(250, 220, SUN_RED));
        }),
        headless::Close(),
    });
}

TEST_F(StartUp, TheCloseBoxDestroysTheWindowAndEndsWithZero) {
    headless::MessageSpy spy;
    RunProgram({headless::AdvanceTimers(2), headless::Close()});
    EXPECT_TRUE(Received(spy, WM_DESTROY));
}

TEST_F(StartUp, ExitEndsTheLoopWithZeroWithoutDestroyingTheWindow) {
    headless::MessageSpy spy;
    RunProgram({headless::AdvanceTimers(2), headless::ChooseMenu(IDM_EXIT)});
    EXPECT_FALSE(Received(spy, WM_DESTROY));
    EXPECT_NE(headless::MainWindow(), nullptr);
}

}  // namespace
