"""The level of Murkhaven: every room, wall, stair and piece of furniture.

World coordinates in metres, +y up, the ground at y = 0. The player starts in
the living room (east), goes south through the kitchen, over the raised
walkway of the boiler rooms, north up the service corridor into the lamp hall,
on north through the storeroom, squeezes out into the assembly hall, climbs
the stairs in front of the gallery and walks along it to the stage, which is
the exit. A crawl under the gallery leads to a pick-up behind it and up its
back stairs, for those who look for it; the way itself needs no crouching,
which a game pad cannot do.
The door off that way into the bedroom is boarded up, the passage beyond
the lamp hall has fallen in.

Collidable parts are one axis-aligned box each (the game gives a "box" body
the mesh's bounding box); everything else is decoration without a body.
"""

import math

from geometry import Mesh
from props import SHAPES, UV, Frame, legs

WALL_H = 4.0      # walls rise above every ceiling; the ceilings hide the rest
DOOR_H = 2.1

# (name, x0, z0, x1, z1, ceiling height, floor overlay material or None)
ROOMS = [
    ("service corridor", -7.95, -14.7, -7.05, -4.6, 2.8, None),
    ("pump room", -6.85, -14.7, -3.4, -11.2, 3.2, None),
    ("boiler room", -2.6, -14.7, 4.2, -11.2, 3.2, None),
    ("lamp hall", -6.85, -11.0, -1.95, -4.6, 3.8, None),
    ("kitchen", 0.6, -11.0, 4.2, -2.6, 2.8, "tiles"),
    ("crawl corridor", -4.7, -4.4, 0.4, -3.4, 2.6, None),
    ("storeroom", -7.9, -4.4, -4.7, 3.2, 2.6, None),
    ("bedroom", -4.5, -3.2, 0.4, 3.2, 2.6, "wood"),
    ("living room", 0.6, -2.4, 4.2, 3.2, 2.6, "wood"),
    ("assembly hall", -7.9, 3.4, 4.2, 8.6, 3.6, "wood"),
]

# Wall segments (x0, z0, x1, z1, material), full height. Gaps are doorways.
WALLS = [
    # outer shell; the service corridor's side stands out by 5 cm
    (-8.15, -14.9, -7.95, -4.4, "concrete"),
    (-8.1, -4.4, -7.9, 3.2, "plaster"),
    (-8.1, 3.2, -7.9, 8.8, "brick"),
    (4.2, -14.9, 4.4, -11.0, "concrete"),
    (4.2, -11.0, 4.4, -2.5, "tiles"),
    (4.2, -2.5, 4.4, 3.2, "plaster"),
    (4.2, 3.2, 4.4, 8.8, "brick"),
    (-7.95, -14.9, 4.2, -14.7, "concrete"),
    (-7.9, 8.6, 4.2, 8.8, "brick"),
    # service corridor | pump room and lamp hall (doorways at the south end and
    # into the hall). 0.9 wide about x -7.5, so whoever walks it stays inside
    # the voice and enemy strips that span x -7.8..-7.2.
    (-7.05, -13.7, -6.85, -11.0, "concrete"),
    (-7.05, -11.0, -6.85, -6.7, "brick"),
    (-7.05, -5.7, -6.85, -4.6, "brick"),
    # boiler rooms | lamp hall and kitchen (doorway from the kitchen)
    (-6.85, -11.2, 0.8, -11.0, "concrete"),
    (1.8, -11.2, 4.2, -11.0, "concrete"),
    # the partition between the boiler rooms; the walkway squeezes through it,
    # 0.8 wide, so the capsule cannot pass beside the strips at z -12.8..-12.4
    (-3.4, -14.7, -2.6, -13.0, "concrete"),
    (-3.4, -12.2, -2.6, -11.2, "concrete"),
    # kitchen | lamp hall, crawl corridor, bedroom | living room (doorway to the bedroom)
    (0.4, -11.0, 0.6, 0.8, "plaster"),
    (0.4, 1.6, 0.6, 3.2, "plaster"),
    # living room | kitchen (doorway)
    (0.6, -2.6, 3.0, -2.4, "plaster"),
    (4.0, -2.6, 4.2, -2.4, "plaster"),
    # lamp hall | storeroom (doorway) and crawl corridor; the hall ends in the
    # east at a wall, so nothing in it lies far from the way across its corner
    (-7.95, -4.6, -6.5, -4.4, "brick"),
    (-5.5, -4.6, 0.4, -4.4, "brick"),
    (-1.95, -11.0, -1.75, -4.6, "brick"),
    # crawl corridor | bedroom; storeroom | bedroom
    (-4.7, -3.4, 0.4, -3.2, "concrete"),
    (-4.7, -3.2, -4.5, 3.2, "plaster"),
    # storeroom and living room | assembly hall: the squeeze between the
    # shelves at x -6.15..-5.35, inside the voice strip at x -6.0..-5.5
    (-7.9, 3.2, -6.15, 3.4, "brick"),
    (-5.35, 3.2, 4.2, 3.4, "brick"),
]

