"""Checks the written level the way the game will read it.

Reads SCENE.txt with the game's own splitting rule, every OBJ/MTL it names,
and walks the level with the capsule model of walker.py.
"""

import os

import surfaces
import wayfinding
from layout import FLIGHTS, PASSAGES
from mapping import draw_map, write_route
from pngio import read_png_header
from walker import CROUCH_H, GRID, RADIUS, STAIR_MAX, STAND_H, STEP, CheckError, Walker

INNER = (-7.9, -14.7, 4.2, 8.6)   # inside of the outer walls (the corridor's lies 5 cm further west)
START = (2.92, 0.262)
CAPSULE = 0.2                     # the controller's radius, without its contact offset
WIDE, TIGHT = 0.9, 0.7            # free width of a passage, and of a squeeze


# Trigger boxes: name, x range, z range, "below"/"above", on the route?
BOXES = [
    ("pick-up 0", (-6.0, -5.2), (6.8, 7.6), "below", False),
    ("pick-up 1", (-0.9, -0.1), (7.1, 7.9), "below", False),
    ("pick-up 2", (2.6, 3.4), (-8.2, -7.4), "below", False),
    ("voice 1", (-6.0, -5.5), (3.2, 3.4), "below", True),
    ("voice 2", (-3.0, -2.6), (-12.8, -12.4), "above", True),
    ("voice 3", (-7.8, -7.2), (-8.0, -7.8), "below", True),
    ("voice 4", (0.5, 1.0), (6.2, 6.8), "above", True),
    ("enemy 1", (-3.4, -3.0), (-12.8, -12.4), "above", True),
    ("enemy 2", (-7.8, -7.2), (-13.5, -13.0), "below", True),
    ("exit", (-4.7, -2.3), (4.2, 7.8), "above", False),
]


def split_scene_line(line):
    """The game's rule: a field ends at the first ',', the next field starts
    two characters later; the sixth field is the rest."""
    fields, rest = [], line
    for _ in range(5):
        p = rest.find(",")
        if p < 0:
            raise CheckError("object line with fewer than six fields: %r" % line)
        fields.append(rest[:p])
        rest = rest[p + 2:]
    fields.append(rest)
    return fields


def read_scene(path):
    with open(path, newline="") as f:
        lines = [l.rstrip("\n").rstrip("\r") for l in f]
    out, i = [], 0
    for marker in ("//PLAYER OBJECTS", "//ENEMY OBJECTS", "//SCENE OBJECTS"):
        while i < len(lines) and lines[i] != marker:
            i += 1
        if i == len(lines):
            raise CheckError("marker missing: " + marker)
        i += 1
        while i < len(lines) and lines[i] != "//END":
            out.append(split_scene_line(lines[i]))
            i += 1
        if i == len(lines):
            raise CheckError("//END missing after " + marker)
        i += 1
    return out


def read_obj(path):
    """Objects in file order: dict(name, material, positions, normals, tris)."""
    v, vn, objs, mtllib = [], [], [], None
    cur = None
    with open(path) as f:
        for line in f:
            parts = line.split()
            if not parts or parts[0].startswith("#"):
                continue
            if parts[0] == "mtllib":
                mtllib = parts[1]
            elif parts[0] == "o":
                cur = {"name": parts[1], "materials": [], "tris": []}
                objs.append(cur)
            elif parts[0] == "usemtl":
                if cur is None:
                    raise CheckError(path + ": usemtl before any object")
                cur["materials"].append(parts[1])
            elif parts[0] == "v":
                v.append(tuple(float(x) for x in parts[1:4]))
            elif parts[0] == "vn":
                vn.append(tuple(float(x) for x in parts[1:4]))
            elif parts[0] == "f":
                if cur is None:
                    raise CheckError(path + ": face before any object")
                idx = [p.split("/") for p in parts[1:]]
                if len(idx) != 3:
                    raise CheckError(path + ": faces must be triangles")
                cur["tris"].append([(v[int(a[0]) - 1], vn[int(a[2]) - 1]) for a in idx])
    names = [o["name"] for o in objs]
    if len(set(names)) != len(names):
        raise CheckError(path + ": object names repeat (the importer would merge them)")
    for o in objs:
        if len(o["materials"]) != 1:
            raise CheckError("%s: object %s needs exactly one material" % (path, o["name"]))
        if not o["tris"]:
            raise CheckError("%s: object %s is empty" % (path, o["name"]))
        pts = [p for t in o["tris"] for p, _ in t]
        o["min"] = tuple(min(p[k] for p in pts) for k in range(3))
        o["max"] = tuple(max(p[k] for p in pts) for k in range(3))
    return objs, mtllib


