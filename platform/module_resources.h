// A program's resources as the stand-in finds them: what a PE image's resource section holds on
// Windows. A program on the stand-in links one table of its resources, which registers itself
// before main runs; class menus and LoadIconA look their identifiers up there.
#pragma once

namespace standin {

enum class MenuEntryKind { Popup, Item };

// A menu template, flattened: each popup is followed by its items.
struct MenuEntry {
    MenuEntryKind kind;
    const char* caption;  // UTF-8, with the "&" of the access key
    unsigned command;     // items only
};

struct MenuResource {
    int id;
    const MenuEntry* entries;
    int entryCount;
};

// The version block's numbers and the strings that say what the program is.
struct VersionResource {
    unsigned short numbers[4];    // product version, major first, as in VS_FIXEDFILEINFO
    const char* productName;      // UTF-8
    const char* fileDescription;  // UTF-8
};

struct ModuleResources {
    const MenuResource* menus;
    int menuCount;
    const int* iconIds;  // icon groups; the hosts draw the artwork
    int iconCount;
    const VersionResource* version;  // null when the program carries no version block
};

// Keeps the program's table, which must outlive the process's use of the stand-in.
void RegisterModuleResources(const ModuleResources& resources);

// The program's version block, or null when it has none.
const VersionResource* FindVersionResource();

}  // namespace standin
