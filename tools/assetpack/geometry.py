"""Mesh building: containers of triangles with normals, texture coordinates, materials and
optional skin weights, a few closed primitives, height fields and affine transforms.

Conventions are Direct3D's: left-handed (x right, y up, z forward), row vectors (p' = p M),
and a face is seen from the side its clockwise winding faces, which is the direction of
cross(b - a, c - a). Every triangle is added with the direction it must be seen from and
is flipped when needed, so no primitive has to get its winding right by hand.
"""
import math


# ---- vectors and matrices (4x4, row-vector convention) ---------------------------------
def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def mul(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def norm(a):
    ln = math.sqrt(dot(a, a))
    return (a[0] / ln, a[1] / ln, a[2] / ln) if ln > 1e-12 else (0.0, 1.0, 0.0)


IDENTITY = ((1.0, 0.0, 0.0, 0.0), (0.0, 1.0, 0.0, 0.0), (0.0, 0.0, 1.0, 0.0), (0.0, 0.0, 0.0, 1.0))


def matmul(a, b):
    return tuple(tuple(sum(a[i][k] * b[k][j] for k in range(4)) for j in range(4)) for i in range(4))


def chain(*ms):
    """The product m0 m1 m2 ...: with row vectors, m0 is applied first."""
    out = IDENTITY
    for m in ms:
        out = matmul(out, m)
    return out


def translate(x, y, z):
    return ((1.0, 0.0, 0.0, 0.0), (0.0, 1.0, 0.0, 0.0), (0.0, 0.0, 1.0, 0.0), (x, y, z, 1.0))


def scale(x, y=None, z=None):
    y = x if y is None else y
    z = x if z is None else z
    return ((x, 0.0, 0.0, 0.0), (0.0, y, 0.0, 0.0), (0.0, 0.0, z, 0.0), (0.0, 0.0, 0.0, 1.0))


def rot_x(a):
    c, s = math.cos(a), math.sin(a)
    return ((1.0, 0.0, 0.0, 0.0), (0.0, c, s, 0.0), (0.0, -s, c, 0.0), (0.0, 0.0, 0.0, 1.0))


def rot_y(a):
    c, s = math.cos(a), math.sin(a)
    return ((c, 0.0, -s, 0.0), (0.0, 1.0, 0.0, 0.0), (s, 0.0, c, 0.0), (0.0, 0.0, 0.0, 1.0))


def rot_z(a):
    c, s = math.cos(a), math.sin(a)
    return ((c, s, 0.0, 0.0), (-s, c, 0.0, 0.0), (0.0, 0.0, 1.0, 0.0), (0.0, 0.0, 0.0, 1.0))


def apply(m, p):
    x, y, z = p
    return (x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0],
            x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1],
            x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2])


def apply_dir(m, d):
    x, y, z = d
    return (x * m[0][0] + y * m[1][0] + z * m[2][0],
            x * m[0][1] + y * m[1][1] + z * m[2][1],
            x * m[0][2] + y * m[1][2] + z * m[2][2])


def _inv3(m):
    a, b, c = m[0][:3], m[1][:3], m[2][:3]
    det = dot(a, cross(b, c))
    r0, r1, r2 = cross(b, c), cross(c, a), cross(a, b)
    # inverse = adjugate / det; columns are the cross products
    return tuple(tuple((r0[i], r1[i], r2[i])[j] / det for j in range(3)) for i in range(3))


def apply_normal(m, n):
    """Normals go through the inverse transpose of the linear part."""
    inv = _inv3(m)
    # n' = n * inv^T  ->  n'_j = sum_i n_i inv[j][i]
    return norm(tuple(sum(n[i] * inv[j][i] for i in range(3)) for j in range(3)))


def invert_rigid(m):
    """Inverse of a rotation-and-translation matrix."""
    r = [[m[j][i] for j in range(3)] for i in range(3)]
    t = m[3][:3]
    it = tuple(-sum(t[k] * r[k][j] for k in range(3)) for j in range(3))
    return ((r[0][0], r[0][1], r[0][2], 0.0), (r[1][0], r[1][1], r[1][2], 0.0),
            (r[2][0], r[2][1], r[2][2], 0.0), (it[0], it[1], it[2], 1.0))


