"""The furniture and props of the level: shaped collidable pieces that fill
their bounding box, and the models of the television, curtain, held light,
pick-ups and the unused object 0."""

import math
import random

from geometry import Mesh

UV = {"concrete": 2.0, "plaster": 2.0, "brick": 2.0, "tiles": 1.0, "wood": 1.0,
      "metal": 1.0, "fabric": 1.0, "plastic": 0.5, "screen": 0.6, "energy": 0.3,
      "paint": 1.0, "glass": 0.24}
PICKUP_RADIUS = 0.15


class Frame:
    """A footprint with a front: boxes placed by depth from the back (d) and
    distance across from the left side (a), in metres."""

    def __init__(self, mesh, x0, z0, x1, z1, facing):
        self.mesh, self.rect, self.facing = mesh, (x0, z0, x1, z1), facing
        along_x = facing in ("+x", "-x")
        self.depth = (x1 - x0) if along_x else (z1 - z0)
        self.width = (z1 - z0) if along_x else (x1 - x0)

    def box(self, d0, d1, a0, a1, y0, y1):
        x0, z0, x1, z1 = self.rect
        f = self.facing
        if f == "+x":
            bx0, bx1, bz0, bz1 = x0 + d0, x0 + d1, z0 + a0, z0 + a1
        elif f == "-x":
            bx0, bx1, bz0, bz1 = x1 - d1, x1 - d0, z0 + a0, z0 + a1
        elif f == "+z":
            bx0, bx1, bz0, bz1 = x0 + a0, x0 + a1, z0 + d0, z0 + d1
        else:
            bx0, bx1, bz0, bz1 = x0 + a0, x0 + a1, z1 - d1, z1 - d0
        self.mesh.box(bx0, y0, bz0, bx1, y1, bz1, skip=("-y",) if y0 == 0.0 else ())


def chair(f, top):
    D, W, t = f.depth, f.width, 0.04
    for d, a in ((0, 0), (D - t, 0), (0, W - t), (D - t, W - t)):
        f.box(d, d + t, a, a + t, 0.0, 0.42)
    f.box(0, D, 0, W, 0.42, 0.47)
    f.box(0, 0.05, 0, W, 0.47, top)


def sofa(f, top):
    D, W = f.depth, f.width
    f.box(0, D, 0, W, 0.0, 0.42)
    f.box(0, 0.22, 0, W, 0.42, top)
    f.box(0.22, D, 0, 0.15, 0.42, 0.62)
    f.box(0.22, D, W - 0.15, W, 0.42, 0.62)


def shelf(f, top):
    D, W, t = f.depth, f.width, 0.03
    f.box(0, t, 0, W, 0.0, top)
    f.box(t, D, 0, t, 0.0, top)
    f.box(t, D, W - t, W, 0.0, top)
    rng = random.Random(int(abs(f.rect[0] * 100 + f.rect[1] * 7)))
    y = 0.0
    while y < top - 0.1:
        f.box(t, D, t, W - t, y, y + t)
        a = t + 0.02
        while a < W - 0.2:   # boxes, jars and books on the board
            w = rng.uniform(0.08, 0.3)
            if rng.random() < 0.6:
                f.box(t + 0.02, min(D - 0.02, t + rng.uniform(0.15, D - t)), a, min(a + w, W - t),
                      y + t, y + t + rng.uniform(0.12, 0.3))   # never through the side
            a += w + 0.03
        y += 0.45 if top - y > 0.6 else top - y - t
    f.box(t, D, t, W - t, top - t, top)


def bed(f, top):
    D, W = f.depth, f.width
    f.box(0, D, 0, W, 0.0, 0.3)
    f.box(0.06, D - 0.02, 0.03, W - 0.03, 0.3, 0.55)
    f.box(0, 0.06, 0, W, 0.3, top)


SHAPES = {"chair": chair, "sofa": sofa, "shelf": shelf, "bed": bed}


def legs(mesh, x0, z0, x1, z1, top, t=0.05):
    for lx, lz in ((x0, z0), (x1 - t, z0), (x0, z1 - t), (x1 - t, z1 - t)):
        mesh.box(lx, 0.0, lz, lx + t, top, lz + t, skip=("-y", "+y"))


def television():
    body = Mesh("tv_body", "plastic", UV["plastic"])
    body.box(1.85, 0.85, -2.32, 2.65, 1.5, -1.82, skip=("-y",))
    body.box(2.15, 1.5, -2.15, 2.35, 1.52, -2.0)
    screen = Mesh("tv_screen", "screen", UV["screen"])
    screen.quad((1.92, 0.93, -1.815), (0.66, 0, 0), (0, 0.5, 0),
                uv0=(0.0, 0.0), uv_a=(1.0, 0.0), uv_b=(0.0, 1.0))
    return [body, screen]


def curtain():
    """Stage curtains at both sides of the proscenium, with folds. One sheet,
    seen from both sides (drawn with culling off)."""
    m = Mesh("stage_curtain", "fabric", UV["fabric"])
    for x0, x1 in ((-4.9, -4.15), (-2.85, -2.1)):
        n = 8
        w = (x1 - x0) / n
        for k in range(n):
            za = 4.42 - 0.06 * (k % 2)
            zb = 4.42 - 0.06 * ((k + 1) % 2)
            xa, xb = x0 + k * w, x0 + (k + 1) * w
            # quad facing the hall (-z); its back faces the stage
            p = (xb, 1.0, zb)
            a = (xa - xb, 0.0, za - zb)
            b = (0.0, 2.6, 0.0)
            m.quad(p, a, b, uv0=(-xb, 1.0), uv_a=(xb - xa, 0.0), uv_b=(0.0, 2.6))
    m.quad((-2.1, 3.2, 4.38), (-2.8, 0, 0), (0, 0.4, 0), uv0=(2.1, 3.2), uv_a=(2.8, 0), uv_b=(0, 0.4))
    return m


def flashlight():
    """The light held in front of the camera. The renderer scales it by 0.03
    and turns it half a turn about y, so it is authored 33 times life size,
    lens towards +z, centred on the origin."""
    m = Mesh("flashlight", "plastic", UV["plastic"] * 30)
    m.cylinder((0.0, 0.0, -2.5), "z", 0.55, 4.0, segments=12)
    m.cylinder((0.0, 0.0, 1.5), "z", 0.85, 1.1, segments=12)
    m.box(-0.18, 0.5, -0.6, 0.18, 0.72, 0.2)  # switch
    return m


def pickups():
    out = []
    for k in range(3):
        m = Mesh("pickup_%d" % k, "energy", UV["energy"])
        m.sphere((0.0, 0.0, 0.0), PICKUP_RADIUS, rings=6, segments=10)
        out.append(m)
    return out


def marker():
    m = Mesh("unused_marker", "plastic", UV["plastic"])
    m.box(-0.01, -1.01, -0.01, 0.01, -0.99, 0.01)
    return m
