// The beam segments that rays and aimed lasers are built of: a crossed beam
// sprite that its owner places, sizes and switches collision for.
#pragma once
#include <vector>

#include "engine/assets/Sprite3DInfo.h"
#include "game/player/weapons/Bullet.h"

class CollisionShapeSet;

// What both kinds of segment share: the beam sprite, its size and blend
// preset, the piercing contact and the return to the pool.
class Bullet_BeamPart : public Bullet, public Quorvex::FactoryProductAdapter {
public:
    static constexpr float kAttackPower = 40.0f;
    static constexpr float kLaunchLength = 30.0f;
    static constexpr int kLaunchBlendMode = 3;

    Bullet_BeamPart(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                    const Quorvex::AreaPos& start);
    ~Bullet_BeamPart() override;

    using Bullet::Initialize;
    // Owner, priority 900, group 4, the white "matEffectBeam" sprite of zero
    // size in atlas cell 1.
    int Initialize(int param) override;
    void OnCollision(Quorvex::Object* other) override;
    void ReturnToFactory() override;
    void Render(Quorvex::CalcVertexSet* list) override;

    // The width of the segment of that chain index (from 0) in a beam of the
    // given full width: 0.4 of it at the first, full from the 51st on.
    static float TaperedWidth(float width, int index);
    // A floating body from the shape set, placed where the segment is.
    void CreateBody(CollisionShapeSet* shape);

    float width = 0.0f;
    float length = kLaunchLength;
    int blendMode = kLaunchBlendMode;
    Quorvex::Sprite3DInfo sprite;

protected:
    // The launch steps every segment takes: joins the manager and
    // "Sprite3D", takes the owner, length 30, blend 3, side, power 40.
    void BeginSegment(Quorvex::ObjectManager* manager, Quorvex::Object* owner, bool playerSide);
};

// Replaces a counted reference (null allowed).
template <class T>
void HoldCounted(T*& slot, T* object) {
    if (object == slot) return;
    if (object) object->AddRef();
    if (slot) slot->Release();
    slot = object;
}

// The segment pool of a multi-part shot: the one its record names, else the
// one its own pool keeps.
Quorvex::FactoryAdapter* SegmentPoolOf(const Quorvex::IFactoryProduct* shot, Quorvex::FactoryAdapter* recordPool);

// Takes one segment of class T from the pool (the caller's reference), or
// null; a product of another class goes straight back.
template <class T>
T* AcquireSegment(Quorvex::FactoryAdapter* pool, Quorvex::IFactoryProduct::ISetParam* record) {
    if (!pool) return nullptr;
    Quorvex::IFactoryProduct* product = pool->AcquireProduct(record);
    auto* segment = dynamic_cast<T*>(product);
    if (product && !segment) {
        product->ReturnToFactory();
        product->Release();
    }
    return segment;
}

// The launch record of a ray or an aimed laser.
struct BeamSetParam : public Quorvex::IFactoryProduct::ISetParam {
    BeamSetParam() = default;
    // Enemy side; the pool fills the part pool.
    BeamSetParam(const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation, Quorvex::Object* owner,
                 const D3DXVECTOR3& vector, float scalar, float length, float width,
                 Quorvex::ObjectManager* objectManager);

    Quorvex::Object* owner = nullptr;
    D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};  // of the beam, or of an aimed laser's first segment
    BYTE side = 0;  // non-zero: player side
    D3DXVECTOR3 vector{0.0f, 0.0f, 0.0f};
    float scalar = 0.0f;
    Quorvex::AreaPos start;
    float length = 0.0f;  // segments = length / 50, truncated
    float width = 0.0f;
    Quorvex::FactoryAdapter* partPool = nullptr;  // filled by the pool
    Quorvex::ObjectManager* objectManager = nullptr;
};

// The controller of a beam made of segments of class Part: it owns them (one
// reference each) and times their growth and fade.
template <class Part>
class Bullet_Beam : public Bullet, public Quorvex::FactoryProductAdapter {
public:
    using Bullet::Bullet;
    ~Bullet_Beam() override {
        // A pool being torn down may drop a beam still in flight.
        for (Part* part : segments) part->Release();
    }

    int GetSegmentCount() const { return static_cast<int>(segments.size()); }
    Part* GetSegment(int index) const { return segments[index]; }
    float GetGrow() const { return grow; }
    float GetFade() const { return fade; }
    float GetElapsed() const { return elapsed; }

    // The launcher may write these at any time.
    float rate = 1.0f;             // per second
    bool collideWhenGrown = true;  // segments get bodies at full growth

protected:
    // The launch steps of every beam: joins the manager, takes the record's
    // owner, place, orientation, part pool and sizes, starts ungrown and
    // active at rate 1, and takes its side.
    void LaunchBeam(const BeamSetParam& record) {
        BeginLaunch(record.objectManager, nullptr);
        m_owner = record.owner;
        m_areaPos = record.start;
        m_orientation = record.orientation;
        partPool = SegmentPoolOf(this, record.partPool);
        elapsed = 0.0f;
        vector = record.vector;
        scalar = record.scalar;
        length = record.length;
        grow = 0.0f;
        width = record.width;
        fade = -1.0f;
        rate = 1.0f;
        collideWhenGrown = true;
        SetSide(record.side != 0);
    }
    // Atlas cell of every segment.
    void ColorSegments(int colorType) {
        for (Part* part : segments) SetBulletAtlasCell(&part->sprite, colorType);
    }

    Quorvex::FactoryAdapter* partPool = nullptr;  // not counted: the beam's pool holds it
    std::vector<Part*> segments;                  // front first, one reference each
    float elapsed = 0.0f;
    D3DXVECTOR3 vector{0.0f, 0.0f, 0.0f};
    float scalar = 0.0f;
    float length = 0.0f;
    float grow = 0.0f;
    float width = 0.0f;
    float fade = -1.0f;  // below 0 while active; 0..1 fading
};

// A segment of Bullet_Ray and Bullet_Ray2: it has no will of its own, its
// ray places it every frame.
class Bullet_RayPart : public Bullet_BeamPart {
public:
    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        Quorvex::Object* owner = nullptr;
        BYTE side = 0;  // non-zero: player side
        Quorvex::ObjectManager* objectManager = nullptr;
    };

    using Bullet_BeamPart::Bullet_BeamPart;
    ~Bullet_RayPart() override;

    // Takes a Bullet_RayPart::SetParam; -1 for any other record.
    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    // Re-bins and pushes its place into its body.
    void Update(float dt) override;
};