def read_mtl(path):
    mats, cur = {}, None
    with open(path) as f:
        for line in f:
            parts = line.split()
            if not parts:
                continue
            if parts[0] == "newmtl":
                cur = parts[1]
                mats[cur] = {}
            elif cur:
                mats[cur][parts[0]] = " ".join(parts[1:])
    return mats


def winding_faults(obj):
    """Triangles whose winding disagrees with their normals."""
    bad = 0
    for tri in obj["tris"]:
        (a, na), (b, nb), (c, nc) = tri
        e1 = [b[k] - a[k] for k in range(3)]
        e2 = [c[k] - a[k] for k in range(3)]
        g = (e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0])
        n = [na[k] + nb[k] + nc[k] for k in range(3)]
        if sum(g[k] * n[k] for k in range(3)) <= 0:
            bad += 1
    return bad


def texture_ok(tex_dir, name):
    path = os.path.join(tex_dir, name.replace("\\", "/").split("/")[-1])
    if not os.path.isfile(path):
        return "missing"
    if path.endswith(".png"):
        w, h, depth, ctype = read_png_header(path)
        if depth != 8 or ctype != 2:
            return "not 24-bit RGB"
    return None


def eye_in_box(walker, state, box):
    _, (x0, x1), (z0, z1), side, _ = box
    i, j, h, cr = state
    x, z = walker.centre(i, j)
    if not (x0 < x < x1 and z0 < z < z1):
        return False
    eye = h + (CROUCH_H if cr else STAND_H)
    return eye < 2.0 if side == "below" else eye > 2.0


def box_margin(walker, state, box):
    _, (x0, x1), (z0, z1), _, _ = box
    x, z = walker.centre(state[0], state[1])
    return min(x - x0, x1 - x, z - z0, z1 - z)


def measure(named, passage):
    """Free width across a passage of PASSAGES: between the nearest solids on
    either side of its point that stand in its stretch and that a capsule on
    its floor can neither step onto nor pass under. Returns the width and
    (coordinate, solid's name) of each side."""
    _, kind, along, (t0, t1), at, (low, high) = passage
    a = 0 if along == "x" else 2
    c = 2 - a
    height = CROUCH_H if kind == "crawl" else STAND_H
    left, right = (float("-inf"), "nothing"), (float("inf"), "nothing")
    for name, mn, mx in named:
        if mx[1] <= high + STEP + 1e-6 or mn[1] >= low + height:
            continue
        if mx[a] <= t0 + 1e-6 or mn[a] >= t1 - 1e-6:
            continue
        if mn[c] < at < mx[c]:
            return 0.0, (at, name), (at, name)
        if mx[c] <= at and mx[c] > left[0]:
            left = (mx[c], name)
        if mn[c] >= at and mn[c] < right[0]:
            right = (mn[c], name)
    return right[0] - left[0], left, right


def check_passages(named, say):
    """Every passage on the way keeps its width; returns the measured sides."""
    sides = []
    for passage in PASSAGES:
        name, kind, along = passage[:3]
        need = TIGHT if kind == "squeeze" else WIDE
        width, left, right = measure(named, passage)
        sides.append((left[0], right[0]))
        say("  %-54s %-7s %.2f m free, %.2f for the centre (%s | %s)" % (
            name, kind, width, width - 2 * CAPSULE, left[1], right[1]))
        if width == float("inf"):
            raise CheckError("%s is open on one side: its point in PASSAGES misses it" % name)
        if width < need - 1e-6:
            raise CheckError("%s is %.2f m wide between %s and %s, %.2f for the capsule's centre: a %s needs "
                             "%.2f (%.2f)" % (name, width, left[1], right[1], width - 2 * CAPSULE, kind,
                                              need, need - 2 * CAPSULE))
    return sides


