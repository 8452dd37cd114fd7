// The camera's three modes: where the eye goes, how the shake decays, what the
// object manager is handed, and who is the game state's view object.
#include <cmath>

#include "UiFixture.h"
#include "game/screen/ViewObject.h"

namespace {

using Quorvex::AreaPos;

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(CameraMaths, FollowEyeSwingsAgainstTheSteering) {
    struct Case {
        D3DXVECTOR3 lag;
        float speed;
        D3DXVECTOR3 offset;  // from the target
        const char* what;
    };
    const Case cases[] = {
        {{0, 0, 0}, 0.0f, {0, 4, -15}, "straight at minimum speed: 1 + 3 above, 15 behind"},
        {{1, 0, 0}, 1.0f, {36, 1, -15}, "full side lag at full speed: 1.8 x 20 aside, no straight-flight lift"},
        {{0, -0.5f, 0}, 0.5f, {0, -3.9f, -15}, "k = 0.5: 1 + 1.4 x 10 x (-0.5 + 0.15)"},
        {{0.6f, 0.8f, 1}, 0.0f, {12, 9, -8}, "k = 0 at unit lag; z lag 7"},
    };
    const D3DXVECTOR3 target(10, 20, 30);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectNear(ViewObject::FollowEye(target, c.lag, c.speed), target + c.offset);
    }

    EXPECT_FLOAT_EQ(ViewObject::SteeringLag(-2, -4, 4), 0.5f);
    EXPECT_FLOAT_EQ(ViewObject::SteeringLag(2, -4, 4), -0.5f);
    EXPECT_FLOAT_EQ(ViewObject::SteeringLag(0, 0, 0), 0.0f) << "a zero limit gives no lag, not NaN";
    EXPECT_FLOAT_EQ(ViewObject::SteeringLag(-1, 0, 5), 0.0f);
}

TEST(CameraMaths, ShakeDecaysToZeroWithoutCrossing) {
    D3DXVECTOR3 amplitude(0.3f, 2.0f, -0.5f);
    for (int step = 0; step < 8; ++step) {
        ViewObject::DecayShake(amplitude, 0.25f);
        EXPECT_GE(amplitude.x, 0.0f);
        EXPECT_GE(amplitude.y, 0.0f);
        EXPECT_LE(amplitude.z, 0.0f);
    }
    EXPECT_EQ(amplitude, D3DXVECTOR3(0, 0, 0)) << "2.0 falls to 0 in 2 s; the negative one rises to 0";
}

class CameraTest : public UiTest {
protected:
    ViewObject* MakeCamera() {
        auto* camera = new ViewObject(objects, nullptr);
        camera->AddRef();
        EXPECT_EQ(camera->Initialize(0), 0);
        return camera;
    }
    void Drop(ViewObject* camera) {
        camera->Finalize();
        objects->SubObject(camera);
        camera->Release();
    }
};

