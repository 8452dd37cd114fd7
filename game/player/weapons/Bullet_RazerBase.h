// What the two plain straight-flying enemy shots share: a sprite, one
// collision body kept for the whole life in the pool, a speed that grows with
// the shot's size, its power and the player's current speed, a flight that
// ends at an age limit, and consumption by the first thing of the other side
// they touch.
#pragma once
#include "engine/assets/Sprite3DInfo.h"
#include "game/player/weapons/Bullet.h"

class Bullet_RazerBase : public Bullet, public Quorvex::FactoryProductAdapter {
public:
    static constexpr float kAttackPower = 15.0f;
    static constexpr int kBlendMode = 2;

    Bullet_RazerBase(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                     const Quorvex::AreaPos& start);
    ~Bullet_RazerBase() override;

    using Bullet::Initialize;
    // Owner, priority 900, group 4, the class's sprite, then the floating
    // "Razer" body.
    int Initialize(int param) override;
    void Update(float dt) override;
    // Consumed: a hit on the other side explodes and ends the flight.
    void OnCollision(Quorvex::Object* other) override;
    void ReturnToFactory() override;

    // (size x 0.5 + 1) x 314 x power, up to 1.5 times faster while the
    // player flies at top speed (its speed rate, floored at 0).
    static float LaunchSpeed(float size, float power, float playerSpeedRate);
    // The current player's speed rate floored at 0; 0 without a player.
    static float PlayerSpeedRate();

    float GetElapsed() const { return m_elapsed; }
    float GetSize() const { return m_size; }
    const D3DXVECTOR3& GetVector() const { return m_vector; }
    const Quorvex::Sprite3DInfo& GetSprite() const { return m_sprite; }
    // The blend preset the sprite draws with (2 until a launcher changes it;
    // every launch sets 2 again).
    void SetBlendMode(int mode) { m_blendMode = mode; }
    int GetBlendMode() const { return m_blendMode; }

protected:
    // The sprite's look at initialisation.
    virtual void SetUpSprite() = 0;
    // This frame's own movement (the frame time, not dt).
    virtual void Move(float frameTime) = 0;
    virtual bool LifeOver() const = 0;
    // Pushes the sprite geometry.
    virtual void PushSprite(Quorvex::CalcVertexSet* list) = 0;
    void Render(Quorvex::CalcVertexSet* list) override;

    // The launch steps every such shot takes, in order: join the manager and
    // the "Sprite3DOver" stage, copy owner, start, size, orientation and the
    // vector, reset the clock. Then (after the class's own speed step)
    // FinishLaunch: side, power, body placed and stopped, optional "val3".
    void BeginShot(Quorvex::ObjectManager* manager, Quorvex::Object* owner, const Quorvex::AreaPos& start,
                   const D3DXQUATERNION& orientation, const D3DXVECTOR3& vector, float size);
    void FinishLaunch(bool playerSide, bool playSound);

    Quorvex::Sprite3DInfo m_sprite;
    float m_elapsed = 0.0f;
    D3DXVECTOR3 m_vector{0.0f, 0.0f, 0.0f};
    float m_size = 0.0f;
    int m_blendMode = kBlendMode;
};
