// The ground generator on a real device: what the areas place through it, the
// pools' limits, the mountains' trees, the sea's rectangles and the return of
// terrain that the stream has left behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "TerrainTestSupport.h"
#include "game/world/effects/Smoke.h"
#include "game/world/terrain/AreaFactories.h"
#include "platform/win32/services.h"

using terrain_test::AreaPos;
using terrain_test::Int3;

namespace {

class GroundScene : public terrain_test::SceneTest {
protected:
    void SetUp() override {
        terrain_test::SceneTest::SetUp();
        if (HasFatalFailure()) return;
        factory_ = new AreaFactory_2(world.areas, world.objects);
        world.areas->SetAreaFactory(factory_);
        ASSERT_EQ(factory_->Init(0), 0);
        generator_ = GroundGenerator::GetCurrent();
        ASSERT_NE(generator_, nullptr);
    }
    void TearDown() override {
        for (Area* area : made_) area->Release();
        made_.clear();
        terrain_test::SceneTest::TearDown();
    }

    // An initialised Area the test holds (the manager's map holds another).
    template <class A, class... Args>
    A* MakeArea(const Int3& cell, Args... args) {
        A* area = new A(world.areas, cell, generator_, args...);
        area->AddRef();
        made_.push_back(area);
        EXPECT_EQ(area->Init(0), 0);
        return area;
    }

    int TreesInUse() const { return generator_->GetTreeFactory()->GetInUseCount(); }

    AreaFactory_2* factory_ = nullptr;  // the area manager holds it
    GroundGenerator* generator_ = nullptr;
    std::vector<Area*> made_;
};

TEST_F(GroundScene, FactoriesShareOneGeneratorAndSky) {
    EXPECT_EQ(g_pEnvironment2->groundGenerator, generator_);
    SkyDome* sky = generator_->CreateSkyDome();
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(generator_->CreateSkyDome(), sky);
    EXPECT_EQ(generator_->GetSkyDome(), sky);
    EXPECT_NE(generator_->GetEnemySpellBg(), nullptr);
    // The dome's flare is the presets' tint target.
    EXPECT_EQ(sky->m_pTintTarget, &sky->GetFlare()->m_sprite.color);

    auto* stage6 = new AreaFactory_6(world.areas, world.objects);
    stage6->AddRef();
    EXPECT_EQ(stage6->Init(0), 0);
    EXPECT_EQ(stage6->GetGroundGenerator(), generator_);
    EXPECT_TRUE(world.areas->IsCreateOnDemand());
    stage6->Release();
}

TEST_F(GroundScene, SeaAreasPlaceWaterIceAndSmoke) {
    world.areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0, 0, 0), 1);
    Ground_SeaSet::Ground_Sea* sea = generator_->GetSea();
    const int water = sea->GetWaterParamCount();

    Area_Sea* calm = MakeArea<Area_Sea>(Int3{0, 0, 1}, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(sea->GetWaterParamCount(), water + 1);
    EXPECT_EQ(calm->GetPieceCount(), 0u);

    Area_Sea* icy = MakeArea<Area_Sea>(Int3{0, 0, 2}, 0.5f, 0.0f, 0.0f);
    EXPECT_EQ(icy->GetPieceCount(), 2u);  // 5 x 0.5, truncated
    int checked = 0;
    generator_->GetSnowIceFactory()->ForEachPiece([&](Ground_Base* piece) {
        auto* ice = dynamic_cast<Ground_SnowIce*>(piece);
        ASSERT_NE(ice, nullptr);
        for (float s : {ice->m_scale.x, ice->m_scale.y, ice->m_scale.z}) {
            EXPECT_GE(s, 0.05f);
            EXPECT_LT(s, 0.5f);
        }
        EXPECT_EQ(ice->m_areaPos.GetCell().z, 2);
        ++checked;
    });
    EXPECT_EQ(checked, 2);

    // One puff per whole interval held: 0.05 s at rate 1, 0.15 s at 0.5.
    SmokeFactory* smoke = generator_->GetSmokeFactory();
    Area_Sea* steaming = MakeArea<Area_Sea>(Int3{0, 0, 3}, 0.0f, 1.0f, 0.0f);
    steaming->Update(0.16f);
    EXPECT_EQ(smoke->GetInUseCount(), 3);
    Area_Sea* misty = MakeArea<Area_Sea>(Int3{0, 0, 4}, 0.0f, 0.5f, 0.0f);
    misty->Update(0.16f);
    EXPECT_EQ(smoke->GetInUseCount(), 4);
    misty->Update(0.145f);
    EXPECT_EQ(smoke->GetInUseCount(), 5);

    // The rectangles leave the sea with their Areas (the manager drops the
    // map's reference and the one the test held as creator).
    for (Area* area : made_) world.areas->RemoveArea(area);
    made_.clear();
    EXPECT_EQ(sea->GetWaterParamCount(), water);
}

