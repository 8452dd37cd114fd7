// The full-screen fill layer: its fades over time, and what it leaves on the
// screen through the "Sprite2D" group.
#include "PostFixture.h"
#include "engine/assets/FillObject.h"
#include "engine/assets/RenderGroups.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/render/RenderTestSupport.h"

using Quorvex::FillObject;

namespace {

void ExpectColor(const float (&actual)[4], const float (&expected)[4]) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "channel " << i;
}

TEST(FillObject, ModesColourTheLayerByTheProgress) {
    auto* layer = new FillObject(nullptr);
    layer->AddRef();
    FillObject& fill = *layer;
    EXPECT_EQ(fill.Initialize(0), 0);
    EXPECT_EQ(fill.GetUpdatePriority(), 2100);
    EXPECT_EQ(fill.GetDrawPriority(), 100.0f);
    float color[4];
    EXPECT_FALSE(fill.GetDrawColor(color)) << "mode 0 draws nothing";

    const float a[4] = {0.2f, 0.4f, 0.6f, 0.8f}, b[4] = {1.0f, 0.0f, 0.5f, 0.0f};
    struct Case {
        int mode;
        float progress;
        float expected[4];
    };
    const Case cases[] = {
        {FillObject::ModeFill, 0.3f, {0.2f, 0.4f, 0.6f, 0.8f}},
        {FillObject::ModeCrossFade, 0.25f, {0.4f, 0.3f, 0.575f, 0.6f}},
        {FillObject::ModeCrossFade, -1.0f, {1.0f, 0.0f, 0.5f, 0.0f}},  // finished: the end colour
        {FillObject::ModeFadeIn, 0.5f, {0.2f, 0.4f, 0.6f, 0.4f}},
        {FillObject::ModeFadeIn, -1.0f, {0.2f, 0.4f, 0.6f, 0.8f}},
        {FillObject::ModeFadeOut, 0.25f, {0.2f, 0.4f, 0.6f, 0.6f}},
        {FillObject::ModeFadeOut, -1.0f, {0.2f, 0.4f, 0.6f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " progress " << c.progress);
        fill.m_mode = c.mode;
        fill.m_progress = c.progress;
        for (int i = 0; i < 4; ++i) fill.m_colorA[i] = a[i], fill.m_colorB[i] = b[i];
        ASSERT_TRUE(fill.GetDrawColor(color));
        ExpectColor(color, c.expected);
    }
    fill.m_mode = 5;
    EXPECT_FALSE(fill.GetDrawColor(color));

    // A solid colour keeps showing; a fade-in runs from transparent at its
    // rate and then stays.
    fill.SetColor(a);
    fill.Update(0.5f);
    ASSERT_TRUE(fill.GetDrawColor(color));
    ExpectColor(color, a);
    fill.FadeIn(a, 2.0f);
    ASSERT_TRUE(fill.GetDrawColor(color));
    EXPECT_FLOAT_EQ(color[3], 0.0f);
    fill.Update(0.25f);
    ASSERT_TRUE(fill.GetDrawColor(color));
    EXPECT_FLOAT_EQ(color[3], 0.4f);
    fill.Update(0.25f);
    ASSERT_TRUE(fill.GetDrawColor(color));
    ExpectColor(color, a);
    layer->Release();
}

class FillOnScreen : public post_test::PostTest {};

TEST_F(FillOnScreen, FadesFromOneColourToAnotherAtItsRate) {
    ASSERT_EQ(shaders_->LoadShader_CopyTexture(), 0);
    Quorvex::ObjectManager* manager = render_test::NewManagerOn(device_, shaders_, 1);
    auto* group = new Quorvex::RenderGroupSprite2D();
    group->AddRef();
    ASSERT_EQ(group->Initialize(manager, "Sprite2D", 10, 0), 0);
    auto* fill = new FillObject(manager);
    fill->AddRef();
    ASSERT_EQ(fill->Initialize(0), 0);
    EXPECT_EQ(fill->GetRenderStage(), group);

    // Opaque white to transparent black at half a unit per second, the end
    // colour first; over a red screen.
    const float transparentBlack[4] = {0, 0, 0, 0}, white[4] = {1, 1, 1, 1};
    fill->SetFade(transparentBlack, white, 0.5f);
    struct Step {
        float seconds;
        float color[4];
        Rgba screen;
    };
    const Step steps[] = {
        {0.0f, {1, 1, 1, 1}, {255, 255, 255, 255}},
        {1.0f, {0.5f, 0.5f, 0.5f, 0.5f}, {191, 64, 64, 255}},
        {1.0f, {0, 0, 0, 0}, {255, 0, 0, 255}},  // 2 s: done, and it stays so
        {1.0f, {0, 0, 0, 0}, {255, 0, 0, 255}},
    };
    for (const Step& step : steps) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
        device_->BeginScene();
        manager->Update(step.seconds);
        manager->Render();
        device_->EndScene();
        float color[4];
        ASSERT_TRUE(fill->GetDrawColor(color));
        ExpectColor(color, step.color);
        ReadBack();
        for (auto [x, y] : {std::pair{5, 5}, {int(kWidth) - 1, int(kHeight) - 1}}) {
            Rgba seen = At(x, y);
            seen.a = 255;  // the blend writes alpha too
            EXPECT_TRUE(Near(seen, step.screen, 2)) << seen;
        }
    }
    EXPECT_EQ(fill->m_progress, -1.0f);

    manager->Shutdown();
    fill->Release();
    group->Release();
    manager->Release();
}

}  // namespace
