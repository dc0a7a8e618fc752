#!/usr/bin/env python3
"""Draws the program's pictures and writes them as PNG files beside this script.

Run: python3 shell/artwork/make_artwork.py   (Python 3 standard library only)
The committed PNG files are what the build embeds; rerun this after changing a drawing.
Shapes are drawn at 8x8 samples per pixel and averaged, so edges are smooth at 32x32.
"""
import math
import os
import struct
import zlib

SS = 8  # samples per pixel along each axis


class Canvas:
    def __init__(self, size):
        self.size = size
        n = size * SS
        self.n = n
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(n * n)]  # premultiplied RGBA

    def _blend(self, i, color, alpha=1.0):
        r, g, b, a = color[0] / 255, color[1] / 255, color[2] / 255, (color[3] / 255 if len(color) > 3 else 1.0) * alpha
        p = self.px[i]
        k = 1 - a
        p[0] = r * a + p[0] * k
        p[1] = g * a + p[1] * k
        p[2] = b * a + p[2] * k
        p[3] = a + p[3] * k

    def fill(self, inside, bbox, color):
        """Paints every sample whose centre (in pixel units) satisfies inside(x, y); inside
        may return a colour instead of True."""
        x0, y0, x1, y1 = bbox
        n = self.n
        sx0 = max(0, int(math.floor(x0 * SS)))
        sy0 = max(0, int(math.floor(y0 * SS)))
        sx1 = min(n, int(math.ceil(x1 * SS)) + 1)
        sy1 = min(n, int(math.ceil(y1 * SS)) + 1)
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / SS
            for sx in range(sx0, sx1):
                x = (sx + 0.5) / SS
                r = inside(x, y)
                if r:
                    self._blend(sy * n + sx, r if isinstance(r, tuple) else color)

    def polygon(self, pts, color):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]

        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c

        self.fill(inside, (min(xs), min(ys), max(xs), max(ys)), color)

    def outlined_polygon(self, pts, fill, outline, width=1.0):
        self.polygon(pts, fill)
        for i in range(len(pts)):
            self.line(pts[i], pts[(i + 1) % len(pts)], width, outline)

    def line(self, a, b, width, color):
        (ax, ay), (bx, by) = a, b
        dx, dy = bx - ax, by - ay
        ll = dx * dx + dy * dy or 1e-9
        h = width / 2

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
            px, py = ax + t * dx - x, ay + t * dy - y
            return px * px + py * py <= h * h

        self.fill(inside, (min(ax, bx) - h, min(ay, by) - h, max(ax, bx) + h, max(ay, by) + h), color)

    def disc(self, cx, cy, r, color):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, (cx - r, cy - r, cx + r, cy + r), color)

    def shaded(self, cx, cy, r, shader):
        """A disc whose colour at each sample is shader(dx, dy) with dx, dy in -1..1."""
        def inside(x, y):
            dx, dy = (x - cx) / r, (y - cy) / r
            if dx * dx + dy * dy > 1:
                return False
            return shader(dx, dy)
        self.fill(inside, (cx - r, cy - r, cx + r, cy + r), None)

    def pixels(self):
        out = bytearray()
        n, s = self.n, self.size
        for y in range(s):
            for x in range(s):
                acc = [0.0] * 4
                for sy in range(SS):
                    row = (y * SS + sy) * n + x * SS
                    for sx in range(SS):
                        p = self.px[row + sx]
                        for k in range(4):
                            acc[k] += p[k]
                a = acc[3] / (SS * SS)
                if a <= 0.004:
                    out += bytes(4)
                    continue
                out += bytes(min(255, round(acc[k] / acc[3] * 255)) for k in range(3))
                out.append(min(255, round(a * 255)))
        return bytes(out)

    def save(self, path):
        raw = self.pixels()
        s = self.size
        rows = b"".join(b"\0" + raw[y * s * 4:(y + 1) * s * 4] for y in range(s))

        def chunk(kind, data):
            c = struct.pack(">I", len(data)) + kind + data
            return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", s, s, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
        with open(path, "wb") as f:
            f.write(png)


OUTLINE = (92, 60, 12)
BACK = (214, 160, 40)
FRONT_TOP = (255, 228, 120)
FRONT_BOTTOM = (240, 186, 56)


def folder(c, ox=0.0, oy=0.0, k=1.0):
    """An open folder: the back with its tab, a sheet of paper, the front flap tipped open."""
    P = lambda pts: [(ox + x * k, oy + y * k) for x, y in pts]
    w = max(1.0, k)
    c.outlined_polygon(P([(2.5, 9.5), (11, 9.5), (13, 11.5), (26.5, 11.5), (26.5, 27.5), (2.5, 27.5)]),
                       BACK, OUTLINE, w)
    c.outlined_polygon(P([(6, 8), (22, 8), (24, 10), (24, 20), (6, 20)]), (252, 252, 246), (120, 120, 120), 0.8 * k)
    for y in (11.5, 14, 16.5):
        c.line(P([(8.5, y)])[0], P([(20.5, y)])[0], 0.7 * k, (150, 170, 200))
    pts = P([(7.5, 15.5), (30.5, 15.5), (26.5, 28.5), (2.5, 28.5)])
    top, bottom = pts[0][1], pts[2][1]

    def front(x, y):
        t = max(0.0, min(1.0, (y - top) / (bottom - top)))
        return tuple(round(FRONT_TOP[i] * (1 - t) + FRONT_BOTTOM[i] * t) for i in range(3))

    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]

    def inside(x, y):
        cnt = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                cnt = not cnt
            j = i
        return front(x, y) if cnt else False

    c.fill(inside, (min(xs), min(ys), max(xs), max(ys)), None)
    for i in range(4):
        c.line(pts[i], pts[(i + 1) % 4], w, OUTLINE)
    c.line(P([(8.5, 17)])[0], P([(29, 17)])[0], 0.8 * k, (255, 246, 200))


