// Writes the program's client pixels, as the headless host has them after a few steps, as a
// binary PPM: the reference that the browser's canvas must match pixel for pixel.
//
// Usage: reference_frame OUTPUT.ppm STEP...   with STEP one of menu:COMMAND, click:ID, ticks:N
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "resources/resource.h"

int main(int argumentCount, char** arguments) {
    if (argumentCount < 2) {
        std::fputs("usage: reference_frame OUTPUT.ppm [menu:COMMAND|click:ID|ticks:N]...\n",
                   stderr);
        return 2;
    }
    const std::string output = arguments[1];
    headless::Reset();
    std::vector<headless::Step> steps;
    for (int index = 2; index < argumentCount; ++index) {
        const std::string step = arguments[index];
        const std::size_t colon = step.find(':');
        const std::string kind = step.substr(0, colon);
        const int value = colon == std::string::npos ? -1 : std::atoi(step.c_str() + colon + 1);
        if (kind == "menu" && value > 0) {
            steps.push_back(headless::ChooseMenu(static_cast<UINT>(value)));
        } else if (kind == "click" && value > 0) {
            steps.push_back(headless::Click(value));
        } else if (kind == "ticks" && value > 0) {
            steps.push_back(headless::AdvanceTimers(value));
        } else {
            std::fprintf(stderr, "reference_frame: unknown step %s\n", step.c_str());
            return 2;
        }
    }
    bool written = false;
    steps.push_back(headless::Do([&] {
        const HWND window = headless::MainWindow();
        RECT client;
        GetClientRect(window, &client);
        std::FILE* file = std::fopen(output.c_str(), "wb");
        if (file == nullptr) {
            return;
        }
        const int width = client.right;
        const int height = client.bottom;
        std::fprintf(file, "P6\n%d %d\n255\n", width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF colour = headless::Pixel(window, x, y);
                const unsigned char rgb[3] = {GetRValue(colour), GetGValue(colour),
                                              GetBValue(colour)};
                std::fwrite(rgb, 1, 3, file);
            }
        }
        written = std::fclose(file) == 0;
    }));
    steps.push_back(headless::ChooseMenu(IDM_EXIT));
    headless::Script(std::move(steps));
    const int exitCode = headless::RunWinMain();
    if (!written || exitCode != 0 || headless::RefusedInputs() != 0) {
        std::fprintf(stderr, "reference_frame: the run ended with %d, %d inputs refused, %s\n",
                     exitCode, headless::RefusedInputs(), written ? "written" : "nothing written");
        return 1;
    }
    return 0;
}
