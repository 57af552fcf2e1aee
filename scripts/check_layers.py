#!/usr/bin/python3
"""The layers' include directions, checked on a configured build.

For each layer, a one-line file including a header of some layer is compiled
with the compile command of that layer's own sources (from the build's
compile_commands.json): the headers of the layer and of those it links must
be found, every other one must not. Nothing in the source tree is touched.

    check_layers.py BUILD_DIR

The host build holds only the portable libraries, so there only those are
checked.
"""

import json
import shlex
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

# One header of each layer, one that compiles on its own wherever it is seen
# (the portable one of a layer that has a portable library).
HEADERS = {
    "toolkit core": "toolkit/core/component.h",
    "toolkit win": "toolkit/win/handle.h",
    "toolkit graphics": "toolkit/graphics/bmp_codec.h",
    "toolkit forms": "toolkit/forms/form.h",
    "components": "components/shutdown/shutdown_paths.h",
    "forms": "forms/intro/fade.h",
}

# A source of each library, and the layers whose headers it may include.
LIBRARIES = {
    "kelvora_toolkit_core": ("toolkit/core/component.cpp", {"toolkit core"}),
    "kelvora_toolkit_win": ("toolkit/win/timer.cpp", {"toolkit core", "toolkit win"}),
    "kelvora_toolkit_graphics_portable": ("toolkit/graphics/bmp_codec.cpp", {"toolkit core", "toolkit graphics"}),
    "kelvora_toolkit_graphics": ("toolkit/graphics/bitmap.cpp", {"toolkit core", "toolkit win", "toolkit graphics"}),
    "kelvora_toolkit_forms": ("toolkit/forms/form.cpp",
                              {"toolkit core", "toolkit win", "toolkit graphics", "toolkit forms"}),
    "kelvora_components_portable": ("components/shapehint/hint_geometry.cpp",
                                    {"toolkit core", "toolkit graphics", "components"}),
    "kelvora_components": ("components/trayicon/tray_icon.cpp",
                           {"toolkit core", "toolkit win", "toolkit graphics", "toolkit forms", "components"}),
    "kelvora_forms_portable": ("forms/intro/fade.cpp", {"toolkit core", "forms"}),
    "kelvora_forms": ("forms/intro/form1.cpp", set(HEADERS)),
}


def syntax_only(command, probe):
    """The compile command with the probe in place of its source and no
    output: the object, its dependency file and the source are left out."""
    args = shlex.split(command)
    out = []
    skip = False
    for arg in args:
        if skip:
            skip = False
            continue
        if arg in ("-o", "-c", "-MT", "-MF", "-MQ"):
            skip = True
            continue
        if arg in ("-MD", "-MMD"):
            continue
        out.append(arg)
    return out + ["-fsyntax-only", str(probe)]


def main():
    build = Path(sys.argv[1]).resolve()
    source_root = Path(__file__).resolve().parent.parent
    entries = json.loads((build / "compile_commands.json").read_text())
    commands = {}
    for entry in entries:
        file = Path(entry["file"])
        if file.is_relative_to(source_root):
            commands[str(file.relative_to(source_root))] = (entry["command"], entry["directory"])

    checks = []
    with tempfile.TemporaryDirectory() as scratch:
        for library, (source, visible) in LIBRARIES.items():
            if source not in commands:
                continue  # not in this build (the host build has no Win32 layers)
            command, directory = commands[source]
            for layer, header in HEADERS.items():
                probe = Path(scratch) / f"{library}-{layer.replace(' ', '_')}.cpp"
                probe.write_text(f'#include "{header}"\n')
                checks.append((library, layer, header, layer in visible, syntax_only(command, probe), directory))

        def run(check):
            library, layer, header, expected, args, directory = check
            result = subprocess.run(args, cwd=directory, capture_output=True, text=True)
            found = result.returncode == 0
            missing = header in result.stderr and ("No such file" in result.stderr or "not found" in result.stderr)
            # A header that is there must compile; one that is not must fail
            # for that reason and no other.
            ok = found if expected else (not found and missing)
            return check, ok, result.stderr

        with ThreadPoolExecutor(max_workers=2) as pool:
            results = list(pool.map(run, checks))

    if not results:
        print(f"layers: no layer's sources in {build}/compile_commands.json", file=sys.stderr)
        return 1
    failed = 0
    for library in LIBRARIES:
        mine = [(c, ok, err) for c, ok, err in results if c[0] == library]
        if not mine:
            continue
        seen = [c[1] for c, _, _ in mine if c[3]]
        unseen = [c[1] for c, _, _ in mine if not c[3]]
        bad = [(c, err) for c, ok, err in mine if not ok]
        print(f"layers: {library} sees {', '.join(seen)}" + (f"; not {', '.join(unseen)}" if unseen else "")
              + (" -- WRONG" if bad else ""))
        for (_, layer, header, expected, _, _), err in bad:
            failed += 1
            if expected or err.strip():
                what = "does not compile" if expected else "fails, but not for want of the header"
                print(f"  {header} ({layer}) {what}:\n    " + "\n    ".join(err.strip().splitlines()[:5]))
            else:
                print(f"  {header} ({layer}) is found: an include against the layers compiles")
    print(f"layers summary: {len(results) - failed} of {len(results)} include checks as the layers say")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
