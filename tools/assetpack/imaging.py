"""A small RGBA canvas with span-based drawing, a 5x7 bitmap font and PNG/BMP writers.

Everything is drawn with whole-row slice writes where possible, so that 1024 x 1024
atlases take milliseconds; only glows and noise fields touch pixels one by one.
Drawing calls take coordinates in a "design" space (for example the 1024 x 720 layout of
a portrait) that the canvas maps onto its pixel grid, so a picture can be authored at
the aspect it is shown at and stored in a power-of-two texture.
"""
import math
import struct
import zlib

# The colour key of the texture loader: opaque pure magenta turns transparent.
COLOR_KEY = (255, 0, 255, 255)


def rgba(c):
    """Accepts (r, g, b), (r, g, b, a) or 0xAARRGGBB and returns an (r, g, b, a) tuple."""
    if isinstance(c, int):
        return ((c >> 16) & 255, (c >> 8) & 255, c & 255, (c >> 24) & 255)
    if len(c) == 3:
        return (int(c[0]), int(c[1]), int(c[2]), 255)
    return tuple(int(v) for v in c)


def mix(a, b, t):
    a, b = rgba(a), rgba(b)
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(4))


def scale_rgb(c, f):
    c = rgba(c)
    return (min(255, int(c[0] * f)), min(255, int(c[1] * f)), min(255, int(c[2] * f)), c[3])


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0), design=None):
        self.w, self.h = w, h
        dw, dh = design if design else (w, h)
        self.sx, self.sy = w / dw, h / dh
        self.px = bytearray(bytes(rgba(fill)) * (w * h))

    # ---- coordinate helpers -------------------------------------------------------------
    def _x(self, x):
        return x * self.sx

    def _y(self, y):
        return y * self.sy

    def _span(self, y, x0, x1, col):
        """Writes pixels [x0, x1) of row y (pixel units, clipped) with one colour."""
        if y < 0 or y >= self.h:
            return
        x0 = max(0, x0)
        x1 = min(self.w, x1)
        if x1 <= x0:
            return
        o = (y * self.w + x0) * 4
        self.px[o:o + (x1 - x0) * 4] = col * (x1 - x0)

    def _blend_span(self, y, x0, x1, c):
        """Source-over blend of one colour onto pixels [x0, x1) of row y."""
        if y < 0 or y >= self.h:
            return
        x0, x1 = max(0, x0), min(self.w, x1)
        a = c[3] / 255.0
        if a >= 1.0:
            self._span(y, x0, x1, bytes(c))
            return
        px = self.px
        for x in range(x0, x1):
            o = (y * self.w + x) * 4
            da = px[o + 3] / 255.0
            oa = a + da * (1 - a)
            if oa <= 0:
                continue
            for i in range(3):
                px[o + i] = int((c[i] * a + px[o + i] * da * (1 - a)) / oa + 0.5)
            px[o + 3] = int(oa * 255 + 0.5)

    def _put_span(self, y, x0, x1, c, blend):
        if blend and c[3] < 255:
            self._blend_span(y, x0, x1, c)
        else:
            self._span(y, x0, x1, bytes(c))

    # ---- shapes -------------------------------------------------------------------------
    def rect(self, x0, y0, x1, y1, color, blend=False):
        c = rgba(color)
        px0, px1 = int(round(self._x(x0))), int(round(self._x(x1)))
        py0, py1 = int(round(self._y(y0))), int(round(self._y(y1)))
        for y in range(max(0, py0), min(self.h, py1)):
            self._put_span(y, px0, px1, c, blend)

    def frame(self, x0, y0, x1, y1, t, color, blend=False):
        """A rectangular outline of thickness t inside the rectangle."""
        self.rect(x0, y0, x1, y0 + t, color, blend)
        self.rect(x0, y1 - t, x1, y1, color, blend)
        self.rect(x0, y0 + t, x0 + t, y1 - t, color, blend)
        self.rect(x1 - t, y0 + t, x1, y1 - t, color, blend)

    def vgradient(self, x0, y0, x1, y1, top, bottom, blend=False):
        px0, px1 = int(round(self._x(x0))), int(round(self._x(x1)))
        py0, py1 = int(round(self._y(y0))), int(round(self._y(y1)))
        n = max(1, py1 - py0 - 1)
        for y in range(max(0, py0), min(self.h, py1)):
            self._put_span(y, px0, px1, mix(top, bottom, (y - py0) / n), blend)

    def hgradient(self, x0, y0, x1, y1, left, right):
        px0, px1 = int(round(self._x(x0))), int(round(self._x(x1)))
        py0, py1 = int(round(self._y(y0))), int(round(self._y(y1)))
        n = max(1, px1 - px0 - 1)
        row = b"".join(bytes(mix(left, right, i / n)) for i in range(px1 - px0))
        c0 = max(0, px0)
        cut = row[(c0 - px0) * 4:(min(self.w, px1) - px0) * 4]
        for y in range(max(0, py0), min(self.h, py1)):
            o = (y * self.w + c0) * 4
            self.px[o:o + len(cut)] = cut

    def ellipse(self, cx, cy, rx, ry, color, blend=False):
        c = rgba(color)
        pcx, pcy, prx, pry = self._x(cx), self._y(cy), self._x(rx), self._y(ry)
        if prx <= 0 or pry <= 0:
            return
        for y in range(max(0, int(pcy - pry)), min(self.h, int(pcy + pry) + 1)):
            dy = (y + 0.5 - pcy) / pry
            if abs(dy) >= 1:
                continue
            hw = prx * math.sqrt(1 - dy * dy)
            self._put_span(y, int(round(pcx - hw)), int(round(pcx + hw)), c, blend)

    def circle(self, cx, cy, r, color, blend=False):
        self.ellipse(cx, cy, r, r * self.sx / self.sy, color, blend)

    def ring(self, cx, cy, r_out, r_in, color, blend=False):
        """An annulus (circular in pixels)."""
        c = rgba(color)
        pcx, pcy = self._x(cx), self._y(cy)
        ro, ri = self._x(r_out), self._x(r_in)
        for y in range(max(0, int(pcy - ro)), min(self.h, int(pcy + ro) + 1)):
            dy = y + 0.5 - pcy
            if abs(dy) >= ro:
                continue
            wo = math.sqrt(ro * ro - dy * dy)
            if abs(dy) < ri:
                wi = math.sqrt(ri * ri - dy * dy)
                self._put_span(y, int(round(pcx - wo)), int(round(pcx - wi)), c, blend)
                self._put_span(y, int(round(pcx + wi)), int(round(pcx + wo)), c, blend)
            else:
                self._put_span(y, int(round(pcx - wo)), int(round(pcx + wo)), c, blend)

    def polygon(self, pts, color, blend=False):
        """Even-odd scanline fill sampled at pixel centres."""
        c = rgba(color)
        p = [(self._x(x), self._y(y)) for x, y in pts]
        ys = [q[1] for q in p]
        n = len(p)
        for y in range(max(0, int(min(ys))), min(self.h, int(max(ys)) + 1)):
            yc = y + 0.5
            xs = []
            for i in range(n):
                (xa, ya), (xb, yb) = p[i], p[(i + 1) % n]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                self._put_span(y, int(round(xs[i])), int(round(xs[i + 1])), c, blend)

    def wrapped_line(self, x0, y0, x1, y1, width, color):
        """A line on a tiling texture: drawn again one texture size over in every direction
        so that parts leaving one edge come back in at the opposite one."""
        w, h = self.w / self.sx, self.h / self.sy
        for dx in (-w, 0, w):
            for dy in (-h, 0, h):
                self.line(x0 + dx, y0 + dy, x1 + dx, y1 + dy, width, color)

    def line(self, x0, y0, x1, y1, width, color, blend=False):
        dx, dy = x1 - x0, y1 - y0
        ln = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / ln * width / 2, dx / ln * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)],
                     color, blend)

    def star(self, cx, cy, r_out, r_in, points, color, rot=-math.pi / 2, blend=False):
        pts = []
        for i in range(points * 2):
            r = r_out if i % 2 == 0 else r_in
            a = rot + i * math.pi / points
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        self.polygon(pts, color, blend)

    def radial(self, cx, cy, rx, ry, lut, mode="set"):
        """Per-pixel radial fill: lut is a list of 256 RGBA tuples indexed by the normalised
        distance t in [0, 1); pixels at t >= 1 are left alone. mode "max" keeps the more opaque
        pixel, "over" composites the glow over what is there, "add" adds (saturating)."""
        pcx, pcy, prx, pry = self._x(cx), self._y(cy), self._x(rx), self._y(ry)
        lb = [bytes(rgba(c)) for c in lut]
        x0, x1 = max(0, int(pcx - prx)), min(self.w, int(pcx + prx) + 1)
        px = self.px
        for y in range(max(0, int(pcy - pry)), min(self.h, int(pcy + pry) + 1)):
            dy2 = ((y + 0.5 - pcy) / pry) ** 2
            if dy2 >= 1:
                continue
            for x in range(x0, x1):
                t2 = ((x + 0.5 - pcx) / prx) ** 2 + dy2
                if t2 >= 1:
                    continue
                src = lb[int(math.sqrt(t2) * 255.999)]
                o = (y * self.w + x) * 4
                if mode == "set":
                    px[o:o + 4] = src
                elif mode == "max":
                    if src[3] > px[o + 3]:
                        px[o:o + 4] = src
                elif mode == "over":
                    sa = src[3] / 255.0
                    da = px[o + 3] / 255.0 * (1 - sa)
                    oa = sa + da
                    if oa > 0:
                        for i in range(3):
                            px[o + i] = int((src[i] * sa + px[o + i] * da) / oa + 0.5)
                        px[o + 3] = int(oa * 255 + 0.5)
                else:
                    for i in range(4):
                        px[o + i] = min(255, px[o + i] + src[i])

    def field(self, fn):
        """Fills every pixel from fn(x, y) -> bytes of length 4 (rows built as one join)."""
        w = self.w
        for y in range(self.h):
            self.px[y * w * 4:(y + 1) * w * 4] = b"".join(fn(x, y) for x in range(w))

    def paste(self, other, dx, dy):
        """Copies another canvas at pixel offset (dx, dy), replacing pixels."""
        for y in range(other.h):
            ty = y + dy
            if 0 <= ty < self.h:
                x0, x1 = max(0, dx), min(self.w, dx + other.w)
                if x1 > x0:
                    so = (y * other.w + (x0 - dx)) * 4
                    to = (ty * self.w + x0) * 4
                    self.px[to:to + (x1 - x0) * 4] = other.px[so:so + (x1 - x0) * 4]

    def get(self, x, y):
        o = (y * self.w + x) * 4
        return tuple(self.px[o:o + 4])

    # ---- text ---------------------------------------------------------------------------
    def text(self, x, y, s, size, color, spacing=1, blend=False, vsize=None):
        """Draws s with the 5x7 font; size is the width of one font pixel in design units and
        vsize its height (default: square). Lower-case letters are drawn as small capitals.
        Returns the advance width."""
        c = rgba(color)
        vs = size if vsize is None else vsize
        cx = x
        for ch in s:
            small = ch.islower()
            rows = FONT.get(ch.upper(), FONT["?"])
            gh = vs * (5.0 / 7.0 if small else 1.0)
            top = y + (vs * 7 - gh * 7)
            for r, bits in enumerate(rows):
                col = 0
                while col < 5:
                    if bits & (16 >> col):
                        run = col
                        while run < 5 and bits & (16 >> run):
                            run += 1
                        self.rect(cx + col * size, top + r * gh, cx + run * size, top + (r + 1) * gh, c, blend)
                        col = run
                    else:
                        col += 1
            cx += (5 + spacing) * size
        return cx - x

    @staticmethod
    def text_width(s, size, spacing=1):
        return len(s) * (5 + spacing) * size - spacing * size

    def text_center(self, cx, y, s, size, color, spacing=1, blend=False, vsize=None):
        self.text(cx - self.text_width(s, size, spacing) / 2, y, s, size, color, spacing, blend, vsize)

    def text_fit(self, x0, y0, x1, y1, s, color, align="center", max_size=None, spacing=1, outline=None,
                 stretch=1.0, fill=0.72):
        """Draws s as large as fits in the box (design units), vertically centred, the font
        pixels `stretch` times wider than high; the glyphs take `fill` of the box height."""
        bw, bh = x1 - x0, y1 - y0
        vs = min(bh * fill / 7.0, bw / max(1, len(s) * (5 + spacing) - spacing) / stretch)
        if max_size:
            vs = min(vs, max_size)
        size = vs * stretch
        tw = self.text_width(s, size, spacing)
        if align == "center":
            tx = x0 + (bw - tw) / 2
        elif align == "left":
            tx = x0
        else:
            tx = x1 - tw
        ty = y0 + (bh - vs * 7) / 2
        if outline:
            o = max(vs * 0.3, 1.0 / self.sy)
            for ox, oy in ((-o, 0), (o, 0), (0, -o), (0, o), (-o, -o), (o, o), (-o, o), (o, -o)):
                self.text(tx + ox, ty + oy, s, size, outline, spacing, vsize=vs)
        self.text(tx, ty, s, size, color, spacing, vsize=vs)
        return vs

    # ---- output -------------------------------------------------------------------------
    def mirrored(self):
        out = Canvas(self.w, self.h)
        w = self.w
        for y in range(self.h):
            row = self.px[y * w * 4:(y + 1) * w * 4]
            out.px[y * w * 4:(y + 1) * w * 4] = b"".join(
                bytes(row[(w - 1 - x) * 4:(w - x) * 4]) for x in range(w))
        return out

    def premultiply(self):
        px = self.px
        for o in range(0, len(px), 4):
            a = px[o + 3]
            if a < 255:
                px[o] = px[o] * a // 255
                px[o + 1] = px[o + 1] * a // 255
                px[o + 2] = px[o + 2] * a // 255

    def png(self):
        return encode_png(self.w, self.h, bytes(self.px))


