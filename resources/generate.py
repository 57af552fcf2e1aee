#!/usr/bin/python3
"""Draws Kelvora's icons, menu glyphs, banner picture and metafiles beside this script.

    /usr/bin/python3 resources/generate.py [--sheet PNG]

The outputs are committed; the build only compiles kelvora.rc. Icons and bitmaps are
packed by hand so that every byte of their layout is ours (32-bit BGRA plus AND mask, and
an 8-bit copy for 256-colour displays); only the JPEG encoding goes through PIL
(python3-pil, installed by scripts/setup-deps.sh). The two vector pictures are placeable
Windows metafiles written record by record. The output is deterministic.

Every icon and glyph is drawn in a 16 x 16 unit square and rasterised at the wanted pixel size
with 4 x 4 samples per pixel, so the 32 and 48 pixel application icons share the design
of tray icon 0. Edges are kept on whole units where the 16 pixel picture must stay crisp.
"""

import argparse
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4

# --- shapes: predicates over unit coordinates (x right, y down, 0..16) ---------------


def rect(x0, y0, x1, y1, r=0.0):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        if r <= 0:
            return True
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def arc(cx, cy, r_out, r_in, a0, a1):
    """Ring sector from angle a0 to a1 in degrees, clockwise on screen (0 = right, 90 = down)."""
    span = (a1 - a0) % 360

    def inside(x, y):
        if not ring(cx, cy, r_out, r_in)(x, y):
            return False
        return (math.degrees(math.atan2(y - cy, x - cx)) - a0) % 360 <= span
    return inside


def poly(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                hit = not hit
        return hit
    return inside


def segment(xa, ya, xb, yb, width):
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / length2))
        px, py = xa + t * dx - x, ya + t * dy - y
        return px * px + py * py <= width * width / 4
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def star(cx, cy, radii, turn=-90.0):
    """Polygon alternating between the given radii, starting at angle `turn`."""
    n = len(radii)
    return poly([(cx + radii[i] * math.cos(math.radians(turn + 360.0 * i / n)),
                  cy + radii[i] * math.sin(math.radians(turn + 360.0 * i / n)))
                 for i in range(n)])


def polar(cx, cy, r, angle):
    return (cx + r * math.cos(math.radians(angle)), cy + r * math.sin(math.radians(angle)))


def arrow_arc(cx, cy, r_mid, width, a0, a1, head_half, head_deg):
    """A ring sector ending in an arrowhead that points on clockwise past a1."""
    head = poly([polar(cx, cy, r_mid - head_half, a1), polar(cx, cy, r_mid + head_half, a1),
                 polar(cx, cy, r_mid, a1 + head_deg)])
    return union(arc(cx, cy, r_mid + width / 2, r_mid - width / 2, a0, a1 + 0.5), head)


# --- paints ---------------------------------------------------------------------------


