"""Every texture of the pack: the HUD and menu atlases at the exact sizes and cells the
game addresses, particle and sprite pictures, portraits, terrain tiles, height images and
the textures the meshes name. All art is drawn white or light where the game tints it,
on transparent backgrounds where it is blended, and never uses opaque pure magenta (the
loader's colour key)."""
import math
import random

import models
from imaging import (Canvas, TileNoise, encode_bmp24, glow_lut, lut, mix, rgba, scale_rgb, smooth)

WHITE = (255, 255, 255, 255)
LIGHT = (236, 240, 248, 255)
CLEAR = (0, 0, 0, 0)


def _rng(name):
    return random.Random("orvalis-assetpack:" + name)


# ---- small helpers ---------------------------------------------------------------------------------
def glow(size, color=WHITE, core=0.15, power=2.0, rx=None, ry=None):
    c = Canvas(size, size)
    c.radial(size / 2, size / 2, rx or size / 2 - 1, ry or size / 2 - 1, glow_lut(color, core, power))
    return c


def solid(size, color):
    return Canvas(size, size, color)


def _label(c, box, text, color=WHITE, align="center", stretch=1.0, fill=0.62, outline=None, max_size=None):
    """Words of a menu cell: as large as fits, but no larger than max_size (font pixel height)
    so that the labels of one sheet look alike."""
    x0, y0, x1, y1 = box
    pad = 4
    c.text_fit(x0 + pad, y0 + 2, x1 - pad, y1 - 2, text, color, align=align, stretch=stretch, fill=fill,
               outline=outline, max_size=max_size)


# ---- effect sheets ---------------------------------------------------------------------------------
def effect_png():
    """Flame cell (top half), smoke cell (bottom left), ring band and small bright square."""
    c = Canvas(256, 256)
    c.radial(128, 63, 118, 56, glow_lut(WHITE, 0.1, 1.8))                      # flame / smoke line
    c.radial(63, 193, 58, 58, glow_lut((240, 240, 240, 235), 0.05, 1.5))       # smoke puff
    c.radial(14.7, 14.7, 11, 11, glow_lut(WHITE, 0.45, 1.0), mode="max")       # small bright square
    for y in range(128, 192):                                                    # ring band
        t = (y + 0.5 - 128) / 64.0
        a = math.sin(math.pi * t) ** 1.5
        c.rect(192, y, 256, y + 1, (255, 255, 255, int(255 * a)))
    return c


def effect2d_png():
    c = Canvas(512, 512)
    w = WHITE
    # normal reticle (0, 0)-(128, 128): a broken circle with ticks (tinted green by code)
    c.ring(64, 64, 52, 46, w)
    for x0, y0, x1, y1 in ((56, 0, 72, 40), (56, 88, 72, 128), (0, 56, 40, 72), (88, 56, 128, 72)):
        c.rect(x0, y0, x1, y1, CLEAR)
    for x0, y0, x1, y1 in ((62, 6, 66, 30), (62, 98, 66, 122), (6, 62, 30, 66), (98, 62, 122, 66)):
        c.rect(x0, y0, x1, y1, w)
    c.circle(64, 64, 4, w)
    # lock marker (128, 0)-(256, 128): four corner brackets
    for sx in (0, 1):
        for sy in (0, 1):
            x = 136 if sx == 0 else 248
            y = 8 if sy == 0 else 120
            dx = 1 if sx == 0 else -1
            dy = 1 if sy == 0 else -1
            c.rect(min(x, x + dx * 34), min(y, y + dy * 7), max(x, x + dx * 34), max(y, y + dy * 7), w)
            c.rect(min(x, x + dx * 7), min(y, y + dy * 34), max(x, x + dx * 7), max(y, y + dy * 34), w)
    # fired marker (256, 0)-(384, 128): brackets round a filled diamond
    for sx in (0, 1):
        for sy in (0, 1):
            x = 264 if sx == 0 else 376
            y = 8 if sy == 0 else 120
            dx = 1 if sx == 0 else -1
            dy = 1 if sy == 0 else -1
            c.line(x, y, x + dx * 30, y + dy * 30, 8, w)
    c.polygon([(320, 36), (348, 64), (320, 92), (292, 64)], w)
    # plain marker (0, 128)-(192, 256), shown with v reversed: drawn pointing up so that it
    # points down at the enemy on screen
    c.polygon([(96, 142), (170, 242), (22, 242)], (255, 255, 255, 230))
    c.polygon([(96, 170), (138, 228), (54, 228)], CLEAR)
    # Zenk reticle (256, 256)-(512, 512): large circle with runes and a pointer so that its
    # turning shows
    c.ring(384, 384, 122, 114, w)
    c.ring(384, 384, 92, 88, w)
    for i in range(24):
        a = 2 * math.pi * i / 24
        r0, r1 = (96, 112) if i % 2 else (92, 114)
        c.line(384 + r0 * math.cos(a), 384 + r0 * math.sin(a), 384 + r1 * math.cos(a), 384 + r1 * math.sin(a), 3, w)
    c.star(384, 384, 60, 24, 6, (255, 255, 255, 150))
    c.polygon([(384, 262), (398, 286), (370, 286)], w)                          # pointer
    c.rect(378, 470, 390, 500, w)
    # sonic boom and wind streaks: the quarter (0, 256)-(256, 512): a soft vertical streak
    for y in range(258, 510):
        t = (y - 258) / 252.0
        av = math.sin(math.pi * t)
        row = []
        for x in range(4, 252):
            u = (x - 128) / 124.0
            row.append(int(255 * av * math.exp(-u * u * 6)))
        for i, a in enumerate(row):
            if a:
                c.rect(4 + i, y, 5 + i, y + 1, (255, 255, 255, a))
    return c


BEAM_COLOURS = {
    # colour type: (column, row), colour
    0: ((1, 0), (255, 60, 60)), 1: ((0, 0), (70, 120, 255)), 2: ((0, 1), (60, 220, 90)),
    3: ((1, 1), (250, 230, 60)), 4: ((2, 0), (190, 70, 240)), 5: ((3, 0), (60, 230, 240)),
    6: ((2, 1), (255, 150, 40)), 7: ((3, 1), (150, 90, 255)), 8: ((0, 2), (245, 245, 255)),
    9: ((0, 3), (255, 190, 60)), 10: ((1, 2), (130, 200, 255)), 11: ((1, 3), (255, 120, 190)),
}


def beam_png():
    """4 x 4 atlas of glowing streaks along v: white core, the type's colour at the rim,
    alpha falling to 0 towards the u edges and the v ends (survives a 1:100 stretch)."""
    c = Canvas(256, 256)
    prof = []
    for y in range(64):
        tv = (y + 0.5) / 64.0
        along = min(1.0, math.sin(math.pi * tv) * 1.6)
        row = []
        for x in range(64):
            tu = abs((x + 0.5) / 64.0 - 0.5) * 2
            row.append((tu, along))
        prof.append(row)
    for (col, rowi), colour in BEAM_COLOURS.values():
        cell = Canvas(64, 64)
        for y in range(64):
            line = []
            for tu, along in prof[y]:
                core = max(0.0, 1 - tu / 0.28)
                edge = max(0.0, 1 - tu / 0.92)
                k = core * core
                r, g, b = (int(colour[i] + (255 - colour[i]) * k) for i in range(3))
                a = int(255 * along * min(1.0, edge * 1.6))
                line.append(bytes((r, g, b, a)))
            cell.px[y * 256:(y + 1) * 256] = b"".join(line)
        c.paste(cell, col * 64, rowi * 64)
    return c


def flare_png():
    c = Canvas(256, 256)
    c.radial(128, 128, 127, 127, lut(lambda t: (255, 250, 235, int(255 * (max(0, 1 - t) ** 3)))))
    for i in range(6):
        a = math.pi * i / 6
        c.line(128 - 120 * math.cos(a), 128 - 120 * math.sin(a), 128 + 120 * math.cos(a), 128 + 120 * math.sin(a),
               2, (255, 255, 255, 70), blend=True)
    c.ring(128, 128, 84, 80, (255, 255, 255, 60), blend=True)
    c.radial(128, 128, 26, 26, glow_lut(WHITE, 0.4, 1.0), mode="max")
    return c


def flare_black_png():
    c = Canvas(256, 256)
    c.radial(128, 128, 127, 127, lut(lambda t: (0, 0, 0, int(235 * (1 - t) ** 1.6))))
    for i in range(4):
        a = math.pi * i / 4 + 0.2
        c.line(128 - 110 * math.cos(a), 128 - 110 * math.sin(a), 128 + 110 * math.cos(a), 128 + 110 * math.sin(a),
               5, (10, 0, 20, 120), blend=True)
    return c


