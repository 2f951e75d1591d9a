#!/usr/bin/env python3
"""Measures the web page: its size, the time to its first frame, and its CPU while animating.

Usage: measure-web.py [--page DIR] [--program GTK_PROGRAM] [--seconds N] [--loads N] [--rounds N]
DIR defaults to build/web (scripts/serve-web.sh or cmake --build --preset web builds it), the GTK
program to build/release/sorvelin. Printed:
- each file of the page and their total, before compression (goal: under 300 KB);
- the time from navigation to the first frame on the canvas in headless Chromium on 127.0.0.1,
  for N loads each in a fresh profile (goal: under 1 s);
- the CPU time per second of animation of Chromium's renderer processes, from /proc, measured
  over the same N seconds as the GTK program's on an Xvfb desktop (goal: no more than the GTK
  program), and of Chromium's GPU process beside them;
- side by side in the same run, N rounds of the page and bench/bare_canvas_animation.html in
  turn, each in a fresh Chromium: the least a page does to show such an animation, what Chromium
  itself takes for a canvas that changes 20 times a second; and the ratio of the page's renderer
  CPU to the bare page's, from the sums of all rounds (goal: at most 1.25).
Run it with Debian's /usr/bin/python3, which has selenium and Pillow.
"""
import argparse
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'tests', 'web'))
sys.path.insert(0, os.path.join(HERE, '..', 'tests', 'support'))
import page_harness  # noqa: E402
import display  # noqa: E402
from process_stats import cpu_seconds, stat_fields  # noqa: E402
from program import Program  # noqa: E402

SIZE_GOAL_BYTES = 300 * 1024
FIRST_FRAME_GOAL_MS = 1000
SETTLE_SECONDS = 2.0
BARE_PAGE = 'bare_canvas_animation.html'
RENDERERS = 'browser page (renderers)'
BARE_RATIO_GOAL = 1.25


def processes():
    """Every process's parent and command line."""
    found = {}
    for entry in os.listdir('/proc'):
        if not entry.isdigit():
            continue
        try:
            parent = int(stat_fields(int(entry))[1])
            with open(f'/proc/{entry}/cmdline', 'rb') as cmdline:
                arguments = cmdline.read().split(b'\0')
        except (OSError, ValueError):
            continue
        found[int(entry)] = (parent, arguments)
    return found


def chromium_pids(profile):
    """The processes of the Chromium that runs with this profile, by type: its renderers (the
    page's and any spare one, but not the browser's own user interface) and its GPU process.
    Chromium rewrites its command line into one string, so the types are found in that."""
    table = processes()
    line = {pid: b' '.join(arguments) for pid, (_, arguments) in table.items()}
    browsers = {pid for pid, text in line.items()
                if profile.encode() in text and b'--type=' not in text}

    def under_browser(pid):
        while pid in table and pid not in browsers:
            pid = table[pid][0]
        return pid in browsers

    mine = [pid for pid in table if pid not in browsers and under_browser(pid)]
    return {
        'renderers': [pid for pid in mine if b'--type=renderer' in line[pid]
                      and b'--top-chrome-webui' not in line[pid]],
        'gpu': [pid for pid in mine if b'--type=gpu-process' in line[pid]],
    }


