// Scene drawing on a headless client surface of 784 by 541: positions, markers, colours, clipping.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/headless/headless.h"
#include "scene/scene.h"
#include "scene/texts.h"

namespace {

constexpr int WIDTH = 784;
constexpr int HEIGHT = 541;
constexpr int BLACK_BRUSH_INDEX = 4;  // GetStockObject's black brush, so text cells show
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF TEXT_CELL = RGB(64, 64, 64);
constexpr COLORREF SUN = RGB(255, 0, 0);
constexpr COLORREF MERCURY_COLOUR = RGB(0, 255, 0);
constexpr COLORREF VENUS_COLOUR = RGB(255, 255, 0);
constexpr COLORREF EARTH_COLOUR = RGB(0, 255, 255);
constexpr COLORREF MARS_COLOUR = RGB(255, 128, 0);
constexpr COLORREF JUPITER_COLOUR = RGB(255, 0, 255);
constexpr COLORREF SATURN_COLOUR = RGB(169, 169, 169);
const double FAR_AWAY = 1.0e6;  // AU: off every client area at any size

struct Rectangle {
    int left;
    int top;
    int right;
    int bottom;
};

class DrawSceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset();
        window = headless::CreatePlainWindow(BLACK_BRUSH_INDEX);
        dc = GetDC(window);
        // Every planet far away unless a test puts it somewhere.
        snapshot.statusText = "status";
        snapshot.namesLabel = NAMES_LABEL_TEXT;
        snapshot.equinoxLabel = EQUINOX_LABEL_TEXT;
        snapshot.longitudeLabel = LONGITUDE_LABEL_TEXT;
        for (PlanetPoint& position : snapshot.positions) {
            position = PlanetPoint{FAR_AWAY, FAR_AWAY};
        }
    }
    void TearDown() override { ReleaseDC(window, dc); }

    void Draw(int mode = 0, int size = 250, int width = WIDTH, int height = HEIGHT) {
        DrawScene(dc, snapshot, ViewSettings{1.0, size, mode}, width, height);
    }

    COLORREF At(int x, int y) const { return headless::Pixel(window, x, y); }

    int Count(COLORREF colour, Rectangle area) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                count += At(x, y) == colour;
            }
        }
        return count;
    }

    // The pixels of a full marker at (x, y) all have the colour.
    void ExpectFullMarker(int x, int y, COLORREF colour) const {
        SCOPED_TRACE(::testing::Message() << "marker at (" << x << ", " << y << ")");
        for (int j = -1; j <= 1; ++j) {
            for (int i = -1; i <= 1; ++i) {
                EXPECT_EQ(At(x + i, y + j), colour);
            }
        }
        EXPECT_EQ(At(x + 2, y), colour);
        EXPECT_EQ(At(x - 2, y), colour);
        EXPECT_EQ(At(x, y + 2), colour);
        EXPECT_EQ(At(x, y - 2), colour);
    }

    std::vector<COLORREF> Picture() const {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < HEIGHT; ++y) {
            for (int x = 0; x < WIDTH; ++x) {
                pixels.push_back(At(x, y));
            }
        }
        return pixels;
    }

    HWND window = nullptr;
    HDC dc = nullptr;
    SceneSnapshot snapshot{};
};

TEST_F(DrawSceneTest, TheSunAndTheLabelsStandWhereTheClientSizeSays) {
    Draw();
    ExpectFullMarker(392, 290, SUN);
    EXPECT_EQ(At(395, 290), BLACK);  // no pixel beyond the arm
    // Each text's cell starts at its top-left corner: the equinox label at (684, 281), the
    // longitude label at (382, 501), the status text at (310, 10), the names at (20, 30).
    const POINT corners[] = {{684, 281}, {382, 501}, {310, 10}, {20, 30}};
    for (const POINT& corner : corners) {
        SCOPED_TRACE(::testing::Message() << "text at (" << corner.x << ", " << corner.y << ")");
        EXPECT_NE(At(corner.x, corner.y), BLACK);
        EXPECT_EQ(At(corner.x - 1, corner.y), BLACK);
        EXPECT_EQ(At(corner.x, corner.y - 1), BLACK);
    }
    EXPECT_GT(Count(TEXT_CELL, {684, 281, 784, 297}), 0);
}

TEST_F(DrawSceneTest, PlanetsStandAtSizeTimesTheirCoordinatesFromTheSun) {
    snapshot.positions[MERCURY] = {1.0, 0.0};
    snapshot.positions[VENUS] = {0.0, 1.0};
    snapshot.positions[EARTH] = {-1.0, 0.0};
    Draw();
    ExpectFullMarker(642, 290, MERCURY_COLOUR);
    ExpectFullMarker(142, 290, EARTH_COLOUR);
    // Venus sits on the bottom row: the part below the client area is clipped.
    EXPECT_EQ(At(392, 540), VENUS_COLOUR);
    EXPECT_EQ(At(391, 539), VENUS_COLOUR);
    EXPECT_EQ(At(392, 538), VENUS_COLOUR);
    EXPECT_EQ(Count(VENUS_COLOUR, {0, 100, WIDTH, HEIGHT}), 9);  // 13 less the 4 below the edge
}

TEST_F(DrawSceneTest, TheSumIsTruncatedTowardZeroNotTheProduct) {
    // With cx = 0, x = -0.001 gives -0.25, which is column 0, not -1: the small marker there
    // covers column 1 of the Sun's block too, which a marker at -1 would leave red.
    snapshot.positions[MERCURY] = {-0.001, 0.0};
    Draw(1, 250, 1, HEIGHT);
    EXPECT_EQ(At(0, 290), MERCURY_COLOUR);
    EXPECT_EQ(At(1, 290), MERCURY_COLOUR);
    EXPECT_EQ(At(2, 290), SUN);  // the Sun's arm
}

