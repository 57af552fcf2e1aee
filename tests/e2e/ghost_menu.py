"""Whose is a closed tray menu that stays on the screen? ghostmenu.exe, a tray
program of the tests' own, shows a message box after a menu choice, with
nothing in between ("none"), the captures' wait for the menu to leave the
screen ("wait"), or that wait and a screen copy ("copy"). Each round chooses
an item, and once the box shows, and again once it is answered, looks at the
screen where the menu was. Slow, so not one of the default run's tests: run it
by name,

    tests/e2e/run.py --exe ... --probe ... ghost_menu
    bash scripts/test-wine10.sh e2e ghost_menu

It counts what it saw (tests/e2e/artifacts/<lane>/ghost-menu-*.txt) and fails
only when the wait leaves the menu on the screen more often than nothing."""

import os
import subprocess
import sys

from PIL import ImageChops

import harness

TIP = "ghost menu"
ITEM = "Second item"
ROUNDS = int(os.environ.get("KELVORA_GHOST_ROUNDS", "20"))
MODES = ("none", "wait", "copy")
IDOK = 1


class GhostMenu(harness.KelvoraTestCase):
    time_limit = 1800

    def test_idle(self):
        self.count("idle")

    def test_under_load(self):
        """Two busy loops, one per core of these machines."""
        for _ in range(2):
            busy = subprocess.Popen(["sh", "-c", "while :; do :; done"])
            self.addCleanup(busy.wait)
            self.addCleanup(busy.kill)
        self.count("load")

    def count(self, load):
        table = {mode: self.rounds(mode, load) for mode in MODES}
        lines = [f"{os.environ.get('KELVORA_LANE', 'host')} {harness.wine_version()} {load}: "
                 "mode, rounds, menu on the screen with the box shown, after it was answered"]
        lines += [f"  {mode:5} {ROUNDS:3} {shown:3} {after:3}" for mode, (shown, after) in table.items()]
        (harness.ARTIFACTS / f"ghost-menu-{load}.txt").write_text("\n".join(lines) + "\n")
        print("\n" + "\n".join(lines), file=sys.stderr)
        self.assertLessEqual(table["wait"][1], table["none"][1], "the wait leaves the menu on the screen")

    def rounds(self, mode, load):
        session = self.session
        app = session.launch(session.probe_exe.parent / "ghostmenu.exe", args=[mode])
        shown = after = 0
        try:
            for round_ in range(ROUNDS):
                before = self.at_rest()
                icon = harness.wait_until(lambda: session.tray_icons(TIP), timeout=10, what="the tray icon")[-1]
                session.click_tray_icon(icon, button=3)
                menu = harness.wait_until(lambda: next((m for m in session.menus() if m["items"]), None),
                                          timeout=5, what="the menu")["rect"]
                # The place looked at is the menu's: it shows there while open.
                harness.wait_until(lambda: self.stale(before, menu, None, "ghost-menu-open"), timeout=5,
                                   what="the menu on the screen")
                session.click_menu_item(ITEM)
                session.move(0, 0)
                box = harness.wait_until(
                    lambda: next((d for d in app.dialogs() if d["window"]["visible"] and any(d["texts"])), None),
                    timeout=10, what="the message box")
                name = f"ghost-menu-{load}-{mode}-{round_}"
                if self.stale(before, menu, box["window"]["rect"], name + "-box"):
                    shown += 1
                self.answer(app, box)
                if self.stale(before, menu, None, name + "-answered"):
                    after += 1
        finally:
            window = app.window("KelvoraGhostMenu")
            if window:
                session.close(window["hwnd"])
            app.wait_exit()
        return shown, after

    def at_rest(self):
        """The screen once two screenshots in a row agree."""
        previous = None

        def rest():
            nonlocal previous
            current = self.session.screen("ghost-menu-before")
            same = previous is not None and current.tobytes() == previous.tobytes()
            previous = current
            return current if same else None
        return harness.wait_until(rest, timeout=15, interval=0.2, what="the screen to be at rest")

    def stale(self, before, menu, box, name):
        """Whether the screen differs from `before` where the menu was (the
        box's place left out); keeps the screenshot when it does."""
        now = self.session.screen(name)
        area = (max(0, menu["left"]), max(0, menu["top"]), menu["right"], menu["bottom"])
        was, current = before.crop(area), now.crop(area)
        if box:
            cover = (box["left"] - area[0], box["top"] - area[1], box["right"] - area[0], box["bottom"] - area[1])
            was.paste((0, 0, 0), cover)
            current.paste((0, 0, 0), cover)
        if ImageChops.difference(was, current).getbbox() is None:
            (harness.ARTIFACTS / f"{name}.png").unlink()
            return False
        return True

    def answer(self, app, box):
        hwnd = box["window"]["hwnd"]

        def button():
            return next((c for d in app.dialogs() if d["window"]["hwnd"] == hwnd
                         for c in d["controls"] if c["id"] == IDOK and c["visible"]), None)
        self.session.click_rect(harness.wait_until(button, timeout=10, what="the OK button")["rect"])
        harness.wait_until(lambda: not any(d["window"]["hwnd"] == hwnd for d in app.dialogs()),
                           timeout=10, what="the box to close")
