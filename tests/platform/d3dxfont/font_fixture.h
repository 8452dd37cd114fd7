// One offscreen device for a suite, fonts made on it per test, and helpers
// that draw text and find the pixels it inked on a black back buffer.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "platform/d3d9/test_device.h"
#include "platform/d3dx9/d3dx9.h"

inline constexpr const wchar_t* kGothic = L"ＭＳ　ゴシック";  // what the engine's own fonts ask for

// The pixels with any colour in an area: how many and their bounds.
struct Ink {
    int count = 0;
    int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
    int maxR = 0, maxG = 0, maxB = 0;
};

class FontTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 256;
    static constexpr int kHeight = 128;

    static void SetUpTestSuite() {
        ASSERT_EQ(CreateTestDevice(kWidth, kHeight, &d3d_, &device_), D3D_OK);
    }
    static void TearDownTestSuite() {
        SAFE_RELEASE(device_);
        SAFE_RELEASE(d3d_);
    }

    void TearDown() override {
        for (ID3DXFont* font : fonts_) EXPECT_EQ(font->Release(), 0u) << "something still holds a font";
        fonts_.clear();
        // Every font gave its device reference back.
        device_->AddRef();
        EXPECT_EQ(device_->Release(), 1u);
    }

    ID3DXFont* MakeFont(INT height, UINT weight = FW_NORMAL, const wchar_t* face = kGothic) {
        ID3DXFont* font = nullptr;
        const HRESULT hr = D3DXCreateFontW(device_, height, 0, weight, 0, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face, &font);
        EXPECT_EQ(hr, S_OK);
        if (font) fonts_.push_back(font);
        return font;
    }

    void Clear() { ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.f, 0), D3D_OK); }

    // Draws on a cleared back buffer and reads it back.
    INT DrawOnBlack(ID3DXFont* font, const wchar_t* text, RECT rect, DWORD format, D3DCOLOR color, INT count = -1) {
        Clear();
        EXPECT_EQ(device_->BeginScene(), D3D_OK);
        const INT result = font->DrawTextW(nullptr, text, count, &rect, format, color);
        EXPECT_EQ(device_->EndScene(), D3D_OK);
        ReadBack();
        return result;
    }

    void ReadBack() {
        int w = 0, h = 0;
        ASSERT_TRUE(orv::d3d9::ReadBackBuffer(device_, pixels_, w, h));
        ASSERT_EQ(w, kWidth);
        ASSERT_EQ(h, kHeight);
    }

    Ink InkIn(int x0, int y0, int x1, int y1) const {
        Ink ink;
        for (int y = std::max(0, y0); y < std::min(kHeight, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(kWidth, x1); ++x) {
                const uint8_t* p = &pixels_[(size_t(y) * kWidth + x) * 4];
                if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
                ++ink.count;
                ink.minX = std::min(ink.minX, x), ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y), ink.maxY = std::max(ink.maxY, y);
                ink.maxR = std::max<int>(ink.maxR, p[0]);
                ink.maxG = std::max<int>(ink.maxG, p[1]);
                ink.maxB = std::max<int>(ink.maxB, p[2]);
            }
        return ink;
    }
    Ink AllInk() const { return InkIn(0, 0, kWidth, kHeight); }

    static inline IDirect3D9* d3d_ = nullptr;
    static inline IDirect3DDevice9* device_ = nullptr;
    std::vector<ID3DXFont*> fonts_;
    std::vector<uint8_t> pixels_;
};
