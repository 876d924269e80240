#!/usr/bin/env python3
"""Draws the editor's toolbar image strip and its logo bitmaps.

Writes resources/artwork/toolbar.png (twenty 16 x 16 RGBA images side by side,
indexed as the toolbar and the transport strip use them) and resources/artwork/
logo*.bmp (the logo strip's bitmaps: 5 and 6 are the normal logo of the two
installation locales, 7 and 8 the same under the mouse). Shapes are drawn at
four times the size and averaged down, so edges are smooth at 16 pixels.
Run from anywhere: python3 tools/make_artwork.py
"""
import math
import os
import struct
import zlib

S = 4  # supersampling factor


class Canvas:
    """An RGBA canvas drawn at S times its size."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0)] * (w * S) for _ in range(h * S)]

    def _put(self, x, y, colour):
        if 0 <= x < self.w * S and 0 <= y < self.h * S:
            self.px[y][x] = colour

    def fill(self, inside, colour):
        """Fills every subpixel whose centre (in image units) satisfies inside(x, y)."""
        for y in range(self.h * S):
            for x in range(self.w * S):
                if inside((x + 0.5) / S, (y + 0.5) / S):
                    self._put(x, y, colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour)

    def frame(self, x0, y0, x1, y1, colour, t=1.0):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1 and
                  not (x0 + t <= x < x1 - t and y0 + t <= y < y1 - t), colour)

    def disc(self, cx, cy, r, colour):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour)

    def ring(self, cx, cy, r, t, colour, start=0.0, end=360.0):
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if not (r - t <= d <= r):
                return False
            a = math.degrees(math.atan2(cy - y, x - cx)) % 360
            return start <= a <= end if start <= end else (a >= start or a <= end)
        self.fill(inside, colour)

    def line(self, x0, y0, x1, y1, colour, t=1.5):
        dx, dy = x1 - x0, y1 - y0
        n = dx * dx + dy * dy or 1.0

        def inside(x, y):
            u = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / n))
            return math.hypot(x - (x0 + u * dx), y - (y0 + u * dy)) <= t / 2
        self.fill(inside, colour)

    def polygon(self, points, colour):
        def inside(x, y):
            c = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        self.fill(inside, colour)

    def rgba(self):
        """The canvas averaged down, rows of (r, g, b, a), colour premultiplied while averaging."""
        out = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r = g = b = a = 0
                for sy in range(S):
                    for sx in range(S):
                        pr, pg, pb, pa = self.px[y * S + sy][x * S + sx]
                        r, g, b, a = r + pr * pa, g + pg * pa, b + pb * pa, a + pa
                row.append((r // a, g // a, b // a, a // (S * S)) if a else (0, 0, 0, 0))
            out.append(row)
        return out


INK = (40, 48, 64, 255)
BLUE = (38, 110, 200, 255)
GREEN = (40, 150, 70, 255)
RED = (200, 50, 45, 255)
ORANGE = (230, 140, 30, 255)
PAPER = (250, 250, 245, 255)
GREY = (150, 155, 165, 255)


def cut(c):
    c.ring(4.5, 12, 2.6, 1.3, INK)
    c.ring(11.5, 12, 2.6, 1.3, INK)
    c.line(5.8, 9.8, 11, 1.5, GREY, 1.6)
    c.line(10.2, 9.8, 5, 1.5, GREY, 1.6)


def copy(c):
    for ox, oy in ((1, 1), (6, 5)):
        c.rect(ox, oy, ox + 9, oy + 10, PAPER)
        c.frame(ox, oy, ox + 9, oy + 10, INK)
        for k in range(3):
            c.rect(ox + 2, oy + 3 + 2 * k, ox + 7, oy + 3.8 + 2 * k, GREY)


def paste(c):
    c.rect(2, 3, 13, 15, (190, 140, 80, 255))
    c.frame(2, 3, 13, 15, INK)
    c.rect(5, 1.5, 10, 4.5, GREY)
    c.rect(7, 7, 15, 16, PAPER)
    c.frame(7, 7, 15, 16, INK)


def magnet(c):
    c.ring(8, 7, 6, 2.6, RED, 180, 360)
    c.rect(2, 1, 4.6, 7, RED)
    c.rect(11.4, 1, 14, 7, RED)
    c.rect(2, 1, 4.6, 3, PAPER)
    c.rect(11.4, 1, 14, 3, PAPER)
    c.line(1, 15, 15, 15, BLUE, 1.2)


def pencil(c):
    c.polygon([(3, 11), (11, 3), (13, 5), (5, 13)], ORANGE)
    c.polygon([(3, 11), (5, 13), (1.5, 14.5)], INK)
    c.polygon([(11, 3), (12.5, 1.5), (14.5, 3.5), (13, 5)], RED)


def arrow(c):
    c.polygon([(3, 1), (3, 14), (6.2, 10.8), (8.6, 15), (10.6, 14), (8.2, 9.8), (12.5, 9.8)], INK)
    c.polygon([(4.2, 3.6), (4.2, 11.4), (6.5, 9.1), (8.9, 13.4), (9.2, 13.2), (6.8, 8.8), (10, 8.8)], PAPER)


def zoom(c):
    c.disc(6.5, 6.5, 4.4, (210, 230, 250, 255))
    c.ring(6.5, 6.5, 5.2, 1.5, INK)
    c.line(10, 10, 14.5, 14.5, INK, 2.4)


def solo(c):
    c.rect(1, 1, 15, 15, (250, 210, 60, 255))
    c.frame(1, 1, 15, 15, INK)
    c.ring(8, 5.8, 2.6, 1.4, INK, 20, 270)
    c.ring(8, 10.2, 2.6, 1.4, INK, 200, 90)


def speaker(c):
    c.polygon([(2, 6), (5, 6), (9, 2.5), (9, 13.5), (5, 10), (2, 10)], INK)
    c.ring(9, 8, 3.5, 1.2, BLUE, 300, 60)
    c.ring(9, 8, 6, 1.2, BLUE, 300, 60)


def loop(c):
    c.ring(8, 8, 6, 1.8, GREEN, 30, 330)
    c.polygon([(12, 1.5), (15.5, 5), (10.5, 6)], GREEN)


def play_from_start(c):
    c.rect(2, 3, 4, 13, GREEN)
    c.polygon([(5, 3), (14, 8), (5, 13)], GREEN)


def play(c):
    c.polygon([(4, 2), (14, 8), (4, 14)], GREEN)


def pause(c):
    c.rect(3.5, 3, 6.5, 13, BLUE)
    c.rect(9.5, 3, 12.5, 13, BLUE)


def stop(c):
    c.rect(3, 3, 13, 13, RED)


def go_start(c):
    c.rect(2, 3, 4, 13, INK)
    c.polygon([(14, 3), (5, 8), (14, 13)], INK)


def go_end(c):
    c.rect(12, 3, 14, 13, INK)
    c.polygon([(2, 3), (11, 8), (2, 13)], INK)


def scale_snap(c):
    c.rect(1, 3, 15, 14, PAPER)
    for k in range(1, 5):
        c.rect(1 + k * 2.8 - 0.3, 3, 1 + k * 2.8 + 0.3, 14, GREY)
    for k in (0, 1, 3):
        c.rect(2.6 + k * 2.8, 3, 4.2 + k * 2.8, 9.5, INK)
    c.frame(1, 3, 15, 14, INK)
    c.ring(13, 3.5, 2.6, 1.2, RED, 180, 360)


def brush(c):
    c.line(13.5, 1.5, 7, 8, (140, 90, 40, 255), 2.2)
    c.polygon([(6, 7), (9, 10), (5, 14), (1.5, 14.5), (2, 11)], BLUE)


def eraser(c):
    c.polygon([(1.5, 10), (8, 3.5), (14.5, 10), (10, 14.5), (6, 14.5)], (240, 130, 150, 255))
    c.polygon([(1.5, 10), (5, 6.5), (11.5, 13), (10, 14.5), (6, 14.5)], PAPER)
    c.line(5, 6.5, 11.5, 13, INK, 0.8)


def quantize(c):
    for k in (2, 6, 10, 14):
        c.rect(k - 0.4, 1, k + 0.4, 15, GREY)
    c.rect(2, 4, 6, 7, BLUE)
    c.rect(6, 9, 10, 12, BLUE)
    c.line(9, 5.5, 13.5, 5.5, INK, 1.0)
    c.polygon([(12, 3.5), (14.5, 5.5), (12, 7.5)], INK)


# Indexed as the toolbar (0-8, 16-19) and the transport strip (9-15) use them.
IMAGES = [cut, copy, paste, magnet, pencil, arrow, zoom, solo, speaker, loop, play_from_start, play, pause, stop,
          go_start, go_end, scale_snap, brush, eraser, quantize]


def png(rows):
    w, h = len(rows[0]), len(rows)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bmp(rows):
    """A 24-bit bottom-up bitmap with the 40-byte header."""
    w, h = len(rows[0]), len(rows)
    stride = (w * 3 + 3) & ~3
    data = b""
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        data += line + b"\0" * (stride - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 54) + header + data


def logo(hot, accent):
    """The logo: a keyboard octave with a few notes above it, on the button-face grey."""
    w, h = 64, 20
    c = Canvas(w, h)
    c.rect(0, 0, w, h, (212, 208, 200, 255) if not hot else (228, 232, 240, 255))
    c.rect(2, 11, 30, 19, PAPER)
    for k in range(1, 7):
        c.rect(2 + k * 4 - 0.3, 11, 2 + k * 4 + 0.3, 19, GREY)
    for k in (0, 1, 3, 4, 5):
        c.rect(4.6 + k * 4, 11, 6.4 + k * 4, 15.5, INK)
    c.frame(2, 11, 30, 19, INK, 0.8)
    for i, (x, y) in enumerate(((33, 13), (39, 9), (45, 11), (51, 5), (57, 7))):
        c.rect(x, y, x + 5, y + 3, accent if hot else BLUE)
    c.line(2, 3.5, 29, 3.5, accent, 1.2)
    c.line(2, 7, 29, 7, GREY, 0.8)
    return [[p[:3] for p in row] for row in c.rgba()]


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "artwork")
    os.makedirs(out, exist_ok=True)
    strip = [[] for _ in range(16)]
    for draw in IMAGES:
        c = Canvas(16, 16)
        draw(c)
        for y, row in enumerate(c.rgba()):
            strip[y].extend(row)
    with open(os.path.join(out, "toolbar.png"), "wb") as f:
        f.write(png(strip))
    for number, hot, accent in ((5, False, ORANGE), (6, False, GREEN), (7, True, ORANGE), (8, True, GREEN)):
        with open(os.path.join(out, "logo%d.bmp" % number), "wb") as f:
            f.write(bmp(logo(hot, accent[:3] + (255,))))


if __name__ == "__main__":
    main()
