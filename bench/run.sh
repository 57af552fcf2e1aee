#!/usr/bin/env bash
# The capture benchmark (see bench/README.md): on a 1920x1080x24 Xvfb under
# Wine, the capture commands' picture work in process (capture_bench.exe), the
# X server's floors (xfloor) and xwd, ImageMagick's import and maim as whole
# processes, interleaved round by round (bench/rounds.py); then the peak
# memory of one desktop capture and the leak check; then, with the whole
# program in Wine's desktop (bench/session_bench.py), the region overlay's
# time (on one monitor, and on two without the virtual desktop), idle memory
# beside a one-window program, and idle CPU. Prints
# min/median/max, ratios and the targets met or MISSED.
#
#   bench/run.sh                    15 rounds
#   KELVORA_BENCH_RUNS=31 bench/run.sh
#   KELVORA_BUILD=build/mine bench/run.sh       another build directory
#   KELVORA_ARCH=win64 bench/run.sh             the 64-bit build where 32-bit programs also run
#   KELVORA_BENCH_LEAK=20000                    captures in the leak check
#   KELVORA_BENCH_IDLE=30                       seconds of the idle CPU reading
#   KELVORA_BENCH_BIG_ROUNDS=7                  rounds on the 3840x2160 screen
#   KELVORA_BENCH_COMMANDS=200                  of each command for the memory check (about 5 s each)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
runs=${KELVORA_BENCH_RUNS:-15}
leak_count=${KELVORA_BENCH_LEAK:-20000}
idle_seconds=${KELVORA_BENCH_IDLE:-30}
big_rounds=${KELVORA_BENCH_BIG_ROUNDS:-7}
commands=${KELVORA_BENCH_COMMANDS:-200}
size=1920x1080
big_size=3840x2160

source "$here/scripts/wine_arch.sh"
build_dir=${KELVORA_BUILD:-build/$preset}
cmake --preset "$preset" -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target capture_bench one_window kelvora probe -j2 >/dev/null
build_dir=$(cd "$build_dir" && pwd)
bench_exe=$(cd "$build_dir" && pwd)/bench/capture_bench.exe
xfloor=$(cd "$build_dir" && pwd)/bench/xfloor
xoverlay=$(cd "$build_dir" && pwd)/bench/xoverlay
gcc -O2 -Wall -Wextra -o "$xfloor" bench/xfloor.c -lX11 -lXext
gcc -O2 -Wall -Wextra -o "$xoverlay" bench/xoverlay.c -lX11 -lXtst

work=$(mktemp -d /tmp/kelvora-bench-XXXXXX)
xvfb_pid=
xvfb_big_pid=
cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  for pid in $xvfb_pid $xvfb_big_pid; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${size}x24" 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n 1 "$work/display")"
# A screen full of colours, as a desktop with pictures on it has: the
# desktop capture maps every colour to the halftone table.
/usr/bin/convert -seed 7 -size "$size" plasma:fractal "$work/screen.png"
timeout 60 display -window root "$work/screen.png" 2>/dev/null || true

export WINEPREFIX="$work/prefix" WINEARCH=$arch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
echo "bench: making a Wine prefix"
"$loader" wineboot --init >/dev/null 2>&1
wineserver -w
wineserver -p
mkdir "$work/out"
cd "$work/out"

value() { sed -n "s/^$1 //p" "$2" | tr -d '\r'; }

echo "bench: $runs rounds on $DISPLAY ($size, depth 24), $("$loader" --version), $(nproc) cores"
"$loader" "$bench_exe" desktop 1 >/dev/null # the capture file's size, for the floors' writes
capture_bytes=$(stat -c %s "$work/out/新截图1.BMP")
/usr/bin/python3 "$here/bench/rounds.py" --loader "$loader" --bench "$bench_exe" --xfloor "$xfloor" \
  --work "$work" --capture-bytes "$capture_bytes" --rounds "$runs" --screen "$size" --ratio-out "$work/ratio.txt"

# Runs the bench with --pause: at each "pause <label>" it reads the
# process's own /proc status (the wine loader's pid is the Windows
# process's), then lets it go on.
run_paused() {
  local out=$1
  shift
  mkfifo "$work/in"
  "$loader" "$bench_exe" "$@" --pause <"$work/in" >"$out" &
  local pid=$!
  exec 4>"$work/in"
  local seen=0
  while kill -0 "$pid" 2>/dev/null; do
    local pauses
    pauses=$(grep -c '^pause ' "$out" || true)
    if [ "$pauses" -gt "$seen" ]; then
      local label
      label=$(grep '^pause ' "$out" | sed -n "${pauses}p" | cut -d' ' -f2 | tr -d '\r')
      for key in VmHWM VmRSS RssAnon; do
        echo "proc_${label}_${key} $(awk -v k="$key:" '$1 == k { print $2 }' "/proc/$pid/status")" >>"$out.proc"
      done
      seen=$pauses
      echo >&4
    fi
    sleep 0.05
  done
  exec 4>&-
  rm -f "$work/in"
  wait "$pid" || echo "bench: capture_bench $* failed" >&2
}
: >"$work/peak.txt.proc"
run_paused "$work/peak.txt" peak
echo "bench: leak check, $leak_count region captures of 10 x 10"
: >"$work/leak.txt.proc"
run_paused "$work/leak.txt" leak "$leak_count"

