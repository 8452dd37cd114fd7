// Every 2D screen on clients of several sizes: the sprites of the option,
// stage-select, ranking and name-entry panels, the ending credits, the bonus
// pictures and the HUD lie inside the client and inside their panel picture;
// at 1280 x 720 they stand at their layout pixels; digits in a row keep apart.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/RecordingDevice.h"
#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/Environment.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/scene/ProbeScene.h"
#include "game/flow/FlowTestSupport.h"
#include "game/frontend/SceneBonus.h"
#include "game/frontend/SceneEnding.h"
#include "game/frontend/SceneOption.h"
#include "game/frontend/SceneScore.h"
#include "game/frontend/SceneStageSelect.h"
#include "game/play/HudManager.h"
#include "game/play/Hud_PartBase.h"
#include "game/play/Hud_Score.h"
#include "game/screen/NumberObject.h"
#include "game/screen/ScreenLayout.h"
#include "game/ui/UiObjects.h"

using Quorvex::RenderObjectSpr2D;
using Quorvex::Sprite2DInfo;

namespace {

// A rectangle in client pixels.
struct Box {
    float left, top, width, height;
    float right() const { return left + width; }
    float bottom() const { return top + height; }
};

struct Client {
    int width, height;
};
const Client kClients[] = {{1280, 720}, {1920, 1080}, {1024, 768}, {640, 360}};

// Where the sprite batch draws a sprite drawn from its top-left corner:
// x and widths in units of the environment's aspect across the client.
Box ClientBox(const Sprite2DInfo& s) {
    const float aspect = Quorvex::g_pEnvironment->GetAspect();
    const float w = static_cast<float>(Quorvex::g_pEnvironment->GetClientWidth());
    const float h = static_cast<float>(Quorvex::g_pEnvironment->GetClientHeight());
    return Box{s.x / aspect * w, s.y * h, s.width / aspect * w, s.height * h};
}

constexpr float kSlack = 0.01f;  // client pixels

void ExpectInside(const Box& inner, const Box& outer, const std::string& what) {
    EXPECT_GE(inner.left, outer.left - kSlack) << what;
    EXPECT_GE(inner.top, outer.top - kSlack) << what;
    EXPECT_LE(inner.right(), outer.right() + kSlack) << what;
    EXPECT_LE(inner.bottom(), outer.bottom() + kSlack) << what;
    EXPECT_GT(inner.width, 0.0f) << what;
    EXPECT_GT(inner.height, 0.0f) << what;
}

Box Screen() {
    return Box{0.0f, 0.0f, static_cast<float>(Quorvex::g_pEnvironment->GetClientWidth()),
               static_cast<float>(Quorvex::g_pEnvironment->GetClientHeight())};
}

// The digit pictures fill the middle 70 % of their cells: a row of digits
// reads apart when each steps right of the last by at least that much.
constexpr float kDigitInk = 0.7f;

void ExpectDigitRow(const std::vector<Box>& row, const std::string& what) {
    for (size_t i = 1; i < row.size(); ++i) {
        const float step = row[i].left - row[i - 1].left;
        EXPECT_GE(step, kDigitInk * row[i].width - kSlack) << what << " digit " << i;
        EXPECT_NEAR(row[i].top, row[i - 1].top, kSlack) << what << " digit " << i;
    }
}

// Layout pixels as client pixels on 1280 x 720.
void ExpectAt(const Sprite2DInfo& s, float x, float y, const std::string& what) {
    const Box b = ClientBox(s);
    EXPECT_NEAR(b.left, x, 0.05f) << what;
    EXPECT_NEAR(b.top, y, 0.05f) << what;
}

class ScreenLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        resources = new Quorvex::ResourceManager();
        resources->AddRef();
        const struct {
            const char* name;
            unsigned width, height;
        } kMaterials[] = {{"matOption", 1024, 512},   {"matOptionPanel", 512, 512}, {"matStgSelPanel", 512, 512},
                          {"matStageSelect", 1024, 512}, {"matStgSS1", 256, 256},   {"matScore", 1024, 512},
                          {"matHud", 1024, 1024},     {"matHud2", 1024, 1024},      {"matEnding", 1024, 1024},
                          {"matMsg", 1024, 256},      {"matWhite", 64, 64}};
        for (const auto& m : kMaterials) {
            textures.push_back(std::make_unique<assets_test::SizedTexture>(m.width, m.height));
            auto* material = new Quorvex::MaterialUnit(m.name);
            material->SetTexture(0, textures.back().get());
            resources->SetResource(m.name, material);
        }
        objects = MakeUiObjectManager(nullptr, nullptr, resources);
    }
    void TearDown() override {
        objects->Shutdown();
        objects->Release();
        resources->Release();
    }

    void UseClient(const Client& c) {
        Quorvex::g_pEnvironment->SetClientWidth(c.width);
        Quorvex::g_pEnvironment->SetClientHeight(c.height);
    }

    // Every sprite of the panel inside the client and its picture; the
    // picture's box.
    Box ExpectPanelInside(const PanelSprSet& panel, const std::string& what) {
        EXPECT_NE(panel.GetPicture(), nullptr) << what;
        if (!panel.GetPicture()) return Box{};
        const Box picture = ClientBox(panel.GetPicture()->m_sprite);
        ExpectInside(picture, Screen(), what + " picture");
        int i = 0;
        for (const PanelSprSet::Entry& e : panel.GetEntries())
            ExpectInside(ClientBox(e.sprite->m_sprite), picture, what + " sprite " + std::to_string(i++));
        return picture;
    }

    static std::vector<Box> Row(RenderObjectSpr2D* const* sprites, int count) {
        std::vector<Box> row;
        for (int i = 0; i < count; ++i) row.push_back(ClientBox(sprites[i]->m_sprite));
        return row;
    }

    scene_test::EnvironmentScope environment;
    flow_test::FreshEnvironment state;
    std::vector<std::unique_ptr<assets_test::SizedTexture>> textures;
    Quorvex::ResourceManager* resources = nullptr;
    Quorvex::ObjectManager* objects = nullptr;
};

