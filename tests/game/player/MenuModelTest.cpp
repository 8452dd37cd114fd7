// The menu models of the machine and its missile, as the front-end scenes set
// them up (a scene may have no area manager).
#include <cmath>

#include "PlayerTestSupport.h"
#include "game/player/MissileStub.h"
#include "game/player/PlayerStub.h"

namespace player_test {
namespace {

using MenuModels = PlayerFixture;

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
    EXPECT_EQ(stub->FindAnimationSet("AnimationSet_velrin"), -1) << "no model loaded, no sets";
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
    for (int type : {2, 3, 0, 7}) {
        stub->SetType(type);
        EXPECT_EQ(stub->GetType(), type);
    }
    stub->Finalize();
    EXPECT_TRUE(stub->IsRemoveRequested());
    stub->Release();
}

}  // namespace
}  // namespace player_test
