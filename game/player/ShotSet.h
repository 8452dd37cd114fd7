// The machine's three weapon sets: a gun fired with Shot2 from the set's gun
// pool and a special weapon fired with Shot1 from a stock that refills.
#pragma once
#include "game/player/Player.h"

class GunFactory;

// What the three sets share: the gun pool, the cooldowns and the stock.
class ShotSet_Common : public Player::ShotSet {
public:
    // Creates and initialises the set's gun pool; throws the pool's wide
    // failure text when it cannot.
    ShotSet_Common(Player* player, int kind);
    ~ShotSet_Common() override;

    // Back to the set's table values: full stock, no cooldowns.
    void Reset() override;
    float GetMissileRest() const override { return stock; }
    void AddMissile(float value) override;

    // Reload: one weapon per interval up to the maximum.
    void Reload(float dt);
    // The table values of a set kind (1 Normal, 2 Heavy, 3 Toska).
    struct Values {
        float stock;
        int maximum;
        float reloadInterval;
        float specialCooldown;
        float specialCooldownZenk;
        float gunInterval;
        const wchar_t* gunSound;
        float zenkDrain;  // per second; below 0: 10 / the frame time
        float zenkCost;
    };
    static const Values& ValuesOf(int kind);
    const Values& GetValues() const { return ValuesOf(kind); }

    int kind;
    GunFactory* gunPool = nullptr;  // counted
    float gunCooldown = 0.0f;
    float specialCooldown = 0.0f;
    int muzzleIndex = 0;
    int needlePhase = 0;
    float stock = 0.0f;
    int maximum = 0;
    bool noFreeShot = false;
    float reloadInterval = -1.0f;
    float reloadClock = 0.0f;
};

class ShotSet_Normal : public ShotSet_Common {
public:
    explicit ShotSet_Normal(Player* player) : ShotSet_Common(player, 1) {}
};

class ShotSet_Heavy : public ShotSet_Common {
public:
    explicit ShotSet_Heavy(Player* player) : ShotSet_Common(player, 2) {}
};

class ShotSet_Toska : public ShotSet_Common {
public:
    explicit ShotSet_Toska(Player* player) : ShotSet_Common(player, 3) {}
};
