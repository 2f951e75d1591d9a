// The render tool's command line: getopt_long with one-line errors, the help text, frame paths.
#include "tools/render/options.h"

#include <getopt.h>

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

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

// The options that take a whole number: the field each goes to and its range.
struct NumberOption {
    const char* name;  // without the leading "--"
    int RenderOptions::*field;
    int minimum;
    int maximum;
};
constexpr NumberOption NUMBER_OPTIONS[] = {
    {"one-year", &RenderOptions::oneYearPresses, 0, MAXIMUM_PRESSES},
    {"zoom-out", &RenderOptions::zoomOutPresses, 0, MAXIMUM_PRESSES},
    {"zoom-in", &RenderOptions::zoomInPresses, 0, MAXIMUM_PRESSES},
    {"slower", &RenderOptions::slowerPresses, 0, MAXIMUM_PRESSES},
    {"faster", &RenderOptions::fasterPresses, 0, MAXIMUM_PRESSES},
    {"mode", &RenderOptions::mode, 0, 1},
    {"ticks", &RenderOptions::ticks, 0, MAXIMUM_TICKS},
    {"frames", &RenderOptions::frames, 1, MAXIMUM_FRAMES},
    {"every", &RenderOptions::every, 1, MAXIMUM_TICKS},
    {"delay", &RenderOptions::delayMilliseconds, MINIMUM_DELAY_MS, MAXIMUM_DELAY_MS},
};

// getopt_long's code of each option. A number option's is NUMBER plus its index in
// NUMBER_OPTIONS; the other long options without a short one count from 256.
enum OptionCode : int {
    OUTPUT = 1,  // an argument that is not an option, in the "-" mode of getopt_long
    HELP = 'h',
    SIZE = 256,
    STATUS_BAR,
    YEAR_2000,
    TRAILS,
    NUMBER = 512,
};

// "-": every argument comes back in its place, an OUTPUT too, so that the first problem on the
// line is the one reported, whatever POSIXLY_CORRECT says; ":": getopt_long prints nothing and
// tells a missing value apart.
constexpr char SHORT_OPTIONS[] = "-:h";

// getopt_long's table of the long options, ending with its zero entry.
std::vector<option> LongOptions() {
    std::vector<option> options = {
        {"help", no_argument, nullptr, HELP},
        {"size", required_argument, nullptr, SIZE},
        {"status-bar", no_argument, nullptr, STATUS_BAR},
        {"year-2000", no_argument, nullptr, YEAR_2000},
        {"trails", no_argument, nullptr, TRAILS},
    };
    for (int index = 0; index < static_cast<int>(std::size(NUMBER_OPTIONS)); ++index) {
        options.push_back({NUMBER_OPTIONS[index].name, required_argument, nullptr, NUMBER + index});
    }
    options.push_back({nullptr, 0, nullptr, 0});
    return options;
}

// "--ticks" for the code of --ticks, "-x" for that of an unknown -x.
std::string OptionName(int code) {
    for (const option& entry : LongOptions()) {
        if (entry.name != nullptr && entry.val == code) {
            return std::string("--") + entry.name;
        }
    }
    return "-" + std::string(1, static_cast<char>(code));
}

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

// --size WxH: two numbers, each checked on its own.
std::optional<UsageError> TakeSize(std::string_view value, RenderOptions& options) {
    const auto cross = value.find('x');
    if (cross == std::string_view::npos) {
        return UsageError{"--size: '" + std::string(value) +
                          "' is not WIDTHxHEIGHT, such as 784x541"};
    }
    auto width = ParseNumber("--size width", value.substr(0, cross), MINIMUM_CLIENT_SIDE,
                             MAXIMUM_CLIENT_SIDE);
    auto height = ParseNumber("--size height", value.substr(cross + 1), MINIMUM_CLIENT_SIDE,
                              MAXIMUM_CLIENT_SIDE);
    for (const auto* side : {&width, &height}) {
        if (const auto* error = std::get_if<UsageError>(side)) {
            return *error;
        }
    }
    options.clientWidth = std::get<int>(width);
    options.clientHeight = std::get<int>(height);
    return std::nullopt;
}

