#!/usr/bin/env python3
"""Draw Folivex's own images: the toolbar strip and the application icon.

Writes, into the directory given as the only argument:
  toolbar.bmp  ten 16x16 command images side by side (24-bit BMP, magenta
               (255,0,255) marks transparent pixels), in toolbar order:
               open, open from URL, save a copy, close, properties, history,
               library, shortcut keys, settings, about.
  treedoc.bmp  seven 16x16 item images of the document trees, in image
               index order: root, group closed, group open, library folder
               closed, library folder open, local document, document from
               a URL (same format as the toolbar strip).
  folivex.ico  the application icon (an open book with a green leaf) at
               16, 32 and 48 pixels, 32-bit with alpha.
  warning.ico  the login dialog's warning sign (a yellow triangle with an
               exclamation mark) at the same sizes.

The images are generated at build time so that the tree holds them as
readable, reviewable code instead of opaque binaries. Every shape is a small
signed-distance function (negative inside, in pixels), so the same drawing
can be rasterised crisply on the 16x16 grid or smoothly at icon sizes.
Standard library only; output is byte-for-byte deterministic.
"""

import math
import os
import struct
import sys

MAGENTA = (255, 0, 255)

# ---------------------------------------------------------------- shapes --
# Coordinates are pixel edges: pixel (i, j) spans [i, i+1] x [j, j+1] and is
# sampled at its centre, so integer rectangles map exactly onto pixels.


def rect(x0, y0, x1, y1):
    return lambda x, y: max(x0 - x, x - x1, y0 - y, y - y1)


def rrect(x0, y0, x1, y1, r):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def f(x, y):
        qx, qy = abs(x - cx) - hx + r, abs(y - cy) - hy + r
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
    return f


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry):
    # First-order distance (value over gradient): close enough for thin rings.
    def f(x, y):
        u, v = (x - cx) / rx, (y - cy) / ry
        k = math.hypot(u, v)
        g = math.hypot(u / rx, v / ry)
        return (k - 1) * k / g if g else -min(rx, ry)
    return f


def segment(x0, y0, x1, y1, w):
    """A stroke of width w with round ends."""
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy

    def f(x, y):
        t = 0 if ll == 0 else max(0, min(1, ((x - x0) * dx + (y - y0) * dy) / ll))
        return math.hypot(x - x0 - t * dx, y - y0 - t * dy) - w / 2
    return f


