// Waypoint paths relative to the moving generator, degenerate paths and the
// bank of the attitude.
#include "EnemyTestSupport.h"

namespace enemy_test {
namespace {

using EnemyMove = EnemyStage;

constexpr float kFrame = 1.0f / 60.0f;

D3DXVECTOR3 OffsetFromGenerator(const Enemy* enemy, const EnemyGenerator* generator) {
    return Quorvex::AreaPos::Difference(enemy->GetAreaPos(), generator->GetAreaPos());
}

TEST_F(EnemyMove, APathReachesEachWaypointOnTimeWhileTheReferenceMoves) {
    TestEnemy* enemy = NewEnemy();
    const D3DXVECTOR3 points[3] = {{0.0f, 0.0f, 500.0f}, {100.0f, 0.0f, 500.0f}, {100.0f, 100.0f, 500.0f}};
    enemy->GetMoveParam()->SetPath(points, 3, 100.0f);  // one second per leg
    enemy->GetMoveParam()->onPathEnd = [](EnemyEx::MoveParam*) {};  // hold at the last point
    enemy->onFrame = [enemy](float dt) { enemy->MoveAlongPath(dt); };

    // Waypoint i is due at age i (the first leg has length 0); the
    // generator flies on at 600 units/s meanwhile.
    float nearest[3] = {1e9f, 1e9f, 1e9f};
    float arrival[3] = {-1.0f, -1.0f, -1.0f};
    float climb = 0.0f;
    for (int frame = 0; frame < 150; ++frame) {
        generator->m_areaPos.Add(D3DXVECTOR3(0.0f, 0.0f, 10.0f));
        enemy->Update(kFrame);
        if (frame == 100) climb = enemy->velocity.y;
        const D3DXVECTOR3 offset = OffsetFromGenerator(enemy, generator);
        for (int i = 0; i < 3; ++i) {
            const D3DXVECTOR3 d = offset - points[i];
            const float dist = D3DXVec3Length(&d);
            if (dist < nearest[i]) {
                nearest[i] = dist;
                arrival[i] = enemy->age;
            }
        }
    }
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_LT(nearest[i], 0.5f);
        EXPECT_NEAR(arrival[i], static_cast<float>(i) + kFrame, 2.5f * kFrame);
    }
    EXPECT_NEAR(climb, 100.0f, 1e-2f) << "the second leg climbs at the path speed";
}

TEST_F(EnemyMove, DegeneratePathsEndTheFrameAndStayFinite) {
    const D3DXVECTOR3 one[1] = {{5.0f, 0.0f, 100.0f}};
    const D3DXVECTOR3 same[2] = {{5.0f, 0.0f, 100.0f}, {5.0f, 0.0f, 100.0f}};
    const D3DXVECTOR3 two[2] = {{5.0f, 0.0f, 100.0f}, {50.0f, 0.0f, 100.0f}};
    struct Case {
        const char* name;
        const D3DXVECTOR3* points;
        int n;
        float speed;
        bool vanishAtEnd;
    };
    const Case cases[] = {
        {"one point", one, 1, 250.0f, false},
        {"coincident points", same, 2, 250.0f, false},
        {"coincident points ending in a vanish", same, 2, 250.0f, true},
        {"speed zero", two, 2, 0.0f, false},
        {"coincident points at speed zero", same, 2, 0.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEnemy* enemy = NewEnemy();
        enemy->GetMoveParam()->SetPath(c.points, c.n, c.speed);
        if (c.vanishAtEnd)
            enemy->GetMoveParam()->onPathEnd = [enemy](EnemyEx::MoveParam*) { enemy->Vanish(); };
        enemy->onFrame = [enemy](float dt) { enemy->MoveAlongPath(dt); };
        for (int frame = 0; frame < 30; ++frame) enemy->Update(kFrame);
        const D3DXVECTOR3 offset = OffsetFromGenerator(enemy, generator);
        EXPECT_TRUE(std::isfinite(offset.x) && std::isfinite(offset.y) && std::isfinite(offset.z));
        EXPECT_TRUE(std::isfinite(enemy->velocity.x) && std::isfinite(enemy->velocity.z));
        EXPECT_NEAR(offset.x, 5.0f, 1e-3f) << "held at the first point";
        if (c.vanishAtEnd) {
            EXPECT_EQ(enemy->vanishes, 1);
        }
    }
}

TEST_F(EnemyMove, BankReachesFifteenDegreesOnlyUpward) {
    struct Case {
        float vx;
        float bankDegrees;
    };
    const Case cases[] = {{100.0f, 7.5f}, {200.0f, 15.0f}, {600.0f, 15.0f}, {-400.0f, -30.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vx);
        TestEnemy* enemy = NewEnemy();
        D3DXQUATERNION identity(0.0f, 0.0f, 0.0f, 1.0f);
        enemy->m_orientation = identity;
        enemy->SetTarget(nullptr);  // the facing follows the motion alone
        enemy->velocity = D3DXVECTOR3(c.vx, 0.0f, 0.0f);
        enemy->UpdateAttitude();
        // aimAtTarget holds the goal: bank (roll), then the heading along +x
        // or -x. The roll shows as the tilt of the goal's up vector.
        D3DXQUATERNION heading;
        D3DXQuaternionRotationYawPitchRoll(&heading, c.vx > 0 ? D3DX_PI / 2 : -D3DX_PI / 2, 0.0f, 0.0f);
        D3DXQUATERNION back, roll;
        D3DXQuaternionInverse(&back, &heading);
        D3DXQuaternionMultiply(&roll, &enemy->aimAtTarget, &back);
        const D3DXVECTOR3 up = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 1.0f, 0.0f), roll);
        EXPECT_NEAR(std::atan2(-up.x, up.y) * 180.0f / D3DX_PI, c.bankDegrees, 0.05f);
    }
}

TEST_F(EnemyMove, StraightFlightVanishesTenUnitsBehindTheCentre) {
    TestEnemy* enemy = NewEnemy();
    g_pEnvironment2->centerInfo.pos = Quorvex::AreaPos();
    enemy->m_areaPos = Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    D3DXQuaternionRotationYawPitchRoll(&enemy->m_orientation, D3DX_PI, 0.0f, 0.0f);
    enemy->onFrame = [enemy](float dt) { enemy->MoveStraight(dt); };
    enemy->Update(0.1f);  // 7.75 units back
    EXPECT_EQ(enemy->vanishes, 0);
    enemy->Update(0.05f);  // 11.6 units back
    EXPECT_EQ(enemy->vanishes, 1);
    EXPECT_EQ(game->enemiesShotDown, 0) << "no score";
}

}  // namespace
}  // namespace enemy_test
