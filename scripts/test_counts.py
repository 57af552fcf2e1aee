#!/usr/bin/python3
"""Test-case counts of one run of the test command, layer by layer, and the
one closing line over all of them.

Each layer records its counts, and the build it ran on, in a small JSON file
under the counts folder (KELVORA_COUNTS, set by scripts/test.sh and
scripts/test-wine10.sh); a script may add a note on what did not run, and
why. `summary` adds the counts up and says what ran where:

    N passed, N failed[, N skipped]; ran: host on the host build, win and e2e
    on the 64-bit build[; failed to run: ...][; notes]

    test_counts.py host XML_DIR EXECUTABLE...   counts from GoogleTest XML reports
    test_counts.py failed LAYER                 a layer that could not run at all
    test_counts.py note TEXT                    a note for the closing line
    test_counts.py summary                      the closing line
"""

import json
import os
import re
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path


def _folder():
    folder = os.environ.get("KELVORA_COUNTS")
    return Path(folder) if folder else None


# The builds a layer runs on, in the order the closing line names them.
BUILDS = ("host build", "32-bit build", "64-bit build")


def _safe(name):
    return re.sub(r"[^A-Za-z0-9_.-]", "_", name)


def record(layer, passed, failed, skipped=0, build=None):
    """Stores a layer's counts and the build it ran on (none for a step
    that could not run), when the test command asked for them. A lane's
    layers (KELVORA_LANE, e.g. "wine10") are kept apart from the same
    layers of the test command."""
    folder = _folder()
    if folder is None:
        return
    lane = os.environ.get("KELVORA_LANE")
    if lane:
        layer = f"{lane} {layer}"
    folder.mkdir(parents=True, exist_ok=True)
    (folder / f"{_safe(layer + ' ' + (build or ''))}.json").write_text(json.dumps(
        {"layer": layer, "build": build, "passed": passed, "failed": failed, "skipped": skipped}))


def note(text):
    """A note for the closing line, such as what was built but not run."""
    folder = _folder()
    if folder is None:
        return
    folder.mkdir(parents=True, exist_ok=True)
    (folder / f"note-{_safe(text)[:60]}.txt").write_text(text)


def gtest_text_counts(output):
    """(passed, failed, skipped) from a GoogleTest program's console output,
    or None when it printed no closing lines (it crashed or hung)."""
    ran = re.search(r"^\[==========\] (\d+) tests? from .* ran\.", output, re.M)
    if not ran:
        return None
    total = int(ran.group(1))
    failed = re.search(r"^\[  FAILED  \] (\d+) tests?, listed below", output, re.M)
    skipped = re.search(r"^\[  SKIPPED \] (\d+) tests?, listed below", output, re.M)
    failed = int(failed.group(1)) if failed else 0
    skipped = int(skipped.group(1)) if skipped else 0
    return total - failed - skipped, failed, skipped


def gtest_xml_counts(path):
    """(passed, failed, skipped) from one GoogleTest XML report."""
    passed = failed = skipped = 0
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped += 1
        elif case.get("status", "run") == "run":
            passed += 1
    return passed, failed, skipped


def host(xml_dir, executables):
    """Counts the host programs' cases; a program without a report (it
    crashed before writing one) counts as one failed case."""
    totals = [0, 0, 0]
    for name in executables:
        report = Path(xml_dir) / f"{name}.xml"
        counts = gtest_xml_counts(report) if report.is_file() else (0, 1, 0)
        totals = [a + b for a, b in zip(totals, counts)]
    record("host", *totals, build="host build")
    print(f"host summary: {totals[0]} passed, {totals[1]} failed, {totals[2]} skipped")


def _names(items):
    return items[0] if len(items) == 1 else ", ".join(items[:-1]) + " and " + items[-1]


def summary():
    folder = _folder()
    totals = [0, 0, 0]
    ran = {}  # build: the layers that ran on it
    unrun = []
    notes = []
    if folder and folder.is_dir():
        # In the order the layers ran.
        for path in sorted(folder.glob("*.json"), key=lambda p: (p.stat().st_mtime_ns, p.name)):
            counts = json.loads(path.read_text())
            totals = [t + counts[k] for t, k in zip(totals, ("passed", "failed", "skipped"))]
            if counts.get("build"):
                ran.setdefault(counts["build"], []).append(counts["layer"])
            else:
                unrun.append(counts["layer"])
        notes = sorted({path.read_text().strip() for path in folder.glob("note-*.txt")})
    line = f"{totals[0]} passed, {totals[1]} failed"
    if totals[2]:
        line += f", {totals[2]} skipped"
    order = sorted(ran, key=lambda b: BUILDS.index(b) if b in BUILDS else len(BUILDS))
    if order:
        line += "; ran: " + ", ".join(f"{_names(ran[build])} on the {build}" for build in order)
    if unrun:
        line += "; failed to run: " + ", ".join(unrun)
    for text in notes:
        line += f"; {text}"
    print(line)
    return 1 if totals[1] else 0


def main(argv):
    if argv[:1] == ["host"] and len(argv) >= 2:
        host(argv[1], argv[2:])
        return 0
    if argv[:1] == ["failed"] and len(argv) == 2:
        record(argv[1], 0, 1)
        return 0
    if argv[:1] == ["note"] and len(argv) == 2:
        note(argv[1])
        return 0
    if argv == ["summary"]:
        return summary()
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
