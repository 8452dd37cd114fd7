// The short beam dart: the commonest enemy shot. It flies along its launch
// orientation at a fixed world velocity and lives shorter the more power it
// was launched with.
#pragma once
#include <boost/function.hpp>

#include "game/player/weapons/Bullet_RazerBase.h"

class Bullet_Razer : public Bullet_RazerBase, public IAtlasColoredShot {
public:
    // The launch record. The enemy fire steps hand the pool their
    // ShotSpawnParam instead, whose fields stand in the same order and mean
    // the same (reserved = side, level = size, speed = power, kind = sound).
    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        Quorvex::Object* owner = nullptr;
        D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
        BYTE side = 0;  // non-zero: player side
        D3DXVECTOR3 vector{0.0f, 0.0f, 0.0f};
        float size = 0.0f;
        Quorvex::AreaPos start;
        float power = 1.0f;
        BYTE sound = 0;  // non-zero: "val3" at launch
        Quorvex::ObjectManager* objectManager = nullptr;
    };

    static constexpr float kBaseLifetime = 5.0f;

    using Bullet_RazerBase::Bullet_RazerBase;
    ~Bullet_Razer() override;

    // Takes a SetParam or a ShotSpawnParam; -1 for any other record.
    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    // Calls the return callback first when one is set.
    void ReturnToFactory() override;

    // max(5 - (power - 1) x 1.2, 0) seconds.
    static float Lifetime(float power);

    // The sprite whose atlas cell the fire steps pick after a launch.
    Quorvex::Sprite3DData* GetAtlasSprite() override { return &m_sprite; }
    const D3DXVECTOR3& GetVelocity() const { return m_velocity; }
    // Steering patterns turn a shot in flight and keep its speed on the new course.
    void SetVelocity(const D3DXVECTOR3& velocity) { m_velocity = velocity; }
    float GetLifetime() const { return m_lifetime; }

    // Run with the shot when it goes back to its pool; no launch changes it.
    boost::function<void(Bullet_Razer*)> returnCallback;

protected:
    void SetUpSprite() override;
    void Move(float frameTime) override;
    bool LifeOver() const override { return m_lifetime <= m_elapsed; }
    void PushSprite(Quorvex::CalcVertexSet* list) override;

private:
    void Launch(const SetParam& record);

    D3DXVECTOR3 m_velocity{0.0f, 0.0f, 0.0f};
    float m_lifetime = kBaseLifetime;
};
