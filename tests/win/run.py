#!/usr/bin/python3
"""Runs the Win32 test programs (GoogleTest, built with MinGW) under Wine, each
in the shared virtual desktop of one fresh prefix, and exits non-zero when one
fails.

    /usr/bin/python3 tests/win/run.py [--build DIR] [test names...]
"""

import argparse
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))

import harness  # noqa: E402

sys.path.insert(0, str(HERE.parents[1] / "scripts"))
import test_counts  # noqa: E402

TIMEOUT = 300
# The programs that open windows by the thousand (1,503 windows, about two
# minutes under Wine 8 and three under Wine 10 on an idle machine) get room
# for a loaded one.
LONG_RUNNING = {"tray_commands_test": 900}


def main():
    try:
        return run()
    except BaseException:
        test_counts.record("win (no session)", 0, 1)
        raise


def run():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", type=Path, default=harness.default_build_dir())
    parser.add_argument("tests", nargs="*", help="test program names (default: every *_test.exe)")
    args = parser.parse_args()

    folder = args.build / "tests" / "win"
    programs = sorted(folder.glob("*_test.exe"))
    if args.tests:
        programs = [p for p in programs if p.stem in args.tests or p.name in args.tests]
    probe = args.build / "tests" / "e2e" / "probe.exe"
    if not programs or not probe.is_file():
        print(f"win: no test programs (or no probe) in {args.build}; build it first", file=sys.stderr)
        test_counts.record(f"win {args.build.name}", 0, 1)
        return 2

    failed = []
    cases = [0, 0, 0]  # passed, failed, skipped
    started = time.monotonic()
    with harness.Session(programs[0], probe) as session:
        print(f"win: {args.build} on display {session.display}", flush=True)
        for program in programs:
            began = time.monotonic()
            try:
                done = session.wine(program.resolve(), timeout=LONG_RUNNING.get(program.stem, TIMEOUT))
                output, code = done.stdout.decode("utf-8", "replace"), done.returncode
            except Exception as e:  # a hung program counts as a failure
                output, code = f"{e}\n", -1
            ok = code == 0
            counts = test_counts.gtest_text_counts(output)
            if counts is None or (not ok and counts[1] == 0):
                # It crashed, hung or failed outside any case: one failed case.
                counts = (counts[0] if counts else 0, 1, counts[2] if counts else 0)
            cases = [a + b for a, b in zip(cases, counts)]
            summary = [line for line in output.splitlines() if line.startswith(("[  PASSED", "[  FAILED"))]
            print(f"win: {program.name}: {'ok' if ok else 'FAILED (exit ' + str(code) + ')'} "
                  f"in {time.monotonic() - began:.1f} s {' '.join(summary[:1])}", flush=True)
            if not ok:
                failed.append(program.name)
                sys.stdout.write(output)
    print(f"\nwin summary: {len(programs)} programs, {len(failed)} failed; "
          f"{cases[0]} passed, {cases[1]} failed, {cases[2]} skipped cases in {time.monotonic() - started:.1f} s"
          + (f": {', '.join(failed)}" if failed else ""))
    test_counts.record("win", *cases, build=harness.build_name(probe))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
