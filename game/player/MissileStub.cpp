#include "game/player/MissileStub.h"

#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/player/PlayerResources.h"

using Quorvex::AreaPos;

MissileStub::MissileStub(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager)
    : Character(manager, areaManager, AreaPos()) {}

MissileStub::~MissileStub() {
    m_mesh.SetMesh(nullptr);
    m_type = 0;
}

int MissileStub::Initialize(int) {
    RequestRemove(false);
    if (Quorvex::IObjectManager* manager = GetManager()) manager->AddObject(this);
    JoinRenderStage(this, "SolidModel");
    if (GetAreaManager()) UpdateArea();
    SetType(1);
    ResetPose();
    return 0;
}

void MissileStub::ResetPose() {
    m_areaPos = AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    D3DXQuaternionRotationYawPitchRoll(&m_orientation, 0.0f, 0.0f, D3DX_PI / 4.0f);
}

void MissileStub::Finalize() {
    if (m_type != 0) {
        m_mesh.SetMesh(nullptr);
        m_type = 0;
    }
    LeaveRenderStage(this);
    RequestRemove(true);
}

void MissileStub::SetType(int type) {
    if (type == m_type) return;
    m_type = type;
    m_mesh.SetMesh(nullptr);
    const char* id = (type == 1 || type == 2) ? "missile" : (type == 3 ? "Mesh_Nuke2" : nullptr);
    if (!id) return;
    Quorvex::ObjectManager* manager = GetObjectManagerOf(this);
    if (manager && manager->GetResourceManager()) m_mesh.SetMesh(manager->GetResourceManager(), id);
}

void MissileStub::Render(Quorvex::CalcVertexSet* list) {
    if (!shown || !m_mesh.GetMesh()) return;
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushDrawObject(list, this);
}

void MissileStub::Draw() {
    const D3DXVECTOR3 world = m_areaPos.ToWorld();
    D3DXMATRIX turn, place;
    D3DXMatrixRotationQuaternion(&turn, &m_orientation);
    D3DXMatrixTranslation(&place, world.x, world.y, world.z);
    Quorvex::DrawMeshInfo(m_mesh, turn * place);
}
