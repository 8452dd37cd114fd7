#include "game/enemy/EnemyGenerator_Derive.h"

#include "game/enemy/BulletFactories.h"
#include "game/enemy/Enemy.h"
#include "game/enemy/EnemyFactories.h"
#include "game/enemy/EnemyFactory.h"
#include "game/enemy/EnemyScript_Derive.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/player/Player.h"
#include "game/player/weapons/Bullet_Nuke.h"
#include "game/state/Environment2.h"

EnemyGenerator_Derive::EnemyGenerator_Derive(Quorvex::ObjectManager* objectManager,
                                             Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& position)
    : EnemyGenerator(objectManager, areaManager, position) {}

EnemyGenerator_Derive::~EnemyGenerator_Derive() {
    DeleteScript();
    ReleasePools();
    // The fairies go with their list sets.
    listSets.clear();
}

void EnemyGenerator_Derive::ReleasePools() {
    for (int i = PoolCount - 1; i >= 0; --i) {
        Quorvex::FactoryAdapter* pool = pools[i];
        pools[i] = nullptr;
        if (!pool) continue;
        // A pool may outlive the generator in the object manager for a
        // frame: it must not read the generator any more.
        if (auto* enemies = dynamic_cast<EnemyFactoryBase*>(pool)) enemies->generator = nullptr;
        if (auto* bullets = dynamic_cast<EnemyBulletFactoryBase*>(pool)) bullets->generator = nullptr;
        pool->Release();
    }
}

int EnemyGenerator_Derive::Initialize(int param) {
    EnemyGenerator::Initialize(param);

    listSets.clear();
    for (int i = 0; i < 3; ++i) listSets.push_back(std::make_unique<EnemyListSet>());
    EnemyListSet* fairies = listSets[FairyListSet].get();
    for (int i = 0; i < FairyStock; ++i) {
        auto* fairy = new Enemy_Fighter2(GetObjectManager(), GetAreaManager(), GetAreaPos(), this, fairies);
        fairies->AddFree(fairy);
        fairy->AddRef();
        fairy->Initialize(0);
        // A fairy in stock is not in play: it joins the world at its launch.
        fairy->RequestRemove(true);
    }

    ClearEvents();

    // The pools in their creation order; the first that fails ends the
    // set-up.
    Quorvex::ObjectManager* objects = GetObjectManager();
    Quorvex::IAreaManager* area = GetAreaManager();
    bool made = AddPool(PoolRazer, new Bullet_RazerFactory(objects, area, this)) &&
                AddPool(PoolMissile2, new Bullet_Missile2Factory(objects, area, this)) &&
                AddPool(PoolShotPoint, new Enemy_ShotPointFactory(objects, area, this)) &&
                AddPool(PoolRay, new Bullet_RayFactory(objects, area, this));
    if (made) {
        // Rays and ray2s draw their segments from one pool.
        auto* rays2 = new Bullet_Ray2Factory(objects, area, this);
        rays2->SetSegmentFactory(dynamic_cast<EnemyBulletFactoryBase*>(pools[PoolRay])->GetSegmentFactory());
        made = AddPool(PoolRay2, rays2);
    }
    made = made && AddPool(PoolRing, new Bullet_RingFactory(objects, area, this)) &&
           AddPool(PoolVolcano, new Bullet_VolcanoFactory(objects, area, this)) &&
           AddPool(PoolNuke, new Bullet_NukeFactory(objects, area, this)) &&
           AddPool(PoolAimmingLaser, new Bullet_AimmingLaserFactory(objects, area, this)) &&
           AddPool(PoolFighter3, new Enemy_Fighter3Factory(objects, area, this)) &&
           AddPool(PoolFighter4, new Enemy_Fighter4Factory(objects, area, this)) &&
           AddPool(PoolBig, new Enemy_BigFactory(objects, area, this)) &&
           AddPool(PoolKetama, new Enemy_KetamaFactory(objects, area, this)) &&
           AddPool(PoolTama, new Enemy_TamaFactory(objects, area, this)) &&
           AddPool(PoolVader, new Enemy_VaderFactory(objects, area, this)) &&
           AddPool(PoolFesko, new Enemy_FeskoFactory(objects, area, this)) &&
           AddPool(PoolPentra, new Enemy_PentraFactory(objects, area, this)) &&
           AddPool(PoolGralle, new Enemy_GralleFactory(objects, area, this)) &&
           AddPool(PoolOrsel, new Enemy_OrselFactory(objects, area, this)) &&
           AddPool(PoolToska, new Enemy_ToskaFactory(objects, area, this)) &&
           AddPool(PoolReidan, new Enemy_ReidanFactory(objects, area, this));
    return made ? 0 : -1;
}

