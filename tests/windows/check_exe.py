#!/usr/bin/env python3
"""Checks the built sorvelin.exe: GUI subsystem, system DLLs only, and its Japanese resources.

Usage: check_exe.py SORVELIN_EXE
Prints one line per fault and exits with 1 if there is any.
"""

import os
import struct
import sys

import pefile

JAPANESE = 0x0411
UNICODE_CODE_PAGE = 0x04B0
MAIN_ICON = 101
MAIN_MENU = 104
# The version block carries the VERSION file's four numbers.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "VERSION"),
          encoding="ascii") as version_file:
    VERSION = tuple(int(number) for number in version_file.readline().strip().split("."))
# The DLLs a Windows installation brings; anything else would have to ship with the program.
SYSTEM_DLLS = {"user32.dll", "gdi32.dll", "kernel32.dll", "comctl32.dll", "msvcrt.dll"}
UNIVERSAL_C_RUNTIME_PREFIX = "api-ms-win-crt-"
# The menu as the resource script should store it: (depth, caption, command), popups with no command.
EXPECTED_MENU = [
    (0, "ファイル(&F)", None),
    (1, "2000年", 40007),
    (1, "終了(&X)", 40001),
    (0, "ステータスバー", None),
    (1, "状態を表示", 40005),
    (1, "状態を消去", 40006),
    (0, "ヘルプ(&H)", None),
    (1, "バージョン情報(&A)", 40002),
]
MF_POPUP = 0x10
MF_END = 0x80


def resources_by_type(pe):
    """Maps each resource type to {identifier: {language: data entry}}."""
    found = {}
    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        names = found.setdefault(type_entry.id, {})
        for name_entry in type_entry.directory.entries:
            languages = names.setdefault(name_entry.id, {})
            for language_entry in name_entry.directory.entries:
                languages[language_entry.id] = language_entry.data
    return found


def resource_bytes(pe, data_entry):
    return pe.get_data(data_entry.struct.OffsetToData, data_entry.struct.Size)


def parse_menu(data):
    """Reads a standard menu template into (depth, caption, command) rows."""
    version, header_size = struct.unpack_from("<HH", data, 0)
    if version != 0:
        raise ValueError(f"menu template version {version}, want the standard template 0")
    rows = []
    read_menu_items(data, 4 + header_size, 0, rows)
    return rows


def read_menu_items(data, offset, depth, rows):
    """Reads one level of menu items up to the one marked last; returns the offset after it."""
    while True:
        (flags,) = struct.unpack_from("<H", data, offset)
        offset += 2
        command = None
        if not flags & MF_POPUP:
            (command,) = struct.unpack_from("<H", data, offset)
            offset += 2
        end = offset
        while data[end:end + 2] != b"\0\0":
            end += 2
        caption = data[offset:end].decode("utf-16-le")
        offset = end + 2
        if flags & ~(MF_POPUP | MF_END):
            raise ValueError(f"{caption!r} has flags {flags:#x}: no item should be grayed or checked")
        rows.append((depth, caption, command))
        if flags & MF_POPUP:
            offset = read_menu_items(data, offset, depth + 1, rows)
        if flags & MF_END:
            return offset


