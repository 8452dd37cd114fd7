// Dialogue windows and the spell banner: the request rule, the cross-fades and
// slides of the pictures, the full-screen colour passes and the banner's path.
#include <cmath>

#include "UiFixture.h"
#include "engine/core/render/CalcVertexSet.h"
#include "game/screen/GraphicManager.h"
#include "game/screen/GraphicObject.h"
#include "game/screen/GraphicObject_Spell.h"

namespace {

constexpr float kAspect = 16.0f / 9.0f;

class GraphicWindowTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        if (HasFatalFailure()) return;
        for (const char* id : {"matSpeak", "matVelrin", "matDweli", "matSpellGralle", "matHud"})
            resources->SetResource(id, new Quorvex::MaterialUnit(id));
    }
    void TearDown() override {
        for (Quorvex::RenderObject* object : made) {
            objects->SubObject(object);
            object->Release();
        }
        UiTest::TearDown();
    }
    GraphicObject* MakeWindow() {
        auto* window = new GraphicObject(objects, nullptr);
        window->AddRef();
        EXPECT_EQ(window->Initialize(0), 0);
        made.push_back(window);
        return window;
    }
    // Runs the window until its transition ends (at most 5 s).
    static void Settle(GraphicObject* window) {
        for (int i = 0; i < 500 && window->GetClock() >= 0.0f; ++i) window->Update(0.01f);
        window->Update(0.01f);
    }
    std::vector<Quorvex::RenderObject*> made;
};

void ExpectAt(const Quorvex::Sprite2DInfo& sprite, float x, float y) {
    EXPECT_NEAR(sprite.x, x, 1e-4f);
    EXPECT_NEAR(sprite.y, y, 1e-4f);
}

TEST_F(GraphicWindowTest, PortraitBrightensWhileSpeakingAndSinksBackWhileListening) {
    GraphicObject* left = MakeWindow();
    left->SetLeftPortrait("velrin", false);
    EXPECT_EQ(left->GetState(), GraphicObject::StateLeftPortrait);
    left->Update(0.0f);
    ExpectAt(left->GetSpriteB(), -0.0833333f, 0.0555556f);
    left->Update(0.25f);  // clock 0.5
    left->Update(0.0f);
    EXPECT_EQ(left->GetSpriteB().color, 0x80FFFFFFu) << "the incoming picture at half alpha";
    ExpectAt(left->GetSpriteB(), -0.0416667f, 0.0277778f);
    Settle(left);
    EXPECT_EQ(left->GetCurrentKey(), "velrin");
    EXPECT_EQ(left->GetSpriteA().color, 0xFFFFFFFFu);
    ExpectAt(left->GetSpriteA(), 0.0f, 0.0f);

    left->SetLeftPortrait("velrin", false);
    EXPECT_LT(left->GetClock(), 0.0f) << "the same request changes nothing";

    left->SetLeftPortrait("velrin", true);
    EXPECT_EQ(left->GetState(), GraphicObject::StateLeftListening);
    Settle(left);
    EXPECT_EQ(left->GetSpriteA().color, 0x80808080u) << "greyed and half transparent";
    ExpectAt(left->GetSpriteA(), -0.0833333f, 0.0555556f);

    GraphicObject* right = MakeWindow();
    right->SetRightPortrait("dweli", false);
    Settle(right);
    EXPECT_NEAR(right->GetSpriteA().x, kAspect - 1.4222222f, 1e-4f) << "mirrored against the right edge";
    EXPECT_EQ(right->GetSpriteA().uv[0], D3DXVECTOR2(1.0f, 1.0f)) << "and flipped";
}

TEST_F(GraphicWindowTest, SpeechWindowRestartsOnlyForANewLine) {
    GraphicObject* speech = MakeWindow();
    speech->SetLeftText(L"one", false);
    EXPECT_EQ(speech->GetIncomingKey(), "speak");
    EXPECT_EQ(speech->GetTextColor(), GraphicObject::kLeftTextColor);
    Settle(speech);
    EXPECT_EQ(speech->GetSpriteA().color, 0xB3FFFFFFu) << "resting at alpha 0.7";
    EXPECT_FLOAT_EQ(speech->GetSpriteA().height, 0.5f);
    ExpectAt(speech->GetSpriteA(), 0.0f, 0.5f);

    speech->SetLeftText(L"one", false);
    EXPECT_LT(speech->GetClock(), 0.0f);
    speech->SetLeftText(L"two", false);
    EXPECT_EQ(speech->GetClock(), 0.0f) << "a new line cross-fades again";
    EXPECT_EQ(speech->GetPreviousState(), GraphicObject::StateLeftText);

    speech->SetLeftText(L"two", true);
    Settle(speech);
    EXPECT_EQ(speech->GetSpriteA().color >> 24, 0u) << "a silent window is invisible";
    ExpectAt(speech->GetSpriteA(), -0.0833333f, 0.5555556f);

    speech->SetLeftText(L"", true);
    Settle(speech);
    EXPECT_EQ(speech->GetSpriteA().GetMaterial(), nullptr) << "an empty line shows no picture";
}

