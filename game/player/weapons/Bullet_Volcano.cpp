#include "game/player/weapons/Bullet_Volcano.h"

#include <boost/bind/bind.hpp>

#include "engine/assets/MeshUnit.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectObject.h"

using Quorvex::AreaPos;

namespace {

float Degrees(float degrees) { return D3DXToRadian(degrees); }

// The lava's look: a short additive glow thrown outward along its turn.
void SetLavaLook(Effect_GeneralPurpose* sprite, float size, const D3DXQUATERNION& turn) {
    const float speed = 200.0f + 200.0f * Quorvex::RandomFloat();
    sprite->m_velocity = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, speed), turn);
    sprite->m_mode = Effect_GeneralPurpose::ModeBillboard;
    sprite->m_blend = 3;
    sprite->m_baseWidth = size;
    sprite->m_baseHeight = size;
    const BYTE start[4] = {255, 255, 255, 255};
    const BYTE end[4] = {255, 255, 160, 96};
    std::copy(start, start + 4, sprite->m_startColor);
    std::copy(end, end + 4, sprite->m_endColor);
    sprite->m_fadeIn = 0.1f;
    sprite->m_fadeOutStart = 0.4f;
    sprite->m_fadeOutEnd = 1.0f;
    sprite->m_scaleFrom = D3DXVECTOR3(0.5f, 0.5f, 0.5f);
    sprite->m_scaleTo = D3DXVECTOR3(1.5f, 1.5f, 1.5f);
    sprite->m_scaleStart = 0.0f;
    sprite->m_scaleEnd = 1.0f;
    sprite->m_sprite.rotation.x = Quorvex::RandomFloat() * 2.0f * D3DX_PI;
}

}  // namespace

Bullet_Volcano::Bullet_Volcano(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                               const AreaPos& start)
    : Bullet(manager, areaManager, start) {}

Bullet_Volcano::~Bullet_Volcano() { UnhookLava(); }

int Bullet_Volcano::Initialize(int param) {
    Bullet::Initialize(param);
    Quorvex::ObjectManager* manager = GetObjectManager();
    Quorvex::IResourceManager* resources = manager ? manager->GetResourceManager() : nullptr;
    if (resources && mesh.SetMesh(resources, "Mesh_Volcano") < 0)
        Quorvex::MessageLogManager::Instance().Log(L"Bullet_Volcano", L"Mesh_Volcano is missing");
    return 0;
}

int Bullet_Volcano::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    Launch(*record);
    return 0;
}

void Bullet_Volcano::Launch(const SetParam& record) {
    BeginLaunch(record.objectManager, "Sprite3D");
    m_owner = record.owner;
    m_areaPos = record.start;
    scalar = record.scalar;
    progress = 0.0f;
    m_orientation = record.orientation;
    velocity = record.vector;
    scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    Explode(80.0f, 0x31);
    SetSide(record.side != 0);
    m_attackPower = kAttackPower;
    for (int i = 0; i < kLaunchSprites; ++i) {
        const float size = (Quorvex::RandomFloat() * 250.0f + 10.0f) * 0.5f;
        const float yaw = Degrees(Quorvex::RandomFloat() * 360.0f);
        const float pitch = Degrees(Quorvex::RandomFloat() * 60.0f - 30.0f + 180.0f);
        const float roll = Degrees(Quorvex::RandomFloat() * 360.0f);
        SpawnLava(size, Quorvex::YawPitchRollQuaternion(yaw, pitch, roll));
    }
}

bool Bullet_Volcano::SpawnLava(float size, const D3DXQUATERNION& turn) {
    EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr;
    if (!effects) return false;
    D3DXVECTOR3 at = m_areaPos.ToWorld();
    at.y += 10.0f;
    Effect_GeneralPurpose* sprite = effects->SpawnGeneralPurpose(at, "matYougan3", "Sprite3D");
    if (!sprite) return false;
    SetLavaLook(sprite, size, turn);
    // A sprite that ends leaves the set, so the dome never moves a sprite
    // the effect pool has handed to someone else.
    sprite->m_finish = boost::bind(&Bullet_Volcano::RemoveLava, this, boost::placeholders::_1);
    lava.insert(sprite);
    return true;
}

void Bullet_Volcano::RemoveLava(EffectObject* sprite) { lava.erase(static_cast<Effect_GeneralPurpose*>(sprite)); }

void Bullet_Volcano::UnhookLava() {
    for (Effect_GeneralPurpose* sprite : lava) sprite->m_finish.clear();
    lava.clear();
}

void Bullet_Volcano::Update(float dt) {
    RebinIfMoved();
    progress += dt * 0.5f;
    if (progress > 1.0f) {
        ReturnToFactory();
        return;
    }
    scale = D3DXVECTOR3(1000.0f * progress, 1000.0f * progress, 1500.0f * progress);
    const D3DXVECTOR3 drift = GetPoolDrift(GetFactory());
    m_areaPos.Add(drift);
    m_areaPos.Add(velocity * dt);
    for (Effect_GeneralPurpose* sprite : lava) sprite->Shift(drift);
    const float size = (Quorvex::RandomFloat() * 500.0f + 30.0f) * 0.5f;
    const float heading = Quorvex::RandomFloat() * 2.0f * D3DX_PI;
    const float pitch = Degrees(Quorvex::RandomFloat() * 20.0f - 10.0f);
    D3DXQUATERNION turn = Quorvex::YawPitchRollQuaternion(heading, pitch, 0.0f);
    D3DXQuaternionMultiply(&turn, &turn, &m_orientation);
    SpawnLava(size, turn);
}

void Bullet_Volcano::OnCollision(Quorvex::Object* other) { OnCollisionPiercing(other); }

void Bullet_Volcano::ReturnToFactory() {
    LeaveFlight();
    // The sprites play on by themselves.
    UnhookLava();
    Quorvex::FactoryProductAdapter::ReturnToFactory();
}

void Bullet_Volcano::Render(Quorvex::CalcVertexSet* list) {
    if (list && mesh.GetMesh()) Quorvex::PushDrawObject(list, this);
}

void Bullet_Volcano::Draw() {
    Quorvex::MeshUnit* unit = mesh.GetMesh();
    if (!unit) return;
    D3DXMATRIX scaling, rotation, translation;
    D3DXMatrixScaling(&scaling, scale.x, scale.y, scale.z);
    D3DXMatrixRotationQuaternion(&rotation, &m_orientation);
    const D3DXVECTOR3 at = m_areaPos.ToWorld();
    D3DXMatrixTranslation(&translation, at.x, at.y, at.z);
    unit->m_colour = D3DXVECTOR4(1.0f, 1.0f, 1.0f, GetAlpha());
    Quorvex::DrawMeshInfo(mesh, scaling * rotation * translation);
    unit->m_colour = D3DXVECTOR4(1.0f, 1.0f, 1.0f, 1.0f);
}
