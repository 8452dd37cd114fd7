#!/usr/bin/env python3
"""Checks the properties of the generated pack that the game depends on: every file it
loads exists with its scrambled copy, atlases have the sizes their cells assume, positioned
sounds are mono, music runs past its loop end, meshes are well formed and carry the part,
frame and animation names the game looks up, and terrain pieces join and keep their
collision hulls inside what is drawn.

    python3 tools/assetpack/test_assetpack.py
"""
import os
import random
import re
import shutil
import sys
import tempfile
import unittest

# the tool runs from the source tree: leave no bytecode caches in it
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import assetpack  # noqa: E402
import catalog  # noqa: E402
import models  # noqa: E402
import sounds  # noqa: E402
from imaging import decode_png_rgba, decode_png_size  # noqa: E402
from scramble import scramble, scrambled_name  # noqa: E402

OUT = None
KEY = catalog.ASSET_KEY


def setUpModule():
    global OUT
    OUT = tempfile.mkdtemp(prefix="assetpack-test-")
    assetpack.generate(OUT, log=lambda *_: None)


def tearDownModule():
    shutil.rmtree(OUT, ignore_errors=True)


def read(path):
    with open(os.path.join(OUT, path), "rb") as f:
        return f.read()


# ---- a small structural reader for text .x files ------------------------------------------------
TOKEN = re.compile(r'"[^"]*"|[{}]|[;,]|[^\s{};,"]+')


class Block:
    def __init__(self, kind, name):
        self.kind, self.name = kind, name
        self.values = []      # numbers and strings in order
        self.raw = []         # the numbers as written
        self.children = []
        self.refs = []        # {name} references

    def find(self, kind):
        return [c for c in self.children if c.kind == kind]

    def walk(self):
        yield self
        for c in self.children:
            yield from c.walk()


def parse_x(data):
    text = data.decode("ascii")
    if not text.startswith("xof 0303txt 0032"):
        raise ValueError("bad header")
    toks = TOKEN.findall(text[16:])
    root = Block("file", None)
    stack = [root]
    pending = []
    for t in toks:
        if t == "{":
            if pending:
                blk = Block(pending[0], pending[1] if len(pending) > 1 else None)
                stack[-1].children.append(blk)
                stack.append(blk)
            else:
                stack.append(Block("ref", None))
            pending = []
        elif t == "}":
            if pending:                                   # the name inside a {reference}
                stack[-1].name = pending[0]
                pending = []
            blk = stack.pop()
            if blk.kind == "ref":
                stack[-1].refs.append(blk.name)
            if not stack:
                raise ValueError("unbalanced braces")
        elif t in ";,":
            continue
        elif t.startswith('"'):
            stack[-1].values.append(t[1:-1])
        else:
            try:
                stack[-1].values.append(float(t))
                stack[-1].raw.append(t)
            except ValueError:
                pending.append(t)
    if len(stack) != 1 or pending:
        raise ValueError("unbalanced braces or dangling names")
    return root


def mesh_data(mesh):
    """Positions and faces of a Mesh block (triangles and polygons)."""
    v = mesh.values
    nv = int(v[0])
    pos = [tuple(v[1 + 3 * i:4 + 3 * i]) for i in range(nv)]
    k = 1 + 3 * nv
    nf = int(v[k])
    k += 1
    faces = []
    for _ in range(nf):
        n = int(v[k])
        faces.append(tuple(int(i) for i in v[k + 1:k + 1 + n]))
        k += 1 + n
    if k != len(v):
        raise ValueError("mesh %s: trailing values" % mesh.name)
    return pos, faces


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def x_files():
    return sorted(n for n in os.listdir(os.path.join(OUT, "data/model")) if n.endswith(".x"))


def containers(name):
    """{container name: Mesh block} and the list of frame blocks of a model file."""
    root = parse_x(read("data/model/" + name))
    meshes = {b.name: b for b in root.walk() if b.kind == "Mesh"}
    frames = [b for b in root.walk() if b.kind == "Frame"]
    return root, meshes, frames


