#include "engine/assets/FillObject.h"

#include "engine/assets/shaders/PostPass.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"

namespace Quorvex {

FillObject::FillObject(ObjectManager* manager) : RenderObject(manager, manager ? CreateRegister : 0) {}

FillObject::~FillObject() { SAFE_RELEASE(m_pTexture); }

int FillObject::Initialize(int) {
    SetUpdatePriority(2100);
    if (auto* manager = dynamic_cast<ObjectManager*>(GetManager())) {
        RenderStage* stage = manager->GetRenderStage("Sprite2D");
        if (stage && stage != GetRenderStage()) AttachStage(stage);
    }
    SetDrawPriority(100.0f);
    for (float& c : m_colorA) c = 0.0f;
    m_progress = -1.0f;
    m_rate = 1.0f;
    m_mode = ModeNone;
    return 0;
}

void FillObject::SetTexture(IDirect3DTexture9* texture) { HoldReference(m_pTexture, texture); }

void FillObject::SetFade(const float endColor[4], const float startColor[4], float rate) {
    m_mode = ModeCrossFade;
    SAFE_RELEASE(m_pTexture);
    for (int i = 0; i < 4; ++i) {
        m_colorA[i] = startColor[i];
        m_colorB[i] = endColor[i];
    }
    m_rate = rate;
    m_progress = 0.0f;
}

void FillObject::SetColor(const float color[4]) {
    m_mode = ModeFill;
    for (int i = 0; i < 4; ++i) m_colorA[i] = color[i];
}

void FillObject::FadeIn(const float color[4], float rate) {
    m_mode = ModeFadeIn;
    for (int i = 0; i < 4; ++i) m_colorA[i] = color[i];
    m_rate = rate;
    m_progress = 0.0f;
}

void FillObject::Update(float timeStep) {
    if (m_progress < 0.0f) return;
    m_progress += m_rate * timeStep;
    if (m_progress >= 1.0f) m_progress = -1.0f;
}

void FillObject::Render(CalcVertexSet* list) { PushDrawObject(list, this); }

bool FillObject::GetDrawColor(float color[4]) const {
    // A finished fade shows its end.
    const float t = m_progress < 0.0f ? 1.0f : m_progress;
    for (int i = 0; i < 4; ++i) color[i] = m_colorA[i];
    switch (m_mode) {
    case ModeFill: return true;
    case ModeCrossFade:
        for (int i = 0; i < 4; ++i) color[i] = m_colorA[i] * (1.0f - t) + m_colorB[i] * t;
        return true;
    case ModeFadeIn: color[3] = m_colorA[3] * t; return true;
    case ModeFadeOut: color[3] = m_colorA[3] * (m_progress < 0.0f ? 0.0f : 1.0f - m_progress); return true;
    default: return false;
    }
}

void FillObject::Draw() {
    float color[4];
    if (!GetDrawColor(color)) return;
    auto* manager = dynamic_cast<ObjectManager*>(GetManager());
    ShaderManager* shaders = manager ? manager->GetShaderManager() : nullptr;
    auto* copy = shaders ? dynamic_cast<Shader_CopyTexture*>(shaders->GetShader("CopyTexture")) : nullptr;
    if (!copy) return;
    copy->SetTexture(m_pTexture);
    for (int i = 0; i < 4; ++i) copy->m_fillColor[i] = color[i];
    copy->Apply(nullptr, 0, -1);
}

}  // namespace Quorvex
