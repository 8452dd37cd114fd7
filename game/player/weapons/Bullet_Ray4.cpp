#include "game/player/weapons/Bullet_Ray4.h"

#include <cmath>

#include "engine/assets/MeshUnit.h"
#include "engine/assets/devices/SoundUnit.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/player/PlayerResources.h"
#include "game/world/CollisionShapeSet.h"

Bullet_Ray4::~Bullet_Ray4() = default;

int Bullet_Ray4::Initialize(int param) {
    Bullet::Initialize(param);
    Quorvex::ObjectManager* manager = GetObjectManager();
    Quorvex::IResourceManager* resources = manager ? manager->GetResourceManager() : nullptr;
    if (resources && mesh.SetMesh(resources, "Mesh_Ray") < 0)
        Quorvex::MessageLogManager::Instance().Log(L"Bullet_Ray4", L"Mesh_Ray is missing");
    flare.Reset();
    flare.ResetTransform();
    flare.SetMaterial(FindMaterial(GetManager(), "matFlare"));
    flare.color = 0xFFC0C0FF;
    flare.width = 1.0f;
    flare.height = 1.0f;
    flare.uv[0] = D3DXVECTOR2(0.01f, 0.01f);
    flare.uv[1] = D3DXVECTOR2(0.99f, 0.01f);
    flare.uv[2] = D3DXVECTOR2(0.01f, 0.99f);
    flare.uv[3] = D3DXVECTOR2(0.99f, 0.99f);
    return 0;
}

int Bullet_Ray4::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    BeginLaunch(record->objectManager, "Sprite3DOver");
    m_owner = record->owner;
    m_areaPos = record->start;
    m_orientation = record->orientation;
    elapsed = 0.0f;
    length = record->length;
    grow = 0.0f;
    width = record->width;
    fade = -1.0f;
    rate = 1.0f;
    collideWhenGrown = true;
    SetSide(record->side != 0);
    m_attackPower = kAttackPower;
    if (Quorvex::SoundUnit* sound = FindSoundUnit(L"val3")) sound->Play(Quorvex::SoundUnit::PLAY_REWIND);
    return 0;
}

void Bullet_Ray4::SwitchBodies(bool on) {
    if (!on) {
        RemoveRigidBody();
        return;
    }
    Quorvex::IAreaManager* areas = GetAreaManager();
    CollisionShapeSet* shape = areas ? areas->FindShapeSet(L"RayLarge") : nullptr;
    CreateRigidBody(shape, 0, 0.0f, 0.0f);
    SyncRigidBody(1);
}

void Bullet_Ray4::Update(float dt) {
    RebinIfMoved();
    elapsed += dt;
    AddPoolDrift(GetFactory());
    if (!GrowAndFade(dt, false)) return;
    SyncRigidBody(1);
}

float Bullet_Ray4::FlareSize(float time) {
    return ((std::sin(time * 2.0f * D3DX_PI * 10.0f) + 1.0f) * 0.5f * 0.25f + 2.35f) * 25.0f;
}

float Bullet_Ray4::BeamAlpha(float time, float growth) {
    return ((std::sin(time * 2.0f * D3DX_PI) + 1.0f) * 0.5f * 0.2f + 0.8f) * growth * 0.25f;
}

void Bullet_Ray4::Render(Quorvex::CalcVertexSet* list) {
    if (!list) return;
    const float size = FlareSize(elapsed);
    flare.width = size;
    flare.height = size;
    spin += GetFrameTimeStep();
    flare.position =
        m_areaPos.ToWorld() + Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 10.0f), m_orientation);
    if (list->renderStatePreset != 3) Quorvex::PushRenderStatePreset(list, 3);
    flare.rotation = D3DXQUATERNION(spin, 0.0f, 0.0f, 0.0f);
    Quorvex::PushSprite3DBillboard(list, flare);
    flare.rotation = D3DXQUATERNION(-spin, 0.0f, 0.0f, 0.0f);
    Quorvex::PushSprite3DBillboard(list, flare);
    if (mesh.GetMesh()) Quorvex::PushDrawObject(list, this);
}

void Bullet_Ray4::Draw() {
    Quorvex::MeshUnit* unit = mesh.GetMesh();
    IDirect3DDevice9* device = GetDevice();
    Quorvex::ObjectManager* manager = GetObjectManager();
    Quorvex::ShaderManager* shaders = manager ? manager->GetShaderManager() : nullptr;
    if (!unit || !device) return;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    D3DXMATRIX scaling, roll, rotation, translation;
    D3DXMatrixScaling(&scaling, kMeshScale * grow, kMeshScale * grow, kMeshScale);
    D3DXMatrixRotationZ(&roll, Quorvex::RandomFloat() * 2.0f * D3DX_PI);
    D3DXMatrixRotationQuaternion(&rotation, &m_orientation);
    const D3DXVECTOR3 at = m_areaPos.ToWorld();
    D3DXMatrixTranslation(&translation, at.x, at.y, at.z);
    const D3DXMATRIX world = scaling * roll * rotation * translation;
    const float alpha = BeamAlpha(elapsed, grow);
    // Through the blend presets, so that their cache stays true for the
    // sprites drawn after the beam.
    if (shaders) shaders->SetBlendMode(2);
    unit->m_colour.w = alpha;
    Quorvex::DrawMeshInfo(mesh, world);
    if (shaders) shaders->SetBlendMode(3);
    unit->m_colour.w = alpha * 0.15f;
    Quorvex::DrawMeshInfo(mesh, world);
    unit->m_colour.w = 1.0f;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}
