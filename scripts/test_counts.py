#!/usr/bin/python3
"""Test-case counts of one run of the test command, layer by layer, and the
one closing line over all of them.

Each layer records its counts in a small JSON file under the counts folder
(KELVORA_COUNTS, set by scripts/test.sh and scripts/test-wine10.sh);
`summary` adds them up.

    test_counts.py host XML_DIR EXECUTABLE...   counts from GoogleTest XML reports
    test_counts.py failed LAYER                 a layer that could not run at all
    test_counts.py summary                      "N passed, N failed, N skipped"
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


def record(layer, passed, failed, skipped=0):
    """Stores a layer's counts, when the test command asked for them. A
    lane's layers (KELVORA_LANE, e.g. "wine10") are kept apart from the
    same layers of the test command."""
    folder = _folder()
    if folder is None:
        return
    lane = os.environ.get("KELVORA_LANE")
    if lane:
        layer = f"{lane} {layer}"
    folder.mkdir(parents=True, exist_ok=True)
    safe = re.sub(r"[^A-Za-z0-9_.-]", "_", layer)
    (folder / f"{safe}.json").write_text(json.dumps(
        {"layer": layer, "passed": passed, "failed": failed, "skipped": skipped}))


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
    record("host", *totals)
    print(f"host summary: {totals[0]} passed, {totals[1]} failed, {totals[2]} skipped")


def summary():
    folder = _folder()
    totals = [0, 0, 0]
    if folder and folder.is_dir():
        for path in sorted(folder.glob("*.json")):
            counts = json.loads(path.read_text())
            totals = [t + counts[k] for t, k in zip(totals, ("passed", "failed", "skipped"))]
    line = f"{totals[0]} passed, {totals[1]} failed"
    if totals[2]:
        line += f", {totals[2]} skipped"
    print(line)
    return 1 if totals[1] else 0


def main(argv):
    if argv[:1] == ["host"] and len(argv) >= 2:
        host(argv[1], argv[2:])
        return 0
    if argv[:1] == ["failed"] and len(argv) == 2:
        record(argv[1], 0, 1)
        return 0
    if argv == ["summary"]:
        return summary()
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
