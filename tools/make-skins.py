#!/usr/bin/env python3
"""Draws Kelvoria's five skin pictures and its program icon.

    python3 tools/make-skins.py [OUTDIR]

writes OUTDIR/Skins/Skin.bmp, Playlist2.bmp, Settings.bmp, Search.bmp,
Equalizer.bmp and
OUTDIR/resources/icone.ico (OUTDIR defaults to the repository root). The
output depends on nothing but this file: no fonts, no random numbers, only
+ - * / and sqrt, so running it again gives the same bytes.

Everything is drawn with signed-distance shapes: a pixel's distance to a
shape's edge gives its coverage, which anti-aliases every edge. The window
outline is cut where the outline shape does not cover the pixel centre;
those pixels get the exact transparent colour, and no pixel inside ever
does (nudge_off_key).

Layout notes, in window pixels (x from the left edge, y from the top,
bounds included, as the windows test them):
- main, 600 x 119: position bar 22..431 x 4..38, title label 35..378 x
  40..77, status label 35..373 x 75..91 lie on the dark display; the nine
  hit areas carry their glyphs (MAIN_AREAS); the analyser area 381..410 x
  56..94 is an empty recess (ANALYSER_AREA).
- playlist, 353 x 295: the list box covers 19..333 x 21..243; the button
  strip below it shows from y 244.
- settings and search are dialogs whose controls are placed in dialog
  units. A dialog unit is base_x / 4 pixels across and base_y / 8 down.
  The settings template names no font, so the system font's base units
  apply: 8 x 16 on Windows (9 x 16 under Wine); the search template names
  Tahoma 8, whose base units are 6 x 13 on Windows (7 x 13 under Wine).
  Both sets are covered by the white cards the controls stand on: their
  controls get the stock white brush as background.
"""

import os
import struct
import sys
from math import sqrt

# ---------------------------------------------------------------- palette

RIM = (9, 11, 14)
FACE_TOP = (52, 58, 68)
FACE_BOTTOM = (27, 30, 36)
DISPLAY_TOP = (10, 17, 22)
DISPLAY_BOTTOM = (6, 11, 15)
ACCENT = (70, 212, 224)
ACCENT_DEEP = (28, 128, 150)
TEXT = (226, 232, 238)
TEXT_DIM = (140, 152, 166)
BUTTON_TOP = (66, 73, 85)
BUTTON_BOTTOM = (34, 38, 46)
CARD = (255, 255, 255)
DANGER = (226, 92, 92)

# Hit areas, (left, right, top, bottom), both ends included.
MAIN_AREAS = {
    'close': (560, 579, 19, 27),
    'playlist': (565, 590, 33, 60),
    'settings': (565, 590, 61, 94),
    'open': (473, 504, 53, 71),
    'stop': (467, 512, 76, 111),
    'previous': (420, 462, 42, 81),
    'next': (516, 556, 44, 80),
    'play': (460, 510, 10, 47),
    'minimise': (561, 582, 98, 107),
    'equalizer': (426, 456, 86, 98),
}
# The analyser area beside the labels, drawn by the program itself.
ANALYSER_AREA = (381, 410, 56, 94)
PLAYLIST_AREAS = {
    'hide': (324, 344, 9, 16),
    'open': (12, 116, 241, 253),
    'save': (123, 228, 241, 253),
    'clear': (233, 339, 241, 253),
    'search': (39, 88, 261, 273),
}
SETTINGS_CLOSE = (322, 339, 69, 83)
SEARCH_CLOSE = (211, 228, 40, 54)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def area_box(area):
    """A hit area as a continuous box: pixel x covers x .. x + 1."""
    left, right, top, bottom = area
    return left, top, right + 1, bottom + 1


def area_centre(area):
    x0, y0, x1, y1 = area_box(area)
    return (x0 + x1) / 2, (y0 + y1) / 2


# ---------------------------------------------------------------- shapes
# Each shape is a function (x, y) -> signed distance, negative inside,
# with the bounding box it can cover.

