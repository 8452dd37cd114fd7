#include "game/player/weapons/MarkerGenerator.h"

#include <algorithm>

#include "engine/assets/ResourceManager.h"
#include "engine/core/AreaPos.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/RenderStage.h"
#include "game/player/PlayerResources.h"
#include "game/player/weapons/Bullet.h"
#include "game/player/weapons/LockonMarker.h"
#include "game/world/Character.h"

namespace {

// The generator's lock, or none once the generator is gone.
std::unique_lock<std::recursive_mutex> LockOf(const MarkerGenerator* generator) {
    if (!generator) return std::unique_lock<std::recursive_mutex>();
    return std::unique_lock<std::recursive_mutex>(generator->GetLock());
}

void Hold(Quorvex::Object* object) {
    if (object) object->AddRef();
}

void Drop(Quorvex::Object* object) {
    if (object) object->Release();
}

}  // namespace

// ---- Marker ----

Marker::Marker(MarkerGenerator* owner)
    : Quorvex::RenderObject(owner ? owner->GetManager() : nullptr, 0), generator(owner) {
    m_sprite.Init();
    m_sprite.SetMaterial(FindMaterial(GetManager(), "matEffect2D"));
    m_sprite.color = 0xFFFFFFFF;
}

Marker::~Marker() { DropTarget(); }

void Marker::DropTarget() {
    Character* old = target;
    target = nullptr;
    Drop(old);
}

void Marker::SetCell(float u0, float v0, float u1, float v1) {
    m_sprite.uv[0] = D3DXVECTOR2(u0, v0);
    m_sprite.uv[1] = D3DXVECTOR2(u1, v0);
    m_sprite.uv[2] = D3DXVECTOR2(u0, v1);
    m_sprite.uv[3] = D3DXVECTOR2(u1, v1);
}

void Marker::Attach(Character* enemy, float lockAmount, int type) {
    auto lock = LockOf(generator);
    Hold(enemy);
    DropTarget();
    target = enemy;
    amount = lockAmount;
    MarkerType = type;
    MarkerState = MarkerLocked;
    if (type == MarkerTypeLock) {
        if (enemy) {
            enemy->AddGauge(-lockAmount);
            if (*enemy->GetGauge() <= 0.0f) enemy->SetGroupFlag(GroupLockable, false);
        }
        SetCell(0.25f, 0.0f, 0.5f, 0.25f);
        width = height = 0.08f;
        offsetX = offsetY = 0.0f;
    } else if (type == MarkerTypePlain) {
        MarkerState = MarkerPlain;
        // The plain cell is drawn with v flipped.
        SetCell(0.0f, 0.5f, 0.375f, 0.25f);
        width = 0.09f;
        height = 0.06f;
        offsetX = 0.0f;
        offsetY = 0.01875f;
    }
    UpdateScreenPositionLocked();
    // A marker that went straight back (target behind the camera) stays off
    // the screen.
    if (!target) return;
    JoinRenderStage(this, "Sprite2D");
}

void Marker::Detach(bool giveBack) {
    auto lock = LockOf(generator);
    if (target) {
        if (MarkerType == MarkerTypeLock) {
            target->AddGauge(giveBack ? amount : 0.0f);
            if (*target->GetGauge() > 0.0f) target->SetGroupFlag(GroupLockable, true);
        } else if (MarkerType == MarkerTypePlain && generator) {
            generator->ForgetEnemy(target);
        }
    }
    DropTarget();
    MarkerState = MarkerIdle;
}

void Marker::ReturnToPool() {
    auto lock = LockOf(generator);
    LeaveRenderStage(this);
    ++m_generation;
    if (generator) generator->MoveToFree(this);
    DropTarget();
}

void Marker::Release(Quorvex::Object* hitter) {
    auto lock = LockOf(generator);
    Detach(!target || hitter != target);
    ReturnToPool();
}

