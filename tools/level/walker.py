"""A model of the player's capsule walking the level on a 5 cm grid.

Radius 0.2 plus the 0.01 contact offset, 1.2 tall standing and 0.6 crouched,
climbing up to 0.3. Each collidable mesh is its bounding box, as in the game.
"""

import heapq
from collections import deque

GRID = 0.05
STEP = 0.3            # the controller's step offset
STAIR_MAX = 0.25      # what the level promises per step
STAND_H, CROUCH_H = 1.2, 0.6
RADIUS = 0.21         # capsule radius plus contact offset


class CheckError(Exception):
    pass


class Walker:
    def __init__(self, boxes, radius, tighter=()):
        """`tighter`: (x0, z0, x1, z1, radius) areas where the capsule is
        thinner than `radius`, for walking a wide capsule through squeezes."""
        self.x0, self.z0 = -9.0, -16.0
        self.nx, self.nz = int(14.5 / GRID), int(26.0 / GRID)
        self.cells = {}  # (i, j) -> list of (ymin, ymax) of boxes within radius
        reach = max([radius] + [t[4] for t in tighter])

        def radius_at(x, z):
            for x0, z0, x1, z1, r in tighter:
                if x0 <= x <= x1 and z0 <= z <= z1:
                    return r
            return radius
        for (bx0, by0, bz0), (bx1, by1, bz1) in boxes:
            i0, i1 = self.index(bx0 - reach, bz0 - reach), self.index(bx1 + reach, bz1 + reach)
            for i in range(max(0, i0[0]), min(self.nx, i1[0] + 1)):
                cx = self.x0 + (i + 0.5) * GRID
                dx = max(bx0 - cx, 0.0, cx - bx1)
                for j in range(max(0, i0[1]), min(self.nz, i1[1] + 1)):
                    cz = self.z0 + (j + 0.5) * GRID
                    dz = max(bz0 - cz, 0.0, cz - bz1)
                    r = radius_at(cx, cz) if tighter else radius
                    if dx * dx + dz * dz < r * r:
                        self.cells.setdefault((i, j), []).append((by0, by1))

    def index(self, x, z):
        return int((x - self.x0) / GRID), int((z - self.z0) / GRID)

    def centre(self, i, j):
        return self.x0 + (i + 0.5) * GRID, self.z0 + (j + 0.5) * GRID

    def settle(self, cell, h, height):
        """Height the capsule stands at after moving onto `cell` from height h,
        or None when it does not fit there."""
        spans = self.cells.get(cell, ())
        new_h = 0.0
        for y0, y1 in spans:
            if y1 <= h + STEP + 1e-6 and y1 > new_h:
                new_h = y1
        for y0, y1 in spans:
            if y1 > new_h + 0.01 and y0 < new_h + height:
                return None
        return new_h

    def neighbours(self, state, allow_crouch=True):
        """(next state, seconds) pairs: crouching or standing up in place, or
        one grid step in eight directions at walking or crouching speed."""
        i, j, h, cr = state
        out = []
        if allow_crouch:
            other = not cr
            hh = self.settle((i, j), h, CROUCH_H if other else STAND_H)
            if hh is not None and abs(hh - h) < 1e-6:
                out.append(((i, j, h, other), 0.2))
        height = CROUCH_H if cr else STAND_H
        speed = 1.0 if cr else 1.5
        for di, dj in ((1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (1, -1), (-1, 1), (-1, -1)):
            ni, nj = i + di, j + dj
            if not (0 <= ni < self.nx and 0 <= nj < self.nz):
                continue
            nh = self.settle((ni, nj), h, height)
            if nh is None:
                continue
            if di and dj and (self.settle((i + di, j), h, height) is None or
                              self.settle((i, j + dj), h, height) is None):
                continue
            out.append(((ni, nj, nh, cr), GRID * (1.4142 if di and dj else 1.0) / speed))
        return out

    def start_state(self, start_xz):
        si, sj = self.index(*start_xz)
        h0 = self.settle((si, sj), 0.0, STAND_H)
        if h0 is None:
            raise CheckError("the start position is inside something")
        return (si, sj, h0, False)

    def walk(self, start_xz, allow_crouch=True, forbid=None):
        """Breadth-first walk. States: (i, j, h, crouched). Returns the set of
        states, the largest step up taken and where it was."""
        first = self.start_state(start_xz)
        seen, queue, max_rise = {first}, deque([first]), 0.0
        rises = {}
        while queue:
            s = queue.popleft()
            for n, _ in self.neighbours(s, allow_crouch):
                if n[2] - s[2] > max_rise:
                    max_rise = n[2] - s[2]
                    rises[round(max_rise, 3)] = self.centre(n[0], n[1])
                if n in seen:
                    continue
                if forbid and forbid(self, n):
                    continue
                seen.add(n)
                queue.append(n)
        return seen, max_rise, rises

    def fastest(self, start, goal):
        """Seconds, end state and the states on the way of the quickest walk
        from `start` to a state that satisfies `goal` (Dijkstra)."""
        best, parent = {start: 0.0}, {start: None}
        heap = [(0.0, start)]
        while heap:
            t, s = heapq.heappop(heap)
            if t > best.get(s, 1e9):
                continue
            if goal(s):
                path = []
                while s is not None:
                    path.append(s)
                    s = parent[s]
                return t, path[0], path[::-1]
            for n, dt in self.neighbours(s):
                nt = t + dt
                if nt < best.get(n, 1e9):
                    best[n] = nt
                    parent[n] = s
                    heapq.heappush(heap, (nt, n))
        raise CheckError("no way to the next goal")