def polygon(*pts):
    """Exact distance to any simple polygon; the sign comes from a crossing test."""
    n = len(pts)

    def f(x, y):
        best, inside = float("inf"), False
        for i in range(n):
            (ax, ay), (bx, by) = pts[i], pts[i - 1]
            ex, ey, wx, wy = bx - ax, by - ay, x - ax, y - ay
            t = max(0, min(1, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            best = min(best, math.hypot(wx - t * ex, wy - t * ey))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best
    return f


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def inter(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def grow(s, d):
    return lambda x, y: s(x, y) - d


# ---------------------------------------------------------------- canvas --

class Canvas:
    """RGBA pixels. Hard mode paints whole pixels (toolbar); soft mode
    anti-aliases edges from the distance (icon)."""

    def __init__(self, w, h, soft=False, scale=1.0):
        self.w, self.h, self.soft, self.scale = w, h, soft, scale
        self.px = [[(0, 0, 0, 0)] * w for _ in range(h)]

    def _put(self, x, y, rgb, a):
        if a <= 0:
            return
        r0, g0, b0, a0 = self.px[y][x]
        ao = a + a0 * (1 - a)
        mix = [(c * a + c0 * a0 * (1 - a)) / ao for c, c0 in zip(rgb, (r0, g0, b0))]
        self.px[y][x] = (*mix, ao)

    def draw(self, shape, fill, outline=None, width=1.0):
        s = self.scale
        dist = [[shape((x + .5) / s, (y + .5) / s) * s for x in range(self.w)]
                for y in range(self.h)]
        for y in range(self.h):
            for x in range(self.w):
                d = dist[y][x]
                if self.soft:
                    a = min(1, max(0, .5 - d))
                    colour = fill
                    if outline:
                        t = min(1, max(0, .5 - d - width))
                        colour = [o + (f - o) * t for o, f in zip(outline, fill)]
                    self._put(x, y, colour, a)
                elif d < 0:
                    # A pixel is edge when a 4-neighbour is outside: this
                    # keeps outlines one pixel thick and unbroken.
                    edge = outline and any(
                        not (0 <= x + i < self.w and 0 <= y + j < self.h)
                        or dist[y + j][x + i] >= 0
                        for i, j in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                    self._put(x, y, outline if edge else fill, 1)

    def dots(self, x0, y0, rows, colours):
        """Hand-placed pixels for marks too small for geometry, e.g. a letter.
        colours maps each character to a colour; "." is left untouched."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch != ".":
                    self._put(x0 + i, y0 + j, colours[ch], 1)

    def rgba(self, x, y):
        r, g, b, a = self.px[y][x]
        return round(r), round(g), round(b), round(a * 255)


# --------------------------------------------------------------- palette --

INK = (40, 40, 48)
PAPER, PAPER_EDGE = (255, 255, 255), (96, 100, 112)
LINE = (150, 160, 180)
YELLOW, YELLOW_DARK, YELLOW_INK = (255, 222, 110), (226, 170, 48), (128, 86, 12)
BLUE, BLUE_MID, BLUE_INK = (52, 112, 212), (120, 175, 240), (20, 46, 120)
RED, RED_INK = (220, 40, 36), (120, 12, 12)
GREEN, GREEN_LIGHT, GREEN_INK = (72, 160, 64), (150, 214, 120), (26, 84, 28)
GREY, GREY_LIGHT, GREY_INK = (170, 174, 182), (232, 234, 238), (64, 66, 76)
# Caution signs are a deeper yellow than the folder images.
WARN, WARN_INK = (252, 200, 28), (120, 80, 0)


# ------------------------------------------------------- toolbar images --

def tb_open(c):
    c.draw(union(rect(1, 2, 7, 5), rect(1, 4, 13, 14)), YELLOW_DARK, YELLOW_INK)
    # The front flap juts out past the back, which is what makes it read as open.
    c.draw(polygon((4, 7), (15, 7), (13, 14), (1, 14)), YELLOW, YELLOW_INK)


def tb_url(c):
    ball = circle(7.5, 7.5, 6.6)
    c.draw(ball, BLUE, BLUE_INK)
    meridian = ellipse(7.5, 7.5, 3.8, 7)
    grid = union(rect(1, 7, 14, 8), rect(1, 4, 14, 5), rect(1, 10, 14, 11),
                 rect(7, 1, 8, 14), lambda x, y: abs(meridian(x, y)) - .5)
    c.draw(inter(grid, grow(ball, -1)), BLUE_MID)


def tb_save(c):
    c.draw(polygon((1, 1), (13, 1), (15, 3), (15, 15), (1, 15)), BLUE, BLUE_INK)
    c.draw(rect(4, 1, 12, 6), GREY_LIGHT, BLUE_INK)
    c.draw(rect(9, 2, 11, 5), BLUE_INK)
    c.draw(rect(3, 8, 13, 15), PAPER, BLUE_INK)
    c.draw(union(rect(5, 10, 11, 11), rect(5, 12, 11, 13)), LINE)


def page(c, lines):
    """A sheet with a folded corner, shared by the close and properties images."""
    c.draw(polygon((2, 1), (10, 1), (14, 5), (14, 15), (2, 15)), PAPER, PAPER_EDGE)
    c.draw(polygon((10, 1), (10, 5), (14, 5)), GREY_LIGHT, PAPER_EDGE)
    for y, x1 in lines:
        c.draw(rect(4, y, x1, y + 1), LINE)


def tb_close(c):
    page(c, [(4, 9), (6, 12), (8, 8)])
    c.dots(8, 8, ["kk...kk",
                  "krr.rrk",
                  ".krrrk.",
                  "..rrr..",
                  ".krrrk.",
                  "krr.rrk",
                  "kk...kk"], {"r": RED, "k": RED_INK})


def tb_props(c):
    page(c, [(13, 12)])
    # Name boxes with values of uneven length read as a list of properties.
    for y, x1 in ((4, 10), (7, 12), (10, 12)):
        c.draw(rect(4, y, 6, y + 2), BLUE, BLUE_INK)
        c.draw(rect(7, y + 1, x1, y + 2), LINE)


def tb_history(c):
    c.draw(circle(7.5, 7.5, 6.6), BLUE, BLUE_INK)
    c.draw(circle(7.5, 7.5, 5.1), PAPER)
    c.dots(3, 3, ["....#....",
                  ".........",
                  ".........",
                  ".........",
                  "#.......#",
                  ".........",
                  ".........",
                  ".........",
                  "....#...."], {"#": GREY})
    c.draw(union(rect(7, 4, 8, 8), rect(7, 7, 11, 8)), INK)
    c.draw(rect(7, 7, 8, 8), RED)


def tb_library(c):
    # Neighbouring spines overlap by a column so they share one outline.
    for x0, top, x1, fill, ink in ((1, 4, 6, BLUE, BLUE_INK), (5, 1, 10, RED, RED_INK),
                                   (9, 3, 14, GREEN, GREEN_INK)):
        c.draw(rect(x0, top, x1, 15), fill, ink)
        c.draw(union(rect(x0 + 1, top + 2, x1 - 1, top + 3),
                     rect(x0 + 1, 11, x1 - 1, 12)), GREY_LIGHT)


def tb_keys(c):
    c.draw(rrect(1, 1, 15, 15, 3), GREY, GREY_INK)
    c.draw(rrect(3, 2, 13, 12, 2), GREY_LIGHT)
    c.dots(5, 4, ["..##..",
                  ".#..#.",
                  ".#..#.",
                  ".####.",
                  ".#..#.",
                  ".#..#."], {"#": INK})


def tb_settings(c):
    teeth = []
    for k in range(8):
        ca, sa = math.cos(k * math.pi / 4), math.sin(k * math.pi / 4)
        teeth.append(polygon(*((8 + ca * r - sa * w, 8 + sa * r + ca * w)
                               for r, w in ((3, -1.95), (7.1, -1.95), (7.1, 1.95), (3, 1.95)))))
    c.draw(minus(union(circle(8, 8, 4.9), *teeth), circle(8, 8, 1.9)), GREY, GREY_INK)


def tb_about(c):
    c.draw(circle(8, 8, 7), BLUE, BLUE_INK)
    c.draw(union(rect(7, 3, 9, 5), rect(7, 6, 9, 12), rect(6, 6, 7, 7),
                 rect(6, 11, 10, 12)), PAPER)


TOOLBAR = [tb_open, tb_url, tb_save, tb_close, tb_props,
           tb_history, tb_library, tb_keys, tb_settings, tb_about]


# ---------------------------------------------------- document tree images --

def tr_root(c):
    # The library shelf: the toolbar's books stand for the whole catalogue.
    tb_library(c)


def folder_closed(c, back, front, ink):
    c.draw(union(rect(1, 3, 7, 6), rect(1, 5, 15, 14)), back, ink)
    c.draw(rect(1, 7, 15, 14), front, ink)


def folder_open(c, back, front, ink):
    c.draw(union(rect(1, 3, 7, 6), rect(1, 5, 13, 14)), back, ink)
    c.draw(polygon((4, 8), (16, 8), (13, 14), (1, 14)), front, ink)


def tr_group_closed(c):
    # The history group: a blue folder, told apart from the library's yellow ones.
    folder_closed(c, BLUE, BLUE_MID, BLUE_INK)


def tr_group_open(c):
    folder_open(c, BLUE, BLUE_MID, BLUE_INK)


def tr_folder_closed(c):
    folder_closed(c, YELLOW_DARK, YELLOW, YELLOW_INK)


def tr_folder_open(c):
    folder_open(c, YELLOW_DARK, YELLOW, YELLOW_INK)


def tr_doc_local(c):
    page(c, [(4, 9), (6, 12), (8, 12), (10, 12), (12, 10)])


def tr_doc_url(c):
    page(c, [(4, 9), (6, 12)])
    ball = circle(10.5, 11.5, 4.2)
    c.draw(ball, BLUE, BLUE_INK)
    c.draw(inter(union(rect(7, 11, 14, 12), rect(10, 8, 11, 15)), grow(ball, -1)), BLUE_MID)


TREEDOC = [tr_root, tr_group_closed, tr_group_open, tr_folder_closed,
           tr_folder_open, tr_doc_local, tr_doc_url]


# --------------------------------------------------------- application icon --
# Designed on the 16-pixel grid and rasterised at each size from the geometry,
# so the 16x16 image is pixel-exact and the larger ones simply gain detail.

def leaf_shape(ax, ay, bx, by, fat=0.42):
    """A pointed oval from stalk (a) to tip (b): the overlap of two disks."""
    mx, my, ln = (ax + bx) / 2, (ay + by) / 2, math.hypot(bx - ax, by - ay)
    nx, ny, off = (ay - by) / ln, (bx - ax) / ln, ln * fat
    r = math.hypot(ln / 2, off)
    return inter(circle(mx + nx * off, my + ny * off, r),
                 circle(mx - nx * off, my - ny * off, r))


def draw_icon(size):
    scale = size / 16
    small = size <= 16
    # Hard edges at 16 keep it crisp; larger sizes get smooth alpha edges.
    c = Canvas(size, size, soft=not small, scale=scale)
    ow = 1.0 if size < 48 else 1.4       # outline width in target pixels
    one = 1 / scale                      # one target pixel, in design units
    c.draw(polygon((1, 6), (8, 8), (15, 6), (15, 14), (8, 15), (1, 14)),
           BLUE, BLUE_INK, ow)
    if small:
        # Curved page edges only turn into noise on this grid.
        pages = polygon((3, 2), (8, 4), (13, 2), (13, 12), (8, 14), (3, 12))
        lines = [rect(4, y, 7, y + 1) for y in (6, 8, 10)]
        lines += [rect(9, y, 12, y + 1) for y in (9, 11)]
    else:
        pages = polygon((3, 3), (4.5, 2.4), (6.5, 2.7), (8, 4), (9.5, 2.7), (11.5, 2.4),
                        (13, 3), (13, 12.5), (11.5, 11.9), (9.5, 12.2), (8, 13.5),
                        (6.5, 12.2), (4.5, 11.9), (3, 12.5))
        w = one * size / 32
        lines = [segment(4.2, y, 6.8, y + 0.5, w) for y in (5, 6.5, 8, 9.5)]
        lines += [segment(9.2, y + 0.5, 11.8, y, w) for y in (8, 9.5)]
    c.draw(pages, PAPER, PAPER_EDGE, ow)
    c.draw(union(*lines), LINE)
    # Exactly one pixel column, so the spine stays sharp at every size.
    c.draw(rect(8 - one, 4, 8, 14), PAPER_EDGE)
    leaf = leaf_shape(8.6, 7.6, 15, 1)
    c.draw(leaf, GREEN, GREEN_INK, ow)
    if not small:
        c.draw(inter(segment(8.6, 7.6, 15, 1, one), grow(leaf, -one)), GREEN_LIGHT)
    return c


# ------------------------------------------------------------ warning sign --
# The caution triangle of the login dialog. Round corners come from growing a
# smaller triangle, so the outline keeps one width all the way round.

def draw_warning(size):
    scale = size / 16
    small = size <= 16
    c = Canvas(size, size, soft=not small, scale=scale)
    ow = 1.0 if size < 48 else 1.4
    if small:
        c.draw(polygon((8, 0.6), (15.6, 14.6), (0.4, 14.6)), WARN, WARN_INK)
        c.draw(union(rect(7, 5, 9, 10), rect(7, 11, 9, 13)), INK)
    else:
        c.draw(grow(polygon((8, 1.9), (14.6, 13.9), (1.4, 13.9)), 0.9), WARN, WARN_INK, ow)
        c.draw(union(segment(8, 5.6, 8, 9.4, 1.7), circle(8, 11.9, 0.95)), INK)
    return c


# ---------------------------------------------------------------- output --

def bmp_info(w, h, bpp, size_image):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, size_image,
                       2835, 2835, 0, 0)


def write_toolbar(path, images=TOOLBAR):
    w, h = 16 * len(images), 16
    tiles = []
    for fn in images:
        c = Canvas(16, 16)
        fn(c)
        tiles.append(c)
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(h)):
        row = bytearray()
        for x in range(w):
            r, g, b, a = tiles[x // 16].rgba(x % 16, y)
            rgb = (r, g, b) if a else MAGENTA
            # The toolbar has no alpha: a stray half pixel or a magenta one
            # inside an image would turn into a hole or a fringe.
            if a not in (0, 255) or (a and rgb == MAGENTA):
                raise ValueError(f"toolbar pixel {x},{y} is not drawable")
            row += bytes((rgb[2], rgb[1], rgb[0]))
        data += row + bytes(stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    with open(path, "wb") as f:
        f.write(header + bmp_info(w, h, 24, len(data)) + data)


def icon_image(size, draw=None):
    c = (draw or draw_icon)(size)
    xor, mask = bytearray(), bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        bits = 0
        for x in range(size):
            r, g, b, a = c.rgba(x, y)
            xor += bytes((b, g, r, a) if a else (0, 0, 0, 0))
            bits = bits << 1 | (a == 0)
        bits <<= mask_stride * 8 - size
        mask += bits.to_bytes(mask_stride, "big")
    return bmp_info(size, size * 2, 32, len(xor) + len(mask)) + xor + mask


def write_icon(path, sizes=(16, 32, 48), draw=None):
    images = [icon_image(s, draw) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_images.py OUTDIR")
    os.makedirs(argv[1], exist_ok=True)
    write_toolbar(os.path.join(argv[1], "toolbar.bmp"))
    write_toolbar(os.path.join(argv[1], "treedoc.bmp"), TREEDOC)
    write_icon(os.path.join(argv[1], "folivex.ico"))
    write_icon(os.path.join(argv[1], "warning.ico"), draw=draw_warning)


if __name__ == "__main__":
    main(sys.argv)
