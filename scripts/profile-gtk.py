#!/usr/bin/env python3
"""Counts where the GTK program's instructions go while it animates, with valgrind's callgrind.

Usage: profile-gtk.py [PROGRAM] [--mode 0|1] [--status-bar] [--seconds N] [--output FILE]
       profile-gtk.py --from FILE

Starts the program (default build/profile/sorvelin, see below) under callgrind on an Xvfb desktop
with openbox, brings it into the asked state (mode 1 through its MODE button, the status bar
through the menu), lets it settle, then collects for N seconds (15 by default) of animation and
closes it. Prints the instructions per tick of each part of the work: the program's own tick on
the stand-in (without the host's share of it), the host handing the status text to GTK, finding
and queueing the changed pixels, GTK's layout, GTK's events and drawing with the copy of the
client pixels and the status bar's text in it, and the main loop's own waiting and dispatching.
GTK's helper threads sleep, so their share is in "everything else".

The figures are most telling from an optimised build with symbols in which functions called
from one place stay functions of their own:
    cmake -S . -B build/profile -DCMAKE_BUILD_TYPE=RelWithDebInfo \\
        -DSORVELIN_BUILD_TESTS=OFF -DCMAKE_CXX_FLAGS=-fno-inline-functions-called-once
    cmake --build build/profile -j2 --target sorvelin
"""

import argparse
import collections
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
import display  # noqa: E402  (the desktop)
from first_frame import GREY, MODE_BUTTON  # noqa: E402
from program import Program  # noqa: E402  (the program and its controls)

SETTLE_SECONDS = 3.0
STARTUP_SECONDS = 90.0  # valgrind makes the start many times slower

# Each part of the work is the inclusive cost of the functions whose names match, less the parts
# that run inside it. Names as callgrind_annotate prints them; GTK's own inner functions have no
# names there, so its parts are taken from the exported functions that they run under.
TICK = r"TimerTick\("
STATUS_TEXT = r"GtkHost::WindowChanged\("
CHANGED_PIXELS = r"PartialRedraw::ShowChanges\("
LAYOUT = r"^gtk_container_check_resize$"  # the frame clock's layout phase
EVENTS_AND_DRAWING = r"^gtk_main_do_event$"  # X events, and the expose of the paint phase
CLIENT_COPY = r"OnDrawClient\("
STATUS_DRAWING = r"OnDrawStatusText\("
WAIT = r"GtkHost::Wait\("


class Profiled(Program):
    """The program under callgrind, instrumented only when asked, waited for as valgrind needs."""

    def __init__(self, desktop, path, output):
        self.desktop = desktop
        self.errors = tempfile.TemporaryFile()
        self.process = subprocess.Popen(
            ["valgrind", "--tool=callgrind", "--instr-atstart=no",
             "--callgrind-out-file=" + output, path],
            env=desktop.env, stdout=self.errors, stderr=subprocess.STDOUT)
        self.window = str(display.find_window(desktop, "^Sorvelin", STARTUP_SECONDS))
        display.wait_until("the first frame", lambda: self.client_top() is not None,
                           STARTUP_SECONDS)


def call_counts(path):
    """Calls of each function, from callgrind's own file: its names come once with a number."""
    names, counts, callee = {}, collections.Counter(), None
    with open(path) as profile:
        for line in profile:
            match = re.match(r"c?fn=\((\d+)\)(?: (.*))?", line)
            if match:
                if match.group(2):
                    names[match.group(1)] = match.group(2)
                callee = match.group(1) if line.startswith("cfn=") else None
            elif line.startswith("calls=") and callee is not None:
                counts[names.get(callee, callee)] += int(line.split("=")[1].split()[0])
                callee = None
    return counts


def inclusive_costs(path):
    text = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--auto=no", "--threshold=100",
                           path],
                          check=True, capture_output=True, text=True).stdout
    costs = {}
    for line in text.splitlines():
        # The file comes first, up to its one colon; the name keeps its namespaces.
        match = re.match(r"\s*([\d,]+)\s+\(\s*[\d.]+%\)\s+(?:[^\s:]*:)?(.+?)(?: \[.*\])?$", line)
        # A name with a quote and a number is a deeper level of a cycle, counted already.
        if match and not re.search(r"'\d", match.group(2)):
            name = match.group(2).strip()
            costs[name] = max(costs.get(name, 0), int(match.group(1).replace(",", "")))
        elif "PROGRAM TOTALS" in line:
            costs["PROGRAM TOTALS"] = int(line.split()[0].replace(",", ""))
    return costs


def cost(costs, pattern):
    return sum(value for name, value in costs.items() if re.search(pattern, name))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program", nargs="?",
                        default=os.path.join(HERE, "..", "build", "profile", "sorvelin"))
    parser.add_argument("--mode", type=int, choices=(0, 1), default=0)
    parser.add_argument("--status-bar", action="store_true")
    parser.add_argument("--seconds", type=float, default=15.0)
    parser.add_argument("--output", default=None)
    parser.add_argument("--from", dest="profile", metavar="FILE",
                        help="only break down a profile that an earlier run wrote")
    arguments = parser.parse_args()
    if arguments.profile:
        return report(arguments.profile)
    output = arguments.output or tempfile.mktemp(prefix="sorvelin-callgrind.")
    with display.Desktop() as desktop:
        # A first GTK program on a new display settles its visuals; see measure-cpu.py.
        Program(desktop, arguments.program).keys("alt+F4")
        program = Profiled(desktop, arguments.program, output)
        if arguments.mode == 1:
            program.click(MODE_BUTTON)
        if arguments.status_bar:
            program.keys("F10", "Right", "Down", "Return")
            display.wait_until("the status bar",
                               lambda: program.client()[0].rows[-8][0] != GREY)
        time.sleep(SETTLE_SECONDS)
        pid = str(program.process.pid)
        subprocess.run(["callgrind_control", "--instr=on", pid], check=True,
                       capture_output=True)
        time.sleep(arguments.seconds)
        subprocess.run(["callgrind_control", "--instr=off", pid], check=True,
                       capture_output=True)
        program.keys("alt+F4")
        program.wait_exit(STARTUP_SECONDS)
    return report(output)


def report(output):
    ticks = sum(count for name, count in call_counts(output).items() if re.search(TICK, name))
    if ticks == 0:
        print("no tick was counted in %s" % output)
        return 1
    costs = inclusive_costs(output)
    tick, status, changed = cost(costs, TICK), cost(costs, STATUS_TEXT), cost(costs, CHANGED_PIXELS)
    layout, gtk = cost(costs, LAYOUT), cost(costs, EVENTS_AND_DRAWING)
    copy, statusDrawing = cost(costs, CLIENT_COPY), cost(costs, STATUS_DRAWING)
    wait = cost(costs, WAIT)
    total = costs["PROGRAM TOTALS"]
    parts = [
        ("the program's tick on the stand-in", tick - status),
        ("the host handing the status text to GTK", status),
        ("the changed pixels found and queued", changed),
        ("GTK's layout", layout),
        ("GTK's events and drawing, without:", gtk - copy - statusDrawing),
        ("  the copy of the client pixels", copy),
        ("  the status bar's text", statusDrawing),
        ("the main loop itself", wait - changed - layout - gtk),
    ]
    parts.append(("everything else", total - sum(value for _, value in parts)))
    print("%s: %d ticks, %.0f instructions a tick in all" % (output, ticks, total / ticks))
    for name, value in parts:
        print("  %-42s %9.0f  %5.1f%%" % (name, value / ticks, 100.0 * value / total))
    return 0


if __name__ == "__main__":
    sys.exit(main())
