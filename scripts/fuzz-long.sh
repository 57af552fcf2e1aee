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

printf '\n%-10s %12s %8s %8s %s\n' target executions corpus cover findings
for name in fuzz_bmp fuzz_jpeg; do
  dir="build/host/fuzz/$name"
  runs=$(grep -Eo '^Done [0-9]+ runs' "$dir/log" | tail -n 1 | grep -Eo '[0-9]+' || echo "?")
  cover=$(grep -Eo 'cov: [0-9]+' "$dir/log" | tail -n 1 | grep -Eo '[0-9]+' || echo "?")
  corpus=$(find "$dir/corpus" -type f | wc -l)
  findings=$(find "$dir/artifacts" -type f | wc -l)
  printf '%-10s %12s %8s %8s %s\n' "$name" "$runs" "$corpus" "$cover" "$findings"
  [ "$findings" -eq 0 ] || { status=1; ls "$dir/artifacts"; }
done
exit $status
