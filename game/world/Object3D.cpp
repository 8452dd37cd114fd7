#include "game/world/Object3D.h"

#include "engine/core/Environment.h"
#include "game/world/Area.h"
#include "game/world/CollisionShapeSet.h"

namespace {

const wchar_t kNoAreaManager[] = L"エリア管理クラスが登録されていません";

const void* BodyKey(const PlaneRigidBody* body) { return static_cast<const btCollisionObject*>(body); }

void AddBodyTo(btDynamicsWorld* world, PlaneRigidBody* body) {
    if (world && body && body->getWorldArrayIndex() < 0) world->addRigidBody(body);
}

void RemoveBodyFrom(btDynamicsWorld* world, PlaneRigidBody* body) {
    if (world && body && body->getWorldArrayIndex() >= 0) world->removeRigidBody(body);
}

btTransform TransformOf(const Quorvex::AreaPos& position, const D3DXQUATERNION& q) {
    const D3DXVECTOR3 origin = position.ToWorld();
    return btTransform(btQuaternion(q.x, q.y, q.z, q.w), btVector3(origin.x, origin.y, origin.z));
}

}  // namespace

// ---- PlaneRigidBody

PlaneRigidBody::PlaneRigidBody(const btRigidBodyConstructionInfo& info, Object3D* owner) : btRigidBody(info) {
    setUserPointer(owner);
    m_checkCollideWith = 1;
}

bool PlaneRigidBody::checkCollideWithOverride(const btCollisionObject* other) const {
    Object3D* owner = GetOwner();
    const auto* body = dynamic_cast<const PlaneRigidBody*>(other);
    Object3D* otherOwner = body ? body->GetOwner() : nullptr;
    // Only owners can be asked; a body without one collides.
    if (!owner || !otherOwner) return true;
    return owner->CanCollide(otherOwner);
}

// ---- PlaneMotionState

PlaneMotionState::PlaneMotionState(const btTransform& start) : btDefaultMotionState(start) { UpdateMatrix(); }

void PlaneMotionState::getWorldTransform(btTransform& transform) const {
    const D3DXMATRIX& m = m_matrix;
    transform.setBasis(btMatrix3x3(m._11, m._21, m._31, m._12, m._22, m._32, m._13, m._23, m._33));
    transform.setOrigin(btVector3(m._41, m._42, m._43));
}

void PlaneMotionState::setWorldTransform(const btTransform& transform) {
    btDefaultMotionState::setWorldTransform(transform);
    UpdateMatrix();
}

void PlaneMotionState::UpdateMatrix() {
    const btMatrix3x3& b = m_graphicsWorldTrans.getBasis();
    const btVector3& o = m_graphicsWorldTrans.getOrigin();
    // Row i of the row-vector matrix is column i of the basis.
    m_matrix = D3DXMATRIX(b[0][0], b[1][0], b[2][0], 0.0f, b[0][1], b[1][1], b[2][1], 0.0f, b[0][2], b[1][2], b[2][2],
                          0.0f, o.x(), o.y(), o.z(), 1.0f);
}

// ---- Object3D

Object3D::Object3D(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                   const Quorvex::AreaPos& position)
    : Quorvex::RenderObject(objectManager, objectManager ? 3u : 0u), m_pAreaManager(areaManager), m_areaPos(position) {
    if (m_pAreaManager) SetArea(m_pAreaManager->FindArea(m_areaPos.GetCell(), 0));
}

Object3D::~Object3D() {
    LeaveArea();
    RemoveRigidBody();
}

Quorvex::ObjectManager* Object3D::GetObjectManager() const {
    return dynamic_cast<Quorvex::ObjectManager*>(GetManager());
}

void Object3D::Finalize() {
    LeaveArea();
    RemoveRigidBody();
    Quorvex::RenderObject::Finalize();
}

void Object3D::Update(float timeStep) {
    Quorvex::RenderObject::Update(timeStep);
    if (m_pArea && !SameCell(m_areaPos.GetCell(), m_pArea->GetCell())) UpdateArea();
}

DWORD Object3D::RequestRemove(bool remove) {
    if (m_pArea) {
        // Taking the request back also takes the object back out of the
        // Area's removals, so a reused object keeps its Area and body.
        if (remove)
            m_pArea->RequestSubObject(this);
        else
            m_pArea->CancelSubObject(this);
    }
    return Quorvex::RenderObject::RequestRemove(remove);
}

float Object3D::GetDrawPriority() {
    Quorvex::ObjectManager* manager = GetObjectManager();
    if (!manager) return Quorvex::RenderObject::GetDrawPriority();
    const D3DXMATRIX& v = manager->GetViewMatrix();
    const D3DXVECTOR3 p = m_areaPos.ToWorld();
    const float depth = p.x * v._13 + p.y * v._23 + p.z * v._33 + v._43;
    SetDrawPriority(depth);
    return depth;
}

void Object3D::UpdateArea() {
    if (!m_pAreaManager) throw kNoAreaManager;
    auto hold = AreaManager::LockAreas(m_pAreaManager);
    if (m_pArea) m_pArea->RequestSubObject(this);
    SetArea(m_pAreaManager->FindArea(m_areaPos.GetCell(), 0));
}