def smoke_png():
    rng = _rng("smoke")
    c = Canvas(128, 128)
    c.radial(64, 64, 62, 62, glow_lut((235, 235, 235, 230), 0.0, 1.4))
    for _ in range(7):
        x, y, r = 34 + 60 * rng.random(), 34 + 60 * rng.random(), 14 + 12 * rng.random()
        c.radial(x, y, r, r, glow_lut((250, 250, 250, 160), 0.0, 2.0), mode="over")
    return c


def mist_png():
    c = Canvas(128, 128)
    c.radial(64, 64, 62, 50, glow_lut((225, 232, 240, 170), 0.0, 1.2))
    return c


def flame_glow(variant):
    c = Canvas(128, 128)
    if variant == 2:
        # a tongue of flame, narrow at the top
        c.radial(64, 80, 44, 46, glow_lut((255, 250, 240, 255), 0.1, 1.6))
        c.radial(64, 50, 26, 44, glow_lut((255, 245, 230, 220), 0.0, 1.8), mode="max")
    else:
        c.radial(64, 64, 62, 62, glow_lut((255, 252, 245, 255), 0.08 if variant == 1 else 0.0, 1.8))
        c.radial(64, 64, 20, 20, glow_lut(WHITE, 0.3, 1.0), mode="max")
    return c


def orb_png(core, halo):
    c = Canvas(128, 128)
    c.radial(64, 64, 62, 62, glow_lut(halo, 0.0, 2.2))
    c.radial(64, 64, 26, 26, glow_lut(core, 0.45, 1.0), mode="max")
    return c


def magic_missile_png():
    c = Canvas(64, 64)
    c.radial(32, 32, 31, 31, glow_lut((255, 245, 230, 200), 0.0, 2.5))
    c.star(32, 32, 28, 6, 4, (255, 255, 255, 240), rot=0)
    c.radial(32, 32, 9, 9, glow_lut(WHITE, 0.5, 1.0), mode="max")
    return c


def ring_png():
    """A bright ring centred in the top-left quarter (the only part the shot samples)."""
    c = Canvas(128, 128)
    c.radial(32, 32, 28, 28, lut(lambda t: (255, 255, 255, int(255 * max(0.0, 1 - abs(t - 0.78) / 0.2) ** 1.2))))
    return c


def ketama_png():
    """A small enemy orb: dark violet disc, bright rim and a single eye; clearly not a bullet."""
    c = Canvas(64, 64)
    c.star(32, 32, 31, 22, 8, (255, 230, 255, 255))
    c.circle(32, 32, 23, (70, 30, 110, 255))
    c.ring(32, 32, 23, 20, (250, 200, 255, 255))
    c.ellipse(32, 32, 11, 8, (255, 255, 255, 255))
    c.circle(32, 32, 5, (200, 20, 40, 255))
    return c


def blast_png(core, rim):
    c = Canvas(128, 128)
    rng = _rng("blast%s" % (core,))
    c.radial(64, 64, 62, 62, glow_lut(rim, 0.0, 1.6))
    for _ in range(6):
        x, y, r = 40 + 48 * rng.random(), 40 + 48 * rng.random(), 16 + 10 * rng.random()
        c.radial(x, y, r, r, glow_lut(rim, 0.0, 2.0), mode="over")
    c.radial(64, 64, 34, 34, glow_lut(core, 0.1, 1.6), mode="over")
    return c


# ---- HUD and menus ----------------------------------------------------------------------------------
def _bar_fill(c, x0, y0, x1, y1):
    """A bar uniform along u (any cut reads), brightest along its middle."""
    h = y1 - y0
    for y in range(y0, y1):
        t = (y + 0.5 - y0) / h
        k = 1 - abs(t - 0.45) * 1.6
        c.rect(x0, y, x1, y + 1, (255, 255, 255, int(255 * max(0.25, min(1.0, k + 0.35)))))


def _bar_frame(c, x0, y0, x1, y1, t=3):
    c.frame(x0, y0, x1, y1, t, WHITE)
    c.rect(x0 + t, y0 + t, x1 - t, y1 - t, (255, 255, 255, 40))
    for x in range(x0 + 64, x1 - 8, 64):
        c.rect(x, y1 - t - 5, x + 2, y1 - t, WHITE)


def _missile_icon(c, x0, y0, w, h):
    cx = x0 + w / 2
    c.polygon([(cx, y0 + h * 0.04), (cx + w * 0.2, y0 + h * 0.2), (cx - w * 0.2, y0 + h * 0.2)], WHITE)
    c.rect(cx - w * 0.2, y0 + h * 0.2, cx + w * 0.2, y0 + h * 0.8, (230, 230, 230, 255))
    c.polygon([(cx - w * 0.2, y0 + h * 0.62), (cx - w * 0.45, y0 + h * 0.92), (cx - w * 0.2, y0 + h * 0.86)], WHITE)
    c.polygon([(cx + w * 0.2, y0 + h * 0.62), (cx + w * 0.45, y0 + h * 0.92), (cx + w * 0.2, y0 + h * 0.86)], WHITE)
    c.rect(cx - w * 0.12, y0 + h * 0.8, cx + w * 0.12, y0 + h * 0.96, (255, 255, 255, 200))


def hud_png():
    c = Canvas(1024, 1024)
    _bar_fill(c, 2, 4, 510, 28)                                   # life and boss bar fill
    _bar_frame(c, 514, 2, 1022, 30)                               # their frame
    _bar_fill(c, 2, 132, 510, 156)                                # speed bar fill
    for x in range(20, 510, 40):                                  # speed chevrons (uniform enough)
        c.polygon([(x, 136), (x + 10, 144), (x, 152), (x + 4, 152), (x + 14, 144), (x + 4, 136)],
                  (255, 255, 255, 120), blend=True)
    _bar_frame(c, 514, 130, 1022, 158)
    _missile_icon(c, 2, 66, 28, 60)                               # stock icon, tens
    _missile_icon(c, 34, 65, 28, 30)                              # stock icon, units
    for d in range(10):                                           # digits 32 x 61
        c.text_fit(32 * d + 2, 164, 32 * d + 30, 223, str(d), WHITE, stretch=0.62, fill=0.9)
    c.text_fit(354, 164, 510, 223, "SCORE", WHITE, stretch=0.85, fill=0.7)
    # the score marker samples (320, 0)-(448, 256), across the cells above; its free rows
    # hold an emblem so that the composite reads as a badge
    c.star(384, 92, 34, 14, 5, WHITE)
    c.ring(384, 92, 44, 40, (255, 255, 255, 200))
    c.rect(330, 232, 438, 236, WHITE)
    c.rect(350, 242, 418, 246, WHITE)
    # spell banner (0, 256)-(512, 320): a light plate for dark green text, a mark on the left
    c.rect(0, 260, 512, 316, (245, 250, 245, 215))
    c.frame(0, 260, 512, 316, 3, WHITE)
    c.rect(120, 264, 124, 312, (150, 200, 150, 255))
    c.star(40, 288, 22, 9, 5, (40, 140, 60, 255))
    c.text_fit(64, 274, 118, 302, "SPELL", (40, 140, 60, 255), fill=0.8)
    # Zenk bar (32, 480)-(544, 512) and its full look (32, 608)-(544, 640)
    _bar_fill(c, 32, 482, 544, 510)
    _bar_fill(c, 32, 610, 544, 638)
    for x in range(40, 544, 24):
        c.rect(x, 612, x + 10, 636, (255, 255, 255, 255))
    # Zenk frames (0, 512)-(1024, 576) and (0, 640)-(1024, 704); the bar sits at
    # x 32-544, y 32-64 of the cell; only x 0-600 shows on a 16:9 screen
    for y0, ready in ((512, False), (640, True)):
        c.frame(28, y0 + 30, 548, y0 + 64, 3, WHITE)
        c.text_fit(30, y0 + 2, 250, y0 + 30, "ZENK GAUGE", WHITE, align="left", fill=0.8)
        if ready:
            c.text_fit(330, y0 + 2, 548, y0 + 30, "READY!", WHITE, align="right", fill=0.8)
            c.polygon([(556, y0 + 34), (590, y0 + 47), (556, y0 + 60)], WHITE)
        else:
            c.rect(330, y0 + 14, 548, y0 + 17, (255, 255, 255, 160))
    return c


