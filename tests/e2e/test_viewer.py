"""The capture viewer as a user meets it: "显示抓图" from the tray menu before
and after a capture, the picture on its green panel, its right-click menu,
and "图片另存为..." through the save dialog with its preview pane."""

import shutil
import tempfile
import time
from pathlib import Path

import harness

TRAY_TIP = "Kelvora^_^"
CAPTURE = "新截图1.BMP"
NO_CAPTURE = "魔法提示:\r\r您还没有截图呢?呵..呵...真粗心啊?!\r"
MENU = ["图片另存为...", "退出显示窗口"]
GREEN = (0, 128, 0)
IDCANCEL = 2
PREVIEW_SIZE_ID = 0x0502


def image_area(viewer):
    """The viewer's image area inside the panel's 3-pixel bevel, in client
    coordinates: the panel fills the client area, whose size depends on the
    system's frame (325 × 274 of the 333 × 301 window under Wine 8, a taller
    caption under Wine 10)."""
    client = viewer["client"]
    return 3, 3, client["right"] - client["left"] - 6, client["bottom"] - client["top"] - 6


def windows_path(path):
    """A Linux path as the program sees it through Wine's Z: drive."""
    return "Z:" + str(path).replace("/", "\\")


def fitted(width, height, area_width, area_height):
    """Where the viewer draws a picture: (left, top, width, height) in the area."""
    w, h = width, height
    if width > area_width or height > area_height:
        if width > height:
            w, h = area_width, area_width * height // width
            if h > area_height:
                w, h = area_height * width // height, area_height
        else:
            w, h = area_height * width // height, area_height
            if w > area_width:
                w, h = area_width, area_width * height // width
    return (area_width - w) // 2, (area_height - h) // 2, w, h


