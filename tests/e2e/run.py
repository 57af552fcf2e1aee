#!/usr/bin/python3
"""Runs Kelvora's end-to-end tests: one Xvfb display, one fresh Wine prefix and
one wineserver for the whole run. Exits non-zero when a test fails.

    /usr/bin/python3 tests/e2e/run.py [--exe PATH] [--probe PATH] [--size WxH]
                                      [--display :N] [--keep] [test names...]

Test names are unittest names relative to this folder, e.g.
test_startup.StartupTest.test_a_second_copy_runs_independently.
Screenshots and the programs' Wine logs go to tests/e2e/artifacts/host/
(tests/e2e/artifacts/wine10/ in the Wine 10 lane, scripts/test-wine10.sh).
"""

import argparse
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import harness  # noqa: E402  (after the path is set)

sys.path.insert(0, str(HERE.parents[1] / "scripts"))
import test_counts  # noqa: E402


def parse_size(text):
    width, height = text.lower().split("x")
    return int(width), int(height)


def main():
    build = harness.default_build_dir()
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", type=Path, default=build / "app" / "kelvora.exe")
    parser.add_argument("--probe", type=Path, default=build / "tests" / "e2e" / "probe.exe")
    parser.add_argument("--size", type=parse_size, default=harness.DEFAULT_SIZE,
                        help="screen size, WxH (default 1024x768)")
    parser.add_argument("--display", help="an X display to use instead of a new Xvfb")
    parser.add_argument("--keep", action="store_true",
                        help="keep the run's Wine prefix (its path is printed)")
    parser.add_argument("tests", nargs="*", help="test names (default: every test_*.py)")
    args = parser.parse_args()

    for path, what in ((args.exe, "kelvora.exe"), (args.probe, "probe.exe")):
        if not path.is_file():
            print(f"e2e: {what} not found at {path}; build it first", file=sys.stderr)
            return 2

    loader = unittest.TestLoader()
    suite = (loader.loadTestsFromNames(args.tests) if args.tests
             else loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE)))

    harness.configure(exe=args.exe, probe=args.probe, size=args.size, display=args.display)
    print(f"e2e: {args.exe} with {args.probe}", flush=True)
    started = time.monotonic()
    try:
        session = harness.session()
        session.keep = args.keep
        print(f"e2e: display {session.display}, prefix {session.prefix}", flush=True)
        result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    except BaseException:
        test_counts.record("e2e", 0, 1)  # the session could not even start
        raise
    finally:
        harness.stop_session()
    elapsed = time.monotonic() - started

    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    skipped = len(result.skipped) + len(result.expectedFailures)
    test_counts.record("e2e", result.testsRun - failed - skipped, failed, skipped,
                       build=harness.build_name(args.exe))
    print(f"\ne2e summary: {result.testsRun} run, {len(result.failures)} failed, "
          f"{len(result.errors)} errors, {len(result.skipped)} skipped in {elapsed:.1f} s; "
          f"artifacts in {harness.ARTIFACTS}")
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
