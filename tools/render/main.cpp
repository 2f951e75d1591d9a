// sorvelin-render: runs the real program on the headless host and writes PNG or GIF pictures.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "tools/render/gif_animation.h"
#include "tools/render/options.h"

namespace {

constexpr int EXIT_BAD_USAGE = 2;

// Where the pictures go, and what went wrong while taking them. Each file is written under a
// scratch name beside its own and renamed only when the whole run has succeeded, so a failed
// or cut-short run leaves no empty or partial picture under the name asked for.
struct Capture {
    render::RenderOptions options;
    render::GifAnimation animation;         // GIF output only
    std::vector<std::string> scratchPaths;  // one per PNG frame written, or the GIF's one
    int taken = 0;
    std::string failure;  // the first failure; later frames are skipped
};

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "sorvelin-render: %s\n", message.c_str());
    return code;
}

// A failure to write a file, named as the user asked for it rather than by its scratch name;
// "" for no failure.
std::string CannotWrite(const std::string& path, const std::string& reason) {
    return reason.empty() ? "" : "cannot write '" + path + "': " + reason;
}

// A new empty file beside `path`, named after it, for writing before the rename.
std::string MakeScratchFile(const std::string& path, std::string& scratchPath) {
    scratchPath = path + ".XXXXXX";
    const int descriptor = mkstemp(scratchPath.data());
    if (descriptor < 0) {
        const std::string reason = std::strerror(errno);
        scratchPath.clear();
        return "cannot write '" + path + "': " + reason;
    }
    // The permissions that a plain new file would get, not mkstemp's private ones.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    close(descriptor);
    return "";
}

// Takes the next picture of the main window as a user would see it now.
void TakePicture(Capture& capture) {
    if (!capture.failure.empty()) {
        return;
    }
    ++capture.taken;
    const std::optional<render::Picture> picture = headless::Screenshot(headless::MainWindow());
    if (!picture) {
        capture.failure = "the main window has no client area to take a picture of";
        return;
    }
    const std::string path = render::FramePath(capture.options, capture.taken);
    if (capture.options.format == render::OutputFormat::GIF) {
        capture.failure = CannotWrite(
            path,
            capture.animation.AddFrame(*picture, render::FrameDelayCentiseconds(capture.options)));
        return;
    }
    std::string scratchPath;
    capture.failure = MakeScratchFile(path, scratchPath);
    if (!scratchPath.empty()) {
        capture.scratchPaths.push_back(scratchPath);
    }
    if (capture.failure.empty()) {
        capture.failure = CannotWrite(path, headless::WritePng(*picture, scratchPath));
    }
}

// The script: the presses in their fixed order, the ticks and the pictures, then Exit.
std::vector<headless::Step> BuildScript(Capture& capture) {
    const render::RenderOptions& options = capture.options;
    std::vector<headless::Step> steps;
    auto press = [&steps](int button, int times) {
        for (int i = 0; i < times; ++i) {
            steps.push_back(headless::Click(button));
        }
    };
    if (options.clientWidth > 0) {
        steps.push_back(headless::ResizeClient(options.clientWidth, options.clientHeight));
    }
    if (options.statusBar) {
        steps.push_back(headless::ChooseMenu(IDM_SHOW_STATUS));
    }
    if (options.year2000) {
        steps.push_back(headless::ChooseMenu(IDM_YEAR_2000));
    }
    press(IDC_ONE_YEAR, options.oneYearPresses);
    press(IDC_ZOOM_OUT, options.zoomOutPresses);
    press(IDC_ZOOM_IN, options.zoomInPresses);
    press(IDC_SLOWER, options.slowerPresses);
    press(IDC_FASTER, options.fasterPresses);
    // Last of the presses: the zoom and year commands erase the picture, the mode keeps trails.
    press(IDC_MODE, options.mode);
    for (int frame = 1; frame <= options.frames; ++frame) {
        const int ticks = frame == 1 ? options.ticks : options.every;
        // AdvanceTimers(0) would still move on to one tick.
        if (ticks > 0) {
            steps.push_back(headless::AdvanceTimers(ticks));
        }
        steps.push_back(headless::Step(
            [&capture] {
                TakePicture(capture);
                return true;
            },
            "picture " + std::to_string(frame)));
    }
    steps.push_back(headless::ChooseMenu(IDM_EXIT));
    return steps;
}

