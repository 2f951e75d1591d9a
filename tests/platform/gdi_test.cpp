// Device contexts and text: pixels clipped to the client area, DC defaults, colours and the whole
// of code page 932.
#include <gtest/gtest.h>

#include <iconv.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/owned_handles.h"
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

TEST_F(GdiTest, ADeviceContextStartsWithBlackTextOnWhiteAndTakesNewColours) {
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
    // The same text drawn again takes each colour as it is now.
    const auto expectDrawnIn = [&](COLORREF text, COLORREF cell) {
        ASSERT_TRUE(TextOutA(dc, 0, 100, "-", 1));
        int strokes = 0;
        for (int y = 100; y < 116; ++y) {
            for (int x = 0; x < 8; ++x) {
                const COLORREF pixel = headless::Pixel(window, x, y);
                strokes += pixel == text;
                EXPECT_TRUE(pixel == text || pixel == cell) << x << ", " << y;
            }
        }
        EXPECT_EQ(strokes, black);
    };
    EXPECT_EQ(SetTextColor(dc, RED), BLACK);
    expectDrawnIn(RED, WHITE);
    EXPECT_EQ(SetBkColor(dc, GREY), WHITE);
    expectDrawnIn(RED, GREY);
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
    EXPECT_EQ(CellWidth(200), 32);  // the lead byte alone is the full-width default character
    EXPECT_FALSE(TextOutA(dc, 0, 300, "A", -1));
    EXPECT_TRUE(TextOutA(dc, 0, 300, nullptr, 0));
}

TEST_F(GdiTest, InvalidCodePage932BytesDecodeAsWindowsDoes) {
    EXPECT_EQ(standin::DecodeCodePage932("\x8f\xf3\x91\xd4"), "状態");
    EXPECT_EQ(standin::DecodeCodePage932("A\xff"
                                         "B"),
              "A\uF8F3B");
    EXPECT_EQ(standin::DecodeCodePage932("\x82"), "・");
    EXPECT_EQ(standin::DecodeCodePage932(std::string_view("\x81\x8b", 2)), "°");
    SetBkColor(dc, RED);
    // An undefined pair is one full-width default character; a control character is one cell.
    ASSERT_TRUE(TextOutA(dc, 0, 100,
                         "A\x85\x40"
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

// Code page 932 as Windows decodes it, read back as the host shows a button's caption.
class CodePage932Test : public GdiTest {
  protected:
    // The caption of a new button with this text, decoded for the host.
    std::string Shown(const std::string& bytes) {
        HWND button = CreateWindowExA(0, "BUTTON", bytes.c_str(), WS_CHILD, 0, 0, 8, 8, window,
                                      nullptr, nullptr, nullptr);
        const std::string caption = headless::Children(window).back().caption;
        DestroyWindow(button);
        return caption;
    }

    static std::string Utf8(char32_t c) {
        std::string out;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        return out;
    }
};

// Windows' default character for code page 932, "・": what an undefined pair becomes.
const char32_t DEFAULT_CHARACTER = 0x30FB;

bool IsLeadByte(int byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Every byte that is not a lead byte stands alone: ASCII as itself, the half-width katakana at
// U+FF61 on, and the five bytes that the standard leaves open where Windows puts them.
TEST_F(CodePage932Test, EverySingleByteIsTheCharacterWindowsGivesIt) {
    std::string bytes;
    std::string expected;
    for (int byte = 1; byte <= 0xFF; ++byte) {
        if (IsLeadByte(byte)) {
            continue;
        }
        bytes += static_cast<char>(byte);
        char32_t c = static_cast<char32_t>(byte);
        if (byte == 0xA0) {
            c = 0xF8F0;
        } else if (byte >= 0xA1 && byte <= 0xDF) {
            c = 0xFF61 + (byte - 0xA1);
        } else if (byte >= 0xFD) {
            c = 0xF8F1 + (byte - 0xFD);
        }
        expected += Utf8(c);
    }
    EXPECT_EQ(Shown(bytes), expected);
    // A lead byte with nothing after it is the default character.
    EXPECT_EQ(Shown("A\x81"), "A" + Utf8(DEFAULT_CHARACTER));
}

// Every lead byte with every byte after it that is not zero is one character: the one of
// glibc's CP932 table, which is Microsoft's, or the default character where the table has none.
TEST_F(CodePage932Test, EveryDoubleBytePairIsTheTablesCharacterOrTheDefault) {
    const owned::Iconv table = owned::OpenIconv("UTF-8", "CP932");
    ASSERT_NE(table, nullptr);
    const auto lookUp = [&table](char lead, char trail) {
        char in[] = {lead, trail};
        char out[8];
        char* inPointer = in;
        char* outPointer = out;
        std::size_t inLeft = 2;
        std::size_t outLeft = sizeof out;
        iconv(table.get(), nullptr, nullptr, nullptr, nullptr);
        if (iconv(table.get(), &inPointer, &inLeft, &outPointer, &outLeft) ==
                static_cast<std::size_t>(-1) ||
            inLeft != 0) {
            return Utf8(DEFAULT_CHARACTER);
        }
        return std::string(out, outPointer);
    };
    int defined = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(lead)) {
            continue;
        }
        std::string bytes;
        std::string expected;
        for (int trail = 1; trail <= 0xFF; ++trail) {
            bytes += {static_cast<char>(lead), static_cast<char>(trail)};
            const std::string character = lookUp(static_cast<char>(lead), static_cast<char>(trail));
            defined += character != Utf8(DEFAULT_CHARACTER);
            expected += character;
        }
        const std::string shown = Shown(bytes);
        if (shown != expected) {
            // Name the first pair that differs.
            std::size_t at = 0;
            int trail = 1;
            for (; trail <= 0xFF; ++trail) {
                const std::string character =
                    lookUp(static_cast<char>(lead), static_cast<char>(trail));
                if (shown.compare(at, character.size(), character) != 0) {
                    break;
                }
                at += character.size();
            }
            ADD_FAILURE() << std::hex << "lead 0x" << lead << ", trail 0x" << trail << ": shown "
                          << shown.substr(at, 6) << " for " << expected.substr(at, 6);
        }
    }
    // Microsoft's table has 9604 pairs (JIS X 0208, the NEC and IBM rows, the user-defined
    // area), one of which, 0x81 0x45, is the default character itself.
    EXPECT_EQ(defined, 9604 - 1);
}

// TextOutA draws what the caption shows: an undefined pair as the default character "・", which
// is 0x81 0x45 in the code page.
TEST_F(CodePage932Test, TextOutDrawsAnUndefinedPairAsTheDefaultCharacter) {
    ASSERT_TRUE(TextOutA(dc, 0, 100, "\x85\x40", 2));
    ASSERT_TRUE(TextOutA(dc, 0, 200, "\x81\x45", 2));
    ASSERT_TRUE(TextOutA(dc, 0, 300, "\x82\xa0", 2));  // あ, to show that glyphs differ at all
    int differences = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            EXPECT_EQ(headless::Pixel(window, x, 100 + y), headless::Pixel(window, x, 200 + y))
                << x << ", " << y;
            differences +=
                headless::Pixel(window, x, 300 + y) != headless::Pixel(window, x, 200 + y);
        }
    }
    EXPECT_GT(differences, 0);
}

}  // namespace
