#!/usr/bin/python3
"""The measures that need the whole program in Wine's desktop with its
taskbar (run by bench/run.sh; see bench/README.md):

- region overlay: from the release on "抓区域图" to the selector mapped and
  showing the screen as it was before the menu opened (bench/xoverlay.c);
- idle memory: RssAnon of kelvora.exe once its banner has faded, beside a
  one-window Win32 program (bench/one_window.cpp) in the same Wine;
- idle CPU: the process's CPU ticks and context switches over a quiet span;
- start-up: from the process's start to its banner's first painted frame and
  to its icon in the notification area, beside the one-window program's
  first paint.

With --heads, only the overlay, on an X screen of several monitors (Wine
without its virtual desktop; see tests/e2e/harness.py).

    /usr/bin/python3 bench/session_bench.py --build DIR --xoverlay PATH [--rounds 15] [--idle 30]
    /usr/bin/python3 bench/session_bench.py --build DIR --xoverlay PATH --heads "x,y,w,h;x,y,w,h" [--rounds 15]

Prints "key value" lines for bench/run.sh."""

import argparse
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness  # noqa: E402

TRAY_TIP = "Kelvora^_^"
SIZE = (1920, 1080)


def status_kb(pid, key):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith(key + ":"):
            return int(line.split()[1])
    return 0


