"""The settings window, the about box and the viewer as a screen reader reads
them from another process: the probe walks each object's role, name, state,
place and children through Active Accessibility. Wine's own objects would
read every control as a "client" named by its caption, with no children."""

import re

import harness
from test_keyboard import KeyboardCase
from test_tray_menu import ABOUT_CAPTION, AUTOSTART, RUN_KEY

CLIENT, PANE, GROUPING, RADIO, TEXT, GRAPHIC = 0x0A, 0x10, 0x14, 0x2D, 0x29, 0x28
FOCUSED, CHECKED, READONLY, HIDDEN, FOCUSABLE = 0x4, 0x10, 0x40, 0x8000, 0x100000
ANY = None  # the credits' wording, or a length a label takes from its font

# First run, with the short display time the tests start the banner with:
# "do not start" checked, none of the three times, the focus on the first
# of them. Places are left, top, width, height in the client area.
SETTINGS = [
    (0, CLIENT, "Kelvora设置", FOCUSABLE, (0, 0, 355, 287)),
    (1, PANE, "", 0, (0, 0, 355, 287)),
    (2, GROUPING, "Kelvora启动设置", 0, (16, 16, 321, 129)),
    (3, RADIO, "每次开机自行启动。", FOCUSABLE, (32, 48, 121, 17)),
    (3, RADIO, "每次开机不要自行启动。", FOCUSABLE | CHECKED, (32, 72, 153, 17)),
    (2, GROUPING, "Kelvora启动画面设置", 0, (16, 168, 193, 105)),
    (3, RADIO, "画面显示时间为3秒", FOCUSABLE | FOCUSED, (32, 192, 121, 17)),
    (3, RADIO, "画面显示时间为30秒", FOCUSABLE, (32, 216, 129, 17)),
    (3, RADIO, "画面显示时间为300秒", FOCUSABLE, (32, 240, 137, 17)),
    (2, GRAPHIC, "设置完成", 0, (256, 192, 81, 81)),
    (2, PANE, "", HIDDEN, (248, 192, 89, 81)),
    (3, GRAPHIC, "设置完成", HIDDEN, (256, 192, 81, 81)),
]

ABOUT = [
    (0, CLIENT, re.compile(re.escape(ABOUT_CAPTION) + r"(.+\*\^_\^\*)?"), FOCUSABLE | FOCUSED, (0, 0, 350, 160)),
    (1, PANE, "", 0, (0, 0, 350, 160)),
    (2, PANE, "", 0, (8, 16, 329, 129)),
    (3, TEXT, "敬请关注下期软件", READONLY, (14, 22, 19, 117)),
    (3, GRAPHIC, "", 0, (40, 24, 73, 105)),
    (3, TEXT, "  Orvak Software Workroom", READONLY, (120, 24, 202, 17)),
    (3, TEXT, ANY, READONLY, (208, 48, 112, ANY)),
    (3, TEXT, ANY, READONLY, (272, 112, 49, 13)),
    (3, GRAPHIC, "", 0, (128, 112, 17, 17)),
    (3, TEXT, "Orvak软件工作室", READONLY, (144, 112, 112, 15)),
    (3, GRAPHIC, "", 0, (256, 112, 17, 17)),
]


def viewer_tree(width, height):
    """The viewer's picture fills its panel inside the 3-pixel bevel; the
    client area's size is the system frame's to decide."""
    return [
        (0, CLIENT, "Kelvorav20->显示抓图", FOCUSABLE | FOCUSED, (0, 0, width, height)),
        (1, PANE, "", 0, (0, 0, width, height)),
        (2, GRAPHIC, "", 0, (3, 3, width - 6, height - 6)),
    ]


def rows(node, origin, depth=0):
    r = node["rect"]
    yield (depth, node["role"], node["name"], node["state"],
           (r["left"] - origin[0], r["top"] - origin[1], r["width"], r["height"]))
    for child in node["children"]:
        yield from rows(child, origin, depth + 1)


def matched(expected, read):
    """What was read, with the fields the expectation leaves open (ANY, a
    pattern) taken from the expectation where they hold."""
    def field(e, r):
        if e is ANY:
            return e if r not in ("", None) else r
        if isinstance(e, re.Pattern):
            return e if e.fullmatch(r) else r
        if isinstance(e, tuple):
            return tuple(field(a, b) for a, b in zip(e, r))
        return r
    return [tuple(field(e, r) for e, r in zip(exp, got)) for exp, got in zip(expected, read)] + read[len(expected):]


class AccessibilityTest(KeyboardCase):

    def assert_reads(self, app, class_name, expected, shot):
        window = app.wait_window(class_name, visible=True)
        self.session.screenshot(shot)
        client = window["client"]
        if callable(expected):
            expected = expected(client["width"], client["height"])
        read = list(rows(self.session.probe("accessible", window["hwnd"]), (client["left"], client["top"])))
        self.assertEqual(matched(expected, read), expected)
        return window

    def test_settings_about_box_and_viewer_read_as_their_layouts_say(self):
        self.session.reg_delete(RUN_KEY, AUTOSTART)
        self.with_capture()
        app = self.start(cwd=self.folder)
        for command, class_name, expected in (("抓图设置", "TForm4", SETTINGS), ("关于我们", "TAboutBox", ABOUT),
                                              ("显示抓图", "TForm3", viewer_tree)):
            self.choose(command)
            window = self.assert_reads(app, class_name, expected, f"accessible-{class_name}")
            self.session.close(window["hwnd"])
            harness.wait_until(lambda: not (app.window(class_name) or {}).get("visible"), timeout=5,
                               what=f"the {class_name} window to close")
