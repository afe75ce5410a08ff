"""Pictures and files made from a checked level: the top-down map and the
waypoints of the quickest round."""

from pngio import Canvas
from walker import GRID


def write_route(path, w, route):
    """Waypoints of the quickest round, for scripted walks: one line per
    corner of the path, where the player crouches or stands, and at each goal."""
    lines = ["# Quickest round through Murkhaven, written by tools/level/make_level.py.",
             "# x z floor crouched goal   (capsule centre; eye = floor + 1.2, or + 0.6 crouched)"]
    for name, states in route:
        pts = [(w.centre(i, j), h, cr) for i, j, h, cr in states]
        keep = [0]
        for k in range(1, len(pts) - 1):
            (a, _, ca), (b, _, cb), (c, _, cc) = pts[keep[-1]], pts[k], pts[k + 1]
            # keep a point when the mode changes or the straight line from the
            # last kept point to the next one would leave the path by > 3 cm
            if cb != ca or cc != cb:
                keep.append(k)
                continue
            dx, dz = c[0] - a[0], c[1] - a[1]
            ln = (dx * dx + dz * dz) ** 0.5 or 1.0
            if abs((b[0] - a[0]) * dz - (b[1] - a[1]) * dx) / ln > 0.03:
                keep.append(k)
        keep.append(len(pts) - 1)
        for k in keep[1:]:
            (x, z), h, cr = pts[k]
            lines.append("%.2f %.2f %.2f %d%s" % (x, z, h, int(cr), "  " + name if k == len(pts) - 1 else ""))
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def draw_map(path, w, states, crouch_only, solids, route, boxes, start):
    """Top-down map, north (+z) up, 40 px per metre: grey floor, blue raised
    floors, orange crouch-only space, red walls, brown furniture outlines,
    trigger boxes outlined (cyan pick-ups, yellow voices, magenta enemies,
    green exit), white the quickest round, squares at the start (white),
    lamp (pale yellow) and television (blue)."""
    s = 40
    xmin, zmax = -8.3, 9.0
    width, height = int(12.9 * s), int(24.1 * s)
    c = Canvas(width, height, (12, 12, 14))

    def px(x, z):
        return int((x - xmin) * s), int((zmax - z) * s)

    stand_cells = {}
    for i, j, h, cr in states:
        stand_cells[(i, j)] = max(stand_cells.get((i, j), -1), h)
    for (i, j), h in stand_cells.items():
        x, z = w.centre(i, j)
        a, b = px(x - GRID / 2, z + GRID / 2)
        d, e = px(x + GRID / 2, z - GRID / 2)
        col = (70, 70, 66) if h < 0.05 else (60, 80 + int(100 * min(h, 1.0)), 120 + int(100 * min(h, 1.0)))
        if (i, j) in crouch_only:
            col = (170, 110, 30)
        c.rect(a, b, d - 1, e - 1, col)
    for (x0, y0, z0), (x1, y1, z1) in solids:
        a, b = px(x0, z1)
        d, e = px(x1, z0)
        col = (150, 40, 40) if y1 >= 3.5 else (110, 85, 60) if y0 < 0.5 else (90, 60, 130)
        c.rect(a, b, d, e, col, fill=(y1 >= 3.5))
        if y1 < 3.5:
            c.rect(a, b, d, e, col, fill=False)
    for name, (x0, x1), (z0, z1), side, _ in boxes:
        a, b = px(x0, z1)
        d, e = px(x1, z0)
        col = (60, 230, 220) if name.startswith("pick") else (240, 220, 60) if name.startswith("voice") \
            else (250, 60, 200) if name.startswith("enemy") else (80, 250, 80)
        c.rect(a, b, d, e, col, fill=False)
    for rw, (i, j, h, cr) in route:
        x, z = rw.centre(i, j)
        a, b = px(x, z)
        c.rect(a, b, a + 1, b + 1, (235, 235, 235) if not cr else (255, 200, 120))
    for (x, z), col in ((start, (255, 255, 255)), ((-3.8, -7.5), (255, 240, 150)), ((2.25, -1.94), (120, 160, 255))):
        a, b = px(x, z)
        c.rect(a - 4, b - 4, a + 4, b + 4, col)
    c.save(path)
