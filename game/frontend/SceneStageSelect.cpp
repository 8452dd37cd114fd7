#include "game/frontend/SceneStageSelect.h"

#include <algorithm>

#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"

using namespace Quorvex;

namespace {

constexpr const char* kStageName = "Spr2DSelectStage";
constexpr float kOriginDx = 192.0f;
constexpr float kOriginDy = -256.0f;

constexpr PanelScene::Binding kBindings[] = {
    {"opUp", 0x11, 1},    {"opDown", 0x1F, 3},  {"opSelLeft", 0x1E, 0},
    {"opSelRight", 0x20, 2}, {"opEnter", 0xCB, 4}, {"opEnter", 0x1C, -1},
};

}  // namespace

SceneStageSelect::SprSet::SprSet(ObjectManager* objects, IResourceManager* resources)
    : PanelSprSet(objects, resources, kStageName) {}

void SceneStageSelect::SprSet::Build() {
    if (RenderObjectSpr2D* panel = AddPicture("stgselpanel", -48, -64))
        panel->SetDrawPriority(panel->GetDrawPriority() + 0.1f);
    rowLabel[kRowDifficulty] = AddSprite("stgseldif", 0, 0, false);
    AddSprite("stgspace", 64, 32, false);
    static const char* const kDifficulties[kDifficultyCount] = {"stgeasy", "stgnormal", "stghard", "stgveryhard"};
    static const float kDifficultyX[kDifficultyCount] = {64, 194, 384, 514};
    for (int d = 0; d < kDifficultyCount; ++d) difficulty[d + 1] = AddSprite(kDifficulties[d], kDifficultyX[d], 32, true);
    rowLabel[kRowLevel] = AddSprite("stgselstg", 0, 80, false);
    AddSprite("stgstg", 64, 112, false);
    AddSprite("stgss1", 464, 112, false);
    for (int n = 1; n <= kMaxSelectableLevel; ++n) {
        const std::string id = "stg" + std::to_string(n);
        level[n] = AddSprite(id.c_str(), 96.0f + 48.0f * (n - 1), 144, true);
    }
    rowLabel[kRowFighter] = AddSprite("stgselfighter", 0, 220, false);
    static const char* const kFighters[kFighterCount] = {"stgvelrin_a", "stgvelrin_b", "stgtoska", "stgbramel"};
    static const float kFighterX[kFighterCount] = {64, 264, 464, 614};
    for (int f = 1; f <= kFighterCount; ++f) {
        if (IsFighterUnlocked(f))
            fighter[f] = AddSprite(kFighters[f - 1], kFighterX[f - 1], 252, true);
        else
            Reserve(kFighters[f - 1], kFighterX[f - 1], 252);
    }
    rowLabel[kRowStart] = AddSprite("stgstart", 64, 300, true);
    rowLabel[kRowClose] = AddSprite("stgclose", 64, 360, true);
    Place(kOriginDx, kOriginDy);
}

SceneStageSelect::SceneStageSelect() : PanelScene("stageselect") {}

SceneStageSelect::~SceneStageSelect() {
    m_pSprites.reset();
    if (g_pEnvironment2 && g_pEnvironment2->stageSelectScene == this) g_pEnvironment2->stageSelectScene = nullptr;
}

int SceneStageSelect::MaxLevelOf(int difficulty) {
    if (!g_pEnvironment2 || difficulty < 1 || difficulty > kDifficultyCount) return 1;
    return std::clamp(static_cast<int>(g_pEnvironment2->activeStage[difficulty - 1]), 1, kMaxSelectableLevel);
}

bool SceneStageSelect::IsFighterUnlocked(int fighter) {
    if (!g_pEnvironment2) return fighter == 1;
    switch (fighter) {
        case 1: return g_pEnvironment2->active_velrin_a != 0;
        case 2: return g_pEnvironment2->active_velrin_b != 0;
        case 3: return g_pEnvironment2->active_toska != 0;
        case 4: return g_pEnvironment2->active_bramel != 0;
        default: return false;
    }
}

int SceneStageSelect::StepFighter(int fighter, int direction) {
    for (int i = 0; i < kFighterCount; ++i) {
        fighter = Wrap(fighter + direction, 1, kFighterCount);
        if (IsFighterUnlocked(fighter)) return fighter;
    }
    return 1;
}

