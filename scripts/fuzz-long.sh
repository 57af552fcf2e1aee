#!/usr/bin/env bash
# Longer fuzzing, outside the test command: builds the host preset and runs
# each fuzz target for the given time (10 minutes by default), seeded from
# the shared BMP suite, then reports per target the executions, the corpus
# it grew, its coverage and what it found (crash, leak or timeout inputs).
#
#   scripts/fuzz-long.sh [SECONDS_EACH]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
seconds=${1:-600}

bash scripts/setup-deps.sh >/dev/null
cmake --preset host >/dev/null
cmake --build --preset host --target fuzz_bmp fuzz_jpeg >/dev/null

status=0
bash tests/host/run-fuzzers.sh build/host "$seconds" || status=1

# Crashes, leaks, time-outs and memory blow-ups are findings; a slow unit
# (over libFuzzer's 10 s, which a loaded machine can reach) is listed apart,
# with its time when run again alone.
printf '\n%-10s %12s %8s %8s %9s %s\n' target executions corpus cover findings slow
for name in fuzz_bmp fuzz_jpeg; do
  dir="build/host/fuzz/$name"
  runs=$(grep -Eo '^Done [0-9]+ runs' "$dir/log" | tail -n 1 | grep -Eo '[0-9]+' || echo "?")
  cover=$(grep -Eo 'cov: [0-9]+' "$dir/log" | tail -n 1 | grep -Eo '[0-9]+' || echo "?")
  corpus=$(find "$dir/corpus" -type f | wc -l)
  findings=$(find "$dir/artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  slow=$(find "$dir/artifacts" -type f -name 'slow-unit-*' | wc -l)
  printf '%-10s %12s %8s %8s %9s %s\n' "$name" "$runs" "$corpus" "$cover" "$findings" "$slow"
  [ "$findings" -eq 0 ] || { status=1; ls "$dir/artifacts"; }
  for unit in "$dir"/artifacts/slow-unit-*; do
    [ -e "$unit" ] || continue
    start=$(date +%s.%N)
    "build/host/tests/host/$name" "$unit" >/dev/null 2>&1 || { status=1; echo "$unit fails when run alone"; }
    echo "  $(basename "$unit"): $(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }') s alone"
  done
done
exit $status