void Object3D::SetArea(Area* area) {
    if (area == m_pArea) return;
    auto hold = AreaManager::LockAreas(m_pAreaManager);
    Area* old = m_pArea;
    // Leaving may drop the last reference to this object; finish first.
    const bool keepAlive = old && GetRefCount() > 0;
    if (keepAlive) AddRef();
    if (old) {
        if (m_pRigidBody && !area) RemoveBodyFrom(old->GetWorld(), m_pRigidBody);
        m_pArea = nullptr;
        old->SubObject(this);
    }
    m_pArea = area;
    if (area) {
        area->AddObject(this);
        if (m_pRigidBody) AddBodyTo(area->GetWorld(), m_pRigidBody);
    }
    if (keepAlive) Release();
}

void Object3D::LeaveArea() {
    if (m_pArea) SetArea(nullptr);
}

bool Object3D::CanCollide(Object3D*) { return true; }

int Object3D::CreateRigidBody(CollisionShapeSet* set, BYTE kinematic, float restitution, float angularFactor) {
    if (!set || !set->GetShape()) return -1;
    auto* motionState = new PlaneMotionState(TransformOf(m_areaPos, m_orientation));
    btRigidBody::btRigidBodyConstructionInfo info(set->GetMass(), motionState, set->GetShape(),
                                                  set->GetLocalInertia());
    const int result = SetRigidBody(info);
    PlaneRigidBody* body = m_pRigidBody;
    if (!body) return result;
    body->setRestitution(restitution);
    const D3DXVECTOR3 gravity =
        Quorvex::g_pEnvironment ? *Quorvex::g_pEnvironment->GetGravity() : D3DXVECTOR3(0.0f, -9.8f, 0.0f);
    body->setGravity(btVector3(gravity.x, gravity.y, gravity.z));
    body->setAngularFactor(angularFactor);
    int flags = body->getCollisionFlags() | btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK;
    if (kinematic) flags |= btCollisionObject::CF_KINEMATIC_OBJECT;
    body->setCollisionFlags(flags);
    return result;
}

int Object3D::SetRigidBody(const btRigidBody::btRigidBodyConstructionInfo& info) {
    RemoveRigidBody();
    m_pRigidBody = new PlaneRigidBody(info, this);
    return AddRigidBody(m_pRigidBody);
}

int Object3D::AddRigidBody(PlaneRigidBody* body) {
    if (!body) return -1;
    auto hold = AreaManager::LockAreas(m_pAreaManager);
    if (Quorvex::ObjectManager* manager = GetObjectManager()) manager->SetBodyOwner(BodyKey(body), this);
    if (m_pArea) AddBodyTo(m_pArea->GetWorld(), body);
    return 0;
}

void Object3D::RemoveRigidBody() {
    PlaneRigidBody* body = m_pRigidBody;
    if (!body) return;
    // An object outside every Area whose body is in no world may outlive the
    // area manager; it must not reach for it then.
    if (m_pArea || body->getWorldArrayIndex() >= 0) {
        auto hold = AreaManager::LockAreas(m_pAreaManager);
        btDynamicsWorld* world = m_pArea ? m_pArea->GetWorld() : nullptr;
        if (!world && m_pAreaManager) world = m_pAreaManager->GetDynamicsWorld();
        RemoveBodyFrom(world, body);
    }
    if (Quorvex::ObjectManager* manager = GetObjectManager()) manager->SetBodyOwner(BodyKey(body), nullptr);
    m_pRigidBody = nullptr;
    delete body->getMotionState();
    delete body;
}

void Object3D::SyncRigidBody(int mode) {
    PlaneRigidBody* body = m_pRigidBody;
    if (!body) return;
    if (mode != 1 && mode != 2) mode = (body->getCollisionFlags() & 3) ? 1 : 2;
    if (mode == 1) {
        const btTransform transform = TransformOf(m_areaPos, m_orientation);
        body->setWorldTransform(transform);
        // The library reloads kinematic bodies from their motion state at
        // every step; without this a push would snap back.
        if (body->isKinematicObject() && body->getMotionState()) body->getMotionState()->setWorldTransform(transform);
        body->activate(true);
        return;
    }
    const btTransform& transform = body->getWorldTransform();
    const btVector3& origin = transform.getOrigin();
    m_areaPos = Quorvex::AreaPos::FromWorld(D3DXVECTOR3(origin.x(), origin.y(), origin.z()));
    btQuaternion q;
    transform.getBasis().getRotation(q);
    // Stored with the w sign flipped: callers rely on this convention.
    m_orientation = D3DXQUATERNION(q.x(), q.y(), q.z(), -q.w());
}

D3DXMATRIX MakeWorldMatrix(const D3DXQUATERNION& orientation, const D3DXVECTOR3& position, float scale) {
    D3DXMATRIX world;
    D3DXMatrixRotationQuaternion(&world, &orientation);
    if (scale != 1.0f) {
        D3DXMATRIX scaling;
        const D3DXMATRIX rotation = world;
        D3DXMatrixScaling(&scaling, scale, scale, scale);
        D3DXMatrixMultiply(&world, &scaling, &rotation);
    }
    world._41 = position.x;
    world._42 = position.y;
    world._43 = position.z;
    return world;
}
