// The headless host's screenshot: the client area as a user sees it, with its controls on top.
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/standin/text_renderer.h"

namespace headless {

namespace {

// Colours of the controls as the classic Windows theme draws them.
constexpr COLORREF FACE_COLOUR = RGB(240, 240, 240);
constexpr COLORREF SHADOW_COLOUR = RGB(160, 160, 160);
constexpr COLORREF CAPTION_COLOUR = RGB(0, 0, 0);
constexpr int CAPTION_HEIGHT = 16;  // the default font's line height
constexpr int STATUS_TEXT_INSET = 4;

// The screenshot's pixels while the controls are drawn on them, 0x00RRGGBB in rows.
class Canvas {
  public:
    explicit Canvas(const standin::SurfacePixels& client)
        : width_(client.width),
          height_(client.height),
          pixels_(static_cast<std::size_t>(client.width) * client.height) {
        for (int y = 0; y < height_; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                reinterpret_cast<const unsigned char*>(client.pixels) + y * client.stride);
            std::copy_n(row, width_, pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_);
        }
    }

    // Fills a rectangle, clipped to the picture.
    void Fill(RECT rect, COLORREF colour) {
        const std::uint32_t pixel = standin::SurfacePixel(colour);
        const int left = std::max<int>(rect.left, 0);
        const int right = std::min<int>(rect.right, width_);
        for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, height_); ++y) {
            if (left < right) {
                std::fill(Row(y) + left, Row(y) + right, pixel);
            }
        }
    }

    // Draws a text's glyphs with no cell behind them, its top-left corner at (x, y).
    void DrawText(const standin::TextPixels& text, int x, int y, COLORREF colour) {
        for (const standin::GlyphRun& run : text.runs) {
            Fill(RECT{x + run.left, y + run.top, x + run.left + run.length, y + run.top + 1},
                 colour);
        }
    }

    // The finished picture; the canvas is left empty.
    Picture Take() { return Picture{width_, height_, std::move(pixels_)}; }

  private:
    std::uint32_t* Row(int y) { return pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_; }

    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
};

// A control's face with a one-pixel shadow line around it.
void DrawFace(Canvas& picture, const RECT& rect) {
    picture.Fill(rect, SHADOW_COLOUR);
    picture.Fill(RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, FACE_COLOUR);
}

void DrawControl(Canvas& picture, const standin::WindowDescription& control) {
    const RECT& rect = control.rect;
    const int textTop = rect.top + (rect.bottom - rect.top - CAPTION_HEIGHT) / 2;
    DrawFace(picture, rect);
    const standin::TextPixels caption = standin::RenderText(control.text);
    if (control.kind == standin::WindowKind::StatusBar) {
        picture.DrawText(caption, rect.left + STATUS_TEXT_INSET, textTop, CAPTION_COLOUR);
        return;
    }
    // Centred, as a push button shows its caption.
    picture.DrawText(caption, rect.left + (rect.right - rect.left - caption.cellWidth) / 2, textTop,
                     CAPTION_COLOUR);
}

}  // namespace

std::optional<Picture> Screenshot(HWND window) {
    auto surface = standin::ClientSurface(window);
    if (!surface || surface->width <= 0 || surface->height <= 0) {
        return std::nullopt;
    }
    Canvas canvas(*surface);
    for (HWND child : standin::ChildWindows(window)) {
        auto control = standin::DescribeWindow(child);
        if (control->visible) {
            DrawControl(canvas, *control);
        }
    }
    return canvas.Take();
}

bool WriteScreenshot(HWND window, const char* path) {
    const std::optional<Picture> picture = Screenshot(window);
    return picture && WritePng(*picture, path).empty();
}

}  // namespace headless
