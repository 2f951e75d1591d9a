// The render tool's command line: parsing with one-line errors, the help text, frame paths.
#include "tools/render/options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "shell/shell.h"

namespace render {

namespace {

constexpr int MAXIMUM_PRESSES = 1000;
constexpr int MAXIMUM_TICKS = 1000000;  // about 2700 model years at one day a tick
constexpr int MAXIMUM_FRAMES = 2000;
constexpr int MINIMUM_CLIENT_SIDE = 64;
constexpr int MAXIMUM_CLIENT_SIDE = 4096;
constexpr int MINIMUM_DELAY_MS = 20;      // viewers show shorter GIF delays as 100 ms
constexpr int MAXIMUM_DELAY_MS = 655350;  // a GIF delay is 16 bits of centiseconds

bool EndsWith(std::string_view text, std::string_view ending) {
    return text.size() > ending.size() && text.substr(text.size() - ending.size()) == ending;
}

// A whole number in [minimum, maximum], or the reason why the text is not one.
std::variant<int, UsageError> ParseNumber(std::string_view option, std::string_view text,
                                          int minimum, int maximum) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || stop != end ||
        (error != std::errc() && error != std::errc::result_out_of_range)) {
        return UsageError{std::string(option) + ": '" + std::string(text) +
                          "' is not a whole number"};
    }
    if (error == std::errc::result_out_of_range || value < minimum || value > maximum) {
        return UsageError{std::string(option) + ": " + std::string(text) + " is out of range (" +
                          std::to_string(minimum) + " to " + std::to_string(maximum) + ")"};
    }
    return value;
}

}  // namespace

ParseResult ParseOptions(int argumentCount, const char* const* arguments) {
    RenderOptions options;
    bool delayGiven = false;
    bool outputGiven = false;
    for (int index = 1; index < argumentCount; ++index) {
        std::string_view argument = arguments[index];
        if (argument == "-h" || argument == "--help") {
            return ShowHelp{};
        }
        if (argument.size() < 2 || argument[0] != '-') {
            if (outputGiven) {
                return UsageError{"more than one OUTPUT: '" + options.output + "' and '" +
                                  std::string(argument) + "'"};
            }
            options.output = argument;
            outputGiven = true;
            continue;
        }

        // Options without a value.
        if (argument == "--status-bar") {
            options.statusBar = true;
            continue;
        }
        if (argument == "--year-2000") {
            options.year2000 = true;
            continue;
        }
        if (argument == "--trails") {
            options.mode = 1;
            continue;
        }

        // Options with a value, as "--name VALUE" or "--name=VALUE".
        std::string_view name = argument;
        std::string_view value;
        bool hasValue = false;
        if (const auto equals = argument.find('='); equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            hasValue = true;
        }
        struct NumberOption {
            std::string_view name;
            int* field;
            int minimum;
            int maximum;
        };
        const NumberOption numberOptions[] = {
            {"--one-year", &options.oneYearPresses, 0, MAXIMUM_PRESSES},
            {"--zoom-out", &options.zoomOutPresses, 0, MAXIMUM_PRESSES},
            {"--zoom-in", &options.zoomInPresses, 0, MAXIMUM_PRESSES},
            {"--slower", &options.slowerPresses, 0, MAXIMUM_PRESSES},
            {"--faster", &options.fasterPresses, 0, MAXIMUM_PRESSES},
            {"--mode", &options.mode, 0, 1},
            {"--ticks", &options.ticks, 0, MAXIMUM_TICKS},
            {"--frames", &options.frames, 1, MAXIMUM_FRAMES},
            {"--every", &options.every, 1, MAXIMUM_TICKS},
            {"--delay", &options.delayMilliseconds, MINIMUM_DELAY_MS, MAXIMUM_DELAY_MS},
        };
        const NumberOption* match = nullptr;
        for (const NumberOption& candidate : numberOptions) {
            if (candidate.name == name) {
                match = &candidate;
            }
        }
        if (match == nullptr && name != "--size") {
            return UsageError{"unknown option '" + std::string(argument) + "' (see --help)"};
        }
        if (!hasValue) {
            if (index + 1 >= argumentCount) {
                return UsageError{std::string(name) + ": missing value"};
            }
            value = arguments[++index];
        }

        if (match == nullptr) {
            // --size WxH: two numbers, each checked on its own.
            const auto cross = value.find('x');
            if (cross == std::string_view::npos) {
                return UsageError{"--size: '" + std::string(value) +
                                  "' is not WIDTHxHEIGHT, such as 784x541"};
            }
            auto width = ParseNumber("--size width", value.substr(0, cross), MINIMUM_CLIENT_SIDE,
                                     MAXIMUM_CLIENT_SIDE);
            auto height = ParseNumber("--size height", value.substr(cross + 1), MINIMUM_CLIENT_SIDE,
                                      MAXIMUM_CLIENT_SIDE);
            if (auto* error = std::get_if<UsageError>(&width)) {
                return *error;
            }
            if (auto* error = std::get_if<UsageError>(&height)) {
                return *error;
            }
            options.clientWidth = std::get<int>(width);
            options.clientHeight = std::get<int>(height);
            continue;
        }
        auto number = ParseNumber(match->name, value, match->minimum, match->maximum);
        if (auto* error = std::get_if<UsageError>(&number)) {
            return *error;
        }
        *match->field = std::get<int>(number);
        delayGiven = delayGiven || match->field == &options.delayMilliseconds;
    }

    if (!outputGiven) {
        return UsageError{"missing OUTPUT, a .png or .gif path (see --help)"};
    }
    if (EndsWith(options.output, ".png")) {
        options.format = OutputFormat::PNG;
    } else if (EndsWith(options.output, ".gif")) {
        options.format = OutputFormat::GIF;
    } else {
        return UsageError{"OUTPUT must end in .png or .gif: '" + options.output + "'"};
    }
    if (delayGiven && options.format != OutputFormat::GIF) {
        return UsageError{"--delay applies only to a .gif OUTPUT"};
    }
    return options;
}