bool EnemyGenerator_Derive::AddPool(PoolId id, Quorvex::FactoryAdapter* pool) {
    if (!pool) return false;
    SetPool(id, pool);
    auto* object = dynamic_cast<Quorvex::Object*>(pool);
    return !object || object->Initialize(0) >= 0;
}

void EnemyGenerator_Derive::SetPool(PoolId id, Quorvex::FactoryAdapter* pool) {
    if (id < 0 || id >= PoolCount || pools[id] == pool) return;
    if (pool) pool->AddRef();
    if (pools[id]) pools[id]->Release();
    pools[id] = pool;
}

EnemyListSet* EnemyGenerator_Derive::GetListSet(int index) const {
    return index >= 0 && index < static_cast<int>(listSets.size()) ? listSets[index].get() : nullptr;
}

void EnemyGenerator_Derive::DeleteScript() {
    // Closes the map's Lua state; the map clears the global pointer to it.
    delete script;
    script = nullptr;
}

void EnemyGenerator_Derive::Update(float dt) {
    UpdateEvents(dt);
    if (!script) return;
    // The generator's own map, never the global pointer: a map that ended is
    // deleted one update later.
    if (script->IsEnded())
        DeleteScript();
    else
        script->Update(dt);
}

void EnemyGenerator_Derive::ClearEvents() {
    EnemyGenerator::ClearEvents();
    DeleteScript();
}

EnemyScript_Derive* EnemyGenerator_Derive::CreateEnemyScript(const char* fileName) {
    DeleteScript();
    try {
        script = new EnemyScript_Derive(fileName, this);
    } catch (const wchar_t*) {
        // A missing or damaged map has been logged by its load; the stage goes
        // on without one rather than ending the game.
        script = nullptr;
    }
    return script;
}

Enemy* EnemyGenerator_Derive::LaunchFromFactory(PoolId id, const Quorvex::AreaPos& position) {
    Quorvex::FactoryAdapter* pool = GetPool(id);
    if (!pool) return nullptr;
    EnemySpawnParam record;
    record.position = position;
    record.manager = GetObjectManager();
    Quorvex::IFactoryProduct* product = pool->AcquireProduct(&record);
    if (!product) return nullptr;
    Enemy* enemy = dynamic_cast<Enemy*>(product);
    if (!enemy) {
        // Not an enemy: give it straight back.
        product->ReturnToFactory();
        product->Release();
    }
    return enemy;
}

namespace {

template <class T>
T* As(Enemy* enemy) {
    return static_cast<T*>(enemy);
}

}  // namespace

Enemy_Fighter2* EnemyGenerator_Derive::LaunchFighter2(const Quorvex::AreaPos& position) {
    EnemyListSet* fairies = GetListSet(FairyListSet);
    Enemy* enemy = fairies ? fairies->Acquire() : nullptr;
    if (!enemy) return nullptr;
    auto* fairy = static_cast<Enemy_Fighter2*>(enemy);
    Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr;
    const D3DXQUATERNION facing =
        player ? MakeAimQuaternion(position, player->GetAreaPos()) : D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    fairy->Launch(position, facing, GetObjectManager());
    return fairy;
}

