"""What the display tests share: a virtual X desktop, finding and capturing windows, PNG files.

A test runs its program on a private Xvfb server, optionally with openbox as the window
manager, finds the program's window by name with xdotool and reads its pixels with xwd:

    with display.Desktop() as desktop:
        program = display.Started("sorvelin", [path], desktop.env)
        report = desktop.reporter(program)
        window = display.find_window(desktop, "^Sorvelin", report=report)
        image = display.capture(desktop, window)       # a PIL image in RGB
        display.check(image.getpixel((0, 0)) == (64, 64, 64), "the background is dark grey")

Every wait is for readiness, never for a fixed time: a cold, busy machine may take tens of
seconds to start X, a window manager or a program whose font caches are still empty. Every wait
names its step, and one that times out says how long it waited and, through its report, how the
program and the display stood at that moment: whether the program still runs, its exit code,
what it printed and the windows on the display with their map states.
"""

import os
import shutil
import struct
import subprocess
import tempfile
import time

from PIL import Image

# The first wait on a new machine covers cold font caches and a busy CPU.
FIRST_WAIT_SECONDS = 60.0
# Later waits, for something that a running program does at once.
WAIT_SECONDS = 30.0
POLL_SECONDS = 0.1
WINDOW_MANAGER_STARTS = 3


class Failure(Exception):
    """A check that did not hold; its message says what was expected."""


def check(condition, message):
    """Raises Failure with the message unless the condition holds; prints it when it does."""
    if not condition:
        raise Failure(message)
    print("ok:", message, flush=True)


def wait_until(step, condition, seconds=WAIT_SECONDS, report=None):
    """Polls the condition until it gives a truthy result, and returns that result.

    The step names what is awaited and when, as in "the frame after restoring the window". A
    wait that times out, or whose condition fails, raises Failure saying so, with what report(),
    where given, tells of the scene. Between polls report(early=True) may give a reason to stop at once, such as a program
    that has ended, which then fails the wait in the same way.
    """
    start = time.monotonic()
    while True:
        try:
            result = condition()
        except Failure as failure:  # such as a capture of a window that is no longer shown
            raise Failure("%s while waiting for %s%s" % (
                failure, step, "\n" + report() if report is not None else ""))
        if result:
            return result
        waited = time.monotonic() - start
        in_vain = report(early=True) if report is not None else None
        if in_vain or waited > seconds:
            said = report() if report is not None else ""
            raise Failure("%s after %.1f s waiting for %s%s" % (
                "gave up (%s)" % in_vain if in_vain else "timed out", waited, step,
                "\n" + said if said else ""))
        time.sleep(POLL_SECONDS)


class Started:
    """A program started for a test, with all that it prints kept in a file."""

    def __init__(self, name, arguments, env):
        self.name = name
        self.output = tempfile.TemporaryFile()
        self.process = subprocess.Popen(arguments, env=env, stdin=subprocess.DEVNULL,
                                        stdout=self.output, stderr=subprocess.STDOUT)

    def printed(self):
        return printed(self.output)

    def stop(self, seconds=20):
        """Ends the program, politely first, where it still runs."""
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(seconds)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def printed(output):
    """What a program wrote so far to the file that it shares with the test.

    Read without moving the shared file offset, so that the program's later writes still land
    at the end."""
    size = os.fstat(output.fileno()).st_size
    return os.pread(output.fileno(), size, 0).decode(errors="replace")


def process_state(name, process, output=None, early=False):
    """Lines on how the process stands: running, or ended with its exit code, and its output.

    With early set, only a reason to stop waiting: that the process has ended, or None."""
    code = process.poll()
    if early:
        return None if code is None else "%s has ended" % name
    lines = ["%s (pid %d) %s" % (name, process.pid, "still runs" if code is None else
                                  "has ended with exit code %d" % code)]
    if output is not None:
        said = printed(output).strip()
        lines.append("  it printed: " + (said[-2000:].replace("\n", "\n    ") if said else
                                         "nothing"))
    return lines


def missing_tools(*tools):
    """The named programs that are not on the PATH."""
    return [tool for tool in tools if shutil.which(tool) is None]


