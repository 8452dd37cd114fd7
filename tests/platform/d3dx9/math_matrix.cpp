// Matrices: rotation directions in the left-handed row-vector convention,
// hand-computed view and projection matrices, inverses and transforms.
#include <cmath>
#include <functional>
#include <limits>

#include "math_near.h"

namespace {

D3DXMATRIX RotX(float a) { D3DXMATRIX m; return *D3DXMatrixRotationX(&m, a); }
D3DXMATRIX RotY(float a) { D3DXMATRIX m; return *D3DXMatrixRotationY(&m, a); }
D3DXMATRIX RotZ(float a) { D3DXMATRIX m; return *D3DXMatrixRotationZ(&m, a); }
D3DXMATRIX Ypr(float y, float p, float r) { D3DXMATRIX m; return *D3DXMatrixRotationYawPitchRoll(&m, y, p, r); }
D3DXMATRIX Axis(D3DXVECTOR3 v, float a) { D3DXMATRIX m; return *D3DXMatrixRotationAxis(&m, &v, a); }
D3DXMATRIX Translate(float x, float y, float z) { D3DXMATRIX m; return *D3DXMatrixTranslation(&m, x, y, z); }
D3DXMATRIX Scale(float x, float y, float z) { D3DXMATRIX m; return *D3DXMatrixScaling(&m, x, y, z); }
D3DXMATRIX Perspective(float fov, float aspect, float zn, float zf) {
    D3DXMATRIX m;
    return *D3DXMatrixPerspectiveFovLH(&m, fov, aspect, zn, zf);
}

const float kHalfPi = kPi / 2;

// a * b == I, each element allowed the rounding that float elements of a and b
// carry into it (a product of large elements that cancel is only as exact as
// its largest terms).
::testing::AssertionResult ProductIsIdentity(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = 0, scale = 0;
            for (int k = 0; k < 4; ++k) {
                sum += double(a.m[i][k]) * b.m[k][j];
                scale += std::fabs(double(a.m[i][k]) * b.m[k][j]);
            }
            const double expected = i == j ? 1.0 : 0.0;
            if (std::fabs(sum - expected) > 1e-6 * scale + 1e-6)
                return ::testing::AssertionFailure() << "_" << i + 1 << j + 1 << " is " << sum;
        }
    return ::testing::AssertionSuccess();
}

TEST(MathMatrix, RotationsTurnBasisVectorsTheLeftHandedWay) {
    struct Case {
        const char* what;
        D3DXMATRIX m;
        D3DXVECTOR3 in, out;
    } cases[] = {
        {"RotationY(+90) x", RotY(kHalfPi), {1, 0, 0}, {0, 0, -1}},
        {"RotationY(+90) z", RotY(kHalfPi), {0, 0, 1}, {1, 0, 0}},
        {"RotationX(+90) y", RotX(kHalfPi), {0, 1, 0}, {0, 0, 1}},
        {"RotationX(+90) z", RotX(kHalfPi), {0, 0, 1}, {0, -1, 0}},
        {"RotationZ(+90) x", RotZ(kHalfPi), {1, 0, 0}, {0, 1, 0}},
        {"RotationZ(+90) y", RotZ(kHalfPi), {0, 1, 0}, {-1, 0, 0}},
        {"yaw +90 turns +z to +x", Ypr(kHalfPi, 0, 0), {0, 0, 1}, {1, 0, 0}},
        {"pitch -90 turns +z to +y", Ypr(0, -kHalfPi, 0), {0, 0, 1}, {0, 1, 0}},
        {"roll +90 turns +x to +y", Ypr(0, 0, kHalfPi), {1, 0, 0}, {0, 1, 0}},
        {"axis (0,2,0) +90 (unnormalised)", Axis({0, 2, 0}, kHalfPi), {1, 0, 0}, {0, 0, -1}},
        {"axis (1,1,1) +120 cycles x to y", Axis({1, 1, 1}, 2 * kPi / 3), {1, 0, 0}, {0, 1, 0}},
    };
    for (const Case& c : cases) EXPECT_TRUE(VecNear(TransformPoint(c.in, c.m), c.out)) << c.what;
}

