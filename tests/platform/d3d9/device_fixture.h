// A device on a hidden window of its own, with helpers to draw and to read
// the back buffer back.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "test_device.h"

struct Rgba {
    uint8_t r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};
inline std::ostream& operator<<(std::ostream& os, const Rgba& c) {
    return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << "," << int(c.a) << ")";
}
inline Rgba FromArgb(D3DCOLOR c) {
    return {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24)};
}
inline bool Near(const Rgba& a, const Rgba& b, int tolerance = 1) {
    auto d = [](int x, int y) { return x > y ? x - y : y - x; };
    return d(a.r, b.r) <= tolerance && d(a.g, b.g) <= tolerance && d(a.b, b.b) <= tolerance &&
           d(a.a, b.a) <= tolerance;
}

// Screen-space vertex: pixels, depth, rhw, colour, texture coordinates.
struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
inline constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The engine's sprite vertex: position, colour, texture coordinates.
struct SpriteVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
inline constexpr DWORD kSpriteFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class DeviceTest : public ::testing::Test {
protected:
    static constexpr UINT kWidth = 64;
    static constexpr UINT kHeight = 48;

    void SetUp() override {
        ASSERT_EQ(CreateTestDevice(kWidth, kHeight, &d3d_, &device_), D3D_OK);
        // Depth starts undefined, as in Direct3D.
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.f, 0), D3D_OK);
    }

    void TearDown() override {
        if (device_) {
            EXPECT_EQ(device_->Release(), 0u) << "something still holds the device";
        }
        if (d3d_) d3d_->Release();
    }

    void ReadBack() {
        int w = 0, h = 0;
        ASSERT_TRUE(orv::d3d9::ReadBackBuffer(device_, pixels_, w, h));
        ASSERT_EQ(w, int(kWidth));
        ASSERT_EQ(h, int(kHeight));
    }
    Rgba At(int x, int y) const {
        const uint8_t* p = &pixels_[(size_t(y) * kWidth + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }

    // A rectangle from (x0, y0) to (x1, y1) in screen pixels, drawn from
    // memory as a clockwise strip.
    void DrawScreenQuad(float x0, float y0, float x1, float y1, D3DCOLOR color, float z = 0.5f, float u0 = 0,
                        float v0 = 0, float u1 = 1, float v1 = 1) {
        const ScreenVertex quad[4] = {{x0, y0, z, 1, color, u0, v0},
                                      {x1, y0, z, 1, color, u1, v0},
                                      {x0, y1, z, 1, color, u0, v1},
                                      {x1, y1, z, 1, color, u1, v1}};
        ASSERT_EQ(device_->SetFVF(kScreenFvf), D3D_OK);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)), D3D_OK);
    }

    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    std::vector<uint8_t> pixels_;
};