# ---- materials and containers -------------------------------------------------------------
class Material:
    def __init__(self, diffuse=(1, 1, 1, 1), texture=None, power=8.0, specular=(0.2, 0.2, 0.2),
                 emissive=(0.3, 0.3, 0.3)):
        self.diffuse, self.texture, self.power = diffuse, texture, power
        self.specular, self.emissive = specular, emissive


class MeshPart:
    """One mesh container: vertices (position, normal, uv), triangles with a material each,
    and optional skin weights (bone name -> {vertex: weight}) with offset matrices."""

    def __init__(self, name, materials):
        self.name = name
        self.materials = list(materials)
        self.pos, self.nrm, self.uv = [], [], []
        self.faces, self.fmat = [], []
        self.bones = {}       # bone name -> offset matrix
        self.weights = {}     # bone name -> {vertex index: weight}
        self.bind = None      # bone chosen for vertices added from now on (skinned parts)

    def vert(self, p, n, uv):
        self.pos.append(tuple(float(v) for v in p))
        self.nrm.append(norm(n))
        self.uv.append((float(uv[0]), float(uv[1])))
        i = len(self.pos) - 1
        if self.bind:
            for bone, w in self.bind:
                self.weights.setdefault(bone, {})[i] = w
        return i

    def tri(self, a, b, c, mat, facing):
        """Adds (a, b, c) wound so that it is seen from the side `facing` points to."""
        pa, pb, pc = self.pos[a], self.pos[b], self.pos[c]
        nrm = cross(sub(pb, pa), sub(pc, pa))
        if dot(nrm, nrm) < 1e-18:
            return  # degenerate: drop
        if dot(nrm, facing) < 0:
            b, c = c, b
        self.faces.append((a, b, c))
        self.fmat.append(mat)

    def quad(self, a, b, c, d, mat, facing):
        self.tri(a, b, c, mat, facing)
        self.tri(a, c, d, mat, facing)

    def add_bone(self, name, offset):
        self.bones[name] = offset
        self.weights.setdefault(name, {})

    def bounds(self):
        xs = [p[0] for p in self.pos]
        ys = [p[1] for p in self.pos]
        zs = [p[2] for p in self.pos]
        return (min(xs), min(ys), min(zs)), (max(xs), max(ys), max(zs))


def _uv_in(rect, u, v):
    u0, v0, u1, v1 = rect
    return (u0 + (u1 - u0) * u, v0 + (v1 - v0) * v)


FULL = (0.0, 0.0, 1.0, 1.0)


# ---- closed primitives ---------------------------------------------------------------------
def ellipsoid(part, mat, xf, radii=(1, 1, 1), seg=12, rings=8, uv=FULL, inward=False,
              v_range=(0.0, 1.0), cap=False):
    """A UV ellipsoid centred at the local origin (before xf). u runs round the y axis,
    v from the top pole (0) to the bottom pole (1). v_range cuts it to a band (domes);
    a cut ellipsoid is open unless cap is set. inward makes it seen from inside."""
    rx, ry, rz = radii
    rows = []
    for j in range(rings + 1):
        v = v_range[0] + (v_range[1] - v_range[0]) * j / rings
        th = v * math.pi
        row = []
        for i in range(seg + 1):
            ph = 2 * math.pi * i / seg
            d = (math.sin(th) * math.sin(ph), math.cos(th), math.sin(th) * math.cos(ph))
            p = (rx * d[0], ry * d[1], rz * d[2])
            n = (d[0] / rx, d[1] / ry, d[2] / rz)
            wp = apply(xf, p)
            wn = apply_normal(xf, n)
            if inward:
                wn = mul(wn, -1)
            row.append(part.vert(wp, wn, _uv_in(uv, i / seg, (v - v_range[0]) / (v_range[1] - v_range[0]))))
        rows.append(row)
    centre = apply(xf, (0, 0, 0))
    for j in range(rings):
        for i in range(seg):
            a, b, c, d = rows[j][i], rows[j][i + 1], rows[j + 1][i + 1], rows[j + 1][i]
            out = sub(part.pos[a], centre)
            out = add(out, sub(part.pos[c], centre))
            face = mul(out, -1) if inward else out
            part.tri(a, b, c, mat, face)
            part.tri(a, c, d, mat, face)
    if cap and v_range[1] < 1.0:
        ring = rows[-1][:-1]
        th = v_range[1] * math.pi
        cy = ry * math.cos(th)
        cp = apply(xf, (0, cy, 0))
        down = apply_dir(xf, (0, -1, 0))
        face = mul(down, -1) if inward else down
        ci = part.vert(cp, face, _uv_in(uv, 0.5, 1.0))
        cverts = [part.vert(part.pos[k], face, _uv_in(uv, 0.5 + 0.5 * math.sin(2 * math.pi * i / seg), 1.0))
                  for i, k in enumerate(ring)]
        for i in range(len(cverts)):
            part.tri(ci, cverts[i], cverts[(i + 1) % len(cverts)], mat, face)


