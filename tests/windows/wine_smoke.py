#!/usr/bin/env python3
"""Runs sorvelin.exe under Wine on a private Xvfb display and checks what the window shows.

Usage: wine_smoke.py SORVELIN_EXE WINDOW_PROBE_EXE WINE_PREFIX SCREENSHOT_PNG

It runs the program in three system locales, each with a Wine prefix of its own:
Japanese (code page 932) in WINE_PREFIX, then English and German (code page 1252)
in WINE_PREFIX-en_US and WINE_PREFIX-de_DE, the German one with a Japanese font
linked to the user interface's font. In each it starts the program, asks
window_probe.exe where the client area is, takes screenshots of the whole screen
until one shows the expected frame, saves the window as a PNG (SCREENSHOT_PNG,
then with -en_US and -de_DE before .png), reads the window's title back from the
X server and the version message's texts from its message box, closes the window
as its close box would and expects exit code 0. The program's texts must read the
same in every locale, and its client-area texts must have the Japanese pixels.
Exits with 77 (skipped) when Wine is not installed.
"""

import math
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from display import Desktop, Started, capture_screen, missing_tools, write_png  # noqa: E402

SKIPPED = 77
SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768
FIRST_START_SECONDS = 300  # a new Wine prefix takes minutes on a cold, busy machine
WINDOW_WAIT_SECONDS = 60
FRAME_WAIT_SECONDS = 30
EXIT_WAIT_SECONDS = 20

# Each locale's name, the code page that Wine takes from it, and whether the prefix links a
# Japanese font to the interface's font (Tahoma), as the README tells a user of Wine to do.
JAPANESE = "ja_JP.UTF-8"
LOCALES = [(JAPANESE, 932, False), ("en_US.UTF-8", 1252, False), ("de_DE.UTF-8", 1252, True)]
FONT_LINK = ["reg", "add",
             r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink",
             "/v", "Tahoma", "/t", "REG_MULTI_SZ", "/d", "ipag.ttf,IPAGothic", "/f"]
TITLE = "Sorvelin[南視]"
VERSION_CAPTION = "バージョン情報"
VERSION_TEXT = ("Sorvelin[南視] \\n惑星描画位置の正確性はありません。\\n"
                " Version 1.0.4.7 Sorvelin 開発チーム")
VERSION_COMMAND = 40002
# "平均経過時間1950年 1月 2日：描画間隔1.00日、大きさ250" and the like: 53 bytes, 34 characters.
STATUS_UNITS = 34
BACKGROUND = (64, 64, 64)
RED = (255, 0, 0)
CYAN = (0, 255, 255)
# The legend along y = 38 of the client area: Sun and the six planets, left to right.
LEGEND = [
    ("Sun", 15, RED),
    ("Mercury", 77, (0, 255, 0)),
    ("Venus", 139, (255, 255, 0)),
    ("Earth", 202, CYAN),
    ("Mars", 268, (255, 128, 0)),
    ("Jupiter", 332, (255, 0, 255)),
    ("Saturn", 396, (169, 169, 169)),
]
LEGEND_Y = 38
PIXELS_PER_AU = 250  # the zoom at start
# A full marker: the 3 by 3 block and four arms two pixels out.
FULL_MARKER = [(i, j) for i in (-1, 0, 1) for j in (-1, 0, 1)] + [(2, 0), (0, 2), (-2, 0), (0, -2)]


def find_wine():
    """Returns the 64-bit Wine loader and its server, or None where Wine is not installed."""
    for loader in ("wine64", "/usr/lib/wine/wine64", "wine"):
        path = shutil.which(loader)
        if path:
            folder = os.path.dirname(os.path.realpath(path))
            for server in ("wineserver", os.path.join(folder, "wineserver"), "/usr/lib/wine/wineserver"):
                server_path = shutil.which(server)
                if server_path:
                    return path, server_path
    return None


def marker_faults(client, x, y, colour, name):
    """Lists the pixels of a full marker at (x, y) of the client area that lack its colour."""
    faults = []
    for dx, dy in FULL_MARKER:
        seen = client[y + dy][x + dx]
        if seen != colour:
            faults.append(f"{name} marker at ({x + dx}, {y + dy}) is {seen}, want {colour}")
    return faults


