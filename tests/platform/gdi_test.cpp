// Device contexts and text: pixels clipped to the client area, DC defaults, colours and the whole
// of code page 932.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

#include "tests/platform/test_window.h"

namespace {

using namespace platform_test;

constexpr int WIDTH = 784;
constexpr int HEIGHT = 541;
constexpr COLORREF RED = RGB(255, 0, 0);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF GREY = RGB(64, 64, 64);

class GdiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetWithTestClass();
        window = CreateTestWindow();
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);  // the client area is now dark grey
        dc = GetDC(window);
    }
    void TearDown() override { ReleaseDC(window, dc); }

    // The width of the text cell drawn at the start of row y: pixels that differ from the grey.
    int CellWidth(int y) {
        int width = 0;
        while (width < WIDTH && headless::Pixel(window, width, y) != GREY) {
            ++width;
        }
        return width;
    }

    HWND window = nullptr;
    HDC dc = nullptr;
};

TEST_F(GdiTest, SetPixelDrawsInsideAndClipsAtEveryEdge) {
    struct Case {
        int x;
        int y;
        bool inside;
    };
    const Case cases[] = {
        {0, 0, true},
        {WIDTH - 1, 0, true},
        {0, HEIGHT - 1, true},
        {WIDTH - 1, HEIGHT - 1, true},
        {-1, 10, false},
        {WIDTH, 10, false},
        {10, -1, false},
        {10, HEIGHT, false},
        {-2147483647 - 1, 0, false},
        {2147483647, 2147483647, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "(" << c.x << ", " << c.y << ")");
        EXPECT_EQ(SetPixel(dc, c.x, c.y, RED), c.inside ? RED : CLR_INVALID);
        if (c.inside) {
            EXPECT_EQ(headless::Pixel(window, c.x, c.y), RED);
        }
    }
    // Nothing outside touched its neighbours inside the edge.
    EXPECT_EQ(headless::Pixel(window, 0, 10), GREY);
    EXPECT_EQ(headless::Pixel(window, WIDTH - 1, 10), GREY);
    EXPECT_EQ(headless::Pixel(window, 10, 0), GREY);
    EXPECT_EQ(headless::Pixel(window, 10, HEIGHT - 1), GREY);
}

TEST_F(GdiTest, ABadDeviceContextFailsQuietly) {
    HDC released = GetDC(window);
    ReleaseDC(window, released);
    EXPECT_EQ(SetPixel(released, 1, 1, RED), CLR_INVALID);
    EXPECT_FALSE(TextOutA(released, 1, 1, "A", 1));
    EXPECT_EQ(SetBkColor(nullptr, RED), CLR_INVALID);
}

TEST_F(GdiTest, ADeviceContextStartsWithBlackTextOnAnOpaqueWhiteCell) {
    ASSERT_TRUE(TextOutA(dc, 0, 100, "-", 1));
    // A hyphen leaves most of its cell as background and draws its stroke in the text colour.
    int white = 0;
    int black = 0;
    for (int y = 100; y < 116; ++y) {
        for (int x = 0; x < 8; ++x) {
            const COLORREF pixel = headless::Pixel(window, x, y);
            white += pixel == WHITE;
            black += pixel == BLACK;
            EXPECT_TRUE(pixel == WHITE || pixel == BLACK) << x << ", " << y;
        }
    }
    EXPECT_GT(white, 0);
    EXPECT_GT(black, 0);
    EXPECT_EQ(SetBkColor(dc, GREY), WHITE);
    EXPECT_EQ(SetTextColor(dc, WHITE), BLACK);
}

TEST_F(GdiTest, HalfWidthCellsAreEightPixelsAndFullWidthSixteen) {
    SetBkColor(dc, RED);
    ASSERT_TRUE(TextOutA(dc, 0, 100, "MODE", 4));
    EXPECT_EQ(CellWidth(100), 32);
    ASSERT_TRUE(TextOutA(dc, 0, 200, "\x97\xa3\x82\xea\x82\xe9", 6));  // 離れる
    EXPECT_EQ(CellWidth(200), 48);
    // The cell's top-left corner is the given point.
    EXPECT_EQ(headless::Pixel(window, 0, 99), GREY);
    EXPECT_NE(headless::Pixel(window, 0, 100), GREY);
}

