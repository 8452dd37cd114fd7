// The logic of the background objects and the sea surface: the spell
// background's cross-fade, the flare's size, the tree looks, the sea's
// vertices and its wave time.
#include <gtest/gtest.h>

#include "TerrainTestSupport.h"
#include "game/world/terrain/EnemySpellBg.h"
#include "game/world/terrain/GroundFactories.h"
#include "game/world/terrain/Ground_SeaSet.h"
#include "game/world/terrain/SkyDome.h"

using terrain_test::AreaPos;
using terrain_test::Int3;

namespace {

void ExpectColor(const D3DXVECTOR4& c, float scale, const char* where) {
    EXPECT_NEAR(c.x, 0.2f * scale, 1e-6f) << where;
    EXPECT_NEAR(c.y, 0.2f * scale, 1e-6f) << where;
    EXPECT_NEAR(c.z, 0.2f * scale, 1e-6f) << where;
    EXPECT_NEAR(c.w, 0.8f * scale, 1e-6f) << where;
}

TEST(SpellBackground, CrossFadeOverTwoSeconds) {
    EnemySpellBg bg(nullptr);
    // Made with the plain look on the first sphere (which draws nothing); at
    // progress 0 the second sphere is left alone.
    EXPECT_EQ(bg.GetFirstMode(), 1);
    EXPECT_EQ(bg.GetSecondMode(), 0);
    EXPECT_FALSE(bg.IsFading());
    bg.AdvanceFade(1.0f);
    EXPECT_EQ(bg.GetFirstMode(), 1);

    // From the plain look to look 3: only the second sphere shows, growing.
    EnemySpellBg::SetMode(1, 1, &bg, 3, 0.0f);
    EXPECT_EQ(bg.GetSecondMode(), 3);
    ExpectColor(bg.GetSecondColor(), 0.0f, "start");
    bg.AdvanceFade(1.0f);
    EXPECT_FLOAT_EQ(bg.GetProgress(), 0.5f);
    ExpectColor(bg.GetFirstColor(), 0.5f, "half way, first");
    ExpectColor(bg.GetSecondColor(), 0.5f, "half way, second");
    bg.AdvanceFade(1.0f);
    // At the end the second look becomes the first and the fade stops.
    EXPECT_EQ(bg.GetFirstMode(), 3);
    EXPECT_EQ(bg.GetSecondMode(), 0);
    EXPECT_FLOAT_EQ(bg.GetProgress(), -1.0f);
    ExpectColor(bg.GetFirstColor(), 1.0f, "end");
    bg.AdvanceFade(1.0f);
    EXPECT_EQ(bg.GetFirstMode(), 3);

    // Mode 2 keeps the current first mode, in either position.
    bg.SetMode(0, EnemySpellBg::kKeepMode, EnemySpellBg::kKeepMode, 0.5f);
    EXPECT_EQ(bg.GetFirstMode(), 3);
    EXPECT_EQ(bg.GetSecondMode(), 3);
}

TEST(SkyFlare, GrowsWhenTheCameraLooksIntoTheLight) {
    SkyDome_Flare flare(nullptr);
    const D3DXVECTOR3 eye(10, 20, 30), light(0, -1, 0);
    struct Case {
        D3DXVECTOR3 look;
        float size;
    };
    const Case cases[] = {{{0, 1, 0}, 150.0f}, {{0, -1, 0}, 150.0f}, {{1, 0, 0}, 25.0f}, {{0, 0, 1}, 25.0f}};
    for (const Case& c : cases) {
        flare.Place(eye, eye + c.look * 50.0f, light * 3.0f, 0.0f);
        EXPECT_NEAR(flare.m_sprite.width, c.size, 1e-3f);
        EXPECT_EQ(flare.m_sprite.height, flare.m_sprite.width);
    }
    EXPECT_EQ(flare.m_sprite.position, eye + D3DXVECTOR3(0, 100, 0));
    EXPECT_EQ(flare.m_sprite.material, nullptr);
    EXPECT_EQ(flare.m_sprite.color, 0xFFFFA080u);
}

TEST(TreeLook, TypeAndColourOfEachLook) {
    struct Case {
        int mode;
        float blend;
        int type;
        D3DCOLOR color;
    };
    const D3DCOLOR kept = 0x12345678;
    const Case cases[] = {
        {1, 1.0f, 1, 0xFFFFFFFF}, {1, 0.5f, 1, 0x80808080}, {1, 2.0f, 1, 0xFFFFFFFF},
        {3, 0.0f, 1, 0xFFFFFFFF}, {3, 1.0f, 2, 0xFFFFFFFF}, {3, 0.5f, 2, 0xFF000000},
        {4, 0.3f, 2, kept},       {2, 0.3f, 1, kept},       {7, 0.3f, 1, kept},
        {0, 0.3f, 1, 0x00000000},
    };
    for (const Case& c : cases) {
        int type = -1;
        D3DCOLOR color = kept;
        Ground_TreeFactory::LookToTree(c.mode, c.blend, &type, &color);
        EXPECT_EQ(type, c.type) << "mode " << c.mode << " blend " << c.blend;
        EXPECT_EQ(color, c.color) << "mode " << c.mode << " blend " << c.blend;
    }
}

class SeaSurface : public terrain_test::WorldTest {};

TEST_F(SeaSurface, RectanglesArePlacedByTheirCellsOnly) {
    using Unit = Ground_SeaSet::WaterParamUnit;
    Unit a(AreaPos::FromCellAndOffset(Int3{2, 0, 3}, D3DXVECTOR3(10, 0, 20)), 1000, 1000);
    Unit b(AreaPos::FromCellAndOffset(Int3{2, 0, 3}, D3DXVECTOR3(700, 5, 900)), 1000, 1000);
    std::vector<Ground_SeaSet::WaterVertex> va, vb;
    const D3DXVECTOR3 offset(0, -30, 0);
    Ground_SeaSet::Ground_Sea::BuildVertices({&a}, offset, va);
    Ground_SeaSet::Ground_Sea::BuildVertices({&b}, offset, vb);
    ASSERT_EQ(va.size(), 6u);
    ASSERT_EQ(vb.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(va[i].x, vb[i].x);
        EXPECT_EQ(va[i].y, vb[i].y);
        EXPECT_EQ(va[i].z, vb[i].z);
    }
    // Corner 0 at the cell (centre cell 0) plus the world offset; the two
    // triangles cover the rectangle with texture corners 0..1.
    EXPECT_EQ(va[0].x, 2000.0f);
    EXPECT_EQ(va[0].y, -30.0f);
    EXPECT_EQ(va[0].z, 3000.0f);
    EXPECT_EQ(va[5].x, 3000.0f);
    EXPECT_EQ(va[5].z, 4000.0f);
    EXPECT_EQ(va[5].u, 1.0f);
    EXPECT_EQ(va[5].v, 1.0f);
    EXPECT_EQ(va[2].u, 0.0f);
    EXPECT_EQ(va[2].v, 1.0f);
    EXPECT_EQ(va[1].ny, 1.0f);
    EXPECT_EQ(va[1].tx, 1.0f);

    std::vector<Ground_SeaSet::WaterVertex> none;
    Ground_SeaSet::Ground_Sea::BuildVertices({}, offset, none);
    EXPECT_TRUE(none.empty());
}

TEST(SeaTime, WrapsIntoItsBand) {
    float t = 0.0f;
    float lowest = 1e9f, highest = 0.0f;
    for (int i = 0; i < 200000; ++i) {
        t = Ground_SeaSet::Ground_Sea::AdvanceTime(t, 1.0f / 60.0f);
        if (i > 100000) {
            lowest = std::min(lowest, t);
            highest = std::max(highest, t);
        }
    }
    EXPECT_GE(lowest, 500.0f);
    EXPECT_LT(highest, 1500.0f);
    EXPECT_NEAR(Ground_SeaSet::Ground_Sea::AdvanceTime(1499.99f, 0.02f), 500.02f, 1e-2f);
}

}  // namespace