def frame_faults(client, width, height):
    """Lists what the client area shows wrongly; empty when the frame is as expected."""
    faults = []
    # Most of the client area is the class background, apart from texts, buttons and markers.
    grey = sum(1 for line in client for pixel in line if pixel == BACKGROUND)
    if grey < 0.8 * width * height:
        faults.append(f"only {grey} of {width * height} pixels are the background {BACKGROUND}")
    for name, x, colour in LEGEND:
        faults += marker_faults(client, x, LEGEND_Y, colour, name + " legend")
    centre_x, centre_y = width // 2, height // 2 + 20
    faults += marker_faults(client, centre_x, centre_y, RED, "Sun")
    # The Earth is the one cyan marker below the legend line.
    earth = [(x, y) for y in range(LEGEND_Y + 3, height) for x in range(width) if client[y][x] == CYAN]
    if not earth:
        faults.append("no cyan Earth marker below the legend")
    else:
        earth_x = sum(x for x, _ in earth) / len(earth)
        earth_y = sum(y for _, y in earth) / len(earth)
        distance = math.hypot(earth_x - centre_x, earth_y - centre_y)
        # The Earth's orbit lies between 0.983 and 1.017 astronomical units from the Sun.
        if not 0.97 * PIXELS_PER_AU <= distance <= 1.03 * PIXELS_PER_AU:
            faults.append(f"Earth at ({earth_x:.1f}, {earth_y:.1f}) is {distance:.1f} px from the Sun")
        if len(earth) != len(FULL_MARKER):
            faults.append(f"the Earth marker has {len(earth)} cyan pixels, want {len(FULL_MARKER)}")
    return faults


