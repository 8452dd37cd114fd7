// The stage the boss tests share: an enemy stage with effects, a stage scene
// that counts the boss's skip requests, a HUD countdown the boss must
// overwrite, and the steps that launch, hit and run a boss.
#pragma once
#include <vector>

#include "game/enemy/EnemyTestSupport.h"
#include "game/play/SceneAction.h"

namespace enemy_test {

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kDeg = 0.017453292f;

// Counts the skip requests a boss sends to the stage.
class SkipCounter : public SceneAction {
public:
    void SetSkip() override { ++skips; }
    void SetMusicVolume(float) override {}
    Quorvex::SoundUnit* GetMusic() override { return nullptr; }
    int skips = 0;
};

class BossStage : public EnemyStage {
protected:
    void SetUp() override {
        EnemyStage::SetUp();
        AddEffects();
        g_pEnvironment2->actionScene = &scene;
        g_pEnvironment2->bossTimeLimit = 123.0f;
    }
    void TearDown() override {
        for (Enemy* boss : made) boss->Release();
        made.clear();
        g_pEnvironment2->actionScene = nullptr;
        g_pEnvironment2->currentBoss = nullptr;
        EnemyStage::TearDown();
    }

    // A new boss kept for the teardown (one reference), initialised, with the
    // attack level it reads at launch.
    template <class Boss>
    Boss* Keep(Boss* boss, float level) {
        boss->AddRef();
        made.push_back(boss);
        EXPECT_EQ(boss->Initialize(0), 0);
        g_pEnvironment2->attackLevel = level;
        return boss;
    }

    // A boss from its launch record 300 units before the origin, then turned
    // to the player.
    template <class Boss>
    Boss* NewBoss(float level = 0.0f) {
        auto* boss = Keep(new Boss(manager, nullptr, Quorvex::AreaPos(), generator, nullptr), level);
        typename Boss::SetParam record;
        record.position = At(-300.0f);
        record.manager = manager;
        EXPECT_EQ(boss->ApplySetParam(&record), 0);
        boss->SetOrientation(Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f));
        return boss;
    }

    static Quorvex::AreaPos At(float z) { return Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, z)); }

    void Hit(Enemy* boss, float power) {
        Held<TestShot> shot(new TestShot(manager, power, true));
        boss->OnCollision(shot.get());
    }
    void Kill(Enemy* boss) { Hit(boss, 1.0e6f); }

    template <class Boss>
    void Run(Boss* boss, float seconds) {
        for (float t = 0.0f; t < seconds; t += kFrame) boss->Update(kFrame);
    }

    SkipCounter scene;
    std::vector<Enemy*> made;  // one reference each
};

}  // namespace enemy_test
