#include "engine/assets/shaders/MeshShader.h"

#include <cfloat>
#include <cmath>

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/Primitive.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/RenderParameter.h"

namespace Quorvex {

namespace {

constexpr const char* kTechniqueNames[MeshShader::TechniqueCount] = {"Tech_Normal", "Tech_BumpMap", "Tech_Blur",
                                                                      "Tech_BumpMap_Blur", "Tech_ShadowMap"};

D3DXVECTOR4 Times(const D3DCOLORVALUE& a, const D3DXVECTOR4& b) {
    return D3DXVECTOR4(a.r * b.x, a.g * b.y, a.b * b.z, a.a * b.w);
}

// Render target 0, depth surface and viewport of the device, saved while the
// motion-blur pass draws into its own target.
class SavedTargets {
public:
    explicit SavedTargets(IDirect3DDevice9* device) : m_device(device) {}
    ~SavedTargets() {
        Restore();
        SAFE_RELEASE(m_target);
        SAFE_RELEASE(m_depth);
    }
    SavedTargets(const SavedTargets&) = delete;
    SavedTargets& operator=(const SavedTargets&) = delete;

    // Saves the current targets and switches to the blur ones: false (and
    // nothing changed) when that is not possible.
    bool SwitchTo(IDirect3DSurface9* target, IDirect3DSurface9* depth) {
        if (!m_device || !target || !depth) return false;
        if (FAILED(m_device->GetRenderTarget(0, &m_target)) || FAILED(m_device->GetDepthStencilSurface(&m_depth)) ||
            FAILED(m_device->GetViewport(&m_viewport))) {
            SAFE_RELEASE(m_target);
            SAFE_RELEASE(m_depth);
            return false;
        }
        m_switched = true;
        m_device->SetRenderTarget(0, target);
        m_device->SetDepthStencilSurface(depth);
        return true;
    }
    // Puts the saved targets back once.
    void Restore() {
        if (!m_switched) return;
        m_switched = false;
        m_device->SetRenderTarget(0, m_target);
        m_device->SetDepthStencilSurface(m_depth);
        m_device->SetViewport(&m_viewport);
    }

private:
    IDirect3DDevice9* m_device;
    IDirect3DSurface9* m_target = nullptr;
    IDirect3DSurface9* m_depth = nullptr;
    D3DVIEWPORT9 m_viewport{};
    bool m_switched = false;
};

}  // namespace

MeshShader::MeshShader(RenderParameter* context, ShaderManager* manager) : ShaderAdapter(context, manager) {
    m_name = "MeshDefaultShader";
    DebugPrint(L"シェーダー生成 ID:\"%s\"(addr:%d)\r\n", L"MeshDefaultShader", this);
}

MeshShader::Technique MeshShader::ChooseTechnique(bool blur, bool bump) {
    if (blur) return bump ? TechBumpMapBlur : TechBlur;
    return bump ? TechBumpMap : TechNormal;
}

int MeshShader::LoadShader() {
    SAFE_RELEASE(m_pEffect);
    m_pEffect = CreateEffectFromFile(L"./data/fx/Mesh.cfx");
    if (!m_pEffect) {
        MessageTable::Log(31, L"MeshShader::LoadShader");
        return -1;
    }
    bool found = true;
    for (int t = 0; t < TechniqueCount; ++t) found = (m_hTechniques[t] = m_pEffect->GetTechniqueByName(kTechniqueNames[t])) && found;
    const struct {
        D3DXHANDLE* handle;
        const char* name;
    } parameters[] = {
        {&m_hNumLights, "nLightPos"},
        {&m_hLightPos, "LightPos"},
        {&m_hLightPower, "LightPosPower"},
        {&m_hLightMinLength, "LightPosMinLength"},
        {&m_hLightMaxLengthRev, "LightPosMaxLengthRev"},
        {&m_hLightDir, "LightDir"},
        {&m_hAmbient, "Ambient"},
        {&m_hDiffuse, "Diffuse"},
        {&m_hSpecular, "Specular"},
        {&m_hSpecularFact, "SpecularFact"},
        {&m_hWVP, "mWVP"},
        {&m_hWV, "mWV"},
        {&m_hLastWV, "mLastWV"},
        {&m_hVP, "mVP"},
        {&m_hEyePos, "EyePos"},
        {&m_hUseTexCnt, "UseTexCnt"},
        {&m_hDecaleTex, "DecaleTex"},
        {&m_hNormalMap, "NormalMap"},
        {&m_hBlurSrcMap, "BlurSrcMap"},
        {&m_hColorMax, "ColorMax"},
        {&m_hFog, "vFog"},
        {&m_hUseFog, "UseFog"},
        {&m_hFogColor, "FogColor"},
        {&m_hUseShadowMap, "g_bUseShadowMap"},
        {&m_hLightWVP, "g_mLightWVP"},
        {&m_hViewToLightProj, "g_mViewToLightProj"},
        {&m_hShadowMapTex, "g_ShadowMapTex"},
        {&m_hLightPosInView, "g_vLightPosInView"},
        {&m_hLightDirInView, "g_vLightDirInView"},
        {&m_hCosTheta, "g_fCosTheta"},
        {&m_hShadowPower, "g_fShadowPower"},
    };
    for (const auto& p : parameters) found = (*p.handle = m_pEffect->GetParameterByName(nullptr, p.name)) && found;
    if (!found) {
        MessageTable::Log(32, L"ShaderManager");
        return -1;
    }
    m_pEffect->SetBool(m_hUseFog, FALSE);
    const D3DXVECTOR4 noFog(1.0001f, -0.00010001f, 0.0f, 0.0f);
    m_pEffect->SetVector(m_hFog, &noFog);
    return 0;
}

void MeshShader::SetFog(const FogParam& fog) {
    if (!ApplyFogSwitch(fog, m_hUseFog)) return;
    const D3DXVECTOR4 range(fog.nearValue, fog.farValue - fog.nearValue, 0.0f, 0.0f);
    m_pEffect->SetVector(m_hFog, &range);
    const D3DXVECTOR4 color(((fog.color >> 16) & 0xFF) / 255.0f, ((fog.color >> 8) & 0xFF) / 255.0f,
                            (fog.color & 0xFF) / 255.0f, ((fog.color >> 24) & 0xFF) / 255.0f);
    m_pEffect->SetVector(m_hFogColor, &color);
}

void MeshShader::SetPointLights(const D3DXMATRIX& inverseWorld) {
    float positions[RenderParameter::PointLightCount * 3] = {};
    float power[RenderParameter::PointLightCount] = {};
    float minLength[RenderParameter::PointLightCount] = {};
    float maxLengthRev[RenderParameter::PointLightCount] = {};
    int count = 0;
    for (const RenderParameter::PointLight& light : m_pContext->m_pointLights) {
        if (!light.enabled) continue;
        D3DXVECTOR3 position;
        D3DXVec3TransformCoord(&position, &light.position, &inverseWorld);
        positions[count * 3 + 0] = position.x;
        positions[count * 3 + 1] = position.y;
        positions[count * 3 + 2] = position.z;
        power[count] = light.power;
        minLength[count] = light.minLength;
        const float range = light.maxLength - light.minLength;
        // Equal lengths: a hard edge at that distance instead of a division
        // by zero.
        maxLengthRev[count] = range != 0.0f ? 1.0f / range : FLT_MAX;
        ++count;
    }
    m_pEffect->SetInt(m_hNumLights, count);
    m_pEffect->SetFloatArray(m_hLightPos, positions, RenderParameter::PointLightCount * 3);
    m_pEffect->SetFloatArray(m_hLightPower, power, RenderParameter::PointLightCount);
    m_pEffect->SetFloatArray(m_hLightMinLength, minLength, RenderParameter::PointLightCount);
    m_pEffect->SetFloatArray(m_hLightMaxLengthRev, maxLengthRev, RenderParameter::PointLightCount);
}

void MeshShader::SetShadowParameters(const D3DXMATRIX& worldView) {
    const RenderParameter& context = *m_pContext;
    m_pEffect->SetBool(m_hUseShadowMap, TRUE);
    m_pEffect->SetMatrix(m_hWV, &worldView);
    D3DXMATRIX inverseView, lightViewProjection;
    D3DXMatrixInverse(&inverseView, nullptr, &context.m_view);
    context.GetLightViewProjection(&lightViewProjection);
    const D3DXMATRIX viewToLight = inverseView * lightViewProjection;
    m_pEffect->SetMatrix(m_hViewToLightProj, &viewToLight);
    m_pEffect->SetTexture(m_hShadowMapTex, context.m_shadowTexture);
    D3DXVECTOR3 position, direction(context.m_lightDirection.x, context.m_lightDirection.y,
                                    context.m_lightDirection.z);
    D3DXVec3TransformCoord(&position, &context.m_lightPosition, &context.m_view);
    D3DXVec3TransformNormal(&direction, &direction, &context.m_view);
    D3DXVec3Normalize(&direction, &direction);
    m_pEffect->SetValue(m_hLightPosInView, &position, sizeof position);
    m_pEffect->SetValue(m_hLightDirInView, &direction, sizeof direction);
    m_pEffect->SetFloat(m_hCosTheta, std::cos(context.m_lightFov));
}

int MeshShader::Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) {
    if (!m_pEffect || !primitive || !m_pContext || !m_pShaderManager) return 0;
    const RenderParameter& context = *m_pContext;
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();

    const D3DXMATRIX& world = *primitive->GetWorldMatrix();
    D3DXMATRIX inverseWorld;
    D3DXMatrixInverse(&inverseWorld, nullptr, &world);
    const D3DXMATRIX worldView = world * context.m_view;
    const D3DXMATRIX worldViewProjection = worldView * context.m_projection;
    m_pEffect->SetMatrix(m_hWVP, &worldViewProjection);

    D3DXVECTOR3 light(context.m_lightDirection.x, context.m_lightDirection.y, context.m_lightDirection.z);
    D3DXVec3TransformNormal(&light, &light, &inverseWorld);
    D3DXVec3Normalize(&light, &light);
    const D3DXVECTOR4 lightDirection(light.x, light.y, light.z, 0.0f);
    m_pEffect->SetVector(m_hLightDir, &lightDirection);
    SetPointLights(inverseWorld);
    D3DXVECTOR3 eye;
    D3DXVec3TransformCoord(&eye, &context.m_eye, &inverseWorld);
    m_pEffect->SetValue(m_hEyePos, &eye, sizeof eye);

    // Motion blur: the first frame after a reset only stores where the
    // object is; later frames draw it into the blur target, then smear it
    // from there into the saved target.
    SavedTargets saved(device);
    bool blur = false;
    if (D3DXMATRIX* previous = primitive->GetPreviousMatrixSlot()) {
        if (!primitive->IsPreviousMatrixReset() && context.m_blurTexture &&
            saved.SwitchTo(context.m_blurSurface, context.m_blurDepth)) {
            m_pContext->m_blurTargetClear = false;
            m_pEffect->SetMatrix(m_hWV, &worldView);
            m_pEffect->SetMatrix(m_hLastWV, previous);
            m_pEffect->SetMatrix(m_hVP, &context.m_projection);
            blur = true;
        }
        *previous = worldView;
    }

    const int first = firstSubset < 0 ? 0 : firstSubset;
    const int end = firstSubset < 0 ? primitive->GetSubsetCount() : firstSubset + 1;
    bool bump = false;
    for (int k = first; k < end && !bump; ++k) {
        MaterialUnit* material = primitive->GetMaterial(k);
        bump = material && material->GetNormalMapCount() > 0;
    }

    m_pEffect->SetVector(m_hColorMax, primitive->GetColour());
    const int bones = primitive->GetBoneInfluence();
    m_pEffect->SetInt("nNumBones", bones);
    if (bones > 0 && primitive->GetBonePalette())
        m_pEffect->SetMatrixArray("amPalette", primitive->GetBonePalette(),
                                  static_cast<UINT>(primitive->GetPaletteCount()));

    if (context.m_shadowMapMode == 2) SetShadowParameters(worldView);
    else m_pEffect->SetBool(m_hUseShadowMap, FALSE);

    static const MaterialUnit::Colors kNoMaterial;
    m_pEffect->SetTechnique(m_hTechniques[ChooseTechnique(blur, bump)]);
    UINT passes = 0;
    m_pEffect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
    for (UINT pass = 0; pass < passes; ++pass) {
        m_pEffect->BeginPass(pass);
        for (int k = first; k < end; ++k) {
            if (blur && pass > 1) break;
            MaterialUnit* material = primitive->GetMaterial(k);
            const MaterialUnit::Colors& colors = material ? material->m_colors : kNoMaterial;
            const int drawn = subsetToDraw < 0 ? k : subsetToDraw;

            const D3DCOLORVALUE ambient{colors.Ambient.r + colors.Emissive.r, colors.Ambient.g + colors.Emissive.g,
                                        colors.Ambient.b + colors.Emissive.b, colors.Ambient.a + colors.Emissive.a};
            const D3DXVECTOR4 ambientColor = Times(ambient, context.m_ambient);
            const D3DXVECTOR4 diffuseColor = Times(colors.Diffuse, context.m_diffuse);
            const D3DXVECTOR4 specularColor = Times(colors.Specular, context.m_specular);
            m_pEffect->SetVector(m_hAmbient, &ambientColor);
            m_pEffect->SetVector(m_hDiffuse, &diffuseColor);
            m_pEffect->SetVector(m_hSpecular, &specularColor);
            m_pEffect->SetFloat(m_hSpecularFact, colors.Power);

            IDirect3DTexture9* texture = primitive->GetTextureOverride(k);
            if (!texture && material) texture = material->GetTexture(0);
            if (texture) m_pEffect->SetTexture(m_hDecaleTex, texture);
            m_pEffect->SetInt(m_hUseTexCnt, texture ? 1 : 0);
            if (material && material->GetNormalMap(0)) {
                IDirect3DTexture9* normalMap = primitive->GetNormalMapOverride(k);
                m_pEffect->SetTexture(m_hNormalMap, normalMap ? normalMap : material->GetNormalMap(0));
            }

            if (!blur || pass == 0) {
                m_pEffect->CommitChanges();
                primitive->DrawSubset(drawn);
            } else {
                saved.Restore();
                m_pShaderManager->SetBlendMode(ShaderManager::BlendPremultiplied);
                m_pEffect->SetTexture(m_hBlurSrcMap, context.m_blurTexture);
                m_pEffect->CommitChanges();
                if (primitive->HasExtrusionMesh()) primitive->DrawExtrusionSubset(drawn);
                else primitive->DrawSubset(drawn);
            }
        }
        m_pEffect->EndPass();
    }
    EndTechnique();
    // The targets go back even when the technique drew no second pass.
    saved.Restore();
    return 0;
}

int MeshShader::ApplyShadow(IPrimitive* primitive) {
    if (!m_pEffect || !primitive || !m_pContext) return 0;
    D3DXMATRIX lightViewProjection;
    m_pContext->GetLightViewProjection(&lightViewProjection);
    const D3DXMATRIX lightWorldViewProjection = *primitive->GetWorldMatrix() * lightViewProjection;
    m_pEffect->SetMatrix(m_hLightWVP, &lightWorldViewProjection);
    m_pEffect->SetTechnique(m_hTechniques[TechShadowMap]);
    UINT passes = 0;
    m_pEffect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
    for (UINT pass = 0; pass < passes; ++pass) {
        m_pEffect->BeginPass(pass);
        for (int k = 0; k < primitive->GetSubsetCount(); ++k) primitive->DrawSubset(k);
        m_pEffect->EndPass();
    }
    EndTechnique();
    return 0;
}

}  // namespace Quorvex
