"""Captures when the file system fails the program: a disk that fills up
during the write, the current directory taken away, a folder where the
capture file belongs. Each must report the error, lose nothing that was
there, leave no temporary file, and keep the program running."""

import os
import shutil
import subprocess
import tempfile
from pathlib import Path

import harness

TRAY_TIP = "Kelvora^_^"
ORVAK = r"HKLM\SOFTWARE\Orvak"
DISPLAY_TIME = "OrvakTuV20Time"
CAPTURE_NAME = "新截图1.BMP"
DESKTOP_CAPTION = "存档or显示"
SAVE_CAPTION = "Kelvora2.0"
IDCANCEL, IDNO = 2, 7


class FaultTest(harness.KelvoraTestCase):

    def setUp(self):
        super().setUp()
        # Long enough for the banner to be seen shown before it hides, on a
        # busy machine too.
        self.session.reg_add(ORVAK, DISPLAY_TIME, "1500", kind="REG_DWORD")
        self.addCleanup(self.session.reg_delete, ORVAK, DISPLAY_TIME)

    # ---- steps ----------------------------------------------------------------

    def start_in(self, folder):
        app = self.start_kelvora(cwd=folder)
        app.wait_window("TForm1", visible=True)
        harness.wait_until(lambda: not app.window("TForm1")["visible"], timeout=10, what="the banner to hide")
        self.icon = harness.wait_until(lambda: self.session.tray_icons(TRAY_TIP), timeout=10,
                                       what="the tray icon")[-1]
        return app

    def choose(self, text):
        self.session.click_tray_icon(self.icon, button=3)
        harness.wait_until(lambda: any(m["items"] for m in self.session.menus()), timeout=5, what="the tray menu")
        self.session.click_menu_item(text)

    def dialog(self, app, caption):
        """The visible box with that caption, once its text is in it: Wine 10
        has shown a box a moment before its text."""
        return harness.wait_until(
            lambda: next((d for d in app.dialogs()
                          if d["window"]["visible"] and d["caption"] == caption and any(d["texts"])), None),
            timeout=10, what=f"the dialog {caption!r} with its text")

    def answer(self, app, dialog, control_id):
        self.session.answer(dialog, control_id)

    def region_capture(self, app, start, end):
        self.choose("抓区域图")
        app.wait_window("TNewform", visible=True)
        self.session.drag(start, end)

    def error_box(self, app):
        """The application's error box: its text, once dismissed."""
        box = self.dialog(app, "Kelvorav21")
        self.session.screenshot(f"fault-{self._testMethodName}")
        self.answer(app, box, 1)
        return box["texts"]

    def assert_still_working(self, app):
        """The program goes on: its menu opens and the viewer answers."""
        self.assertTrue(app.running())
        self.choose("显示抓图")
        app.wait_dialog()  # the viewer's message, whatever it says
        box = next(d for d in app.dialogs() if d["window"]["visible"])
        self.answer(app, box, 1)
        viewer = app.wait_window("TForm3", visible=True)
        self.session.close(viewer["hwnd"])
        harness.wait_until(lambda: not app.window("TForm3")["visible"], timeout=5, what="the viewer to close")

    # ---- tests ----------------------------------------------------------------

    def test_a_disk_that_fills_during_the_write_keeps_the_previous_capture_and_no_temporary_file(self):
        folder = Path(tempfile.mkdtemp(prefix="small-disk-", dir=self.session.run_dir))
        # A tmpfs of 1.25 MiB: room for a small capture and a filler, not
        # for the 0.75 MiB desktop capture after them.
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=1280k", "tmpfs", str(folder)],
                                 capture_output=True, text=True)
        if mounted.returncode != 0:
            self.fail(f"could not emulate a full disk: mounting a small tmpfs failed ({mounted.stderr.strip()})")
        self.addCleanup(subprocess.run, ["umount", "-l", str(folder)], check=False)
        print("  (full disk emulated by a 1280 KiB tmpfs)", end=" ", flush=True)
        app = self.start_in(folder)
        capture = folder / CAPTURE_NAME

        self.region_capture(app, (300, 200), (340, 230))
        question = self.dialog(app, SAVE_CAPTION)
        previous = capture.read_bytes()
        self.assertGreater(len(previous), 0)
        self.answer(app, question, IDNO)
        free = shutil.disk_usage(folder).free
        (folder / "filler").write_bytes(b"\0" * (free - 300 * 1024))

        self.choose("抓桌面图")
        texts = self.error_box(app)
        self.assertTrue(any(t.startswith("Stream write error") for t in texts), texts)
        self.assertEqual([d for d in app.dialogs() if d["window"]["visible"]], [], "no question after the failure")
        self.assertEqual(capture.read_bytes(), previous, "the previous capture is intact")
        self.assertEqual(sorted(p.name for p in folder.iterdir()), sorted([CAPTURE_NAME, "filler"]),
                         "no temporary file is left")
        self.assertTrue(app.running())

    def test_the_current_directory_removed_while_running_reports_and_goes_on(self):
        folder = Path(tempfile.mkdtemp(prefix="gone-", dir=self.session.run_dir))
        app = self.start_in(folder)
        shutil.rmtree(folder)
        self.choose("抓桌面图")
        texts = self.error_box(app)
        self.assertTrue(any(t.startswith("Cannot create file") for t in texts), texts)
        self.assertFalse(folder.exists())
        self.assert_still_working(app)

    def test_a_folder_named_like_the_capture_file_is_left_alone(self):
        folder = Path(tempfile.mkdtemp(prefix="folder-", dir=self.session.run_dir))
        (folder / CAPTURE_NAME).mkdir()
        (folder / CAPTURE_NAME / "keep.txt").write_text("mine")
        app = self.start_in(folder)
        self.choose("抓桌面图")
        texts = self.error_box(app)
        self.assertTrue(any(t.startswith("Cannot create file") for t in texts), texts)
        self.assertTrue((folder / CAPTURE_NAME).is_dir())
        self.assertEqual((folder / CAPTURE_NAME / "keep.txt").read_text(), "mine")
        self.assertEqual(sorted(p.name for p in folder.iterdir()), [CAPTURE_NAME], "no temporary file is left")
        self.assertTrue(app.running())
        # The tray menu still works after the error.
        self.choose("原来图标")
        self.assertTrue(app.running())

    def test_a_window_elsewhere_that_never_paints_when_asked_holds_up_no_capture(self):
        # Another program's window under the tray menu: it answers at once
        # and paints when its own loop asks, never when asked from outside.
        width, height = self.session.size
        painter = subprocess.Popen([self.session.loader, str(self.session.probe_exe.parent / "slowpainter.exe"),
                                    str(width - 420), str(height - 560), "400", "520"],
                                   env=self.session.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.addCleanup(painter.wait)
        self.addCleanup(painter.kill)
        harness.readline(painter.stdout, 30, "the slow painter")
        folder = Path(tempfile.mkdtemp(prefix="slow-", dir=self.session.run_dir))
        app = self.start_in(folder)
        self.choose("抓桌面图")
        question = self.dialog(app, DESKTOP_CAPTION)
        self.session.screenshot("fault-slow-painter-question")
        self.answer(app, question, IDCANCEL)
        self.region_capture(app, (100, 100), (160, 150))
        self.answer(app, self.dialog(app, SAVE_CAPTION), IDNO)
        self.assertEqual(len((folder / CAPTURE_NAME).read_bytes()) > 0, True)
        self.assertIsNone(painter.poll(), "the painter still runs: it was never made to paint")

    def test_commands_chosen_during_the_start_up_error_box_do_nothing_harmful(self):
        # A display time the banner cannot read stops the start-up in an
        # error box, before the selector and the viewer exist; the tray
        # icon is already there.
        self.session.reg_add(ORVAK, DISPLAY_TIME, "abc")
        folder = Path(tempfile.mkdtemp(prefix="early-", dir=self.session.run_dir))
        app = self.start_kelvora(cwd=folder)
        box = self.dialog(app, "Kelvorav21")
        self.assertTrue(any(t.startswith("Invalid data type") for t in box["texts"]), box["texts"])
        self.icon = harness.wait_until(lambda: self.session.tray_icons(TRAY_TIP), timeout=10,
                                       what="the tray icon")[-1]
        for item in ("抓区域图", "显示抓图"):
            self.choose(item)
            shown = harness.eventually(
                lambda: [w["class"] for w in app.windows() if w["visible"] and w["class"] in ("TNewform", "TForm3")],
                timeout=1.5)
            self.assertIsNone(shown, f"{item} opened nothing")
            self.assertTrue(app.running(), f"{item} left the program running")
        self.answer(app, self.dialog(app, "Kelvorav21"), 1)
        # The start-up goes on once the box is answered.
        app.wait_window("TForm3")
        self.assert_still_working(app)


if __name__ == "__main__":
    import unittest
    unittest.main()
