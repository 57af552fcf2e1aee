#!/usr/bin/python3
"""The interleaved part of the capture benchmark (run by bench/run.sh): in
each round every contender runs once, in an order that turns from round to
round, so that all of them meet the same moments of a shared machine:

- desktop capture and 800x600 region capture in process (capture_bench serve),
- the X server's floors: one XGetImage, one XShmGetImage (xfloor), each with
  the write of as many bytes as the capture file has,
- the peers as whole processes: xwd, ImageMagick's import, maim.

Prints min / median / max of each, the ratios of the medians, the capture
against the fastest peer round by round, and the targets met or MISSED."""

import argparse
import statistics
import subprocess
import sys
import time


def served(process, request):
    process.stdin.write(request + "\n")
    process.stdin.flush()
    line = process.stdout.readline()
    if not line:
        raise RuntimeError(f"no answer to {request!r}")
    return [float(v) for v in line.split()]


def wall_ms(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=60)
    return (time.perf_counter() - start) * 1000


def verdict(ok):
    return "met" if ok else "MISSED"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--loader", required=True)
    parser.add_argument("--bench", required=True)
    parser.add_argument("--xfloor", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--capture-bytes", type=int, required=True)
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--screen", default="1920x1080", help="the screen's size, for the labels and the time per pixel")
    parser.add_argument("--ratio-out", help="a file to write the capture's ratio to the XShmGetImage floor to")
    args = parser.parse_args()
    work = args.work

    bench = subprocess.Popen([args.loader, args.bench, "serve"], cwd=f"{work}/out", stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, text=True)
    floor = subprocess.Popen([args.xfloor, str(args.capture_bytes), f"{work}/floor.bin"], stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, text=True)
    print(f"  {floor.stdout.readline().strip()}")
    contenders = {
        "desktop": lambda: served(bench, "desktop"),
        "region": lambda: served(bench, "region 800 600"),
        "XGetImage floor": lambda: served(floor, "get"),
        "XShmGetImage floor": lambda: served(floor, "shm"),
        "xwd -root": lambda: [wall_ms(["xwd", "-root", "-silent", "-out", f"{work}/peer.xwd"])],
        "import -window root": lambda: [wall_ms(["import", "-window", "root", f"{work}/peer.bmp"])],
        "maim -f bmp": lambda: [wall_ms(["maim", "-f", "bmp", f"{work}/peer.bmp"])],
    }
    names = list(contenders)
    for name in names:  # warm-up: caches, the lookup, the wineserver
        contenders[name]()
    results = {name: [] for name in names}
    for round_ in range(args.rounds):
        turn = round_ % len(names)
        for name in names[turn:] + names[:turn]:
            results[name].append(contenders[name]())
    bench.stdin.close()
    floor.stdin.close()
    bench.wait(timeout=30)
    floor.wait(timeout=30)

    def totals(name):
        return [r[-1] for r in results[name]]

    def row(label, values):
        return f"{label:<40} {min(values):8.1f} {statistics.median(values):8.1f} {max(values):8.1f}"

    print(f"\n== interleaved, {args.rounds} rounds (ms)          min   median      max")
    for stage, at in (("grab", 0), ("save: encode and write", 1)):
        print(row(f"desktop capture: {stage}", [r[at] for r in results["desktop"]]))
    for name in names:
        label = {"desktop": f"desktop capture {args.screen} -> 8 bit",
                 "region": "region capture 800x600 (screen depth)"}.get(name, name)
        print(row(label, totals(name)))

    desktop = statistics.median(totals("desktop"))
    get_floor = statistics.median(totals("XGetImage floor"))
    shm_floor = statistics.median(totals("XShmGetImage floor"))
    peers = ["xwd -root", "import -window root", "maim -f bmp"]
    fastest = [min(results[p][i][-1] for p in peers) for i in range(args.rounds)]
    beaten = sum(d < f for d, f in zip(totals("desktop"), fastest))
    print("\n== ratios (medians of the same rounds)")
    print(f"desktop capture / XGetImage floor:    {desktop / get_floor:.2f}  "
          f"(target <= 1.5: {verdict(desktop <= 1.5 * get_floor)})")
    print(f"desktop capture / XShmGetImage floor: {desktop / shm_floor:.2f}")
    print(f"desktop capture / fastest peer:       {desktop / statistics.median(fastest):.2f}  "
          f"(faster in {beaten} of {args.rounds} rounds; target every round: "
          f"{verdict(beaten == args.rounds)})")
    if args.ratio_out:
        with open(args.ratio_out, "w") as out:
            out.write(f"floor_ratio {desktop / shm_floor:.4f}\n")
            width, height = (int(v) for v in args.screen.split("x"))
            out.write(f"ns_per_pixel {desktop * 1e6 / (width * height):.3f}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
