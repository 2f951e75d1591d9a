#!/usr/bin/env python3
"""Measures the GTK program's CPU time, wake-ups and peak memory against a bare GTK animation.

Usage: measure-cpu.py [PROGRAM ...] [--bare PATH] [--seconds N] [--rounds N] [--env NAME=VALUE ...]

PROGRAM defaults to build/release/sorvelin (cmake --preset release && cmake --build --preset
release); the script builds the bare animation, bench/bare_gtk_animation.cpp, with the bench
preset (the release build with the benchmarks) unless --bare names one.
The bare animation is the least a GTK 3 program does to show the same picture: one 784 by 541
drawing area whose six markers and one row of text change 20 times a second, redrawn through
gtk_widget_queue_draw_area; with --label it also sets a GtkLabel's text on every tick, as the
program does with its status bar shown.

All runs share one Xvfb desktop with openbox, started as the GTK smoke test starts it. Each round
runs, one after the other: each program (two builds to compare, say) in mode 0, in mode 1 (a click
on MODE) and in mode 0 with the status bar shown (through the menu, as a user would), then the
bare animation, and the bare animation with its label. Each run animates for a couple of seconds
to settle, then for N seconds (20 by default) of measurement, in which the script reads from
/proc: the process's CPU time (user and system, all threads) as a share of one core; the X
server's CPU time over the same seconds; the main thread's context switches per second, which are
its wake-ups (it sleeps between ticks, so each wake-up is one switch away and back); and the peak
resident memory (VmHWM). Printed per run and, at the end, the median of each figure over the
rounds with its range, and the ratios of each program to the bare animation.

Exits 1 when a goal is missed: the program's CPU time at most 1.25 times the bare animation's
(the status bar shown against the bare animation with its label), and its peak memory at most
the bare animation's plus 10 MB. --env adds variables to the program's environment.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
import display  # noqa: E402  (the desktop)
from process_stats import cpu_seconds, status_field  # noqa: E402
from first_frame import GREY, MODE_BUTTON  # noqa: E402
from program import Program  # noqa: E402  (the program and its controls)

CPU_RATIO_GOAL = 1.25
MEMORY_MARGIN_GOAL_MB = 10.0
SETTLE_SECONDS = 2.0
BARE_TITLE = "^Bare GTK animation$"


def switches(pid):
    """The main thread's context switches, voluntary and not."""
    return (status_field(pid, "voluntary_ctxt_switches") +
            status_field(pid, "nonvoluntary_ctxt_switches"))