# Lintels over the doorways: (x0, z0, x1, z1, bottom, material); decoration.
LINTELS = [
    (-7.05, -6.7, -6.85, -5.7, DOOR_H, "brick"),
    (-7.05, -14.7, -6.85, -13.7, 2.6, "concrete"),
    (0.8, -11.2, 1.8, -11.0, DOOR_H, "concrete"),
    (-3.4, -13.0, -2.6, -12.2, 2.6, "concrete"),
    (0.4, 0.8, 0.6, 1.6, DOOR_H, "plaster"),
    (3.0, -2.6, 4.0, -2.4, DOOR_H, "plaster"),
    (-6.5, -4.6, -5.5, -4.4, DOOR_H, "brick"),
    (-6.15, 3.2, -5.35, 3.4, DOOR_H, "brick"),
]

# Collidable blocks: (name, material, x0, y0, z0, x1, y1, z1[, shape, facing]).
# A shaped piece (chair, sofa, shelf, bed) fills its box's outline; the parts
# of the box it leaves empty lie above a seat or inside a shelf, where the
# player cannot stand anyway.
BLOCKS = [
    # the collapsed passage, fallen in to the floor: the corridor is shut
    ("collapsed_slab", "concrete", -3.6, 0.0, -4.4, -1.8, 2.6, -3.4),
    # boiler rooms: raised walkway through the partition, stairs at both ends;
    # the rails stand on its edges and beside the steps, 0.9 apart
    ("walkway", "concrete", -4.6, 0.0, -13.1, -1.2, 1.0, -12.1),
    ("walkway_step_e3", "metal", -1.2, 0.0, -13.05, -0.85, 0.75, -12.15),
    ("walkway_step_e2", "metal", -0.85, 0.0, -13.05, -0.5, 0.5, -12.15),
    ("walkway_step_e1", "metal", -0.5, 0.0, -13.05, -0.15, 0.25, -12.15),
    ("walkway_step_w3", "metal", -4.95, 0.0, -13.05, -4.6, 0.75, -12.15),
    ("walkway_step_w2", "metal", -5.3, 0.0, -13.05, -4.95, 0.5, -12.15),
    ("walkway_step_w1", "metal", -5.65, 0.0, -13.05, -5.3, 0.25, -12.15),
    ("boiler_1", "metal", 2.2, 0.0, -14.5, 3.9, 2.4, -13.0),
    ("boiler_2", "metal", 2.6, 0.0, -12.6, 3.9, 1.8, -11.45),
    ("crate_b1", "wood", -2.4, 0.0, -14.5, -1.4, 0.9, -13.6),
    # crates fill the floor north of the walkway, where a player heading for
    # the lamp over its doorway would walk past the stairs into a pocket
    ("crates_boiler_north", "wood", -2.6, 0.0, -12.05, -0.2, 1.6, -11.2),
    ("crates_pump_north", "wood", -5.65, 0.0, -12.05, -3.4, 1.6, -11.2),
    ("pump", "metal", -6.8, 0.0, -11.9, -6.0, 1.1, -11.35),
    ("crate_p1", "wood", -5.2, 0.0, -14.6, -4.2, 1.0, -13.7),
    ("crate_p2", "wood", -4.1, 0.0, -14.6, -3.5, 0.6, -14.0),
    # service corridor: junk in the dead end
    ("crate_s1", "wood", -7.85, 0.0, -5.3, -7.3, 0.6, -4.65),
    # kitchen
    ("workbench", "wood", 2.9, 0.0, -8.4, 4.2, 0.75, -7.7),
    ("counter", "tiles", 3.6, 0.0, -6.8, 4.2, 0.9, -3.6),   # clear of the doorway's corner
    ("kitchen_shelf", "metal", 0.6, 0.0, -7.5, 1.0, 2.0, -4.0, "shelf", "+x"),
    ("fridge", "metal", 3.5, 0.0, -10.9, 4.2, 1.8, -10.2),
    ("kitchen_table_top", "wood", 1.4, 0.7, -6.0, 2.4, 0.75, -5.0),
    # lamp hall
    ("lamp_table_top", "wood", -4.4, 0.72, -8.0, -3.2, 0.78, -7.0),
    ("chair_h1", "wood", -4.95, 0.0, -7.8, -4.5, 0.95, -7.35, "chair", "+x"),
    ("chair_h2", "wood", -3.0, 0.0, -7.7, -2.55, 0.95, -7.25, "chair", "-x"),
    ("bookcase_h1", "wood", -6.6, 0.0, -10.95, -4.8, 2.2, -10.5, "shelf", "+z"),
    ("bookcase_h2", "wood", -3.8, 0.0, -10.95, -2.0, 2.2, -10.5, "shelf", "+z"),
    ("pillar_h1", "concrete", -5.7, 0.0, -9.2, -5.3, 3.8, -8.8),
    ("pillar_h2", "concrete", -2.7, 0.0, -9.2, -2.3, 3.8, -8.8),
    # storeroom
    ("shelf_s1", "wood", -7.9, 0.0, 2.2, -6.15, 2.0, 3.2, "shelf", "-z"),
    ("shelf_s2", "wood", -5.35, 0.0, 2.2, -4.7, 2.0, 3.2, "shelf", "-z"),
    ("shelf_s3", "metal", -7.9, 0.0, -2.0, -7.4, 2.0, 1.4, "shelf", "+x"),
    ("crate_r1", "wood", -5.4, 0.0, -1.6, -4.7, 0.8, -0.6),
    ("crate_r2", "wood", -5.3, 0.0, 0.5, -4.7, 0.5, 1.1),
    # bedroom
    ("bed", "fabric", -4.4, 0.0, 1.0, -2.9, 0.9, 3.2, "bed", "-z"),
    ("wardrobe", "wood", -1.6, 0.0, 2.6, -0.4, 2.1, 3.2),
    ("desk", "wood", -4.4, 0.0, -3.2, -3.2, 0.75, -2.6),
    # living room
    ("tv_cabinet", "wood", 1.6, 0.0, -2.4, 2.9, 0.85, -1.9),
    ("sofa", "fabric", 1.4, 0.0, 1.4, 3.2, 0.8, 2.2, "sofa", "-z"),
    ("armchair", "fabric", 0.8, 0.0, -0.9, 1.5, 0.8, -0.2, "sofa", "+x"),
    ("coffee_table", "wood", 1.8, 0.0, -1.0, 2.5, 0.45, -0.4),
    ("bookshelf_l", "wood", 3.85, 0.0, 0.6, 4.2, 2.0, 2.4, "shelf", "-x"),
    # boards nailed across the doorway off the way
    ("bedroom_boards", "wood", 0.45, 0.0, 0.8, 0.55, 2.05, 1.6),
    # assembly hall: the stage is the exit, the gallery leads up to it from
    # the stairs in front; its back stairs rise behind it, reached by
    # crawling under it past pick-up 1, and crates close its east end
    ("stage", "wood", -4.9, 0.0, 4.4, -2.1, 1.0, 8.6),
    ("gallery", "metal", -2.1, 0.85, 6.0, 2.4, 1.0, 7.0),
    ("gallery_landing", "metal", 1.5, 0.85, 7.0, 2.4, 1.0, 8.0),
    ("gallery_step_1", "metal", 0.45, 0.0, 7.05, 0.8, 0.25, 7.95),
    ("gallery_step_2", "metal", 0.8, 0.0, 7.05, 1.15, 0.5, 7.95),
    ("gallery_step_3", "metal", 1.15, 0.0, 7.05, 1.5, 0.75, 7.95),
    ("gallery_front", "metal", 1.0, 0.85, 5.0, 1.95, 1.0, 6.0),
    ("gallery_front_step_1", "metal", -0.05, 0.0, 5.05, 0.3, 0.25, 5.95),
    ("gallery_front_step_2", "metal", 0.3, 0.0, 5.05, 0.65, 0.5, 5.95),
    ("gallery_front_step_3", "metal", 0.65, 0.0, 5.05, 1.0, 0.75, 5.95),
    ("hall_crates", "wood", 2.41, 0.0, 6.0, 4.2, 1.7, 7.0),
    ("pickup_stand", "wood", -0.6, 0.0, 7.4, -0.4, 0.82, 7.6),
    ("pallet", "wood", -5.8, 0.0, 6.99, -5.4, 0.22, 7.39),
    ("bench_1", "wood", -0.3, 0.0, 4.5, 0.6, 0.45, 4.9),
    ("bench_2", "wood", 1.1, 0.0, 4.5, 2.5, 0.45, 4.9),
    ("bench_3", "wood", -0.3, 0.0, 3.7, 0.6, 0.45, 4.1),
    ("bench_4", "wood", 1.1, 0.0, 3.7, 2.5, 0.45, 4.1),
    ("hall_piano", "wood", 2.8, 0.0, 8.0, 4.1, 1.2, 8.6),
    ("hall_crate", "wood", -7.8, 0.0, 7.8, -7.0, 0.9, 8.55),
]