TEST_F(GroundScene, TreesTakeTheirSizeTypeAndRow) {
    const AreaPos origin = AreaPos::FromCellAndOffset(Int3{0, 0, 5}, D3DXVECTOR3(500, 0, 500));
    Ground_Tree* small = generator_->CreateSmallTree(origin);
    Ground_Tree* large = generator_->CreateTree(origin);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_GE(small->m_sprite.width, 90.0f);
    EXPECT_LT(small->m_sprite.width, 180.0f);
    EXPECT_GE(small->m_sprite.height, 40.0f);
    EXPECT_LT(small->m_sprite.height, 70.0f);
    EXPECT_NEAR(AreaPos::Difference(small->m_areaPos, origin).y, 0.3f * small->m_sprite.height, 1e-3f);
    EXPECT_GE(large->m_sprite.width, 337.5f);
    EXPECT_LT(large->m_sprite.width, 525.0f);
    EXPECT_GE(large->m_sprite.height, 375.0f);
    EXPECT_LT(large->m_sprite.height, 562.5f);
    EXPECT_NEAR(AreaPos::Difference(large->m_areaPos, origin).y, 0.37f * large->m_sprite.height, 1e-3f);

    // Type 5 is the lower-left quarter of the atlas.
    large->SetType(5);
    EXPECT_EQ(large->m_sprite.uv[0], D3DXVECTOR2(0.0f, 0.5f));
    EXPECT_EQ(large->m_sprite.uv[3], D3DXVECTOR2(0.5f, 1.0f));
    small->Release();
    large->Release();

    // Placed trees show the whole picture of type 1, about half of them
    // mirrored (the u of each corner pair swapped); the seeded generator
    // decides which.
    CrtSrand(20261211);
    std::vector<Ground_Tree*> row;
    generator_->CreateTreeRow(origin, &row);
    ASSERT_EQ(row.size(), 25u);
    int mirrored = 0, plain = 0;
    for (Ground_Tree* tree : row) {
        const D3DXVECTOR3 d = AreaPos::Difference(tree->m_areaPos, origin);
        // The row's own spread plus the tree's jitter of 40 either way.
        EXPECT_GE(d.x, -565.0f);
        EXPECT_LT(d.x, 565.0f);
        EXPECT_GE(d.z, 0.0f);
        EXPECT_LE(d.z, 960.0f);
        const D3DXVECTOR2* uv = tree->m_sprite.uv;
        const bool flipped = uv[0] == D3DXVECTOR2(1.0f, 0.0f) && uv[1] == D3DXVECTOR2(0.0f, 0.0f) &&
                             uv[2] == D3DXVECTOR2(1.0f, 1.0f) && uv[3] == D3DXVECTOR2(0.0f, 1.0f);
        const bool upright = uv[0] == D3DXVECTOR2(0.0f, 0.0f) && uv[1] == D3DXVECTOR2(1.0f, 0.0f) &&
                             uv[2] == D3DXVECTOR2(0.0f, 1.0f) && uv[3] == D3DXVECTOR2(1.0f, 1.0f);
        EXPECT_TRUE(flipped || upright);
        mirrored += flipped;
        plain += upright;
        tree->Release();
    }
    EXPECT_GT(mirrored, 3);
    EXPECT_GT(plain, 3);
}

TEST_F(GroundScene, ExhaustedTreePoolPlacesNothing) {
    const AreaPos at = AreaPos::FromCell(Int3{0, 0, 6});
    std::vector<Ground_Tree*> trees;
    generator_->CreateTreeRow(at, &trees);
    while (Ground_Tree* tree = generator_->CreateTree(at)) trees.push_back(tree);
    EXPECT_EQ(static_cast<int>(trees.size()), Ground_TreeFactory::kMaxCount);
    EXPECT_EQ(generator_->CreateSmallTree(at), nullptr);
    generator_->CreateTreeRow(at);
    EXPECT_EQ(TreesInUse(), Ground_TreeFactory::kMaxCount);

    // A tree handed back is handed out again.
    trees.back()->ReturnToFactory();
    trees.back()->Release();
    trees.pop_back();
    Ground_Tree* again = generator_->CreateTree(at);
    EXPECT_NE(again, nullptr);
    if (again) again->Release();
    for (Ground_Tree* tree : trees) tree->Release();
}

