// Which Area each stage factory makes for a cell: the mountain layout tables
// and the per-stage choices, without placing any terrain.
#include <gtest/gtest.h>

#include "TerrainTestSupport.h"
#include "game/world/terrain/AreaFactories.h"

using terrain_test::Int3;
using terrain_test::WorldTest;

namespace {

TEST(AreaPattern, LayoutTables) {
    const Int3 base{10, 0, 100};
    struct Case {
        int kind, dx, dz, type;
    };
    const Case cases[] = {
        // Odd z distances are sea whatever the kind, even an unknown one.
        {4, 0, 1, 1}, {4, 0, -3, 1}, {9, 0, 5, 1},
        // Kind 0 is sea everywhere.
        {0, 0, 0, 1}, {0, 3, 40, 1}, {0, -2, -20, 1},
        // Kind 1: the gate ahead, plain sea behind.
        {1, -4, 0, 11}, {1, -2, 0, 11}, {1, 2, 0, 11}, {1, 4, 0, 11}, {1, 0, 0, 2}, {1, 1, 0, 1},
        {1, 5, 0, 1}, {1, 0, -2, 1}, {1, -4, -2, 1},
        // Kind 4: 3, 4, 5 in the base column, then 3, 7, 8 two columns right.
        {4, 0, 0, 3}, {4, 0, 2, 4}, {4, 0, 4, 5}, {4, 0, 6, 1}, {4, 2, 6, 3}, {4, 2, 8, 7}, {4, 2, 10, 8},
        // 36 rows: dz 72 starts the table again.
        {4, 0, 72, 3}, {4, 0, 74, 4},
        // Behind the base kinds 5 and 6 both read T4 from row 17 back.
        {6, 2, -2, 5}, {5, 2, -2, 5}, {6, 0, -2, 1}, {6, 2, -200, 1},
        // Kind 6 ahead: 13 and 14 beside the flight path.
        {6, -1, 0, 13}, {6, 1, 0, 14}, {5, 0, 0, 3}, {5, 1, 2, 14},
        // Beyond five cells the outermost column repeats.
        {1, 9, 0, 1}, {1, -9, 0, 1}, {4, 1000, 12, 1}, {4, -1000, 30, 1},
        // Kinds outside 0..6 give 0 at even distances.
        {7, 0, 0, 0}, {-1, 0, 2, 0},
    };
    for (const Case& c : cases) {
        const Int3 target{base.x + c.dx, 7, base.z + c.dz};
        EXPECT_EQ(AreaFactory_3::BuildPattern(base, target, c.kind), c.type)
            << "kind " << c.kind << " dx " << c.dx << " dz " << c.dz;
    }
}

class AreaChoice : public WorldTest {
protected:
    void TearDown() override {
        // The chosen Areas registered themselves; the map releases them.
        world.areas->RemoveAllAreas();
        for (AreaFactory_Base* f : held_) f->Release();
        held_.clear();
        WorldTest::TearDown();
    }
    template <class F>
    F* Make() {
        auto* factory = new F(world.areas, world.objects);
        factory->AddRef();
        held_.push_back(factory);
        return factory;
    }
    std::vector<AreaFactory_Base*> held_;
};

// The class of an Area and the parameter the factory gave it: the layout of
// a block or mountain, the type of a cave; -1 for the others.
struct Made {
    const char* kind;
    int value;
};

Made Describe(Area* area) {
    if (!area) return {"none", -1};
    if (auto* a = dynamic_cast<Area_Block*>(area)) return {"block", a->GetLayout()};
    if (dynamic_cast<Area_Block2*>(area)) return {"block2", -1};
    if (dynamic_cast<Area_Sea*>(area)) return {"sea", -1};
    if (auto* a = dynamic_cast<Area_Yama*>(area)) return {"yama", a->GetLayout()};
    if (auto* a = dynamic_cast<Area_Cave*>(area)) return {"cave", a->GetCaveType()};
    if (dynamic_cast<Area_Flower*>(area)) return {"flower", -1};
    if (auto* a = dynamic_cast<Area_Building*>(area)) return {"building", a->GetVariant()};
    if (dynamic_cast<Area_Forest*>(area)) return {"forest", -1};
    return {"plain", -1};
}

void ExpectMade(Area* area, const char* kind, int value, const char* where) {
    const Made made = Describe(area);
    EXPECT_STREQ(made.kind, kind) << where;
    EXPECT_EQ(made.value, value) << where;
}

TEST_F(AreaChoice, Stage1BlocksAcrossTheStrip) {
    AreaFactory_1* factory = Make<AreaFactory_1>();
    int z = 0;
    auto choose = [&](int x) { return factory->ChooseArea(Int3{x, 0, z++}); };
    factory->SetKind(0);
    ExpectMade(choose(0), "block", 0, "kind 0, x 0");
    ExpectMade(choose(1), "block2", -1, "kind 0, x 1");
    for (int kind : {1, 5}) {
        factory->SetKind(kind);
        ExpectMade(choose(-1), "block", 2, "x -1");
        ExpectMade(choose(0), "block", 3, "x 0");
        ExpectMade(choose(1), "block", 1, "x 1");
        ExpectMade(choose(2), "block2", -1, "x 2");
    }
    factory->SetKind(7);
    ExpectMade(choose(0), "sea", -1, "kind 7");
    factory->SetKind(8);
    EXPECT_EQ(choose(0), nullptr);
}

TEST_F(AreaChoice, Stage2SeaParametersByKind) {
    AreaFactory_2* factory = Make<AreaFactory_2>();
    factory->m_transitionD = 0.25f;
    factory->m_transitionA = 0.5f;
    factory->m_transitionB = 0.75f;
    struct Case {
        int kind;
        float d, r, q;
    };
    const Case cases[] = {{0, 0, 0, 0},        {1, 0, 0.5f, 0}, {2, 0, 1, 0},   {3, 0.25f, 1, 0},
                          {4, 1, 1, 0},        {5, 1, 1, 0.75f}, {6, 1, 1, 1}, {7, 0.25f, 0.5f, 0.75f},
                          {10, 0, 0, 0}};
    int z = 0;
    for (const Case& c : cases) {
        factory->SetKind(c.kind);
        auto* sea = dynamic_cast<Area_Sea*>(factory->ChooseArea(Int3{0, 0, z++}));
        ASSERT_NE(sea, nullptr) << "kind " << c.kind;
        EXPECT_EQ(sea->GetDensity(), c.d) << "kind " << c.kind;
        EXPECT_EQ(sea->GetSmokeRate(), c.r) << "kind " << c.kind;
        EXPECT_EQ(sea->GetLargeIce(), c.q) << "kind " << c.kind;
    }
    factory->SetKind(11);
    EXPECT_EQ(factory->ChooseArea(Int3{0, 0, z++}), nullptr);
}

TEST_F(AreaChoice, Stage3MountainsFromThePattern) {
    AreaFactory_3* factory = Make<AreaFactory_3>();
    factory->SetBaseCell(Int3{0, 0, 0});
    factory->SetKind(1);
    ExpectMade(factory->ChooseArea(Int3{0, 0, 0}), "yama", 0, "type 2");
    ExpectMade(factory->ChooseArea(Int3{2, 0, 0}), "yama", 9, "type 11");
    ExpectMade(factory->ChooseArea(Int3{1, 0, 0}), "sea", -1, "type 1");
    factory->SetKind(6);
    ExpectMade(factory->ChooseArea(Int3{-1, 0, 2}), "yama", 11, "type 13");
    ExpectMade(factory->ChooseArea(Int3{1, 0, 2}), "sea", -1, "type 14");
}

TEST_F(AreaChoice, Stage4SectionsAdvanceTheKind) {
    AreaFactory_4* factory = Make<AreaFactory_4>();
    factory->SetBaseCell(Int3{0, 0, 0});
    factory->SetKind(1);
    ExpectMade(factory->ChooseArea(Int3{0, 0, 3}), "yama", 1, "kind 1 at x 0");
    EXPECT_EQ(factory->m_anchor.z.cell, 103);
    ExpectMade(factory->ChooseArea(Int3{1, 0, 3}), "sea", -1, "kind 1 beside");

    factory->SetKind(2);
    ExpectMade(factory->ChooseArea(Int3{0, 0, 4}), "sea", -1, "not a line cell");
    EXPECT_EQ(factory->GetKind(), 2);
    ExpectMade(factory->ChooseArea(Int3{0, 0, 8}), "cave", 0, "kind 2 line cell");
    EXPECT_EQ(factory->GetKind(), 3);
    EXPECT_EQ(factory->m_anchor.z.cell, 10);
    EXPECT_FLOAT_EQ(factory->m_anchor.z.offset, 250.0f);
    ExpectMade(factory->ChooseArea(Int3{0, 0, 16}), "cave", 1, "kind 3 line cell");
    EXPECT_EQ(factory->GetKind(), 3);

    factory->SetKind(8);
    ExpectMade(factory->ChooseArea(Int3{0, 0, -8}), "cave", 7, "kind 8 line cell");
    EXPECT_EQ(factory->GetKind(), 9);
    EXPECT_EQ(factory->m_anchor.z.cell, -8);
    ExpectMade(factory->ChooseArea(Int3{0, 0, 24}), "sea", -1, "kind 9");
}

TEST_F(AreaChoice, Stage5FlowersFromTheStart) {
    AreaFactory_5* factory = Make<AreaFactory_5>();
    ExpectMade(factory->ChooseArea(Int3{3, 0, 10}), "sea", -1, "kind 0");
    EXPECT_EQ(factory->GetKind(), 1);
    EXPECT_EQ(factory->m_anchor.z.cell, 12);
    ExpectMade(factory->ChooseArea(Int3{3, 0, 12}), "flower", -1, "start cell");
    ExpectMade(factory->ChooseArea(Int3{3, 0, 16}), "flower", -1, "four on");
    ExpectMade(factory->ChooseArea(Int3{3, 0, 8}), "sea", -1, "behind the start");
    ExpectMade(factory->ChooseArea(Int3{3, 0, 14}), "sea", -1, "two on");
    ExpectMade(factory->ChooseArea(Int3{4, 0, 20}), "sea", -1, "beside");
    factory->SetKind(2);
    EXPECT_EQ(factory->ChooseArea(Int3{3, 0, 20}), nullptr);
}

TEST_F(AreaChoice, Stage6AndExtraKinds) {
    AreaFactory_6* six = Make<AreaFactory_6>();
    six->SetBaseCell(Int3{0, 0, 0});
    six->SetKind(0);
    ExpectMade(six->ChooseArea(Int3{0, 0, -4}), "flower", -1, "6: kind 0 line");
    ExpectMade(six->ChooseArea(Int3{0, 0, 2}), "sea", -1, "6: kind 0 off line");
    six->SetKind(1);
    ExpectMade(six->ChooseArea(Int3{5, 0, 0}), "forest", -1, "6: kind 1");
    six->SetKind(3);
    auto* building = dynamic_cast<Area_Building*>(six->ChooseArea(Int3{-2, 0, 0}));
    ASSERT_NE(building, nullptr);
    EXPECT_GE(building->GetVariant(), 0);
    EXPECT_LE(building->GetVariant(), 4);
    six->SetKind(5);
    ExpectMade(six->ChooseArea(Int3{0, 0, 8}), "sea", -1, "6: other kind");

    AreaFactory_Ex* ex = Make<AreaFactory_Ex>();
    ex->SetBaseCell(Int3{0, 0, 0});
    const int z0 = 100;
    ex->SetKind(1);
    ExpectMade(ex->ChooseArea(Int3{0, 0, z0}), "flower", -1, "ex: kind 1");
    ex->SetKind(2);
    ExpectMade(ex->ChooseArea(Int3{1, 0, z0}), "sea", -1, "ex: kind 2");
    ex->SetKind(3);
    ExpectMade(ex->ChooseArea(Int3{2, 0, z0}), "forest", -1, "ex: kind 3");
    ex->SetKind(4);
    EXPECT_STREQ(Describe(ex->ChooseArea(Int3{3, 0, z0})).kind, "building");
    ex->SetKind(0);
    ExpectMade(ex->ChooseArea(Int3{4, 0, z0}), "plain", -1, "ex: kind 0");
}

}  // namespace
