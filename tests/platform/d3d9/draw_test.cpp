// What draws and clears put on the screen: pixel coverage, orientation,
// culling, blending, depth and byte order.
#include <cmath>
#include <cstring>

#include "device_fixture.h"

namespace {

constexpr D3DCOLOR kBlack = 0xFF000000;

TEST_F(DeviceTest, ClearWritesColourInByteOrderWithinTheViewport) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.f, 0), D3D_OK);
    D3DVIEWPORT9 vp{8, 4, 16, 10, 0.f, 1.f};
    ASSERT_EQ(device_->SetViewport(&vp), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80A0B0C0, 1.f, 0), D3D_OK);
    const D3DRECT rect{0, 0, 10, 6};  // clipped to the viewport
    ASSERT_EQ(device_->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF00FF00, 1.f, 0), D3D_OK);
    ReadBack();
    for (int y = 0; y < int(kHeight); ++y)
        for (int x = 0; x < int(kWidth); ++x) {
            const bool inViewport = x >= 8 && x < 24 && y >= 4 && y < 14;
            const bool inRect = inViewport && x < 10 && y < 6;
            const Rgba want = inRect ? Rgba{0, 255, 0, 255} : inViewport ? Rgba{0xA0, 0xB0, 0xC0, 0x80}
                                                                         : Rgba{0x10, 0x20, 0x30, 0xFF};
            ASSERT_EQ(At(x, y), want) << x << "," << y;
        }
}

// Direct3D 9 puts pixel centres on integer coordinates and fills a pixel
// whose centre lies inside, or on the top or left edge.
TEST_F(DeviceTest, ScreenQuadCoversThePixelsDirect3DCovers) {
    struct Case {
        float x0, y0, x1, y1;
        int left, top, right, bottom;  // covered pixels, right and bottom exclusive
    } cases[] = {
        {10, 20, 20, 30, 10, 20, 20, 30},
        {9.5f, 19.5f, 19.5f, 29.5f, 10, 20, 20, 30},
        {10.25f, 20.25f, 20.25f, 30.25f, 11, 21, 21, 31},
        {10.75f, 20.75f, 11.25f, 21.25f, 11, 21, 12, 22},
        {-0.5f, -0.5f, 63.5f, 47.5f, 0, 0, 64, 48},
        {0, 0, 0.4f, 0.4f, 0, 0, 1, 1},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.f, 0), D3D_OK);
        DrawScreenQuad(c.x0, c.y0, c.x1, c.y1, 0xFFFF8040);
        ReadBack();
        for (int y = 0; y < int(kHeight); ++y)
            for (int x = 0; x < int(kWidth); ++x) {
                const bool in = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
                ASSERT_EQ(At(x, y), in ? (Rgba{255, 0x80, 0x40, 255}) : (Rgba{0, 0, 0, 255}))
                    << "quad " << c.x0 << "," << c.y0 << " - " << c.x1 << "," << c.y1 << " at " << x << "," << y;
            }
    }
}

// Clip space: +y is the top of the screen; front faces are clockwise on the
// screen and CULL_CCW (the default) drops the others.
TEST_F(DeviceTest, ClipSpaceTrianglesKeepOrientationAndWinding) {
    const SpriteVertex clockwise[3] = {{-1, 1, 0.5f, 0xFFFF0000, 0, 0},
                                       {0, 1, 0.5f, 0xFFFF0000, 0, 0},
                                       {-1, 0, 0.5f, 0xFFFF0000, 0, 0}};
    const SpriteVertex counterClockwise[3] = {clockwise[0], clockwise[2], clockwise[1]};
    struct Case {
        const SpriteVertex* triangle;
        DWORD cull;
        bool visible;
    } cases[] = {
        {clockwise, D3DCULL_CCW, true},        {counterClockwise, D3DCULL_CCW, false},
        {clockwise, D3DCULL_CW, false},        {counterClockwise, D3DCULL_CW, true},
        {counterClockwise, D3DCULL_NONE, true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.f, 0), D3D_OK);
        ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, c.cull), D3D_OK);
        ASSERT_EQ(device_->SetFVF(kSpriteFvf), D3D_OK);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, c.triangle, sizeof(SpriteVertex)), D3D_OK);
        ReadBack();
        const Rgba red{255, 0, 0, 255}, black{0, 0, 0, 255};
        EXPECT_EQ(At(2, 2), c.visible ? red : black) << "cull " << c.cull;
        EXPECT_EQ(At(kWidth - 3, kHeight - 3), black);  // the far corner stays empty
    }
}

