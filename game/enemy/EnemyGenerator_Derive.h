// The enemy generator every stage uses: it owns the stage's enemy and
// enemy-bullet pools, the stock of pre-built fairies and at most one enemy
// map, and offers one launcher per enemy class.
#pragma once
#include <memory>
#include <vector>

#include "engine/core/render/FactoryAdapter.h"
#include "game/enemy/EnemyGenerator.h"
#include "game/enemy/EnemyListSet.h"

class Enemy;
class EnemyScript_Derive;
class Enemy_Fighter2;
class Enemy_ShotPoint;
class Enemy_Fighter3;
class Enemy_Fighter4;
class Enemy_Big;
class Enemy_Ketama;
class Enemy_Tama;
class Enemy_Vader;
class Enemy_Fesko;
class Enemy_Pentra;
class Enemy_Gralle;
class Enemy_Orsel;
class Enemy_Toska;
class Enemy_Reidan;

class EnemyGenerator_Derive : public EnemyGenerator {
public:
    // The pools, in the order the generator keeps them (it releases them in
    // the reverse order).
    enum PoolId {
        PoolRazer,
        PoolMissile2,
        PoolRay,
        PoolRay2,
        PoolRing,
        PoolVolcano,
        PoolNuke,
        PoolAimmingLaser,
        PoolShotPoint,
        PoolFighter3,
        PoolFighter4,
        PoolBig,
        PoolKetama,
        PoolTama,
        PoolVader,
        PoolFesko,
        PoolPentra,
        PoolGralle,
        PoolOrsel,
        PoolToska,
        PoolReidan,
        PoolCount,
    };
    // The list set that holds the pre-built fairies.
    static constexpr int FairyListSet = 1;
    static constexpr int FairyStock = 100;

    EnemyGenerator_Derive(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                          const Quorvex::AreaPos& position);
    ~EnemyGenerator_Derive() override;

    // 0, or -1 at the first pool that fails (the later pools stay null).
    int Initialize(int param) override;
    void Update(float dt) override;
    // Also drops the enemy map.
    void ClearEvents() override;

    // Replaces the running enemy map with one for the file (the old map's Lua
    // state is closed first); the map's Initialize runs once. Null when the
    // file cannot be loaded: that is logged and the stage goes on without a
    // map.
    EnemyScript_Derive* CreateEnemyScript(const char* fileName);

    // Each returns the enemy in play, or null when its pool is exhausted (or
    // not there): the caller skips the launch.
    Enemy_Fighter2* LaunchFighter2(const Quorvex::AreaPos& position);
    // A fairy at the generator's position plus the first point, flying the
    // path at that speed with that attack type. The caller counts it.
    Enemy_Fighter2* LaunchFighter2OnPath(const D3DXVECTOR3* points, int count, float speed, int attackType);
    // An emitter at the position with the facing.
    Enemy_ShotPoint* LaunchShotPoint(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation);
    Enemy_Fighter3* LaunchFighter3(const Quorvex::AreaPos& position);
    Enemy_Fighter4* LaunchFighter4(const Quorvex::AreaPos& position);
    Enemy_Big* LaunchBig(const Quorvex::AreaPos& position);
    Enemy_Ketama* LaunchKetama(const Quorvex::AreaPos& position);
    Enemy_Tama* LaunchTama(const Quorvex::AreaPos& position);
    Enemy_Vader* LaunchVader(const Quorvex::AreaPos& position);
    Enemy_Fesko* LaunchFesko(const Quorvex::AreaPos& position);
    Enemy_Pentra* LaunchPentra(const Quorvex::AreaPos& position);
    Enemy_Gralle* LaunchGralle(const Quorvex::AreaPos& position);
    Enemy_Orsel* LaunchOrsel(const Quorvex::AreaPos& position);
    Enemy_Toska* LaunchToska(const Quorvex::AreaPos& position);
    Enemy_Reidan* LaunchReidan(const Quorvex::AreaPos& position);

    // The common body of the factory launchers: builds the spawn record,
    // acquires from the pool of that slot and answers the enemy, or null.
    // The acquired reference is the caller's.
    Enemy* LaunchFromFactory(PoolId id, const Quorvex::AreaPos& position);

    // The pool of that slot (not counted), or null.
    Quorvex::FactoryAdapter* GetPool(PoolId id) const { return id >= 0 && id < PoolCount ? pools[id] : nullptr; }
    // Stores a pool with a counted reference, releasing the one it replaces.
    void SetPool(PoolId id, Quorvex::FactoryAdapter* pool);
    EnemyListSet* GetListSet(int index) const;

    std::vector<std::unique_ptr<EnemyListSet>> listSets;
    Quorvex::FactoryAdapter* pools[PoolCount] = {};  // counted
    EnemyScript_Derive* script = nullptr;             // owned

protected:
    // Creates, stores and initialises one pool: false when it fails.
    bool AddPool(PoolId id, Quorvex::FactoryAdapter* pool);
    void DeleteScript();
    void ReleasePools();
};