def hud2_png():
    c = Canvas(1024, 1024)
    _label(c, (0, 0, 512, 96), "CONTINUE?", fill=0.6)
    _label(c, (512, 0, 768, 96), "PAUSE", stretch=2.0, fill=0.6)      # shown squeezed to 128 x 96
    _label(c, (0, 96, 544, 192), "STAGE RESULT", fill=0.6)
    # pause tiles, translucent so the still of the game shows through
    for x0, kind in ((0, 2), (128, 1), (224, 3)):
        c.rect(x0 + 2, 194, x0 + 62, 254, (255, 255, 255, 60))
        c.frame(x0 + 2, 194, x0 + 62, 254, 2, (255, 255, 255, 110))
        if kind == 1:
            c.polygon([(x0 + 32, 206), (x0 + 50, 224), (x0 + 32, 242), (x0 + 14, 224)], (255, 255, 255, 90))
        elif kind == 2:
            c.line(x0 + 10, 246, x0 + 54, 202, 6, (255, 255, 255, 90))
        else:
            c.circle(x0 + 32, 224, 14, (255, 255, 255, 90))
    _label(c, (0, 259, 256, 317), "STAGE SCORE", max_size=3.4)
    _label(c, (256, 323, 480, 381), "SHOT DOWN", max_size=3.4)
    _label(c, (0, 323, 256, 381), "TOTAL SCORE", max_size=3.4)
    _label(c, (0, 387, 128, 445), "BONUS", max_size=3.4)
    _label(c, (128, 384, 448, 448), "NEXT STAGE >>", max_size=3.4)
    _label(c, (0, 512, 96, 576), "CANCEL", max_size=3.4)
    _label(c, (96, 512, 352, 576), "TO TITLE", max_size=3.4)
    _label(c, (352, 512, 544, 576), "GAME END", stretch=1.2, max_size=3.4)          # shown narrower than its cell
    _label(c, (0, 576, 96, 640), "START", max_size=3.4)
    _label(c, (96, 576, 256, 640), "CONTINUE", max_size=3.4)
    _label(c, (256, 576, 480, 640), "STAGE SELECT", max_size=3.4)
    _label(c, (0, 640, 128, 704), "OPTION", max_size=3.4)                            # also the ranking caption
    _label(c, (0, 768, 144, 832), "SCORE", max_size=3.4)
    _label(c, (0, 832, 192, 896), "EXTRA START", max_size=3.4)
    return c


def option_png():
    c = Canvas(1024, 512)
    for k in range(8):
        _label(c, (64 * k, 0, 64 * k + 64, 64), str(k), fill=0.7)
    _label(c, (0, 64, 64, 128), "8", fill=0.7)
    _label(c, (64, 64, 128, 128), "9", fill=0.7)
    _label(c, (128, 64, 192, 128), "%", fill=0.7)
    _label(c, (192, 64, 256, 128), "+", fill=0.7)
    _label(c, (256, 64, 448, 128), "REVERSE Y", max_size=3.6)
    _label(c, (0, 128, 256, 192), "VOLUME", max_size=3.6)
    _label(c, (256, 128, 576, 192), "RETURN", max_size=3.6)
    _label(c, (0, 192, 320, 256), "SOUND EFFECT", max_size=3.6)
    _label(c, (320, 192, 512, 256), "MUSIC", max_size=3.6)
    _label(c, (0, 256, 320, 320), "KEY CONFIG", max_size=3.6)
    _label(c, (320, 256, 416, 320), "ON", max_size=3.6)
    _label(c, (416, 256, 512, 320), "OFF", max_size=3.6)
    _label(c, (0, 320, 256, 384), "SHOT", max_size=3.6)
    _label(c, (256, 320, 512, 384), "ACCEL", max_size=3.6)
    _label(c, (0, 384, 256, 448), "MISSILE", max_size=3.6)
    _label(c, (256, 384, 512, 448), "BRAKE", max_size=3.6)
    _label(c, (0, 448, 256, 512), "ZENK MODE", max_size=3.6)
    c.text_fit(262, 452, 506, 480, "ACCEL+BRAKE", WHITE, fill=0.8)
    c.text_fit(262, 480, 506, 508, "+SHOT", WHITE, fill=0.8)
    return c


def panel_png():
    """Option and stage-select panel background: a frame and a gradient, no text; it is
    stretched up to 2:1, so nothing in it minds."""
    c = Canvas(512, 512)
    c.vgradient(0, 0, 512, 512, (30, 44, 90, 215), (12, 18, 40, 230))
    c.frame(0, 0, 512, 512, 6, (170, 200, 255, 255))
    c.frame(12, 12, 500, 500, 2, (120, 150, 220, 200))
    c.rect(12, 60, 500, 62, (120, 150, 220, 160))
    return c


STAGESELECT_CELLS = [
    # (x, y, width in cells, text)
    (5, 1, 2, "CLOSE"), (8, 1, 5, "START"),
    (0, 2, 6, "SELECT LEVEL"), (6, 2, 2, "EASY"), (8, 2, 5, "OK"),
    (0, 3, 6, "SELECT STAGE"), (6, 3, 2, "HARD"), (8, 3, 3, "EXTRA"),
    (0, 4, 4, "DIFFICULTY"), (4, 4, 4, "VERY HARD"),
    (0, 5, 3, "STAGE"), (3, 5, 2.5, "BRAMEL"), (5.5, 5, 2.5, "TOSKA"),
    (0, 6, 3, "NORMAL"), (3, 6, 5, "SELECT FIGHTER"),
    (0, 7, 4, "VELRIN B"), (4, 7, 4, "VELRIN A"),
]


def stageselect_png():
    c = Canvas(1024, 512)
    for d in range(10):
        x, y = (d, 0) if d < 8 else (d - 8, 1)
        _label(c, (64 * x, 64 * y, 64 * x + 64, 64 * y + 64), str(d), fill=0.7)
    for i, sym in enumerate("%+-"):
        _label(c, (64 * (2 + i), 64, 64 * (3 + i), 128), sym, fill=0.7)
    for x, y, w, text in STAGESELECT_CELLS:
        _label(c, (64 * x, 64 * y, 64 * (x + w), 64 * y + 64), text, fill=0.55, max_size=4.6)
    return c


# name-entry sheet: 16 x 8 glyph cells (row, column); (3, 15) is the underscore of the
# cursor and (5, 15) the empty character
SCORE_ROWS = [
    "ABCDEFGHIJKLMNOP",
    "QRSTUVWXYZ.,!?-'",
    "0123456789+*/:=#",
    "abcdefghijklmno_",
    "pqrstuvwxyz()<>&",
    "@$~;%",            # then shapes, and the blank at (5, 15)
]


def _shape(c, k, cx, cy, r, color):
    """Sixteen small symbols for the glyph rows that letters do not fill."""
    k %= 16
    if k == 0:
        c.circle(cx, cy, r, color)
    elif k == 1:
        c.ring(cx, cy, r, r * 0.6, color)
    elif k == 2:
        c.rect(cx - r, cy - r, cx + r, cy + r, color)
    elif k == 3:
        c.frame(cx - r, cy - r, cx + r, cy + r, r * 0.35, color)
    elif k == 4:
        c.polygon([(cx, cy - r), (cx + r, cy + r), (cx - r, cy + r)], color)
    elif k == 5:
        c.polygon([(cx, cy + r), (cx + r, cy - r), (cx - r, cy - r)], color)
    elif k == 6:
        c.polygon([(cx, cy - r), (cx + r, cy), (cx, cy + r), (cx - r, cy)], color)
    elif k == 7:
        c.star(cx, cy, r * 1.1, r * 0.45, 5, color)
    elif k == 8:                                     # heart
        c.circle(cx - r * 0.45, cy - r * 0.3, r * 0.5, color)
        c.circle(cx + r * 0.45, cy - r * 0.3, r * 0.5, color)
        c.polygon([(cx - r * 0.93, cy - r * 0.15), (cx + r * 0.93, cy - r * 0.15), (cx, cy + r)], color)
    elif k == 9:                                     # note
        c.ellipse(cx - r * 0.3, cy + r * 0.6, r * 0.4, r * 0.3, color)
        c.rect(cx + r * 0.02, cy - r, cx + r * 0.2, cy + r * 0.6, color)
        c.polygon([(cx + r * 0.2, cy - r), (cx + r * 0.8, cy - r * 0.5), (cx + r * 0.2, cy - r * 0.4)], color)
    elif k in (10, 11, 12, 13):                     # arrows
        d = {10: (1, 0), 11: (-1, 0), 12: (0, -1), 13: (0, 1)}[k]
        px, py = -d[1], d[0]
        c.polygon([(cx + d[0] * r, cy + d[1] * r), (cx + px * r * 0.8, cy + py * r * 0.8),
                   (cx - px * r * 0.8, cy - py * r * 0.8)], color)
        c.line(cx, cy, cx - d[0] * r, cy - d[1] * r, r * 0.45, color)
    elif k == 14:
        c.line(cx - r, cy - r, cx + r, cy + r, r * 0.4, color)
        c.line(cx - r, cy + r, cx + r, cy - r, r * 0.4, color)
    else:
        c.rect(cx - r, cy - r * 0.2, cx + r, cy + r * 0.2, color)
        c.rect(cx - r * 0.2, cy - r, cx + r * 0.2, cy + r, color)


