// The stand-in's menus, built from the menu templates of the program's resources.
#include "platform/module_resources.h"
#include "platform/standin/standin.h"

namespace standin {

namespace {

// The program's resources. Written only by RegisterModuleResources.
const ModuleResources* moduleResources = nullptr;

}  // namespace

void RegisterModuleResources(const ModuleResources& resources) {
    static ModuleResources registered;
    registered = resources;
    moduleResources = &registered;
}

std::unique_ptr<Menu> LoadMenuResource(int resource) {
    if (moduleResources == nullptr) {
        return nullptr;
    }
    for (int index = 0; index < moduleResources->menuCount; ++index) {
        const MenuResource& found = moduleResources->menus[index];
        if (found.id != resource) {
            continue;
        }
        auto menu = std::make_unique<Menu>();
        for (int entry = 0; entry < found.entryCount; ++entry) {
            const MenuEntry& item = found.entries[entry];
            if (item.kind == MenuEntryKind::Popup) {
                menu->popups.push_back(MenuPopup{item.caption, {}});
            } else {
                assert(!menu->popups.empty());  // a template's items stand in popups
                menu->popups.back().items.push_back(
                    MenuItem{item.caption, item.command, MF_ENABLED});
            }
        }
        return menu;
    }
    return nullptr;
}

bool HasIconResource(int resource) {
    if (moduleResources == nullptr) {
        return false;
    }
    for (int index = 0; index < moduleResources->iconCount; ++index) {
        if (moduleResources->iconIds[index] == resource) {
            return true;
        }
    }
    return false;
}

const VersionResource* FindVersionResource() {
    return moduleResources != nullptr ? moduleResources->version : nullptr;
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

MenuItem* FindMenuItem(Menu& menu, UINT command) {
    for (MenuPopup& popup : menu.popups) {
        for (MenuItem& item : popup.items) {
            if (item.command == command) {
                return &item;
            }
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
                MenuItemDescription{item.caption, item.command, item.state == MF_ENABLED});
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
    MenuItem* item = FindMenuItem(*record, idEnableItem);
    if (item == nullptr) {
        return -1;
    }
    // The previous state bits are the result, as on Windows.
    const UINT previous = item->state;
    item->state = enable & (MF_GRAYED | MF_DISABLED);
    CurrentHost().MenuChanged(owner->handle);
    return static_cast<BOOL>(previous);
}
