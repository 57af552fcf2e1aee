"""The keyboard as a user presses it: the viewer's menu after any number of
tray commands, the context-menu key, and the settings window's tab order and
arrow keys storing each choice at once.

Keys go wherever the X server sends them, as a user's would: nothing here
moves the X focus by hand. (Only the tray menu itself needs that, and it is
tested in test_tray_menu.)"""

import shutil
import tempfile
from pathlib import Path

import harness
from test_tray_menu import AUTOSTART, DISPLAY_TIME, ORVAK, RUN_KEY, TrayMenuCase

CAPTURE = "新截图1.BMP"
VIEWER_MENU = ["图片另存为...", "退出显示窗口"]


class KeyboardCase(TrayMenuCase):

    def setUp(self):
        super().setUp()
        self.folder = Path(tempfile.mkdtemp(prefix="keys-", dir=self.session.run_dir))
        self.addCleanup(shutil.rmtree, self.folder, True)

    def open_menus(self):
        return [m for m in self.session.menus() if m["items"]]

    def wait_menu(self, what):
        return harness.wait_until(lambda: next(iter(self.open_menus()), None), timeout=5, what=what)

    def wait_no_menu(self, what):
        harness.wait_until(lambda: not self.open_menus(), timeout=5, what=what)

    def with_capture(self):
        """A capture file in the program's folder, so that the viewer opens
        without a message."""
        from PIL import Image
        Image.new("RGB", (40, 30), (200, 30, 30)).save(self.folder / CAPTURE, "BMP")

    def show_viewer(self, app):
        self.choose("显示抓图")
        return app.wait_window("TForm3", visible=True)


class ViewerMenuKeysTest(KeyboardCase):

    def right_click_viewer(self, viewer):
        client = viewer["client"]
        self.session.click((client["left"] + client["right"]) // 2, (client["top"] + client["bottom"]) // 2,
                           button=3)
        return self.wait_menu("the viewer's menu")

    def test_five_viewers_in_a_row_each_closed_from_its_menu_with_down_down_return(self):
        self.with_capture()
        app = self.start(cwd=self.folder)
        for round_ in range(5):
            # Tray commands in between, so that the hidden forms have been
            # brought forward by the tray icon in every order.
            if round_ == 2:
                self.choose("图标随机")
                self.choose("原来图标")
            viewer = self.show_viewer(app)
            menu = self.right_click_viewer(viewer)
            self.assertEqual([harness._plain(i["text"]) for i in menu["items"]], VIEWER_MENU)
            if round_ == 0:
                self.session.screenshot("keys-viewer-menu")
            self.session.key("Down", "Down", "Return")
            harness.wait_until(lambda: not app.window("TForm3")["visible"], timeout=5,
                               what=f"viewer {round_ + 1} to close from its menu's keys")
            self.assertEqual(self.open_menus(), [])
        self.assertTrue(app.running())

    def test_escape_closes_the_viewers_menu_and_leaves_the_viewer(self):
        self.with_capture()
        app = self.start(cwd=self.folder)
        for _ in range(2):
            viewer = self.show_viewer(app)
            self.right_click_viewer(viewer)
            self.session.key("Escape")
            self.wait_no_menu("Escape to close the viewer's menu")
            self.assertTrue(app.window("TForm3")["visible"], "Escape chooses nothing")
            self.session.close(viewer["hwnd"])
            harness.wait_until(lambda: not app.window("TForm3")["visible"], timeout=5, what="the viewer to close")

    def test_the_context_menu_key_and_shift_f10_open_the_viewers_menu_near_its_top_left(self):
        self.with_capture()
        app = self.start(cwd=self.folder)
        viewer = self.show_viewer(app)
        for keys in (("Menu",), ("shift+F10",)):
            self.session.key(*keys)
            menu = self.wait_menu(f"{'+'.join(keys)} to open the viewer's menu")
            self.assertEqual([harness._plain(i["text"]) for i in menu["items"]], VIEWER_MENU)
            # No control of the viewer takes the focus: the menu opens at the
            # top left of its client area, not where the pointer is.
            client = viewer["client"]
            self.assertGreaterEqual(menu["rect"]["left"], client["left"])
            self.assertLess(menu["rect"]["left"], client["left"] + 40)
            self.assertGreaterEqual(menu["rect"]["top"], client["top"])
            self.assertLess(menu["rect"]["top"], client["top"] + 40)
            if keys == ("Menu",):
                self.session.screenshot("keys-viewer-context-menu-key")
            self.session.key("Escape")
            self.wait_no_menu("Escape to close the menu")
        # The menu chosen from the keyboard works like the mouse's.
        self.session.key("Menu")
        self.wait_menu("the context-menu key again")
        self.session.key("Up", "Return")
        harness.wait_until(lambda: not app.window("TForm3")["visible"], timeout=5,
                           what="Up, Return to choose the last item, closing the viewer")