# Railings: thin collidable boxes whose mesh is a rail with posts.
# (name, x0, z0, x1, z1, deck height)
RAILINGS = [
    ("rail_w_s", -4.6, -13.1, -3.4, -13.05, 1.0),
    ("rail_w_n", -4.6, -12.15, -3.4, -12.1, 1.0),
    ("rail_e_s", -2.6, -13.1, -1.2, -13.05, 1.0),
    ("rail_e_n", -2.6, -12.15, -1.2, -12.1, 1.0),
    ("rail_g_sw", -2.1, 6.0, 1.0, 6.05, 1.0),
    ("rail_g_se", 1.95, 6.0, 2.4, 6.05, 1.0),
    ("rail_f_s", 1.0, 5.0, 1.95, 5.05, 1.0),
    ("rail_f_e", 1.9, 5.05, 1.95, 6.0, 1.0),
    ("rail_g_n", -2.1, 6.95, 1.5, 7.0, 1.0),
    ("rail_g_e", 2.35, 6.05, 2.4, 8.0, 1.0),
    ("rail_l_n", 1.5, 7.95, 2.35, 8.0, 1.0),
]

# Rails beside the flights, standing on the floor: the steps are climbed from
# their foot only, never from the side, where the controller would stick on a
# step's edge. (name, x at the foot, x at the top, z0, z1); every flight runs
# along x in three steps of 0.25 up to a deck at 1.0.
STAIR_RAILS = [
    ("rail_se_s", -0.15, -1.2, -13.1, -13.05),
    ("rail_se_n", -0.15, -1.2, -12.15, -12.1),
    ("rail_sw_s", -5.65, -4.6, -13.1, -13.05),
    ("rail_sw_n", -5.65, -4.6, -12.15, -12.1),
    ("rail_sg_s", 0.45, 1.5, 7.0, 7.05),
    ("rail_sg_n", 0.45, 1.5, 7.95, 8.0),
    ("rail_sf_s", -0.05, 1.0, 5.0, 5.05),
    ("rail_sf_n", -0.05, 1.0, 5.95, 6.0),
]

