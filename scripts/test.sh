#!/usr/bin/env bash
# Builds everything and runs every test layer: host (sanitizers, fuzzers),
# win (the toolkit and components under Wine), e2e (the real kelvora.exe in
# a Wine virtual desktop). Every build is checked as it is made: -Werror,
# the layer check, and kelvora.exe's imports against Windows 7 SP1. Each
# layer's summary is printed as it ends; the last line counts the test
# cases of all layers and says what ran on which build: "N passed, N
# failed; ran: ...". Exits non-zero on any failure.
#
#   scripts/test.sh                 everything
#   KELVORA_FUZZ_SECONDS=60 scripts/test.sh
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

bash scripts/setup-deps.sh

export KELVORA_COUNTS="$here/build/test-counts"
rm -rf "$KELVORA_COUNTS"
mkdir -p "$KELVORA_COUNTS"
status=0
# Whatever happens, the run ends with the one line over every layer.
trap 'printf "\n"; python3 scripts/test_counts.py summary || true' EXIT

step() { printf '\n==== %s\n' "$*"; }
# A step that must succeed for the layers after it to mean anything.
must() { "$@" || { python3 scripts/test_counts.py failed "$*"; exit 1; }; }

step "host: portable code under ASan/UBSan"
must cmake --preset host >/dev/null
must cmake --build --preset host
results="$here/build/host/test-results"
rm -rf "$results"
GTEST_OUTPUT="xml:$results/" ctest --test-dir build/host --output-on-failure --no-tests=error || status=1
mapfile -t host_tests < <(ctest --test-dir build/host -N | sed -n 's/^ *Test *#[0-9]*: //p')
python3 scripts/test_counts.py host "$results" "${host_tests[@]}"

step "host: fuzzers, ${KELVORA_FUZZ_SECONDS:-20} s each"
bash tests/host/run-fuzzers.sh build/host "${KELVORA_FUZZ_SECONDS:-20}" || {
  status=1
  python3 scripts/test_counts.py failed fuzzers
}

# Both builds are built and checked, whatever this machine can run: the
# build itself fails on a warning, on an include against the layers and on
# an import that Windows 7 SP1 does not have.
for preset in win32 win64; do
  step "build: $preset"
  must cmake --preset "$preset" >/dev/null
  must cmake --build --preset "$preset"
done

# The primary build is 32-bit; a machine whose kernel cannot run 32-bit
# programs (no IA-32 emulation) runs the 64-bit build's tests instead, and
# the closing line says so.
source scripts/wine_arch.sh
e2e_preset=$preset
if [ "$preset" = win32 ]; then
  presets=(win32 win64)
else
  presets=(win64)
  not_run="32-bit build: built and checked, not run (no 32-bit mode on this machine)"
  echo "note: $not_run"
  python3 scripts/test_counts.py note "$not_run"
fi

for preset in "${presets[@]}"; do
  step "win: $preset"
  /usr/bin/python3 tests/win/run.py --build "build/$preset" || status=1
done

step "e2e: $e2e_preset"
/usr/bin/python3 tests/e2e/run.py --exe "build/$e2e_preset/app/kelvora.exe" \
  --probe "build/$e2e_preset/tests/e2e/probe.exe" || status=1

exit $status
