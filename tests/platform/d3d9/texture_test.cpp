// Textures and render targets: what is locked, sampled and rendered keeps
// Direct3D's layout (top row first, B, G, R, A bytes), and surfaces live as
// long as anything holds them.
#include <cstring>

#include "device_fixture.h"

namespace {

// Writes `texels` (A8R8G8B8 values, rows top first) into a level.
void Fill(IDirect3DTexture9* texture, UINT level, const std::vector<D3DCOLOR>& texels, UINT width) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
    for (size_t i = 0; i < texels.size(); ++i) {
        auto* row = static_cast<uint8_t*>(locked.pBits) + (i / width) * locked.Pitch;
        std::memcpy(row + (i % width) * 4, &texels[i], 4);
    }
    ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
}

TEST_F(DeviceTest, TexelsKeepTheirByteOrderAndPlace) {
    IDirect3DTexture9* texture = nullptr;
    // A full mip chain of which only level 0 is filled: with the default
    // samplers (no mip filter) level 0 is what is drawn.
    ASSERT_EQ(device_->CreateTexture(2, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 2u);
    const std::vector<D3DCOLOR> texels = {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC};
    Fill(texture, 0, texels, 2);
    // The bytes in memory are B, G, R, A.
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* bytes = static_cast<const uint8_t*>(locked.pBits);
    EXPECT_EQ(bytes[0], 0x33);
    EXPECT_EQ(bytes[2], 0x11);
    EXPECT_EQ(bytes[3], 0xFF);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);

    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.f, 0), D3D_OK);
    ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
    DrawScreenQuad(-0.5f, -0.5f, 1.5f, 1.5f, 0xFFFFFFFF);  // one pixel per texel
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    ReadBack();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(At(i % 2, i / 2), FromArgb(texels[i])) << i;
    texture->Release();
}

TEST_F(DeviceTest, PartialLocksKeepTheRestOfTheLevel) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    Fill(texture, 0, std::vector<D3DCOLOR>(16, 0xFF0000FF), 4);
    const RECT rect{1, 2, 3, 3};
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, &rect, 0), D3D_OK);
    const D3DCOLOR red[2] = {0xFFFF0000, 0xFFFF0000};
    std::memcpy(locked.pBits, red, sizeof red);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            D3DCOLOR c;
            std::memcpy(&c, static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
            EXPECT_EQ(c, (y == 2 && x >= 1 && x < 3) ? 0xFFFF0000u : 0xFF0000FFu) << x << "," << y;
        }
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    const RECT outside{3, 3, 5, 4};
    EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
    texture->Release();
}

// A picture drawn into a texture target and copied to the back buffer comes
// out where it was drawn: not mirrored, not moved by a pixel.
TEST_F(DeviceTest, RenderTargetCopiesToTheBackBufferUnchanged) {
    constexpr UINT kSize = 32;
    IDirect3DTexture9* target = nullptr;
    IDirect3DSurface9* targetSurface = nullptr;
    IDirect3DSurface9* depth = nullptr;
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* autoDepth = nullptr;
    ASSERT_EQ(device_->CreateTexture(kSize, kSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                     &target, nullptr),
              D3D_OK);
    ASSERT_EQ(target->GetSurfaceLevel(0, &targetSurface), D3D_OK);
    ASSERT_EQ(device_->CreateDepthStencilSurface(kSize, kSize, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE, &depth,
                                                 nullptr),
              D3D_OK);
    ASSERT_EQ(device_->GetRenderTarget(0, &backBuffer), D3D_OK);
    ASSERT_EQ(device_->GetDepthStencilSurface(&autoDepth), D3D_OK);

    ASSERT_EQ(device_->SetRenderTarget(0, targetSurface), D3D_OK);
    ASSERT_EQ(device_->SetDepthStencilSurface(depth), D3D_OK);
    D3DVIEWPORT9 vp{};
    ASSERT_EQ(device_->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.Width, kSize);
    EXPECT_EQ(vp.Height, kSize);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.f, 0), D3D_OK);
    DrawScreenQuad(0, 0, 3, 2, 0xFFFF0000);    // top-left block
    DrawScreenQuad(30, 31, 31, 32, 0xFF00FF00);  // one pixel near the bottom-right
    // Row 0 of a locked target is its top row.
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(target->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    D3DCOLOR topLeft;
    std::memcpy(&topLeft, locked.pBits, 4);
    EXPECT_EQ(topLeft, 0xFFFF0000u);
    ASSERT_EQ(target->UnlockRect(0), D3D_OK);

    ASSERT_EQ(device_->SetRenderTarget(0, backBuffer), D3D_OK);
    ASSERT_EQ(device_->SetDepthStencilSurface(autoDepth), D3D_OK);
    ASSERT_EQ(device_->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.Width, kWidth);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.f, 0), D3D_OK);
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3D_OK);
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
    ASSERT_EQ(device_->SetTexture(0, target), D3D_OK);
    DrawScreenQuad(-0.5f, -0.5f, kSize - 0.5f, kSize - 0.5f, 0xFFFFFFFF);
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    ReadBack();
    for (int y = 0; y < int(kSize); ++y)
        for (int x = 0; x < int(kSize); ++x) {
            const bool red = x < 3 && y < 2, green = x == 30 && y == 31;
            const Rgba want = red ? Rgba{255, 0, 0, 255} : green ? Rgba{0, 255, 0, 255} : Rgba{0, 0, 0, 255};
            ASSERT_EQ(At(x, y), want) << x << "," << y;
        }
    EXPECT_EQ(At(kSize, 0), (Rgba{0, 0, 255, 255}));

    autoDepth->Release();
    backBuffer->Release();
    depth->Release();
    targetSurface->Release();
    target->Release();
}

