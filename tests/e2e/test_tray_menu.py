"""Every tray menu command as a user chooses it: with the mouse from the
notification-area icon, and the menu from the keyboard. The icon commands, the
settings window and its registry values, the about box and its clock, exit
through the farewell window, and power-off in a Wine session of its own."""

import re
import shutil
import subprocess
import time

import harness

TRAY_TIP = "Kelvora^_^"
ORVAK = r"HKLM\SOFTWARE\Orvak"
RUN_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
DISPLAY_TIME = "OrvakTuV20Time"
AUTOSTART = "OrvakTuV20"
ABOUT_CAPTION = "=Orvak=伴你每时每刻"
# The settings window's done picture, in its client area (Image1 at
# 256, 192, 81 × 81 in the panel that fills the window).
DONE_PICTURE = (256 + 40, 192 + 40)
# The about box, in its client area: a label of the inner panel (Label1 at
# 136, 96 inside Panel2 at 8, 16), the red outer margin, and a bare spot of
# the inner panel.
ABOUT_LABEL = (8 + 136 + 40, 16 + 96 + 7)
ABOUT_MARGIN = (4, 80)
ABOUT_INNER = (8 + 150, 16 + 60)


class TrayMenuCase(harness.KelvoraTestCase):
    """Starts Kelvora with a short display time, so that the banner is out
    of the way, and chooses menu items from its tray icon."""

    def setUp(self):
        super().setUp()
        self.session.reg_add(ORVAK, DISPLAY_TIME, "1500", kind="REG_DWORD")
        self.addCleanup(self.session.reg_delete, ORVAK, DISPLAY_TIME)
        self.addCleanup(self.session.reg_delete, RUN_KEY, AUTOSTART)

    def start(self, exe=None, cwd=None):
        before = {tuple(i["center"]) for i in self.session.tray_icons(TRAY_TIP)}
        app = self.session.launch(exe=exe, cwd=cwd)
        self.addCleanup(app.end)
        app.wait_window("TForm1", visible=True)
        harness.wait_until(lambda: not app.window("TForm1")["visible"], timeout=10,
                           what="the banner to hide")
        self.icon = harness.wait_until(
            lambda: next((i for i in self.session.tray_icons(TRAY_TIP) if tuple(i["center"]) not in before), None),
            timeout=10, what="the new tray icon")
        return app

    def open_menu(self):
        self.session.click_tray_icon(self.icon, button=3)
        return harness.wait_until(lambda: next((m for m in self.session.menus() if m["items"]), None),
                                  timeout=5, what="the tray menu")

    def choose(self, text):
        self.open_menu()
        self.session.click_menu_item(text)
        harness.wait_until(lambda: not any(m["items"] for m in self.session.menus()), timeout=5,
                           what="the menu to close")

    def item(self, menu, text):
        return next(i for i in menu["items"] if harness._plain(i["text"]) == text)

    def icon_picture(self, name):
        x, y = self.icon["center"]
        return self.session.screen(name).crop((x - 8, y - 8, x + 8, y + 8)).tobytes()

    def at(self, window, point):
        return window["client"]["left"] + point[0], window["client"]["top"] + point[1]


