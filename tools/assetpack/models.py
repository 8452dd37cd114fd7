"""The game's meshes: low-poly but recognisable placeholders built from closed primitives,
height fields and rings, with the frame, part and animation-set names the game looks up.

Sizes follow the game's world: area cells of 1000 units, the player's machine a few
units long, fairies about one model unit tall (drawn x 20), bosses sized from their
collision spheres, terrain pieces filling their cells.
"""
import math

from geometry import (IDENTITY, AnimationSet, Frame, HeightField, Material, MeshPart, add, box, chain,
                      combined_matrices, cross, dot, ellipsoid, frustum, invert_rigid, mul, norm, plane, prism,
                      quad_pts, rot_x, rot_y, rot_z, sub, translate)
from xfile import write_x

# ---- palettes: textures of flat colour swatches that lit meshes map their parts into ----------
PAL_GRID = 8       # swatches per row
PAL_SIZE = 128     # texture size; each swatch is 16 x 16 texels

PALETTES = {
    "pal_velrin.png": [(236, 240, 246), (110, 170, 235), (36, 62, 132), (120, 126, 138), (252, 214, 190),
                       (238, 132, 48), (40, 52, 96), (24, 20, 28), (214, 40, 48), (140, 220, 250),
                       (58, 60, 68), (255, 240, 170)],
    "pal_toska.png": [(170, 26, 40), (30, 28, 36), (222, 180, 60), (80, 80, 92), (248, 220, 204),
                      (206, 212, 228), (92, 40, 120), (20, 16, 24), (255, 90, 60), (255, 190, 90),
                      (58, 54, 62), (120, 20, 30)],
    "pal_weapons.png": [(240, 240, 236), (206, 36, 36), (124, 128, 136), (250, 206, 40), (30, 30, 34),
                        (250, 140, 40), (60, 150, 80), (200, 200, 210)],
    "pal_bosses.png": [
        # Dweli: witch of the first stage
        (46, 40, 92), (132, 70, 190), (252, 220, 200), (250, 214, 90), (22, 20, 30), (230, 230, 250),
        # Pentra: star-bearer
        (246, 246, 255), (60, 120, 220), (250, 200, 60), (252, 226, 206), (180, 60, 140), (24, 24, 40),
        # Gralle: armoured volcano knight
        (70, 60, 56), (190, 70, 30), (255, 170, 40), (230, 200, 180), (40, 36, 36), (130, 120, 110),
        # Orsel: puppeteer
        (40, 110, 80), (230, 230, 220), (250, 226, 210), (150, 30, 60), (26, 26, 30), (200, 170, 90),
    ],
    "pal_doll.png": [(250, 232, 220), (196, 40, 70), (250, 250, 250), (60, 40, 30), (20, 20, 24),
                     (255, 170, 190), (120, 90, 60)],
}

# The fairy's own texture and its five recolours share this swatch layout: materials 1-3
# (dress, hair, ribbons) map into swatches that the recolours change; skin and wings stay.
FAIRY_SWATCH = {"skin": 0, "eye": 1, "cheek": 2, "dress": 8, "dress2": 9, "hair": 16, "hair2": 17,
                "ribbon": 24, "wing": 32, "wing2": 33}
FAIRY_COLOURS = {
    # file: (dress, dress trim, hair, hair shade, ribbon)
    "fairy_1.png": ((70, 130, 230), (230, 240, 255), (250, 226, 120), (220, 180, 70), (230, 60, 80)),
    "fairy_2.png": ((220, 70, 90), (255, 230, 230), (120, 70, 40), (90, 50, 30), (250, 210, 60)),
    "fairy_3.png": ((60, 170, 90), (230, 255, 230), (60, 60, 70), (30, 30, 40), (250, 140, 40)),
    "fairy_4.png": ((150, 80, 200), (245, 230, 255), (240, 240, 250), (200, 200, 215), (70, 180, 240)),
    "fairy_5.png": ((240, 150, 40), (255, 245, 220), (200, 60, 50), (150, 40, 30), (60, 160, 90)),
    "fairy_6.png": ((40, 40, 60), (200, 200, 220), (130, 210, 240), (80, 160, 200), (240, 90, 170)),
}
FAIRY_FIXED = {"skin": (252, 222, 202), "eye": (30, 30, 60), "cheek": (250, 170, 170),
               "wing": (200, 240, 255, 170), "wing2": (150, 220, 255, 200)}


