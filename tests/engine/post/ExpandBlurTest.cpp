// The radial blur on a real device.
#include "PostFixture.h"
#include "engine/assets/shaders/Shader_ExpandBlur2D.h"

using Quorvex::Shader_ExpandBlur2D;

namespace {

class ExpandBlurTest : public post_test::PostTest {
protected:
    post_test::Picture Blur(Shader_ExpandBlur2D* blur, const post_test::Picture& source) {
        blur->SetTexture(MakeTexture(source));
        IDirect3DTexture9* output = MakeTarget();
        DrawInto(output, [&] { EXPECT_EQ(blur->Apply(nullptr, -1, -1), 0); });
        return Read(output);
    }
};

TEST_F(ExpandBlurTest, SmearsAwayFromTheCentreAndLeavesTheCentreSharp) {
    auto* blur = Load<Shader_ExpandBlur2D>(shaders_);
    // Two white dots of 2 x 2 on black: one beside the centre, one out
    // towards the right edge on the centre's row.
    post_test::Picture source(kWidth, kHeight, post_test::Grey(0));
    source.Fill(34, 24, 36, 26, post_test::Grey(255));
    source.Fill(48, 23, 50, 25, post_test::Grey(255));
    blur->m_invalidLength = 0.1f;
    blur->m_expandLength = 0.5f;
    blur->m_expandRate = 1.0f;
    const post_test::Picture result = Blur(blur, source);

    // Inside the invalid length nothing moves.
    for (int y = 21; y < 29; ++y)
        for (int x = 30; x < 40; ++x)
            EXPECT_TRUE(Near(result.At(x, y), source.At(x, y), 1)) << x << "," << y << " " << result.At(x, y);
    // The outer dot runs outwards along its ray, not inwards nor sideways.
    EXPECT_GT(result.At(53, 23).r, 20) << "outwards";
    EXPECT_LT(result.At(45, 23).r, 3) << "inwards";
    EXPECT_LT(result.At(49, 19).r, 3) << "above";
    EXPECT_LT(result.At(49, 28).r, 3) << "below";
    EXPECT_LT(result.At(48, 23).r, 255) << "the dot itself is spread out";
}

TEST_F(ExpandBlurTest, ToneAndAddColourActOnTheBlurredPicture) {
    auto* blur = Load<Shader_ExpandBlur2D>(shaders_);
    const post_test::Picture source = post_test::Pattern(kWidth, kHeight);
    struct Case {
        float add[4];
        float tone;
        int psIndex;
        // Expected from a source channel value.
        int (*expect)(int);
    };
    const Case cases[] = {
        // Defaults: the picture as it is, neither moved nor turned over.
        {{0, 0, 0, 0}, 1.0f, 4, [](int v) { return v; }},
        {{0, 0, 0, 0}, 0.5f, 4, [](int v) { return v / 2; }},
        {{0.2f, 0.2f, 0.2f, 0}, 1.0f, 9, [](int v) { return v + 51; }},
        // Alpha lifts towards white.
        {{0, 0, 0, 0.5f}, 1.0f, 9, [](int v) { return v + (255 - v) / 2; }},
        {{0, 0, 0, -1.0f}, 1.0f, 9, [](int) { return 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tone " << c.tone << " add " << c.add[0] << "/" << c.add[3]);
        for (int i = 0; i < 4; ++i) blur->m_addColor[i] = c.add[i];
        blur->m_tone = c.tone;
        EXPECT_EQ(blur->GetPSIndex(), c.psIndex);
        const post_test::Picture result = Blur(blur, source);
        post_test::Picture expected = source;
        for (Rgba& p : expected.pixels) p = {uint8_t(c.expect(p.r)), uint8_t(c.expect(p.g)), uint8_t(c.expect(p.b)), 255};
        EXPECT_LE(result.MaxDifference(expected), 2);
    }
}

TEST_F(ExpandBlurTest, ResetRestoresTheDefaultsAndLetsTheSourceGo) {
    auto* blur = Load<Shader_ExpandBlur2D>(shaders_);
    IDirect3DTexture9* texture = MakeTarget();
    blur->SetTexture(texture);
    blur->m_centerPos[0] = 0.2f;
    blur->m_invalidLength = 0.1f;
    blur->m_expandLength = 0.3f;
    blur->m_expandRate = 1.0f;
    blur->m_addColor[2] = 1.0f;
    blur->m_tone = 0.3f;
    texture->AddRef();
    EXPECT_EQ(texture->Release(), 2u) << "the test's and the shader's";
    blur->Reset();
    EXPECT_EQ(blur->GetTexture(), nullptr);
    texture->AddRef();
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(blur->m_centerPos[0], 0.5f);
    EXPECT_EQ(blur->m_invalidLength, 1.0f);
    EXPECT_EQ(blur->m_expandLength, 0.0f);
    EXPECT_EQ(blur->m_expandRate, 0.9f);
    EXPECT_EQ(blur->m_addColor[2], 0.0f);
    EXPECT_EQ(blur->m_tone, 1.0f);
}

}  // namespace