std::string FramePath(const RenderOptions& options, int frame) {
    if (options.format != OutputFormat::PNG || options.frames == 1) {
        return options.output;
    }
    // Numbered like out-01.png: two digits, or as many as the last frame has when it has more.
    const int digits = std::max(2, static_cast<int>(std::to_string(options.frames).size()));
    char number[16];
    std::snprintf(number, sizeof number, "-%0*d", digits, frame);
    const std::string stem = options.output.substr(0, options.output.size() - 4);
    return stem + number + ".png";
}

int FrameDelayCentiseconds(const RenderOptions& options) {
    const int milliseconds = options.delayMilliseconds != 0
                                 ? options.delayMilliseconds
                                 : options.every * static_cast<int>(ANIMATION_PERIOD_MS);
    const int centiseconds = (milliseconds + 5) / 10;
    return centiseconds < 65535 ? centiseconds : 65535;
}

std::string UsageText() {
    return R"(Usage: sorvelin-render [OPTIONS] OUTPUT.png|OUTPUT.gif

Runs Sorvelin's own window on a virtual clock, with no display, and writes what
the window shows (client area, buttons and status bar): a PNG of the last frame,
numbered PNG frames, or an animated GIF that loops.

The program starts at the beginning of 1950 with 250 pixels per AU and one day
per tick. The tool then uses the buttons and menu items below in this order,
whatever the order on the command line, and runs the animation:

  --size WxH        client area in pixels, 64 to 4096 each
                    (default: that of the program's 800 by 600 window)
  --status-bar      show the status bar (menu: show the status bar)
  --year-2000       set the clock to the start of 2000 (menu: 2000)
  --one-year N      press "one year later" N times
  --zoom-out N      press "move away" N times: 250, 125, 62, 31, 15, 7, 3 px/AU
  --zoom-in N       press "come closer" N times: 250, 375, 562 px/AU
  --slower N        press "slower" N times: half the days per tick each
  --faster N        press "faster" N times: twice the days per tick each
  --mode 0|1        drawing mode; 1 presses MODE once: markers leave trails
  --trails          the same as --mode 1
  --ticks N         animation ticks (50 ms of the program's time each) before
                    the first picture (default 0, up to 1000000)
  --frames N        number of pictures (default 1, up to 2000); as PNG they are
                    numbered: OUTPUT-01.png, OUTPUT-02.png, ... (with
                    three digits from 100 frames on, four from 1000)
  --every K         ticks between two pictures (default 10)
  --delay MS        GIF only: display time of each frame, 20 to 655350 ms
                    (default: K ticks of 50 ms, the program's own speed)
  -h, --help        show this text

Press counts go from 0 to 1000; a press past a limit changes nothing, as in
the program. Options take their value as "--ticks 365" or "--ticks=365".

Examples:
  sorvelin-render --trails --ticks 365 trails-1950.png
  sorvelin-render --trails --frames 74 --every 10 --delay 100 orrery.gif
                    (two years from 1950: ticks 0, 10, ..., 730)

Exit status: 0 when written; 1 when the run or the writing failed, such as a
program that ended before every picture was taken, and then no picture is
left behind; 2 for a bad command line or an OUTPUT that cannot be written
(checked before the run).
)";
}

}  // namespace render
