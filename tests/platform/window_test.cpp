// Windows and their text: classes, creation, showing, window data, buttons and the message box.
#include <gtest/gtest.h>

#include "tests/platform/test_window.h"

namespace {

using namespace platform_test;

using WindowTest = WindowFixture;

TEST_F(WindowTest, AClickedButtonTellsItsParentWithItsIdentifierAndHandle) {
    Run({headless::Click(BUTTON_ID)});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].window, window);
    EXPECT_EQ(commands[0].wParam, MAKEWPARAM(BUTTON_ID, BN_CLICKED));
    EXPECT_EQ(commands[0].lParam, reinterpret_cast<LPARAM>(button));
    auto children = headless::Children(window);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0].kind, standin::WindowKind::Button);
    EXPECT_EQ(children[0].caption, "離れる");
    EXPECT_EQ(children[0].rect.left, 1);
    EXPECT_EQ(children[0].rect.bottom, 26);
}

TEST_F(WindowTest, AHiddenButtonTakesNoClick) {
    ShowWindow(button, SW_HIDE);
    EXPECT_FALSE(standin::ClickButton(button));
    Run({headless::Click(BUTTON_ID)});
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(headless::RefusedInputs(), 1);
}

TEST_F(WindowTest, ClassRegistrationRefusesWhatWin32Refuses) {
    const auto valid = [] {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = TestWindowProcedure;
        windowClass.lpszClassName = "Another";
        return windowClass;
    };
    struct Case {
        const char* what;
        void (*spoil)(WNDCLASSEXA&);
    };
    const Case refused[] = {
        {"a wrong cbSize", [](WNDCLASSEXA& c) { c.cbSize = 0; }},
        {"no procedure", [](WNDCLASSEXA& c) { c.lpfnWndProc = nullptr; }},
        {"no name", [](WNDCLASSEXA& c) { c.lpszClassName = nullptr; }},
        {"a name taken in another case", [](WNDCLASSEXA& c) { c.lpszClassName = "testWINDOW"; }},
    };
    for (const Case& c : refused) {
        WNDCLASSEXA windowClass = valid();
        c.spoil(windowClass);
        EXPECT_EQ(RegisterClassExA(&windowClass), 0) << c.what;
    }
    EXPECT_EQ(RegisterClassExA(nullptr), 0);
    const WNDCLASSEXA another = valid();
    EXPECT_NE(RegisterClassExA(&another), 0);
}

// Creation fails with NULL for a class nobody registered and for a child without a parent; class
// names, the system's too, match in any case.
TEST_F(WindowTest, CreationFindsClassesInAnyCaseAndNeedsAParentForAChild) {
    const auto create = [](LPCSTR className, DWORD style, HWND parent) {
        return CreateWindowExA(0, className, "", style, 0, 0, 10, 10, parent, nullptr, nullptr,
                               nullptr);
    };
    EXPECT_EQ(create("NoSuchClass", WS_OVERLAPPEDWINDOW, nullptr), nullptr);
    EXPECT_EQ(create("button", WS_CHILD, nullptr), nullptr);
    EXPECT_EQ(create("button", WS_CHILD, reinterpret_cast<HWND>(std::uintptr_t{0x1234})), nullptr);
    EXPECT_NE(create("button", WS_CHILD, window), nullptr);
    EXPECT_NE(create("TESTWINDOW", WS_OVERLAPPEDWINDOW, nullptr), nullptr);
}

// ShowWindow tells whether the window was visible before; GetWindowLongPtrA gives the instance
// the window was made with, and 0 for an index or a window it does not know.
TEST_F(WindowTest, ShowWindowReturnsThePreviousVisibilityAndWindowDataItsInstance) {
    EXPECT_NE(ShowWindow(button, SW_HIDE), FALSE);
    EXPECT_FALSE(ShowWindow(button, SW_HIDE));
    EXPECT_FALSE(ShowWindow(button, SW_SHOW));
    EXPECT_TRUE(ShowWindow(button, SW_SHOW));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_HINSTANCE),
              reinterpret_cast<LONG_PTR>(GetModuleHandleA(nullptr)));
    EXPECT_EQ(GetWindowLongPtrA(window, -21), 0);  // GWLP_USERDATA, which the stand-in keeps not
    EXPECT_EQ(GetModuleHandleA("no-such-module.dll"), nullptr);
    HWND gone = CreateTestWindow();
    DestroyWindow(gone);
    RECT rect;
    EXPECT_FALSE(ShowWindow(gone, SW_SHOW));
    EXPECT_EQ(GetWindowLongPtrA(gone, GWLP_HINSTANCE), 0);
    EXPECT_FALSE(GetClientRect(gone, &rect));
    ASSERT_TRUE(GetClientRect(button, &rect));
    EXPECT_EQ(rect.right, 50);
    EXPECT_EQ(rect.bottom, 25);
}

// The message box's loop keeps the owner's timer going, and the owner takes no input meanwhile.
TEST_F(WindowTest, TheMessageBoxIsModalButTheTimerGoesOn) {
    int ticks = 0;
    int result = 0;
    extraHandling = [&](HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER) {
            ++ticks;
            return true;
        }
        if (message == WM_COMMAND) {
            commands.push_back({target, message, wParam, lParam});
            if (LOWORD(wParam) == IDM_ABOUT) {
                result = MessageBoxA(target, "\x83\x6f\x81\x5b", "Sorvelin", MB_OK);  // バー
            }
            return true;
        }
        return false;
    };
    SetTimer(window, 1, 50, nullptr);
    Run({
        headless::ChooseMenu(IDM_ABOUT),
        headless::AdvanceTimers(3),
        headless::Do([&] {
            auto box = standin::OpenMessageBox();
            ASSERT_TRUE(box.has_value());
            EXPECT_EQ(box->owner, window);
            EXPECT_EQ(box->caption, "Sorvelin");
            EXPECT_EQ(standin::DecodeCodePage932(box->text), "バー");
            EXPECT_EQ(ticks, 3);
            EXPECT_FALSE(standin::ClickButton(button));
            EXPECT_FALSE(standin::ChooseMenuCommand(window, IDM_EXIT));
            EXPECT_FALSE(standin::RequestClose(window));
        }),
        headless::DismissMessageBox(),
        headless::Do([&] { EXPECT_EQ(result, IDOK); }),
        headless::Click(BUTTON_ID),
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(standin::OpenMessageBox().has_value());
    ASSERT_EQ(commands.size(), 2u);  // the menu command, then the click after the box closed
    EXPECT_EQ(LOWORD(commands[1].wParam), BUTTON_ID);
    EXPECT_EQ(headless::RefusedInputs(), 0);
}

}  // namespace
