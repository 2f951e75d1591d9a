// The program's resources for the stand-in, expanded from the same definitions as the resource
// script: the menu template from menu.inc, the identifiers from resource.h.
#include <iterator>

#include "platform/module_resources.h"
#include "resources/resource.h"
// Written by CMake from the VERSION file, as for the resource script.
#include "version.h"

namespace {

using standin::MenuEntry;
using standin::MenuEntryKind;

#define MENU_POPUP(caption) MenuEntry{MenuEntryKind::Popup, caption, 0},
#define MENU_ITEM(caption, command) MenuEntry{MenuEntryKind::Item, caption, command},
#define MENU_POPUP_END
constexpr MenuEntry MAIN_MENU[] = {
#include "resources/menu.inc"
};
#undef MENU_POPUP
#undef MENU_ITEM
#undef MENU_POPUP_END

constexpr standin::MenuResource MENUS[] = {
    {IDR_MAIN_MENU, MAIN_MENU, static_cast<int>(std::size(MAIN_MENU))},
};
constexpr int ICONS[] = {IDI_MAIN_ICON};
constexpr standin::VersionResource VERSION = {
    {SORVELIN_VERSION_NUMBERS}, SORVELIN_PRODUCT_NAME, SORVELIN_FILE_DESCRIPTION};

// Registered while the program's statics are made, before the loader calls WinMain.
const bool registered = [] {
    standin::RegisterModuleResources(
        standin::ModuleResources{MENUS, static_cast<int>(std::size(MENUS)), ICONS,
                                 static_cast<int>(std::size(ICONS)), &VERSION});
    return true;
}();

}  // namespace
