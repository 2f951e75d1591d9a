// The render tool run as a user runs it: exit codes, messages and the pictures it writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "picture_files.h"

namespace {

constexpr std::uint32_t SUN_RED = 0xFF0000;
constexpr std::uint32_t CONTROL_FACE = 0xF0F0F0;
constexpr std::uint32_t BACKGROUND = 0x404040;

struct ToolRun {
    int exitCode = -1;
    std::string output;  // standard output
    std::string errors;  // standard error
};

std::string ReadText(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "render-" + std::to_string(getpid()) + "-" + name;
}

// Runs the tool with arguments already quoted for the shell.
ToolRun RunTool(const std::string& arguments) {
    const std::string outputPath = TempPath("render-stdout.txt");
    const std::string errorsPath = TempPath("render-stderr.txt");
    // A sanitizer build's leak checker would otherwise list its suppressions on standard error.
    const std::string command = std::string("LSAN_OPTIONS=print_suppressions=0 '") +
                                SORVELIN_RENDER_PROGRAM + "' " + arguments + " >'" + outputPath +
                                "' 2>'" + errorsPath + "'";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = ReadText(outputPath);
    run.errors = ReadText(errorsPath);
    return run;
}

bool Exists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

std::uint32_t PixelAt(const render::Picture& picture, int x, int y) {
    return picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
}

// Width and height from a PNG's header chunk, which follows the signature.
std::pair<int, int> PngSize(const std::string& path) {
    const std::string start = FileStart(path, 24);
    if (start.size() < 24) {
        return {0, 0};
    }
    auto number = [&start](int offset) {
        int value = 0;
        for (int i = 0; i < 4; ++i) {
            value = value * 256 + static_cast<unsigned char>(start[offset + i]);
        }
        return value;
    };
    return {number(16), number(20)};
}

TEST(RenderProgram, HelpSucceedsAndListsTheOptions) {
    const ToolRun run = RunTool("--help");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, "");
    for (const char* text : {"Usage: sorvelin-render", "--trails", "--ticks", "--frames", "--every",
                             "--delay", "--zoom-out", "--status-bar", "--size"}) {
        EXPECT_NE(run.output.find(text), std::string::npos) << text;
    }
}

TEST(RenderProgram, RefusesABadCommandLineWithOneLineAndExitCodeTwo) {
    const std::string path = TempPath("never.png");
    std::remove(path.c_str());
    const std::pair<std::string, std::string> cases[] = {
        {"--bogus '" + path + "'", "sorvelin-render: unknown option '--bogus' (see --help)\n"},
        {"--ticks many '" + path + "'", "sorvelin-render: --ticks: 'many' is not a whole number\n"},
        {"--zoom-out 1001 '" + path + "'",
         "sorvelin-render: --zoom-out: 1001 is out of range (0 to 1000)\n"},
        {"'" + TempPath("never.bmp") + "'",
         "sorvelin-render: OUTPUT must end in .png or .gif: '" + TempPath("never.bmp") + "'\n"},
        {"", "sorvelin-render: missing OUTPUT, a .png or .gif path (see --help)\n"},
    };
    for (const auto& [arguments, message] : cases) {
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_EQ(run.errors, message) << arguments;
        EXPECT_EQ(run.output, "") << arguments;
    }
    EXPECT_FALSE(Exists(path));
}

TEST(RenderProgram, RefusesAnUnwritablePathBeforeRunning) {
    for (const std::string name : {"no-such-folder/a.png", "no-such-folder/a.gif"}) {
        const ToolRun run = RunTool("--ticks 1000000 '" + TempPath(name) + "'");
        EXPECT_EQ(run.exitCode, 2) << name;
        EXPECT_EQ(run.errors, "sorvelin-render: cannot write '" + TempPath(name) +
                                  "': No such file or directory\n");
    }
    const std::string folder = TempPath("folder.png");
    mkdir(folder.c_str(), 0755);
    const ToolRun run = RunTool("'" + folder + "'");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, "sorvelin-render: cannot write '" + folder + "': Is a directory\n");
    rmdir(folder.c_str());
}

TEST(RenderProgram, WritesThePngOfTheWindowWithTheSunAtTheCentre) {
    const std::string path = TempPath("trails.png");
    const ToolRun run = RunTool("--trails --ticks 30 '" + path + "'");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(FileStart(path, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(PngSize(path), std::make_pair(784, 541));
    const render::Picture picture = ReadPng(path);
    ASSERT_EQ(picture.width, 784);
    // The program's 800 by 600 window leaves a 784 by 541 client area: Sun at (392, 290).
    EXPECT_EQ(PixelAt(picture, 392, 290), SUN_RED);
    // The buttons are drawn, and the status bar is hidden at start.
    EXPECT_EQ(PixelAt(picture, 3, 3), CONTROL_FACE);
    EXPECT_EQ(PixelAt(picture, 3, 537), BACKGROUND);
}

TEST(RenderProgram, ShowsTheStatusBarAndTakesTheClientSize) {
    const std::string path = TempPath("status.png");
    const ToolRun run = RunTool("--size 640x480 --status-bar --ticks 1 '" + path + "'");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(PngSize(path), std::make_pair(640, 480));
    const render::Picture picture = ReadPng(path);
    ASSERT_EQ(picture.width, 640);
    EXPECT_EQ(PixelAt(picture, 320, 260), SUN_RED);
    EXPECT_EQ(PixelAt(picture, 3, 477), CONTROL_FACE);
}

TEST(RenderProgram, WritesAGifWhoseLastFrameIsThePngOfTheSameRun) {
    const std::string gifPath = TempPath("orrery.gif");
    const std::string pngPath = TempPath("orrery-last.png");
    const ToolRun gifRun = RunTool("--trails --faster 2 --frames 5 --every 10 '" + gifPath + "'");
    ASSERT_EQ(gifRun.exitCode, 0) << gifRun.errors;
    const ToolRun pngRun = RunTool("--faster 2 --trails --ticks 40 '" + pngPath + "'");
    ASSERT_EQ(pngRun.exitCode, 0) << pngRun.errors;

    EXPECT_EQ(FileStart(gifPath, 6), "GIF89a");
    const GifFile gif = ReadGif(gifPath);
    ASSERT_TRUE(gif.read);
    EXPECT_EQ(gif.width, 784);
    EXPECT_EQ(gif.height, 541);
    EXPECT_TRUE(gif.loops);
    ASSERT_EQ(gif.frames.size(), 5u);
    EXPECT_EQ(gif.delays[0], 50);  // ten ticks of 50 ms
    EXPECT_TRUE(gif.frames.back().pixels == ReadPng(pngPath).pixels);
}

TEST(RenderProgram, NumbersPngFramesAndTakesEachAtItsTick) {
    const std::string path = TempPath("frame.png");
    const std::string single = TempPath("frame-at-10.png");
    ASSERT_EQ(RunTool("--frames 3 --every 5 '" + path + "'").exitCode, 0);
    ASSERT_EQ(RunTool("--ticks 10 '" + single + "'").exitCode, 0);
    // As the help says: two digits, even for fewer than ten frames.
    EXPECT_TRUE(Exists(TempPath("frame-01.png")));
    EXPECT_FALSE(Exists(TempPath("frame-1.png")));
    EXPECT_TRUE(ReadPng(TempPath("frame-03.png")).pixels == ReadPng(single).pixels);
    EXPECT_FALSE(ReadPng(TempPath("frame-02.png")).pixels == ReadPng(single).pixels);
}

}  // namespace