def box(part, mat, xf, size, uv=FULL, face_uv=None):
    """An axis-aligned box centred at the local origin. face_uv maps a face name
    ('+x', '-x', '+y', '-y', '+z', '-z') to its own uv rectangle."""
    hx, hy, hz = size[0] / 2, size[1] / 2, size[2] / 2
    faces = {
        "+x": ((1, 0, 0), [(hx, hy, -hz), (hx, hy, hz), (hx, -hy, hz), (hx, -hy, -hz)]),
        "-x": ((-1, 0, 0), [(-hx, hy, hz), (-hx, hy, -hz), (-hx, -hy, -hz), (-hx, -hy, hz)]),
        "+y": ((0, 1, 0), [(-hx, hy, hz), (hx, hy, hz), (hx, hy, -hz), (-hx, hy, -hz)]),
        "-y": ((0, -1, 0), [(-hx, -hy, -hz), (hx, -hy, -hz), (hx, -hy, hz), (-hx, -hy, hz)]),
        "+z": ((0, 0, 1), [(hx, hy, hz), (-hx, hy, hz), (-hx, -hy, hz), (hx, -hy, hz)]),
        "-z": ((0, 0, -1), [(-hx, hy, -hz), (hx, hy, -hz), (hx, -hy, -hz), (-hx, -hy, -hz)]),
    }
    for name, (n, corners) in faces.items():
        rect = face_uv.get(name, uv) if face_uv else uv
        wn = apply_normal(xf, n)
        uvs = [(0, 0), (1, 0), (1, 1), (0, 1)]
        idx = [part.vert(apply(xf, p), wn, _uv_in(rect, *t)) for p, t in zip(corners, uvs)]
        part.quad(idx[0], idx[1], idx[2], idx[3], mat, wn)


