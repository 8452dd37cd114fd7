#include "game/player/SpellBg.h"

#include "engine/assets/MeshUnit.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/player/PlayerResources.h"

SpellBg::SpellBg(Quorvex::IObjectManager* manager) : Quorvex::RenderObject(manager, 0) {}

SpellBg::~SpellBg() = default;

int SpellBg::Initialize(int) {
    Quorvex::ObjectManager* manager = GetObjectManagerOf(this);
    if (!manager || !manager->GetResourceManager()) return -1;
    if (m_mesh.SetMesh(manager->GetResourceManager(), "Mesh_SpellBg") < 0) return -1;
    SetDrawPriority(99999800.0f);
    JoinRenderStage(this, "Sprite3D");
    return 0;
}

void SpellBg::SetState(int state) {
    if (state == m_state) return;
    m_state = state;
    m_clock = 0.0f;
}

D3DXMATRIX SpellBg::WorldMatrix(float clock, const D3DXVECTOR3& eye) {
    D3DXMATRIX rotation, translation;
    D3DXMatrixRotationY(&rotation, clock * 2.0f * D3DX_PI * -0.3f);
    D3DXMatrixTranslation(&translation, eye.x, eye.y, eye.z);
    return rotation * translation;
}

void SpellBg::Render(Quorvex::CalcVertexSet* list) {
    if (m_state == 0 || m_state == 2) Quorvex::PushDrawObject(list, this);
}

void SpellBg::Draw() {
    if (m_state != 0 && m_state != 2) return;
    Quorvex::ObjectManager* manager = GetObjectManagerOf(this);
    Quorvex::MeshUnit* mesh = m_mesh.GetMesh();
    IDirect3DDevice9* device = GetDevice();
    if (manager && mesh && device) {
        const D3DXMATRIX world = WorldMatrix(m_clock, manager->GetCamera().eye);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        Quorvex::ShaderManager* shaders = manager->GetShaderManager();
        Quorvex::FogParam savedFog;
        if (shaders) {
            savedFog = shaders->GetFog();
            shaders->SetFog(Quorvex::FogParam{});
        }
        mesh->m_colour = D3DXVECTOR4(0.5f, 0.5f, 0.5f, 0.5f);
        Quorvex::DrawMeshInfo(m_mesh, world);
        mesh->m_colour = D3DXVECTOR4(1.0f, 1.0f, 1.0f, 1.0f);
        if (shaders) shaders->SetFog(savedFog);
        device->SetRenderState(D3DRS_ZENABLE, TRUE);
    }
    m_clock += GetElapsedRenderTime();
}
