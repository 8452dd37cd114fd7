// A device with a shader manager for the post-processing tests, and pictures
// that go into textures and come back out of render targets.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageTable.h"
#include "platform/d3d9/device_fixture.h"

namespace post_test {

// Width x height colours, top row first.
struct Picture {
    UINT width = 0, height = 0;
    std::vector<Rgba> pixels;

    Picture() = default;
    Picture(UINT w, UINT h, Rgba fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    Rgba& At(int x, int y) { return pixels[size_t(y) * width + x]; }
    const Rgba& At(int x, int y) const { return pixels[size_t(y) * width + x]; }
    void Fill(int x0, int y0, int x1, int y1, Rgba c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) At(x, y) = c;
    }
    // The largest difference of any channel but alpha over the whole picture.
    int MaxDifference(const Picture& other) const {
        int most = 0;
        for (size_t i = 0; i < pixels.size(); ++i) {
            const Rgba& a = pixels[i];
            const Rgba& b = other.pixels[i];
            most = std::max({most, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
        }
        return most;
    }
};

inline Rgba Grey(int v) { return {uint8_t(v), uint8_t(v), uint8_t(v), 255}; }

// Distinct in every pixel and every channel, and different from its mirror
// images and from itself moved by a pixel: any flip or shift shows.
inline Picture Pattern(UINT w, UINT h) {
    Picture p(w, h, Grey(0));
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x)
            p.At(x, y) = {uint8_t(x * 100 / w + 10), uint8_t(y * 100 / h + 10), uint8_t((x * 7 + y * 13) % 100 + 10),
                          255};
    return p;
}

class PostTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (HasFatalFailure()) return;
        Quorvex::MessageTable::Build();
        shaders_ = new Quorvex::ShaderManager();
        shaders_->AddRef();
        shaders_->SetDevice(device_);
    }
    void TearDown() override {
        for (IUnknown* object : held_) object->Release();
        held_.clear();
        if (shaders_) shaders_->Release();
        shaders_ = nullptr;
        DeviceTest::TearDown();
    }

    // Loads a shader and registers it; the manager keeps the only reference.
    template <class T, class... A>
    T* Load(A... args) {
        T* shader = new T(args...);
        shader->AddRef();
        EXPECT_EQ(shader->LoadShader(), 0);
        shaders_->AddShader(shader);
        shader->Release();
        return shader;
    }

    // A render-target texture (held until the test ends), optionally filled.
    IDirect3DTexture9* MakeTarget(UINT w = kWidth, UINT h = kHeight, const Picture* picture = nullptr) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture,
                                         nullptr),
                  D3D_OK);
        if (!texture) return nullptr;
        held_.push_back(texture);
        if (picture) Write(texture, *picture);
        return texture;
    }
    IDirect3DTexture9* MakeTexture(const Picture& picture) { return MakeTarget(picture.width, picture.height, &picture); }

    void Write(IDirect3DTexture9* texture, const Picture& picture) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
        for (UINT y = 0; y < picture.height; ++y)
            for (UINT x = 0; x < picture.width; ++x) {
                uint8_t* p = static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4;
                const Rgba& c = picture.At(x, y);
                p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = c.a;
            }
        texture->UnlockRect(0);
    }
    Picture Read(IDirect3DTexture9* texture) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        Picture picture(desc.Width, desc.Height, Grey(0));
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        if (!locked.pBits) return picture;
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x) {
                const uint8_t* p = static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4;
                picture.At(x, y) = {p[2], p[1], p[0], p[3]};
            }
        texture->UnlockRect(0);
        return picture;
    }
    Picture ReadScreen() {
        ReadBack();
        Picture picture(kWidth, kHeight, Grey(0));
        for (UINT y = 0; y < kHeight; ++y)
            for (UINT x = 0; x < kWidth; ++x) picture.At(x, y) = At(x, y);
        return picture;
    }

    // Runs `draw` with render target 0 set to the texture, then puts the back
    // buffer back.
    void DrawInto(IDirect3DTexture9* texture, const std::function<void()>& draw) {
        IDirect3DSurface9* surface = nullptr;
        ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
        IDirect3DSurface9* back = nullptr;
        device_->GetRenderTarget(0, &back);
        device_->SetRenderTarget(0, surface);
        device_->BeginScene();
        draw();
        device_->EndScene();
        device_->SetRenderTarget(0, back);
        back->Release();
        surface->Release();
    }

    Quorvex::ShaderManager* shaders_ = nullptr;
    std::vector<IUnknown*> held_;
};

}  // namespace post_test
