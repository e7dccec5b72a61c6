#!/usr/bin/env python3
"""Draws every picture of the player's resources and writes them next to this
script: toolbar.bmp (bitmap 101), background.bmp (102), volume.bmp (103),
vistrel.ico (icon 100) and hand.cur (cursor 10800).

Standard library only. Shapes are drawn on a supersampled RGBA canvas with a
few primitives (rectangles, polygons, circles, rings, thick polylines and a
small stroke font); the 4-bit pictures are drawn without supersampling and in
the 16 standard colours only, so they stay crisp and map cleanly onto the
system colours of a toolbar.

Run: python3 res/gen_images.py
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16 colours of the standard 4-bit palette, in palette order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = VGA[0:8]
GREY, RED, LIME, YELLOW, BLUE, MAGENTA, CYAN, WHITE = VGA[8:16]
FACE = SILVER  # toolbar background, mapped to the button face colour


# ---------------------------------------------------------------- canvas

class Canvas:
    """RGBA picture drawn in logical pixels, sampled SS x SS times per pixel.
    Coordinates are floats; pixel (x, y) covers [x, x+1) x [y, y+1), y down."""

    def __init__(self, width, height, ss=1, fill=(0, 0, 0, 0)):
        self.w, self.h, self.ss = width, height, ss
        self.sw, self.sh = width * ss, height * ss
        self.px = [list(fill) if len(fill) == 4 else list(fill) + [255]
                   for _ in range(self.sw * self.sh)]

    def _put(self, sx, sy, colour):
        if 0 <= sx < self.sw and 0 <= sy < self.sh:
            c = colour if len(colour) == 4 else tuple(colour) + (255,)
            p = self.px[sy * self.sw + sx]
            a = c[3] / 255.0
            for i in range(3):
                p[i] = c[i] * a + p[i] * (1 - a)
            p[3] = max(p[3], c[3])

    def fill_where(self, inside, colour, bbox=None):
        """Sets every sample whose centre satisfies inside(x, y); colour may be
        a function of (x, y) for gradients."""
        x0, y0, x1, y1 = bbox if bbox else (0, 0, self.w, self.h)
        sx0 = max(0, int(math.floor(x0 * self.ss)))
        sy0 = max(0, int(math.floor(y0 * self.ss)))
        sx1 = min(self.sw, int(math.ceil(x1 * self.ss)) + 1)
        sy1 = min(self.sh, int(math.ceil(y1 * self.ss)) + 1)
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / self.ss
            for sx in range(sx0, sx1):
                x = (sx + 0.5) / self.ss
                if inside(x, y):
                    self._put(sx, sy, colour(x, y) if callable(colour) else colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.fill_where(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour,
                        (x0, y0, x1, y1))

    def polygon(self, pts, colour):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]

        def inside(x, y):
            # even-odd rule
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y):
                    if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                        c = not c
                j = i
            return c
        self.fill_where(inside, colour, (min(xs), min(ys), max(xs), max(ys)))

    def circle(self, cx, cy, r, colour):
        self.fill_where(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                        colour, (cx - r, cy - r, cx + r, cy + r))

    def ring(self, cx, cy, r0, r1, a0, a1, colour):
        """Ring between radii r0 and r1, angles a0..a1 in degrees
        (0 = right, 90 = up)."""
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if not r0 <= d <= r1:
                return False
            a = math.degrees(math.atan2(cy - y, x - cx))
            return a0 <= a <= a1
        self.fill_where(inside, colour, (cx - r1, cy - r1, cx + r1, cy + r1))

    def polyline(self, pts, width, colour):
        """Thick line through pts with round joins and caps."""
        r = width / 2.0
        segs = list(zip(pts, pts[1:])) or [(pts[0], pts[0])]

        def dist2(x, y, a, b):
            ax, ay = a
            bx, by = b
            dx, dy = bx - ax, by - ay
            ll = dx * dx + dy * dy
            t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
            px, py = ax + t * dx - x, ay + t * dy - y
            return px * px + py * py

        def inside(x, y):
            return any(dist2(x, y, a, b) <= r * r for a, b in segs)
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.fill_where(inside, colour,
                        (min(xs) - r, min(ys) - r, max(xs) + r, max(ys) + r))

    def pixels(self):
        """Averaged RGBA rows (top row first), each value 0..255."""
        out = []
        n = self.ss * self.ss
        for y in range(self.h):
            row = []
            for x in range(self.w):
                acc = [0.0, 0.0, 0.0, 0.0]
                for j in range(self.ss):
                    base = (y * self.ss + j) * self.sw + x * self.ss
                    for i in range(self.ss):
                        p = self.px[base + i]
                        a = p[3]
                        acc[0] += p[0] * a
                        acc[1] += p[1] * a
                        acc[2] += p[2] * a
                        acc[3] += a
                if acc[3] > 0:
                    rgb = [int(round(acc[k] / acc[3])) for k in range(3)]
                else:
                    rgb = [0, 0, 0]
                row.append((rgb[0], rgb[1], rgb[2], int(round(acc[3] / n))))
            out.append(row)
        return out


# ---------------------------------------------------------------- file writers

def _rows_4bit(rows):
    """Packs rows of palette indices, two pixels a byte, rows padded to 4."""
    data = bytearray()
    for row in rows:
        b = bytearray()
        for i in range(0, len(row), 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < len(row) else 0
            b.append((hi << 4) | lo)
        while len(b) % 4:
            b.append(0)
        data += b
    return bytes(data)


def _rows_1bit(rows):
    data = bytearray()
    for row in rows:
        b = bytearray((len(row) + 7) // 8)
        for i, v in enumerate(row):
            if v:
                b[i // 8] |= 0x80 >> (i % 8)
        while len(b) % 4:
            b.append(0)
        data += b
    return bytes(data)


def _palette(colours):
    return b''.join(struct.pack('<BBBB', c[2], c[1], c[0], 0) for c in colours)


def _info_header(width, height, bits, image_size, colours):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0,
                       image_size, 2835, 2835, colours, 0)


def index_of(colour):
    c = tuple(colour[:3])
    if c not in VGA:
        raise ValueError('colour %r is not one of the 16 standard colours' % (c,))
    return VGA.index(c)


def write_bmp4(path, pix):
    """pix: rows top first of RGB(A) tuples, all from the standard palette."""
    h, w = len(pix), len(pix[0])
    rows = [[index_of(p) for p in row] for row in reversed(pix)]
    bits = _rows_4bit(rows)
    info = _info_header(w, h, 4, len(bits), 16) + _palette(VGA)
    _write_bmp_file(path, info, bits)


def write_bmp24(path, pix):
    h, w = len(pix), len(pix[0])
    data = bytearray()
    for row in reversed(pix):
        b = bytearray()
        for p in row:
            b += bytes((p[2], p[1], p[0]))
        while len(b) % 4:
            b.append(0)
        data += b
    _write_bmp_file(path, _info_header(w, h, 24, len(data), 0), bytes(data))


def _write_bmp_file(path, info, bits):
    offset = 14 + len(info)
    head = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(head + info + bits)


def icon_image_32(pix):
    """32-bit icon image with alpha, plus an AND mask from the alpha."""
    h, w = len(pix), len(pix[0])
    xor = bytearray()
    for row in reversed(pix):
        for p in row:
            xor += bytes((p[2], p[1], p[0], p[3]))
    mask = _rows_1bit([[1 if p[3] < 128 else 0 for p in row] for row in reversed(pix)])
    return _info_header(w, h * 2, 32, len(xor) + len(mask), 0) + bytes(xor) + mask, 0, 32


def icon_image_4(pix):
    """4-bit icon image; fully transparent where alpha is below half."""
    h, w = len(pix), len(pix[0])
    rows = [[0 if p[3] < 128 else index_of(p) for p in row] for row in reversed(pix)]
    xor = _rows_4bit(rows)
    mask = _rows_1bit([[1 if p[3] < 128 else 0 for p in row] for row in reversed(pix)])
    info = _info_header(w, h * 2, 4, len(xor) + len(mask), 16) + _palette(VGA)
    return info + xor + mask, 16, 4


def write_icon_file(path, images, kind=1, hotspot=(0, 0)):
    """images: list of (width, height, (data, colour count, bits)).
    kind 1 writes an icon, kind 2 a cursor (hotspot in place of planes/bits)."""
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for w, h, (data, ncol, bits) in images:
        if kind == 1:
            a, b = 1, bits
        else:
            a, b = hotspot
        out += struct.pack('<BBBBHHII', w % 256, h % 256, ncol, 0, a, b,
                           len(data), offset + len(body))
        body += data
    with open(path, 'wb') as f:
        f.write(out + body)


# ---------------------------------------------------------------- toolbar

def draw_button(kind):
    """One 20 x 20 toolbar image on the light grey button face."""
    c = Canvas(20, 20, 1, FACE)
    g = BLACK
    if kind == 'play':
        c.polygon([(6, 3), (6, 17), (13, 10)], g)
    elif kind == 'pause':
        c.rect(5, 4, 9, 16, g)
        c.rect(11, 4, 15, 16, g)
    elif kind == 'stop':
        c.rect(5, 5, 15, 15, g)
    elif kind == 'start':
        c.rect(4, 4, 6, 16, g)
        c.polygon([(7, 10), (13, 4), (13, 16)], g)
    elif kind == 'back':
        c.polygon([(4, 10), (10, 4), (10, 16)], g)
        c.polygon([(10, 10), (16, 4), (16, 16)], g)
    elif kind == 'forward':
        c.polygon([(4, 4), (4, 16), (10, 10)], g)
        c.polygon([(10, 4), (10, 16), (16, 10)], g)
    elif kind == 'end':
        c.polygon([(7, 4), (7, 16), (13, 10)], g)
        c.rect(14, 4, 16, 16, g)
    elif kind == 'blank':
        pass
    elif kind == 'volume':
        draw_speaker(c, 2)
    elif kind == 'exit':
        draw_exit(c)
    return c.pixels()


def draw_speaker(c, waves, muted=False):
    """Speaker on the left; waves 0..3 arcs, or a red cross when muted."""
    g = BLACK
    c.rect(2, 8, 5, 12, g)
    c.polygon([(5, 8), (9, 4), (9, 16), (5, 12)], g)
    radii = [(2.0, 3.4), (4.6, 6.0), (7.2, 8.6)]
    for i in range(waves):
        r0, r1 = radii[i]
        c.ring(9, 10, r0, r1, -50, 50, g)
    if muted:
        c.polyline([(12, 7), (17, 13)], 1.8, RED)
        c.polyline([(12, 13), (17, 7)], 1.8, RED)


def draw_exit(c):
    """Open door with an arrow leaving through it."""
    c.rect(3, 2, 13, 18, BLACK)          # door frame
    c.rect(4, 3, 12, 18, WHITE)          # doorway, light beyond
    c.polygon([(4, 3), (9, 5), (9, 19), (4, 18)], OLIVE)  # the door leaf, open
    c.rect(7, 10, 8, 12, YELLOW)         # door knob
    c.rect(10, 9, 16, 11, GREEN)         # arrow shaft
    c.polygon([(15, 5), (19, 10), (15, 15)], GREEN)  # arrow head


def toolbar_strip():
    kinds = ['play', 'pause', 'stop', 'start', 'back', 'forward', 'end',
             'blank', 'volume', 'exit']
    return hstack([draw_button(k) for k in kinds])


def volume_strip():
    images = []
    for waves in range(4):
        c = Canvas(20, 20, 1, FACE)
        draw_speaker(c, waves, muted=(waves == 0))
        images.append(c.pixels())
    return hstack(images)


def hstack(images):
    return [sum((img[y] for img in images), []) for y in range(len(images[0]))]


# ---------------------------------------------------------------- logo font

def glyph_arc(cx, cy, rx, ry, a0, a1, steps=16):
    """Arc points in the glyph grid (y up), angles in degrees."""
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / steps)))
            for i in range(steps + 1)]


# Stroke glyphs on a grid: cap height 10, x-height 7, baseline y = 0, y up.
# Each glyph: (advance width, list of polylines).
def _glyphs():
    g = {}
    g['V'] = (6.4, [[(0, 10), (3.2, 0), (6.4, 10)]])
    g['i'] = (0.0, [[(0, 0), (0, 7)], [(0, 9.6), (0, 9.6)]])
    s_top = glyph_arc(2.4, 5.25, 2.3, 1.75, 20, 270)
    s_bot = glyph_arc(2.4, 1.75, 2.3, 1.75, 90, -160)
    g['s'] = (4.8, [s_top + s_bot])
    g['t'] = (3.6, [[(1.4, 9.4)] + glyph_arc(2.8, 1.4, 1.4, 1.4, 180, 270, 8) + [(3.6, 0)],
                    [(0, 7), (3.6, 7)]])
    g['r'] = (3.6, [[(0, 0), (0, 7)], glyph_arc(3.6, 3.0, 3.6, 3.8, 180, 90, 12)])
    g['e'] = (7.0, [[(0, 3.5), (7, 3.5)] + glyph_arc(3.5, 3.5, 3.5, 3.5, 0, 320, 32)])
    g['l'] = (0.0, [[(0, 0), (0, 10)]])
    # capitals for the small caption
    g['P'] = (5.0, [[(0, 0), (0, 10), (2.8, 10)] +
                    glyph_arc(2.8, 7.5, 2.2, 2.5, 90, -90, 12) +
                    [(0, 5)]])
    g['L'] = (4.6, [[(0, 10), (0, 0), (4.6, 0)]])
    g['A'] = (6.4, [[(0, 0), (3.2, 10), (6.4, 0)], [(1.2, 3.6), (5.2, 3.6)]])
    g['Y'] = (6.0, [[(0, 10), (3, 5), (6, 10)], [(3, 5), (3, 0)]])
    g['E'] = (4.6, [[(4.6, 10), (0, 10), (0, 0), (4.6, 0)], [(0, 5), (3.8, 5)]])
    g['R'] = (5.2, [[(0, 0), (0, 10), (2.8, 10)] +
                    glyph_arc(2.8, 7.5, 2.2, 2.5, 90, -90, 12) +
                    [(0, 5)], [(2.4, 5), (5.2, 0)]])
    return g


GLYPHS = _glyphs()


def text_width(text, spacing):
    return sum(GLYPHS[ch][0] for ch in text) + spacing * (len(text) - 1)


def draw_text(c, text, x, baseline, unit, weight, spacing, colour):
    """Draws text with its left edge at x; unit = pixels per grid step."""
    for ch in text:
        adv, strokes = GLYPHS[ch]
        for s in strokes:
            pts = [(x + px * unit, baseline - py * unit) for px, py in s]
            c.polyline(pts, weight, colour)
        x += (adv + spacing) * unit


# ---------------------------------------------------------------- emblem, logo, icon

def draw_emblem(c, cx, cy, r, ring_colour, disc_colour, mark_colour):
    """Round emblem: a disc with a ring and a play triangle."""
    c.circle(cx, cy, r, ring_colour)
    c.circle(cx, cy, r * 0.84, disc_colour)
    t = r * 0.46
    c.polygon([(cx - t * 0.7, cy - t), (cx - t * 0.7, cy + t), (cx + t * 1.05, cy)],
              mark_colour)


def background_picture():
    w, h = 196, 86
    c = Canvas(w, h, 4, (0, 0, 0, 255))
    cx, cy, r = 34, 43, 25

    def disc(x, y):  # blue disc, lighter towards the top
        t = max(0.0, min(1.0, (y - (cy - r)) / (2 * r)))
        return (int(40 + 30 * (1 - t)), int(90 + 70 * (1 - t)), int(170 + 70 * (1 - t)), 255)
    draw_emblem(c, cx, cy, r, (200, 210, 225, 255), disc, (255, 255, 255, 255))

    unit = 3.1
    x0 = 70
    base = 52

    def steel(x, y):  # white at the top of the letters, steel blue at the foot
        t = max(0.0, min(1.0, (y - (base - 10 * unit)) / (10 * unit)))
        return (int(255 - 95 * t), int(255 - 65 * t), int(255 - 20 * t), 255)
    draw_text(c, 'Vistrel', x0, base, unit, 4.2, 2.1, steel)

    small = 1.05
    cap = 'PLAYER'
    tw = text_width(cap, 3.2) * small
    tx = x0 + (text_width('Vistrel', 2.1) * unit - tw) / 2
    draw_text(c, cap, tx, 70, small, 1.3, 3.2, (120, 150, 200, 255))
    return [[p[:3] for p in row] for row in c.pixels()]


def icon_pixels(size):
    c = Canvas(size, size, 4)
    r = size / 2.0 - 0.5
    draw_emblem(c, size / 2.0, size / 2.0, r, (30, 50, 110, 255), (50, 120, 220, 255),
                (255, 255, 255, 255))
    return c.pixels()


def icon_pixels_4bit(size):
    c = Canvas(size, size, 1)
    r = size / 2.0
    draw_emblem(c, size / 2.0, size / 2.0, r, NAVY, BLUE, WHITE)
    return c.pixels()


# ---------------------------------------------------------------- hand cursor

# X black outline, o white, . transparent. The fingertip is the hotspot.
HAND = """
.....XX..........
....XooX.........
....XooX.........
....XooX.........
....XooX.........
....XooXXX.......
....XooXooXXX....
....XooXooXooXX..
....XooXooXooXoX.
.XX.XooooooooXoX.
XooXXoooooooooooX
XoooXoooooooooooX
.XooXoooooooooooX
..XoXoooooooooooX
..XoooooooooooooX
...XooooooooooooX
...XoooooooooooX.
....XooooooooooX.
....XoooooooooX..
.....XoooooooooX.
.....XoooooooooX.
.....XXXXXXXXXXX.
"""
HAND_HOTSPOT = (5, 0)


def hand_cursor():
    lines = [l for l in HAND.strip().splitlines()]
    size = 32
    ox, oy = 8, 1
    xor = [[0] * size for _ in range(size)]
    andm = [[1] * size for _ in range(size)]
    for y, line in enumerate(lines):
        for x, ch in enumerate(line):
            if ch == '.':
                continue
            andm[oy + y][ox + x] = 0
            xor[oy + y][ox + x] = 1 if ch == 'o' else 0
    xor_bits = _rows_1bit(list(reversed(xor)))
    and_bits = _rows_1bit(list(reversed(andm)))
    info = _info_header(size, size * 2, 1, len(xor_bits) + len(and_bits), 2)
    data = info + _palette([BLACK, WHITE]) + xor_bits + and_bits
    hotspot = (ox + HAND_HOTSPOT[0], oy + HAND_HOTSPOT[1])
    return data, hotspot


# ---------------------------------------------------------------- main

def main():
    write_bmp4(os.path.join(HERE, 'toolbar.bmp'), toolbar_strip())
    write_bmp4(os.path.join(HERE, 'volume.bmp'), volume_strip())
    write_bmp24(os.path.join(HERE, 'background.bmp'), background_picture())
    write_icon_file(os.path.join(HERE, 'vistrel.ico'), [
        (16, 16, icon_image_4(icon_pixels_4bit(16))),
        (32, 32, icon_image_4(icon_pixels_4bit(32))),
        (16, 16, icon_image_32(icon_pixels(16))),
        (32, 32, icon_image_32(icon_pixels(32))),
    ])
    data, hotspot = hand_cursor()
    write_icon_file(os.path.join(HERE, 'hand.cur'), [(32, 32, (data, 2, 1))],
                    kind=2, hotspot=hotspot)


if __name__ == '__main__':
    main()
