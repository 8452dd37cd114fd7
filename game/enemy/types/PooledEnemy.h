// Base of the factory-made ordinary enemies: the pool's launch record starts
// the class's own launch, a kill follows the shared hit rule, and a vanish
// hands the product back to its pool.
#pragma once
#include "engine/core/render/FactoryAdapter.h"
#include "game/enemy/EnemyEx.h"
#include "game/enemy/EnemyFactory.h"

class PooledEnemy : public EnemyEx, public Quorvex::FactoryProductAdapter {
public:
    typedef EnemySpawnParam SetParam;

    PooledEnemy(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~PooledEnemy() override;

    // The shared hit of the ordinary enemies (Enemy_Fighter2::Hit).
    void Hit(Quorvex::Object* hitter) override;
    // Attacks cleared, life -1, removal, back to a list set if any, and the
    // product back to its pool. A second call within the same launch does
    // nothing, so a product is never handed back twice.
    void Vanish() override;
    void Discard() override { Vanish(); }
    // Starts LaunchFrom with a spawn record; -1 for any other record.
    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;

protected:
    virtual void LaunchFrom(const EnemySpawnParam& record) = 0;
    // The enemy's offset from its generator (from the centre without one).
    D3DXVECTOR3 OffsetFromGenerator() const;
    Quorvex::AreaPos GeneratorPosition() const;
    void VanishAtPathEnd(EnemyEx::MoveParam*) { Vanish(); }
};