TEST_F(ScreenLayoutTest, RuleScalesTheLayoutToFitAndCentresIt) {
    struct Case {
        float width, height;
        float scale, x0, y0;  // client pixels per layout pixel, and where layout (0, 0) lands
    } cases[] = {{1280, 720, 1.0f, 0, 0},    {1920, 1080, 1.5f, 0, 0}, {640, 360, 0.5f, 0, 0},
                 {1024, 768, 0.8f, 0, 96},   {2560, 1080, 1.5f, 320, 0}};
    for (const Case& c : cases) {
        const ScreenLayout layout(c.width, c.height, 16.0f / 9.0f);
        EXPECT_FLOAT_EQ(layout.Scale(), c.scale) << c.width;
        EXPECT_NEAR(layout.ClientX(0.0f), c.x0, 1e-3f) << c.width;
        EXPECT_NEAR(layout.ClientY(0.0f), c.y0, 1e-3f) << c.width;
        EXPECT_NEAR(layout.ClientX(1280.0f), c.width - c.x0, 1e-3f) << c.width;
        EXPECT_NEAR(layout.ClientXOfUnits(layout.X(100.0f)), c.x0 + 100.0f * c.scale, 1e-2f) << c.width;
    }
}

TEST_F(ScreenLayoutTest, OptionPanel) {
    SceneOption::RegisterCells(objects);
    for (const Client& c : kClients) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        UseClient(c);
        SceneOption::SprSet panel(objects, resources);
        panel.Build();
        ExpectPanelInside(panel, "option");
        ExpectDigitRow(Row(panel.musicDigit, 3), "music volume");
        ExpectDigitRow(Row(panel.buttonDigit[0], 2), "shot button");
        if (c.width != 1280) continue;
        // Too wide for its designed origin (832, 104): centred across, the
        // picture grown to hold the digits and "%" (up to offset 612).
        EXPECT_FLOAT_EQ(panel.GetScale(), 1.0f);
        ExpectAt(panel.GetPicture()->m_sprite, 294, 40, "picture");
        EXPECT_NEAR(ClientBox(panel.GetPicture()->m_sprite).width, 692.0f, 0.05f);
        EXPECT_NEAR(ClientBox(panel.GetPicture()->m_sprite).height, 512.0f, 0.05f);
        ExpectAt(panel.rowLabel[1]->m_sprite, 342 + 64, 104 + 32, "music");
        ExpectAt(panel.musicDigit[2]->m_sprite, 342 + 550, 104 + 32, "music ones");
        ExpectAt(panel.reverseAxisValue->m_sprite, 342 + 525, 104 + 292, "reverse axis value");
    }
}

