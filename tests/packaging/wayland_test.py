#!/usr/bin/env python3
"""Runs the GTK program natively on Wayland under Debian's weston, as a user would see it.

Usage: wayland_test.py PROGRAM SCREENSHOT_PNG

First under weston's headless backend, which offers no seat at all, so nothing can be typed or
clicked: the window must appear with its first frame (taken with weston-screenshooter) and the
program must print nothing. Then under weston's X11 backend on a private Xvfb display, which
gives weston a pointer and a keyboard: zoom out and MODE must change the frame, and the File
menu's Exit must end the program with exit code 0, again without a word printed. The program
runs with GDK_BACKEND=wayland and no DISPLAY, so it cannot fall back to X.
"""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from display import Desktop, Failure, Started, capture, check, missing_tools  # noqa: E402
from display import FIRST_WAIT_SECONDS, process_state, wait_until, write_png  # noqa: E402
from first_frame import MODE_BUTTON, ZOOM_OUT_BUTTON, CYAN, find_client, first_frame  # noqa: E402

FILE_MENU = (48, -13)  # client coordinates of the menu bar's first title
MENU_RELEASE_GRACE_SECONDS = 1.0

SCREEN = (1024, 768)


class Weston:
    """A weston compositor with its own socket in its own runtime folder (mode 0700)."""

    def __init__(self, backend, environment):
        self.backend = backend
        self.base = dict(environment)
        self.runtime = None
        self.process = None

    def __enter__(self):
        self.runtime = tempfile.mkdtemp(prefix="sorvelin-wayland-")  # private: mode 0700
        self.socket = "sorvelin-%d" % os.getpid()
        self.env = dict(self.base, XDG_RUNTIME_DIR=self.runtime)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.log = open(os.path.join(self.runtime, "weston.log"), "w+")
        # --debug offers the screenshooter protocol; the pixman renderer keeps real pixels.
        self.process = subprocess.Popen(
            ["weston", "--backend=" + self.backend, "--use-pixman", "--socket=" + self.socket,
             "--idle-time=0", "--no-config", "--debug", "--width=%d" % SCREEN[0],
             "--height=%d" % SCREEN[1]], env=self.env, stdin=subprocess.DEVNULL,
            stdout=self.log, stderr=subprocess.STDOUT)
        path = os.path.join(self.runtime, self.socket)
        wait_until("weston's socket %s after starting weston" % path, lambda: os.path.exists(path),
                   FIRST_WAIT_SECONDS, self.reporter())
        check(self.process.poll() is None, "weston runs with its %s" % self.backend)
        return self

    def reporter(self, program=None, desktop=None):
        """A report for wait_until on weston, the program where given, and the X display under
        weston where there is one; its early check ends a wait once either has ended."""
        watched = [("weston", self.process, self.log)]
        if program is not None:
            watched.append((program.name, program.process, program.output))
        windows = desktop.reporter() if desktop is not None else lambda early=False: ""

        def report(early=False):
            if early:
                return next(filter(None, (process_state(*one, early=True) for one in watched)),
                            None)
            return "\n".join([line for one in watched for line in process_state(*one)] +
                             [windows()])

        return report

    def program_env(self):
        environment = dict(self.env, WAYLAND_DISPLAY=self.socket, GDK_BACKEND="wayland")
        environment.pop("DISPLAY", None)
        return environment

    def screenshot(self):
        """The whole output, from weston-screenshooter, as an RGB image."""
        folder = tempfile.mkdtemp(dir=self.runtime)
        try:
            subprocess.run(["weston-screenshooter"], cwd=folder, env=self.program_env(),
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=60, check=True)
            from PIL import Image
            files = glob.glob(os.path.join(folder, "*.png"))
            if not files:
                raise Failure("weston-screenshooter wrote no picture")
            with Image.open(files[0]) as image:
                return image.convert("RGB")
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def __exit__(self, *exception):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()
        shutil.rmtree(self.runtime, ignore_errors=True)
        return False


def without_seat(program_path, screenshot_path):
    with Weston("headless-backend.so", os.environ) as weston:
        program = Started("the program", [program_path], weston.program_env())
        try:
            screens = []

            def shown():
                screens[:] = [weston.screenshot()]
                return first_frame(screens[0])

            wait_until("the first frame after starting the program under headless weston", shown,
                       FIRST_WAIT_SECONDS, weston.reporter(program))
            check(True, "headless weston, no seat: the window shows the Sun, the legend and the "
                  "Earth")
            write_png(screens[0], screenshot_path)
            # A frame later the program still runs, and whatever GTK had to say is in the file.
            weston.screenshot()
            check(program.process.poll() is None, "the program still runs")
            printed = program.printed()
            check(printed == "", "without a seat the program prints nothing (%r)" % printed[:300])
        finally:
            program.stop()


