"""The shaped hints as a user sees them: hovering the banner's panel and its
credits, and the farewell picture after "退出抓图". Each hint is read back
from the screen: its outline, border, shadow and letters, and the screen
showing through beside the shape."""

from PIL import ImageChops

import harness
from test_tray_menu import TrayMenuCase

HINT_CLASS = "TShapeHintWindow"
PANEL_HINT = "点闪烁的字，即立刻关闭本窗口！"
CREDITS_HINT = "关闭本窗口"
FAREWELL_HINT = "Orvak软件：这里是中国！( 双击立刻关闭此窗口.)"
# Points of the banner's client area: the panel beside its picture, and the
# credits label.
PANEL_POINT = (152 + 40, 8 + 60)
CREDITS_POINT = (152 + 77 + 30, 8 + 104 + 6)

GREEN = (0, 128, 0)
RED = (255, 0, 0)
BLUE = (0, 0, 255)
SHADOW_BLUE = (27, 122, 228)
SKY_BLUE = (166, 202, 240)
DEPTH = 6


def shaped_hints(app):
    return [w for w in app.windows() if w["class"] == HINT_CLASS and w["visible"]]


class ShapedHintCase(TrayMenuCase):

    def hover_for_hint(self, app, window, point, text, shot):
        """The screen with no hint up, then the hint that comes when the
        pointer rests on a point of a window's client area, and the screen
        with it."""
        self.session.move(0, 0)
        harness.wait_until(lambda: not shaped_hints(app), timeout=10, what="no hint up")
        before = self.session.screen(f"{shot}-before")
        x, y = self.at(window, point)
        self.session.move(x - 3, y)
        self.session.move(x, y)
        hint = harness.wait_until(lambda: next((w for w in shaped_hints(app) if w["caption"] == text), None),
                                  timeout=10, what=f"the hint {text!r}")
        r = hint["rect"]
        box = (r["left"], r["top"], r["left"] + r["width"], r["top"] + r["height"])

        def drawn():
            # The hint is composed off the screen and copied in one go.
            screen = self.session.screen(shot)
            return screen if ImageChops.difference(screen.crop(box), before.crop(box)).getbbox() else None

        return r, (x, y), before, harness.wait_until(drawn, timeout=5, what="the hint on the screen")

    def pixel(self, image, rect, dx, dy):
        return image.getpixel((rect["left"] + dx, rect["top"] + dy))


class BannerHintTest(ShapedHintCase):

    def setUp(self):
        super(TrayMenuCase, self).setUp()  # the banner stays up for its fade

    def check_banner_look(self, rect, pointer, before, after, clear_corners):
        w, h = rect["width"], rect["height"]
        self.assertEqual((rect["left"], rect["bottom"]), (pointer[0] + 1, pointer[1] - 1),
                         "above and to the right of the pointer")
        self.assertEqual(self.pixel(after, rect, 0, 0), GREEN, "the border's corner")
        self.assertEqual(self.pixel(after, rect, w - DEPTH - 1, h - DEPTH - 1), GREEN)
        self.assertEqual(self.pixel(after, rect, w // 2, h - DEPTH - 1), GREEN)
        self.assertEqual(self.pixel(after, rect, w - 3, h - 3), SHADOW_BLUE, "the shadow")
        self.assertEqual(self.pixel(after, rect, DEPTH + 1, h - 3), SHADOW_BLUE)
        corners = {"top right": ((w - 1, 0), (w - 2, DEPTH - 2)), "bottom left": ((0, h - 1), (DEPTH - 2, h - 2))}
        for dx, dy in (p for name in clear_corners for p in corners[name]):
            self.assertEqual(self.pixel(after, rect, dx, dy), self.pixel(before, rect, dx, dy),
                             f"the screen beside the shape at {dx}, {dy}")
        fill = self.pixel(after, rect, 1, 1)
        self.assertNotIn(fill, (GREEN, BLUE, SHADOW_BLUE))
        self.assertEqual(self.pixel(after, rect, 2, 2), fill)
        letters = [self.pixel(after, rect, dx, dy) for dx in range(3, w - DEPTH - 3) for dy in range(3, h - DEPTH - 3)]
        self.assertGreater(letters.count(BLUE), 30, "blue letters")
        self.assertGreater(letters.count(fill), letters.count(BLUE), "outlined letters leave the body showing")

    def test_the_banners_hints_are_green_bordered_rectangles_with_a_blue_shadow(self):
        app = self.start_kelvora()
        banner = app.wait_window("TForm1", visible=True)
        rect, pointer, before, after = self.hover_for_hint(app, banner, PANEL_POINT, PANEL_HINT, "hint-banner-panel")
        self.check_banner_look(rect, pointer, before, after, ("top right", "bottom left"))
        rect, pointer, before, after = self.hover_for_hint(app, banner, CREDITS_POINT, CREDITS_HINT,
                                                           "hint-banner-credits")
        # The credits turn blue under the pointer, just below the hint.
        self.check_banner_look(rect, pointer, before, after, ("top right",))
        self.assertEqual(len(shaped_hints(app)), 1)
        self.session.move(0, 0)
        harness.wait_until(lambda: not shaped_hints(app), timeout=5, what="the hint to go")


class FarewellHintTest(ShapedHintCase):

    def test_after_exit_the_hints_are_sky_blue_with_a_red_border_and_a_nose(self):
        app = self.start()
        self.choose("退出抓图")
        farewell = app.wait_window("TForm6", visible=True)
        rect, pointer, before, after = self.hover_for_hint(app, farewell, (200, 150), FAREWELL_HINT,
                                                           "hint-farewell")
        w, h = rect["width"], rect["height"]
        self.assertEqual((rect["left"], rect["bottom"]), (pointer[0] + 1, pointer[1] - 1))
        self.assertEqual(self.pixel(after, rect, w // 2, 0), RED, "the body's top border")
        self.assertEqual(self.pixel(after, rect, w // 2, 2), SKY_BLUE)
        # The body starts 15 pixels in; the nose points at the pointer from
        # the bottom-left corner.
        self.assertEqual(self.pixel(after, rect, 2, 2), self.pixel(before, rect, 2, 2), "the screen beside the body")
        self.assertEqual(self.pixel(after, rect, 0, h - DEPTH), RED, "the nose's tip")
        self.assertEqual(self.pixel(after, rect, 35, h - DEPTH - 16), SKY_BLUE, "the nose joins the body")
        self.assertEqual(self.pixel(after, rect, 20, h - DEPTH - 16), RED, "the body's bottom border beside it")
        letters = [self.pixel(after, rect, dx, dy) for dx in range(19, w - DEPTH - 5) for dy in range(4, h - DEPTH - 16)]
        self.assertGreater(letters.count(BLUE), 30, "blue letters")
        self.session.double_click(*self.at(farewell, (160, 117)))
        self.assertEqual(app.wait_exit(timeout=15), 0)
