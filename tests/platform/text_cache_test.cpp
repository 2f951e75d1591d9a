// TextOutA places texts rendered once as runs of pixels; what it draws must be what Pango and
// cairo draw directly.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include <pango/pangocairo.h>

#include "platform/owned_handles.h"
#include "platform/standin/standin.h"
#include "platform/standin/text_renderer.h"
#include "tests/platform/test_window.h"

namespace {

using namespace platform_test;

constexpr int WIDTH = 784;
constexpr int HEIGHT = 541;

// The texts are white on a dark cell.
constexpr COLORREF TEXT_COLOUR = RGB(255, 255, 255);
constexpr COLORREF CELL_COLOUR = RGB(10, 20, 30);

// The reference: the same text laid out by Pango in Windows' default font, a 16-pixel Japanese
// Gothic, and drawn by cairo straight onto an image of the client area, clipped to it, on the
// same grey; without the pixel of the test window's paint mark at (0, 0), as ClientPicture.
std::vector<std::uint32_t> DirectPicture(int x, int y, std::string_view bytes) {
    const owned::CairoSurface image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, WIDTH, HEIGHT));
    const owned::Cairo cairo(cairo_create(image.get()));
    const auto source = [&cairo](COLORREF colour) {
        cairo_set_source_rgb(cairo.get(), GetRValue(colour) / 255.0, GetGValue(colour) / 255.0,
                             GetBValue(colour) / 255.0);
    };
    source(RGB(64, 64, 64));
    cairo_paint(cairo.get());
    const owned::CairoFontOptions options(cairo_font_options_create());
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_ON);
    const owned::GObject<PangoLayout> layout(pango_cairo_create_layout(cairo.get()));
    pango_cairo_context_set_font_options(pango_layout_get_context(layout.get()), options.get());
    const owned::FontDescription font(pango_font_description_from_string("IPAGothic"));
    pango_font_description_set_absolute_size(font.get(), 16 * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), font.get());
    const std::string utf8 = standin::DrawableText(bytes);
    pango_layout_set_text(layout.get(), utf8.data(), static_cast<int>(utf8.size()));
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
    source(CELL_COLOUR);
    cairo_rectangle(cairo.get(), x, y, logical.width, logical.height);
    cairo_fill(cairo.get());
    source(TEXT_COLOUR);
    cairo_move_to(cairo.get(), x, y);
    pango_cairo_show_layout(cairo.get(), layout.get());
    cairo_surface_flush(image.get());
    std::vector<std::uint32_t> pixels;
    const int stride = cairo_image_surface_get_stride(image.get());
    for (int row = 0; row < HEIGHT; ++row) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(
            cairo_image_surface_get_data(image.get()) + row * stride);
        for (int column = 0; column < WIDTH; ++column) {
            pixels.push_back(line[column] & 0x00FFFFFF);
        }
    }
    pixels[0] = 0;
    return pixels;
}

std::vector<std::uint32_t> WindowPicture(HWND window) {
    std::vector<std::uint32_t> pixels;
    for (int row = 0; row < HEIGHT; ++row) {
        for (int column = 0; column < WIDTH; ++column) {
            const COLORREF colour = headless::Pixel(window, column, row);
            pixels.push_back(standin::SurfacePixel(colour));
        }
    }
    return pixels;
}

// The window's pixels but for its paint mark at (0, 0), which sits on top of what the erase left.
std::vector<std::uint32_t> ClientPicture(HWND window) {
    std::vector<std::uint32_t> pixels = WindowPicture(window);
    pixels[0] = 0;
    return pixels;
}

// Erases the whole client area, as a repaint does.
void EraseClient(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    InvalidateRect(window, &client, TRUE);
    UpdateWindow(window);
}

// Draws the text in the test's colours with TextOutA, on a DC of its own.
bool DrawTestText(HWND window, int x, int y, std::string_view bytes) {
    HDC dc = GetDC(window);
    SetBkColor(dc, CELL_COLOUR);
    SetTextColor(dc, TEXT_COLOUR);
    const BOOL drawn = TextOutA(dc, x, y, bytes.data(), static_cast<int>(bytes.size()));
    ReleaseDC(window, dc);
    return drawn != FALSE;
}