# ---- tests ---------------------------------------------------------------------------------------
class ScrambleTest(unittest.TestCase):
    def test_words_little_endian_and_tail_from_the_top_byte(self):
        k = [(KEY >> (8 * i)) & 0xFF for i in range(4)]       # least significant first
        cases = [
            (b"", b""),
            (bytes(3), bytes((k[3], k[2], k[1]))),
            (bytes(4), bytes(k)),
            (bytes(5), bytes(k + [k[3]])),
            (bytes(7), bytes(k + [k[3], k[2], k[1]])),
            (bytes(8), bytes(k + k)),
        ]
        for plain, expected in cases:
            self.assertEqual(scramble(plain, KEY), expected, len(plain))

    def test_round_trip(self):
        rng = random.Random(1)
        for n in (1, 2, 3, 4, 5, 6, 7, 1023, 4096):
            data = bytes(rng.randrange(256) for _ in range(n))
            self.assertEqual(scramble(scramble(data, KEY), KEY), data, n)

    def test_scrambled_names(self):
        cases = [("data/texture/none.png", "data2/texture/none.code"),
                 ("data/texture/tree_3-6.png", "data2/texture/tree_3-6.code"),
                 ("data/model/yama_o2-1.x", "data2/model/yama_o2-1.code"),
                 ("data/sound/effect/exp01.wav", "data2/sound/effect/exp01.code"),
                 ("data/music/mu1.wav", "data2/music/mu1.code")]
        for plain, code in cases:
            self.assertEqual(scrambled_name(plain), code)

    def test_two_files_for_one_scrambled_name_are_refused(self):
        with self.assertRaises(SystemExit):
            assetpack.copies({"data/texture/a.png": None, "data/texture/a.bmp": None})


class FilesTest(unittest.TestCase):
    def test_every_loaded_file_exists_with_its_copy(self):
        wanted = ["data/" + f for f in catalog.table_files()]
        wanted += ["data/texture/" + n for n in catalog.EXTRA_TEXTURES] + ["data/" + f for f in catalog.EXTRA_MUSIC]
        for path in wanted:
            plain = read(path)
            self.assertTrue(plain, path)
            if path in assetpack.PLAIN_ONLY:
                continue
            self.assertEqual(scramble(read(scrambled_name(path)), KEY), plain, path)

    def test_ground2_copy_is_the_tile_texture(self):
        # the one shared scrambled name holds the PNG; the height image ships plain only
        self.assertEqual(scramble(read("data2/texture/ground2.code"), KEY), read("data/texture/ground2.png"))
        self.assertFalse(os.path.exists(os.path.join(OUT, "data2/texture/dust.code")))

    def test_textures_named_in_meshes_exist(self):
        for name in x_files():
            root = parse_x(read("data/model/" + name))
            for blk in root.walk():
                if blk.kind == "TextureFilename":
                    tex = blk.values[0]
                    self.assertNotIn("/", tex)
                    self.assertTrue(os.path.exists(os.path.join(OUT, "data/texture", tex)), (name, tex))

    def test_rerun_removes_only_what_it_wrote(self):
        out = tempfile.mkdtemp(prefix="assetpack-stale-")
        try:
            for rel in ("data/texture/old.png", "data/fx/Mesh.cfx"):
                os.makedirs(os.path.dirname(os.path.join(out, rel)), exist_ok=True)
                open(os.path.join(out, rel), "wb").close()
            with open(os.path.join(out, assetpack.STAMP), "w") as f:
                f.write("data/texture/old.png\ndata/texture/kept.png\n")
            assetpack._remove_stale(out, {"data/texture/kept.png"})
            self.assertFalse(os.path.exists(os.path.join(out, "data/texture/old.png")))
            self.assertTrue(os.path.exists(os.path.join(out, "data/fx/Mesh.cfx")))
        finally:
            shutil.rmtree(out)


