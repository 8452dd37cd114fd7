#include "engine/assets/shaders/Shader_Water.h"

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/Primitive.h"
#include "engine/assets/shaders/PostPass.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/RenderParameter.h"

namespace Quorvex {

namespace {

const wchar_t kEffectPath[] = L"./data/fx/Water.cfx";

// 44-byte sea vertices.
const D3DVERTEXELEMENT9 kWaterElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0},
    {0, 36, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

D3DXVECTOR4 Multiply(const D3DXVECTOR4& light, const float factor[4]) {
    return D3DXVECTOR4(light.x * factor[0], light.y * factor[1], light.z * factor[2], light.w * factor[3]);
}

void ToFactor(const D3DCOLORVALUE& c, float out[4]) {
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}

}  // namespace

const char* const WaterEffectHandles::TechniqueNames[TechniqueCount] = {
    "Tech_UpdateHeightMap", "Tech_CreateNormalMap", "Tech_BumpMap", "Tech_Wide_BumpMap"};

const char* const WaterEffectHandles::ParameterNames[ParameterCount] = {
    "LightDir",  "Ambient",    "Diffuse",    "Specular",   "mWVP",       "EyePos",          "UseTexCnt",
    "DecaleTex", "NormalMap",  "DisplaceTex", "DispCoef",  "vFog",       "UseFog",          "TULWidth",
    "TULHeight", "HeightMap",  "DampingMap", "DampCoef",   "AddWaveCnt", "AddWavePos",      "AddWaveRad",
    "AddWaveVelocity", "Wide_WaveOffset", "FogLength", "FogNear", "FogColor"};

bool WaterEffectHandles::LookUp(ID3DXEffect* effect) {
    bool all = effect != nullptr;
    for (int i = 0; i < TechniqueCount; ++i) {
        techniques[i] = effect ? effect->GetTechniqueByName(TechniqueNames[i]) : nullptr;
        all = all && techniques[i];
    }
    for (int i = 0; i < ParameterCount; ++i) {
        parameters[i] = effect ? effect->GetParameterByName(nullptr, ParameterNames[i]) : nullptr;
        all = all && parameters[i];
    }
    return all;
}

// ---------------------------------------------------------------------------

Shader_Water::Shader_Water(ShaderManager* manager) : ShaderAdapter(nullptr, manager) { m_name = "Water"; }

int Shader_Water::LoadShader() {
    SAFE_RELEASE(m_pEffect);
    m_pEffect = CreateEffectFromFile(kEffectPath);
    if (!m_handles.LookUp(m_pEffect)) {
        MessageTable::Log(33, L"ShaderManager");
        return -1;
    }
    return 0;
}

int Shader_Water::Apply(IPrimitive*, int, int) {
    if (m_pShaderManager) m_pShaderManager->SetShaderInUse(true);
    return 0;
}

// ---------------------------------------------------------------------------

Shader_WideWater::Shader_WideWater(RenderParameter* context, ShaderManager* manager)
    : ShaderAdapter(context, manager) {
    m_name = "WideWater";
}

Shader_WideWater::~Shader_WideWater() {
    SAFE_RELEASE(m_pNormalMap);
    SAFE_RELEASE(m_pDecalTexture);
    SAFE_RELEASE(m_pDeclaration);
}

void Shader_WideWater::SetNormalMap(IDirect3DTexture9* texture) { HoldReference(m_pNormalMap, texture); }
void Shader_WideWater::SetDecalTexture(IDirect3DTexture9* texture) { HoldReference(m_pDecalTexture, texture); }

int Shader_WideWater::LoadShader() {
    SAFE_RELEASE(m_pEffect);
    m_pEffect = CreateEffectFromFile(kEffectPath);
    if (!m_pEffect) return -1;
    if (!m_handles.LookUp(m_pEffect)) {
        MessageTable::Log(26, L"Shader_WideWater::LoadShader");
        return -1;
    }
    // The mesh effect's "no fog" values: the factor stays at 1 for any depth
    // the scenes use.
    m_pEffect->SetInt(m_handles.parameters[WaterEffectHandles::UseFog], 0);
    const D3DXVECTOR4 noFog(1.0001f, -0.00010001f, 0.0f, 0.0f);
    m_pEffect->SetVector(m_handles.parameters[WaterEffectHandles::vFog], &noFog);
    SAFE_RELEASE(m_pDeclaration);
    IDirect3DDevice9* device = m_pShaderManager ? m_pShaderManager->GetDevice() : nullptr;
    if (!device || FAILED(device->CreateVertexDeclaration(kWaterElements, &m_pDeclaration))) {
        m_pDeclaration = nullptr;
        throw MessageTable::GetText(24);
    }
    return 0;
}

void Shader_WideWater::SetFog(const FogParam& fog) {
    if (!m_pEffect) return;
    const D3DXHANDLE* p = m_handles.parameters;
    // The sea always fogs; callers keep the two distances apart.
    const float length = fog.farValue - fog.nearValue;
    m_pEffect->SetInt(p[WaterEffectHandles::UseFog], 1);
    const D3DXVECTOR4 factor(fog.farValue / length, -1.0f / length, 0.0f, 0.0f);
    m_pEffect->SetVector(p[WaterEffectHandles::vFog], &factor);
    m_pEffect->SetFloat(p[WaterEffectHandles::FogLength], length);
    m_pEffect->SetFloat(p[WaterEffectHandles::FogNear], fog.nearValue);
    const D3DXVECTOR4 color(((fog.color >> 16) & 0xFF) / 255.0f, ((fog.color >> 8) & 0xFF) / 255.0f,
                            (fog.color & 0xFF) / 255.0f, ((fog.color >> 24) & 0xFF) / 255.0f);
    m_pEffect->SetVector(p[WaterEffectHandles::FogColor], &color);
}

int Shader_WideWater::Apply(IPrimitive* primitive, int, int subset) {
    if (!m_pEffect || !m_pShaderManager || !primitive) return 0;
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    m_pShaderManager->SetShaderInUse(true);
    const D3DXHANDLE* p = m_handles.parameters;

    D3DXMATRIX world, inverseWorld, wvp;
    D3DXMatrixIdentity(&world);
    D3DXMatrixInverse(&inverseWorld, nullptr, &world);
    const RenderParameter* context = m_pContext;
    if (context) {
        D3DXMatrixMultiply(&wvp, &world, &context->m_view);
        D3DXMatrixMultiply(&wvp, &wvp, &context->m_projection);
    } else {
        wvp = world;
    }
    m_pEffect->SetMatrix(p[WaterEffectHandles::mWVP], &wvp);

    // Light and eye in the surface's own space.
    D3DXVECTOR4 lightDir = context ? context->m_lightDirection : D3DXVECTOR4(0.0f, -1.0f, 0.0f, 0.0f);
    D3DXVec4Transform(&lightDir, &lightDir, &inverseWorld);
    D3DXVECTOR3 direction(lightDir.x, lightDir.y, lightDir.z);
    D3DXVec3Normalize(&direction, &direction);
    lightDir.x = direction.x;
    lightDir.y = direction.y;
    lightDir.z = direction.z;
    m_pEffect->SetVector(p[WaterEffectHandles::LightDir], &lightDir);
    D3DXVECTOR3 eye = context ? context->m_eye : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&eye, &eye, &inverseWorld);
    m_pEffect->SetValue(p[WaterEffectHandles::EyePos], &eye, 12);

