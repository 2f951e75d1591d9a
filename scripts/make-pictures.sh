#!/usr/bin/env bash
# Draws the README's pictures of the running program with sorvelin-render, into docs/.
# The pictures are the program's own pixels on a virtual clock, so the same sources give
# the same files. Set SORVELIN_RENDER to a built tool to skip building it here.
set -euo pipefail
cd "$(dirname "$0")/.."

render=${SORVELIN_RENDER:-}
if [[ -z "$render" ]]; then
    scripts/install-deps.sh tools
    cmake --preset bench
    cmake --build --preset bench -j "$(nproc)" --target sorvelin-render
    render=build/bench/tools/render/sorvelin-render
fi

# A year from the start of 1950 with trails: each planet's path over 365 days.
"$render" --trails --ticks 365 docs/trails-1950.png

# Zoomed out four times to 15 pixels per AU, 32 days a tick: Saturn's whole orbit, 30 years.
"$render" --zoom-out 4 --faster 5 --trails --ticks 340 docs/outer-planets.png

# Two years from 1950 with trails, a frame every 10 ticks shown for 0.1 s: five times the
# program's own speed.
"$render" --trails --frames 74 --every 10 --delay 100 docs/orrery.gif

# The status bar, shown from the menu, after 200 days at one day a tick.
"$render" --status-bar --ticks 200 docs/status-bar.png

ls -l docs/trails-1950.png docs/outer-planets.png docs/orrery.gif docs/status-bar.png
