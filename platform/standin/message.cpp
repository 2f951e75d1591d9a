// The stand-in's message queue: retrieval, sending, posting, dispatch and the host's input.
#include <algorithm>

#include "platform/standin/standin.h"

namespace standin {

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return MSG{window, message, wParam, lParam, static_cast<DWORD>(Now()), POINT{}};
}

// Every message comes from here, in Win32's order of precedence. Sent messages need no step:
// with one thread, SendMessageA calls the procedure at once.
bool RetrieveMessage(MSG* message) {
    State& state = Global();
    for (;;) {
        // Posted messages, in the order they were posted.
        if (!state.posted.empty()) {
            *message = state.posted.front();
            state.posted.pop_front();
            return true;
        }
        // The quit request, once nothing posted is left.
        if (state.quitPending) {
            state.quitPending = false;
            *message = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(state.quitCode), 0);
            return false;
        }
        // Input from the host.
        if (!state.input.empty()) {
            *message = state.input.front();
            state.input.pop_front();
            return true;
        }
        // A window with an update region: the flag makes the message, so paints never pile up.
        if (Window* window = FindWindowToPaint()) {
            *message = MakeMessage(window->handle, WM_PAINT, 0, 0);
            return true;
        }
        // A due timer, only when nothing else waits.
        if (TakeDueTimer(message)) {
            return true;
        }
        // Nothing is ready: let the host wait for input or for the next timer.
        CurrentHost().Wait(NextTimerDeadline());
    }
}

void ForgetMessagesOf(HWND window) {
    for (std::deque<MSG>* queue : {&Global().posted, &Global().input}) {
        queue->erase(
            std::remove_if(queue->begin(), queue->end(),
                           [window](const MSG& message) { return message.hwnd == window; }),
            queue->end());
    }
}

namespace {

void QueueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Global().input.push_back(MakeMessage(window, message, wParam, lParam));
}

// The top-level window that the host's input is for, while it takes input.
Window* TopLevelTakingInput(HWND window) {
    Window* record = FindWindowRecord(window);
    return record != nullptr && record->parent == nullptr && TakesInput(record) ? record : nullptr;
}

}  // namespace

bool ClickButton(HWND button) {
    Window* window = FindWindowRecord(button);
    if (window == nullptr || window->parent == nullptr || !TakesInput(window)) {
        return false;
    }
    QueueInput(button, WM_LBUTTONDOWN_MESSAGE, 0, 0);
    QueueInput(button, WM_LBUTTONUP_MESSAGE, 0, 0);
    return true;
}

bool ChooseMenuCommand(HWND window, UINT command) {
    Window* record = TopLevelTakingInput(window);
    const MenuItem* item = record != nullptr && record->menu != nullptr
                               ? FindMenuItem(*record->menu, command)
                               : nullptr;
    // A grayed or disabled item cannot be chosen; a chosen one arrives as WM_COMMAND with 0 above.
    if (item == nullptr || item->state != MF_ENABLED) {
        return false;
    }
    QueueInput(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return true;
}

bool RequestClose(HWND window) {
    if (TopLevelTakingInput(window) == nullptr) {
        return false;
    }
    QueueInput(window, WM_CLOSE, 0, 0);
    return true;
}

bool ResizeClient(HWND window, int width, int height) {
    Window* record = TopLevelTakingInput(window);
    if (record == nullptr || width < 0 || height < 0 || width > 0xFFFF || height > 0xFFFF) {
        return false;
    }
    SetClientSize(record, width, height, SIZE_RESTORED);
    return true;
}

bool Minimize(HWND window) {
    Window* record = TopLevelTakingInput(window);  // a minimised one takes none
    if (record == nullptr) {
        return false;
    }
    record->restoredClientWidth = record->clientWidth;
    record->restoredClientHeight = record->clientHeight;
    record->minimized = true;
    ValidateClient(record);
    SetClientSize(record, 0, 0, SIZE_MINIMIZED);
    return true;
}

bool Restore(HWND window) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr || record->parent != nullptr || !record->minimized || !record->enabled) {
        return false;
    }
    record->minimized = false;
    SetClientSize(record, record->restoredClientWidth, record->restoredClientHeight, SIZE_RESTORED);
    // The whole client area is uncovered again.
    if (Window* restored = FindWindowRecord(window)) {
        InvalidateClient(restored, nullptr, true);
    }
    return true;
}

bool DismissMessageBox(HWND box) {
    Window* record = FindWindowRecord(box);
    if (record == nullptr || record->windowClass.name != DIALOG_CLASS) {
        return false;
    }
    QueueInput(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
}

}  // namespace standin

using namespace standin;

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT, UINT) {
    // A filter window that does not exist is GetMessageA's one error, reported as -1.
    if (window != nullptr && FindWindowRecord(window) == nullptr) {
        return -1;
    }
    // The program only ever asks for every message of the thread, so filters are not kept.
    MSG retrieved{};
    const bool more = RetrieveMessage(&retrieved);
    if (msg != nullptr) {
        *msg = retrieved;
    }
    return more ? TRUE : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (msg == nullptr) {
        return 0;
    }
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        // Only a procedure that SetTimer registered is called, as Windows checks too: a WM_TIMER
        // posted by anyone with any lParam must not become a call to an arbitrary address.
        auto procedure = reinterpret_cast<TIMERPROC>(msg->lParam);
        if (IsTimerProcedure(msg->hwnd, msg->wParam, procedure)) {
            procedure(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        }
        return 0;
    }
    Window* window = FindWindowRecord(msg->hwnd);
    if (window == nullptr) {
        return 0;
    }
    return CallWindowProcedure(window, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr) {
        return 0;
    }
    return CallWindowProcedure(record, message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr && FindWindowRecord(window) == nullptr) {
        return FALSE;
    }
    Global().posted.push_back(MakeMessage(window, message, wParam, lParam));
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    Global().quitPending = true;
    Global().quitCode = exitCode;
}
