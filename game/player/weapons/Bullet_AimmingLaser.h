// The aimed laser: a snake of beam segments that leaves its shooter, homes on
// a target until it is close or old enough, then flies on straight while the
// segments keep chasing each other. Bullet_AimmingLaser is the invisible
// controller that owns the segments, times growth and fade and switches their
// collision; Bullet_AimmingLaserPart is one segment that steers itself.
#pragma once
#include <atomic>

#include "game/player/weapons/Bullet_RayPart.h"

class Bullet_AimmingLaser;

class Bullet_AimmingLaserPart : public Bullet_BeamPart {
public:
    static constexpr float kFollowGain = 2.5f;
    static constexpr float kHomingGain = 5.0f;
    static constexpr float kHomingTime = 3.0f;
    static constexpr float kHomingRange = 200.0f;

    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        Quorvex::Object* owner = nullptr;
        BYTE side = 0;
        Quorvex::ObjectManager* objectManager = nullptr;
        Bullet_AimmingLaserPart* leader = nullptr;  // the segment ahead, null for the first
        Object3D* target = nullptr;
        D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
        float maxSpeed = 942.0f;
        Bullet_AimmingLaser* laser = nullptr;
        int index = 1;  // 1 for the first segment
    };

    Bullet_AimmingLaserPart(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                            const Quorvex::AreaPos& start);
    ~Bullet_AimmingLaserPart() override;

    // Takes a Bullet_AimmingLaserPart::SetParam; -1 for any other record.
    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    void Update(float dt) override;
    void ReturnToFactory() override;

    Bullet_AimmingLaserPart* GetLeader() const { return leader; }
    Object3D* GetTarget() const { return target; }
    const D3DXVECTOR3& GetVelocity() const { return velocity; }
    const Quorvex::AreaPos& GetPreviousPosition() const { return previous; }
    // The laser the segment flies for; null once it went back to its pool.
    Bullet_AimmingLaser* GetLaser() const { return laser; }

    // Set for the whole chain by whichever segment ends the homing, while
    // the others update on other job threads.
    std::atomic<bool> freeFlight{false};

private:
    void SetLeader(Bullet_AimmingLaserPart* part);
    void SetTarget(Object3D* object);
    void Follow(float dt);
    void Lead(float dt);

    Bullet_AimmingLaserPart* leader = nullptr;  // counted
    Object3D* target = nullptr;                 // counted
    float timer = 0.0f;
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
    float maxSpeed = 942.0f;
    Bullet_AimmingLaser* laser = nullptr;  // not counted: the laser holds this segment
    Quorvex::AreaPos previous;
};

// Its segments are in chain order (the first one leads); its rate is that of
// the fade-out.
class Bullet_AimmingLaser : public Bullet_Beam<Bullet_AimmingLaserPart> {
public:
    static constexpr float kAttackPower = 40.0f;
    static constexpr float kSegmentSpacing = 50.0f;
    static constexpr float kSegmentLength = 75.0f;
    static constexpr float kSpeed = 942.0f;
    static constexpr float kActiveTime = 2.0f;

    struct SetParam : public BeamSetParam {
        SetParam() = default;
        // Enemy side; the pool fills the part pool.
        SetParam(const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation, Quorvex::Object* owner,
                 const D3DXVECTOR3& vector, float scalar, float length, float width,
                 Quorvex::ObjectManager* objectManager, Object3D* followed);

        Object3D* followed = nullptr;  // the target
    };

    Bullet_AimmingLaser(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                        const Quorvex::AreaPos& start);
    ~Bullet_AimmingLaser() override;

    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    void Update(float dt) override;
    // Piercing.
    void OnCollision(Quorvex::Object* other) override;
    void ReturnToFactory() override;

    // Atlas cell of every segment.
    static void SetColorType(Bullet_AimmingLaser* laser, int colorType);
    // Every segment still in flight switches to free flight.
    static void ReleaseHoming(Bullet_AimmingLaser* laser);
    // Every segment goes back to its pool and loses the laser's reference.
    static void ClearParts(Bullet_AimmingLaser* laser);

private:
    void Launch(const SetParam& record);
    void SetFollowed(Object3D* object);
    // Segments that went back to their pool by themselves leave the chain,
    // even when another laser has already taken them again.
    void PurgeSegments();
    void SwitchBodies(float g0, float g);

    Object3D* followed = nullptr;  // counted
};
