// The stand-in's controls: buttons, the menu from its resource, the status bar and the message box.
#include <gtest/gtest.h>

#include <vector>

#include "tests/platform/test_window.h"

namespace {

using namespace platform_test;

constexpr int BUTTON_ID = 101;
constexpr int STATUS_BAR_ID = 1;

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetWithTestClass();
        window = CreateTestWindow();
        button = CreateWindowExA(0, "BUTTON", "\x97\xa3\x82\xea\x82\xe9", WS_CHILD | WS_VISIBLE, 1,
                                 1, 50, 25, window,
                                 reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(BUTTON_ID)),
                                 GetModuleHandleA(nullptr), nullptr);
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        extraHandling = [this](HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_COMMAND) {
                commands.push_back({target, message, wParam, lParam});
                return true;
            }
            return false;
        };
    }

    // Runs the message loop over the steps, then until it would wait again.
    void Run(std::vector<headless::Step> steps) {
        headless::Script(std::move(steps));
        headless::Script({headless::Do([] { PostQuitMessage(0); })});
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0)) {
            DispatchMessageA(&message);
        }
        EXPECT_EQ(headless::StepsLeft(), 0u) << headless::ScriptProblem();
    }

    HWND window = nullptr;
    HWND button = nullptr;
    std::vector<headless::SpiedMessage> commands;
};

TEST_F(ControlsTest, AClickedButtonTellsItsParentWithItsIdentifierAndHandle) {
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

TEST_F(ControlsTest, AHiddenButtonTakesNoClick) {
    ShowWindow(button, SW_HIDE);
    EXPECT_FALSE(standin::ClickButton(button));
    Run({headless::Click(BUTTON_ID)});
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(headless::RefusedInputs(), 1);
}

TEST_F(ControlsTest, TheMenuComesFromTheResourceDefinition) {
    auto menu = standin::DescribeMenu(window);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].caption, "ファイル(&F)");
    ASSERT_EQ(menu[0].items.size(), 2u);
    EXPECT_EQ(menu[0].items[0].caption, "2000年");
    EXPECT_EQ(menu[0].items[0].command, static_cast<UINT>(IDM_YEAR_2000));
    EXPECT_EQ(menu[0].items[1].command, static_cast<UINT>(IDM_EXIT));
    EXPECT_EQ(menu[1].items[0].command, static_cast<UINT>(IDM_SHOW_STATUS));
    EXPECT_EQ(menu[1].items[1].command, static_cast<UINT>(IDM_HIDE_STATUS));
    EXPECT_EQ(menu[2].items[0].caption, "バージョン情報(&A)");
    EXPECT_EQ(menu[2].items[0].command, static_cast<UINT>(IDM_ABOUT));
}

TEST_F(ControlsTest, AGrayedMenuItemCannotBeChosenAndAnEnabledOneArrivesAsACommand) {
    HMENU menu = GetMenu(window);
    EXPECT_EQ(EnableMenuItem(menu, IDM_HIDE_STATUS, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(headless::MenuItemEnabled(window, IDM_HIDE_STATUS), false);
    EXPECT_EQ(headless::MenuItemEnabled(window, IDM_SHOW_STATUS), true);
    Run({headless::ChooseMenu(IDM_HIDE_STATUS), headless::ChooseMenu(IDM_SHOW_STATUS)});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, MAKEWPARAM(IDM_SHOW_STATUS, 0));
    EXPECT_EQ(headless::RefusedInputs(), 1);
    // Enabled again, it can be chosen; an identifier the menu lacks cannot.
    EXPECT_EQ(EnableMenuItem(menu, IDM_HIDE_STATUS, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_TRUE(standin::ChooseMenuCommand(window, IDM_HIDE_STATUS));
    EXPECT_FALSE(standin::ChooseMenuCommand(window, 12345));
    EXPECT_EQ(EnableMenuItem(menu, 12345, MF_BYCOMMAND | MF_GRAYED), -1);
}

TEST_F(ControlsTest, TheStatusBarLiesAlongTheBottomAndKeepsItsTextWhileHidden) {
    HWND statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM,
                                         nullptr, window, STATUS_BAR_ID);
    ASSERT_NE(statusBar, nullptr);
    SendMessageA(statusBar, SB_SIMPLE, TRUE, 0);
    ShowWindow(statusBar, SW_HIDE);
    EXPECT_TRUE(SendMessageA(statusBar, SB_SETTEXTA, SB_SIMPLEID,
                             reinterpret_cast<LPARAM>("\x8f\xf3\x91\xd4")));  // 状態
    EXPECT_EQ(headless::StatusText(statusBar), "\x8f\xf3\x91\xd4");
    ShowWindow(statusBar, SW_SHOW);
    auto bar = standin::DescribeWindow(statusBar);
    EXPECT_TRUE(bar->visible);
    EXPECT_EQ(bar->text, "\x8f\xf3\x91\xd4");
    EXPECT_EQ(bar->id, STATUS_BAR_ID);
    EXPECT_EQ(bar->rect.left, 0);
    EXPECT_EQ(bar->rect.right, 784);
    EXPECT_EQ(bar->rect.bottom, 541);
    // It covers the client area rather than shrinking it, and follows a forwarded WM_SIZE.
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.bottom, 541);
    ASSERT_TRUE(standin::ResizeClient(window, 500, 400));
    SendMessageA(statusBar, WM_SIZE, SIZE_RESTORED, MAKELPARAM(500, 400));
    bar = standin::DescribeWindow(statusBar);
    EXPECT_EQ(bar->rect.right, 500);
    EXPECT_EQ(bar->rect.bottom, 400);
    EXPECT_GT(bar->rect.top, 360);
    EXPECT_EQ(headless::StatusText(statusBar), "\x8f\xf3\x91\xd4");
}

// The message box's loop keeps the owner's timer going, and the owner takes no input meanwhile.
TEST_F(ControlsTest, TheMessageBoxIsModalButTheTimerGoesOn) {
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
