// The water effect "./data/fx/Water.cfx" in two shaders: Shader_Water
// ("Water"), loaded at start-up, only holds the effect's handles; and
// Shader_WideWater ("WideWater"), which draws the sea surface bump-mapped,
// lit by the render parameters' light, with its waves scrolling by the wave
// offset and its own fog.
#pragma once
#include "engine/assets/shaders/ShaderAdapter.h"

namespace Quorvex {

// The techniques and parameters both shaders look up in the water effect.
struct WaterEffectHandles {
    enum Technique { UpdateHeightMap, CreateNormalMap, BumpMap, WideBumpMap, TechniqueCount };
    enum Parameter {
        LightDir, Ambient, Diffuse, Specular, mWVP, EyePos, UseTexCnt, DecaleTex, NormalMap, DisplaceTex,
        DispCoef, vFog, UseFog, TULWidth, TULHeight, HeightMap, DampingMap, DampCoef, AddWaveCnt, AddWavePos,
        AddWaveRad, AddWaveVelocity, Wide_WaveOffset, FogLength, FogNear, FogColor, ParameterCount
    };
    static const char* const TechniqueNames[TechniqueCount];
    static const char* const ParameterNames[ParameterCount];

    // True when every handle was found.
    bool LookUp(ID3DXEffect* effect);

    D3DXHANDLE techniques[TechniqueCount] = {};
    D3DXHANDLE parameters[ParameterCount] = {};
};

class Shader_Water : public ShaderAdapter {
public:
    explicit Shader_Water(ShaderManager* manager);

    // 0; -1 when the effect cannot be read or a handle is missing (message 33
    // logged under "ShaderManager").
    int LoadShader() override;
    // Marks the shader manager's shader-in-use flag; draws nothing. Answers 0.
    int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) override;

    const WaterEffectHandles& GetHandles() const { return m_handles; }

private:
    WaterEffectHandles m_handles;
};

class Shader_WideWater : public ShaderAdapter {
public:
    // Reads the camera and the light from the render parameters (not counted).
    Shader_WideWater(RenderParameter* context, ShaderManager* manager);
    // Releases the textures and the declaration.
    ~Shader_WideWater() override;

    // 0, or -1 when the effect cannot be read or a handle is missing (message
    // 26 logged). Starts with the effect's fog off. Throws the text of message
    // 24 when the vertex declaration cannot be made.
    int LoadShader() override;
    // Fog on whatever the record's enable field says, over the record's
    // distances and colour.
    void SetFog(const FogParam& fog) override;
    // Draws subset 0 of the primitive with the world at the origin. The
    // colour factors come from the material of the first subset when there is
    // one (subset < 0: the primitive's own count), else from the stored ones.
    // Answers 0.
    int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) override;

    // Old released, new referenced.
    void SetNormalMap(IDirect3DTexture9* texture);
    void SetDecalTexture(IDirect3DTexture9* texture);
    IDirect3DTexture9* GetNormalMap() const { return m_pNormalMap; }
    IDirect3DTexture9* GetDecalTexture() const { return m_pDecalTexture; }
    IDirect3DVertexDeclaration9* GetDeclaration() const { return m_pDeclaration; }
    const WaterEffectHandles& GetHandles() const { return m_handles; }

    // Scrolls the waves; uploaded at each draw.
    float m_waveOffset = 0.0f;
    // Red, green, blue, alpha; each multiplies the light's colour of its kind
    // when the primitive brings no material.
    float m_ambientFactor[4] = {0.2f, 0.3f, 0.6f, 0.95f};
    float m_diffuseFactor[4] = {0.4f, 0.6f, 1.0f, 1.0f};
    float m_specularFactor[4] = {0.64f, 0.72f, 0.8f, 0.8f};

private:
    WaterEffectHandles m_handles;
    IDirect3DTexture9* m_pNormalMap = nullptr;     // counted
    IDirect3DTexture9* m_pDecalTexture = nullptr;  // counted
    IDirect3DVertexDeclaration9* m_pDeclaration = nullptr;  // counted
};

}  // namespace Quorvex