bool SceneStageSelect::StartRun(SceneRequests* manager, int difficulty, int level, int fighter) {
    if (level < 1 || level > kMaxSelectableLevel) return false;
    if (g_pEnvironment2) {
        g_pEnvironment2->damageFactor = 1.0f;
        g_pEnvironment2->bossTimeLimit = -1.0f;
        g_pEnvironment2->singleStage = 1;
        g_pEnvironment2->difficulty = difficulty;
        g_pEnvironment2->level = level;
        g_pEnvironment2->fighter = fighter;
    }
    if (!manager) return true;
    switch (level) {
        case 1: manager->RequestStage1(); break;
        case 2: manager->RequestStage2(); break;
        case 3: manager->RequestStage4(); break;
        case 4: manager->RequestStage5(); break;
        default: manager->RequestStage6(); break;
    }
    return true;
}

int SceneStageSelect::OnInitialize(void* param) {
    SetRenderOrder(9900);
    if (StartPanel(param, kStageName) < 0) return -1;
    RegisterCells(GetObjectManager());
    m_pSprites = std::make_unique<SprSet>(GetObjectManager(), GetResourceManager());
    m_pSprites->Build();

    m_row = kRowDifficulty;
    PanelSprSet::MoveHighlight(nullptr, m_pSprites->rowLabel[m_row]);
    m_difficulty = 2;
    PanelSprSet::MoveHighlight(m_pSprites->difficulty[1], m_pSprites->difficulty[2]);
    m_level = 1;
    PanelSprSet::MoveHighlight(nullptr, m_pSprites->level[1]);
    m_fighter = IsFighterUnlocked(1) ? 1 : StepFighter(1, 1);
    PanelSprSet::MoveHighlight(nullptr, m_pSprites->fighter[m_fighter]);
    BindCommands(kBindings);
    m_maxLevel = MaxLevelOf(m_difficulty);
    if (g_pEnvironment2) g_pEnvironment2->stageSelectScene = this;
    return 0;
}

void SceneStageSelect::RegisterCells(ObjectManager* objects) {
    if (!objects) return;
    RegisterPanelPicture(objects, "stgselpanel", "matStgSelPanel", 0, 0, 512, 512, 1.0f, 1.0f);
    RegisterSelectCells(objects, "stg");
}

void SceneStageSelect::SetDifficulty(int difficulty) {
    if (difficulty == m_difficulty) return;
    if (m_pSprites) PanelSprSet::MoveHighlight(m_pSprites->difficulty[m_difficulty], m_pSprites->difficulty[difficulty]);
    m_difficulty = difficulty;
    m_maxLevel = MaxLevelOf(difficulty);
    // Back to level 1 one step at a time, the highlight following.
    while (m_level > 1) SetLevel(m_level - 1);
}

void SceneStageSelect::SetLevel(int level) {
    if (level == m_level) return;
    auto sprite = [this](int n) {
        return m_pSprites && n >= 1 && n <= kMaxSelectableLevel ? m_pSprites->level[n] : nullptr;
    };
    PanelSprSet::MoveHighlight(sprite(m_level), sprite(level));
    m_level = level;
}

void SceneStageSelect::SetFighter(int fighter) {
    if (fighter == m_fighter) return;
    if (m_pSprites) PanelSprSet::MoveHighlight(m_pSprites->fighter[m_fighter], m_pSprites->fighter[fighter]);
    m_fighter = fighter;
}

void SceneStageSelect::OnUpdate(float) {
    InputManager* input = GetInputManager();
    if (!input || IsFinished()) return;
    m_row = StepRowByInput(m_row, kRowCount, m_pSprites ? m_pSprites->rowLabel : nullptr);
    const bool left = input->IsCommandPressed("opSelLeft");
    const bool right = input->IsCommandPressed("opSelRight");
    switch (m_row) {
        case kRowDifficulty: {
            int d = m_difficulty;
            if (left) d = Wrap(d - 1, 1, kDifficultyCount);
            if (right) d = Wrap(d + 1, 1, kDifficultyCount);
            SetDifficulty(d);
            break;
        }
        case kRowLevel: {
            int n = m_level;
            if (left) n = Wrap(n - 1, 1, m_maxLevel);
            if (right) n = Wrap(n + 1, 1, m_maxLevel);
            SetLevel(n);
            break;
        }
        case kRowFighter: {
            int f = m_fighter;
            if (left) f = StepFighter(f, -1);
            if (right) f = StepFighter(f, 1);
            SetFighter(f);
            break;
        }
        case kRowStart:
            if (input->IsCommandPressed("opEnter") && StartRun(m_pGameManager, m_difficulty, m_level, m_fighter))
                Finish();
            break;
        case kRowClose:
            if (input->IsCommandPressed("opEnter")) {
                if (m_pGameManager) m_pGameManager->RequestTitleMenu();
                Finish();
            }
            break;
        default:
            break;
    }
}
