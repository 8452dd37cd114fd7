// A bare pool of pre-built enemies: a free set and an in-use set, both
// ordered by address.
#pragma once
#include <set>

class Enemy;

class EnemyListSet {
public:
    EnemyListSet() = default;
    EnemyListSet(const EnemyListSet&) = delete;
    EnemyListSet& operator=(const EnemyListSet&) = delete;
    // Releases the reference the set holds on each of its enemies.
    virtual ~EnemyListSet();

    // The free enemy of the lowest address moved into the in-use set, or
    // null when none is free. Adds no reference and does not initialise it.
    Enemy* Acquire();
    // Moves a vanished enemy back to the free set.
    void Return(Enemy* enemy);
    // A pre-built enemy joins the free set; the set takes over one reference.
    void AddFree(Enemy* enemy) { freeSet.insert(enemy); }

    std::set<Enemy*> freeSet;
    std::set<Enemy*> inUseSet;
};