class TextureTest(unittest.TestCase):
    SIZES = {  # files whose cells are addressed in texels or sized from the texture
        "hud.png": (1024, 1024), "hud2.png": (1024, 1024), "option.png": (1024, 512),
        "optionpanel.png": (512, 512), "stageselect.png": (1024, 512), "stgss1.png": (256, 256),
        "score.png": (1024, 512), "ending.png": (1024, 1024), "msg.png": (1024, 256), "white.png": (64, 64),
    }

    def test_exact_sizes_and_power_of_two_sides(self):
        for name in sorted(os.listdir(os.path.join(OUT, "data/texture"))):
            if not name.endswith(".png"):
                continue
            w, h = decode_png_size(read("data/texture/" + name))
            self.assertTrue(w & (w - 1) == 0 and h & (h - 1) == 0, (name, w, h))
            if name in self.SIZES:
                self.assertEqual((w, h), self.SIZES[name], name)

    def test_no_opaque_colour_key(self):
        for name in sorted(os.listdir(os.path.join(OUT, "data/texture"))):
            if not name.endswith(".png"):
                continue
            _, _, px = decode_png_rgba(read("data/texture/" + name))
            i = px.find(b"\xff\x00\xff\xff")
            while i >= 0 and i % 4:
                i = px.find(b"\xff\x00\xff\xff", i + 1)
            self.assertEqual(i, -1, name)

    def _cell_alpha(self, name, x0, y0, x1, y1):
        w, h, px = decode_png_rgba(read("data/texture/" + name))
        return [px[(y * w + x) * 4 + 3] for y in range(y0, y1) for x in range(x0, x1)]

    def test_cells(self):
        cases = [  # texture, texel rectangle, expectation
            ("score.png", (960, 320, 1024, 384), "blank"),       # the empty character (row 5, column 15)
            ("score.png", (960, 192, 1024, 256), "drawn"),       # the underscore cursor (row 3, column 15)
            ("stageselect.png", (448, 64, 512, 128), "blank"),   # "space"
            ("white.png", (0, 0, 64, 64), "opaque"),
            ("hud.png", (32, 64, 64, 96), "drawn"),              # small stock icon
            ("hud.png", (0, 256, 512, 320), "drawn"),            # spell banner
        ] + [("hud.png", (32 * d, 164, 32 * d + 32, 224), "drawn") for d in range(10)]
        for name, box, want in cases:
            a = self._cell_alpha(name, *box)
            if want == "blank":
                self.assertEqual(max(a), 0, (name, box))
            elif want == "opaque":
                self.assertEqual(min(a), 255, (name, box))
            else:
                self.assertGreater(sum(1 for v in a if v > 128), 20, (name, box))

    def test_hud_digits_differ(self):
        digits = [tuple(self._cell_alpha("hud.png", 32 * d, 164, 32 * d + 32, 224)) for d in range(10)]
        self.assertEqual(len(set(digits)), 10)

    def test_ground_tile_red_channel_is_the_height_image(self):
        _, _, png = decode_png_rgba(read("data/texture/ground2.png"))
        bmp = read("data/texture/ground2.bmp")
        self.assertEqual(bmp[:2], b"BM")
        self.assertEqual(int.from_bytes(bmp[28:30], "little"), 24)   # 24-bit, uncompressed
        self.assertEqual(int.from_bytes(bmp[30:34], "little"), 0)
        w = int.from_bytes(bmp[18:22], "little")
        # the BMP stores rows bottom-up, BGR
        top_row_red = bmp[54 + (w - 1) * w * 3 + 2:54 + w * w * 3:3]
        self.assertEqual(top_row_red, png[0:w * 4:4])