# The passages the way out goes through, for the checker to measure in the
# written level: (name, kind, the axis walked along, its stretch along that
# axis, a point across it inside the passage, the floor there). A squeeze is
# meant to be tight: 0.7 of free width, 0.3 for the capsule's centre; every
# other kind needs 0.9, 0.5 for the centre. A crawl is measured crouched.
PASSAGES = [
    ("the living room's door to the kitchen", "door", "z", (-2.6, -2.4), 3.5, (0.0, 0.0)),
    ("the kitchen's door to the boiler room", "door", "z", (-11.2, -11.0), 1.3, (0.0, 0.0)),
    ("the walkway's east stairs", "stairs", "x", (-1.2, -0.15), -12.6, (0.0, 1.0)),
    ("the walkway over the boiler room", "passage", "x", (-2.6, -1.2), -12.6, (1.0, 1.0)),
    ("the walkway's doorway in the partition", "squeeze", "x", (-3.4, -2.6), -12.6, (1.0, 1.0)),
    ("the walkway over the pump room", "passage", "x", (-4.6, -3.4), -12.6, (1.0, 1.0)),
    ("the walkway's west stairs", "stairs", "x", (-5.65, -4.6), -12.6, (0.0, 1.0)),
    ("the pump room's door to the service corridor", "door", "x", (-7.05, -6.85), -14.2, (0.0, 0.0)),
    ("the service corridor", "passage", "z", (-13.7, -6.7), -7.5, (0.0, 0.0)),
    ("the service corridor's door to the lamp hall", "door", "x", (-7.05, -6.85), -6.2, (0.0, 0.0)),
    ("the lamp hall's door to the storeroom", "door", "z", (-4.6, -4.4), -6.0, (0.0, 0.0)),
    ("the storeroom's way between the shelves into the hall", "squeeze", "z", (2.2, 3.4), -5.75, (0.0, 0.0)),
    ("the way past the stage", "passage", "x", (-4.9, -2.1), 3.9, (0.0, 0.0)),
    ("the gallery's front stairs", "stairs", "x", (-0.05, 1.0), 5.5, (0.0, 1.0)),
    ("the gallery", "passage", "x", (-2.1, 1.5), 6.5, (1.0, 1.0)),
]

# The flights, by the names of their steps: climbed from the foot or the top
# only (the checker holds the walker to that).
FLIGHTS = [
    ("the walkway's east stairs", "walkway_step_e"),
    ("the walkway's west stairs", "walkway_step_w"),
    ("the gallery stairs", "gallery_step_"),
    ("the gallery's front stairs", "gallery_front_step_"),
]

LAMP = (-3.8, 3.0, -7.5)
TV = (2.25, 1.2, -1.94)
PICKUPS = [(-5.6, 0.4, 7.19), (-0.5, 0.9, 7.5), (3.0, 0.9, -7.8)]


def room_of(x, z):
    """Index of the room holding (x, z), else of the nearest one; on a tie
    (under a wall between two rooms) the first in ROOMS."""
    for k, (_, x0, z0, x1, z1, _, _) in enumerate(ROOMS):
        if x0 <= x <= x1 and z0 <= z <= z1:
            return k

    def distance(room):
        _, x0, z0, x1, z1, _, _ = room
        dx, dz = max(x0 - x, 0.0, x - x1), max(z0 - z, 0.0, z - z1)
        return round(math.hypot(dx, dz), 6)  # rounded, so equal gaps tie
    return min(range(len(ROOMS)), key=lambda k: (distance(ROOMS[k]), k))


class ByRoom:
    """Stands in for one mesh, but keeps a mesh per room: the renderer judges
    a light's reach by each mesh's box, and a box spanning the level is
    always reached. Each piece (a quad, a box, a cylinder...) goes whole to
    the room holding its centre in x and z."""

    def __init__(self, name, material):
        self.name, self.material = name, material
        self.rooms = {}   # room index -> Mesh

    def _add(self, shape, *args, **kwargs):
        piece = Mesh(self.name, self.material, UV[self.material])
        getattr(piece, shape)(*args, **kwargs)
        (x0, _, z0), (x1, _, z1) = piece.bounds()
        k = room_of((x0 + x1) / 2, (z0 + z1) / 2)
        if k not in self.rooms:
            slug = ROOMS[k][0].replace(" ", "_")
            self.rooms[k] = Mesh("%s_%s" % (self.name, slug), self.material, UV[self.material])
        self.rooms[k].extend(piece)

    def quad(self, *args, **kwargs):
        self._add("quad", *args, **kwargs)

    def box(self, *args, **kwargs):
        self._add("box", *args, **kwargs)

    def sloped_bar(self, *args, **kwargs):
        self._add("sloped_bar", *args, **kwargs)

    def cylinder(self, *args, **kwargs):
        self._add("cylinder", *args, **kwargs)

    def fan(self, *args, **kwargs):
        self._add("fan", *args, **kwargs)

    def sphere(self, *args, **kwargs):
        self._add("sphere", *args, **kwargs)

    def meshes(self):
        """One mesh per room that has anything, in the order of ROOMS."""
        return [self.rooms[k] for k in sorted(self.rooms)]


