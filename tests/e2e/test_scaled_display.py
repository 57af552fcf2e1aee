"""Kelvora on displays scaled to 144 and 192 dots per inch, each in a Wine
prefix of its own: the banner and its hint laid out at the scale, and the
captures in physical pixels, exactly the ones dragged over."""

import unittest

import harness
import test_capture
from test_shape_hints import PANEL_HINT, PANEL_POINT, ShapedHintCase, shaped_hints

GREEN = (0, 128, 0)
SHADOW_BLUE = (27, 122, 228)


def scaled(value, dpi):
    """A 96-dpi length at `dpi`, halves rounded away from zero."""
    q, r = divmod(abs(value) * dpi, 96)
    return (q + (1 if 2 * r >= 96 else 0)) * (1 if value >= 0 else -1)


class ScaledSessionMixin:
    """Runs the class's tests in one scaled session of its own."""

    dpi = 144

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scaled = harness.scaled_session(cls.dpi)

    @classmethod
    def tearDownClass(cls):
        cls.scaled.stop()
        super().tearDownClass()

    def session_for_test(self):
        return self.scaled


class ScaledBannerCase(ScaledSessionMixin, ShapedHintCase):

    def setUp(self):
        # The banner stays up for its whole fade.
        harness.KelvoraTestCase.setUp(self)

    def test_the_banner_and_its_hint_are_laid_out_at_the_scale(self):
        dpi = self.dpi
        app = self.start_kelvora()
        banner = app.wait_window("TForm1", visible=True)
        client = banner["client"]
        self.assertEqual((client["width"], client["height"]), (scaled(535, dpi), scaled(137, dpi)))
        green_at = (client["left"] + scaled(100, dpi), client["top"] + scaled(60, dpi))
        screen = harness.wait_until(
            lambda: (lambda shot: shot if shot.getpixel(green_at) == GREEN else None)(
                self.session.screen(f"scaled-{dpi}-banner")), timeout=10, what="the banner on the screen")
        # The inner panel (152, 8, 217 × 121 at 96 dpi) and its bevels stand
        # where the scaled layout puts them, on the green of the banner.
        panel_x, panel_y = client["left"] + scaled(152, dpi), client["top"] + scaled(8, dpi) + scaled(40, dpi)
        self.assertEqual(screen.getpixel((panel_x - 1, panel_y)), GREEN)
        self.assertNotEqual(screen.getpixel((panel_x, panel_y)), GREEN)
        panel_right = panel_x + scaled(217, dpi)
        self.assertEqual(screen.getpixel((panel_right, panel_y)), GREEN)
        self.assertNotEqual(screen.getpixel((panel_right - 1, panel_y)), GREEN)

        rect, pointer, before, after = self.hover_for_hint(app, banner, tuple(scaled(v, dpi) for v in PANEL_POINT),
                                                           PANEL_HINT, f"scaled-{dpi}-hint")
        w, h, depth = rect["width"], rect["height"], scaled(6, dpi)
        self.assertEqual((rect["left"], rect["bottom"]), (pointer[0] + scaled(1, dpi), pointer[1] - scaled(1, dpi)))
        self.assertEqual(self.pixel(after, rect, 0, 0), GREEN)
        self.assertEqual(self.pixel(after, rect, w - depth - 1, h - depth - 1), GREEN, "the body ends a scaled "
                         "shadow depth before the window's edge")
        self.assertEqual(self.pixel(after, rect, w - 3, h - 3), SHADOW_BLUE)
        for dx in range(w - depth, w):
            self.assertEqual(self.pixel(after, rect, dx, 1), self.pixel(before, rect, dx, 1),
                             f"the screen beside the body at {dx}")
        self.session.move(0, 0)
        harness.wait_until(lambda: not shaped_hints(app), timeout=5, what="the hint to go")


class ScaledCaptureCase(ScaledSessionMixin, test_capture.CaptureTest):

    def test_the_desktop_capture_is_the_whole_physical_screen(self):
        palette = self.show_pattern("halftone")
        app = self.start()
        question = self.desktop_capture(app)
        self.session.screenshot(f"scaled-{self.dpi}-desktop-question")
        self.assert_desktop_file(self.capture_file.read_bytes(), palette)
        self.answer(question, test_capture.IDCANCEL)

    def test_a_dragged_region_is_exactly_the_physical_pixels_dragged_over(self):
        palette = self.show_pattern("pixels")
        app = self.start()
        self.choose("抓区域图")
        selector = app.wait_window("TNewform", visible=True)
        self.assertEqual((selector["rect"]["width"], selector["rect"]["height"]), self.session.size)
        self.wait_pattern_shown(test_capture.pixel_colour, "the selector's still picture")
        self.drag((101, 83), (263, 207))
        question = self.dialog(app, test_capture.SAVE_CAPTION)
        self.assert_region_file(self.capture_file.read_bytes(), 101, 83, 263, 207, palette)
        self.answer(question, test_capture.IDNO)


class Banner144(ScaledBannerCase):
    dpi = 144


class Banner192(ScaledBannerCase):
    dpi = 192


class Capture144(ScaledCaptureCase):
    dpi = 144


class Capture192(ScaledCaptureCase):
    dpi = 192


def load_tests(loader, tests, pattern):
    """Only the tests written here, in the classes bound to a scale; the
    captures' other tests run at 96 dpi in their own module."""
    suite = unittest.TestSuite()
    for case in (Banner144, Banner192, Capture144, Capture192):
        base = ScaledBannerCase if issubclass(case, ScaledBannerCase) else ScaledCaptureCase
        suite.addTests(case(name) for name in loader.getTestCaseNames(case) if name in vars(base))
    return suite
