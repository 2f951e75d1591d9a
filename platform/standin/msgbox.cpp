// The stand-in's message box: a modal dialog whose own loop goes on dispatching messages.
#include "platform/standin/standin.h"

namespace standin {

// The dialog ends when its OK button is clicked, which the host delivers as WM_COMMAND IDOK.
LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* dialog = FindWindowRecord(window);
    if (dialog != nullptr && message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        dialog->dialogEnded = true;
        return 0;
    }
    if (message == WM_CLOSE) {
        return 0;  // a message box closes only through its button
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::optional<MessageBoxDescription> OpenMessageBox() {
    std::optional<MessageBoxDescription> innermost;
    for (auto& [handle, window] : Global().windows) {
        if (window->windowClass.name == DIALOG_CLASS) {
            innermost =
                MessageBoxDescription{handle, window->owner, window->text, window->messageText};
        }
    }
    return innermost;
}

}  // namespace standin

using namespace standin;

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT) {
    HWND box =
        CreateWindowExA(0, DIALOG_CLASS, caption != nullptr ? caption : "Error", WS_VISIBLE,
                        CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner, nullptr, nullptr, nullptr);
    Window* dialog = FindWindowRecord(box);
    if (dialog == nullptr) {
        return 0;
    }
    dialog->messageText = text != nullptr ? text : "";
    // The owner takes no input while the box is open.
    Window* ownerRecord = FindWindowRecord(owner);
    const bool ownerWasEnabled = ownerRecord != nullptr && ownerRecord->enabled;
    if (ownerWasEnabled) {
        ownerRecord->enabled = false;
        CurrentHost().WindowChanged(owner);
    }
    CurrentHost().MessageBoxOpened(box);
    // The modal loop dispatches every message of the thread, so the owner's timer goes on.
    int result = IDOK;
    MSG message;
    for (;;) {
        Window* current = FindWindowRecord(box);
        if (current == nullptr || current->dialogEnded) {
            break;
        }
        if (!GetMessageA(&message, nullptr, 0, 0)) {
            // A quit request ends the box and goes on to the outer loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            result = 0;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if ((ownerRecord = FindWindowRecord(owner)) != nullptr && ownerWasEnabled) {
        ownerRecord->enabled = true;
        CurrentHost().WindowChanged(owner);
    }
    CurrentHost().MessageBoxClosed(box);
    DestroyWindow(box);
    return result;
}