class Level:
    """Collects meshes by model file; see make_level.py for the file order."""

    def __init__(self):
        self.solid = {}    # material -> list of Mesh (one per collidable piece)
        self.detail = {}   # material -> ByRoom: decoration without a body
        self.lamp = Mesh("lamp", "metal", UV["metal"])  # the shade, drawn glowing
        self.cues = Mesh("cues", "glass", UV["glass"])  # drawn glowing too
        self.signs = Mesh("signs", "paint", UV["paint"])  # the arrows, glowing with the cues

    def block(self, name, material, x0, y0, z0, x1, y1, z1, skip=()):
        m = Mesh(name, material, UV[material])
        m.box(x0, y0, z0, x1, y1, z1, skip)
        self.solid.setdefault(material, []).append(m)
        return m

    def deco(self, material):
        if material not in self.detail:
            self.detail[material] = ByRoom(material + "_detail", material)
        return self.detail[material]


# The concrete floor's outline: out to the outer walls' faces.
FLOOR = (-8.1, -14.9, 4.4, 8.8)


def concrete_floor(floor):
    """The concrete floor under everything, cut along every room's edges into
    one grid: each cell goes to its room (under a wall, to the nearest), and
    neighbouring cells share whole edges, so no T-junction can open a crack
    between rooms. Texture coordinates run on across cells."""
    fx0, fz0, fx1, fz1 = FLOOR
    xs, zs = {fx0, fx1}, {fz0, fz1}
    for _, x0, z0, x1, z1, _, _ in ROOMS:
        xs |= {x0, x1}
        zs |= {z0, z1}
    xs = sorted(x for x in xs if fx0 <= x <= fx1)
    zs = sorted(z for z in zs if fz0 <= z <= fz1)
    for z0, z1 in zip(zs, zs[1:]):
        for x0, x1 in zip(xs, xs[1:]):
            floor.quad((x0, 0.0, z1), (x1 - x0, 0, 0), (0, 0, z0 - z1))


def build():
    lv = Level()
    shells = {"floor": ByRoom("floor", "concrete"),
              "ceiling": ByRoom("ceiling", "plaster"),
              "floor_wood": ByRoom("floor_wood", "wood")}

    # wood and tiles lie on the concrete in some rooms
    concrete_floor(shells["floor"])
    for name, x0, z0, x1, z1, ceil, overlay in ROOMS:
        e = 0.1  # reach under the walls so no seam shows
        shells["ceiling"].quad((x0 - e, ceil, z0 - e), (x1 - x0 + 2 * e, 0, 0), (0, 0, z1 - z0 + 2 * e))
        if overlay == "wood":
            shells["floor_wood"].quad((x0, 0.005, z1), (x1 - x0, 0, 0), (0, 0, z0 - z1))
        elif overlay:
            lv.deco(overlay).quad((x0, 0.005, z1), (x1 - x0, 0, 0), (0, 0, z0 - z1))

    for i, (x0, z0, x1, z1, mat) in enumerate(WALLS):
        lv.block("wall_%02d" % i, mat, x0, 0.0, z0, x1, WALL_H, z1, skip=("-y", "+y"))
    for x0, z0, x1, z1, bottom, mat in LINTELS:
        lv.deco(mat).box(x0, bottom, z0, x1, WALL_H, z1, skip=("+y",))
    for entry in BLOCKS:
        name, mat, x0, y0, z0, x1, y1, z1 = entry[:8]
        if len(entry) > 8:
            m = Mesh(name, mat, UV[mat])
            SHAPES[entry[8]](Frame(m, x0, z0, x1, z1, entry[9]), y1)
            lv.solid.setdefault(mat, []).append(m)
            continue
        skip = ("-y",) if y0 == 0.0 else ()
        if name.startswith("collapsed"):
            skip = ("+y",)  # meets the ceiling
        lv.block(name, mat, x0, y0, z0, x1, y1, z1, skip)
    for name, x0, z0, x1, z1, deck in RAILINGS:
        m = Mesh(name, "metal", UV["metal"])
        along_x = (x1 - x0) > (z1 - z0)
        length = (x1 - x0) if along_x else (z1 - z0)
        posts = max(2, int(length / 0.6) + 1)
        for k in range(posts):
            t = k * (length - 0.05) / (posts - 1)
            if along_x:
                m.box(x0 + t, deck, z0, x0 + t + 0.05, deck + 0.85, z1, skip=("-y",))
            else:
                m.box(x0, deck, z0 + t, x1, deck + 0.85, z0 + t + 0.05, skip=("-y",))
        m.box(x0, deck + 0.85, z0, x1, deck + 0.9, z1)
        m.box(x0, deck + 0.42, z0, x1, deck + 0.46, z1)
        lv.solid.setdefault("metal", []).append(m)

    for name, foot, top, z0, z1 in STAIR_RAILS:
        lv.solid.setdefault("metal", []).append(stair_rail(name, foot, top, z0, z1))

    furnish(lv)
    return lv, shells