bool Marker::ReleaseIfCurrent(unsigned generation, Quorvex::Object* hitter) {
    auto lock = LockOf(generator);
    if (generation != m_generation) return false;
    Release(hitter);
    return true;
}

void Marker::SetFired() {
    auto lock = LockOf(generator);
    MarkerState = MarkerFired;
    SetCell(0.5f, 0.0f, 0.75f, 0.25f);
}

void Marker::UpdateScreenPosition() {
    auto lock = LockOf(generator);
    UpdateScreenPositionLocked();
}

void Marker::UpdateScreenPositionLocked() {
    if (!target) return;
    visible = true;
    if (MarkerType == MarkerTypePlain && *target->GetGauge() <= 0.0f) {
        visible = false;
        return;
    }
    Quorvex::ObjectManager* manager = GetObjectManagerOf(this);
    const D3DXVECTOR3 world = target->GetWorldPosition();
    D3DXVECTOR3 projected(0.0f, 0.0f, 0.0f), view(world);
    if (manager) {
        D3DXVec3TransformCoord(&projected, &world, &manager->GetViewProjection());
        D3DXVec3TransformCoord(&view, &world, &manager->GetViewMatrix());
    }
    const float aspect = GetScreenAspect();
    m_sprite.x = (projected.x * 0.5f + 0.5f) * aspect;
    m_sprite.y = 0.5f - projected.y * 0.5f;
    float z = view.z;
    if (z < 0.0f) {
        if (MarkerType != MarkerTypePlain) {
            Detach(true);
            ReturnToPool();
        }
        visible = false;
    }
    z = std::min(z, 1000.0f);
    const float s = 1.0f - 0.8f * (z * 0.001f);
    m_sprite.width = width * s;
    m_sprite.height = height * s;
    m_sprite.x += offsetX * s;
    m_sprite.y += offsetY * s;
}

void Marker::Render(Quorvex::CalcVertexSet* list) {
    auto lock = LockOf(generator);
    if (target && !target->IsRemoveRequested() && *target->GetLife() > 0.0f) {
        UpdateScreenPositionLocked();
        if (visible) {
            Quorvex::PushRenderStatePreset(list, 2);
            Quorvex::PushSprite2D(list, m_sprite);
        }
        return;
    }
    if (target) Detach(true);
    ReturnToPool();
}

// ---- MarkerLink ----

void MarkerLink::Set(Marker* marker) {
    Hold(marker);
    Marker* old = m_marker;
    m_marker = marker;
    m_generation = marker ? marker->GetGeneration() : 0;
    Drop(old);
}

Marker* MarkerLink::Get() const {
    return m_marker && m_marker->GetGeneration() == m_generation ? m_marker : nullptr;
}

void MarkerLink::Release(Quorvex::Object* hitter) {
    Marker* marker = m_marker;
    if (!marker) return;
    marker->ReleaseIfCurrent(m_generation, hitter);
    Set(nullptr);
}

// ---- MarkerGenerator::EnemyInfo ----

MarkerGenerator::EnemyInfo::EnemyInfo(Character* who, float px, float py) : enemy(who), x(px), y(py) { Hold(enemy); }

MarkerGenerator::EnemyInfo::EnemyInfo(const EnemyInfo& other) : enemy(other.enemy), x(other.x), y(other.y) {
    Hold(enemy);
}

MarkerGenerator::EnemyInfo& MarkerGenerator::EnemyInfo::operator=(const EnemyInfo& other) {
    if (this == &other) return *this;
    Hold(other.enemy);
    Drop(enemy);
    enemy = other.enemy;
    x = other.x;
    y = other.y;
    return *this;
}

MarkerGenerator::EnemyInfo::~EnemyInfo() { Drop(enemy); }

// ---- MarkerGenerator ----

MarkerGenerator::MarkerGenerator(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                                 const Quorvex::AreaPos& position)
    : Object3D(manager, areaManager, position) {
    if (Quorvex::ObjectManager* objects = GetObjectManagerOf(this)) m_resourceManager = objects->GetResourceManager();
    if (m_resourceManager) m_resourceManager->AddRef();
}

