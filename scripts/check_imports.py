#!/usr/bin/python3
"""kelvora.exe's imports, held against the oldest Windows it is built for.

Both builds run on Windows 7 SP1 and later. They are compiled for it
(_WIN32_WINNT and WINVER 0x0601, CMakeLists.txt), so that anything newer is
reached only through a run-time look-up, as the per-monitor DPI calls are.
The compiler alone cannot hold the program to that: MinGW-w64's headers
declare most functions whatever version is asked for, and the static
runtime brings imports of its own. So every function the program imports
is held against the list of those known on Windows 7 SP1
(scripts/windows7-imports.txt), DLL by DLL: an import that is not on it, a
function or a DLL newer than the floor or one nobody has looked up yet,
fails the build.

    check_imports.py OBJDUMP EXE
"""

import re
import subprocess
import sys
from pathlib import Path

LIST = Path(__file__).resolve().parent / "windows7-imports.txt"


def imports(objdump, exe):
    """{(DLL in upper case, function)} from the program's import tables."""
    table = subprocess.run([objdump, "-p", str(exe)], capture_output=True, text=True, check=True).stdout
    found = set()
    dll = None
    for line in table.splitlines():
        if line[:1].strip():
            dll = None  # the next section: the import tables have ended
        named = re.match(r"\s*DLL Name:\s*(\S+)", line)
        if named:
            dll = named.group(1).upper()
            continue
        # "vma  hint  name", or an import by ordinal, which has no name.
        entry = re.match(r"\s+[0-9a-f]+\s+(\d+)\s+(\S+)\s*$", line)
        if dll and entry:
            found.add((dll, entry.group(2)))
        elif dll and re.match(r"\s+[0-9a-f]+\s+<none>", line):
            found.add((dll, "<ordinal>"))
    return found


def known():
    allowed = set()
    for line in LIST.read_text().splitlines():
        line = line.split("#", 1)[0].split()
        if line:
            allowed.add((line[0].upper(), line[1]))
    return allowed


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    objdump, exe = sys.argv[1], Path(sys.argv[2])
    found = imports(objdump, exe)
    if not found:
        print(f"imports: {exe} imports nothing; is it a Windows program?", file=sys.stderr)
        return 1
    newer = sorted(found - known())
    for dll, function in newer:
        print(f"imports: {exe.name} imports {dll} {function}, which is not known on Windows 7 SP1 "
              f"(reach it through GetProcAddress, or add it to {LIST.name} once its documentation "
              "says Windows 7 or earlier)", file=sys.stderr)
    dlls = sorted({dll for dll, _ in found})
    print(f"imports: {exe.name}: {len(found)} functions of {', '.join(dlls)}; "
          f"{len(newer)} not known on Windows 7 SP1")
    return 1 if newer else 0


if __name__ == "__main__":
    sys.exit(main())