def text_faults(client, reference, width, height, locale):
    """Lists the rows of the client area's texts whose pixels differ from the Japanese locale's.

    Compared are the rows of the three labels, and of the status text the columns of its
    characters that stay while the clock moves: "平均経過時間" and "：描画間隔1.00日、大きさ250".
    A pixel of a marker's colour in either picture is a planet passing by, not a text.
    """
    cell = 8  # pixels of a half-width character of the Japanese system font
    status = list(range(310, 310 + 12 * cell)) + list(range(310 + 26 * cell, 310 + 53 * cell))
    areas = [("status text", 10, status), ("names label", 30, range(width)),
             ("equinox label", height - height // 2 + 10, range(width)),
             ("longitude label", height - 40, range(width))]
    markers = {colour for _, _, colour in LEGEND}
    faults = []
    for name, top, columns in areas:
        differing = sum(1 for y in range(top, top + 18) for x in columns
                        if client[y][x] != reference[y][x] and client[y][x] not in markers
                        and reference[y][x] not in markers)
        if differing:
            faults.append(f"{locale}: {differing} pixels of the {name} differ from {JAPANESE}'s")
    return faults


def x_title(desktop):
    """The UTF-8 title of the program's top-level X window, as a window manager reads it."""
    window = desktop.xdotool("search", "--onlyvisible", "--name", "^Sorvelin")
    if not window:
        return None
    said = subprocess.run(["xprop", "-id", window[0], "_NET_WM_NAME"], env=desktop.env,
                          capture_output=True, check=False).stdout.decode()
    return said.split(" = ", 1)[1].strip().strip('"') if " = " in said else said.strip()


def run_wine(wine, arguments, environment, timeout):
    """Runs a Windows program to its end; returns (exit code, standard output, standard error).

    The output goes through files, not pipes: Wine's server and helper processes may
    inherit the pipes and hold them open long after the program itself has ended.
    """
    with tempfile.TemporaryFile("w+", encoding="utf-8", errors="replace") as output, \
            tempfile.TemporaryFile("w+", encoding="utf-8", errors="replace") as errors:
        exit_code = subprocess.run([wine] + arguments, env=environment, stdin=subprocess.DEVNULL,
                                   stdout=output, stderr=errors, timeout=timeout).returncode
        output.seek(0)
        errors.seek(0)
        return exit_code, output.read(), errors.read()


def main():
    if len(sys.argv) != 5:
        raise SystemExit(__doc__)
    program, probe, prefix, screenshot = (os.path.abspath(argument) for argument in sys.argv[1:])
    wine = find_wine()
    if wine is None:
        print("SKIPPED: Wine is not installed (scripts/install-deps.sh test installs wine64)")
        return SKIPPED
    wine, wineserver = wine
    for tool in missing_tools("Xvfb", "xwd", "xdpyinfo", "xdotool", "xprop"):
        raise SystemExit(f"{tool} is not installed (scripts/install-deps.sh test installs it)")
    faults, reference = [], None
    with Desktop(window_manager=False, screen=f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24") as desktop:
        for locale, code_page, font_link in LOCALES:
            suffix = "" if locale == JAPANESE else "-" + locale.split(".")[0]
            shot = screenshot[:-len(".png")] + suffix + ".png"
            found, client, width, height = run_program(desktop, wine, wineserver, program, probe,
                                                       prefix + suffix, shot, locale, code_page,
                                                       font_link)
            faults += [f"{locale}: {fault}" for fault in found]
            if reference is None:
                reference = client
            elif not found:
                faults += text_faults(client, reference, width, height, locale)
    for fault in faults:
        print("FAULT:", fault)
    if faults:
        return 1
    print("in every locale the frame, the title, the texts and the version message are right")
    return 0


def run_program(desktop, wine, wineserver, program, probe, prefix, screenshot, locale, code_page,
                font_link):
    """Runs the program in one locale; returns its faults and its client area's pixels."""
    environment = dict(desktop.env, WINEPREFIX=prefix, WINEDEBUG="-all", LANG=locale,
                       LC_ALL=locale,
                       WINEDLLOVERRIDES="mscoree,mshtml=")  # no Mono or Gecko installer dialogs
    program_process = None
    try:
        if not os.path.isdir(os.path.join(prefix, "drive_c")):
            print(f"Creating the Wine prefix {prefix}")
            run_wine(wine, ["wineboot", "--init"], environment, FIRST_START_SECONDS)
            if font_link:
                run_wine(wine, FONT_LINK, environment, WINDOW_WAIT_SECONDS)
        started = Started("sorvelin.exe under Wine", [wine, program], environment)
        program_process = started.process
        scene = desktop.reporter(started)
        begun = time.monotonic()
        found, report, errors = run_wine(wine, [probe, "find", str(WINDOW_WAIT_SECONDS)],
                                         environment, WINDOW_WAIT_SECONDS + 30)
        if found != 0:
            raise SystemExit(f"timed out after {time.monotonic() - begun:.1f} s waiting for the "
                             f"main window after starting sorvelin.exe: {errors.strip()}\n"
                             f"{scene()}")
        geometry = dict((line.split()[0], [int(value) for value in line.split()[1:]])
                        for line in report.splitlines() if line.strip())
        left, top, width, height = geometry["client"]
        menu_height = geometry["menu"][0]
        print(f"client area {width} by {height} at ({left}, {top}) on the screen")
        if geometry["codepage"][0] != code_page:
            raise SystemExit(f"Wine runs with code page {geometry['codepage'][0]} under {locale}, "
                             f"want {code_page}: is the locale generated? "
                             "(scripts/install-deps.sh test)")

        # A window that Windows calls visible may not be mapped on X yet, and a screenshot
        # taken before the first frame, or between a tick's erase and its repaint, shows no
        # markers: take them until one shows the frame, for a while.
        begun = time.monotonic()
        while True:
            image = capture_screen(desktop)
            data = list(image.crop((left, top, left + width, top + height)).getdata())
            client = [data[y * width:(y + 1) * width] for y in range(height)]
            faults = frame_faults(client, width, height)
            waited = time.monotonic() - begun
            if not faults or waited > FRAME_WAIT_SECONDS or scene(early=True):
                break
            time.sleep(0.2)
        if faults:
            faults.append(f"gave up after {waited:.1f} s waiting for the expected frame after "
                          f"the main window was found\n{scene()}")
        window_top = max(top - menu_height, 0)
        write_png(image.crop((left, window_top, left + width, top + height)), screenshot)
        print(f"screenshot of the window: {screenshot}")
        title = x_title(desktop)
        if title != TITLE:
            faults.append(f"the window's title reads {title!r}, want {TITLE!r}")
        _, report, errors = run_wine(wine, [probe, "status"], environment, 30)
        if report.split() != ["status", str(STATUS_UNITS)]:
            faults.append(f"the status bar's text is {report.strip() or errors.strip()!r} "
                          f"UTF-16 units long, want {STATUS_UNITS}")
        run_wine(wine, [probe, "command", str(VERSION_COMMAND)], environment, 30)
        _, report, errors = run_wine(wine, [probe, "message", str(WINDOW_WAIT_SECONDS)],
                                     environment, WINDOW_WAIT_SECONDS + 30)
        texts = dict(line.split(" ", 1) for line in report.splitlines() if " " in line)
        if (texts.get("caption"), texts.get("text")) != (VERSION_CAPTION, VERSION_TEXT):
            faults.append(f"the version message reads {texts or errors.strip()!r}")

        closed, _, errors = run_wine(wine, [probe, "close"], environment, 30)
        if closed != 0:
            faults.append(f"could not close the window: {errors.strip()}")
        try:
            exit_code = program_process.wait(EXIT_WAIT_SECONDS)
            if exit_code != 0:
                faults.append(f"exit code {exit_code} after closing the window, want 0")
        except subprocess.TimeoutExpired:
            faults.append(f"timed out after {EXIT_WAIT_SECONDS} s waiting for the program to end "
                          f"after its window was closed\n{scene()}")
        return faults, client, width, height
    finally:
        if program_process is not None and program_process.poll() is None:
            program_process.kill()
        subprocess.run([wineserver, "-k"], env=environment, capture_output=True)


if __name__ == "__main__":
    sys.exit(main())
