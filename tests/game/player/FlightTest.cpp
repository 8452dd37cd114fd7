// The flight model: reticle, attitude, acceleration, top speed and lateral
// limits, the speed rate, and the movement-limit box.
#include <cmath>

#include "PlayerTestSupport.h"

namespace player_test {
namespace {

constexpr float kDt = 1.0f / 60.0f;

Player::Flight StartFlight() {
    Player::Flight flight;
    flight.speed = flight.CruiseSpeed();
    return flight;
}

void Fly(Player::Flight& flight, const Player::FlightInput& input, float seconds, float altitude = 0.0f) {
    const int frames = static_cast<int>(std::lround(seconds / kDt));
    for (int i = 0; i < frames; ++i) {
        flight.StepReticle(input, kDt);
        flight.StepMotion(input, kDt, altitude);
    }
}

TEST(Flight, TwoFramesOfAccelFromTheStartState) {
    Player::Flight flight = StartFlight();
    EXPECT_FLOAT_EQ(flight.speed, 1389.0f);
    Player::FlightInput accel;
    accel.accel = true;
    flight.StepMotion(accel, kDt, 0.0f);
    // acceleration - base = 100, plus 500 per second.
    EXPECT_NEAR(flight.acceleration, 100.0f / 12.0f, 1e-3f);
    EXPECT_NEAR(flight.speed, 1389.0f + (100.0f / 12.0f) / 60.0f, 1e-3f);
    EXPECT_FLOAT_EQ(flight.velocity.z, flight.speed);
    flight.StepMotion(accel, kDt, 0.0f);
    EXPECT_NEAR(flight.acceleration, 200.0f / 12.0f, 1e-3f);
    EXPECT_NEAR(flight.speed, 1389.0f + (300.0f / 12.0f) / 60.0f, 1e-3f);
}

TEST(Flight, AccelerationStatesAndTopSpeed) {
    Player::FlightInput accel, both, none, brake;
    accel.accel = true;
    both.accel = both.brake = true;
    brake.brake = true;

    Player::Flight flight = StartFlight();
    Fly(flight, accel, 2.0f);
    EXPECT_FLOAT_EQ(flight.acceleration, 400.0f) << "the Accel limit";

    flight.acceleration = 123.0f;
    Fly(flight, both, 1.0f);
    EXPECT_FLOAT_EQ(flight.acceleration, 123.0f) << "both keys freeze it";

    Fly(flight, none, 20.0f);
    EXPECT_NEAR(flight.acceleration, -100.0f, 0.1f) << "released, it returns to the base";
    EXPECT_FLOAT_EQ(flight.speed, flight.minSpeed) << "and the machine slows to the minimum";

    Fly(flight, brake, 3.0f);
    EXPECT_FLOAT_EQ(flight.acceleration, -700.0f) << "the Brake limit";

    struct Case {
        float altitude, top;
    };
    for (const Case& c : {Case{0.0f, 2222.4f}, Case{200.0f, 2222.4f}, Case{225.0f, 2166.84f}, Case{250.0f, 2111.28f},
                          Case{400.0f, 2111.28f}}) {
        Player::Flight fast = StartFlight();
        fast.speed = fast.maxSpeed;
        Fly(fast, accel, 0.5f, c.altitude);
        EXPECT_NEAR(fast.speed, c.top, 0.01f) << c.altitude;
    }
}

TEST(Flight, LateralMovesAreLimitedBySpeedAndDampedWhenReleased) {
    Player::Flight flight = StartFlight();
    flight.speed = flight.maxSpeed;
    Player::FlightInput right, up, none;
    // Both speed keys held keep the top speed.
    right.moveRight = right.accel = right.brake = true;
    up.moveUp = up.accel = up.brake = true;
    Fly(flight, right, 3.0f);
    EXPECT_NEAR(flight.velocity.x, 950.0f, 0.01f) << "1000 x (1 - 0.05) at top speed";
    Fly(flight, up, 3.0f);
    EXPECT_NEAR(flight.velocity.y, 950.0f, 0.01f);
    const float vx = flight.velocity.x;
    flight.StepMotion(none, kDt, 0.0f);
    EXPECT_NEAR(flight.velocity.x, vx * (1.0f - 0.5f * kDt), 1e-3f);
}

TEST(Flight, ReticleStopsAtTenDegreesAndDriftsBackSlowly) {
    Player::Flight flight = StartFlight();
    Player::FlightInput right, none;
    right.reticleRight = true;
    Fly(flight, right, 3.0f);
    const float limit = 0.17453294f;
    EXPECT_FLOAT_EQ(flight.reticleAngle.y, limit);
    EXPECT_FLOAT_EQ(flight.reticleRate.y, D3DX_PI / 12.0f);
    EXPECT_FLOAT_EQ(flight.reticleAngle.x, 0.0f);

    Fly(flight, none, 0.5f);
    EXPECT_FLOAT_EQ(flight.reticleRate.y, 0.0f) << "the rate decays first";
    const float before = flight.reticleAngle.y;
    EXPECT_LT(before, limit);
    Fly(flight, none, 1.0f);
    EXPECT_NEAR(before - flight.reticleAngle.y, 0.017453294f, 1e-5f) << "then one degree per second";

    // Right of centre: the point moves right and the machine yaws right and
    // rolls the other way.
    const float aspect = 16.0f / 9.0f;
    const D3DXVECTOR2 point = flight.ReticleScreenPoint(aspect);
    EXPECT_GT(point.x, 0.5f * aspect);
    EXPECT_NEAR(point.y, 0.5f, 1e-6f);
    flight.AttitudeFromScreen(point.x / aspect, point.y);
    EXPECT_GT(flight.screenAim.y, 0.0f);
    EXPECT_NEAR(flight.screenAim.z, -flight.screenAim.y * (2.042035f / 1.0995574f), 1e-5f);
    EXPECT_NEAR(flight.screenAim.x, 0.0f, 1e-6f);
}

using PlayerFlight = PlayerFixture;

TEST_F(PlayerFlight, SpeedRateIsFlooredAtZeroAndNotCapped) {
    Player* machine = NewPlayer();
    Player::Flight& flight = machine->GetFlight();
    struct Case {
        float speed, rate;
    };
    for (const Case& c : {Case{500.0f, 0.0f}, Case{833.4f, 0.0f}, Case{1527.9f, 0.5f}, Case{2222.4f, 1.0f},
                          Case{2916.9f, 1.5f}}) {
        flight.speed = c.speed;
        EXPECT_NEAR(machine->GetSpeedRate(), c.rate, 1e-5f) << c.speed;
    }
    EXPECT_EQ(Player::SpeedScore(0.2f), 0);
    EXPECT_EQ(Player::SpeedScore(0.8f), 256);
    EXPECT_EQ(Player::SpeedScore(2.0f), 256);
}

TEST_F(PlayerFlight, TheLimitBoxPushesBackTheWholeExcessOnEnabledAxesOnly) {
    Player* machine = NewPlayer();
    machine->SetAreaPos(AreaPos::FromWorld(D3DXVECTOR3(5000.0f, 300.0f, 0.0f)));
    machine->ApplyMoveLimit();
    D3DXVECTOR3 at = machine->GetWorldPosition();
    EXPECT_NEAR(at.y, 250.0f, 1e-3f) << "the default box: 50..250 above the reference";
    EXPECT_NEAR(at.x, 5000.0f, 1e-3f) << "x is not limited by default";

    const BYTE enable[3] = {1, 1, 0};
    machine->SetMoveLimit(enable, AreaPos(), D3DXVECTOR3(-100.0f, 50.0f, 0.0f), D3DXVECTOR3(100.0f, 250.0f, 0.0f));
    machine->SetAreaPos(AreaPos::FromWorld(D3DXVECTOR3(5000.0f, 10.0f, 7.0f)));
    machine->ApplyMoveLimit();
    at = machine->GetWorldPosition();
    EXPECT_NEAR(at.x, 100.0f, 1e-3f);
    EXPECT_NEAR(at.y, 50.0f, 1e-3f);
    EXPECT_NEAR(at.z, 7.0f, 1e-3f);
}

}  // namespace
}  // namespace player_test