TEST_F(GdiTest, TextOutUsesTheGivenLengthOnlyAndNeverReadsPastIt) {
    SetBkColor(dc, RED);
    ASSERT_TRUE(TextOutA(dc, 0, 100, "ABCDEF", 2));
    EXPECT_EQ(CellWidth(100), 16);
    // A buffer with no terminating zero, exactly as long as the length: the sanitizer build
    // would catch any read beyond it.
    auto bytes = std::make_unique<char[]>(3);
    bytes[0] = 'A';
    bytes[1] = 'B';
    bytes[2] = '\x82';  // the lead byte of a double-byte character, cut off by the length
    ASSERT_TRUE(TextOutA(dc, 0, 200, bytes.get(), 3));
    EXPECT_EQ(CellWidth(200), 24);
    EXPECT_FALSE(TextOutA(dc, 0, 300, "A", -1));
    EXPECT_TRUE(TextOutA(dc, 0, 300, nullptr, 0));
}

TEST_F(GdiTest, InvalidCodePage932BytesBecomeReplacementGlyphs) {
    EXPECT_EQ(standin::DecodeCodePage932("\x8f\xf3\x91\xd4"), "状態");
    EXPECT_EQ(standin::DecodeCodePage932("A\xff"
                                         "B"),
              "A･B");
    EXPECT_EQ(standin::DecodeCodePage932("\x82"), "･");
    EXPECT_EQ(standin::DecodeCodePage932(std::string_view("\x81\x8b", 2)), "°");
    SetBkColor(dc, RED);
    ASSERT_TRUE(TextOutA(dc, 0, 100,
                         "A\xff\xfe"
                         "B\n",
                         5));
    EXPECT_EQ(CellWidth(100), 40);
}

TEST_F(GdiTest, TextIsClippedToTheClientArea) {
    SetBkColor(dc, RED);
    ASSERT_TRUE(TextOutA(dc, WIDTH - 4, HEIGHT - 4, "AB", 2));
    EXPECT_EQ(headless::Pixel(window, WIDTH - 1, HEIGHT - 1) == GREY, false);
    ASSERT_TRUE(TextOutA(dc, -2147483647 - 1, 2147483647, "AB", 2));
    ASSERT_TRUE(TextOutA(dc, -4, -4, "AB", 2));
    EXPECT_NE(headless::Pixel(window, 0, 0), GREY);
}

TEST_F(GdiTest, TheScreenshotShowsTheClientAreaWithItsControls) {
    CreateWindowExA(0, "BUTTON", "MODE", WS_CHILD | WS_VISIBLE, 1, 1, 50, 25, window,
                    reinterpret_cast<HMENU>(std::uintptr_t{103}), nullptr, nullptr);
    const std::string path = ::testing::TempDir() + "platform_screenshot.png";
    ASSERT_TRUE(headless::WriteScreenshot(window, path.c_str()));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::array<unsigned char, 8> signature{};
    EXPECT_EQ(std::fread(signature.data(), 1, signature.size(), file), signature.size());
    std::fclose(file);
    EXPECT_EQ(signature[1], 'P');
    EXPECT_EQ(signature[2], 'N');
    EXPECT_EQ(signature[3], 'G');
    std::remove(path.c_str());
    // The client surface itself is untouched by the controls drawn on the picture.
    EXPECT_EQ(headless::Pixel(window, 10, 10), GREY);
}

TEST_F(GdiTest, ColoursReturnThePreviousOneAndAChildDrawsInItsOwnClientArea) {
    EXPECT_EQ(SetTextColor(dc, RED), BLACK);
    EXPECT_EQ(SetTextColor(dc, WHITE), RED);
    EXPECT_EQ(SetBkColor(dc, RED), WHITE);
    EXPECT_EQ(SetBkColor(dc, GREY), RED);
    HWND child = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 10, 20, 5, 5, window,
                                 nullptr, nullptr, nullptr);
    HDC childDc = GetDC(child);
    EXPECT_EQ(SetPixel(childDc, 0, 0, RED), RED);
    EXPECT_EQ(SetPixel(childDc, 5, 0, RED), CLR_INVALID);
    EXPECT_EQ(ReleaseDC(child, childDc), 1);
    EXPECT_EQ(headless::Pixel(window, 10, 20), RED);
    EXPECT_EQ(headless::Pixel(window, 15, 20), GREY);
}

}  // namespace