def score_png():
    c = Canvas(1024, 512)
    for r in range(8):
        text = SCORE_ROWS[r] if r < len(SCORE_ROWS) else ""
        for col in range(16):
            x0, y0 = col * 64, r * 64
            if r == 5 and col == 15:
                continue                                   # the empty character stays blank
            if col < len(text):
                c.text(x0 + 18, y0 + 14, text[col], 5.6, WHITE, vsize=5.2)
            elif r < 7:
                _shape(c, (r - 5) * 16 + col, x0 + 32, y0 + 32, 14, WHITE)
            else:
                # the last row: the same symbols, small, in a frame
                c.frame(x0 + 12, y0 + 12, x0 + 52, y0 + 52, 3, WHITE)
                _shape(c, col, x0 + 32, y0 + 32, 9, WHITE)
    return c


def ending_png():
    c = Canvas(1024, 1024)
    cells = [
        (0, 0, 5, "PROGRAM"), (5, 0, 5, "GRAPHICS"), (10, 0, 5, "TITLE LOGO"), (0, 1, 2, "ORIGINAL"),
        (2, 1, 2, "MUSIC"), (4, 1, 2, "PLANNING"), (6, 1, 2, "ETC."), (8, 1, 8, "SPECIAL THANKS"),
        (0, 2, 8, "ILLUSTRATION"), (0, 3, 6, "THE PORT TEAM"), (6, 3, 2, "PIXELS"), (8, 3, 2, "NOTES"),
        (10, 3, 1, "FX"), (11, 3, 4, "SYNTH LAB"), (0, 4, 4, "MESH SHOP"), (4, 4, 7, "LOW POLY CLUB"),
        (12, 4, 4, "TEST PILOTS"), (0, 5, 4, "NIGHT SHIFT"), (4, 5, 7, "BUG HUNTERS"),
        (0, 6, 8, "BULLET PATTERNS"), (8, 6, 2, "LUA"), (10, 6, 3, "MAP CREW"), (0, 7, 4, "SKY CREW"),
        (4, 7, 9, "THE TESTERS"), (0, 8, 6, "SOUND DESK"), (6, 8, 9, "AND EVERY PLAYER"),
        (0, 9, 5, "SOUND EFFECTS"), (5, 9, 6, "TEXTURES"), (0, 10, 5, "MIDDLEWARE"), (5, 10, 7, "OPEN SOURCE"),
        (0, 11, 7, "FRIENDS"), (7, 11, 9, "FAMILIES"),
        (0, 12, 9, "THANK YOU FOR PLAYING"), (0, 13, 10, "SEE YOU IN THE SKY AGAIN"), (0, 14, 9, "ORVALIS"),
    ]
    for x, y, w, text in cells:
        c.text_fit(x * 64 + 6, y * 64 + 4, (x + w) * 64 - 6, y * 64 + 60, text, WHITE, align="left", fill=0.6,
                   max_size=5.5)
    return c


def msg_png():
    c = Canvas(1024, 256)
    for r, text in enumerate(("EXTRA STAGE OPEN!", "NEW FIGHTER: TOSKA", "NEW FIGHTER: VELRIN B")):
        c.text_fit(8, r * 64 + 4, 900, r * 64 + 60, text, WHITE, align="left", fill=0.62)
    return c


def stgss1_png():
    """Stage thumbnail: sky, sea, a mountain ridge and the machine."""
    c = Canvas(256, 256, (0, 0, 0, 255))
    c.vgradient(0, 0, 256, 150, (60, 110, 200), (190, 220, 245))
    c.vgradient(0, 150, 256, 256, (40, 90, 150), (20, 50, 100))
    c.polygon([(0, 150), (40, 100), (80, 130), (130, 70), (190, 125), (230, 95), (256, 120), (256, 150)],
              (90, 110, 100))
    c.polygon([(110, 90), (130, 70), (150, 88)], (240, 240, 250))
    c.polygon([(128, 170), (168, 196), (128, 190), (88, 196)], (240, 240, 250))
    c.frame(0, 0, 256, 256, 4, (230, 230, 240))
    return c


def white_png():
    return Canvas(64, 64, WHITE)


# ---- title ---------------------------------------------------------------------------------------------
def title_back_png():
    rng = _rng("title_back")
    c = Canvas(1024, 512, (0, 0, 0, 255))
    c.vgradient(0, 0, 1024, 300, (20, 40, 110), (240, 170, 120))
    c.vgradient(0, 300, 1024, 512, (30, 60, 120), (10, 20, 50))
    c.circle(760, 270, 46, (255, 230, 170))
    for i in range(12):
        x, y = rng.random() * 1024, 60 + rng.random() * 180
        c.ellipse(x, y, 70 + 60 * rng.random(), 10 + 6 * rng.random(), (255, 255, 255, 90), blend=True)
    c.polygon([(0, 300), (120, 230), (220, 270), (340, 210), (470, 280), (520, 300)], (50, 50, 80))
    c.polygon([(600, 300), (700, 250), (820, 285), (900, 240), (1024, 280), (1024, 300)], (60, 55, 85))
    for i in range(40):
        y = 310 + i * 5
        c.rect(0, y, 1024, y + 1, (255, 200, 150, 30 + i), blend=True)
    return c


def title_logo_png():
    """Intro card: three letter tiles (v bands of 0.15625), three text lines and a band."""
    c = Canvas(512, 512)
    for r, ch in enumerate("ORV"):
        y0 = r * 80
        c.rect(4, y0 + 4, 76, y0 + 76, (255, 255, 255, 235))
        c.frame(4, y0 + 4, 76, y0 + 76, 4, (120, 160, 230, 255))
        c.text_fit(8, y0 + 8, 72, y0 + 72, ch, (30, 50, 110, 255), fill=0.75)
    for k, text in enumerate(("AN ORVALIS", "PROJECT", "PRODUCTION")):
        y0 = (15 + 3 * k) * 16
        c.text_fit(6, y0 + 2, 250, y0 + 46, text, WHITE, fill=0.7)
    c.hgradient(0, 386, 272, 430, (120, 170, 255, 255), (40, 70, 160, 255))
    c.frame(0, 386, 272, 430, 3, WHITE)
    return c


def title_logo2_png():
    """The main title (drawn squeezed into 768 x 460.8 px from 1024 x 768 texels, so it is
    drawn here stretched by the inverse) and three footer strips."""
    c = Canvas(1024, 1024)
    logo = Canvas(1024, 768, design=(1280, 768))
    logo.ellipse(640, 400, 600, 250, (20, 40, 100, 150))
    logo.ellipse(640, 400, 560, 220, (40, 80, 170, 160))
    logo.polygon([(140, 470), (1140, 300), (1150, 330), (150, 500)], (255, 210, 120, 220))
    logo.text_fit(120, 250, 1160, 520, "ORVALIS", WHITE, fill=0.8, outline=(30, 60, 140, 255))
    logo.text_fit(300, 560, 980, 660, "AERIAL SHOOTING", (200, 225, 255, 255), fill=0.6)
    logo.star(1130, 230, 50, 18, 4, (255, 240, 180, 255))
    c.paste(logo, 0, 0)
    for j, text in enumerate(("(C) THE ORVALIS PROJECT", "VERSION 1.03", "PRESS SHOT TO START")):
        y0 = (13 + j) * 64
        c.text_fit(4, y0 + 6, 956, y0 + 58, text, WHITE, fill=0.7)
    return c


# ---- character select ---------------------------------------------------------------------------------
def select_window_png():
    c = Canvas(512, 512)
    c.rect(2, 2, 334, 126, (16, 24, 50, 215))
    c.frame(2, 2, 334, 126, 3, (170, 210, 255, 255))
    c.rect(8, 40, 328, 42, (170, 210, 255, 180))
    for y in range(176, 208):                                         # leader line
        t = abs(y + 0.5 - 192) / 16.0
        c.rect(0, y, 352, y + 1, (220, 235, 255, int(255 * max(0.0, 1 - t) ** 2)))
    c.ring(368, 192, 14, 9, (230, 240, 255, 255))                     # anchor mark
    c.circle(368, 192, 4, WHITE)
    return c


