// The animation: the clock's steps and reset, erasing or trails, and the status text.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/host.h"
#include "platform/standin/text_renderer.h"
#include "shell_fixture.h"

namespace {

class Animation : public ShellTest {};

TEST_F(Animation, TheFirstTickAdvancesOneDayExactly) {
    RunProgram({
        headless::AdvanceTimers(1),
        headless::Do([] {
            EXPECT_EQ(viewState.elapsed, 2.7379093307922617e-05);
            EXPECT_EQ(viewState.elapsed * DAYS_PER_CENTURY, 1.0);
        }),
        headless::Close(),
    });
}

TEST_F(Animation, TheClockRestartsAfter150YearsAtOneDayATick) {
    // Mode 1 draws without erasing, which keeps this long run quick; the clock is the same.
    RunProgram({
        headless::Click(IDC_MODE),
        headless::AdvanceTimers(54786),
        headless::Do([] { EXPECT_GT(viewState.elapsed, 1.49999); }),
        headless::AdvanceTimers(1),
        headless::Do([] { EXPECT_EQ(viewState.elapsed, 0.0); }),
        headless::Close(),
    });
}

TEST_F(Animation, TheClockRestartsAtZeroNotModuloTheLimit) {
    std::vector<headless::Step> steps = Press(IDC_FASTER, 7);
    Append(steps, {
                      headless::Do([] { EXPECT_EQ(viewState.settings.interval, 128.0); }),
                      headless::AdvanceTimers(428),
                      headless::Do([] { EXPECT_GT(viewState.elapsed, 1.49); }),
                      headless::AdvanceTimers(1),
                      // The 429th tick's day count would be 54912: the excess is dropped.
                      headless::Do([] { EXPECT_EQ(viewState.elapsed, 0.0); }),
                      headless::Close(),
                  });
    RunProgram(std::move(steps));
    // Exactly at the limit the clock keeps its day count; only beyond it does it restart.
    viewState.elapsed = 0.0;
    AdvanceElapsed(54786.0);
    EXPECT_EQ(viewState.elapsed, 1.4999910059678485);
    viewState.elapsed = 0.0;
    AdvanceElapsed(54786.5);
    EXPECT_EQ(viewState.elapsed, 0.0);
}

struct Frame {
    double elapsed;
    std::vector<COLORREF> pixels;
};

TEST_F(Animation, ModeZeroShowsOnlyTheCurrentPositions) {
    // Mars crosses the labels near the buttons in the first 200 days: each frame, drawn over the
    // last one, must be exactly that frame drawn alone on a freshly erased client area.
    auto frames = std::make_shared<std::vector<Frame>>();
    std::vector<headless::Step> steps = {
        headless::AdvanceTimers(30),
        headless::Do([] {
            // The Earth's legend entry and the Earth itself, nothing of earlier ticks.
            EXPECT_EQ(CountPixels(EARTH_CYAN), 13 + 13);
            POINT earth = EarthPixel();
            EXPECT_TRUE(FullMarkerAt(earth.x, earth.y, EARTH_CYAN));
        }),
    };
    for (int tick = 40; tick <= 240; tick += 10) {
        Append(steps, {headless::AdvanceTimers(10), headless::Do([frames] {
                           frames->push_back(
                               {viewState.elapsed, ClientPixels(headless::MainWindow(), 784, 541)});
                       })});
    }
    steps.push_back(headless::Close());
    RunProgram(std::move(steps));

    ASSERT_EQ(frames->size(), 21u);
    for (const Frame& frame : *frames) {
        headless::Reset();
        HWND window = headless::CreatePlainWindow();
        HDC dc = GetDC(window);
        DrawScene(dc, ComposeScene(frame.elapsed, START_SETTINGS), START_SETTINGS, 784, 541);
        ReleaseDC(window, dc);
        const std::vector<COLORREF> alone = ClientPixels(window, 784, 541);
        const auto differing =
            std::mismatch(frame.pixels.begin(), frame.pixels.end(), alone.begin());
        EXPECT_TRUE(differing.first == frame.pixels.end())
            << "day " << frame.elapsed * DAYS_PER_CENTURY << ": pixel "
            << (differing.first - frame.pixels.begin()) % 784 << ", "
            << (differing.first - frame.pixels.begin()) / 784 << " differs";
    }
}

TEST_F(Animation, ModeOneLeavesEveryTicksMarkersAsTrails) {
    auto earthAtStart = std::make_shared<POINT>();
    RunProgram({
        headless::Click(IDC_MODE),
        headless::Do([earthAtStart] { *earthAtStart = EarthPixel(); }),
        headless::AdvanceTimers(60),
        headless::Do([earthAtStart] {
            // Sixty days move the Earth about 260 pixels along its orbit: a long trail.
            EXPECT_GT(CountPixels(EARTH_CYAN), 13 + 60 * 3);
            EXPECT_EQ(headless::Pixel(headless::MainWindow(), earthAtStart->x, earthAtStart->y),
                      EARTH_CYAN);
        }),
        // Restoring a minimised window repaints all of it: the trails are gone.
        headless::Minimize(),
        headless::Restore(),
        headless::Do([] { EXPECT_EQ(CountPixels(EARTH_CYAN), 13 + 9); }),
        headless::Close(),
    });
}

// The white text pixels of the status line at the top, right of the buttons.
std::vector<bool> StatusLineText() {
    std::vector<bool> text;
    for (int y = 0; y < 30; ++y) {
        for (int x = 300; x < viewState.clientWidth; ++x) {
            text.push_back(headless::Pixel(headless::MainWindow(), x, y) == RGB(255, 255, 255));
        }
    }
    return text;
}

// The same white pixels as the status text, sent to the status bar, draws alone at (310, 10): a
// text drawn over the last one must show every character of its own.
std::vector<bool> StatusLineOfItsText() {
    const standin::TextPixels drawn =
        standin::RenderText(headless::StatusText(viewState.statusBar));
    std::vector<bool> text(static_cast<std::size_t>(30 * (viewState.clientWidth - 300)), false);
    for (const standin::GlyphRun& run : drawn.runs) {
        const int y = 10 + run.top;
        for (int x = 310 + run.left; x < 310 + run.left + run.length; ++x) {
            if (y >= 0 && y < 30 && x >= 300 && x < viewState.clientWidth) {
                text[static_cast<std::size_t>(y * (viewState.clientWidth - 300) + x - 300)] = true;
            }
        }
    }
    return text;
}

headless::Step ExpectTheStatusLineShowsItsText() {
    return headless::Do([] { EXPECT_TRUE(StatusLineText() == StatusLineOfItsText()); });
}

bool StatusTextHas(const char* part) {
    return headless::StatusText(viewState.statusBar).find(part) != std::string::npos;
}

TEST_F(Animation, TheStatusTextFollowsEveryTickInBothModesHiddenOrShown) {
    auto shorterText = std::make_shared<std::vector<bool>>();
    std::vector<headless::Step> steps = {
        headless::Do([] { EXPECT_EQ(headless::StatusText(viewState.statusBar), ""); }),
        headless::AdvanceTimers(1),
        headless::Do([] {
            // 平均経過時間1950年 1月 2日：描画間隔1.00日、大きさ250
            EXPECT_EQ(headless::StatusText(viewState.statusBar),
                      "\x95\xbd\x8b\xcf\x8co\x89\xdf\x8e\x9e\x8a\xd4"
                      "1950\x94N 1\x8c\x8e 2\x93\xfa\x81"
                      "F\x95`\x89\xe6\x8a\xd4\x8au1.00\x93\xfa\x81"
                      "A\x91\xe5\x82\xab\x82\xb3"
                      "250");
        }),
        ExpectTheStatusLineShowsItsText(),
        headless::Click(IDC_ZOOM_OUT),
        // A command does not touch the status text; the next tick brings the new size.
        headless::Do([] {
            EXPECT_NE(headless::StatusText(viewState.statusBar).find("250"), std::string::npos);
        }),
        headless::AdvanceTimers(1),
        headless::Do([] {
            std::string text = headless::StatusText(viewState.statusBar);
            EXPECT_NE(text.find(" 3\x93\xfa"), std::string::npos) << "day 3";
            EXPECT_EQ(text.substr(text.size() - 3), "125");
        }),
        ExpectTheStatusLineShowsItsText(),
        headless::AdvanceTimers(40),
        ExpectTheStatusLineShowsItsText(),
        // Trails: the tick sends the text all the same, with the bar hidden and then shown.
        headless::Click(IDC_MODE),
    };
    Append(steps, Press(IDC_FASTER, 4));
    Append(steps, {
                      headless::AdvanceTimers(1),
                      headless::Do([] { EXPECT_TRUE(StatusTextHas("16.00\x93\xfa")); }),
                      ExpectTheStatusLineShowsItsText(),
                      headless::ChooseMenu(IDM_SHOW_STATUS),
                      headless::Click(IDC_SLOWER),
                      headless::AdvanceTimers(1),
                      headless::Do([shorterText] {
                          EXPECT_TRUE(StatusTextHas("8.00\x93\xfa"));
                          EXPECT_FALSE(StatusTextHas("16.00"));
                          *shorterText = StatusLineText();
                      }),
                      // The same text on an erased window: nothing of the longer one was left.
                      headless::Click(IDC_MODE),
                      headless::Do([shorterText] {
                          EXPECT_NE(std::count(shorterText->begin(), shorterText->end(), true), 0);
                          EXPECT_TRUE(StatusLineText() == *shorterText);
                      }),
                      headless::Close(),
                  });
    RunProgram(std::move(steps));
}

// A host that redraws only what the core reports as changed must still end up showing every
// pixel: replaying the reports onto a copy of the client area gives the client area itself, tick
// after tick, in both modes, after a zoom and after resizes. And a mode-0 tick, which erases and
// repaints the whole area, reports only what differs from the frame before: the markers that
// moved and the digits of the status text, not the labels that the repaint puts back.
// Replayed as reported, and as the hosts redraw them, gathered into rectangles.
TEST_F(Animation, TheReportedChangesCoverEveryChangedPixelAndLittleElse) {
    std::vector<std::uint32_t> shown;
    std::vector<std::uint32_t> shownInBands;
    int shownWidth = 0;
    int largestTick = 0;
    int largestBands = 0;
    const auto replay = [&shown, &shownInBands, &shownWidth, &largestTick, &largestBands] {
        HWND window = headless::MainWindow();
        // In the hosts' order: the changes, then the pixels to show.
        const std::vector<standin::ChangedColumns> changes = standin::TakeSurfaceChanges(window);
        const standin::SurfacePixels surface = *standin::ClientSurface(window);
        const int stride = surface.stride / static_cast<int>(sizeof(std::uint32_t));
        const auto pixel = [&surface, stride](int x, int y) {
            return surface.pixels[y * stride + x];
        };
        if (surface.width * surface.height != static_cast<int>(shown.size()) ||
            surface.width != shownWidth) {
            // A new size is shown whole.
            shown.clear();
            shownWidth = surface.width;
            for (int y = 0; y < surface.height; ++y) {
                for (int x = 0; x < surface.width; ++x) {
                    shown.push_back(pixel(x, y));
                }
            }
            shownInBands = shown;
            return;
        }
        int changed = 0;
        for (const standin::ChangedColumns& change : changes) {
            ASSERT_LT(change.row, surface.height);
            ASSERT_LE(change.right, surface.width);
            // Each report starts and ends with a changed pixel, and no more than the band gap of
            // unchanged ones lies between two changed ones: a marker passing the status text's
            // digits is not reported together with the row between them.
            int unchanged = 0;
            for (int x = change.left; x < change.right; ++x) {
                std::uint32_t& was = shown[change.row * surface.width + x];
                unchanged = was == pixel(x, change.row) ? unchanged + 1 : 0;
                const bool end = x == change.left || x == change.right - 1;
                ASSERT_LE(unchanged, end ? 0 : standin::BAND_GAP_COLUMNS)
                    << "row " << change.row << " at " << x;
                was = pixel(x, change.row);
            }
            changed += change.right - change.left;
        }
        int inBands = 0;
        for (const RECT& band : standin::ChangedBands(changes, surface.width, surface.height)) {
            for (int y = band.top; y < band.bottom; ++y) {
                for (int x = band.left; x < band.right; ++x) {
                    shownInBands[y * surface.width + x] = pixel(x, y);
                }
            }
            inBands += (band.right - band.left) * (band.bottom - band.top);
        }
        int missed = 0;
        int missedInBands = 0;
        for (int y = 0; y < surface.height; ++y) {
            for (int x = 0; x < surface.width; ++x) {
                missed += shown[y * surface.width + x] != pixel(x, y) ? 1 : 0;
                missedInBands += shownInBands[y * surface.width + x] != pixel(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(missed, 0) << "pixels changed without a report";
        EXPECT_EQ(missedInBands, 0) << "pixels changed outside the rectangles";
        largestTick = std::max(largestTick, changed);
        largestBands = std::max(largestBands, inBands);
    };
    std::vector<headless::Step> steps{headless::Do(replay)};
    for (int tick = 0; tick < 20; ++tick) {
        Append(steps, {headless::AdvanceTimers(1), headless::Do(replay)});
    }
    Append(steps, {headless::Do([&largestTick, &largestBands] {
                       // Of 424,144 pixels; the labels alone cover more than 10,000. The
                       // rectangles take in a little more around the changes, not what lies between
                       // them.
                       EXPECT_GT(largestTick, 0);
                       EXPECT_LT(largestTick, 3000) << largestTick;
                       EXPECT_LT(largestBands, 1500) << largestBands;
                   }),
                   headless::Click(IDC_MODE), headless::Do(replay), headless::AdvanceTimers(5),
                   headless::Do(replay), headless::Click(IDC_ZOOM_OUT), headless::Do(replay),
                   headless::AdvanceTimers(5), headless::Do(replay)});
    // Back in mode 0, each erase after a smaller and then a larger client area still leaves only
    // the current markers, and the changes follow the new sizes.
    const auto onlyCurrentEarth = [] { EXPECT_EQ(CountPixels(EARTH_CYAN), 13 + 13); };
    for (const auto& [width, height] : {std::pair{500, 400}, std::pair{900, 650}}) {
        Append(steps, {headless::Click(IDC_MODE), headless::ResizeClient(width, height),
                       headless::Do(replay), headless::AdvanceTimers(10), headless::Do(replay),
                       headless::Do(onlyCurrentEarth), headless::Click(IDC_MODE),
                       headless::AdvanceTimers(10), headless::Do(replay)});
    }
    steps.push_back(headless::Close());
    RunProgram(std::move(steps));
}

}  // namespace