    // A subset asked for that the primitive does not have brings no material.
    float ambient[4], diffuse[4], specular[4];
    const int count = subset < 0 ? primitive->GetSubsetCount() : subset + 1;
    MaterialUnit* material = count >= 1 && primitive->GetSubsetCount() >= 1 ? primitive->GetMaterial(0) : nullptr;
    if (material) {
        const MaterialUnit::Colors& m = material->m_colors;
        ToFactor(m.Diffuse, diffuse);
        ToFactor(m.Specular, specular);
        ambient[0] = m.Ambient.r + m.Emissive.r;
        ambient[1] = m.Ambient.g + m.Emissive.g;
        ambient[2] = m.Ambient.b + m.Emissive.b;
        ambient[3] = m.Ambient.a + m.Emissive.a;
    } else {
        for (int i = 0; i < 4; ++i) {
            ambient[i] = m_ambientFactor[i];
            diffuse[i] = m_diffuseFactor[i];
            specular[i] = m_specularFactor[i];
        }
    }
    const D3DXVECTOR4 one(1.0f, 1.0f, 1.0f, 1.0f);
    const D3DXVECTOR4 ambientColor = Multiply(context ? context->m_ambient : one, ambient);
    const D3DXVECTOR4 diffuseColor = Multiply(context ? context->m_diffuse : one, diffuse);
    const D3DXVECTOR4 specularColor = Multiply(context ? context->m_specular : one, specular);
    m_pEffect->SetVector(p[WaterEffectHandles::Ambient], &ambientColor);
    m_pEffect->SetVector(p[WaterEffectHandles::Diffuse], &diffuseColor);
    m_pEffect->SetVector(p[WaterEffectHandles::Specular], &specularColor);

    if (m_pDecalTexture) m_pEffect->SetTexture(p[WaterEffectHandles::DecaleTex], m_pDecalTexture);
    m_pEffect->SetInt(p[WaterEffectHandles::UseTexCnt], m_pDecalTexture ? 1 : 0);
    m_pEffect->SetTexture(p[WaterEffectHandles::NormalMap], m_pNormalMap);
    m_pEffect->SetValue(p[WaterEffectHandles::Wide_WaveOffset], &m_waveOffset, sizeof(float));

    IDirect3DVertexDeclaration9* declaration = primitive->GetVertexDeclaration();
    device->SetVertexDeclaration(declaration ? declaration : m_pDeclaration);
    device->SetFVF(0);

    m_pEffect->SetTechnique(m_handles.techniques[WaterEffectHandles::WideBumpMap]);
    UINT passes = 0;
    if (SUCCEEDED(m_pEffect->Begin(&passes, D3DXFX_DONOTSAVESTATE))) {
        for (UINT pass = 0; pass < passes; ++pass) {
            m_pEffect->BeginPass(pass);
            m_pEffect->CommitChanges();
            primitive->DrawSubset(0);
            m_pEffect->EndPass();
        }
    }
    EndTechnique();
    return 0;
}

}  // namespace Quorvex
