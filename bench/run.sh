#!/usr/bin/env bash
# The capture benchmark (see bench/README.md): on a 1920x1080x24 Xvfb under
# Wine, the two capture commands' picture work in process (capture_bench.exe),
# the X server's floor (xfloor), and xwd, ImageMagick's import and maim as
# whole processes; then the peak memory of one desktop capture and the leak
# check. Prints medians, ratios and the targets met or missed.
#
#   bench/run.sh                    15 timed runs of each
#   KELVORA_BENCH_RUNS=31 bench/run.sh
#   KELVORA_BUILD=build/mine bench/run.sh       another build directory
#   KELVORA_BENCH_LEAK=20000                    captures in the leak check
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
runs=${KELVORA_BENCH_RUNS:-15}
leak_count=${KELVORA_BENCH_LEAK:-20000}
size=1920x1080

# Some kernels run 64-bit code only; Wine's 32-bit loader cannot run there.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=win32 loader=/usr/lib/wine/wine arch=win32
else
  preset=win64 loader=/usr/lib/wine/wine64 arch=win64
fi
build_dir=${KELVORA_BUILD:-build/$preset}
cmake --preset "$preset" -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target capture_bench -j2 >/dev/null
bench_exe=$(cd "$build_dir" && pwd)/bench/capture_bench.exe
xfloor=$(cd "$build_dir" && pwd)/bench/xfloor
gcc -O2 -Wall -Wextra -o "$xfloor" bench/xfloor.c -lX11

work=$(mktemp -d /tmp/kelvora-bench-XXXXXX)
xvfb_pid=
cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
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
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# Wall time of one command in milliseconds.
wall_ms() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.1f\n", ns / 1e6 }'
}

echo "bench: $runs runs each on $DISPLAY ($size, depth 24), $("$loader" --version)"
"$loader" "$bench_exe" desktop 2 >/dev/null # warm-up: fonts, caches, wineserver
"$loader" "$bench_exe" desktop "$runs" >"$work/desktop.txt"
"$loader" "$bench_exe" region "$runs" 800 600 >"$work/region.txt"
"$loader" "$bench_exe" desktop 1 >/dev/null
capture_bytes=$(stat -c %s "$work/out/新截图1.BMP")
"$xfloor" "$runs" "$capture_bytes" "$work/floor.bin" >"$work/floor.txt"

for peer in xwd import maim; do
  for _ in $(seq "$runs"); do
    case $peer in
      xwd) wall_ms xwd -root -silent -out "$work/peer.xwd" ;;
      import) wall_ms import -window root "$work/peer.bmp" ;;
      maim) wall_ms maim -f bmp "$work/peer.bmp" ;;
    esac
  done | median >"$work/$peer.txt"
done

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

desktop=$(value desktop_total_ms "$work/desktop.txt")
floor=$(value floor_ms "$work/floor.txt")
xwd_ms=$(cat "$work/xwd.txt") import_ms=$(cat "$work/import.txt") maim_ms=$(cat "$work/maim.txt")
fastest=$(printf '%s\n' "$xwd_ms" "$import_ms" "$maim_ms" | sort -n | head -n 1)
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

== in process (median of $runs, ms)      grab    encode  write   total
desktop capture 1920x1080 -> 8 bit    $(value desktop_grab_ms "$work/desktop.txt")  $(value desktop_encode_ms "$work/desktop.txt")  $(value desktop_write_ms "$work/desktop.txt")  $desktop
region capture 800x600 (screen depth) $(value region_grab_ms "$work/region.txt")  $(value region_encode_ms "$work/region.txt")  $(value region_write_ms "$work/region.txt")  $(value region_total_ms "$work/region.txt")
X server floor (XGetImage of the root + write of $capture_bytes bytes): $floor ms

== whole processes (median of $runs, ms)
xwd -root          $xwd_ms
import -window root $import_ms
maim -f bmp        $maim_ms

== ratios
desktop capture / floor:         $(ratio "$desktop" "$floor")  (target <= 2.5: $(verdict "$desktop <= 2.5 * $floor"))
desktop capture / fastest peer:  $(ratio "$desktop" "$fastest")  (target < 1: $(verdict "$desktop < $fastest"))

== memory of the process running one desktop capture (VmHWM, KiB)
before the capture: $base_kb   after: $peak_kb   (target < 30 MB = 29296 KiB: $(verdict "$peak_kb < 29296"))

== leak check: $done_count of $leak_count captures done, last one $(value last_capture "$work/leak.txt")
private (RssAnon) KiB after 100: $priv_100   after all: $priv_all   growth: $((priv_all - priv_100))
VmRSS KiB after 100: $rss_100   after all: $rss_all   growth: $((rss_all - rss_100))
(target: all done, growth <= 1024: $(verdict "$done_count == $leak_count && $priv_all - $priv_100 <= 1024 && $rss_all - $rss_100 <= 1024"))
REPORT