def page_cpu(url, seconds, program=None):
    """The CPU time of a page's renderers and of Chromium's GPU process, in a fresh headless
    Chromium, over seconds of animation after it settles; with the GTK program's beside them."""
    browser = page_harness.Browser()
    try:
        browser.open_page(url)
        time.sleep(SETTLE_SECONDS)
        chromium = chromium_pids(browser.profile)
        assert chromium['renderers'], 'no renderer process found'
        # The page's renderer, with any spare one that Chromium keeps ready; and, besides the
        # goal, Chromium's GPU process, which composites the page.
        groups = {'browser page (renderers)': chromium['renderers'],
                  'Chromium GPU process': chromium['gpu']}
        if program is not None:
            groups['GTK program'] = [program.process.pid]
        start = {name: sum(map(cpu_seconds, pids)) for name, pids in groups.items()}
        began = time.monotonic()
        time.sleep(seconds)
        passed = time.monotonic() - began
        return ({name: sum(map(cpu_seconds, pids)) - start[name] for name, pids in groups.items()},
                passed)
    finally:
        browser.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--page', default=os.path.join(HERE, '..', 'build', 'web'))
    parser.add_argument('--program', default=os.path.join(HERE, '..', 'build', 'release',
                                                          'sorvelin'))
    parser.add_argument('--seconds', type=float, default=30.0)
    parser.add_argument('--loads', type=int, default=5)
    parser.add_argument('--rounds', type=int, default=3)
    arguments = parser.parse_args()

    total = 0
    for name in sorted(os.listdir(arguments.page)):
        size = os.path.getsize(os.path.join(arguments.page, name))
        total += size
        print(f'{name}: {size} bytes')
    print(f'page: {total} bytes ({total / 1024:.1f} KB) in all; goal under 300 KB: '
          f'{"met" if total < SIZE_GOAL_BYTES else "MISSED"}')

    server = page_harness.PageServer(arguments.page)
    bare_server = page_harness.PageServer(os.path.join(HERE, '..', 'bench'))
    try:
        times = []
        for _ in range(arguments.loads):
            browser = page_harness.Browser()
            try:
                browser.open_page(server.url)
                shown = browser.run('return document.body.dataset.firstFrameMilliseconds')
                times.append(int(shown))
            finally:
                browser.close()
        print(f'navigation to first frame, fresh profile each: {times} ms; median '
              f'{statistics.median(times)} ms; goal under 1 s: '
              f'{"met" if statistics.median(times) < FIRST_FRAME_GOAL_MS else "MISSED"}')

        if os.access(arguments.program, os.X_OK):
            with display.Desktop() as desktop:
                program = Program(desktop, arguments.program)
                try:
                    used, passed = page_cpu(server.url, arguments.seconds, program)
                finally:
                    program.keys('alt+F4')
                    program.wait_exit()
            for name, seconds in used.items():
                print(f'{name}: {seconds:.2f} s of CPU in {passed:.1f} s of animation: '
                      f'{100 * seconds / passed:.2f}% of one core')
            page, gtk = used[RENDERERS], used['GTK program']
            print(f'goal, the page no more than the GTK program: '
                  f'{"met" if page <= gtk else "MISSED"}')
        else:
            print(f'{arguments.program} is not built: the GTK program is left out')

        # The page and the bare page in turn, so that a machine that gets busier or quieter
        # during the run weighs on both alike.
        totals = {'page': [0.0, 0.0], 'bare': [0.0, 0.0]}
        for round_number in range(1, arguments.rounds + 1):
            for name, url in (('page', server.url), ('bare', bare_server.url + BARE_PAGE)):
                used, passed = page_cpu(url, arguments.seconds)
                totals[name][0] += used[RENDERERS]
                totals[name][1] += passed
                print(f'round {round_number}, {"the page" if name == "page" else "bare canvas"}: '
                      f'renderers {100 * used[RENDERERS] / passed:.2f}%, GPU process '
                      f'{100 * used["Chromium GPU process"] / passed:.2f}% of one core')
        page = totals['page'][0] / totals['page'][1]
        bare = totals['bare'][0] / totals['bare'][1]
        print(f'the page against the bare canvas animation, renderers over {arguments.rounds} '
              f'rounds: {100 * page:.2f}% against {100 * bare:.2f}% of one core, '
              f'{page / bare:.2f} times; goal at most {BARE_RATIO_GOAL} times: '
              f'{"met" if page <= BARE_RATIO_GOAL * bare else "MISSED"}')
    finally:
        server.close()
        bare_server.close()
    return 0


if __name__ == '__main__':
    sys.exit(main())
