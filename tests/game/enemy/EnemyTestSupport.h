// A small stage for the enemy tests: an object manager without a device, a
// game manager and a player in the game state, an enemy generator whose
// enemy-bullet pool records every shot, and a plain enemy class.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/core/Utility.h"
#include "engine/core/render/RenderStage.h"
#include "engine/render/RenderTestSupport.h"
#include "game/app/GameManager.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/EnemyEx.h"
#include "game/enemy/EnemyFactory.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/EnemyListSet.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/player/Player.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"

namespace enemy_test {

using render_test::Held;

// An enemy of the framework alone; a kill follows the common rule of the
// enemy classes: explosion, score, back to the pool.
class TestEnemy : public EnemyEx, public Quorvex::FactoryProductAdapter {
public:
    TestEnemy(Quorvex::ObjectManager* manager, Quorvex::IAreaManager* area, const Quorvex::AreaPos& at,
              EnemyGenerator_Derive* generator, EnemyListSet* set)
        : EnemyEx(manager, area, at, generator, set) {}

    int ApplySetParam(ISetParam* param) override {
        auto* record = static_cast<EnemySpawnParam*>(param);
        D3DXQUATERNION facing;
        D3DXQuaternionRotationYawPitchRoll(&facing, D3DX_PI, 0.0f, 0.0f);
        Launch(facing, record->manager, record->position, MoveModeNone, 100.0f, D3DXVECTOR3(1, 1, 1));
        return 0;
    }
    void Hit(Quorvex::Object* other) override {
        const bool wasAlive = GetLifeValue() > 0.0f;
        Enemy::Hit(other);
        if (wasAlive && GetLifeValue() <= 0.0f) {
            AwardScore();
            Vanish();
        }
    }
    void Vanish() override {
        ++vanishes;
        EnemyEx::Vanish();
        ReturnToFactory();
    }
    int vanishes = 0;
};

// A player projectile with a given attack power.
class TestShot : public Bullet {
public:
    TestShot(Quorvex::ObjectManager* manager, float power, bool playerSide) : Bullet(manager, nullptr, {}) {
        Initialize(0);
        SetAttackPower(power);
        SetSide(playerSide);
    }
};

// An enemy bullet that only remembers how it was launched.
class RecordedShot : public Quorvex::Object, public Quorvex::FactoryProductAdapter, public IAtlasColoredShot {
public:
    struct Log {
        std::vector<ShotSpawnParam> records;
    };
    explicit RecordedShot(Log* log) : log_(log) {}
    int ApplySetParam(ISetParam* param) override {
        ShotSpawnParam copy;
        copy.Copy(*static_cast<ShotSpawnParam*>(param));
        log_->records.push_back(copy);
        return 0;
    }
    Quorvex::Sprite3DData* GetAtlasSprite() override { return &sprite; }
    Quorvex::Sprite3DData sprite;

private:
    Log* log_;
};

class RecordingPool : public Quorvex::Object, public Quorvex::FactoryAdapter {
public:
    Quorvex::IFactoryProduct* CreateProduct() override { return NewProduct<RecordedShot>(0, &log); }
    RecordedShot::Log log;
};

inline D3DXVECTOR3 Forward(const D3DXQUATERNION& q) {
    return Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 1.0f), q);
}

// One stage: the player 1000 units ahead of the origin on -z, enemies at the
// origin facing it.
class EnemyStage : public ::testing::Test {
protected:
    void SetUp() override {
        manager = new Quorvex::ObjectManager();
        manager->AddRef();
        ASSERT_EQ(manager->Initialize(render_test::DeviceFreeParam(1)), 0);
        game = new GameManager(nullptr, nullptr);
        game->AddRef();
        game->scoreMultiplier = 1.0f;
        g_pEnvironment2->gameManager = game;
        player = new Player(nullptr, nullptr, Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, -1000.0f)));
        g_pEnvironment2->SetPlayer(player);
        g_pEnvironment2->attackLevel = 0.0f;
        generator = new EnemyGenerator_Derive(manager, nullptr, Quorvex::AreaPos());
        generator->AddRef();
        ASSERT_EQ(generator->Initialize(0), 0);
        shots = new RecordingPool();
        generator->SetPool(EnemyGenerator_Derive::PoolRazer, shots);
    }
    void TearDown() override {
        for (TestEnemy* enemy : enemies) enemy->Release();
        if (effects) {
            g_pEnvironment2->effectGenerator = nullptr;
            effects->Release();
        }
        if (sprites) sprites->Release();
        generator->Release();
        g_pEnvironment2->SetPlayer(nullptr);
        g_pEnvironment2->gameManager = nullptr;
        game->Release();
        manager->Release();
    }

    // The effect generator with the sprite stage its explosions and aura
    // sprites join.
    void AddEffects() {
        sprites = new Quorvex::RenderStage();
        sprites->AddRef();
        sprites->Initialize(manager, "Sprite3D", 20000);
        manager->AddRenderStage(sprites);
        effects = new EffectGenerator(manager, nullptr, Quorvex::AreaPos());
        effects->AddRef();
        ASSERT_EQ(effects->Init(), 0);
    }

    // An enemy launched at the origin facing the player (yaw pi).
    TestEnemy* NewEnemy(float life = 100.0f, float level = 0.0f) {
        auto* enemy = new TestEnemy(manager, nullptr, Quorvex::AreaPos(), generator, nullptr);
        enemy->AddRef();
        enemy->Initialize(0);
        g_pEnvironment2->attackLevel = level;
        D3DXQUATERNION facing;
        D3DXQuaternionRotationYawPitchRoll(&facing, D3DX_PI, 0.0f, 0.0f);
        enemy->Launch(facing, manager, Quorvex::AreaPos(), MoveModeNone, life, D3DXVECTOR3(1, 1, 1));
        enemies.push_back(enemy);
        return enemy;
    }

    Quorvex::ObjectManager* manager = nullptr;  // one reference
    GameManager* game = nullptr;
    Player* player = nullptr;
    EnemyGenerator_Derive* generator = nullptr;
    RecordingPool* shots = nullptr;
    std::vector<TestEnemy*> enemies;  // one reference each
    EffectGenerator* effects = nullptr;
    Quorvex::RenderStage* sprites = nullptr;
};

}  // namespace enemy_test