TEST_F(DeviceTest, FloatTargetsClearAndReadBack) {
    struct Case {
        D3DFORMAT format;
        UINT bytes;
    } cases[] = {{D3DFMT_R32F, 4}, {D3DFMT_A16B16G16R16F, 8}};
    for (const Case& c : cases) {
        IDirect3DTexture9* target = nullptr;
        IDirect3DSurface9* surface = nullptr;
        ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, c.format, D3DPOOL_DEFAULT, &target, nullptr),
                  D3D_OK);
        ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
        IDirect3DSurface9* old = nullptr;
        ASSERT_EQ(device_->GetRenderTarget(0, &old), D3D_OK);
        ASSERT_EQ(device_->SetRenderTarget(0, surface), D3D_OK);
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.f, 0), D3D_OK);
        ASSERT_EQ(device_->SetRenderTarget(0, old), D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(target->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        EXPECT_EQ(locked.Pitch, INT(4 * c.bytes));
        if (c.format == D3DFMT_R32F) {
            float red;
            std::memcpy(&red, locked.pBits, 4);
            EXPECT_FLOAT_EQ(red, 1.f);
        } else {
            uint16_t half[4];
            std::memcpy(half, locked.pBits, 8);
            EXPECT_EQ(half[0], 0x3C00);  // red 1.0 first in memory
            EXPECT_EQ(half[1], 0x0000);
        }
        ASSERT_EQ(target->UnlockRect(0), D3D_OK);
        old->Release();
        surface->Release();
        target->Release();
    }
}

TEST_F(DeviceTest, SurfacesAndBindingsKeepTheirTexturesAlive) {
    IDirect3DTexture9* texture = nullptr;
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture,
                                     nullptr),
              D3D_OK);
    ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
    IDirect3DSurface9* again = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &again), D3D_OK);
    EXPECT_EQ(again, surface);
    again->Release();
    // The surface holds the texture: releasing the texture first is safe.
    EXPECT_EQ(texture->Release(), 1u);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(surface->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(desc.Usage, D3DUSAGE_RENDERTARGET);

    // Bound as the target, it outlives the caller's last reference.
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    ASSERT_EQ(device_->SetRenderTarget(0, surface), D3D_OK);
    EXPECT_EQ(surface->Release(), 0u);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.f, 0), D3D_OK);
    IDirect3DSurface9* current = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &current), D3D_OK);  // taken up again
    ASSERT_EQ(current->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 8u);
    current->Release();
    ASSERT_EQ(device_->SetRenderTarget(0, backBuffer), D3D_OK);
    backBuffer->Release();

    // A texture bound to a stage likewise, and a device with a resource
    // outstanding stays alive for it.
    ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetTexture(1, texture), D3D_OK);
    texture->Release();
    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(device_->GetTexture(1, &bound), D3D_OK);
    EXPECT_EQ(bound->GetLevelCount(), 1u);
    device_->AddRef();
    EXPECT_EQ(device_->Release(), 2u);  // the caller and the texture
    bound->Release();
    ASSERT_EQ(device_->SetTexture(1, nullptr), D3D_OK);
}

TEST_F(DeviceTest, InvalidResourcesAndTargetsAreRefused) {
    IDirect3DTexture9* texture = nullptr;
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(device_->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(device_->CreateTexture(4, 4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);  // more levels than 4 x 4 has
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                     nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_D24S8, D3DPOOL_DEFAULT, &texture, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateDepthStencilSurface(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &surface,
                                                 nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateIndexBuffer(0, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, nullptr, nullptr), D3DERR_INVALIDCALL);

    // A texture without the render-target usage, and a depth surface, are no colour targets.
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
    EXPECT_EQ(device_->SetRenderTarget(0, surface), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetDepthStencilSurface(surface), D3DERR_INVALIDCALL);
    surface->Release();
    texture->Release();
    ASSERT_EQ(device_->GetDepthStencilSurface(&surface), D3D_OK);
    EXPECT_EQ(device_->SetRenderTarget(0, surface), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    surface->Release();

    // Without a depth surface there is no depth to clear.
    ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), D3D_OK);
    EXPECT_EQ(device_->GetDepthStencilSurface(&surface), D3DERR_NOTFOUND);
    EXPECT_EQ(surface, nullptr);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.f, 0), D3DERR_INVALIDCALL);
    D3DVIEWPORT9 vp{60, 0, 8, 8, 0.f, 1.f};
    EXPECT_EQ(device_->SetViewport(&vp), D3DERR_INVALIDCALL);  // beyond the target
}

}  // namespace