def vgrad(y0, top, y1, bottom):
    def paint(x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return paint


def dashes(dark, light):
    return lambda x, y: dark if (int(x) + int(y)) // 2 % 2 == 0 else light


# --- canvas ---------------------------------------------------------------------------


class Canvas:
    """Straight-alpha RGBA picture: colours 0..255 as floats, alpha 0..1."""

    def __init__(self, size):
        self.size = size
        self.unit = 16.0 / size
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def fill(self, shape, paint):
        step = self.unit / SAMPLES
        for py in range(self.size):
            for px in range(self.size):
                x0, y0 = px * self.unit, py * self.unit
                hits = sum(1 for j in range(SAMPLES) for i in range(SAMPLES)
                           if shape(x0 + (i + 0.5) * step, y0 + (j + 0.5) * step))
                if hits:
                    colour = paint
                    if callable(paint):
                        colour = paint(x0 + self.unit / 2, y0 + self.unit / 2)
                    alpha = (colour[3] if len(colour) > 3 else 1.0) * hits / (SAMPLES * SAMPLES)
                    self._over(px, py, colour[:3], alpha)

    def _over(self, px, py, rgb, alpha):
        r, g, b, a = self.pixels[py][px]
        out = alpha + a * (1 - alpha)
        if out <= 0:
            return
        mix = [(c * alpha + d * a * (1 - alpha)) / out for c, d in zip(rgb, (r, g, b))]
        self.pixels[py][px] = (mix[0], mix[1], mix[2], out)

    def rgba8(self):
        """Rows top to bottom of (r, g, b, a) bytes."""
        return [[tuple(int(round(v)) for v in p[:3]) + (int(round(p[3] * 255)),) for p in row]
                for row in self.pixels]


def render(design, size):
    canvas = Canvas(size)
    design(canvas)
    return canvas.rgba8()


# --- colours --------------------------------------------------------------------------

WHITE = (255, 255, 255)
GOLD = (236, 186, 48)
GOLD_LIGHT = (255, 226, 120)
GOLD_DARK = (112, 72, 0)
GREEN_DARK = (0, 72, 0)

# --- designs: the eleven tray icons ----------------------------------------------------


def icon_camera(c):
    """0: the program's own icon: a green camera with a gold lens."""
    c.fill(rect(4, 2, 10, 6, 1), GREEN_DARK)
    c.fill(rect(5, 3, 9, 6), (96, 200, 96))
    c.fill(rect(11, 2, 14, 4), GOLD_DARK)
    c.fill(rect(11, 3, 14, 4), GOLD)
    c.fill(rect(1, 4, 15, 15, 1.5), GREEN_DARK)
    c.fill(rect(2, 5, 14, 14, 0.8), vgrad(5, (86, 196, 86), 14, (0, 120, 0)))
    c.fill(rect(12, 6, 14, 7), (236, 255, 236))
    c.fill(circle(8, 9.5, 4.5), (40, 28, 0))
    c.fill(circle(8, 9.5, 3.6), vgrad(6, GOLD_LIGHT, 13, (196, 136, 16)))
    c.fill(circle(8, 9.5, 2.4), (16, 40, 48))
    c.fill(circle(7.1, 8.6, 0.9), (220, 245, 255, 0.9))


def icon_about(c):
    """1: about: a blue disc with a white i."""
    c.fill(circle(8, 8, 7.6), (8, 48, 128))
    c.fill(circle(8, 8, 6.6), vgrad(2, (110, 176, 250), 14, (30, 86, 200)))
    c.fill(circle(8, 4.6, 1.35), WHITE)
    c.fill(union(rect(6, 7, 9, 8), rect(7, 7, 9, 12), rect(6, 11, 10, 13)), WHITE)


def icon_region(c):
    """2: region capture: a dashed selection with a red cross-hair at its corner."""
    c.fill(rect(1, 1, 13, 13), (200, 228, 255))
    c.fill(minus(rect(1, 1, 13, 13), rect(2, 2, 12, 12)), dashes((0, 0, 0), WHITE))
    c.fill(union(rect(11, 7, 14, 16), rect(7, 11, 16, 14)), WHITE)
    c.fill(minus(union(rect(12, 8, 13, 16), rect(8, 12, 16, 13)), rect(12, 12, 13, 13)),
           (220, 24, 24))


def icon_desktop(c):
    """3: desktop capture: a monitor showing a desktop with its task bar."""
    c.fill(rect(0, 1, 16, 12, 1), (48, 52, 62))
    c.fill(rect(1, 2, 15, 11), vgrad(2, (64, 160, 236), 11, (16, 84, 184)))
    for top in (3, 6):
        c.fill(rect(2, top, 4, top + 2), WHITE)
    c.fill(rect(7, 4, 13, 9), (236, 236, 236))
    c.fill(rect(7, 4, 13, 5), (0, 40, 140))
    c.fill(rect(1, 10, 15, 11), (196, 196, 196))
    c.fill(rect(1, 10, 3, 11), (0, 150, 0))
    c.fill(rect(7, 12, 9, 14), (112, 118, 128))
    c.fill(rect(4, 14, 12, 16, 0.6), (72, 78, 90))


def icon_change(c):
    """4: change icon: two arrows chasing each other round a circle."""
    c.fill(arrow_arc(8, 8, 5, 3.0, 190, 318, 3.4, 40), (120, 56, 0))
    c.fill(arrow_arc(8, 8, 5, 1.6, 192, 320, 2.3, 32), (250, 156, 30))
    c.fill(arrow_arc(8, 8, 5, 3.0, 10, 138, 3.4, 40), (40, 20, 110))
    c.fill(arrow_arc(8, 8, 5, 1.6, 12, 140, 2.3, 32), (130, 100, 240))


def icon_power(c):
    """5: power off: a red disc with the white power sign."""
    c.fill(circle(8, 8, 7.6), (110, 0, 0))
    c.fill(circle(8, 8, 6.6), vgrad(2, (255, 104, 84), 14, (176, 18, 18)))
    c.fill(minus(ring(8, 8.5, 4.6, 3.0), lambda x, y: y < 8 and abs(x - 8) < 2.6), WHITE)
    c.fill(rect(7, 2.5, 9, 9, 0.5), WHITE)


def icon_star(c):
    """6: a gold star, a frame of the icon animation that no menu item uses."""
    c.fill(star(8, 8.7, [8.4, 3.8] * 5), GOLD_DARK)
    c.fill(star(8, 8.7, [6.6, 2.9] * 5), vgrad(2, (255, 236, 130), 14, (226, 150, 10)))


def icon_exit(c):
    """7: exit: a wooden door with a green arrow leaving through it."""
    c.fill(rect(2, 1, 11, 16), (70, 40, 14))
    c.fill(rect(3, 2, 10, 16), vgrad(2, (200, 132, 68), 16, (136, 78, 32)))
    c.fill(rect(4, 3, 9, 7), (164, 100, 44))
    c.fill(circle(4.5, 10, 0.9), GOLD)
    c.fill(union(rect(5, 6, 11, 10), poly([(10, 3), (16, 8), (10, 13)])), GREEN_DARK)
    c.fill(union(rect(6, 7, 11.5, 9), poly([(11, 4.6), (14.4, 8), (11, 11.4)])),
           (70, 210, 70))


def icon_film(c):
    """8: animate: a film strip whose two frames show a ball moving."""
    c.fill(rect(0, 2, 16, 14), (36, 36, 42))
    for left in (1, 4, 7, 10, 13):
        c.fill(union(rect(left, 3, left + 2, 4), rect(left, 12, left + 2, 13)), (232, 232, 232))
    for left, ball in ((1, 3.5), (9, 12.5)):
        c.fill(rect(left, 5, left + 6, 11), vgrad(5, (150, 214, 255), 11, (70, 150, 230)))
        c.fill(circle(ball, 8, 1.6), GOLD)


def icon_picture(c):
    """9: show capture: a framed picture of hills under the sun."""
    c.fill(rect(0, 1, 16, 15), (104, 64, 8))
    c.fill(rect(1, 2, 15, 14), vgrad(2, GOLD_LIGHT, 14, (200, 140, 30)))
    c.fill(rect(2, 3, 14, 13), vgrad(3, (120, 196, 255), 13, (220, 240, 255)))
    c.fill(circle(10.8, 5.9, 1.5), (255, 200, 0))
    c.fill(poly([(2, 13), (2, 11), (6, 6.5), (9, 10), (11, 8), (14, 11.5), (14, 13)]),
           (20, 110, 34))
    c.fill(poly([(2, 13), (5, 10), (8, 13)]), (60, 160, 60))


def gear(body, tip, half_width, hole):
    teeth = []
    for k in range(8):
        ux, uy = polar(0, 0, 1, k * 45)
        teeth.append(lambda x, y, ux=ux, uy=uy: (
            (x - 8) * ux + (y - 8) * uy > 0
            and abs(-(x - 8) * uy + (y - 8) * ux) < half_width
            and (x - 8) ** 2 + (y - 8) ** 2 < tip * tip))
    return minus(union(circle(8, 8, body), *teeth), circle(8, 8, hole))


def icon_gear(c):
    """10: settings: a steel gear."""
    c.fill(gear(5.6, 8.0, 2.0, 2.0), (44, 50, 62))
    c.fill(gear(4.6, 7.0, 1.0, 3.0), vgrad(1, (214, 220, 230), 15, (116, 126, 144)))


TRAY_ICONS = [icon_camera, icon_about, icon_region, icon_desktop, icon_change, icon_power,
              icon_star, icon_exit, icon_film, icon_picture, icon_gear]


def icon_corner(c):
    """The banner's corner ornament: a gold compass star that reads on the green banner.
    Centred on a pixel rather than between two, so its points end in single sharp pixels."""
    c.fill(star(7.5, 7.5, [7.6, 3.4, 5.6, 3.4] * 4), GOLD_DARK)
    c.fill(star(7.5, 7.5, [6.4, 2.4, 4.2, 2.4] * 4), vgrad(1, (255, 240, 150), 15, (214, 148, 14)))
    c.fill(circle(7.5, 7.5, 1.2), (0, 96, 0))


# --- designs: the viewer's menu glyphs ----------------------------------------------


def glyph_save(c):
    """A blue floppy disk."""
    c.fill(minus(rect(1, 1, 15, 15), poly([(12, 1), (15, 1), (15, 4)])), (16, 28, 76))
    c.fill(minus(rect(2, 2, 14, 14), poly([(12, 1), (15, 1), (15, 5)])), (44, 84, 184))
    c.fill(rect(4, 2, 11, 6), (204, 210, 220))
    c.fill(rect(8, 3, 10, 5), (44, 84, 184))
    c.fill(rect(3, 8, 13, 14), (248, 248, 248))
    for top in (10, 12):
        c.fill(rect(4, top, 12, top + 1), (150, 150, 172))


def glyph_exit(c):
    """A red close box with a white cross."""
    c.fill(rect(1, 1, 15, 15, 2), (120, 0, 0))
    c.fill(rect(2, 2, 14, 14, 1.2), vgrad(2, (244, 92, 76), 14, (186, 24, 24)))
    c.fill(union(segment(5, 5, 11, 11, 2.2), segment(11, 5, 5, 11, 2.2)), WHITE)


# --- file formats ---------------------------------------------------------------------


def row_pad(data):
    return data + b"\0" * (-len(data) % 4)


def and_mask(rows, opaque):
    """1 bit per pixel, set where the pixel is transparent; rows bottom-up, 32-bit aligned."""
    out = b""
    for row in reversed(rows):
        bits = bytearray((len(row) + 7) // 8)
        for x, p in enumerate(row):
            if not opaque(p):
                bits[x // 8] |= 0x80 >> (x % 8)
        out += row_pad(bytes(bits))
    return out


def median_cut(colours, count):
    """Up to `count` representative colours for a list of (r, g, b)."""
    boxes = [sorted(set(colours))]
    while len(boxes) < count:
        box = max(boxes, key=lambda b: (len(b) > 1,
                                        max(max(c[i] for c in b) - min(c[i] for c in b)
                                            for i in range(3))))
        if len(box) < 2:
            break
        axis = max(range(3), key=lambda i: max(c[i] for c in box) - min(c[i] for c in box))
        box.sort(key=lambda c: c[axis])
        boxes.remove(box)
        boxes += [box[:len(box) // 2], box[len(box) // 2:]]
    return [tuple(sum(c[i] for c in b) // len(b) for i in range(3)) for b in boxes]


def icon_image_32(rows):
    size = len(rows)
    xor = b"".join(bytes(v for r, g, b, a in row for v in ((b, g, r, a) if a else (0, 0, 0, 0)))
                   for row in reversed(rows))
    mask = and_mask(rows, lambda p: p[3] > 0)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    return header + xor + mask


def icon_image_8(rows):
    """256-colour copy: alpha thresholded at one half; palette entry 0 is black for the
    transparent pixels, so that the XOR step leaves the screen unchanged there."""
    size = len(rows)
    solid = [p[:3] for row in rows for p in row if p[3] >= 128]
    palette = [(0, 0, 0)] + median_cut(solid, 255) if solid else [(0, 0, 0)]
    lookup = {}

    def index(rgb):
        if rgb not in lookup:
            lookup[rgb] = min(range(len(palette)),
                              key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], rgb)))
        return lookup[rgb]
    xor = b"".join(row_pad(bytes(index(p[:3]) if p[3] >= 128 else 0 for p in row))
                   for row in reversed(rows))
    mask = and_mask(rows, lambda p: p[3] >= 128)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    colours += b"\0" * (1024 - len(colours))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 8, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    return header + colours + xor + mask


def write_ico(path, images):
    """images: list of row lists; each size gets an 8-bit and a 32-bit entry."""
    entries = []
    for rows in images:
        entries.append((len(rows), 8, icon_image_8(rows)))
        entries.append((len(rows), 32, icon_image_32(rows)))
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    blobs = b""
    for size, bits, blob in entries:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(blob),
                                 offset + len(blobs))
        blobs += blob
    with open(path, "wb") as f:
        f.write(directory + blobs)


KEY_COLOUR = (255, 0, 255)
MENU_FACE = (212, 208, 200)


def write_glyph_bmp(path, rows):
    """24-bit bottom-up BMP. Pixels less than half covered become the key colour magenta,
    which is also the bottom-left pixel, the usual transparent-colour convention for menu
    glyphs; edge pixels are flattened onto the classic menu face colour."""
    size = len(rows)
    body = b""
    for row in reversed(rows):
        line = b""
        for r, g, b, a in row:
            if a < 128:
                r, g, b = KEY_COLOUR
            else:
                r, g, b = (round((v * a + f * (255 - a)) / 255)
                           for v, f in zip((r, g, b), MENU_FACE))
            line += bytes((b, g, r))
        body += row_pad(line)
    header = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(body), 0, 0, 54)
                + header + body)


# --- the banner picture ---------------------------------------------------------------


def draw_banner(path):
    """Abstract studio emblem: a gold iris aperture on a deep green field, framed in gold.
    Drawn at four times 130 x 210 and reduced, so edges come out smooth."""
    from PIL import Image, ImageDraw

    k = 4
    w, h = 130 * k, 210 * k
    field = Image.new("RGB", (w, h))
    cx, cy = w / 2, 92 * k
    pixels = []
    for y in range(h):
        for x in range(w):
            d = min(1.0, math.hypot(x - cx, (y - cy) * 0.8) / (120 * k))
            pixels.append((int(20 + 40 * (1 - d)), int(70 + 90 * (1 - d)), int(30 + 30 * (1 - d))))
    field.putdata(pixels)
    draw = ImageDraw.Draw(field)

    def at(r, angle):
        return polar(cx, cy, r, angle)

    for i in range(24):
        a = i * 15
        draw.polygon([at(60 * k, a - 2), at(100 * k, a), at(60 * k, a + 2)],
                     fill=(90, 150, 40) if i % 2 else (60, 120, 40))

    # The iris: each blade is the wedge at one corner of the hexagonal opening between the
    # continuations of its two edges, so the six blades tile the ring exactly.
    outer, opening = 50 * k, 17 * k
    iris = Image.new("RGB", (w, h), (70, 50, 0))
    blades = ImageDraw.Draw(iris)
    corners = [at(opening, i * 60 - 90) for i in range(6)]
    shades = [(246, 204, 84), (214, 160, 40), (236, 186, 60), (196, 140, 30), (226, 176, 52),
              (206, 150, 36)]
    far = 4 * outer / opening
    for j in range(6):
        (xp, yp), (xj, yj), (xn, yn) = corners[j - 1], corners[j], corners[(j + 1) % 6]
        blades.polygon([(xj, yj), (xj + (xj - xp) * far, yj + (yj - yp) * far),
                        (xj + (xn - xj) * far, yj + (yn - yj) * far)],
                       fill=shades[j], outline=(110, 74, 0), width=k)
    blades.polygon(corners, fill=(6, 46, 24))
    blades.ellipse([cx - 9 * k, cy - 11 * k, cx - 3 * k, cy - 6 * k], fill=(120, 200, 150))
    disc = Image.new("L", (w, h), 0)
    ImageDraw.Draw(disc).ellipse([cx - outer, cy - outer, cx + outer, cy + outer], fill=255)
    field.paste(iris, mask=disc)
    draw.ellipse([cx - outer - 7 * k, cy - outer - 7 * k, cx + outer + 7 * k, cy + outer + 7 * k],
                 outline=(255, 214, 100), width=6 * k)
    draw.ellipse([cx - outer - 2 * k, cy - outer - 2 * k, cx + outer + 2 * k, cy + outer + 2 * k],
                 outline=(120, 80, 0), width=2 * k)

    # A ribbon under the seal: forked tails behind an arched band.
    for side in (1, -1):
        def x(v):
            return (65 + side * (v - 65)) * k
        draw.polygon([(x(8), 172 * k), (x(28), 166 * k), (x(28), 184 * k), (x(8), 190 * k),
                      (x(16), 181 * k)], fill=(176, 124, 18), outline=(110, 74, 0))
    arch = [(18 + 94 * i / 24, 158 + 6 * ((94 * i / 24 - 47) / 47) ** 2) for i in range(25)]
    draw.polygon([(u * k, v * k) for u, v in arch]
                 + [(u * k, (v + 16) * k) for u, v in reversed(arch)],
                 fill=(240, 192, 56), outline=(110, 74, 0))
    for u in (45, 65, 85):
        v = 166 + 6 * ((u - 65) / 47) ** 2
        draw.polygon([(u * k, (v - 3) * k), ((u + 3) * k, v * k), (u * k, (v + 3) * k),
                      ((u - 3) * k, v * k)], fill=(0, 96, 30))
    for sx, sy in ((18, 18), (112, 18), (65, 197)):
        sx, sy = sx * k, sy * k
        draw.polygon([(sx, sy - 6 * k), (sx + 2 * k, sy), (sx, sy + 6 * k), (sx - 2 * k, sy)],
                     fill=(255, 230, 140))
        draw.polygon([(sx - 6 * k, sy), (sx, sy - 2 * k), (sx + 6 * k, sy), (sx, sy + 2 * k)],
                     fill=(255, 230, 140))

    draw.rounded_rectangle([3 * k, 3 * k, w - 3 * k, h - 3 * k], radius=8 * k,
                           outline=(236, 186, 48), width=2 * k)
    small = field.resize((130, 210), Image.LANCZOS)
    small.save(path, "JPEG", quality=92, optimize=True, subsampling=0)


# --- metafiles -----------------------------------------------------------------------


class Wmf:
    """A placeable Windows metafile drawn in its own units (x right, y down), whose frame is
    `width` x `height` units at `inch` units per inch. Shapes are filled without outline:
    the pen is a null pen for the whole picture, and each colour gets a solid brush."""

    def __init__(self, width, height, inch):
        self.width, self.height, self.inch = width, height, inch
        self.records = []
        self.table = []  # the playback's object table: True where a slot is taken
        self.most_objects = 0
        self.brush = None  # (slot, colour) of the selected brush
        self._record(0x020B, "<hh", 0, 0)  # META_SETWINDOWORG: y, x
        self._record(0x020C, "<hh", height, width)  # META_SETWINDOWEXT: y, x
        self._record(0x0106, "<h", 2)  # META_SETPOLYFILLMODE: WINDING
        pen = self._create(0x02FA, "<HhhI", 5, 0, 0, 0)  # META_CREATEPENINDIRECT: PS_NULL
        self._record(0x012D, "<H", pen)  # META_SELECTOBJECT

    def _record(self, function, layout, *values):
        payload = struct.pack(layout, *values)
        self.records.append(struct.pack("<IH", 3 + len(payload) // 2, function) + payload)

    def _create(self, function, layout, *values):
        """Records an object creation; playback puts it in the lowest free slot."""
        self._record(function, layout, *values)
        slot = self.table.index(False) if False in self.table else len(self.table)
        if slot == len(self.table):
            self.table.append(True)
        self.table[slot] = True
        self.most_objects = max(self.most_objects, len(self.table))
        return slot

    def _paint(self, colour):
        if self.brush and self.brush[1] == colour:
            return
        r, g, b = colour
        # META_CREATEBRUSHINDIRECT: BS_SOLID, COLORREF 0x00BBGGRR, no hatch.
        slot = self._create(0x02FC, "<HIH", 0, r | g << 8 | b << 16, 0)
        self._record(0x012D, "<H", slot)
        if self.brush:
            self._record(0x01F0, "<H", self.brush[0])  # META_DELETEOBJECT
            self.table[self.brush[0]] = False
        self.brush = (slot, colour)

    def polygon(self, points, colour):
        self._paint(colour)
        coords = [v for x, y in points for v in (round(x), round(y))]
        self._record(0x0324, "<h%dh" % len(coords), len(points), *coords)  # META_POLYGON

    def ellipse(self, left, top, right, bottom, colour):
        self._paint(colour)
        # META_ELLIPSE takes its rectangle backwards: bottom, right, top, left.
        self._record(0x0418, "<hhhh", *(round(v) for v in (bottom, right, top, left)))

    def bytes(self):
        self._record(0x0000, "")  # META_EOF
        body = b"".join(self.records)
        header = struct.pack("<HHHIHIH", 1, 9, 0x0300, (18 + len(body)) // 2, self.most_objects,
                             max(len(r) for r in self.records) // 2, 0)
        placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, self.width, self.height,
                                self.inch, 0)
        checksum = 0
        for (word,) in struct.iter_unpack("<H", placeable):
            checksum ^= word
        return placeable + struct.pack("<H", checksum) + header + body


def star_points(cx, cy, radius, aim):
    """A five-pointed star's ten corners, its first point at angle `aim` (degrees, y down)."""
    inner = radius * math.cos(math.radians(72)) / math.cos(math.radians(36))
    return [polar(cx, cy, radius if i % 2 == 0 else inner, aim + 36 * i) for i in range(10)]


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def draw_done(path):
    """The settings window's clip-art: a pale check mark on a round green badge, shaded in
    green tones. 814 x 825 units at 1000 per inch, about 78 x 79 pixels on the screen."""
    w = Wmf(814, 825, 1000)
    cx, cy, r = 407, 406, 380
    w.ellipse(cx - r + 18, cy - r + 26, cx + r + 18, cy + r + 26, (150, 190, 140))  # shadow
    w.ellipse(cx - r, cy - r, cx + r, cy + r, (0, 72, 0))  # rim
    w.ellipse(cx - r + 22, cy - r + 22, cx + r - 22, cy + r - 22, (120, 210, 100))
    # The face lit from the upper left: discs ever smaller and lighter, drifting that way.
    steps = 14
    for i in range(steps):
        t = i / (steps - 1)
        rr = (r - 40) * (1 - 0.72 * t)
        ox, oy = cx - 110 * t, cy - 120 * t
        w.ellipse(ox - rr, oy - rr, ox + rr, oy + rr, mix((0, 110, 20), (96, 200, 80), t))
    w.ellipse(cx - 230, cy - 310, cx + 150, cy - 130, (170, 232, 150))  # gloss
    check = [(190, 432), (268, 354), (362, 448), (586, 214), (664, 292), (362, 604)]
    w.polygon([(x + 20, y + 26) for x, y in check], (0, 70, 10))
    w.polygon(check, (236, 255, 226))
    with open(path, "wb") as f:
        f.write(w.bytes())


FLAG_RED = (191, 0, 0)
FLAG_YELLOW = (255, 255, 128)


def draw_farewell(path):
    """The farewell window's flag: 4823 x 3532 units at 1440 per inch, about 321 x 235
    pixels. The stars follow the published construction sheet on a grid of 30 x 20 units
    over the whole field; the field is a little narrower than 3 : 2, so the grid's columns
    are narrower than its rows are high, and the stars keep their shape at the mean of the
    two. Each small star turns one point to the large star's centre."""
    w = Wmf(4823, 3532, 1440)
    sx, sy = 4823 / 30, 3532 / 20
    s = math.sqrt(sx * sy)
    # A little past the frame on every side, so no edge pixel is left unpainted.
    w.polygon([(-8, -8), (4831, -8), (4831, 3540), (-8, 3540)], FLAG_RED)
    big = (5 * sx, 5 * sy)
    w.polygon(star_points(big[0], big[1], 3 * s, -90), FLAG_YELLOW)
    for gx, gy in ((10, 2), (12, 4), (12, 7), (10, 9)):
        x, y = gx * sx, gy * sy
        aim = math.degrees(math.atan2(big[1] - y, big[0] - x))
        w.polygon(star_points(x, y, s, aim), FLAG_YELLOW)
    with open(path, "wb") as f:
        f.write(w.bytes())


# --- contact sheet --------------------------------------------------------------------


def contact_sheet(path, outputs):
    """Every generated file read back through PIL, enlarged 8x on light, green and dark
    grounds, to judge the pictures by eye."""
    from PIL import Image, ImageDraw
    from PIL.IcoImagePlugin import IcoFile

    zoom = 8
    grounds = [(236, 236, 236), (0, 128, 0), (40, 40, 48)]
    tiles = []
    for name in outputs:
        full = os.path.join(HERE, name)
        if name.endswith(".ico"):
            with open(full, "rb") as f:
                ico = IcoFile(f)
                for size in sorted({e["dim"] for e in ico.entry}):
                    for bits in (32, 8):
                        tiles.append((f"{os.path.basename(name)} {size[0]} {bits}b",
                                      ico.getimage(size, bits).convert("RGBA")))
        elif name.endswith(".bmp"):
            tiles.append((os.path.basename(name), Image.open(full).convert("RGBA")))
    cell_w = 48 * zoom // 2 * len(grounds) + 16
    cell_h = 48 * zoom // 2 + 28
    columns = 3
    banner = Image.open(os.path.join(HERE, "pictures", "banner.jpg")).convert("RGB")
    rows = (len(tiles) + columns - 1) // columns
    sheet = Image.new("RGB", (max(cell_w * columns, 600), cell_h * rows + banner.height * 2 + 40),
                      (255, 255, 255))
    draw = ImageDraw.Draw(sheet)
    for n, (label, image) in enumerate(tiles):
        x0, y0 = (n % columns) * cell_w, (n // columns) * cell_h
        scale = zoom if image.width <= 16 else zoom // 2 if image.width <= 32 else zoom // 3
        big = image.resize((image.width * scale, image.height * scale), Image.NEAREST)
        for g, ground in enumerate(grounds):
            tile = Image.new("RGBA", big.size, ground + (255,))
            tile.alpha_composite(big)
            sheet.paste(tile.convert("RGB"), (x0 + g * (big.width + 4), y0 + 14))
        draw.text((x0, y0), label, fill=(0, 0, 0))
    y = cell_h * rows + 10
    sheet.paste(banner.resize((banner.width * 2, banner.height * 2), Image.NEAREST), (0, y))
    stretched = Image.new("RGB", (65 + 8, 105 + 8), (0, 128, 0))
    stretched.paste(banner.resize((65, 105), Image.NEAREST), (4, 4))
    sheet.paste(stretched.resize((stretched.width * 4, stretched.height * 4), Image.NEAREST),
                (banner.width * 2 + 20, y))
    sheet.save(path)


# --- main -----------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sheet", help="also write a contact sheet PNG to this path")
    args = parser.parse_args()

    for folder in ("icons", "glyphs", "pictures"):
        os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    outputs = []

    def ico(name, design, sizes):
        write_ico(os.path.join(HERE, name), [render(design, s) for s in sizes])
        outputs.append(name)

    ico("icons/app.ico", icon_camera, (16, 32, 48))
    for i, design in enumerate(TRAY_ICONS):
        ico(f"icons/tray{i:02d}.ico", design, (16,))
    ico("icons/corner.ico", icon_corner, (16,))
    ico("icons/viewer.ico", icon_picture, (16, 32))
    for name, design in (("glyphs/viewer_save.bmp", glyph_save),
                         ("glyphs/viewer_exit.bmp", glyph_exit)):
        write_glyph_bmp(os.path.join(HERE, name), render(design, 16))
        outputs.append(name)
    draw_banner(os.path.join(HERE, "pictures", "banner.jpg"))
    outputs.append("pictures/banner.jpg")
    draw_done(os.path.join(HERE, "pictures", "done.wmf"))
    outputs.append("pictures/done.wmf")
    draw_farewell(os.path.join(HERE, "pictures", "farewell.wmf"))
    outputs.append("pictures/farewell.wmf")

    if args.sheet:
        contact_sheet(args.sheet, outputs)
    for name in outputs:
        print(name)


if __name__ == "__main__":
    main()
