#include "game/enemy/types/Enemy_Fighter4.h"

#include <algorithm>

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Fighter3.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectSupport.h"

using boost::placeholders::_1;

namespace {

constexpr float kRevengeSpread = 0.08726647f;  // 5 degrees: +-2.5 each way

}  // namespace

Enemy_Fighter4::Enemy_Fighter4(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                               const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_,
                               EnemyListSet* listSet_)
    : PooledEnemy(objectManager, areaManager, position, generator_, listSet_) {}

Enemy_Fighter4::~Enemy_Fighter4() = default;

int Enemy_Fighter4::Initialize(int param) {
    Enemy::Initialize(param);
    sprite.Reset();
    sprite.SetMaterial(FindMaterial(GetManager(), "matKetama"));
    sprite.color = 0xFFFFFFFF;
    sprite.width = 30.0f;
    sprite.height = 30.0f;
    CreateEnemyBody(this, L"EnemyFighter");
    score = kScore;
    return 0;
}

void Enemy_Fighter4::LaunchFrom(const EnemySpawnParam& record) {
    Launch(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), record.position, record.manager);
}

void Enemy_Fighter4::Launch(const D3DXQUATERNION& orientation, const Quorvex::AreaPos& position,
                            Quorvex::ObjectManager* objectManager) {
    EnemyEx::Launch(orientation, objectManager, position, MoveModePath2, kLife, D3DXVECTOR3(314.0f, 314.0f, 471.0f));
    m_areaPos = position;
    GetMoveParam()->onPathEnd = boost::bind(&Enemy_Fighter4::VanishAtPathEnd, this, _1);
}

void Enemy_Fighter4::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    if (!UpdateInPlay(dt, kAgeLimit)) return;
    UpdateAuraSince(dt, before, aura);
}

void Enemy_Fighter4::Hit(Quorvex::Object* hitter) {
    if (!Enemy_Fighter2::TakeHit(*this, hitter)) return;
    if (EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr)
        effects->CreateExplosion(m_areaPos, 40.0f, 0);
    FireRevengeShots();
    AwardScore();
    Vanish();
}

void Enemy_Fighter4::FireRevengeShots() {
    if (!target) return;
    const float l = std::clamp(level, 0.0f, 1.0f);
    const int count = static_cast<int>(3.0f * l);
    const D3DXVECTOR3 d = GetTargetPosition() - GetWorldPosition();
    if (!(D3DXVec3Length(&d) > 300.0f - 150.0f * l)) return;
    const D3DXQUATERNION aim = MakeAimQuaternion(GetWorldPosition(), GetTargetPosition());
    const D3DXVECTOR3 baseVelocity = GetTargetVelocity();
    for (int i = 0; i < count; ++i) {
        const float yaw = (Quorvex::RandomFloat() - 0.5f) * kRevengeSpread;
        const float pitch = (Quorvex::RandomFloat() - 0.5f) * kRevengeSpread;
        D3DXQUATERNION jitter, orientation;
        D3DXQuaternionRotationYawPitchRoll(&jitter, yaw, pitch, 0.0f);
        D3DXQuaternionMultiply(&orientation, &jitter, &aim);
        FireRazer(this, orientation, baseVelocity, 0.6f);
    }
}

void Enemy_Fighter4::Render(Quorvex::CalcVertexSet* list) { EnemyRenderSprite(list, sprite, GetWorldPosition()); }
