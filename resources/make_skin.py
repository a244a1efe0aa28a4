#!/usr/bin/env python3
"""Draws Torvane's window skin and application icon.

Writes these files into OUTDIR (default: the folder holding this script):

  caption.bmp   640 x 48, 24 bpp: the caption pieces and button cells
  border.bmp    70 x 10, 8 bpp with a 256-colour palette: the frame cells
  torvane.ico   16, 20, 24, 32, 40, 48, 64 and 256 pixel images, 32 bpp
                with alpha; those from 32 pixels on PNG-compressed
  captionNNN.png, borderNNN.png
                the same art drawn for NNN% (125, 150, 175, 200), every
                measure scaled and rounded as the program rounds it
  hoverNNN.png  the caption buttons under the pointer at 100% to 200%:
                close, restore, maximize, minimize side by side

Only the standard library is used, and every value is computed with plain
arithmetic, so the output is the same byte for byte on every run.

Caption layout (top-down rows, columns of the bitmap):
  0-89      left end: top-left corner, the icon badge, start of the title plate
  91-142    middle tile, repeated across between the ends
  140-240   right end: end of the title plate and the ground under the buttons
  241, 259, 278, 297
            19 x 20 button cells (close, restore, maximize, minimize),
            normal look in rows 0-19, pressed look in rows 20-39
  400-639   the same three pieces for an inactive window
The window shows the right end's column 239 as its outermost column; column
240 is never seen.

Border cells, 10 x 10 each: 0 left edge, 2 bottom-left corner, 3 bottom
edge, 4 right edge, 6 bottom-right corner (1 and 5 are unused).
"""

import os
import struct
import sys
import zlib

CAP_W, CAP_H = 640, 48
EDGE = 10                      # thickness of the side and bottom frame
LEFT_END = 90                  # columns 0..89
TILE_SRC, TILE_W = 91, 52      # middle tile columns 91..142
RIGHT_SRC, RIGHT_W = 140, 101  # right end columns 140..240
INACTIVE = 400
BTN_W, BTN_H = 19, 20         # drawn at window rows 5..24
BTN_COLS = {"close": 241, "restore": 259, "maximize": 278, "minimize": 297}

# Width of the imaginary caption that the pieces are cut from; anything
# wide enough to keep the left end, tile and right end apart will do.
STRIP_W = 400

# --- colours ---------------------------------------------------------------

OUTLINE = (46, 42, 58)         # 1 px outline around the whole window
HILITE = (240, 237, 243)       # light line just inside the outline
CHROME = (221, 217, 224)       # face of the frame and the caption's ground
INNER = (178, 173, 184)        # line around the client area
BODY = (207, 203, 207)         # window back colour (the client area)

PLATE = {
    True: {"rim": (96, 88, 132), "top": (70, 62, 100), "bottom": (42, 37, 64)},
    False: {"rim": (136, 133, 146), "top": (114, 111, 124), "bottom": (94, 91, 104)},
}
BADGE = {
    True: {"top": (54, 190, 214), "bottom": (22, 118, 178), "ink": (255, 255, 255)},
    False: {"top": (172, 176, 182), "bottom": (136, 140, 148), "ink": (246, 246, 248)},
}

GLYPH = (58, 53, 72)           # button glyphs, normal look
PRESS_FACE = (186, 181, 194)
PRESS_SHADE = (148, 143, 158)
CLOSE_FACE = (206, 54, 48)
CLOSE_SHADE = (150, 30, 28)
HOVER_FACE = (247, 245, 250)   # a button under the pointer
HOVER_RIM = (196, 190, 206)
HOVER_CLOSE = (232, 17, 35)

# --- geometry of the caption ----------------------------------------------

PLATE_L, PLATE_T, PLATE_B, PLATE_R = 4, 4, 28, 70   # PLATE_R: gap to right edge
PLATE_RADIUS = 6
BAND_T = 30                    # inner line above the menu band
BADGE_BOX = (12, 12, 42, 42)   # inside the system-menu area 12..42 x 11..43
RING = 2                       # chrome ring separating the badge from the plate


class Scale:
    """Measures of the 100% drawing at a display scale: whole pixels rounded
    as the program rounds them (halves up), so that art and code agree."""

    def __init__(self, percent):
        self.percent = percent
        self.dpi = 96 * percent // 100

    def px(self, v):
        return (v * self.dpi + 48) // 96

    def f(self, v):
        return v * self.dpi / 96


# --- drawing ------------------------------------------------------------------

