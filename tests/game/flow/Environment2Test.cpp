#include <gtest/gtest.h>

#include <cstring>

#include "FlowTestSupport.h"
#include "game/player/Player.h"
#include "game/state/Environment2.h"

using flow_test::FreshEnvironment;

namespace {

TEST(Environment2, StartsWithTheDefaultRunAndRankings) {
    FreshEnvironment env;
    EXPECT_EQ(env->difficulty, 2);
    EXPECT_EQ(env->level, 1);
    EXPECT_EQ(env->fighter, 1);
    EXPECT_EQ(env->playMode, 1);
    EXPECT_FLOAT_EQ(env->attackLevel, 0.4f);
    EXPECT_FLOAT_EQ(env->bossTimeLimit, -1.0f);
    EXPECT_EQ(env->active_velrin_a, 1);
    EXPECT_EQ(env->active_velrin_b, 0);
    for (int32_t code : env->defaultName) EXPECT_EQ(code, -1);
    // Every list of every fighter, difficulty and level holds the same fifteen
    // default names with score 0.
    for (int f = 0; f < Environment2::kFighterSlots; ++f)
        for (int d = 0; d < Environment2::kDifficultySlots; ++d)
            for (int l = 0; l < Environment2::kLevelSlots; ++l) {
                EXPECT_EQ(std::memcmp(env->rankingName[f][d][l], env->rankingName[0][0][0],
                                      sizeof(env->rankingName[0][0][0])),
                          0);
                for (int64_t score : env->rankingScore[f][d][l]) EXPECT_EQ(score, 0);
            }
    const int32_t rank0[] = {102, 10, 0, 101, 105, 4, 13, 515};
    const int32_t rank14[] = {500, 501, 502, 503, 515, 515, 515, 515};
    EXPECT_EQ(std::memcmp(env->rankingName[4][4][6][0], rank0, sizeof(rank0)), 0);
    EXPECT_EQ(std::memcmp(env->rankingName[4][4][6][14], rank14, sizeof(rank14)), 0);
}

TEST(Environment2, FillPresetLeavesOtherRanksAlone) {
    for (int rank : {-1, 15}) {
        int32_t names[Environment2::kNameLength] = {7, 7, 7, 7, 7, 7, 7, 7};
        Environment2::FillPreset(names, rank);
        for (int32_t code : names) EXPECT_EQ(code, 7) << rank;
    }
}

TEST(Environment2, SettingThePlayerTwiceKeepsOneReferenceAndNullClearsBothPointers) {
    FreshEnvironment env;
    auto* player = new Player(nullptr, nullptr, Quorvex::AreaPos());
    player->AddRef();
    env->SetPlayer(player);
    env->SetPlayer(player);
    EXPECT_EQ(player->GetRefCount(), 2);
    EXPECT_EQ(env->centerInfo.pObject, player);
    env->SetPlayer(nullptr);
    EXPECT_EQ(player->GetRefCount(), 1);
    EXPECT_EQ(env->player, nullptr);
    EXPECT_EQ(env->centerInfo.pObject, nullptr);
    player->Release();
}

}  // namespace