def swatch(k, inset=4):
    """uv rectangle inside swatch k of a palette texture."""
    cell = PAL_SIZE // PAL_GRID
    x, y = (k % PAL_GRID) * cell, (k // PAL_GRID) * cell
    return ((x + inset) / PAL_SIZE, (y + inset) / PAL_SIZE, (x + cell - inset) / PAL_SIZE,
            (y + cell - inset) / PAL_SIZE)


# ---- helpers ---------------------------------------------------------------------------------
def lit(texture, diffuse=(1, 1, 1, 1), emissive=0.3, power=12.0, specular=0.25):
    return Material(diffuse, texture, power, (specular,) * 3, (emissive,) * 3)


def unlit(texture, diffuse=(1, 1, 1, 1)):
    return Material(diffuse, texture, 0.0, (0, 0, 0), (0, 0, 0))


def basis_to(a, b, up=(0, 1, 0)):
    """A matrix that maps local +z onto the segment a -> b, origin at a."""
    z = norm(sub(b, a))
    if abs(dot(z, up)) > 0.95:
        up = (1, 0, 0)
    x = norm(cross(up, z))
    y = cross(z, x)
    return ((x[0], x[1], x[2], 0.0), (y[0], y[1], y[2], 0.0), (z[0], z[1], z[2], 0.0), (a[0], a[1], a[2], 1.0))


def limb(part, mat, uv, a, b, r0, r1, seg=8):
    length = math.sqrt(dot(sub(b, a), sub(b, a)))
    frustum(part, mat, basis_to(a, b), r0, r1, length, seg=seg, uv=uv)


def ball(part, mat, uv, c, r, seg=10, rings=6, xf=IDENTITY):
    radii = r if isinstance(r, tuple) else (r, r, r)
    ellipsoid(part, mat, chain(xf, translate(*c)), radii, seg=seg, rings=rings, uv=uv)


def wing(part, mat, uv, root, outline, thickness, yaw, pitch=0.0, roll=0.0):
    """A flat plate (outline in its own xz plane) turned and placed at root."""
    prism(part, mat, chain(rot_z(roll), rot_x(pitch), rot_y(yaw), translate(*root)), outline, thickness, uv=uv)


def pose_keys(base, poses, ticks):
    """Matrix keys: base frame matrix pre-multiplied by each pose, spread over ticks."""
    n = len(poses) - 1
    return [(int(round(ticks * i / n)), chain(p, base)) for i, p in enumerate(poses)]


# ---- player machines -------------------------------------------------------------------------
def _machine(name, tex, dims, colours, pilot_spec):
    """A jet ridden by its pilot; two nozzles at (+-nx, 0, nz) carry the flame frames.
    dims: fuselage radii, fuselage centre z, nozzle x, nozzle z, span, nacelle radius."""
    frx, fry, frz, fcz, nx, nz, span, nr = dims
    hull, trim, dark, metal, skin, hair, suit, eye, accent, glass, nozzle = colours
    m = MeshPart("Mesh_%s_machine" % name, [lit(tex, emissive=0.35)])
    ball(m, 0, swatch(hull), (0, 0, fcz), (frx, fry, frz), seg=14, rings=8)
    # nose and canopy
    limb(m, 0, swatch(trim), (0, -0.05, fcz + frz * 0.7), (0, -0.05, fcz + frz * 1.25), frx * 0.55, 0.0, seg=10)
    ball(m, 0, swatch(glass), (0, fry * 0.7, fcz + frz * 0.35), (frx * 0.5, fry * 0.45, frz * 0.3), seg=10, rings=5)
    # nacelles ending exactly at the nozzles
    for sx in (1, -1):
        limb(m, 0, swatch(metal), (sx * nx, 0, nz + 0.35), (sx * nx, 0, nz + 3.2), nr, nr * 0.8, seg=10)
        limb(m, 0, swatch(nozzle), (sx * nx, 0, nz), (sx * nx, 0, nz + 0.36), nr * 0.85, nr, seg=10)
        ball(m, 0, swatch(accent), (sx * nx, 0, nz + 3.2), (nr * 0.8, nr * 0.8, nr * 1.4), seg=8, rings=5)
        # swept wing from the fuselage past the nacelle
        wing(m, 0, swatch(trim if sx > 0 else hull), (0, 0, 0),
             [(sx * 0.3, fcz + 1.2), (sx * span, fcz - 1.4), (sx * span, fcz - 2.3), (sx * 0.3, fcz - 1.6)],
             0.14, 0.0)
        # tail fin on the nacelle, leaning outwards
        prism(m, 0, chain(rot_z(math.pi / 2 - sx * 0.25), translate(sx * nx, nr * 0.7, 0)),
              [(0, nz + 0.5), (0.9, nz + 0.9), (0.9, nz + 1.6), (0, nz + 2.2)], 0.08, uv=swatch(dark))
    # stripe along the spine
    box(m, 0, translate(0, fry * 0.92, fcz - frz * 0.35), (0.18, 0.08, frz * 0.9), uv=swatch(accent))
    p = MeshPart("Mesh_%s_pilot" % name, [lit(tex, emissive=0.4)])
    px, py, pz = 0, fry + 0.05, fcz - 0.2
    ball(p, 0, swatch(suit), (px, py + 0.45, pz), (0.34, 0.5, 0.28), seg=10, rings=6)        # torso
    ball(p, 0, swatch(skin), (px, py + 1.15, pz + 0.05), 0.3, seg=12, rings=8)              # head
    for sx in (1, -1):
        ball(p, 0, swatch(eye), (sx * 0.1, py + 1.2, pz + 0.31), (0.05, 0.07, 0.03), seg=6, rings=4)
        limb(p, 0, swatch(suit), (sx * 0.3, py + 0.75, pz), (sx * 0.45, py + 0.3, pz + 0.55), 0.09, 0.08)
        limb(p, 0, swatch(suit), (sx * 0.18, py + 0.05, pz), (sx * 0.55, py - 0.1, pz + 0.8), 0.12, 0.1)
    pilot_spec(p, px, py, pz, swatch)
    body = Frame("%s_body" % name.capitalize(), IDENTITY, children=[
        Frame(m.name, IDENTITY, [m]),
        Frame(p.name, IDENTITY, [p]),
        Frame("Flame0", translate(nx, 0, nz)),
        Frame("Flame1", translate(-nx, 0, nz)),
    ])
    root = Frame("%s_root" % name.capitalize(), IDENTITY, children=[body])
    return root, body.name


def _bank_sets(body, names, ticks=60):
    """Neutral, banking and held-bank sets on one time base (the motion in the first
    `ticks` ticks). names: (neutral, bank-right entry, bank-right hold, bank-left entry,
    bank-left hold); 'right' dips the right wing (negative roll about z)."""
    bank = math.radians(32)
    bob = translate(0, 0.06, 0)
    n, re, rh, le, lh = names
    sets = [AnimationSet(n, {body: pose_keys(IDENTITY, [IDENTITY, chain(rot_z(0.03), bob), IDENTITY,
                                                         chain(rot_z(-0.03), bob), IDENTITY], ticks)})]
    for roll, entry, hold in ((-bank, re, rh), (bank, le, lh)):
        # the entry set reaches the full bank at `ticks` and holds it to twice that, so a
        # position at exactly the end of the motion does not wrap back to level flight
        sets.append(AnimationSet(entry, {body: [(0, IDENTITY), (ticks // 2, rot_z(roll * 0.6)), (ticks, rot_z(roll)),
                                                (ticks * 2, rot_z(roll))]}))
        sets.append(AnimationSet(hold, {body: pose_keys(IDENTITY, [rot_z(roll), chain(rot_z(roll * 1.08), bob),
                                                                   rot_z(roll)], ticks)}))
    return sets


def velrin():
    def pilot(p, px, py, pz, sw):
        ball(p, 0, sw(5), (px, py + 1.25, pz - 0.05), (0.34, 0.3, 0.34), seg=12, rings=7)      # hair
        limb(p, 0, sw(5), (px, py + 1.1, pz - 0.25), (px, py + 0.55, pz - 0.75), 0.14, 0.05)  # ponytail
        ball(p, 0, sw(8), (px, py + 1.48, pz - 0.12), (0.16, 0.08, 0.08), seg=8, rings=4)      # ribbon
        limb(p, 0, sw(8), (px - 0.25, py + 0.78, pz + 0.1), (px + 0.25, py + 0.78, pz + 0.1), 0.09, 0.09)  # scarf
    root, body = _machine("velrin", "pal_velrin.png", (0.62, 0.42, 3.0, -0.6, 1.2, -4.5, 3.1, 0.36),
                          range(11), pilot)
    sets = _bank_sets(body, ("AnimationSet_velrin_nj", "AnimationSet_velrin_rj", "AnimationSet_velrin_r2j",
                             "AnimationSet_velrin_lj", "AnimationSet_velrin_l2j"))
    return [root], sets


def toska():
    def pilot(p, px, py, pz, sw):
        ball(p, 0, sw(5), (px, py + 1.2, pz - 0.05), (0.33, 0.28, 0.33), seg=12, rings=7)      # silver hair
        limb(p, 0, sw(1), (px, py + 1.32, pz), (px, py + 2.3, pz - 0.35), 0.34, 0.0, seg=10)   # pointed hat
        limb(p, 0, sw(1), (px, py + 1.3, pz), (px, py + 1.36, pz), 0.62, 0.62, seg=14)         # brim
        limb(p, 0, sw(2), (px, py + 1.36, pz), (px, py + 1.46, pz), 0.35, 0.33, seg=12)        # hat band
    # the model is drawn at 0.7, so its nozzles sit at the flame offsets divided by 0.7
    root, body = _machine("toska", "pal_toska.png", (0.85, 0.55, 4.4, -1.2, 1.71, -6.43, 4.2, 0.5),
                          range(11), pilot)
    # the mirrored names: "5lj" shows the bank that Velrin's "rj" shows
    sets = _bank_sets(body, ("AnimationSet_toska5nj", "AnimationSet_toska5lj", "AnimationSet_toska5l2j",
                             "AnimationSet_toska5rj", "AnimationSet_toska5r2j"))
    return [root], sets


# ---- small enemies (skinned, animated) -------------------------------------------------------
def _skinned_root(name, part, bones):
    """Root frame holding the mesh frame and the bone frames; offsets from the bind pose.
    bones: list of (name, parent name or None, matrix)."""
    frames = {}
    root = Frame("%s_root" % name, IDENTITY, children=[Frame(part.name, IDENTITY, [part])])
    for bname, parent, m in bones:
        f = Frame(bname, m)
        frames[bname] = f
        (frames[parent] if parent else root).children.append(f)
    bind = combined_matrices(root)
    for bname, _, _ in bones:
        part.add_bone(bname, invert_rigid(bind[bname]))
    return root


def fairy():
    """About one unit tall, facing -z (the enemy turns it round); five materials: skin,
    dress, hair, ribbons, wings; the wings flap on their own bones."""
    tex = "fairy_1.png"
    p = MeshPart("Mesh_fairy_j", [lit(tex, emissive=0.45), lit(tex, emissive=0.4), lit(tex, emissive=0.4),
                              lit(tex, emissive=0.45), Material((1, 1, 1, 0.85), tex, 4.0, (0.3,) * 3, (0.6,) * 3)])
    S = FAIRY_SWATCH
    f = -1.0  # front is -z
    p.bind = [("Bone_fairy_body", 1.0)]
    limb(p, 1, swatch(S["dress"]), (0, 0.2, 0), (0, -0.28, 0), 0.08, 0.22, seg=10)           # dress
    limb(p, 1, swatch(S["dress2"]), (0, -0.28, 0), (0, -0.31, 0), 0.225, 0.2, seg=10)       # hem
    for sx in (1, -1):
        limb(p, 0, swatch(S["skin"]), (sx * 0.09, 0.15, 0), (sx * 0.2, -0.02, f * 0.08), 0.035, 0.03, seg=6)
        limb(p, 0, swatch(S["skin"]), (sx * 0.06, -0.3, 0), (sx * 0.07, -0.5, f * 0.03), 0.035, 0.03, seg=6)
    p.bind = [("Bone_fairy_head", 1.0)]
    ball(p, 0, swatch(S["skin"]), (0, 0.33, 0), 0.14, seg=12, rings=8)                       # head
    for sx in (1, -1):
        ball(p, 0, swatch(S["eye"]), (sx * 0.05, 0.34, f * 0.128), (0.025, 0.035, 0.015), seg=6, rings=4)
        ball(p, 0, swatch(S["cheek"]), (sx * 0.08, 0.3, f * 0.118), (0.02, 0.012, 0.01), seg=6, rings=3)
        limb(p, 2, swatch(S["hair2"]), (sx * 0.12, 0.38, 0.02), (sx * 0.2, 0.12, 0.05), 0.06, 0.025, seg=6)  # tails
        ball(p, 3, swatch(S["ribbon"]), (sx * 0.07, 0.49, 0.02), (0.06, 0.04, 0.025), seg=8, rings=4)
    ball(p, 2, swatch(S["hair"]), (0, 0.37, 0.025), (0.155, 0.13, 0.15), seg=12, rings=7)        # hair
    ball(p, 3, swatch(S["ribbon"]), (0, 0.49, 0.02), 0.025, seg=6, rings=4)
    for sx, bone in ((1, "Bone_fairy_wing_r"), (-1, "Bone_fairy_wing_l")):
        p.bind = [(bone, 1.0)]
        wing(p, 4, swatch(S["wing"]), (sx * 0.03, 0.16, 0.07),
             [(0, 0), (sx * 0.34, 0.12), (sx * 0.42, 0.02), (sx * 0.2, -0.06)], 0.012, 0.0, pitch=-0.5)
        wing(p, 4, swatch(S["wing2"]), (sx * 0.03, 0.1, 0.07),
             [(0, 0), (sx * 0.22, -0.02), (sx * 0.26, -0.1), (sx * 0.1, -0.08)], 0.012, 0.0, pitch=0.4)
    p.bind = None
    bones = [("Bone_fairy_body", None, IDENTITY), ("Bone_fairy_head", "Bone_fairy_body", IDENTITY),
             ("Bone_fairy_wing_r", "Bone_fairy_body", IDENTITY), ("Bone_fairy_wing_l", "Bone_fairy_body", IDENTITY)]
    root = _skinned_root("Fairy", p, bones)
    # one flap per loop; the game runs this set on a track of speed 0.0225, so the loop
    # lasts 108 ticks (0.0225 s at 4800 ticks per second)
    t = 108
    # turn each wing about its root
    flap = lambda a, sx: chain(translate(-sx * 0.03, -0.16, -0.07), rot_y(sx * a), translate(sx * 0.03, 0.16, 0.07))
    sets = [AnimationSet("AnimationSet_fairy1nj", {
        "Bone_fairy_body": pose_keys(IDENTITY, [IDENTITY, translate(0, 0.03, 0), IDENTITY, translate(0, -0.03, 0),
                                                IDENTITY], t),
        "Bone_fairy_head": pose_keys(IDENTITY, [IDENTITY, rot_z(0.08), IDENTITY, rot_z(-0.08), IDENTITY], t),
        "Bone_fairy_wing_r": pose_keys(IDENTITY, [flap(0.0, 1), flap(0.7, 1), flap(0.0, 1), flap(-0.3, 1),
                                                  flap(0.0, 1)], t),
        "Bone_fairy_wing_l": pose_keys(IDENTITY, [flap(0.0, -1), flap(0.7, -1), flap(0.0, -1), flap(-0.3, -1),
                                                  flap(0.0, -1)], t),
    })]
    return [root], sets


def doll():
    """A doll with button eyes, apron and swinging arms; faces -z; no colour layers."""
    tex = "pal_doll.png"
    p = MeshPart("Mesh_doll", [lit(tex, emissive=0.4), lit(tex, emissive=0.4), lit(tex, emissive=0.4)])
    f = -1.0
    p.bind = [("Bone_doll_body", 1.0)]
    limb(p, 1, swatch(1), (0, 0.22, 0), (0, -0.32, 0), 0.1, 0.24, seg=10)
    box(p, 1, chain(rot_x(-0.28), translate(0, -0.05, f * 0.12)), (0.22, 0.36, 0.02), uv=swatch(2))  # apron
    for sx in (1, -1):
        limb(p, 0, swatch(0), (sx * 0.07, -0.32, 0), (sx * 0.08, -0.5, 0), 0.04, 0.035, seg=6)
        ball(p, 0, swatch(4), (sx * 0.08, -0.52, f * 0.02), (0.05, 0.03, 0.07), seg=6, rings=4)     # shoes
    p.bind = [("Bone_doll_head", 1.0)]
    ball(p, 0, swatch(0), (0, 0.38, 0), 0.17, seg=12, rings=8)
    ball(p, 2, swatch(3), (0, 0.42, 0.03), (0.185, 0.16, 0.17), seg=12, rings=7)                 # hair
    for sx in (1, -1):
        ball(p, 2, swatch(4), (sx * 0.06, 0.39, f * 0.158), (0.03, 0.03, 0.012), seg=8, rings=4)   # button eyes
        ball(p, 1, swatch(5), (sx * 0.1, 0.56, 0.0), (0.07, 0.05, 0.03), seg=8, rings=4)          # bow
    for sx, bone in ((1, "Bone_doll_arm_r"), (-1, "Bone_doll_arm_l")):
        p.bind = [(bone, 1.0)]
        limb(p, 0, swatch(0), (sx * 0.1, 0.17, 0), (sx * 0.2, -0.08, 0), 0.04, 0.035, seg=6)
    p.bind = None
    bones = [("Bone_doll_body", None, IDENTITY), ("Bone_doll_head", "Bone_doll_body", IDENTITY),
             ("Bone_doll_arm_r", "Bone_doll_body", IDENTITY), ("Bone_doll_arm_l", "Bone_doll_body", IDENTITY)]
    root = _skinned_root("Doll", p, bones)
    t = 108
    swing = lambda a, sx: chain(translate(-sx * 0.1, -0.17, 0), rot_x(a), translate(sx * 0.1, 0.17, 0))
    sets = [AnimationSet("AnimationSet_doll1", {
        "Bone_doll_body": pose_keys(IDENTITY, [IDENTITY, rot_z(0.1), IDENTITY, rot_z(-0.1), IDENTITY], t),
        "Bone_doll_head": pose_keys(IDENTITY, [IDENTITY, rot_z(-0.15), IDENTITY, rot_z(0.15), IDENTITY], t),
        "Bone_doll_arm_r": pose_keys(IDENTITY, [swing(0, 1), swing(0.6, 1), swing(0, 1), swing(-0.6, 1),
                                                swing(0, 1)], t),
        "Bone_doll_arm_l": pose_keys(IDENTITY, [swing(0, -1), swing(-0.6, -1), swing(0, -1), swing(0.6, -1),
                                                swing(0, -1)], t),
    })]
    return [root], sets


# ---- bosses ---------------------------------------------------------------------------------------
def _figure(p, k, size, front=1.0, robe=(0.15, 0.45)):
    """A robed figure of height `size` facing +z (front = 1) or -z; palette swatches k:
    dict with robe, trim, skin, hair, eye. Returns useful anchor heights."""
    s = size
    fz = front
    limb(p, 0, swatch(k["robe"]), (0, 0.62 * s, 0), (0, 0.0, 0), robe[0] * s, robe[1] * s, seg=12)
    limb(p, 0, swatch(k["trim"]), (0, 0.02 * s, 0), (0, -0.02 * s, 0), robe[1] * s * 1.04, robe[1] * s * 0.98, seg=12)
    ball(p, 0, swatch(k["robe"]), (0, 0.66 * s, 0), (0.17 * s, 0.1 * s, 0.13 * s), seg=10, rings=5)
    ball(p, 0, swatch(k["skin"]), (0, 0.8 * s, 0), 0.11 * s, seg=12, rings=8)
    ball(p, 0, swatch(k["hair"]), (0, 0.83 * s, -fz * 0.02 * s), (0.12 * s, 0.105 * s, 0.12 * s), seg=12, rings=7)
    for sx in (1, -1):
        ball(p, 0, swatch(k["eye"]), (sx * 0.038 * s, 0.8 * s, fz * 0.1 * s), (0.018 * s, 0.026 * s, 0.01 * s),
             seg=6, rings=4)
        limb(p, 0, swatch(k["robe"]), (sx * 0.15 * s, 0.64 * s, 0), (sx * 0.3 * s, 0.42 * s, fz * 0.1 * s),
             0.05 * s, 0.07 * s, seg=8)
        ball(p, 0, swatch(k["skin"]), (sx * 0.31 * s, 0.4 * s, fz * 0.11 * s), 0.035 * s, seg=6, rings=4)
    return s


def dweli():
    """Stage-1 boss: a witch with a wide hat riding a broom. Drawn at scale 2 with a
    collision radius of 30, so about 15 model units in radius: 30 units tall with the hat."""
    tex = "pal_bosses.png"
    p = MeshPart("Mesh_dweli", [lit(tex, emissive=0.35)])
    k = {"robe": 0, "trim": 1, "skin": 2, "hair": 3, "eye": 4}
    s = _figure(p, k, 22.0)
    limb(p, 0, swatch(0), (0, 0.88 * s, 0), (0.05 * s, 1.35 * s, -0.12 * s), 0.16 * s, 0.0, seg=12)   # hat
    limb(p, 0, swatch(0), (0, 0.87 * s, 0), (0, 0.9 * s, 0), 0.36 * s, 0.34 * s, seg=16)               # brim
    limb(p, 0, swatch(1), (0, 0.9 * s, 0), (0, 0.95 * s, 0), 0.17 * s, 0.16 * s, seg=12)               # band
    ball(p, 0, swatch(3), (0.1 * s, 0.95 * s, 0.15 * s), 0.03 * s, seg=6, rings=4)                     # buckle
    limb(p, 0, swatch(5), (0, 0.25 * s, -0.7 * s), (0, 0.3 * s, 0.6 * s), 0.025 * s, 0.025 * s, seg=8)  # broom
    limb(p, 0, swatch(3), (0, 0.25 * s, -0.7 * s), (0, 0.22 * s, -1.0 * s), 0.03 * s, 0.12 * s, seg=10)
    return [Frame("Dweli_root", IDENTITY, children=[Frame(p.name, IDENTITY, [p])])], []


def pentra():
    """Stage-3 boss: small (about 0.5 units in radius), a star-bearer with a pentagram halo."""
    tex = "pal_bosses.png"
    p = MeshPart("Mesh_pentra", [lit(tex, emissive=0.4)])
    k = {"robe": 6, "trim": 7, "skin": 9, "hair": 10, "eye": 11}
    s = _figure(p, k, 0.9, robe=(0.13, 0.35))
    xf = chain(rot_x(-math.pi / 2), translate(0, 0.78 * s, -0.18 * s))
    pts = []
    for i in range(10):
        r = 0.42 * s if i % 2 == 0 else 0.17 * s
        a = math.pi / 2 + i * math.pi / 5
        pts.append((r * math.cos(a), r * math.sin(a)))
    # the star is concave: build it as five convex points round a pentagon
    inner = [pts[i] for i in range(1, 10, 2)]
    prism(p, 0, xf, inner, 0.03 * s, uv=swatch(8))
    for i in range(5):
        tri = [pts[2 * i], pts[(2 * i + 1) % 10], pts[(2 * i - 1) % 10]]
        prism(p, 0, xf, tri, 0.03 * s, uv=swatch(8))
    limb(p, 0, swatch(7), (0.3 * s, 0.42 * s, 0.15 * s), (0.3 * s, 0.45 * s, 0.3 * s), 0.12 * s, 0.12 * s, seg=4)  # book
    return [Frame("Pentra_root", IDENTITY, children=[Frame(p.name, IDENTITY, [p])])], []


def gralle():
    """Stage-4 boss: an armoured knight with horns and glowing seams; two frames only (the
    game keeps five frame slots for it)."""
    tex = "pal_bosses.png"
    p = MeshPart("Mesh_gralle", [lit(tex, emissive=0.3), lit(tex, emissive=0.9)])
    k = {"robe": 12, "trim": 13, "skin": 15, "hair": 16, "eye": 14}
    s = _figure(p, k, 3.0, robe=(0.18, 0.4))
    for sx in (1, -1):
        ball(p, 0, swatch(17), (sx * 0.2 * s, 0.66 * s, 0), (0.12 * s, 0.07 * s, 0.12 * s), seg=10, rings=5)  # pauldron
        limb(p, 0, swatch(17), (sx * 0.08 * s, 0.88 * s, 0), (sx * 0.2 * s, 1.05 * s, -0.05 * s), 0.03 * s, 0.0)
    limb(p, 1, swatch(14), (0, 0.45 * s, 0.1 * s), (0, 0.5 * s, 0.17 * s), 0.06 * s, 0.06 * s, seg=8)  # core
    for i in range(6):
        a = i * math.pi / 3
        box(p, 1, chain(rot_y(a), translate(math.sin(a) * 0.35 * s, 0.12 * s, math.cos(a) * 0.35 * s)),
            (0.03 * s, 0.2 * s, 0.03 * s), uv=swatch(13))
    return [Frame("Gralle_root", IDENTITY, children=[Frame(p.name, IDENTITY, [p])])], []


def orsel():
    """Stage-5 boss: a puppeteer (about 1.5 units in radius) facing +z, whose hands work
    the strings; skinned with arm bones."""
    tex = "pal_bosses.png"
    p = MeshPart("Mesh_orsel", [lit(tex, emissive=0.4)])
    k = {"robe": 18, "trim": 19, "skin": 20, "hair": 21, "eye": 22}
    s = 2.6
    p.bind = [("Bone_orsel_body", 1.0)]
    limb(p, 0, swatch(k["robe"]), (0, 0.62 * s, 0), (0, 0.0, 0), 0.15 * s, 0.5 * s, seg=12)
    limb(p, 0, swatch(k["trim"]), (0, 0.02 * s, 0), (0, -0.02 * s, 0), 0.52 * s, 0.5 * s, seg=12)
    ball(p, 0, swatch(k["robe"]), (0, 0.66 * s, 0), (0.17 * s, 0.1 * s, 0.13 * s), seg=10, rings=5)
    ball(p, 0, swatch(k["skin"]), (0, 0.8 * s, 0), 0.11 * s, seg=12, rings=8)
    ball(p, 0, swatch(k["hair"]), (0, 0.84 * s, -0.03 * s), (0.125 * s, 0.1 * s, 0.125 * s), seg=12, rings=7)
    limb(p, 0, swatch(23), (0, 0.9 * s, 0), (0, 1.02 * s, 0), 0.08 * s, 0.09 * s, seg=10)            # top hat
    limb(p, 0, swatch(23), (0, 0.89 * s, 0), (0, 0.91 * s, 0), 0.17 * s, 0.17 * s, seg=12)
    for sx in (1, -1):
        ball(p, 0, swatch(k["eye"]), (sx * 0.038 * s, 0.8 * s, 0.1 * s), (0.018 * s, 0.026 * s, 0.01 * s),
             seg=6, rings=4)
    for sx, bone in ((1, "Bone_orsel_arm_r"), (-1, "Bone_orsel_arm_l")):
        p.bind = [(bone, 1.0)]
        limb(p, 0, swatch(k["robe"]), (sx * 0.15 * s, 0.64 * s, 0), (sx * 0.35 * s, 0.6 * s, 0.2 * s), 0.05 * s,
             0.06 * s, seg=8)
        ball(p, 0, swatch(k["skin"]), (sx * 0.37 * s, 0.6 * s, 0.23 * s), 0.035 * s, seg=6, rings=4)
        # a puppet cross bar in each hand with its strings
        box(p, 0, translate(sx * 0.37 * s, 0.64 * s, 0.3 * s), (0.22 * s, 0.02 * s, 0.02 * s), uv=swatch(23))
        for dx in (-0.09, 0.09):
            limb(p, 0, swatch(19), (sx * 0.37 * s + dx * s, 0.63 * s, 0.3 * s),
                 (sx * 0.37 * s + dx * s, 0.25 * s, 0.34 * s), 0.004 * s, 0.004 * s, seg=4)
    p.bind = None
    shoulder = lambda sx: (sx * 0.15 * s, 0.64 * s, 0)
    bones = [("Bone_orsel_body", None, IDENTITY),
             ("Bone_orsel_arm_r", "Bone_orsel_body", IDENTITY), ("Bone_orsel_arm_l", "Bone_orsel_body", IDENTITY)]
    root = _skinned_root("Orsel", p, bones)

    def lift(a, sx):
        x, y, z = shoulder(sx)
        return chain(translate(-x, -y, -z), rot_x(-a), translate(x, y, z))
    t = 108
    sets = [AnimationSet("AnimationSet_orsel", {
        "Bone_orsel_body": pose_keys(IDENTITY, [IDENTITY, translate(0, 0.05 * s, 0), IDENTITY], t),
        "Bone_orsel_arm_r": pose_keys(IDENTITY, [lift(0, 1), lift(0.5, 1), lift(0, 1), lift(-0.2, 1), lift(0, 1)], t),
        "Bone_orsel_arm_l": pose_keys(IDENTITY, [lift(0, -1), lift(-0.2, -1), lift(0, -1), lift(0.5, -1),
                                                 lift(0, -1)], t),
    })]
    return [root], sets


# ---- weapons and effects --------------------------------------------------------------------------
def _single(name, part):
    return [Frame(name, IDENTITY, children=[Frame(part.name, IDENTITY, [part])])], []


def missile():
    """About 6 units long, nose along +z."""
    p = MeshPart("Mesh_missile", [lit("pal_weapons.png", emissive=0.35)])
    limb(p, 0, swatch(0), (0, 0, -2.6), (0, 0, 2.0), 0.28, 0.28, seg=10)
    limb(p, 0, swatch(1), (0, 0, 2.0), (0, 0, 3.1), 0.28, 0.0, seg=10)
    limb(p, 0, swatch(4), (0, 0, -2.9), (0, 0, -2.6), 0.2, 0.26, seg=10)
    for i in range(4):
        prism(p, 0, chain(rot_z(i * math.pi / 2 + math.pi / 4), translate(0, 0, 0)),
              [(0.2, -2.6), (0.85, -2.5), (0.85, -2.0), (0.2, -1.4)], 0.06, uv=swatch(2))
    return _single("Missile_root", p)


def _bomb(name, body, stripe):
    p = MeshPart(name, [lit("pal_weapons.png", emissive=0.35)])
    ball(p, 0, swatch(body), (0, 0, 0.2), (0.62, 0.62, 2.1), seg=14, rings=8)
    limb(p, 0, swatch(stripe), (0, 0, 0.5), (0, 0, 0.9), 0.64, 0.6, seg=14)
    limb(p, 0, swatch(2), (0, 0, -2.4), (0, 0, -1.5), 0.3, 0.4, seg=10)
    for i in range(4):
        prism(p, 0, rot_z(i * math.pi / 2),
              [(0.25, -2.5), (0.95, -2.5), (0.95, -2.1), (0.35, -1.4)], 0.06, uv=swatch(stripe))
    return p


def nuke():
    return _single("Nuke_root", _bomb("Mesh_nuke", 3, 4))


def nuke2():
    return _single("Nuke2_root", _bomb("Mesh_nuke2", 4, 3))


def afterburner():
    """A flame cone from the nozzle (origin) backwards to z = -1, radius 0.2, plus two
    crossed tapering planes so that it reads from the side; v runs from the nozzle (0)
    to the tip (1)."""
    p = MeshPart("Mesh_afterburner", [unlit("afterburner.png")])
    frustum(p, 0, rot_y(math.pi), 0.2, 0.0, 1.0, seg=10, caps=False)
    uvs = [(0, 0), (1, 0), (0.6, 1), (0.4, 1)]
    quad_pts(p, 0, [(-0.2, 0, 0), (0.2, 0, 0), (0.02, 0, -1), (-0.02, 0, -1)], uvs, both_sides=True)
    quad_pts(p, 0, [(0, -0.2, 0), (0, 0.2, 0), (0, 0.02, -1), (0, -0.02, -1)], uvs, both_sides=True)
    return _single("AfterBurner_root", p)


def ray():
    """A unit beam along +z from 0 to 1, about 0.015 in radius: two crossed planes and a
    thin core, textured with a bright core across u."""
    p = MeshPart("Mesh_ray", [unlit("ray_beam.png")])
    uvs = [(0, 0), (1, 0), (1, 1), (0, 1)]
    quad_pts(p, 0, [(-0.02, 0, 0), (0.02, 0, 0), (0.02, 0, 1), (-0.02, 0, 1)], uvs, both_sides=True)
    quad_pts(p, 0, [(0, -0.02, 0), (0, 0.02, 0), (0, 0.02, 1), (0, -0.02, 1)], uvs, both_sides=True)
    frustum(p, 0, IDENTITY, 0.012, 0.012, 1.0, seg=8, uv=(0.45, 0.0, 0.55, 1.0), caps=False)
    return _single("Ray_root", p)


def volcano():
    """A unit dome with its pole on +y, lava-textured."""
    p = MeshPart("Mesh_volcano", [unlit("yougan.png")])
    ellipsoid(p, 0, IDENTITY, (1, 1, 1), seg=16, rings=6, v_range=(0.0, 0.5), cap=True, uv=(0, 0, 2, 1))
    return _single("Volcano_root", p)


def tama():
    """An orb of about 30 units radius with a ring round it; shading is in the texture."""
    p = MeshPart("Mesh_tama", [unlit("tama.png")])
    ellipsoid(p, 0, IDENTITY, (30, 30, 30), seg=16, rings=10, uv=(0, 0, 2, 1))
    frustum(p, 0, chain(rot_x(math.pi / 2), translate(0, 2, 0)), 44, 44, 4, seg=20, uv=(0, 0.45, 4, 0.55),
            caps=False)
    return _single("Tama_root", p)


def shot_point():
    """A small emitter (about 8 units): a spiky octahedron; its colour comes from code."""
    p = MeshPart("Mesh_shot_point", [unlit("shot_point.png")])
    ellipsoid(p, 0, IDENTITY, (4, 6, 4), seg=4, rings=2, uv=(0, 0, 1, 1))
    ellipsoid(p, 0, rot_y(math.pi / 4), (2.5, 2.5, 2.5), seg=8, rings=4, uv=(0, 0, 1, 1))
    return _single("ShotPoint_root", p)


# ---- sky and spell backgrounds ---------------------------------------------------------------------
def skydome():
    """Inward hemisphere of radius 1000 with a skirt below the horizon; u round the horizon
    (the texture tiles twice), v from the zenith (0) to the skirt (1); the horizon sits at
    v = 0.5 / 0.6."""
    p = MeshPart("Mesh_SkyDome", [unlit("sky_day.png")])
    ellipsoid(p, 0, IDENTITY, (1000, 800, 1000), seg=24, rings=10, inward=True, v_range=(0.0, 0.6),
              uv=(0, 0, 2, 1))
    return _single("SkyDome_root", p)


def enemy_spell_bg():
    p = MeshPart("Mesh_enemy_spell_bg", [unlit("enemy_spell.png")])
    ellipsoid(p, 0, IDENTITY, (50, 50, 50), seg=20, rings=12, inward=True, uv=(0, 0, 3, 2))
    return _single("EnemySpellBg_root", p)


def zenk_spell_bg():
    p = MeshPart("Mesh_zenk_spell_bg", [unlit("zenk_spell.png")])
    ellipsoid(p, 0, IDENTITY, (400, 400, 400), seg=20, rings=12, inward=True, uv=(0, 0, 4, 2))
    return _single("SpellBg_root", p)


# ---- ground, sea and ice -------------------------------------------------------------------------------
def _ground_height(variant):
    """Low bumps inside the tile and height 0 along all four edges, so any variant joins
    any other."""
    rnd = [(0.3, 0.3, 22), (0.7, 0.6, 15), (0.45, 0.8, 12)], [(0.6, 0.35, 18), (0.25, 0.7, 20)], \
        [(0.5, 0.5, 26), (0.2, 0.25, 10), (0.8, 0.8, 12)]
    bumps = rnd[(variant - 1) % 3] if variant else [(0.5, 0.5, 16)]

    def h(x, z):
        u, v = x / 1000.0, z / 1000.0
        edge = math.sin(math.pi * u) * math.sin(math.pi * v)
        s = 0.0
        for cx, cz, a in bumps:
            d2 = ((u - cx) ** 2 + (v - cz) ** 2) / 0.03
            s += a * math.exp(-d2)
        return s * edge
    return h


def ground_tile(container, variant, texture):
    p = MeshPart(container, [lit(texture, emissive=0.35, power=4.0, specular=0.05)])
    hf = HeightField(0, 1000, 0, 1000, 12, 12, _ground_height(variant))
    hf.emit(p, 0, lambda x, y, z, n: (x / 250.0, z / 250.0))
    return p


def ground_block(variant):
    p = ground_tile("Mesh_ground_2_v002", variant, "ground2.png")
    return _single("Ground2_%d_root" % variant, p)


def ground_collision():
    p = ground_tile("Mesh_ground_1", 1, "ground2.png")
    return _single("Ground1_root", p)


def ground_sea():
    p = MeshPart("Mesh_ground_sea", [lit("sea_tile.png", emissive=0.3)])
    HeightField(0, 1000, 0, 1000, 2, 2, lambda x, z: 0.0).emit(p, 0, lambda x, y, z, n: (x / 250.0, z / 250.0))
    return _single("GroundSea_root", p)


def ice_floe():
    """A flat, irregular floe of about 250 units radius standing 12 units out of the sea."""
    p = MeshPart("Mesh_ice_floe", [lit("ice_floe.png", emissive=0.45, specular=0.5, power=20.0)])
    radii = [250, 220, 265, 230, 245, 205, 240, 260, 225, 250, 235, 215]
    outline = [(r * math.cos(2 * math.pi * i / len(radii)), r * math.sin(2 * math.pi * i / len(radii)))
               for i, r in enumerate(radii)]
    # keep it convex: the radii vary gently enough, and the prism caps are fans
    prism(p, 0, translate(0, 4, 0), outline, 16, uv=(0, 0, 2, 2))
    return _single("IceFloe_root", p)


def ice_spire():
    """An ice crystal about 300 wide and 1200 tall centred on its origin, with two smaller
    crystals leaning out of its middle."""
    p = MeshPart("Mesh_ice_spire", [lit("ice_crystal.png", emissive=0.5, specular=0.6, power=30.0)])

    def crystal(xf, r, h):
        # a six-sided prism pointed at both ends, h tall, centred on its origin
        for down in (False, True):
            turn = rot_x(math.pi / 2) if down else rot_x(-math.pi / 2)
            sgn = -1 if down else 1
            frustum(p, 0, chain(turn, xf), r, r * 0.9, h * 0.25, seg=6, uv=(0, 0, 1, 0.5), caps=False)
            frustum(p, 0, chain(turn, translate(0, sgn * h * 0.25, 0), xf), r * 0.9, 0.0, h * 0.25, seg=6,
                    uv=(0, 0.5, 1, 1), caps=False)
    crystal(IDENTITY, 150, 1200)
    crystal(chain(rot_z(0.7), translate(60, -100, 30)), 70, 600)
    crystal(chain(rot_z(-0.6), rot_y(1.2), translate(-50, 50, -40)), 55, 460)
    return _single("IceSpire_root", p)


# ---- mountains -------------------------------------------------------------------------------------
# Every drawn mountain has one part, "Mesh_yama1_v006", with one material. The pieces are
# drawn unlit, so their texture carries the shading: u is the height (foot to peak over
# YAMA_TOP units) and v the lighting of the face (0 dark, 1 lit), the same for every
# mountain so that the overlays of the volcanic look line up too.
YAMA_TOP = 1100.0
YAMA_LIGHT = norm((-0.4, 0.75, -0.55))
YAMA_MATERIAL = lambda: unlit("yama_rock.png")
SADDLE = 180.0


def _yama_uv(x, y, z, n):
    light = max(0.0, dot(n, YAMA_LIGHT))
    return (min(0.99, max(0.01, y / YAMA_TOP)), 0.04 + 0.92 * light)


class Dome:
    """A paraboloid cap: concave inside its ellipse, so anything built from points below it
    stays below it."""

    def __init__(self, cx, cz, rx, rz, h, top=None):
        self.cx, self.cz, self.rx, self.rz, self.h, self.top = cx, cz, rx, rz, h, top

    def __call__(self, x, z):
        t = 1 - ((x - self.cx) / self.rx) ** 2 - ((z - self.cz) / self.rz) ** 2
        v = self.h * t
        if self.top is not None:
            v = min(v, self.top)
        return v

    def hull(self, rings=(0.0, 0.45, 0.8, 0.93), n=10, margin=25.0):
        """Vertices and faces of a convex solid under the dome: rings of the ellipse at
        fractions of its radius, lowered by a margin, over a base at y = 0."""
        part_rings = []
        for f in rings:
            y = max(0.0, self(self.cx + f * self.rx, self.cz) - margin) if f > 0 else self(self.cx, self.cz) - margin
            part_rings.append([(self.cx + f * self.rx * math.cos(2 * math.pi * i / n), y,
                                self.cz + f * self.rz * math.sin(2 * math.pi * i / n)) for i in range(n)])
        base = [(self.cx + rings[-1] * self.rx * math.cos(2 * math.pi * i / n), 0.0,
                 self.cz + rings[-1] * self.rz * math.sin(2 * math.pi * i / n)) for i in range(n)]
        return part_rings, base


def _bumps(seed):
    """Non-negative ripples that only ever raise the surface (the hulls stay below it)."""
    waves = [(0.011 + 0.002 * ((seed * 7 + i * 3) % 5), 0.007 + 0.002 * ((seed + i) % 4), (seed * 1.7 + i) % 6.28,
              18 + 6 * i) for i in range(3)]

    def f(x, z, base):
        if base <= 0:
            return 0.0
        k = min(1.0, base / 120.0)
        return k * sum(a * (0.5 + 0.5 * math.sin(fx * x + fz * z + ph)) for fx, fz, ph, a in waves)
    return f


def _saddle(x):
    return SADDLE * max(0.0, 1 - ((x - 500) / 300.0) ** 2)


def _yama_surface(domes, joins, seed, length):
    """Drawn height: the highest dome, a fixed saddle near the joined ends (the same profile
    in every piece, so neighbours meet), plus ripples; 0 is the sea bed around it."""
    bump = _bumps(seed)

    def h(x, z):
        base = max(d(x, z) for d in domes)
        for jz in joins:
            w = max(0.0, 1 - abs(z - jz) / 300.0)
            if w > 0:
                base = max(base, _saddle(x) * min(1.0, w * 2))
        base = max(0.0, base)
        edge = 0.0 if z <= 0.01 or z >= length - 0.01 else 1.0
        return base + bump(x, z, base) * edge
    return h


YAMA_PIECES = {
    # file: (domes, joined ends, length along z, seed)
    "yama1": ([Dome(500, 650, 380, 560, 900), Dome(500, 1420, 330, 500, 700)], [], 2000, 1),
    "yama3": ([Dome(500, 700, 360, 550, 800), Dome(500, 1480, 330, 480, 1000)], [2000], 2000, 2),
    "yama_r1": ([Dome(560, 600, 340, 480, 850), Dome(600, 1400, 330, 480, 950)], [0, 2000], 2000, 3),
    "yama_r2": ([Dome(560, 420, 330, 380, 700), Dome(540, 820, 240, 200, 380)], [0], 1000, 4),
    "yama_l1": ([Dome(440, 600, 340, 480, 850), Dome(400, 1400, 330, 480, 950)], [0, 2000], 2000, 5),
    "yama_l2": ([Dome(440, 420, 330, 380, 700), Dome(460, 820, 240, 200, 380)], [0], 1000, 6),
    "yama2": ([Dome(500, 1000, 420, 800, 750)], [], 2000, 7),
}
# Pieces whose collision hull is built from the drawn mesh itself: smooth concave caps
# built as rings, so that their convex hull is the visible surface.
YAMA_SELF_HULL = {
    "yama_o2-1": Dome(833, 250, 1000, 250, 40),
    "yama_o2-2": Dome(833, 250, 1000, 250, 95, top=60),
    "yama_big_l": Dome(520, 1000, 470, 950, 1050),
    "yama_big_r": Dome(480, 1000, 470, 950, 1050),
}


def yama_heightfield(key):
    domes, joins, length, seed = YAMA_PIECES[key]
    return HeightField(0, 1000, 0, length, 20, int(20 * length / 1000), _yama_surface(domes, joins, seed, length))


def yama_drawn(key):
    hf = yama_heightfield(key)
    p = MeshPart("Mesh_yama1_v006", [YAMA_MATERIAL()])
    hf.emit(p, 0, _yama_uv)
    return _single("Yama_%s_root" % key.replace("-", "_"), p)


def _ring_solid(p, rings, base, closed_top=True):
    """Faces of a loft over rings of equal point count (top ring first), closed by the base."""
    idx = []
    for ring in rings + [base]:
        row = []
        for q in ring:
            row.append(p.vert(q, (0, 1, 0), (_yama_uv(q[0], q[1], q[2], (0, 1, 0)))))
        idx.append(row)
    n = len(rings[0])
    centre = (sum(q[0] for q in base) / n, 0.0, sum(q[2] for q in base) / n)
    for r in range(len(idx) - 1):
        for i in range(n):
            a, b, c, d = idx[r][i], idx[r][(i + 1) % n], idx[r + 1][(i + 1) % n], idx[r + 1][i]
            mid = mul(add(p.pos[a], p.pos[c]), 0.5)
            out = sub(mid, (centre[0], mid[1] * 0.5, centre[2]))
            p.tri(a, b, c, 0, out)
            p.tri(a, c, d, 0, out)
    top = idx[0]
    if closed_top and len(set(p.pos[k] for k in top)) > 1:
        for i in range(1, n - 1):
            p.tri(top[0], top[i], top[i + 1], 0, (0, 1, 0))
    bottom = idx[-1]
    for i in range(1, n - 1):
        p.tri(bottom[0], bottom[i], bottom[i + 1], 0, (0, -1, 0))


def yama_hull(key, which):
    """A convex half of a mountain (p1 = the first dome, p2 = the second) in the mountain's
    own frame, kept inside the drawn surface."""
    dome = YAMA_PIECES[key][0][which]
    rings, base = dome.hull()
    p = MeshPart("Mesh_yama1_v006", [YAMA_MATERIAL()])
    _ring_solid(p, rings, base)
    # normals: outward from the solid's centre line
    return _single("Yama_%s_p%d_root" % (key, which + 1), _fix_normals(p))


def _fix_normals(p):
    sums = [(0.0, 0.0, 0.0)] * len(p.pos)
    for a, b, c in p.faces:
        n = cross(sub(p.pos[b], p.pos[a]), sub(p.pos[c], p.pos[a]))
        for k in (a, b, c):
            sums[k] = add(sums[k], n)
    p.nrm = [norm(s) for s in sums]
    p.uv = [_yama_uv(q[0], q[1], q[2], n) for q, n in zip(p.pos, p.nrm)]
    return p


def yama_self_hull(key):
    dome = YAMA_SELF_HULL[key]
    fr = [0.0, 0.12, 0.25, 0.38, 0.5, 0.6, 0.7, 0.8, 0.88, 0.95, 1.0]
    n = 24
    rings = []
    for f in fr[1:]:
        y = max(0.0, dome(dome.cx + f * dome.rx, dome.cz))
        rings.append([(dome.cx + f * dome.rx * math.cos(2 * math.pi * i / n), y,
                       dome.cz + f * dome.rz * math.sin(2 * math.pi * i / n)) for i in range(n)])
    p = MeshPart("Mesh_yama1_v006", [YAMA_MATERIAL()])
    apex = (dome.cx, dome(dome.cx, dome.cz), dome.cz)
    ai = p.vert(apex, (0, 1, 0), (0.5, 0.5))
    rows = [[p.vert(q, (0, 1, 0), (0.5, 0.5)) for q in ring] for ring in rings]
    for i in range(n):
        p.tri(ai, rows[0][i], rows[0][(i + 1) % n], 0, (0, 1, 0))
    centre = (dome.cx, 0.0, dome.cz)
    for r in range(len(rows) - 1):
        for i in range(n):
            a, b, c, d = rows[r][i], rows[r][(i + 1) % n], rows[r + 1][(i + 1) % n], rows[r + 1][i]
            mid = mul(add(p.pos[a], p.pos[c]), 0.5)
            out = sub(mid, (centre[0], -1000.0, centre[2]))
            p.tri(a, b, c, 0, out)
            p.tri(a, c, d, 0, out)
    last = rows[-1]
    for i in range(1, n - 1):
        p.tri(last[0], last[i], last[i + 1], 0, (0, -1, 0))
    return _single("Yama_%s_root" % key.replace("-", "_"), _fix_normals(p))


# ---- caves ----------------------------------------------------------------------------------------
CAVE_LEN = 8000.0
CAVE_CENTRE = (500.0, 80.0)
CAVE_RADII = (440.0, 400.0)
CAVE_FLOOR = -330.0   # walls run below the lowered sea
CAVE_PROFILE = 18     # points along the arch


def cave_profile(z, kind):
    """Points of the tunnel's cross-section at depth z: an arch over the flight room
    (x 200-800, y 50-250 at least) whose walls reach below the water. Each section kind
    only ever widens the tunnel, and never at its two ends, so sections join."""
    w = math.sin(math.pi * z / CAVE_LEN) ** 2
    pts = []
    a0, a1 = math.radians(-38), math.radians(218)
    for i in range(CAVE_PROFILE):
        a = a0 + (a1 - a0) * i / (CAVE_PROFILE - 1)
        widen = 1.0
        if kind == 2:     # the boss hall: a wide chamber in the middle
            widen += 0.8 * w
        elif kind in (1, 4, 5):
            widen += 0.12 * w * (0.5 + 0.5 * math.sin(z / 700.0 + a * 3 + kind))
        elif kind == 3:
            widen += 0.25 * w * (0.5 + 0.5 * math.cos(z / 500.0 + a * 2))
        elif kind in (0, 6, 7):
            widen += 0.3 * w * (0.5 + 0.5 * math.sin(a * 4 + z / 900.0))
        x = CAVE_CENTRE[0] + CAVE_RADII[0] * widen * math.cos(a)
        y = CAVE_CENTRE[1] + CAVE_RADII[1] * widen * math.sin(a)
        pts.append((x, y))
    first, last = pts[0], pts[-1]
    return [(first[0], CAVE_FLOOR)] + pts + [(last[0], CAVE_FLOOR)]


def cave(kind):
    mats = [lit("cave_rock.png", emissive=0.25, specular=0.1, power=6.0)]
    if kind in (0, 7):
        mats.append(lit("cave_rock.png", (0.7, 0.75, 0.9, 1.0), emissive=0.2))
    p = MeshPart("Mesh_cave_%d" % (kind + 1), mats)
    slices = 32
    rows = []
    for j in range(slices + 1):
        z = CAVE_LEN * j / slices
        prof = cave_profile(z, kind)
        row = []
        acc = 0.0
        for i, (x, y) in enumerate(prof):
            if i:
                acc += math.hypot(x - prof[i - 1][0], y - prof[i - 1][1])
            inward = norm((CAVE_CENTRE[0] - x, CAVE_CENTRE[1] - y, 0.0))
            row.append(p.vert((x, y, z), inward, (acc / 400.0, z / 500.0)))
        rows.append(row)
    n = len(rows[0])
    for j in range(slices):
        for i in range(n - 1):
            a, b, c, d = rows[j][i], rows[j][i + 1], rows[j + 1][i + 1], rows[j + 1][i]
            mid = mul(add(p.pos[a], p.pos[c]), 0.5)
            toward = (CAVE_CENTRE[0] - mid[0], CAVE_CENTRE[1] - mid[1], 0.0)
            p.tri(a, b, c, 0, toward)
            p.tri(a, c, d, 0, toward)
    # rock faces round the mouth: the entrance faces the approach (-z), the exit faces the sea
    for z, facing, show in ((0.0, (0, 0, -1), kind == 0), (CAVE_LEN, (0, 0, 1), kind == 7)):
        if not show:
            continue
        prof = cave_profile(z, kind)
        inner = [p.vert((x, y, z), facing, (x / 400.0, y / 400.0)) for x, y in prof]
        outer = []
        for x, y in prof:
            dx, dy = x - CAVE_CENTRE[0], y - CAVE_CENTRE[1]
            k = 1500.0 / max(abs(dx) / 1.0, abs(dy) / 0.9, 1.0)
            ox, oy = CAVE_CENTRE[0] + dx * k, max(CAVE_FLOOR, CAVE_CENTRE[1] + dy * k)
            outer.append(p.vert((ox, oy, z), facing, (ox / 400.0, oy / 400.0)))
        for i in range(len(prof) - 1):
            p.quad(inner[i], inner[i + 1], outer[i + 1], outer[i], 1, facing)
    return _single("Cave_%d_root" % (kind + 1), p)


# ---- flowers and buildings ---------------------------------------------------------------------------
def flower(kind):
    """A meadow strip 4000 units long (pieces repeat every 4 cells) with clumps of flowers
    as crossed quads; the strip's ends share one profile so pieces join."""
    p = MeshPart("Mesh_flower_%d" % kind, [unlit("meadow.png"), unlit("flowers.png")])

    def h(x, z):
        across = max(0.0, 1 - ((x - 500) / 1000.0) ** 2)
        return -20 + 45 * across + 6 * across * math.sin(z / 300.0) * math.sin(math.pi * z / 4000.0)
    hf = HeightField(-500, 1500, 0, 4000, 10, 20, h)
    hf.emit(p, 0, lambda x, y, z, n: (x / 250.0, z / 250.0))
    rnd = _Lcg(40 + kind)
    count = (70, 55, 85)[kind]
    for _ in range(count):
        x = -200 + 1400 * rnd.next()
        z = 60 + 3880 * rnd.next()
        y = hf.height_at(x, z)
        size = 26 + 22 * rnd.next()
        cell = (kind + int(rnd.next() * 2)) % 4
        u0 = (cell % 2) * 0.5
        v0 = (cell // 2) * 0.5
        for a in (0.0, math.pi / 2):
            plane(p, 1, chain(rot_y(a + rnd.next() * 0.5), translate(x, y + size * 0.45, z)), size * 1.3, size,
                  uv=(u0 + 0.01, v0 + 0.01, u0 + 0.49, v0 + 0.49), both_sides=True)
    return _single("Flower_%d_root" % kind, p)


class _Lcg:
    """A tiny deterministic generator, independent of Python's random module versions."""

    def __init__(self, seed):
        self.s = (seed * 2654435761 + 12345) & 0xFFFFFFFF

    def next(self):
        self.s = (self.s * 1103515245 + 12345) & 0x7FFFFFFF
        return self.s / 2147483648.0


# Building faces map into texture columns by the side they face (the unlit pieces carry
# their shading in the texture): lit, half-lit, shaded facades and the roof.
BUILDING_COLUMNS = {"+x": 2, "-x": 1, "+z": 2, "-z": 0, "+y": 3, "-y": 3}


def _tower(p, mat, xf, w, h, d, floors):
    reps = floors

    def col(c):
        u0 = c * 0.25
        return (u0 + 0.01, 0.0, u0 + 0.24, float(reps))
    box(p, mat, xf, (w, h, d), face_uv={k: (col(c) if k[1] != "y" else (0.76, 0.02, 0.99, 0.2))
                                         for k, c in BUILDING_COLUMNS.items()})


def building(variant):
    """A tower filling a 400 x 3200 x 400 box centred on its origin (the collision box)."""
    tex = "building.png" if variant % 2 == 0 else "building2.png"
    p = MeshPart("Mesh_building_%d" % (variant + 1), [unlit(tex)])
    if variant == 0:
        _tower(p, 0, IDENTITY, 400, 3200, 400, 16)
    elif variant == 1:
        _tower(p, 0, translate(0, -800, 0), 400, 1600, 400, 8)
        _tower(p, 0, translate(0, 400, 0), 340, 800, 340, 4)
        _tower(p, 0, translate(0, 1200, 0), 260, 800, 260, 4)
    elif variant == 2:
        _tower(p, 0, translate(0, -100, 0), 400, 3000, 400, 15)
        limb(p, 0, (0.77, 0.05, 0.98, 0.15), (0, 1400, 0), (0, 1600, 0), 40, 5, seg=6)
    elif variant == 3:
        frustum(p, 0, chain(rot_x(-math.pi / 2), translate(0, -1600, 0)), 200, 170, 3200, seg=8,
                uv=(0.26, 0.0, 0.49, 16.0))
    else:
        for sx in (1, -1):
            _tower(p, 0, translate(sx * 105, 0, 0), 190, 3200, 400, 16)
        _tower(p, 0, translate(0, 700, 0), 40, 120, 300, 1)
    return _single("Building_%d_root" % (variant + 1), p)


# ---- the catalogue ---------------------------------------------------------------------------------------
def _yama_drawn(key):
    return lambda: yama_drawn(key)


def _yama_hull(key, which):
    return lambda: yama_hull(key, which)


def _yama_self(key):
    return lambda: yama_self_hull(key)


MODELS = {
    "ground.x": ground_sea,
    "missile_v002.x": missile,
    "skydome.x": skydome,
    "enemy_spell_bg.x": enemy_spell_bg,
    "afterburner.x": afterburner,
    "dweli.x": dweli,
    "fairy.x": fairy,
    "doll.x": doll,
    "ground_1.x": ground_collision,
    "ground_2_v002_1.x": lambda: ground_block(1),
    "ground_2_v002_2.x": lambda: ground_block(2),
    "ground_2_v002_3.x": lambda: ground_block(3),
    "ground_3_snow.x": ice_floe,
    "ground_4_snow2.x": ice_spire,
    "shot_point.x": shot_point,
    "spell_bg2.x": zenk_spell_bg,
    "velrin.x": velrin,
    "ray.x": ray,
    "yama1.x": _yama_drawn("yama1"),
    "yama1p1.x": _yama_hull("yama1", 0),
    "yama1p2.x": _yama_hull("yama1", 1),
    "yama2.x": _yama_drawn("yama2"),
    "yama3.x": _yama_drawn("yama3"),
    "yama3p1.x": _yama_hull("yama3", 0),
    "yama3p2.x": _yama_hull("yama3", 1),
    "yama_r1.x": _yama_drawn("yama_r1"),
    "yama_r1p1.x": _yama_hull("yama_r1", 0),
    "yama_r1p2.x": _yama_hull("yama_r1", 1),
    "yama_r2.x": _yama_drawn("yama_r2"),
    "yama_r2p1.x": _yama_hull("yama_r2", 0),
    "yama_r2p2.x": _yama_hull("yama_r2", 1),
    "yama_l1.x": _yama_drawn("yama_l1"),
    "yama_l1p1.x": _yama_hull("yama_l1", 0),
    "yama_l1p2.x": _yama_hull("yama_l1", 1),
    "yama_l2.x": _yama_drawn("yama_l2"),
    "yama_l2p1.x": _yama_hull("yama_l2", 0),
    "yama_l2p2.x": _yama_hull("yama_l2", 1),
    "yama_o2-1.x": _yama_self("yama_o2-1"),
    "yama_o2-2.x": _yama_self("yama_o2-2"),
    "yama_big_l.x": _yama_self("yama_big_l"),
    "yama_big_r.x": _yama_self("yama_big_r"),
    "doukutsu2_p1.x": lambda: cave(0),
    "doukutsu2_p2.x": lambda: cave(1),
    "doukutsu2_p3.x": lambda: cave(2),
    "doukutsu2_p4.x": lambda: cave(3),
    "doukutsu2_p5.x": lambda: cave(4),
    "doukutsu2_p6.x": lambda: cave(5),
    "doukutsu2_p7.x": lambda: cave(6),
    "doukutsu2_p8.x": lambda: cave(7),
    "volcano.x": volcano,
    "nuke.x": nuke,
    "nuke2.x": nuke2,
    "pentra.x": pentra,
    "gralle.x": gralle,
    "flower.x": lambda: flower(0),
    "flower1.x": lambda: flower(1),
    "flower2.x": lambda: flower(2),
    "tama.x": tama,
    "orsel.x": orsel,
    "toska.x": toska,
    "building-p1.x": lambda: building(0),
    "building-p2.x": lambda: building(1),
    "building-p3.x": lambda: building(2),
    "building-p4.x": lambda: building(3),
    "building-p5.x": lambda: building(4),
}


def build(name):
    """The .x file bytes of a model file name."""
    roots, sets = MODELS[name]()
    return write_x(roots, sets)


def build_tree(name):
    """The frames and animation sets of a model (for checks)."""
    return MODELS[name]()
