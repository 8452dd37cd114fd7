// The projectile base: the collision filter, the side bits of reused
// projectiles and the bullet colour atlas.
#include <cmath>

#include "PlayerTestSupport.h"

namespace player_test {
namespace {

using Projectiles = PlayerFixture;

TEST_F(Projectiles, FilterFollowsSidesFlagsAndTheTargetsLife) {
    struct Case {
        const char* what;
        bool shotIsPlayerSide;
        unsigned flags;
        float life;
        bool expected;
    };
    const Case cases[] = {
        {"enemy alive", true, Flag(GroupEnemySide), 10.0f, true},
        {"enemy at 0 life", true, Flag(GroupEnemySide), 0.0f, false},
        {"enemy below 0 life", true, Flag(GroupEnemySide), -5.0f, false},
        {"own side alive", true, Flag(GroupPlayerSide), 10.0f, false},
        {"player alive, enemy shot", false, Flag(GroupPlayerSide), 10.0f, true},
        {"enemy projectile", true, Flag(GroupEnemySide) | Flag(GroupProjectile), 10.0f, false},
        {"own projectile", true, Flag(GroupPlayerSide) | Flag(GroupProjectile), 10.0f, false},
        {"terrain without side", true, Flag(GroupSolid), 0.0f, false},
        {"block (solid, no projectile hits)", true, Flag(GroupSolid) | Flag(GroupNoProjectileHit) | Flag(GroupEnemySide), 0.0f, false},
        {"building (enemy side, solid)", true, Flag(GroupSolid) | Flag(GroupEnemySide), 0.0f, true},
        {"building, enemy shot", false, Flag(GroupSolid) | Flag(GroupEnemySide), 0.0f, false},
        {"no projectile hits on a live enemy", true, Flag(GroupNoProjectileHit) | Flag(GroupEnemySide), 10.0f, false},
    };
    for (const Case& c : cases) {
        Shot* shot = Make<Shot>();
        shot->SetSide(c.shotIsPlayerSide);
        Thing* target = Make<Thing>(c.flags, c.life);
        EXPECT_EQ(shot->CanCollide(target), c.expected) << c.what;
    }
    Shot* shot = Make<Shot>();
    shot->SetSide(true);
    EXPECT_FALSE(shot->CanCollide(nullptr));
    // An object that is no character counts as not alive.
    world_test::Probe* probe = NewProbe(D3DXVECTOR3(0, 0, 0));
    probe->SetGroupFlag(GroupEnemySide, true);
    EXPECT_FALSE(shot->CanCollide(probe));
}

TEST_F(Projectiles, AReusedProjectileCarriesOnlyItsNewSide) {
    Shot* shot = Make<Shot>();
    EXPECT_TRUE(shot->CheckGroupFlag(GroupProjectile));
    EXPECT_EQ(shot->GetUpdatePriority(), PriorityProjectile);
    EXPECT_STREQ(shot->GetTypeName(), "none");
    shot->SetSide(false);
    shot->SetSide(true);
    EXPECT_TRUE(shot->CheckGroupFlag(GroupPlayerSide));
    EXPECT_FALSE(shot->CheckGroupFlag(GroupEnemySide));
    // Now a player shot, it neither hits the player nor spares an enemy.
    Player* machine = NewPlayer();
    EXPECT_FALSE(machine->CanCollide(shot));
    EXPECT_FALSE(shot->CanCollide(machine));
    Thing* enemy = Make<Thing>(Flag(GroupEnemySide), 5.0f);
    EXPECT_TRUE(shot->CanCollide(enemy));
}

TEST(BulletAtlas, ColourTypesPickTheirCellAndAnythingElseTheCentreOne) {
    struct Case {
        int type, column, row;
    };
    const Case cases[] = {{0, 1, 0},  {1, 0, 0},  {2, 0, 1},  {3, 1, 1}, {4, 2, 0},  {5, 3, 0},   {6, 2, 1},
                          {7, 3, 1},  {8, 0, 2},  {9, 0, 3},  {10, 1, 2}, {11, 1, 3}, {12, 1, 1}, {-1, 1, 1},
                          {1000, 1, 1}};
    for (const Case& c : cases) {
        Quorvex::Sprite3DData sprite;
        SetBulletAtlasCell(&sprite, c.type);
        const float left = c.column * 0.25f + 0.003125f, top = c.row * 0.25f + 0.003125f;
        EXPECT_FLOAT_EQ(sprite.uv[0].x, left) << c.type;
        EXPECT_FLOAT_EQ(sprite.uv[0].y, top) << c.type;
        EXPECT_FLOAT_EQ(sprite.uv[1].x, left + 0.24375f) << c.type;
        EXPECT_FLOAT_EQ(sprite.uv[1].y, top) << c.type;
        EXPECT_FLOAT_EQ(sprite.uv[2].x, left) << c.type;
        EXPECT_FLOAT_EQ(sprite.uv[2].y, top + 0.24375f) << c.type;
        EXPECT_FLOAT_EQ(sprite.uv[3].x, left + 0.24375f) << c.type;
        EXPECT_FLOAT_EQ(sprite.uv[3].y, top + 0.24375f) << c.type;
    }
}

}  // namespace
}  // namespace player_test