TEST_F(GroundScene, MountainsPlantTheirTreesOncePerUse) {
    struct Case {
        int type;
        int trees;
    };
    const Case cases[] = {{0, 48}, {1, 48}, {13, 48}, {9, 36}, {10, 36}, {2, 0}, {4, 0}, {11, 0}};
    int z = 10;
    for (const Case& c : cases) {
        Ground_Yama* yama = generator_->CreateYama(AreaPos::FromCell(Int3{0, 0, z++}));
        ASSERT_NE(yama, nullptr);
        const int before = TreesInUse();
        yama->SetType(c.type);
        EXPECT_EQ(static_cast<int>(yama->GetTreeCount()), c.trees) << "type " << c.type;
        EXPECT_EQ(TreesInUse(), before + c.trees) << "type " << c.type;
        yama->SetType(c.type);  // planted already in this use
        EXPECT_EQ(static_cast<int>(yama->GetTreeCount()), c.trees) << "type " << c.type;
        yama->ReturnToFactory();
        EXPECT_EQ(TreesInUse(), before) << "type " << c.type;
        yama->Release();
    }

    // Raising the look clears the trees of every mountain and plants no more.
    Ground_Yama* yama = generator_->CreateYama(AreaPos::FromCell(Int3{0, 0, z}));
    ASSERT_NE(yama, nullptr);
    yama->SetType(0);
    EXPECT_EQ(TreesInUse(), 48);
    generator_->GetYamaFactory()->SetLook(1.0f);
    EXPECT_EQ(TreesInUse(), 0);
    EXPECT_EQ(yama->GetLook(), 1.0f);
    yama->ReturnToFactory();
    yama->Release();
    Ground_Yama* lava = generator_->CreateYama(AreaPos::FromCell(Int3{0, 0, z}));
    ASSERT_NE(lava, nullptr);
    EXPECT_EQ(lava->GetLook(), 1.0f);
    lava->SetType(0);
    EXPECT_EQ(lava->GetTreeCount(), 0u);
    lava->Release();
}

TEST_F(GroundScene, MountainCaveAndBuildingAreas) {
    EXPECT_EQ(MakeArea<Area_Yama>(Int3{0, 0, 30}, 3)->GetWaterCount(), 1u);
    EXPECT_EQ(MakeArea<Area_Yama>(Int3{1, 0, 30}, 6)->GetWaterCount(), 1u);
    Area_Yama* twoWaters = MakeArea<Area_Yama>(Int3{2, 0, 30}, 0);
    EXPECT_EQ(twoWaters->GetWaterCount(), 2u);
    EXPECT_EQ(twoWaters->GetPieceCount(), 1u);
    EXPECT_EQ(TreesInUse(), 48);

    Area_Cave* cave = MakeArea<Area_Cave>(Int3{3, 0, 30}, 5);
    EXPECT_EQ(cave->GetPieceCount(), 1u);
    EXPECT_EQ(cave->GetWaterCount(), 1u);

    // The first building already fills its row and the row the Area.
    Area_Building* area = MakeArea<Area_Building>(Int3{4, 0, 30}, 2, D3DXVECTOR3(0, 400, 0));
    EXPECT_EQ(area->GetPieceCount(), 1u);
    Ground_Building* building = area->GetBuilding();
    ASSERT_NE(building, nullptr);
    const int k = building->GetValue();
    EXPECT_GE(k, 1);
    EXPECT_LE(k, 5);
    EXPECT_FLOAT_EQ(building->m_scale.x, 0.5f + 0.1f * static_cast<float>(k));
    // Hit by the player's shots: enemy side and solid, not flag 6.
    EXPECT_TRUE(building->CheckGroupFlag(2));
    EXPECT_TRUE(building->CheckGroupFlag(5));
    EXPECT_FALSE(building->CheckGroupFlag(6));
}