TEST_F(ScreenLayoutTest, StageSelectPanelKeepsRoomForLockedFighters) {
    SceneStageSelect::RegisterCells(objects);
    for (const Client& c : kClients) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        UseClient(c);
        for (int unlocked : {0, 1}) {
            state->active_velrin_b = state->active_toska = state->active_bramel = unlocked;
            SceneStageSelect::SprSet panel(objects, resources);
            panel.Build();
            const Box picture = ExpectPanelInside(panel, unlocked ? "all fighters" : "first fighter only");
            ExpectDigitRow(Row(panel.level + 1, 5), "levels");
            if (c.width != 1280) continue;
            // The same place whatever is unlocked: room for "stgbramel" (to 694).
            EXPECT_NEAR(picture.left, 253.0f, 0.05f);
            EXPECT_NEAR(picture.width, 774.0f, 0.05f);
            ExpectAt(panel.difficulty[4]->m_sprite, 301 + 514, 104 + 32, "very hard");
            ExpectAt(panel.level[1]->m_sprite, 301 + 96, 104 + 144, "level 1");
            if (unlocked) ExpectAt(panel.fighter[4]->m_sprite, 301 + 614, 104 + 252, "bramel");
        }
    }
}

TEST_F(ScreenLayoutTest, RankingViewAndNameEntry) {
    SceneScore::RegisterCells(objects);
    state->active_velrin_b = state->active_toska = state->active_bramel = 1;
    state->activeStage[1] = 6;
    for (const Client& c : kClients) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        UseClient(c);
        SceneScore::SprSetTotal view(objects, resources);
        view.Build();
        ExpectPanelInside(view, "view");
        ASSERT_NE(view.difficulty[4], nullptr);
        ASSERT_NE(view.level[6], nullptr);
        ExpectDigitRow(Row(view.scoreDigit[14], SceneScore::kScoreDigits), "last rank's score");
        ExpectDigitRow(Row(view.nameGlyph[0], SceneScore::kNameLength), "first rank's name");

        SceneScore::SprSetInput entry(objects, resources);
        entry.Build();
        ExpectPanelInside(entry, "entry");
        for (int column : {0, 15}) {
            entry.SetCursor(column, 7);
            ExpectInside(ClientBox(entry.cursor->m_sprite), ClientBox(entry.GetPicture()->m_sprite), "cursor");
        }
        ExpectDigitRow(Row(entry.nameSlot, SceneScore::kNameLength), "name slots");
        if (c.width != 1280) continue;
        // The view's selectors (to offset 1044) and its list (from -472) are
        // wider than the layout: the panel is drawn smaller, centred across,
        // at its designed height.
        const float k = 1248.0f / 1636.0f;
        EXPECT_NEAR(view.GetScale(), k, 1e-5f);
        const float x0 = 640.0f - k * 258.0f;
        ExpectAt(view.rowLabel[1]->m_sprite, x0 + k * 350, 104 + k * 50, "select difficulty");
        ExpectAt(view.difficulty[4]->m_sprite, x0 + k * 864, 104 + k * 82, "very hard");
        ExpectAt(view.scoreDigit[0][0]->m_sprite, x0 + k * -82, 104, "score digit");
        // The entry fits once centred: at its own size.
        EXPECT_FLOAT_EQ(entry.GetScale(), 1.0f);
        ExpectAt(entry.ok->m_sprite, 616 + 416, 104 + 352, "OK");
        ExpectAt(entry.glyph[0]->m_sprite, 616 - 384, 104 + 128, "first glyph");
    }
}

TEST_F(ScreenLayoutTest, EndingCreditsAndBonusPictures) {
    SceneEnding::RegisterPictures(objects);
    SceneEnding::RegisterPictureCell(objects, "bonus_extra", "matMsg", 0, 0, 16, 1);
    for (const Client& c : kClients) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        UseClient(c);
        const Box screen = Screen();
        const Box left{0, 0, screen.width / 2, screen.height}, right{screen.width / 2, 0, screen.width / 2, screen.height};
        int shown = 0;
        for (int step = 0; step < SceneEnding::kStepCount; ++step) {
            SceneEnding::PictureList pictures;
            const int count = SceneEnding::AddCredits(pictures, objects, step);
            ASSERT_EQ(static_cast<int>(pictures.size()), count);
            shown += count;
            // Steps 5 to 8 show on the right half, the others on the left.
            const bool onRight = step >= 5 && step <= 8;
            for (const SceneEnding::Picture& p : pictures)
                ExpectInside(ClientBox(p.sprite->m_sprite), onRight ? right : left, "step " + std::to_string(step));
            if (c.width == 1280 && step == 5) {
                ExpectAt(pictures[0].sprite->m_sprite, 920, 100, "end_plan");
                EXPECT_NEAR(ClientBox(pictures[0].sprite->m_sprite).width, 64.0f * 2 / 3, 0.05f);
            }
            SceneEnding::ReleasePictures(pictures);
        }
        EXPECT_EQ(shown, 38);

        SceneEnding::PictureList bonus;
        for (float y : {250.0f, 300.0f, 350.0f}) SceneEnding::AddPicture(bonus, objects, "bonus_extra", 800, y, 5.5f);
        for (const SceneEnding::Picture& p : bonus) ExpectInside(ClientBox(p.sprite->m_sprite), screen, "bonus");
        if (c.width == 1280) ExpectAt(bonus[2].sprite->m_sprite, 800 * 2 / 3.0f, 350 * 2 / 3.0f, "bonus");
        SceneEnding::ReleasePictures(bonus);
    }
}

