#include "game/player/PlayerStub.h"

#include <cstring>

#include "engine/assets/MeshUnit.h"
#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/player/AfterBurner.h"
#include "game/player/PlayerResources.h"

using Quorvex::AreaPos;

PlayerStub::PlayerStub(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const AreaPos& start)
    : Character(manager, areaManager, start) {}

PlayerStub::~PlayerStub() {
    // Cleared at once so the model's release below does not release it again.
    if (m_animation) {
        m_animation->Release();
        m_animation = nullptr;
    }
    SetModel(0);
}

int PlayerStub::Initialize(int) { return Initialize(InitParam{}); }

int PlayerStub::Initialize(const InitParam& record) {
    RequestRemove(false);
    if (Quorvex::IObjectManager* manager = GetManager()) manager->AddObject(this);
    JoinRenderStage(this, "SolidModel");
    if (GetAreaManager()) UpdateArea();
    SetModel(record.type);
    ResetPose();
    return 0;
}

void PlayerStub::ResetPose() {
    m_areaPos = AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    m_orientation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    engineLevel = 0.5f;
}

void PlayerStub::SetModel(int type) {
    if (type == m_characterType) return;
    for (AfterBurner* flame : m_flames) {
        LeaveRenderStage(flame);
        flame->Release();
    }
    m_flames.clear();
    if (m_animation) {
        m_animation->Release();
        m_animation = nullptr;
    }
    m_pilotMesh.SetMesh(nullptr);
    m_characterType = type;
    if (type <= 0 || type > 3) return;

    Quorvex::ObjectManager* manager = GetObjectManagerOf(this);
    if (!manager || !manager->GetResourceManager()) return;
    const bool toska = type == 3;
    if (m_pilotMesh.SetMesh(manager->GetResourceManager(), toska ? "Mesh_Toska" : "Mesh_Velrin") < 0) return;
    Quorvex::MeshUnit* mesh = m_pilotMesh.GetMesh();
    const int flames = AfterBurner::CountAttachments(mesh->GetRootFrame());
    for (int i = 0; i < flames; ++i) {
        auto* flame = new AfterBurner(GetManager());
        flame->AddRef();
        flame->keepDepth = true;
        flame->Initialize(0);
        m_flames.push_back(flame);
    }
    if (FAILED(mesh->CloneAnimationController(&m_animation))) {
        m_animation = nullptr;
        throw L"Fail CloneAnimationController";
    }
    if (m_animation) {
        ID3DXAnimationSet* set = nullptr;
        const char* name = toska ? "AnimationSet_toska5nj" : "AnimationSet_velrin_nj";
        const int index = FindAnimationSet(name);
        if (index >= 0 && SUCCEEDED(m_animation->GetAnimationSet(static_cast<UINT>(index), &set)) && set) {
            m_animation->SetTrackAnimationSet(0, set);
            m_animation->SetTrackEnable(0, TRUE);
            m_animation->SetTrackWeight(0, 1.0f);
            set->Release();
        }
    }
}

int PlayerStub::FindAnimationSet(const char* name) const {
    if (!m_animation || !name) return -1;
    const size_t length = std::strlen(name);
    const UINT count = m_animation->GetNumAnimationSets();
    for (UINT i = 0; i < count; ++i) {
        ID3DXAnimationSet* set = nullptr;
        if (FAILED(m_animation->GetAnimationSet(i, &set)) || !set) continue;
        const char* setName = set->GetName();
        const bool match = setName && std::strncmp(setName, name, length) == 0;
        set->Release();
        if (match) return static_cast<int>(i);
    }
    return -1;
}

DWORD PlayerStub::EngineFrequency(float level) { return 22050 + static_cast<DWORD>(44100.0f * level); }

void PlayerStub::Update(float dt) {
    Object3D::Update(dt);
    SyncRigidBody(0);
    if (!engineSound) return;
    if (Quorvex::SoundUnit* sound = FindSoundUnit(L"wind_jet")) {
        sound->SetPosition(m_areaPos);
        sound->Play(Quorvex::SoundUnit::PLAY_LOOP, &m_areaPos);
        sound->SetFrequency(EngineFrequency(engineLevel));
        sound->SetVolume(engineLevel);
    }
}

void PlayerStub::Render(Quorvex::CalcVertexSet* list) {
    const D3DXVECTOR3 world = m_areaPos.ToWorld();
    const D3DXQUATERNION parent = AfterBurner::MachineRotation(engineLevel, m_orientation);
    for (size_t i = 0; i < m_flames.size(); ++i)
        m_flames[i]->PlaceOnMachine(static_cast<int>(i), engineLevel, world, parent);
    if (m_pilotMesh.GetMesh()) Quorvex::PushDrawObject(list, this);
}

void PlayerStub::Draw() {
    if (m_animation) m_animation->AdvanceTime(GetElapsedRenderTime(), nullptr);
    const float scale = m_characterType == 3 ? 0.7f : 1.0f;
    Quorvex::DrawMeshInfo(m_pilotMesh,
                          AfterBurner::MachineMatrix(engineLevel, scale, m_orientation, m_areaPos.ToWorld()));
}