def check_flights(w, states, named, say):
    """The walker gets onto each flight only over its foot or its top: from
    the side the controller sticks on a step's edge, so the sides are railed."""
    for fname, prefix in FLIGHTS:
        steps = [(mn, mx) for name, mn, mx in named if name.startswith(prefix)]
        if len(steps) < 2:
            raise CheckError("%s: no steps named %s*" % (fname, prefix))
        lo = [min(mn[k] for mn, _ in steps) for k in range(3)]
        hi = [max(mx[k] for _, mx in steps) for k in range(3)]
        low, top = min(steps, key=lambda b: b[1][1]), max(steps, key=lambda b: b[1][1])
        rise = [abs((top[0][k] + top[1][k]) - (low[0][k] + low[1][k])) for k in (0, 2)]
        c = 2 if rise[0] > rise[1] else 0    # across the flight

        def inside(x, z):
            return lo[0] < x < hi[0] and lo[2] < z < hi[2]
        on = 0
        for s in states:
            x, z = w.centre(s[0], s[1])
            if inside(x, z):
                on += 1
                continue
            if not (lo[0] - 0.1 < x < hi[0] + 0.1 and lo[2] - 0.1 < z < hi[2] + 0.1):
                continue
            across = z if c == 2 else x
            for n, _ in w.neighbours(s):
                if inside(*w.centre(n[0], n[1])) and not lo[c] < across < hi[c]:
                    raise CheckError("the walker steps onto %s from its side at (%.2f, %.2f), floor %.2f: "
                                     "rail its sides" % (fname, x, z, s[2]))
        if not on:
            raise CheckError("%s cannot be reached" % fname)
        say("  %-27s climbed from its foot or top only" % fname)


