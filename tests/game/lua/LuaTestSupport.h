// The enemy stage of the framework tests with a frame time for the timetables,
// a scratch folder for map files and the process log captured.
#pragma once
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "game/enemy/EnemyTestSupport.h"

namespace lua_test {

class LuaStage : public enemy_test::EnemyStage {
protected:
    void SetUp() override {
        ASSERT_EQ(Quorvex::SetupWorldExtents(), 0);
        log = std::make_unique<render_test::LogCapture>();
        EnemyStage::SetUp();
        static int counter = 0;
        folder = std::filesystem::temp_directory_path() /
                 ("orv_lua_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        EnemyStage::TearDown();
        log.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // One generator update with that frame time, as the stage's frame gives it.
    void Step(float dt) {
        Quorvex::g_pEnvironment->SetFrameTime(dt);
        generator->Update(dt);
    }
    void Run(float seconds, float dt) {
        for (float t = 0.0f; t < seconds - dt * 0.5f; t += dt) Step(dt);
    }

    std::string WriteMap(const std::string& name, const std::string& text) {
        const std::filesystem::path file = folder / name;
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

    int Appeared() const { return game->enemiesAppeared; }
    size_t InUse(EnemyGenerator_Derive::PoolId id) const {
        Quorvex::FactoryAdapter* pool = generator->GetPool(id);
        return pool ? static_cast<size_t>(pool->GetInUseCount()) : 0u;
    }
    // The first enemy of that pool in play, as T.
    template <class T>
    T* FirstInUse(EnemyGenerator_Derive::PoolId id) const {
        T* found = nullptr;
        if (Quorvex::FactoryAdapter* pool = generator->GetPool(id))
            pool->ForEachInUse([&found](Quorvex::IFactoryProduct* p) {
                if (!found) found = dynamic_cast<T*>(p);
            });
        return found;
    }
    std::set<Enemy*>& FairiesInPlay() const { return generator->GetListSet(EnemyGenerator_Derive::FairyListSet)->inUseSet; }

    std::unique_ptr<render_test::LogCapture> log;
    std::filesystem::path folder;
};

}  // namespace lua_test
