#!/usr/bin/env bash
# Builds everything and runs every test layer: host (sanitizers, fuzzers),
# win (the toolkit and components under Wine), e2e (the real kelvora.exe in
# a Wine virtual desktop). Each layer's summary is printed as it ends; the
# last line counts the test cases of all layers: "N passed, N failed".
# Exits non-zero on any failure.
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
python3 scripts/check_layers.py build/host || { status=1; python3 scripts/test_counts.py failed "layers of host"; }
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

for preset in win32 win64; do
  step "build: $preset"
  must cmake --preset "$preset" >/dev/null
  must cmake --build --preset "$preset"
  python3 scripts/check_layers.py "build/$preset" || { status=1; python3 scripts/test_counts.py failed "layers of $preset"; }
  # A static runtime: kelvora.exe imports nothing but Windows' own DLLs.
  triple=$([ "$preset" = win32 ] && echo i686 || echo x86_64)-w64-mingw32
  imports=$("$triple-objdump" -p "build/$preset/app/kelvora.exe" | awk '/DLL Name:/ {print toupper($3)}' | sort -u)
  echo "kelvora.exe ($preset) imports:" $imports
  for dll in $imports; do
    case "$dll" in
      KERNEL32.DLL|USER32.DLL|GDI32.DLL|SHELL32.DLL|ADVAPI32.DLL|COMDLG32.DLL|COMCTL32.DLL|MSVCRT.DLL) ;;
      OLEACC.DLL|OLE32.DLL|OLEAUT32.DLL) ;;  # Active Accessibility: in every Windows since 7 SP1
      *) echo "kelvora.exe ($preset) needs $dll, which Windows does not ship" >&2
         python3 scripts/test_counts.py failed "imports of $preset"
         exit 1 ;;
    esac
  done
done

# The primary build is 32-bit; a machine whose kernel cannot run 32-bit
# programs (no IA-32 emulation) runs the 64-bit build's tests instead.
source scripts/wine_arch.sh
e2e_preset=$preset
if [ "$preset" = win32 ]; then
  presets=(win32 win64)
else
  presets=(win64)
  echo "note: this machine cannot run 32-bit programs; the win32 build is built but its tests run on win64"
fi

for preset in "${presets[@]}"; do
  step "win: $preset"
  /usr/bin/python3 tests/win/run.py --build "build/$preset" || status=1
done

step "e2e: $e2e_preset"
/usr/bin/python3 tests/e2e/run.py --exe "build/$e2e_preset/app/kelvora.exe" \
  --probe "build/$e2e_preset/tests/e2e/probe.exe" || status=1

exit $status