class IconCommandsTest(TrayMenuCase):

    def distinct_pictures(self, seconds):
        pictures = set()
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            pictures.add(self.icon_picture("tray-icon"))
            time.sleep(0.25)
        return pictures

    @staticmethod
    def same_icon(a, b):
        """Whether two pictures show one icon. Wine 10's taskbar blends an
        icon's edges over the icon before it, so one icon can show a few
        pixels of its predecessor; two icons of the set differ in most."""
        differing = sum(max(abs(a[i + c] - b[i + c]) for c in range(3)) > 48 for i in range(0, len(a), 3))
        return differing <= len(a) // 30

    def icons(self, pictures):
        """The different icons among the pictures."""
        found = []
        for picture in pictures:
            if not any(self.same_icon(picture, icon) for icon in found):
                found.append(picture)
        return found

    def assert_stays(self, icon, message):
        self.assertTrue(all(self.same_icon(p, icon) for p in self.distinct_pictures(2.5)), message)

    def test_animate_greys_its_item_steps_the_icon_and_the_other_two_stop_it(self):
        self.start()
        # The first icon as the taskbar draws it once it has been set again
        # (Wine 10 draws an icon's edges differently the first time).
        self.choose("原来图标")
        first = harness.wait_until(lambda: self.icon_picture("tray-icon-first")
                                   if self.icon_picture("tray-icon-first") == self.icon_picture("tray-icon-first")
                                   else None, timeout=5, what="the first icon to settle")
        self.choose("图标随机")
        # One icon a second: several pictures within a few seconds.
        self.assertGreaterEqual(len(self.icons(self.distinct_pictures(3.5))), 3, "the icon steps through the set")
        menu = self.open_menu()
        self.assertFalse(self.item(menu, "图标随机")["enabled"], "greyed while the icon animates")
        self.assertTrue(self.item(menu, "更换图标")["enabled"])
        self.session.screenshot("tray-menu-animating")
        self.session.click_menu_item("原来图标")
        harness.wait_until(lambda: self.same_icon(self.icon_picture("tray-icon-back"), first), timeout=5,
                           what="the first icon back")
        self.assert_stays(first, "the animation has stopped")
        menu = self.open_menu()
        self.assertTrue(self.item(menu, "图标随机")["enabled"], "available again")
        self.session.click_menu_item("图标随机")
        harness.wait_until(lambda: not self.same_icon(self.icon_picture("tray-icon-stepped"), first), timeout=5,
                           what="the animation to start again")
        self.choose("更换图标")
        # A random icon of the set, and no more steps.
        settled = self.icon_picture("tray-icon-changed")
        self.assert_stays(settled, "a change stops the animation")
        menu = self.open_menu()
        self.assertTrue(self.item(menu, "图标随机")["enabled"])
        self.session.key("Escape")


class MenuFocusTest(TrayMenuCase):

    def menu_closed(self):
        return not any(m["items"] for m in self.session.menus())

    def test_once_the_banner_is_hidden_the_menu_takes_escape_down_and_enter(self):
        # The one place the X focus is moved by hand: the tray icon brings
        # the program's hidden form to the foreground, as it should on
        # Windows, but Wine cannot give the X focus to a hidden window, so
        # keys pressed at the tray menu would reach the shell's window.
        app = self.start()
        menu = self.open_menu()
        self.session.give_keys_to(menu["rect"])
        self.session.key("Escape")
        harness.wait_until(self.menu_closed, timeout=5, what="Escape to close the menu")
        self.assertFalse((app.window("TNewform") or {}).get("visible"), "Escape chooses nothing")

        menu = self.open_menu()
        self.session.give_keys_to(menu["rect"])
        self.session.key("Down", "Return")
        selector = app.wait_window("TNewform", visible=True)
        self.assertEqual((selector["rect"]["width"], selector["rect"]["height"]), self.session.size,
                         "the first item, the region capture, chosen from the keyboard")
        self.assertTrue(self.menu_closed())
        # A drag of nothing ends the selector: a capture of no pixels asks nothing.
        self.session.drag((500, 400), (500, 400))
        harness.wait_until(lambda: not (app.window("TNewform") or {}).get("visible"), timeout=10,
                           what="the selector to close")
        self.assertTrue(app.running())

    def test_once_the_banner_is_hidden_a_click_elsewhere_closes_the_menu(self):
        self.start()
        self.open_menu()
        # The tray icon brings the program's last active form, the hidden
        # banner, to the foreground first: the menu then closes as soon as
        # the user clicks outside it, as on Windows.
        self.session.click(500, 300)
        harness.wait_until(lambda: not any(m["items"] for m in self.session.menus()), timeout=5,
                           what="the click elsewhere to close the menu")


