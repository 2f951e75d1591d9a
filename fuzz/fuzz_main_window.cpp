// Fuzzes the program's window procedure with message sequences through the stand-in.
//
// Each input runs the real program from WinMain on the headless host. Its bytes become script
// steps: messages posted to the main window (those MainWindowProc handles, the ones the default
// procedure acts on, and any other number, each with any wParam and lParam), and the host's own
// input: timer ticks, buttons, menu items, resizes, minimising, restoring and dismissing the
// version message. Posting rather than sending lets the version message's modal loop run the
// later steps, as it would take a user's input. After every step the view must stay in range.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "shell/shell.h"

namespace {

const UINT INTERESTING_MESSAGES[] = {
    WM_CREATE, WM_DESTROY, WM_SIZE,     WM_PAINT,  WM_CLOSE,   WM_ERASEBKGND,
    WM_TIMER,  WM_COMMAND, SB_SETTEXTA, SB_SIMPLE, WM_COMMAND, WM_TIMER,
};
const int COMMAND_IDS[] = {
    101,      102, 103, 104, 105, 106, IDM_YEAR_2000, IDM_EXIT, IDM_SHOW_STATUS, IDM_HIDE_STATUS,
    IDM_ABOUT};
const double LAST_ELAPSED = 54786.0 / 36524.219;

void CheckView() {
    const ViewSettings& settings = viewState.settings;
    int exponent = 0;
    const bool created = settings.size != 0;  // all zero until WM_CREATE
    if (created && (settings.size < 2 || settings.size > 748 ||
                    std::frexp(settings.interval, &exponent) != 0.5 || exponent < -6 ||
                    exponent > 8 || (settings.mode != 0 && settings.mode != 1))) {
        std::abort();
    }
    if (!(viewState.elapsed >= 0.0 && viewState.elapsed <= LAST_ELAPSED)) {
        std::abort();
    }
}

// One step made from the input's next bytes.
headless::Step NextStep(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
        case 1: {
            // A message the program knows, or any number at all, with any parameters.
            const UINT message = input.ConsumeBool() ? input.PickValueInArray(INTERESTING_MESSAGES)
                                                     : input.ConsumeIntegral<UINT>();
            WPARAM wParam = input.ConsumeIntegral<WPARAM>();
            if (message == WM_COMMAND && input.ConsumeBool()) {
                wParam = static_cast<WPARAM>(input.PickValueInArray(COMMAND_IDS));
            }
            const LPARAM lParam = input.ConsumeIntegral<LPARAM>();
            return headless::Do([message, wParam, lParam] {
                PostMessageA(headless::MainWindow(), message, wParam, lParam);
            });
        }
        case 2:
        case 3:
            return headless::AdvanceTimers(input.ConsumeIntegralInRange<int>(1, 20));
        case 4:
            return headless::Click(input.ConsumeIntegralInRange<int>(100, 107));
        case 5:
            return headless::ChooseMenu(static_cast<UINT>(input.PickValueInArray(COMMAND_IDS)));
        case 6:
            return headless::ResizeClient(input.ConsumeIntegralInRange<int>(-1, 3000),
                                          input.ConsumeIntegralInRange<int>(-1, 3000));
        case 7:
            return input.ConsumeBool() ? headless::Minimize() : headless::Restore();
        case 8:
            return headless::DismissMessageBox();
        default:
            return headless::AdvanceTime(input.ConsumeIntegralInRange<std::uint64_t>(0, 200));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    headless::Reset();
    viewState = ViewState{};
    FuzzedDataProvider input(data, size);
    std::vector<headless::Step> steps;
    while (input.remaining_bytes() > 0 && steps.size() < 400) {
        headless::Step step = NextStep(input);
        steps.push_back([step] {
            const bool done = step();
            CheckView();
            return done;
        });
    }
    headless::Script(std::move(steps));
    // The program ends by Exit, by its window's destruction or, with the script used up, by the
    // host's quit request.
    const int exitCode = headless::RunWinMain();
    if (exitCode != 0 && exitCode != headless::SCRIPT_EXHAUSTED_EXIT_CODE) {
        std::abort();
    }
    return 0;
}
