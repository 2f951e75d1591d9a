#!/usr/bin/env python3
"""Installs, runs and uninstalls the Windows installer under Wine, silently, in a fresh prefix.

Usage: installer_test.py PACKAGE_FOLDER VERSION WINE_SMOKE WINDOW_PROBE_EXE PREFIX SCREENSHOT_PNG

The folder must hold exactly sorvelin-<VERSION>-win64-setup.exe. In a new Wine prefix (PREFIX is
removed first) the installer runs with /S; then the program must be in Program Files\\Sorvelin,
its Start-menu shortcut must lead to it, and the system's list of installed programs must name
it with its version, publisher, icon and uninstaller. WINE_SMOKE (the Windows program's own
smoke test) then runs the installed program and checks its window with the Sun and the legend.
Last the uninstaller runs with /S and must leave neither the files, nor the shortcut, nor the
entry.
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from display import Desktop, Failure, check, missing_tools  # noqa: E402

FIRST_START_SECONDS = 600  # a new Wine prefix takes minutes on a cold, busy machine
INSTALL_SECONDS = 300
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sorvelin"
VENDOR_KEY = r"HKLM\Software\Sorvelin developers"
INSTALL_FOLDER = os.path.join("drive_c", "Program Files", "Sorvelin")
INSTALLED_FILES = {"sorvelin.exe", "Uninstall.exe", "README.md", "README.ja.md", "LICENSE.txt"}
START_MENUS = [os.path.join("drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu",
                            "Programs", "Sorvelin"),
               os.path.join("drive_c", "users", "root", "AppData", "Roaming", "Microsoft",
                            "Windows", "Start Menu", "Programs", "Sorvelin")]


class Wine:
    def __init__(self, environment):
        self.env = environment
        self.loader = next(filter(None, map(shutil.which, ("wine64", "/usr/lib/wine/wine64",
                                                             "wine"))), None)
        folder = os.path.dirname(os.path.realpath(self.loader)) if self.loader else ""
        self.server = next(filter(None, map(shutil.which, (
            "wineserver", os.path.join(folder, "wineserver"), "/usr/lib/wine/wineserver"))), None)

    def run(self, arguments, seconds):
        """Runs a Windows program and waits until it and every process it started have ended.

        Output goes through files: Wine's helpers may hold a pipe open long after the program.
        """
        with tempfile.TemporaryFile() as output:
            code = subprocess.run([self.loader] + arguments, env=self.env,
                                  stdin=subprocess.DEVNULL, stdout=output,
                                  stderr=subprocess.STDOUT, timeout=seconds).returncode
            # The uninstaller copies itself to a temporary folder and goes on from there.
            subprocess.run([self.server, "-w"], env=self.env, timeout=seconds)
            output.seek(0)
            return code, output.read().decode(errors="replace")


def uninstall_entry(wine):
    code, output = wine.run(["reg", "query", UNINSTALL_KEY], 120)
    if code != 0:
        return None
    values = {}
    for line in output.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[1].startswith("REG_"):
            values[parts[0]] = parts[2]
    return values


def shortcuts(prefix):
    return [os.path.join(prefix, folder, name) for folder in START_MENUS
            if os.path.isdir(os.path.join(prefix, folder))
            for name in os.listdir(os.path.join(prefix, folder))]


def check_installed(wine, prefix, version):
    folder = os.path.join(prefix, INSTALL_FOLDER)
    found = set(os.listdir(folder)) if os.path.isdir(folder) else set()
    check(found == INSTALLED_FILES, "Program Files\\Sorvelin holds %s" % sorted(found))
    links = [path for path in shortcuts(prefix) if os.path.basename(path) == "Sorvelin.lnk"]
    check(len(links) == 1, "one Start-menu shortcut Sorvelin.lnk (%s)" % shortcuts(prefix))
    with open(links[0], "rb") as link:
        target = link.read()
    # The link keeps its target's path, as ANSI or UTF-16 text.
    path = "program files\\sorvelin\\sorvelin.exe"
    check(path.encode() in target.lower() or path.encode("utf-16-le") in target.lower(),
          "the shortcut leads to Program Files\\Sorvelin\\sorvelin.exe")
    entry = uninstall_entry(wine) or {}
    expected = {"DisplayName": "Sorvelin", "DisplayVersion": version,
                "Publisher": "Sorvelin developers",
                "DisplayIcon": r"C:\Program Files\Sorvelin\sorvelin.exe",
                "UninstallString": r'"C:\Program Files\Sorvelin\Uninstall.exe"'}
    wrong = {name: entry.get(name) for name, value in expected.items() if entry.get(name) != value}
    check(not wrong, "the list of installed programs names Sorvelin %s with its publisher, icon "
          "and uninstaller (wrong: %s)" % (version, wrong))


def main():
    if len(sys.argv) != 7:
        raise SystemExit(__doc__)
    folder, version, smoke, probe, prefix, screenshot = sys.argv[1:]
    prefix = os.path.abspath(prefix)
    name = "sorvelin-%s-win64-setup.exe" % version
    missing = missing_tools("Xvfb", "xwd", "xdpyinfo")
    if missing:
        raise SystemExit("missing %s (scripts/install-deps.sh test installs them)" %
                         ", ".join(missing))
    try:
        found = sorted(entry for entry in os.listdir(folder) if entry.endswith(".exe")) \
            if os.path.isdir(folder) else []
        check(found == [name], "CPack made %s (found %s)" % (name, found))
        shutil.rmtree(prefix, ignore_errors=True)
        with Desktop(window_manager=False) as desktop:
            environment = dict(desktop.env, WINEPREFIX=prefix, WINEDEBUG="-all",
                               LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8",
                               WINEDLLOVERRIDES="mscoree,mshtml=")  # no Mono or Gecko dialogs
            wine = Wine(environment)
            if wine.loader is None or wine.server is None:
                raise SystemExit("Wine is not installed (scripts/install-deps.sh test installs it)")
            try:
                print("Creating the Wine prefix", prefix, flush=True)
                wine.run(["wineboot", "--init"], FIRST_START_SECONDS)
                code, output = wine.run([os.path.join(os.path.abspath(folder), name), "/S"],
                                        INSTALL_SECONDS)
                check(code == 0, "the silent install ends with exit code 0 (%d) %s" %
                      (code, output.strip()))
                check_installed(wine, prefix, version)
            finally:
                subprocess.run([wine.server, "-k"], env=environment, capture_output=True)
        # The smoke test starts its own display and checks the installed program's window.
        program = os.path.join(prefix, INSTALL_FOLDER, "sorvelin.exe")
        code = subprocess.run([sys.executable, smoke, program, probe, prefix,
                               screenshot]).returncode
        check(code == 0, "the installed program shows its window with the Sun and the legend and "
              "ends with exit code 0 (smoke test exit code %d)" % code)
        with Desktop(window_manager=False) as desktop:
            environment = dict(environment, DISPLAY=desktop.display)
            wine = Wine(environment)
            try:
                uninstaller = "C:\\Program Files\\Sorvelin\\Uninstall.exe"
                code, output = wine.run([uninstaller, "/S"], INSTALL_SECONDS)
                check(code == 0, "the silent uninstall ends with exit code 0 (%d) %s" %
                      (code, output.strip()))
                check(not os.path.exists(os.path.join(prefix, INSTALL_FOLDER)),
                      "the uninstaller removed Program Files\\Sorvelin")
                check(not shortcuts(prefix), "the uninstaller removed the Start-menu shortcuts")
                check(uninstall_entry(wine) is None,
                      "the uninstaller removed Sorvelin from the list of installed programs")
                code, _ = wine.run(["reg", "query", VENDOR_KEY], 120)
                check(code != 0, "the uninstaller left no registry key of the vendor's")
            finally:
                subprocess.run([wine.server, "-k"], env=environment, capture_output=True)
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    print("the installer installs, the program runs, the uninstaller removes it all")
    return 0


if __name__ == "__main__":
    sys.exit(main())
