// Tests of the render tool's command line: values, one-line errors, frame paths and delays.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tools/render/options.h"

namespace {

using render::OutputFormat;
using render::RenderOptions;

render::ParseResult Parse(std::initializer_list<const char*> arguments) {
    std::vector<const char*> argv = {"sorvelin-render"};
    argv.insert(argv.end(), arguments);
    return render::ParseOptions(static_cast<int>(argv.size()), argv.data());
}

RenderOptions ParseGood(std::initializer_list<const char*> arguments) {
    const render::ParseResult result = Parse(arguments);
    if (const auto* error = std::get_if<render::UsageError>(&result)) {
        ADD_FAILURE() << "unexpected error: " << error->message;
    }
    return std::holds_alternative<RenderOptions>(result) ? std::get<RenderOptions>(result)
                                                         : RenderOptions{};
}

std::string ParseError(std::initializer_list<const char*> arguments) {
    const render::ParseResult result = Parse(arguments);
    const auto* error = std::get_if<render::UsageError>(&result);
    return error != nullptr ? error->message : "(no error)";
}

TEST(RenderOptions, TakeEveryOptionInEitherSpelling) {
    const RenderOptions options = ParseGood(
        {"--size", "640x480",     "--status-bar", "--year-2000", "--one-year=2", "--zoom-out",
         "3",      "--zoom-in=1", "--slower",     "4",           "--faster",     "5",
         "--mode", "1",           "--ticks",      "365",         "--frames=7",   "--every",
         "20",     "--delay",     "120",          "out.gif"});
    EXPECT_EQ(options.clientWidth, 640);
    EXPECT_EQ(options.clientHeight, 480);
    EXPECT_TRUE(options.statusBar);
    EXPECT_TRUE(options.year2000);
    EXPECT_EQ(options.oneYearPresses, 2);
    EXPECT_EQ(options.zoomOutPresses, 3);
    EXPECT_EQ(options.zoomInPresses, 1);
    EXPECT_EQ(options.slowerPresses, 4);
    EXPECT_EQ(options.fasterPresses, 5);
    EXPECT_EQ(options.mode, 1);
    EXPECT_EQ(options.ticks, 365);
    EXPECT_EQ(options.frames, 7);
    EXPECT_EQ(options.every, 20);
    EXPECT_EQ(options.delayMilliseconds, 120);
    EXPECT_EQ(options.format, OutputFormat::GIF);
    EXPECT_EQ(options.output, "out.gif");
}

TEST(RenderOptions, DefaultToOnePictureOfTheStartFrame) {
    const RenderOptions options = ParseGood({"start.png"});
    EXPECT_EQ(options.clientWidth, 0);
    EXPECT_FALSE(options.statusBar);
    EXPECT_EQ(options.mode, 0);
    EXPECT_EQ(options.ticks, 0);
    EXPECT_EQ(options.frames, 1);
    EXPECT_EQ(options.format, OutputFormat::PNG);
    EXPECT_EQ(ParseGood({"--trails", "a.png"}).mode, 1);
}

TEST(RenderOptions, AskForHelpWhereverTheFlagStands) {
    EXPECT_TRUE(std::holds_alternative<render::ShowHelp>(Parse({"-h"})));
    EXPECT_TRUE(std::holds_alternative<render::ShowHelp>(Parse({"--ticks", "3", "--help"})));
    EXPECT_NE(render::UsageText().find("Usage: sorvelin-render"), std::string::npos);
}

TEST(RenderOptions, NameTheProblemOfABadCommandLine) {
    EXPECT_EQ(ParseError({"--bogus", "a.png"}), "unknown option '--bogus' (see --help)");
    EXPECT_EQ(ParseError({"--ticks", "abc", "a.png"}), "--ticks: 'abc' is not a whole number");
    EXPECT_EQ(ParseError({"--ticks", "12x", "a.png"}), "--ticks: '12x' is not a whole number");
    EXPECT_EQ(ParseError({"--ticks=", "a.png"}), "--ticks: '' is not a whole number");
    EXPECT_EQ(ParseError({"--ticks", "-1", "a.png"}), "--ticks: -1 is out of range (0 to 1000000)");
    EXPECT_EQ(ParseError({"--ticks", "99999999999", "a.png"}),
              "--ticks: 99999999999 is out of range (0 to 1000000)");
    EXPECT_EQ(ParseError({"--mode", "2", "a.png"}), "--mode: 2 is out of range (0 to 1)");
    EXPECT_EQ(ParseError({"--frames", "0", "a.gif"}), "--frames: 0 is out of range (1 to 2000)");
    EXPECT_EQ(ParseError({"--delay", "5", "a.gif"}), "--delay: 5 is out of range (20 to 655350)");
    EXPECT_EQ(ParseError({"a.png", "--ticks"}), "--ticks: missing value");
    EXPECT_EQ(ParseError({"--size", "800", "a.png"}),
              "--size: '800' is not WIDTHxHEIGHT, such as 784x541");
    EXPECT_EQ(ParseError({"--size", "800x9000", "a.png"}),
              "--size height: 9000 is out of range (64 to 4096)");
    EXPECT_EQ(ParseError({"--ticks", "3"}), "missing OUTPUT, a .png or .gif path (see --help)");
    EXPECT_EQ(ParseError({"a.png", "b.png"}), "more than one OUTPUT: 'a.png' and 'b.png'");
    EXPECT_EQ(ParseError({"picture.jpg"}), "OUTPUT must end in .png or .gif: 'picture.jpg'");
    EXPECT_EQ(ParseError({".png"}), "OUTPUT must end in .png or .gif: '.png'");
    EXPECT_EQ(ParseError({"--delay", "100", "a.png"}), "--delay applies only to a .gif OUTPUT");
}

TEST(RenderOptions, NumberPngFramesOnlyWhenThereAreSeveral) {
    RenderOptions options = ParseGood({"docs/frame.png"});
    EXPECT_EQ(render::FramePath(options, 1), "docs/frame.png");
    options = ParseGood({"--frames", "12", "docs/frame.png"});
    EXPECT_EQ(render::FramePath(options, 1), "docs/frame-01.png");
    EXPECT_EQ(render::FramePath(options, 12), "docs/frame-12.png");
    options = ParseGood({"--frames", "3", "docs/frame.png"});
    EXPECT_EQ(render::FramePath(options, 3), "docs/frame-03.png");
    options = ParseGood({"--frames", "100", "docs/frame.png"});
    EXPECT_EQ(render::FramePath(options, 7), "docs/frame-007.png");
    options = ParseGood({"--frames", "12", "docs/anim.gif"});
    EXPECT_EQ(render::FramePath(options, 3), "docs/anim.gif");
}

TEST(RenderOptions, DelayFramesByTheirTicksUnlessToldOtherwise) {
    // Ten ticks of 50 ms are half a second; GIF delays count hundredths.
    EXPECT_EQ(render::FrameDelayCentiseconds(ParseGood({"--every", "10", "a.gif"})), 50);
    EXPECT_EQ(render::FrameDelayCentiseconds(ParseGood({"--every", "1", "a.gif"})), 5);
    EXPECT_EQ(render::FrameDelayCentiseconds(ParseGood({"--delay", "125", "a.gif"})), 13);
    EXPECT_EQ(render::FrameDelayCentiseconds(ParseGood({"--every", "1000000", "a.gif"})), 65535);
}

}  // namespace
