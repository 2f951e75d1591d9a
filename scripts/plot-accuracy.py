#!/usr/bin/python3
"""Draws docs/accuracy.png: each planet's longitude error against VSOP87 from 1950 to 2100.

Usage: scripts/plot-accuracy.py [CSV]

Without an argument it builds the accuracy test suite of the default preset and has it
write the error table (SORVELIN_ACCURACY_CSV), then plots that. With an argument it plots
an existing table. Needs Debian's python3-matplotlib, which only regenerating the
documentation takes, so the install script leaves it out.
"""
import csv
import os
import subprocess
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUTPUT = os.path.join(ROOT, "docs", "accuracy.png")

# Large errors on top, small ones below, so Venus and Mars are not flattened into zero.
PANELS = [("Mercury", "Earth", "Jupiter", "Saturn"), ("Venus", "Mars")]
COLOURS = {
    "Mercury": "tab:green",
    "Venus": "goldenrod",
    "Earth": "tab:blue",
    "Mars": "tab:red",
    "Jupiter": "tab:purple",
    "Saturn": "dimgray",
}


def write_table(path):
    """Builds the accuracy suite and lets it write every sample to path."""
    subprocess.run(["cmake", "--preset", "default"], cwd=ROOT, check=True)
    subprocess.run(
        ["cmake", "--build", "--preset", "default", "--target", "accuracy_tests"],
        cwd=ROOT,
        check=True,
    )
    program = os.path.join(ROOT, "build", "default", "tests", "accuracy_tests")
    environment = dict(os.environ, SORVELIN_ACCURACY_CSV=path)
    subprocess.run(
        [program, "--gtest_filter=AccuracyReport.*"], env=environment, check=True
    )


def read_table(path):
    with open(path, newline="") as file:
        rows = list(csv.DictReader(file))
    years = [float(row["year"]) for row in rows]
    errors = {
        planet: [float(row[planet + "_longitude_arcmin"]) for row in rows]
        for planet in COLOURS
    }
    return years, errors


def plot(years, errors):
    figure, axes = plt.subplots(
        2, 1, figsize=(10, 7), sharex=True, gridspec_kw={"height_ratios": [3, 2]}
    )
    for panel, planets in zip(axes, PANELS):
        # Each panel's first planet is drawn on top, which keeps Venus visible over Mars.
        for depth, planet in enumerate(planets):
            panel.plot(
                years,
                errors[planet],
                color=COLOURS[planet],
                linewidth=0.7,
                label=planet,
                zorder=len(planets) - depth,
            )
        # Headroom for the legend above the curves.
        low, high = panel.get_ylim()
        panel.set_ylim(low, high + 0.2 * (high - low))
        panel.axhline(0.0, color="black", linewidth=0.6)
        panel.set_ylabel("longitude error (arc-minutes)")
        panel.grid(True, linewidth=0.3)
        panel.legend(loc="upper left", ncol=len(planets), framealpha=0.9)
    axes[0].set_title(
        "Heliocentric longitude, mean elements minus VSOP87 "
        "(ecliptic and equinox of 1950.0)"
    )
    axes[-1].set_xlabel("year")
    axes[-1].set_xlim(1950, 2100)
    figure.tight_layout()
    figure.savefig(OUTPUT, dpi=100)


def main():
    if len(sys.argv) > 2:
        sys.exit(__doc__)
    if len(sys.argv) == 2:
        table = sys.argv[1]
    else:
        table = os.path.join(ROOT, "build", "default", "accuracy.csv")
        write_table(table)
    years, errors = read_table(table)
    plot(years, errors)
    print("wrote", OUTPUT)


if __name__ == "__main__":
    main()