class Bare:
    """The bare GTK animation's process and its window."""

    def __init__(self, desktop, path, label):
        self.desktop = desktop
        self.process = subprocess.Popen([path] + (["--label"] if label else []),
                                        env=desktop.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.window = str(display.find_window(desktop, BARE_TITLE))

    def close(self):
        self.desktop.xdotool("windowactivate", "--sync", self.window)
        self.desktop.xdotool("key", "--clearmodifiers", "alt+F4")
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise display.Failure("the bare animation did not end")


class Real:
    """The program, brought into one of its states."""

    def __init__(self, desktop, path, state, environment):
        self.program = Program(desktop, path, **environment)
        self.process = self.program.process
        if state == "mode 1":
            self.program.click(MODE_BUTTON)
        elif state == "status bar":
            # The second popup has no access key: F10 opens the menu bar, Right moves to it and
            # Down selects its first item, "show".
            self.program.keys("F10", "Right", "Down", "Return")
            display.wait_until("the status bar",
                               lambda: self.program.client()[0].rows[-8][0] != GREY)

    def close(self):
        self.program.keys("alt+F4")
        self.program.wait_exit()


def measure(desktop, start, seconds):
    runner = start()
    try:
        time.sleep(SETTLE_SECONDS)
        pid, server = runner.process.pid, desktop.server_pid
        cpu, server_cpu, woken = cpu_seconds(pid), cpu_seconds(server), switches(pid)
        began = time.monotonic()
        time.sleep(seconds)
        passed = time.monotonic() - began
        figures = {
            "cpu": 100.0 * (cpu_seconds(pid) - cpu) / passed,
            "xvfb": 100.0 * (cpu_seconds(server) - server_cpu) / passed,
            "wakeups": (switches(pid) - woken) / passed,
            "memory": status_field(pid, "VmHWM") / 1024.0,
        }
    finally:
        runner.close()
    return figures


def describe(figures):
    return ("CPU %5.2f%% of one core, Xvfb %5.2f%%, %5.1f wake-ups/s, peak %5.1f MB" %
            (figures["cpu"], figures["xvfb"], figures["wakeups"], figures["memory"]))


def summary(runs, key):
    values = [run[key] for run in runs]
    return statistics.median(values), min(values), max(values)


def build_bare():
    """Builds the bare animation with the bench preset: a release build with the benchmarks."""
    root = os.path.join(HERE, "..")
    if not os.path.isdir(os.path.join(root, "build", "bench")):
        subprocess.run(["cmake", "--preset", "bench"], cwd=root, check=True,
                       stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "bench", "--target", "bare_gtk_animation"],
                   cwd=root, check=True, stdout=subprocess.DEVNULL)
    return os.path.join(root, "build", "bench", "bench", "bare_gtk_animation")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("programs", nargs="*", metavar="PROGRAM",
                        default=[os.path.join(HERE, "..", "build", "release", "sorvelin")])
    parser.add_argument("--bare", help="the bare animation; by default built here")
    parser.add_argument("--seconds", type=float, default=20.0)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--env", action="append", default=[], metavar="NAME=VALUE")
    arguments = parser.parse_args()
    environment = dict(setting.split("=", 1) for setting in arguments.env)
    if arguments.bare is None:
        arguments.bare = build_bare()
    for path in arguments.programs + [arguments.bare]:
        if not os.access(path, os.X_OK):
            print("no program at %s: build the release preset first" % path)
            return 2
    # Several programs, such as two builds to compare, are told apart by their file names, or by
    # their paths where file names are the same (build/release/sorvelin against another build's).
    names = [os.path.basename(path) for path in arguments.programs]
    labels = ["program"] if len(names) == 1 else [
        path if names.count(name) > 1 else name for path, name in zip(arguments.programs, names)]
    if len(set(labels)) < len(labels):
        print("the same program is given twice: give each once")
        return 2
    kinds = {}
    for label, path in zip(labels, arguments.programs):
        for state in ("mode 0", "mode 1", "status bar"):
            kinds["%s, %s" % (label, state)] = (
                lambda path=path, state=state: Real(desktop, path, state, environment))
    kinds["bare"] = lambda: Bare(desktop, arguments.bare, False)
    kinds["bare with label"] = lambda: Bare(desktop, arguments.bare, True)
    results = {name: [] for name in kinds}
    print("load average before: %.2f %.2f %.2f" % os.getloadavg())
    with display.Desktop() as desktop:
        # The first GTK program on a new display loads the system's OpenGL driver to choose its
        # visuals and leaves the answer on the display for later programs; on a desktop that has
        # run any GTK program this has long happened, so a first run only does it here.
        Program(desktop, arguments.programs[0], **environment).keys("alt+F4")
        for round_number in range(arguments.rounds):
            for name, start in kinds.items():
                try:
                    figures = measure(desktop, start, arguments.seconds)
                except display.Failure as failure:
                    # A run lost to a busy machine is not worth the whole measurement.
                    print("round %d, %s: %s; once more" % (round_number + 1, name, failure))
                    figures = measure(desktop, start, arguments.seconds)
                results[name].append(figures)
                print("round %d, %-28s %s" % (round_number + 1, name + ":", describe(figures)),
                      flush=True)
    print("load average after: %.2f %.2f %.2f" % os.getloadavg())

    print("\nmedians over %d rounds of %.0f s (range in brackets):" %
          (arguments.rounds, arguments.seconds))
    medians = {}
    for name, runs in results.items():
        medians[name] = {key: summary(runs, key)[0] for key in runs[0]}
        print("%-28s " % (name + ":") + ", ".join(
            "%s %.2f [%.2f..%.2f]" % ((key,) + summary(runs, key)) for key in runs[0]))

    met = True
    print("\nratios of medians:")
    for name in kinds:
        if name.startswith("bare"):
            continue
        yardstick = "bare with label" if name.endswith("status bar") else "bare"
        ratio = medians[name]["cpu"] / medians[yardstick]["cpu"]
        margin = medians[name]["memory"] - medians[yardstick]["memory"]
        ok = ratio <= CPU_RATIO_GOAL and margin <= MEMORY_MARGIN_GOAL_MB
        met = met and ok
        print("%-28s CPU %.2f times %s's, Xvfb %.2f%% against %.2f%%, memory %+.1f MB: %s" %
              (name + ":", ratio, yardstick, medians[name]["xvfb"], medians[yardstick]["xvfb"],
               margin, "met" if ok else "MISSED"))
    print("goals (CPU at most %.2f times, memory at most %+.0f MB): %s" %
          (CPU_RATIO_GOAL, MEMORY_MARGIN_GOAL_MB, "met" if met else "MISSED"))
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