class SettingsKeysTest(KeyboardCase):

    def press_for_time(self, keys, stored, what):
        """Keys pressed, then the display time they store."""
        self.session.key(*keys)
        harness.wait_until(lambda: self.session.reg_query(ORVAK, DISPLAY_TIME) == stored, timeout=5, what=what)

    def test_arrows_store_display_times_and_tab_reaches_the_autostart_group(self):
        # The short display time the banner starts with is none of the
        # window's three: no button of that group is checked.
        self.session.reg_delete(RUN_KEY, AUTOSTART)
        app = self.start(cwd=self.folder)
        self.choose("抓图设置")
        settings = app.wait_window("TForm4", visible=True)
        self.assertEqual(self.session.probe("foreground", check=False)["hwnd"], settings["hwnd"],
                         "the window opened is the one the keys go to")
        self.session.screenshot("keys-settings-opened")
        self.assertEqual(self.session.reg_query(ORVAK, DISPLAY_TIME), "0x5dc", "opening stores no display time")
        # The focus is on the first tab stop, the display-time group, where
        # no button is checked yet: the first one. Down checks the next.
        self.press_for_time(("Down",), "0x7530", "Down to store 30 s")
        self.press_for_time(("Down",), "0x493e0", "Down again to store 300 s")
        self.session.screenshot("keys-settings-300s")
        # Down from the last button wraps to the first, as in a dialog.
        self.press_for_time(("Down",), "0xbb8", "Down from the last to wrap to 3 s")
        self.press_for_time(("Up",), "0x493e0", "Up from the first to wrap to 300 s")

        # Tab leaves the group for the autostart buttons, where "off" is
        # checked; Up turns autostart on, Down off again.
        self.session.key("Tab")
        self.assertIsNone(self.session.reg_query(RUN_KEY, AUTOSTART), "Tab alone chooses nothing")
        self.session.key("Up")
        stored = harness.wait_until(lambda: self.session.reg_query(RUN_KEY, AUTOSTART), timeout=5,
                                    what="Up to turn autostart on")
        self.assertTrue(stored.lower().endswith("kelvora.exe"), stored)
        self.session.screenshot("keys-settings-autostart-on")
        self.session.key("Down")
        harness.wait_until(lambda: self.session.reg_query(RUN_KEY, AUTOSTART) is None, timeout=5,
                           what="Down to turn autostart off")

        # Shift+Tab goes back to the display-time group: Down there moves on
        # from 300 s, wrapping to 3 s.
        self.press_for_time(("shift+Tab", "Down"), "0xbb8", "Shift+Tab back to the display-time group")
        # Tab twice comes round to the same group: two groups, one stop each.
        self.press_for_time(("Tab", "Tab", "Down"), "0x7530", "Tab twice to come round to the display-time group")
        self.assertIsNone(self.session.reg_query(RUN_KEY, AUTOSTART))