TEST_F(ScreenLayoutTest, Hud) {
    for (const Client& c : kClients) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        UseClient(c);
        auto* hud = new HudManager(objects, nullptr);
        hud->AddRef();
        ASSERT_EQ(hud->Initialize(0), 0);
        std::vector<Hud_MissileRest*> tens, units;
        hud->SetMissileIcons(tens, 9, 0, 0.0f, 0.0f, 1000);
        hud->SetMissileIcons(units, 9, 1, 9 * 16 + 8, 32.0f, 10);
        hud->GetCountdown()->SetNumber(99999);

        std::vector<std::pair<std::string, Box>> sprites;
        const auto add = [&](const std::string& name, const Sprite2DInfo& s) { sprites.push_back({name, ClientBox(s)}); };
        for (Hud_Gauge* gauge : std::initializer_list<Hud_Gauge*>{hud->GetLife(), hud->GetTargetLife(),
                                                                   hud->GetBooster(), hud->GetZenkMode()}) {
            gauge->SetFill(1.0f);
            add("gauge frame", gauge->m_sprite);
            add("gauge bar", gauge->m_bar);
        }
        Hud_Score* score = hud->GetScore();
        add("score label", score->m_label);
        std::vector<Box> scoreDigits, countdown;
        for (int i = 0; i < NumberRenderer::DigitSprites; ++i) {
            add("score digit", *score->GetDigitSprite(i));
            scoreDigits.push_back(ClientBox(*score->GetDigitSprite(i)));
        }
        for (Hud_MissileRest* icon : tens) add("tens icon", icon->m_sprite);
        for (Hud_MissileRest* icon : units) add("units icon", icon->m_sprite);
        const auto& digits = hud->GetCountdown()->GetGroup()->GetEntries();
        ASSERT_EQ(digits.size(), 5u);
        for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
            add("countdown digit", it->sprite->m_sprite);
            countdown.push_back(ClientBox(it->sprite->m_sprite));
        }
        for (const auto& [name, box] : sprites) ExpectInside(box, Screen(), name);
        ExpectDigitRow(scoreDigits, "score");
        ExpectDigitRow(countdown, "countdown");

        if (c.width == 1280) {
            ExpectAt(hud->GetLife()->m_sprite, 30, 630, "life");
            ExpectAt(hud->GetTargetLife()->m_sprite, 384, 90, "boss life");
            ExpectAt(hud->GetZenkMode()->m_sprite, 670, 630, "zenk frame");
            EXPECT_NEAR(ClientBox(hud->GetZenkMode()->m_sprite).right(), 1280.0f, 0.05f) << "cut at the edge";
            ExpectAt(*score->GetDigitSprite(NumberRenderer::DigitSprites - 1), 371, 30, "score units");
            ExpectAt(units[0]->m_sprite, 182, 582, "first units icon");
            // x 1650 of a 1920-wide screen, the same fraction of 1280; 24 apart.
            ExpectAt(digits[0].sprite->m_sprite, 1100, 90, "countdown units");
            ExpectAt(digits[4].sprite->m_sprite, 1100 - 4 * 24, 90, "countdown ten-thousands");
        }
        hud->SetMissileIcons(tens, 0, 0, 0.0f, 0.0f, 1000);
        hud->SetMissileIcons(units, 0, 1, 0.0f, 0.0f, 10);
        hud->RequestRemove(true);
        hud->Release();
    }
}

}  // namespace