def rrect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        ox, oy = max(qx, 0.0), max(qy, 0.0)
        return sqrt(ox * ox + oy * oy) + min(max(qx, qy), 0.0) - r
    return d, (x0, y0, x1, y1)


def circle(cx, cy, r):
    def d(x, y):
        return sqrt((x - cx) ** 2 + (y - cy) ** 2) - r
    return d, (cx - r, cy - r, cx + r, cy + r)


def capsule(ax, ay, bx, by, r):
    vx, vy = bx - ax, by - ay
    vv = vx * vx + vy * vy or 1e-9

    def d(x, y):
        t = clamp(((x - ax) * vx + (y - ay) * vy) / vv)
        px, py = x - ax - vx * t, y - ay - vy * t
        return sqrt(px * px + py * py) - r
    return d, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r)


def polygon(points, rounding=0.0):
    """A convex polygon, points clockwise on screen (y down)."""
    edges = []
    n = len(points)
    for i in range(n):
        ax, ay = points[i]
        bx, by = points[(i + 1) % n]
        ex, ey = bx - ax, by - ay
        length = sqrt(ex * ex + ey * ey)
        edges.append((ax, ay, ey / length, -ex / length))

    def d(x, y):
        return max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges) - rounding
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return d, (min(xs) - rounding, min(ys) - rounding, max(xs) + rounding, max(ys) + rounding)


def union(*shapes, k=0.0):
    """Union of shapes; with k > 0 the joins are filleted over k pixels."""
    def d(x, y):
        value = shapes[0][0](x, y)
        for s in shapes[1:]:
            other = s[0](x, y)
            if k > 0:
                h = max(k - abs(value - other), 0.0) / k
                value = min(value, other) - h * h * k / 4
            else:
                value = min(value, other)
        return value
    box = (min(s[1][0] for s in shapes) - k, min(s[1][1] for s in shapes) - k,
           max(s[1][2] for s in shapes) + k, max(s[1][3] for s in shapes) + k)
    return d, box


def inset(shape, by):
    return (lambda x, y: shape[0](x, y) + by), shape[1]


# ---------------------------------------------------------------- canvas

def new_canvas(width, height, colour):
    return {'w': width, 'h': height, 'px': [list(colour) for _ in range(width * height)]}


def paint(canvas, shape, colour, opacity=1.0, grow=1.0, soft=0.0):
    """Covers the shape with a colour (or a function (x, y) -> colour).

    soft > 0 fades the edge over that many pixels outward (glows and
    shadows); otherwise the edge is anti-aliased over one pixel."""
    d, (bx0, by0, bx1, by1) = shape
    pad = soft + grow + 1
    w, h, px = canvas['w'], canvas['h'], canvas['px']
    x_from, x_to = max(int(bx0 - pad), 0), min(int(bx1 + pad) + 1, w)
    y_from, y_to = max(int(by0 - pad), 0), min(int(by1 + pad) + 1, h)
    for y in range(y_from, y_to):
        cy = y + 0.5
        for x in range(x_from, x_to):
            cx = x + 0.5
            dist = d(cx, cy)
            if soft > 0:
                a = clamp(1.0 - dist / soft) if dist > 0 else 1.0
                a = a * a
            else:
                a = clamp(0.5 - dist)
            a *= opacity
            if a <= 0:
                continue
            c = colour(cx, cy) if callable(colour) else colour
            p = px[y * w + x]
            p[0] += (c[0] - p[0]) * a
            p[1] += (c[1] - p[1]) * a
            p[2] += (c[2] - p[2]) * a


def vertical(top_colour, bottom_colour, y0, y1):
    def colour(x, y):
        return mix(top_colour, bottom_colour, clamp((y - y0) / (y1 - y0)))
    return colour


