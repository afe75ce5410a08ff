#!/usr/bin/env python3
"""Writes a building of nine copies of the level, for the benchmark only.

    make_building.py DATA OUT

OUT becomes a data folder for the game: the level as DATA has it, and eight
copies of its rooms placed edge to edge round it, in a 3 x 3 grid. The copies
have no collision, so a demo recorded in the level replays the same in the
building. Everything else (settings, shaders, textures, sounds, demos) is
linked from DATA; OUT keeps its own cache. Nothing here is part of the game.
"""
import os
import sys

SECTION = "//SCENE OBJECTS"
# The objects after the rooms keep their places (the last before the
# pick-ups is drawn from both sides, the pick-ups come last).
FIRST_KEPT = "Assets/Models/lamp.obj"


def fail(message):
    print("make_building: " + message, file=sys.stderr)
    sys.exit(1)


def room_lines(scene):
    try:
        start = scene.index(SECTION) + 1
        end = next(i for i in range(start, len(scene)) if scene[i].startswith(FIRST_KEPT))
    except (ValueError, StopIteration):
        fail("SCENE.txt has no " + SECTION + " section ending at " + FIRST_KEPT)
    return start, end


def vertices(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("v "):
                parts = line.split()
                yield float(parts[1]), float(parts[2]), float(parts[3])


def write_copy(source, target, dx, dz, tag):
    with open(source, encoding="utf-8") as f, open(target, "w", encoding="utf-8") as out:
        for line in f:
            if line.startswith("v "):
                x, y, z = (float(p) for p in line.split()[1:4])
                out.write("v %.4f %.4f %.4f\n" % (x + dx, y, z + dz))
            elif line.startswith("o "):
                out.write(line.rstrip("\n") + "_" + tag + "\n")
            else:
                out.write(line)


def link_everything_but(source, target, skip):
    for name in sorted(os.listdir(source)):
        if name in skip:
            continue
        link = os.path.join(target, name)
        if not os.path.lexists(link):
            os.symlink(os.path.abspath(os.path.join(source, name)), link)


def main():
    if len(sys.argv) != 3:
        fail("usage: make_building.py DATA OUT")
    data, out = sys.argv[1], sys.argv[2]
    with open(os.path.join(data, "SCENE.txt"), encoding="utf-8") as f:
        scene = f.read().split("\n")
    start, end = room_lines(scene)
    rooms = [line for line in scene[start:end] if line.strip()]
    models = [line.split(",")[0].strip() for line in rooms]

    low_x = low_z = float("inf")
    high_x = high_z = float("-inf")
    for model in models:
        for x, _, z in vertices(os.path.join(data, model)):
            low_x, high_x = min(low_x, x), max(high_x, x)
            low_z, high_z = min(low_z, z), max(high_z, z)
    width, depth = high_x - low_x, high_z - low_z

    os.makedirs(os.path.join(out, "Assets", "Models"), exist_ok=True)
    os.makedirs(os.path.join(out, "cache"), exist_ok=True)
    link_everything_but(data, out, {"SCENE.txt", "Assets", "cache"})
    link_everything_but(os.path.join(data, "Assets"), os.path.join(out, "Assets"), {"Models"})
    models_in = os.path.join(data, "Assets", "Models")
    link_everything_but(models_in, os.path.join(out, "Assets", "Models"), set())

    copies = []
    number = 0
    for i in (-1, 0, 1):
        for j in (-1, 0, 1):
            if i == 0 and j == 0:
                continue
            number += 1
            tag = "copy%d" % number
            for line, model in zip(rooms, models):
                folder, name = os.path.split(model)
                copy_name = tag + "_" + name
                write_copy(os.path.join(data, model), os.path.join(out, "Assets", "Models", copy_name),
                           i * width, j * depth, tag)
                fields = [f.strip() for f in line.split(",")]
                fields[0] = folder + "/" + copy_name
                fields[2] = "none"  # no collision: the demo walks the level alone
                copies.append(", ".join(fields[:5]) + ", " + (fields[5] if len(fields) > 5 else ""))

    building = scene[:end] + copies + scene[end:]
    with open(os.path.join(out, "SCENE.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(building))
    print("building of 9 levels (%.1f x %.1f m each, %d objects per copy) in %s" % (width, depth, len(rooms), out))


if __name__ == "__main__":
    main()
