// The stage HUD and the result panel on a device-less object manager: icon
// rows, gauge colours and bars, the boss countdown, and the result count with
// its bonus and skip.
#include <gtest/gtest.h>

#include "engine/assets/Chara2D.h"

#include "game/app/GameManager.h"
#include "game/play/HudManager.h"
#include "game/play/Hud_PartBase.h"
#include "game/play/ResultSet.h"
#include "game/play/Result_StageScore.h"
#include "game/screen/NumberObject.h"
#include "game/ui/UiFixture.h"

namespace {

constexpr int kEnter = 28;

class HudTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        if (HasFatalFailure()) return;
        // The world set-up made a fresh environment; input reads only while
        // the window is active.
        Quorvex::g_pEnvironment->SetWindowActive(true);
        resources->SetResource("matHud", new Quorvex::MaterialUnit("matHud"));
        game = new GameManager(objects, nullptr);
        game->AddRef();
        state->gameManager = game;
        hud = new HudManager(objects, nullptr);
        hud->AddRef();
        ASSERT_EQ(hud->Initialize(0), 0);
    }
    void TearDown() override {
        if (hud) {
            hud->RequestRemove(true);
            hud->Release();
        }
        if (game) {
            game->RequestRemove(true);
            game->Release();
        }
        UiTest::TearDown();
    }

    // Runs the panel with steps of dt until it reports finished; the time it
    // took, or -1 after a minute.
    float RunPanel(ResultSet* panel, float dt, bool skip) {
        float t = 0.0f;
        if (skip) Frame({{kEnter, true}});
        while (!panel->IsFinished() && t < 60.0f) {
            Frame();
            panel->Update(dt);
            t += dt;
        }
        if (skip) Frame({{kEnter, false}});
        return panel->IsFinished() ? t : -1.0f;
    }

    GameManager* game = nullptr;
    HudManager* hud = nullptr;
};

TEST_F(HudTest, MissileIconRows) {
    std::vector<Hud_MissileRest*> tens, units;
    auto layout = [&](int n) {
        hud->SetMissileIcons(tens, n / 10, 0, 0.0f, 0.0f, 1000);
        hud->SetMissileIcons(units, n % 10, 1, static_cast<float>((n / 10) * 16 + 8), 32.0f, 10);
    };
    layout(23);
    ASSERT_EQ(tens.size(), 2u);
    ASSERT_EQ(units.size(), 3u);
    const float tensX[] = {30.0f, 46.0f}, unitsX[] = {70.0f, 78.0f, 86.0f};
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(tens[i]->m_sprite.x * 720.0f, tensX[i], 1e-3);
        EXPECT_NEAR(tens[i]->m_sprite.y * 720.0f, 550.0f, 1e-3);
        EXPECT_EQ(tens[i]->GetRenderStage(), sprite2D);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(units[i]->m_sprite.x * 720.0f, unitsX[i], 1e-3);
        EXPECT_NEAR(units[i]->m_sprite.y * 720.0f, 582.0f, 1e-3);
        EXPECT_NEAR(units[i]->m_sprite.width * 720.0f, 16.0f, 1e-3);
    }
    // 10: one tens icon, no units; a returned icon leaves the stage.
    Hud_MissileRest* dropped = units[0];
    dropped->AddRef();
    layout(10);
    EXPECT_EQ(tens.size(), 1u);
    EXPECT_TRUE(units.empty());
    EXPECT_EQ(dropped->GetRenderStage(), nullptr);
    dropped->Release();
    layout(0);
    EXPECT_TRUE(tens.empty());
    // The pool hands out at most 710 icons; the row is left shorter.
    hud->SetMissileIcons(units, 800, 1, 0.0f, 0.0f, 10);
    EXPECT_EQ(units.size(), 710u);
    hud->SetMissileIcons(units, 0, 1, 0.0f, 0.0f, 10);
}

