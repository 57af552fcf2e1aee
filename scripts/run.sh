#!/usr/bin/env bash
# Builds Kelvora and runs it under Wine, in a Wine virtual desktop with a taskbar
# (the program lives in its notification area). Uses $DISPLAY; without one it
# starts Xvfb on a free display and says where to look.
#
#   scripts/run.sh                 build, then run
#   KELVORA_DESKTOP=1280x1024 scripts/run.sh
#   KELVORA_BUILD=build/mine scripts/run.sh     another build directory
#
# Captures are written to the folder run.sh is started from.
#
# The Wine prefix lives in ${XDG_DATA_HOME:-~/.local/share}/kelvora-wine, apart
# from the end-to-end tests' throw-away prefixes.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
start_dir=$PWD
cd "$here"

need_setup() {
  local tool
  for tool in cmake ninja i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix wine Xvfb; do
    command -v "$tool" >/dev/null || return 0
  done
  [ -f .deps/jpeg-i686-w64-mingw32/lib/libjpeg.a ] || return 0
  [ -f .deps/jpeg-x86_64-w64-mingw32/lib/libjpeg.a ] || return 0
  return 1
}
if need_setup; then
  bash scripts/setup-deps.sh
fi

source scripts/wine_arch.sh
if [ "$preset" = win64 ]; then
  echo "run: this machine cannot run 32-bit programs; using the win64 build" >&2
fi

build_dir=${KELVORA_BUILD:-build/$preset}
cmake --preset "$preset" -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target kelvora -j2
exe=$(cd "$build_dir" && pwd)/app/kelvora.exe

export WINEPREFIX="${XDG_DATA_HOME:-$HOME/.local/share}/kelvora-wine/$preset"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=$arch
desktop_size=${KELVORA_DESKTOP:-1024x768}

xvfb_pid=
cleanup() { if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  numfile=$(mktemp)
  Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${desktop_size}x24" 3>"$numfile" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$numfile" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n 1 "$numfile")"
  rm -f "$numfile"
  echo "No display found: Kelvora runs on virtual display $DISPLAY" \
       "(watch it with: x11vnc -display $DISPLAY, or grab it with: xwd -display $DISPLAY -root)."
fi

# The prefix is a copy of the one the end-to-end tests run the program in
# (tests/e2e/harness.py: Wine's virtual desktop with its taskbar, the faces
# the layouts name, Wine's caption-button font), made anew when that set-up
# changes; a prefix of the old set-up is kept beside it.
template=$(/usr/bin/python3 tests/e2e/harness.py prefix-template "$arch" "$desktop_size")
if [ "$(cat "$WINEPREFIX/kelvora-template" 2>/dev/null)" != "$(basename "$template")" ]; then
  if [ -e "$WINEPREFIX" ]; then
    mv "$WINEPREFIX" "$WINEPREFIX.old-$(date +%Y%m%d%H%M%S)"
  fi
  echo "run: making the Wine prefix $WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  cp -a "$template" "$WINEPREFIX"
  basename "$template" >"$WINEPREFIX/kelvora-template"
fi

echo "run: starting $exe (prefix $WINEPREFIX)"
cd "$start_dir"
"$loader" explorer "/desktop=kelvora,$desktop_size" "$exe"
