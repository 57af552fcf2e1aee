#!/usr/bin/env bash
# Builds everything and runs every test layer: host (sanitizers, fuzzers),
# win (the toolkit and components under Wine), e2e (the real kelvora.exe in
# a Wine virtual desktop). Exits non-zero on any failure.
#
#   scripts/test.sh                 everything
#   KELVORA_FUZZ_SECONDS=60 scripts/test.sh
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

bash scripts/setup-deps.sh

step() { printf '\n==== %s\n' "$*"; }

step "host: portable code under ASan/UBSan"
cmake --preset host >/dev/null
cmake --build --preset host
ctest --test-dir build/host --output-on-failure

step "host: fuzzers, ${KELVORA_FUZZ_SECONDS:-20} s each"
bash tests/host/run-fuzzers.sh build/host "${KELVORA_FUZZ_SECONDS:-20}"

for preset in win32 win64; do
  step "build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  # A static runtime: kelvora.exe imports nothing but Windows' own DLLs.
  triple=$([ "$preset" = win32 ] && echo i686 || echo x86_64)-w64-mingw32
  imports=$("$triple-objdump" -p "build/$preset/app/kelvora.exe" | awk '/DLL Name:/ {print toupper($3)}' | sort -u)
  echo "kelvora.exe ($preset) imports:" $imports
  for dll in $imports; do
    case "$dll" in
      KERNEL32.DLL|USER32.DLL|GDI32.DLL|SHELL32.DLL|ADVAPI32.DLL|COMDLG32.DLL|COMCTL32.DLL|MSVCRT.DLL) ;;
      *) echo "kelvora.exe ($preset) needs $dll, which Windows does not ship" >&2; exit 1 ;;
    esac
  done
done

# The primary build is 32-bit; a machine whose kernel cannot run 32-bit
# programs (no IA-32 emulation) runs the 64-bit build's tests instead.
presets=(win64)
e2e_preset=win64
if /usr/bin/python3 -c 'import sys; sys.path.insert(0, "tests/e2e"); import harness; sys.exit(0 if harness.can_run_32bit() else 1)'; then
  presets=(win32 win64)
  e2e_preset=win32
else
  echo "note: this machine cannot run 32-bit programs; the win32 build is built but its tests run on win64"
fi

for preset in "${presets[@]}"; do
  step "win: $preset"
  /usr/bin/python3 tests/win/run.py --build "build/$preset"
done

step "e2e: $e2e_preset"
/usr/bin/python3 tests/e2e/run.py --exe "build/$e2e_preset/app/kelvora.exe" \
  --probe "build/$e2e_preset/tests/e2e/probe.exe"

step "all tests passed"