TEST_F(HudTest, GaugeColoursAndBars) {
    Hud_Life* life = hud->GetLife();
    struct Case { float fill, r, g, b; } cases[] = {
        {0.15f, 1.0f, 0.0f, 0.0f}, {0.2f, 1.0f, 0.8f, 0.5f}, {0.59f, 1.0f, 0.8f, 0.5f}, {0.6f, 0.8f, 0.8f, 0.8f}};
    for (const Case& c : cases) {
        const D3DXVECTOR4 color = life->SetGaugeColor(c.fill);
        EXPECT_FLOAT_EQ(color.x, c.r) << c.fill;
        EXPECT_FLOAT_EQ(color.y, c.g) << c.fill;
        EXPECT_FLOAT_EQ(color.z, c.b) << c.fill;
        EXPECT_FLOAT_EQ(color.w, 1.0f);
    }
    // The life bar is anchored at its right end and cut, not stretched.
    life->SetFill(0.25f);
    EXPECT_NEAR(life->m_bar.width * 720.0f, 128.0f, 1e-3);
    EXPECT_NEAR(life->m_bar.x * 720.0f, 30.0f + 512.0f - 128.0f, 1e-3);
    EXPECT_FLOAT_EQ(life->m_bar.uv[0].x, 0.375f);
    EXPECT_FLOAT_EQ(life->m_bar.uv[1].x, 0.5f);
    // The Zenk bar grows from its left end and switches rows when full.
    Hud_ZenkMode* zenk = hud->GetZenkMode();
    zenk->SetFill(1.0f);
    EXPECT_NEAR(zenk->m_bar.x * 720.0f, 702.0f, 1e-3);
    EXPECT_FLOAT_EQ(zenk->m_bar.uv[2].y, 0.59375f);
    EXPECT_FLOAT_EQ(zenk->m_sprite.uv[2].y, 0.625f);
    zenk->SetFill(0.5f);
    EXPECT_FLOAT_EQ(zenk->m_bar.uv[3].x, 0.28125f);
    EXPECT_FLOAT_EQ(zenk->m_sprite.uv[2].y, 0.5f);
}

TEST_F(HudTest, BossCountdown) {
    for (int d = 0; d < 10; ++d) {
        resources->SetChara2D(("hud" + std::to_string(d)).c_str(), Quorvex::Chara2D());
    }
    NumberObject* digits = hud->GetCountdown();
    struct Case { float start, after; int shown; } cases[] = {
        {120.0f, 120.0f - 1.0f / 60.0f, 119}, {0.4f, 0.4f - 1.0f / 60.0f, 0}, {0.01f, -1.0f, -1}, {0.0f, 0.0f, -1},
        {-1.0f, -1.0f, -1}};
    for (const Case& c : cases) {
        state->bossTimeLimit = c.start;
        hud->Update(1.0f / 60.0f);
        EXPECT_FLOAT_EQ(state->bossTimeLimit, c.after) << c.start;
        EXPECT_EQ(digits->GetShownValue(), c.shown) << c.start;
    }
}

TEST_F(HudTest, ResultPanelCountsAndBonus) {
    ResultSet* panel = hud->GetResultSet();
    struct Case { int shot, appeared; int64_t score, bonus; } cases[] = {
        {30, 60, 900, 45}, {1, 3, 100, 3}, {0, 0, 0, 0}, {5, 0, 500, 0}};
    for (const Case& c : cases) {
        game->stageScore = c.score;
        game->enemiesShotDown = c.shot;
        game->enemiesAppeared = c.appeared;
        game->stageBonus = 0;
        game->totalScore = 1000;
        panel->Start();
        const float t = RunPanel(panel, 1.0f / 60.0f, false);
        EXPECT_GT(t, 12.0f);
        EXPECT_LT(t, 12.5f);
        // The commit at the end of the total row moved the bonus into the
        // total and cleared the stage counters.
        EXPECT_EQ(game->totalScore, 1000 + c.bonus) << c.shot << "/" << c.appeared;
        EXPECT_EQ(game->stageScore, 0);
        EXPECT_EQ(panel->GetRow(2)->m_value, c.bonus);
        EXPECT_EQ(panel->GetRow(3)->m_value, 1000);
        panel->Hide();
        EXPECT_EQ(panel->GetRow(0)->GetRenderStage(), nullptr);
        EXPECT_EQ(panel->GetState(), -1);
    }
}

TEST_F(HudTest, ResultPanelCountsUpAndSkips) {
    ResultSet* panel = hud->GetResultSet();
    game->stageScore = 1;
    panel->Start();
    // A target of 1 stays 0 while the row counts.
    for (float t = 0.0f; t < 2.0f; t += 0.05f) panel->Update(0.05f);
    EXPECT_EQ(panel->GetState(), 1);
    EXPECT_EQ(panel->GetRow(0)->m_value, 0);
    for (float t = 0.0f; t < 1.0f; t += 0.05f) panel->Update(0.05f);
    EXPECT_EQ(panel->GetRow(0)->m_value, 1);
    panel->Hide();
    // Holding the skip ends every row on the frame after it is shown.
    panel->Start();
    const float t = RunPanel(panel, 0.05f, true);
    EXPECT_GT(t, 4.0f);
    EXPECT_LT(t, 4.8f);
}

}  // namespace