class SettingsTest(TrayMenuCase):

    def open_settings(self, app):
        self.choose("抓图设置")
        window = app.wait_window("TForm4", visible=True)
        self.assertEqual(window["caption"], "Kelvora设置")
        self.assertEqual((window["client"]["width"], window["client"]["height"]), (355, 287))
        return window

    def buttons(self, window):
        return {c["text"]: c for c in self.session.children(window["hwnd"])
                if c["class"] == "TRadioButton" and c["text"].startswith(("每次", "画面"))}

    def click_button(self, window, text):
        self.session.click_rect(self.buttons(window)[text]["rect"])

    def close_with_the_done_picture(self, app, window):
        self.session.click(*self.at(window, DONE_PICTURE))
        harness.wait_until(lambda: app.window("TForm4") is None, timeout=5,
                           what="the settings window to close and go")

    def test_first_opening_display_time_autostart_off_and_the_done_picture(self):
        app = self.start()
        # The banner has read its display time; the settings window finds none.
        self.session.reg_delete(ORVAK, DISPLAY_TIME)
        window = self.open_settings(app)
        buttons = harness.wait_until(lambda: len(self.buttons(window)) == 5 and self.buttons(window),
                                     timeout=5, what="the five choices")
        self.assertEqual({t for t, b in buttons.items() if b["checked"]}, {"每次开机不要自行启动。"},
                         "no autostart, no display time: only 'do not start' is checked")
        self.assertIsNone(self.session.reg_query(ORVAK, DISPLAY_TIME), "opening writes no display time")
        self.session.screenshot("settings-window")

        self.click_button(window, "画面显示时间为30秒")
        harness.wait_until(lambda: self.session.reg_query(ORVAK, DISPLAY_TIME) == "0x7530", timeout=5,
                           what="REG_DWORD 30000")
        self.assertTrue(self.buttons(window)["画面显示时间为30秒"]["checked"])
        self.click_button(window, "画面显示时间为3秒")
        harness.wait_until(lambda: self.session.reg_query(ORVAK, DISPLAY_TIME) == "0xbb8", timeout=5,
                           what="REG_DWORD 3000")
        self.close_with_the_done_picture(app, window)
        self.assertEqual(self.session.reg_query(ORVAK, DISPLAY_TIME), "0xbb8", "closing writes nothing")

        # Opened again, it shows what is stored.
        window = self.open_settings(app)
        buttons = harness.wait_until(lambda: len(self.buttons(window)) == 5 and self.buttons(window),
                                     timeout=5, what="the five choices")
        self.assertTrue(buttons["画面显示时间为3秒"]["checked"])
        self.assertFalse(buttons["画面显示时间为30秒"]["checked"])
        self.session.close(window["hwnd"])
        harness.wait_until(lambda: app.window("TForm4") is None, timeout=5, what="the close box to close it")

    def autostart_a_copy_in(self, folder_name):
        """A copy of the program in a folder of that name, started, with
        autostart turned on in its settings window: (app, window, exe, the
        stored value)."""
        folder = self.session.run_dir / folder_name
        folder.mkdir(exist_ok=True)
        exe = folder / "kelvora.exe"
        shutil.copy(self.session.exe, exe)
        app = self.start(exe=exe)
        window = self.open_settings(app)
        harness.wait_until(lambda: len(self.buttons(window)) == 5, timeout=5, what="the five choices")
        self.click_button(window, "每次开机自行启动。")
        stored = harness.wait_until(lambda: self.session.reg_query(RUN_KEY, AUTOSTART), timeout=5,
                                    what="the autostart value")
        return app, window, exe, stored

    def test_autostart_from_a_folder_with_a_space_stores_the_quoted_path_and_off_removes_it(self):
        app, window, exe, stored = self.autostart_a_copy_in("Kelvora Tools")
        expected = '"' + harness_windows_path(exe) + '"'
        self.assertEqual(stored.lower(), expected.lower(), "the running program's path, quoted")
        self.click_button(window, "每次开机不要自行启动。")
        harness.wait_until(lambda: self.session.reg_query(RUN_KEY, AUTOSTART) is None, timeout=5,
                           what="the autostart value to go")
        self.close_with_the_done_picture(app, window)

    def test_started_with_windows_its_captures_go_to_its_own_folder(self):
        # Windows starts the programs of its Run key at logon in a system
        # folder the user cannot write; Wine's wineboot, as at logon, in
        # C:\windows.
        app, window, exe, _ = self.autostart_a_copy_in("autostarted")
        folder = exe.parent
        self.close_with_the_done_picture(app, window)
        app.end()

        before = set(self.session.processes("kelvora.exe"))
        # Not through session.wine: the program wineboot starts keeps its
        # output open.
        subprocess.run([self.session.loader, "wineboot"], env=self.session.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60, check=True)
        pid = harness.wait_until(lambda: next(iter(set(self.session.processes("kelvora.exe")) - before), None),
                                 timeout=30, what="kelvora.exe started from the Run key")
        self.addCleanup(self.end_process, pid)
        harness.wait_until(lambda: not any(w["class"] == "TForm1" and w["visible"]
                                           for w in self.session.probe("windows", pid, check=False)),
                           timeout=10, what="the banner to hide")
        self.icon = harness.wait_until(lambda: self.session.tray_icons(TRAY_TIP), timeout=10,
                                       what="the tray icon")[-1]
        self.choose("抓桌面图")
        question = harness.wait_until(
            lambda: next((d for d in self.session.probe("dialog", pid, check=False)
                          if d["window"]["visible"] and d["caption"] == "存档or显示"), None),
            timeout=10, what="the desktop capture's question")
        self.session.screenshot("autostarted-capture")
        self.session.click_rect(next(c for c in question["controls"] if c["id"] == 2)["rect"])  # Cancel
        harness.wait_until((folder / "新截图1.BMP").exists, timeout=5, what="the capture in the program's folder")

    def end_process(self, pid):
        """Ends a program the test did not start itself, as a user would."""
        main = next((w for w in self.session.probe("windows", pid, check=False) if w["class"] == "TForm1"), None)
        if main:
            self.session.close(main["hwnd"])
        harness.eventually(lambda: pid not in self.session.processes("kelvora.exe"), timeout=10)

    def test_a_stale_autostart_path_is_replaced_by_merely_opening_the_window(self):
        self.session.reg_add(RUN_KEY, AUTOSTART, r"C:\old\kelvora.exe")
        app = self.start()
        window = self.open_settings(app)
        harness.wait_until(lambda: (self.session.reg_query(RUN_KEY, AUTOSTART) or "").lower().endswith(
            "kelvora.exe") and self.session.reg_query(RUN_KEY, AUTOSTART) != r"C:\old\kelvora.exe",
            timeout=5, what="the running program's path")
        self.assertTrue(self.buttons(window)["每次开机自行启动。"]["checked"])
        self.close_with_the_done_picture(app, window)

    def test_a_second_settings_window_opens_over_the_first_and_exit_works_from_there(self):
        app = self.start()
        self.open_settings(app)
        self.choose("抓图设置")
        harness.wait_until(lambda: len([w for w in app.windows() if w["class"] == "TForm4" and w["visible"]]) == 2,
                           timeout=5, what="a second settings window")
        self.choose("退出抓图")
        farewell = app.wait_window("TForm6", visible=True)
        self.session.double_click(*self.at(farewell, (160, 117)))
        self.assertEqual(app.wait_exit(timeout=15), 0)


