#!/usr/bin/env python3
"""Checks that a built program keeps the hardening and the reproducibility its packages promise.

Usage: hardening.py SOURCE_FOLDER PROGRAM...

A Linux program (ELF) must be position-independent, with a read-only relocation table bound at
start (full RELRO and BIND_NOW), stack protectors and fortified string and memory calls; a
Windows program (PE) must allow a random 64-bit base (DYNAMIC_BASE with its relocations,
HIGH_ENTROPY_VA) and forbid executing data (NX_COMPAT), and its header must carry no link time.
Neither may hold the path of SOURCE_FOLDER, where it happened to be built. Prints one line per
fault and exits with 1 if there is any.
"""

import os
import re
import subprocess
import sys

import pefile

# Fortified calls are the C library's checked variants, such as __memcpy_chk and __sprintf_chk.
FORTIFIED_CALL = re.compile(r"^__\w+_chk$")


def readelf(path, *options):
    return subprocess.run(["readelf", "--wide", *options, path], check=True,
                          capture_output=True, text=True).stdout


def check_elf(path):
    faults = []
    if not re.search(r"Type:\s+DYN", readelf(path, "--file-header")):
        faults.append("not position-independent: the ELF type is not DYN")
    dynamic = readelf(path, "--dynamic")
    flags_1 = re.search(r"\(FLAGS_1\)\s+Flags:(.*)", dynamic)
    if not flags_1 or "PIE" not in flags_1.group(1).split():
        faults.append("not a position-independent executable: FLAGS_1 has no PIE")
    if "GNU_RELRO" not in readelf(path, "--program-headers"):
        faults.append("no RELRO segment")
    flags = re.search(r"\(FLAGS\)\s+(.*)", dynamic)
    if not ((flags and "BIND_NOW" in flags.group(1).split()) or
            (flags_1 and "NOW" in flags_1.group(1).split())):
        faults.append("not bound at start: neither BIND_NOW nor NOW is set, so RELRO is partial")
    # Undefined dynamic symbols are what the program takes from the C library.
    imported = {fields[7].split("@")[0] for fields in map(str.split,
                                                          readelf(path, "--dyn-syms").splitlines())
                if len(fields) >= 8 and fields[6] == "UND"}
    if "__stack_chk_fail" not in imported:
        faults.append("no stack protector: __stack_chk_fail is not called")
    fortified = sorted(name for name in imported
                       if FORTIFIED_CALL.match(name) and name != "__stack_chk_fail")
    if not fortified:
        faults.append("not fortified: no checked call such as __memcpy_chk")
    return faults


def check_pe(path):
    faults = []
    pe = pefile.PE(path, fast_load=True)
    characteristics = pe.OPTIONAL_HEADER.DllCharacteristics
    for name in ("DYNAMIC_BASE", "HIGH_ENTROPY_VA", "NX_COMPAT"):
        if not characteristics & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_" + name]:
            faults.append(f"{name} is not set (DllCharacteristics {characteristics:#06x})")
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    if relocations.Size == 0:
        faults.append("no base relocations: Windows cannot move the program to a random base")
    if pe.FILE_HEADER.TimeDateStamp != 0:
        faults.append(f"the header carries the link time {pe.FILE_HEADER.TimeDateStamp}")
    return faults


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    source = os.path.realpath(sys.argv[1]).encode()
    failed = False
    for path in sys.argv[2:]:
        with open(path, "rb") as program:
            contents = program.read()
        faults = check_pe(path) if contents[:2] == b"MZ" else check_elf(path)
        if source in contents:
            faults.append(f"holds the path it was built at, {source.decode()}")
        for fault in faults:
            print(f"FAULT: {path}: {fault}")
        if not faults:
            print(f"{path}: hardened, and no trace of where or when it was built")
        failed = failed or bool(faults)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
