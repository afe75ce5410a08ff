"""Faces that would fight for depth: two faces of different materials in one
plane, facing the same way and overlapping, draw in stripes of either as the
view moves (a door frame's inner face in the plane of the wall's end did)."""

from collections import defaultdict

from walker import CheckError

AREA = 1e-5   # overlaps smaller than this (touching edges) do not show


def plane_of(tri):
    """(axis, facing, coordinate) of an axis-aligned triangle, else None."""
    a, b, c = (p for p, _ in tri)
    e1 = [b[k] - a[k] for k in range(3)]
    e2 = [c[k] - a[k] for k in range(3)]
    n = (e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0])
    axis = max(range(3), key=lambda k: abs(n[k]))
    length = sum(x * x for x in n) ** 0.5
    if length < 1e-12 or abs(n[axis]) < 0.999 * length:
        return None
    return axis, n[axis] > 0, round(a[axis], 4)


def check_coplanar(objects, say):
    """`objects`: (name, material, triangles) of every drawn object."""
    planes = defaultdict(list)
    for name, material, tris in objects:
        for tri in tris:
            key = plane_of(tri)
            if key is None:
                continue
            u, v = [k for k in range(3) if k != key[0]]
            us, vs = [p[u] for p, _ in tri], [p[v] for p, _ in tri]
            planes[key].append((material, name, min(us), max(us), min(vs), max(vs)))
    faults = []
    for (axis, _, at), faces in planes.items():
        faces.sort(key=lambda f: f[2])
        for k, (m, n, u0, u1, v0, v1) in enumerate(faces):
            for m2, n2, p0, p1, q0, q1 in faces[k + 1:]:
                if p0 >= u1:
                    break
                if m2 != m and (min(u1, p1) - max(u0, p0)) * (min(v1, q1) - max(v0, q0)) > AREA and \
                        min(v1, q1) > max(v0, q0):
                    faults.append("%s and %s at %s = %.3f" % (n, n2, "xyz"[axis], at))
    if faults:
        raise CheckError("faces of different materials overlap in one plane, facing the same way: %s%s" % (
            "; ".join(sorted(set(faults))[:4]), " ..." if len(set(faults)) > 4 else ""))
    say("no two faces of different materials overlap in one plane")