class SoundTest(unittest.TestCase):
    def test_every_sound_is_pcm_and_positioned_ones_are_mono(self):
        for sid, path, is3d, _ in catalog.SOUNDS:
            tag, ch, rate, bits, data = sounds.parse_wave(read("data/" + path))
            self.assertEqual((tag, bits), (1, 16), sid)
            self.assertTrue(data and len(data) % (2 * ch) == 0, sid)
            if is3d:
                self.assertEqual(ch, 1, sid)

    def test_engine_sound_plays_naturally_at_44100(self):
        self.assertEqual(sounds.parse_wave(read("data/sound/wind.wav"))[2], 44100)

    def test_full_music_runs_past_its_loop_end_and_repeats_seamlessly(self):
        # the default pack carries short loops that wrap at their own end; the full-length
        # files must reach one second past the loop end and repeat from the loop start
        for track in ("mu3", "mu5"):
            tag, ch, rate, bits, data = sounds.parse_wave(sounds.music_bytes(track, full=True))
            start, end = sounds.MUSIC_LOOPS[track]
            start -= start % 4
            end -= end % 4
            self.assertEqual((ch, rate, bits), (2, 44100, 16))
            self.assertGreaterEqual(len(data), end + 176400, track)
            self.assertEqual(data[end:end + 176400], data[start:start + 176400], track)