// One option with a value, the value as given.
std::optional<UsageError> TakeValue(int code, std::string_view value, RenderOptions& options) {
    if (code == SIZE) {
        return TakeSize(value, options);
    }
    assert(code >= NUMBER && code - NUMBER < static_cast<int>(std::size(NUMBER_OPTIONS)));
    const NumberOption& number = NUMBER_OPTIONS[code - NUMBER];
    auto parsed = ParseNumber(OptionName(code), value, number.minimum, number.maximum);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        return *error;
    }
    options.*number.field = std::get<int>(parsed);
    return std::nullopt;
}

// The next option's code from getopt_long, or -1 at the end; argv ends with its null.
int NextOption(std::vector<char*>& argv) {
    static const std::vector<option> longOptions = LongOptions();
    return getopt_long(static_cast<int>(argv.size()) - 1, argv.data(), SHORT_OPTIONS,
                       longOptions.data(), nullptr);
}

// The one argument that is not an option.
std::optional<UsageError> TakeOutput(std::string_view path, RenderOptions& options,
                                     bool& outputGiven) {
    if (outputGiven) {
        return UsageError{"more than one OUTPUT: '" + options.output + "' and '" +
                          std::string(path) + "'"};
    }
    options.output = path;
    outputGiven = true;
    return std::nullopt;
}

// The output's format, and the checks that need the whole line.
ParseResult Finish(RenderOptions options, bool outputGiven) {
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
    if (options.delayMilliseconds != 0 && options.format != OutputFormat::GIF) {
        return UsageError{"--delay applies only to a .gif OUTPUT"};
    }
    return options;
}

}  // namespace

ParseResult ParseOptions(int argumentCount, const char* const* arguments) {
    // getopt_long reads a mutable argv but writes none of its strings.
    std::vector<char*> argv;
    for (int index = 0; index < argumentCount; ++index) {
        argv.push_back(const_cast<char*>(arguments[index]));
    }
    argv.push_back(nullptr);
    optind = 0;  // starts getopt_long afresh, for a second parse in the same process
    RenderOptions options;
    bool outputGiven = false;
    for (int code = NextOption(argv); code != -1; code = NextOption(argv)) {
        switch (code) {
            case HELP:
                return ShowHelp{};
            case STATUS_BAR:
                options.statusBar = true;
                break;
            case YEAR_2000:
                options.year2000 = true;
                break;
            case TRAILS:
                options.mode = 1;
                break;
            case OUTPUT:
                if (std::optional<UsageError> error = TakeOutput(optarg, options, outputGiven)) {
                    return *error;
                }
                break;
            case ':':
                return UsageError{OptionName(optopt) + ": missing value"};
            case '?': {
                // An unknown short option is in optopt; an unknown long one, or a long one given
                // a value it does not take, is the whole argument before optind.
                const bool shortOption = optopt != 0 && optopt != HELP && optopt < SIZE;
                const std::string given = shortOption ? OptionName(optopt) : argv[optind - 1];
                return UsageError{"unknown option '" + given + "' (see --help)"};
            }
            default:
                if (std::optional<UsageError> error = TakeValue(code, optarg, options)) {
                    return *error;
                }
        }
    }
    // What follows "--" is not an option, even where it starts with "-".
    for (int index = optind; index < argumentCount; ++index) {
        if (std::optional<UsageError> error = TakeOutput(arguments[index], options, outputGiven)) {
            return *error;
        }
    }
    return Finish(options, outputGiven);
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
(checked before the run). Stopped by SIGINT (Ctrl-C), SIGTERM or SIGHUP, it
removes what it began to write and ends by that signal: status 130, 143 or
129 in a shell. An OUTPUT that is a symbolic link is written through it.
)";
}

}  // namespace render