def harness_windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class AboutBoxTest(TrayMenuCase):

    def open_about(self, app):
        self.choose("关于我们")
        return app.wait_window("TAboutBox", visible=True)

    def test_the_clock_caption_and_which_clicks_close_it(self):
        app = self.start()
        box = self.open_about(app)
        self.assertEqual(box["caption"], ABOUT_CAPTION, "the plain caption for the first second")
        self.assertEqual((box["client"]["width"], box["client"]["height"]), (350, 160))
        clock = re.compile(re.escape(ABOUT_CAPTION) + r"(\d{1,2}:\d{2}:\d{2}.*)" + re.escape("*^_^*") + "$")
        caption = harness.wait_until(lambda: clock.match(app.window("TAboutBox")["caption"]), timeout=3,
                                     what="the time in the caption")
        time.sleep(1.2)  # the clock is the thing under test: a second passes
        later = clock.match(app.window("TAboutBox")["caption"])
        self.assertIsNotNone(later)
        self.assertNotEqual(later.group(1), caption.group(1), "the time moves on")
        self.session.screenshot("about-box")

        self.session.click(*self.at(box, ABOUT_LABEL))
        # A label takes its own click: the box must still be there a moment later.
        self.assertFalse(harness.eventually(lambda: app.window("TAboutBox") is None, timeout=1.5),
                         "a click on a label leaves the box open")
        self.session.click(*self.at(box, ABOUT_MARGIN))
        harness.wait_until(lambda: app.window("TAboutBox") is None, timeout=5,
                           what="the red margin's click to close and destroy the box")

        box = self.open_about(app)
        self.assertEqual(box["caption"], ABOUT_CAPTION, "a new box starts from the plain caption")
        self.session.click(*self.at(box, ABOUT_INNER))
        harness.wait_until(lambda: app.window("TAboutBox") is None, timeout=5,
                           what="the inner panel's click to close the box")