TEST_F(GroundScene, BlocksFollowThePhase) {
    Ground_Block* a = generator_->CreateBlock(AreaPos::FromCell(Int3{0, 0, 20}), 0);
    Ground_Block* b = generator_->CreateBlock(AreaPos::FromCell(Int3{0, 0, 21}), 3);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetTileValue(), 3);
    EXPECT_TRUE(a->CheckGroupFlag(5));
    EXPECT_TRUE(a->CheckGroupFlag(6));  // never hit by projectiles
    Ground_BlockFactory* pool = generator_->GetBlockFactory();
    pool->SetPhase(1.0f);  // cos(pi) < 0: material 2, grey level 1
    EXPECT_EQ(a->GetMaterialIndex(), 2);
    EXPECT_EQ(b->GetMaterialIndex(), 2);
    EXPECT_FLOAT_EQ(pool->GetColor()[0], 1.0f);
    pool->SetPhase(1.0f / 3.0f);  // cos = 0.5: material 1, mid grey
    EXPECT_EQ(a->GetMaterialIndex(), 1);
    EXPECT_NEAR(pool->GetColor()[1], 0.5f, 1.0f / 255.0f);
    EXPECT_FLOAT_EQ(pool->GetColor()[3], 1.0f);
    // A block taken later gets the pool's material.
    pool->SetPhase(1.0f);
    Ground_Block* c = generator_->CreateBlock(AreaPos::FromCell(Int3{0, 0, 22}), 0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetMaterialIndex(), 2);
    for (Ground_Block* block : {a, b, c}) block->Release();
}

TEST_F(GroundScene, FullSeaRefusesRectangles) {
    Ground_SeaSet::Ground_Sea* sea = generator_->GetSea();
    const AreaPos at = AreaPos::FromCell(Int3{0, 0, 0});
    while (sea->GetWaterParamCount() < sea->GetCapacity())
        ASSERT_NE(generator_->AddWaterParam(at, 1000.0f, 1000.0f), nullptr);
    EXPECT_EQ(sea->GetCapacity(), GroundGenerator::kSeaCapacity);
    EXPECT_EQ(generator_->AddWaterParam(at, 1000.0f, 1000.0f), nullptr);
    EXPECT_EQ(sea->GetWaterParamCount(), GroundGenerator::kSeaCapacity);
}

// The sea uploads its rectangles on the main thread and draws them in one
// call: water where a rectangle lies, nothing where none does.
TEST_F(GroundScene, SeaDrawsItsRectangles) {
    Ground_SeaSet::Ground_Sea* sea = generator_->GetSea();
    auto drawSea = [&] {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device_->BeginScene();
        sea->Render(nullptr);
        sea->Draw();
        device_->EndScene();
        ReadBack();
    };
    drawSea();
    EXPECT_TRUE(Near(At(32, 44), {0, 0, 0, 255}, 0)) << "no rectangle, no water";

    for (int z = 0; z < 3; ++z) generator_->AddWaterParam(AreaPos::FromCell(Int3{0, 0, z}), 1000.0f, 1000.0f);
    drawSea();
    const Rgba water = At(32, 44);
    EXPECT_GT(water.b, 40) << water;
    EXPECT_GT(water.b, water.r) << "the sea's own colour is blue: " << water;
    EXPECT_TRUE(Near(At(32, 2), {0, 0, 0, 255}, 0)) << "above the horizon nothing is drawn";
}

// Terrain left outside the keep window goes back to its pools, so its Areas
// empty and go, and the pools never run dry while a stage streams on.
TEST_F(GroundScene, TerrainBehindTheStreamGoesBack) {
    auto* stage1 = new AreaFactory_1(world.areas, world.objects);
    world.areas->SetAreaFactory(stage1);
    ASSERT_EQ(stage1->Init(0), 0);
    stage1->SetKind(0);
    const Int3 none{0, 0, 0};
    world.areas->SetWindows(none, none, none, none);
    world.areas->SetCentralPoint(Int3{0, 0, 5}, D3DXVECTOR3(0, 0, 0), 1);
    ASSERT_NE(world.areas->FindArea(Int3{0, 0, 5}, 2), nullptr);
    const int blocks = generator_->GetBlockFactory()->GetInUseCount();
    const int trees = TreesInUse();
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(trees, 24 + 25);

    world.areas->SetCentralPoint(Int3{0, 0, 40}, D3DXVECTOR3(0, 0, 0), 1);
    for (int frame = 0; frame < 4; ++frame) world.areas->Update(1.0f / 60.0f);
    EXPECT_EQ(world.areas->FindArea(Int3{0, 0, 5}, 2), nullptr);
    ASSERT_NE(world.areas->FindArea(Int3{0, 0, 40}, 2), nullptr);
    EXPECT_EQ(generator_->GetBlockFactory()->GetInUseCount(), blocks);
    EXPECT_EQ(TreesInUse(), trees);
}

}  // namespace
