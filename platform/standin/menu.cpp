// The stand-in's menus, built from the program's one menu definition.
#include "platform/standin/standin.h"
#include "resources/resource.h"

namespace standin {

std::unique_ptr<Menu> LoadMenuResource(int resource) {
    if (resource != IDR_MAIN_MENU) {
        return nullptr;
    }
    auto menu = std::make_unique<Menu>();
#define MENU_POPUP(caption) menu->popups.push_back(MenuPopup{caption, {}});
#define MENU_ITEM(caption, command) \
    menu->popups.back().items.push_back(MenuItem{caption, static_cast<UINT>(command), false});
#define MENU_POPUP_END
#include "resources/menu.inc"
#undef MENU_POPUP
#undef MENU_ITEM
#undef MENU_POPUP_END
    return menu;
}

Menu* FindMenu(HMENU menu, Window** owner) {
    for (auto& [handle, window] : Global().windows) {
        if (window->menu != nullptr && reinterpret_cast<HMENU>(window->menu.get()) == menu) {
            *owner = window.get();
            return window->menu.get();
        }
    }
    return nullptr;
}

std::vector<MenuPopupDescription> DescribeMenu(HWND window) {
    std::vector<MenuPopupDescription> result;
    Window* record = FindWindowRecord(window);
    if (record == nullptr || record->menu == nullptr) {
        return result;
    }
    for (const MenuPopup& popup : record->menu->popups) {
        MenuPopupDescription description{popup.caption, {}};
        for (const MenuItem& item : popup.items) {
            description.items.push_back(
                MenuItemDescription{item.caption, item.command, !item.grayed});
        }
        result.push_back(std::move(description));
    }
    return result;
}

}  // namespace standin

using namespace standin;

HMENU WINAPI GetMenu(HWND window) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr || record->menu == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HMENU>(record->menu.get());
}

BOOL WINAPI EnableMenuItem(HMENU menu, UINT idEnableItem, UINT enable) {
    Window* owner = nullptr;
    Menu* record = FindMenu(menu, &owner);
    if (record == nullptr || (enable & 0x400) != 0) {  // by position is not used by the program
        return -1;
    }
    for (MenuPopup& popup : record->popups) {
        for (MenuItem& item : popup.items) {
            if (item.command == idEnableItem) {
                // The previous state is the result, as on Windows.
                const BOOL previous = item.grayed ? MF_GRAYED : MF_ENABLED;
                item.grayed = (enable & (MF_GRAYED | MF_DISABLED)) != 0;
                CurrentHost().MenuChanged(owner->handle);
                return previous;
            }
        }
    }
    return -1;
}