def bevel(canvas, shape, light=0.16, dark=0.22):
    """A light line just inside the upper edge and a dark one along the
    lower edge, so raised parts catch the light from above."""
    d, box = shape
    y0, y1 = box[1], box[3]
    ring = (lambda x, y: abs(d(x, y) + 1.0) - 0.6), box
    w = canvas['w']
    px = canvas['px']
    for y in range(max(int(y0) - 1, 0), min(int(y1) + 2, canvas['h'])):
        t = clamp((y + 0.5 - y0) / max(y1 - y0, 1))
        for x in range(max(int(box[0]) - 1, 0), min(int(box[2]) + 2, w)):
            a = clamp(0.5 - ring[0](x + 0.5, y + 0.5))
            if a <= 0:
                continue
            p = px[y * w + x]
            if t < 0.5:
                target, strength = (255, 255, 255), light * (1 - 2 * t)
            else:
                target, strength = (0, 0, 0), dark * (2 * t - 1)
            for i in range(3):
                p[i] += (target[i] - p[i]) * a * strength


# ---------------------------------------------------------------- lettering
# A 5 x 7 font of the capitals the skins need, one row of bits a line.

FONT = {
    '0': '01110 10001 10011 10101 11001 10001 01110',
    '1': '00100 01100 00100 00100 00100 00100 01110',
    '2': '01110 10001 00001 00010 00100 01000 11111',
    '3': '11110 00001 00001 01110 00001 00001 11110',
    '4': '00010 00110 01010 10010 11111 00010 00010',
    '5': '11111 10000 11110 00001 00001 10001 01110',
    '6': '00110 01000 10000 11110 10001 10001 01110',
    '8': '01110 10001 10001 01110 10001 10001 01110',
    'A': '01110 10001 10001 11111 10001 10001 10001',
    'C': '01110 10001 10000 10000 10000 10001 01110',
    'D': '11110 10001 10001 10001 10001 10001 11110',
    'E': '11111 10000 10000 11110 10000 10000 11111',
    'G': '01110 10001 10000 10111 10001 10001 01111',
    'H': '10001 10001 10001 11111 10001 10001 10001',
    'I': '11111 00100 00100 00100 00100 00100 11111',
    'K': '10001 10010 10100 11000 10100 10010 10001',
    'L': '10000 10000 10000 10000 10000 10000 11111',
    'N': '10001 11001 10101 10011 10001 10001 10001',
    'O': '01110 10001 10001 10001 10001 10001 01110',
    'P': '11110 10001 10001 11110 10000 10000 10000',
    'Q': '01110 10001 10001 10001 10101 10010 01101',
    'R': '11110 10001 10001 11110 10100 10010 10001',
    'S': '01111 10000 10000 01110 00001 00001 11110',
    'T': '11111 00100 00100 00100 00100 00100 00100',
    'U': '10001 10001 10001 10001 10001 10001 01110',
    'V': '10001 10001 10001 10001 10001 01010 00100',
    'Y': '10001 10001 01010 00100 00100 00100 00100',
    'Z': '11111 00001 00010 00100 01000 10000 11111',
    ' ': '00000 00000 00000 00000 00000 00000 00000',
}


def text_width(text, scale=1, spacing=1):
    return len(text) * (5 + spacing) * scale - spacing * scale


def lettering(canvas, text, x, y, colour, scale=1, spacing=1):
    """Writes text with its top-left corner at (x, y); each font cell is a
    scale x scale square, slightly rounded when scaled up."""
    r = 0.0 if scale == 1 else scale * 0.18
    for i, ch in enumerate(text):
        rows = FONT[ch].split()
        ox = x + i * (5 + spacing) * scale
        for ry, row in enumerate(rows):
            for rx, bit in enumerate(row):
                if bit == '1':
                    cx, cy = ox + rx * scale, y + ry * scale
                    paint(canvas, rrect(cx, cy, cx + scale, cy + scale, r), colour)


def centred_lettering(canvas, text, area, colour, scale=1):
    x0, y0, x1, y1 = area_box(area)
    width = text_width(text, scale)
    lettering(canvas, text, int((x0 + x1 - width) / 2 + 0.5), int((y0 + y1 - 7 * scale) / 2 + 0.5),
              colour, scale)