def encode_png(w, h, rgba_bytes):
    """8-bit RGBA PNG, filter 0 on every row."""
    stride = w * 4
    raw = b"".join(b"\x00" + rgba_bytes[y * stride:(y + 1) * stride] for y in range(h))

    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data
                + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 6))
            + chunk(b"IEND", b""))


def encode_bmp24(w, h, rgb_rows):
    """Uncompressed 24-bit BMP (BI_RGB, bottom-up). rgb_rows: h rows of w (r, g, b) tuples,
    row 0 at the top of the picture."""
    pad = (4 - (w * 3) % 4) % 4
    body = bytearray()
    for y in range(h - 1, -1, -1):
        for r, g, b in rgb_rows[y]:
            body += bytes((b, g, r))
        body += b"\x00" * pad
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return header + info + bytes(body)


def decode_png_size(data):
    """(width, height) of a PNG image; raises ValueError when data is not a PNG."""
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG")
    return struct.unpack(">II", data[16:24])


def decode_png_rgba(data):
    """Decodes the PNGs this module writes (8-bit RGBA, filter 0) back to raw RGBA bytes."""
    w, h = decode_png_size(data)
    pos, idat = 8, b""
    while pos < len(data):
        n, tag = struct.unpack(">I4s", data[pos:pos + 8])
        if tag == b"IDAT":
            idat += data[pos + 8:pos + 8 + n]
        pos += 12 + n
    raw = zlib.decompress(idat)
    stride = w * 4
    out = bytearray()
    for y in range(h):
        row = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        if row[0] != 0:
            raise ValueError("unsupported PNG filter")
        out += row[1:]
    return w, h, bytes(out)


