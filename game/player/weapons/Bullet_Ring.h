// The ring disc: a straight-flying enemy shot that moves along its current
// orientation and lives four seconds.
#pragma once
#include "game/player/weapons/Bullet_RazerBase.h"

class Bullet_Ring : public Bullet_RazerBase {
public:
    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        Quorvex::Object* owner = nullptr;
        D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
        BYTE side = 0;  // non-zero: player side
        D3DXVECTOR3 vector{0.0f, 0.0f, 0.0f};
        float size = 0.0f;
        Quorvex::AreaPos start;
        float power = 1.0f;
        Quorvex::ObjectManager* objectManager = nullptr;
    };

    static constexpr float kLifetime = 4.0f;

    using Bullet_RazerBase::Bullet_RazerBase;
    ~Bullet_Ring() override;

    // A ring record on the enemy side.
    static SetParam MakeParam(const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation,
                              Quorvex::Object* owner, const D3DXVECTOR3& vector, float size,
                              Quorvex::ObjectManager* objectManager, float power);

    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;

    float GetSpeed() const { return m_speed; }
    // The texture quarter the ring shows.
    void ResetSpriteUV();

protected:
    void SetUpSprite() override;
    void Move(float frameTime) override;
    bool LifeOver() const override { return m_elapsed > kLifetime; }
    void PushSprite(Quorvex::CalcVertexSet* list) override;

private:
    float m_speed = 0.0f;
};