# ---------------------------------------------------------------- glyphs

def close_mark(canvas, cx, cy, half, colour, weight=0.95):
    paint(canvas, capsule(cx - half, cy - half, cx + half, cy + half, weight), colour)
    paint(canvas, capsule(cx - half, cy + half, cx + half, cy - half, weight), colour)


def play_pause_glyph(canvas, cx, cy, colour):
    paint(canvas, polygon([(cx - 8.5, cy - 7.5), (cx + 2.5, cy), (cx - 8.5, cy + 7.5)], 0.8), colour)
    paint(canvas, rrect(cx + 4, cy - 6.5, cx + 6.5, cy + 6.5, 0.8), colour)
    paint(canvas, rrect(cx + 8, cy - 6.5, cx + 10.5, cy + 6.5, 0.8), colour)


def skip_glyph(canvas, cx, cy, colour, forward):
    s = 1 if forward else -1
    paint(canvas, polygon(ordered([(cx - 6 * s, cy - 6), (cx + 3 * s, cy), (cx - 6 * s, cy + 6)]), 0.7), colour)
    bar = cx + 4.5 * s
    paint(canvas, rrect(min(bar, bar + 2.6 * s), cy - 6, max(bar, bar + 2.6 * s), cy + 6, 0.7), colour)


def ordered(points):
    """Puts a triangle's points clockwise on screen."""
    (ax, ay), (bx, by), (cx, cy) = points
    cross = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax)
    return points if cross > 0 else [points[0], points[2], points[1]]


def eject_glyph(canvas, cx, cy, colour):
    paint(canvas, polygon([(cx, cy - 6), (cx + 6.5, cy + 0.5), (cx - 6.5, cy + 0.5)], 0.6), colour)
    paint(canvas, rrect(cx - 6.5, cy + 2.8, cx + 6.5, cy + 5, 0.6), colour)


def list_glyph(canvas, cx, cy, colour):
    for i in (-5, 0, 5):
        paint(canvas, circle(cx - 5.5, cy + i, 1.3), colour)
        paint(canvas, capsule(cx - 2, cy + i, cx + 6, cy + i, 1.0), colour)


def sliders_glyph(canvas, cx, cy, colour, knob):
    for i, at in ((-4.5, 2.5), (0, -3), (4.5, 1)):
        paint(canvas, capsule(cx - 7, cy + i, cx + 7, cy + i, 0.75), colour)
        paint(canvas, circle(cx + at, cy + i, 2.1), knob)
        paint(canvas, circle(cx + at, cy + i, 1.0), colour)


# ---------------------------------------------------------------- buttons

def round_button(canvas, cx, cy, r, ring=None):
    paint(canvas, circle(cx, cy + 1.5, r + 1.5), (0, 0, 0), opacity=0.55, soft=3.0)
    paint(canvas, circle(cx, cy, r), RIM)
    body = circle(cx, cy, r - 1.2)
    paint(canvas, body, vertical(BUTTON_TOP, BUTTON_BOTTOM, cy - r, cy + r))
    bevel(canvas, body, light=0.35, dark=0.3)
    if ring:
        paint(canvas, (lambda x, y: abs(sqrt((x - cx) ** 2 + (y - cy) ** 2) - (r - 3.2)) - 0.7,
                       (cx - r, cy - r, cx + r, cy + r)), ring, opacity=0.9)


def pill_button(canvas, box, r=None):
    x0, y0, x1, y1 = box
    r = (y1 - y0) / 2 if r is None else r
    paint(canvas, rrect(x0, y0 + 1, x1, y1 + 1, r), (0, 0, 0), opacity=0.5, soft=2.5)
    paint(canvas, rrect(x0, y0, x1, y1, r), RIM)
    body = rrect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, max(r - 1, 0.5))
    paint(canvas, body, vertical(BUTTON_TOP, BUTTON_BOTTOM, y0, y1))
    bevel(canvas, body, light=0.3, dark=0.25)


