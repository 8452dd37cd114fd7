// The enemy pools of the enemy generator, one class per enemy.
#pragma once
#include "game/enemy/EnemyFactory.h"
#include "game/enemy/types/Enemy_Big.h"
#include "game/enemy/types/Enemy_Fesko.h"
#include "game/enemy/types/Enemy_Fighter3.h"
#include "game/enemy/types/Enemy_Gralle.h"
#include "game/enemy/types/Enemy_Fighter4.h"
#include "game/enemy/types/Enemy_Ketama.h"
#include "game/enemy/types/Enemy_Orsel.h"
#include "game/enemy/types/Enemy_Pentra.h"
#include "game/enemy/types/Enemy_Reidan.h"
#include "game/enemy/types/Enemy_ShotPoint.h"
#include "game/enemy/types/Enemy_Tama.h"
#include "game/enemy/types/Enemy_Toska.h"
#include "game/enemy/types/Enemy_Vader.h"

// A named pool over its enemy class with its maximum count. The pools of
// the bosses that drift with the stage keep a copy of the centre motion.
template <class T, int MaxCount, bool Registered = true, bool CopiesMotion = false>
class EnemyPool : public EnemyFactory<T> {
public:
    static constexpr int kMaxCount = MaxCount;
    EnemyPool(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
              EnemyGenerator_Derive* generator)
        : EnemyFactory<T>(objectManager, areaManager, generator, MaxCount, Registered) {
        this->copiesCenterMotion = CopiesMotion;
    }
};

// The emitters' pool is not in the object manager and has no limit.
class Enemy_ShotPointFactory : public EnemyPool<Enemy_ShotPoint, 0, false> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_Fighter3Factory : public EnemyPool<Enemy_Fighter3, 500> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_Fighter4Factory : public EnemyPool<Enemy_Fighter4, 500> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_BigFactory : public EnemyPool<Enemy_Big, 500> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_KetamaFactory : public EnemyPool<Enemy_Ketama, 500> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_TamaFactory : public EnemyPool<Enemy_Tama, 500> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_VaderFactory : public EnemyPool<Enemy_Vader, 1000> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_ReidanFactory : public EnemyPool<Enemy_Reidan, 500> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_FeskoFactory : public EnemyPool<Enemy_Fesko, 500> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_PentraFactory : public EnemyPool<Enemy_Pentra, 500> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_GralleFactory : public EnemyPool<Enemy_Gralle, 500, true, true> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_OrselFactory : public EnemyPool<Enemy_Orsel, 500, true, true> {
public:
    using EnemyPool::EnemyPool;
};
class Enemy_ToskaFactory : public EnemyPool<Enemy_Toska, 500, true, true> {
public:
    using EnemyPool::EnemyPool;
};
