// The buttons and the menu, driven as a user would, with what each leaves on the screen.
#include <memory>

#include "shell_fixture.h"
#include "version.h"

namespace {

class Commands : public ShellTest {};

// Steps that press a button and record the size after each press.
std::vector<headless::Step> PressRecordingSizes(int button, int times,
                                                std::shared_ptr<std::vector<int>> sizes) {
    std::vector<headless::Step> steps;
    for (int i = 0; i < times; ++i) {
        steps.push_back(headless::Click(button));
        steps.push_back(headless::Do([sizes] { sizes->push_back(viewState.settings.size); }));
    }
    return steps;
}

TEST_F(Commands, ZoomOutHalvesDownToThreeAndStops) {
    auto sizes = std::make_shared<std::vector<int>>();
    std::vector<headless::Step> steps = PressRecordingSizes(IDC_ZOOM_OUT, 7, sizes);
    steps.push_back(headless::Close());
    RunProgram(std::move(steps));
    EXPECT_EQ(*sizes, (std::vector<int>{125, 62, 31, 15, 7, 3, 3}));
}

TEST_F(Commands, ZoomInGrowsByHalvesAndStopsAbove500) {
    auto sizes = std::make_shared<std::vector<int>>();
    std::vector<headless::Step> steps = PressRecordingSizes(IDC_ZOOM_IN, 3, sizes);
    Append(steps, Press(IDC_ZOOM_OUT, 8));  // from 562 down to 4: 281 140 70 35 17 8 4, then stuck
    Append(steps, PressRecordingSizes(IDC_ZOOM_IN, 1, sizes));
    steps.push_back(headless::Close());
    RunProgram(std::move(steps));
    EXPECT_EQ(*sizes, (std::vector<int>{375, 562, 562, 6}));
}

TEST_F(Commands, ZoomStaysBetweenTwoAnd748) {
    auto sizes = std::make_shared<std::vector<int>>();
    // 250 out to 7, in to 10, out to 5 and 2, where it stays.
    std::vector<headless::Step> steps = Press(IDC_ZOOM_OUT, 5);
    Append(steps, Press(IDC_ZOOM_IN, 1));
    Append(steps, PressRecordingSizes(IDC_ZOOM_OUT, 3, sizes));
    // From 2 in to the top: 3 4 6 9 13 19 28 42 63 94 141 211 316 474 711, then stuck.
    Append(steps, PressRecordingSizes(IDC_ZOOM_IN, 16, sizes));
    steps.push_back(headless::Close());
    RunProgram(std::move(steps));
    EXPECT_EQ(*sizes, (std::vector<int>{5, 2, 2, 3, 4, 6, 9, 13, 19, 28, 42, 63, 94, 141, 211, 316,
                                        474, 711, 711}));
}

TEST_F(Commands, ZoomRedrawsAtTheNewScaleAndErasesTrails) {
    RunProgram({
        headless::Click(IDC_MODE),
        headless::AdvanceTimers(20),
        headless::Click(IDC_ZOOM_OUT),
        headless::Do([] {
            EXPECT_EQ(CountPixels(EARTH_CYAN), 13 + 9);
            POINT earth = EarthPixel();
            EXPECT_EQ(headless::Pixel(headless::MainWindow(), earth.x, earth.y), EARTH_CYAN);
        }),
        headless::Close(),
    });
}

TEST_F(Commands, TheIntervalHalvesAndDoublesBetweenItsLimits) {
    auto intervals = std::make_shared<std::vector<double>>();
    auto record = [intervals] {
        return headless::Do([intervals] { intervals->push_back(viewState.settings.interval); });
    };
    std::vector<headless::Step> steps = Press(IDC_SLOWER, 7);
    steps.push_back(record());
    Append(steps, Press(IDC_SLOWER, 1));
    steps.push_back(record());
    Append(steps, Press(IDC_FASTER, 14));
    steps.push_back(record());
    Append(steps, Press(IDC_FASTER, 1));
    steps.push_back(record());
    steps.push_back(headless::Close());
    RunProgram(std::move(steps));
    EXPECT_EQ(*intervals, (std::vector<double>{0.0078125, 0.0078125, 128.0, 128.0}));
}

TEST_F(Commands, SpeedAndModeChangesKeepTrailsInModeOne) {
    RunProgram({
        headless::Click(IDC_MODE),
        headless::AdvanceTimers(20),
        headless::Click(IDC_SLOWER),
        headless::Click(IDC_FASTER),
        headless::Do([] { EXPECT_GT(CountPixels(EARTH_CYAN), 13 + 20 * 3); }),
        // Back to mode 0: the trails are erased at once.
        headless::Click(IDC_MODE),
        headless::Do([] { EXPECT_EQ(CountPixels(EARTH_CYAN), 13 + 13); }),
        headless::Close(),
    });
}

TEST_F(Commands, OneYearLaterAddsAYearOfDaysAndRestartsPastTheLimit) {
    std::vector<headless::Step> steps = {
        headless::Click(IDC_ONE_YEAR),
        headless::Do([] { EXPECT_EQ(viewState.elapsed, 0.009999940039785656); }),
    };
    // Near the end of the range, a year more restarts the clock at exactly 0.
    Append(steps, Press(IDC_FASTER, 7));
    Append(
        steps,
        {
            headless::AdvanceTimers(423),  // 365.24 + 423 * 128 = 54509.24 days
            headless::Do([] { EXPECT_GT(viewState.elapsed * DAYS_PER_CENTURY, 54786 - 365.24); }),
            headless::Click(IDC_ONE_YEAR),
            headless::Do([] { EXPECT_EQ(viewState.elapsed, 0.0); }),
            headless::Close(),
        });
    RunProgram(std::move(steps));
}

TEST_F(Commands, Year2000SetsTheClockFromAnyValue) {
    auto expectYear2000 = [] {
        return headless::Do([] { EXPECT_EQ(viewState.elapsed, 0.4999970019892828); });
    };
    RunProgram({
        headless::ChooseMenu(IDM_YEAR_2000),
        expectYear2000(),
        headless::AdvanceTimers(40),
        headless::Click(IDC_ONE_YEAR),
        headless::ChooseMenu(IDM_YEAR_2000),
        expectYear2000(),
        headless::Do([] {
            POINT earth = EarthPixel();
            EXPECT_TRUE(FullMarkerAt(earth.x, earth.y, EARTH_CYAN));
            EXPECT_EQ(viewState.settings.size, 250);
        }),
        headless::Close(),
    });
}

TEST_F(Commands, ShowAndHideAlternateTheStatusBarAndTheirMenuItems) {
    auto expectShown = [](bool shown) {
        return headless::Do([shown] {
            HWND window = headless::MainWindow();
            EXPECT_EQ(standin::DescribeWindow(viewState.statusBar)->visible, shown);
            EXPECT_EQ(headless::MenuItemEnabled(window, IDM_SHOW_STATUS), !shown);
            EXPECT_EQ(headless::MenuItemEnabled(window, IDM_HIDE_STATUS), shown);
        });
    };
    RunProgram(
        {
            expectShown(false),
            headless::ChooseMenu(IDM_SHOW_STATUS),
            expectShown(true),
            headless::ChooseMenu(IDM_SHOW_STATUS),  // grayed now: refused
            headless::Do([] { EXPECT_EQ(headless::RefusedInputs(), 1); }),
            headless::ChooseMenu(IDM_HIDE_STATUS),
            expectShown(false),
            headless::ChooseMenu(IDM_SHOW_STATUS),
            expectShown(true),
            headless::Close(),
        },
        /*refusedInputs=*/1);
}

TEST_F(Commands, AnUnknownIdentifierReturnsZeroAndChangesNothing) {
    RunProgram({
        headless::AdvanceTimers(3),
        headless::Do([] {
            HWND window = headless::MainWindow();
            const ViewState before = viewState;
            headless::MessageSpy spy;
            EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(999, 0), 0), 0);
            EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(40003, 0), 0), 0);
            EXPECT_EQ(std::memcmp(&before, &viewState, sizeof before), 0);
            // Nothing drawn or repainted: only the two commands themselves.
            EXPECT_EQ(spy.Messages().size(), 2u);
        }),
        headless::Close(),
    });
}