def recess(canvas, shape, top, bottom):
    """A sunken panel of any shape: dark fill, a shadow along its upper
    inner edge and a faint light line along its lower outer edge."""
    d, box = shape
    x0, y0, x1, y1 = box
    paint(canvas, ((lambda x, y: d(x, y - 0.8)), box), (255, 255, 255), opacity=0.07)
    paint(canvas, shape, RIM)
    inner = inset(shape, 1.0)
    paint(canvas, inner, vertical(top, bottom, y0, y1))
    w = canvas['w']
    for y in range(int(y0) + 1, min(int(y0) + 5, canvas['h'])):
        a = 0.35 * (1 - (y - y0 - 1) / 4)
        for x in range(int(x0) + 1, min(int(x1), w)):
            if inner[0](x + 0.5, y + 0.5) < 0:
                p = canvas['px'][y * w + x]
                for i in range(3):
                    p[i] *= 1 - a


def rounded_recess(canvas, box, r, top, bottom):
    recess(canvas, rrect(*box, r), top, bottom)


# ---------------------------------------------------------------- output

def nudge_off_key(colour, key):
    """A face pixel must never carry the transparent colour exactly, or the
    outline would get a hole: move it by one step on the blue channel."""
    if colour == key:
        b = key[2] + 1 if key[2] < 255 else key[2] - 1
        return (key[0], key[1], b)
    return colour


def finish(canvas, outline, key):
    """Rows of (r, g, b) bytes: the picture inside the outline, the key
    colour outside it."""
    d = outline[0]
    w, h = canvas['w'], canvas['h']
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            if d(x + 0.5, y + 0.5) < 0:
                p = canvas['px'][y * w + x]
                c = tuple(int(clamp(v, 0, 255) + 0.5) for v in p)
                row.append(nudge_off_key(c, key))
            else:
                row.append(key)
        rows.append(row)
    return rows


