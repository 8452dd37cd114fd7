// Vectors, planes and colours.
#include <cmath>

#include "math_near.h"

namespace {

TEST(MathVector, NormalizingZeroGivesZeroNotNaN) {
    const D3DXVECTOR3 zero3;
    D3DXVECTOR3 out3(9, 9, 9);
    EXPECT_EQ(D3DXVec3Normalize(&out3, &zero3), &out3);
    EXPECT_EQ(out3, zero3);
    D3DXVECTOR2 out2(9, 9);
    const D3DXVECTOR2 zero2;
    D3DXVec2Normalize(&out2, &zero2);
    EXPECT_EQ(out2, zero2);
    D3DXVECTOR4 out4(9, 9, 9, 9);
    const D3DXVECTOR4 zero4;
    D3DXVec4Normalize(&out4, &zero4);
    EXPECT_EQ(out4, zero4);
    D3DXPLANE plane(0, 0, 0, 5), outPlane;
    D3DXPlaneNormalize(&outPlane, &plane);
    EXPECT_EQ(outPlane, D3DXPLANE());

    const D3DXVECTOR3 v(3, 0, -4);
    D3DXVec3Normalize(&out3, &v);
    EXPECT_TRUE(VecNear(out3, {0.6f, 0, -0.8f}));
    const D3DXVECTOR3 tiny(1e-20f, 0, 0);  // squared length underflows to 0
    D3DXVec3Normalize(&out3, &tiny);
    EXPECT_TRUE(std::isfinite(out3.x));
}

TEST(MathVector, CrossFollowsTheAxisOrder) {
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    D3DXVECTOR3 out;
    EXPECT_EQ(D3DXVec3Cross(&out, &x, &y), &out);
    EXPECT_EQ(out, z);
    EXPECT_EQ(*D3DXVec3Cross(&out, &y, &x), -z);
    EXPECT_EQ(*D3DXVec3Cross(&out, &y, &z), x);
    D3DXVECTOR3 aliased = z;
    D3DXVec3Cross(&aliased, &aliased, &x);
    EXPECT_EQ(aliased, y);
}

TEST(MathVector, PlaneFromPointAndNormal) {
    const D3DXVECTOR3 point(0, 10, 0), normal(0, 2, 0);
    D3DXPLANE plane;
    D3DXPlaneFromPointNormal(&plane, &point, &normal);
    D3DXPlaneNormalize(&plane, &plane);
    const D3DXVECTOR3 above(5, 13, -2), below(0, 4, 0);
    EXPECT_NEAR(D3DXPlaneDotCoord(&plane, &above), 3.0f, 1e-6f);
    EXPECT_NEAR(D3DXPlaneDotCoord(&plane, &below), -6.0f, 1e-6f);
}

TEST(MathVector, ColorPacksClampedAndRounded) {
    const struct {
        D3DXCOLOR color;
        DWORD packed;
    } cases[] = {
        {D3DXCOLOR(1, 0, 0, 1), 0xFFFF0000u},
        {D3DXCOLOR(0, 0, 1, 0), 0x000000FFu},
        {D3DXCOLOR(0.5f, 0.25f, 0.75f, 0.5f), 0x808040BFu},
        {D3DXCOLOR(2.0f, -1.0f, 0.5f, 1.5f), 0xFFFF0080u},
        {D3DXCOLOR(std::nanf(""), 0, 0, 1), 0xFF000000u},
    };
    for (const auto& c : cases) EXPECT_EQ(static_cast<DWORD>(c.color), c.packed) << std::hex << c.packed;

    // Unpacking gives each byte / 255 and packs back to the same value.
    const D3DXCOLOR unpacked(0x80FF4001u);
    EXPECT_FLOAT_EQ(unpacked.a, 128 / 255.0f);
    EXPECT_FLOAT_EQ(unpacked.r, 1.0f);
    EXPECT_FLOAT_EQ(unpacked.g, 64 / 255.0f);
    EXPECT_FLOAT_EQ(unpacked.b, 1 / 255.0f);
    EXPECT_EQ(static_cast<DWORD>(unpacked), 0x80FF4001u);

    EXPECT_EQ(D3DCOLOR_ARGB(0x12, 0x34, 0x56, 0x78), 0x12345678u);
    EXPECT_EQ(D3DCOLOR_RGBA(0x34, 0x56, 0x78, 0x12), 0x12345678u);
    EXPECT_EQ(D3DCOLOR_XRGB(0x34, 0x56, 0x78), 0xFF345678u);
    EXPECT_EQ(D3DCOLOR_COLORVALUE(1.0f, 0.5f, 0.0f, 1.0f), 0xFFFF7F00u);

    const D3DXCOLOR from(0, 0.2f, 1, 1), to(1, 0.6f, 0, 0);
    D3DXCOLOR mid;
    EXPECT_EQ(D3DXColorLerp(&mid, &from, &to, 0.25f), &mid);
    EXPECT_FLOAT_EQ(mid.r, 0.25f);
    EXPECT_FLOAT_EQ(mid.g, 0.3f);
    EXPECT_FLOAT_EQ(mid.b, 0.75f);
    EXPECT_FLOAT_EQ(mid.a, 0.75f);
}

}  // namespace