TEST_F(DrawSceneTest, ModeOneDrawsPlanetsSmallButTheSunAndLegendFull) {
    snapshot.positions[MARS] = {0.5, 0.5};  // at (517, 415)
    Draw(1);
    EXPECT_EQ(Count(MARS_COLOUR, {500, 400, 540, 430}), 9);
    EXPECT_EQ(Count(SUN, {380, 280, 404, 300}), 13);
    ExpectFullMarker(268, 38, MARS_COLOUR);
    ReleaseDC(window, dc);
    SetUp();
    snapshot.positions[MARS] = {0.5, 0.5};
    Draw(0);
    EXPECT_EQ(Count(MARS_COLOUR, {500, 400, 540, 430}), 13);
}

TEST_F(DrawSceneTest, EveryLegendMarkerHasItsColourOverTheNamesLabel) {
    Draw();
    ExpectFullMarker(15, 38, SUN);
    ExpectFullMarker(77, 38, MERCURY_COLOUR);
    ExpectFullMarker(139, 38, VENUS_COLOUR);
    ExpectFullMarker(202, 38, EARTH_COLOUR);
    ExpectFullMarker(268, 38, MARS_COLOUR);
    ExpectFullMarker(332, 38, JUPITER_COLOUR);
    ExpectFullMarker(396, 38, SATURN_COLOUR);
}

TEST_F(DrawSceneTest, PlanetsCoverTheSunAndLaterPlanetsCoverEarlierOnes) {
    snapshot.positions[EARTH] = {0.0, 0.0};
    snapshot.positions[SATURN] = {0.0, 0.0};
    Draw(1);
    // Saturn, drawn last, takes the block; the Sun keeps only its arms.
    EXPECT_EQ(Count(SATURN_COLOUR, {380, 280, 404, 300}), 9);
    EXPECT_EQ(Count(SUN, {380, 280, 404, 300}), 4);
    EXPECT_EQ(Count(EARTH_COLOUR, {380, 280, 404, 300}), 0);
}

TEST_F(DrawSceneTest, DrawingTwiceChangesNothing) {
    snapshot.positions[JUPITER] = {0.3, -0.2};
    Draw();
    const std::vector<COLORREF> once = Picture();
    Draw();
    EXPECT_EQ(Picture(), once);
}

TEST_F(DrawSceneTest, MarkersAreClippedAtEveryEdge) {
    // Centres on the four edges: x 0 and 783 at the Sun's row, y 0 and 540 at its column.
    snapshot.positions[MERCURY] = {-392.0 / 250, 0.0};
    snapshot.positions[VENUS] = {391.0 / 250, 0.0};
    snapshot.positions[EARTH] = {0.0, -290.0 / 250};
    snapshot.positions[MARS] = {0.0, 250.0 / 250};
    Draw();
    const Rectangle all{0, 60, WIDTH, HEIGHT};
    EXPECT_EQ(At(0, 290), MERCURY_COLOUR);
    EXPECT_EQ(Count(MERCURY_COLOUR, all), 9);  // 13 less the 4 beyond the edge
    EXPECT_EQ(At(783, 290), VENUS_COLOUR);
    EXPECT_EQ(Count(VENUS_COLOUR, all), 9);
    EXPECT_EQ(At(392, 0), EARTH_COLOUR);
    EXPECT_EQ(Count(EARTH_COLOUR, {0, 0, WIDTH, 2}), 8);  // two rows of it; the legend is lower
    EXPECT_EQ(At(392, 540), MARS_COLOUR);
    EXPECT_EQ(Count(MARS_COLOUR, all), 9);
}

TEST_F(DrawSceneTest, APlanetWithoutARepresentablePixelIsNotDrawn) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    snapshot.positions[MERCURY] = {nan, 0.0};
    snapshot.positions[VENUS] = {0.0, infinity};
    snapshot.positions[EARTH] = {-infinity, 0.0};
    snapshot.positions[MARS] = {1.0e300, 1.0e300};
    snapshot.positions[JUPITER] = {0.0, -1.0e12};
    Draw();
    const Rectangle belowLegend{0, 60, WIDTH, HEIGHT};
    for (COLORREF colour :
         {MERCURY_COLOUR, VENUS_COLOUR, EARTH_COLOUR, MARS_COLOUR, JUPITER_COLOUR, SATURN_COLOUR}) {
        EXPECT_EQ(Count(colour, belowLegend), 0) << std::hex << colour;
    }
    ExpectFullMarker(392, 290, SUN);
}

// Just inside the integers: a centre at the largest column has no visible pixel, and its
// marker's arm must not overflow on the way to the clip (the sanitizer build checks that).
TEST_F(DrawSceneTest, APlanetAtTheLargestColumnIsNotDrawnAndOverflowsNothing) {
    snapshot.positions[SATURN] = {(2147483647.0 - 392.0) / 250, 0.0};
    snapshot.positions[JUPITER] = {(-2147483648.0 - 392.0) / 250, 0.0};
    Draw();
    EXPECT_EQ(Count(SATURN_COLOUR, {0, 60, WIDTH, HEIGHT}), 0);
    EXPECT_EQ(Count(JUPITER_COLOUR, {0, 60, WIDTH, HEIGHT}), 0);
}

}  // namespace
