// The first frame of 1950 as a picture: drawn on the erased client area and written as a PNG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/headless/headless.h"
#include "scene/scene.h"
#include "shell/shell.h"

namespace {

// Setting SORVELIN_FRAME_PNG to a path also writes the picture there, as for docs/frame-1950.png.
TEST(FramePictureTest, TheStartFrameIsDrawnOnTheDarkGreyClientAndWritten) {
    headless::Reset();
    HWND window = headless::CreatePlainWindow();
    HDC dc = GetDC(window);
    const ViewSettings settings = START_SETTINGS;
    DrawScene(dc, ComposeScene(0.0, settings), settings, 784, 541);
    ReleaseDC(window, dc);

    EXPECT_EQ(headless::Pixel(window, 392, 290), RGB(255, 0, 0));
    EXPECT_EQ(headless::Pixel(window, 0, 540), RGB(64, 64, 64));
    std::string path = ::testing::TempDir() + "frame-1950.png";
    if (const char* wanted = std::getenv("SORVELIN_FRAME_PNG")) {
        path = wanted;
    }
    EXPECT_TRUE(headless::WriteScreenshot(window, path.c_str()));
}

}  // namespace