PANELS = [(235, 50, 50), (255, 255, 255), (40, 110, 230), (255, 255, 255), (255, 200, 30)]


def ball(c, cx, cy, r, turn):
    """A beach ball of five panels; `turn` (0..4) turns it by a fifth each step, so turn 5
    looks like turn 0."""
    base = turn * 2 * math.pi / 5

    def shader(dx, dy):
        ang = (math.atan2(dy, dx) - base) % (2 * math.pi)
        col = PANELS[int(ang / (2 * math.pi / 5)) % 5]
        d2 = dx * dx + dy * dy
        # light from the top left, darker towards the rim
        light = 1.0 - 0.35 * max(0.0, (dx + dy) / 1.4 + 0.3) - 0.25 * d2
        light = max(0.45, min(1.0, light))
        rgb = [v * light for v in col]
        hx, hy = dx + 0.38, dy + 0.42
        shine = max(0.0, 1 - (hx * hx + hy * hy) / 0.09)
        rgb = [min(255, v + (255 - v) * shine) for v in rgb]
        if d2 > (1 - 1.1 / r) ** 2:
            return (60, 30, 30)
        return tuple(round(v) for v in rgb)

    c.shaded(cx, cy, r, shader)
    # the hub where the panels meet
    c.disc(cx, cy, 1.3, (250, 250, 250))


def burst(c, cx, cy, stage):
    """The ball bursting open: stage 1 cracks, 2 flies apart, 3 is a full star of confetti."""
    if stage == 1:
        ball(c, cx, cy, 9.5, 0)
        for a in range(8):
            ang = a * math.pi / 4 + 0.2
            c.line((cx + math.cos(ang) * 11, cy + math.sin(ang) * 11),
                   (cx + math.cos(ang) * 14.5, cy + math.sin(ang) * 14.5), 1.6, (255, 170, 0))
        c.line((cx - 2, cy - 8), (cx + 1, cy - 3), 1.0, (60, 30, 30))
        c.line((cx + 1, cy - 3), (cx - 1, cy + 1), 1.0, (60, 30, 30))
        return
    spread = 1.35 if stage == 2 else 1.7
    # glow
    glow = (255, 240, 150, 150) if stage == 2 else (255, 245, 180, 110)
    c.disc(cx, cy, 6 * spread, glow)
    star = []
    for i in range(16):
        rr = (9 if i % 2 == 0 else 4) * spread
        ang = i * math.pi / 8 - math.pi / 2
        star.append((cx + math.cos(ang) * rr, cy + math.sin(ang) * rr))
    c.outlined_polygon(star, (255, 220, 40), (230, 120, 0), 0.9)
    c.disc(cx, cy, 2.5 * spread, (255, 255, 235))
    # the five panels flung outwards as little pieces
    for i, col in enumerate(PANELS):
        ang = i * 2 * math.pi / 5 + 0.3
        d = 10.5 * spread if stage == 3 else 13
        px, py = cx + math.cos(ang) * d, cy + math.sin(ang) * d
        s = 2.6 if stage == 2 else 2.0
        pts = [(px + math.cos(ang + t) * s, py + math.sin(ang + t) * s) for t in (0, 2.3, 4.0)]
        if px - s < 0 or px + s > 32 or py - s < 0 or py + s > 32:
            continue
        c.outlined_polygon(pts, col if col != (255, 255, 255) else (250, 250, 250), (60, 30, 30), 0.8)
    if stage == 3:
        for i in range(8):
            ang = i * math.pi / 4 + math.pi / 8
            d = 14.2
            c.disc(cx + math.cos(ang) * d, cy + math.sin(ang) * d, 1.0, [(235, 50, 50), (40, 110, 230), (40, 170, 60), (255, 160, 0)][i % 4])


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = lambda name: os.path.join(here, name)

    c = Canvas(32)
    folder(c)
    c.save(out("folder.png"))

    # frames 0..5: the ball along the arc (the arc comes from where the form places each
    # frame); it turns a fifth per frame, so frames 0 and 5 are the same picture
    for i in range(6):
        c = Canvas(32)
        ball(c, 16, 20, 9.5, i % 5)
        c.save(out("frame%d.png" % i))
    for stage in (1, 2, 3):
        c = Canvas(32)
        burst(c, 16, 16, stage)
        c.save(out("frame%d.png" % (5 + stage)))

    # the program icon: the ball popping out of the open folder
    c = Canvas(32)
    folder(c, 0, 3, 1.0)
    ball(c, 21, 9, 7.5, 0)
    c.save(out("icon32.png"))
    c = Canvas(16)
    folder(c, 0, 1.5, 0.5)
    ball(c, 10.5, 4.8, 4.3, 0)
    c.save(out("icon16.png"))


if __name__ == "__main__":
    main()
