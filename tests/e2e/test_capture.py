"""Region and desktop capture as a user runs them: from the tray menu, with a
drag on the selector, the questions answered with the mouse and a path typed
into the save dialog. A pattern window (pattern.exe) shows a known picture,
and the files written must hold exactly its pixels."""

import json
import subprocess
import sys
import time

import harness

TRAY_TIP = "Kelvora^_^"
ORVAK = r"HKLM\SOFTWARE\Orvak"
DISPLAY_TIME = "OrvakTuV20Time"
CAPTURE_NAME = "新截图1.BMP"
SAVE_QUESTION = "=Orvak=询问：\r\r图片是否保存？"
SAVE_CAPTION = "Kelvora2.0"
DESKTOP_QUESTION = ("“是”按钮=自己指定保存路径；\n\n“否”按钮=直接存成文件D:\\新截图1.BMP；\n\n"
                    "“取消”按钮=什么都不做！")
DESKTOP_CAPTION = "存档or显示"
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7

# Where pattern.exe shows its picture: clear of the banner in the middle of
# the screen and of the taskbar at the bottom.
PATTERN = (40, 30, 320, 240)


def pixel_colour(x, y):
    """pattern.exe's "pixels" picture at window point (x, y)."""
    return ((x * 37 + y) & 0xFF, (y * 59 + x // 3) & 0xFF, ((x // 7) * 23 + (y // 5) * 11) & 0xFF)


def halftone_colour(palette, x, y):
    """pattern.exe's "halftone" picture at window point (x, y)."""
    return tuple(palette[(x // 8 + (y // 8) * 7) % len(palette)])


def bmp_fields(data):
    """The header fields the capture file's layout fixes."""
    def u32(at):
        return int.from_bytes(data[at:at + 4], "little")
    return {"size": u32(2), "offset": u32(10), "width": u32(18), "height": u32(22),
            "bits": int.from_bytes(data[28:30], "little"), "compression": u32(30),
            "colours": u32(46),
            "table": [(data[at + 2], data[at + 1], data[at]) for at in range(54, 54 + 4 * u32(46), 4)]}


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class CaptureSteps(harness.KelvoraTestCase):
    """A user's steps of a capture, and the checks of the files it writes."""

    def setUp(self):
        super().setUp()
        # The banner hides itself a second and a half after the start, so
        # that it covers nothing the tests capture; long enough to be seen
        # shown first on a busy machine (half a second was missed at times).
        self.session.reg_add(ORVAK, DISPLAY_TIME, "1500", kind="REG_DWORD")
        self.addCleanup(self.session.reg_delete, ORVAK, DISPLAY_TIME)
        self.capture_file = self.session.workdir / CAPTURE_NAME
        self.drive_d_file = self.session.d_drive / CAPTURE_NAME
        for path in (self.capture_file, self.drive_d_file):
            if path.exists():
                path.unlink()

    # ---- set-up helpers ------------------------------------------------------

    def show_pattern(self, mode):
        """Starts pattern.exe; answers the halftone palette it reports."""
        exe = self.session.probe_exe.parent / "pattern.exe"
        process = subprocess.Popen([self.session.loader, str(exe), mode, *map(str, PATTERN)],
                                   env=self.session.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL)

        def end():
            process.stdin.close()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
            process.stdout.close()
        self.addCleanup(end)
        ready = json.loads(harness.readline(process.stdout, 30, "the pattern window"))
        palette = [tuple(entry) for entry in ready["palette"]]
        expected = pixel_colour if mode == "pixels" else (lambda x, y: halftone_colour(palette, x, y))
        self.wait_pattern_shown(expected, "the pattern window to paint")
        return palette

    def wait_pattern_shown(self, expected, what):
        """Waits until the screen shows the pattern's picture at a few points
        (a window that has not painted yet shows black here)."""
        points = [(5, 5), (160, 120), (300, 230)]

        def shown():
            screen = self.session.screen("capture-pattern")
            return all(screen.getpixel((PATTERN[0] + x, PATTERN[1] + y)) == expected(x, y) for x, y in points)
        harness.wait_until(shown, timeout=10, interval=0.1, what=what)

    def start(self):
        app = self.start_kelvora()
        app.wait_window("TForm1", visible=True)
        harness.wait_until(lambda: not app.window("TForm1")["visible"], timeout=10,
                           what="the banner to hide")
        return app

    def choose(self, item):
        """Chooses the tray menu item; answers the menu's rectangle."""
        icon = harness.wait_until(lambda: self.session.tray_icons(TRAY_TIP), timeout=10,
                                  what="the tray icon")[-1]
        self.session.click_tray_icon(icon, button=3)
        menu = harness.wait_until(lambda: next((m for m in self.session.menus() if m["items"]), None),
                                  timeout=5, what="the tray menu")
        self.session.click_menu_item(item)
        return menu["rect"]

    def drag(self, start, end, shot=None):
        """Presses at start, moves to end in steps and releases there; with
        shot, answers a screenshot taken while the button is still down."""
        self.session.move(*start)
        time.sleep(0.2)
        self.session.xdotool("mousedown", 1)
        time.sleep(0.1)
        for step in range(1, 11):
            self.session.move(start[0] + (end[0] - start[0]) * step // 10,
                              start[1] + (end[1] - start[1]) * step // 10)
            time.sleep(0.03)
        time.sleep(0.3)
        screen = self.session.screen(shot) if shot else None
        self.session.xdotool("mouseup", 1)
        return screen

    def dialog(self, app, caption):
        """The visible message box with that caption, once its text is in it
        (the box can show a moment before its text control is filled)."""
        return harness.wait_until(
            lambda: next((d for d in app.dialogs()
                          if d["window"]["visible"] and d["caption"] == caption and any(d["texts"])), None),
            timeout=10, what=f"the dialog {caption!r} with its text")

    def answer(self, dialog, control_id):
        self.session.answer(dialog, control_id)

    def save_as(self, app, path, shot=None):
        """Waits for the save dialog, types the path into it and confirms."""
        def save_dialog():
            return next((d for d in app.dialogs() if d["window"]["visible"]
                         and d["caption"] not in (SAVE_CAPTION, DESKTOP_CAPTION)), None)

        # The dialog may still move once its preview pane has widened it:
        # wait until it stays put.
        previous = harness.wait_until(save_dialog, timeout=10, what="the save dialog")

        def settled():
            nonlocal previous
            time.sleep(0.3)
            current = save_dialog()
            stable = current and current["window"]["rect"] == previous["window"]["rect"]
            previous = current or previous
            return current if stable else None
        dialog = harness.wait_until(settled, timeout=10, what="the save dialog to settle")
        if shot:
            self.session.screenshot(shot)
        typed = windows_path(path)
        # Into the file name box (the standard dialog's edit 1148), as a user
        # clicks into it before typing. The dialog may not take the first
        # keys while it is still becoming the active window: then the user
        # types again.
        for _ in range(3):
            name_box = next(c for c in save_dialog()["controls"] if c["class"] == "Edit" and c["id"] == 1148)
            self.session.click_rect(name_box["rect"])
            time.sleep(0.3)
            self.session.key("ctrl+a")
            self.session.type_text(typed)
            self.session.key("Return")
            if harness.eventually(path.exists, timeout=5):
                break
        self.assertTrue(path.exists(), f"{path} written")
        harness.wait_until(lambda: not any(d["window"]["hwnd"] == dialog["window"]["hwnd"] for d in app.dialogs()),
                           timeout=10, what="the save dialog to close")

    # ---- checks --------------------------------------------------------------

    def assert_message(self, dialog, caption, text):
        self.assertEqual(dialog["caption"], caption)
        self.assertIn(text, dialog["texts"])

    def region_picture(self, data, width, height, palette):
        """A region capture file's headers checked: the area's size, the
        screen's depth with the halftone table beside the pixels. Answers
        its picture in RGB."""
        from PIL import Image
        fields = bmp_fields(data)
        self.assertEqual((fields["width"], fields["height"]), (width, height))
        self.assertEqual(fields["bits"], 32, "a 24-bit X screen is a 32-bit display under Wine")
        self.assertEqual(fields["compression"], 0)
        self.assertEqual(fields["colours"], 256)
        self.assertEqual(fields["table"], palette)
        self.assertEqual(fields["size"], len(data))
        path = self.session.run_dir / "check.bmp"
        path.write_bytes(data)
        with Image.open(path) as image:
            return image.convert("RGB")

    def assert_region_file(self, data, left, top, right, bottom, palette, colour=pixel_colour):
        """The file holds exactly the pattern's pixels of that screen area,
        in the screen's depth with the halftone table beside them."""
        got = self.region_picture(data, right - left, bottom - top, palette).tobytes()
        want = bytes(channel for y in range(top, bottom) for x in range(left, right)
                     for channel in colour(x - PATTERN[0], y - PATTERN[1]))
        wrong = sum(1 for i in range(0, len(want), 3) if got[i:i + 3] != want[i:i + 3])
        self.assertEqual(wrong, 0, f"{wrong} pixels differ from the pattern")

    def assert_desktop_file(self, data, palette):
        from PIL import Image
        fields = bmp_fields(data)
        self.assertEqual((fields["width"], fields["height"]), self.session.size)
        self.assertEqual(fields["bits"], 8)
        self.assertEqual(fields["colours"], 256)
        self.assertEqual(fields["table"], palette, "the screen's halftone palette")
        path = self.session.run_dir / "check.bmp"
        path.write_bytes(data)
        with Image.open(path) as image:
            rgb = image.convert("RGB")
            left, top, width, height = PATTERN
            wrong = sum(1 for y in range(height) for x in range(width)
                        if rgb.getpixel((left + x, top + y)) != halftone_colour(palette, x, y))
        self.assertEqual(wrong, 0, f"{wrong} pixels of the pattern window differ")


class CaptureTest(CaptureSteps):

    # ---- region capture ------------------------------------------------------

    def settle_tray_icon(self):
        """Wine 10 paints the tray icon's edges differently once its menu has
        been open: the menu is opened and closed once, so that a screen taken
        before a command is the one the taskbar repaints after it."""
        width, height = self.session.size
        icon = harness.wait_until(lambda: self.session.tray_icons(TRAY_TIP), timeout=10,
                                  what="the tray icon")[-1]
        self.session.click_tray_icon(icon, button=3)
        harness.wait_until(lambda: any(m["items"] for m in self.session.menus()), timeout=5, what="the tray menu")
        self.session.click(width // 2, height // 3)
        harness.wait_until(lambda: not any(m["items"] for m in self.session.menus()), timeout=5,
                           what="the tray menu to close")

    def test_region_capture_writes_the_dragged_pixels_and_saves_a_copy(self):
        palette = self.show_pattern("pixels")
        app = self.start()
        self.settle_tray_icon()
        before = self.session.screen("capture-before-menu")
        menu = self.choose("抓区域图")
        selector = app.wait_window("TNewform", visible=True)
        self.assertEqual((selector["rect"]["left"], selector["rect"]["top"]), (0, 0))
        self.assertEqual((selector["rect"]["width"], selector["rect"]["height"]), self.session.size)
        self.wait_pattern_shown(pixel_colour, "the selector's still picture")
        during = self.drag((100, 80), (261, 203), shot="capture-selector-drag")
        # The rubber band: the outline of the dragged rectangle inverted over
        # the still picture of the pattern, and nothing inside it changed.
        def shown(x, y):
            return during.getpixel((x, y))

        def inverted(x, y):
            return tuple(255 - c for c in pixel_colour(x - PATTERN[0], y - PATTERN[1]))
        for x in (100, 180, 260):
            self.assertEqual(shown(x, 80), inverted(x, 80))
            self.assertEqual(shown(x, 202), inverted(x, 202))
        for y in (81, 150, 201):
            self.assertEqual(shown(100, y), inverted(100, y))
            self.assertEqual(shown(260, y), inverted(260, y))
        for point in ((101, 81), (180, 150), (259, 201), (261, 150), (180, 203)):
            self.assertEqual(shown(*point), pixel_colour(point[0] - PATTERN[0], point[1] - PATTERN[1]))
        # The still picture is the screen without the menu that was just chosen.
        box = (menu["left"], menu["top"], menu["right"], menu["bottom"])
        self.assertTrue(during.crop(box).tobytes() == before.crop(box).tobytes(),
                        "the closed tray menu shows in the selector's still picture")
        question = self.dialog(app, SAVE_CAPTION)
        self.session.screenshot("capture-save-question")
        self.assert_message(question, SAVE_CAPTION, SAVE_QUESTION)
        self.assertFalse(app.window("TNewform")["visible"])
        # The capture file is written before the question is asked.
        captured = self.capture_file.read_bytes()
        self.assert_region_file(captured, 100, 80, 261, 203, palette)

        self.answer(question, IDYES)
        saved = self.session.workdir / "saved copy.bmp"
        self.save_as(app, saved, shot="capture-save-dialog")
        self.assertEqual(saved.read_bytes(), captured)
        self.assertEqual(self.capture_file.read_bytes(), captured)

    def test_region_dragged_up_and_left_captures_the_same_area(self):
        palette = self.show_pattern("pixels")
        app = self.start()
        self.choose("抓区域图")
        app.wait_window("TNewform", visible=True)
        self.wait_pattern_shown(pixel_colour, "the selector's still picture")
        self.drag((300, 250), (120, 90))
        question = self.dialog(app, SAVE_CAPTION)
        self.assert_region_file(self.capture_file.read_bytes(), 120, 90, 300, 250, palette)
        self.answer(question, IDNO)
        time.sleep(0.5)
        self.assertEqual([d for d in app.dialogs() if d["window"]["visible"]], [], "No saves nothing")

    # ---- desktop capture -----------------------------------------------------

    def desktop_capture(self, app):
        self.choose("抓桌面图")
        question = self.dialog(app, DESKTOP_CAPTION)
        self.assert_message(question, DESKTOP_CAPTION, DESKTOP_QUESTION)
        return question

    def test_desktop_capture_yes_then_yes_saves_where_the_user_says(self):
        palette = self.show_pattern("halftone")
        app = self.start()
        question = self.desktop_capture(app)
        self.session.screenshot("capture-desktop-question")
        captured = self.capture_file.read_bytes()
        self.assert_desktop_file(captured, palette)
        self.answer(question, IDYES)
        second = self.dialog(app, SAVE_CAPTION)
        self.assert_message(second, SAVE_CAPTION, SAVE_QUESTION)
        self.answer(second, IDYES)
        saved = self.session.workdir / "desktop.bmp"
        self.save_as(app, saved, shot="capture-desktop-save-dialog")
        self.assertEqual(saved.read_bytes(), captured)
        self.assertFalse(self.drive_d_file.exists())

    def test_desktop_capture_no_writes_the_file_on_drive_d(self):
        palette = self.show_pattern("halftone")
        app = self.start()
        question = self.desktop_capture(app)
        self.answer(question, IDNO)
        # Files are written under a temporary name and renamed when complete.
        harness.wait_until(self.drive_d_file.exists, timeout=5, what="D:\\" + CAPTURE_NAME)
        self.assertEqual(self.drive_d_file.read_bytes(), self.capture_file.read_bytes())
        self.assert_desktop_file(self.drive_d_file.read_bytes(), palette)
        self.assertEqual([d for d in app.dialogs() if d["window"]["visible"]], [])

    def test_desktop_capture_cancel_only_leaves_the_capture_file(self):
        palette = self.show_pattern("halftone")
        app = self.start()
        question = self.desktop_capture(app)
        self.answer(question, IDCANCEL)
        time.sleep(0.5)
        self.assertEqual([d for d in app.dialogs() if d["window"]["visible"]], [])
        self.assertFalse(self.drive_d_file.exists())
        self.assert_desktop_file(self.capture_file.read_bytes(), palette)

    def test_desktop_capture_holds_no_trace_of_the_tray_menu(self):
        """Ten rounds of "抓桌面图" from the tray menu: where the menu was,
        down to the bottom of the screen (the taskbar under it included),
        the capture shows the screen as it was before the menu opened.

        Wine 10's desktop at times keeps a closed menu's pixels on the
        screen itself for seconds, whatever its windows are asked to
        repaint. A round whose screen still shows the menu seconds later,
        and whose capture shows exactly that screen, does not count: the
        rounds go on, up to thirty, until ten had a screen the menu left."""
        from PIL import Image
        app = self.start()
        width, height = self.session.size
        self.settle_tray_icon()
        stale_screens, clean = [], 0
        for round_ in range(30):
            if clean == 10:
                break
            # The screen at rest: two screenshots in a row agree.
            previous = None

            def at_rest():
                nonlocal previous
                current = self.session.screen(f"capture-no-menu-{round_}-before")
                rest = previous is not None and current.tobytes() == previous.tobytes()
                previous = current
                return current if rest else None
            before = harness.wait_until(at_rest, timeout=15, interval=0.2, what="the screen to be at rest")
            menu = self.choose("抓桌面图")
            question = self.dialog(app, DESKTOP_CAPTION)
            captured = self.capture_file.read_bytes()
            table = bmp_fields(captured)["table"]
            path = self.session.run_dir / "check.bmp"
            path.write_bytes(captured)
            with Image.open(path) as image:
                shot = image.convert("RGB")
            box = (max(0, menu["left"]), max(0, menu["top"]), min(width, menu["right"]), height)
            self.assertGreater(box[2] - box[0], 0)
            self.assertGreater(box[3] - box[1], 0)
            nearest = {}

            def allowed(colour):
                """The table's entries nearest to a screen colour, the way the
                platform maps a copy into 8 bits: the top five bits of each
                channel, the middle of that step, the squared distance."""
                if colour not in nearest:
                    probe = [(c & ~7) + 4 for c in colour]
                    distances = [sum((a - b) ** 2 for a, b in zip(probe, entry)) for entry in table]
                    best = min(distances)
                    nearest[colour] = {entry for entry, d in zip(table, distances) if d == best}
                return nearest[colour]
            wrong = [(x, y) for y in range(box[1], box[3]) for x in range(box[0], box[2])
                     if shot.getpixel((x, y)) not in allowed(before.getpixel((x, y)))]
            if wrong:
                shot.save(harness.ARTIFACTS / f"capture-no-menu-{round_}-captured.png")
                # Whether the screen itself still shows it, seconds later.
                now = self.session.screen(f"capture-no-menu-{round_}-screen-after")
                still = [(x, y) for (x, y) in wrong if now.getpixel((x, y)) != before.getpixel((x, y))]
                if len(still) == len(wrong) and all(shot.getpixel(p) in allowed(now.getpixel(p)) for p in wrong):
                    # The platform left the closed menu's pixels on the
                    # screen (Wine 10's desktop does, at times for seconds),
                    # and the capture shows exactly that screen: no fault of
                    # the copy, which is what this test is about.
                    stale_screens.append(round_ + 1)
                    self.answer(question, IDCANCEL)
                    continue
                self.fail(f"round {round_ + 1}: {len(wrong)} pixels of the menu's place {box} differ from the "
                          f"screen before the menu opened, {len(still)} of them still on the screen: {wrong[:5]}")
            clean += 1
            self.answer(question, IDCANCEL)
        self.assertEqual(clean, 10, f"ten rounds whose screen the menu had left; the platform kept it on the "
                                    f"screen in rounds {stale_screens}")
        if stale_screens:
            print(f"\n  rounds {stale_screens}: the platform kept the closed menu on the screen itself, and the "
                  "capture matched that screen", file=sys.stderr)

    def test_desktop_capture_no_without_a_drive_d_shows_the_error(self):
        d_link = self.session.prefix / "dosdevices" / "d:"
        d_link.unlink()
        self.addCleanup(d_link.symlink_to, self.session.d_drive)
        app = self.start()
        question = self.desktop_capture(app)
        self.answer(question, IDNO)
        error = self.dialog(app, "Kelvorav21")
        self.session.screenshot("capture-no-drive-d")
        # The error display ends the message with a full stop.
        self.assert_message(error, "Kelvorav21", "Cannot create file D:\\" + CAPTURE_NAME + ".")
        self.assertTrue(self.capture_file.exists(), "the capture file stays as written")
        self.answer(error, IDOK)
        self.assertTrue(app.running())


if __name__ == "__main__":
    import unittest
    unittest.main()