// The blend presets the engine switches between, over a known destination.
TEST_F(DeviceTest, BlendFactorsCombineSourceAndDestination) {
    const D3DCOLOR dst = 0xFF4080C0, src = 0x80FF4000;
    struct Case {
        DWORD srcBlend, dstBlend;
        float r, g, b;  // expected 0..255
    };
    const float sa = 128 / 255.f;
    auto mix = [](float s, float fs, float d, float fd) { return std::fmin(255.f, s * fs + d * fd); };
    const Case cases[] = {
        {D3DBLEND_ONE, D3DBLEND_ZERO, 255, 64, 0},
        {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, mix(255, sa, 64, 1 - sa), mix(64, sa, 128, 1 - sa),
         mix(0, sa, 192, 1 - sa)},
        {D3DBLEND_SRCALPHA, D3DBLEND_ONE, mix(255, sa, 64, 1), mix(64, sa, 128, 1), mix(0, sa, 192, 1)},
        {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 64, 128 * 64 / 255.f, 0},
        {D3DBLEND_ONE, D3DBLEND_ONE, 255, 192, 192},
        {D3DBLEND_DESTCOLOR, D3DBLEND_ONE, mix(255, 64 / 255.f, 64, 1), mix(64, 128 / 255.f, 128, 1), 192},
        {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, 255 * (1 - 64 / 255.f), 64 * (1 - 128 / 255.f), 0},
        {D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, mix(255, 1, 64, 1 - sa), mix(64, 1, 128, 1 - sa), mix(0, 1, 192, 1 - sa)},
    };
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    for (const Case& c : cases) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, dst, 1.f, 0), D3D_OK);
        ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, c.srcBlend), D3D_OK);
        ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, c.dstBlend), D3D_OK);
        DrawScreenQuad(0, 0, 8, 8, src);
        ReadBack();
        const Rgba got = At(4, 4);
        EXPECT_NEAR(got.r, c.r, 1.5) << c.srcBlend << "/" << c.dstBlend;
        EXPECT_NEAR(got.g, c.g, 1.5) << c.srcBlend << "/" << c.dstBlend;
        EXPECT_NEAR(got.b, c.b, 1.5) << c.srcBlend << "/" << c.dstBlend;
    }
}

TEST_F(DeviceTest, BlendingIsOffUntilEnabled) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.f, 0), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
    DrawScreenQuad(0, 0, 8, 8, 0x00FF0000);
    ReadBack();
    EXPECT_EQ(At(4, 4), (Rgba{255, 0, 0, 0}));
}

// Depth runs 0 (near) to 1 (far) and maps through the viewport's depth range.
TEST_F(DeviceTest, DepthTestUsesDirect3DDepthRange) {
    struct Case {
        float minZ, maxZ;
        float clearZ;
        DWORD func;
        float z;
        bool drawn;
    } cases[] = {
        {0, 1, 0.5f, D3DCMP_LESSEQUAL, 0.25f, true},  {0, 1, 0.5f, D3DCMP_LESSEQUAL, 0.75f, false},
        {0, 1, 0.5f, D3DCMP_LESSEQUAL, 0.5f, true},   {0, 1, 0.5f, D3DCMP_GREATER, 0.75f, true},
        {0, 1, 0.0f, D3DCMP_LESSEQUAL, 0.0f, true},   {0, 1, 1.0f, D3DCMP_LESS, 0.999f, true},
        // A pretransformed z is the final depth whatever the viewport's range.
        {0.5f, 1, 0.6f, D3DCMP_LESSEQUAL, 0.55f, true}, {0.5f, 1, 0.6f, D3DCMP_LESSEQUAL, 0.65f, false},
    };
    for (const Case& c : cases) {
        D3DVIEWPORT9 vp{0, 0, kWidth, kHeight, c.minZ, c.maxZ};
        ASSERT_EQ(device_->SetViewport(&vp), D3D_OK);
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, c.clearZ, 0), D3D_OK);
        ASSERT_EQ(device_->SetRenderState(D3DRS_ZFUNC, c.func), D3D_OK);
        DrawScreenQuad(0, 0, 8, 8, 0xFFFFFFFF, c.z);
        ReadBack();
        EXPECT_EQ(At(4, 4).r, c.drawn ? 255 : 0) << "clear " << c.clearZ << " z " << c.z << " func " << c.func;
    }
}

TEST_F(DeviceTest, DepthWritesFollowZWriteEnable) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.f, 0), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE), D3D_OK);
    DrawScreenQuad(0, 0, 8, 8, 0xFF0000FF, 0.2f);   // leaves the depth at 1
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE), D3D_OK);
    DrawScreenQuad(0, 0, 4, 8, 0xFF00FF00, 0.5f);   // passes, writes 0.5
    DrawScreenQuad(0, 0, 8, 8, 0xFFFF0000, 0.6f);   // only where depth is still 1
    ReadBack();
    EXPECT_EQ(At(2, 4), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(At(6, 4), (Rgba{255, 0, 0, 255}));
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, FALSE), D3D_OK);
    DrawScreenQuad(0, 0, 8, 8, 0xFF0000FF, 0.9f);
    ReadBack();
    EXPECT_EQ(At(2, 4), (Rgba{0, 0, 255, 255}));
}