TEST(MathMatrix, YawPitchRollIsRollThenPitchThenYaw) {
    const float angles[][3] = {{0.3f, 0, 0}, {0, 0.7f, 0}, {0, 0, -1.1f}, {0.3f, 0.7f, -1.1f}, {2.5f, -1.4f, 4.0f}};
    for (const auto& a : angles) {
        const D3DXMATRIX expected = RotZ(a[2]) * RotX(a[1]) * RotY(a[0]);
        EXPECT_TRUE(MatrixNear(Ypr(a[0], a[1], a[2]), expected)) << a[0] << " " << a[1] << " " << a[2];
    }
}

TEST(MathMatrix, AxisRotationMatchesTheAxisMatrices) {
    EXPECT_TRUE(MatrixNear(Axis({1, 0, 0}, 0.8f), RotX(0.8f)));
    EXPECT_TRUE(MatrixNear(Axis({0, 1, 0}, 0.8f), RotY(0.8f)));
    EXPECT_TRUE(MatrixNear(Axis({0, 0, 3}, 0.8f), RotZ(0.8f)));
}

TEST(MathMatrix, LookAtLHMatchesHandComputedMatrices) {
    const float s = 0.70710678f;
    struct Case {
        const char* what;
        D3DXVECTOR3 eye, at, up;
        D3DXMATRIX expected;
    } cases[] = {
        {"behind the origin", {0, 0, -10}, {0, 0, 0}, {0, 1, 0},
         D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1)},
        {"looking along +x from (2,3,4)", {2, 3, 4}, {3, 3, 4}, {0, 1, 0},
         D3DXMATRIX(0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 4, -3, -2, 1)},
        {"diagonal in the xz plane", {0, 0, 0}, {1, 0, 1}, {0, 1, 0},
         D3DXMATRIX(s, 0, s, 0, 0, 1, 0, 0, -s, 0, s, 0, 0, 0, 0, 1)},
        {"slanted up is made orthogonal", {0, 0, 0}, {0, 0, 5}, {0, 1, 1},
         D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)},
    };
    for (const Case& c : cases) {
        D3DXMATRIX m;
        EXPECT_EQ(D3DXMatrixLookAtLH(&m, &c.eye, &c.at, &c.up), &m);
        EXPECT_TRUE(MatrixNear(m, c.expected)) << c.what;
        // The eye goes to the origin and the look-at point straight ahead.
        EXPECT_TRUE(VecNear(TransformPoint(c.eye, m), {0, 0, 0}, 1e-5f)) << c.what;
        const D3DXVECTOR3 d = c.at - c.eye;
        EXPECT_TRUE(VecNear(TransformPoint(c.at, m), {0, 0, D3DXVec3Length(&d)}, 1e-5f)) << c.what;
    }
}

TEST(MathMatrix, PerspectiveFovLHMapsNearToZeroAndFarToOne) {
    struct Case {
        float fov, aspect, zn, zf;
        float xScale, yScale, q;  // q = zf / (zf - zn)
    } cases[] = {
        {kHalfPi, 2.0f, 1.0f, 101.0f, 0.5f, 1.0f, 1.01f},
        {kPi / 3, 16.0f / 9.0f, 1.0f, 10000.0f, 0.97427858f, 1.7320508f, 1.00010001f},
        {kPi / 4, 1.0f, 1.0f, 1000.0f, 2.4142136f, 2.4142136f, 1.001001f},
    };
    for (const Case& c : cases) {
        const D3DXMATRIX m = Perspective(c.fov, c.aspect, c.zn, c.zf);
        const D3DXMATRIX expected(c.xScale, 0, 0, 0, 0, c.yScale, 0, 0, 0, 0, c.q, 1, 0, 0, -c.zn * c.q, 0);
        EXPECT_TRUE(MatrixNear(m, expected, 1e-4f)) << c.fov;
        EXPECT_NEAR(TransformPoint({0, 0, c.zn}, m).z, 0.0f, 1e-5f);
        EXPECT_NEAR(TransformPoint({0, 0, c.zf}, m).z, 1.0f, 1e-5f);
        // A point on the upper edge of the view at depth d lands on y = 1.
        const float d = (c.zn + c.zf) / 2;
        EXPECT_NEAR(TransformPoint({0, d * std::tan(c.fov / 2), d}, m).y, 1.0f, 1e-4f);
    }
}