Enemy_Fighter2* EnemyGenerator_Derive::LaunchFighter2OnPath(const D3DXVECTOR3* points, int count, float speed,
                                                            int attackType) {
    if (!points || count <= 0) return nullptr;
    Enemy_Fighter2* fairy = LaunchFighter2(GetAreaPos().Translated(points[0]));
    if (!fairy) return nullptr;
    fairy->GetMoveParam()->SetPath(points, count, speed);
    fairy->SetAttackType(attackType);
    fairy->attackType = attackType;
    return fairy;
}

Enemy_ShotPoint* EnemyGenerator_Derive::LaunchShotPoint(const Quorvex::AreaPos& position,
                                                       const D3DXQUATERNION& orientation) {
    Quorvex::FactoryAdapter* pool = GetPool(PoolShotPoint);
    if (!pool) return nullptr;
    Enemy_ShotPoint::SetParam record;
    record.position = position;
    record.manager = GetObjectManager();
    record.orientation = orientation;
    return dynamic_cast<Enemy_ShotPoint*>(pool->AcquireProduct(&record));
}

Enemy_Fighter3* EnemyGenerator_Derive::LaunchFighter3(const Quorvex::AreaPos& p) {
    return As<Enemy_Fighter3>(LaunchFromFactory(PoolFighter3, p));
}
Enemy_Fighter4* EnemyGenerator_Derive::LaunchFighter4(const Quorvex::AreaPos& p) {
    return As<Enemy_Fighter4>(LaunchFromFactory(PoolFighter4, p));
}
Enemy_Big* EnemyGenerator_Derive::LaunchBig(const Quorvex::AreaPos& p) {
    return As<Enemy_Big>(LaunchFromFactory(PoolBig, p));
}
Enemy_Ketama* EnemyGenerator_Derive::LaunchKetama(const Quorvex::AreaPos& p) {
    return As<Enemy_Ketama>(LaunchFromFactory(PoolKetama, p));
}
Enemy_Tama* EnemyGenerator_Derive::LaunchTama(const Quorvex::AreaPos& p) {
    return As<Enemy_Tama>(LaunchFromFactory(PoolTama, p));
}
Enemy_Vader* EnemyGenerator_Derive::LaunchVader(const Quorvex::AreaPos& p) {
    return As<Enemy_Vader>(LaunchFromFactory(PoolVader, p));
}
Enemy_Fesko* EnemyGenerator_Derive::LaunchFesko(const Quorvex::AreaPos& p) {
    return As<Enemy_Fesko>(LaunchFromFactory(PoolFesko, p));
}
Enemy_Reidan* EnemyGenerator_Derive::LaunchReidan(const Quorvex::AreaPos& p) {
    return As<Enemy_Reidan>(LaunchFromFactory(PoolReidan, p));
}

Enemy_Pentra* EnemyGenerator_Derive::LaunchPentra(const Quorvex::AreaPos& p) {
    return As<Enemy_Pentra>(LaunchFromFactory(PoolPentra, p));
}
Enemy_Gralle* EnemyGenerator_Derive::LaunchGralle(const Quorvex::AreaPos& p) {
    return As<Enemy_Gralle>(LaunchFromFactory(PoolGralle, p));
}
Enemy_Toska* EnemyGenerator_Derive::LaunchToska(const Quorvex::AreaPos& p) {
    return As<Enemy_Toska>(LaunchFromFactory(PoolToska, p));
}
Enemy_Orsel* EnemyGenerator_Derive::LaunchOrsel(const Quorvex::AreaPos& p) {
    return As<Enemy_Orsel>(LaunchFromFactory(PoolOrsel, p));
}

Quorvex::FactoryAdapter* NukePoolOf(EnemyGenerator_Derive* generator) {
    return generator ? generator->GetPool(EnemyGenerator_Derive::PoolNuke) : nullptr;
}