def stair_rail(name, foot, top, z0, z1):
    """Posts from the floor, a stringer along the steps' edges and hand and
    knee rails 0.9 and 0.45 above them, meeting the deck's rail at the top.
    Its box (the body the game gives it) closes the flight's side from the
    floor up."""
    m = Mesh(name, "metal", UV["metal"])
    nose_foot, nose_top = 0.25, 1.0   # the first step's edge, the deck's edge
    toward = -1.0 if top < foot else 1.0

    def nose(x):
        return nose_foot + (nose_top - nose_foot) * (x - foot) / (top - foot)

    m.sloped_bar(foot, nose_foot - 0.25, top, nose_top - 0.25, 0.3, z0, z1)
    m.sloped_bar(foot, nose_foot + 0.42, top, nose_top + 0.42, 0.04, z0, z1)
    m.sloped_bar(foot, nose_foot + 0.85, top, nose_top + 0.85, 0.05, z0, z1)
    for x in (foot, (foot + top) / 2):
        xa, xb = x, x + toward * 0.05
        m.box(min(xa, xb), 0.0, z0, max(xa, xb), nose(xa) + 0.85, z1, skip=("-y",))
    return m


# How far the frames stand into the opening: their inner faces would
# otherwise lie in the plane of the wall's end and the lintel's underside,
# and the two would fight for depth in stripes.
FRAME_INSET = 0.01


def door_frames(paint):
    """Pale painted frames round every doorway, 2 cm proud of both faces of
    the wall and 1 cm into the opening: the flashlight picks the way out of
    a dark room by them."""
    e = FRAME_INSET
    for x0, z0, x1, z1, top, _ in LINTELS:
        along_z = any(w[0] == x0 and w[2] == x1 for w in WALLS)  # the wall runs along z
        if along_z:
            paint.box(x0 - 0.02, 0.0, z0 - 0.08, x1 + 0.02, top, z0 + e)
            paint.box(x0 - 0.02, 0.0, z1 - e, x1 + 0.02, top, z1 + 0.08)
            paint.box(x0 - 0.02, top - e, z0 - 0.08, x1 + 0.02, top + 0.08, z1 + 0.08)
        else:
            paint.box(x0 - 0.08, 0.0, z0 - 0.02, x0 + e, top, z1 + 0.02)
            paint.box(x1 - e, 0.0, z0 - 0.02, x1 + 0.08, top, z1 + 0.02)
            paint.box(x0 - 0.08, top - e, z0 - 0.02, x1 + 0.08, top + 0.08, z1 + 0.02)


# Lamps that shine by themselves over the way out, in the order it passes
# them, so the flashlight need not be spent finding it: (name, centre, size).
# Each stands 1 cm off its wall or frame, never in the plane of another face.
CUES = [
    ("beside the living room's door to the kitchen", (2.75, 1.75, -2.345), (0.14, 0.26, 0.1)),
    ("beside the kitchen's door to the boiler room", (2.05, 1.65, -10.945), (0.14, 0.26, 0.1)),
    ("a lantern on a post by the walkway's stairs", (0.0, 1.15, -11.45), (0.16, 0.18, 0.16)),
    ("beside the walkway's doorway in the partition", (-2.545, 2.3, -11.95), (0.1, 0.26, 0.14)),
    ("over the walkway's doorway in the partition", (-2.53, 2.8, -12.6), (0.12, 0.12, 0.4)),
    ("beside the pump room's door to the corridor", (-6.795, 1.6, -13.45), (0.1, 0.26, 0.14)),
    ("over the pump room's door to the corridor", (-6.78, 2.8, -14.2), (0.12, 0.12, 0.4)),
    ("in the corridor, opposite the pump room's door", (-7.895, 1.75, -14.2), (0.1, 0.26, 0.14)),
    ("halfway along the corridor", (-7.895, 1.75, -10.6), (0.1, 0.26, 0.14)),
    ("beside the corridor's door to the lamp hall", (-7.22, 2.3, -6.2), (0.28, 0.14, 0.4)),
    ("opposite the corridor's door to the lamp hall", (-7.895, 1.75, -6.2), (0.1, 0.26, 0.14)),
    ("over the lamp hall's door to the storeroom", (-6.0, 2.35, -4.67), (0.4, 0.12, 0.12)),
    ("beside the lamp hall's door to the storeroom", (-5.25, 1.75, -4.655), (0.14, 0.26, 0.1)),
    ("over the storeroom's way into the hall", (-5.75, 2.32, 3.13), (0.4, 0.12, 0.12)),
    ("a lantern on the stage's front corner", (-2.3, 1.095, 4.52), (0.16, 0.18, 0.16)),
    ("a lantern on a post at the foot of the gallery's stairs", (-0.3, 1.15, 4.85), (0.16, 0.18, 0.16)),
    ("on the wall over the gallery's landing", (2.0, 1.75, 8.545), (0.14, 0.26, 0.1)),
    ("a lantern hanging under the gallery", (-1.3, 0.6, 6.5), (0.16, 0.18, 0.16)),
    ("a candle on the lectern", (-3.7, 2.195, 7.35), (0.08, 0.18, 0.08)),
    ("over the exit door", (-3.5, 3.42, 8.52), (0.6, 0.14, 0.14)),
]


def cue_box(centre, size):
    return tuple(c - s / 2 for c, s in zip(centre, size)) + tuple(c + s / 2 for c, s in zip(centre, size))