def lut(fn):
    """A 256-entry lookup table of colours over t in [0, 1]."""
    return [rgba(fn(i / 255.0)) for i in range(256)]


def smooth(t):
    t = min(1.0, max(0.0, t))
    return t * t * (3 - 2 * t)


def glow_lut(color, core=0.0, power=2.0):
    """A soft radial glow: full colour inside `core`, alpha falling to 0 at the edge."""
    c = rgba(color)

    def f(t):
        k = 1.0 if t <= core else max(0.0, 1.0 - (t - core) / (1.0 - core))
        a = k ** power
        return (c[0], c[1], c[2], int(c[3] * a))
    return lut(f)


class TileNoise:
    """Tileable value noise on a square texture: a lattice of random values per octave,
    bilinearly interpolated with smoothstep weights; wraps at the texture edge."""

    def __init__(self, rng, size, cells=(4, 8, 16, 32), weights=(0.5, 0.25, 0.15, 0.1)):
        self.size = size
        self.octaves = []
        for n, wgt in zip(cells, weights):
            grid = [[rng.random() for _ in range(n)] for _ in range(n)]
            xs = []
            for x in range(size):
                f = x * n / size
                i0 = int(f)
                t = smooth(f - i0)
                xs.append((i0 % n, (i0 + 1) % n, t))
            self.octaves.append((n, grid, xs, wgt))

    def rows(self):
        """Yields one list of values in [0, 1] per row."""
        size = self.size
        for y in range(size):
            acc = [0.0] * size
            for n, grid, xs, wgt in self.octaves:
                f = y * n / size
                j0 = int(f)
                ty = smooth(f - j0)
                r0, r1 = grid[j0 % n], grid[(j0 + 1) % n]
                line = [r0[i] + (r1[i] - r0[i]) * ty for i in range(n)]
                acc = [a + wgt * (line[i0] + (line[i1] - line[i0]) * t)
                       for a, (i0, i1, t) in zip(acc, xs)]
            yield acc

    def grid(self):
        return list(self.rows())