class ViewerTest(harness.KelvoraTestCase):

    def setUp(self):
        super().setUp()
        # A folder of its own as the program's current directory, holding
        # nothing but what the test puts there (and the capture file).
        self.folder = Path(tempfile.mkdtemp(prefix="viewer-", dir=self.session.run_dir))
        self.addCleanup(shutil.rmtree, self.folder, True)

    # ---- steps a user takes -------------------------------------------------

    def start(self):
        """Starts Kelvora in the test's folder and hides the banner with the
        tray toggle, so that it covers nothing."""
        app = self.start_kelvora(cwd=self.folder)
        app.wait_window("TForm1", visible=True)
        icon = harness.wait_until(lambda: self.session.tray_icons(TRAY_TIP), timeout=10,
                                  what="the tray icon")[-1]
        self.session.double_click(*icon["center"])
        harness.wait_until(lambda: not app.window("TForm1")["visible"], timeout=5,
                           what="the banner to hide")
        return app, icon

    def tray_command(self, icon, text):
        self.session.click_tray_icon(icon, button=3)
        harness.wait_until(lambda: any(m["items"] for m in self.session.menus()), timeout=5,
                           what="the tray menu")
        self.session.click_menu_item(text)

    def open_viewer_menu(self, viewer, point=None):
        """Right-clicks the viewer (its centre unless told) and returns the
        menu's items once it is open."""
        client = viewer["client"]
        x, y = point or ((client["left"] + client["right"]) // 2, (client["top"] + client["bottom"]) // 2)
        self.session.click(x, y, button=3)
        menu = harness.wait_until(lambda: next((m for m in self.session.menus() if m["items"]), None),
                                  timeout=5, what="the viewer's menu")
        return menu["items"]

    def close_menu(self):
        self.session.key("Escape")
        harness.wait_until(lambda: not any(m["items"] for m in self.session.menus()), timeout=5,
                           what="the menu to close")

    def desktop_capture(self, app, icon):
        """"抓桌面图", answered with Cancel: only the capture file is written."""
        self.tray_command(icon, "抓桌面图")
        question = app.wait_dialog()
        self.assertEqual(question["caption"], "存档or显示")
        cancel = next(c for c in question["controls"] if c["id"] == IDCANCEL)
        self.session.click_rect(cancel["rect"])
        harness.wait_until(lambda: not app.dialogs(), timeout=5, what="the question to close")
        return self.folder / CAPTURE

    def show_viewer(self, app, icon):
        self.tray_command(icon, "显示抓图")
        return app.wait_window("TForm3", visible=True)

    def close_viewer(self, app, viewer):
        self.session.close(viewer["hwnd"])
        harness.wait_until(lambda: not app.window("TForm3")["visible"], timeout=5,
                           what="the viewer to close")

    # ---- tests --------------------------------------------------------------

    def test_before_any_capture_it_says_so_and_opens_empty_with_save_as_disabled(self):
        app, icon = self.start()
        self.tray_command(icon, "显示抓图")
        message = app.wait_dialog()
        self.assertEqual(message["caption"], "Kelvorav21")
        self.assertEqual(message["texts"], [NO_CAPTURE])
        self.session.screenshot("viewer-no-capture-message")
        self.session.answer(message, 1)  # OK

        viewer = app.wait_window("TForm3", visible=True)
        self.assertEqual(viewer["caption"], "Kelvorav20->显示抓图")
        self.assertEqual((viewer["rect"]["width"], viewer["rect"]["height"]), (333, 301))
        width, height = self.session.size
        self.assertEqual(viewer["rect"]["left"], (width - 333) // 2)
        self.assertEqual(viewer["rect"]["top"], (height - 301) // 2)
        client = viewer["client"]
        screen = self.session.screen("viewer-empty")
        self.assertEqual(screen.getpixel(((client["left"] + client["right"]) // 2,
                                          (client["top"] + client["bottom"]) // 2)), GREEN)

        items = self.open_viewer_menu(viewer)
        self.assertEqual([harness._plain(i["text"]) for i in items], MENU)
        self.assertFalse(items[0]["enabled"], "nothing to save")
        self.assertTrue(items[1]["enabled"])
        self.session.screenshot("viewer-empty-menu")
        self.close_menu()
        self.close_viewer(app, viewer)
        self.assertFalse((self.folder / CAPTURE).exists())

    def test_desktop_capture_is_shown_shrunk_and_centred_on_the_green_panel(self):
        app, icon = self.start()
        capture = self.desktop_capture(app, icon)
        self.assertTrue(capture.is_file())
        viewer = self.show_viewer(app, icon)
        self.assertEqual(app.dialogs(), [], "no message: there is a capture")
        from PIL import Image
        with Image.open(capture) as picture:
            size = picture.size
            shot = picture.convert("RGB")
        self.assertEqual(size, self.session.size)
        area = image_area(viewer)
        left, top, w, h = fitted(*size, area[2], area[3])
        self.assertLess(w, size[0], "a full-screen capture is always shrunk")
        client = viewer["client"]
        x0, y0 = client["left"] + area[0] + left, client["top"] + area[1] + top

        def painted():
            screen = self.session.screen("viewer-desktop-capture")
            return screen if screen.getpixel((x0 + w // 2, y0 - 2)) == GREEN else None
        screen = harness.wait_until(painted, timeout=5, what="the viewer to paint")

        # Green above and below the picture, across the whole image area.
        for x in range(client["left"] + area[0], client["left"] + area[0] + area[2], 7):
            self.assertEqual(screen.getpixel((x, y0 - 1)), GREEN, f"above, at x={x}")
            self.assertEqual(screen.getpixel((x, y0 + h)), GREEN, f"below, at x={x}")
        # Inside, the capture itself, shrunk: compared with the file scaled
        # down the same way (a sampled copy, so a few pixels may differ).
        scaled = shot.resize((w, h), Image.NEAREST)
        same = total = 0
        for y in range(0, h, 3):
            for x in range(0, w, 3):
                a = screen.getpixel((x0 + x, y0 + y))
                b = scaled.getpixel((x, y))
                total += 1
                same += all(abs(p - q) <= 48 for p, q in zip(a, b))
        self.assertGreater(same / total, 0.85, f"{same} of {total} sampled pixels match the capture")
        self.close_viewer(app, viewer)

    def test_save_as_from_the_viewer_writes_the_capture_again_with_a_preview_in_the_dialog(self):
        app, icon = self.start()
        capture = self.desktop_capture(app, icon)
        viewer = self.show_viewer(app, icon)
        items = self.open_viewer_menu(viewer)
        self.assertTrue(items[0]["enabled"])
        self.session.screenshot("viewer-menu")
        self.session.click_menu_item("图片另存为...")

        # The dialog still moves once its preview pane has widened it: the
        # user clicks only once it stays put, and into where the name box
        # is then (a click meant for it that lands on the file types would
        # choose another filter, and the list would hide the capture).
        previous = app.wait_dialog()

        def settled():
            nonlocal previous
            time.sleep(0.3)
            current = app.dialogs()[0]
            stable = current["window"]["rect"] == previous["window"]["rect"]
            previous = current
            return current if stable else None
        harness.wait_until(settled, timeout=10, what="the save dialog to settle")

        def name_box():
            controls = app.dialogs()[0]["controls"]
            return next(c for c in controls if c["class"] == "Edit" and c["id"] in (0x47C, 0x480))
        # Into the program's folder, then a click on its only file, the
        # capture: the preview pane shows it with its size.
        def file_list():
            return next(c for c in app.dialogs()[0]["controls"] if c["class"] == "SysListView32")

        def preview_size():
            for d in app.dialogs():
                for c in d["controls"]:
                    if c["id"] == PREVIEW_SIZE_ID and c["text"]:
                        return c["text"]
            return None
        # The dialog may not take the first keys while it is still becoming
        # the active window: then the user types the folder again.
        for _ in range(3):
            self.session.click_rect(name_box()["rect"])
            self.session.key("End", "shift+Home")
            self.session.type_text(windows_path(self.folder))
            self.session.key("Return")
            if harness.eventually(lambda: file_list()["items"] == 1, timeout=5):
                break
        # A click while the list is still being refilled selects nothing:
        # then the user clicks the file again.
        for _ in range(3):
            rect = harness.wait_until(lambda: file_list()["items"] == 1 and file_list(), timeout=10,
                                      what="the folder's one file in the list")["rect"]
            self.session.click(rect["left"] + 30, rect["top"] + 10)
            if harness.eventually(preview_size, timeout=5):
                break
        self.assertEqual(harness.wait_until(preview_size, timeout=5, what="the preview"),
                         "%d x %d" % self.session.size)
        self.session.screenshot("viewer-save-dialog-preview")

        target = self.folder / "copy.bmp"
        self.session.click_rect(name_box()["rect"])
        self.session.key("End", "shift+Home")
        self.session.type_text(windows_path(target))
        self.session.key("Return")
        harness.wait_until(lambda: not app.dialogs(), timeout=10, what="the dialog to close")
        harness.wait_until(target.is_file, timeout=5, what="the saved file")
        self.assertEqual(target.read_bytes(), capture.read_bytes())
        self.assertTrue(app.window("TForm3")["visible"], "the viewer stays open")
        self.close_viewer(app, viewer)


if __name__ == "__main__":
    import unittest
    unittest.main()
