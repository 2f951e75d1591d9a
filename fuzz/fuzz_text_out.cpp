// Fuzzes TextOutA on a headless window: any bytes, any length, any position, any colours.
//
// The bytes are copied into a buffer exactly `length` long, so the address sanitizer catches any
// read past the length; the checks afterwards find pixels written outside the device context's
// clip, where a child window's DC must never draw, and compare the text's third drawing, which
// the stand-in takes from its cache, with its first.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/headless/headless.h"

namespace {

const COLORREF GREY = RGB(64, 64, 64);
const int CHILD_LEFT = 100;  // a child window's client area, where its DC may draw
const int CHILD_TOP = 50;
const int CHILD_WIDTH = 200;
const int CHILD_HEIGHT = 40;

struct Windows {
    HWND main;
    HWND child;
};

// An 800 by 600 window with a child, made once per process: fonts load only the first time.
Windows MakeWindows() {
    headless::Reset();
    HWND main = headless::CreatePlainWindow();
    HWND child = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, CHILD_LEFT, CHILD_TOP,
                                 CHILD_WIDTH, CHILD_HEIGHT, main, nullptr, nullptr, nullptr);
    UpdateWindow(main);
    return Windows{main, child};
}

// The main window's client pixels, 0x00RRGGBB.
std::vector<std::uint32_t> Picture(HWND window) {
    const standin::SurfacePixels surface = *standin::ClientSurface(window);
    std::vector<std::uint32_t> pixels;
    for (int row = 0; row < surface.height; ++row) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(
            reinterpret_cast<const unsigned char*>(surface.pixels) + row * surface.stride);
        for (int column = 0; column < surface.width; ++column) {
            pixels.push_back(line[column] & 0x00FFFFFF);  // the top byte is unused
        }
    }
    return pixels;
}

// Erases the main window's client area to grey.
void Erase(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    InvalidateRect(window, &client, TRUE);
    UpdateWindow(window);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Windows windows = MakeWindows();
    FuzzedDataProvider input(data, size);
    const bool onChild = input.ConsumeBool();
    const int x = input.ConsumeIntegral<int>();
    const int y = input.ConsumeIntegral<int>();
    const COLORREF background = input.ConsumeIntegral<COLORREF>();
    const COLORREF text = input.ConsumeIntegral<COLORREF>();
    const int length = input.ConsumeIntegralInRange<int>(-2, 300);
    std::vector<char> bytes = input.ConsumeBytes<char>(length > 0 ? length : 0);
    const int given = length > 0 ? static_cast<int>(bytes.size()) : length;
    // An exact-size heap copy: no terminating zero, nothing beyond the given length.
    char* exact = given > 0 ? new char[given] : nullptr;
    if (given > 0) {
        std::copy(bytes.begin(), bytes.end(), exact);
    }

    Erase(windows.main);
    HWND target = onChild ? windows.child : windows.main;
    HDC dc = GetDC(target);
    SetBkColor(dc, background);
    SetTextColor(dc, text);
    const BOOL drawn = TextOutA(dc, x, y, exact, given);
    ReleaseDC(target, dc);
    delete[] exact;
    if ((drawn != FALSE) != (given >= 0)) {
        std::abort();  // only a negative length is refused
    }
    if (!onChild && given > 0) {
        // Drawn twice more on a fresh background, the third time from the cache: the same pixels.
        const std::vector<std::uint32_t> first = Picture(windows.main);
        for (int drawing = 2; drawing <= 3; ++drawing) {
            Erase(windows.main);
            HDC again = GetDC(windows.main);
            SetBkColor(again, background);
            SetTextColor(again, text);
            TextOutA(again, x, y, bytes.data(), given);
            ReleaseDC(windows.main, again);
        }
        const std::vector<std::uint32_t> third = Picture(windows.main);
        if (third != first) {
            const auto differs = std::mismatch(first.begin(), first.end(), third.begin());
            const long index = differs.first - first.begin();
            std::fprintf(stderr,
                         "text of %d bytes at (%d, %d): pixel (%ld, %ld) is %06X, then %06X\n",
                         given, x, y, index % 784, index / 784, *differs.first, *differs.second);
            std::abort();
        }
    }
    if (onChild) {
        // The child's DC draws only on the child's own rectangle of the main window.
        for (int row = 0; row < 541; row += 3) {
            for (int column = 0; column < 784; column += 3) {
                const bool inside = column >= CHILD_LEFT && column < CHILD_LEFT + CHILD_WIDTH &&
                                    row >= CHILD_TOP && row < CHILD_TOP + CHILD_HEIGHT;
                if (!inside && headless::Pixel(windows.main, column, row) != GREY) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
