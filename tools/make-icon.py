#!/usr/bin/env python3
"""Draws the game's icon: a flashlight's cone of warm light cutting across a
dark square, with the dark round frame of the lens at its apex. Writes
packaging/murkhaven.png (256x256, 24-bit).

    python3 tools/make-icon.py [output.png]
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "level"))
from pngio import write_png  # noqa: E402

SIZE = 256


def pixel(x, y):
    # Background: a cold, dark vignette.
    cx, cy = x - SIZE / 2, y - SIZE / 2
    r = math.hypot(cx, cy) / (SIZE / 2)
    base = max(0.0, 1.0 - r * 0.8)
    colour = [10 + 14 * base, 12 + 16 * base, 18 + 22 * base]
    # The beam: from the lens at the lower left towards the upper right.
    ax, ay = 52.0, 204.0
    dx, dy = x - ax, y - ay
    along = (dx - dy) / math.sqrt(2.0)
    across = abs(dx + dy) / math.sqrt(2.0)
    if along > 0:
        spread = across / (along * 0.42 + 1e-6)
        if spread < 1.0:
            fall = max(0.0, 1.0 - along / 300.0)
            edge = (1.0 - spread) ** 0.6
            light = edge * (0.35 + 0.65 * fall)
            warm = (255, 226, 160)
            colour = [c + (w - c) * light for c, w in zip(colour, warm)]
    # The lens: a dark ring around a bright disc.
    d = math.hypot(dx, dy)
    if d < 30:
        colour = [250, 240, 205] if d < 20 else [28, 28, 32]
    return bytes(int(max(0, min(255, round(c)))) for c in colour)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(__file__), "..", "packaging", "murkhaven.png")
    rows = [b"".join(pixel(x, y) for x in range(SIZE)) for y in range(SIZE)]
    write_png(out, SIZE, SIZE, rows)


if __name__ == "__main__":
    main()