TEST(MathMatrix, MultiplyAppliesTheLeftMatrixFirst) {
    const D3DXMATRIX t = Translate(10, 0, 0), r = RotY(kHalfPi);
    EXPECT_TRUE(VecNear(TransformPoint({1, 0, 0}, t * r), {0, 0, -11}));
    EXPECT_TRUE(VecNear(TransformPoint({1, 0, 0}, r * t), {10, 0, -1}));

    D3DXMATRIX viaFunction;
    EXPECT_EQ(D3DXMatrixMultiply(&viaFunction, &t, &r), &viaFunction);
    EXPECT_EQ(viaFunction, t * r);
    // Output aliasing either input.
    D3DXMATRIX a = t;
    D3DXMatrixMultiply(&a, &a, &r);
    EXPECT_EQ(a, t * r);
    a = r;
    D3DXMatrixMultiply(&a, &t, &a);
    EXPECT_EQ(a, t * r);
    D3DXMATRIX b = t;
    b *= r;
    EXPECT_EQ(b, t * r);
}

TEST(MathMatrix, ElementsAreAddressedByRowThenColumn) {
    D3DXMATRIX m = Translate(1, 2, 3);
    EXPECT_EQ(m(3, 0), 1.0f);
    EXPECT_EQ(m(3, 2), 3.0f);
    EXPECT_EQ(m._42, 2.0f);
    EXPECT_EQ(m.m[3][1], 2.0f);
    m(0, 3) = 7.0f;
    EXPECT_EQ(m._14, 7.0f);
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &m);
    EXPECT_EQ(t._41, 7.0f);
    EXPECT_EQ(t._34, 3.0f);
    D3DXMatrixTranspose(&m, &m);
    EXPECT_EQ(m, t);
}

TEST(MathMatrix, InverseTimesMatrixIsIdentity) {
    const D3DXMATRIX camera = [] {
        D3DXMATRIX m;
        const D3DXVECTOR3 eye(3, 40, -200), at(10, 0, 50), up(0, 1, 0);
        return *D3DXMatrixLookAtLH(&m, &eye, &at, &up);
    }();
    // Screen matrix of a 1280x720 viewport with depth 0..1.
    const D3DXMATRIX screen(640, 0, 0, 0, 0, -360, 0, 0, 0, 0, 1, 0, 640, 360, 0, 1);
    struct Case {
        const char* what;
        D3DXMATRIX m;
        float det;
    } cases[] = {
        {"scale", Scale(2, 3, 4), 24.0f},
        {"tiny scale", Scale(1e-12f, 1e-12f, 1e-12f), 1e-36f},
        {"scale, rotation, translation", Scale(2, 2, 2) * Ypr(0.4f, -0.9f, 1.3f) * Translate(5, -7, 9), 8.0f},
        {"view", camera, 1.0f},
        {"projection", Perspective(kPi / 3, 16.0f / 9.0f, 1, 10000), std::nanf("")},
        {"view x projection x screen", camera * Perspective(kPi / 3, 16.0f / 9.0f, 1, 10000) * screen,
         std::nanf("")},
        {"dense", D3DXMATRIX(2, -1, 0, 3, 1, 4, -2, 0, 0, 5, 1, -1, 3, 0, 2, 6), std::nanf("")},
    };
    for (const Case& c : cases) {
        D3DXMATRIX inv;
        float det = 0;
        ASSERT_EQ(D3DXMatrixInverse(&inv, &det, &c.m), &inv) << c.what;
        EXPECT_FLOAT_EQ(det, D3DXMatrixDeterminant(&c.m)) << c.what;
        if (!std::isnan(c.det)) {
            EXPECT_NEAR(det, c.det, 1e-4f * std::fabs(c.det)) << c.what;
        }
        EXPECT_TRUE(ProductIsIdentity(inv, c.m)) << c.what;
        EXPECT_TRUE(ProductIsIdentity(c.m, inv)) << c.what;
        D3DXMATRIX inPlace = c.m;
        EXPECT_EQ(D3DXMatrixInverse(&inPlace, nullptr, &inPlace), &inPlace);
        EXPECT_EQ(inPlace, inv) << c.what;
    }
}