def _absent(xprop_line):
    """Whether xprop says that the property is not on the window, or on none at all."""
    return "not found" in xprop_line or "no such atom" in xprop_line


def _quiet(arguments, env):
    return subprocess.run(arguments, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          text=True, check=False)


class Desktop:
    """An Xvfb server on a free display, with openbox on it unless window_manager is False.

    Use it as a context manager: it is ready to take clients when the with-block starts, and
    everything it started is stopped when the block ends.
    """

    def __init__(self, window_manager=True, screen="1800x1300x24"):
        self.window_manager = window_manager
        self.screen = screen
        self.display = None
        self.env = None
        self._server = None
        self._manager = None

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exception):
        self.close()
        return False

    def _start(self):
        read_end, write_end = os.pipe()
        # -noreset: an X server resets itself when its last client goes, and refuses new
        # clients while it does; without a window manager, the readiness check below is that
        # last client, and the program started next sometimes found no display.
        self._server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen, "-nolisten",
             "tcp", "-noreset"], pass_fds=[write_end], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        self.display = ":" + number
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("WAYLAND_DISPLAY", None)
        wait_until("the X server " + self.display + " to accept clients",
                   lambda: _quiet(["xdpyinfo"], self.env).returncode == 0, FIRST_WAIT_SECONDS)
        if self.window_manager:
            self._start_window_manager()

    def _start_window_manager(self):
        messages = tempfile.TemporaryFile()
        starts = []

        def start():
            starts.append(time.monotonic())
            self._manager = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                             stdin=subprocess.DEVNULL, stdout=messages,
                                             stderr=subprocess.STDOUT)

        def ready():
            # A window manager announces itself with this property of the root window.
            if "window id #" not in _quiet(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                           self.env).stdout:
                # One that gave up at once, as openbox may on a busy server, is started again.
                if self._manager.poll() is not None and len(starts) < WINDOW_MANAGER_STARTS:
                    start()
                return False
            # But openbox announces itself before its start is done, and X events that reach it
            # meanwhile, such as a program's request to map its window, are read during its start
            # and then left waiting: its event loop sleeps until some later event wakes it, on a
            # quiet test display for ever, and the window is never shown. So it is ready once it
            # has answered a request of ours (one desktop, all that a test needs), sent again at
            # each poll so that a later one wakes a loop that sleeps on queued events.
            self.xdotool("set_num_desktops", "1")
            return self.xdotool("get_num_desktops") == ["1"]

        start()
        try:
            wait_until("the window manager to answer a request after starting the X server",
                       ready, FIRST_WAIT_SECONDS)
        except Failure as failure:
            said = printed(messages).strip()
            raise Failure("%s\n(openbox started %d times%s)\n%s" %
                          (failure, len(starts), ", it said: " + said[-500:] if said else "",
                           "\n".join(self.windows())))
        finally:
            messages.close()

    @property
    def server_pid(self):
        """The X server's process, whose CPU time a measurement counts beside its clients'."""
        return self._server.pid

    def xdotool(self, *arguments):
        """Runs xdotool on this display and returns the words that it printed."""
        return _quiet(["xdotool", *arguments], self.env).stdout.split()

    def windows(self):
        """Lines on the windows that the display has now: each named or mapped one, with its map
        state, its size and, for a managed window, its window manager states."""
        lines = ["windows on %s (xdotool search):" % self.display]
        # Every named window, and the unnamed ones at the top, such as the window manager's frames.
        named = self.xdotool("search", "--name", ".")
        top = self.xdotool("search", "--maxdepth", "1", "--name", "")
        for window in named + [window for window in top if window not in named]:
            info = _quiet(["xwininfo", "-id", window], self.env).stdout
            head = next((line for line in info.splitlines() if "Window id:" in line), "")
            name = head.split(window_hex(window), 1)[-1].strip()
            fields = dict(line.strip().split(": ", 1) for line in info.splitlines()
                          if ": " in line and "Window id:" not in line)
            state = fields.get("Map State", "unknown map state")
            if "(the root window)" in head or name == "(has no name)" and state != "IsViewable":
                continue  # one of the window manager's hidden helpers
            properties = _quiet(["xprop", "-id", window, "WM_STATE", "_NET_WM_STATE"],
                                self.env).stdout
            managed = " ".join(line.strip() for line in properties.splitlines()
                               if not _absent(line) and "icon window" not in line)
            lines.append("  %s %s %s%s %s %s" % (
                window_hex(window), name, fields.get("Width", "?"), "x" + fields.get("Height", "?"),
                state, managed or "(no WM_STATE)"))
        root = _quiet(["xprop", "-root", "_NET_CLIENT_LIST", "_NET_ACTIVE_WINDOW"],
                      self.env).stdout
        lines += ["  root " + line.strip() for line in root.splitlines() if not _absent(line)]
        return lines if len(lines) > 1 else lines + ["  none"]

    def reporter(self, *programs):
        """A report for wait_until on the programs, each a Started or (name, process, output),
        and this display's windows. Its early check ends a wait once a program has ended."""
        programs = [(program.name, program.process, program.output)
                    if isinstance(program, Started) else program for program in programs]

        def report(early=False):
            if early:
                return next(filter(None, (process_state(*program, early=True)
                                          for program in programs)), None)
            lines = [line for program in programs for line in process_state(*program)]
            return "\n".join(lines + self.windows())

        return report

    def close(self):
        for process in (self._manager, self._server):
            if process is not None and process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self._manager = self._server = None