class Canvas:
    """An RGB picture with coverage-weighted painting of shapes."""

    def __init__(self, width, height, colour):
        self.width = width
        self.height = height
        self.px = [[list(colour) for _ in range(width)] for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = list(colour)

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the pixels x0..x1-1, y0..y1-1."""
        for y in range(max(y0, 0), min(y1, self.height)):
            for x in range(max(x0, 0), min(x1, self.width)):
                self.px[y][x] = list(colour)

    def shade(self, inside, colour, box, samples=4):
        """Paints the shape `inside(x, y)` with `colour` (a triple or a
        function of the pixel centre), antialiased by supersampling."""
        x0, y0, x1, y1 = box
        step = 1.0 / samples
        for y in range(max(int(y0), 0), min(int(y1) + 1, self.height)):
            for x in range(max(int(x0), 0), min(int(x1) + 1, self.width)):
                hits = 0
                for j in range(samples):
                    sy = y + (j + 0.5) * step
                    for i in range(samples):
                        if inside(x + (i + 0.5) * step, sy):
                            hits += 1
                if hits:
                    c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                    a = hits / (samples * samples)
                    p = self.px[y][x]
                    for k in range(3):
                        p[k] = p[k] + (c[k] - p[k]) * a

    def rgb(self, x, y):
        return tuple(min(255, max(0, int(v + 0.5))) for v in self.px[y][x])


def lerp(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(a[k] + (b[k] - a[k]) * t for k in range(3))


def rounded(x0, y0, x1, y1, r):
    """Inside test of a rectangle with corners rounded by radius r."""
    def inside(x, y):
        if x < x0 or x >= x1 or y < y0 or y >= y1:
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return inside


def polygon(points):
    """Even-odd inside test of a polygon."""
    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y):
                if x < xa + (y - ya) * (xb - xa) / (yb - ya):
                    result = not result
        return result
    return inside


def ring(outer, inner):
    return lambda x, y: outer(x, y) and not inner(x, y)


def bounds(points, pad=1):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs) - pad, min(ys) - pad, max(xs) + pad, max(ys) + pad)


# --- the application motif ---------------------------------------------------

def draw_motif(cv, x0, y0, size, active):
    """A rounded badge carrying a down arrow that lands on an underline: an
    address turned into a download link."""
    look = BADGE[active]
    s = float(size)
    radius = max(3.0, s * 0.24)

    def gradient(x, y):
        return lerp(look["top"], look["bottom"], (y - y0) / s)

    cv.shade(rounded(x0, y0, x0 + s, y0 + s, radius), gradient,
             (x0, y0, x0 + s, y0 + s))
    # a soft light rim along the top makes the badge read as raised
    rim = lerp(look["top"], (255, 255, 255), 0.35)
    top_edge = ring(rounded(x0, y0, x0 + s, y0 + s, radius),
                    rounded(x0, y0 + 1, x0 + s, y0 + s + 1, radius))
    cv.shade(top_edge, rim, (x0, y0, x0 + s, y0 + radius))

    ink = look["ink"]

    # down arrow: shaft and head
    shaft_w = max(2.0, round(s * 0.16))
    cx = x0 + s / 2.0
    sx0 = cx - shaft_w / 2.0
    top = y0 + s * 0.15
    head_y = y0 + s * 0.40
    tip_y = y0 + s * 0.64
    cv.shade(lambda x, y: sx0 <= x < sx0 + shaft_w and top <= y < head_y + 1,
             ink, (sx0, top, sx0 + shaft_w, head_y + 1))
    head = [(x0 + s * 0.22, head_y), (x0 + s * 0.78, head_y), (cx, tip_y)]
    cv.shade(polygon(head), ink, bounds(head))

    # underline bar: the arrow lands on a link
    bar_h = max(2.0, round(s * 0.12))
    bar_y = y0 + round(s * 0.74)
    bx0, bx1 = x0 + s * 0.20, x0 + s * 0.80
    cv.shade(rounded(bx0, bar_y, bx1, bar_y + bar_h, bar_h / 2.0), ink,
             (bx0, bar_y, bx1, bar_y + bar_h))


# --- caption -----------------------------------------------------------------

def frame_edges(cv, t=1):
    """Outline and light line around the outside, each t pixels thick,
    shared by caption and border so that they meet without a seam."""
    w, h = cv.width, cv.height
    cv.rect(0, 0, w, t, OUTLINE)
    cv.rect(0, 0, t, h, OUTLINE)
    cv.rect(w - t, 0, w, h, OUTLINE)
    cv.rect(t, t, w - t, 2 * t, HILITE)
    cv.rect(t, t, 2 * t, h, HILITE)
    cv.rect(w - 2 * t, t, w - t, h, HILITE)


def caption_strip(width, active, sc=None):
    """The caption of a window `width` pixels wide, without buttons and
    title text, drawn at scale `sc`; the bitmap's pieces are cut from it."""
    sc = sc or Scale(100)
    px, t = sc.px, sc.px(1)
    cap_h, edge, band = px(CAP_H), px(EDGE), px(BAND_T)
    cv = Canvas(width, cap_h, CHROME)
    frame_edges(cv, t)
    # the lower band, where a menu bar would sit, already belongs to the
    # inset client surface that the border cells continue downwards
    cv.rect(edge, band + t, width - edge, cap_h, BODY)
    cv.rect(edge - t, band, width - edge + t, band + t, INNER)
    cv.rect(edge - t, band, edge, cap_h, INNER)
    cv.rect(width - edge, band, width - edge + t, cap_h, INNER)

    look = PLATE[active]
    left, top, bottom, right = px(PLATE_L), px(PLATE_T), px(PLATE_B), width - px(PLATE_R)

    def plate_colour(x, y):
        if y < top + t:
            return look["rim"]
        return lerp(look["top"], look["bottom"], (y - top - t) / (bottom - top - t))

    cv.shade(rounded(left, top, right, bottom, sc.f(PLATE_RADIUS)), plate_colour,
             (left, top, right, bottom))

    bx0, by0, bx1, by1 = (px(v) for v in BADGE_BOX)
    ring_w = px(RING)
    cv.shade(rounded(bx0 - ring_w, by0 - ring_w, bx1 + ring_w, by1 + ring_w, sc.f(7) + ring_w), CHROME,
             (bx0 - ring_w, by0 - ring_w, bx1 + ring_w, by1 + ring_w))
    draw_motif(cv, bx0, by0, bx1 - bx0, active)
    return cv


# --- caption buttons -------------------------------------------------------------

def button_cell(kind, pressed, sc=None):
    """One 19 x 20 button cell (at 100%). Columns 0 and 18 stay plain ground:
    the close cell's last column is the restore cell's first."""
    sc = sc or Scale(100)
    px = sc.px
    w, h = px(BTN_W), px(BTN_H)
    cv = Canvas(w, h, CHROME)
    ink = GLYPH
    d = 0
    if pressed:
        face, shade = (CLOSE_FACE, CLOSE_SHADE) if kind == "close" else (PRESS_FACE, PRESS_SHADE)
        x0, y0, x1, y1 = px(1), px(1), w - px(1), h - px(1)
        cv.shade(rounded(x0, y0, x1, y1, sc.f(3)), shade, (x0, y0, x1, y1))
        cv.shade(rounded(px(2), px(3), x1, y1, sc.f(3)), face, (px(2), px(3), x1, y1))
        if kind == "close":
            ink = (255, 255, 255)
        d = px(1)
    glyph(cv, kind, d, ink, sc)
    return cv


def glyph(cv, kind, d, ink, sc):
    """The button's glyph, moved by d pixels right and down. Close, maximize
    and minimize share one square box, centred in the button's plate, and one
    stroke weight."""
    px, t = sc.px, sc.px(1)
    w, h = px(BTN_W), px(BTN_H)
    n = px(9)
    x0 = px(1) + (w - 2 * px(1) - n) // 2 + d
    y0 = px(1) + (h - 2 * px(1) - n) // 2 + d
    if kind == "close":
        cross(cv, x0, y0, n, ink, t=t)
    elif kind == "maximize":
        square(cv, x0, y0, x0 + n, y0 + n, ink, t=t)
    elif kind == "restore":
        front = (px(5) + d, px(8) + d, px(12) + d, px(16) + d)
        square(cv, px(7) + d, px(5) + d, px(15) + d, px(13) + d, ink, cut=front, t=t)
        square(cv, *front, ink, t=t)
    elif kind == "minimize":
        top = y0 + (n - t) // 2
        cv.rect(x0, top, x0 + n, top + t, ink)


def hover_cell(kind, sc):
    """A button under the pointer: a light face, the close button red with a
    white glyph; the glyph stays where the normal look has it."""
    px = sc.px
    w, h = px(BTN_W), px(BTN_H)
    cv = Canvas(w, h, CHROME)
    x0, y0, x1, y1 = px(1), px(1), w - px(1), h - px(1)
    if kind == "close":
        cv.shade(rounded(x0, y0, x1, y1, sc.f(3)), HOVER_CLOSE, (x0, y0, x1, y1))
        ink = (255, 255, 255)
    else:
        cv.shade(rounded(x0, y0, x1, y1, sc.f(3)), HOVER_RIM, (x0, y0, x1, y1))
        cv.shade(rounded(x0 + px(1), y0 + px(1), x1 - px(1), y1 - px(1), sc.f(2)), HOVER_FACE,
                 (x0, y0, x1, y1))
        ink = GLYPH
    glyph(cv, kind, 0, ink, sc)
    return cv


def cross(cv, x0, y0, n, ink, soft=0.3, t=1):
    """Pixel-exact diagonal cross in an n x n box: a t x t brush drawn along
    both diagonals, so the cross is as tall as it is wide and its strokes
    weigh what a t pixel line does. One pixel thin, a faint pixel beside each
    step gives the strokes that weight without blurring."""
    full = set()
    for i in range(n - t + 1):
        for j in range(t):
            for k in range(t):
                full.add((x0 + i + j, y0 + i + k))
                full.add((x0 + n - 1 - i - j, y0 + i + k))
    halo = set()
    if t == 1:
        for i in range(n - 1):
            halo.update({(x0 + i + 1, y0 + i), (x0 + i, y0 + i + 1),
                         (x0 + n - 2 - i, y0 + i), (x0 + n - 1 - i, y0 + i + 1)})
    for x, y in sorted(halo - full):
        cv.px[y][x] = list(lerp(cv.px[y][x], ink, soft))
    for x, y in full:
        cv.set(x, y, ink)


def square(cv, x0, y0, x1, y1, ink, cut=None, t=1):
    """Window glyph: a t pixel outline with a 2t pixel top bar; pixels inside
    `cut` are left alone (hidden behind a front window)."""
    for y in range(y0, y1):
        for x in range(x0, x1):
            edge = y < y0 + 2 * t or y >= y1 - t or x < x0 + t or x >= x1 - t
            hidden = cut and cut[0] <= x < cut[2] and cut[1] <= y < cut[3]
            if edge and not hidden:
                cv.set(x, y, ink)


# --- border -------------------------------------------------------------------

def border_cells(sc=None):
    """The seven frame cells (10 x 10 at 100%), cut from a frame drawn
    around a small imaginary window so that corners and edges match exactly."""
    sc = sc or Scale(100)
    edge, t = sc.px(EDGE), sc.px(1)
    size = 4 * edge
    cv = Canvas(size, size, CHROME)
    # the frame under the caption: outline, light line, inner line
    cv.rect(0, 0, t, size, OUTLINE)
    cv.rect(size - t, 0, size, size, OUTLINE)
    cv.rect(t, 0, 2 * t, size, HILITE)
    cv.rect(size - 2 * t, 0, size - t, size, HILITE)
    cv.rect(edge - t, 0, edge, size, INNER)
    cv.rect(size - edge, 0, size - edge + t, size, INNER)
    cv.rect(0, size - t, size, size, OUTLINE)
    cv.rect(t, size - 2 * t, size - t, size - t, HILITE)
    cv.rect(edge - t, size - edge, size - edge + t, size - edge + t, INNER)
    # below the inner line the frame is plain chrome
    cv.rect(edge - t, size - edge + t, edge, size - 2 * t, CHROME)
    cv.rect(size - edge, size - edge + t, size - edge + t, size - 2 * t, CHROME)
    cv.rect(edge, edge, size - edge, size - edge, BODY)

    def cut(x0, y0):
        return [[cv.rgb(x0 + i, y0 + j) for i in range(edge)] for j in range(edge)]

    bottom = size - edge
    blank = [[CHROME] * edge for _ in range(edge)]
    return [
        cut(0, edge),                 # 0 left edge
        blank,                        # 1 unused
        cut(0, bottom),               # 2 bottom-left corner
        cut(edge, bottom),            # 3 bottom edge
        cut(size - edge, edge),       # 4 right edge
        blank,                        # 5 unused
        cut(size - edge, bottom),     # 6 bottom-right corner
    ]


# --- assembling the bitmaps ----------------------------------------------------

def caption_pixels(sc=None):
    """Rows (top-down) of RGB triples: 640 x 48 at 100%, every column and
    row of the layout scaled alike at other scales."""
    sc = sc or Scale(100)
    px = sc.px
    cap_h, strip_w, left_end, tile_w = px(CAP_H), px(STRIP_W), px(LEFT_END), px(TILE_W)
    right_src, right_end, inactive = px(RIGHT_SRC), px(RIGHT_SRC + RIGHT_W - 1), px(INACTIVE)
    right_w = right_end - right_src + 1
    btn_w, btn_h = px(BTN_W), px(BTN_H)
    cap_w = inactive + right_end
    # the close cell follows the right end; the others overlap by a column
    cols = {"close": right_end + 1, "restore": right_end + btn_w,
            "maximize": right_end + 2 * btn_w, "minimize": right_end + 3 * btn_w}
    out = [[None] * cap_w for _ in range(cap_h)]

    def put(dst_x, strip, src_x):
        for y in range(cap_h):
            out[y][dst_x] = strip.rgb(src_x, y)

    mid = strip_w // 2
    strips = {}
    for active, base in ((True, 0), (False, inactive)):
        strip = strips[active] = caption_strip(strip_w, active, sc)
        # the tile is a single repeated column, so it joins both ends only
        # if everything between the ends is that same column
        for x in range(left_end - 1, strip_w - right_w + 4):
            if any(strip.rgb(x, y) != strip.rgb(mid, y) for y in range(cap_h)):
                raise ValueError("caption column %d breaks the middle tile" % x)
        for c in range(left_end):
            put(base + c, strip, c)
        put(base + left_end, strip, mid)
        for c in range(tile_w):
            put(base + left_end + 1 + c, strip, mid)
        # column right_src + k shows at window column W - right_w + 1 + k
        for k in range(right_w):
            if base + right_src + k < cap_w:
                put(base + right_src + k, strip, min(strip_w - right_w + 1 + k, strip_w - 1))

    # the gap between the button cells and the inactive set is never shown
    for x in range(cols["minimize"] + btn_w, inactive):
        put(x, strips[True], mid)

    for kind in ("close", "restore", "maximize", "minimize"):
        x0 = cols[kind]
        for pressed in (False, True):
            cell = button_cell(kind, pressed, sc)
            y0 = btn_h if pressed else 0
            for y in range(btn_h):
                for x in range(btn_w):
                    out[y0 + y][x0 + x] = cell.rgb(x, y)
        # rows under the pressed looks are never shown; keep them plain
        for y in range(2 * btn_h, cap_h):
            for x in range(x0, x0 + btn_w):
                out[y][x] = CHROME
    return out


def border_pixels(sc=None):
    cells = border_cells(sc)
    edge = len(cells[0])
    return [[cells[x // edge][y][x % edge] for x in range(7 * edge)] for y in range(edge)]


def hover_pixels(sc):
    """The hover looks side by side, one button cell each, no overlap:
    close, restore, maximize, minimize."""
    cells = [hover_cell(kind, sc) for kind in ("close", "restore", "maximize", "minimize")]
    w, h = sc.px(BTN_W), sc.px(BTN_H)
    return [[cells[x // w].rgb(x % w, y) for x in range(4 * w)] for y in range(h)]


# --- the application icon ----------------------------------------------------

ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
# Sizes from 32 px on are stored PNG-compressed, as Windows reads them since
# Vista: 35 KB less in every program that carries the icon, which keeps
# torvane.exe within its 512 KB.
PNG_FROM = 32


def icon_rgba(size):
    """The motif at `size` pixels as rows of straight (not premultiplied)
    RGBA. It is painted twice, over black and over white: every paint step
    blends linearly, so the two results differ only by how much background
    shows through, which gives the alpha exactly, and the colour follows."""
    over_black = Canvas(size, size, (0, 0, 0))
    over_white = Canvas(size, size, (255, 255, 255))
    draw_motif(over_black, 0, 0, size, True)
    draw_motif(over_white, 0, 0, size, True)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            black, white = over_black.px[y][x], over_white.px[y][x]
            alpha = 1.0 - (white[1] - black[1]) / 255.0
            a = min(255, max(0, int(alpha * 255 + 0.5)))
            if a == 0:
                row.append((0, 0, 0, 0))
                continue
            rgb = tuple(min(255, max(0, int(black[k] / alpha + 0.5))) for k in range(3))
            row.append(rgb + (a,))
        rows.append(row)
    return rows


def icon_dib(rows):
    """An icon image as a 32 bpp DIB with its AND mask (set where fully
    transparent, for the rare reader that ignores alpha)."""
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray((size + 7) // 8)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line + bytes(-len(line) % 4)
    body = bytes(xor) + bytes(mask)
    return info_header(size, 2 * size, 32, len(body)) + body


def png_file(rows):
    """RGBA rows as a PNG. Every row uses the Sub filter and zlib's level 9:
    fixed choices, so the bytes depend on the picture alone."""
    width, height = len(rows[0]), len(rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = bytearray()
    for row in rows:
        line = b"".join(bytes(p) for p in row)
        raw.append(1)
        raw += bytes((line[i] - (line[i - 4] if i >= 4 else 0)) & 0xFF for i in range(len(line)))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def encode_icon(sizes):
    """An .ico file holding the icon at every size in `sizes`."""
    images = []
    for size in sizes:
        rows = icon_rgba(size)
        images.append(png_file(rows) if size >= PNG_FROM else icon_dib(rows))
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        side = size if size < 256 else 0      # 0 stands for 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


# --- file formats -------------------------------------------------------------

def row_bytes_24(row):
    data = bytearray()
    for r, g, b in row:
        data += bytes((b, g, r))
    data += bytes(-len(data) % 4)
    return bytes(data)


def info_header(width, height, bpp, image_size, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image_size,
                       0, 0, colours, 0)


def bmp_file(info, palette, bits):
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return head + info + palette + bits


def encode_bmp24(rows):
    bits = b"".join(row_bytes_24(r) for r in reversed(rows))
    return bmp_file(info_header(len(rows[0]), len(rows), 24, len(bits)), b"", bits)


def encode_bmp8(rows):
    colours = []
    for row in rows:
        for c in row:
            if c not in colours:
                colours.append(c)
    if len(colours) > 256:
        raise ValueError("border uses more than 256 colours")
    index = {c: i for i, c in enumerate(colours)}
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    palette += bytes(4 * (256 - len(colours)))
    bits = bytearray()
    for row in reversed(rows):
        line = bytes(index[c] for c in row)
        bits += line + bytes(-len(line) % 4)
    return bmp_file(info_header(len(rows[0]), len(rows), 8, len(bits), 256), palette, bytes(bits))


def encode_png(rows):
    """24-bit PNG; each row takes the filter that leaves the smallest sum,
    the usual heuristic, so the output depends on the pixels alone."""
    width, height = len(rows[0]), len(rows)
    raw = bytearray()
    prev = bytes(3 * width)
    for row in rows:
        line = bytes(v for pixel in row for v in pixel)
        candidates = []
        for kind in range(5):
            out = bytearray(len(line))
            for i, v in enumerate(line):
                left = line[i - 3] if i >= 3 else 0
                up = prev[i]
                upleft = prev[i - 3] if i >= 3 else 0
                if kind == 0:
                    pred = 0
                elif kind == 1:
                    pred = left
                elif kind == 2:
                    pred = up
                elif kind == 3:
                    pred = (left + up) // 2
                else:
                    e = left + up - upleft
                    da, db, dc = abs(e - left), abs(e - up), abs(e - upleft)
                    pred = left if da <= db and da <= dc else up if db <= dc else upleft
                out[i] = (v - pred) & 0xFF
            cost = sum(b if b < 128 else 256 - b for b in out)
            candidates.append((cost, kind, bytes(out)))
        _, kind, out = min(candidates)
        raw += bytes((kind,)) + out
        prev = line

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    head = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


# Scales drawn besides 100%, whose art is caption.bmp and border.bmp.
SCALES = (125, 150, 175, 200)


def scaled_skin_files():
    """The art for the other scales and the buttons' hover looks at every
    scale, as PNG files: captionNNN.png, borderNNN.png, hoverNNN.png."""
    files = {"hover100.png": encode_png(hover_pixels(Scale(100)))}
    for percent in SCALES:
        sc = Scale(percent)
        files["caption%d.png" % percent] = encode_png(caption_pixels(sc))
        files["border%d.png" % percent] = encode_png(border_pixels(sc))
        files["hover%d.png" % percent] = encode_png(hover_pixels(sc))
    return files


def main(argv):
    outdir = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(outdir, exist_ok=True)
    files = {
        "caption.bmp": encode_bmp24(caption_pixels()),
        "border.bmp": encode_bmp8(border_pixels()),
        "torvane.ico": encode_icon(ICON_SIZES),
    }
    files.update(scaled_skin_files())
    for name, data in files.items():
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
