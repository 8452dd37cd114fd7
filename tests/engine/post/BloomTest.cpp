// Bloom on a real device: what passes the threshold spreads a halo, what does
// not stays as it was.
#include "PostFixture.h"
#include "engine/assets/shaders/Shader_Bloom.h"

using Quorvex::Shader_Bloom;

namespace {

class BloomTest : public post_test::PostTest {};

TEST_F(BloomTest, BrightDotGainsHaloWhileDarkFieldStaysDark) {
    auto* bloom = Load<Shader_Bloom>(shaders_);
    ASSERT_NE(bloom->GetBrightTexture(), nullptr);
    D3DSURFACE_DESC quarter{};
    bloom->GetQuarterTarget(0).GetTexture()->GetLevelDesc(0, &quarter);
    EXPECT_EQ(quarter.Width, kWidth / 4);
    EXPECT_EQ(quarter.Height, kHeight / 4);

    // A dark field (below the threshold) with a white 8 x 8 dot in it.
    post_test::Picture source(kWidth, kHeight, post_test::Grey(51));
    source.Fill(28, 20, 36, 28, post_test::Grey(255));
    IDirect3DTexture9* input = MakeTexture(source);
    IDirect3DTexture9* output = MakeTarget();
    bloom->SetTexture(input);

    IDirect3DSurface9* before = nullptr;
    IDirect3DSurface9* after = nullptr;
    DrawInto(output, [&] {
        device_->GetRenderTarget(0, &before);
        EXPECT_EQ(bloom->Apply(nullptr, -1, -1), 0);
        device_->GetRenderTarget(0, &after);
    });
    EXPECT_EQ(before, after) << "the caller's target is current again";
    before->Release();
    after->Release();

    const post_test::Picture result = Read(output);
    EXPECT_TRUE(Near(result.At(32, 24), post_test::Grey(255), 1)) << result.At(32, 24);
    // Around the dot the field is lit, less the farther from the dot; the
    // pattern reaches farthest sideways and along the diagonals.
    const int near = result.At(25, 24).r, farther = result.At(20, 24).r;
    EXPECT_GT(near, 51 + 25) << "3 pixels left of the dot";
    EXPECT_GT(near, farther);
    EXPECT_GT(farther, 51);
    EXPECT_GT(result.At(32, 17).r, 51 + 10) << "3 pixels above the dot";
    // The field away from it keeps its value.
    for (auto [x, y] : {std::pair{1, 24}, {62, 24}, {32, 1}, {32, 46}})
        EXPECT_TRUE(Near(result.At(x, y), post_test::Grey(51), 1)) << x << "," << y << " " << result.At(x, y);
}

TEST_F(BloomTest, ResultDependsOnTheSourceAloneNotOnWhatTheTargetsHeld) {
    auto* bloom = Load<Shader_Bloom>(shaders_);
    post_test::Picture dot(kWidth, kHeight, post_test::Grey(51));
    dot.Fill(28, 20, 36, 28, post_test::Grey(255));
    auto run = [&](const post_test::Picture& source, const post_test::Picture* before) {
        bloom->SetTexture(MakeTexture(source));
        IDirect3DTexture9* output = MakeTarget(kWidth, kHeight, before);
        DrawInto(output, [&] { bloom->Apply(nullptr, -1, -1); });
        return Read(output);
    };
    const post_test::Picture first = run(dot, nullptr);
    // A white frame fills the bright and quarter targets with light; then the
    // dot again, into a target that holds a picture of its own.
    const post_test::Picture white(kWidth, kHeight, post_test::Grey(255));
    run(white, nullptr);
    const post_test::Picture pattern = post_test::Pattern(kWidth, kHeight);
    const post_test::Picture again = run(dot, &pattern);
    EXPECT_EQ(again.MaxDifference(first), 0);
    EXPECT_GT(first.At(25, 24).r, 51 + 25) << "the halo is there to compare";
}

TEST_F(BloomTest, PatternStepsTwoTexelsOfTheSampledTexturePerUnit) {
    float offsets[Shader_Bloom::SampleCount][2];
    struct Case {
        UINT width, height;
    };
    for (const Case& c : {Case{64, 48}, Case{16, 12}, Case{1280, 720}}) {
        Shader_Bloom::ComputeSampleOffsets(c.width, c.height, Shader_Bloom::Spread, offsets);
        // The first tap is one unit left, the sixth three units up and left.
        EXPECT_FLOAT_EQ(offsets[0][0], -2.0f / c.width);
        EXPECT_FLOAT_EQ(offsets[0][1], 0.0f);
        EXPECT_FLOAT_EQ(offsets[5][0], -6.0f / c.width);
        EXPECT_FLOAT_EQ(offsets[5][1], -6.0f / c.height);
    }
    float weights[Shader_Bloom::SampleCount];
    Shader_Bloom::ComputeSampleWeights(weights);
    float sum = 0.0f;
    for (float w : weights) sum += w;
    EXPECT_NEAR(sum, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(weights[1], 5.0f / 37.0f) << "the centre tap";
}

}  // namespace
