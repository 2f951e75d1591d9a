// sorvelin-render: runs the real program on the headless host and writes PNG or GIF pictures.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "tools/render/gif_animation.h"
#include "tools/render/options.h"
#include "tools/render/outputs.h"

namespace {

constexpr int EXIT_BAD_USAGE = 2;

// Where the pictures go, and what went wrong while taking them.
struct Capture {
    render::RenderOptions options;
    render::GifAnimation animation;       // GIF output only
    std::vector<render::Output> outputs;  // one per PNG frame, or the GIF's one
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
    if (capture.options.format == render::OutputFormat::GIF) {
        capture.failure = CannotWrite(
            capture.options.output,
            capture.animation.AddFrame(*picture, render::FrameDelayCentiseconds(capture.options)));
        return;
    }
    const render::Output& output = capture.outputs[capture.taken - 1];
    capture.failure = CannotWrite(output.path, headless::WritePng(*picture, output.scratch));
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

// Every path that the run writes: the OUTPUT, or each numbered PNG frame.
std::vector<std::string> OutputPaths(const render::RenderOptions& options) {
    const int count = options.format == render::OutputFormat::PNG ? options.frames : 1;
    std::vector<std::string> paths;
    for (int frame = 1; frame <= count; ++frame) {
        paths.push_back(render::FramePath(options, frame));
    }
    return paths;
}

// Runs the program through the script and takes the pictures; the run's failure, if any.
std::string Run(Capture& capture) {
    headless::Reset();
    headless::Script(BuildScript(capture));
    const int exitCode = headless::RunWinMain();
    if (!capture.failure.empty()) {
        return capture.failure;
    }
    // A program that ends early, or a press that goes nowhere, would leave the pictures
    // showing something other than what was asked for.
    if (exitCode != 0 || headless::StepsLeft() != 0 || headless::RefusedInputs() != 0 ||
        capture.taken != capture.options.frames) {
        std::string problem = headless::ScriptProblem();
        if (problem.empty()) {
            problem = "exit code " + std::to_string(exitCode);
        }
        return "the program ended before every picture was taken: " + problem + " (" +
               std::to_string(capture.taken) + " of " + std::to_string(capture.options.frames) +
               " taken)";
    }
    if (capture.options.format == render::OutputFormat::GIF) {
        return CannotWrite(capture.options.output, capture.animation.Finish());
    }
    return "";
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
    if (std::string error = render::CreateOutputs(OutputPaths(capture->options),
                                                  capture->options.output, capture->outputs);
        !error.empty()) {
        return Fail(EXIT_BAD_USAGE, error);
    }
    if (capture->options.format == render::OutputFormat::GIF) {
        capture->failure = CannotWrite(capture->options.output,
                                       capture->animation.Open(capture->outputs.front().scratch));
    }
    if (capture->failure.empty()) {
        capture->failure = Run(*capture);
    }
    if (!capture->failure.empty()) {
        render::RemoveOutputs(capture->outputs);
        return Fail(EXIT_FAILURE, capture->failure);
    }
    if (std::string error = render::KeepOutputs(capture->outputs); !error.empty()) {
        return Fail(EXIT_FAILURE, error);
    }
    return 0;
}
