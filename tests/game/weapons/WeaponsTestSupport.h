// The machine's stage under keys, with a camera at the origin looking along +z, a marker
// generator, and enemies that take locks by the enemies' own gauge rule.
#pragma once
#include "../player/PlayerTestSupport.h"
#include "engine/core/render/RenderStage.h"
#include "game/enemy/BulletFactories.h"
#include "game/enemy/EnemyEx.h"
#include "game/player/weapons/Bullet_Nuke.h"
#include "game/player/weapons/LockonMarker.h"
#include "game/player/weapons/MarkerGenerator.h"
#include "game/world/effects/EffectGenerator.h"

namespace weapons_test {

using player_test::PlayerInputFixture;
using Quorvex::AreaPos;

using player_test::kDt;

class WeaponsFixture : public PlayerInputFixture {
protected:
    void SetUp() override {
        PlayerInputFixture::SetUp();
        objects->SetCamera(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 3.0f, 16.0f / 9.0f, 1.0f, 10000.0f);
        objects->SetProjectionMatrix(projection);
        D3DVIEWPORT9 viewport{0, 0, 1280, 720, 0.0f, 1.0f};
        objects->SetViewport(viewport);
        objects->UpdateMatrices();
        Sphere(L"Missile", 1.0f, 1.0f);
        Sphere(L"MissileBig", 2.0f, 1.0f);
        Sphere(L"NukeMicro", 2.0f, 1.0f);
        Sphere(L"NukeMicro2", 20.0f, 1.0f);
        Sphere(L"NukeMini", 5.0f, 1.0f);
    }

    void TearDown() override {
        DropLockOn();
        if (effects) {
            g_pEnvironment2->effectGenerator = nullptr;
            effects->RequestRemove(true);
            effects->Release();
        }
        for (Quorvex::RenderStage* stage : stages) stage->Release();
        PlayerInputFixture::TearDown();
    }

    // The effect pools with the stages their particles join.
    void Effects() {
        for (const char* name : {"Sprite3D", "Sprite3DOver"}) {
            auto* stage = new Quorvex::RenderStage();
            stage->AddRef();
            ASSERT_EQ(stage->Initialize(objects, name, 50000), 0);
            objects->AddRenderStage(stage);
            stages.push_back(stage);
        }
        effects = new EffectGenerator(objects, areas, AreaPos());
        effects->AddRef();
        ASSERT_EQ(effects->Init(), 0);
    }

    // One frame of the world, then the effect stages drawn: particles age as
    // they are drawn.
    void DrawEffects(float elapsed) {
        Quorvex::g_pEnvironment->SetElapsedTime(elapsed);
        objects->Update(elapsed);
        for (Quorvex::RenderStage* stage : stages) objects->BeginStage(stage);
    }

    void DropLockOn() {
        if (lockon) {
            lockon->ForgetPlayer();
            lockon->Release();
            lockon = nullptr;
        }
        if (generator) generator->Release();
        generator = nullptr;
    }

    MarkerGenerator* NewGenerator() {
        generator = new MarkerGenerator(objects, areas, AreaPos());
        generator->AddRef();
        EXPECT_EQ(generator->Initialize(0), 0);
        return generator;
    }

    // The reticle of a machine at the origin, at the screen centre.
    LockonMarker* NewLockon(float lockAmount = 100.0f) {
        if (!generator) NewGenerator();
        if (!player) NewPlayer();
        lockon = new LockonMarker(objects, generator, player);
        lockon->AddRef();
        lockon->Initialize(0);
        lockon->SetPosition(Quorvex::g_Aspect * 0.5f, 0.5f);
        lockon->LockAmount = lockAmount;
        return lockon;
    }

    // A live, lockable enemy-side enemy; its lock gauge starts at its life
    // (at most 300).
    EnemyEx* NewEnemy(const D3DXVECTOR3& world, float life) {
        EnemyEx* enemy = Make<EnemyEx>(AreaPos::FromWorld(world), nullptr, nullptr);
        enemy->SetLife(life);
        enemy->SetGroupFlag(GroupEnemySide, true);
        enemy->SetGroupFlag(GroupLockable, true);
        return enemy;
    }

    // One frame of the lock-on: the list, then the reticle.
    void LockFrame() {
        generator->Update(kDt);
        if (lockon) lockon->Update(kDt);
    }

    // The markers in use of the given type on that enemy.
    int MarkersOn(Character* enemy, int type) const {
        int n = 0;
        for (Marker* marker : generator->CopyInUseMarkers())
            if (marker->GetTarget() == enemy && marker->MarkerType == type) ++n;
        return n;
    }

    Marker* LockOn(Character* enemy) const {
        for (Marker* marker : generator->CopyInUseMarkers())
            if (marker->GetTarget() == enemy && marker->MarkerType == MarkerTypeLock) return marker;
        return nullptr;
    }

    MarkerGenerator* generator = nullptr;
    LockonMarker* lockon = nullptr;
    EffectGenerator* effects = nullptr;
    std::vector<Quorvex::RenderStage*> stages;
};

// The stage with the nuke pool, and a launch from 300 up at the origin.
class NukeFixture : public WeaponsFixture {
protected:
    void SetUp() override {
        WeaponsFixture::SetUp();
        pool = new Bullet_NukeFactory(objects, areas, nullptr);
        pool->AddRef();
        ASSERT_EQ(pool->Initialize(0), 0);
    }

    void TearDown() override {
        pool->Release();
        WeaponsFixture::TearDown();
    }

    Bullet_Nuke* FireNuke(int kind, int side, float detonationTime, float speedFactor = 1.0f,
                          const D3DXQUATERNION& ahead = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f)) {
        Bullet_Nuke::SetParam record(AreaPos::FromWorld(D3DXVECTOR3(0, 300, 0)), ahead, nullptr, side,
                                     D3DXVECTOR3(0, 0, 0), 1.0f, objects, speedFactor, detonationTime, kind);
        Quorvex::IFactoryProduct* product = pool->AcquireProduct(&record);
        EXPECT_NE(product, nullptr);
        if (!product) return nullptr;
        product->Release();
        return dynamic_cast<Bullet_Nuke*>(product);
    }

    Bullet_NukeFactory* pool = nullptr;
};

}  // namespace weapons_test