# Arrows painted on the walls along the way out in a paint that glows, so
# they show with the torch off: (point on the wall's face, the face's
# outward normal, the way the arrow points[, size]); the way lies in the face.
ARROWS = [
    ((2.6, 1.8, -2.4), (0, 0, 1), (1, 0, 0)),        # living room: to the kitchen
    ((2.5, 1.3, -11.0), (0, 0, 1), (-1, 0, 0)),      # kitchen: to the boiler room
    ((0.2, 1.5, -11.2), (0, 0, -1), (-1, 0, 0)),     # boiler room: over the walkway
    ((-6.85, 1.3, -12.6), (1, 0, 0), (0, 0, -1)),    # pump room: to the corridor
    # corridor: north, facing its door from the pump room; out of sight from the pump room's stairs
    ((-7.95, 1.3, -13.55), (1, 0, 0), (0, 0, 1)),
    ((-7.05, 1.3, -7.4), (-1, 0, 0), (0, 0, 1)),     # corridor: the lamp hall's door
    ((-4.6, 1.3, -4.6), (0, 0, -1), (-1, 0, 0)),     # lamp hall: to the storeroom
    ((-7.9, 1.3, -3.0), (1, 0, 0), (0, 0, 1)),       # storeroom: north
    ((-4.6, 1.4, 3.4), (0, 0, 1), (1, 0, 0)),        # hall: round the stage
    ((-1.2, 0.0, 5.5), (0, 1, 0), (1, 0, 0), 1.5),   # hall floor: to the gallery's front stairs
    ((1.45, 1.0, 5.45), (0, 1, 0), (0, 0, 1), 1.2),  # the stairs' landing: on to the gallery
    ((1.1, 1.0, 6.5), (0, 1, 0), (-1, 0, 0), 1.2),   # the gallery: west to the stage
    ((-0.05, 0.0, 7.75), (0, 1, 0), (1, 0, 0), 1.5),  # behind the gallery: to its stairs
]


def arrows(paint):
    for at, normal, way, *rest in ARROWS:
        k = rest[0] if rest else 1.0
        p = tuple(a + 0.006 * n for a, n in zip(at, normal))  # just off the wall
        # across the arrow: up on a wall, sideways on a floor
        up = (normal[1] * way[2] - normal[2] * way[1], normal[2] * way[0] - normal[0] * way[2],
              normal[0] * way[1] - normal[1] * way[0])
        along = lambda d: tuple(k * d * w for w in way)  # noqa: E731
        across = lambda d: tuple(k * d * u for u in up)  # noqa: E731
        start = tuple(a + b - c for a, b, c in zip(p, along(-0.25), across(0.04)))
        # the quad faces a x b: pick the order that faces out of the wall
        cross = (way[1] * up[2] - way[2] * up[1], way[2] * up[0] - way[0] * up[2], way[0] * up[1] - way[1] * up[0])
        a, b = along(0.3), across(0.08)
        if sum(c * n for c, n in zip(cross, normal)) > 0:
            paint.quad(start, a, b)
        else:
            paint.quad(tuple(x + y for x, y in zip(start, b)), a, across(-0.08))
        base = tuple(x + y for x, y in zip(p, along(0.05)))
        tip = tuple(x + y for x, y in zip(p, along(0.22)))
        head = [tuple(x + y for x, y in zip(base, across(0.1))), tip, tuple(x - y for x, y in zip(base, across(0.1)))]
        centre = tuple(sum(c[k] for c in head) / 3 for k in range(3))
        paint.fan(centre, head, normal)


def step_noses(paint):
    """A glowing bar along the nose of every step of the flights on the way
    out, and on the edge of the deck above, so a flight reads as stairs in
    the dark, not as a shelf. The gallery's back stairs stay dark: they lead
    off the way."""
    on_way = {p[0] for p in PASSAGES}
    for name, prefix in FLIGHTS:
        if name not in on_way:
            continue
        steps = sorted((b for b in BLOCKS if b[0].startswith(prefix)), key=lambda b: b[6])
        foot = 1 if steps[0][2] > steps[-1][2] else -1  # +1: the flight's foot lies towards +x
        for i, (_, _, x0, _, z0, x1, top, z1) in enumerate(steps):
            edges = [(x1 if foot > 0 else x0, top)]
            if i == len(steps) - 1:  # the deck's edge, a step on from the top step
                edges.append((x0 if foot > 0 else x1, top + 0.25))
            for nose, y in edges:
                inner, outer = sorted((nose - 0.05 * foot, nose + 0.004 * foot))
                paint.box(inner, y - 0.04, z0 + 0.02, outer, y + 0.004, z1 - 0.02)