def bmp_bytes(rows):
    """A 24-bit BMP: rows bottom-up, blue green red, padded to 4 bytes."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b'\0' * (stride - len(line))
        pixels += line
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    return file_header + header + bytes(pixels)


def framed_body(canvas, outline, top=FACE_TOP, bottom=FACE_BOTTOM):
    """The face of a window: its rim, a gradient, a bevel."""
    x0, y0, x1, y1 = outline[1]
    paint(canvas, outline, RIM)
    face = inset(outline, 1.4)
    paint(canvas, face, vertical(top, bottom, y0, y1))
    bevel(canvas, face, light=0.22, dark=0.3)


# ---------------------------------------------------------------- main skin

def main_skin():
    w, h = 600, 119
    canvas = new_canvas(w, h, RIM)
    body = rrect(1, 0.5, 454, 103, 16)
    pod = rrect(404, 0.5, 599.5, 118.5, 27)
    outline = union(body, pod, k=14)
    framed_body(canvas, outline)

    # The display: behind the position bar and both labels.
    # The display, behind the position bar and both labels: full width
    # under the bar, stepping in below it to leave room for Previous.
    display = union(rrect(14, 2.5, 442, 40, 10), rrect(14, 2.5, 414, 98, 10), k=8)
    recess(canvas, display, DISPLAY_TOP, DISPLAY_BOTTOM)
    # A faint accent line under the position bar's lane.
    paint(canvas, capsule(26, 39.5, 428, 39.5, 0.5), ACCENT_DEEP, opacity=0.35)
    # The analyser's recess in the corner the labels leave free: a shade
    # darker than the display, inside its rounded corner. The program draws
    # the bars and the scope over it (app/analyser_area.h).
    rounded_recess(canvas, area_box(ANALYSER_AREA), 3, (5, 10, 14), (3, 6, 9))

    # Transport buttons, each on its own hit area.
    px, py = area_centre(MAIN_AREAS['play'])
    round_button(canvas, px, py, 18.5, ring=ACCENT)
    play_pause_glyph(canvas, px - 0.5, py, TEXT)

    for name, forward in (('previous', False), ('next', True)):
        cx, cy = area_centre(MAIN_AREAS[name])
        round_button(canvas, cx, cy, 17.5)
        skip_glyph(canvas, cx, cy, TEXT, forward)

    ex0, ey0, ex1, ey1 = area_box(MAIN_AREAS['equalizer'])
    pill_button(canvas, (ex0 + 0.5, ey0 + 0.5, ex1 - 0.5, ey1 - 0.5), r=5.5)
    centred_lettering(canvas, 'EQ', MAIN_AREAS['equalizer'], ACCENT)

    sx, sy = area_centre(MAIN_AREAS['stop'])
    round_button(canvas, sx, sy, 17)
    paint(canvas, rrect(sx - 6, sy - 6, sx + 6, sy + 6, 1.6), TEXT)

    ox0, oy0, ox1, oy1 = area_box(MAIN_AREAS['open'])
    pill_button(canvas, (ox0 + 0.5, oy0 + 0.5, ox1 - 0.5, oy1 - 0.5), r=7)
    eject_glyph(canvas, (ox0 + ox1) / 2, (oy0 + oy1) / 2 - 0.5, ACCENT)

    # The window column at the right: close, playlist, settings, minimise.
    rounded_recess(canvas, (558, 14, 594, 112), 9, (22, 25, 31), (18, 20, 25))
    cx, cy = area_centre(MAIN_AREAS['close'])
    paint(canvas, rrect(cx - 8.5, cy - 5.5, cx + 8.5, cy + 5.5, 4), (60, 30, 34))
    close_mark(canvas, cx, cy, 2.6, DANGER, 0.85)
    cx, cy = area_centre(MAIN_AREAS['playlist'])
    pill_button(canvas, (565.5, 34.5, 590.5, 59.5), r=5)
    list_glyph(canvas, cx, cy, TEXT)
    cx, cy = area_centre(MAIN_AREAS['settings'])
    pill_button(canvas, (565.5, 63, 590.5, 93), r=5)
    sliders_glyph(canvas, cx, cy, TEXT, ACCENT)
    cx, cy = area_centre(MAIN_AREAS['minimise'])
    paint(canvas, rrect(cx - 9, cy - 4.5, cx + 9, cy + 4.5, 3.5), (36, 40, 48))
    paint(canvas, capsule(cx - 4.5, cy + 1.5, cx + 4.5, cy + 1.5, 0.9), TEXT)
    return finish(canvas, outline, (0, 0, 0))


# ---------------------------------------------------------------- playlist

def playlist_skin():
    w, h = 353, 295
    canvas = new_canvas(w, h, RIM)
    body = rrect(2, 1, 351, 260, 14)
    tab = rrect(26, 250, 102, 281, 9)
    outline = union(body, tab, k=10)
    framed_body(canvas, outline)

    lettering(canvas, 'PLAYLIST', 21, 7, TEXT)
    paint(canvas, circle(15, 10.5, 2.2), ACCENT)
    # Hide: a minus in a small pill at the top right.
    hx0, hy0, hx1, hy1 = area_box(PLAYLIST_AREAS['hide'])
    pill_button(canvas, (hx0 + 0.5, hy0 - 1, hx1 - 0.5, hy1 + 1), r=4.5)
    paint(canvas, capsule(hx0 + 6.5, (hy0 + hy1) / 2, hx1 - 6.5, (hy0 + hy1) / 2, 0.9), TEXT)

    # The list box's own blue covers 19..333 x 21..243; the frame around it
    # shows the lane it sits in.
    rounded_recess(canvas, (16, 18, 337, 247), 5, (23 * 0.6, 78 * 0.6, 171 * 0.6), (20, 50, 110))

    # The button strip: the list box covers its top three rows, so the
    # labels sit in the rows that stay visible (244..253).
    for name, label in (('open', 'OPEN'), ('save', 'SAVE'), ('clear', 'CLEAR')):
        x0, y0, x1, y1 = area_box(PLAYLIST_AREAS[name])
        pill_button(canvas, (x0 + 0.5, 241.5, x1 - 0.5, 255), r=5)
        lettering(canvas, label, int((x0 + x1 - text_width(label)) / 2 + 0.5), 246, TEXT)
    x0, y0, x1, y1 = area_box(PLAYLIST_AREAS['search'])
    pill_button(canvas, (x0 - 0.5, y0 - 0.5, x1 + 0.5, y1 + 0.5), r=6)
    lettering(canvas, 'SEARCH', int((x0 + x1 - text_width('SEARCH')) / 2 + 0.5), y0 + 3, ACCENT)
    return finish(canvas, outline, (0, 0, 0))


# ---------------------------------------------------------------- equalizer

EQUALIZER_HIDE = (324, 344, 9, 16)
# The sliders' columns (left edge, 24 wide) and the labels under them.
EQUALIZER_COLUMNS = [(14, 'PRE')] + [(50 + i * 29, label) for i, label in enumerate(
    ('31', '62', '125', '250', '500', '1K', '2K', '4K', '8K', '16K'))]


def equalizer_skin():
    w, h = 353, 160
    canvas = new_canvas(w, h, RIM)
    outline = rrect(2, 1, 351, 158, 14)
    framed_body(canvas, outline)
    lettering(canvas, 'EQUALIZER', 21, 7, TEXT)
    paint(canvas, circle(15, 10.5, 2.2), ACCENT)
    hx0, hy0, hx1, hy1 = area_box(EQUALIZER_HIDE)
    pill_button(canvas, (hx0 + 0.5, hy0 - 1, hx1 - 0.5, hy1 + 1), r=4.5)
    paint(canvas, capsule(hx0 + 6.5, (hy0 + hy1) / 2, hx1 - 6.5, (hy0 + hy1) / 2, 0.9), TEXT)
    # The controls stand on the card: switches and presets at 28..48, the
    # sliders at 50..119, their labels at 121, the file buttons at 132..150.
    card(canvas, (9, 23.5, 344, 153), 8)
    paint(canvas, capsule(42, 55, 42, 115, 0.5), TEXT_DIM, opacity=0.6)
    for x, label in EQUALIZER_COLUMNS:
        centre = x + 12
        lettering(canvas, label, int(centre - text_width(label) / 2 + 0.5), 121, (60, 66, 76))
    return finish(canvas, outline, (0, 0, 0))


# ---------------------------------------------------------------- tool dialogs

GREY_KEY = (79, 79, 79)


def card(canvas, box, r):
    x0, y0, x1, y1 = box
    paint(canvas, rrect(x0, y0 + 1.5, x1, y1 + 1.5, r), (0, 0, 0), opacity=0.45, soft=3)
    paint(canvas, rrect(x0, y0, x1, y1, r), CARD)


def close_button(canvas, area):
    cx, cy = area_centre(area)
    paint(canvas, circle(cx, cy, 8.5), (0, 0, 0), opacity=0.4, soft=2)
    paint(canvas, circle(cx, cy, 8), (70, 34, 38))
    body = circle(cx, cy, 7)
    paint(canvas, body, vertical((96, 44, 50), (66, 30, 34), cy - 8, cy + 8))
    bevel(canvas, body, light=0.3, dark=0.2)
    close_mark(canvas, cx, cy, 2.8, (255, 214, 214), 0.9)


def settings_skin():
    w, h = 540, 295
    canvas = new_canvas(w, h, RIM)
    title = rrect(26, 56, 354, 100, 12)
    body = rrect(26, 84, 456, 286, 14)
    outline = union(title, body, k=12)
    framed_body(canvas, outline)
    lettering(canvas, 'SETTINGS', 58, 66, TEXT, scale=2)
    sliders_glyph(canvas, 43, 73, TEXT_DIM, ACCENT)
    paint(canvas, capsule(58, 86.5, 300, 86.5, 0.6), ACCENT, opacity=0.7)
    close_button(canvas, SETTINGS_CLOSE)
    # The controls: "Playing" and "Apply changes" from 40 to 230 across,
    # "At Startup" with "This one !" from 230 to 440, 90 to 272 down, for
    # either set of base units (see the notes at the top).
    card(canvas, (34, 90.5, 448, 278), 9)
    return finish(canvas, outline, GREY_KEY)


def search_skin():
    w, h = 350, 255
    canvas = new_canvas(w, h, RIM)
    title = rrect(2, 3, 238, 44, 12)
    body = rrect(2, 28, 348, 253, 14)
    outline = union(title, body, k=12)
    framed_body(canvas, outline)
    paint(canvas, circle(17, 19, 4.2), ACCENT)
    paint(canvas, circle(17, 19, 2.6), FACE_TOP)
    paint(canvas, capsule(20, 22, 23.5, 25.5, 1.1), ACCENT)
    lettering(canvas, 'SEARCH', 30, 13, TEXT, scale=2)
    paint(canvas, capsule(30, 32, 200, 32, 0.6), ACCENT, opacity=0.7)
    # The two texts, the drive group and "Start" stand on the card:
    # 11..333 x 41..242 with Windows' base units, 12..333 with Wine's.
    card(canvas, (8, 37, 342, 247), 8)
    close_button(canvas, SEARCH_CLOSE)
    return finish(canvas, outline, GREY_KEY)


# ---------------------------------------------------------------- icon

def icon_image(size):
    """The program's icon at one size: rows of (r, g, b, a), top row first.
    A dark rounded tile, an accent disc and a play mark."""
    s = size / 64.0
    tile = rrect(2 * s, 2 * s, 62 * s, 62 * s, 14 * s)
    disc = circle(32 * s, 32 * s, 22 * s)
    groove = (lambda x, y: abs(sqrt((x - 32 * s) ** 2 + (y - 32 * s) ** 2) - 16 * s) - 0.9 * s), disc[1]
    mark = polygon([(25 * s, 20 * s), (44 * s, 32 * s), (25 * s, 44 * s)], 1.5 * s)
    colour = new_canvas(size, size, (0, 0, 0))
    alpha = new_canvas(size, size, (0, 0, 0))
    paint(colour, tile, vertical((60, 67, 79), (22, 25, 31), 0, size))
    paint(alpha, tile, (255, 255, 255))
    paint(colour, disc, vertical(ACCENT, ACCENT_DEEP, 10 * s, 54 * s))
    if size >= 32:
        paint(colour, groove, (255, 255, 255), opacity=0.25)
    paint(colour, mark, (250, 252, 255))
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            c = colour['px'][y * size + x]
            a = alpha['px'][y * size + x][0]
            row.append(tuple(int(clamp(v, 0, 255) + 0.5) for v in c) + (int(clamp(a, 0, 255) + 0.5),))
        rows.append(row)
    return rows


def ico_bytes(images):
    """An icon group of 32-bit images, each a DIB with its AND mask."""
    blobs = []
    for rows in images:
        size = len(rows)
        header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            line = bytearray(mask_stride)
            for x, px in enumerate(row):
                if px[3] == 0:
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += line
        blobs.append((size, header + bytes(xor) + bytes(mask)))
    out = bytearray(struct.pack('<HHH', 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for size, blob in blobs:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, blob in blobs:
        out += blob
    return bytes(out)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
    skins = os.path.join(root, 'Skins')
    os.makedirs(skins, exist_ok=True)
    os.makedirs(os.path.join(root, 'resources'), exist_ok=True)
    for name, draw in (('Skin.bmp', main_skin), ('Playlist2.bmp', playlist_skin),
                       ('Settings.bmp', settings_skin), ('Search.bmp', search_skin),
                       ('Equalizer.bmp', equalizer_skin)):
        with open(os.path.join(skins, name), 'wb') as f:
            f.write(bmp_bytes(draw()))
    with open(os.path.join(root, 'resources', 'icone.ico'), 'wb') as f:
        f.write(ico_bytes([icon_image(n) for n in (16, 32, 48, 64, 128, 255)]))


if __name__ == '__main__':
    main()
