"""The intro banner and the tray icon as a user meets them: the fade, the
stored display time, the tray toggle, the tray menu and the credits label."""

import time

import harness

TRAY_TIP = "Kelvora^_^"
ORVAK = r"HKLM\SOFTWARE\Orvak"
DISPLAY_TIME = "OrvakTuV20Time"
MENU = ["抓区域图", "抓桌面图", "显示抓图", "", "更换图标", "图标随机", "原来图标", "",
        "魔法关机", "", "抓图设置", "关于我们", "退出抓图"]
# The credits label, in the banner's client coordinates (second panel at
# 152, 8; the label at 77, 104 inside it).
CREDITS = (152 + 77 + 30, 8 + 104 + 6)
# Every hint of the program comes in the shaped hint window.
HINT_CLASS = "TShapeHintWindow"


class IntroTest(harness.KelvoraTestCase):

    def tearDown(self):
        self.session.reg_delete(ORVAK, DISPLAY_TIME)

    def intro(self, app):
        return app.window("TForm1")

    def tray_icon(self):
        icons = harness.wait_until(lambda: self.session.tray_icons(TRAY_TIP), timeout=10,
                                   what="the tray icon")
        return icons[-1]  # the newest

    def wait_hidden(self, app, timeout):
        """Seconds from now until the banner is hidden."""
        began = time.monotonic()
        harness.wait_until(lambda: not self.intro(app)["visible"], timeout=timeout, interval=0.1,
                           what="the banner to hide")
        return time.monotonic() - began

    def test_banner_fades_out_by_itself_after_about_12_75_s(self):
        app = self.start_kelvora()
        app.wait_window("TForm1", visible=True)
        began = time.monotonic()  # the fade starts with the banner on the screen
        self.assertEqual(self.tray_icon()["tip"], TRAY_TIP)
        time.sleep(2)
        first = self.intro(app)
        time.sleep(1)
        second = self.intro(app)
        self.assertTrue(first["visible"] and second["visible"])
        self.assertLess(first["alpha"], 255)
        self.assertLess(second["alpha"], first["alpha"])
        self.wait_hidden(app, timeout=20)
        elapsed = time.monotonic() - began
        self.assertGreater(elapsed, 11.5)
        self.assertLess(elapsed, 15.0)
        self.assertEqual(self.intro(app)["alpha"], 0)
        self.assertFalse(app.window("TApplication")["visible"], "no taskbar button after the fade")

    def test_stored_display_time_hides_early_and_the_tray_toggle_shows_the_fade_again(self):
        self.session.reg_add(ORVAK, DISPLAY_TIME, "3000", kind="REG_DWORD")
        app = self.start_kelvora()
        app.wait_window("TForm1", visible=True)
        elapsed = self.wait_hidden(app, timeout=10)
        self.assertGreater(elapsed, 2.0)
        self.assertLess(elapsed, 4.5)
        self.assertFalse(app.window("TApplication")["visible"])

        icon = self.tray_icon()
        self.session.double_click(*icon["center"])
        shown = harness.wait_until(lambda: self.intro(app) if self.intro(app)["visible"] else None,
                                   timeout=5, what="the banner to come back")
        self.assertGreater(shown["alpha"], 0)
        self.assertLess(shown["alpha"], 255, "it comes back where the fade had reached")
        time.sleep(1)
        later = self.intro(app)
        self.assertLess(later["alpha"], shown["alpha"], "still fading")
        self.session.screenshot("intro-toggled")
        self.assertFalse(app.window("TApplication")["visible"], "no taskbar button after a toggle")

        self.session.double_click(*icon["center"])
        harness.wait_until(lambda: not self.intro(app)["visible"], timeout=5, what="the banner to hide")
        # The toggle ended the display-time timer: only the fade can hide the
        # banner now, and the fade hides it at alpha 0. On a slow machine the
        # fade may get there within the watch below: then the last alpha seen
        # must have been near its end, never a hide in mid-fade.
        self.session.double_click(*icon["center"])
        harness.wait_until(lambda: self.intro(app)["visible"], timeout=5, what="the banner again")
        watch_until = time.monotonic() + 3.5
        last = self.intro(app)
        while time.monotonic() < watch_until:
            now = self.intro(app)
            if not now["visible"]:
                self.assertEqual(now["alpha"], 0, "hidden by the fade, not by a timer")
                self.assertLess(last["alpha"], 20, "hidden only where the fade ends")
                break
            last = now
            time.sleep(0.1)

    def test_right_click_opens_the_tray_menu_with_its_items_in_order(self):
        app = self.start_kelvora()
        app.wait_window("TForm1", visible=True)
        self.session.click_tray_icon(self.tray_icon(), button=3)
        menu = harness.wait_until(lambda: next((m for m in self.session.menus() if m["items"]), None),
                                  timeout=5, what="the tray menu")
        texts = [harness._plain(item["text"]) for item in menu["items"]]
        self.assertEqual(texts, MENU)
        self.session.screenshot("tray-menu")
        self.session.key("Escape")
        harness.wait_until(lambda: not any(m["items"] for m in self.session.menus()), timeout=5,
                           what="the menu to close")

    def test_hovering_the_credits_freezes_the_fade_and_turns_them_blue(self):
        app = self.start_kelvora()
        client = app.wait_window("TForm1", visible=True)["client"]
        time.sleep(1)
        self.session.move(client["left"] + CREDITS[0], client["top"] + CREDITS[1])
        time.sleep(0.5)
        first = self.intro(app)["alpha"]
        time.sleep(1.5)
        self.assertEqual(self.intro(app)["alpha"], first, "the fade is paused")
        screen = self.session.screen("intro-credits-hover")
        left, top = client["left"] + 152 + 77, client["top"] + 8 + 104
        label = [screen.getpixel((x, y)) for x in range(left, left + 130) for y in range(top, top + 12)]
        self.assertIn((0, 0, 255), label, "the credits are blue")
        # Leaving the label lets the fade go on.
        self.session.move(0, 0)
        time.sleep(1)
        self.assertLess(self.intro(app)["alpha"], first)

    def test_clicking_the_credits_hides_the_banner_and_shows_the_credits(self):
        app = self.start_kelvora()
        client = app.wait_window("TForm1", visible=True)["client"]
        time.sleep(0.5)
        self.session.click(client["left"] + CREDITS[0], client["top"] + CREDITS[1])
        dialog = app.wait_dialog()
        self.assertEqual(dialog["caption"], "Kelvorav21")
        self.assertFalse(self.intro(app)["visible"])
        self.session.screenshot("credits-message")
        self.session.answer(dialog, 1)  # OK
        harness.wait_until(lambda: not app.dialogs(), timeout=5, what="the message to close")
        self.assertFalse(self.intro(app)["visible"])


