// The render tool's command line: what to press, how long to run, and what to write.
//
// The tool drives the real program on the headless host. The command line only says how many
// times each button or menu item is used; the tool uses them in one fixed order (the order of
// the fields below), so that a zoom, which erases the trails, never comes after the trails.
#pragma once

#include <string>
#include <variant>

namespace render {

enum class OutputFormat { PNG, GIF };

struct RenderOptions {
    int clientWidth = 0;        // pixels; 0 keeps the client area of the program's own window
    int clientHeight = 0;       // pixels; 0 keeps the client area of the program's own window
    bool statusBar = false;     // show the status bar first
    bool year2000 = false;      // start the clock at the start of 2000
    int oneYearPresses = 0;     // presses of "one year later"
    int zoomOutPresses = 0;     // presses of "move away"
    int zoomInPresses = 0;      // presses of "come closer"
    int slowerPresses = 0;      // presses of "slower"
    int fasterPresses = 0;      // presses of "faster"
    int mode = 0;               // 1 presses MODE once, for trails
    int ticks = 0;              // animation ticks before the first picture
    int frames = 1;             // pictures taken
    int every = 10;             // animation ticks between two pictures
    int delayMilliseconds = 0;  // GIF display time of a frame; 0 means every × 50 ms
    OutputFormat format = OutputFormat::PNG;
    std::string output;  // the path given; PNG frames get numbers, see FramePath
};

struct ShowHelp {};       // -h or --help: print UsageText and succeed
struct UsageError {       // a bad command line: print the message and exit with 2
    std::string message;  // one line, without the program's name
};
using ParseResult = std::variant<RenderOptions, ShowHelp, UsageError>;

ParseResult ParseOptions(int argumentCount, const char* const* arguments);  // argv as main has it
std::string UsageText();                                                    // the --help text
std::string FramePath(const RenderOptions& options, int frame);  // frame from 1; PNG numbering
int FrameDelayCentiseconds(const RenderOptions& options);        // GIF delay of each frame

}  // namespace render
