#include "game/enemy/EnemyScript_Derive.h"

#include <boost/bind/bind.hpp>

#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Big.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Ketama.h"
#include "game/enemy/types/Enemy_Tama.h"
#include "game/enemy/types/Enemy_Vader.h"

EnemyScript_Derive::EnemyScript_Derive(const char* fileName_, EnemyGenerator_Derive* owner_)
    : EnemyScript(fileName_, owner_, DeferStart{}) {
    using boost::bind;
    launchMap["fighter1"] = bind(&EnemyScript_Derive::LaunchFighter1, this);
    launchMap["fighter2"] = bind(&EnemyScript_Derive::LaunchFighter2, this);
    launchMap["doll"] = bind(&EnemyScript_Derive::LaunchDoll, this);
    launchMap["big"] = bind(&EnemyScript_Derive::LaunchBig, this);
    launchMap["big_next"] = bind(&EnemyScript_Derive::LaunchBigNext, this);
    launchMap["tama"] = bind(&EnemyScript_Derive::LaunchTama, this);
    launchMap["vader"] = bind(&EnemyScript_Derive::LaunchVader, this);
    launchMap["ketama"] = bind(&EnemyScript_Derive::LaunchKetama, this);
    Start();
}

void EnemyScript_Derive::ApplyLife(EnemyEx* enemy, float factor) const { enemy->SetLife(factor * *enemy->GetGauge2()); }

void EnemyScript_Derive::ApplyPath(EnemyEx* enemy) const {
    enemy->GetMoveParam()->SetPath(record.waypoints.data(), static_cast<int>(record.waypoints.size()),
                                   record.moveSpeed);
}

int EnemyScript_Derive::LaunchFighter1() { return 0; }

// Every launch type spawns at the generator's position plus the first
// waypoint: a record without one has no spawn point and launches nothing.

int EnemyScript_Derive::LaunchFairy(int look) {
    if (!owner || record.waypoints.empty()) return -1;
    const int type = record.attackType == 0 ? Enemy_Fighter2::kAimedBursts : record.attackType;
    Enemy_Fighter2* fairy = owner->LaunchFighter2OnPath(record.waypoints.data(),
                                                        static_cast<int>(record.waypoints.size()), record.moveSpeed, type);
    if (!fairy) return -1;
    ApplyLife(fairy, record.lifeFactor);
    if (look) fairy->SetLook(look);
    AddEnemiesAppeared(1);
    return 0;
}

int EnemyScript_Derive::LaunchFighter2() { return LaunchFairy(0); }
int EnemyScript_Derive::LaunchDoll() { return LaunchFairy(1); }

int EnemyScript_Derive::LaunchLarge(bool chained) {
    if (!owner || record.waypoints.empty()) return -1;
    Enemy_Big* big = owner->LaunchBig(owner->GetAreaPos().Translated(record.waypoints.front()));
    if (!big) return -1;
    ApplyLife(big, record.lifeFactor);
    ApplyPath(big);
    big->SetAttackType(record.attackType);
    if (chained) big->chainCount = 1;
    big->Release();
    AddEnemiesAppeared(1);
    return 0;
}

int EnemyScript_Derive::LaunchBig() { return LaunchLarge(false); }
int EnemyScript_Derive::LaunchBigNext() { return LaunchLarge(true); }

int EnemyScript_Derive::LaunchTama() {
    if (!owner || record.waypoints.empty()) return -1;
    Enemy_Tama* tama = owner->LaunchTama(owner->GetAreaPos().Translated(record.waypoints.front()));
    if (!tama) return -1;
    ApplyLife(tama, record.lifeFactor);
    tama->Release();
    AddEnemiesAppeared(1);
    return 0;
}

int EnemyScript_Derive::LaunchVader() {
    if (!owner || record.waypoints.empty()) return -1;
    Enemy_Vader* vader = owner->LaunchVader(owner->GetAreaPos().Translated(record.waypoints.front()));
    if (!vader) return -1;
    ApplyLife(vader, record.lifeFactor);
    vader->SetAttackType(record.attackType);
    vader->Release();
    AddEnemiesAppeared(1);
    return 0;
}

int EnemyScript_Derive::LaunchKetama() {
    if (!owner || record.waypoints.empty()) return -1;
    Enemy_Ketama* ketama = owner->LaunchKetama(owner->GetAreaPos().Translated(record.waypoints.front()));
    if (!ketama) return -1;
    // The orb keeps the life its class gives it, whatever the map's factor.
    ApplyLife(ketama, 1.0f);
    ketama->ClearAttacks();
    ketama->velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    ketama->Release();
    AddEnemiesAppeared(1);
    return 0;
}