class HintTest(harness.KelvoraTestCase):

    def visible_hints(self, app):
        return [w for w in app.windows() if w["class"] == HINT_CLASS and w["visible"]]

    def hint_over(self, app, client, point, text):
        """Hovers the point once no hint is up, and answers the hint that
        comes with that text (an earlier hint may still be on its way out)."""
        self.session.move(0, 0)
        harness.wait_until(lambda: not self.visible_hints(app), timeout=10, what="no hint up")
        self.session.move(client["left"] + point[0] - 3, client["top"] + point[1])
        self.session.move(client["left"] + point[0], client["top"] + point[1])
        hints = harness.wait_until(lambda: self.visible_hints(app), timeout=5, what="a hint")
        return harness.wait_until(lambda: next((w for w in self.visible_hints(app) if w["caption"] == text), None),
                                  timeout=5, what=f"the hint {text!r} (showing: {[h['caption'] for h in hints]})")

    def test_hints_of_the_banner_follow_the_parent_rules(self):
        app = self.start_kelvora()
        client = app.wait_window("TForm1", visible=True)["client"]
        self.hint_over(app, client, CREDITS, "关闭本窗口")
        self.session.screenshot("hint-credits")
        # The picture's own hint is never shown: the panel's is.
        self.hint_over(app, client, (152 + 40, 8 + 60), "点闪烁的字，即立刻关闭本窗口！")
        self.assertEqual([h["caption"] for h in self.visible_hints(app)], ["点闪烁的字，即立刻关闭本窗口！"])
        self.session.move(0, 0)
        harness.wait_until(lambda: not any(w["class"] == HINT_CLASS and w["visible"] for w in app.windows()),
                           timeout=5, what="the hint to go")