def select_title_png():
    """Three title rows (y 0-64, 82-146, 164-228) that tile in u, premultiplied alpha."""
    c = Canvas(512, 512)
    for y0, text in ((0, "CHARACTER"), (82, "EQUIPMENT"), (164, "ENGINE OUTPUT")):
        c.rect(0, y0 + 4, 512, y0 + 8, (150, 200, 255, 200))
        c.rect(0, y0 + 56, 512, y0 + 60, (150, 200, 255, 200))
        c.text_fit(16, y0 + 10, 496, y0 + 54, text, WHITE, fill=0.75)
    c.premultiply()
    return c


def bramel_speak_png():
    c = Canvas(1024, 256, design=(800, 150))
    c.ellipse(400, 72, 396, 66, (90, 140, 200, 255))
    c.ellipse(400, 72, 390, 61, (250, 252, 255, 245))
    c.polygon([(700, 110), (780, 148), (660, 125)], (90, 140, 200, 255))
    c.polygon([(700, 113), (770, 144), (668, 123)], (250, 252, 255, 245))
    return c


# ---- portraits -----------------------------------------------------------------------------------------
CHARACTERS = {
    # hair, skin, eyes, outfit, trim, accessory, expression
    "velrin": ((238, 132, 48), (252, 222, 200), (60, 140, 220), (40, 52, 110), (214, 40, 48), "ribbon", "smile"),
    "velrin_koma": ((238, 132, 48), (252, 222, 200), (60, 140, 220), (40, 52, 110), (214, 40, 48), "ribbon",
                    "troubled"),
    "bramel": ((120, 80, 50), (240, 200, 170), (60, 160, 90), (70, 120, 70), (240, 200, 60), "goggles", "grin"),
    "dweli": ((250, 214, 90), (252, 226, 210), (150, 60, 200), (60, 40, 110), (150, 90, 210), "witch", "smile"),
    "dweli2": ((250, 214, 90), (252, 226, 210), (150, 60, 200), (60, 40, 110), (150, 90, 210), "witch", "angry"),
    "fesko": ((120, 200, 250), (252, 230, 215), (40, 90, 200), (80, 130, 230), (240, 240, 255), "wings", "smile"),
    "pentra": ((180, 60, 140), (252, 226, 206), (230, 160, 40), (240, 240, 252), (60, 120, 220), "halo", "calm"),
    "gralle": ((60, 50, 50), (230, 200, 180), (255, 150, 40), (70, 60, 56), (190, 70, 30), "horns", "angry"),
    "orsel": ((150, 30, 60), (250, 226, 210), (40, 140, 100), (40, 110, 80), (200, 170, 90), "tophat", "calm"),
    "toska": ((210, 215, 230), (248, 220, 204), (200, 30, 50), (30, 28, 40), (170, 26, 40), "witch_black",
              "smile"),
}


def draw_character(c, key, ox, oy, s, face_right=True):
    """A bust in design units: head centre at (ox, oy), head radius 110 s, facing right."""
    hair, skin, eye, outfit, trim, acc, expr = CHARACTERS[key]
    d = 1 if face_right else -1

    def X(x):
        return ox + d * x * s

    def Y(y):
        return oy + y * s
    hx = 110 * s
    dark = scale_rgb(outfit, 0.7)
    if acc == "wings":
        for k in (1, 0.7):
            c.polygon([(X(-60), Y(120)), (X(-300 * k), Y(-60 * k)), (X(-330 * k), Y(160)), (X(-150), Y(260))],
                      (200, 235, 255, 170), blend=True)
    if acc == "halo":
        c.star(X(-30), Y(-40), 230 * s, 95 * s, 5, (250, 210, 80, 200), blend=True)
    # body and shoulders
    c.polygon([(X(-200), Y(470)), (X(-150), Y(170)), (X(-60), Y(120)), (X(80), Y(120)), (X(160), Y(170)),
               (X(230), Y(470))], outfit)
    c.polygon([(X(-30), Y(120)), (X(50), Y(120)), (X(10), Y(260))], trim)
    c.polygon([(X(-150), Y(170)), (X(-60), Y(120)), (X(-40), Y(150)), (X(-130), Y(210))], dark)
    c.rect(X(-22) if d > 0 else X(42), Y(80), X(42) if d > 0 else X(-22), Y(135), skin)      # neck
    # hair behind the head
    c.ellipse(X(-15), Y(10), hx * 1.18, hx * 1.22, hair)
    if key.startswith("velrin"):
        c.polygon([(X(-90), Y(-40)), (X(-250), Y(60)), (X(-230), Y(260)), (X(-120), Y(90))], hair)
    if key == "toska" or key == "pentra":
        c.rect(X(-130) if d > 0 else X(110), Y(0), X(110) if d > 0 else X(-130), Y(230), hair)
    # face
    c.ellipse(X(10), Y(0), hx, hx * 1.08, skin)
    # bangs
    c.polygon([(X(-110), Y(-30)), (X(-80), Y(-110)), (X(20), Y(-130)), (X(110), Y(-90)), (X(118), Y(-20)),
               (X(70), Y(-60)), (X(40), Y(-25)), (X(0), Y(-70)), (X(-50), Y(-20))], hair)
    # eyes, looking right
    for ex in (25, 78):
        if expr == "troubled":
            c.line(X(ex - 18), Y(-2), X(ex + 18), Y(6), 7 * s, (60, 40, 40))
            continue
        c.ellipse(X(ex), Y(10), 17 * s, 24 * s, WHITE)
        c.ellipse(X(ex + 5), Y(12), 12 * s, 19 * s, eye)
        c.ellipse(X(ex + 6), Y(14), 6 * s, 10 * s, (20, 20, 30))
        c.circle(X(ex + 1), Y(4), 4 * s, WHITE)
        if expr == "angry":
            c.line(X(ex - 20), Y(-30 if ex > 50 else -20), X(ex + 20), Y(-20 if ex > 50 else -30), 6 * s,
                   (60, 30, 30))
    # mouth
    if expr in ("smile", "grin"):
        c.ellipse(X(60), Y(62), 20 * s, 9 * s if expr == "smile" else 13 * s, (200, 80, 90))
        if expr == "grin":
            c.rect(X(44) if d > 0 else X(76), Y(56), X(76) if d > 0 else X(44), Y(62), WHITE)
    elif expr == "angry":
        c.line(X(42), Y(70), X(80), Y(64), 6 * s, (150, 50, 60))
    elif expr == "troubled":
        for i in range(4):
            c.line(X(40 + i * 10), Y(66 + (i % 2) * 6), X(50 + i * 10), Y(66 + ((i + 1) % 2) * 6), 4 * s,
                   (150, 60, 70))
        c.ellipse(X(-70), Y(-60), 12 * s, 20 * s, (150, 210, 255))          # sweat drop
    else:
        c.line(X(45), Y(66), X(75), Y(66), 5 * s, (170, 80, 90))
    c.ellipse(X(100), Y(40), 16 * s, 8 * s, (250, 170, 170, 160), blend=True)   # blush
    # accessories
    if acc == "ribbon":
        c.polygon([(X(-60), Y(-120)), (X(-130), Y(-170)), (X(-140), Y(-90))], trim)
        c.polygon([(X(-60), Y(-120)), (X(10), Y(-175)), (X(15), Y(-95))], trim)
        c.circle(X(-60), Y(-122), 16 * s, scale_rgb(trim, 0.8))
    elif acc == "goggles":
        c.rect(X(-110) if d > 0 else X(120), Y(-95), X(120) if d > 0 else X(-110), Y(-70), (60, 50, 40))
        for gx in (20, 80):
            c.circle(X(gx), Y(-85), 26 * s, (80, 70, 60))
            c.circle(X(gx), Y(-85), 19 * s, (150, 220, 240))
    elif acc in ("witch", "witch_black"):
        hat = (60, 40, 110) if acc == "witch" else (25, 22, 30)
        c.ellipse(X(0), Y(-100), 200 * s, 34 * s, hat)
        c.polygon([(X(-100), Y(-105)), (X(110), Y(-105)), (X(-60), Y(-330))], hat)
        c.rect(X(-96) if d > 0 else X(106), Y(-135), X(106) if d > 0 else X(-96), Y(-106), trim)
    elif acc == "horns":
        for hx0 in (-60, 80):
            c.polygon([(X(hx0 - 20), Y(-90)), (X(hx0 + 20), Y(-95)), (X(hx0 + 10), Y(-210))], (235, 220, 190))
        c.rect(X(-110) if d > 0 else X(120), Y(-50), X(120) if d > 0 else X(-110), Y(-30), (190, 70, 30))
    elif acc == "tophat":
        c.rect(X(-70) if d > 0 else X(90), Y(-290), X(90) if d > 0 else X(-70), Y(-110), (26, 26, 30))
        c.ellipse(X(10), Y(-110), 140 * s, 22 * s, (26, 26, 30))
        c.rect(X(-70) if d > 0 else X(90), Y(-160), X(90) if d > 0 else X(-70), Y(-135), trim)


