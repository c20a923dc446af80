#!/usr/bin/env python3
"""Draws the program icon and the four toolbar icons and writes them as icon
files, which the resource script compiles into the program.

The output is committed, so the build needs no Python; run this again only
after changing a picture:  python3 scripts/draw_icons.py
"""
import math
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "src", "app", "resources")
SAMPLES = 5  # per pixel and axis


def hexrgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def mix(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def vertical(top, bottom, y0, y1):
    top, bottom = hexrgb(top), hexrgb(bottom)
    return lambda x, y: mix(top, bottom, (y - y0) / (y1 - y0))


def solid(colour):
    colour = hexrgb(colour)
    return lambda x, y: colour


# Signed distances in the 16-unit design square: negative inside.
def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(1.0, max(0.0, t))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def polygon(points):
    def sdf(x, y):
        inside = False
        distance = 1e9
        for i, (ax, ay) in enumerate(points):
            bx, by = points[(i + 1) % len(points)]
            distance = min(distance, segment_distance(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -distance if inside else distance
    return sdf


def rounded_rect(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius
    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0), max(qy, 0))
        return outside + min(max(qx, qy), 0) - radius
    return sdf


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def polyline(points, width):
    def sdf(x, y):
        return min(segment_distance(x, y, *points[i], *points[i + 1]) for i in range(len(points) - 1)) - width / 2
    return sdf


def gear(cx, cy, outer, inner, hole, teeth):
    def sdf(x, y):
        angle = math.atan2(y - cy, x - cx)
        # Flat-topped teeth: a clipped wave between the inner and outer radius.
        wave = math.cos(angle * teeth)
        rim = inner + (outer - inner) * min(1.0, max(0.0, (wave + 0.15) * 2.2))
        r = math.hypot(x - cx, y - cy)
        return max(r - rim, hole - r)
    return sdf


def render(layers, size):
    scale = 16.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    colour, alpha = (0, 0, 0), 0.0
                    for sdf, fill, outline, width in layers:
                        d = sdf(x, y)
                        if d > 0:
                            continue
                        c = outline if (outline and d > -width) else fill(x, y)
                        colour, alpha = c, 1.0  # opaque layers cover what lies below
                    acc[0] += colour[0] * alpha
                    acc[1] += colour[1] * alpha
                    acc[2] += colour[2] * alpha
                    acc[3] += alpha
            n = SAMPLES * SAMPLES
            a = acc[3] / n
            if a <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(a * 255)),))
        pixels.append(row)
    return pixels


def image_bytes(pixels):
    size = len(pixels)
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, size * size * 4 + mask_row * size, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # bottom-up
        bits = bytearray(mask_row)
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + mask


def icon_file(images):
    entries = bytearray()
    data = bytearray()
    offset = 6 + 16 * len(images)
    for pixels in images:
        blob = image_bytes(pixels)
        size = len(pixels)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    return struct.pack("<HHH", 0, 1, len(images)) + entries + data


OUTLINE = 0.9

OPEN = [
    (polygon([(0.8, 2.6), (5.6, 2.6), (7.0, 4.0), (13.6, 4.0), (13.6, 13.4), (0.8, 13.4)]),
     vertical("#e8b04a", "#c98a22", 2.6, 13.4), hexrgb("#8f5f12"), OUTLINE),
    (polygon([(3.4, 6.8), (15.4, 6.8), (13.4, 13.4), (0.8, 13.4)]),
     vertical("#ffe28a", "#f2b93b", 6.8, 13.4), hexrgb("#8f5f12"), OUTLINE),
]
START = [
    (polygon([(3.6, 1.8), (14.2, 8.0), (3.6, 14.2)]),
     vertical("#6fd66f", "#23953a", 1.8, 14.2), hexrgb("#17692a"), OUTLINE),
]
STOP = [
    (rounded_rect(2.2, 2.2, 13.8, 13.8, 2.2),
     vertical("#f07368", "#c6372b", 2.2, 13.8), hexrgb("#8c2219"), OUTLINE),
]
OPTIONS = [
    (gear(8, 8, 7.6, 5.4, 2.4, 8), vertical("#a9b4bf", "#66737f", 0.5, 15.5), hexrgb("#3b4651"), OUTLINE),
]
PROGRAM = [
    (rounded_rect(0.7, 0.7, 15.3, 15.3, 3.0), vertical("#4f8ff0", "#1c4fae", 0.7, 15.3), hexrgb("#163f8c"), 0.6),
    (polyline([(3.8, 8.4), (6.7, 11.3), (12.4, 4.6)], 2.4), solid("#ffffff"), None, 0),
]


def main():
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, "sumwick.ico"), "wb") as f:
        f.write(icon_file([render(PROGRAM, s) for s in (48, 32, 16)]))
    for name, layers in (("open", OPEN), ("start", START), ("stop", STOP), ("options", OPTIONS)):
        with open(os.path.join(OUT, "toolbar_%s.ico" % name), "wb") as f:
            f.write(icon_file([render(layers, 16)]))


if __name__ == "__main__":
    main()
