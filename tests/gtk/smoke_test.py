#!/usr/bin/env python3
"""Runs the real program under Xvfb with a window manager and checks its window from screenshots.

Usage: smoke_test.py PROGRAM [--screenshot PATH] [--cpu-seconds N]
Exit codes: 0 passed, 1 failed, 77 skipped (no Xvfb on this machine).

The window manager (openbox) gives the window its frame: its close box and its Alt+F4 key both
ask the window to close, as on any desktop. The program runs with G_DEBUG=fatal-warnings, and
whatever it prints fails the test.
"""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from display import Desktop, Failure, check, missing_tools, write_png  # noqa: E402
from first_frame import CYAN, GREY, LEGEND, LEGEND_Y, MODE_BUTTON, RED  # noqa: E402
from first_frame import ZOOM_OUT_BUTTON  # noqa: E402
from program import Program  # noqa: E402

SKIP = 77
STATUS_BAR_ROWS = 22


def near(client, x, y, colour, reach=1):
    return any(client.rows[y + j][x + i] == colour
               for j in range(-reach, reach + 1) for i in range(-reach, reach + 1))


def check_start(program):
    client, _ = program.client()
    check((client.width, client.height) == (784, 541),
          "the client area is 784 by 541 at start (got %d by %d)" % (client.width, client.height))
    grey = sum(row.count(GREY) for row in client.rows)
    check(grey > 0.8 * client.width * client.height, "the background is dark grey (64, 64, 64)")
    sun_x, sun_y = client.sun()
    check(all(client.rows[sun_y + j][sun_x + i] == RED for j in (-1, 0, 1) for i in (-1, 0, 1)),
          "the red Sun is at the centre of the client area (%d, %d)" % (sun_x, sun_y))
    for x, colour, name in LEGEND:
        check(near(client, x, LEGEND_Y, colour), "the %s's legend marker at x %d" % (name, x))
    distance = client.earth_distance()
    check(distance is not None and 235 < distance < 265,
          "the Earth's cyan marker is about 250 px from the Sun (%s)" % distance)


def check_zoom_out(program):
    program.click(ZOOM_OUT_BUTTON)

    def halved():
        distance = program.client()[0].earth_distance()
        return distance is not None and 115 < distance < 135 and distance

    distance = program.wait_until("the Earth halfway to the Sun after zooming out", halved)
    check(True, "after zooming out the Earth is about half as far (%.1f px)" % distance)


def check_trails(program):
    before = len(program.client()[0].coloured(CYAN))
    program.click(MODE_BUTTON)

    def trail():
        count = len(program.client()[0].coloured(CYAN))
        return count > 4 * before and count > 30 and count

    after = program.wait_until("the Earth's trail after pressing MODE", trail)
    check(True, "after MODE the Earth leaves a trail (%d cyan pixels, %d before)" % (after, before))