def cpu_ticks(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime of all threads


def switches(pid):
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        for line in (task / "status").read_text().splitlines():
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                total += int(line.split()[1])
    return total


def say(key, value):
    print(f"{key} {value}", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", type=Path, required=True)
    parser.add_argument("--xoverlay", type=Path, required=True)
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--idle", type=float, default=30.0)
    parser.add_argument("--exe", type=Path, help="the kelvora.exe to run (default: the build's)")
    parser.add_argument("--one-window", type=Path, help="the baseline program (default: the build's)")
    parser.add_argument("--commands", type=int, default=200,
                        help="region captures, desktop captures and viewer showings for the memory check")
    parser.add_argument("--startup-rounds", type=int, default=7,
                        help="starts of the one-window program and of kelvora.exe, interleaved")
    parser.add_argument("--heads", help="monitors as x,y,width,height;... in X root coordinates, the "
                        "primary first: the overlay alone on them")
    args = parser.parse_args()
    exe = args.exe or args.build / "app" / "kelvora.exe"
    probe = args.build / "tests" / "e2e" / "probe.exe"
    one_window = args.one_window or args.build / "bench" / "one_window.exe"

    if args.heads:
        heads = [tuple(int(v) for v in head.split(",")) for head in args.heads.split(";")]
        with harness.Session(exe, probe, size=heads[0][2:], heads=heads) as session:
            app = session.launch()
            app.wait_window("TForm1", visible=True)
            harness.wait_until(lambda: not app.window("TForm1")["visible"], timeout=30, interval=0.5,
                               what="the banner to fade out")
            # Without Wine's desktop the banner's pixels leave the X screen a
            # moment after the window has gone.
            time.sleep(2)
            overlay(session, app, args.xoverlay, args.rounds)
        return 0

    with harness.Session(exe, probe, size=SIZE) as session:
        startup(session, args.xoverlay, exe, one_window, args.startup_rounds)
        baseline = session.launch(exe=one_window)
        baseline.wait_window("KelvoraBenchOneWindow", visible=True)
        app = session.launch()
        app.wait_window("TForm1", visible=True)
        harness.wait_until(lambda: not app.window("TForm1")["visible"], timeout=30, interval=0.5,
                           what="the banner to fade out")
        time.sleep(2)
        say("idle_rssanon_kb", status_kb(app.linux_pid, "RssAnon"))
        say("idle_vmrss_kb", status_kb(app.linux_pid, "VmRSS"))
        say("baseline_rssanon_kb", status_kb(baseline.linux_pid, "RssAnon"))
        say("baseline_vmrss_kb", status_kb(baseline.linux_pid, "VmRSS"))
        # Its caption would change colour with the activations of the rounds below.
        baseline.end()

        ticks, switched = cpu_ticks(app.linux_pid), switches(app.linux_pid)
        time.sleep(args.idle)
        say("idle_seconds", args.idle)
        say("idle_cpu_ticks", cpu_ticks(app.linux_pid) - ticks)
        say("idle_context_switches", switches(app.linux_pid) - switched)

        overlay(session, app, args.xoverlay, args.rounds)
        say("after_overlay_rssanon_kb", status_kb(app.linux_pid, "RssAnon"))

        # Memory after many commands through the program, as a user gives
        # them: it must stay flat once every command has run a few times.
        settle = min(10, args.commands)
        for done in range(1, args.commands + 1):
            region_capture(session, app)
            desktop_capture(session, app)
            show_viewer(session, app)
            if done == settle:
                say("commands_settled_rssanon_kb", status_kb(app.linux_pid, "RssAnon"))
        say("commands_done", args.commands)
        say("commands_settled", settle)
        say("commands_all_rssanon_kb", status_kb(app.linux_pid, "RssAnon"))
    return 0


def startup(session, xoverlay, exe, one_window, rounds):
    """From the process's start to its first painted frame: the one-window
    program's client area, kelvora.exe's green banner; and to kelvora.exe's
    icon in the notification area (the bottom right corner of the taskbar
    changing). Timed from outside by xoverlay, in interleaved rounds."""
    width, height = SIZE
    exe, one_window = exe.resolve(), one_window.resolve()
    watches = {
        # A run of the window's white client area, inside its frame at 10, 10.
        one_window: "80 20 200 ffffff 40 0 0 0 0",
        # A run of the banner's green across the middle of the screen, and
        # the notification area.
        exe: f"{height // 2} 0 {width} 008000 40 {width - 200} {height - 28} {width} {height}",
    }
    times = {"one_window_paint": [], "banner_paint": [], "tray_icon": []}
    watcher = subprocess.Popen([str(xoverlay)], env=session.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               text=True)
    try:
        for _ in range(rounds):
            for program in (one_window, exe):
                before = set(session.processes(program.name))
                watcher.stdin.write(f"start {watches[program]}\n")
                watcher.stdin.flush()
                if harness.readline(watcher.stdout, 30, "xoverlay").strip() != "watching":
                    raise harness.HarnessError("xoverlay did not start watching")
                began = time.monotonic() * 1000
                popen = subprocess.Popen([harness.loader_for(program), str(program)], env=session.env,
                                         cwd=session.workdir, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL)
                painted, changed = (float(v) for v in harness.readline(watcher.stdout, 30, "xoverlay").split())
                if program == exe:
                    times["banner_paint"].append(painted - began if painted >= 0 else None)
                    times["tray_icon"].append(changed - began if changed >= 0 else None)
                else:
                    times["one_window_paint"].append(painted - began if painted >= 0 else None)
                win_pid = harness.wait_until(lambda: next(iter(set(session.processes(program.name)) - before), None),
                                             timeout=10, what=f"{program.name} in the process list")
                harness.App(session, popen, win_pid, None).end()
                # The banner and the icon gone before the next start is watched.
                time.sleep(1.5)
    finally:
        watcher.stdin.close()
        watcher.wait(timeout=10)
    for name, values in times.items():
        got = [v for v in values if v is not None]
        if got:
            say(f"startup_{name}_ms", f"{min(got):.1f} {statistics.median(got):.1f} {max(got):.1f}")
        say(f"startup_{name}_missed", len(values) - len(got))


def overlay(session, app, xoverlay, rounds):
    """The overlay's rounds: the tray menu opened, "抓区域图" clicked through
    xoverlay, the times to the selector mapped and to its still picture
    shown; a click then closes the selector."""
    helper = subprocess.Popen([str(xoverlay)], env=session.env, stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, text=True)
    mapped, painted, missed = [], [], 0
    # The mouse rests where it raises no hint: without Wine's desktop, the
    # top-left corner is Wine's own tray window, whose icon would show its
    # hint there and take the click meant for the icon.
    rest = (session.size[0] - 1, session.size[1] - 1) if session.heads else (0, 0)
    try:
        for _ in range(rounds):
            session.move(*rest)
            time.sleep(0.3)
            helper.stdin.write("ref\n")
            helper.stdin.flush()
            harness.readline(helper.stdout, 10, "the reference rows")
            icon = harness.wait_until(lambda: session.tray_icons(TRAY_TIP), timeout=10,
                                      what="the tray icon")[-1]
            menu = open_tray_menu(session, icon)
            item = next(i for i in menu["items"] if i["text"].replace("&", "") == "抓区域图")
            rect = item["rect"]
            helper.stdin.write(f"click {(rect['left'] + rect['right']) // 2 + session.primary_at[0]} "
                               f"{(rect['top'] + rect['bottom']) // 2 + session.primary_at[1]}\n")
            helper.stdin.flush()
            answer = harness.readline(helper.stdout, 10, "the overlay time").split()
            if answer[0] == "timeout":
                missed += 1
                print("session_bench: overlay round timed out:", " ".join(answer), file=sys.stderr)
            else:
                mapped.append(float(answer[0]))
                painted.append(float(answer[1]))
            # A click without a drag closes the selector; the empty
            # capture asks nothing.
            app.wait_window("TNewform", visible=True)
            session.click(5, 5)
            harness.wait_until(lambda: not app.window("TNewform")["visible"], timeout=10,
                               what="the selector to close")
    finally:
        helper.stdin.close()
        helper.wait(timeout=10)
    for name, values in (("overlay_mapped", mapped), ("overlay_painted", painted)):
        if values:
            say(f"{name}_ms", f"{min(values):.1f} {statistics.median(values):.1f} {max(values):.1f}")
    say("overlay_rounds", len(painted))
    say("overlay_missed", missed)


def open_tray_menu(session, icon):
    """Right-clicks the tray icon until its menu shows. Without Wine's
    desktop (and with no window manager) the first click on Wine's own tray
    window can go to activating that window, and no menu opens."""
    for attempt in range(3):
        session.click_tray_icon(icon, button=3)
        menu = harness.eventually(lambda: next((m for m in session.menus() if m["items"]), None),
                                  timeout=3 if session.heads and attempt < 2 else 5, interval=0.1)
        if menu or not session.heads:
            break
    if not menu:
        raise TimeoutError("the tray menu did not open")
    return menu


def choose(session, text):
    icon = harness.wait_until(lambda: session.tray_icons(TRAY_TIP), timeout=10, what="the tray icon")[-1]
    session.click_tray_icon(icon, button=3)
    harness.wait_until(lambda: next((m for m in session.menus() if m["items"]), None), timeout=5,
                       what="the tray menu")
    session.click_menu_item(text)


def answer(session, app, caption, control_id):
    """Clicks a button of the message box with that caption, once its text is in it."""
    box = harness.wait_until(
        lambda: next((d for d in app.dialogs()
                      if d["window"]["visible"] and d["caption"] == caption and any(d["texts"])), None),
        timeout=10, what=f"the message {caption!r}")
    hwnd, pid = box["window"]["hwnd"], box["window"]["pid"]

    def showing():
        return [d for d in session.probe("dialog", pid, check=False) if d["window"]["hwnd"] == hwnd]

    def button():
        return next((c for d in showing() for c in d["controls"] if c["id"] == control_id and c["visible"]), None)
    session.click_rect(harness.wait_until(button, timeout=10, what=f"button {control_id}")["rect"])
    harness.wait_until(lambda: not showing(), timeout=10, what=f"the message {caption!r} to close")


def region_capture(session, app):
    choose(session, "抓区域图")
    app.wait_window("TNewform", visible=True)
    session.drag((200, 150), (520, 390))
    answer(session, app, "Kelvora2.0", 7)  # No: nothing saved


def desktop_capture(session, app):
    choose(session, "抓桌面图")
    answer(session, app, "存档or显示", 2)  # Cancel: the capture file only


def show_viewer(session, app):
    choose(session, "显示抓图")
    viewer = app.wait_window("TForm3", visible=True)
    session.close(viewer["hwnd"])
    harness.wait_until(lambda: not (app.window("TForm3") or {}).get("visible"), timeout=10,
                       what="the viewer to close")


if __name__ == "__main__":
    sys.exit(main())
