// The film-noise pass on a real device, and the film pattern it is read from.
#include <algorithm>
#include <set>

#include "PostFixture.h"
#include "engine/assets/shaders/Shader_Noise.h"

using Quorvex::Shader_Noise;

namespace {

class NoiseTest : public post_test::PostTest {
protected:
    post_test::Picture Process(Shader_Noise* noise, IDirect3DTexture9* input) {
        noise->SetTexture(input);
        IDirect3DTexture9* output = MakeTarget();
        DrawInto(output, [&] { EXPECT_EQ(noise->Apply(nullptr, -1, -1), 0); });
        return Read(output);
    }
};

TEST_F(NoiseTest, StrengthDerivesTheFilmParameters) {
    auto* noise = Load<Shader_Noise>(nullptr, shaders_);
    EXPECT_EQ(noise->GetStrength(), 0.0f) << "loading starts without noise";
    struct Case {
        float strength, i, q, factor, jitter, dust;
    };
    const Case cases[] = {
        {0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f},
        {0.5f, 0.55f, 0.45f, 1.0f, 12.5f / 1024.0f, 0.03f},
        {1.0f, 0.1f, -0.1f, 2.0f, 25.0f / 1024.0f, 0.06f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strength);
        noise->SetStrength(c.strength);
        EXPECT_EQ(noise->GetStrength(), c.strength);
        EXPECT_FLOAT_EQ(noise->GetY(), 1.0f);
        EXPECT_FLOAT_EQ(noise->GetI(), c.i);
        EXPECT_FLOAT_EQ(noise->GetQ(), c.q);
        EXPECT_FLOAT_EQ(noise->GetNoiseFactor(), c.factor);
        EXPECT_FLOAT_EQ(noise->GetJitter(), c.jitter);
        EXPECT_FLOAT_EQ(noise->GetDustProbability(), c.dust);
    }
}

TEST_F(NoiseTest, ChangesThePictureFrameToFrameAndIsGoneAtStrengthZero) {
    auto* noise = Load<Shader_Noise>(nullptr, shaders_);
    const post_test::Picture source = post_test::Pattern(kWidth, kHeight);
    IDirect3DTexture9* input = MakeTexture(source);

    noise->SetStrength(0.0f);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_LE(Process(noise, input).MaxDifference(source), 2) << "frame " << frame;

    noise->SetStrength(1.0f);
    const post_test::Picture first = Process(noise, input);
    const post_test::Picture second = Process(noise, input);
    EXPECT_GT(first.MaxDifference(source), 40);
    EXPECT_GT(second.MaxDifference(first), 40) << "each frame draws its own grain";
    // Strength 1 leaves little colour: the channels move close together.
    int spread = 0;
    for (const Rgba& p : first.pixels) spread = std::max(spread, std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}));
    EXPECT_LT(spread, 40);
}

TEST_F(NoiseTest, DustShowsOnlyInSomeFramesAndOnlyWithItsTexture) {
    auto* noise = Load<Shader_Noise>(nullptr, shaders_);
    IDirect3DTexture9* input = MakeTexture(post_test::Picture(kWidth, kHeight, post_test::Grey(200)));
    noise->SetStrength(1.0f);
    noise->SetTexture(input);
    int shown = 0;
    const int frames = 300;
    DrawInto(MakeTarget(), [&] {
        for (int i = 0; i < frames; ++i) {
            noise->Apply(nullptr, -1, -1);
            shown += noise->IsDustShown();
        }
    });
    if (noise->GetDustTexture()) {
        EXPECT_GT(shown, 0);
        EXPECT_LT(shown, frames / 4);
    } else {
        EXPECT_EQ(shown, 0) << "no dust texture, no dust";
    }
}

TEST_F(NoiseTest, FilmPatternIsScratchesInItsRangeThatTile) {
    auto* noise = Load<Shader_Noise>(nullptr, shaders_);
    IDirect3DTexture9* grain = noise->GetNoiseTexture();
    ASSERT_NE(grain, nullptr);
    D3DSURFACE_DESC desc{};
    grain->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, kWidth) << "screen-sized without an environment";
    EXPECT_EQ(desc.Height, kHeight);

    const float g = Shader_Noise::GranularityX;
    float lowest = 1.0f, highest = 0.0f, across = 0.0f, down = 0.0f;
    for (int row = 0; row < 50; ++row) {
        const float v = row / 50.0f;
        for (int column = 0; column < 2000; ++column) {
            const float u = column / 2000.0f;
            const float value = Shader_Noise::FilmValue(u, v, g, 1.0f, 0.5f, 1.0f);
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
            across += std::abs(value - Shader_Noise::FilmValue(u + 0.5f / g, v, g, 1.0f, 0.5f, 1.0f));
            down += std::abs(value - Shader_Noise::FilmValue(u, v + 0.5f / g, g, 1.0f, 0.5f, 1.0f));
        }
        // The pattern repeats across the texture's edges.
        EXPECT_NEAR(Shader_Noise::FilmValue(0.0f, v, g, 1.0f, 0.5f, 1.0f),
                    Shader_Noise::FilmValue(1.0f, v, g, 1.0f, 0.5f, 1.0f), 1e-4f);
    }
    EXPECT_GE(lowest, 0.5f);
    EXPECT_LE(highest, 1.0f);
    EXPECT_GT(highest - lowest, 0.3f) << "the range is used";
    EXPECT_GT(across, down * 20.0f) << "vertical scratches: it changes across far more than down";

    // The texture holds the pattern as opaque grey.
    const post_test::Picture texels = Read(grain);
    std::set<int> values;
    for (const Rgba& p : texels.pixels) {
        EXPECT_TRUE(p.r == p.g && p.g == p.b && p.a == 255);
        EXPECT_GE(p.r, 127);
        values.insert(p.r);
    }
    EXPECT_GT(values.size(), 20u);
}

}  // namespace