def check(data_dir, map_path=None, verbose=True, route_path=None):
    say = print if verbose else (lambda *a: None)
    scene = read_scene(os.path.join(data_dir, "SCENE.txt"))
    tex_dir = os.path.join(data_dir, "Assets", "Textures")
    objects = []   # (line index, fields, obj)
    tri_total = 0
    for n, fields in enumerate(scene):
        model, shader, shape, density, dynamic, normal_map = fields
        objs, mtllib = read_obj(os.path.join(data_dir, model))
        mats = read_mtl(os.path.join(os.path.dirname(os.path.join(data_dir, model)), mtllib))
        for o in objs:
            mat = mats.get(o["materials"][0])
            if mat is None or "map_Kd" not in mat:
                raise CheckError("%s: %s has no diffuse texture" % (model, o["name"]))
            fault = texture_ok(tex_dir, mat["map_Kd"])
            if fault:
                raise CheckError("%s: texture %s %s" % (model, mat["map_Kd"], fault))
            if float(mat.get("d", "1")) != 1.0:
                raise CheckError("%s: %s is not opaque" % (model, o["name"]))
            bad = winding_faults(o)
            if bad:
                raise CheckError("%s: %d triangles of %s wind against their normals" % (model, bad, o["name"]))
            tri_total += len(o["tris"])
            objects.append((n, fields, o))
        if normal_map:
            fault = texture_ok(tex_dir, normal_map)
            if fault:
                raise CheckError("normal map %s %s" % (normal_map, fault))
        for s in (shader,):
            if s not in ("default", "rim", "glow", "energy"):
                raise CheckError("unexpected shader " + s)
    n = len(objects)
    say("scene: %d lines, %d objects, %d triangles" % (len(scene), n, tri_total))
    surfaces.check_coplanar([(o["name"], o["materials"][0], o["tris"]) for _, _, o in objects], say)

    # object order the renderer and the rules rely on
    def obj(k):
        return objects[k]
    if obj(0)[1][2] != "none":
        raise CheckError("object 0 must have no body")
    if obj(1)[1][1] != "rim" or obj(1)[1][2] != "none":
        raise CheckError("object 1 must be the held light: rim, no body")
    for k in range(n - 3, n):
        f, o = obj(k)[1], obj(k)[2]
        if f[1] != "energy" or f[2] != "none":
            raise CheckError("the last three objects must be pick-ups: energy, no body")
        if max(abs(c) for c in o["min"] + o["max"]) > 0.3:
            raise CheckError("pick-up %s must sit at the origin (placed by translation)" % o["name"])
    if sum(1 for line, _, _ in objects if line == obj(n - 4)[0]) != 1:
        raise CheckError("object n-4, drawn from both sides, must be alone in its model file")
    say("object 0: %s; object 1: %s; objects 2-4: %s; object n-4 (%d): %s; pick-ups: %s" % (
        obj(0)[2]["name"], obj(1)[2]["name"], ", ".join(obj(k)[2]["name"] for k in (2, 3, 4)),
        n - 4, obj(n - 4)[2]["name"], ", ".join(obj(k)[2]["name"] for k in range(n - 3, n))))

    solids, named = [], []
    for _, fields, o in objects:
        if fields[2] in ("box", "mesh"):
            solids.append((o["min"], o["max"]))
            named.append((o["name"], o["min"], o["max"]))
            if fields[4] == "TRUE":
                raise CheckError("level pieces must be static")
    say("collidable boxes: %d" % len(solids))

    # the lamp and the television
    lamp = (-3.8, 3.0, -7.5)
    for mn, mx in solids:
        if mn[0] < lamp[0] < mx[0] and mn[2] < lamp[2] < mx[2] and mn[1] < 3.2 and mx[1] > 0.8:
            raise CheckError("something solid hangs in the lamp's light")
    ceilings = [o for _, f, o in objects if f[0].endswith("/ceiling.obj")]
    lamp_ceiling = [t[0][0][1] for ceil in ceilings for t in ceil["tris"]
                    if min(p[0] for p, _ in t) <= lamp[0] <= max(p[0] for p, _ in t) and
                    min(p[2] for p, _ in t) <= lamp[2] <= max(p[2] for p, _ in t)]
    if not lamp_ceiling or min(lamp_ceiling) <= 3.2:
        raise CheckError("the lamp hall needs a ceiling above 3.0 (found %s)" % lamp_ceiling)
    tv = [o for _, _, o in objects if o["name"] == "tv_body"]
    tvp = (2.25, 1.2, -1.94)
    if not tv or any(not (tv[0]["min"][k] - 0.2 <= tvp[k] <= tv[0]["max"][k] + 0.2) for k in range(3)):
        raise CheckError("no television at the static noise")
    lamp_low = min(o["min"][1] for _, _, o in objects if o["name"] == "lamp" and
                   o["min"][0] <= lamp[0] <= o["max"][0])
    say("lamp hall ceiling %.2f; television at %s" % (min(lamp_ceiling), tvp))

    # walking
    w = Walker(solids, RADIUS)
    states, rise, rises = w.walk(START)
    if rise > STAIR_MAX + 1e-6:
        raise CheckError("a step of %.3f (at %s) is higher than %.2f" % (rise, rises[round(rise, 3)], STAIR_MAX))
    say("walkable states %d, highest step %.3f" % (len(states), rise))
    for i, j, h, cr in states:
        x, z = w.centre(i, j)
        if not (INNER[0] < x < INNER[2] and INNER[1] < z < INNER[3]):
            raise CheckError("the player gets out of the level at (%.2f, %.2f)" % (x, z))
    results = {}
    for box in BOXES:
        inside = [s for s in states if eye_in_box(w, s, box) and not s[3]]
        if not inside:
            raise CheckError("%s cannot be reached" % box[0])
        best = max(inside, key=lambda s: box_margin(w, s, box))
        results[box[0]] = (box_margin(w, best, box), best)
        x, z = w.centre(best[0], best[1])
        say("  %-9s reachable; deepest eye point (%.2f, %.2f), floor %.2f, %.2f inside its edges%s" % (
            box[0], x, z, best[2], box_margin(w, best, box), " (crouched)" if best[3] else ""))
    exit_box = BOXES[-1]

    def reaches_exit(st):
        return any(eye_in_box(w, s, exit_box) for s in st)

    # the way out needs no crouching: a game pad cannot crouch the body, only
    # the view; the crawl leads off the way, to a pick-up
    standing, _, _ = w.walk(START, allow_crouch=False)
    if not reaches_exit(standing):
        raise CheckError("the exit can only be reached crouching")
    crouch_only = {(i, j) for i, j, h, cr in states} - {(i, j) for i, j, h, cr in states if not cr}
    clear = []
    for c in crouch_only:
        spans = [y0 for y0, y1 in w.cells.get(c, ()) if y0 > 0.3]
        if spans:
            clear.append(min(spans))
    lo, hi = min(clear), max(clear)
    if not (CROUCH_H < lo and hi < STAND_H):
        raise CheckError("crouch clearance %.2f..%.2f is not between 0.6 and 1.2" % (lo, hi))
    say("crouch-only area %.1f m2, clearance %.2f..%.2f" % (len(crouch_only) * GRID * GRID, lo, hi))

    # every strip on the way is crossed: without it the exit is out of reach.
    # Judged by the floor under the player, not the eye: crouching lowers the
    # eye under 2.0, so a crouching player slips through the raised boxes
    # unheard; that is the rules, not the level.
    def on_floor_of(wk, s, b):
        _, (x0, x1), (z0, z1), side, _ = b
        x, z = wk.centre(s[0], s[1])
        raised = s[2] > 0.8
        return x0 < x < x1 and z0 < z < z1 and raised == (side == "above")

    for box in BOXES:
        if not box[4]:
            continue
        cut, _, _ = w.walk(START, forbid=lambda wk, s, b=box: on_floor_of(wk, s, b))
        if reaches_exit(cut):
            raise CheckError("the way to the exit can avoid " + box[0])
    say("every route to the exit crosses voice 1-4 and enemy 1-2")

    say("passages on the way, measured between the solids beside them:")
    sides = check_passages(named, say)
    check_flights(w, states, named, say)

    # no gaps: a thinner capsule does not leave the level either
    thin = Walker(solids, 0.12)
    thin_states, _, _ = thin.walk(START)
    for i, j, h, cr in thin_states:
        x, z = thin.centre(i, j)
        if not (INNER[0] < x < INNER[2] and INNER[1] < z < INNER[3]):
            raise CheckError("a gap in the walls at (%.2f, %.2f)" % (x, z))
    say("outer walls closed (checked with a 0.12 capsule)")

    # the way out: every trigger box and the pick-ups on it, in the order
    # the level leads a player through them
    order = ["pick-up 2", "voice 2", "enemy 2", "voice 3", "voice 1", "voice 4", "exit"]
    byname = {b[0]: b for b in BOXES}
    # planned with a capsule 9 cm wider, so the waypoints keep off the walls
    rw = Walker(solids, RADIUS + 0.09)
    here, total, legs, route = rw.start_state(START), 0.0, [], []
    for name in order:
        t, here, path = rw.fastest(here, lambda s, b=byname[name]: eye_in_box(rw, s, b) or
                                   (b[3] == "below" and on_floor_of(rw, s, b)))
        total += t
        legs.append("%s %.0f s" % (name, total))
        route.append((name, path))
    say("quickest round %.0f s of walking: %s" % (total, ", ".join(legs)))
    wayfinding.check_length(total, [name for name in order if name.startswith("pick-up")],
                            wayfinding.pickups_near(rw, route), say)
    for (name, kind, along, (t0, t1), at, (low, high)), (left, right) in zip(PASSAGES, sides):
        a = 0 if along == "x" else 1
        if not any(t0 < rw.centre(i, j)[a] < t1 and left < rw.centre(i, j)[1 - a] < right and
                   low - 1e-6 <= h <= high + 1e-6 for _, p in route for i, j, h, _ in p):
            raise CheckError("the quickest round no longer goes through %s: fix PASSAGES" % name)

    # nowhere else on the way is narrower: a capsule that needs the full
    # width, less only in the squeezes, keeps up with the whole round (within
    # 0.3 m: it keeps further from the walls than the route's own capsule)
    def fitting(width):  # the widest capsule sure to find a grid cell in a gap this wide
        return (width - GRID) / 2 - 0.005
    tighter = []
    for (name, kind, along, (t0, t1), at, _), (left, right) in zip(PASSAGES, sides):
        if kind == "squeeze":
            m = WIDE / 2     # and the wide capsule's reach past the squeeze's ends
            (a0, a1), (c0, c1) = (t0 - m, t1 + m), (left - m, right + m)
            x0, x1, z0, z1 = (a0, a1, c0, c1) if along == "x" else (c0, c1, a0, a1)
            tighter.append((x0, z0, x1, z1, fitting(TIGHT)))
    wide = Walker(solids, fitting(WIDE), tighter)
    wide_states, _, _ = wide.walk(START)
    reached = {(i, j) for i, j, _, _ in wide_states}
    near = [(di, dj) for di in range(-6, 7) for dj in range(-6, 7) if di * di + dj * dj <= 36]
    for name, p in route:
        for i, j, _, _ in p:
            if not any((i + di, j + dj) in reached for di, dj in near):
                raise CheckError("the way to %s narrows under %.1f m near (%.2f, %.2f), and PASSAGES names no "
                                 "squeeze there" % ((name, WIDE) + rw.centre(i, j)))
    say("the whole round stays open to a capsule that needs %.1f m (%.1f in the squeezes)" % (WIDE, TIGHT))

    wayfinding.check_cues(named, rw, route, say)
    wayfinding.check_branches(w, states, route, say)
    door = PASSAGES[0]   # the start room's door
    wayfinding.check_start_room(w, START, ((door[4] - 0.6, door[3][0] - 0.25), (door[4] + 0.6, door[3][1] + 0.25)), say)

    if route_path:
        write_route(route_path, rw, route)
        say("route written to " + route_path)

    if map_path:
        draw_map(map_path, w, states, crouch_only, solids, [(rw, st) for _, p in route for st in p],
                 BOXES, START)
        say("map written to " + map_path)
    return {"objects": n, "triangles": tri_total, "boxes": results, "solids": len(solids)}
