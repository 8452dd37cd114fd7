#include "engine/core/render/DrawBuilders.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/render/ObjectManager.h"

namespace Quorvex {

namespace {

const int kQuadIndices[6] = {0, 1, 2, 1, 3, 2};
const int kQuadIndices2D[6] = {0, 2, 1, 1, 2, 3};
constexpr int kMaxRingSegments = (CalcVertexSet::WorkVertices - 2) / 2;
constexpr int kMaxTriangleVertices = 255;

const D3DXMATRIX& Identity() {
    static const D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return identity;
}
const D3DXMATRIX& BillboardMatrix(const CalcVertexSet* list) {
    return list->owner ? list->owner->GetBillboardMatrix() : Identity();
}
const D3DXMATRIX& InverseCameraMatrix(const CalcVertexSet* list) {
    return list->owner ? list->owner->GetInverseCameraMatrix() : Identity();
}
const D3DXMATRIX& CameraMatrix(const CalcVertexSet* list) {
    return list->owner ? list->owner->GetCameraMatrix() : Identity();
}
D3DXVECTOR3 Eye(const CalcVertexSet* list) { return list->owner ? list->owner->GetCamera().eye : D3DXVECTOR3(); }
D3DXVECTOR3 LookAt(const CalcVertexSet* list) {
    return list->owner ? list->owner->GetCamera().at : D3DXVECTOR3(0, 0, 1);
}

// Commands the batch switch for this texture set and effect pushes.
int BatchCommandCount(const CalcVertexSet* list, MaterialUnit* textureSet, IShader* effect) {
    const bool open = list->batchOpen;
    if (open && textureSet == list->batchTextureSet && effect == list->batchShader) return 0;
    return (open ? 1 : 0) + 2 + (effect != list->batchShader ? 3 : 0);
}

void OpenBatch(CalcVertexSet* list, MaterialUnit* textureSet, IShader* effect,
               IDirect3DVertexDeclaration9* declaration) {
    const bool open = list->batchOpen;
    if (open && textureSet == list->batchTextureSet && effect == list->batchShader) return;
    if (open) PushRenderCommand(list, RenderCommand::DrawBatch, 0);
    PushRenderCommand(list, RenderCommand::SetShader, effect);
    PushRenderCommand(list, RenderCommand::SetTextures, textureSet);
    if (effect != list->batchShader) {
        PushRenderCommand(list, RenderCommand::SetStreamSource, 0);
        PushRenderCommand(list, RenderCommand::SetIndices, 0);
        PushRenderCommand(list, RenderCommand::SetVertexDeclaration, declaration);
    }
    list->batchOpen = true;
    list->batchTextureSet = textureSet;
    list->batchShader = effect;
}

// Opens the batch when every vertex, index and command of the sprite fits;
// otherwise leaves the list untouched and answers false.
bool BeginGeometry(CalcVertexSet* list, MaterialUnit* textureSet, IShader* effect,
                   IDirect3DVertexDeclaration9* declaration, int vertices, int indices) {
    const int commands = BatchCommandCount(list, textureSet, effect) + 2;
    if (!list->HasRoom(vertices, indices, commands)) return false;
    OpenBatch(list, textureSet, effect, declaration);
    return true;
}

bool Begin3D(CalcVertexSet* list, MaterialUnit* textureSet, int vertices, int indices) {
    return BeginGeometry(list, textureSet, list->spriteEffect, nullptr, vertices, indices);
}

// Indices of one quad from `base` in the given corner pattern; room checked.
void WriteQuad(CalcVertexSet* list, int base, const int (&pattern)[6]) {
    WORD* out = list->Indices() + list->GetIndexCount();
    for (int i = 0; i < 6; ++i) out[i] = static_cast<WORD>((base + pattern[i]) & 0xFFFF);
    list->indexBytes += 6 * CalcVertexSet::IndexSize;
}

int NextIndex(const CalcVertexSet* list) { return list->vertexCount & 0xFFFF; }

// Appends the vertices in one piece and queues their counts.
void FinishGeometry(CalcVertexSet* list, const SpriteVertex* vertices, int count, int primitives) {
    std::memcpy(list->vertexScratch.data() + list->vertexBytes, vertices,
                static_cast<size_t>(count) * CalcVertexSet::VertexSize);
    list->vertexBytes += count * CalcVertexSet::VertexSize;
    list->vertexCount += count;
    PushRenderCommand(list, RenderCommand::AddVertexCount, static_cast<UINT_PTR>(count));
    PushRenderCommand(list, RenderCommand::AddPrimitiveCount, static_cast<UINT_PTR>(primitives));
}

SpriteVertex MakeVertex(const D3DXVECTOR3& p, D3DCOLOR color, const D3DXVECTOR2& uv) {
    return SpriteVertex{p.x, p.y, p.z, color, uv.x, uv.y};
}

// a * (row 1 of m) + b * (row 2) + c * (row 3) + (row 4) + offset.
D3DXVECTOR3 Combine(const D3DXMATRIX& m, float a, float b, float c, const D3DXVECTOR3& offset) {
    return D3DXVECTOR3(a * m._11 + b * m._21 + c * m._31 + m._41 + offset.x,
                       a * m._12 + b * m._22 + c * m._32 + m._42 + offset.y,
                       a * m._13 + b * m._23 + c * m._33 + m._43 + offset.z);
}

void QuadCorners(const Sprite3DData& s, float (&x)[4], float (&y)[4]) {
    if (s.centered) {
        const float w = s.width * 0.5f, h = s.height * 0.5f;
        x[0] = -w, y[0] = h, x[1] = w, y[1] = h, x[2] = -w, y[2] = -h, x[3] = w, y[3] = -h;
    } else {
        x[0] = 0, y[0] = s.height, x[1] = s.width, y[1] = s.height, x[2] = 0, y[2] = 0, x[3] = s.width, y[3] = 0;
    }
}

// Quad corners turned about z by the sprite's angle, then placed by m.
void PushTurnedQuad(CalcVertexSet* list, const Sprite3DData& s, const D3DXMATRIX& m) {
    if (!Begin3D(list, s.material, 4, 6)) return;
    WriteQuad(list, NextIndex(list), kQuadIndices);
    float x[4], y[4];
    QuadCorners(s, x, y);
    const float angle = s.reverseAngle ? -s.rotation.x : s.rotation.x;
    const float c = std::cos(angle), sn = std::sin(angle);
    SpriteVertex* v = list->work;
    for (int i = 0; i < 4; ++i)
        v[i] = MakeVertex(Combine(m, x[i] * c - y[i] * sn, x[i] * sn + y[i] * c, 0.0f, s.position), s.color, s.uv[i]);
    FinishGeometry(list, v, 4, 2);
}

D3DXMATRIX RotationOf(const Sprite3DData& s) {
    D3DXMATRIX r;
    D3DXMatrixRotationQuaternion(&r, &s.rotation);
    return r;
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    D3DXVECTOR3 out;
    D3DXVec3Cross(&out, &a, &b);
    return out;
}

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v) {
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Quad about the axis through the position, facing `toViewer`: its right
// edge runs along toViewer x axis, so the clockwise side faces the viewer.
void PushAxisQuad(CalcVertexSet* list, const Sprite3DData& s, const D3DXVECTOR3& toViewer) {
    if (!Begin3D(list, s.material, 4, 6)) return;
    WriteQuad(list, NextIndex(list), kQuadIndices);
    const D3DXMATRIX r = RotationOf(s);
    const float half = s.height * 0.5f;
    const D3DXVECTOR3 axis(r._31 * half, r._32 * half, r._33 * half);
    const D3DXVECTOR3 right = Normalized(Cross(toViewer, axis)) * (s.width * 0.5f);
    const D3DXVECTOR3 corners[4] = {s.position + axis - right, s.position + axis + right,
                                    s.position - axis - right, s.position - axis + right};
    SpriteVertex* v = list->work;
    for (int i = 0; i < 4; ++i) v[i] = MakeVertex(corners[i], s.color, s.uv[i]);
    FinishGeometry(list, v, 4, 2);
}

}  // namespace

// ---------------------------------------------------------------------------
// Batch control

void BeginSpriteBatch(CalcVertexSet* list, MaterialUnit* textureSet) {
    if (!list->HasRoom(0, 0, BatchCommandCount(list, textureSet, list->spriteEffect))) return;
    OpenBatch(list, textureSet, list->spriteEffect, nullptr);
}

void BeginSprite2DBatch(CalcVertexSet* list, MaterialUnit* textureSet) {
    if (!list->HasRoom(0, 0, BatchCommandCount(list, textureSet, list->sprite2DEffect))) return;
    OpenBatch(list, textureSet, list->sprite2DEffect, list->sprite2DDeclaration);
}

void PushDrawObject(CalcVertexSet* list, RenderObject* object) {
    const bool open = list->batchOpen;
    if (!open && list->batchShader == list->meshEffect) {
        if (list->HasRoom(0, 0, 1)) PushRenderCommand(list, RenderCommand::DrawObject, object);
        return;
    }
    if (!list->HasRoom(0, 0, open ? 2 : 1)) return;
    if (open) PushRenderCommand(list, RenderCommand::DrawBatch, 0);
    list->batchOpen = false;
    list->batchTextureSet = nullptr;
    list->batchShader = list->meshEffect;
    PushRenderCommand(list, RenderCommand::DrawObject, object);
}

void PushRenderStatePreset(CalcVertexSet* list, int preset) {
    const bool change = preset != list->renderStatePreset;
    const bool flush = change && list->batchOpen;
    if (!list->HasRoom(0, 0, flush ? 2 : 1)) return;
    if (flush) PushRenderCommand(list, RenderCommand::DrawBatch, 0);
    list->renderStatePreset = preset;
    PushRenderCommand(list, RenderCommand::SetRenderStatePreset, static_cast<UINT_PTR>(preset));
}

static void PushQuadIndicesOf(CalcVertexSet* list, const int (&pattern)[6]) {
    const int base = NextIndex(list);
    for (int i = 0; i < 6; ++i) {
        if (list->indexBytes + CalcVertexSet::IndexSize >= list->indexCapacity) continue;
        list->Indices()[list->GetIndexCount()] = static_cast<WORD>((base + pattern[i]) & 0xFFFF);
        list->indexBytes += CalcVertexSet::IndexSize;
    }
}

void PushQuadIndices(CalcVertexSet* list) { PushQuadIndicesOf(list, kQuadIndices); }
void PushQuadIndices2D(CalcVertexSet* list) { PushQuadIndicesOf(list, kQuadIndices2D); }

// ---------------------------------------------------------------------------
// 3D sprites

void PushBillboard(CalcVertexSet* list, const Sprite3DData& sprite) {
    PushTurnedQuad(list, sprite, BillboardMatrix(list));
}

void PushCameraSprite(CalcVertexSet* list, const Sprite3DData& sprite) {
    PushTurnedQuad(list, sprite, InverseCameraMatrix(list));
}

void PushSpriteQuad(CalcVertexSet* list, const Sprite3DData& s) {
    if (!Begin3D(list, s.material, 4, 6)) return;
    WriteQuad(list, NextIndex(list), kQuadIndices);
    const D3DXMATRIX r = RotationOf(s);
    float x[4], y[4];
    QuadCorners(s, x, y);
    SpriteVertex* v = list->work;
    for (int i = 0; i < 4; ++i) v[i] = MakeVertex(Combine(r, x[i], y[i], 0.0f, s.position), s.color, s.uv[i]);
    FinishGeometry(list, v, 4, 2);
}

void PushAxisBillboard(CalcVertexSet* list, const Sprite3DData& sprite) {
    PushAxisQuad(list, sprite, Eye(list) - sprite.position);
}

void PushAxisBillboardView(CalcVertexSet* list, const Sprite3DData& sprite) {
    PushAxisQuad(list, sprite, Eye(list) - LookAt(list));
}

void PushBeamSprite(CalcVertexSet* list, const Sprite3DData& s) {
    if (!Begin3D(list, s.material, 6, 12)) return;
    const int base = NextIndex(list);
    // Vertices: start left, centre, right (0-2), end left, centre, right (3-5);
    // two strips, each a quad in the 3D corner order.
    const int left[6] = {3, 4, 0, 4, 1, 0};
    const int right[6] = {4, 5, 1, 5, 2, 1};
    WORD* out = list->Indices() + list->GetIndexCount();
    for (int i = 0; i < 6; ++i) out[i] = static_cast<WORD>((base + left[i]) & 0xFFFF);
    for (int i = 0; i < 6; ++i) out[6 + i] = static_cast<WORD>((base + right[i]) & 0xFFFF);
    list->indexBytes += 12 * CalcVertexSet::IndexSize;

    const D3DXMATRIX r = RotationOf(s);
    const D3DXVECTOR3 axis(r._31 * s.height, r._32 * s.height, r._33 * s.height);
    // The camera's axes are the columns of its matrix: spread across the
    // axis within the view plane.
    const D3DXMATRIX& camera = CameraMatrix(list);
    const D3DXVECTOR3 toViewer(-camera._13, -camera._23, -camera._33);
    const D3DXVECTOR3 side = Normalized(Cross(toViewer, axis)) * (s.width * 0.5f);
    const D3DXVECTOR3 end = s.position + axis;
    const D3DXVECTOR2 startMid = (s.uv[2] + s.uv[3]) * 0.5f;
    const D3DXVECTOR2 endMid = (s.uv[0] + s.uv[1]) * 0.5f;
    SpriteVertex* v = list->work;
    v[0] = MakeVertex(s.position - side, s.color, s.uv[2]);
    v[1] = MakeVertex(s.position, s.color, startMid);
    v[2] = MakeVertex(s.position + side, s.color, s.uv[3]);
    v[3] = MakeVertex(end - side, s.color, s.uv[0]);
    v[4] = MakeVertex(end, s.color, endMid);
    v[5] = MakeVertex(end + side, s.color, s.uv[1]);
    FinishGeometry(list, v, 6, 4);
}

void PushRingSprite(CalcVertexSet* list, const Sprite3DData& s, int segments, float innerWidth, float innerHeight,
                    bool twoSided) {
    const int n = std::clamp(segments, 3, kMaxRingSegments);
    const int passes = twoSided ? 2 : 1;
    const int perPass = 2 * (n + 1);
    if (!Begin3D(list, s.material, perPass * passes, 6 * n * passes)) return;

    const D3DXMATRIX r = RotationOf(s);
    for (int pass = 0; pass < passes; ++pass) {
        const int base = NextIndex(list);
        WORD* out = list->Indices() + list->GetIndexCount();
        for (int k = 0; k < n; ++k) {
            // Segment k: outer k (left, top), outer k+1 (right, top), inner k,
            // inner k+1 in the 3D corner order.
            const int corner[4] = {2 * k, 2 * k + 2, 2 * k + 1, 2 * k + 3};
            for (int i = 0; i < 6; ++i) *out++ = static_cast<WORD>((base + corner[kQuadIndices[i]]) & 0xFFFF);
        }
        list->indexBytes += 6 * n * CalcVertexSet::IndexSize;

        // The second pass is the ring turned by half a turn about local y.
        const float flip = pass == 0 ? 1.0f : -1.0f;
        SpriteVertex* v = list->work;
        for (int k = 0; k <= n; ++k) {
            const float t = static_cast<float>(k) / static_cast<float>(n);
            const float angle = -2.0f * D3DX_PI * t;
            const float c = std::cos(angle), sn = std::sin(angle);
            const D3DXVECTOR2 outerUv = s.uv[0] + (s.uv[1] - s.uv[0]) * t;
            const D3DXVECTOR2 innerUv = s.uv[2] + (s.uv[3] - s.uv[2]) * t;
            v[2 * k] = MakeVertex(Combine(r, flip * c * s.width * 0.5f, sn * s.height * 0.5f, 0.0f, s.position),
                                  s.color, outerUv);
            v[2 * k + 1] = MakeVertex(
                Combine(r, flip * c * innerWidth * 0.5f, sn * innerHeight * 0.5f, 0.0f, s.position), s.color,
                innerUv);
        }
        std::memcpy(list->vertexScratch.data() + list->vertexBytes, v,
                    static_cast<size_t>(perPass) * CalcVertexSet::VertexSize);
        list->vertexBytes += perPass * CalcVertexSet::VertexSize;
        list->vertexCount += perPass;
    }
    PushRenderCommand(list, RenderCommand::AddVertexCount, static_cast<UINT_PTR>(perPass * passes));
    PushRenderCommand(list, RenderCommand::AddPrimitiveCount, static_cast<UINT_PTR>(2 * n * passes));
}

void PushSpriteTriangles(CalcVertexSet* list, const Sprite3DData& s, const std::vector<D3DXVECTOR3>& positions,
                         const std::vector<D3DXVECTOR2>& texCoords) {
    int n = std::min(static_cast<int>(positions.size()), kMaxTriangleVertices);
    n -= n % 3;
    if (n == 0) return;
    if (!Begin3D(list, s.material, n, n)) return;
    const int base = NextIndex(list);
    WORD* out = list->Indices() + list->GetIndexCount();
    for (int i = 0; i < n; ++i) out[i] = static_cast<WORD>((base + i) & 0xFFFF);
    list->indexBytes += n * CalcVertexSet::IndexSize;

    const D3DXMATRIX r = RotationOf(s);
    SpriteVertex* v = list->work;
    for (int i = 0; i < n; ++i) {
        const D3DXVECTOR3& p = positions[i];
        const D3DXVECTOR2 uv = i < static_cast<int>(texCoords.size()) ? texCoords[i] : D3DXVECTOR2();
        v[i] = MakeVertex(Combine(r, p.x, p.y, p.z, s.position), s.color, uv);
    }
    FinishGeometry(list, v, n, n / 3);
}

void PushSprite3DCross(CalcVertexSet* list, const Sprite3DData& s) {
    if (!Begin3D(list, s.material, 8, 12)) return;
    const D3DXMATRIX r = RotationOf(s);
    const float w = s.width * 0.5f;
    const float zTop = s.centered ? s.height * 0.5f : s.height;
    const float zBottom = s.centered ? -s.height * 0.5f : 0.0f;
    const D3DXVECTOR3 eye = Eye(list);
    const D3DXVECTOR3 top(r._31, r._32, r._33);
    const D3DXVECTOR3 centre = Combine(r, 0.0f, 0.0f, (zTop + zBottom) * 0.5f, s.position);

    SpriteVertex* v = list->work;
    for (int q = 0; q < 2; ++q) {
        // Quad 0 spans local x, quad 1 local y; both run along local z.
        const float ax = q == 0 ? 1.0f : 0.0f, ay = q == 0 ? 0.0f : 1.0f;
        const float x[4] = {-w * ax, w * ax, -w * ax, w * ax};
        const float y[4] = {-w * ay, w * ay, -w * ay, w * ay};
        const float z[4] = {zTop, zTop, zBottom, zBottom};
        for (int i = 0; i < 4; ++i)
            v[4 * q + i] = MakeVertex(Combine(r, x[i], y[i], z[i], s.position), s.color, s.uv[i]);
        // The clockwise side of a quad faces -(right x top); wind the quad the
        // other way when its back would face the eye.
        const D3DXVECTOR3 rightDir(ax * r._11 + ay * r._21, ax * r._12 + ay * r._22, ax * r._13 + ay * r._23);
        const bool facing = Dot(-Cross(rightDir, top), eye - centre) >= 0.0f;
        WriteQuad(list, NextIndex(list) + 4 * q, facing ? kQuadIndices : kQuadIndices2D);
    }
    FinishGeometry(list, v, 8, 4);
}

// ---------------------------------------------------------------------------
// 2D sprites

void PushSprite2D(CalcVertexSet* list, const Sprite2DData& s) {
    if (!BeginGeometry(list, s.material, list->sprite2DEffect, list->sprite2DDeclaration, 4, 6)) return;
    WriteQuad(list, NextIndex(list), kQuadIndices2D);

    float w = s.width, h = s.height;
    if (!s.sizeAsStored && list->owner) {
        w *= list->owner->GetInvViewportWidth();
        h *= list->owner->GetInvViewportHeight();
    }
    float x[4], y[4];
    if (s.centered) {
        x[0] = -w * 0.5f, y[0] = h * 0.5f, x[1] = w * 0.5f, y[1] = h * 0.5f;
        x[2] = -w * 0.5f, y[2] = -h * 0.5f, x[3] = w * 0.5f, y[3] = -h * 0.5f;
    } else {
        x[0] = 0, y[0] = h, x[1] = w, y[1] = h, x[2] = 0, y[2] = 0, x[3] = w, y[3] = 0;
    }
    const float angle = s.reverseAngle ? -s.angle : s.angle;
    const float c = std::cos(angle), sn = std::sin(angle);
    const float inverseAspect = list->inverseAspect;
    SpriteVertex* v = list->work;
    for (int i = 0; i < 4; ++i) {
        const float cx = (x[i] * c - y[i] * sn) * inverseAspect;
        const float cy = x[i] * sn + y[i] * c;
        const float sx = inverseAspect * s.x + cx;
        const float sy = 1.0f - (s.y + cy);
        v[i] = SpriteVertex{(sx - 0.5f) * 2.0f, (sy - 0.5f) * 2.0f, 0.5f, s.color, s.uv[i].x, s.uv[i].y};
    }
    FinishGeometry(list, v, 4, 2);
}

}  // namespace Quorvex
