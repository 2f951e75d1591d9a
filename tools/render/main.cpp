// sorvelin-render: runs the real program on the headless host and writes PNG or GIF pictures.
#include <cairo.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "tools/render/gif_animation.h"
#include "tools/render/options.h"

namespace {

constexpr int EXIT_BAD_USAGE = 2;

// Where the pictures go, and what went wrong while taking them.
struct Capture {
    render::RenderOptions options;
    render::GifAnimation animation;  // GIF output only
    std::string scratchPath;         // GIF output only: each frame's screenshot
    int taken = 0;
    std::string failure;  // the first failure; later frames are skipped
};

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "sorvelin-render: %s\n", message.c_str());
    return code;
}

// Reads back a PNG that the headless host wrote.
std::string LoadPicture(const std::string& path, render::Picture& picture) {
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return "cannot read back the screenshot '" + path + "'";
    }
    cairo_surface_flush(surface);
    picture.width = cairo_image_surface_get_width(surface);
    picture.height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < picture.width; ++x) {
            picture.pixels[static_cast<std::size_t>(y) * picture.width + x] = row[x] & 0xFFFFFF;
        }
    }
    cairo_surface_destroy(surface);
    return "";
}

// Takes the next picture of the main window as a user would see it now.
void TakePicture(Capture& capture) {
    if (!capture.failure.empty()) {
        return;
    }
    ++capture.taken;
    HWND window = headless::MainWindow();
    if (capture.options.format == render::OutputFormat::PNG) {
        const std::string path = render::FramePath(capture.options, capture.taken);
        if (!headless::WriteScreenshot(window, path.c_str())) {
            capture.failure = "cannot write the picture '" + path + "'";
        }
        return;
    }
    render::Picture picture;
    if (!headless::WriteScreenshot(window, capture.scratchPath.c_str())) {
        capture.failure = "cannot write the screenshot '" + capture.scratchPath + "'";
        return;
    }
    capture.failure = LoadPicture(capture.scratchPath, picture);
    if (capture.failure.empty()) {
        capture.failure =
            capture.animation.AddFrame(picture, render::FrameDelayCentiseconds(capture.options));
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
        steps.push_back(headless::Do([&capture] { TakePicture(capture); }));
    }
    steps.push_back(headless::ChooseMenu(IDM_EXIT));
    return steps;
}

// Creates each output file before the run, so that an unwritable path fails at once.
std::string CheckPngPaths(const render::RenderOptions& options) {
    for (int frame = 1; frame <= options.frames; ++frame) {
        const std::string path = render::FramePath(options, frame);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) {
            return "cannot write '" + path + "': " + std::strerror(errno);
        }
        std::fclose(file);
    }
    return "";
}

std::string MakeScratchFile(std::string& path) {
    const char* folder = std::getenv("TMPDIR");
    path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
           "/sorvelin-render-XXXXXX.png";
    const int descriptor = mkstemps(path.data(), 4);
    if (descriptor < 0) {
        return "cannot create a scratch file in '" + path + "': " + std::strerror(errno);
    }
    close(descriptor);
    return "";
}

void RemoveOutputs(const Capture& capture) {
    if (capture.options.format == render::OutputFormat::GIF) {
        std::remove(capture.options.output.c_str());
        return;
    }
    for (int frame = 1; frame <= capture.options.frames; ++frame) {
        std::remove(render::FramePath(capture.options, frame).c_str());
    }
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
    if (capture->options.format == render::OutputFormat::GIF) {
        if (std::string error = capture->animation.Open(capture->options.output); !error.empty()) {
            return Fail(EXIT_BAD_USAGE, "cannot write '" + capture->options.output + "': " + error);
        }
        if (std::string error = MakeScratchFile(capture->scratchPath); !error.empty()) {
            RemoveOutputs(*capture);
            return Fail(EXIT_FAILURE, error);
        }
    } else if (std::string error = CheckPngPaths(capture->options); !error.empty()) {
        return Fail(EXIT_BAD_USAGE, error);
    }

    headless::Reset();
    headless::Script(BuildScript(*capture));
    const int exitCode = headless::RunWinMain();
    if (capture->failure.empty() &&
        (exitCode != 0 || headless::ScriptRanOut() || headless::RefusedInputs() != 0)) {
        capture->failure = "the program did not take every scripted step (exit code " +
                           std::to_string(exitCode) + ")";
    }
    if (capture->failure.empty() && capture->options.format == render::OutputFormat::GIF) {
        capture->failure = capture->animation.Finish();
    }
    if (!capture->scratchPath.empty()) {
        std::remove(capture->scratchPath.c_str());
    }
    if (!capture->failure.empty()) {
        RemoveOutputs(*capture);
        return Fail(EXIT_FAILURE, capture->failure);
    }
    return 0;
}