def portrait_png(key):
    """Drawn at 1024 x 720 px from the left edge (mirrored for a right-side speaker): the
    character stands in the left 40 %, facing the middle, transparent elsewhere."""
    c = Canvas(512, 512, design=(1024, 720))
    draw_character(c, key, 210, 330, 1.0)
    return c


def spell_png(key):
    """Spell cut-in: the boss large over a burst of light, transparent around."""
    c = Canvas(512, 512, design=(1024, 720))
    _, _, _, outfit, trim, _, _ = CHARACTERS[key]
    for i in range(16):
        a = 2 * math.pi * i / 16
        c.polygon([(512, 360), (512 + 700 * math.cos(a - 0.08), 360 + 700 * math.sin(a - 0.08)),
                   (512 + 700 * math.cos(a + 0.08), 360 + 700 * math.sin(a + 0.08))],
                  (trim[0], trim[1], trim[2], 110))
    c.radial(512, 360, 300, 300, glow_lut((255, 255, 255, 200), 0.2, 1.5), mode="max")
    draw_character(c, key, 470, 390, 1.4)
    return c


def bramel_select_png():
    """The mechanic for the character select, drawn facing left, transparent around."""
    c = Canvas(512, 512, design=(600, 600))
    draw_character(c, "bramel", 330, 200, 0.95, face_right=False)
    return c


def speak_window_png():
    c = Canvas(1024, 512, design=(1024, 360))
    c.rect(190, 140, 1012, 350, (10, 16, 40, 225))
    c.frame(190, 140, 1012, 350, 4, (200, 220, 255, 255))
    c.frame(198, 148, 1004, 342, 1.5, (120, 150, 220, 200))
    c.polygon([(190, 180), (150, 200), (190, 220)], (200, 220, 255, 255))
    return c


# ---- terrain, sky and sea -------------------------------------------------------------------------------
def sky_png(kind):
    """u runs round the horizon (tiles), v from the zenith (0) to the skirt below the
    horizon (1); the horizon is at v = 0.833."""
    size = 256
    rng = _rng("sky" + kind)
    noise = TileNoise(rng, size, cells=(4, 8, 16), weights=(0.55, 0.3, 0.15)).grid()
    horizon = int(size * 0.5 / 0.6)
    if kind == "day":
        top, hor, below = (40, 90, 190), (190, 220, 245), (150, 180, 210)
    elif kind == "night":
        top, hor, below = (4, 6, 24), (30, 40, 80), (14, 18, 40)
    else:
        top, hor, below = (230, 232, 236), (252, 252, 252), (240, 240, 242)
    c = Canvas(size, size, (0, 0, 0, 255))
    rows = []
    for y in range(size):
        if y < horizon:
            base = mix(top, hor, (y / horizon) ** 1.6)
        else:
            base = mix(hor, below, (y - horizon) / (size - horizon))
        rows.append(base)
    for y in range(size):
        base = rows[y]
        band = max(0.0, 1 - abs(y - horizon * 0.8) / (horizon * 0.45))
        line = []
        for x in range(size):
            k = max(0.0, noise[y][x] - 0.48) * 2.4 * band
            if kind == "night":
                k *= 0.35
            line.append(bytes(mix(base, (255, 255, 255, 255), min(1.0, k))))
        c.px[y * size * 4:(y + 1) * size * 4] = b"".join(line)
    if kind == "night":
        for _ in range(220):
            x, y = rng.randrange(size), rng.randrange(int(horizon * 0.95))
            b = 150 + rng.randrange(105)
            c.rect(x, y, x + 1, y + 1, (b, b, 255, 255))
        c.circle(60, 50, 9, (250, 250, 230, 255))
    return c


def ground_tile(kind):
    """Seamless ground. Its red channel doubles as the height image of the ground blocks:
    bumps are light, furrows dark."""
    size = 256
    rng = _rng("ground" + kind)
    h = TileNoise(rng, size, cells=(4, 8, 16, 32), weights=(0.4, 0.3, 0.2, 0.1)).grid()
    c = Canvas(size, size)
    for y in range(size):
        line = []
        for x in range(size):
            v = h[y][x]
            r = int(40 + 150 * v)
            if kind == "day":
                g, b = int(95 + 110 * v), int(35 + 45 * v)
            else:
                g, b = int(40 + 60 * v), int(30 + 40 * v)
            line.append(bytes((min(255, r), min(255, g), min(255, b), 255)))
        c.px[y * size * 4:(y + 1) * size * 4] = b"".join(line)
    return c


def ground2_bmp():
    """The height image of the ground blocks: the same pixels as the day tile, so both files
    give the same red channel whichever one a reader gets."""
    c = ground_tile("day")
    rows = [[tuple(c.px[(y * c.w + x) * 4:(y * c.w + x) * 4 + 3]) for x in range(c.w)] for y in range(c.h)]
    return encode_bmp24(c.w, c.h, rows)


def water_bmp():
    """A seamless wave height image (red channel) for the sea's normal map."""
    size = 256
    waves = [(3, 1, 0.0, 0.35), (-2, 4, 1.3, 0.25), (5, -3, 2.1, 0.2), (1, 7, 0.7, 0.12), (8, 2, 2.9, 0.08)]
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            v = 0.5
            for fx, fy, ph, a in waves:
                v += 0.5 * a * math.sin(2 * math.pi * (fx * x + fy * y) / size + ph)
            g = max(0, min(255, int(255 * v)))
            row.append((g, g, g))
        rows.append(row)
    return encode_bmp24(size, size, rows)


def dust_png():
    """Film dust and scratches: dark specks and hair lines on white (neutral under a multiply)."""
    rng = _rng("dust")
    c = Canvas(256, 256, WHITE)
    for _ in range(40):
        x, y, r = rng.random() * 256, rng.random() * 256, 0.8 + 2.5 * rng.random()
        g = rng.randrange(20, 120)
        c.circle(x, y, r, (g, g, g, 255))
    for _ in range(6):
        x0, y0 = rng.random() * 256, rng.random() * 256
        pts = [(x0, y0)]
        for _ in range(5):
            x0 += rng.uniform(-12, 12)
            y0 += rng.uniform(6, 18)
            pts.append((x0, y0))
        for a, b in zip(pts, pts[1:]):
            c.wrapped_line(a[0], a[1], b[0], b[1], 1.2, (70, 70, 70, 255))
    c.rect(180, 0, 181, 256, (150, 150, 150, 255))
    return c


def noise_tile(name, size, c0, c1, cells=(4, 8, 16, 32), weights=(0.4, 0.3, 0.2, 0.1), alpha=255, post=None):
    rng = _rng(name)
    grid = TileNoise(rng, size, cells, weights).grid()
    c = Canvas(size, size)
    lt = [bytes(mix(c0, c1, i / 255.0)[:3]) + bytes((alpha,)) for i in range(256)]
    for y in range(size):
        row = grid[y]
        c.px[y * size * 4:(y + 1) * size * 4] = b"".join(lt[min(255, int(v * 255))] for v in row)
    if post:
        post(c, rng)
    return c


def yama_rock_png(look):
    """Mountain shading lookup: u = height (foot to peak), v = how much the face is lit."""
    size = 256
    rng = _rng("yama" + look)
    c = Canvas(size, size)
    jitter = [rng.uniform(-0.03, 0.03) for _ in range(size)]
    for y in range(size):
        light = 0.3 + 0.85 * (y / (size - 1))
        line = []
        for x in range(size):
            h = x / (size - 1) + jitter[(x * 7 + y * 3) % size]
            if look == "rock":
                if h < 0.05:
                    col = (150, 140, 110)
                elif h < 0.38:
                    col = mix((50, 110, 50), (80, 120, 60), h / 0.38)
                elif h < 0.72:
                    col = mix((110, 100, 85), (140, 135, 130), (h - 0.38) / 0.34)
                else:
                    col = mix((215, 220, 230), (250, 252, 255), (h - 0.72) / 0.28)
            else:
                col = mix((40, 30, 28), (90, 50, 40), min(1.0, h * 1.3))
            line.append(bytes(scale_rgb(col, light)[:3] + (255,)))
        c.px[y * size * 4:(y + 1) * size * 4] = b"".join(line)
    return c


def yougan2_png():
    """Glowing lava on black in the mountain layout: the crater near the peak and channels
    down the slopes (drawn additively at half strength over the rock)."""
    size = 256
    c = Canvas(size, size, (0, 0, 0, 255))
    for y in range(size):
        line = []
        for x in range(size):
            h = x / (size - 1)
            crater = smooth((h - 0.62) / 0.3)
            channel = max(0.0, math.sin(y * 0.35 + h * 9.0)) ** 12 * smooth(h / 0.5)
            k = min(1.0, crater + channel)
            line.append(bytes((int(255 * k), int(150 * k * k), int(40 * k * k * k), 255)))
        c.px[y * size * 4:(y + 1) * size * 4] = b"".join(line)
    return c