MarkerGenerator::~MarkerGenerator() {
    if (m_lockonMarker) m_lockonMarker->ForgetGenerator();
    m_lockonMarker = nullptr;
    std::set<Marker*> markers;
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        markers.insert(m_free.begin(), m_free.end());
        markers.insert(m_inUse.begin(), m_inUse.end());
        m_free.clear();
        m_inUse.clear();
        for (Character* enemy : m_marked) Drop(enemy);
        m_marked.clear();
        m_candidates.clear();
    }
    // A projectile may still hold a marker: it must find no generator.
    for (Marker* marker : markers) {
        marker->SetGenerator(nullptr);
        LeaveRenderStage(marker);
        marker->Detach(false);
        Drop(marker);
    }
    if (m_resourceManager) m_resourceManager->Release();
    m_resourceManager = nullptr;
}

int MarkerGenerator::Initialize(int) {
    SetUpdatePriority(PriorityEnemyGenerator);
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (int i = static_cast<int>(m_free.size() + m_inUse.size()); i < kMarkerCount; ++i) {
        auto* marker = new Marker(this);
        marker->AddRef();
        m_free.insert(marker);
    }
    return 0;
}

void MarkerGenerator::Update(float dt) {
    Object3D::Update(dt);
    Quorvex::ObjectManager* manager = GetObjectManagerOf(this);
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_candidates.clear();
    if (!manager) return;
    const D3DXMATRIX& screen = manager->GetScreenMatrix();
    Quorvex::ObjectManager::GroupIterator it;
    for (Quorvex::Object* object = manager->GetFirstInGroup(GroupLockable, &it); object;
         object = manager->GetNextInGroup(&it)) {
        // Only characters carry a lock gauge.
        auto* enemy = dynamic_cast<Character*>(object);
        if (!enemy) continue;
        const D3DXVECTOR3 world = enemy->GetWorldPosition();
        D3DXVECTOR3 pixel;
        D3DXVec3TransformCoord(&pixel, &world, &screen);
        m_candidates.emplace_back(enemy, pixel.x, pixel.y);
        if (!m_marked.count(enemy)) {
            AttachMarker(enemy, 0.0f, MarkerTypePlain);
            Hold(enemy);
            m_marked.insert(enemy);
        }
    }
}

int MarkerGenerator::AttachMarker(Character* enemy, float amount, int type) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_free.empty()) return -1;
    Marker* marker = *m_free.begin();
    // In use before it attaches, so that a marker that goes straight back
    // lands in the free set again.
    m_free.erase(m_free.begin());
    m_inUse.insert(marker);
    marker->Attach(enemy, amount, type);
    return 0;
}

void MarkerGenerator::ForgetEnemy(Character* enemy) {
    if (!enemy) return;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_marked.erase(enemy)) Drop(enemy);
}

void MarkerGenerator::ForgetAllEnemies() {
    std::vector<Marker*> inUse;
    std::set<Character*> marked;
    std::vector<EnemyInfo> candidates;
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        inUse.assign(m_inUse.begin(), m_inUse.end());
        marked.swap(m_marked);
        candidates.swap(m_candidates);
    }
    for (Marker* marker : inUse) marker->ReturnToPool();
    for (Character* enemy : marked) Drop(enemy);
}

std::vector<MarkerGenerator::EnemyInfo> MarkerGenerator::CopyEnemyList() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_candidates;
}

std::vector<Marker*> MarkerGenerator::CopyInUseMarkers() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return std::vector<Marker*>(m_inUse.begin(), m_inUse.end());
}

void MarkerGenerator::MoveToFree(Marker* marker) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_inUse.erase(marker)) m_free.insert(marker);
}

int MarkerGenerator::GetFreeCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return static_cast<int>(m_free.size());
}

int MarkerGenerator::GetInUseCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return static_cast<int>(m_inUse.size());
}