// The engine's path: one dynamic vertex and index buffer refilled with
// D3DLOCK_DISCARD between draws, drawn through a declaration.
TEST_F(DeviceTest, DiscardingADynamicBufferKeepsEarlierDrawsIntact) {
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    IDirect3DVertexDeclaration9* decl = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(SpriteVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                          kSpriteFvf, D3DPOOL_DEFAULT, &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(6 * 2, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                         D3DPOOL_DEFAULT, &ib, nullptr),
              D3D_OK);
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    ASSERT_EQ(device_->CreateVertexDeclaration(elements, &decl), D3D_OK);
    ASSERT_EQ(device_->SetVertexDeclaration(decl), D3D_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb, 0, sizeof(SpriteVertex)), D3D_OK);
    ASSERT_EQ(device_->SetIndices(ib), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.f, 0), D3D_OK);

    // Left half red, then right half green, each from the same bytes.
    const struct {
        float x0, x1;
        D3DCOLOR color;
    } quads[] = {{-1, 0, 0xFFFF0000}, {0, 1, 0xFF00FF00}};
    for (const auto& q : quads) {
        void* data = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
        auto* v = static_cast<SpriteVertex*>(data);
        v[0] = {q.x0, 1, 0.5f, q.color, 0, 0};
        v[1] = {q.x1, 1, 0.5f, q.color, 1, 0};
        v[2] = {q.x0, -1, 0.5f, q.color, 0, 1};
        v[3] = {q.x1, -1, 0.5f, q.color, 1, 1};
        ASSERT_EQ(vb->Unlock(), D3D_OK);
        ASSERT_EQ(ib->Lock(0, 12, &data, D3DLOCK_DISCARD), D3D_OK);
        const WORD indices[6] = {0, 1, 2, 1, 3, 2};
        std::memcpy(data, indices, sizeof indices);
        ASSERT_EQ(ib->Unlock(), D3D_OK);
        ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    }
    ReadBack();
    EXPECT_EQ(At(4, 20), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(At(kWidth - 4, 20), (Rgba{0, 255, 0, 255}));

    // Reading a buffer back gives what was written last.
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<SpriteVertex*>(data)[3].color, 0xFF00FF00u);
    ASSERT_EQ(vb->Unlock(), D3D_OK);

    ASSERT_EQ(device_->SetStreamSource(0, nullptr, 0, 0), D3D_OK);
    ASSERT_EQ(device_->SetIndices(nullptr), D3D_OK);
    ASSERT_EQ(device_->SetVertexDeclaration(nullptr), D3D_OK);
    decl->Release();
    ib->Release();
    vb->Release();
}

// A discard that writes only the front of a buffer, then a plain lock that
// writes further on, then a discard of the front alone: every draw sees the
// bytes last written at the place it reads, however far the discard wrote.
TEST_F(DeviceTest, PartlyWrittenDiscardsKeepTheRestOfTheBuffer) {
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(8 * sizeof(SpriteVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                          kSpriteFvf, D3DPOOL_DEFAULT, &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->SetFVF(kSpriteFvf), D3D_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb, 0, sizeof(SpriteVertex)), D3D_OK);
    auto write = [&](UINT first, DWORD flags, float x0, float x1, D3DCOLOR color) {
        void* data = nullptr;
        ASSERT_EQ(vb->Lock(first * sizeof(SpriteVertex), 4 * sizeof(SpriteVertex), &data, flags), D3D_OK);
        auto* v = static_cast<SpriteVertex*>(data);
        v[0] = {x0, 1, 0.5f, color, 0, 0};
        v[1] = {x1, 1, 0.5f, color, 1, 0};
        v[2] = {x0, -1, 0.5f, color, 0, 1};
        v[3] = {x1, -1, 0.5f, color, 1, 1};
        ASSERT_EQ(vb->Unlock(), D3D_OK);
    };
    auto drawBoth = [&] {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.f, 0), D3D_OK);
        ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
        ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3D_OK);
        ReadBack();
    };

    write(0, D3DLOCK_DISCARD, -1, 0, 0xFFFF0000);
    write(4, 0, 0, 1, 0xFF00FF00);
    drawBoth();
    EXPECT_EQ(At(4, 20), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(At(kWidth - 4, 20), (Rgba{0, 255, 0, 255}));

    write(0, D3DLOCK_DISCARD, -1, 0, 0xFF0000FF);
    drawBoth();
    EXPECT_EQ(At(4, 20), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(At(kWidth - 4, 20), (Rgba{0, 255, 0, 255}));

    ASSERT_EQ(device_->SetStreamSource(0, nullptr, 0, 0), D3D_OK);
    vb->Release();
}

TEST_F(DeviceTest, DrawsReadingPastTheirBuffersAreRefused) {
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(3 * sizeof(SpriteVertex), 0, kSpriteFvf, D3DPOOL_MANAGED, &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetFVF(kSpriteFvf), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);  // no stream yet
    ASSERT_EQ(device_->SetStreamSource(0, vb, 0, sizeof(SpriteVertex)), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);  // no indices
    ASSERT_EQ(device_->SetIndices(ib), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 1, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(0), 0, 1), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->SetStreamSource(0, nullptr, 0, 0), D3D_OK);
    ASSERT_EQ(device_->SetIndices(nullptr), D3D_OK);
    ib->Release();
    vb->Release();
}

}  // namespace
