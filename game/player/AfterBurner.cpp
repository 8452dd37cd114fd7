#include "game/player/AfterBurner.h"

#include <cstring>

#include "engine/assets/MeshUnit.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/player/PlayerResources.h"

AfterBurner::AfterBurner(Quorvex::IObjectManager* manager) : Quorvex::RenderObject(manager, 0) {}

AfterBurner::~AfterBurner() = default;

int AfterBurner::Initialize(int) {
    if (Quorvex::ObjectManager* manager = GetObjectManagerOf(this))
        if (manager->GetResourceManager()) m_mesh.SetMesh(manager->GetResourceManager(), "AfterBurner");
    JoinRenderStage(this, "Sprite3D");
    return 0;
}

D3DXMATRIX AfterBurner::GetWorldMatrix() const {
    D3DXMATRIX s, r, t, pr, pt, world;
    D3DXMatrixScaling(&s, scale.x, scale.y, scale.z);
    D3DXMatrixRotationQuaternion(&r, &rotation);
    D3DXMatrixTranslation(&t, position.x, position.y, position.z);
    D3DXMatrixRotationQuaternion(&pr, &parentRotation);
    D3DXMatrixTranslation(&pt, parentPosition.x, parentPosition.y, parentPosition.z);
    world = s * r * t * pr * pt;
    return world;
}

float AfterBurner::GetDrawPriority() {
    const D3DXMATRIX world = GetWorldMatrix();
    float depth = 0.0f;
    if (Quorvex::ObjectManager* manager = GetObjectManagerOf(this)) {
        const D3DXMATRIX& v = manager->GetViewMatrix();
        depth = world._41 * v._13 + world._42 * v._23 + world._43 * v._33 + v._43;
    }
    SetDrawPriority(depth);
    return depth;
}

void AfterBurner::Render(Quorvex::CalcVertexSet* list) {
    if (m_mesh.GetMesh()) Quorvex::PushDrawObject(list, this);
}

void AfterBurner::Draw() {
    Quorvex::MeshUnit* mesh = m_mesh.GetMesh();
    IDirect3DDevice9* device = GetDevice();
    if (!mesh || !device) return;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (!keepDepth) device->SetRenderState(D3DRS_ZENABLE, FALSE);
    mesh->m_colour.w = 0.15f;
    Quorvex::DrawMeshInfo(m_mesh, GetWorldMatrix());
    mesh->m_colour.w = 1.0f;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
}

namespace {
constexpr float kMaxTilt = 0.34906587f;  // 20 degrees at full level
}  // namespace

void AfterBurner::PlaceOnMachine(int index, float level, const D3DXVECTOR3& machinePosition,
                                 const D3DXQUATERNION& machineRotation) {
    const float i = static_cast<float>(index);
    position = D3DXVECTOR3(1.2f - 2.4f * i, 0.0f, -4.5f);
    D3DXQuaternionRotationYawPitchRoll(&rotation, D3DXToRadian((2.0f * i - 1.0f) * 20.0f), 0.0f,
                                       Quorvex::RandomFloat() * 2.0f * D3DX_PI);
    scale = D3DXVECTOR3(3.0f + 2.5f * level, 3.0f + 2.5f * level, 4.0f + 13.0f * level);
    parentPosition = machinePosition;
    parentRotation = machineRotation;
}

int AfterBurner::CountAttachments(const D3DXFRAME* frame) {
    int count = 0;
    for (; frame; frame = frame->pFrameSibling) {
        if (frame->Name && std::strncmp(frame->Name, "Flame", 5) == 0) ++count;
        count += CountAttachments(frame->pFrameFirstChild);
    }
    return count;
}

D3DXQUATERNION AfterBurner::MachineRotation(float level, const D3DXQUATERNION& orientation) {
    D3DXQUATERNION tilt, result;
    D3DXQuaternionRotationYawPitchRoll(&tilt, 0.0f, level * kMaxTilt, 0.0f);
    D3DXQuaternionMultiply(&result, &tilt, &orientation);
    return result;
}

D3DXMATRIX AfterBurner::MachineMatrix(float level, float scale, const D3DXQUATERNION& orientation,
                                      const D3DXVECTOR3& position) {
    D3DXMATRIX s, tilt, turn, place;
    D3DXMatrixScaling(&s, scale, scale, scale);
    D3DXMatrixRotationX(&tilt, level * kMaxTilt);
    D3DXMatrixRotationQuaternion(&turn, &orientation);
    D3DXMatrixTranslation(&place, position.x, position.y, position.z);
    return s * tilt * turn * place;
}
