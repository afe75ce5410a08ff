"""Whether a newcomer finds the way: the length of the way out, the lit cues
along it, and the branches off it.

A cue is one of layout.CUES: it shines by itself, so it shows with the
flashlight off. From every point of the way the eye must see a cue that lies
ahead, within the far plane, past every wall, lintel and piece of furniture,
and no higher or lower than a player looking level takes in: a lamp over a
door a step or two away is above the picture, and a newcomer seldom looks up.
Under a cue, at its door, the door is in front of the eye instead.
A branch is walkable space more than MOUTH metres of walking off the way; it
may reach no further than BRANCH_LIMIT, so anything off the way is a short
dead end, seen from where it leaves it.
"""

import heapq
import math

from layout import CUES, LINTELS, PICKUPS, ROOMS, cue_box, room_of
from walker import CROUCH_H, GRID, STAND_H, CheckError

MOST_SECONDS = 40.0      # the way out at standing pace, from the start to the exit
LEAST_PICKUPS = 2        # pick-ups the way collects or passes near
NEAR_PICKUP = 2.0        # metres from the eye: in reach of a short step aside, or seen close below
FAR = 20.0               # the far plane: a cue further away is not drawn
SAMPLE = 0.5             # metres between the points of the way whose sight is checked
MOUTH = 2.5              # how far off the way still counts as on it (a room's breadth)
BRANCH_LIMIT = 7.0       # the deepest a branch may go, in metres of walking off the way
LOOK = 24.0              # degrees above or below level a cue may be; the view's half height is 30
AT_CUE = 1.2             # metres from a cue's foot within which the player stands at the door it marks


def way_points(rw, route):
    """(x, eye y, z, index) every SAMPLE metres along the way."""
    pts, last = [], None
    for _, path in route:
        for i, j, h, cr in path:
            x, z = rw.centre(i, j)
            if last is None or math.hypot(x - last[0], z - last[1]) >= SAMPLE:
                last = (x, z)
                pts.append((x, h + (CROUCH_H if cr else STAND_H), z))
    return pts


def blocked(a, b, boxes):
    """Whether the segment a-b passes through any box (slab test)."""
    d = [b[k] - a[k] for k in range(3)]
    for box in boxes:
        t0, t1 = 0.0, 1.0
        for k in range(3):
            lo, hi = box[k], box[k + 3]
            if abs(d[k]) < 1e-12:
                if a[k] <= lo or a[k] >= hi:
                    break
                continue
            u, v = (lo - a[k]) / d[k], (hi - a[k]) / d[k]
            if u > v:
                u, v = v, u
            t0, t1 = max(t0, u), min(t1, v)
            if t0 >= t1:
                break
        else:
            return True
    return False


def occluders(named):
    """Everything that hides a cue: the collidable boxes and the lintels,
    not the railings, seen through between their rails."""
    out = [tuple(mn) + tuple(mx) for name, mn, mx in named if not name.startswith("rail")]
    out += [(x0, bottom, z0, x1, 4.0, z1) for x0, z0, x1, z1, bottom, _ in LINTELS]
    return out


def cue_faces(centre, size):
    """Points just outside the middle of each side face and the bottom, so a
    cue counts as seen when any face it shows is."""
    x, y, z = centre
    sx, sy, sz = (s / 2 + 0.005 for s in size)
    return [(x + sx, y, z), (x - sx, y, z), (x, y, z + sz), (x, y, z - sz), (x, y - sy, z)]


def check_cues(named, rw, route, say):
    """Each point of the way sees a cue ahead of it, with the light off."""
    pts = way_points(rw, route)
    boxes = occluders(named)
    for name, centre, size in CUES:
        lo, hi = cue_box(centre, size)[:3], cue_box(centre, size)[3:]
        inside = [b for b in boxes if all(b[k] < hi[k] and lo[k] < b[k + 3] for k in range(3))]
        if inside:
            raise CheckError("the cue %s sits inside a solid or a lintel" % name)
    # a cue belongs to the point of the way nearest to it: ahead of the
    # points before that one (nearest in space, so a lantern under the
    # gallery belongs to the crawl below the deck, not to the deck above)
    station = [min(range(len(pts)), key=lambda k: math.dist(pts[k], c)) for _, c, _ in CUES]
    if station != sorted(station):
        raise CheckError("the cues are not in the order the way passes them: %s" % station)
    worst, seen_by, unseen = 0.0, [0] * len(CUES), []
    for k, eye in enumerate(pts):
        best = None
        for n, (name, centre, size) in enumerate(CUES):
            if station[n] < k:
                continue
            dist = math.dist(eye, centre)
            if dist > FAR:
                continue
            at_cue = math.hypot(centre[0] - eye[0], centre[2] - eye[2]) < AT_CUE
            if not at_cue and abs(math.degrees(math.asin((centre[1] - eye[1]) / dist))) > LOOK:
                continue
            if any(not blocked(eye, f, boxes) for f in cue_faces(centre, size)):
                best = n
                break
        if best is None:
            unseen.append("(%.2f, %.2f, %.2f)" % eye)
            continue
        seen_by[best] += 1
        worst = max(worst, math.dist(eye, CUES[best][1]))
    if unseen:
        raise CheckError("from %d points of the way no cue ahead is in sight: %s" % (len(unseen), ", ".join(unseen)))
    say("cues: from each of %d points of the way (every %.1f m) a lit cue ahead is in sight within %.0f degrees "
        "of level, at most %.1f m away; the nearest seen ahead:" % (len(pts), SAMPLE, LOOK, worst))
    for (name, _, _), count in zip(CUES, seen_by):
        say("  %-46s from %d points" % (name, count))
    return pts