class ExitTest(TrayMenuCase):

    def test_the_farewell_fades_in_closes_itself_and_the_program_ends(self):
        app = self.start()
        self.choose("退出抓图")
        farewell = app.wait_window("TForm6", visible=True)
        opened = time.monotonic()
        self.assertTrue(farewell["topmost"])
        self.assertEqual((farewell["client"]["width"], farewell["client"]["height"]), (321, 234))
        first = farewell["alpha"]
        self.assertLess(first, 64, "it starts almost transparent")
        rising = harness.wait_until(lambda: (app.window("TForm6") or {}).get("alpha", 0) > first + 20 and
                                    app.window("TForm6"), timeout=5, what="the alpha to rise")
        self.assertLess(rising["alpha"], 255)
        self.session.screenshot("farewell-window")
        self.session.click(*self.at(farewell, (160, 117)))
        self.assertFalse(harness.eventually(lambda: not app.running(), timeout=1.5),
                         "a single click does nothing")
        self.assertEqual(app.wait_exit(timeout=20), 0)
        elapsed = time.monotonic() - opened
        self.assertGreater(elapsed, 8.5, "about 255 ticks of 40 ms")
        self.assertLess(elapsed, 16.0)
        harness.wait_until(lambda: tuple(self.icon["center"]) not in
                           {tuple(i["center"]) for i in self.session.tray_icons(TRAY_TIP)},
                           timeout=10, what="the tray icon to go")

    def test_a_double_click_ends_it_at_once(self):
        app = self.start()
        self.choose("退出抓图")
        farewell = app.wait_window("TForm6", visible=True)
        opened = time.monotonic()
        self.session.double_click(*self.at(farewell, (100, 100)))
        self.assertEqual(app.wait_exit(timeout=10), 0)
        self.assertLess(time.monotonic() - opened, 6.0, "well before the fade ends")


class PowerOffTest(harness.KelvoraTestCase):
    """In a Wine session of its own: powering off ends that whole session."""

    def test_power_off_asks_nothing_and_ends_the_wine_session(self):
        own = harness.Session(self.session.exe, self.session.probe_exe, size=self.session.size).start()
        self.addCleanup(own.stop)
        own.reg_add(ORVAK, DISPLAY_TIME, "500", kind="REG_DWORD")
        app = own.launch()
        self.addCleanup(app.end)
        app.wait_window("TForm1", visible=True)
        harness.wait_until(lambda: not app.window("TForm1")["visible"], timeout=10, what="the banner to hide")
        icon = harness.wait_until(lambda: own.tray_icons(TRAY_TIP), timeout=10, what="the tray icon")[-1]
        own.click_tray_icon(icon, button=3)
        harness.wait_until(lambda: any(m["items"] for m in own.menus()), timeout=5, what="the tray menu")
        own.click_menu_item("魔法关机")
        # Wine ends the session of every program with a window: Kelvora goes
        # without a question (one would keep it running), its icon with it.
        self.assertEqual(app.wait_exit(timeout=30), 0)
        harness.wait_until(lambda: not own.tray_icons(TRAY_TIP), timeout=10, what="the tray icon to go")
        self.assertEqual(own.processes("kelvora.exe"), [])


if __name__ == "__main__":
    import unittest
    unittest.main()