TEST_F(GraphicWindowTest, ScreenColourPasses) {
    GraphicObject* screen = MakeWindow();
    const D3DXCOLOR shade(0.0f, 0.0f, 0.0f, 0.6f);
    screen->StartColorFlash(shade);
    screen->Update(1.0f);  // clock 0.5: the peak
    EXPECT_NEAR(screen->GetScreenColor().a, 0.6f, 1e-5f);
    Settle(screen);
    EXPECT_EQ(screen->GetScreenColor().a, 0.0f);
    screen->StartColorFlash(shade);
    screen->Update(0.5f);
    screen->StartColorFlash(shade);  // asked for again while it runs: ignored
    screen->Update(0.5f);
    EXPECT_NEAR(screen->GetScreenColor().a, 0.6f, 1e-5f) << "a finished flash runs again at the next request";
    Settle(screen);

    const D3DXCOLOR white(1.0f, 1.0f, 1.0f, 1.0f);
    screen->StartFadeToColor(white, 0.5f);
    screen->Update(0.0f);
    screen->Update(1.0f);
    EXPECT_NEAR(screen->GetScreenColor().a, 0.5f, 1e-5f);
    Settle(screen);
    EXPECT_EQ(screen->GetScreenColor(), white) << "the colour stays after the fade";
    screen->StartFadeFromColor(white, 0.3f);
    screen->Update(0.0f);
    EXPECT_EQ(screen->GetScreenColor(), white);
    Settle(screen);
    EXPECT_EQ(screen->GetScreenColor().a, 0.0f);
    screen->StartColorFlash(shade);
    EXPECT_EQ(screen->GetState(), GraphicObject::StateFlash) << "after a fade the next flash runs";
}

TEST_F(GraphicWindowTest, CutInSweepsAcrossOnce) {
    GraphicObject* cutIn = MakeWindow();
    cutIn->ShowSpellCutIn("spellGralle");
    EXPECT_EQ(cutIn->GetState(), GraphicObject::StateCutInMirrored);
    cutIn->Update(1.0f);  // clock 0.5
    cutIn->Update(0.0f);
    EXPECT_EQ(cutIn->GetSpriteB().color, 0xE6FFFFFFu) << "0.9 x sin(pi/2) alpha";
    EXPECT_NEAR(cutIn->GetSpriteB().x, kAspect - 1.4222222f, 1e-4f) << "half-way: the centre, mirrored";

    cutIn->ShowSpellCutIn("spellGralle");
    EXPECT_NEAR(cutIn->GetClock(), 0.5f, 1e-5f) << "ignored while it runs";
    Settle(cutIn);
    EXPECT_EQ(cutIn->GetSpriteB().GetMaterial(), nullptr);
    EXPECT_EQ(cutIn->GetCurrentKey(), "") << "a cut-in never becomes the current key";
    cutIn->ShowSpellCutIn("spellGralle");
    EXPECT_EQ(cutIn->GetClock(), 0.0f) << "at rest it starts again";
}

TEST_F(GraphicWindowTest, BannerFadesInSlidesAndRises) {
    auto* banner = new GraphicObject_Spell(objects, nullptr);
    banner->AddRef();
    made.push_back(banner);
    Quorvex::CalcVertexSet commands;
    commands.Allocate(4096, 1024, 64);
    auto frame = [&](float dt) {
        banner->Update(dt);
        commands.Reset();
        banner->Render(&commands);
    };

    banner->SetTitle(L"ABCDEFGHIJ");
    const float centre = 0.8888889f - 0.7111111f / 2, right = 1.7777778f - 0.7111111f, low = 0.5555556f - 0.0888889f;
    frame(0.5f);  // clock 0.15
    D3DCOLOR colour = 0;
    EXPECT_EQ(banner->VisibleLength(&colour), 5) << "half the title typed";
    EXPECT_EQ(colour, 0x7F10A020u);
    ExpectAt(banner->GetSprite(), centre, low);
    EXPECT_EQ(banner->GetSprite().color, 0x80FFFFFFu);
    frame(1.0f);  // clock 0.45
    ExpectAt(banner->GetSprite(), (centre + right) / 2, low);
    EXPECT_EQ(banner->VisibleLength(&colour), 10);
    EXPECT_EQ(colour, 0xFF10A020u);
    frame(1.0f);  // clock 0.75
    EXPECT_NEAR(banner->GetSprite().y, low * (1.0f - 0.05f / 0.29999995f), 1e-4f);
    frame(2.0f);  // clock 1: ends
    EXPECT_LT(banner->GetClock(), 0.0f);
    frame(0.1f);
    ExpectAt(banner->GetSprite(), right, 0.0f);

    banner->SetTitle(L"");
    frame(0.1f);
    EXPECT_EQ(banner->GetSprite().color, 0u) << "an empty title hides the banner at once";
    EXPECT_EQ(banner->VisibleLength(), 0);
}

TEST(SpeakerColours, FromTheKeyTable) {
    EXPECT_EQ(GraphicManager::GetSpeakerTextColor("velrin_koma"), 0xFFFFFF80u);
    EXPECT_EQ(GraphicManager::GetSpeakerTextColor("bramel"), 0xFF80FFFFu);
    EXPECT_EQ(GraphicManager::GetSpeakerTextColor("pentra2"), 0xFF8080FFu);
    EXPECT_EQ(GraphicManager::GetSpeakerTextColor("nobody"), 0xFFFFFFFFu);
}

}  // namespace
