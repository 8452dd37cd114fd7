// The draw builders on a bare command list: batching, room checks and the
// geometry they write. No device.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "RenderTestSupport.h"
#include "engine/core/render/DrawBuilders.h"

using Quorvex::CalcVertexSet;
using Quorvex::IShader;
using Quorvex::MaterialUnit;
using Quorvex::RenderCommand;
using Quorvex::Sprite2DData;
using Quorvex::Sprite3DData;
using Quorvex::SpriteVertex;

namespace {

// Builders never look inside effects and texture sets: distinct addresses do.
MaterialUnit* FakeSet(int n) { return reinterpret_cast<MaterialUnit*>(uintptr_t{0x1000} * n); }
IShader* FakeEffect(int n) { return reinterpret_cast<IShader*>(uintptr_t{0x100000} * n); }

struct List : CalcVertexSet {
    explicit List(int vertices = 1024, int indices = 2048, int commands = 256) {
        Allocate(vertices * VertexSize, indices * IndexSize, commands);
        spriteEffect = FakeEffect(1);
        sprite2DEffect = FakeEffect(2);
        meshEffect = FakeEffect(3);
    }
    std::vector<UINT> Ops() const {
        std::vector<UINT> ops;
        for (int i = 0; i < commandCount; ++i) ops.push_back(commands[i].operation);
        return ops;
    }
    std::vector<int> IndexList() const { return std::vector<int>(Indices(), Indices() + GetIndexCount()); }
};

Sprite3DData Sprite(int set, float x = 0.0f) {
    Sprite3DData s;
    s.material = FakeSet(set);
    s.position = D3DXVECTOR3(x, 0.0f, 0.0f);
    return s;
}

constexpr UINT kDecl = RenderCommand::SetVertexDeclaration, kStream = RenderCommand::SetStreamSource,
               kIndices = RenderCommand::SetIndices, kTextures = RenderCommand::SetTextures,
               kShader = RenderCommand::SetShader, kVerts = RenderCommand::AddVertexCount,
               kPrims = RenderCommand::AddPrimitiveCount, kDraw = RenderCommand::DrawBatch,
               kObject = RenderCommand::DrawObject, kPreset = RenderCommand::SetRenderStatePreset;

TEST(DrawBuilders, SpritesOfOneTextureSetAndEffectShareOneBatch) {
    List list;
    Quorvex::PushBillboard(&list, Sprite(1));
    Quorvex::PushBillboard(&list, Sprite(1, 5.0f));
    EXPECT_EQ(list.Ops(), (std::vector<UINT>{kShader, kTextures, kStream, kIndices, kDecl, kVerts, kPrims, kVerts,
                                              kPrims}));
    EXPECT_EQ(list.commands[0].argument, reinterpret_cast<UINT_PTR>(FakeEffect(1)));
    EXPECT_EQ(list.commands[1].argument, reinterpret_cast<UINT_PTR>(FakeSet(1)));
    EXPECT_EQ(list.IndexList(), (std::vector<int>{0, 1, 2, 1, 3, 2, 4, 5, 6, 5, 7, 6}));
    EXPECT_EQ(list.vertexCount, 8);

    // Another texture set draws the open batch and selects the new set only;
    // the same effect needs no new stream, indices or declaration.
    Quorvex::PushBillboard(&list, Sprite(2));
    const std::vector<UINT> ops = list.Ops();
    EXPECT_EQ(std::vector<UINT>(ops.begin() + 9, ops.end()), (std::vector<UINT>{kDraw, kShader, kTextures, kVerts,
                                                                                 kPrims}));
}

TEST(DrawBuilders, ADrawObjectClosesTheBatchAndTheNextSpriteStartsAfresh) {
    List list;
    Quorvex::PushBillboard(&list, Sprite(1));
    auto* object = reinterpret_cast<Quorvex::RenderObject*>(uintptr_t{0xABC0});
    Quorvex::PushDrawObject(&list, object);
    Quorvex::PushDrawObject(&list, object);  // already under the mesh effect
    Quorvex::PushBillboard(&list, Sprite(1));
    const std::vector<UINT> ops = list.Ops();
    EXPECT_EQ(std::vector<UINT>(ops.begin() + 7, ops.end()),
              (std::vector<UINT>{kDraw, kObject, kObject, kShader, kTextures, kStream, kIndices, kDecl, kVerts,
                                 kPrims}));
    EXPECT_EQ(list.commands[8].argument, reinterpret_cast<UINT_PTR>(object));
}

TEST(DrawBuilders, PresetChangesFlushTheOpenBatchAndThePresetIsAlwaysQueued) {
    List list;
    Quorvex::PushRenderStatePreset(&list, 2);  // no batch open: only the preset
    EXPECT_EQ(list.Ops(), (std::vector<UINT>{kPreset}));
    Quorvex::PushBillboard(&list, Sprite(1));
    Quorvex::PushRenderStatePreset(&list, 3);
    Quorvex::PushRenderStatePreset(&list, 3);  // the current preset: no flush
    const std::vector<UINT> ops = list.Ops();
    EXPECT_EQ(std::vector<UINT>(ops.begin() + 8, ops.end()), (std::vector<UINT>{kDraw, kPreset, kPreset}));
    EXPECT_EQ(list.renderStatePreset, 3);
    // The batch stays open: the same sprite joins it again.
    Quorvex::PushBillboard(&list, Sprite(1));
    EXPECT_EQ(list.Ops().back(), kPrims);
    EXPECT_EQ(list.Ops()[list.commandCount - 3], kPreset);

    // A pass starts with no preset requested: whatever the first request is,
    // the geometry batched before it is drawn first.
    List fresh;
    Quorvex::PushBillboard(&fresh, Sprite(1));
    Quorvex::PushRenderStatePreset(&fresh, 2);
    EXPECT_EQ(fresh.Ops(), (std::vector<UINT>{kShader, kTextures, kStream, kIndices, kDecl, kVerts, kPrims, kDraw,
                                               kPreset}));

    // Sprites without a texture batch the same way.
    List untextured;
    Quorvex::PushBillboard(&untextured, Sprite(0));
    Quorvex::PushBillboard(&untextured, Sprite(0));
    Quorvex::PushRenderStatePreset(&untextured, 3);
    EXPECT_EQ(untextured.Ops(), (std::vector<UINT>{kShader, kTextures, kStream, kIndices, kDecl, kVerts, kPrims,
                                                    kVerts, kPrims, kDraw, kPreset}));
}

TEST(DrawBuilders, ASpriteThatDoesNotFitWholeWritesNothing) {
    struct Case {
        const char* what;
        int vertices;
        int indices;
        int commands;
    };
    // Room for one billboard (4 vertices, 6 indices, 7 commands) but not two:
    // each scratch must stay strictly below its capacity.
    const Case cases[] = {
        {"vertices", 8, 100, 100},
        {"indices", 100, 12, 100},
        {"commands", 100, 100, 8},
    };
    for (const Case& c : cases) {
        List list(c.vertices, c.indices, c.commands);
        Quorvex::PushBillboard(&list, Sprite(1));
        const int vertexBytes = list.vertexBytes, indexBytes = list.indexBytes, commands = list.commandCount;
        ASSERT_EQ(vertexBytes, 96) << c.what;
        Quorvex::PushBillboard(&list, Sprite(2));
        EXPECT_EQ(list.vertexBytes, vertexBytes) << c.what;
        EXPECT_EQ(list.indexBytes, indexBytes) << c.what;
        EXPECT_EQ(list.commandCount, commands) << c.what;
        EXPECT_EQ(list.batchTextureSet, FakeSet(1)) << c.what << ": the batch did not change";
    }
}

TEST(DrawBuilders, AFullCommandArrayDropsFurtherCommands) {
    List list(16, 16, 30720);
    for (int i = 0; i < 30720; ++i)
        EXPECT_EQ(Quorvex::PushRenderCommand(&list, RenderCommand::AddStartIndex, static_cast<UINT_PTR>(i)),
                  static_cast<UINT_PTR>(i));
    EXPECT_EQ(Quorvex::PushRenderCommand(&list, RenderCommand::AddStartIndex, 99), 30720u);
    EXPECT_EQ(list.commandCount, 30720);

    // Capacities beyond what 16-bit indices address are clamped.
    CalcVertexSet big;
    big.Allocate(100000 * 24, 10, 10);
    EXPECT_EQ(big.vertexCapacity, 65536 * 24);
}

TEST(DrawBuilders, TriangleListsAndRingsAreCutToWhatTheyCanDraw) {
    struct Case {
        int positions;
        int triangles;
    };
    for (const Case& c : {Case{300, 85}, Case{7, 2}, Case{3, 1}, Case{2, 0}}) {
        List list;
        std::vector<D3DXVECTOR3> positions(c.positions, D3DXVECTOR3(1, 2, 3));
        Quorvex::PushSpriteTriangles(&list, Sprite(1), positions, {});
        EXPECT_EQ(list.vertexCount, 3 * c.triangles) << c.positions;
        EXPECT_EQ(list.GetIndexCount(), 3 * c.triangles);
        if (c.triangles) {
            EXPECT_EQ(list.commands[list.commandCount - 1].argument, static_cast<UINT_PTR>(c.triangles));
        }
    }
    List ring;
    Quorvex::PushRingSprite(&ring, Sprite(1), 2, 0.5f, 0.5f, false);
    EXPECT_EQ(ring.vertexCount, 2 * (3 + 1)) << "two segments asked, three drawn";
    EXPECT_EQ(ring.commands[ring.commandCount - 1].argument, 6u);
    List twoSided;
    Quorvex::PushRingSprite(&twoSided, Sprite(1), 8, 0.5f, 0.5f, true);
    EXPECT_EQ(twoSided.vertexCount, 2 * 2 * 9);
    EXPECT_EQ(twoSided.commands[twoSided.commandCount - 1].argument, 32u);
}

// Where a vertex lands on the screen: view x projection of the manager.
D3DXVECTOR3 ToClip(const Quorvex::ObjectManager& m, const SpriteVertex& v) {
    D3DXVECTOR3 out;
    const D3DXVECTOR3 p(v.x, v.y, v.z);
    D3DXVec3TransformCoord(&out, &p, &m.GetViewProjection());
    return out;
}

// Twice the signed screen area of a triangle, y up: negative = clockwise.
float Winding(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

TEST(DrawBuilders, BillboardsFaceTheCameraTurnedByTheirAngle) {
    auto manager = render_test::NewManager(1);
    const D3DXVECTOR3 eye(3, 4, -10), at(0, 1, 0), up(0, 1, 0);
    manager->SetCamera(eye, at, up);
    manager->UpdateMatrices();
    List list;
    list.owner = manager.get();

    Sprite3DData s = Sprite(1);
    s.position = D3DXVECTOR3(1, 2, 3);
    s.width = 2.0f;
    s.height = 4.0f;
    s.rotation.x = 0.3f;
    s.reverseAngle = 0;
    Quorvex::PushBillboard(&list, s);

    D3DXMATRIX turn, expected;
    D3DXMatrixRotationZ(&turn, 0.3f);
    D3DXMatrixMultiply(&expected, &turn, &manager->GetBillboardMatrix());
    const D3DXVECTOR3 corners[4] = {{-1, 2, 0}, {1, 2, 0}, {-1, -2, 0}, {1, -2, 0}};
    for (int i = 0; i < 4; ++i) {
        D3DXVECTOR3 p;
        D3DXVec3TransformCoord(&p, &corners[i], &expected);
        p += s.position;
        const SpriteVertex& v = list.Vertices()[i];
        EXPECT_NEAR(v.x, p.x, 1e-4f) << i;
        EXPECT_NEAR(v.y, p.y, 1e-4f) << i;
        EXPECT_NEAR(v.z, p.z, 1e-4f) << i;
        EXPECT_EQ(v.color, 0xFFFFFFFFu);
        EXPECT_EQ(v.u, s.uv[i].x);
    }
    // Both triangles are clockwise on the screen: front faces.
    const std::vector<int> indices = list.IndexList();
    const int* idx = indices.data();
    for (int t = 0; t < 2; ++t) {
        const D3DXVECTOR3 a = ToClip(*manager, list.Vertices()[idx[3 * t]]);
        const D3DXVECTOR3 b = ToClip(*manager, list.Vertices()[idx[3 * t + 1]]);
        const D3DXVECTOR3 c = ToClip(*manager, list.Vertices()[idx[3 * t + 2]]);
        EXPECT_LT(Winding(a, b, c), 0.0f) << t;
    }
}

TEST(DrawBuilders, CrossedQuadsAndAxisSpritesTurnTheirFrontToTheEye) {
    auto manager = render_test::NewManager(1);
    List list;
    list.owner = manager.get();
    Sprite3DData s = Sprite(1);
    s.position = D3DXVECTOR3(0, 0, 20);
    D3DXQuaternionRotationYawPitchRoll(&s.rotation, 0.7f, 0.4f, 0.2f);
    for (const D3DXVECTOR3& eye : {D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(30, -10, 45), D3DXVECTOR3(-5, 40, 20)}) {
        manager->SetCamera(eye, s.position, D3DXVECTOR3(0, 1, 0));
        manager->UpdateMatrices();
        list.Reset();
        list.owner = manager.get();
        Quorvex::PushSprite3DCross(&list, s);
        Quorvex::PushAxisBillboard(&list, s);
        Quorvex::PushBeamSprite(&list, s);
        const std::vector<int> indices = list.IndexList();
        ASSERT_EQ(indices.size(), 12u + 6u + 12u);
        for (size_t t = 0; t < indices.size() / 3; ++t) {
            const D3DXVECTOR3 a = ToClip(*manager, list.Vertices()[indices[3 * t]]);
            const D3DXVECTOR3 b = ToClip(*manager, list.Vertices()[indices[3 * t + 1]]);
            const D3DXVECTOR3 c = ToClip(*manager, list.Vertices()[indices[3 * t + 2]]);
            EXPECT_LE(Winding(a, b, c), 1e-6f) << "triangle " << t;
        }
    }
}

TEST(DrawBuilders, A2DSpriteSpanningTheScreenFillsClipSpace) {
    List list;
    list.inverseAspect = 9.0f / 16.0f;
    Sprite2DData s;
    s.material = FakeSet(1);
    s.width = 16.0f / 9.0f;
    s.height = 1.0f;
    s.centered = 0;
    s.angle = 0.0f;
    Quorvex::PushSprite2D(&list, s);
    const float expected[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};  // bottom-left, bottom-right, top-left, top-right
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(list.Vertices()[i].x, expected[i][0], 1e-5f) << i;
        EXPECT_NEAR(list.Vertices()[i].y, expected[i][1], 1e-5f) << i;
        EXPECT_EQ(list.Vertices()[i].z, 0.5f);
    }
    EXPECT_EQ(list.IndexList(), (std::vector<int>{0, 2, 1, 1, 2, 3}));
    EXPECT_EQ(list.commands[0].argument, reinterpret_cast<UINT_PTR>(FakeEffect(2))) << "the 2D effect's batch";

    // Centred and turned a quarter: a square stays a square about its centre.
    List turned;
    turned.inverseAspect = 1.0f;
    s.centered = 1;
    s.x = 0.5f;
    s.y = 0.5f;
    s.width = 0.2f;
    s.height = 0.2f;
    s.angle = D3DX_PI / 2;
    s.reverseAngle = 0;
    Quorvex::PushSprite2D(&turned, s);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(std::fabs(turned.Vertices()[i].x), 0.2f, 1e-5f);
        EXPECT_NEAR(std::fabs(turned.Vertices()[i].y), 0.2f, 1e-5f);
    }
    // Corner 0 (bottom-left) turned by +90 degrees with y down lands top-left.
    EXPECT_NEAR(turned.Vertices()[0].x, -0.2f, 1e-5f);
    EXPECT_NEAR(turned.Vertices()[0].y, 0.2f, 1e-5f);
}

}  // namespace
