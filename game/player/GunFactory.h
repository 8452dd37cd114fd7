// The pools of the machine's gun bullets, one per shot set, and the pool of
// the machine's ray. They follow the player.
#pragma once
#include "game/player/weapons/Bullet.h"

class Player;

class GunFactory : public BulletFactory {
public:
    static constexpr int kMaxCount = 1000;

    GunFactory(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& start,
               Player* owner);
    ~GunFactory() override;

    using BulletFactory::Initialize;
    int Initialize(int param) override;
    // Re-bins and copies the owner's position.
    void Update(float dt) override;
    Quorvex::IFactoryProduct* CreateProduct() override;
    Player* GetOwner() const { return m_owner; }

protected:
    // A new bullet of the pool's class at the world centre.
    virtual Quorvex::IFactoryProduct* NewBullet();
    template <class T>
    Quorvex::IFactoryProduct* MakeBullet();

    Player* m_owner;  // not counted: the player owns the pool
};

class GunHeavyFactory : public GunFactory {
public:
    using GunFactory::GunFactory;

protected:
    Quorvex::IFactoryProduct* NewBullet() override;
};

class GunNeedleFactory : public GunFactory {
public:
    using GunFactory::GunFactory;

protected:
    Quorvex::IFactoryProduct* NewBullet() override;
};

// The pool of the machine's ray (Bullet_Ray4). Its drift is the player's
// movement of the frame.
class Bullet_Ray4Factory : public BulletFactory {
public:
    static constexpr int kMaxCount = 100;

    Bullet_Ray4Factory(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                       const Quorvex::AreaPos& start, Player* owner);
    ~Bullet_Ray4Factory() override;

    using BulletFactory::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    // A new ray at the world's centre with the player as its owner; null
    // when it fails to set up.
    Quorvex::IFactoryProduct* CreateProduct() override;

private:
    Player* m_owner;  // not counted
    Quorvex::AreaPos m_lastOwnerPosition;
    bool m_hasLast = false;
};
