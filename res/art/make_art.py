#!/usr/bin/env python3
"""Draws Velmora's branding bitmaps from geometry.

Outputs (next to this folder, in res/):
    Velmora.ico  application icon, 128/48/32/16 px, 32-bit BGRA DIB entries
    banner.bmp   585 x 71, 24-bit, strip across the top of the main form
    logo.bmp     92 x 48, 24-bit, Morvane maker logo for the About box

Usage (from the repository root):
    python3 res/art/make_art.py [--preview DIR]

Only the standard library is used and nothing depends on the clock or on
unseeded randomness, so every run writes byte-identical files.  Shapes are
signed distance functions sampled on a supersampling grid near their edges;
lettering uses the small stroke font defined below.
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RES_DIR = os.path.dirname(HERE)


# --------------------------------------------------------------------------
# Colour helpers
# --------------------------------------------------------------------------

def rgb(hexstr, a=1.0):
    h = hexstr.lstrip('#')
    return (int(h[0:2], 16) / 255.0, int(h[2:4], 16) / 255.0,
            int(h[4:6], 16) / 255.0, a)


def with_alpha(c, a):
    return (c[0], c[1], c[2], a)


def _clamp01(v):
    return 0.0 if v < 0.0 else (1.0 if v > 1.0 else v)


def _stop_colour(stops, t):
    t = _clamp01(t)
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            f = (t - t0) / (t1 - t0) if t1 > t0 else 0.0
            # smoothstep between stops hides the kinks a piecewise-linear
            # ramp shows on large flat areas
            f = f * f * (3.0 - 2.0 * f)
            return tuple(a + (b - a) * f for a, b in zip(c0, c1))
    return stops[-1][1]


def linear(x0, y0, x1, y1, stops):
    dx, dy = x1 - x0, y1 - y0
    inv = 1.0 / (dx * dx + dy * dy)

    def paint(x, y):
        return _stop_colour(stops, ((x - x0) * dx + (y - y0) * dy) * inv)
    return paint


def radial(cx, cy, rx, ry, stops):
    def paint(x, y):
        return _stop_colour(stops, math.hypot((x - cx) / rx, (y - cy) / ry))
    return paint


# --------------------------------------------------------------------------
# Canvas: premultiplied RGBA floats
# --------------------------------------------------------------------------

class Canvas:
    def __init__(self, w, h, bg=None):
        self.w, self.h = w, h
        n = w * h
        if bg is None:
            self.r, self.g, self.b, self.a = [0.0] * n, [0.0] * n, [0.0] * n, [0.0] * n
        else:
            self.r, self.g, self.b = [bg[0]] * n, [bg[1]] * n, [bg[2]] * n
            self.a = [1.0] * n

    def fill(self, paint):
        self.paint(Mask(0, 0, self.w, self.h, [1.0] * (self.w * self.h)), paint)

    def paint(self, mask, src, opacity=1.0):
        """Source-over composite of a paint through a coverage mask."""
        solid = not callable(src)
        if solid:
            sr, sg, sb, sa = src
        W, H = self.w, self.h
        R, G, B, A = self.r, self.g, self.b, self.a
        data, mw = mask.data, mask.w
        for j in range(mask.h):
            y = mask.y + j
            if y < 0 or y >= H:
                continue
            row = j * mw
            for i in range(mw):
                m = data[row + i]
                if m <= 0.0:
                    continue
                x = mask.x + i
                if x < 0 or x >= W:
                    continue
                if not solid:
                    sr, sg, sb, sa = src(x + 0.5, y + 0.5)
                a = m * sa * opacity
                if a <= 0.0:
                    continue
                k = y * W + x
                ia = 1.0 - a
                R[k] = sr * a + R[k] * ia
                G[k] = sg * a + G[k] * ia
                B[k] = sb * a + B[k] * ia
                A[k] = a + A[k] * ia

    def rgb8(self, dither=False):
        """Opaque 8-bit rows, top-down.  Ordered dithering keeps the long
        gentle gradients of the banner from banding in 24-bit."""
        out = []
        for y in range(self.h):
            row = bytearray()
            for x in range(self.w):
                k = y * self.w + x
                d = (_BAYER4[y & 3][x & 3] + 0.5) / 16.0 - 0.5 if dither else 0.0
                for c in (self.r[k], self.g[k], self.b[k]):
                    v = int(math.floor(c * 255.0 + 0.5 + d))
                    row.append(0 if v < 0 else (255 if v > 255 else v))
            out.append(bytes(row))
        return out

    def rgba8(self):
        """Straight-alpha 8-bit rows, top-down.  Fully transparent pixels get
        black colour so the monochrome-mask fallback draws nothing there."""
        out = []
        for y in range(self.h):
            row = bytearray()
            for x in range(self.w):
                k = y * self.w + x
                a = self.a[k]
                av = int(math.floor(a * 255.0 + 0.5))
                if av <= 0:
                    row += b'\0\0\0\0'
                    continue
                av = min(av, 255)
                for c in (self.r[k], self.g[k], self.b[k]):
                    v = int(math.floor(c / a * 255.0 + 0.5))
                    row.append(0 if v < 0 else (255 if v > 255 else v))
                row.append(av)
            out.append(bytes(row))
        return out


_BAYER4 = ((0, 8, 2, 10), (12, 4, 14, 6), (3, 11, 1, 9), (15, 7, 13, 5))


class Mask:
    __slots__ = ('x', 'y', 'w', 'h', 'data')

    def __init__(self, x, y, w, h, data):
        self.x, self.y, self.w, self.h, self.data = x, y, w, h, data

    def shifted(self, dx, dy):
        return Mask(self.x + dx, self.y + dy, self.w, self.h, self.data)


def _pixel_box(cv, bbox, pad=1):
    x0 = max(0, int(math.floor(bbox[0])) - pad)
    y0 = max(0, int(math.floor(bbox[1])) - pad)
    x1 = min(cv.w, int(math.ceil(bbox[2])) + pad)
    y1 = min(cv.h, int(math.ceil(bbox[3])) + pad)
    return x0, y0, max(0, x1 - x0), max(0, y1 - y0)


def shape_mask(cv, sdf, bbox, ss=4, soft=0.0):
    """Coverage of the region sdf < 0.  Pixels well away from the edge are
    decided from one sample; edge pixels get ss*ss samples, each with a
    one-subpixel linear ramp, which gives clean anti-aliasing for both
    curves and corners.  soft > 0 instead feathers the edge over that many
    pixels (glows, shadows)."""
    x0, y0, w, h = _pixel_box(cv, bbox, 2 + int(soft))
    data = [0.0] * (w * h)
    offs = [(k + 0.5) / ss - 0.5 for k in range(ss)]
    inv_n = 1.0 / (ss * ss)
    for j in range(h):
        cy = y0 + j + 0.5
        for i in range(w):
            cx = x0 + i + 0.5
            d = sdf(cx, cy)
            if soft > 0.0:
                t = _clamp01(0.5 - d / (2.0 * soft))
                data[j * w + i] = t * t * (3.0 - 2.0 * t)
                continue
            if d >= 1.0:
                continue
            if d <= -1.0:
                data[j * w + i] = 1.0
                continue
            acc = 0.0
            for oy in offs:
                for ox in offs:
                    v = 0.5 - sdf(cx + ox, cy + oy) * ss
                    acc += 0.0 if v < 0.0 else (1.0 if v > 1.0 else v)
            data[j * w + i] = acc * inv_n
    return Mask(x0, y0, w, h, data)


def stroke_mask(cv, polylines, radius, ss=3):
    """Coverage of round-capped, round-joined strokes along polylines.
    The union of capsules has the exact distance field min(dist) - radius,
    so every segment just lowers a squared-distance buffer in its own
    neighbourhood."""
    xs = [p[0] for pl in polylines for p in pl]
    ys = [p[1] for pl in polylines for p in pl]
    bx0, by0, w, h = _pixel_box(
        cv, (min(xs) - radius, min(ys) - radius, max(xs) + radius, max(ys) + radius), 2)
    if w == 0 or h == 0:
        return Mask(0, 0, 0, 0, [])
    sw, sh = w * ss, h * ss
    big = float('inf')
    dist = [big] * (sw * sh)
    R = radius * ss
    reach = R + 2.0
    for pl in polylines:
        pts = [((px - bx0) * ss, (py - by0) * ss) for px, py in pl]
        if len(pts) == 1:
            pts = pts * 2
        for (ax, ay), (qx, qy) in zip(pts, pts[1:]):
            dx, dy = qx - ax, qy - ay
            l2 = dx * dx + dy * dy
            inv = 1.0 / l2 if l2 > 1e-12 else 0.0
            i0 = max(0, int(min(ax, qx) - reach))
            i1 = min(sw, int(max(ax, qx) + reach) + 1)
            j0 = max(0, int(min(ay, qy) - reach))
            j1 = min(sh, int(max(ay, qy) + reach) + 1)
            for j in range(j0, j1):
                ry = j + 0.5 - ay
                base = j * sw
                for i in range(i0, i1):
                    rx = i + 0.5 - ax
                    t = (rx * dx + ry * dy) * inv
                    if t < 0.0:
                        t = 0.0
                    elif t > 1.0:
                        t = 1.0
                    ex = rx - t * dx
                    ey = ry - t * dy
                    d = ex * ex + ey * ey
                    if d < dist[base + i]:
                        dist[base + i] = d
    data = [0.0] * (w * h)
    inv_n = 1.0 / (ss * ss)
    lim = (R + 0.5) ** 2
    for j in range(h):
        for i in range(w):
            acc = 0.0
            for sj in range(ss):
                base = (j * ss + sj) * sw + i * ss
                for si in range(ss):
                    d = dist[base + si]
                    if d < lim:
                        v = R - math.sqrt(d) + 0.5
                        acc += 1.0 if v > 1.0 else v
            data[j * w + i] = acc * inv_n
    return Mask(bx0, by0, w, h, data)


def blur_mask(mask, radius, passes=3):
    """Repeated box blur (close to a Gaussian) for soft shadows."""
    pad = radius * passes
    w, h = mask.w + 2 * pad, mask.h + 2 * pad
    buf = [0.0] * (w * h)
    for j in range(mask.h):
        buf[(j + pad) * w + pad:(j + pad) * w + pad + mask.w] = \
            mask.data[j * mask.w:(j + 1) * mask.w]
    n = 2 * radius + 1
    for _ in range(passes):
        out = [0.0] * (w * h)
        for j in range(h):
            row = buf[j * w:(j + 1) * w]
            acc = sum(row[0:radius + 1])
            for i in range(w):
                out[j * w + i] = acc / n
                if i + radius + 1 < w:
                    acc += row[i + radius + 1]
                if i - radius >= 0:
                    acc -= row[i - radius]
        buf = out
        out = [0.0] * (w * h)
        for i in range(w):
            col = buf[i::w]
            acc = sum(col[0:radius + 1])
            for j in range(h):
                out[j * w + i] = acc / n
                if j + radius + 1 < h:
                    acc += col[j + radius + 1]
                if j - radius >= 0:
                    acc -= col[j - radius]
        buf = out
    return Mask(mask.x - pad, mask.y - pad, w, h, buf)


# --------------------------------------------------------------------------
# Signed distance functions, in pixel coordinates
# --------------------------------------------------------------------------

def sd_circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def sd_rrect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) * 0.5, (y0 + y1) * 0.5
    hx, hy = (x1 - x0) * 0.5 - r, (y1 - y0) * 0.5 - r

    def f(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        return (math.hypot(max(qx, 0.0), max(qy, 0.0))
                + min(max(qx, qy), 0.0) - r)
    return f


def sd_polygon(pts):
    n = len(pts)

    def f(x, y):
        best = float('inf')
        inside = False
        for k in range(n):
            ax, ay = pts[k]
            bx, by = pts[(k + 1) % n]
            dx, dy = bx - ax, by - ay
            t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
            t = 0.0 if t < 0.0 else (1.0 if t > 1.0 else t)
            ex, ey = x - ax - t * dx, y - ay - t * dy
            d = ex * ex + ey * ey
            if d < best:
                best = d
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / dy:
                inside = not inside
        d = math.sqrt(best)
        return -d if inside else d
    return f


def sd_arc(cx, cy, radius, hw, a0, a1):
    """Stroke of width 2*hw along a circular arc from a0 to a1 (degrees,
    counter-clockwise on screen), with round ends."""
    p0 = (cx + radius * math.cos(math.radians(a0)), cy - radius * math.sin(math.radians(a0)))
    p1 = (cx + radius * math.cos(math.radians(a1)), cy - radius * math.sin(math.radians(a1)))
    span = a1 - a0

    def f(x, y):
        ang = math.degrees(math.atan2(cy - y, x - cx))
        if (ang - a0) % 360.0 <= span:
            return abs(math.hypot(x - cx, y - cy) - radius) - hw
        return min(math.hypot(x - p0[0], y - p0[1]),
                   math.hypot(x - p1[0], y - p1[1])) - hw
    return f


def sd_union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def sd_intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def sd_grow(f, r):
    return lambda x, y: f(x, y) - r


def sd_outline(f, hw):
    return lambda x, y: abs(f(x, y)) - hw


def sd_shift(f, dx, dy):
    return lambda x, y: f(x - dx, y - dy)


# --------------------------------------------------------------------------
# Stroke font.  Units: cap height 1.0, baseline 0, y up.  Each glyph is a
# width, a list of centre-line polylines and side-bearing tweaks (round and
# slanted sides need less room than straight stems to look evenly spaced).
# --------------------------------------------------------------------------

XH = 0.70      # x-height
ASC = 1.04     # ascender
DESC = -0.30   # descender


def _arc(cx, cy, rx, ry, a0, a1, step=5.0):
    n = max(2, int(math.ceil(abs(a1 - a0) / step)))
    pts = []
    for k in range(n + 1):
        a = math.radians(a0 + (a1 - a0) * k / n)
        pts.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return pts


def _bez(p0, p1, p2, p3, n=14):
    pts = []
    for k in range(n + 1):
        t = k / n
        u = 1.0 - t
        pts.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return pts


def _join(*parts):
    out = []
    for part in parts:
        for p in part:
            if out and abs(out[-1][0] - p[0]) < 1e-9 and abs(out[-1][1] - p[1]) < 1e-9:
                continue
            out.append(p)
    return out


def _s_curve(w, h):
    """The S spine drawn as cubic pieces inside a w x h box."""
    def P(x, y):
        return (x * w, y * h)
    segs = [
        (P(0.93, 0.85), P(0.84, 0.96), P(0.68, 1.0), P(0.50, 1.0)),
        (P(0.50, 1.0), P(0.20, 1.0), P(0.04, 0.88), P(0.04, 0.74)),
        (P(0.04, 0.74), P(0.04, 0.58), P(0.22, 0.54), P(0.50, 0.50)),
        (P(0.50, 0.50), P(0.80, 0.46), P(0.98, 0.40), P(0.98, 0.25)),
        (P(0.98, 0.25), P(0.98, 0.09), P(0.78, 0.0), P(0.50, 0.0)),
        (P(0.50, 0.0), P(0.28, 0.0), P(0.09, 0.06), P(0.0, 0.17)),
    ]
    return _join(*[_bez(*s) for s in segs])


def _build_font():
    r = XH / 2.0
    bowl = _arc(r, r, r, r, 0, 360)
    g = {}

    def add(ch, width, strokes, lsb=0.0, rsb=0.0):
        g[ch] = (width, strokes, lsb, rsb)

    rnd = -0.05   # bearing tweak for a round side
    dia = -0.04   # and for a diagonal side

    # lower case: geometric, single-storey a and g
    add('a', XH, [bowl, [(XH, XH), (XH, 0)]], rnd, 0)
    add('b', XH, [[(0, ASC), (0, 0)], bowl], 0, rnd)
    add('c', 0.62, [_arc(r, r, r, r, 42, 318)], rnd, -0.02)
    add('d', XH, [bowl, [(XH, ASC), (XH, 0)]], rnd, 0)
    add('e', XH, [_join([(0.0, r), (XH, r)], _arc(r, r, r, r, 0, 318))], rnd, -0.02)
    add('f', 0.42, [_join(_arc(0.37, 0.85, 0.19, 0.19, 55, 180), [(0.18, 0.0)]),
                    [(0.0, XH), (0.40, XH)]], -0.02, -0.06)
    add('g', XH, [bowl, _join([(XH, XH), (XH, -0.02)], _arc(r, -0.02, r, 0.28, 0, -155))], rnd, 0)
    add('h', 0.62, [[(0, ASC), (0, 0)], _join(_arc(0.31, 0.39, 0.31, 0.31, 180, 0), [(0.62, 0)])])
    add('i', 0.0, [[(0, XH), (0, 0)], [(0, 0.98)]])
    add('j', 0.12, [_join([(0.12, XH), (0.12, -0.08)], _arc(-0.08, -0.08, 0.2, 0.22, 0, -125)),
                    [(0.12, 0.98)]], -0.04, 0)
    add('k', 0.56, [[(0, ASC), (0, 0)], [(0.54, XH), (0.0, 0.22)], [(0.19, 0.38), (0.58, 0.0)]], 0, dia)
    add('l', 0.0, [[(0, ASC), (0, 0)]])
    add('m', 0.96, [[(0, XH), (0, 0)],
                    _join(_arc(0.24, 0.46, 0.24, 0.24, 180, 0), [(0.48, 0)]),
                    _join(_arc(0.72, 0.46, 0.24, 0.24, 180, 0), [(0.96, 0)])])
    add('n', 0.62, [[(0, XH), (0, 0)], _join(_arc(0.31, 0.39, 0.31, 0.31, 180, 0), [(0.62, 0)])])
    add('o', XH, [bowl], rnd, rnd)
    add('p', XH, [[(0, XH), (0, DESC)], bowl], 0, rnd)
    add('q', XH, [bowl, [(XH, XH), (XH, DESC)]], rnd, 0)
    add('r', 0.38, [[(0, XH), (0, 0)], _arc(0.31, 0.39, 0.31, 0.31, 180, 78)], 0, -0.06)
    add('s', 0.52, [_s_curve(0.52, XH)], -0.02, -0.02)
    add('t', 0.40, [_join([(0.15, 0.95), (0.15, 0.18)], _arc(0.35, 0.18, 0.2, 0.18, 180, 285)),
                    [(0.0, XH), (0.38, XH)]], -0.02, -0.04)
    add('u', 0.62, [_join([(0, XH), (0, 0.31)], _arc(0.31, 0.31, 0.31, 0.31, 180, 360)),
                    [(0.62, XH), (0.62, 0)]])
    add('v', 0.62, [[(0, XH), (0.31, 0), (0.62, XH)]], dia, dia)
    add('w', 0.94, [[(0, XH), (0.235, 0), (0.47, XH), (0.705, 0), (0.94, XH)]], dia, dia)
    add('x', 0.60, [[(0, XH), (0.60, 0)], [(0, 0), (0.60, XH)]], dia, dia)
    add('y', 0.62, [[(0, XH), (0.31, 0)], [(0.62, XH), (0.17, DESC)]], dia, dia)
    add('z', 0.56, [[(0.02, XH), (0.56, XH), (0.0, 0), (0.58, 0)]])

    # capitals
    add('A', 0.82, [[(0, 0), (0.41, 1.0), (0.82, 0)], [(0.14, 0.33), (0.68, 0.33)]], dia, dia)
    add('B', 0.66, [_join([(0.0, 0.53), (0.38, 0.53)], _arc(0.38, 0.765, 0.235, 0.235, -90, 90),
                          [(0.0, 1.0), (0.0, 0.0), (0.40, 0.0)], _arc(0.40, 0.265, 0.265, 0.265, -90, 90),
                          [(0.38, 0.53)])], 0, rnd)
    add('C', 0.88, [_arc(0.5, 0.5, 0.5, 0.5, 42, 318)], rnd, -0.02)
    add('D', 0.84, [_join([(0.34, 0.0), (0.0, 0.0), (0.0, 1.0), (0.34, 1.0)],
                          _arc(0.34, 0.5, 0.5, 0.5, 90, -90))], 0, rnd)
    add('E', 0.58, [[(0.58, 1.0), (0, 1.0), (0, 0), (0.58, 0)], [(0, 0.52), (0.50, 0.52)]])
    add('F', 0.56, [[(0.56, 1.0), (0, 1.0), (0, 0)], [(0, 0.52), (0.48, 0.52)]])
    add('G', 1.0, [_join(_arc(0.5, 0.5, 0.5, 0.5, 40, 360), [(0.58, 0.5)])], rnd, 0)
    add('H', 0.74, [[(0, 0), (0, 1)], [(0.74, 0), (0.74, 1)], [(0, 0.52), (0.74, 0.52)]])
    add('I', 0.0, [[(0, 0), (0, 1)]])
    add('J', 0.50, [_join([(0.50, 1.0), (0.50, 0.26)], _arc(0.25, 0.26, 0.25, 0.26, 0, -180))], 0, 0)
    add('K', 0.66, [[(0, 0), (0, 1)], [(0.64, 1.0), (0.0, 0.34)], [(0.22, 0.56), (0.68, 0.0)]], 0, dia)
    add('L', 0.54, [[(0, 1.0), (0, 0), (0.54, 0)]], 0, -0.04)
    add('M', 0.90, [[(0, 0), (0, 1.0), (0.45, 0.16), (0.90, 1.0), (0.90, 0)]])
    add('N', 0.74, [[(0, 0), (0, 1.0), (0.74, 0), (0.74, 1.0)]])
    add('O', 1.0, [_arc(0.5, 0.5, 0.5, 0.5, 0, 360)], rnd, rnd)
    add('P', 0.62, [_join([(0, 0), (0, 1.0), (0.36, 1.0)], _arc(0.36, 0.74, 0.26, 0.26, 90, -90),
                          [(0.0, 0.48)])], 0, rnd)
    add('Q', 1.0, [_arc(0.5, 0.5, 0.5, 0.5, 0, 360), [(0.64, 0.24), (0.98, -0.06)]], rnd, rnd)
    add('R', 0.64, [_join([(0, 0), (0, 1.0), (0.36, 1.0)], _arc(0.36, 0.74, 0.26, 0.26, 90, -90),
                          [(0.0, 0.48)]), [(0.34, 0.48), (0.66, 0.0)]], 0, dia)
    add('S', 0.64, [_s_curve(0.64, 1.0)], -0.02, -0.02)
    add('T', 0.72, [[(0, 1.0), (0.72, 1.0)], [(0.36, 1.0), (0.36, 0)]], -0.04, -0.04)
    add('U', 0.72, [_join([(0, 1.0), (0, 0.36)], _arc(0.36, 0.36, 0.36, 0.36, 180, 360), [(0.72, 1.0)])])
    add('V', 0.80, [[(0, 1.0), (0.40, 0), (0.80, 1.0)]], dia, dia)
    add('W', 1.12, [[(0, 1.0), (0.27, 0), (0.56, 1.0), (0.85, 0), (1.12, 1.0)]], dia, dia)
    add('X', 0.72, [[(0, 1.0), (0.72, 0)], [(0, 0), (0.72, 1.0)]], dia, dia)
    add('Y', 0.74, [[(0, 1.0), (0.37, 0.48), (0.74, 1.0)], [(0.37, 0.48), (0.37, 0)]], dia, dia)
    add('Z', 0.68, [[(0.02, 1.0), (0.68, 1.0), (0, 0), (0.70, 0)]])

    add(' ', 0.30, [])
    add('.', 0.0, [[(0, 0)]])
    add('-', 0.36, [[(0, 0.40), (0.36, 0.40)]])
    return g


FONT = _build_font()

# Pairs whose shapes leave a visible hole between them.
KERN = {
    ('V', 'e'): -0.10, ('V', 'o'): -0.10, ('V', 'a'): -0.10,
    ('r', 'y'): 0.02, ('r', 'v'): 0.02, ('r', 'a'): -0.04, ('r', 'e'): -0.03,
    ('r', 'o'): -0.03, ('f', 't'): -0.02, ('M', 'o'): -0.02,
}


def text_lines(text, size, weight, x, baseline, tracking=0.0, slant=0.0):
    """Polylines (pixels) for a run of text with the origin at (x, baseline).
    weight is the stroke width in cap-height units; the gap between glyphs
    grows with it so that heavier text does not clog."""
    gap = 0.16 + weight + tracking
    pen = 0.0
    lines = []
    prev = None
    for ch in text:
        width, strokes, lsb, rsb = FONT[ch]
        if prev is not None:
            pen += KERN.get((prev, ch), 0.0)
        pen += lsb
        for pl in strokes:
            lines.append([(x + (pen + px + slant * py) * size, baseline - py * size)
                          for px, py in pl])
        pen += width + rsb + gap
        prev = ch
    return [pl for pl in lines if pl]


def ink_box(lines, radius):
    xs = [p[0] for pl in lines for p in pl]
    ys = [p[1] for pl in lines for p in pl]
    return (min(xs) - radius, min(ys) - radius, max(xs) + radius, max(ys) + radius)


def draw_text(cv, text, x, baseline, size, weight, paint, tracking=0.0,
              slant=0.0, align='left', ss=3, shadow=None):
    """Draws text; align chooses which end of the ink lands on x.
    shadow = (dx, dy, blur, colour) paints a soft drop shadow first."""
    radius = weight * size * 0.5
    lines = text_lines(text, size, weight, 0.0, baseline, tracking, slant)
    x0, _, x1, _ = ink_box(lines, radius)
    shift = {'left': x - x0, 'right': x - x1, 'center': x - (x0 + x1) * 0.5}[align]
    lines = [[(px + shift, py) for px, py in pl] for pl in lines]
    mask = stroke_mask(cv, lines, radius, ss)
    if shadow is not None:
        dx, dy, blur, colour = shadow
        cv.paint(blur_mask(mask, blur).shifted(dx, dy), colour)
    cv.paint(mask, paint)
    return ink_box(lines, radius)


# --------------------------------------------------------------------------
# Artwork
# --------------------------------------------------------------------------

NAVY = rgb('0a1f3c')
TEAL = rgb('17a3b3')
TEAL_LIGHT = rgb('6fe3e8')
AMBER = rgb('ffb23e')
AMBER_DEEP = rgb('f07d16')
WHITE = rgb('ffffff')


MOTIF_LEVELS = {
    # ring radius, ring half-width, arc span, head half-base, head length
    # (degrees), lens bezel radius, iris radius -- all in units of the motif
    # size.  Small renderings get a wider gap, a bolder head and a simpler
    # lens so the arrow still reads as an arrow at 16 px.
    'full': (0.315, 0.045, 300.0, 0.125, 32.0, 0.205, 0.122),
    'mid': (0.320, 0.058, 285.0, 0.145, 38.0, 0.200, 0.120),
    'tiny': (0.325, 0.065, 270.0, 0.165, 44.0, 0.175, 0.105),
}


def draw_motif(cv, cx, cy, unit, level='full', glow=False):
    """The recovery arrow wrapped anticlockwise (back in time) around a
    camera lens.  unit is the diameter the motif is designed for."""
    u = unit
    ring, hw, span, head_half, head_len, bezel, iris = MOTIF_LEVELS[level]
    arc_r, arc_hw = ring * u, hw * u
    head_a = 150.0            # arrowhead at the upper left, gap on the left
    tail_a = head_a - span
    box = (cx - 0.5 * u, cy - 0.5 * u, cx + 0.5 * u, cy + 0.5 * u)

    if glow:
        cv.paint(shape_mask(cv, sd_circle(cx, cy, 0.30 * u), (cx - u, cy - u, cx + u, cy + u),
                            soft=0.25 * u), with_alpha(TEAL_LIGHT, 0.30))

    # the shaft stops a little short of the head so the head's base is crisp
    shaft = sd_arc(cx, cy, arc_r, arc_hw, tail_a, head_a - 4.0)
    # arrowhead: base across the ring, tip on the ring further round, so the
    # head follows the curve instead of flying off at a tangent
    ha = math.radians(head_a)
    bh = head_half * u
    tip_a = math.radians(head_a + head_len)
    base_in = (cx + (arc_r - bh) * math.cos(ha), cy - (arc_r - bh) * math.sin(ha))
    base_out = (cx + (arc_r + bh) * math.cos(ha), cy - (arc_r + bh) * math.sin(ha))
    tip = (cx + arc_r * math.cos(tip_a), cy - arc_r * math.sin(tip_a))
    corner = 0.012 * u
    head = sd_grow(sd_polygon(_inset_triangle([base_in, tip, base_out], corner)), corner)
    arrow = sd_union(shaft, head)
    amber = linear(cx, cy - 0.45 * u, cx, cy + 0.45 * u,
                   [(0.0, rgb('ffd36b')), (0.55, AMBER), (1.0, AMBER_DEEP)])
    if level == 'full':
        # a faint dark rim separates the amber from the blue behind it
        cv.paint(shape_mask(cv, sd_grow(arrow, 0.012 * u), box), rgb('04152b', 0.45))
    cv.paint(shape_mask(cv, arrow, box), amber)

    # lens
    bezel_r = bezel * u
    cv.paint(shape_mask(cv, sd_circle(cx, cy, bezel_r), box),
             linear(cx, cy - bezel_r, cx, cy + bezel_r,
                    [(0.0, rgb('ffffff')), (1.0, rgb('b4c6d8'))]))
    if level != 'full':
        cv.paint(shape_mask(cv, sd_circle(cx, cy, iris * u), box),
                 radial(cx - 0.03 * u, cy - 0.03 * u, 0.14 * u, 0.14 * u,
                        [(0.0, rgb('35c4d6')), (1.0, rgb('083d6c'))]))
        if level == 'mid':
            cv.paint(shape_mask(cv, sd_circle(cx, cy, 0.05 * u), box), rgb('061426'))
        return
    cv.paint(shape_mask(cv, sd_circle(cx, cy, 0.168 * u), box),
             linear(cx, cy - 0.17 * u, cx, cy + 0.17 * u,
                    [(0.0, rgb('0d2038')), (1.0, rgb('1d4368'))]))
    cv.paint(shape_mask(cv, sd_circle(cx, cy, iris * u), box),
             radial(cx - 0.035 * u, cy - 0.04 * u, 0.17 * u, 0.17 * u,
                    [(0.0, rgb('7ff0f0')), (0.45, TEAL), (1.0, rgb('0a3f6c'))]))
    cv.paint(shape_mask(cv, sd_circle(cx, cy, 0.055 * u), box), rgb('061426'))
    cv.paint(shape_mask(cv, sd_circle(cx - 0.048 * u, cy - 0.05 * u, 0.030 * u), box),
             rgb('ffffff', 0.92))
    cv.paint(shape_mask(cv, sd_circle(cx + 0.045 * u, cy + 0.05 * u, 0.014 * u), box),
             rgb('ffffff', 0.55))


def _inset_triangle(pts, d):
    """Moves each vertex of a triangle towards the centroid so that growing
    it again by d rounds the corners without changing its overall size."""
    gx = sum(p[0] for p in pts) / 3.0
    gy = sum(p[1] for p in pts) / 3.0
    out = []
    for px, py in pts:
        vx, vy = px - gx, py - gy
        ln = math.hypot(vx, vy)
        k = max(0.0, (ln - 2.0 * d) / ln)
        out.append((gx + vx * k, gy + vy * k))
    return out


ICON_LAYOUT = {
    # size: (margin px, corner radius px)
    128: (6, 24),
    48: (2, 9),
    32: (1, 6),
    16: (0, 3),
}


def draw_icon(size):
    cv = Canvas(size, size)
    margin, corner = ICON_LAYOUT[size]
    small = size <= 16
    x0, y0 = margin, margin
    x1, y1 = size - margin, size - margin
    box = (0, 0, size, size)
    tile = sd_rrect(x0, y0, x1, y1, corner)

    if size >= 48:
        # soft drop shadow under the tile
        off = size * 0.018
        cv.paint(shape_mask(cv, sd_shift(sd_grow(tile, -size * 0.01), 0, off), box,
                            soft=size * 0.025), rgb('000000', 0.45))
    cv.paint(shape_mask(cv, tile, box),
             linear(x0, y0, x1, y1,
                    [(0.0, rgb('1f86c0')), (0.5, rgb('0f4f8c')), (1.0, rgb('0a2a55'))]))
    if not small:
        # gloss: a broad highlight across the upper part of the tile
        gloss = sd_intersect(tile, sd_circle(size * 0.5, -size * 0.55, size * 1.0))
        cv.paint(shape_mask(cv, gloss, box),
                 linear(0, y0, 0, size * 0.5, [(0.0, rgb('ffffff', 0.20)), (1.0, rgb('ffffff', 0.02))]))
        # thin inner light edge and a dark outer edge keep the tile
        # readable on both light and dark backgrounds
        line = max(0.5, size / 128.0)
        cv.paint(shape_mask(cv, sd_outline(sd_grow(tile, line * 1.5), line * 0.5), box),
                 rgb('ffffff', 0.16))
    cv.paint(shape_mask(cv, sd_outline(sd_grow(tile, 0.5 if small else 0.6), 0.5), box),
             rgb('061a36', 0.55))

    tw = x1 - x0
    if size >= 48:
        # viewfinder corner marks: says "camera" before the lens is noticed
        ins, arm = 0.105 * tw, 0.13 * tw
        hw = max(0.75, 0.016 * tw)
        marks = []
        for sx, sy in ((0, 0), (1, 0), (0, 1), (1, 1)):
            px = x0 + ins if sx == 0 else x1 - ins
            py = y0 + ins if sy == 0 else y1 - ins
            dx = arm if sx == 0 else -arm
            dy = arm if sy == 0 else -arm
            marks.append([(px + dx, py), (px, py), (px, py + dy)])
        cv.paint(stroke_mask(cv, marks, hw, 4), rgb('d8f3ff', 0.45))
        if size >= 128:
            # recording light in the upper right corner
            rx, ry = x1 - ins - 0.06 * tw, y0 + ins + 0.06 * tw
            cv.paint(shape_mask(cv, sd_circle(rx, ry, 0.03 * tw), box),
                     radial(rx - 0.01 * tw, ry - 0.01 * tw, 0.04 * tw, 0.04 * tw,
                            [(0.0, rgb('ff8a80')), (1.0, rgb('e0262b'))]))
    level = 'full' if size >= 48 else ('mid' if size >= 32 else 'tiny')
    draw_motif(cv, (x0 + x1) * 0.5, (y0 + y1) * 0.5, tw, level)
    return cv


def draw_banner():
    W, H = 585, 71
    cv = Canvas(W, H, bg=NAVY)

    # background: deep navy on the left opening to blue and teal on the
    # right, with a little vertical shading for depth
    cv.fill(linear(0, 0, W, 0, [(0.0, rgb('071a36')), (0.45, rgb('0c3462')),
                                (0.8, rgb('0f5386')), (1.0, rgb('13708f'))]))
    cv.fill(linear(0, 0, 0, H, [(0.0, rgb('ffffff', 0.06)), (0.5, rgb('ffffff', 0.0)),
                                (1.0, rgb('000000', 0.18))]))

    # watermark: big lens rings off the right edge
    ring_c = (560.0, 35.5)
    for rr, a in ((24.0, 0.10), (42.0, 0.08), (60.0, 0.065), (78.0, 0.05), (96.0, 0.04)):
        ring = sd_outline(sd_circle(ring_c[0], ring_c[1], rr), 3.5 if rr < 30 else 1.0)
        cv.paint(shape_mask(cv, ring, (ring_c[0] - rr - 4, 0, W, H)), rgb('bff4ff', a))

    # fine scan lines, as on a monitor wall
    for y in range(0, H, 3):
        cv.paint(Mask(0, y, W, 1, [1.0] * W), rgb('ffffff', 0.025))

    # motif on the left
    draw_motif(cv, 41.0, 35.5, 66.0, glow=True)
    # the icon's viewfinder marks, framing the motif
    marks = []
    for sx in (-1, 1):
        for sy in (-1, 1):
            px, py = 41.0 + sx * 28.5, 35.5 + sy * 27.0
            marks.append([(px - sx * 8.0, py), (px, py), (px, py - sy * 8.0)])
    cv.paint(stroke_mask(cv, marks, 0.75, 4), rgb('d8f3ff', 0.40))

    # product name, with a faint cool tint towards the baseline
    draw_text(cv, 'Velmora', 85.0, 42.0, 31.0, 0.16,
              linear(0, 10, 0, 43, [(0.0, rgb('ffffff')), (1.0, rgb('d2eef8'))]),
              tracking=0.02, ss=3, shadow=(1, 2, 2, rgb('000000', 0.5)))
    # tagline
    draw_text(cv, 'Quilmar surveillance video recovery', 86.0, 60.5, 9.0, 0.14,
              rgb('a9e4f0'), tracking=0.06, ss=4)
    # maker, top right
    draw_text(cv, 'Morvane Software', 573.0, 19.5, 8.0, 0.14,
              rgb('ffffff', 0.85), tracking=0.06, ss=4, align='right')

    # top highlight and amber rule along the bottom
    cv.paint(Mask(0, 0, W, 1, [1.0] * W), rgb('ffffff', 0.10))
    amber = linear(0, 0, W, 0, [(0.0, AMBER_DEEP), (0.5, AMBER), (1.0, rgb('ffb23e', 0.0))])
    cv.paint(Mask(0, H - 2, W, 2, [1.0] * (2 * W)), amber)
    return cv


def draw_logo():
    W, H = 92, 48
    cv = Canvas(W, H, bg=WHITE)
    # a light card with a quiet border sits equally well on the modern
    # (240,240,240) and the classic (212,208,200) dialog face
    cv.fill(linear(0, 0, 0, H, [(0.0, rgb('ffffff')), (1.0, rgb('e8eff6'))]))
    cv.paint(shape_mask(cv, sd_outline(sd_rrect(0, 0, W, H, 0.0), 1.0), (0, 0, W, H)),
             rgb('9fb2c6'))

    # mark: rounded square with an M monogram and an amber recording light
    mx0, my0, ms = 6.0, 13.0, 22.0
    mark = sd_rrect(mx0, my0, mx0 + ms, my0 + ms, 4.5)
    cv.paint(shape_mask(cv, mark, (0, 0, W, H)),
             linear(mx0, my0, mx0 + ms, my0 + ms,
                    [(0.0, rgb('1aa0b8')), (1.0, rgb('0c3a70'))]))
    draw_text(cv, 'M', mx0 + ms * 0.5, my0 + 16.0, 10.0, 0.19, WHITE, align='center', ss=4)
    cv.paint(shape_mask(cv, sd_circle(mx0 + ms - 1.0, my0 + 1.0, 2.6), (0, 0, W, H)), WHITE)
    cv.paint(shape_mask(cv, sd_circle(mx0 + ms - 1.0, my0 + 1.0, 1.8), (0, 0, W, H)), AMBER)

    # wordmark, sized to fill the space right of the mark
    tx0, tx1 = 33.0, W - 6.0
    lines = text_lines('Morvane', 1.0, 0.15, 0.0, 0.0)
    bx0, _, bx1, _ = ink_box(lines, 0.075)
    size = min(10.5, (tx1 - tx0) / (bx1 - bx0))
    draw_text(cv, 'Morvane', tx0, 27.5, size, 0.15, rgb('0d2d52'), ss=4)
    draw_text(cv, 'SOFTWARE', tx0 + 0.5, 37.5, 5.0, 0.17, rgb('1a8aa6'), tracking=0.30, ss=4)
    return cv


# --------------------------------------------------------------------------
# File writers
# --------------------------------------------------------------------------

def bmp24_bytes(cv):
    rows = cv.rgb8(dither=True)
    stride = (cv.w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):              # bottom-up
        line = bytearray()
        for x in range(cv.w):
            r, g, b = row[3 * x:3 * x + 3]
            line += bytes((b, g, r))
        line += b'\0' * (stride - len(line))
        pixels += line
    info = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


def ico_image_bytes(cv):
    rows = cv.rgba8()
    w, h = cv.w, cv.h
    xor = bytearray()
    for row in reversed(rows):
        for x in range(w):
            r, g, b, a = row[4 * x:4 * x + 4]
            xor += bytes((b, g, r, a))
    # AND mask: set only where fully transparent, so a loader that ignores
    # alpha still shows the soft edge pixels rather than punching them out
    mstride = ((w + 31) // 32) * 4
    andm = bytearray()
    for row in reversed(rows):
        bits = bytearray(mstride)
        for x in range(w):
            if row[4 * x + 3] == 0:
                bits[x >> 3] |= 0x80 >> (x & 7)
        andm += bits
    info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 32, 0, len(xor) + len(andm),
                       0, 0, 0, 0)
    return info + bytes(xor) + bytes(andm)


def ico_bytes(canvases):
    images = [ico_image_bytes(cv) for cv in canvases]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for cv, img in zip(canvases, images):
        out += struct.pack('<BBBBHHII', cv.w & 0xFF, cv.h & 0xFF, 0, 0, 1, 32,
                           len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    return bytes(out)


def png_bytes(w, h, rows, alpha):
    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data
                + struct.pack('>I', zlib.crc32(tag + data) & 0xFFFFFFFF))
    raw = b''.join(b'\0' + r for r in rows)
    ihdr = struct.pack('>IIBBBBB', w, h, 8, 6 if alpha else 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr)
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def main(argv):
    preview = None
    if len(argv) == 2 and argv[0] == '--preview':
        preview = argv[1]
    elif argv:
        sys.stderr.write('usage: make_art.py [--preview DIR]\n')
        return 2

    icons = [draw_icon(s) for s in (128, 48, 32, 16)]
    banner = draw_banner()
    logo = draw_logo()

    write(os.path.join(RES_DIR, 'Velmora.ico'), ico_bytes(icons))
    write(os.path.join(RES_DIR, 'banner.bmp'), bmp24_bytes(banner))
    write(os.path.join(RES_DIR, 'logo.bmp'), bmp24_bytes(logo))

    if preview:
        os.makedirs(preview, exist_ok=True)
        for cv in icons:
            write(os.path.join(preview, 'icon_%d.png' % cv.w),
                  png_bytes(cv.w, cv.h, cv.rgba8(), True))
        write(os.path.join(preview, 'banner.png'),
              png_bytes(banner.w, banner.h, banner.rgb8(dither=True), False))
        write(os.path.join(preview, 'logo.png'),
              png_bytes(logo.w, logo.h, logo.rgb8(dither=True), False))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
