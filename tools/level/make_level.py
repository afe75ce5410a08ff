#!/usr/bin/env python3
"""Writes Murkhaven's level: models, materials, textures, normal maps and
SCENE.txt under data/, then checks what it wrote.

    python3 tools/level/make_level.py [--no-textures] [--check-only] [--map PATH]

Deterministic: the same script writes the same bytes.
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the source tree clean

import checker    # noqa: E402
import layout     # noqa: E402
import props      # noqa: E402
import textures   # noqa: E402
from geometry import write_obj   # noqa: E402

DATA = os.path.normpath(os.path.join(HERE, "..", "..", "data"))
MODELS = os.path.join(DATA, "Assets", "Models")
TEXTURES = os.path.join(DATA, "Assets", "Textures")

SOLID_ORDER = ["concrete", "brick", "plaster", "tiles", "wood", "metal", "fabric"]


def model_line(name, shader, shape, normal_map):
    # ", " separates the fields; the sixth (normal map) may be empty
    return "Assets/Models/%s.obj, %s, %s, 0, FALSE, %s" % (name, shader, shape, normal_map)


def write_models():
    os.makedirs(MODELS, exist_ok=True)
    diffuse = {m: textures.diffuse_name(m) for m in textures.TEXTURES}
    lv, shells = layout.build()
    player, scene = [], []

    def emit(name, meshes, shader, shape, normal_map, out):
        write_obj(os.path.join(MODELS, name + ".obj"), meshes, name + ".mtl", diffuse)
        out.append(model_line(name, shader, shape, normal_map))

    # object 0: never drawn; object 1: the held light
    emit("marker", [props.marker()], "default", "none", "", player)
    emit("flashlight", [props.flashlight()], "rim", "none", "", player)
    # floors, ceilings and decoration come as one object per room, so a
    # light's reach is judged room by room (objects 2 to 4, never culled,
    # are now the first rooms' floors)
    emit("floor", shells["floor"].meshes(), "default", "none", textures.normal_name("concrete"), scene)
    emit("ceiling", shells["ceiling"].meshes(), "default", "none", textures.normal_name("plaster"), scene)
    emit("floor_wood", shells["floor_wood"].meshes(), "default", "none", textures.normal_name("wood"), scene)
    for mat in SOLID_ORDER:
        if mat in lv.solid:
            emit(mat + "_solid", lv.solid[mat], "default", "box", textures.normal_name(mat), scene)
    for mat in SOLID_ORDER + ["paint"]:
        if mat in lv.detail:
            emit(mat + "_detail", lv.detail[mat].meshes(), "default", "none", textures.normal_name(mat), scene)
    emit("lamp", [lv.lamp], "glow", "none", "", scene)
    emit("cues", [lv.cues, lv.signs], "glow", "none", "", scene)
    emit("television", props.television(), "default", "none", textures.normal_name("plastic"), scene)
    # object n-4 is drawn without back-face culling: the curtains
    emit("curtain", [props.curtain()], "default", "none", textures.normal_name("fabric"), scene)
    # the last three objects are the pick-ups, placed by translation
    emit("pickups", props.pickups(), "energy", "none", "", scene)

    text = ["Murkhaven level, written by tools/level/make_level.py. Do not edit by hand.",
            "Fields: model file, shader, collision (none/box/mesh), density, dynamic, normal map.",
            "Object 0 is never drawn, object 1 is the held flashlight, the last three are the pick-ups.",
            "", "//PLAYER OBJECTS"] + player + ["//END", "", "//ENEMY OBJECTS", "//END", "",
                                                   "//SCENE OBJECTS"] + scene + ["//END"]
    with open(os.path.join(DATA, "SCENE.txt"), "w", newline="\n") as f:
        f.write("\n".join(text) + "\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--no-textures", action="store_true", help="keep the existing textures")
    ap.add_argument("--check-only", action="store_true", help="only check what data/ holds")
    ap.add_argument("--map", default=os.path.join(HERE, "map.png"), help="top-down map to write ('' for none)")
    ap.add_argument("--data", default=DATA, help="the game's data folder to check")
    args = ap.parse_args()
    if not args.check_only:
        if not args.no_textures:
            print("textures:", ", ".join(textures.write_all(TEXTURES)))
        write_models()
    try:
        checker.check(args.data, args.map or None,
                      route_path=None if args.check_only else os.path.join(HERE, "route.txt"))
    except checker.CheckError as e:
        print("LEVEL CHECK FAILED:", e)
        return 1
    print("level check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
