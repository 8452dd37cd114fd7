#include "game/enemy/types/Enemy_Reidan.h"

#include <algorithm>

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Fighter3.h"
#include "game/player/weapons/Bullet_Nuke.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectObject.h"
#include "game/world/effects/EffectSupport.h"

using boost::placeholders::_1;

namespace {

constexpr float kTrailSize = 40.0f;
constexpr float kTrailSpread = 10.0f;
constexpr float kTrailLife = 2.0f;
constexpr float kTrailEndSize = 5.0f;

BYTE TrailChannel() { return static_cast<BYTE>((Quorvex::RandomFloat() * 0.25f + 0.75f) * 255.0f); }

}  // namespace

Enemy_Reidan::Enemy_Reidan(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                           const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_,
                           EnemyListSet* listSet_)
    : PooledEnemy(objectManager, areaManager, position, generator_, listSet_) {}

Enemy_Reidan::~Enemy_Reidan() = default;

int Enemy_Reidan::Initialize(int param) {
    Enemy::Initialize(param);
    sprite.Reset();
    sprite.ResetTransform();
    sprite.SetMaterial(FindMaterial(GetManager(), "matReidan"));
    sprite.width = 30.0f;
    sprite.height = 30.0f;
    CreateEnemyBody(this, L"EnemyFighterBig");
    score = kScore;
    return 0;
}

void Enemy_Reidan::LaunchFrom(const EnemySpawnParam& record) {
    EnemyEx::Launch(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), record.manager, record.position, MoveModePath2, kLife,
                    D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    onFrame = boost::bind(&Enemy_Reidan::PursuitStep, this, _1);
    pursuing = true;
}

void Enemy_Reidan::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    Enemy::Update(dt);
    UpdateAttacks(dt);
    trailStrength = 1.0f;
    TrailStep(Quorvex::AreaPos::Difference(m_areaPos, before), dt);
}

void Enemy_Reidan::PursuitStep(float dt) {
    if (pursuing && target) {
        const D3DXVECTOR3 d = GetTargetPosition() - GetWorldPosition();
        const float distance = D3DXVec3Length(&d);
        if (distance <= kFireRange) {
            pursuing = false;
            Fire();
            return;
        }
        velocity = d * (kPursuitSpeed * dt / distance) + velocity * (1.0f - dt);
    }
    if (g_pEnvironment2) m_areaPos.Add(g_pEnvironment2->centerInfo.move);
    m_areaPos.Add(velocity * dt);
}

void Enemy_Reidan::Fire() {
    // The blast is the orb's attack: a nuke that goes off where it is.
    LaunchEnemyNuke(this, MakeAimQuaternion(GetWorldPosition(), GetTargetPosition()), level, Bullet_Nuke::KindReidan);
    AddEnemiesAppeared(-1);
    Vanish();
}

void Enemy_Reidan::TrailStep(const D3DXVECTOR3& movement, float dt) {
    for (Effect_GeneralPurpose* spark : trail.sprites) spark->Shift(movement);
    trail.emitTime += dt;
    EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr;
    const float size = std::min(trailStrength, 1.0f) * kTrailSize;
    while (trail.emitTime > kTrailInterval) {
        trail.emitTime -= kTrailInterval;
        if (!effects) continue;
        const D3DXVECTOR3 offset((Quorvex::RandomFloat() - 0.5f) * kTrailSpread,
                                 (Quorvex::RandomFloat() - 0.5f) * kTrailSpread,
                                 (Quorvex::RandomFloat() - 0.5f) * kTrailSpread);
        Effect_GeneralPurpose* spark = effects->SpawnGeneralPurpose(GetWorldPosition() + offset, "matReidan", "Sprite3D");
        if (!spark) continue;
        spark->m_mode = Effect_GeneralPurpose::ModeBillboard;
        spark->m_baseWidth = size;
        spark->m_baseHeight = size;
        const BYTE r = TrailChannel();
        const BYTE g = TrailChannel();
        const BYTE b = TrailChannel();
        const BYTE start[4] = {255, r, g, b};
        const BYTE end[4] = {0, r, g, b};
        std::copy(start, start + 4, spark->m_startColor);
        std::copy(end, end + 4, spark->m_endColor);
        spark->m_fadeIn = 0.0f;
        spark->m_fadeOutStart = 0.0f;
        spark->m_fadeOutEnd = kTrailLife;
        spark->m_scaleFrom = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
        const float endScale = size > 0.0f ? kTrailEndSize / size : 1.0f;
        spark->m_scaleTo = D3DXVECTOR3(endScale, endScale, endScale);
        spark->m_scaleStart = 0.0f;
        spark->m_scaleEnd = kTrailLife;
        spark->m_finish = boost::bind(&AuraParam::RemoveSprite, &trail, _1);
        trail.AddSprite(spark);
    }
}

void Enemy_Reidan::Render(Quorvex::CalcVertexSet* list) {
    if (!list) return;
    sprite.position = GetWorldPosition();
    if (list->renderStatePreset != 2) Quorvex::PushRenderStatePreset(list, 2);
}
