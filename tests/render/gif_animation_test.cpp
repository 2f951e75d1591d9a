// Tests of the GIF writer: what a viewer composes from its frames, palettes, loop and delays.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "picture_files.h"
#include "tools/render/gif_animation.h"

namespace {

using render::GifAnimation;
using render::Picture;

constexpr std::uint32_t GREY = 0x404040;
constexpr std::uint32_t RED = 0xFF0000;
constexpr std::uint32_t CYAN = 0x00FFFF;

Picture Filled(int width, int height, std::uint32_t colour) {
    return Picture{width, height,
                   std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, colour)};
}

void Set(Picture& picture, int x, int y, std::uint32_t colour) {
    picture.pixels[static_cast<std::size_t>(y) * picture.width + x] = colour;
}

std::string TempPath(const char* name) {
    return ::testing::TempDir() + "render-" + std::to_string(getpid()) + "-" + name;
}

TEST(GifAnimation, ComposesToExactlyTheFramesGiven) {
    // A marker appears, moves on leaving a trail, stays still for a frame, then the trail is
    // erased back to grey: every composed frame must equal its source.
    std::vector<Picture> frames;
    Picture picture = Filled(40, 30, GREY);
    frames.push_back(picture);
    Set(picture, 5, 5, RED);
    frames.push_back(picture);
    Set(picture, 30, 20, CYAN);
    frames.push_back(picture);
    frames.push_back(picture);
    Set(picture, 5, 5, GREY);
    frames.push_back(picture);

    const std::string path = TempPath("exact.gif");
    GifAnimation animation;
    ASSERT_EQ(animation.Open(path), "");
    for (const Picture& frame : frames) {
        ASSERT_EQ(animation.AddFrame(frame, 7), "");
    }
    ASSERT_EQ(animation.Finish(), "");

    const GifFile gif = ReadGif(path);
    ASSERT_TRUE(gif.read);
    EXPECT_EQ(FileStart(path, 6), "GIF89a");
    EXPECT_EQ(gif.width, 40);
    EXPECT_EQ(gif.height, 30);
    EXPECT_TRUE(gif.loops);
    ASSERT_EQ(gif.frames.size(), frames.size());
    for (std::size_t index = 0; index < frames.size(); ++index) {
        EXPECT_EQ(gif.delays[index], 7) << "frame " << index;
        EXPECT_TRUE(gif.frames[index].pixels == frames[index].pixels) << "frame " << index;
    }
}

TEST(GifAnimation, QuantisesAFrameOfManyColoursCloselyAndKeepsLaterChangesExact) {
    // 4096 colours in a smooth gradient cannot take an exact palette.
    Picture gradient = Filled(64, 64, 0);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            Set(gradient, x, y, (std::uint32_t(x * 4) << 16) | (std::uint32_t(y * 4) << 8) | 128);
        }
    }
    Picture marked = gradient;
    Set(marked, 10, 10, RED);

    const std::string path = TempPath("quantised.gif");
    GifAnimation animation;
    ASSERT_EQ(animation.Open(path), "");
    ASSERT_EQ(animation.AddFrame(gradient, 5), "");
    ASSERT_EQ(animation.AddFrame(marked, 5), "");
    ASSERT_EQ(animation.Finish(), "");

    const GifFile gif = ReadGif(path);
    ASSERT_TRUE(gif.read);
    ASSERT_EQ(gif.frames.size(), 2u);
    int worst = 0;
    for (std::size_t i = 0; i < gradient.pixels.size(); ++i) {
        for (int shift : {16, 8, 0}) {
            const int want = (gradient.pixels[i] >> shift) & 0xFF;
            const int got = (gif.frames[0].pixels[i] >> shift) & 0xFF;
            worst = std::max(worst, std::abs(want - got));
        }
    }
    EXPECT_LE(worst, 32) << "the median cut strays too far from the gradient";
    // The second frame changes one pixel and leaves the rest as the viewer already shows it.
    Picture expected = gif.frames[0];
    Set(expected, 10, 10, RED);
    EXPECT_TRUE(gif.frames[1].pixels == expected.pixels);
}

TEST(GifAnimation, ReportsWhatGoesWrong) {
    GifAnimation missingFolder;
    EXPECT_EQ(missingFolder.Open(TempPath("no-such-folder/a.gif")), "No such file or directory");

    GifAnimation empty;
    ASSERT_EQ(empty.Open(TempPath("empty.gif")), "");
    EXPECT_EQ(empty.Finish(), "a GIF needs at least one frame");

    GifAnimation mixed;
    ASSERT_EQ(mixed.Open(TempPath("mixed.gif")), "");
    ASSERT_EQ(mixed.AddFrame(Filled(8, 8, GREY), 5), "");
    EXPECT_EQ(mixed.AddFrame(Filled(9, 8, GREY), 5),
              "a GIF frame differs in size from the first frame");
    EXPECT_EQ(mixed.Finish(), "");
}

}  // namespace
