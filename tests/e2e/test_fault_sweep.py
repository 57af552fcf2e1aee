"""The fault sweep: each tray command run as a user runs it, once to learn
every fallible call it makes (its call sites), then once more for each site
with that call failing, inside the real kelvora.exe. faultinject.dll, loaded
by tests/e2e/faults' tool, replaces the program's imports with wrappers that
fail the armed call as the system fails it; nothing of it ships.

Each case checks that the program still runs and the next command works;
that a result the user lost came with an error box, and a clear one; that
the capture file, D:\\ and the saved copy each hold either what they held or
the new complete picture; that no temporary file is left; and that the GDI
objects and DCs the program made through the wrapped calls are freed again
(the platform's own counts answer 0 under Wine). It prints the sweep as a
table: call sites x commands.

    python3 tests/e2e/run.py --exe ... --probe ... test_fault_sweep
    KELVORA_SWEEP="viewer, save" ...   that command alone
    KELVORA_SWEEP=all ...        every command, and each site in every command
                                 that reaches it (the test command sweeps each
                                 site once, in the first command of the table
                                 that reaches it, and leaves out the icon
                                 commands and the about box)
"""

import json
import os
import subprocess
import time
import unittest
from pathlib import Path
from typing import NamedTuple

import harness
from test_capture import (CAPTURE_NAME, DESKTOP_CAPTION, IDCANCEL, IDNO, IDOK, IDYES, PATTERN, SAVE_CAPTION,
                          CaptureSteps, bmp_fields, halftone_colour, windows_path)

APP_TITLE = "Kelvorav21"
VIEWER_MESSAGE = "魔法提示"
ORVAK = r"HKLM\SOFTWARE\Orvak"
DISPLAY_TIME = "OrvakTuV20Time"
RUN_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
AUTOSTART = "OrvakTuV20"
COPY_NAME = "copy.bmp"
# What a file holds before a case: anything the command writes must replace
# it whole, or leave it.
MARKER = b"old content"
# The region dragged: inside the pattern window.
REGION = (PATTERN[0] + 30, PATTERN[1] + 20, PATTERN[0] + 150, PATTERN[1] + 110)


class Command(NamedTuple):
    name: str
    item: str
    answers: dict = {}     # a message box's caption: the button to answer it with
    drag: bool = False     # the region selector shows: drag REGION
    window: str = None     # the window the command opens, closed once done with
    save: bool = False     # the save dialog is given COPY_NAME (from the viewer: through its menu)
    settings: bool = False  # autostart on, display time 30 s
    writes: tuple = ()     # "capture", "drive_d", "copy"
    first: object = None   # what shows first when all goes well (a caption or a window class)
    then: str = None       # an item chosen after it, to leave things as they were
    swept: bool = True     # in the test command's sweep (else only with KELVORA_SWEEP=all)


COMMANDS = [
    Command("region, No", "抓区域图", {SAVE_CAPTION: IDNO}, drag=True, writes=("capture",), first="TNewform"),
    Command("region, Yes", "抓区域图", {SAVE_CAPTION: IDYES}, drag=True, save=True, writes=("capture", "copy"),
            first="TNewform"),
    Command("desktop, Cancel", "抓桌面图", {DESKTOP_CAPTION: IDCANCEL}, writes=("capture",), first=DESKTOP_CAPTION),
    Command("desktop, No", "抓桌面图", {DESKTOP_CAPTION: IDNO}, writes=("capture", "drive_d"),
            first=DESKTOP_CAPTION),
    Command("desktop, Yes Yes", "抓桌面图", {DESKTOP_CAPTION: IDYES, SAVE_CAPTION: IDYES}, save=True,
            writes=("capture", "copy"), first=DESKTOP_CAPTION),
    Command("viewer", "显示抓图", window="TForm3", first="TForm3"),
    Command("viewer, save", "显示抓图", window="TForm3", save=True, writes=("copy",), first="TForm3"),
    Command("settings", "抓图设置", window="TForm4", settings=True, first="TForm4"),
    Command("change icon", "更换图标", swept=False),
    # The animation changes the icon's pictures every second: it is stopped
    # again, so that the objects counted stand still.
    Command("animate", "图标随机", then="原来图标", swept=False),
    Command("first icon", "原来图标", swept=False),
    Command("about", "关于我们", window="TAboutBox", first="TAboutBox", swept=False),
]

# A table cell: what failing that call in that command came to.
ERROR, ABSORBED, NOT_REACHED, NO_MENU, BROKEN = "E", ".", "-", "m", "X"
LEGEND = (f"{ERROR} error box, files whole  {ABSORBED} nothing lost, no error needed  "
          f"{NO_MENU} the menu did not open  {NOT_REACHED} not reached this time  {BROKEN} a check failed")


