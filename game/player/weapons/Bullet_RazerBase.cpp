#include "game/player/weapons/Bullet_RazerBase.h"

#include <algorithm>

#include "engine/assets/devices/SoundManager.h"
#include "game/player/Player.h"
#include "game/player/PlayerResources.h"
#include "game/state/Environment2.h"
#include "game/world/CollisionShapeSet.h"

Bullet_RazerBase::Bullet_RazerBase(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                                   const Quorvex::AreaPos& start)
    : Bullet(manager, areaManager, start) {}

Bullet_RazerBase::~Bullet_RazerBase() = default;

int Bullet_RazerBase::Initialize(int param) {
    Bullet::Initialize(param);
    SetUpSprite();
    // One body for the whole life in the pool; it floats.
    if (CollisionShapeSet* shape = FindShape(L"Razer")) CreateFloatingBody(shape);
    SyncRigidBody(1);
    return 0;
}

float Bullet_RazerBase::PlayerSpeedRate() {
    Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr;
    return player ? std::max(player->GetSpeedRate(), 0.0f) : 0.0f;
}

float Bullet_RazerBase::LaunchSpeed(float size, float power, float playerSpeedRate) {
    const float base = (size * 0.5f + 1.0f) * 314.0f * power;
    return base * (std::max(playerSpeedRate, 0.0f) * 0.5f + 1.0f);
}

void Bullet_RazerBase::BeginShot(Quorvex::ObjectManager* manager, Quorvex::Object* owner,
                                 const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation,
                                 const D3DXVECTOR3& vector, float size) {
    BeginLaunch(manager, "Sprite3DOver");
    m_owner = owner;
    m_areaPos = start;
    m_size = size;
    m_orientation = orientation;
    m_elapsed = 0.0f;
    m_vector = vector;
    m_blendMode = kBlendMode;
}

void Bullet_RazerBase::FinishLaunch(bool playerSide, bool playSound) {
    SetSide(playerSide);
    m_attackPower = kAttackPower;
    SyncRigidBody(1);
    if (PlaneRigidBody* body = GetRigidBody()) body->setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
    if (playSound)
        if (Quorvex::SoundUnit* sound = FindSoundUnit(L"val3")) sound->Play(Quorvex::SoundUnit::PLAY_REWIND);
}

void Bullet_RazerBase::Update(float dt) {
    RebinIfMoved();
    m_elapsed += dt;
    Move(GetFrameTimeStep());
    AddPoolDrift(GetFactory());
    if (LifeOver()) {
        // Ends through its own contact rule, as a hit on itself.
        OnCollision(this);
        return;
    }
    SyncRigidBody(1);
}

void Bullet_RazerBase::OnCollision(Quorvex::Object* other) { OnCollisionConsumed(other); }

void Bullet_RazerBase::ReturnToFactory() {
    LeaveFlight();
    Quorvex::FactoryProductAdapter::ReturnToFactory();
}

void Bullet_RazerBase::Render(Quorvex::CalcVertexSet* list) {
    if (!list) return;
    m_sprite.position = m_areaPos.ToWorld();
    m_sprite.rotation = m_orientation;
    if (list->renderStatePreset != m_blendMode) Quorvex::PushRenderStatePreset(list, m_blendMode);
    PushSprite(list);
}