def window_hex(window):
    return "0x%x" % int(window)


def find_window(desktop, name, seconds=FIRST_WAIT_SECONDS, step="after starting the program",
                report=None):
    """The id of the first window shown on the screen (viewable) whose name matches the regular
    expression."""
    found = wait_until("a window named %r %s" % (name, step),
                       lambda: desktop.xdotool("search", "--onlyvisible", "--name", name),
                       seconds, report or desktop.reporter())
    return int(found[0])


def _xwd_image(dump):
    """A TrueColor ZPixmap dump of 24 or 32 bits a pixel, as xwd writes on Xvfb, in RGB."""
    fields = struct.unpack(">25I", dump[:100])
    header_size, version, pixmap_format, _, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks = fields[14:17]
    colour_count = fields[19]
    if version != 7 or pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise Failure("unsupported xwd dump: format %d, %d bits a pixel" %
                      (pixmap_format, bits_per_pixel))
    if masks != (0xFF0000, 0xFF00, 0xFF):
        raise Failure("unsupported xwd colour masks %s" % (masks,))
    start = header_size + 12 * colour_count
    pixels = dump[start:start + bytes_per_line * height]
    if len(pixels) < bytes_per_line * height:
        raise Failure("the xwd dump is cut short")
    little = byte_order == 0
    raw_mode = {(32, True): "BGRX", (32, False): "XRGB", (24, True): "BGR",
                (24, False): "RGB"}[(bits_per_pixel, little)]
    return Image.frombuffer("RGB", (width, height), pixels, "raw", raw_mode, bytes_per_line, 1)


def _xwd(desktop, *arguments):
    done = subprocess.run(["xwd", "-silent", *arguments], env=desktop.env,
                          stdin=subprocess.DEVNULL, capture_output=True, check=False)
    if done.returncode != 0:
        raise Failure("xwd %s failed: %s" % (" ".join(arguments),
                                              done.stderr.decode(errors="replace").strip()))
    return _xwd_image(done.stdout)


def capture(desktop, window_id):
    """The window's pixels as the X server shows them, its children included, in RGB.

    Raises Failure for a window that is not shown, such as a minimised one."""
    return _xwd(desktop, "-id", str(window_id))


def capture_screen(desktop):
    """The whole screen, in RGB."""
    return _xwd(desktop, "-root")


def read_png(path):
    """A PNG file as an RGB image."""
    with Image.open(path) as image:
        return image.convert("RGB")


def write_png(image, path):
    """Writes the image as a PNG with no metadata, so the same pixels give the same file."""
    image.save(path, format="PNG", optimize=False, compress_level=9)
