#!/usr/bin/env python3
"""Draws the module's cursors and its pattern bitmap.

Writes resources/cursors/*.cur (32 x 32 monochrome cursors), resources/cursors/
pattern.bmp (bitmap 101, the tile of pattern brush 10000) and resources/
cursors.rc, which compiles them into the module. Every cursor is a shape in
black and white with a one-pixel white halo, so it reads on light and dark
backgrounds. Run from anywhere: python3 tools/make_cursors.py [--preview PNG]
"""
import argparse
import math
import os
import struct
import zlib

SIZE = 32
CLEAR, BLACK, WHITE = 0, 1, 2


class Canvas:
    def __init__(self):
        self.px = [[CLEAR] * SIZE for _ in range(SIZE)]

    def set(self, x, y, value):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.px[y][x] = value

    def line(self, x0, y0, x1, y1, value=BLACK, width=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        lo = -(width // 2)
        for i in range(steps + 1):
            x = round(x0 + (x1 - x0) * i / steps)
            y = round(y0 + (y1 - y0) * i / steps)
            for dx in range(lo, lo + width):
                for dy in range(lo, lo + width):
                    self.set(x + dx, y + dy, value)

    def rect(self, x0, y0, x1, y1, value=BLACK, fill=None):
        if fill is not None:
            for y in range(y0, y1 + 1):
                for x in range(x0, x1 + 1):
                    self.set(x, y, fill)
        for x in range(x0, x1 + 1):
            self.set(x, y0, value)
            self.set(x, y1, value)
        for y in range(y0, y1 + 1):
            self.set(x0, y, value)
            self.set(x1, y, value)

    def polygon(self, points, value=BLACK, fill=None):
        """Fills pixels whose centres lie inside, then strokes the edges."""
        if fill is not None:
            for y in range(SIZE):
                for x in range(SIZE):
                    if inside(points, x + 0.5, y + 0.5):
                        self.set(x, y, fill)
        if value is not None:
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                self.line(round(ax), round(ay), round(bx), round(by), value)

    def disc(self, cx, cy, r, value=BLACK, fill=None, width=1):
        for y in range(SIZE):
            for x in range(SIZE):
                d = math.hypot(x - cx, y - cy)
                if fill is not None and d < r - width + 0.5:
                    self.set(x, y, fill)
                elif r - width + 0.5 <= d < r + 0.5:
                    self.set(x, y, value)

    def halo(self):
        """A white rim around everything drawn."""
        rim = []
        for y in range(SIZE):
            for x in range(SIZE):
                if self.px[y][x] != CLEAR:
                    continue
                for dx in (-1, 0, 1):
                    for dy in (-1, 0, 1):
                        nx, ny = x + dx, y + dy
                        if 0 <= nx < SIZE and 0 <= ny < SIZE and self.px[ny][nx] == BLACK:
                            rim.append((x, y))
        for x, y in rim:
            self.px[y][x] = WHITE

    def mirrored(self):
        out = Canvas()
        out.px = [list(reversed(row)) for row in self.px]
        return out

    def transposed(self):
        out = Canvas()
        out.px = [[self.px[x][y] for x in range(SIZE)] for y in range(SIZE)]
        return out


def inside(points, x, y):
    result = False
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
            result = not result
    return result


# Shapes shared by several cursors ------------------------------------------

def arrowhead(c, tip, direction, length=5, half=4):
    """A filled triangle whose point is tip, pointing along direction."""
    dx, dy = direction
    tx, ty = tip
    bx, by = tx - dx * length, ty - dy * length
    c.polygon([(tx, ty), (bx - dy * half, by + dx * half), (bx + dy * half, by - dx * half)], BLACK, BLACK)


def double_arrow(c, y=16, x0=3, x1=28):
    """A horizontal double-headed arrow."""
    c.line(x0 + 4, y, x1 - 4, y, BLACK, 2)
    arrowhead(c, (x0, y), (-1, 0))
    arrowhead(c, (x1, y), (1, 0))


def pointer(c, x=1, y=1):
    """The usual pointing arrow with its tip at (x, y)."""
    shape = [(0, 0), (0, 16), (4, 12), (7, 19), (10, 18), (7, 11), (12, 11)]
    c.polygon([(x + px, y + py) for px, py in shape], BLACK, WHITE)


def magnifier(c, sign=None):
    c.line(18, 18, 27, 27, BLACK, 4)
    c.disc(12, 12, 9, BLACK, WHITE, 2)
    if sign in ('+', '-'):
        c.line(8, 12, 16, 12, BLACK, 2)
    if sign == '+':
        c.line(12, 8, 12, 16, BLACK, 2)


def pencil(c):
    # Axis from the point (1, 30) up and to the right.
    def at(along, across):
        u = (1 / math.sqrt(2), -1 / math.sqrt(2))
        v = (1 / math.sqrt(2), 1 / math.sqrt(2))
        return (1.5 + u[0] * along + v[0] * across, 30.5 + u[1] * along + v[1] * across)
    c.polygon([at(7, -3.5), at(30, -3.5), at(30, 3.5), at(7, 3.5)], BLACK, WHITE)  # body
    c.polygon([at(0, 0), at(7, -3.5), at(7, 3.5)], BLACK, WHITE)                  # sharpened wood
    c.polygon([at(0, 0), at(3, -1.5), at(3, 1.5)], BLACK, BLACK)                  # lead
    c.line(*[round(v) for v in at(26, -3.5) + at(26, 3.5)])                      # ferrule
    c.set(1, 30, BLACK)


def sign_box(c, x, y, plus):
    """A small boxed plus or minus beside a pointer."""
    c.rect(x, y, x + 8, y + 8, BLACK, WHITE)
    c.line(x + 2, y + 4, x + 6, y + 4)
    if plus:
        c.line(x + 4, y + 2, x + 4, y + 6)


def hand(c, closed):
    palm_top = 14 if closed else 12
    c.polygon([(8, palm_top), (24, palm_top), (24, 24), (20, 29), (11, 29), (6, 22)], BLACK, WHITE)
    fingers = [(9, 13), (13, 13), (17, 13), (21, 13)]
    for i, (x, _) in enumerate(fingers):
        top = palm_top - 2 if closed else [6, 3, 4, 7][i]
        c.rect(x, top, x + 3, palm_top + 3, BLACK, WHITE)
        if not closed:
            c.set(x + 1, palm_top + 1, WHITE)
            c.set(x + 2, palm_top + 1, WHITE)
    if not closed:
        c.polygon([(6, 22), (2, 15), (4, 13), (8, 17)], BLACK, WHITE)  # thumb
    for x in (12, 16, 20):
        c.line(x, palm_top + 1, x, palm_top + 4, BLACK)


# The cursors ---------------------------------------------------------------

def zoom_in():
    c = Canvas(); magnifier(c, '+'); return c, (12, 12)


def zoom_out():
    c = Canvas(); magnifier(c, '-'); return c, (12, 12)


def zoom_plain():
    c = Canvas(); magnifier(c); return c, (12, 12)


def draw_pencil():
    c = Canvas(); pencil(c); return c, (1, 30)


def draw_add():
    c = Canvas(); pencil(c); sign_box(c, 2, 2, True); return c, (1, 30)


def open_hand():
    c = Canvas(); hand(c, False); return c, (15, 16)


def closed_hand():
    c = Canvas(); hand(c, True); return c, (15, 18)


def zoom_slider():
    """Dragging the zoom slider: a slider knob between left and right arrows."""
    c = Canvas()
    c.rect(13, 8, 18, 24, BLACK, WHITE)
    c.line(15, 11, 15, 21)
    c.line(16, 11, 16, 21)
    arrowhead(c, (3, 16), (-1, 0))
    c.line(7, 16, 12, 16, BLACK, 2)
    arrowhead(c, (28, 16), (1, 0))
    c.line(19, 16, 24, 16, BLACK, 2)
    return c, (16, 16)


def column_splitter():
    """Moving the boundary between two side-by-side areas."""
    c = Canvas()
    c.rect(14, 6, 17, 26, BLACK, WHITE)
    arrowhead(c, (3, 16), (-1, 0))
    c.line(7, 16, 13, 16, BLACK, 2)
    arrowhead(c, (28, 16), (1, 0))
    c.line(18, 16, 24, 16, BLACK, 2)
    return c, (16, 16)


def resize():
    """Dragging an edge left or right."""
    c = Canvas(); c.line(16, 9, 16, 23, BLACK, 2); double_arrow(c); return c, (16, 16)


def axis_lock():
    """A move held to one axis: the moved note and its two directions."""
    c = Canvas()
    double_arrow(c)
    c.rect(12, 13, 19, 19, BLACK, WHITE)
    return c, (16, 16)


def move_all():
    c = Canvas()
    double_arrow(c)
    vertical = Canvas()
    double_arrow(vertical)
    merge(c, vertical.transposed())
    c.rect(14, 14, 17, 17, BLACK, WHITE)
    return c, (16, 16)


def copy_pointer():
    c = Canvas(); pointer(c); sign_box(c, 17, 19, True); return c, (1, 1)


def remove_pointer():
    c = Canvas(); pointer(c); sign_box(c, 17, 19, False); return c, (1, 1)


def select_pointer():
    """The Selection tool: the pointer with a dashed selection band."""
    c = Canvas()
    pointer(c)
    for x in range(14, 31):
        if x % 3 != 2:
            c.set(x, 20, BLACK); c.set(x, 30, BLACK)
    for y in range(20, 31):
        if y % 3 != 2:
            c.set(14, y, BLACK); c.set(30, y, BLACK)
    return c, (1, 1)


def scissors():
    c = Canvas()
    c.line(9, 2, 20, 21, BLACK, 2)
    c.line(22, 2, 11, 21, BLACK, 2)
    c.disc(9, 25, 4, BLACK, WHITE, 2)
    c.disc(22, 25, 4, BLACK, WHITE, 2)
    return c, (15, 4)


def speaker():
    """Auditioning notes."""
    c = Canvas()
    c.polygon([(3, 12), (8, 12), (15, 5), (15, 27), (8, 20), (3, 20)], BLACK, WHITE)
    c.line(8, 12, 8, 20)
    for r in (5, 10):  # sound waves
        for a in range(-50, 51, 2):
            x = 16 + r * math.cos(math.radians(a))
            y = 16 + r * math.sin(math.radians(a))
            c.set(round(x) + 2, round(y), BLACK)
            c.set(round(x) + 3, round(y), BLACK)
    return c, (3, 16)


def pointing_hand():
    c = Canvas()
    c.rect(11, 1, 14, 16, BLACK, WHITE)
    c.polygon([(8, 14), (24, 13), (25, 24), (21, 30), (12, 30), (6, 20)], BLACK, WHITE)
    for x in (15, 19):
        c.rect(x, 10, x + 3, 15, BLACK, WHITE)
    c.rect(11, 12, 14, 16, BLACK, WHITE)
    c.line(11, 16, 14, 16, WHITE)
    return c, (12, 1)


def crosshair():
    c = Canvas()
    c.line(16, 2, 16, 12); c.line(16, 20, 16, 30)
    c.line(2, 16, 12, 16); c.line(20, 16, 30, 16)
    c.set(16, 16, BLACK)
    return c, (16, 16)


def loop_start():
    """Setting the loop start: an opening bracket with a flag into the loop."""
    c = Canvas()
    c.line(11, 4, 11, 28, BLACK, 2)
    c.line(11, 4, 16, 4, BLACK, 2)
    c.line(11, 28, 16, 28, BLACK, 2)
    arrowhead(c, (24, 16), (1, 0), 7, 5)
    c.line(13, 16, 17, 16, BLACK, 2)
    return c, (11, 16)


def velocity():
    """Setting velocities: a stalk with its head and the up/down arrows."""
    c = Canvas()
    c.line(12, 10, 12, 30, BLACK, 2)
    c.disc(12, 8, 4, BLACK, WHITE, 2)
    arrowhead(c, (24, 4), (0, -1))
    c.line(24, 9, 24, 23, BLACK, 2)
    arrowhead(c, (24, 28), (0, 1))
    return c, (12, 8)


def note_edge():
    """Resizing a note at its start: the edge, the note after it, the arrows."""
    c = Canvas()
    c.rect(16, 5, 29, 11, BLACK, BLACK)
    c.line(15, 3, 15, 29, BLACK, 2)
    arrowhead(c, (3, 22), (-1, 0))
    c.line(7, 22, 27, 22, BLACK, 2)
    arrowhead(c, (28, 22), (1, 0))
    return c, (15, 16)


def ruler_marker():
    """The time ruler: a position marker over its line."""
    c = Canvas()
    c.polygon([(9, 2), (23, 2), (23, 8), (16, 15), (9, 8)], BLACK, WHITE)
    c.line(16, 15, 16, 30, BLACK, 2)
    return c, (16, 16)


def paint_brush():
    c = Canvas()
    c.line(15, 16, 28, 3, BLACK, 3)                                        # handle
    c.polygon([(10, 17), (14, 13), (19, 18), (15, 22)], BLACK, WHITE)      # ferrule
    c.polygon([(10, 17), (15, 22), (9, 28), (2, 30), (4, 23)], BLACK, BLACK)  # bristles
    return c, (2, 29)


def eraser():
    c = Canvas()
    c.polygon([(2, 23), (17, 8), (27, 18), (12, 33)], BLACK, WHITE)
    c.polygon([(2, 23), (9, 16), (19, 26), (12, 33)], BLACK, BLACK)
    c.line(1, 30, 14, 30)
    return c, (4, 28)


def merge(into, other):
    for y in range(SIZE):
        for x in range(SIZE):
            if other.px[y][x] != CLEAR:
                into.px[y][x] = other.px[y][x]


def mirrored(make):
    def draw():
        c, (x, y) = make()
        return c.mirrored(), (SIZE - 1 - x, y)
    return draw


def transposed(make):
    def draw():
        c, (x, y) = make()
        return c.transposed(), (y, x)
    return draw


# id, file name, drawing, what it means
CURSORS = [
    (2, 'zoom', zoom_in, 'Zoom tool'),
    (3, 'draw', draw_pencil, 'Draw tool over an empty place'),
    (4, 'pan', open_hand, 'scrolling by hand'),
    (9, 'zoom_slider_h', zoom_slider, 'horizontal zoom slider'),
    (10, 'zoom_slider_v', transposed(zoom_slider), 'vertical zoom slider'),
    (11, 'split_columns', column_splitter, 'keyboard width splitter'),
    (12, 'split_rows', transposed(column_splitter), 'lane height splitter'),
    (13, 'resize_h', resize, 'horizontal resize: loop edges, zoom handles'),
    (14, 'resize_v', transposed(resize), 'vertical resize: zoom handles'),
    (17, 'lock_time', axis_lock, 'move held to time'),
    (18, 'lock_pitch', transposed(axis_lock), 'move held to pitch'),
    (39, 'move', move_all, 'move in any direction'),
    (40, 'copy', copy_pointer, 'copying drag'),
    (41, 'deselect', remove_pointer, 'taking from the selection'),
    (42, 'draw_add', draw_add, 'drawing added notes'),
    (43, 'split', scissors, 'splitting notes'),
    (44, 'audition', speaker, 'auditioning notes'),
    (45, 'point', pointing_hand, 'clickable item'),
    (46, 'grab', closed_hand, 'scrolling by hand, held'),
    (47, 'zoom_out', zoom_out, 'zooming out'),
    (48, 'zoom_plain', zoom_plain, 'zoom band'),
    (49, 'crosshair', crosshair, 'precise placing'),
    (50, 'loop_start', loop_start, 'setting the loop start'),
    (51, 'loop_end', mirrored(loop_start), 'setting the loop end'),
    (52, 'velocity', velocity, 'setting velocities'),
    (100, 'note_start', note_edge, 'resizing a note at its start'),
    (101, 'note_end', mirrored(note_edge), 'resizing a note at its end'),
    (104, 'select', select_pointer, 'Selection tool'),
    (110, 'ruler', ruler_marker, 'time ruler'),
    (129, 'paint', paint_brush, 'Paint tool'),
    (130, 'erase', eraser, 'Erase tool'),
]


def cur_file(canvas, hotspot):
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):  # bottom-up
        xor_bits = and_bits = 0
        for x in range(SIZE):
            bit = 1 << (31 - x)
            value = canvas.px[y][x]
            if value == CLEAR:
                and_bits |= bit
            elif value == WHITE:
                xor_bits |= bit
        xor_rows.append(struct.pack('>I', xor_bits))
        and_rows.append(struct.pack('>I', and_bits))
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 1, 0, SIZE * SIZE // 4, 0, 0, 2, 0)
    palette = struct.pack('<8B', 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + palette + b''.join(xor_rows) + b''.join(and_rows)
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return directory + entry + image


def pattern_bmp():
    """Bitmap 101: an 8 x 8 tile of diagonal hatching in two greys."""
    dark, light = (128, 128, 128), (224, 224, 224)
    rows = []
    for y in reversed(range(8)):
        row = b''
        for x in range(8):
            r, g, b = dark if (x + y) % 4 == 0 else light
            row += bytes((b, g, r))
        rows.append(row)
    pixels = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, 8, 8, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


def rc_text():
    lines = ['// The module\'s cursors and pattern bitmap, made by tools/make_cursors.py.', '']
    for number, name, _, meaning in CURSORS:
        lines.append(f'{number} CURSOR "cursors/{name}.cur"  // {meaning}')
    lines += ['', '101 BITMAP "cursors/pattern.bmp"  // tile of pattern brush 10000', '']
    return '\n'.join(lines)


def write_preview(path, images):
    """All cursors on grey, eight a row, four times enlarged, hotspots in red."""
    scale, gap, per_row = 4, 4, 8
    cell = SIZE * scale + gap
    width, height = cell * per_row, cell * ((len(images) + per_row - 1) // per_row)
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        row, cy = divmod(y, cell)
        for x in range(width):
            column, cx = divmod(x, cell)
            i = row * per_row + column
            colour = (150, 150, 150)
            if i < len(images) and cx < SIZE * scale and cy < SIZE * scale:
                canvas, (hx, hy) = images[i]
                px, py = cx // scale, cy // scale
                colour = {CLEAR: (150, 150, 150), BLACK: (0, 0, 0), WHITE: (255, 255, 255)}[canvas.px[py][px]]
                if (px, py) == (hx, hy) and (cx % scale, cy % scale) == (1, 1):
                    colour = (255, 0, 0)
            raw += bytes(colour)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(png)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--preview', help='also write a PNG sheet of the cursors')
    args = parser.parse_args()
    resources = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
    folder = os.path.join(resources, 'cursors')
    os.makedirs(folder, exist_ok=True)
    images = []
    for _, name, draw, _ in CURSORS:
        canvas, hotspot = draw()
        canvas.halo()
        images.append((canvas, hotspot))
        with open(os.path.join(folder, name + '.cur'), 'wb') as f:
            f.write(cur_file(canvas, hotspot))
    with open(os.path.join(folder, 'pattern.bmp'), 'wb') as f:
        f.write(pattern_bmp())
    with open(os.path.join(resources, 'cursors.rc'), 'w') as f:
        f.write(rc_text())
    if args.preview:
        write_preview(args.preview, images)


if __name__ == '__main__':
    main()
