"""Writes text DirectX .x files ("xof 0303txt 0032"): a frame hierarchy whose frames hold
one mesh each (mesh named like its frame), materials with texture file names, normals,
one texture-coordinate set, optional skin weights, and animation sets of matrix keys."""

TICKS_PER_SECOND = 4800


def fnum(v):
    """A float that always has a decimal point: some readers take a comma right after an
    integer for a decimal comma ("1,0" as 1.0), which would shift every later value."""
    v = round(float(v), 4)
    if v == 0:
        return "0.0"
    s = ("%.4f" % v).rstrip("0")
    return s + "0" if s.endswith(".") else s


def _matrix(m):
    return ",".join(fnum(m[i][j]) for i in range(4) for j in range(4))


def _mesh(part, ind):
    out = []
    w = out.append
    pad = " " * ind
    w("%sMesh %s {" % (pad, part.name))
    w("%s %d;" % (pad, len(part.pos)))
    w(",\n".join("%s;%s;%s;" % (fnum(p[0]), fnum(p[1]), fnum(p[2])) for p in part.pos) + ";")
    w("%s %d;" % (pad, len(part.faces)))
    w(",\n".join("3;%d,%d,%d;" % f for f in part.faces) + ";")
    # normals: one per vertex, the faces index them like the positions
    w("%s MeshNormals {" % pad)
    w("%s  %d;" % (pad, len(part.nrm)))
    w(",\n".join("%s;%s;%s;" % (fnum(n[0]), fnum(n[1]), fnum(n[2])) for n in part.nrm) + ";")
    w("%s  %d;" % (pad, len(part.faces)))
    w(",\n".join("3;%d,%d,%d;" % f for f in part.faces) + ";")
    w("%s }" % pad)
    w("%s MeshTextureCoords {" % pad)
    w("%s  %d;" % (pad, len(part.uv)))
    w(",\n".join("%s;%s;" % (fnum(u), fnum(v)) for u, v in part.uv) + ";")
    w("%s }" % pad)
    w("%s MeshMaterialList {" % pad)
    w("%s  %d;" % (pad, len(part.materials)))
    w("%s  %d;" % (pad, len(part.fmat)))
    w(",\n".join("%d" % m for m in part.fmat) + ";")
    for i, mat in enumerate(part.materials):
        d = mat.diffuse
        w("%s  Material %s_mat%d {" % (pad, part.name, i))
        w("%s   %s;%s;%s;%s;;" % (pad, fnum(d[0]), fnum(d[1]), fnum(d[2]), fnum(d[3])))
        w("%s   %s;" % (pad, fnum(mat.power)))
        w("%s   %s;%s;%s;;" % (pad, fnum(mat.specular[0]), fnum(mat.specular[1]), fnum(mat.specular[2])))
        w("%s   %s;%s;%s;;" % (pad, fnum(mat.emissive[0]), fnum(mat.emissive[1]), fnum(mat.emissive[2])))
        if mat.texture:
            w("%s   TextureFilename {" % pad)
            w('%s    "%s";' % (pad, mat.texture))
            w("%s   }" % pad)
        w("%s  }" % pad)
    w("%s }" % pad)
    if part.bones:
        per_vertex = {}
        for bone, ws in part.weights.items():
            for v in ws:
                per_vertex.setdefault(v, set()).add(bone)
        max_v = max((len(s) for s in per_vertex.values()), default=0)
        max_f = 0
        for a, b, c in part.faces:
            bones = per_vertex.get(a, set()) | per_vertex.get(b, set()) | per_vertex.get(c, set())
            max_f = max(max_f, len(bones))
        w("%s XSkinMeshHeader {" % pad)
        w("%s  %d;" % (pad, max_v))
        w("%s  %d;" % (pad, max_f))
        w("%s  %d;" % (pad, len(part.bones)))
        w("%s }" % pad)
        for bone, offset in part.bones.items():
            ws = sorted(part.weights.get(bone, {}).items())
            w("%s SkinWeights {" % pad)
            w('%s  "%s";' % (pad, bone))
            w("%s  %d;" % (pad, len(ws)))
            if ws:
                w(",\n".join("%d" % v for v, _ in ws) + ";")
                w(",\n".join(fnum(x) for _, x in ws) + ";")
            w("%s  %s;;" % (pad, _matrix(offset)))
            w("%s }" % pad)
    w("%s}" % pad)
    return out


def _frame(frame, ind):
    pad = " " * ind
    out = ["%sFrame %s {" % (pad, frame.name),
           "%s FrameTransformMatrix {" % pad,
           "%s  %s;;" % (pad, _matrix(frame.matrix)),
           "%s }" % pad]
    for part in frame.parts:
        out += _mesh(part, ind + 1)
    for child in frame.children:
        out += _frame(child, ind + 1)
    out.append("%s}" % pad)
    return out


def write_x(roots, anim_sets=()):
    """Text of a .x file with the given top-level frames and animation sets."""
    out = ["xof 0303txt 0032", ""]
    if anim_sets:
        out += ["AnimTicksPerSecond {", " %d;" % TICKS_PER_SECOND, "}", ""]
    for root in roots:
        out += _frame(root, 0)
        out.append("")
    for aset in anim_sets:
        out.append("AnimationSet %s {" % aset.name)
        for frame_name, keys in aset.tracks.items():
            out.append(" Animation {")
            out.append("  {%s}" % frame_name)
            out.append("  AnimationKey {")
            out.append("   4;")
            out.append("   %d;" % len(keys))
            out.append(",\n".join("   %d;16;%s;;" % (t, _matrix(m)) for t, m in keys) + ";")
            out.append("  }")
            out.append(" }")
        out.append("}")
        out.append("")
    return ("\n".join(out) + "\n").encode("ascii")


__all__ = ["write_x", "TICKS_PER_SECOND"]
