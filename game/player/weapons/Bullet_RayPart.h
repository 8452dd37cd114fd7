// The beam segments that rays and aimed lasers are built of: a crossed beam
// sprite that its owner places, sizes and switches collision for.
#pragma once
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
