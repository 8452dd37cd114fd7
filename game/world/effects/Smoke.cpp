#include "game/world/effects/Smoke.h"

#include <cmath>

#include "engine/core/Utility.h"
#include "engine/core/render/RenderStage.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectSupport.h"

using Quorvex::AreaPos;
using Quorvex::IFactoryProduct;

// ---------------------------------------------------------------------------
// Smoke

Smoke::Smoke(Quorvex::IObjectManager* manager) : Quorvex::RenderObject(manager, 0) {}

int Smoke::Initialize(int) {
    m_sprite.SetMaterial(FindMaterial(GetManager(), "matSmoke"));
    m_sprite.color = 0x40FFFFFF;
    m_sprite.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_sprite.centered = 1;
    m_sprite.uv[0] = D3DXVECTOR2(0.01f, 0.01f);
    m_sprite.uv[1] = D3DXVECTOR2(0.99f, 0.01f);
    m_sprite.uv[2] = D3DXVECTOR2(0.01f, 0.99f);
    m_sprite.uv[3] = D3DXVECTOR2(0.99f, 0.99f);
    m_sprite.rotation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    return 0;
}

int Smoke::ApplySetParam(ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    RequestRemove(false);
    if (record && record->manager) {
        if (GetManager() != record->manager) SetManager(record->manager);
        record->manager->AddObject(this);
    }
    if (record) {
        if (Quorvex::RenderStage* stage = FindStage(GetManager(), record->stage.c_str())) {
            if (stage != GetRenderStage()) AttachStage(stage);
        }
    }
    m_life = 0.0f;
    m_lifeRate = 1.0f;
    m_velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_spin = Quorvex::RandomFloat() * 0.69813174f - 0.34906587f;
    m_size = 1.0f;
    m_color[0] = m_color[1] = m_color[2] = 1.0f;
    m_alphaScale = 0.25f;
    m_sprite.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return 0;
}

void Smoke::ReturnToFactory() {
    if (Quorvex::RenderStage* stage = GetRenderStage()) stage->SubObject(this);
    RequestRemove(true);
    FactoryProductAdapter::ReturnToFactory();
}

void Smoke::Update(float timeStep) {
    m_life += m_lifeRate * timeStep;
    m_sprite.position += m_velocity * timeStep;
    m_sprite.rotation.x += m_spin * timeStep;
    m_sprite.width = 17.0f * m_size;
    m_sprite.height = 14.0f * m_size;
    const float t = m_life > 1.0f ? 1.0f : m_life;
    const float a = (0.5f - std::fabs(t - 0.5f)) * 2.0f * m_alphaScale;
    m_sprite.color = (static_cast<D3DCOLOR>(ColorByte(a)) << 24) | (static_cast<D3DCOLOR>(ColorByte(m_color[0])) << 16) |
                     (static_cast<D3DCOLOR>(ColorByte(m_color[1])) << 8) | ColorByte(m_color[2]);
    if (m_life >= 1.0f) ReturnToFactory();
}

void Smoke::Render(Quorvex::CalcVertexSet* list) {
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushBillboard(list, m_sprite);
}

// ---------------------------------------------------------------------------
// SmokeFactory

SmokeFactory::SmokeFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                           CenterInfo* center)
    : Object3D(objectManager, areaManager,
               center ? center->pos : (g_pEnvironment2 ? g_pEnvironment2->centerInfo.pos : AreaPos())),
      m_pCenter(center) {
    SetMaxCount(kMaxCount);
}

SmokeFactory::~SmokeFactory() {
    // The puffs still out leave their stages: nothing would return them now.
    ForEachInUse([](IFactoryProduct* product) {
        auto* smoke = dynamic_cast<Smoke*>(product);
        if (smoke && smoke->GetRenderStage()) smoke->GetRenderStage()->SubObject(smoke);
    });
}

int SmokeFactory::Initialize(int) {
    SetUpdatePriority(710);
    return 0;
}

IFactoryProduct* SmokeFactory::CreateProduct() { return NewProduct<Smoke>(0, GetManager()); }

Smoke* SmokeFactory::AcquireSmoke(Smoke::SetParam* param) { return dynamic_cast<Smoke*>(AcquireProduct(param)); }

void SmokeFactory::Update(float timeStep) {
    const Quorvex::Int3 before = m_areaPos.GetCell();
    Object3D::Update(timeStep);
    CenterInfo* center = m_pCenter ? m_pCenter : (g_pEnvironment2 ? &g_pEnvironment2->centerInfo : nullptr);
    if (!center) return;
    m_areaPos = center->pos;
    const Quorvex::Int3 after = m_areaPos.GetCell();
    if (before.x == after.x && before.y == after.y && before.z == after.z) return;
    const D3DXVECTOR3 zero(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 shift =
        AreaPos::Difference(AreaPos::FromCellAndOffset(before, zero), AreaPos::FromCellAndOffset(after, zero));
    ForEachInUse([&](IFactoryProduct* product) {
        if (auto* smoke = dynamic_cast<Smoke*>(product)) smoke->Position() += shift;
    });
}
