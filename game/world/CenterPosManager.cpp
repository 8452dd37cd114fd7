#include "game/world/CenterPosManager.h"

#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/world/Area.h"
#include "game/world/CollisionShapeSet.h"

CenterPosManager::CenterPosManager(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                   const Quorvex::AreaPos& position)
    : Object3D(objectManager, areaManager, position), m_lastPos(position) {}

CenterPosManager::~CenterPosManager() {
    Object3D* followed = m_pFollowed;
    m_pFollowed = nullptr;
    if (followed) followed->Release();
    // The game state's reference is what kept this alive; it only forgets it.
    if (g_pEnvironment2 && g_pEnvironment2->centerPosManager == this) g_pEnvironment2->centerPosManager = nullptr;
}

int CenterPosManager::Initialize(int param) {
    const int result = Object3D::Initialize(param);
    if (result < 0) return result;
    SetUpdatePriority(210);
    if (Quorvex::ObjectManager* manager = GetObjectManager()) AttachStage(manager->GetRenderStage("SolidModel"));

    CollisionShapeSet* set = m_pAreaManager ? m_pAreaManager->FindShapeSet(L"CenterObject") : nullptr;
    if (set) {
        CreateRigidBody(set, 0, 0.0f, 0.0f);
        if (m_pRigidBody) m_pRigidBody->setGravity(btVector3(0.0f, 0.0f, 0.0f));
    } else {
        Quorvex::MessageLogManager::Instance().Log(L"CenterPosManager::Initialize",
                                                   L"collision shape \"CenterObject\" is not registered");
    }
    if (g_pEnvironment2) g_pEnvironment2->SetCenterPosManager(this);
    Update(0.0f);
    return 0;
}

bool CenterPosManager::CanCollide(Object3D*) { return false; }

void CenterPosManager::Update(float) {
    SyncRigidBody(2);
    // Also when the centre cell had no Area yet: only an object in an Area has
    // its body shifted with the world.
    if (!GetArea() || !SameCell(m_areaPos.GetCell(), GetArea()->GetCell())) {
        if (m_pAreaManager) UpdateArea();
    }

    if (!m_pFollowed && g_pEnvironment2) {
        Object3D* candidate = ObjectOf(g_pEnvironment2->player);
        if (!candidate) candidate = g_pEnvironment2->followedObject;
        if (candidate) {
            candidate->AddRef();
            m_pFollowed = candidate;
        }
    }
    if (!m_pFollowed) return;

    // How far the followed object is outside the box around the centre.
    const D3DXVECTOR3 p = m_pFollowed->GetWorldPosition();
    const D3DXVECTOR3 c = GetWorldPosition();
    const float pv[3] = {p.x, p.y, p.z};
    const float cv[3] = {c.x, c.y, c.z};
    const float lo[3] = {m_boxMin.x, m_boxMin.y, m_boxMin.z};
    const float hi[3] = {m_boxMax.x, m_boxMax.y, m_boxMax.z};
    float push[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 3; ++i) {
        const float below = pv[i] - (cv[i] + lo[i]);
        if (below < 0.0f) push[i] += below;
        const float above = pv[i] - (cv[i] + hi[i]);
        if (above > 0.0f) push[i] += above;
    }
    m_push = D3DXVECTOR3(push[0], push[1], push[2]);
    m_lastPos = m_areaPos;

    // The body carries the move; the next pull brings the position along.
    if (m_pRigidBody)
        m_pRigidBody->getWorldTransform().getOrigin() += btVector3(push[0], push[1], push[2]);
    else
        m_areaPos.Add(m_push);

    if (g_pEnvironment2) {
        g_pEnvironment2->centerInfo.pos = m_lastPos;
        g_pEnvironment2->centerInfo.move = m_push;
    }
    if (m_pAreaManager) {
        const D3DXVECTOR3 offset(m_lastPos.x.offset, m_lastPos.y.offset, m_lastPos.z.offset);
        m_pAreaManager->SetCentralPoint(m_lastPos.GetCell(), offset, 0);
    }
}

void CenterPosManager::Dump() {
    if (!Quorvex::g_pEnvironment) return;
    const Quorvex::Int3 cell = m_areaPos.GetCell();
    const D3DXVECTOR3 world = m_areaPos.ToWorld();
    Quorvex::g_pEnvironment->AppendInfoText(L"------ CenterPosManager ------\r\n");
    const std::wstring line =
        FormatW(L"area:[ %d, %d, %d ] Pos:[ %.3f, %.3f, %.3f ] RefPos:[ %.3f, %.3f, %.3f ] \r\n", cell.x, cell.y,
                cell.z, m_areaPos.x.offset, m_areaPos.y.offset, m_areaPos.z.offset, world.x, world.y, world.z);
    Quorvex::g_pEnvironment->AppendInfoText(line.c_str());
}

IUnknown* CountedOf(CenterPosManager* manager) { return manager; }