TEST(TextCacheTest, TextsDrawnFromTheCacheMatchCairoPixelForPixel) {
    ResetWithTestClass();
    HWND window = CreateTestWindow();
    ShowWindow(window, SW_SHOW);
    struct Case {
        const char* bytes;
        int x;
        int y;
    };
    // Japanese and ASCII, descenders, invalid and control bytes, and cells cut by every edge.
    const Case cases[] = {
        {"\x95\xbd\x8b\xcf\x8c\x6f\x89\xdf\x8e\x9e\x8a\xd4 1950\x94\x4e", 310, 10},
        {"gjpqy|_^", 20, 30},
        {"\x8f\x74\x95\xaa\x93\x5f---\x81\x84", WIDTH - 60, HEIGHT - 10},
        {"A\xff\xfe\n\tB", -13, -7},
        {"90\x81\x8b", 382, 501},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.bytes);
        const std::string_view bytes(test.bytes, std::strlen(test.bytes));
        const std::vector<std::uint32_t> want = DirectPicture(test.x, test.y, bytes);
        // Four times: the first renders the text and keeps it, the others take it from the
        // cache; every other time over what the last round left, as labels are drawn over the
        // trails.
        for (int round = 0; round < 4; ++round) {
            if (round % 2 == 0) {
                EraseClient(window);
            }
            ASSERT_TRUE(DrawTestText(window, test.x, test.y, bytes));
            EXPECT_EQ(ClientPicture(window), want) << "round " << round;
            // A line across the text, as a trail crosses a label: the next round's text, and
            // the erase before it, must leave nothing of it.
            HDC over = GetDC(window);
            for (int column = test.x; column < test.x + 24; ++column) {
                SetPixel(over, column, test.y + 8, RGB(255, 0, 0));
            }
            ReleaseDC(window, over);
        }
    }
}

// A new text drawn where another lies, as the status text is on every tick, writes only the
// glyphs that differ from those below; it must show itself alone all the same: straight over the
// last one, over one that an erase has not yet written away, over one that a line has crossed
// since, with glyphs of another width in the middle, and when it comes back from the cache.
TEST(TextCacheTest, ATextDrawnOverAnotherInItsPlaceShowsItselfAlone) {
    ResetWithTestClass();
    HWND window = CreateTestWindow();
    ShowWindow(window, SW_SHOW);
    struct Step {
        const char* bytes;  // all as wide
        bool erase;
        bool line;
    };
    const Step steps[] = {
        {"\x95\xbd\x8b\xcf 1950\x94N 1\x8c\x8e 2\x93\xfa 250", true, false},
        {"\x95\xbd\x8b\xcf 1950\x94N 1\x8c\x8e 3\x93\xfa 250", false, false},
        {"\x95\xbd\x8b\xcf 1950\x94N 1\x8c\x8e 4\x93\xfa 125", true, false},
        {"\x95\xbd\x8b\xcf 1950a  1\x8c\x8e 4\x93\xfa 125", false, false},
        {"\x95\xbd\x8b\xcf 1951ab\x8c\x8e\x8c\x8e 4\x93\xfa 125", false, true},
        {"\x95\xbd\x8b\xcf 1950\x94N 1\x8c\x8e 2\x93\xfa 250", false, true},
    };
    const int x = 310;
    const int y = 10;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.bytes);
        const std::string_view bytes(step.bytes, std::strlen(step.bytes));
        if (step.erase) {
            EraseClient(window);
        }
        if (step.line) {
            HDC dc = GetDC(window);
            for (int column = x; column < x + 150; ++column) {  // within the text
                SetPixel(dc, column, y + 8, RGB(255, 0, 0));
            }
            ReleaseDC(window, dc);
        }
        ASSERT_TRUE(DrawTestText(window, x, y, bytes));
        EXPECT_EQ(ClientPicture(window), DirectPicture(x, y, bytes));
    }
}

