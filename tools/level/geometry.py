"""Meshes authored in world coordinates (metres, +y up) and their OBJ/MTL output.

Faces wind counter-clockwise seen from the side their normal points to.
Texture coordinates are world distances divided by the metres one texture
repeat covers, so a texture keeps its size on every surface.
"""

import math
import os


class Mesh:
    """One OBJ object: one material, one scene object after import."""

    def __init__(self, name, material, uv_metres):
        self.name = name
        self.material = material
        self.uv_metres = uv_metres
        self.verts = []   # (position, normal, uv)
        self.tris = []    # index triples into verts

    def quad(self, p, a, b, uv0=None, uv_a=None, uv_b=None):
        """Quad p, p+a, p+a+b, p+b; the normal is a x b (outward).
        UVs default to world distance along a and b from the world origin."""
        n = _normalise(_cross(a, b))
        s = self.uv_metres
        if uv0 is None:
            la, lb = _len(a), _len(b)
            ua, ub = _scale(a, 1.0 / la), _scale(b, 1.0 / lb)
            uv0 = (_dot(p, ua) / s, _dot(p, ub) / s)
            uv_a, uv_b = (la / s, 0.0), (0.0, lb / s)
        i = len(self.verts)
        corners = (p, _add(p, a), _add(_add(p, a), b), _add(p, b))
        uvs = (uv0, (uv0[0] + uv_a[0], uv0[1] + uv_a[1]),
               (uv0[0] + uv_a[0] + uv_b[0], uv0[1] + uv_a[1] + uv_b[1]),
               (uv0[0] + uv_b[0], uv0[1] + uv_b[1]))
        for c, t in zip(corners, uvs):
            self.verts.append((c, n, t))
        self.tris += [(i, i + 1, i + 2), (i, i + 2, i + 3)]

    def box(self, x0, y0, z0, x1, y1, z1, skip=()):
        """Axis-aligned box; `skip` names faces not drawn ('-y', '+y', ...),
        which never changes its bounds while one face per axis remains."""
        dx, dy, dz = x1 - x0, y1 - y0, z1 - z0
        if '+x' not in skip:
            self.quad((x1, y0, z1), (0, 0, -dz), (0, dy, 0))
        if '-x' not in skip:
            self.quad((x0, y0, z0), (0, 0, dz), (0, dy, 0))
        if '+z' not in skip:
            self.quad((x0, y0, z1), (dx, 0, 0), (0, dy, 0))
        if '-z' not in skip:
            self.quad((x1, y0, z0), (-dx, 0, 0), (0, dy, 0))
        if '+y' not in skip:
            self.quad((x0, y1, z1), (dx, 0, 0), (0, 0, -dz))
        if '-y' not in skip:
            self.quad((x0, y0, z0), (dx, 0, 0), (0, 0, dz))

    def sloped_bar(self, x0, y0, x1, y1, height, z0, z1):
        """A bar along x between z0 and z1 whose underside runs from y0 at x0
        to y1 at x1 and whose upright sides are `height` tall: a hand rail
        or a stringer beside a flight."""
        if x1 < x0:
            x0, y0, x1, y1 = x1, y1, x0, y0
        run, rise, dz = (x1 - x0, y1 - y0, 0.0), (0.0, height, 0.0), z1 - z0
        self.quad((x0, y0, z0), rise, run)                     # -z
        self.quad((x0, y0, z1), run, rise)                     # +z
        self.quad((x0, y0 + height, z1), run, (0.0, 0.0, -dz))  # top
        self.quad((x0, y0, z0), run, (0.0, 0.0, dz))           # underside
        self.quad((x0, y0, z0), (0.0, 0.0, dz), rise)          # -x end
        self.quad((x1, y1, z1), (0.0, 0.0, -dz), rise)         # +x end

    def cylinder(self, centre, axis, radius, length, segments=8, caps=True):
        """Cylinder from `centre` along axis 'x', 'y' or 'z' for `length`."""
        ai = 'xyz'.index(axis)
        u_i, v_i = [i for i in range(3) if i != ai]
        circ = 2 * math.pi * radius
        for k in range(segments):
            a0 = 2 * math.pi * k / segments
            a1 = 2 * math.pi * (k + 1) / segments
            pts = []
            for a in (a0, a1):
                p = [0.0, 0.0, 0.0]
                p[u_i] = math.cos(a) * radius
                p[v_i] = math.sin(a) * radius
                pts.append(p)
            base0 = _add(centre, pts[0])
            base1 = _add(centre, pts[1])
            up = [0.0, 0.0, 0.0]
            up[ai] = length
            # order so that the outward normal comes out of (b1-b0) x up
            edge = _sub(base1, base0)
            outward = _normalise(_add(pts[0], pts[1]))
            uv0 = (circ * k / segments / self.uv_metres, _dot(centre, _unit(ai)) / self.uv_metres)
            uv_a = (circ / segments / self.uv_metres, 0.0)
            uv_b = (0.0, length / self.uv_metres)
            if _dot(_cross(edge, up), outward) > 0:
                self._quad_smooth(base0, edge, tuple(up), pts[0], pts[1], uv0, uv_a, uv_b)
            else:
                self._quad_smooth(base1, _scale(edge, -1), tuple(up), pts[1], pts[0], uv0, uv_a, uv_b)
        if caps:
            for end, sign in ((0.0, -1.0), (length, 1.0)):
                c = list(centre)
                c[ai] += end
                ring = []
                for k in range(segments):
                    a = 2 * math.pi * k / segments
                    p = list(c)
                    p[u_i] += math.cos(a) * radius
                    p[v_i] += math.sin(a) * radius
                    ring.append(tuple(p))
                n = [0.0, 0.0, 0.0]
                n[ai] = sign
                self.fan(tuple(c), ring, tuple(n))

    def _quad_smooth(self, p, a, b, n0, n1, uv0, uv_a, uv_b):
        i = len(self.verts)
        na, nb = _normalise(n0), _normalise(n1)
        self.verts += [(p, na, uv0), (_add(p, a), nb, (uv0[0] + uv_a[0], uv0[1])),
                       (_add(_add(p, a), b), nb, (uv0[0] + uv_a[0], uv0[1] + uv_b[1])),
                       (_add(p, b), na, (uv0[0], uv0[1] + uv_b[1]))]
        self.tris += [(i, i + 1, i + 2), (i, i + 2, i + 3)]

    def fan(self, centre, ring, normal):
        """Flat polygon; wound so that it faces `normal`."""
        n = _normalise(normal)
        # two in-plane axes for planar UVs
        t = _normalise(_cross(n, (0, 1, 0)) if abs(n[1]) < 0.9 else _cross(n, (1, 0, 0)))
        b = _cross(n, t)
        s = self.uv_metres
        i = len(self.verts)
        self.verts.append((centre, n, (_dot(centre, t) / s, _dot(centre, b) / s)))
        for p in ring:
            self.verts.append((p, n, (_dot(p, t) / s, _dot(p, b) / s)))
        m = len(ring)
        for k in range(m):
            a, c = i + 1 + k, i + 1 + (k + 1) % m
            if _dot(_cross(_sub(self.verts[a][0], centre), _sub(self.verts[c][0], centre)), n) >= 0:
                self.tris.append((i, a, c))
            else:
                self.tris.append((i, c, a))

    def sphere(self, centre, radius, rings=6, segments=10):
        """UV sphere with smooth normals."""
        i0 = len(self.verts)
        for r in range(rings + 1):
            phi = math.pi * r / rings
            for s in range(segments + 1):
                th = 2 * math.pi * s / segments
                n = (math.sin(phi) * math.cos(th), math.cos(phi), math.sin(phi) * math.sin(th))
                p = _add(centre, _scale(n, radius))
                self.verts.append((p, n, (s / segments * 2, 1 - r / rings)))
        w = segments + 1
        for r in range(rings):
            for s in range(segments):
                a, b = i0 + r * w + s, i0 + r * w + s + 1
                c, d = a + w, b + w
                # outward: from above, the ring runs clockwise in x-z, so a, b, d
                if r > 0:
                    self.tris.append((a, b, d))
                if r < rings - 1:
                    self.tris.append((a, d, c))

    def extend(self, other):
        """Appends another mesh's vertices and triangles, in their order."""
        base = len(self.verts)
        self.verts += other.verts
        self.tris += [(a + base, b + base, c + base) for a, b, c in other.tris]

    def bounds(self):
        xs = [v[0][0] for v in self.verts]
        ys = [v[0][1] for v in self.verts]
        zs = [v[0][2] for v in self.verts]
        return (min(xs), min(ys), min(zs)), (max(xs), max(ys), max(zs))