def check(path):
    faults = []
    pe = pefile.PE(path)

    if pe.OPTIONAL_HEADER.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        faults.append(f"subsystem {pe.OPTIONAL_HEADER.Subsystem}, want the Windows GUI (2)")
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]:
        faults.append(f"machine {pe.FILE_HEADER.Machine:#x}, want x86-64")

    imports = sorted(entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT)
    for dll in imports:
        if dll not in SYSTEM_DLLS and not dll.startswith(UNIVERSAL_C_RUNTIME_PREFIX):
            faults.append(f"imports {dll}, which is not a system DLL")
    for dll in ("user32.dll", "gdi32.dll", "comctl32.dll"):
        if dll not in imports:
            faults.append(f"does not import {dll}")

    resources = resources_by_type(pe)
    for type_id, languages_by_name in resources.items():
        for name, languages in languages_by_name.items():
            if list(languages) != [JAPANESE]:
                faults.append(f"resource type {type_id} name {name} has languages "
                              f"{[hex(language) for language in languages]}, want only 0x0411")

    icon_groups = resources.get(pefile.RESOURCE_TYPE["RT_GROUP_ICON"], {})
    icons = resources.get(pefile.RESOURCE_TYPE["RT_ICON"], {})
    if MAIN_ICON not in icon_groups:
        faults.append(f"no icon group {MAIN_ICON}")
    else:
        group = resource_bytes(pe, next(iter(icon_groups[MAIN_ICON].values())))
        _, kind, count = struct.unpack_from("<HHH", group, 0)
        images = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * index) for index in range(count)]
        if kind != 1 or count != 2:
            faults.append(f"icon group {MAIN_ICON} has {count} images of type {kind}, want 2 icons")
        for index, (width, height, colours, _, _, bits, size, identifier) in enumerate(images):
            if (width, height, colours, bits) != (32, 32, 16, 4):
                faults.append(f"icon image {identifier} is {width}x{height}, {colours} colours, "
                              f"{bits} bits per pixel; want 32x32, 16 colours, 4 bits")
            if identifier != index + 1:
                faults.append(f"icon image {index + 1} has identifier {identifier}")
            if identifier not in icons:
                faults.append(f"icon image {identifier} is missing")
            else:
                image = resource_bytes(pe, next(iter(icons[identifier].values())))
                header = struct.unpack_from("<IiiHH", image, 0)
                if header != (40, 32, 64, 1, 4) or len(image) != size:
                    faults.append(f"icon image {identifier} is not a 32x32 4-bit bitmap: {header}")

    menus = resources.get(pefile.RESOURCE_TYPE["RT_MENU"], {})
    if MAIN_MENU not in menus:
        faults.append(f"no menu {MAIN_MENU}")
    else:
        try:
            menu = parse_menu(resource_bytes(pe, next(iter(menus[MAIN_MENU].values()))))
            if menu != EXPECTED_MENU:
                faults.append(f"menu {MAIN_MENU} is {menu}, want {EXPECTED_MENU}")
        except (ValueError, struct.error) as error:
            faults.append(f"menu {MAIN_MENU} cannot be read: {error}")

    if not hasattr(pe, "VS_FIXEDFILEINFO"):
        faults.append("no version block")
    else:
        fixed = pe.VS_FIXEDFILEINFO[0]
        for label, most, least in (("file", fixed.FileVersionMS, fixed.FileVersionLS),
                                   ("product", fixed.ProductVersionMS, fixed.ProductVersionLS)):
            version = (most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF)
            if version != VERSION:
                faults.append(f"{label} version {version}, want {VERSION}")
        tables = [table for info in pe.FileInfo[0] if info.Key == b"StringFileInfo"
                  for table in info.StringTable]
        if [table.LangID for table in tables] != [b"041104B0"]:
            faults.append(f"string tables {[table.LangID for table in tables]}, want one, 041104B0")
        else:
            strings = tables[0].entries
            for key in (b"FileVersion", b"ProductVersion"):
                wanted = ", ".join(map(str, VERSION)).encode()
                if strings.get(key) != wanted:
                    faults.append(f"{key.decode()} is {strings.get(key)}, want {wanted}")
            if strings.get(b"ProductName") != b"Sorvelin":
                faults.append(f"ProductName is {strings.get(b'ProductName')}, want 'Sorvelin'")
        translations = [var.entry for info in pe.FileInfo[0] if info.Key == b"VarFileInfo"
                        for var in info.Var]
        wanted = [{b"Translation": f"{JAPANESE:#06x} {UNICODE_CODE_PAGE:#06x}"}]
        if translations != wanted:
            faults.append(f"translations {translations}, want {wanted}")
    return faults


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    faults = check(sys.argv[1])
    for fault in faults:
        print("FAULT:", fault)
    if not faults:
        print(f"{sys.argv[1]}: GUI subsystem, system DLLs only, Japanese menu, icon and version")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
