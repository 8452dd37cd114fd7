// Lock-on bookkeeping: the generator keeps a pool of 2D marker sprites, lists
// every lockable enemy on the screen each frame and puts a plain marker over
// each enemy it sees for the first time. The player's reticle (LockonMarker)
// turns enemies inside its circle into locks; homing weapons consume them.
#pragma once
#include <mutex>
#include <set>
#include <vector>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"
#include "game/world/Object3D.h"

namespace Quorvex {
class IResourceManager;
}

class Character;
class LockonMarker;
class MarkerGenerator;

enum MarkerStateId {
    MarkerIdle = 0,
    MarkerLocked = 1,
    MarkerFired = 2,
    MarkerPlain = 3,
};

enum MarkerTypeId {
    MarkerTypePlain = 1,
    MarkerTypeLock = 2,
};

// One sprite over an enemy. A lock marker also holds the lock amount it took
// from the enemy's lock gauge, which goes back when the lock ends.
class Marker : public Quorvex::RenderObject {
public:
    explicit Marker(MarkerGenerator* generator);
    ~Marker() override;

    void Attach(Character* enemy, float amount, int type);
    // Gives the lock back (full amount, or the enemy's own top-up when not
    // giving back) and drops the target.
    void Detach(bool giveBack);
    // Leaves the screen and goes back to the generator's free set.
    void ReturnToPool();
    // What a projectile calls when its flight ends: gives the lock back unless
    // the hitter is the marker's own target, then back to the pool.
    void Release(Quorvex::Object* hitter);
    using Quorvex::RenderObject::Release;
    void UpdateScreenPosition();
    void Render(Quorvex::CalcVertexSet* list) override;

    // The player's mark of a launched lock: state 2 and the fired cell.
    void SetFired();

    // Each return to the pool starts a new generation: a projectile that still
    // points at the marker from an earlier use must leave it alone.
    unsigned GetGeneration() const { return m_generation; }
    // Release(hitter) only when the marker is still in that generation.
    bool ReleaseIfCurrent(unsigned generation, Quorvex::Object* hitter);

    Character* GetTarget() const { return target; }
    int GetState() const { return MarkerState; }
    const Quorvex::Sprite2DInfo& GetSprite() const { return m_sprite; }
    void SetGenerator(MarkerGenerator* owner) { generator = owner; }

    MarkerGenerator* generator;  // not counted: owns the marker
    Character* target = nullptr;  // counted
    int MarkerState = MarkerIdle;
    float amount = 0.0f;
    int MarkerType = 0;
    bool visible = false;
    float width = 0.0f, height = 0.0f, offsetX = 0.0f, offsetY = 0.0f;

private:
    void SetCell(float u0, float v0, float u1, float v1);
    void DropTarget();
    void UpdateScreenPositionLocked();

    Quorvex::Sprite2DInfo m_sprite;
    unsigned m_generation = 0;
};

// A projectile's hold on the marker it was fired on: a counted reference and
// the generation it was taken in.
class MarkerLink {
public:
    MarkerLink() = default;
    MarkerLink(const MarkerLink&) = delete;
    MarkerLink& operator=(const MarkerLink&) = delete;
    ~MarkerLink() { Set(nullptr); }

    void Set(Marker* marker);
    // The marker while it is still in the linked generation, else null.
    Marker* Get() const;
    // Marker::Release(hitter) once; the link is dropped either way.
    void Release(Quorvex::Object* hitter);

private:
    Marker* m_marker = nullptr;  // counted
    unsigned m_generation = 0;
};

class MarkerGenerator : public Object3D {
public:
    static constexpr int kMarkerCount = 100;

    // One entry of the candidate list: a lockable enemy and its screen
    // position in pixels. Each copy holds its own reference.
    struct EnemyInfo {
        EnemyInfo() = default;
        EnemyInfo(Character* enemy, float x, float y);
        EnemyInfo(const EnemyInfo& other);
        EnemyInfo& operator=(const EnemyInfo& other);
        virtual ~EnemyInfo();

        Character* enemy = nullptr;  // counted
        float x = 0.0f;
        float y = 0.0f;
    };

    MarkerGenerator(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                    const Quorvex::AreaPos& position);
    ~MarkerGenerator() override;

    using Object3D::Initialize;
    // Priority 700, the 100 markers: 0.
    int Initialize(int param) override;
    void Update(float dt) override;

    // -1 when every marker is in use.
    int AttachMarker(Character* enemy, float amount, int type);
    void ForgetEnemy(Character* enemy);
    // Lets go of every enemy it holds (locks, marks, candidates). Enemies hold
    // the player and the player holds this generator, so the world's teardown
    // calls this to let the three be destroyed.
    void ForgetAllEnemies();
    std::vector<EnemyInfo> CopyEnemyList() const;
    // The lock list: the markers in use, in address order.
    std::vector<Marker*> CopyInUseMarkers() const;

    void SetLockonMarker(LockonMarker* marker) { m_lockonMarker = marker; }
    LockonMarker* GetLockonMarker() const { return m_lockonMarker; }
    Quorvex::IResourceManager* GetResourceManager() const { return m_resourceManager; }
    int GetFreeCount() const;
    int GetInUseCount() const;

    // The markers' sets and the enemy records are shared by the job threads
    // and the contact handlers: every change goes through this lock.
    std::recursive_mutex& GetLock() const { return m_lock; }

private:
    friend class Marker;
    void MoveToFree(Marker* marker);

    Quorvex::IResourceManager* m_resourceManager = nullptr;  // counted
    LockonMarker* m_lockonMarker = nullptr;                   // not counted
    std::set<Marker*> m_free;                                 // counted
    std::set<Marker*> m_inUse;                                // counted
    std::set<Character*> m_marked;                            // counted
    std::vector<EnemyInfo> m_candidates;
    mutable std::recursive_mutex m_lock;
};