class MeshTest(unittest.TestCase):
    NAMES = [  # file, {part: material count}, animation sets, frames
        ("fairy.x", {"Mesh_fairy_j": 5}, ["AnimationSet_fairy1nj"], []),
        ("doll.x", {}, ["AnimationSet_doll1"], []),
        ("orsel.x", {}, ["AnimationSet_orsel"], []),
        ("skydome.x", {"Mesh_SkyDome": 1}, [], []),
        ("enemy_spell_bg.x", {"Mesh_enemy_spell_bg": 1}, [], []),
        ("velrin.x", {}, ["AnimationSet_velrin_nj", "AnimationSet_velrin_rj", "AnimationSet_velrin_r2j",
                          "AnimationSet_velrin_lj", "AnimationSet_velrin_l2j"], ["Flame0", "Flame1"]),
        ("toska.x", {}, ["AnimationSet_toska5nj", "AnimationSet_toska5lj", "AnimationSet_toska5l2j",
                         "AnimationSet_toska5rj", "AnimationSet_toska5r2j"], ["Flame0", "Flame1"]),
    ] + [("ground_2_v002_%d.x" % i, {"Mesh_ground_2_v002": 1}, [], []) for i in (1, 2, 3)] \
      + [(n, {"Mesh_yama1_v006": 1}, [], []) for n in sorted(models.MODELS) if n.startswith("yama")]

    def test_every_file_is_well_formed(self):
        kinds = {f: k for k, _, f in catalog.RESOURCES if k != "material"}
        for name in x_files():
            root, meshes, frames = containers(name)
            names = [f.name for f in frames]
            self.assertEqual(len(names), len(set(names)), name)
            for mesh in meshes.values():
                pos, faces = mesh_data(mesh)
                self.assertLess(len(pos), 65536, name)
                self.assertTrue(all(len(f) == 3 and max(f) < len(pos) for f in faces), (name, mesh.name))
                nrm = mesh.find("MeshNormals")[0]
                npos, nfaces = mesh_data(nrm)
                self.assertEqual(len(nfaces), len(faces), name)
                self.assertTrue(all(max(f) < len(npos) for f in nfaces), name)
                uv = mesh.find("MeshTextureCoords")[0].values
                self.assertEqual(int(uv[0]), len(pos), name)
                self.assertEqual(len(uv), 1 + 2 * len(pos), name)
                mats = mesh.find("MeshMaterialList")[0]
                nmat, nidx = int(mats.values[0]), int(mats.values[1])
                self.assertEqual(nidx, len(faces), name)
                self.assertTrue(all(0 <= v < nmat for v in mats.values[2:]), name)
                self.assertEqual(len(mats.find("Material")), nmat, name)
                if kinds.get(name) == "sprite3d":     # drawn unlit: each material needs a texture
                    for m in mats.find("Material"):
                        self.assertTrue(m.find("TextureFilename"), (name, m.name))
                skins = mesh.find("SkinWeights")
                if skins:
                    header = mesh.find("XSkinMeshHeader")[0].values
                    self.assertEqual(int(header[2]), len(skins), name)
                    for s in skins:
                        bone, n = s.values[0], int(s.values[1])
                        self.assertIn(bone, names, name)
                        self.assertTrue(all(0 <= v < len(pos) for v in s.values[2:2 + n]), name)
                        self.assertEqual(len(s.values), 2 + 2 * n + 16, name)
            for aset in root.find("AnimationSet"):
                for anim in aset.find("Animation"):
                    self.assertTrue(anim.refs and anim.refs[0] in names, (name, aset.name))
                    key = anim.find("AnimationKey")[0].values
                    self.assertEqual(len(key), 2 + int(key[1]) * 18, (name, aset.name))

    def test_floats_are_written_with_a_decimal_point(self):
        # a reader may take "1,0" for the decimal-comma number 1.0 and lose its place
        floats = {"FrameTransformMatrix": lambda r: r,
                  "Mesh": lambda r: r[1:1 + 3 * int(r[0])],
                  "MeshTextureCoords": lambda r: r[1:],
                  "Material": lambda r: r}
        for name in x_files():
            for blk in parse_x(read("data/model/" + name)).walk():
                pick = floats.get(blk.kind)
                if pick:
                    bad = [v for v in pick(blk.raw) if "." not in v]
                    self.assertEqual(bad, [], (name, blk.kind, blk.name))

    def test_names_the_game_looks_up(self):
        for name, parts, sets, frame_names in self.NAMES:
            root, meshes, frames = containers(name)
            for part, count in parts.items():
                self.assertIn(part, meshes, name)
                self.assertEqual(int(meshes[part].find("MeshMaterialList")[0].values[0]), count, name)
            have = [s.name for s in root.find("AnimationSet")]
            for s in sets:
                self.assertIn(s, have, name)
            for f in frame_names:
                self.assertIn(f, [fr.name for fr in frames], name)

    def test_animated_models_are_skinned_where_the_game_skins_them(self):
        for name in ("fairy.x", "doll.x", "orsel.x"):
            _, meshes, _ = containers(name)
            self.assertTrue(any(m.find("SkinWeights") for m in meshes.values()), name)

    def test_gralle_fits_its_five_frame_slots(self):
        self.assertLessEqual(len(containers("gralle.x")[2]), 5)

    def test_flames_sit_at_the_nozzles(self):
        for name, at in (("velrin.x", (1.2, 0, -4.5)), ("toska.x", (1.71, 0, -6.43))):
            _, _, frames = containers(name)
            m = {f.name: f.find("FrameTransformMatrix")[0].values for f in frames}
            self.assertEqual(tuple(m["Flame0"][12:15]), at, name)
            self.assertEqual(tuple(m["Flame1"][12:15]), (-at[0], at[1], at[2]), name)

    def test_player_machines_are_closed_and_face_outwards(self):
        # motion-blur extrusion meshes are built from these: every edge is shared by exactly
        # two faces running it in opposite directions, and the faces are seen from outside
        for name in ("velrin.x", "toska.x"):
            _, meshes, _ = containers(name)
            for mesh in meshes.values():
                pos, faces = mesh_data(mesh)
                key = [tuple(round(c, 3) for c in p) for p in pos]
                edges = {}
                for f in faces:
                    for a, b in ((f[0], f[1]), (f[1], f[2]), (f[2], f[0])):
                        edges[(key[a], key[b])] = edges.get((key[a], key[b]), 0) + 1
                bad = [e for e, n in edges.items() if n != 1 or edges.get((e[1], e[0])) != 1]
                self.assertEqual(bad, [], (name, mesh.name))
                volume = sum(dot(pos[a], cross(pos[b], pos[c])) for a, b, c in faces) / 6
                self.assertGreater(volume, 0, (name, mesh.name))

    def test_backgrounds_are_seen_from_inside(self):
        for name in ("skydome.x", "enemy_spell_bg.x", "spell_bg2.x"):
            _, meshes, _ = containers(name)
            for mesh in meshes.values():
                pos, faces = mesh_data(mesh)
                for a, b, c in faces:
                    centroid = tuple((pos[a][i] + pos[b][i] + pos[c][i]) / 3 for i in range(3))
                    seen_from = cross(sub(pos[b], pos[a]), sub(pos[c], pos[a]))
                    self.assertLess(dot(seen_from, centroid), 0, name)