def with_seat(program_path):
    # The X screen is larger than weston's window, so that the pointer can leave the window.
    with Desktop(window_manager=False, screen="%dx%dx24" % (SCREEN[0] + 64, SCREEN[1] + 64)) \
            as desktop:
        with Weston("x11-backend.so", desktop.env) as weston:
            # Weston's output is one X window of that class (its name is not one xdotool reads),
            # shown once weston has mapped it: a capture before then fails.
            output = wait_until("weston's window on X after starting weston",
                                lambda: desktop.xdotool("search", "--onlyvisible", "--class",
                                                        "^Weston Compositor$"),
                                FIRST_WAIT_SECONDS, weston.reporter(desktop=desktop))[0]
            program = Started("the program", [program_path], weston.program_env())
            report = weston.reporter(program, desktop)
            try:
                client = wait_until("the first frame after starting the program under weston on X",
                                    lambda: first_frame(capture(desktop, output)),
                                    FIRST_WAIT_SECONDS, report)

                # Weston follows the X pointer only after it has entered its window, which a
                # window mapped under the pointer may never see: the pointer leaves and comes in.
                desktop.xdotool("mousemove", str(SCREEN[0] + 32), str(SCREEN[1] + 32))

                def click(point):
                    # Weston draws the pointer itself: once it shows over the button, weston has
                    # taken the motion, and the click lands there and not where the pointer was.
                    x, y = client.screen_point(point)
                    around = (x - 4, y - 4, x + 12, y + 20)
                    before = capture(desktop, output).crop(around).tobytes()
                    desktop.xdotool("mousemove", "--window", output, str(x), str(y))
                    wait_until("weston's pointer after moving it to %s" % (point,),
                               lambda: capture(desktop, output).crop(around).tobytes() != before,
                               report=report)
                    desktop.xdotool("click", "1")

                click(ZOOM_OUT_BUTTON)

                def zoomed():
                    seen = find_client(capture(desktop, output))
                    distance = seen and seen.earth_distance()
                    return distance and 115 < distance < 135 and distance

                distance = wait_until("the Earth halfway to the Sun after zooming out", zoomed,
                                      report=report)
                check(True, "zoom out: the Earth is about half as far (%.1f px)" % distance)

                before = len(find_client(capture(desktop, output)).coloured(CYAN))
                click(MODE_BUTTON)

                def trail():
                    count = len(find_client(capture(desktop, output)).coloured(CYAN))
                    return count > 4 * before and count > 30 and count

                after = wait_until("the Earth's trail after pressing MODE", trail, report=report)
                check(True, "MODE: the Earth leaves a trail (%d cyan pixels, %d before)" %
                      (after, before))

                # File, then Exit, its second and last item: the menu opens over the client
                # area's top left corner, as the pixels that turn light there.
                corner = (client.left, client.top, client.left + 250, client.top + 150)
                closed = capture(desktop, output).crop(corner)
                click(FILE_MENU)

                seen = []

                def menu():
                    now = capture(desktop, output).crop(corner)
                    light = [(index % now.width, index // now.width) for index, (new, old) in
                             enumerate(zip(now.getdata(), closed.getdata()))
                             if new != old and min(new) > 200]
                    # On a busy machine a capture may catch the menu half drawn, its first item
                    # only, where a click meant for Exit chooses the year 2000: it is whole once
                    # two captures in a row show the same light pixels.
                    whole = len(light) > 500 and seen == [light]
                    seen[:] = [light]
                    return whole and light

                light = wait_until("the File menu over the client area after clicking its title",
                                   menu, report=report)
                left = min(x for x, _ in light)
                right = max(x for x, _ in light)
                top = min(y for _, y in light)
                bottom = max(y for _, y in light)
                # GTK takes a release within half a second of a menu's opening for the end of
                # the press that opened it, and ignores it: a user's click comes later.
                time.sleep(MENU_RELEASE_GRACE_SECONDS)
                click((left + (right - left) // 2, top + 3 * (bottom - top) // 4))
                try:
                    code = program.process.wait(FIRST_WAIT_SECONDS)
                except subprocess.TimeoutExpired:
                    raise Failure("timed out after %.1f s waiting for the program to end after "
                                  "File > Exit\n%s" % (FIRST_WAIT_SECONDS, report()))
                check(code == 0, "File > Exit ends the program with exit code 0 (got %d)" % code)
                printed = program.printed()
                check(printed == "", "with a seat the program prints nothing (%r)" % printed[:300])
            finally:
                program.stop()


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    program_path, screenshot_path = (os.path.abspath(argument) for argument in sys.argv[1:])
    missing = missing_tools("weston", "weston-screenshooter", "Xvfb", "xdotool", "xwd", "xdpyinfo")
    if missing:
        raise SystemExit("missing %s (scripts/install-deps.sh test installs them)" %
                         ", ".join(missing))
    try:
        without_seat(program_path, screenshot_path)
        with_seat(program_path)
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    print("the program runs natively on Wayland, with and without a seat")
    return 0


if __name__ == "__main__":
    sys.exit(main())