// Checks before the run that every output can be written, so that a bad path fails at once.
// A file that is there is left as it is; one made for the check is removed again.
std::string CheckOutputPaths(const render::RenderOptions& options) {
    const int outputs = options.format == render::OutputFormat::PNG ? options.frames : 1;
    for (int frame = 1; frame <= outputs; ++frame) {
        const std::string path = render::FramePath(options, frame);
        const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (descriptor >= 0) {
            close(descriptor);
            std::remove(path.c_str());
            continue;
        }
        if (errno == EEXIST) {
            const int existing = open(path.c_str(), O_WRONLY);
            if (existing >= 0) {
                close(existing);
                continue;
            }
        }
        return "cannot write '" + path + "': " + std::strerror(errno);
    }
    return "";
}

// Gives each written file its own name; on failure removes what was written instead.
std::string KeepOrRemoveOutputs(Capture& capture) {
    if (capture.failure.empty()) {
        for (std::size_t index = 0; index < capture.scratchPaths.size(); ++index) {
            const std::string path =
                capture.options.format == render::OutputFormat::GIF
                    ? capture.options.output
                    : render::FramePath(capture.options, static_cast<int>(index) + 1);
            if (std::rename(capture.scratchPaths[index].c_str(), path.c_str()) != 0) {
                capture.failure = "cannot write '" + path + "': " + std::strerror(errno);
                break;
            }
            capture.scratchPaths[index].clear();
        }
    }
    for (const std::string& scratchPath : capture.scratchPaths) {
        if (!scratchPath.empty()) {
            std::remove(scratchPath.c_str());
        }
    }
    return capture.failure;
}

}  // namespace

int main(int argumentCount, char** arguments) {
    const render::ParseResult parsed = render::ParseOptions(argumentCount, arguments);
    if (std::holds_alternative<render::ShowHelp>(parsed)) {
        std::fputs(render::UsageText().c_str(), stdout);
        return 0;
    }
    if (const auto* error = std::get_if<render::UsageError>(&parsed)) {
        return Fail(EXIT_BAD_USAGE, error->message);
    }

    // Long runs keep a reference to the capture in their steps: it must not move.
    auto capture = std::make_unique<Capture>();
    capture->options = std::get<render::RenderOptions>(parsed);
    if (std::string error = CheckOutputPaths(capture->options); !error.empty()) {
        return Fail(EXIT_BAD_USAGE, error);
    }
    if (capture->options.format == render::OutputFormat::GIF) {
        std::string scratchPath;
        if (std::string error = MakeScratchFile(capture->options.output, scratchPath);
            !error.empty()) {
            return Fail(EXIT_FAILURE, error);
        }
        capture->scratchPaths.push_back(scratchPath);
        if (std::string error = capture->animation.Open(scratchPath); !error.empty()) {
            capture->failure = "cannot write '" + capture->options.output + "': " + error;
        }
    }

    if (capture->failure.empty()) {
        headless::Reset();
        headless::Script(BuildScript(*capture));
        const int exitCode = headless::RunWinMain();
        // A program that ends early, or a press that goes nowhere, would leave the pictures
        // showing something other than what was asked for.
        if (capture->failure.empty() &&
            (exitCode != 0 || headless::StepsLeft() != 0 || headless::RefusedInputs() != 0 ||
             capture->taken != capture->options.frames)) {
            std::string problem = headless::ScriptProblem();
            if (problem.empty()) {
                problem = "exit code " + std::to_string(exitCode);
            }
            capture->failure = "the program ended before every picture was taken: " + problem +
                               " (" + std::to_string(capture->taken) + " of " +
                               std::to_string(capture->options.frames) + " taken)";
        }
    }
    if (capture->failure.empty() && capture->options.format == render::OutputFormat::GIF) {
        capture->failure = CannotWrite(capture->options.output, capture->animation.Finish());
    }
    if (std::string error = KeepOrRemoveOutputs(*capture); !error.empty()) {
        return Fail(EXIT_FAILURE, error);
    }
    return 0;
}