// A random text of code page 932: half-width, full-width and their mixtures, characters that the
// default font lacks, control characters, invalid bytes and double-byte characters cut off.
std::string RandomCodePage932Text(std::mt19937& random) {
    const auto anyByte = [&random](int first, int last) {
        return static_cast<char>(std::uniform_int_distribution<int>(first, last)(random));
    };
    std::string bytes;
    const int length = std::uniform_int_distribution<int>(1, 24)(random);
    for (int character = 0; character < length; ++character) {
        switch (std::uniform_int_distribution<int>(0, 4)(random)) {
            case 0:
                bytes += anyByte(0x20, 0x7E);
                break;
            case 1:
                bytes += anyByte(0xA1, 0xDF);  // half-width katakana
                break;
            case 2:
                bytes += anyByte(0x00, 0xFF);
                break;
            default: {
                const int lead = std::uniform_int_distribution<int>(0x81, 0xBC)(random);
                bytes += static_cast<char>(lead <= 0x9F ? lead : lead + 0x40);
                bytes += anyByte(0x40, 0xFC);
            }
        }
    }
    return bytes;
}

// Texts are set from each character's glyph, drawn once; whatever the characters, the pixels must
// be those of Pango drawing the whole text.
TEST(TextCacheTest, TextsSetFromSingleGlyphsAreTheWholeTextsPixels) {
    std::mt19937 random(932);
    for (int text = 0; text < 400; ++text) {
        const std::string utf8 = standin::DrawableText(RandomCodePage932Text(random));
        SCOPED_TRACE(utf8);
        EXPECT_TRUE(
            standin::SamePixels(standin::RenderUtf8Text(utf8), standin::RenderWholeUtf8Text(utf8)));
    }
}

// TextOutA sets a text of characters it has seen before from their cells without decoding it.
// Random texts, then texts made of two of them, where a character may end up cut off, or a byte
// left over from one may become part of a character with the next, each drawn where the last one
// lay: every one shows as Pango draws it.
TEST(TextCacheTest, TextsOfCharactersSeenBeforeShowAsPangoDrawsThem) {
    ResetWithTestClass();
    HWND window = CreateTestWindow();
    ShowWindow(window, SW_SHOW);
    std::mt19937 random(31);
    std::vector<std::string> texts;
    for (int text = 0; text < 30; ++text) {
        texts.push_back(RandomCodePage932Text(random));
    }
    for (int text = 0; text < 30; ++text) {
        texts.push_back(texts[random() % 30] + texts[random() % 30]);
    }
    for (const std::string& text : texts) {
        SCOPED_TRACE(standin::DrawableText(text));
        EraseClient(window);
        ASSERT_TRUE(DrawTestText(window, 30, 40, text));
        EXPECT_TRUE(ClientPicture(window) == DirectPicture(30, 40, text));
    }
}

TEST(TextCacheTest, ATextFarOutsideTheClientAreaDrawsNothing) {
    ResetWithTestClass();
    HWND window = CreateTestWindow();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    const std::vector<std::uint32_t> before = WindowPicture(window);
    HDC dc = GetDC(window);
    SetBkColor(dc, RGB(255, 0, 0));
    // Short texts are kept after their first drawing; one over 256 bytes is rendered each time.
    const std::string longText(300, 'W');
    const int far = 2147483647;
    for (const POINT& point : {POINT{-far - 1, -far - 1}, POINT{-far - 1, 0}, POINT{0, -far - 1},
                               POINT{far, far}, POINT{-16777216, 100}, POINT{100, 16777216}}) {
        for (int drawing = 0; drawing < 3; ++drawing) {
            EXPECT_TRUE(TextOutA(dc, point.x, point.y, "A", 1));
        }
        EXPECT_TRUE(TextOutA(dc, point.x, point.y, longText.data(), 300));
    }
    ReleaseDC(window, dc);
    EXPECT_EQ(WindowPicture(window), before);
}

}  // namespace