class TerrainTest(unittest.TestCase):
    @staticmethod
    def _edge(name, axis, value, mat=None):
        _, meshes, _ = containers(name)
        mesh = list(meshes.values())[0]
        pos, faces = mesh_data(mesh)
        used = set()
        mats = mesh.find("MeshMaterialList")[0].values[2:]
        for f, m in zip(faces, mats):
            if mat is None or int(m) == mat:
                used.update(f)
        return sorted(set(tuple(round(c, 2) for c in pos[i]) for i in used if abs(pos[i][axis] - value) < 1e-3))

    def test_ground_tiles_are_flat_along_their_edges(self):
        for i in (1, 2, 3):
            name = "ground_2_v002_%d.x" % i
            for axis, value in ((0, 0), (0, 1000), (2, 0), (2, 1000)):
                edge = self._edge(name, axis, value)
                self.assertTrue(edge and all(p[1] == 0 for p in edge), (name, axis, value))

    def test_neighbouring_pieces_meet(self):
        def at(name, z, mat=None):
            return [(p[0], p[1]) for p in self._edge(name, 2, z, mat)]
        joins = [("yama3.x", 2000, "yama_r1.x", 0), ("yama3.x", 2000, "yama_l1.x", 0),
                 ("yama_r1.x", 2000, "yama_r2.x", 0), ("yama_l1.x", 2000, "yama_l2.x", 0)]
        for a, za, b, zb in joins:
            self.assertEqual(at(a, za), at(b, zb), (a, b))
        # cave sections follow each other in any order: one tunnel profile at both ends
        ends = [at("doukutsu2_p%d.x" % k, z, 0) for k in range(1, 9) for z in (0, 8000)]
        self.assertTrue(all(e == ends[0] for e in ends))

    def test_cave_leaves_the_flight_room_free(self):
        # the player flies within x 200-800 and y 50-250 of a section
        for k in range(1, 9):
            _, meshes, _ = containers("doukutsu2_p%d.x" % k)
            pos, _ = mesh_data(list(meshes.values())[0])
            self.assertFalse([p for p in pos if 200 <= p[0] <= 800 and 50 <= p[1] <= 250], k)

    def test_mountain_hulls_stay_under_the_drawn_surface(self):
        rng = random.Random(5)
        for key in ("yama1", "yama3", "yama_r1", "yama_r2", "yama_l1", "yama_l2"):
            surface = models.yama_heightfield(key)
            for p in (1, 2):
                _, meshes, _ = containers("%sp%d.x" % (key, p))
                pos, _ = mesh_data(meshes["Mesh_yama1_v006"])
                points = list(pos)
                for _ in range(300):   # points inside the hull
                    w = [rng.random() ** 3 for _ in pos]
                    s = sum(w)
                    points.append(tuple(sum(w[i] * pos[i][k] for i in range(len(pos))) / s for k in range(3)))
                for q in points:
                    h = surface.height_at(q[0], q[2])
                    self.assertIsNotNone(h, (key, p, q))
                    self.assertLessEqual(q[1], h + 1e-6, (key, p, q))

    def test_pieces_that_are_their_own_hull_are_convex(self):
        # their collision hull is built from the drawn mesh: a dent would be an invisible wall
        for name in ("yama_o2-1.x", "yama_o2-2.x", "yama_big_l.x", "yama_big_r.x"):
            _, meshes, _ = containers(name)
            pos, faces = mesh_data(meshes["Mesh_yama1_v006"])
            for a, b, c in faces:
                n = cross(sub(pos[b], pos[a]), sub(pos[c], pos[a]))
                worst = max(dot(n, sub(q, pos[a])) for q in pos)
                self.assertLessEqual(worst, 1e-6 * max(1.0, dot(n, n) ** 0.5) * 1000, name)


if __name__ == "__main__":
    unittest.main()
