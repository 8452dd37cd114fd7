// Quaternions: agreement with the matrix forms, multiplication order, the
// matrix-to-quaternion conversion and spherical interpolation.
#include <cmath>

#include "math_near.h"

namespace {

D3DXQUATERNION QYpr(float y, float p, float r) {
    D3DXQUATERNION q;
    return *D3DXQuaternionRotationYawPitchRoll(&q, y, p, r);
}
D3DXQUATERNION QAxis(D3DXVECTOR3 v, float a) {
    D3DXQUATERNION q;
    return *D3DXQuaternionRotationAxis(&q, &v, a);
}
D3DXMATRIX MatrixOf(const D3DXQUATERNION& q) {
    D3DXMATRIX m;
    return *D3DXMatrixRotationQuaternion(&m, &q);
}
D3DXQUATERNION Slerp(const D3DXQUATERNION& a, const D3DXQUATERNION& b, float t) {
    D3DXQUATERNION q;
    return *D3DXQuaternionSlerp(&q, &a, &b, t);
}
D3DXVECTOR3 Rotate(const D3DXVECTOR3& v, const D3DXQUATERNION& q) { return TransformPoint(v, MatrixOf(q)); }

const float kHalfPi = kPi / 2;
const D3DXQUATERNION kIdentity(0, 0, 0, 1);

TEST(MathQuaternion, YawPitchRollAgreesWithTheMatrixForm) {
    const float angles[][3] = {{0, 0, 0},      {kHalfPi, 0, 0},  {0, -kHalfPi, 0}, {0, 0, 0.6f},
                               {0.3f, 0.7f, -1.1f}, {2.5f, -1.4f, 4.0f}, {kPi, 0, 0},  {-3.0f, 2.0f, 6.0f}};
    for (const auto& a : angles) {
        D3DXMATRIX expected;
        D3DXMatrixRotationYawPitchRoll(&expected, a[0], a[1], a[2]);
        const D3DXQUATERNION q = QYpr(a[0], a[1], a[2]);
        EXPECT_NEAR(D3DXQuaternionLength(&q), 1.0f, 1e-6f);
        EXPECT_TRUE(MatrixNear(MatrixOf(q), expected)) << a[0] << " " << a[1] << " " << a[2];
    }
    // The directions the aiming code depends on.
    EXPECT_TRUE(VecNear(Rotate({0, 0, 1}, QYpr(kHalfPi, 0, 0)), {1, 0, 0}));
    EXPECT_TRUE(VecNear(Rotate({0, 0, 1}, QYpr(0, -kHalfPi, 0)), {0, 1, 0}));
    EXPECT_TRUE(VecNear(Rotate({0, 0, 1}, QYpr(kPi, 0, 0)), {0, 0, -1}));
}

TEST(MathQuaternion, AxisRotationAgreesWithTheMatrixForm) {
    const struct {
        D3DXVECTOR3 axis;
        float angle;
    } cases[] = {{{0, 1, 0}, kHalfPi}, {{0, 3, 0}, -0.4f}, {{1, 2, -2}, 2.0f}, {{-1, 0, 0.5f}, 5.5f}};
    for (const auto& c : cases) {
        D3DXMATRIX expected;
        D3DXMatrixRotationAxis(&expected, &c.axis, c.angle);
        EXPECT_TRUE(MatrixNear(MatrixOf(QAxis(c.axis, c.angle)), expected)) << c.angle;
    }
    EXPECT_TRUE(VecNear(Rotate({1, 0, 0}, QAxis({0, 1, 0}, kHalfPi)), {0, 0, -1}));
}

TEST(MathQuaternion, MultiplyAppliesTheFirstRotationFirst) {
    const D3DXQUATERNION qs[] = {QYpr(kHalfPi, 0, 0), QYpr(0, -kHalfPi, 0), QYpr(0.3f, 0.7f, -1.1f),
                                 QAxis({1, 2, 3}, 2.2f), QYpr(0, 0, kHalfPi)};
    for (const D3DXQUATERNION& a : qs)
        for (const D3DXQUATERNION& b : qs) {
            D3DXQUATERNION ab;
            EXPECT_EQ(D3DXQuaternionMultiply(&ab, &a, &b), &ab);
            EXPECT_TRUE(MatrixNear(MatrixOf(ab), MatrixOf(a) * MatrixOf(b)));
            EXPECT_EQ(a * b, ab);
            D3DXQUATERNION aliased = a;
            D3DXQuaternionMultiply(&aliased, &aliased, &b);
            EXPECT_EQ(aliased, ab);
            aliased = b;
            D3DXQuaternionMultiply(&aliased, &a, &aliased);
            EXPECT_EQ(aliased, ab);
        }
    // Pitch up, then yaw right: +z ends up pointing up, and yaw no longer moves it off the y axis.
    const D3DXQUATERNION pitchThenYaw = QYpr(0, -kHalfPi, 0) * QYpr(kHalfPi, 0, 0);
    EXPECT_TRUE(VecNear(Rotate({0, 0, 1}, pitchThenYaw), {0, 1, 0}));
    const D3DXQUATERNION yawThenPitch = QYpr(kHalfPi, 0, 0) * QYpr(0, -kHalfPi, 0);
    EXPECT_TRUE(VecNear(Rotate({0, 0, 1}, yawThenPitch), {1, 0, 0}));
    // Yaw-pitch-roll is roll, then pitch, then yaw.
    EXPECT_TRUE(SameRotation(QYpr(0, 0, 0.5f) * QYpr(0, 0.8f, 0) * QYpr(1.2f, 0, 0), QYpr(1.2f, 0.8f, 0.5f)));
}

TEST(MathQuaternion, RotationMatrixRoundTrips) {
    // Rotations by 180 degrees (w = 0) exercise each branch of the conversion.
    const D3DXQUATERNION qs[] = {kIdentity,
                                 QAxis({1, 0, 0}, kPi),
                                 QAxis({0, 1, 0}, kPi),
                                 QAxis({0, 0, 1}, kPi),
                                 QAxis({3, 1, -0.5f}, 2.5f),
                                 QAxis({1, -2, 0.5f}, 3.1f),
                                 QAxis({0.2f, 1, -3}, 3.0f),
                                 QYpr(0.3f, 0.7f, -1.1f),
                                 QYpr(2.5f, -1.4f, 4.0f)};
    for (const D3DXQUATERNION& q : qs) {
        const D3DXMATRIX m = MatrixOf(q);
        D3DXQUATERNION back;
        EXPECT_EQ(D3DXQuaternionRotationMatrix(&back, &m), &back);
        EXPECT_TRUE(SameRotation(back, q, 2e-5f));
    }
}

TEST(MathQuaternion, SlerpEndpointsMidpointAndShortestPath) {
    const D3DXQUATERNION a = QYpr(0.3f, 0.7f, -1.1f), b = QAxis({1, 2, 3}, 2.2f);
    EXPECT_TRUE(SameRotation(Slerp(a, b, 0), a));
    EXPECT_TRUE(SameRotation(Slerp(a, b, 1), b));

    // Halfway from no turn to a quarter turn about y is an eighth turn.
    const D3DXQUATERNION quarter = QAxis({0, 1, 0}, kHalfPi);
    EXPECT_TRUE(SameRotation(Slerp(kIdentity, quarter, 0.5f), QAxis({0, 1, 0}, kHalfPi / 2)));
    EXPECT_TRUE(SameRotation(Slerp(kIdentity, quarter, 0.25f), QAxis({0, 1, 0}, kHalfPi / 4)));

    // -q is the same rotation as q and must give the same path.
    EXPECT_TRUE(SameRotation(Slerp(a, -b, 0.3f), Slerp(a, b, 0.3f)));
    // 270 degrees one way is 90 the other: halfway is -45 degrees, not +135.
    const D3DXQUATERNION threeQuarters = QAxis({0, 1, 0}, 3 * kHalfPi);
    ASSERT_LT(D3DXQuaternionDot(&kIdentity, &threeQuarters), 0.0f);
    EXPECT_TRUE(VecNear(Rotate({1, 0, 0}, Slerp(kIdentity, threeQuarters, 0.5f)), {0.70710678f, 0, 0.70710678f}));

    // Equal and nearly equal inputs stay finite and unit length.
    for (const D3DXQUATERNION& other : {a, QAxis({0, 1, 0}, 1e-4f), QAxis({0, 1, 0}, 2e-3f)}) {
        const D3DXQUATERNION& from = (other == a) ? a : kIdentity;
        const D3DXQUATERNION q = Slerp(from, other, 0.4f);
        EXPECT_NEAR(D3DXQuaternionLength(&q), 1.0f, 1e-6f);
    }
    EXPECT_TRUE(SameRotation(Slerp(kIdentity, QAxis({0, 1, 0}, 2e-3f), 0.5f), QAxis({0, 1, 0}, 1e-3f), 2e-7f));
}

TEST(MathQuaternion, InverseConjugateAndNormalize) {
    const D3DXQUATERNION q = QYpr(0.3f, 0.7f, -1.1f) * 2.0f;
    D3DXQUATERNION inv, product;
    EXPECT_EQ(D3DXQuaternionInverse(&inv, &q), &inv);
    D3DXQuaternionMultiply(&product, &q, &inv);
    EXPECT_TRUE(SameRotation(product, kIdentity));
    D3DXQUATERNION unit, conj;
    EXPECT_EQ(D3DXQuaternionNormalize(&unit, &q), &unit);
    EXPECT_TRUE(SameRotation(unit, QYpr(0.3f, 0.7f, -1.1f)));
    D3DXQuaternionConjugate(&conj, &unit);
    D3DXQuaternionInverse(&inv, &unit);
    EXPECT_TRUE(SameRotation(conj, inv));
    // Rotating by q and then by its conjugate is no rotation.
    EXPECT_TRUE(VecNear(Rotate(Rotate({1, 2, 3}, unit), conj), {1, 2, 3}));

    const D3DXQUATERNION zero;
    D3DXQuaternionNormalize(&unit, &zero);
    EXPECT_EQ(unit, zero);
    D3DXQuaternionInverse(&inv, &zero);
    EXPECT_EQ(inv, zero);
    D3DXQUATERNION id;
    EXPECT_TRUE(D3DXQuaternionIsIdentity(D3DXQuaternionIdentity(&id)));
}

}  // namespace
