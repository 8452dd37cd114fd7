// The game's render groups: each sets its device states and then lets the
// object manager draw its objects. The object manager draws them in ascending
// order key, so a frame is built as
//   Begin 1000 (into an off-screen target) < SolidModelBg 2500 < Standard 3000
//   (with the SolidModel 3001 objects merged in) < Sprite3DBg 4000 <
//   Sprite3D 5000 = Sprite3D_NoCull 5000 < Sprite3DOver 6000 < End 7000
//   (post-processing into the back buffer) < Sprite2D 8000.
// Begin and End are in RenderGroup_Begin.h.
#pragma once
#include "engine/core/render/RenderGroup.h"

namespace Quorvex {

// Solid models. The group keyed 3001 never draws by itself: its objects are
// drawn by the standard group, which takes it as a source group.
class RenderGroupSolidModel : public RenderGroup {
public:
    static constexpr int MergedKey = 3001;

    explicit RenderGroupSolidModel(int orderKey) : m_orderKey(orderKey) {}
    void Draw() override;
    int GetOrderKey() const override { return m_orderKey; }

private:
    int m_orderKey;
};

// The group registered under the empty name: solid models with the shadow map
// of the render parameters, which its Prepare creates and its Draw clears.
class RenderGroupStandard : public RenderGroup {
public:
    static constexpr int OrderKey = 3000;
    static constexpr UINT ShadowMapSize = 2048;
    // The key bound to the command "SaveTexture".
    static constexpr int SaveTextureKey = 211;

    RenderGroupStandard() = default;
    // Releases the depth surface, the surface and the texture.
    ~RenderGroupStandard() override;

    // Creates the shadow map and its depth surface, installs them in the
    // resource manager's render parameters and binds "SaveTexture". Device
    // failures leave the map out; answers 0.
    int Prepare(int argument) override;
    void Draw() override;
    int GetOrderKey() const override { return OrderKey; }

    IDirect3DTexture9* GetSaveTexture() const { return m_pSaveTexture; }

private:
    IDirect3DTexture9* m_pSaveTexture = nullptr;  // counted
    IDirect3DSurface9* m_pSaveSurface = nullptr;  // counted
    IDirect3DSurface9* m_pDepthStencil = nullptr;  // counted
};

// Camera-facing and world sprites: blended, depth tested, not written.
class RenderGroupSprite3D : public RenderGroup {
public:
    explicit RenderGroupSprite3D(int orderKey) : m_orderKey(orderKey) {}
    void Draw() override;
    int GetOrderKey() const override { return m_orderKey; }

private:
    int m_orderKey;
};

// 3D sprites seen from both sides.
class RenderGroupSprite3D_NoCull : public RenderGroup {
public:
    static constexpr int OrderKey = 5000;
    void Draw() override;
    int GetOrderKey() const override { return OrderKey; }
};

// 3D sprites over the others.
class RenderGroupSprite3DOver : public RenderGroup {
public:
    static constexpr int OrderKey = 6000;
    void Draw() override;
    int GetOrderKey() const override { return OrderKey; }
};

// Screen sprites, drawn last, without depth and fog.
class RenderGroupSprite2D : public RenderGroup {
public:
    static constexpr int OrderKey = 8000;
    void Draw() override;
    int GetOrderKey() const override { return OrderKey; }
};

}  // namespace Quorvex
