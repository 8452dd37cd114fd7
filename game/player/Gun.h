// The bullets of the machine's three guns: pooled beam sprites that fly for
// half a second and charge the Zenk gauge when they hit.
#pragma once
#include "engine/assets/Sprite3DInfo.h"
#include "game/player/weapons/Bullet.h"

class Gun : public Bullet, public Quorvex::FactoryProductAdapter {
public:
    // The launch record.
    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        Quorvex::Object* owner = nullptr;
        const Quorvex::AreaPos* start = nullptr;
        const D3DXQUATERNION* orientation = nullptr;
        Quorvex::ObjectManager* objectManager = nullptr;
    };
    // The initialise record.
    struct InitParam {
        Quorvex::Object* owner = nullptr;
        Quorvex::FactoryAdapter* factory = nullptr;
        Quorvex::IObjectManager* objectManager = nullptr;
    };
    static constexpr float kLifetime = 0.5f;
    static constexpr float kAttackPower = 20.0f;

    Gun(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& start);
    ~Gun() override;

    using Bullet::Initialize;
    int Initialize(const InitParam& record);
    void Update(float dt) override;
    void OnCollision(Quorvex::Object* other) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    const char* GetTypeName() const override { return "gun"; }

    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    void ReturnToFactory() override;

    float GetAge() const { return m_age; }
    float GetSpeed() const { return m_speed; }
    const Quorvex::Sprite3DInfo& GetSprite() const { return m_sprite; }

protected:
    // The class's values: speed, sprite size and atlas cell, shape set.
    virtual void SetClassValues();
    virtual const wchar_t* ShapeSetName() const { return L"GunBullet"; }
    // Moves the bullet by one step.
    virtual void Move(float dt);
    D3DXVECTOR3 Forward() const;

    Quorvex::Sprite3DInfo m_sprite;
    float m_age = 0.0f;
    float m_speed = 3140.0f;
};

// Bends down under gravity.
class GunHeavy : public Gun {
public:
    using Gun::Gun;

protected:
    void SetClassValues() override;
    const wchar_t* ShapeSetName() const override { return L"GunHeavyBullet"; }
    void Move(float dt) override;
};

class GunNeedle : public Gun {
public:
    using Gun::Gun;

protected:
    void SetClassValues() override;
};