TEST_F(CameraTest, FollowModeTracksTheTargetAndShakes) {
    ViewObject* camera = MakeCamera();
    EXPECT_EQ(camera->GetMode(), ViewObject::ModeFollow);

    camera->Update(0.5f);
    ExpectNear(camera->GetEye(), D3DXVECTOR3(0, 30, -30));
    ExpectNear(camera->GetVelocity(), D3DXVECTOR3(0, 0, 0));

    auto* target = new Object3D(objects, nullptr, AreaPos::FromWorld(D3DXVECTOR3(10, 20, 30)));
    target->AddRef();
    camera->SetFollowTarget(target);
    EXPECT_EQ(target->GetRefCount(), 3) << "manager, test and camera";

    camera->Update(0.5f);
    const D3DXVECTOR3 eye(10, 24, 15);
    ExpectNear(camera->GetEye(), eye);
    ExpectNear(camera->GetLookAt(), eye + D3DXVECTOR3(0, 0, 1));
    ExpectNear(camera->GetUp(), D3DXVECTOR3(0, 1, 0));
    ExpectNear(objects->GetCamera().eye, eye);
    ExpectNear(objects->GetCamera().at, eye + D3DXVECTOR3(0, 0, 1));
    ExpectNear(camera->GetWorldPosition(), eye, 1e-3f);

    // Steady flight: the eye moves with the target only.
    target->SetWorldPosition(D3DXVECTOR3(10, 20, 35));
    camera->Update(0.5f);
    ExpectNear(camera->GetVelocity(), D3DXVECTOR3(0, 0, 10), 1e-3f);

    camera->SetShakeAmplitude(D3DXVECTOR3(0, 2, 0));
    for (int step = 0; step < 8; ++step) {
        const float amplitude = camera->GetShakeAmplitude().y;
        camera->Update(0.25f);
        EXPECT_LE(std::fabs(camera->GetEye().y - 24.0f), amplitude + 1e-4f);
        EXPECT_NEAR(camera->GetEye().x, 10.0f, 1e-4f);
        EXPECT_FLOAT_EQ(camera->GetShakeAmplitude().y, amplitude - 0.25f);
    }
    EXPECT_EQ(camera->GetShakeAmplitude().y, 0.0f);

    state->SetViewObject(nullptr);
    Drop(camera);
    EXPECT_EQ(target->GetRefCount(), 2) << "the camera let its target go";
    objects->SubObject(target);
    target->Release();
}

TEST_F(CameraTest, PlacedModeLooksAtThePlacedPoint) {
    ViewObject* camera = MakeCamera();
    camera->SetMode(ViewObject::ModePlaced);
    camera->SetWorldPosition(D3DXVECTOR3(0, 520, -50));
    camera->SetPlacedLookAtWorld(D3DXVECTOR3(0, 516, 0));
    camera->Update(0.016f);
    ExpectNear(objects->GetCamera().eye, D3DXVECTOR3(0, 520, -50), 1e-3f);
    ExpectNear(objects->GetCamera().at, D3DXVECTOR3(0, 516, 0), 1e-3f);
    ExpectNear(objects->GetCamera().up, D3DXVECTOR3(0, 1, 0));

    camera->SetShakeAmplitude(D3DXVECTOR3(1, 1, 1));
    camera->Update(0.5f);
    EXPECT_LE(std::fabs(camera->GetEye().y - 520.0f), 1.0f + 1e-3f);
    EXPECT_EQ(camera->GetShakeAmplitude(), D3DXVECTOR3(1, 1, 1)) << "the placed mode does not decay the shake";
    Drop(camera);
    state->SetViewObject(nullptr);
}

TEST_F(CameraTest, FreeModeMovesWithHeldKeys) {
    ViewObject* camera = MakeCamera();
    camera->SetMode(ViewObject::ModeFree);
    Frame({{DIK_W, true}});
    camera->Update(0.5f);
    ExpectNear(camera->GetEye(), D3DXVECTOR3(0, 30, -25));
    ExpectNear(camera->GetLookAt(), D3DXVECTOR3(0, 30, -24));
    ExpectNear(camera->GetVelocity(), D3DXVECTOR3(0, 0, 10));

    Frame({{DIK_W, false}, {DIK_A, true}, {DIK_D, true}});
    camera->Update(0.5f);
    SCOPED_TRACE("opposite keys cancel");
    ExpectNear(camera->GetEye(), D3DXVECTOR3(0, 30, -25));
    Frame({{DIK_A, false}, {DIK_D, false}});
    Drop(camera);
    state->SetViewObject(nullptr);
}

TEST_F(CameraTest, NewestCameraIsTheGameStatesViewObject) {
    ViewObject* first = MakeCamera();
    EXPECT_EQ(state->viewObject, first);
    ViewObject* second = MakeCamera();
    EXPECT_EQ(state->viewObject, second);
    Drop(first);
    EXPECT_EQ(state->viewObject, second) << "destroying the older camera leaves the field alone";
    Drop(second);
    EXPECT_EQ(state->viewObject, second) << "still held by the game state";
    state->SetViewObject(nullptr);
}

}  // namespace
