#!/usr/bin/env python3
"""Measures the real program's CPU time and peak memory while it animates under Xvfb.

Usage: measure-cpu.py [PROGRAM] [--seconds N] [--env NAME=VALUE ...]
PROGRAM defaults to build/release/sorvelin (cmake --preset release && cmake --build --preset
release). After a first start that only prepares the display (see main), the program runs twice on
an Xvfb desktop with openbox, as the GTK smoke test starts it: once left in mode 0, once after a click on MODE (trails). Each run animates for a
couple of seconds to settle, then for N seconds (30 by default) of measured animation. Printed
per mode: the CPU time per second of animation as a share of one core (user and system time of
the program's process from /proc) and its peak resident memory (VmHWM). Exits 1 when a figure
misses its goal: under 2% of one core and under 60 MB. --env adds variables to the program's
environment, to compare toolkit settings such as GDK_GL=disable.
"""

import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "gtk"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
import display  # noqa: E402  (the desktop)
import smoke_test  # noqa: E402  (the program and its MODE button)

CPU_GOAL_PERCENT = 2.0
MEMORY_GOAL_MB = 60.0
SETTLE_SECONDS = 2.0


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def peak_resident_mb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


def measure(desktop, path, mode, seconds, environment):
    program = smoke_test.Program(desktop, path, **environment)
    try:
        if mode == 1:
            program.click(smoke_test.MODE_BUTTON)
        time.sleep(SETTLE_SECONDS)
        pid = program.process.pid
        start_cpu, start = cpu_seconds(pid), time.monotonic()
        time.sleep(seconds)
        used, passed = cpu_seconds(pid) - start_cpu, time.monotonic() - start
        memory = peak_resident_mb(pid)
    finally:
        program.keys("alt+F4")
        program.wait_exit()
    percent = 100.0 * used / passed
    print("mode %d: %.2f s of CPU in %.1f s of animation: %.2f%% of one core "
          "(%.1f ms a second); peak resident memory %.1f MB" %
          (mode, used, passed, percent, 1000.0 * used / passed, memory))
    return percent, memory


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program", nargs="?",
                        default=os.path.join(HERE, "..", "build", "release", "sorvelin"))
    parser.add_argument("--seconds", type=float, default=30.0)
    parser.add_argument("--env", action="append", default=[], metavar="NAME=VALUE")
    arguments = parser.parse_args()
    environment = dict(setting.split("=", 1) for setting in arguments.env)
    if not os.access(arguments.program, os.X_OK):
        print("no program at %s: build the release preset first" % arguments.program)
        return 2
    with display.Desktop() as desktop:
        # The first GTK program on a new display loads the system's OpenGL driver to choose its
        # visuals and leaves the answer on the display for later programs; on a desktop that has
        # run any GTK program this has long happened, so a first run only does it here.
        smoke_test.Program(desktop, arguments.program, **environment).keys("alt+F4")
        results = [measure(desktop, arguments.program, mode, arguments.seconds, environment)
                   for mode in (0, 1)]
    met = all(percent < CPU_GOAL_PERCENT and memory < MEMORY_GOAL_MB
              for percent, memory in results)
    print("goals (under %.0f%% of one core, under %.0f MB): %s" %
          (CPU_GOAL_PERCENT, MEMORY_GOAL_MB, "met" if met else "MISSED"))
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