def write_obj(path, meshes, mtl_name, materials):
    """One OBJ file with one object per mesh, and its MTL beside it.
    materials: name -> diffuse texture file name."""
    lines = ["# Murkhaven level geometry, generated by tools/level/make_level.py",
             "mtllib " + mtl_name]
    base = 1
    for m in meshes:
        lines.append("o " + m.name)
        lines.append("usemtl " + m.material)
        for p, _, _ in m.verts:
            lines.append("v %.4f %.4f %.4f" % p)
        for _, _, t in m.verts:
            lines.append("vt %.4f %.4f" % t)
        for _, n, _ in m.verts:
            lines.append("vn %.4f %.4f %.4f" % n)
        for a, b, c in m.tris:
            lines.append("f %d/%d/%d %d/%d/%d %d/%d/%d" % (
                a + base, a + base, a + base, b + base, b + base, b + base, c + base, c + base, c + base))
        base += len(m.verts)
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    used = []
    for m in meshes:
        if m.material not in used:
            used.append(m.material)
    mtl = ["# Murkhaven materials, generated by tools/level/make_level.py"]
    for name in used:
        mtl += ["", "newmtl " + name, "Ka 0.05 0.05 0.05", "Kd 1.0 1.0 1.0", "Ks 0.2 0.2 0.2",
                "Ns 16", "d 1.0", "illum 2", "map_Kd " + materials[name]]
    with open(os.path.join(os.path.dirname(path), mtl_name), "w") as f:
        f.write("\n".join(mtl) + "\n")


def _add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def _sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def _scale(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def _dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def _cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def _len(a):
    return math.sqrt(_dot(a, a))


def _normalise(a):
    n = _len(a)
    return (a[0] / n, a[1] / n, a[2] / n) if n > 0 else (0.0, 0.0, 0.0)


def _unit(i):
    return tuple(1.0 if k == i else 0.0 for k in range(3))
