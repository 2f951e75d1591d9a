// A fixture that runs the real program on the headless host, and what its tests read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "ephemeris/ephemeris.h"
#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "shell/shell.h"

// Colours of the picture, as a user sees them.
inline constexpr COLORREF BACKGROUND = RGB(64, 64, 64);
inline constexpr COLORREF SUN_RED = RGB(255, 0, 0);
inline constexpr COLORREF EARTH_CYAN = RGB(0, 255, 255);

// Each test starts a fresh process image: a new stand-in and a view state zero at load.
class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset();
        viewState = ViewState{};
    }

    // Runs the program with the given steps and expects it to take every one of them, to
    // refuse only the inputs that the test means it to, and to end with exit code 0: a run that
    // ended early never ran the checks after its end.
    static void RunProgram(std::vector<headless::Step> steps, int refusedInputs = 0) {
        headless::Script(std::move(steps));
        EXPECT_EQ(headless::RunWinMain(), 0);
        EXPECT_FALSE(headless::ScriptRanOut());
        EXPECT_EQ(headless::StepsLeft(), 0u) << headless::ScriptProblem();
        EXPECT_EQ(headless::RefusedInputs(), refusedInputs) << headless::ScriptProblem();
    }

    // Steps that press one button several times.
    static std::vector<headless::Step> Press(int button, int times) {
        std::vector<headless::Step> steps;
        for (int i = 0; i < times; ++i) {
            steps.push_back(headless::Click(button));
        }
        return steps;
    }

    static void Append(std::vector<headless::Step>& steps, std::vector<headless::Step> more) {
        for (headless::Step& step : more) {
            steps.push_back(std::move(step));
        }
    }
};

// Every pixel of a client area, row by row.
inline std::vector<COLORREF> ClientPixels(HWND window, int width, int height) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(headless::Pixel(window, x, y));
        }
    }
    return pixels;
}

// How many pixels of the main window's client area have exactly this colour.
inline int CountPixels(COLORREF colour) {
    const std::vector<COLORREF> pixels =
        ClientPixels(headless::MainWindow(), viewState.clientWidth, viewState.clientHeight);
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), colour));
}

// Where the Earth's marker centre should be for the current clock and view.
inline POINT EarthPixel() {
    OrbitElements elements;
    EclipticPosition earth = EarthPosition(elements, viewState.elapsed);
    const int cx = viewState.clientWidth / 2;
    const int cy = viewState.clientHeight / 2 + 20;
    const double size = viewState.settings.size;
    return POINT{static_cast<LONG>(size * earth.x + cx), static_cast<LONG>(size * earth.y + cy)};
}

// Whether a full 13-pixel marker of this colour is centred at (x, y).
inline bool FullMarkerAt(int x, int y, COLORREF colour) {
    HWND window = headless::MainWindow();
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            if (headless::Pixel(window, x + i, y + j) != colour) {
                return false;
            }
        }
    }
    return headless::Pixel(window, x + 2, y) == colour &&
           headless::Pixel(window, x - 2, y) == colour &&
           headless::Pixel(window, x, y + 2) == colour &&
           headless::Pixel(window, x, y - 2) == colour;
}
