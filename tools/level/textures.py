"""Procedural, tileable textures and their tangent-space normal maps.

Every texture is made from a height field and a colour field of the same size;
the normal map comes from the height field, so the relief in the lighting
matches what the colour shows. Everything wraps, so the images tile.
Deterministic: each texture draws from its own seeded random generator.
"""

import math
import os
import random

from pngio import write_png


# --- noise -----------------------------------------------------------------

def value_noise(size, cx, cy, rng):
    """Tileable value noise with cx x cy lattice cells, values 0..1."""
    lat = [[rng.random() for _ in range(cx)] for _ in range(cy)]
    cols = []
    for x in range(size):
        f = x * cx / size
        i = int(f)
        t = f - i
        cols.append((i % cx, (i + 1) % cx, t * t * (3 - 2 * t)))
    out = []
    for y in range(size):
        f = y * cy / size
        j = int(f)
        s = f - j
        s = s * s * (3 - 2 * s)
        r0, r1 = lat[j % cy], lat[(j + 1) % cy]
        row = [a + (b - a) * s for a, b in zip(r0, r1)]
        out.append([row[i0] + (row[i1] - row[i0]) * t for i0, i1, t in cols])
    return out


def fbm(size, rng, base=4, octaves=5, stretch=(1, 1), gain=0.5):
    """Fractal sum of value noise, normalised to 0..1."""
    total = [[0.0] * size for _ in range(size)]
    amp, norm = 1.0, 0.0
    cells = base
    for _ in range(octaves):
        if cells > size:
            break
        n = value_noise(size, min(size, cells * stretch[0]), min(size, cells * stretch[1]), rng)
        for ty, ny in zip(total, n):
            for x in range(size):
                ty[x] += ny[x] * amp
        norm += amp
        amp *= gain
        cells *= 2
    return [[v / norm for v in row] for row in total]


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def smooth(e0, e1, v):
    t = clamp((v - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


# --- output ----------------------------------------------------------------

def save_colour(path, colour):
    size = len(colour)
    rows = []
    for row in colour:
        b = bytearray()
        for r, g, bl in row:
            b += bytes((int(clamp(r) * 255 + 0.5), int(clamp(g) * 255 + 0.5), int(clamp(bl) * 255 + 0.5)))
        rows.append(b)
    write_png(path, size, size, rows)


def halve(height):
    """2 x 2 box filter: normal maps are kept at 256 pixels to keep the
    repository lean; the relief reads the same."""
    size = len(height) // 2
    return [[(height[2 * y][2 * x] + height[2 * y][2 * x + 1] + height[2 * y + 1][2 * x] +
              height[2 * y + 1][2 * x + 1]) * 0.25 for x in range(size)] for y in range(size)]


def save_normal(path, height, strength):
    """Height 0..1 (row 0 at the top of the image) to a tangent-space normal
    map: red = +u (right), green = +v (up in the image, which is +v once the
    loader hands rows bottom-first to GL), blue = out of the surface."""
    size = len(height)
    rows = []
    for y in range(size):
        up, row, down = height[(y - 1) % size], height[y], height[(y + 1) % size]
        b = bytearray()
        for x in range(size):
            du = (row[(x + 1) % size] - row[(x - 1) % size]) * 0.5 * strength
            dv = (up[x] - down[x]) * 0.5 * strength
            nx, ny, nz = -du, -dv, 1.0
            inv = 1.0 / math.sqrt(nx * nx + ny * ny + nz * nz)
            b += bytes((int((nx * inv * 0.5 + 0.5) * 255 + 0.5),
                        int((ny * inv * 0.5 + 0.5) * 255 + 0.5),
                        int((nz * inv * 0.5 + 0.5) * 255 + 0.5)))
        rows.append(b)
    write_png(path, size, size, rows)


# --- materials ---------------------------------------------------------------

def concrete(size, rng):
    base = fbm(size, rng, base=4, octaves=6)
    stain = fbm(size, rng, base=2, octaves=3)
    fine = value_noise(size, size // 2, size // 2, rng)
    h = [[0.5 * b + 0.25 * f for b, f in zip(br, fr)] for br, fr in zip(base, fine)]
    # pits
    for _ in range(size):
        x, y = rng.randrange(size), rng.randrange(size)
        r = rng.choice((1, 1, 2))
        for dy in range(-r, r + 1):
            for dx in range(-r, r + 1):
                h[(y + dy) % size][(x + dx) % size] -= 0.25
    # cracks: wandering lines
    cracks = [[0.0] * size for _ in range(size)]
    for _ in range(4):
        x, y = rng.random() * size, rng.random() * size
        ang = rng.random() * math.tau
        for _ in range(int(size * 0.8)):
            ang += rng.uniform(-0.5, 0.5)
            x += math.cos(ang)
            y += math.sin(ang)
            cracks[int(y) % size][int(x) % size] = 1.0
    col = []
    for y in range(size):
        row = []
        for x in range(size):
            c = cracks[y][x]
            h[y][x] -= 0.4 * c
            v = 0.30 + 0.22 * base[y][x] + 0.08 * fine[y][x]
            s = smooth(0.55, 0.8, stain[y][x])
            g = v * (1 - 0.45 * s) * (1 - 0.6 * c)
            row.append((g * 1.0, g * 0.98, g * 0.92))
        col.append(row)
    return col, h, 3.0


def plaster(size, rng):
    base = fbm(size, rng, base=4, octaves=5)
    streak = fbm(size, rng, base=2, octaves=5, stretch=(4, 1))  # water runs down
    peel = fbm(size, rng, base=3, octaves=4)
    fine = value_noise(size, size // 2, size // 2, rng)
    col, h = [], []
    for y in range(size):
        crow, hrow = [], []
        for x in range(size):
            p = smooth(0.6, 0.63, peel[y][x])      # peeled patch, darker under-layer
            hv = 0.6 + 0.1 * fine[y][x] + 0.15 * base[y][x] - 0.35 * p
            s = smooth(0.45, 0.75, streak[y][x])
            top = (0.47, 0.46, 0.38)
            under = (0.28, 0.25, 0.2)
            c = mix(top, under, p)
            shade = (0.8 + 0.35 * base[y][x]) * (1 - 0.4 * s) * (0.95 + 0.1 * fine[y][x])
            crow.append(tuple(v * shade for v in c))
            hrow.append(hv)
        col.append(crow)
        h.append(hrow)
    return col, h, 2.5


def brick(size, rng):
    """Running bond: 8 bricks across, 24 courses down the tile."""
    noise = fbm(size, rng, base=8, octaves=4)
    soot = fbm(size, rng, base=2, octaves=3)
    fine = value_noise(size, size // 2, size // 2, rng)
    rows_n, cols_n = 24, 8
    bh, bw = size / rows_n, size / cols_n
    tone = [[rng.uniform(0.75, 1.15) for _ in range(cols_n + 1)] for _ in range(rows_n)]
    col, h = [], []
    for y in range(size):
        r = int(y / bh)
        fy = y - r * bh
        off = (bw / 2) if r % 2 else 0
        crow, hrow = [], []
        for x in range(size):
            xx = (x + off) % size
            c = int(xx / bw)
            fx = xx - c * bw
            edge = min(fx, bw - fx, fy, bh - fy)
            mortar = edge < 1.6
            if mortar:
                g = 0.22 + 0.1 * fine[y][x]
                cc = (g, g * 0.95, g * 0.88)
                hv = 0.2 + 0.1 * fine[y][x]
            else:
                t = tone[r][c] * (0.8 + 0.4 * noise[y][x])
                cc = (0.42 * t, 0.2 * t, 0.15 * t)
                hv = 0.55 + 0.3 * smooth(1.6, 4.0, edge) * 0.5 + 0.15 * noise[y][x] + 0.05 * fine[y][x]
            s = 1 - 0.55 * smooth(0.5, 0.8, soot[y][x])
            crow.append(tuple(v * s for v in cc))
            hrow.append(hv)
        col.append(crow)
        h.append(hrow)
    return col, h, 4.0


def tiles(size, rng):
    """4 x 4 square tiles with dark grout, grime and a few cracked tiles."""
    grime = fbm(size, rng, base=4, octaves=5)
    fine = value_noise(size, size // 2, size // 2, rng)
    n = 4
    t = size / n
    tone = [[rng.uniform(0.85, 1.0) for _ in range(n)] for _ in range(n)]
    broken = {(rng.randrange(n), rng.randrange(n)) for _ in range(2)}
    col, h = [], []
    for y in range(size):
        ty, fy = int(y / t), y % t
        crow, hrow = [], []
        for x in range(size):
            tx, fx = int(x / t), x % t
            edge = min(fx, t - fx, fy, t - fy)
            g = grime[y][x]
            if edge < 2.0:
                v = 0.16 + 0.08 * fine[y][x]
                cc = (v, v * 0.95, v * 0.85)
                hv = 0.2
            else:
                v = 0.62 * tone[ty][tx] * (1 - 0.5 * smooth(0.45, 0.8, g))
                cc = (v * 0.95, v * 0.97, v * 0.9)
                hv = 0.7 + 0.05 * fine[y][x] + 0.2 * smooth(2.0, 5.0, edge) * 0.3
                if (tx, ty) in broken and abs((fx - fy) + 6 * math.sin(fy * 0.2)) < 1.2:
                    cc = (0.12, 0.11, 0.1)
                    hv = 0.3
            crow.append(cc)
            hrow.append(hv)
        col.append(crow)
        h.append(hrow)
    return col, h, 3.0


def wood(size, rng):
    """Planks running along u, 8 to the tile, with grain and dark joints."""
    grain = fbm(size, rng, base=2, octaves=6, stretch=(1, 16))
    wear = fbm(size, rng, base=3, octaves=4)
    fine = value_noise(size, size // 2, size // 2, rng)
    n = 8
    ph = size / n
    tone = [rng.uniform(0.7, 1.15) for _ in range(n)]
    joint = [rng.randrange(size) for _ in range(n)]
    col, h = [], []
    for y in range(size):
        p, fy = int(y / ph), y % ph
        crow, hrow = [], []
        for x in range(size):
            gr = grain[y][x]
            rings = 0.5 + 0.5 * math.sin(gr * 40.0)
            edge = min(fy, ph - fy)
            dj = min((x - joint[p]) % size, (joint[p] - x) % size)
            gap = edge < 1.2 or dj < 1.0
            t = tone[p] * (0.75 + 0.35 * rings) * (1 - 0.35 * smooth(0.5, 0.8, wear[y][x]))
            cc = (0.36 * t, 0.24 * t, 0.14 * t)
            hv = 0.6 + 0.1 * rings + 0.05 * fine[y][x]
            if gap:
                cc = (0.05, 0.035, 0.025)
                hv = 0.1
            crow.append(cc)
            hrow.append(hv)
        col.append(crow)
        h.append(hrow)
    return col, h, 3.0


def metal(size, rng):
    rust = fbm(size, rng, base=4, octaves=6)
    fine = value_noise(size, size // 2, size // 2, rng)
    scratch = fbm(size, rng, base=2, octaves=5, stretch=(12, 1))
    col, h = [], []
    for y in range(size):
        crow, hrow = [], []
        for x in range(size):
            r = smooth(0.45, 0.62, rust[y][x] + 0.08 * fine[y][x])
            steel = 0.25 + 0.08 * scratch[y][x]
            base = (steel, steel * 1.02, steel * 1.06)
            rc = (0.36 + 0.1 * fine[y][x], 0.17, 0.07)
            crow.append(mix(base, rc, r))
            hrow.append(0.5 + 0.3 * r * rust[y][x] + 0.1 * r * fine[y][x])
        col.append(crow)
        h.append(hrow)
    return col, h, 4.0


def fabric(size, rng):
    """Worn dark red velvet: a fine weave, faded patches and stains."""
    fade = fbm(size, rng, base=3, octaves=5)
    fine = value_noise(size, size // 2, size // 2, rng)
    col, h = [], []
    for y in range(size):
        crow, hrow = [], []
        for x in range(size):
            weave = 0.5 + 0.25 * math.sin(x * math.pi / 2) + 0.25 * math.sin(y * math.pi / 2)
            f = fade[y][x]
            v = (0.6 + 0.3 * weave) * (0.7 + 0.5 * f)
            stain = smooth(0.68, 0.75, f)
            cc = (0.3 * v, 0.05 * v, 0.06 * v)
            cc = mix(cc, (0.12, 0.08, 0.05), stain)
            crow.append(cc)
            hrow.append(0.4 + 0.3 * weave + 0.2 * fine[y][x])
        col.append(crow)
        h.append(hrow)
    return col, h, 1.5


def plastic(size, rng):
    n = fbm(size, rng, base=4, octaves=5)
    fine = value_noise(size, size // 2, size // 2, rng)
    col = [[(0.09 + 0.04 * a + 0.02 * b,) * 3 for a, b in zip(r, q)] for r, q in zip(n, fine)]
    h = [[0.5 + 0.1 * a + 0.05 * b for a, b in zip(r, q)] for r, q in zip(n, fine)]
    return col, h, 2.0


def paint(size, rng):
    """Cream gloss paint on the door frames, chipped to the wood and dirtied
    in streaks: the pale trim the flashlight finds in the dark."""
    dirt = fbm(size, rng, base=3, octaves=5, stretch=(1, 4))
    chips = fbm(size, rng, base=6, octaves=4)
    fine = value_noise(size, size // 2, size // 2, rng)
    col, h = [], []
    for y in range(size):
        crow, hrow = [], []
        for x in range(size):
            chip = smooth(0.66, 0.69, chips[y][x])
            shade = (0.85 + 0.2 * dirt[y][x]) * (0.96 + 0.08 * fine[y][x])
            c = mix((0.8 * shade, 0.76 * shade, 0.64 * shade), (0.3, 0.2, 0.12), chip)
            crow.append(c)
            hrow.append(0.6 - 0.2 * chip + 0.03 * fine[y][x])
        col.append(crow)
        h.append(hrow)
    return col, h, 2.0


def glass(size, rng):
    """Frosted amber glass behind a wire cage: the lamps and lanterns that
    mark the way, lit from within, the cage's bars a dark lattice over it."""
    frost = fbm(size, rng, base=4, octaves=4)
    col, h = [], []
    bars = size // 4
    for y in range(size):
        crow, hrow = [], []
        for x in range(size):
            dx, dy = min(x % bars, bars - x % bars), min(y % bars, bars - y % bars)
            wire = 1.0 - smooth(1.0, 3.0, min(dx, dy))
            glow = 0.88 + 0.12 * frost[y][x]
            crow.append(mix((glow, 0.86 * glow, 0.6 * glow), (0.16, 0.12, 0.08), wire))
            hrow.append(0.5 + 0.3 * wire)
        col.append(crow)
        h.append(hrow)
    return col, h, 1.0


def screen(size, rng):
    """Television static: grey snow with scan lines and a faint roll bar."""
    col, h = [], []
    for y in range(size):
        scan = 0.75 if y % 2 else 1.0
        bar = 0.8 + 0.2 * math.sin(y / size * math.tau)
        row = []
        for _ in range(size):
            v = rng.random() ** 1.5 * scan * bar * 0.85
            row.append((v * 0.92, v * 0.97, v))
        col.append(row)
        h.append([0.5] * size)
    return col, h, 0.0


def energy(size, rng):
    """Swirling cold glow for the pick-ups."""
    n = fbm(size, rng, base=3, octaves=5)
    col, h = [], []
    for y in range(size):
        row = []
        for x in range(size):
            v = 0.5 + 0.5 * math.sin(n[y][x] * 18.0)
            row.append((0.2 + 0.3 * v, 0.7 + 0.3 * v, 0.65 + 0.35 * v))
        col.append(row)
        h.append([0.5] * size)
    return col, h, 0.0


# name -> (maker, size in pixels, seed)
TEXTURES = {
    "concrete": (concrete, 512, 11),
    "plaster": (plaster, 512, 12),
    "brick": (brick, 512, 13),
    "tiles": (tiles, 256, 14),
    "wood": (wood, 256, 15),
    "metal": (metal, 256, 16),
    "fabric": (fabric, 256, 17),
    "plastic": (plastic, 256, 18),
    "screen": (screen, 256, 19),
    "energy": (energy, 256, 20),
    "paint": (paint, 256, 21),
    "glass": (glass, 128, 22),
}


def diffuse_name(name):
    return name + ".png"


def normal_name(name):
    return name + "_n.png"


def write_all(out_dir, names=None):
    os.makedirs(out_dir, exist_ok=True)
    written = []
    for name, (maker, size, seed) in TEXTURES.items():
        if names and name not in names:
            continue
        col, h, strength = maker(size, random.Random(seed))
        save_colour(os.path.join(out_dir, diffuse_name(name)), col)
        while len(h) > 256:
            h = halve(h)
        save_normal(os.path.join(out_dir, normal_name(name)), h, strength)
        written += [diffuse_name(name), normal_name(name)]
    return written
