#include "game/screen/ScoreMarker.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Environment.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/NumberRenderer.h"
#include "game/state/Environment2.h"
#include "game/world/Object3D.h"
#include "game/world/effects/EffectSupport.h"

using Quorvex::IFactoryProduct;

namespace {

constexpr float kPulseEnd = 0.8f;

float Aspect() { return Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetAspect() : 16.0f / 9.0f; }

// 1 at the start and the end of the pulse phase, up to 1.05 between.
float Pulse(float t) { return std::fabs(std::sin(std::max(t / kPulseEnd, 0.0f) * D3DX_PI * 6.0f)) * 0.05f + 1.0f; }

}  // namespace

// ---------------------------------------------------------------------------
// ScoreMarker

ScoreMarker::ScoreMarker(Quorvex::IObjectManager* manager) : Quorvex::RenderObject(manager, 0) {}

ScoreMarker::~ScoreMarker() {
    ReleaseTarget();
    if (m_pNumber) {
        if (Quorvex::RenderStage* stage = m_pNumber->GetRenderStage()) stage->SubObject(m_pNumber);
        m_pNumber->Release();
        m_pNumber = nullptr;
    }
}

int ScoreMarker::Initialize(int) {
    m_sprite.SetMaterial(FindMaterial(GetManager(), "matHud"));
    // 2D corner order: bottom-left, bottom-right, top-left, top-right.
    m_sprite.uv[0] = D3DXVECTOR2(0.3125f, 0.25f);
    m_sprite.uv[1] = D3DXVECTOR2(0.4375f, 0.25f);
    m_sprite.uv[2] = D3DXVECTOR2(0.3125f, 0.0f);
    m_sprite.uv[3] = D3DXVECTOR2(0.4375f, 0.0f);
    m_sprite.color = 0xFFFFFFFF;
    m_sprite.centered = 1;
    m_sprite.reverseAngle = 1;
    m_sprite.sizeAsStored = 1;
    if (!m_pNumber) {
        m_pNumber = new NumberRenderer(AsObjectManager(GetManager()));
        m_pNumber->AddRef();
    }
    return m_pNumber->Initialize(0) < 0 ? -1 : 0;
}

void ScoreMarker::ReleaseTarget() {
    if (m_pTarget) m_pTarget->Release();
    m_pTarget = nullptr;
}

int ScoreMarker::ApplySetParam(ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    RequestRemove(false);
    if (record && record->manager) {
        if (GetManager() != record->manager) SetManager(record->manager);
        record->manager->AddObject(this);
    }
    if (Quorvex::RenderStage* stage = FindStage(GetManager(), "Sprite2D")) {
        if (stage != GetRenderStage()) AttachStage(stage);
    }
    m_progress = 0.0f;
    m_visible = true;
    Object3D* target = record ? record->target : nullptr;
    if (target) target->AddRef();
    ReleaseTarget();
    m_pTarget = target;
    m_position = target ? target->GetAreaPos() : Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    m_width = 0.17777778f;
    m_height = Aspect() * 0.08888889f * 0.5f;
    m_offsetY = 0.025f;
    m_offsetX = 0.0f;
    m_score = record ? record->score : 0;
    PlaceGlyph(0.0f);
    m_pNumber->Show(m_sprite.x + kDigitSize, m_sprite.y, kDigitSize, kDigitSize * Aspect(), 0xFF80FF80);
    m_pNumber->m_leftAligned = 1;
    m_pNumber->m_minDigits = 0;
    m_pNumber->m_value = m_score;
    m_pNumber->m_visible = m_visible ? 1 : 0;
    return 0;
}

void ScoreMarker::ReturnToFactory() {
    if (Quorvex::RenderStage* stage = m_pNumber->GetRenderStage()) stage->SubObject(m_pNumber);
    m_pNumber->m_visible = 0;
    if (Quorvex::RenderStage* stage = GetRenderStage()) stage->SubObject(this);
    RequestRemove(true);
    FactoryProductAdapter::ReturnToFactory();
}

