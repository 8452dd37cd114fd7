#!/usr/bin/env python3
"""Generates the game's asset pack: placeholder textures, meshes, sounds and music under
<out>/data/, and their scrambled copies under <out>/data2/.

    assetpack.py --out build/game [--full-music] [--jobs N]

Output is deterministic. Files are rewritten only when their bytes change, and files a
previous run wrote that this run no longer makes are removed (the list is kept in
<out>/data/.assetpack-stamp); nothing else in <out> is touched.

Scrambled copies. With redirection on, the game reads ./data2/<dir>/<name>.code in place of
./data/<dir>/<name>.<ext> and descrambles what it read, so every texture, mesh, sound and
music file gets a copy there. Two exceptions, by decision:
  * ground2.png (the tile texture) and ground2.bmp (the tiles' height image) would both be
    scrambled to data2/texture/ground2.code. Only ground2.png gets that copy, and its red
    channel is drawn as the height field, so either reader gets a usable picture; the plain
    ground2.bmp carries the same pixels for a reader that opens it directly.
  * dust.png is read by the film-noise pass with no asset key, so a scrambled copy would be
    read and not descrambled: it ships plain only. water.bmp ships plain and scrambled, as
    its reader's key is not fixed.
"""
import argparse
import os
import sys
import time
from concurrent.futures import ProcessPoolExecutor

# the tool runs from the source tree: leave no bytecode caches in it
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import catalog  # noqa: E402
import models  # noqa: E402
import sounds  # noqa: E402
import textures  # noqa: E402
from scramble import scramble, scrambled_name  # noqa: E402

STAMP = "data/.assetpack-stamp"
PLAIN_ONLY = {"data/texture/dust.png", "data/texture/ground2.bmp"}


def plan(full_music=False):
    """Every plain file of the pack: {path under <out>: (kind, builder key)}."""
    files = {}
    for name in textures.TEXTURES:
        files["data/texture/" + name] = ("texture", name)
    for name in models.MODELS:
        files["data/model/" + name] = ("mesh", name)
    for name in sounds.EFFECTS:
        files["data/sound/" + name] = ("sound", name)
    for track in sounds.TRACKS:
        files["data/music/%s.wav" % track] = ("music", (track, full_music))
    return files


def copies(files):
    """{scrambled path: plain path}; refuses two plain files that would share one copy."""
    out = {}
    for path in sorted(files):
        if path in PLAIN_ONLY:
            continue
        code = scrambled_name(path)
        if code in out:
            raise SystemExit("assetpack: %s and %s would share %s" % (out[code], path, code))
        out[code] = path
    return out


def build(job):
    kind, key = job
    if kind == "texture":
        return textures.build(key)
    if kind == "mesh":
        return models.build(key)
    if kind == "sound":
        return sounds.effect_bytes(key)
    return sounds.music_bytes(*key)


def _build_path(item):
    path, job = item
    return path, build(job)


# Rough costs, so the slow builders start first when building in parallel.
_COST = {"music": 3, "texture": 2, "sound": 1, "mesh": 1}


def generate(out, full_music=False, jobs=None, log=print):
    t0 = time.time()
    files = plan(full_music)
    missing = [f for f in catalog.table_files() + ["texture/" + n for n in catalog.EXTRA_TEXTURES]
               + catalog.EXTRA_MUSIC if "data/" + f not in files]
    if missing:
        raise SystemExit("assetpack: no builder for " + ", ".join(missing))
    code_of = copies(files)
    items = sorted(files.items(), key=lambda kv: (-_COST[kv[1][0]], kv[0]))
    jobs = jobs or min(4, os.cpu_count() or 1)
    built = None
    if jobs > 1:
        try:
            with ProcessPoolExecutor(max_workers=jobs) as pool:
                built = dict(pool.map(_build_path, items, chunksize=1))
        except (OSError, ImportError, NotImplementedError) as e:
            # no worker processes here (no shared memory for their locks): build in this one
            log("assetpack: building in one process (%s)" % e)
            jobs = 1
    if built is None:
        built = dict(map(_build_path, items))
    for code, plain in code_of.items():
        built[code] = scramble(built[plain], catalog.ASSET_KEY)
    written = 0
    for path, data in built.items():
        if _write_if_changed(os.path.join(out, path), data):
            written += 1
    _remove_stale(out, set(built))
    kinds = {}
    sizes = {}
    for path, (kind, _) in files.items():
        kinds[kind] = kinds.get(kind, 0) + 1
        sizes[kind] = sizes.get(kind, 0) + len(built[path])
    scrambled = sum(len(built[c]) for c in code_of)
    log("assetpack: %s in %.2f s (%d jobs): %s; %d scrambled copies (%.1f MB); %d files written" % (
        out, time.time() - t0, jobs,
        ", ".join("%d %s (%.1f MB)" % (kinds[k], label, sizes[k] / 1e6)
                  for k, label in (("texture", "textures"), ("mesh", "meshes"), ("sound", "sound effects"),
                                   ("music", "music files"))),
        len(code_of), scrambled / 1e6, written))
    return built


def _write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return False
    except OSError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)
    return True


def _remove_stale(out, current):
    stamp = os.path.join(out, STAMP)
    try:
        with open(stamp) as f:
            previous = set(line.strip() for line in f if line.strip())
    except OSError:
        previous = set()
    for path in sorted(previous - current):
        if path.startswith(("data/", "data2/")) and ".." not in path:
            try:
                os.remove(os.path.join(out, path))
            except OSError:
                pass
    # the stamps list what this run wrote; they are always rewritten, so that the build sees
    # them newer than the tool's sources (one in each tree: removing either tree reruns it)
    listing = "".join(p + "\n" for p in sorted(current)).encode("ascii")
    for name in (STAMP, "data2/.assetpack-stamp"):
        path = os.path.join(out, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(listing)


def main(argv=None):
    ap = argparse.ArgumentParser(description="Generate the ORVALIS asset pack.")
    ap.add_argument("--out", required=True, help="game folder; data/ and data2/ are written inside")
    ap.add_argument("--full-music", action="store_true",
                    help="music that runs past the stage loop positions (about 330 MB with copies)")
    ap.add_argument("--jobs", type=int, default=None, help="worker processes (default: up to 4)")
    args = ap.parse_args(argv)
    generate(args.out, args.full_music, args.jobs)


if __name__ == "__main__":
    main()