def yougan_png():
    def cracks(c, rng):
        # glowing cracks: random walks that keep roughly to their heading
        for _ in range(9):
            x, y, a = rng.random() * 256, rng.random() * 256, rng.random() * 6.283
            for _ in range(10):
                a += rng.uniform(-0.6, 0.6)
                nx, ny = x + 14 * math.cos(a), y + 14 * math.sin(a)
                c.wrapped_line(x, y, nx, ny, 2.5, (255, 220, 110, 255))
                x, y = nx, ny
    return noise_tile("yougan", 256, (90, 10, 0), (240, 110, 20), post=cracks)


def lava_blob_png():
    c = Canvas(128, 128)
    c.radial(64, 64, 62, 62, lut(lambda t: (255, int(230 - 150 * t), int(150 - 150 * t), int(255 * (1 - t) ** 1.8))))
    return c


def tree_png(c, x0, y0, w, h, kind, leaf, trunk=(100, 70, 40)):
    """A tree in the box; its base stands at 84 % of the box height (the game sinks the
    bottom of the sprite into the ground)."""
    cx = x0 + w / 2
    base = y0 + h * 0.9
    if kind == "bush":
        c.rect(cx - w * 0.05, y0 + h * 0.55, cx + w * 0.05, base, trunk)
        for dx, dy, r in ((0, 0.35, 0.3), (-0.2, 0.45, 0.22), (0.2, 0.45, 0.22), (-0.1, 0.22, 0.2), (0.13, 0.25, 0.2)):
            c.ellipse(cx + dx * w, y0 + dy * h, r * w, r * h * 0.9, leaf)
        for dx, dy, r in ((-0.08, 0.28, 0.08), (0.1, 0.4, 0.07)):
            c.ellipse(cx + dx * w, y0 + dy * h, r * w, r * h, scale_rgb(leaf, 1.25))
    elif kind == "conifer":
        c.rect(cx - w * 0.05, y0 + h * 0.7, cx + w * 0.05, base, trunk)
        for i, (top, bot, half) in enumerate(((0.05, 0.35, 0.18), (0.2, 0.55, 0.28), (0.38, 0.78, 0.38))):
            c.polygon([(cx, y0 + top * h), (cx + half * w, y0 + bot * h), (cx - half * w, y0 + bot * h)],
                      scale_rgb(leaf, 1.0 + 0.12 * i))
    elif kind == "round":
        c.rect(cx - w * 0.06, y0 + h * 0.5, cx + w * 0.06, base, trunk)
        c.ellipse(cx, y0 + h * 0.33, w * 0.4, h * 0.3, leaf)
        c.ellipse(cx - w * 0.12, y0 + h * 0.27, w * 0.16, h * 0.12, scale_rgb(leaf, 1.2))
    elif kind == "birch":
        c.rect(cx - w * 0.04, y0 + h * 0.1, cx + w * 0.04, base, (235, 235, 225))
        for i in range(6):
            c.rect(cx - w * 0.04, y0 + h * (0.2 + 0.1 * i), cx + w * 0.01, y0 + h * (0.22 + 0.1 * i), (40, 40, 40))
        for dx, dy in ((-0.15, 0.2), (0.15, 0.3), (-0.1, 0.45), (0.12, 0.12)):
            c.ellipse(cx + dx * w, y0 + dy * h, w * 0.16, h * 0.1, leaf)
    else:  # dead
        c.line(cx, base, cx, y0 + h * 0.15, w * 0.06, trunk)
        for dx, dy in ((-0.3, 0.2), (0.25, 0.3), (-0.2, 0.45), (0.3, 0.55)):
            c.line(cx, y0 + (dy + 0.15) * h, cx + dx * w, y0 + dy * h, w * 0.025, trunk)


def trees_single(kind, leaf):
    c = Canvas(256, 256)
    tree_png(c, 0, 0, 256, 256, kind, leaf)
    return c


def trees_atlas():
    c = Canvas(512, 512)
    tree_png(c, 0, 0, 256, 256, "conifer", (30, 100, 50))
    tree_png(c, 256, 0, 256, 256, "round", (70, 140, 50))
    tree_png(c, 0, 256, 256, 256, "birch", (120, 170, 60))
    tree_png(c, 256, 256, 256, 256, "dead", (90, 70, 50), (90, 70, 50))
    return c


