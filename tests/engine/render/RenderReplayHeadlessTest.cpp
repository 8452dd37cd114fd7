// The replay on a real device with no display: commands -> shared buffers ->
// pixels, with the 2D sprite effect of ./data/fx.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "RenderTestSupport.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/RenderStage.h"
#include "platform/d3d9/device_fixture.h"

using Quorvex::CalcVertexSet;
using Quorvex::ObjectManager;
using Quorvex::RenderObject;
using Quorvex::RenderStage;

namespace {

// A flat 2D sprite in screen-height units, drawn under a blend preset.
class Panel : public RenderObject {
public:
    Panel(ObjectManager* manager, float priority, float x, float y, float w, float h, D3DCOLOR color, int preset)
        : RenderObject(manager, CreateRegister), preset_(preset) {
        sprite.x = x;
        sprite.y = y;
        sprite.width = w;
        sprite.height = h;
        sprite.color = color;
        sprite.centered = 0;
        SetDrawPriority(priority);
    }
    void Render(CalcVertexSet* list) override {
        Quorvex::PushRenderStatePreset(list, preset_);
        Quorvex::PushSprite2D(list, sprite);
    }

private:
    Quorvex::Sprite2DData sprite;
    int preset_;
};

class HeadlessReplay : public DeviceTest {
protected:
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
        // With slow unwinding on every allocation, the unwinder's lock is taken
        // again from inside itself when llvmpipe's shader compiler registers
        // its code while drawing: the process hangs.
        const char* options = std::getenv("ASAN_OPTIONS");
        if (options && std::strstr(options, "fast_unwind_on_malloc=0"))
            GTEST_SKIP() << "llvmpipe's compiler deadlocks in the unwinder under fast_unwind_on_malloc=0";
#endif
        DeviceTest::SetUp();
    }

    // Draws the scene with the given number of job records and reads it back.
    void DrawScene(int jobs) {
        auto* shaders = new Quorvex::ShaderManager();
        shaders->AddRef();
        shaders->SetDevice(device_);
        ObjectManager* manager = render_test::NewManagerOn(device_, shaders, jobs);
        auto* stage = new RenderStage();
        stage->AddRef();
        stage->Initialize(manager, "Sprite2D", 100);
        manager->AddRenderStage(stage);

        // Drawn in descending priority: the blue backdrop, the red left half
        // over it, a green square, then two half-transparent white squares
        // added over the left and the right half. Untextured sprites batch
        // like textured ones, and each preset change draws what came before.
        // x in screen-height units of the lists' default 16:9 aspect.
        const float u = 16.0f / 9.0f;
        (new Panel(manager, 10, 0, 0, u, 1, 0xFF0000FF, 2))->AttachStage(stage);
        (new Panel(manager, 5, 0, 0, u / 2, 1, 0xFFFF0000, 2))->AttachStage(stage);
        (new Panel(manager, 3, 0.65f * u, 0.25f, 0.15f * u, 0.5f, 0xFF00FF00, 1))->AttachStage(stage);
        (new Panel(manager, 2, 0.1f * u, 0.1f, 0.1f * u, 0.2f, 0x80FFFFFF, 3))->AttachStage(stage);
        (new Panel(manager, 1, 0.55f * u, 0.7f, 0.1f * u, 0.2f, 0x80FFFFFF, 3))->AttachStage(stage);

        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device_->SetRenderState(D3DRS_ZENABLE, FALSE);
        device_->BeginScene();
        manager->Update(0.0f);
        manager->BeginStage(stage);
        device_->EndScene();
        ReadBack();
        stage->Release();
        manager->Release();
        shaders->Release();
    }
    // At a fraction of the screen's width and height.
    Rgba AtFraction(float x, float y) const { return At(int(x * kWidth), int(y * kHeight)); }
};

TEST_F(HeadlessReplay, CommandsReachThePixelsInDrawOrderWithTheirPresets) {
    DrawScene(1);
    EXPECT_TRUE(Near(AtFraction(0.25f, 0.5f), FromArgb(0xFFFF0000))) << AtFraction(0.25f, 0.5f);
    EXPECT_TRUE(Near(AtFraction(0.9f, 0.1f), FromArgb(0xFF0000FF))) << AtFraction(0.9f, 0.1f);
    EXPECT_TRUE(Near(AtFraction(0.75f, 0.5f), FromArgb(0xFF00FF00))) << AtFraction(0.75f, 0.5f);
    // Additive half white (preset 3: source alpha, one) over red and blue.
    EXPECT_TRUE(Near(AtFraction(0.15f, 0.2f), FromArgb(0xFFFF8080), 3)) << AtFraction(0.15f, 0.2f);
    EXPECT_TRUE(Near(AtFraction(0.6f, 0.8f), FromArgb(0xFF8080FF), 3)) << AtFraction(0.6f, 0.8f);
}

TEST_F(HeadlessReplay, SeveralJobRecordsGiveTheSamePicture) {
    DrawScene(1);
    const std::vector<uint8_t> one = pixels_;
    for (int jobs : {3, 5}) {
        DrawScene(jobs);
        EXPECT_TRUE(pixels_ == one) << jobs << " jobs";
    }
}

}  // namespace
