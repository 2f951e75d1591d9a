#!/usr/bin/env python3
"""Checks the Debian package as Debian's tools and a user see it.

Usage: deb_test.py PACKAGE_FOLDER VERSION

The folder must hold exactly sorvelin_<VERSION>_<architecture>.deb. Its file list must be exactly
the program, its desktop entry, icons, metainfo, manual page, copyright and changelog; its
control data must name the version and the Japanese font; lintian must find no error; the desktop
entry and the metainfo must validate; and the program, extracted into a scratch root as dpkg
would install it, must keep its hardening (hardening.py), start under Xvfb and show its first
frame.
"""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from display import Desktop, Failure, Started, capture, check, find_window  # noqa: E402
from display import missing_tools, wait_until  # noqa: E402
from first_frame import first_frame  # noqa: E402
import hardening  # noqa: E402

APPLICATION_ID = "org.sorvelin.Sorvelin"
FILES = {
    "usr/bin/sorvelin",
    "usr/share/applications/%s.desktop" % APPLICATION_ID,
    "usr/share/metainfo/%s.metainfo.xml" % APPLICATION_ID,
    "usr/share/doc/sorvelin/copyright",
    "usr/share/doc/sorvelin/changelog.gz",
    "usr/share/man/man1/sorvelin.1.gz",
} | {"usr/share/icons/hicolor/%dx%d/apps/%s.png" % (size, size, APPLICATION_ID)
     for size in (32, 64, 128, 192, 256, 512)}


def run(*arguments, **options):
    return subprocess.run(arguments, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                          **options)


def check_contents(package):
    listing = run("dpkg-deb", "--contents", package).stdout.splitlines()
    # Each line ends with the path; directories end with a slash.
    files = {line.split()[-1].lstrip("./") for line in listing if not line.startswith("d")}
    check(files == FILES, "the package holds exactly the expected files (extra %s, missing %s)" %
          (sorted(files - FILES), sorted(FILES - files)))


def check_control(package, version):
    fields = {}
    for line in run("dpkg-deb", "--field", package).stdout.splitlines():
        if ":" in line and not line.startswith(" "):
            name, value = line.split(":", 1)
            fields[name] = value.strip()
    check(fields.get("Package") == "sorvelin" and fields.get("Version") == version,
          "the package is sorvelin %s (%s %s)" % (version, fields.get("Package"),
                                                  fields.get("Version")))
    depends = [item.split()[0] for item in fields.get("Depends", "").split(",") if item.strip()]
    check("fonts-ipafont-gothic" in depends and "libgtk-3-0" in depends,
          "it depends on the Japanese Gothic font and on GTK: %s" % fields.get("Depends"))


def check_lintian(package):
    result = run("lintian", "--fail-on", "error", "--tag-display-limit", "0", package)
    tags = [line for line in result.stdout.splitlines() if line[:2] in ("E:", "W:", "I:")]
    for line in tags:
        print("lintian:", line)
    errors = [line for line in tags if line.startswith("E:")]
    check(result.returncode == 0 and not errors,
          "lintian finds no error (exit code %d, %d errors)" % (result.returncode, len(errors)))


def check_installed(package, root):
    run("dpkg-deb", "--extract", package, root, check=True)
    faults = hardening.check_elf(os.path.join(root, "usr/bin/sorvelin"))
    check(not faults, "the packaged program keeps its hardening %s" % faults)
    desktop_file = os.path.join(root, "usr/share/applications/%s.desktop" % APPLICATION_ID)
    result = run("desktop-file-validate", desktop_file)
    check(result.returncode == 0 and not result.stdout.strip(),
          "desktop-file-validate accepts the packaged desktop entry %s" % result.stdout.strip())
    # The tree check also finds the desktop entry and the icon that the metainfo names.
    result = run("appstreamcli", "validate-tree", "--no-net", root)
    check(result.returncode == 0, "appstreamcli accepts the packaged tree\n" + result.stdout)

    with Desktop(window_manager=False) as desktop:
        program = Started("the extracted program", [os.path.join(root, "usr/bin/sorvelin")],
                          desktop.env)
        report = desktop.reporter(program)
        try:
            window = find_window(desktop, "^Sorvelin", step="after starting the extracted program",
                                 report=report)
            wait_until("the first frame of the extracted program after its window was shown",
                       lambda: first_frame(capture(desktop, window)), report=report)
            check(True, "the extracted program shows its window with the Sun and the legend")
        finally:
            program.stop()


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    folder, version = sys.argv[1:]
    missing = missing_tools("dpkg-deb", "lintian", "desktop-file-validate", "appstreamcli",
                            "Xvfb", "xdotool", "xwd")
    if missing:
        raise SystemExit("missing %s (scripts/install-deps.sh test installs them)" %
                         ", ".join(missing))
    architecture = run("dpkg", "--print-architecture").stdout.strip()
    name = "sorvelin_%s_%s.deb" % (version, architecture)
    try:
        found = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        packages = [entry for entry in found if entry.endswith(".deb")]
        check(packages == [name], "CPack made %s (found %s)" % (name, packages))
        package = os.path.join(folder, name)
        check_contents(package)
        check_control(package, version)
        check_lintian(package)
        with tempfile.TemporaryDirectory(prefix="sorvelin-deb-") as root:
            check_installed(package, root)
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    print("the Debian package installs, validates and runs")
    return 0


if __name__ == "__main__":
    sys.exit(main())