def palette_png(colours):
    from models import PAL_GRID, PAL_SIZE
    c = Canvas(PAL_SIZE, PAL_SIZE, (128, 128, 128, 255))
    cell = PAL_SIZE // PAL_GRID
    for k, col in enumerate(colours):
        x, y = (k % PAL_GRID) * cell, (k // PAL_GRID) * cell
        col = rgba(col)
        c.vgradient(x, y, x + cell, y + cell, scale_rgb(col, 1.12), scale_rgb(col, 0.9))
    return c


def fairy_png(name):
    dress, trim, hair, hair2, ribbon = models.FAIRY_COLOURS[name]
    cols = {}
    cols.update(models.FAIRY_FIXED)
    cols.update({"dress": dress, "dress2": trim, "hair": hair, "hair2": hair2, "ribbon": ribbon})
    slots = [(128, 128, 128, 255)] * 40
    for key, k in models.FAIRY_SWATCH.items():
        slots[k] = cols[key]
    return palette_png(slots)


def spell_pattern(colour_a, colour_b):
    """A tiling magic-circle pattern, bright and contrasted."""
    c = Canvas(256, 256, colour_b)
    for cx, cy in ((128, 128), (0, 0), (256, 0), (0, 256), (256, 256)):
        c.ring(cx, cy, 110, 100, colour_a)
        c.ring(cx, cy, 76, 70, colour_a)
        c.star(cx, cy, 98, 40, 6, scale_rgb(colour_a, 0.7))
        c.circle(cx, cy, 18, colour_a)
    for i in range(12):
        a = 2 * math.pi * i / 12
        c.line(128 + 78 * math.cos(a), 128 + 78 * math.sin(a), 128 + 100 * math.cos(a), 128 + 100 * math.sin(a), 4,
               colour_a)
    return c


def afterburner_png():
    c = Canvas(64, 64)
    for y in range(64):
        t = y / 63.0
        col = mix((255, 255, 255), (120, 170, 255), min(1.0, t * 1.5))
        a = int(255 * (1 - t) ** 1.3)
        for x in range(64):
            u = abs((x + 0.5) / 64 - 0.5) * 2
            c.rect(x, y, x + 1, y + 1, (col[0], col[1], col[2], int(a * (1 - 0.5 * u * u))))
    return c


def ray_beam_png():
    c = Canvas(64, 64)
    for x in range(64):
        u = abs((x + 0.5) / 64 - 0.5) * 2
        core = max(0.0, 1 - u / 0.3)
        col = mix((150, 190, 255), (255, 255, 255), core)
        a = int(255 * max(0.0, 1 - u) ** 1.5)
        c.rect(x, 0, x + 1, 64, (col[0], col[1], col[2], a))
    return c


def tama_png():
    """The orb's skin: u round it, v top to bottom; shading baked in (lit from above), with
    a glowing band and eyes round the middle."""
    c = Canvas(128, 128)
    c.vgradient(0, 0, 128, 128, (190, 120, 230), (40, 10, 60))
    c.rect(0, 58, 128, 70, (120, 255, 240))
    for x in (16, 48, 80, 112):
        c.ellipse(x, 40, 9, 12, WHITE)
        c.circle(x, 42, 5, (200, 20, 60))
    return c


def shot_point_png():
    c = Canvas(64, 64)
    c.vgradient(0, 0, 64, 64, (255, 255, 255), (150, 150, 160))
    c.rect(0, 30, 64, 34, (255, 255, 255))
    return c


def sea_tile_png():
    return noise_tile("sea", 64, (20, 60, 120), (80, 150, 210), cells=(2, 4, 8), weights=(0.5, 0.3, 0.2))


def ice_floe_png():
    def cracks(c, rng):
        for _ in range(10):
            x, y = rng.random() * 128, rng.random() * 128
            c.wrapped_line(x, y, x + rng.uniform(-30, 30), y + rng.uniform(-30, 30), 1.2, (170, 200, 230, 255))
    return noise_tile("ice", 128, (200, 225, 245), (250, 252, 255), post=cracks)


def ice_crystal_png():
    c = Canvas(128, 128)
    c.vgradient(0, 0, 128, 128, (230, 250, 255), (90, 170, 230))
    for x in range(0, 128, 21):
        c.rect(x, 0, x + 2, 128, (255, 255, 255, 255))
    return c


def cave_rock_png():
    def strata(c, rng):
        for i in range(7):
            y = rng.random() * 256
            c.rect(0, y, 256, y + 2 + rng.random() * 3, (60, 52, 48, 255))
    return noise_tile("cave", 256, (70, 62, 58), (150, 138, 120), post=strata)


def meadow_png():
    def dots(c, rng):
        for _ in range(160):
            x, y = rng.random() * 256, rng.random() * 256
            col = rng.choice([(250, 240, 120), (255, 255, 255), (250, 150, 190), (200, 170, 250)])
            c.circle(x, y, 1.6 + rng.random() * 1.6, col)
    return noise_tile("meadow", 256, (60, 120, 40), (120, 180, 70), post=dots)


def flowers_png():
    """2 x 2 atlas of flower clumps on transparent ground."""
    c = Canvas(256, 256)
    kinds = [((230, 40, 60), "tulip"), ((250, 230, 60), "daisy"), ((110, 120, 240), "bell"), ((250, 250, 250), "lily")]
    rng = _rng("flowers")
    for i, (col, kind) in enumerate(kinds):
        ox, oy = (i % 2) * 128, (i // 2) * 128
        for _ in range(6):
            x = ox + 20 + rng.random() * 88
            top = oy + 20 + rng.random() * 40
            c.line(x, oy + 126, x + rng.uniform(-6, 6), top, 3, (60, 140, 50))
            if kind == "daisy":
                c.star(x, top, 13, 6, 8, WHITE)
                c.circle(x, top, 4, col)
            elif kind == "tulip":
                c.polygon([(x - 8, top - 10), (x, top - 4), (x + 8, top - 10), (x + 7, top + 6), (x - 7, top + 6)], col)
            elif kind == "bell":
                c.ellipse(x, top, 8, 10, col)
            else:
                c.star(x, top, 12, 4, 6, col)
        c.ellipse(ox + 64, oy + 122, 50, 8, (50, 120, 40, 255))
    return c


def building_png(tint):
    """Four columns of 64 texels: lit, half-lit and shaded facades (two floors of windows
    per repeat) and the roof."""
    c = Canvas(256, 256)
    for col, light in enumerate((1.0, 0.75, 0.5)):
        x0 = col * 64
        c.rect(x0, 0, x0 + 64, 256, scale_rgb(tint, light))
        for fy in range(0, 256, 32):
            for fx in range(4):
                lit_window = (fx * 7 + fy // 32 * 3 + col) % 5 == 0
                wc = (255, 230, 150) if lit_window else scale_rgb((60, 90, 130), 0.6 + 0.4 * light)
                c.rect(x0 + 4 + fx * 15, fy + 6, x0 + 15 + fx * 15, fy + 24, wc)
    c.rect(192, 0, 256, 256, scale_rgb(tint, 0.6))
    c.frame(196, 4, 252, 60, 3, scale_rgb(tint, 0.85))
    return c


# ---- the catalogue --------------------------------------------------------------------------------------------
def _png(fn):
    return lambda: fn().png()


TEXTURES = {
    "none.png": _png(lambda: Canvas(8, 8, WHITE)),
    "effect.png": _png(effect_png),
    "effect2d.png": _png(effect2d_png),
    "beam.png": _png(beam_png),
    "mist.png": _png(mist_png),
    "effect_flame.png": _png(lambda: flame_glow(1)),
    "effect_flame2.png": _png(lambda: flame_glow(2)),
    "effect_flame3.png": _png(lambda: flame_glow(3)),
    "effect_reidan.png": _png(lambda: orb_png(WHITE, (180, 230, 255, 255))),
    "hud.png": _png(hud_png),
    "hud2.png": _png(hud2_png),
    "option.png": _png(option_png),
    "optionpanel.png": _png(panel_png),
    "stageselect.png": _png(stageselect_png),
    "stgss1.png": _png(stgss1_png),
    "tree_1.png": _png(lambda: trees_single("bush", (50, 130, 50))),
    "tree_2.png": _png(lambda: trees_single("bush", (200, 120, 40))),
    "tree_3-6.png": _png(trees_atlas),
    "sky_night.png": _png(lambda: sky_png("night")),
    "sky_white.png": _png(lambda: sky_png("white")),
    "flare.png": _png(flare_png),
    "flare_black.png": _png(flare_black_png),
    "title_back.png": _png(title_back_png),
    "title_logo.png": _png(title_logo_png),
    "title_logo2.png": _png(title_logo2_png),
    "velrin.png": _png(lambda: portrait_png("velrin")),
    "velrin_koma.png": _png(lambda: portrait_png("velrin_koma")),
    "bramel.png": _png(bramel_select_png),
    "bramel_2.png": _png(lambda: portrait_png("bramel")),
    "dweli.png": _png(lambda: portrait_png("dweli")),
    "dweli2.png": _png(lambda: portrait_png("dweli2")),
    "spell_dweli.png": _png(lambda: spell_png("dweli")),
    "fesko.png": _png(lambda: portrait_png("fesko")),
    "fesko_spell.png": _png(lambda: spell_png("fesko")),
    "pentra_2.png": _png(lambda: portrait_png("pentra")),
    "pentra_spell.png": _png(lambda: spell_png("pentra")),
    "gralle.png": _png(lambda: portrait_png("gralle")),
    "gralle_spell.png": _png(lambda: spell_png("gralle")),
    "orsel.png": _png(lambda: portrait_png("orsel")),
    "orsel_spell.png": _png(lambda: spell_png("orsel")),
    "toska1.png": _png(lambda: portrait_png("toska")),
    "toska_spell.png": _png(lambda: spell_png("toska")),
    "speak_window.png": _png(speak_window_png),
    "magic_missile.png": _png(magic_missile_png),
    "ground2.png": _png(lambda: ground_tile("day")),
    "ground2-2.png": _png(lambda: ground_tile("dusk")),
    "select_window.png": _png(select_window_png),
    "bramel_speak.png": _png(bramel_speak_png),
    "select_title.png": _png(select_title_png),
    "smoke.png": _png(smoke_png),
    "yama2.png": _png(lambda: yama_rock_png("volcanic")),
    "yougan.png": _png(yougan_png),
    "yougan2.png": _png(yougan2_png),
    "yougan3.png": _png(lava_blob_png),
    "volcano.png": _png(lambda: blast_png((255, 255, 230, 255), (255, 200, 120, 255))),
    "nukeaura.png": _png(lambda: glow(128, (235, 240, 255, 220), 0.05, 1.6)),
    "ring.png": _png(ring_png),
    "ketama.png": _png(ketama_png),
    "ending.png": _png(ending_png),
    "white.png": _png(white_png),
    "score.png": _png(score_png),
    "msg.png": _png(msg_png),
    "reidan2.png": _png(lambda: blast_png((230, 255, 240, 255), (80, 230, 170, 255))),
    "reidan3.png": _png(lambda: blast_png((240, 255, 255, 255), (120, 220, 255, 255))),
    # files the game reads outside the resource table
    "ground2.bmp": ground2_bmp,
    "water.bmp": water_bmp,
    "dust.png": _png(dust_png),
    # textures named inside the meshes
    "sky_day.png": _png(lambda: sky_png("day")),
    "enemy_spell.png": _png(lambda: spell_pattern((255, 120, 200, 255), (40, 0, 40, 255))),
    "zenk_spell.png": _png(lambda: spell_pattern((160, 230, 255, 255), (0, 20, 60, 255))),
    "afterburner.png": _png(afterburner_png),
    "ray_beam.png": _png(ray_beam_png),
    "tama.png": _png(tama_png),
    "shot_point.png": _png(shot_point_png),
    "sea_tile.png": _png(sea_tile_png),
    "ice_floe.png": _png(ice_floe_png),
    "ice_crystal.png": _png(ice_crystal_png),
    "yama_rock.png": _png(lambda: yama_rock_png("rock")),
    "cave_rock.png": _png(cave_rock_png),
    "meadow.png": _png(meadow_png),
    "flowers.png": _png(flowers_png),
    "building.png": _png(lambda: building_png((150, 160, 175))),
    "building2.png": _png(lambda: building_png((170, 150, 130))),
}
for _name, _cols in models.PALETTES.items():
    TEXTURES[_name] = _png(lambda cols=_cols: palette_png(cols))
for _name in models.FAIRY_COLOURS:
    TEXTURES[_name] = _png(lambda n=_name: fairy_png(n))


def build(name):
    return TEXTURES[name]()
