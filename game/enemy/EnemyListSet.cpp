#include "game/enemy/EnemyListSet.h"

#include "engine/core/Utility.h"
#include "game/enemy/Enemy.h"

EnemyListSet::~EnemyListSet() {
    // Each pre-built enemy was handed to the set with one reference.
    std::set<Enemy*> all;
    all.insert(freeSet.begin(), freeSet.end());
    all.insert(inUseSet.begin(), inUseSet.end());
    freeSet.clear();
    inUseSet.clear();
    Quorvex::ReleaseObjectSet(all);
}

Enemy* EnemyListSet::Acquire() {
    if (freeSet.empty()) return nullptr;
    Enemy* enemy = *freeSet.begin();
    inUseSet.insert(enemy);
    freeSet.erase(freeSet.begin());
    return enemy;
}

void EnemyListSet::Return(Enemy* enemy) {
    // Only an enemy in play goes back; a second vanish finds it free already.
    if (inUseSet.erase(enemy)) freeSet.insert(enemy);
}