void ScoreMarker::PlaceGlyph(float t) {
    m_visible = true;
    const D3DXVECTOR3 world = m_position.ToWorld();
    Quorvex::ObjectManager* manager = AsObjectManager(GetManager());
    float depth = 0.0f;
    if (manager) {
        D3DXVECTOR3 screen;
        D3DXVec3TransformCoord(&screen, &world, &manager->GetViewProjection());
        m_sprite.x = (screen.x * 0.5f + 0.5f) * Aspect();
        m_sprite.y = 0.5f - screen.y * 0.5f;
        const D3DXMATRIX& v = manager->GetViewMatrix();
        depth = v._13 * world.x + v._23 * world.y + v._33 * world.z + v._43;
    }
    if (depth < 0.0f) m_visible = false;
    const float s = std::clamp(1.0f - std::min(depth, 500.0f) / 500.0f * 0.5f, 0.0f, 1.0f);
    m_distanceScale = s;
    if (t < kPulseEnd) {
        const float p = Pulse(t);
        m_sprite.width = p * (m_width * s);
        m_sprite.height = p * (s * m_height);
    } else {
        const float m = std::min((t - kPulseEnd) / 0.2f, 1.0f);
        m_sprite.width = s * m_width * (m * 2.0f + 1.0f);
        m_sprite.height = s * m_height * (1.0f - m);
    }
    m_sprite.x += m_offsetX * s;
    m_sprite.y += m_offsetY * s;
}

void ScoreMarker::Update(float timeStep) {
    if (m_pTarget && m_pTarget->IsRemoveRequested()) ReleaseTarget();
    const float t = std::min(m_progress, 1.0f);
    if (m_progress > 1.0f) {
        ReturnToFactory();
        m_progress += timeStep;
        return;
    }
    if (g_pEnvironment2) m_position.Add(g_pEnvironment2->centerInfo.move);
    const int alpha = static_cast<int>((1.0f - t) * 255.0f);
    m_sprite.color = (static_cast<D3DCOLOR>(alpha & 0xFF) << 24) | (m_sprite.color & 0x00FFFFFF);
    PlaceGlyph(t);

    const float s = m_distanceScale;
    float width, height;
    D3DCOLOR color;
    if (t < kPulseEnd) {
        width = Pulse(t) * (s * kDigitSize);
        height = Aspect() * width;
        color = 0xFF000000 | (static_cast<D3DCOLOR>(ColorByte(t * 0.2f + 0.8f)) << 16) |
                (static_cast<D3DCOLOR>(ColorByte(t * 0.5f + 0.5f)) << 8) | ColorByte(t);
    } else {
        const float m = std::min((t - kPulseEnd) / 0.2f, 1.0f);
        width = (m * 2.0f + 1.0f) * s * kDigitSize;
        height = Aspect() * s * kDigitSize * (1.0f - m);
        color = (static_cast<D3DCOLOR>(static_cast<int>((1.0f - m) * 255.0f) & 0xFF) << 24) | 0x80FF80;
    }
    m_pNumber->LayoutDigits(m_sprite.x, m_sprite.y, width * 14.0f / 16.0f, 0.0f, width, height, color);
    m_pNumber->m_minDigits = 0;
    m_pNumber->m_value = m_score;
    // Behind the camera the digits are hidden with the glyph.
    m_pNumber->m_visible = m_visible ? 1 : 0;
    m_progress += timeStep;
}

void ScoreMarker::Render(Quorvex::CalcVertexSet* list) {
    if (!m_visible) return;
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushSprite2D(list, m_sprite);
}

// ---------------------------------------------------------------------------
// ScoreMarkerFactory

ScoreMarkerFactory::ScoreMarkerFactory(Quorvex::IObjectManager* manager) : Quorvex::Object(manager, 0) {
    SetMaxCount(kMaxCount);
}

ScoreMarkerFactory::~ScoreMarkerFactory() {
    if (g_pEnvironment2 && g_pEnvironment2->scoreMarkerFactory == this) g_pEnvironment2->scoreMarkerFactory = nullptr;
}

int ScoreMarkerFactory::Initialize(int) {
    if (g_pEnvironment2) g_pEnvironment2->scoreMarkerFactory = this;
    return 0;
}

IFactoryProduct* ScoreMarkerFactory::CreateProduct() { return NewProduct<ScoreMarker>(0, GetManager()); }

int ScoreMarkerFactory::ApplyParam(IFactoryProduct* product, IFactoryProduct::ISetParam* param) {
    if (auto* record = dynamic_cast<ScoreMarker::SetParam*>(param)) record->manager = GetManager();
    return product->ApplySetParam(param);
}

ScoreMarker* ScoreMarkerFactory::AcquireMarker(ScoreMarker::SetParam* param) {
    return dynamic_cast<ScoreMarker*>(AcquireProduct(param));
}