def check_status_bar(program):
    client, _ = program.client()
    check(all(pixel == GREY for pixel in client.rows[-5][:200]), "no status bar at start")
    # The second popup has no access key: F10 opens the menu bar, Right moves to it and Down
    # selects its first item.
    program.keys("F10", "Right", "Down", "Return")

    def status_bar_shown():
        bottom = program.client()[0].rows[-8]
        return sum(pixel != GREY for pixel in bottom) > 0.9 * len(bottom)

    program.wait_until("the status bar after choosing its menu item", status_bar_shown)
    client, _ = program.client()
    # The bar's rows are those along the bottom that show no background at the left edge.
    rows = []
    for row in reversed(client.rows):
        if row[0] == GREY:
            break
        rows.append(row)
    background = max(set(rows[len(rows) // 2]), key=rows[len(rows) // 2].count)
    text = sum(1 for row in rows for pixel in row
               if sum(abs(a - b) for a, b in zip(pixel, background)) > 300)
    # The program lays its window out for the Windows bar of 22 pixels at 96 DPI: the "90°"
    # label ends two rows above it.
    check(len(rows) == STATUS_BAR_ROWS and text > 200,
          "a status bar along the bottom (%d rows) shows its text (%d text pixels)" %
          (len(rows), text))
    check(client.height == 541, "showing the status bar keeps the client size")
    # Its text follows the ticks: the date moves on.
    program.wait_until("the status text to change after the status bar was shown",
                       lambda: program.client()[0].rows[-len(rows):] != rows[::-1])


def check_menu_follows(program):
    # Showing the bar grayed "show" and enabled "hide", so the same keys now reach "hide".
    program.keys("F10", "Right", "Down", "Return")
    program.wait_until("the status bar to hide after choosing the same menu item again",
                       lambda: program.client()[0].rows[-8][0] == GREY)
    check(True, "the menu's enabled state follows the program: the same keys hide the bar")
    program.keys("F10", "Right", "Down", "Return")
    program.wait_until("the status bar after choosing the menu item a third time",
                       lambda: program.client()[0].rows[-8][0] != GREY)
    check(True, "and then show it again")


def check_version_message(program):
    # Back to single markers, so that the Earth's distance tells the zoom again.
    program.click(MODE_BUTTON)
    program.keys("alt+h", "a")
    dialog = program.wait_until("the version message after Alt+H, A",
                                lambda: program.desktop.xdotool("search", "--onlyvisible",
                                                                "--name", "^バージョン情報$"))
    first = program.client()[0].rows
    program.wait_until("the planets to move after the version message opened",
                       lambda: program.client()[0].rows != first)
    check(True, "the planets go on moving behind the version message")
    program.click(ZOOM_OUT_BUTTON)
    program.desktop.xdotool("windowactivate", "--sync", dialog[0])
    program.desktop.xdotool("key", "Return")
    program.wait_until("the version message to close after pressing Return on it",
                       lambda: not program.desktop.xdotool("search", "--onlyvisible", "--name",
                                                           "^バージョン情報$"))
    check(True, "OK closes the version message")
    first = program.client()[0].rows
    program.wait_until("a new frame after the version message closed",
                       lambda: program.client()[0].rows != first)
    distance = program.client()[0].earth_distance()
    check(distance is not None and 115 < distance < 135,
          "a click on the main window while the message is open does nothing (%s)" % distance)


def check_resize(program):
    menu_bar = program.client_top()
    program.desktop.xdotool("windowsize", "--sync", program.window, "640", str(400 + menu_bar))

    def resized():
        try:
            client, _ = program.client()
        except Failure:
            return False  # the frame at the new size is not drawn yet
        sun_x, sun_y = client.sun()
        return (client.width, client.height) == (640, 400) and client.rows[sun_y][sun_x] == RED

    program.wait_until("the frame after resizing the window to 640 by 400", resized)
    check(True, "after a resize to 640 by 400 the Sun is at the new centre")
    client, _ = program.client()
    check(client.rows[-8][0] != GREY and client.rows[-40][0] == GREY,
          "the status bar follows the bottom edge")
    program.desktop.xdotool("windowminimize", "--sync", program.window)
    program.desktop.xdotool("windowactivate", "--sync", program.window)

    def restored():
        try:
            client, _ = program.client()
        except Failure:
            return False  # not shown again yet: xwd takes no picture of an unmapped window
        sun_x, sun_y = client.sun()
        return (client.width, client.height) == (640, 400) and client.rows[sun_y][sun_x] == RED

    program.wait_until("the frame after restoring the minimised window", restored)
    check(True, "after minimising and restoring the frame is drawn again at the same size")


def check_scaled(program):
    client, _ = program.client()
    check((client.width, client.height) == (2 * 784, 2 * 541),
          "at scale 2 the client area keeps its logical size (%d by %d device pixels)" %
          (client.width, client.height))
    sun_x, sun_y = 2 * 392, 2 * 290
    check(all(client.rows[sun_y + j][sun_x + i] == RED for j in range(-2, 4) for i in range(-2, 4)),
          "at scale 2 the Sun's 3 by 3 block is 6 by 6 device pixels")
    # Below the buttons every client pixel is a 2 by 2 block of one colour: nothing is smoothed.
    blurred = [(x, y) for y in range(60, client.height - 1, 2) for x in range(0, client.width - 1, 2)
               if not client.rows[y][x] == client.rows[y][x + 1] == client.rows[y + 1][x] ==
               client.rows[y + 1][x + 1]]
    check(not blurred, "at scale 2 every pixel is shown as a sharp 2 by 2 block (%d are not)" %
          len(blurred))


def measure_cpu(program, seconds):
    def cpu():
        with open("/proc/%d/stat" % program.process.pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    time.sleep(2.0)
    start_cpu, start = cpu(), time.monotonic()
    time.sleep(seconds)
    used, passed = cpu() - start_cpu, time.monotonic() - start
    print("CPU: %.2f s in %.1f s of animation: %.2f%% of one core" %
          (used, passed, 100.0 * used / passed))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--screenshot",
                        help="write a PNG of the window and its frame, with the status bar")
    parser.add_argument("--cpu-seconds", type=float,
                        help="only measure the CPU time that the animation takes")
    arguments = parser.parse_args()
    if missing_tools("Xvfb"):
        print("SKIPPED: no Xvfb on this machine (scripts/install-deps.sh test installs it)")
        return SKIP
    for tool in missing_tools("xdotool", "openbox", "xwd", "xwininfo", "xdpyinfo", "xprop"):
        print("FAILED: %s is missing (scripts/install-deps.sh test installs it)" % tool)
        return 1
    try:
        with Desktop() as desktop:
            return run_checks(desktop, arguments)
    except Failure as failure:
        print("FAILED:", failure)
        return 1


def run_checks(desktop, arguments):
    program = Program(desktop, arguments.program)
    if arguments.cpu_seconds:
        measure_cpu(program, arguments.cpu_seconds)
        program.keys("alt+F4")
        return program.wait_exit()
    check_start(program)
    check_zoom_out(program)
    check_trails(program)
    check_status_bar(program)
    check_menu_follows(program)
    if arguments.screenshot:
        write_png(program.capture_with_frame().image, arguments.screenshot)
    check_version_message(program)
    check_resize(program)
    program.keys("alt+F4")
    check(program.wait_exit("after Alt+F4") == 0, "Alt+F4 ends the program with exit code 0")
    check(program.output() == "", "nothing on the terminal" + program.output())

    # The Exit command, reached through the access keys of the File menu, on a display
    # of scale 2.
    program = Program(desktop, arguments.program, GDK_SCALE="2")
    check_scaled(program)
    program.keys("alt+f", "x")
    check(program.wait_exit("after File > Exit") == 0,
          "File > Exit ends the program with exit code 0")
    check(program.output() == "", "nothing on the terminal" + program.output())

    program = Program(desktop, arguments.program)
    program.click_close_box()
    check(program.wait_exit("after a click on the close box") == 0,
          "the close box ends the program with exit code 0")
    check(program.output() == "", "nothing on the terminal" + program.output())
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
