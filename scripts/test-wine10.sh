#!/usr/bin/env bash
# The Wine 10 lane: the win and e2e layers again, under Debian 13's Wine 10,
# on the test programs and kelvora.exe built on this machine. They run in a
# Debian 13 tree outside the clone (scripts/setup-wine10.sh makes it once per
# machine), into which the clone is bound at its own path.
#
#   scripts/test-wine10.sh                 build what is missing, then both layers
#   scripts/test-wine10.sh win [names...]  one layer, optionally some tests
#   scripts/test-wine10.sh e2e [names...]
#
# Counts go to $KELVORA_COUNTS when it is set (the CI run adds them to the
# test command's, for its closing line), else to build/test-counts-wine10;
# the last line counts them all and says what ran on which build: "N
# passed, N failed; ran: ...". Screenshots go to
# tests/e2e/artifacts/wine10/. Exits non-zero on any failure.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
root="${KELVORA_TRIXIE:-/var/lib/kelvora/trixie}"

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ -z "${KELVORA_COUNTS:-}" ]; then
  export KELVORA_COUNTS="$here/build/test-counts-wine10"
  rm -rf "$KELVORA_COUNTS"
fi
mkdir -p "$KELVORA_COUNTS"
trap 'printf "\n"; python3 scripts/test_counts.py summary || true' EXIT
must() { "$@" || { python3 scripts/test_counts.py failed "wine10: $*"; exit 1; }; }

layers=(win e2e)
names=()
if [ $# -gt 0 ]; then
  layers=("$1")
  names=("${@:2}")
fi

printf '\n==== wine10: the Debian 13 tree\n'
must bash scripts/setup-wine10.sh

# The same kernel as the host: where it cannot run 32-bit programs, the
# win32 build's tests run on win64 here too.
presets=(win64)
e2e_preset=win64
if /usr/bin/python3 -c 'import sys; sys.path.insert(0, "tests/e2e"); import harness; sys.exit(0 if harness.can_run_32bit() else 1)'; then
  presets=(win32 win64)
  e2e_preset=win32
else
  not_run="32-bit build: built and checked, not run (no 32-bit mode on this machine)"
  echo "note: $not_run"
  python3 scripts/test_counts.py note "$not_run"
fi
need_build=0
for preset in "${presets[@]}"; do
  for exe in "build/$preset/app/kelvora.exe" "build/$preset/tests/e2e/probe.exe"; do
    [ -f "$exe" ] || need_build=1
  done
done
if [ "$need_build" = 1 ]; then
  must bash scripts/setup-deps.sh
  for preset in "${presets[@]}"; do
    printf '\n==== wine10: build %s (on the host)\n' "$preset"
    must cmake --preset "$preset" >/dev/null
    must cmake --build --preset "$preset"
  done
fi

# The clone at its own path, and what Wine and Xvfb need of the host: /tmp
# (X sockets and the runs' temporary prefixes), /proc and /dev. Unbound
# whatever happens, innermost first.
mounted=()
unmount_all() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    as_root umount "${mounted[i]}" 2>/dev/null || as_root umount -l "${mounted[i]}" 2>/dev/null || true
  done
  mounted=()
}
trap 'unmount_all; printf "\n"; python3 scripts/test_counts.py summary || true' EXIT
bind() {
  local target="$root$2"
  as_root mkdir -p "$target"
  if ! mountpoint -q "$target"; then
    as_root mount "${@:3}" "$1" "$target"
    mounted+=("$target")
  fi
}
bind proc /proc -t proc
bind /dev /dev --bind
bind /dev/pts /dev/pts --bind
bind /tmp /tmp --bind
bind "$here" "$here" --bind

in_tree() {
  as_root chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    KELVORA_COUNTS="$KELVORA_COUNTS" KELVORA_LANE=wine10 \
    bash -c 'cd "$1" && shift && exec "$@"' - "$here" "$@"
}
echo "wine10: $(in_tree /usr/lib/wine/wine64 --version)"

status=0
for layer in "${layers[@]}"; do
  case "$layer" in
    win)
      for preset in "${presets[@]}"; do
        printf '\n==== wine10 win: %s\n' "$preset"
        in_tree python3 tests/win/run.py --build "build/$preset" "${names[@]}" || status=1
      done ;;
    e2e)
      printf '\n==== wine10 e2e: %s\n' "$e2e_preset"
      # The two-monitor tests' stand-in X libraries are built here, on the
      # host: the tree has no compiler.
      /usr/bin/python3 -c 'import sys; sys.path.insert(0, "tests/e2e"); import harness; harness.heads_libraries()'
      in_tree python3 tests/e2e/run.py --exe "build/$e2e_preset/app/kelvora.exe" \
        --probe "build/$e2e_preset/tests/e2e/probe.exe" "${names[@]}" || status=1 ;;
    *)
      echo "wine10: no layer $layer (win or e2e)" >&2
      exit 2 ;;
  esac
done
exit $status
