// The enemies' homing magic missile: it steers toward the point where its
// target will be, at a limited turn rate, and leaves a trail of spinning
// sparks. Once the target passes behind it, it flies straight until its age
// runs out.
#pragma once
#include <set>

#include "game/player/weapons/Bullet.h"

class Effect_GeneralPurpose;
class EffectObject;

class Bullet_Missile2 : public Bullet, public Quorvex::FactoryProductAdapter {
public:
    static constexpr float kAttackPower = 15.0f;
    static constexpr float kLifetime = 4.0f;
    static constexpr float kTrailSpacing = 5.0f;
    // The smallest time step the estimates divide by.
    static constexpr float kMinStep = 1.1920929e-07f;

    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        Quorvex::Object* owner = nullptr;
        D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
        BYTE side = 0;  // non-zero: player side
        D3DXVECTOR3 vector{0.0f, 0.0f, 0.0f};
        float size = 0.0f;
        Quorvex::AreaPos start;
        Object3D* target = nullptr;
        float speedFactor = 1.0f;
        Quorvex::ObjectManager* objectManager = nullptr;
    };

    Bullet_Missile2(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                    const Quorvex::AreaPos& start);
    // Unhooks every trail particle and drops the target.
    ~Bullet_Missile2() override;

    using Bullet::Initialize;
    // Owner, priority 900, group 4, then the floating "Razer" body.
    int Initialize(int param) override;
    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    void Update(float dt) override;
    // Estimates the target's velocity from its movement over the frame.
    void PostUpdate() override;
    // A hit on the other side explodes and ends the flight.
    void OnCollision(Quorvex::Object* other) override;
    void ReturnToFactory() override;

    // (size x 1.5 + 2) x 314 x factor, up to 1.5 times faster while the
    // player flies at top speed.
    static float LaunchSpeed(float size, float speedFactor, float playerSpeedRate);

    // The turn and the move of one frame toward the target's lead point.
    void Steer(float dt);
    // The velocity estimate from a new target position and the frame time.
    void TrackTarget(const D3DXVECTOR3& targetPosition, float frameTime);

    Object3D* GetTarget() const { return target; }
    float GetSpeed() const { return speed; }
    float GetTurnRate() const { return turnRate; }
    float GetAge() const { return age; }
    const D3DXVECTOR3& GetTargetVelocity() const { return targetVelocity; }
    size_t GetTrailCount() const { return trail.size(); }

private:
    void Launch(const SetParam& record);
    void SetTarget(Object3D* object);
    void EmitTrail(const D3DXVECTOR3& movement, float dt);
    // The end callback of a trail particle.
    void RemoveTrailParticle(EffectObject* particle);
    void UnhookTrail();

    float age = 0.0f;
    Object3D* target = nullptr;  // counted
    D3DXVECTOR3 targetLast{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 targetNow{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 targetVelocity{0.0f, 0.0f, 0.0f};
    float speed = 0.0f;
    float turnRate = 0.0f;
    float size = 0.0f;
    D3DXVECTOR3 vector{0.0f, 0.0f, 0.0f};
    float trailCarry = 0.0f;
    std::set<Effect_GeneralPurpose*> trail;
};