def frustum(part, mat, xf, r0, r1, length, seg=10, uv=FULL, caps=True, open_inside=False):
    """A tapered cylinder along local +z from z = 0 (radius r0) to z = length (radius r1),
    closed with flat caps (a zero radius makes a cone tip). u round, v along z."""
    axis = apply_dir(xf, (0, 0, 1))
    rings = []
    for k, (r, z) in enumerate(((r0, 0.0), (r1, length))):
        row = []
        for i in range(seg + 1):
            a = 2 * math.pi * i / seg
            p = (r * math.cos(a), r * math.sin(a), z)
            slope = (r0 - r1) / length if length else 0.0
            n = (math.cos(a), math.sin(a), slope)
            wn = apply_normal(xf, n)
            if open_inside:
                wn = mul(wn, -1)
            row.append(part.vert(apply(xf, p), wn, _uv_in(uv, i / seg, float(k))))
        rings.append(row)
    for i in range(seg):
        a, b, c, d = rings[0][i], rings[0][i + 1], rings[1][i + 1], rings[1][i]
        mid = apply(xf, (0, 0, length / 2))
        out = sub(add(part.pos[a], part.pos[c]), mul(mid, 2))
        out = sub(out, mul(axis, dot(out, axis)))
        face = mul(out, -1) if open_inside else out
        part.tri(a, b, c, mat, face)
        part.tri(a, c, d, mat, face)
    if caps:
        for r, z, sgn in ((r0, 0.0, -1), (r1, length, 1)):
            if r <= 0:
                continue
            fn = mul(axis, sgn)
            ci = part.vert(apply(xf, (0, 0, z)), fn, _uv_in(uv, 0.5, 0.5))
            ring = [part.vert(apply(xf, (r * math.cos(2 * math.pi * i / seg), r * math.sin(2 * math.pi * i / seg), z)),
                              fn, _uv_in(uv, 0.5 + 0.5 * math.cos(2 * math.pi * i / seg),
                                         0.5 + 0.5 * math.sin(2 * math.pi * i / seg))) for i in range(seg)]
            for i in range(seg):
                part.tri(ci, ring[i], ring[(i + 1) % seg], mat, fn)


def prism(part, mat, xf, outline, thickness, uv=FULL):
    """A convex polygon given in the local xz plane, extruded symmetrically along y.
    Used for wings, fins and plates."""
    h = thickness / 2
    xs = [p[0] for p in outline]
    zs = [p[1] for p in outline]
    x0, x1, z0, z1 = min(xs), max(xs), min(zs), max(zs)

    def puv(x, z):
        return _uv_in(uv, (x - x0) / ((x1 - x0) or 1), (z - z0) / ((z1 - z0) or 1))
    n = len(outline)
    cx, cz = sum(xs) / n, sum(zs) / n
    for y, sgn in ((h, 1), (-h, -1)):
        # caps fan out from the centroid, which also serves outlines that are only star-shaped
        fn = apply_normal(xf, (0, sgn, 0))
        ci = part.vert(apply(xf, (cx, y, cz)), fn, puv(cx, cz))
        idx = [part.vert(apply(xf, (x, y, z)), fn, puv(x, z)) for x, z in outline]
        for i in range(n):
            part.tri(ci, idx[i], idx[(i + 1) % n], mat, fn)
    for i in range(n):
        (xa, za), (xb, zb) = outline[i], outline[(i + 1) % n]
        out = (xa + xb - 2 * cx, 0.0, za + zb - 2 * cz)
        edge = (xb - xa, 0.0, zb - za)
        side = cross(edge, (0, 1, 0))
        if dot(side, out) < 0:
            side = mul(side, -1)
        fn = apply_normal(xf, side)
        q = [part.vert(apply(xf, p), fn, puv(p[0], p[2]))
             for p in ((xa, h, za), (xb, h, zb), (xb, -h, zb), (xa, -h, za))]
        part.quad(q[0], q[1], q[2], q[3], mat, fn)


def plane(part, mat, xf, w, h, uv=FULL, both_sides=False):
    """A rectangle in the local xy plane seen from -z (and from +z with both_sides)."""
    corners = [(-w / 2, h / 2, 0), (w / 2, h / 2, 0), (w / 2, -h / 2, 0), (-w / 2, -h / 2, 0)]
    uvs = [(0, 0), (1, 0), (1, 1), (0, 1)]
    for sgn in ((-1, 1) if both_sides else (-1,)):
        fn = apply_normal(xf, (0, 0, sgn))
        idx = [part.vert(apply(xf, p), fn, _uv_in(uv, *t)) for p, t in zip(corners, uvs)]
        part.quad(idx[0], idx[1], idx[2], idx[3], mat, fn)


def quad_pts(part, mat, pts, uvs, both_sides=False):
    """A quad from four explicit corners (in order round it) and their uvs; seen from the
    side its corner order makes clockwise, and from both sides with both_sides."""
    a, b, c = pts[0], pts[1], pts[2]
    n = norm(cross(sub(b, a), sub(c, a)))
    for sgn in ((1, -1) if both_sides else (1,)):
        fn = mul(n, sgn)
        idx = [part.vert(p, fn, t) for p, t in zip(pts, uvs)]
        part.quad(idx[0], idx[1], idx[2], idx[3], mat, fn)