TEST_F(Commands, TheVersionMessageIsModalWhileTheAnimationGoesOn) {
    RunProgram(
        {
            headless::ChooseMenu(IDM_ABOUT),
            headless::Do([] {
                std::optional<standin::MessageBoxDescription> box = standin::OpenMessageBox();
                ASSERT_TRUE(box.has_value());
                EXPECT_EQ(box->owner, headless::MainWindow());
                // バージョン情報
                EXPECT_EQ(box->caption, "\x83o\x81[\x83W\x83\x87\x83\x93\x8f\xee\x95\xf1");
                // Sorvelin[南視] / 惑星描画位置の正確性はありません。 / Version and the VERSION
                // file's text, and a credit
                EXPECT_EQ(box->text,
                          "Sorvelin[\x93\xec\x8e\x8b] \n"
                          "\x98"
                          "f\x90\xaf\x95`\x89\xe6\x88\xca\x92u\x82\xcc\x90\xb3\x8am\x90\xab\x82\xcd"
                          "\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81"
                          "B\n Version " SORVELIN_VERSION
                          " Sorvelin \x8aJ\x94\xad\x83`\x81[\x83\x80");
            }),
            headless::AdvanceTimers(3),
            headless::Do([] { EXPECT_NEAR(viewState.elapsed * DAYS_PER_CENTURY, 3.0, 1e-9); }),
            // The main window takes no input while the box is open.
            headless::Click(IDC_ZOOM_OUT),
            headless::Do([] {
                EXPECT_EQ(headless::RefusedInputs(), 1);
                EXPECT_EQ(viewState.settings.size, 250);
            }),
            headless::DismissMessageBox(),
            headless::Do([] { EXPECT_FALSE(standin::OpenMessageBox().has_value()); }),
            headless::Click(IDC_ZOOM_OUT),
            headless::Do([] { EXPECT_EQ(viewState.settings.size, 125); }),
            headless::Close(),
        },
        /*refusedInputs=*/1);
}

}  // namespace