# 5x7 font: seven rows of five bits (bit 4 = leftmost column).
def _glyphs(table):
    out = {}
    for ch, rows in table.items():
        out[ch] = [int(r.replace(".", "0").replace("#", "1"), 2) for r in rows.split()]
    return out


FONT = _glyphs({
    "A": ".###. #...# #...# ##### #...# #...# #...#",
    "B": "####. #...# #...# ####. #...# #...# ####.",
    "C": ".###. #...# #.... #.... #.... #...# .###.",
    "D": "####. #...# #...# #...# #...# #...# ####.",
    "E": "##### #.... #.... ####. #.... #.... #####",
    "F": "##### #.... #.... ####. #.... #.... #....",
    "G": ".###. #...# #.... #.### #...# #...# .####",
    "H": "#...# #...# #...# ##### #...# #...# #...#",
    "I": ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###.",
    "J": "..### ...#. ...#. ...#. ...#. #..#. .##..",
    "K": "#...# #..#. #.#.. ##... #.#.. #..#. #...#",
    "L": "#.... #.... #.... #.... #.... #.... #####",
    "M": "#...# ##.## #.#.# #.#.# #...# #...# #...#",
    "N": "#...# #...# ##..# #.#.# #..## #...# #...#",
    "O": ".###. #...# #...# #...# #...# #...# .###.",
    "P": "####. #...# #...# ####. #.... #.... #....",
    "Q": ".###. #...# #...# #...# #.#.# #..#. .##.#",
    "R": "####. #...# #...# ####. #.#.. #..#. #...#",
    "S": ".#### #.... #.... .###. ....# ....# ####.",
    "T": "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..",
    "U": "#...# #...# #...# #...# #...# #...# .###.",
    "V": "#...# #...# #...# #...# #...# .#.#. ..#..",
    "W": "#...# #...# #...# #.#.# #.#.# #.#.# .#.#.",
    "X": "#...# #...# .#.#. ..#.. .#.#. #...# #...#",
    "Y": "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#..",
    "Z": "##### ....# ...#. ..#.. .#... #.... #####",
    "0": ".###. #...# #..## #.#.# ##..# #...# .###.",
    "1": "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.",
    "2": ".###. #...# ....# ...#. ..#.. .#... #####",
    "3": "##### ...#. ..#.. ...#. ....# #...# .###.",
    "4": "...#. ..##. .#.#. #..#. ##### ...#. ...#.",
    "5": "##### #.... ####. ....# ....# #...# .###.",
    "6": "..##. .#... #.... ####. #...# #...# .###.",
    "7": "##### ....# ...#. ..#.. .#... .#... .#...",
    "8": ".###. #...# #...# .###. #...# #...# .###.",
    "9": ".###. #...# #...# .#### ....# ...#. .##..",
    " ": "..... ..... ..... ..... ..... ..... .....",
    ".": "..... ..... ..... ..... ..... .##.. .##..",
    ",": "..... ..... ..... ..... .##.. ..#.. .#...",
    "!": "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#..",
    "?": ".###. #...# ....# ...#. ..#.. ..... ..#..",
    "-": "..... ..... ..... .###. ..... ..... .....",
    "+": "..... ..#.. ..#.. ##### ..#.. ..#.. .....",
    "%": "##..# ##..# ...#. ..#.. .#... #..## #..##",
    "/": "....# ....# ...#. ..#.. .#... #.... #....",
    ":": "..... .##.. .##.. ..... .##.. .##.. .....",
    ";": "..... .##.. .##.. ..... .##.. ..#.. .#...",
    "'": "..#.. ..#.. .#... ..... ..... ..... .....",
    "_": "..... ..... ..... ..... ..... ..... #####",
    "(": "...#. ..#.. .#... .#... .#... ..#.. ...#.",
    ")": ".#... ..#.. ...#. ...#. ...#. ..#.. .#...",
    "&": ".##.. #..#. #.#.. .#... #.#.# #..#. .##.#",
    "*": "..... ..#.. #.#.# .###. #.#.# ..#.. .....",
    "=": "..... ..... ##### ..... ##### ..... .....",
    "#": ".#.#. .#.#. ##### .#.#. ##### .#.#. .#.#.",
    "<": "...#. ..#.. .#... #.... .#... ..#.. ...#.",
    ">": ".#... ..#.. ...#. ....# ...#. ..#.. .#...",
    "@": ".###. #...# #.### #.#.# #.### #.... .####",
    "$": "..#.. .#### #.#.. .###. ..#.# ####. ..#..",
    "~": "..... ..... .#... #.#.# ...#. ..... .....",
})