def pickups_near(rw, route):
    """Names of the pick-ups the way passes within NEAR_PICKUP of the eye."""
    eyes = way_points(rw, route)
    return ["pick-up %d" % k for k, p in enumerate(PICKUPS)
            if min(math.dist(p, e) for e in eyes) <= NEAR_PICKUP]


def check_length(total, collected, near, say):
    if total > MOST_SECONDS:
        raise CheckError("the way out takes %.1f s of walking, more than %.0f" % (total, MOST_SECONDS))
    passed = collected + [name for name in near if name not in collected]
    if len(passed) < LEAST_PICKUPS:
        raise CheckError("the way out passes %d pick-ups, fewer than %d" % (len(passed), LEAST_PICKUPS))
    say("the way out: %.1f s of walking at standing pace (at most %.0f), collecting %s, passing %s" % (
        total, MOST_SECONDS, ", ".join(collected) or "none",
        ", ".join(name for name in passed if name not in collected) or "no other"))


def check_branches(w, states, route, say):
    """Walking distance from the way to everything walkable; groups of states
    further than MOUTH are branches, each listed with how deep it goes."""
    on_way = {s for _, path in route for s in path if s in states}
    dist = {s: 0.0 for s in on_way}
    heap = [(0.0, s) for s in on_way]
    heapq.heapify(heap)
    while heap:
        d, s = heapq.heappop(heap)
        if d > dist[s]:
            continue
        for n, _ in w.neighbours(s):
            step = GRID * (1.4142 if n[0] != s[0] and n[1] != s[1] else 1.0)
            if n in states and d + step < dist.get(n, 1e9):
                dist[n] = d + step
                heapq.heappush(heap, (d + step, n))
    far = {s for s, d in dist.items() if d > MOUTH}
    branches, left = [], set(far)
    while left:
        first = left.pop()
        group, todo = [first], [first]
        while todo:
            s = todo.pop()
            for n, _ in w.neighbours(s):
                if n in left:
                    left.discard(n)
                    group.append(n)
                    todo.append(n)
        deepest = max(group, key=lambda s: dist[s])
        branches.append((dist[deepest], deepest, len(group)))
    branches.sort(reverse=True)
    say("branches off the way (space further than %.1f m of walking from it; at most %.1f m deep):" % (
        MOUTH, BRANCH_LIMIT))
    for depth, (i, j, h, cr), count in branches:
        x, z = w.centre(i, j)
        say("  %-15s %.1f m deep at (%.2f, %.2f), %.1f m2" % (
            ROOMS[room_of(x, z)][0], depth, x, z, count * GRID * GRID / (2 if cr else 1)))
    if branches and branches[0][0] > BRANCH_LIMIT:
        depth, s, _ = branches[0]
        raise CheckError("a branch off the way goes %.1f m deep, to (%.2f, %.2f): close it or make it shorter "
                         "than %.1f" % ((depth,) + w.centre(s[0], s[1]) + (BRANCH_LIMIT,)))
    return branches


def check_start_room(w, start, door, say):
    """The start room has one way out, the way itself: with its door shut, the
    start room is all a walk from the start reaches."""
    (x0, z0), (x1, z1) = door
    shut, _, _ = w.walk(start, forbid=lambda wk, s: x0 <= wk.centre(s[0], s[1])[0] <= x1 and
                        z0 <= wk.centre(s[0], s[1])[1] <= z1)
    rooms = {ROOMS[room_of(*w.centre(i, j))][0] for i, j, _, _ in shut}
    if rooms != {ROOMS[room_of(*start)][0]}:
        raise CheckError("the start room has another way out, into %s" % ", ".join(sorted(rooms)))
    say("the start room's one way out is the way itself")
