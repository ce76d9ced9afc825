#!/usr/bin/env python3
"""Checks that a shared library exports exactly the functions its header declares."""
import re
import subprocess
import sys


def declared(header_path):
    text = open(header_path, encoding="ascii").read()
    return set(re.findall(r"GSMBENCH_CALL\s+([A-Za-z_][A-Za-z0-9_]*)\s*\(", text))


def exported(library_path):
    out = subprocess.run(["nm", "-D", "--defined-only", library_path],
                         check=True, capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[1] in ("T", "W", "i"):
            names.add(parts[2])
    # Symbols the toolchain adds to every shared object.
    return {n for n in names if not n.startswith("_") or n.startswith("__gsmb")}


def main():
    header, library = sys.argv[1], sys.argv[2]
    want, have = declared(header), exported(library)
    missing, extra = sorted(want - have), sorted(have - want)
    if missing:
        print("declared but not exported:", " ".join(missing))
    if extra:
        print("exported but not declared:", " ".join(extra))
    print(f"{len(want)} declared, {len(have)} exported")
    return 1 if missing or extra else 0


if __name__ == "__main__":
    sys.exit(main())
