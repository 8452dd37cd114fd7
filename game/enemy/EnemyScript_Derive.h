// The game's enemy map: the launch types a map can name with cmd.set.
#pragma once
#include "game/enemy/EnemyScript.h"

class EnemyEx;

class EnemyScript_Derive : public EnemyScript {
public:
    // Loads the map, registers the launch types, then runs its Initialize.
    EnemyScript_Derive(const char* fileName, EnemyGenerator_Derive* owner);
    ~EnemyScript_Derive() override = default;

    int LaunchFighter1();
    int LaunchFighter2();
    int LaunchDoll();
    int LaunchBig();
    int LaunchBigNext();
    int LaunchTama();
    int LaunchVader();
    int LaunchKetama();

private:
    // Life := factor x the launch life its class set.
    void ApplyLife(EnemyEx* enemy, float factor) const;
    void ApplyPath(EnemyEx* enemy) const;
    int LaunchFairy(int look);
    int LaunchLarge(bool chained);
};
