#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"

using Quorvex::AreaPos;
using Quorvex::Int3;
using Quorvex::g_WorldGrid;

namespace {

// The root scene's grid: x and z cells of 1000 (bounds -250, 1250), y of
// 10000 (bounds -2500, 12500).
class AreaGrid : public testing::Test {
protected:
    void SetUp() override {
        Quorvex::SetWorldGridSizes(D3DXVECTOR3(1000, 10000, 1000), D3DXVECTOR3(1500, 15000, 1500));
        for (int32_t& c : g_WorldGrid.centerCell) c = 0;
    }
};

TEST_F(AreaGrid, NormalizeMovesWholeCellsOnlyOutsideTheBand) {
    struct Case {
        uint8_t axis;
        float offset;
        int32_t cell;
        float normalized;
    };
    const Case cases[] = {
        {0, 1200.0f, 7, 1200.0f},  {0, 1300.0f, 8, 300.0f},   {0, -300.0f, 6, 700.0f},
        {0, -250.0f, 7, -250.0f},  {0, 1250.0f, 7, 1250.0f},  {0, 1250.5f, 8, 250.5f},
        {0, 5000.0f, 12, 0.0f},    {0, -2500.5f, 4, 499.5f},  {0, 0.0f, 7, 0.0f},
        {1, 12000.0f, 7, 12000.0f}, {1, 13000.0f, 8, 3000.0f}, {1, -2600.0f, 6, 7400.0f},
        {2, 1300.0f, 8, 300.0f},
    };
    for (const Case& c : cases) {
        AreaPos::Axis axis{c.axis, 7, c.offset};
        axis.Normalize();
        EXPECT_EQ(axis.cell, c.cell) << "axis " << int(c.axis) << " offset " << c.offset;
        EXPECT_FLOAT_EQ(axis.offset, c.normalized) << "axis " << int(c.axis) << " offset " << c.offset;
        EXPECT_EQ(axis.axis, c.axis);
    }
}

TEST_F(AreaGrid, DamagedOffsetsNeitherOverflowNorLoop) {
    AreaPos::Axis huge{0, 2147483000, 1e30f};
    huge.Normalize();
    EXPECT_EQ(huge.cell, 2147483647);
    AreaPos::Axis notANumber{0, 3, NAN};
    notANumber.Normalize();
    EXPECT_EQ(notANumber.cell, 3);
    AreaPos::Axis badAxis{200, 0, 1300.0f};
    badAxis.Normalize();  // an unknown axis id reads the last row (z), never past the tables
    EXPECT_EQ(badAxis.cell, 1);
    EXPECT_FLOAT_EQ(badAxis.offset, 300.0f);
}

TEST_F(AreaGrid, WorldConversionsAndDifferences) {
    g_WorldGrid.centerCell[0] = 3;
    g_WorldGrid.centerCell[1] = -2;
    g_WorldGrid.centerCell[2] = 5;

    AreaPos centre = AreaPos::FromCellAndOffset(Int3{3, -2, 5}, D3DXVECTOR3(10, 20, 30));
    const D3DXVECTOR3 inCentre = centre.ToWorld();
    EXPECT_EQ(inCentre, D3DXVECTOR3(10, 20, 30)) << "a position in the centre cell keeps its offsets";

    for (const D3DXVECTOR3& v : {D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1234.5f, -20000.0f, -1.0f),
                                 D3DXVECTOR3(-5000.25f, 99999.0f, 250.0f)}) {
        const AreaPos p = AreaPos::FromWorld(v);
        const D3DXVECTOR3 back = p.ToWorld();
        EXPECT_NEAR(back.x, v.x, 1e-2f);
        EXPECT_NEAR(back.y, v.y, 1e-2f);
        EXPECT_NEAR(back.z, v.z, 1e-2f);
        EXPECT_EQ(p.x.axis, 0);
        EXPECT_EQ(p.y.axis, 1);
        EXPECT_EQ(p.z.axis, 2);
    }

    const AreaPos a = AreaPos::FromCellAndOffset(Int3{4, 0, 0}, D3DXVECTOR3(100, 5, 5));
    const AreaPos b = AreaPos::FromCellAndOffset(Int3{3, 0, 0}, D3DXVECTOR3(100, 5, 5));
    EXPECT_EQ(AreaPos::Difference(a, a), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(AreaPos::Difference(a, b), D3DXVECTOR3(1000, 0, 0));
    EXPECT_EQ(AreaPos::Difference(b, a), D3DXVECTOR3(-1000, 0, 0));

    AreaPos moved = b;
    moved.Add(D3DXVECTOR3(1200, 0, -200));
    EXPECT_EQ(moved.x.cell, 4);
    EXPECT_FLOAT_EQ(moved.x.offset, 300.0f);
    EXPECT_EQ(moved.z.cell, 0) << "-195 is inside the band";
    const AreaPos copy = b.Translated(D3DXVECTOR3(1200, 0, 0));
    EXPECT_EQ(copy.GetCell().x, 4);
    EXPECT_EQ(b.GetCell().x, 3) << "Translated leaves the original";
}

TEST(WorldExtents, StartUpSetsTablesAndCreatesTheEnvironment) {
    ASSERT_EQ(Quorvex::SetupWorldExtents(), 0);
    ASSERT_NE(Quorvex::g_pEnvironment, nullptr);
    EXPECT_EQ(Quorvex::g_pEnvironment->GetRefCount(), 1);
    // The environment's constructor replaced the start-up grid.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(g_WorldGrid.cellSize[i], 50000.0f);
        EXPECT_EQ(g_WorldGrid.lowerBound[i], -12500.0f);
        EXPECT_EQ(g_WorldGrid.upperBound[i], 62500.0f);
        EXPECT_EQ(g_WorldGrid.centerCell[i], 0);
    }
    EXPECT_FLOAT_EQ(Quorvex::g_Aspect, 16.0f / 9.0f);
    EXPECT_FLOAT_EQ(Quorvex::g_InverseAspect, 0.5625f);
    EXPECT_FLOAT_EQ(Quorvex::g_HalfAspect, 0.8888889f);
    EXPECT_EQ(Quorvex::DEFAULTD3DFMT_BACKBUFFER, D3DFMT_X8R8G8B8);
    EXPECT_EQ(Quorvex::DEFAULTD3DFMT_DEPTHSTENCIL, D3DFMT_D24S8);
    EXPECT_EQ(Quorvex::DEFAULTD3DFMT_TEXTURE, D3DFMT_A8R8G8B8);
    const int first = CrtRand();
    Quorvex::SetupWorldExtents();
    EXPECT_EQ(CrtRand(), first) << "the random generator is seeded with 0 each time";
    SAFE_RELEASE(Quorvex::g_pEnvironment);
}

}  // namespace
