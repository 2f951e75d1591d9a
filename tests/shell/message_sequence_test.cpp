// The messages the main window receives for a tick, a command and the end, in order.
#include "tests/support/message_sequence.h"
#include "shell_fixture.h"

namespace {

using test_support::ExpectSequence;

class MessageSequence : public ShellTest {
  protected:
    headless::MessageSpy spy;

    // Forgets what came before, so the next check sees one step's messages only.
    headless::Step Forget() {
        return headless::Do([this] { spy.Clear(); });
    }

    // Checks what the main window received since the last Forget against a table; a mismatch
    // is reported at the line that made this step.
    headless::Step Expect(std::span<const UINT> expected, const char* what,
                          std::source_location where = std::source_location::current()) {
        return headless::Do([this, expected, what, where] {
            ExpectSequence(spy.MessagesOf(headless::MainWindow()), expected, what, where);
            spy.Clear();
        });
    }
};

// The erase of a repaint comes from inside the paint's BeginPaint, as on Windows.
const UINT MODE_0_TICK[] = {WM_TIMER, WM_PAINT, WM_ERASEBKGND};
const UINT MODE_1_TICK[] = {WM_TIMER};
const UINT COMMAND_WITH_REPAINT[] = {WM_COMMAND, WM_PAINT, WM_ERASEBKGND};
const UINT COMMAND_WITHOUT_REPAINT[] = {WM_COMMAND};
const UINT START_UP[] = {WM_CREATE, WM_SIZE, WM_PAINT, WM_ERASEBKGND};
const UINT CLOSE[] = {WM_CLOSE, WM_DESTROY};

TEST_F(MessageSequence, StartUpCreatesSizesAndPaintsBeforeTheFirstTick) {
    HWND window = nullptr;
    RunProgram({
        Expect(START_UP, "start-up"),
        headless::AdvanceTimers(1),
        Expect(MODE_0_TICK, "first tick"),
        headless::Do([this, &window] {
            window = headless::MainWindow();
            spy.Clear();
        }),
        headless::Close(),
    });
    // The window is gone now; its last messages are the close request and the destruction.
    ExpectSequence(spy.MessagesOf(window), CLOSE, "close");
}

TEST_F(MessageSequence, ATickRepaintsOnlyInModeZero) {
    RunProgram({
        Forget(),
        headless::AdvanceTimers(1),
        Expect(MODE_0_TICK, "mode 0 tick"),
        headless::Click(IDC_MODE),
        Expect(COMMAND_WITHOUT_REPAINT, "MODE into trails"),
        headless::AdvanceTimers(1),
        Expect(MODE_1_TICK, "mode 1 tick"),
        headless::Click(IDC_MODE),
        Expect(COMMAND_WITH_REPAINT, "MODE out of trails"),
        headless::Close(),
    });
}

TEST_F(MessageSequence, CommandsRepaintAsTheirModeSays) {
    RunProgram({
        headless::Click(IDC_MODE),
        Forget(),
        // In trails mode only the zoom and clock commands erase.
        headless::Click(IDC_SLOWER),
        Expect(COMMAND_WITHOUT_REPAINT, "slower in mode 1"),
        headless::Click(IDC_FASTER),
        Expect(COMMAND_WITHOUT_REPAINT, "faster in mode 1"),
        headless::Click(IDC_ZOOM_OUT),
        Expect(COMMAND_WITH_REPAINT, "zoom out in mode 1"),
        headless::Click(IDC_ZOOM_IN),
        Expect(COMMAND_WITH_REPAINT, "zoom in in mode 1"),
        headless::Click(IDC_ONE_YEAR),
        Expect(COMMAND_WITH_REPAINT, "one year in mode 1"),
        headless::ChooseMenu(IDM_YEAR_2000),
        Expect(COMMAND_WITH_REPAINT, "year 2000 in mode 1"),
        // Back in mode 0 every drawing command erases.
        headless::Click(IDC_MODE),
        Forget(),
        headless::Click(IDC_SLOWER),
        Expect(COMMAND_WITH_REPAINT, "slower in mode 0"),
        headless::Click(IDC_FASTER),
        Expect(COMMAND_WITH_REPAINT, "faster in mode 0"),
        // Showing the status bar draws nothing of the scene.
        headless::ChooseMenu(IDM_SHOW_STATUS),
        Expect(COMMAND_WITHOUT_REPAINT, "show the status bar"),
        headless::ChooseMenu(IDM_EXIT),
    });
    // Exit ends the loop without destroying the window.
    ExpectSequence(spy.MessagesOf(headless::MainWindow()), COMMAND_WITHOUT_REPAINT, "exit");
}

}  // namespace
