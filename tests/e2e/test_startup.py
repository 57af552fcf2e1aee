"""Start-up and the end of the run, seen from outside kelvora.exe."""

import unittest

import harness

TRAY_TIP = "Kelvora^_^"
CLIENT_SIZE = (535, 137)
GREEN = (0, 128, 0)


class StartupTest(harness.KelvoraTestCase):

    def test_intro_window_is_visible_topmost_and_centred(self):
        app = self.start_kelvora()
        intro = app.wait_window("TForm1", visible=True)

        self.assertTrue(intro["topmost"])
        client = intro["client"]
        self.assertEqual((client["width"], client["height"]), CLIENT_SIZE)
        rect = intro["rect"]
        screen_width, screen_height = self.session.size
        self.assertEqual(rect["left"], (screen_width - rect["width"]) // 2)
        self.assertEqual(rect["top"], (screen_height - rect["height"]) // 2)

    def test_intro_window_paints_its_green_banner(self):
        app = self.start_kelvora()
        client = app.wait_window("TForm1", visible=True)["client"]
        # Points between the side labels and the centre panel show the outer
        # panel's own colour. Until its first paint the window shows black.
        points = [(client["left"] + 100, client["top"] + 68),
                  (client["left"] + 430, client["top"] + 68)]

        def colours():
            screen = self.session.screen("startup-intro")
            return [screen.getpixel(point) for point in points]

        harness.eventually(lambda: colours() == [GREEN, GREEN], timeout=5)
        self.assertEqual(colours(), [GREEN, GREEN])

    def test_selector_and_viewer_exist_hidden(self):
        app = self.start_kelvora()
        app.wait_window("TForm1", visible=True)
        for class_name in ("TNewform", "TForm3"):
            with self.subTest(window=class_name):
                window = app.wait_window(class_name)
                self.assertFalse(window["visible"])

    def test_application_window_exists(self):
        app = self.start_kelvora()
        app.wait_window("TForm1", visible=True)
        self.assertIsNotNone(app.wait_window("TApplication"))

    def icon_count(self):
        return len(self.session.tray_icons(TRAY_TIP))

    def test_tray_icon_is_added(self):
        # Counted against what the shell shows before the start: a copy that
        # an earlier test had to kill may have left its icon behind.
        before = self.icon_count()
        app = self.start_kelvora()
        app.wait_window("TForm1", visible=True)
        harness.wait_until(lambda: self.icon_count() == before + 1, timeout=10, what="the tray icon")
        self.assertEqual(self.icon_count(), before + 1)

    def test_closing_the_main_window_ends_the_program_with_exit_code_0(self):
        before = self.icon_count()
        app = self.start_kelvora()
        intro = app.wait_window("TForm1", visible=True)
        harness.wait_until(lambda: self.icon_count() == before + 1, timeout=10, what="the tray icon")
        self.session.close(intro["hwnd"])
        self.assertEqual(app.wait_exit(timeout=15), 0)
        harness.wait_until(lambda: self.icon_count() == before, timeout=10, what="the tray icon to go")

    def test_a_second_copy_runs_independently(self):
        first = self.start_kelvora()
        first_intro = first.wait_window("TForm1", visible=True)
        second = self.start_kelvora()
        second_intro = second.wait_window("TForm1", visible=True)

        self.assertNotEqual(first.win_pid, second.win_pid)
        self.assertNotEqual(first_intro["hwnd"], second_intro["hwnd"])
        self.assertEqual(len(self.session.find("TForm1")), 2)

        self.session.close(second_intro["hwnd"])
        self.assertEqual(second.wait_exit(timeout=15), 0)
        self.assertTrue(first.running())
        self.assertIsNotNone(first.window("TForm1"))

    def test_each_copy_has_its_own_tray_icon(self):
        before = self.icon_count()
        first = self.start_kelvora()
        first.wait_window("TForm1", visible=True)
        second = self.start_kelvora()
        second.wait_window("TForm1", visible=True)
        icons = harness.wait_until(lambda: self.icon_count() == before + 2 and
                                   self.session.tray_icons(TRAY_TIP),
                                   timeout=10, what="two more tray icons")
        centres = [tuple(icon["center"]) for icon in icons]
        self.assertEqual(len(set(centres)), len(centres), "each icon has a place of its own")


if __name__ == "__main__":
    unittest.main()