# ---- height fields ---------------------------------------------------------------------------
class HeightField:
    """A regular grid over x0..x1, z0..z1 of heights from fn(x, z). Each cell is split along
    the same diagonal, so height_at() reproduces the drawn surface exactly."""

    def __init__(self, x0, x1, z0, z1, nx, nz, fn):
        self.x0, self.x1, self.z0, self.z1, self.nx, self.nz = x0, x1, z0, z1, nx, nz
        self.xs = [x0 + (x1 - x0) * i / nx for i in range(nx + 1)]
        self.zs = [z0 + (z1 - z0) * j / nz for j in range(nz + 1)]
        self.h = [[fn(x, z) for x in self.xs] for z in self.zs]

    def normal(self, i, j):
        il, ir = max(0, i - 1), min(self.nx, i + 1)
        jl, jr = max(0, j - 1), min(self.nz, j + 1)
        dx = (self.h[j][ir] - self.h[j][il]) / (self.xs[ir] - self.xs[il])
        dz = (self.h[jr][i] - self.h[jl][i]) / (self.zs[jr] - self.zs[jl])
        return norm((-dx, 1.0, -dz))

    def height_at(self, x, z):
        """The drawn (piecewise linear) surface at (x, z), or None outside the grid."""
        if not (self.x0 <= x <= self.x1 and self.z0 <= z <= self.z1):
            return None
        fx = (x - self.x0) / (self.x1 - self.x0) * self.nx
        fz = (z - self.z0) / (self.z1 - self.z0) * self.nz
        i, j = min(int(fx), self.nx - 1), min(int(fz), self.nz - 1)
        u, v = fx - i, fz - j
        h00, h10 = self.h[j][i], self.h[j][i + 1]
        h01, h11 = self.h[j + 1][i], self.h[j + 1][i + 1]
        # cells are split along (i, j)-(i + 1, j + 1)
        if u >= v:
            return h00 + (h10 - h00) * u + (h11 - h10) * v
        return h00 + (h11 - h01) * u + (h01 - h00) * v

    def emit(self, part, mat, uvfn, facing=(0, 1, 0), normal_fn=None, xf=None):
        idx = []
        for j, z in enumerate(self.zs):
            row = []
            for i, x in enumerate(self.xs):
                p = (x, self.h[j][i], z)
                n = self.normal(i, j)
                u, v = uvfn(x, self.h[j][i], z, n) if normal_fn is None else normal_fn(x, z)
                if xf:
                    p, n = apply(xf, p), apply_normal(xf, n)
                row.append(part.vert(p, n if facing[1] > 0 else mul(n, -1), (u, v)))
            idx.append(row)
        for j in range(self.nz):
            for i in range(self.nx):
                a, b, c, d = idx[j][i], idx[j][i + 1], idx[j + 1][i + 1], idx[j + 1][i]
                f = facing if not xf else apply_dir(xf, facing)
                part.tri(a, b, c, mat, f)
                part.tri(a, c, d, mat, f)
        return idx


# ---- frames and animation ---------------------------------------------------------------------
class Frame:
    def __init__(self, name, matrix=IDENTITY, parts=(), children=()):
        self.name, self.matrix = name, matrix
        self.parts = list(parts)
        self.children = list(children)

    def walk(self):
        yield self
        for c in self.children:
            yield from c.walk()


class AnimationSet:
    """Matrix keys per frame: {frame name: [(tick, matrix), ...]}."""

    def __init__(self, name, tracks):
        self.name, self.tracks = name, tracks


def combined_matrices(root, parent=IDENTITY, out=None):
    """Bind-pose combined matrices of every frame, by name."""
    out = {} if out is None else out
    m = matmul(root.matrix, parent)
    out[root.name] = m
    for c in root.children:
        combined_matrices(c, m, out)
    return out