class FaultSweepTest(CaptureSteps):

    time_limit = 3600

    def setUp(self):
        super().setUp()
        self.folder = Path(self.session.run_dir) / "sweep"
        self.folder.mkdir(exist_ok=True)
        self.tool = self.session.probe_exe.parent / "fault.exe"
        self.session.reg_delete(RUN_KEY, AUTOSTART)
        self.addCleanup(self.session.reg_delete, RUN_KEY, AUTOSTART)

    # ---- the fault tool -----------------------------------------------------

    def fault(self, *args):
        """The tool's answer. The tool is a Wine process of its own: one that
        failed while the program still runs is started once more; otherwise
        the failure says what the tool and the program left."""
        for attempt in range(2):
            done = subprocess.run([self.session.loader, str(self.tool), *map(str, args)], env=self.session.env,
                                  capture_output=True, timeout=60)
            answer = json.loads(done.stdout.decode(errors="replace").strip() or "null")
            if done.returncode == 0 and answer is not None:
                return answer
            if attempt or not self.app.running():
                break
            print(f"\n  sweep: the fault tool failed ({done.returncode}) while the program runs: started again",
                  end="", flush=True)
        program = "still runs" if self.app.running() else \
            f"has ended ({self.app.popen.returncode}); its log ends: {self.app.log.read_bytes()[-600:]!r}"
        raise harness.HarnessError(f"fault {' '.join(map(str, args))}: exit {done.returncode}, "
                                   f"{done.stderr[-300:]!r}; after {self.last_case}, the program {program}")

    def settled_live(self, pid, baseline=None):
        """The live object count, once it has come back to the baseline or
        stopped moving (windows go a moment after they close)."""
        live = self.fault("state", pid)["live"]
        deadline = time.monotonic() + 3
        while live != baseline and time.monotonic() < deadline:
            time.sleep(0.2)
            now = self.fault("state", pid)["live"]
            if baseline is None and now == live:
                break
            live = now
        return live

    # ---- a command as a user runs it ----------------------------------------

    def run_command(self, app, command):
        """Runs the command through whatever shows; answers the errors seen
        (their texts), or None when the tray menu did not open."""
        try:
            self.choose(command.item)
        except (TimeoutError, harness.HarnessError):
            return None
        errors, done = [], {}
        started = time.monotonic()
        quiet_since = None
        while time.monotonic() - started < 40:
            dialogs = [d for d in app.dialogs() if d["window"]["visible"]]
            windows = {w["class"]: w for w in app.windows() if w["visible"]}
            if dialogs:
                quiet_since = None
                self.answer_dialog(app, dialogs[0], command, errors, done)
                continue
            if command.drag and "TNewform" in windows and "drag" not in done:
                done.update(drag=True, TNewform=True)
                self.drag(REGION[:2], REGION[2:])
                continue
            if command.window in windows:
                done[command.window] = True
                self.use_window(app, windows[command.window], command, done)
                continue
            # Nothing of the command's is showing: it has ended once it stays
            # so (or once what it shows first has had time to come).
            if command.first and command.first not in done and not errors and time.monotonic() - started < 5:
                time.sleep(0.1)
                continue
            quiet_since = quiet_since or time.monotonic()
            if time.monotonic() - quiet_since > 0.5:
                break
            time.sleep(0.1)
        if command.then:
            self.choose(command.then)
        return None if "no menu" in done else errors

    def answer_dialog(self, app, dialog, command, errors, done):
        texts = [t for t in dialog["texts"] if t]
        if dialog["caption"] == APP_TITLE and not any(VIEWER_MESSAGE in t for t in texts):
            seen = done.setdefault(("seen", dialog["window"]["hwnd"]), time.monotonic())
            if not texts and time.monotonic() - seen < 1:
                time.sleep(0.1)  # the box can show a moment before its text
                return
            errors.append(" ".join(texts))
            self.answer(dialog, IDOK)
        elif dialog["caption"] == APP_TITLE:
            self.answer(dialog, IDOK)
        elif dialog["caption"] in command.answers:
            done[dialog["caption"]] = True
            self.answer(dialog, command.answers[dialog["caption"]])
        elif any(c["class"] == "Edit" and c["id"] == 1148 for c in dialog["controls"]):
            done["save"] = True
            self.save_as(app, self.folder / COPY_NAME)
        else:
            raise AssertionError(f"{command.name}: an unexpected dialog {dialog['caption']!r}: {texts}")

    def use_window(self, app, window, command, done):
        if command.window == "TForm3" and command.save and "menu" not in done:
            done["menu"] = True
            left, top = window["rect"]["left"], window["rect"]["top"]
            self.session.click(left + 100, top + 100, button=3)
            if harness.eventually(lambda: any(m["items"] for m in self.session.menus()), timeout=3):
                self.session.click_menu_item("图片另存为...")
            else:
                done["no menu"] = True
            return
        if command.settings and "clicks" not in done:
            done["clicks"] = True
            buttons = harness.eventually(lambda: {c["text"]: c for c in self.session.children(window["hwnd"])
                                                  if c["class"] == "TRadioButton"}, timeout=3) or {}
            for text in ("每次开机自行启动。", "画面显示时间为30秒"):
                if text in buttons:
                    self.session.click_rect(buttons[text]["rect"])
            time.sleep(0.3)
            return
        self.session.close(window["hwnd"])
        harness.eventually(lambda: not (app.window(command.window) or {}).get("visible"), timeout=5)

    # ---- what a case left -----------------------------------------------------

    def files(self):
        return {"capture": self.folder / CAPTURE_NAME, "drive_d": self.session.d_drive / CAPTURE_NAME,
                "copy": self.folder / COPY_NAME}

    def prepare(self, command):
        """Each file the command writes holds MARKER; the viewer finds the
        last good capture."""
        for name, path in self.files().items():
            if name in command.writes:
                path.write_bytes(MARKER)
            elif name == "capture":
                path.write_bytes(self.good_capture)
            elif path.exists():
                path.unlink()
        if command.settings:
            self.session.reg_add(ORVAK, DISPLAY_TIME, "3000", kind="REG_DWORD")
            self.session.reg_delete(RUN_KEY, AUTOSTART)

    def same_picture(self, name, got, want):
        """The desktop capture is compared where the pattern window is: the
        taskbar beside it may repaint between two captures."""
        if got == want:
            return True
        if len(got) != len(want) or bmp_fields(got)["bits"] != 8 or got[:54 + 1024] != want[:54 + 1024]:
            return False
        width = bmp_fields(got)["width"]
        stride, offset, height = (width + 3) // 4 * 4, 54 + 1024, bmp_fields(got)["height"]
        left, top, w, h = PATTERN
        rows = [offset + (height - 1 - y) * stride for y in range(top, top + h)]
        return all(got[r + left:r + left + w] == want[r + left:r + left + w] for r in rows)

    def effects(self, command, reference):
        """(complete, problems): whether everything the command does took
        effect, and what was found broken."""
        problems, complete = [], True
        for name in command.writes:
            path = self.files()[name]
            got = path.read_bytes() if path.exists() else None
            if got == MARKER:
                complete = False
            elif got is None or not self.same_picture(name, got, reference[name]):
                problems.append(f"{name}: {'gone' if got is None else f'a part or a wrong picture ({len(got)} bytes)'}")
        if command.settings:
            time_now = self.session.reg_query(ORVAK, DISPLAY_TIME)
            autostart = self.session.reg_query(RUN_KEY, AUTOSTART)
            complete = complete and time_now == "0x7530" and bool(autostart)
        left = sorted(p.name for folder in (self.folder, self.session.d_drive) for p in folder.iterdir()
                      if p.name not in (CAPTURE_NAME, COPY_NAME))
        if left:
            problems.append(f"files left behind: {left}")
        return complete, problems

    # ---- the sweep -----------------------------------------------------------

    def learn(self, app, command):
        """The happy path with the sites counted: the reference files, the
        sites, and the live objects once it is over."""
        self.prepare(command)
        self.fault("record", app.win_pid)
        self.last_case = f"{command.name} as it runs without faults"
        errors = self.run_command(app, command)
        sites = self.fault("sites", app.win_pid)["sites"]
        self.assertEqual(errors, [], f"{command.name}: the happy path shows no error")
        reference = {name: self.files()[name].read_bytes() for name in command.writes}
        if "capture" in reference and command.drag:
            self.assert_region_file(reference["capture"], *REGION, self.palette,
                                    colour=lambda x, y: halftone_colour(self.palette, x, y))
        elif "capture" in reference:
            self.assert_desktop_file(reference["capture"], self.palette)
        self.good_capture = reference.get("capture", self.good_capture)
        return reference, sites, self.settled_live(app.win_pid)

    def case(self, app, command, site, reference):
        self.prepare(command)
        self.fault("arm", app.win_pid, site["function"], site["site"])
        self.last_case = f"{command.name} with {site['function']}@{site['site']:#x} failed"
        errors = self.run_command(app, command)
        state = self.fault("disarm", app.win_pid)
        problems = []
        if not app.running():
            return BROKEN, ["the program ended"], []
        complete, found = self.effects(command, reference)
        problems += found
        if errors is None:
            # A menu that did not open started nothing: the files must
            # still hold what they held.
            outcome, complete = NO_MENU, True
            problems += [f"{name}: written" for name in command.writes
                         if self.files()[name].exists() and self.files()[name].read_bytes() != MARKER]
        elif state["armed"]:
            outcome = NOT_REACHED
        elif errors:
            outcome = ERROR
        else:
            outcome = ABSORBED
        if errors and not all(e.strip() for e in errors):
            problems.append("an error box without a text")
        if not complete and not errors:
            problems.append("the result was lost without a word")
        return (BROKEN if problems else outcome), problems, errors or []

    @unittest.skipIf(os.environ.get("KELVORA_LANE") == "wine10",
                     "the library fails the calls, not Wine: the sweep runs in the Wine 8 lane alone")
    def test_every_fallible_call_of_each_command_failed_in_turn(self):
        chosen = os.environ.get("KELVORA_SWEEP", "")
        everything = chosen == "all" or chosen in {c.name for c in COMMANDS}
        self.palette = self.show_pattern("halftone")
        app = self.app = self.start_kelvora(cwd=self.folder)
        self.last_case = "the start"
        app.wait_window("TForm1", visible=True)
        harness.wait_until(lambda: not app.window("TForm1")["visible"], timeout=10, what="the banner to hide")
        self.assertTrue(self.fault("load", app.win_pid)["loaded"])
        # The viewer's commands show a capture: one is taken first.
        self.good_capture = MARKER
        self.learn(app, COMMANDS[2])
        table, messages, problems = {}, {}, []
        commands = [c for c in COMMANDS if c.name == chosen or (chosen in ("", "all") and (everything or c.swept))]
        started = time.monotonic()
        for command in commands:
            reference, sites, baseline = self.learn(app, command)
            print(f"\n  sweep: {command.name}: {len(sites)} call sites", end="", flush=True)
            for site in sites:
                # A site that an earlier command reached (the menu, the
                # picture code the captures share) is swept there once,
                # unless the whole table is asked for.
                if not everything and any(key == (site["function"], site["site"]) for key, _ in table):
                    continue
                outcome, found, errors = self.case(app, command, site, reference)
                table[(site["function"], site["site"]), command.name] = outcome
                for error in errors:
                    messages.setdefault(error, set()).add(command.name)
                for problem in found:
                    problems.append(f"{command.name}, {site['function']}@{site['site']:#x}: {problem}")
                    print(f"\n  sweep: {problems[-1]}", end="", flush=True)
            # After the sweep of a command, it still works as it did (no
            # allocation has order 0: nothing fails).
            _, after, errors = self.case(app, command, {"function": "malloc", "site": 0}, reference)
            problems += [f"{command.name}, after its sweep: {p}" for p in after + errors]
            # What the failures left is freed by then. A case alone may
            # leave more: a picture keeps the DC it was last drawn through
            # until it is next saved.
            live = self.settled_live(app.win_pid, baseline)
            if live > baseline:
                problems.append(f"{command.name}: {live - baseline} GDI objects or DCs not freed over its sweep")
        self.print_table(table, commands, messages, time.monotonic() - started)
        self.assertEqual(problems, [])

    def print_table(self, table, commands, messages, seconds):
        sites = sorted({site for site, _ in table})
        where = harness.source_lines(self.session.exe, [offset for function, offset in sites if function != "malloc"])
        rows = [(f"{function} #{offset}" if function == "malloc" else f"{function} {where.get(offset, hex(offset))}",
                 [table.get(((function, offset), c.name), "") for c in commands]) for function, offset in sites]
        width = max(len(label) for label, _ in rows)
        print(f"\n\nfault sweep: {len(sites)} call sites, {len(table)} cases, {len(commands)} commands "
              f"in {seconds:.0f} s")
        for i, command in enumerate(commands):
            print(f"  {chr(ord('A') + i)} = {command.name}")
        print(" " * (width + 2) + " ".join(chr(ord("A") + i) for i in range(len(commands))))
        for label, cells in rows:
            print(f"  {label.ljust(width)}" + " ".join(cell or " " for cell in cells))
        print("  " + LEGEND)
        for text, names in sorted(messages.items()):
            print(f"  error box {text!r}: {', '.join(sorted(names))}")


if __name__ == "__main__":
    unittest.main()
