#!/usr/bin/env python3
"""What the GTK program answers on its command line, and says when its display goes away.

Usage: command_line_test.py PROGRAM VERSION_FILE

--version and --help must answer on standard output with exit code 0, with no display at all.
Then the program runs on a private Xvfb server that is stopped under it: it must end with exit
code 1 and one line on standard error that names the cause. Exits with 77 (skipped) for that
part where the machine has no Xvfb.
"""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from display import Desktop, Failure, check, find_window, missing_tools  # noqa: E402
from display import FIRST_WAIT_SECONDS  # noqa: E402

SKIPPED = 77
USAGE = "Usage: sorvelin [--help | --version]\n"
DISPLAY_LOST = "sorvelin: lost the connection to the display\n"


def answer(program, option):
    """Runs the program with one option and no display; returns its exit code and output."""
    environment = {name: value for name, value in os.environ.items()
                   if name not in ("DISPLAY", "WAYLAND_DISPLAY")}
    done = subprocess.run([program, option], env=environment, stdin=subprocess.DEVNULL,
                          capture_output=True, text=True, timeout=FIRST_WAIT_SECONDS)
    return done.returncode, done.stdout, done.stderr


def run_checks(program, version):
    check(answer(program, "--version") == (0, f"Sorvelin {version}\n", ""),
          f"--version prints 'Sorvelin {version}' and exits with 0 without a display")
    code, usage, errors = answer(program, "--help")
    check(code == 0 and usage.startswith(USAGE) and "--version" in usage[len(USAGE):]
          and errors == "", "--help prints the usage and exits with 0 without a display")
    if missing_tools("Xvfb", "xdotool", "xdpyinfo"):
        print("SKIPPED: no Xvfb on this machine (scripts/install-deps.sh test installs it)")
        return SKIPPED
    with Desktop(window_manager=False) as desktop, tempfile.TemporaryFile() as said:
        process = subprocess.Popen([program], env=desktop.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=said)
        try:
            find_window(desktop, "^Sorvelin")
            desktop.close()  # the X server goes away under the running program
            code = process.wait(FIRST_WAIT_SECONDS)
        finally:
            if process.poll() is None:
                process.kill()
        said.seek(0)
        errors = said.read().decode(errors="replace")
    check((code, errors) == (1, DISPLAY_LOST),
          f"with its X server gone it says {DISPLAY_LOST.strip()!r} and exits with 1 "
          f"(it said {errors!r}, exit code {code})")
    return 0


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    with open(sys.argv[2]) as version_file:
        version = version_file.read().split()[0]
    try:
        return run_checks(os.path.abspath(sys.argv[1]), version)
    except Failure as failure:
        print("FAIL:", failure)
        return 1


if __name__ == "__main__":
    sys.exit(main())
