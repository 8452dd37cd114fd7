// What a shader draws: anything that states its world matrix, its subsets with
// their materials and texture overrides, a colour and a bone palette, and can
// draw one subset. PrimitiveBase keeps all of it as a plain record that the
// derived class fills before it hands itself to a shader.
#pragma once
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class MaterialUnit;

class IPrimitive : public IUnknown {
public:
    ~IPrimitive() override = default;

    // The external world matrix when one is set, else the primitive's own.
    virtual const D3DXMATRIX* GetWorldMatrix() = 0;
    // Where the previous frame's world-view matrix is kept for motion blur;
    // null = no motion blur.
    virtual D3DXMATRIX* GetPreviousMatrixSlot() = 0;
    // Set = only store the current matrix this time.
    virtual BYTE IsPreviousMatrixReset() = 0;
    virtual int GetSubsetCount() = 0;
    virtual MaterialUnit* GetMaterial(int subset) = 0;
    // The texture replacing the material's first texture, null for none.
    virtual IDirect3DTexture9* GetTextureOverride(int subset) = 0;
    virtual IDirect3DTexture9* GetNormalMapOverride(int subset) = 0;
    virtual BYTE UsesVertexColour() = 0;
    virtual IDirect3DVertexDeclaration9* GetVertexDeclaration() = 0;
    virtual float GetColourAlpha() = 0;
    // Red, green, blue, alpha.
    virtual const D3DXVECTOR4* GetColour() = 0;
    // The mesh effect's bone count of a skinned subset; 0 = no palette.
    virtual int GetBoneInfluence() = 0;
    virtual const D3DXMATRIX* GetBonePalette() = 0;
    virtual int GetPaletteCount() = 0;
    virtual void DrawSubset(int subset) = 0;
    virtual BYTE HasExtrusionMesh() = 0;
    virtual void DrawExtrusionSubset(int subset) = 0;
};

// The read side of IPrimitive over public fields. The subset accessors index
// the arrays without a bounds test: the subset count must match the arrays.
// The IUnknown operations and the two draws stay with the derived class.
class PrimitiveBase : public IPrimitive {
public:
    PrimitiveBase();
    ~PrimitiveBase() override = default;

    const D3DXMATRIX* GetWorldMatrix() override;
    D3DXMATRIX* GetPreviousMatrixSlot() override { return m_pPreviousMatrix; }
    BYTE IsPreviousMatrixReset() override { return m_bPreviousMatrixReset; }
    int GetSubsetCount() override { return m_subsetCount; }
    MaterialUnit* GetMaterial(int subset) override { return m_ppMaterials[subset]; }
    IDirect3DTexture9* GetTextureOverride(int subset) override;
    IDirect3DTexture9* GetNormalMapOverride(int subset) override;
    BYTE UsesVertexColour() override { return m_bVertexColour; }
    IDirect3DVertexDeclaration9* GetVertexDeclaration() override { return m_pDeclaration; }
    float GetColourAlpha() override { return m_colour.w; }
    const D3DXVECTOR4* GetColour() override { return &m_colour; }
    int GetBoneInfluence() override { return m_boneInfluence; }
    const D3DXMATRIX* GetBonePalette() override { return m_pBonePalette; }
    int GetPaletteCount() override { return m_paletteCount; }
    BYTE HasExtrusionMesh() override { return m_bExtrusionMesh; }

    // Written directly by the derived class before each draw; nothing here is
    // owned.
    D3DXMATRIX m_world;
    const D3DXMATRIX* m_pExternalWorld = nullptr;
    D3DXMATRIX* m_pPreviousMatrix = nullptr;
    BYTE m_bPreviousMatrixReset = 0;
    int m_subsetCount = 0;
    MaterialUnit** m_ppMaterials = nullptr;
    IDirect3DTexture9** m_ppTextureOverrides = nullptr;
    IDirect3DTexture9** m_ppNormalMapOverrides = nullptr;
    BYTE m_bVertexColour = 0;
    BYTE m_bExtrusionMesh = 0;
    IDirect3DVertexDeclaration9* m_pDeclaration = nullptr;
    D3DXVECTOR4 m_colour;
    int m_boneInfluence = 0;
    const D3DXMATRIX* m_pBonePalette = nullptr;
    int m_paletteCount = 0;
};

}  // namespace Quorvex
