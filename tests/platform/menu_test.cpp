// Menus and resources: the menu bar from its template, item states, icons, cursors and brushes.
#include <gtest/gtest.h>

#include "tests/platform/test_window.h"

namespace {

using namespace platform_test;

using MenuTest = WindowFixture;

TEST_F(MenuTest, TheMenuComesFromTheResourceDefinition) {
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

TEST_F(MenuTest, AGrayedMenuItemCannotBeChosenAndAnEnabledOneArrivesAsACommand) {
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

// EnableMenuItem answers with the item's previous state, whichever of the grayed and disabled
// bits it had, and a disabled item cannot be chosen any more than a grayed one.
TEST_F(MenuTest, EnableMenuItemReturnsThePreviousStateBitForBit) {
    HMENU menu = GetMenu(window);
    struct Change {
        UINT flags;
        BOOL previous;
    };
    const Change changes[] = {
        {MF_GRAYED, MF_ENABLED},
        {MF_DISABLED, MF_GRAYED},
        {MF_ENABLED, MF_DISABLED},
        {MF_GRAYED | MF_DISABLED, MF_ENABLED},
        {MF_DISABLED, MF_GRAYED | MF_DISABLED},
    };
    for (const Change& change : changes) {
        EXPECT_EQ(EnableMenuItem(menu, IDM_ABOUT, MF_BYCOMMAND | change.flags), change.previous)
            << "setting " << change.flags;
    }
    EXPECT_EQ(headless::MenuItemEnabled(window, IDM_ABOUT), false);
    Run({headless::ChooseMenu(IDM_ABOUT)});
    EXPECT_TRUE(commands.empty());
    // An identifier that no item has, and a menu that is none, give -1.
    EXPECT_EQ(EnableMenuItem(menu, 12345, MF_BYCOMMAND | MF_GRAYED), -1);
    EXPECT_EQ(EnableMenuItem(reinterpret_cast<HMENU>(button), IDM_ABOUT, MF_GRAYED), -1);
    EXPECT_EQ(GetMenu(headless::CreatePlainWindow()), nullptr);
}

// Resources come from the program's image by its instance; the system's icons and cursors,
// without an instance, are the standard ones only.
TEST_F(MenuTest, IconsCursorsAndBrushesAreFoundOnlyWhereTheyExist) {
    HINSTANCE program = GetModuleHandleA(nullptr);
    HINSTANCE other = reinterpret_cast<HINSTANCE>(std::uintptr_t{0x7000000});
    struct Case {
        const char* what;
        bool found;
        bool expected;
    };
    const Case cases[] = {
        {"the program's icon", LoadIconA(program, MAKEINTRESOURCEA(IDI_MAIN_ICON)) != nullptr,
         true},
        {"an icon the program lacks", LoadIconA(program, MAKEINTRESOURCEA(999)) != nullptr, false},
        {"an icon by a name it lacks", LoadIconA(program, "NAMED") != nullptr, false},
        {"an icon of another module", LoadIconA(other, MAKEINTRESOURCEA(IDI_MAIN_ICON)) != nullptr,
         false},
        {"the system's application icon", LoadIconA(nullptr, MAKEINTRESOURCEA(32512)) != nullptr,
         true},
        {"a system icon that is none", LoadIconA(nullptr, MAKEINTRESOURCEA(999)) != nullptr, false},
        {"the system's arrow", LoadCursorA(nullptr, IDC_ARROW) != nullptr, true},
        {"a system cursor that is none", LoadCursorA(nullptr, MAKEINTRESOURCEA(999)) != nullptr,
         false},
        {"an arrow among the program's cursors", LoadCursorA(program, IDC_ARROW) != nullptr, false},
        {"the dark grey brush", GetStockObject(DKGRAY_BRUSH) != nullptr, true},
        {"a stock object that is none", GetStockObject(-1) != nullptr, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.found, c.expected) << c.what;
    }
}

}  // namespace