peak_kb=$(value proc_after_VmHWM "$work/peak.txt.proc")
base_kb=$(value proc_before_VmHWM "$work/peak.txt.proc")
priv_100=$(value proc_after_100_RssAnon "$work/leak.txt.proc")
priv_all=$(value proc_after_all_RssAnon "$work/leak.txt.proc")
rss_100=$(value proc_after_100_VmRSS "$work/leak.txt.proc")
rss_all=$(value proc_after_all_VmRSS "$work/leak.txt.proc")
done_count=$(value captures_done "$work/leak.txt")
done_count=${done_count:-0} priv_100=${priv_100:-0} priv_all=${priv_all:-0} rss_100=${rss_100:-0} rss_all=${rss_all:-0}

verdict() { if awk "BEGIN { exit !($1) }"; then echo met; else echo MISSED; fi; }

cat <<REPORT

== memory of the process running one desktop capture (VmHWM, KiB)
before the capture: $base_kb   after: $peak_kb   (target < 30 MB = 29296 KiB: $(verdict "$peak_kb < 29296"))

== leak check: $done_count of $leak_count captures done, last one $(value last_capture "$work/leak.txt")
private (RssAnon) KiB after 100: $priv_100   after all: $priv_all   growth: $((priv_all - priv_100))
VmRSS KiB after 100: $rss_100   after all: $rss_all   growth: $((rss_all - rss_100))
(target: all done, growth <= 1024: $(verdict "$done_count == $leak_count && $priv_all - $priv_100 <= 1024 && $rss_all - $rss_100 <= 1024"))
REPORT

# The same on a 3840x2160 screen: the capture's cost should grow with the
# pixels only, and its peak memory with the file it writes.
wineserver -k 2>/dev/null || true
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${big_size}x24" 3>"$work/display-big" 2>/dev/null &
xvfb_big_pid=$!
for _ in $(seq 100); do [ -s "$work/display-big" ] && break; sleep 0.05; done
(
  export DISPLAY=":$(head -n 1 "$work/display-big")"
  /usr/bin/convert -seed 7 -size "$big_size" plasma:fractal "$work/screen-big.png"
  timeout 60 display -window root "$work/screen-big.png" 2>/dev/null || true
  echo
  echo "bench: $big_rounds rounds on $DISPLAY ($big_size, depth 24)"
  "$loader" "$bench_exe" desktop 1 >/dev/null
  big_bytes=$(stat -c %s "$work/out/新截图1.BMP")
  echo "$big_bytes" >"$work/big-bytes.txt"
  /usr/bin/python3 "$here/bench/rounds.py" --loader "$loader" --bench "$bench_exe" --xfloor "$xfloor" \
    --work "$work" --capture-bytes "$big_bytes" --rounds "$big_rounds" --screen "$big_size" \
    --ratio-out "$work/ratio-big.txt"
  : >"$work/peak-big.txt.proc"
  run_paused "$work/peak-big.txt" peak
  wineserver -k 2>/dev/null || true
)
kill "$xvfb_big_pid" 2>/dev/null || true
wait "$xvfb_big_pid" 2>/dev/null || true
ratio=$(value floor_ratio "$work/ratio.txt")
ratio_big=$(value floor_ratio "$work/ratio-big.txt")
per_pixel=$(value ns_per_pixel "$work/ratio.txt")
per_pixel_big=$(value ns_per_pixel "$work/ratio-big.txt")
big_bytes=$(cat "$work/big-bytes.txt")
big_base_kb=$(value proc_before_VmHWM "$work/peak-big.txt.proc")
big_peak_kb=$(value proc_after_VmHWM "$work/peak-big.txt.proc")
big_limit_kb=$(awk -v b="$big_base_kb" -v f="$big_bytes" 'BEGIN { printf "%d", b + 1.2 * f / 1024 }')
cat <<REPORT

== cost with the pixels: $size against $big_size
desktop capture, ns per pixel: $per_pixel at $size, $per_pixel_big at $big_size \
(target: the time grows no faster than the pixels, within 20 %: $(verdict "$per_pixel_big <= 1.2 * $per_pixel"))
capture / XShmGetImage floor: $ratio at $size, $ratio_big at $big_size (for information: the floor \
swings with the X server from one size to the other)
peak (VmHWM) KiB before / after one $big_size desktop capture: $big_base_kb / $big_peak_kb; \
file $big_bytes bytes (target <= before + 1.2 x file = $big_limit_kb: $(verdict "$big_peak_kb <= $big_limit_kb"))
REPORT

