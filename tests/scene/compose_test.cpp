// Tests of the scene composition: the estimated date, the texts and the positions.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "ephemeris/ephemeris.h"
#include "scene/fixed_format.h"
#include "scene/scene.h"
#include "scene/texts.h"
#include "shell/shell.h"
#include "tests/support/code_page_932.h"

namespace {

constexpr double CLOCK_DAYS_PER_CENTURY = 36524.219;  // how the shell advances the clock
constexpr double DATE_DAYS_PER_CENTURY = 36524.29;    // how the date estimate reads it

using test_support::DecodeCp932;

std::string StatusAt(double T, ViewSettings settings) {
    return DecodeCp932(ComposeScene(T, settings).statusText);
}

// The smallest T whose day count for the date estimate reaches `days`.
double TimeForDays(double days) {
    double T = days / DATE_DAYS_PER_CENTURY;
    while (T * DATE_DAYS_PER_CENTURY < days) {
        T = std::nextafter(T, INFINITY);
    }
    while (std::nextafter(T, -INFINITY) * DATE_DAYS_PER_CENTURY >= days) {
        T = std::nextafter(T, -INFINITY);
    }
    return T;
}

struct StatusDate {
    int year;
    int month;
    int day;
};

// Reads year, month and day back from a status text.
StatusDate ParseDate(const char* statusText) {
    StatusDate date{0, 0, 0};
    const int fields =
        std::sscanf(statusText, "\x95\xbd\x8b\xcf\x8co\x89\xdf\x8e\x9e\x8a\xd4%d\x94N%d\x8c\x8e%d",
                    &date.year, &date.month, &date.day);
    EXPECT_EQ(fields, 3) << statusText;
    return date;
}

TEST(SceneTexts, FixedTextsHaveTheirExactBytes) {
    const SceneSnapshot snapshot = ComposeScene(0.0, START_SETTINGS);
    const char names[] =
        "\x91\xbe\x97z\x81@\x81@\x90\x85\x90\xaf\x81@\x81@\x8b\xe0\x90\xaf\x81@\x81@\x92n\x8b"
        "\x85\x81@\x81@\x89\xce\x90\xaf\x81@\x81@\x96\xd8\x90\xaf\x81@\x81@\x93y\x90\xaf";
    ASSERT_EQ(std::strlen(snapshot.namesLabel), 52u);
    EXPECT_EQ(std::memcmp(snapshot.namesLabel, names, sizeof names), 0);
    ASSERT_EQ(std::strlen(snapshot.equinoxLabel), 11u);
    EXPECT_EQ(std::memcmp(snapshot.equinoxLabel, "\x8ft\x95\xaa\x93_---\x81\x84", 12), 0);
    ASSERT_EQ(std::strlen(snapshot.longitudeLabel), 4u);
    EXPECT_EQ(std::memcmp(snapshot.longitudeLabel, "90\x81\x8b", 5), 0);
}

TEST(SceneTexts, TextsDecodeToTheirJapanese) {
    const SceneSnapshot snapshot = ComposeScene(0.0, START_SETTINGS);
    EXPECT_EQ(DecodeCp932(snapshot.namesLabel),
              "太陽　　水星　　金星　　地球　　火星　　木星　　土星");
    EXPECT_EQ(DecodeCp932(snapshot.equinoxLabel), "春分点---＞");
    EXPECT_EQ(DecodeCp932(snapshot.longitudeLabel), "90°");
    EXPECT_EQ(DecodeCp932(STATUS_TEXT_FORMAT),
              "平均経過時間%4d年%2d月%2d日：描画間隔%s日、大きさ%d");
    EXPECT_EQ(std::strlen(STATUS_TEXT_FORMAT), 51u);
}

TEST(SceneStatusText, ShowsTheEstimatedDateIntervalAndSize) {
    EXPECT_EQ(StatusAt(0.0, START_SETTINGS),
              "平均経過時間1950年 1月 1日：描画間隔1.00日、大きさ250");
    // What the year-2000 command sets: 18262.0355 days.
    EXPECT_EQ(StatusAt(0.4999970019892828, START_SETTINGS),
              "平均経過時間2000年 1月 1日：描画間隔1.00日、大きさ250");
    // One animation step of one day from the start: 1.0000019 days.
    EXPECT_EQ(StatusAt(1.0 / CLOCK_DAYS_PER_CENTURY, START_SETTINGS),
              "平均経過時間1950年 1月 2日：描画間隔1.00日、大きさ250");
    // The last time that the clock keeps before it falls back to 1950.
    EXPECT_EQ(StatusAt(54786.0 / CLOCK_DAYS_PER_CENTURY, START_SETTINGS),
              "平均経過時間2100年 1月 1日：描画間隔1.00日、大きさ250");
    // The status text at the start, byte for byte.
    EXPECT_STREQ(ComposeScene(0.0, START_SETTINGS).statusText,
                 "\x95\xbd\x8b\xcf\x8co\x89\xdf\x8e\x9e\x8a\xd4"
                 "1950\x94N 1\x8c\x8e 1\x93\xfa\x81"
                 "F\x95`\x89\xe6\x8a\xd4\x8au"
                 "1.00\x93\xfa\x81"
                 "A\x91\xe5\x82\xab\x82\xb3"
                 "250");
}

TEST(SceneStatusText, MonthAndDayAtTheirBoundaries) {
    struct Case {
        double days;
        int month;
        int day;
    };
    // The month follows the whole days and the day the fractional ones, so
    // day 30.5 is already past 30.4366 while the month stays at 1.
    const Case cases[] = {
        {0.0, 1, 1},     {0.9, 1, 1},    {1.0, 1, 2},   {30.4, 1, 31}, {30.5, 1, 1},
        {31.0, 2, 1},    {59.5, 2, 30},  {60.8, 2, 31}, {60.9, 2, 1},  {61.0, 3, 1},
        {365.2, 12, 31}, {365.24, 1, 1}, {730.5, 1, 1},
    };
    for (const Case& c : cases) {
        const double T = TimeForDays(c.days);
        const StatusDate date = ParseDate(ComposeScene(T, START_SETTINGS).statusText);
        EXPECT_EQ(date.month, c.month) << "days " << c.days;
        EXPECT_EQ(date.day, c.day) << "days " << c.days;
    }
}

TEST(SceneStatusText, EveryClockStepGivesAPlausibleDate) {
    int previousYear = 1950;
    for (int step = 0; step <= 54786; ++step) {
        const double T = step / CLOCK_DAYS_PER_CENTURY;
        const StatusDate date = ParseDate(ComposeScene(T, START_SETTINGS).statusText);
        ASSERT_GE(date.month, 1) << "step " << step;
        ASSERT_LE(date.month, 12) << "step " << step;
        ASSERT_GE(date.day, 1) << "step " << step;
        ASSERT_LE(date.day, 31) << "step " << step;
        ASSERT_TRUE(date.year == previousYear || date.year == previousYear + 1) << "step " << step;
        previousYear = date.year;
    }
    EXPECT_EQ(previousYear, 2100);
}

TEST(SceneStatusText, IntervalsRoundHalfUpAndSizesPrintPlain) {
    const char* expected[] = {"0.01", "0.02", "0.03", "0.06",  "0.13",  "0.25",  "0.50",  "1.00",
                              "2.00", "4.00", "8.00", "16.00", "32.00", "64.00", "128.00"};
    double interval = 1.0 / 128.0;
    for (const char* text : expected) {
        EXPECT_EQ(StatusAt(0.0, {interval, 250, 0}),
                  std::string("平均経過時間1950年 1月 1日：描画間隔") + text + "日、大きさ250")
            << "interval " << interval;
        interval *= 2.0;
    }
    EXPECT_EQ(StatusAt(0.0, {1.0, 2, 0}), "平均経過時間1950年 1月 1日：描画間隔1.00日、大きさ2");
    EXPECT_EQ(StatusAt(0.0, {1.0, 748, 1}),
              "平均経過時間1950年 1月 1日：描画間隔1.00日、大きさ748");
    // The longest text that the shell's settings allow: 55 bytes.
    EXPECT_EQ(
        std::strlen(ComposeScene(54786.0 / CLOCK_DAYS_PER_CENTURY, {128.0, 748, 1}).statusText),
        55u);
}

TEST(SceneStatusText, ExtremeInputsStayWithinTheBuffer) {
    // A 304-character interval is cut at the buffer's 99th byte.
    const char* huge = ComposeScene(0.0, {1e300, INT_MIN, 0}).statusText;
    EXPECT_EQ(std::strlen(huge), 99u);
    EXPECT_EQ(DecodeCp932(huge), "平均経過時間1950年 1月 1日：描画間隔1" + std::string(15, '0') +
                                     "1" + std::string(46, '0'));
    EXPECT_EQ(std::strlen(ComposeScene(0.0, {-DBL_MAX, INT_MIN, 0}).statusText), 99u);

    // An interval of 62 characters puts the cut between the two bytes of the
    // following 日; the lone lead byte is dropped so the text still decodes.
    char interval[128];
    ASSERT_EQ(FormatFixedHalfUp(interval, sizeof interval, 2e58, 2), 62);
    const char* split = ComposeScene(0.0, {2e58, 250, 0}).statusText;
    EXPECT_EQ(std::strlen(split), 98u);
    EXPECT_EQ(DecodeCp932(split), std::string("平均経過時間1950年 1月 1日：描画間隔") + interval);

    EXPECT_EQ(StatusAt(0.0, {1.0, INT_MIN, 0}),
              "平均経過時間1950年 1月 1日：描画間隔1.00日、大きさ-2147483648");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(StatusAt(0.0, {nan, 250, 0}), "平均経過時間1950年 1月 1日：描画間隔nan日、大きさ250");
    EXPECT_EQ(StatusAt(0.0, {-0.001, 250, 0}),
              "平均経過時間1950年 1月 1日：描画間隔-0.00日、大きさ250");
}

TEST(SceneStatusText, TimesBeyondTheClockGiveDefinedDates) {
    // Years beyond the 32-bit range saturate rather than overflow.
    EXPECT_EQ(ParseDate(ComposeScene(1e12, START_SETTINGS).statusText).year, INT_MAX);
    EXPECT_EQ(ParseDate(ComposeScene(-1e12, START_SETTINGS).statusText).year, INT_MIN + 1950);
    EXPECT_EQ(ParseDate(ComposeScene(1e300, START_SETTINGS).statusText).year, INT_MAX);
    // A time that is not a number, or infinite, reads as the start date.
    const double infinity = std::numeric_limits<double>::infinity();
    for (double T : {std::numeric_limits<double>::quiet_NaN(), infinity, -infinity}) {
        const StatusDate date = ParseDate(ComposeScene(T, START_SETTINGS).statusText);
        EXPECT_EQ(date.month, 1) << "T " << T;
        EXPECT_EQ(date.day, 1) << "T " << T;
    }
    // Before 1950 the estimate counts backwards: the remainders stay negative.
    const StatusDate before =
        ParseDate(ComposeScene(TimeForDays(-400.0), START_SETTINGS).statusText);
    EXPECT_EQ(before.year, 1949);
    EXPECT_EQ(before.month, 0);
    EXPECT_EQ(before.day, -3);
}

void ExpectPositionsAt(const SceneSnapshot& snapshot, double T) {
    OrbitElements elements{};
    const EclipticPosition expected[PLANET_COUNT] = {
        MercuryPosition(elements, T), VenusPosition(elements, T),   EarthPosition(elements, T),
        MarsPosition(elements, T),    JupiterPosition(elements, T), SaturnPosition(elements, T),
    };
    for (int planet = MERCURY; planet < PLANET_COUNT; ++planet) {
        // Bit for bit: the same operations on the same time.
        EXPECT_EQ(std::memcmp(&snapshot.positions[planet].x, &expected[planet].x, sizeof(double)),
                  0)
            << "planet " << planet << " at T " << T;
        EXPECT_EQ(std::memcmp(&snapshot.positions[planet].y, &expected[planet].y, sizeof(double)),
                  0)
            << "planet " << planet << " at T " << T;
    }
}

TEST(ScenePositions, AreTheEphemerisXAndYInPlanetOrder) {
    for (double T : {0.0, 0.4999970019892828, 1.0 / CLOCK_DAYS_PER_CENTURY, 0.75,
                     54786.0 / CLOCK_DAYS_PER_CENTURY}) {
        ExpectPositionsAt(ComposeScene(T, START_SETTINGS), T);
    }
    // The view settings move no planet.
    ExpectPositionsAt(ComposeScene(0.25, {128.0, 2, 1}), 0.25);
}

TEST(SceneSnapshots, SameInputsGiveIdenticalSnapshots) {
    const SceneSnapshot first = ComposeScene(0.3, {0.125, 64, 1});
    const std::string firstStatus = first.statusText;
    const SceneSnapshot second = ComposeScene(0.3, {0.125, 64, 1});
    EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
    EXPECT_EQ(firstStatus, second.statusText);
}

TEST(SceneSnapshots, AnOlderSnapshotShowsTheLatestTextsWithItsOwnPositions) {
    const SceneSnapshot older = ComposeScene(0.0, START_SETTINGS);
    const SceneSnapshot newer = ComposeScene(0.4999970019892828, {2.0, 500, 1});
    // The texts live in the scene's buffers, which the latest composition rewrote.
    EXPECT_EQ(older.statusText, newer.statusText);
    EXPECT_EQ(older.namesLabel, newer.namesLabel);
    EXPECT_EQ(older.equinoxLabel, newer.equinoxLabel);
    EXPECT_EQ(older.longitudeLabel, newer.longitudeLabel);
    EXPECT_EQ(DecodeCp932(older.statusText),
              "平均経過時間2000年 1月 1日：描画間隔2.00日、大きさ500");
    ExpectPositionsAt(older, 0.0);
    ExpectPositionsAt(newer, 0.4999970019892828);
}

}  // namespace