def furnish(lv):
    """Decoration: legs, frames, the lamp, the television, pipes, junk."""
    wood, metal, conc, plas = lv.deco("wood"), lv.deco("metal"), lv.deco("concrete"), lv.deco("plaster")
    fab = lv.deco("fabric")
    # table legs under the collidable tops
    legs(wood, -4.4, -8.0, -3.2, -7.0, 0.72)
    legs(wood, 1.4, -6.0, 2.4, -5.0, 0.7)
    # the swinging lamp: cord from the ceiling, shade wholly above the bulb's point
    lx, ly, lz = LAMP
    metal.cylinder((lx, ly + 0.2, lz), "y", 0.012, 3.8 - ly - 0.2, segments=4, caps=False)
    lv.lamp.cylinder((lx, ly + 0.04, lz), "y", 0.2, 0.16, segments=10, caps=False)
    ring = []
    for k in range(10):
        a = 2 * math.pi * k / 10
        ring.append((lx + 0.2 * math.cos(a), ly + 0.2, lz + 0.2 * math.sin(a)))
    lv.lamp.fan((lx, ly + 0.2, lz), ring, (0, -1, 0))
    door_frames(lv.deco("paint"))
    for name, centre, size in CUES:
        lv.cues.box(*cue_box(centre, size))
        if "on a post" in name:  # a lamp-post at eye height, where the floor is out of sight
            x, y, z = centre
            metal.cylinder((x, 0.0, z), "y", 0.025, y - size[1] / 2 - 0.01, segments=6, caps=False)
    # boards across the bedroom's doorway, on the living room's side
    for y in (0.5, 1.1, 1.7):
        wood.box(0.63, y, 0.62, 0.66, y + 0.16, 1.78)
    arrows(lv.signs)
    step_noses(lv.signs)
    # pipes along the ceilings of the basement
    metal.cylinder((-7.7, 2.5, -14.7), "z", 0.06, 10.1, segments=8, caps=False)
    metal.cylinder((-7.3, 2.62, -14.7), "z", 0.04, 10.1, segments=6, caps=False)
    metal.cylinder((-6.9, 2.9, -14.45), "x", 0.08, 11.1, segments=8, caps=False)
    metal.cylinder((-4.7, 2.35, -3.6), "x", 0.05, 5.1, segments=6, caps=False)
    metal.cylinder((3.0, 2.4, -13.75), "y", 0.1, 0.8, segments=8, caps=False)
    metal.cylinder((3.2, 1.8, -12.0), "y", 0.08, 1.4, segments=8, caps=False)
    metal.cylinder((0.7, 2.6, -11.0), "z", 0.05, 8.4, segments=6, caps=False)
    # gallery hangers: chains from the ceiling to the deck edges
    for x in (-1.2, 0.6):
        for z in (6.025, 6.975):
            metal.cylinder((x, 1.9, z), "y", 0.012, 1.7, segments=4, caps=False)
    # the exit: a double door in the north wall above the stage
    wood.box(-4.1, 1.0, 8.5, -3.55, 3.2, 8.6, skip=("+y", "-y"))
    wood.box(-3.45, 1.0, 8.5, -2.9, 3.2, 8.6, skip=("+y", "-y"))
    metal.box(-4.25, 3.2, 8.45, -2.75, 3.3, 8.6, skip=("-y",))
    paint = lv.deco("paint")  # and pale jambs, so the beam finds the way out
    paint.box(-4.25, 1.0, 8.47, -4.12, 3.2, 8.6, skip=("-y",))
    paint.box(-2.88, 1.0, 8.47, -2.75, 3.2, 8.6, skip=("-y",))
    wood.box(-3.9, 1.0, 7.2, -3.5, 2.1, 7.5, skip=("-y",))  # lectern
    # barricaded door from the living room to the hall: planks across a frame
    wood.box(2.0, 0.0, 3.15, 2.9, 2.05, 3.2, skip=("-y",))
    for y, tilt in ((0.6, 0.0), (1.1, 0.0), (1.6, 0.0)):
        wood.box(1.85, y, 3.08, 3.05, y + 0.14, 3.15)
    # lamp hall: papers on the table, a toppled chair, an old rug
    wood.box(-3.9, 0.78, -7.7, -3.6, 0.79, -7.45)
    wood.box(-2.6, 0.0, -6.9, -2.15, 0.45, -6.45)
    fab.quad((-5.2, 0.004, -6.6), (3.0, 0, 0), (0, 0, -2.2))
    # living room rug and a dead floor lamp
    fab.quad((1.3, 0.01, 1.2), (2.0, 0, 0), (0, 0, -2.6))
    metal.cylinder((0.9, 0.0, 2.8), "y", 0.02, 1.6, segments=5, caps=False)
    metal.cylinder((0.9, 1.6, 2.8), "y", 0.18, 0.25, segments=8, caps=True)
    # bedroom: chair and pillow
    wood.box(-3.9, 0.0, -2.5, -3.5, 0.9, -2.1, skip=("-y",))
    fab.box(-4.25, 0.55, 2.6, -3.05, 0.68, 3.05, skip=("-y",))
    # storeroom and hall junk
    wood.box(-7.7, 0.0, 5.0, -7.2, 0.5, 5.5, skip=("-y",))
    wood.box(-7.65, 0.5, 5.05, -7.3, 0.8, 5.4, skip=("-y",))
    wood.box(-7.85, 0.0, -4.3, -7.25, 0.4, -3.9, skip=("-y",))
    conc.box(-2.4, 0.0, -4.35, -1.9, 0.25, -3.5, skip=("-y",))  # rubble at the slab
    conc.box(-3.9, 0.0, -4.3, -3.65, 0.15, -3.9, skip=("-y",))
    plas.box(-0.7, 0.0, -4.35, 0.3, 0.08, -3.45, skip=("-y",))  # fallen plaster
    # boiler room gauges and a valve wheel
    metal.cylinder((2.0, 1.4, -13.8), "x", 0.15, 0.2, segments=8)
    # hall: stacked chairs by the west wall
    for k in range(3):
        wood.box(-7.8, 0.45 * k, 4.0, -7.35, 0.45 * k + 0.45, 4.45)