# The whole program needs Wine's desktop with its taskbar: the e2e harness
# makes its own display and prefix for it.
wineserver -k 2>/dev/null || true
echo
echo "bench: kelvora.exe in Wine's desktop ($size): overlay, idle memory, idle CPU (${idle_seconds} s)"
# The program as it ships (the release build, stripped) beside the baseline
# program stripped the same way: a build with debug information is read into
# private memory whole by Wine's loader, its debug sections included.
(cd "$here" && cmake --preset "release-$preset" >/dev/null && cmake --build --preset "release-$preset" >/dev/null)
"$triple-strip" -o "$work/one_window.exe" "$build_dir/bench/one_window.exe"
/usr/bin/python3 "$here/bench/session_bench.py" --build "$build_dir" --xoverlay "$xoverlay" --rounds "$runs" \
  --idle "$idle_seconds" --exe "$here/build/release-$preset/app/kelvora.exe" --one-window "$work/one_window.exe" \
  --commands "$commands" >"$work/session.txt"
# The overlay again on two monitors: a 1280x800 primary and a 1024x768
# monitor right of it, Wine without its virtual desktop.
heads="0,0,1280,800;1280,0,1024,768"
/usr/bin/python3 "$here/bench/session_bench.py" --build "$build_dir" --xoverlay "$xoverlay" --rounds "$runs" \
  --exe "$here/build/release-$preset/app/kelvora.exe" --heads "$heads" >"$work/session-two.txt"
overlay=$(value overlay_painted_ms "$work/session.txt")
overlay_two=$(value overlay_painted_ms "$work/session-two.txt")
overlay_two_median=$(echo "$overlay_two" | awk '{ print $2 }')
idle_kb=$(value idle_rssanon_kb "$work/session.txt")
baseline_kb=$(value baseline_rssanon_kb "$work/session.txt")
after_kb=$(value after_overlay_rssanon_kb "$work/session.txt")
ticks=$(value idle_cpu_ticks "$work/session.txt")
overlay_median=$(echo "$overlay" | awk '{ print $2 }')
one_window_median=$(value startup_one_window_paint_ms "$work/session.txt" | awk '{ print $2 }')
banner_median=$(value startup_banner_paint_ms "$work/session.txt" | awk '{ print $2 }')
tray_median=$(value startup_tray_icon_ms "$work/session.txt" | awk '{ print $2 }')
cat <<REPORT

== region overlay: release on the menu item to the selector showing its still picture (ms)
mapped  (min median max): $(value overlay_mapped_ms "$work/session.txt")
painted (min median max): $overlay   rounds: $(value overlay_rounds "$work/session.txt"), timed out: $(value overlay_missed "$work/session.txt")
(target median within one frame, <= 16.7: $(verdict "${overlay_median:-1e9} <= 16.7"))
two monitors ($heads), mapped (min median max): $(value overlay_mapped_ms "$work/session-two.txt")
two monitors, painted (min median max): $overlay_two   rounds: $(value overlay_rounds "$work/session-two.txt"), \
timed out: $(value overlay_missed "$work/session-two.txt")
(target median <= 33: $(verdict "${overlay_two_median:-1e9} <= 33"))

== start-up: the process's start to the first painted frame, and to the tray icon shown (ms, min median max)
one-window program, painted: $(value startup_one_window_paint_ms "$work/session.txt")
kelvora.exe, banner painted: $(value startup_banner_paint_ms "$work/session.txt") \
(target median within 100 of the one-window program's: $(verdict "${banner_median:-1e9} <= ${one_window_median:-0} + 100"))
kelvora.exe, tray icon shown: $(value startup_tray_icon_ms "$work/session.txt") \
(target median within 100 of the one-window program's paint: $(verdict "${tray_median:-1e9} <= ${one_window_median:-0} + 100"))

== idle (after the fade)
RssAnon KiB: kelvora.exe $idle_kb, one-window program $baseline_kb, difference $((idle_kb - baseline_kb)) (target <= 4096: $(verdict "$idle_kb - $baseline_kb <= 4096"))
RssAnon KiB after the $runs overlay rounds: $after_kb
CPU ticks over $idle_seconds s: $ticks, context switches: $(value idle_context_switches "$work/session.txt") (target 0 ticks: $(verdict "$ticks == 0"))
REPORT
settled_kb=$(value commands_settled_rssanon_kb "$work/session.txt")
all_kb=$(value commands_all_rssanon_kb "$work/session.txt")
cat <<REPORT

== memory over $commands region captures, desktop captures and viewer showings, through the program
RssAnon KiB after $(value commands_settled "$work/session.txt") of each: $settled_kb   after all: $all_kb   growth: $((all_kb - settled_kb)) \
(target flat, growth <= 1024: $(verdict "$all_kb - $settled_kb <= 1024"))
REPORT
