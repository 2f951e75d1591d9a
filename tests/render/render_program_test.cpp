// The render tool run as a user runs it: exit codes, messages and the pictures it writes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

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

// Runs the tool with arguments already quoted for the shell, after the shell commands in `before`.
ToolRun RunTool(const std::string& arguments, const std::string& before = "") {
    const std::string outputPath = TempPath("render-stdout.txt");
    const std::string errorsPath = TempPath("render-stderr.txt");
    // A sanitizer build's leak checker would otherwise list its suppressions on standard error.
    const std::string command = before + "LSAN_OPTIONS=print_suppressions=0 '" +
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

// A new empty folder for one test's files.
std::string NewFolder(const std::string& name) {
    const std::string folder = TempPath(name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// Every file left in a folder and its subfolders, links included, but not the subfolders.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_directory() || entry.is_symlink()) {
            files.push_back(entry.path().lexically_relative(folder).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The bytes written so far into the folder's files.
std::uintmax_t BytesIn(const std::string& folder) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        bytes += entry.is_regular_file() ? entry.file_size() : 0;
    }
    return bytes;
}

// Starts the tool with standard error to a file, as a terminal would: the stopping signals
// not ignored, whatever the test runner does with them.
pid_t StartTool(const std::vector<std::string>& arguments, const std::string& errorsPath) {
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        const int errors = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(errors, STDERR_FILENO);
        std::vector<char*> argv = {const_cast<char*>(SORVELIN_RENDER_PROGRAM)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(SORVELIN_RENDER_PROGRAM, argv.data());
        _exit(127);
    }
    return child;
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

// A long GIF and a long PNG series, each stopped mid-run as a user stops it: no scratch file is
// left, a picture already there stays as it was, and the tool says so and ends by the signal.
TEST(RenderProgram, StoppedMidRunLeavesNoFileBehind) {
    for (const auto& [name, signal, signalName] : {std::tuple{"orrery.gif", SIGINT, "SIGINT"},
                                                   std::tuple{"frame.png", SIGTERM, "SIGTERM"}}) {
        const std::string folder = NewFolder(std::string("stopped-") + signalName);
        const std::string output = folder + "/" + name;
        const std::string kept = folder + "/frame-0001.png";
        std::ofstream(kept) << "a picture from before";
        const std::string errorsPath = TempPath("stopped-stderr.txt");
        const pid_t tool =
            StartTool({"--trails", "--frames", "2000", "--every", "10", output}, errorsPath);
        // Stopped once it has written some frames, while most are still to come.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        while (BytesIn(folder) < 10000 && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_GE(BytesIn(folder), 10000u) << name << ": the run never got under way";
        kill(tool, signal);
        int status = 0;
        ASSERT_EQ(waitpid(tool, &status, 0), tool);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << name << " " << status;
        EXPECT_EQ(ReadText(errorsPath), std::string("sorvelin-render: stopped by ") + signalName +
                                            ": wrote nothing to '" + output +
                                            "' and removed its scratch files\n");
        EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"frame-0001.png"}) << name;
        EXPECT_EQ(ReadText(kept), "a picture from before");
    }
}

// An output that is a symbolic link, to a file or to none yet, is written through the chain of
// links; a write error names the output asked for and leaves the file it leads to as it was.
TEST(RenderProgram, WritesThroughSymbolicLinksAndNamesTheOutputOnAWriteError) {
    const std::string folder = NewFolder("links");
    std::filesystem::create_directories(folder + "/real");
    std::filesystem::create_directories(folder + "/links");
    std::ofstream(folder + "/real/picture.png") << "the old picture";
    std::filesystem::create_symlink("../real/picture.png", folder + "/links/picture.png");
    std::filesystem::create_symlink("links/picture.png", folder + "/out.png");
    std::filesystem::create_symlink("real/animation.gif", folder + "/out.gif");
    ASSERT_EQ(RunTool("--ticks 2 '" + folder + "/out.png'").exitCode, 0);
    ASSERT_EQ(RunTool("--frames 3 '" + folder + "/out.gif'").exitCode, 0);
    const std::vector<std::string> written = {"links/picture.png", "out.gif", "out.png",
                                              "real/animation.gif", "real/picture.png"};
    EXPECT_EQ(FilesIn(folder), written);
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "/out.png"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "/out.gif"));
    EXPECT_EQ(FileStart(folder + "/real/picture.png", 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(FileStart(folder + "/real/animation.gif", 6), "GIF89a");

    // Files of at most a kilobyte, which no picture fits in.
    const std::string smallFiles = "trap '' XFSZ; ulimit -f 2; ";
    const std::string before = ReadText(folder + "/real/picture.png");
    const ToolRun png = RunTool("--ticks 3 '" + folder + "/out.png'", smallFiles);
    EXPECT_EQ(png.exitCode, 1);
    EXPECT_EQ(png.errors,
              "sorvelin-render: cannot write '" + folder + "/out.png': File too large\n");
    const ToolRun gif = RunTool("--frames 3 '" + folder + "/out.gif'", smallFiles);
    EXPECT_EQ(gif.exitCode, 1);
    EXPECT_EQ(gif.errors.rfind("sorvelin-render: cannot write '" + folder + "/out.gif': ", 0), 0u)
        << gif.errors;
    EXPECT_EQ(FilesIn(folder), written);
    EXPECT_EQ(ReadText(folder + "/real/picture.png"), before);
}

}  // namespace
