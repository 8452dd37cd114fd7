// The menu models of the machine and its missile, as the front-end scenes set
// them up (a scene may have no area manager).
#include <algorithm>
#include <cmath>

#include "PlayerTestSupport.h"
#include "game/player/MissileStub.h"
#include "game/player/PlayerStub.h"

namespace player_test {
namespace {

using MenuModels = PlayerFixture;

// The search takes the first set whose name begins with the text asked for.
TEST_F(LoadedModels, PlayerStubFindsAnimationSetsByTheirNameStart) {
    auto* stub = new PlayerStub(models, nullptr, AreaPos());
    stub->AddRef();
    PlayerStub::InitParam record;
    record.type = 1;
    ASSERT_EQ(stub->Initialize(record), 0);
    const int sj = stub->FindAnimationSet("AnimationSet_velrin_sj");
    const int nj = stub->FindAnimationSet("AnimationSet_velrin_nj2");
    const int first = stub->FindAnimationSet("AnimationSet_velrin_nj");
    EXPECT_GE(sj, 0);
    EXPECT_GE(nj, 0);
    EXPECT_GE(first, 0);
    EXPECT_NE(sj, nj);
    EXPECT_NE(sj, first);
    EXPECT_LE(first, nj) << "the first of the two sets that begin with it";
    EXPECT_EQ(stub->FindAnimationSet("AnimationSet_velrin"), std::min({sj, nj, first}));
    EXPECT_EQ(stub->FindAnimationSet("AnimationSet_velrin_nj22"), -1) << "a longer text is no name start";
    EXPECT_EQ(stub->FindAnimationSet("AnimationSet_toska"), -1);
    EXPECT_EQ(stub->FindAnimationSet(nullptr), -1);
    stub->SetModel(0);
    EXPECT_EQ(stub->FindAnimationSet("AnimationSet_velrin_sj"), -1) << "no model, no sets";
    stub->RequestRemove(true);
    stub->Release();
}

// Types 1 and 2 show the missile, 3 the nuke; any other type shows nothing.
TEST_F(LoadedModels, MissileStubShowsTheModelOfItsType) {
    auto* stub = new MissileStub(models, nullptr);
    stub->AddRef();
    ASSERT_EQ(stub->Initialize(0), 0);
    auto* missile = dynamic_cast<Quorvex::MeshUnit*>(resources->GetResource("missile"));
    auto* nuke = dynamic_cast<Quorvex::MeshUnit*>(resources->GetResource("Mesh_Nuke2"));
    ASSERT_NE(missile, nullptr);
    ASSERT_NE(nuke, nullptr);
    EXPECT_EQ(stub->GetMesh(), missile);
    const struct {
        int type;
        const Quorvex::MeshUnit* model;
    } cases[] = {{3, nuke}, {2, missile}, {0, nullptr}, {3, nuke}, {7, nullptr}, {1, missile}};
    for (const auto& c : cases) {
        stub->SetType(c.type);
        EXPECT_EQ(stub->GetType(), c.type);
        EXPECT_EQ(stub->GetMesh(), c.model) << "type " << c.type;
    }
    stub->Finalize();
    EXPECT_EQ(stub->GetMesh(), nullptr);
    stub->Release();
}

TEST_F(MenuModels, PlayerStubStartsAtTheOriginWithHalfThrottle) {
    auto* stub = new PlayerStub(objects, nullptr, AreaPos::FromWorld(D3DXVECTOR3(5.0f, 100.0f, 0.0f)));
    stub->AddRef();
    PlayerStub::InitParam record;
    record.type = 2;
    ASSERT_EQ(stub->Initialize(record), 0);
    EXPECT_EQ(stub->GetModel(), 2);
    EXPECT_EQ(stub->engineSound, 1);
    EXPECT_FLOAT_EQ(stub->engineLevel, 0.5f);
    const D3DXVECTOR3 at = stub->GetWorldPosition();
    EXPECT_FLOAT_EQ(D3DXVec3Length(&at), 0.0f);
    EXPECT_EQ(PlayerStub::EngineFrequency(stub->engineLevel), 44100u);
    EXPECT_EQ(PlayerStub::EngineFrequency(0.0f), 22050u);
    EXPECT_EQ(PlayerStub::EngineFrequency(1.0f), 66150u);
    EXPECT_EQ(stub->FindAnimationSet("AnimationSet_velrin"), -1) << "no resources, no model, no sets";
    stub->Update(1.0f / 60.0f);  // no sound manager: silent, no failure
    stub->SetModel(0);
    EXPECT_EQ(stub->GetModel(), 0);
    stub->RequestRemove(true);
    stub->Release();
}

TEST_F(MenuModels, MissileStubStartsAsAHiddenMissileTurnedAQuarterRoll) {
    auto* stub = new MissileStub(objects, nullptr);
    stub->AddRef();
    ASSERT_EQ(stub->Initialize(0), 0);
    EXPECT_EQ(stub->GetType(), 1);
    EXPECT_EQ(stub->shown, 0);
    D3DXQUATERNION roll;
    D3DXQuaternionRotationYawPitchRoll(&roll, 0.0f, 0.0f, D3DX_PI / 4.0f);
    EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&roll, &stub->GetOrientation())), 1.0f, 1e-6f);
    stub->Finalize();
    EXPECT_TRUE(stub->IsRemoveRequested());
    stub->Release();
}

}  // namespace
}  // namespace player_test
