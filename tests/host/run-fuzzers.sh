#!/usr/bin/env bash
# Runs each fuzz target for a bounded time. The shared BMP suite, when it is
# beside the clone, seeds the corpora in place (it is never copied); what the
# fuzzers find goes to a scratch corpus in the build tree, their output to a
# log beside it, shown only when a target fails.
# Usage: tests/host/run-fuzzers.sh BUILD_DIR [SECONDS_EACH]
set -euo pipefail

build=$(cd "$1" && pwd)
seconds=${2:-30}
root=$(cd "$(dirname "$0")/../.." && pwd)
suite="$root/../shared/testdata/bmpsuite"

run() {
  local name=$1
  shift
  local dir="$build/fuzz/$name"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  local seeds=() d
  for d in "$@"; do [ -d "$d" ] && seeds+=("$d"); done
  [ ${#seeds[@]} -gt 0 ] || echo "$name: no seed corpus found, starting from scratch"
  if "$build/tests/host/$name" -max_total_time="$seconds" -rss_limit_mb=2048 \
      -artifact_prefix="$dir/artifacts/" "$dir/corpus" "${seeds[@]}" >"$dir/log" 2>&1; then
    echo "$name: $(grep -E '^Done [0-9]+ runs' "$dir/log" | tail -n 1)"
  else
    tail -n 60 "$dir/log"
    echo "$name: FAILED (log: $dir/log, inputs: $dir/artifacts)"
    return 1
  fi
}

status=0
run fuzz_bmp "$suite" || status=1
# The suite's JPEG reference rendering and the program's own pictures.
run fuzz_jpeg "$suite/reference" "$root/resources" || status=1
exit $status
