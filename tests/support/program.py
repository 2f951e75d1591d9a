"""The GTK program running on a test desktop: its process, its main window and its client area.

Shared by the smoke test and the scripts that measure or profile the running program. Every wait
names its step and, when it times out, reports the program's state, its output and the windows
on the display; a wait ends at once when the program has ended.
"""

import subprocess
import tempfile
import time

from display import WAIT_SECONDS, Failure, capture, find_window, printed, wait_until
from first_frame import GREY, Client


class Picture(Client):
    """A captured image, also as rows of (red, green, blue) tuples, indexed by row, then column."""

    def __init__(self, image):
        super().__init__(image, 0, 0)
        self.image = image
        data = list(image.getdata())
        self.rows = [data[y * self.width:(y + 1) * self.width] for y in range(self.height)]


class Program:
    """The program's process and its main window on the desktop."""

    def __init__(self, desktop, path, **environment):
        self.desktop = desktop
        self.errors = tempfile.TemporaryFile()
        environment = dict(desktop.env, G_DEBUG="fatal-warnings", **environment)
        self.process = subprocess.Popen([path], env=environment, stdout=self.errors,
                                        stderr=subprocess.STDOUT)
        # The first start on a new machine builds the font caches: the first wait is long.
        self.window = str(find_window(desktop, "^Sorvelin", report=self.report()))
        self.wait_until("the first frame after its window was shown",
                        lambda: self.client_top() is not None)

    def report(self):
        return self.desktop.reporter(("the program", self.process, self.errors))

    def wait_until(self, step, condition, seconds=WAIT_SECONDS):
        return wait_until(step, condition, seconds, self.report())

    def capture(self):
        return Picture(capture(self.desktop, self.window))

    def frame(self):
        # The window manager's frame, with the caption, the icon and the close box, is the
        # window's parent.
        tree = subprocess.run(["xwininfo", "-tree", "-id", self.window, "-display",
                               self.desktop.display], check=True, capture_output=True,
                              text=True).stdout
        return next(line.split()[3] for line in tree.splitlines()
                    if line.strip().startswith("Parent window id:"))

    def capture_with_frame(self):
        return capture(self.desktop, self.frame())

    def click_close_box(self):
        # Openbox's default theme puts the close box at the right end of the caption.
        frame = self.frame()
        width = capture(self.desktop, frame).width
        self.desktop.xdotool("mousemove", "--window", frame, str(width - 13), "9", "click", "1")

    def client_top(self, image=None):
        # The client area starts at the first row whose left column shows the background:
        # the menu bar lies above it, and the buttons start at x 1.
        if image is None:
            image = self.capture()
        for y in range(image.height):
            if image.rows[y][0] == GREY:
                return y
        return None

    def client(self):
        # One picture for both, so that the window cannot change between them.
        image = self.capture()
        top = self.client_top(image)
        if top is None:
            raise Failure("the window shows no client area (not drawn again yet)")
        return Picture(image.image.crop((0, top, image.width, image.height))), top

    def click(self, client_point):
        top = self.client_top()
        self.desktop.xdotool("mousemove", "--window", self.window, str(client_point[0]),
                             str(client_point[1] + top), "click", "1")

    def keys(self, *keys):
        self.desktop.xdotool("windowactivate", "--sync", self.window)
        for key in keys:
            self.desktop.xdotool("key", "--clearmodifiers", key)
            time.sleep(0.2)

    def output(self):
        return printed(self.errors)

    def wait_exit(self, step="after it was asked to end", seconds=30.0):
        """The program's exit code, once it has ended."""
        try:
            return self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            said = self.report()()
            self.process.kill()
            raise Failure("timed out after %.1f s waiting for the program to end %s\n%s" %
                          (seconds, step, said))
