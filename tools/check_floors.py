#!/usr/bin/env python3
"""Checks that includes point down the layers and never in a circle.

The source tree is layered: platform/ < engine/ < game/, and game/ in floors
of its own. A file may include its own folder and anything on a lower layer or
floor; it may not include upwards, and no two folders may include each other.
Only platform/ includes the system's graphics, window, sound, model, image and
font libraries. Prints each offence and exits with 1 when there is any.

    tools/check_floors.py [repository root]
"""
import os
import re
import sys

# Lowest first. A sub-folder (enemy/types/, player/weapons/, world/effects/,
# world/terrain/) belongs to the floor of its parent.
GAME_FLOORS = ["state", "world", "screen", "player", "enemy", "play", "frontend", "app"]

# Headers only platform/ may include.
PLATFORM_ONLY = re.compile(r"^(SDL2?/|SDL[_.]|GL/|GLES|glad/|KHR/|AL/|assimp/|stb_|stb/|ft2build\.h|freetype/|"
                           r"fontconfig/)")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_EXTENSIONS = (".h", ".hpp", ".cpp", ".cc", ".inl")


def folder_of(path):
    """The folder key of a repository path: 'platform', 'engine' or 'game/<floor>'."""
    parts = path.split("/")
    if parts[0] == "game":
        return "game/" + parts[1] if len(parts) > 2 else "game"
    return parts[0]


def rank_of(folder):
    """Position in the whole order, or None for a folder outside it."""
    if folder == "platform":
        return 0
    if folder == "engine":
        return 1
    if folder.startswith("game/"):
        floor = folder[len("game/"):]
        if floor in GAME_FLOORS:
            return 2 + GAME_FLOORS.index(floor)
    return None


def read_includes(root, relative):
    """(line number, delimiter, target) of each include of one file."""
    found = []
    with open(os.path.join(root, relative), encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if match:
                found.append((number, match.group(1), match.group(2)))
    return found


def resolve(root, relative, target):
    """A quoted include as a repository path: next to the including file when
    it names a file there, else from the repository root."""
    beside = os.path.normpath(os.path.join(os.path.dirname(relative), target)).replace(os.sep, "/")
    if os.path.isfile(os.path.join(root, beside)):
        return beside
    return target


def source_files(root, top):
    for directory, _, names in os.walk(os.path.join(root, top)):
        for name in sorted(names):
            if name.endswith(SOURCE_EXTENSIONS):
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")


def check(root):
    """The list of offences (strings), empty when the layout holds."""
    problems = []
    edges = {}  # (from folder, to folder) -> first "file:line"
    for top in ("platform", "engine", "game"):
        for relative in source_files(root, top):
            here = folder_of(relative)
            if top == "game" and rank_of(here) is None:
                problems.append(f"{relative}: folder '{here}' is not a floor (known: {', '.join(GAME_FLOORS)})")
                continue
            for number, delimiter, target in read_includes(root, relative):
                where = f"{relative}:{number}"
                if top != "platform" and PLATFORM_ONLY.match(target):
                    problems.append(f"{where}: includes <{target}>, which only platform/ may include")
                    continue
                if delimiter != '"':
                    continue
                target = resolve(root, relative, target)
                if target.split("/")[0] not in ("platform", "engine", "game"):
                    continue
                there = folder_of(target)
                if there == here:
                    continue
                edges.setdefault((here, there), where)
                low, high = rank_of(there), rank_of(here)
                if low is None:
                    problems.append(f"{where}: includes {target}, which is in no floor")
                elif low > high:
                    problems.append(f"{where}: {here}/ includes {target}, a floor above it")
    for (a, b), where in sorted(edges.items()):
        if a < b and (b, a) in edges:
            problems.append(f"{a}/ and {b}/ include each other ({where} and {edges[(b, a)]})")
    return problems


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    problems = check(root)
    if problems:
        print(f"check_floors: {len(problems)} include(s) break the layering "
              f"(platform < engine < game/{' < '.join(GAME_FLOORS)}):")
        for problem in problems:
            print("  " + problem)
        return 1
    print("check_floors: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