TEST(MathMatrix, SingularInverseReturnsNullAndLeavesOutputAlone) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        D3DXMATRIX m;
    } cases[] = {
        {"zero", D3DXMATRIX()},
        {"flattened axis", Scale(1, 0, 1)},
        {"two equal rows", D3DXMATRIX(1, 2, 3, 4, 1, 2, 3, 4, 0, 1, 0, 0, 0, 0, 0, 1)},
        {"orthographic-like projection with no w", D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0)},
        {"infinite element", D3DXMATRIX(inf, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)},
        {"NaN element", D3DXMATRIX(1, 0, 0, 0, 0, std::nanf(""), 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)},
        {"inverse beyond float range", Scale(1e-39f, 1, 1)},
    };
    for (const Case& c : cases) {
        D3DXMATRIX out = Translate(1, 2, 3);
        const D3DXMATRIX before = out;
        float det = 42;
        EXPECT_EQ(D3DXMatrixInverse(&out, &det, &c.m), nullptr) << c.what;
        EXPECT_EQ(out, before) << c.what;
        EXPECT_TRUE(std::fabs(det) < 1e-30f || !std::isfinite(det)) << c.what << " det " << det;
    }
}

TEST(MathMatrix, TransformsOfPointsAndDirections) {
    const D3DXMATRIX m = RotY(kHalfPi) * Translate(10, 20, 30);
    const D3DXVECTOR3 v(1, 0, 0);
    D3DXVECTOR3 out;
    EXPECT_EQ(D3DXVec3TransformCoord(&out, &v, &m), &out);
    EXPECT_TRUE(VecNear(out, {10, 20, 29}));
    EXPECT_EQ(D3DXVec3TransformNormal(&out, &v, &m), &out);
    EXPECT_TRUE(VecNear(out, {0, 0, -1}));

    // TransformCoord divides by w, Transform keeps it.
    const D3DXMATRIX halve(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2);
    EXPECT_TRUE(VecNear(TransformPoint({4, 6, 8}, halve), {2, 3, 4}));
    const D3DXMATRIX proj = Perspective(kHalfPi, 2.0f, 1, 101);
    EXPECT_TRUE(VecNear(TransformPoint({101, 101, 101}, proj), {0.5f, 1, 1}));
    const D3DXVECTOR3 p(2, 4, 101);
    D3DXVECTOR4 h;
    EXPECT_EQ(D3DXVec3Transform(&h, &p, &proj), &h);
    EXPECT_NEAR(h.x, 1, 1e-5f);
    EXPECT_NEAR(h.y, 4, 1e-5f);
    EXPECT_NEAR(h.z, 101, 1e-3f);
    EXPECT_NEAR(h.w, 101, 1e-5f);
    const D3DXVECTOR4 h4(2, 4, 101, 0);  // a direction: no translation row
    D3DXVECTOR4 d;
    D3DXVec4Transform(&d, &h4, &proj);
    EXPECT_NEAR(d.z, 101 * 1.01f, 1e-3f);
    EXPECT_NEAR(d.w, 101, 1e-5f);

    // A point on the eye plane (w = 0) gives a finite result, not inf or NaN.
    const D3DXVECTOR3 onEyePlane = TransformPoint({1, 1, 0}, proj);
    EXPECT_TRUE(std::isfinite(onEyePlane.x) && std::isfinite(onEyePlane.y) && std::isfinite(onEyePlane.z));

    // Output aliasing the input.
    D3DXVECTOR3 inPlace(1, 0, 0);
    D3DXVec3TransformCoord(&inPlace, &inPlace, &m);
    EXPECT_TRUE(VecNear(inPlace, {10, 20, 29}));
}

}  // namespace
