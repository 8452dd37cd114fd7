#include "game/frontend/SceneScore.h"

#include <algorithm>

#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/core/Utility.h"
#include "game/frontend/SceneStageSelect.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"

using namespace Quorvex;

namespace {

constexpr const char* kStageName = "Spr2DScore";
constexpr float kOriginDx = 156.0f;
constexpr float kOriginDy = -256.0f;

constexpr PanelScene::Binding kBindings[] = {
    {"opUp", 0x11, 1},       {"opDown", 0x1F, 3},    {"opSelLeft", 0x1E, 0},    {"opSelRight", 0x20, 2},
    {"opEnter", 0xCB, 4},    {"opEnter", 0x1C, -1},  {"opCancel", 0xCD, 5},     {"opCancel", 0x36, -1},
};

// Array index of a choice that the game state or the cursor holds: kept
// inside the tables.
int Slot(int value, int slots) { return std::clamp(value, 0, slots - 1); }

}  // namespace

// ---- panels

SceneScore::SprSet::SprSet(ObjectManager* objects, IResourceManager* resources)
    : PanelSprSet(objects, resources, kStageName) {}

void SceneScore::SprSet::PlaceAtOrigin() { Place(kOriginDx, kOriginDy); }

void SceneScore::SprSetTotal::Build() {
    if (RenderObjectSpr2D* panel = AddPicture("scr_selpanel", -560, -64))
        panel->SetDrawPriority(panel->GetDrawPriority() + 0.1f);
    rowLabel[kRowDifficulty] = AddSprite("scr_seldif", 350, 50, false);
    static const char* const kDifficulties[kDifficultyCount] = {"scr_easy", "scr_normal", "scr_hard", "scr_veryhard"};
    static const float kDifficultyX[kDifficultyCount] = {414, 544, 734, 864};
    for (int d = 0; d < kDifficultyCount; ++d) difficulty[d + 1] = AddSprite(kDifficulties[d], kDifficultyX[d], 82, true);
    rowLabel[kRowLevel] = AddSprite("scr_selstg", 350, 150, false);
    AddSprite("scr_stg", 414, 182, false);
    AddSprite("scr_ss1", 814, 182, false);
    for (int n = 1; n <= 5; ++n)
        level[n] = AddSprite(("scr_" + std::to_string(n)).c_str(), 446.0f + 48.0f * (n - 1), 214, true);
    bool extra = false;
    for (int d = 1; d <= kDifficultyCount; ++d) extra = extra || MaxLevelOf(d) > 5;
    if (extra)
        level[6] = AddSprite("scr_ex", 686, 214, true);
    else
        Reserve("scr_ex", 686, 214);
    rowLabel[kRowFighter] = AddSprite("scr_selfighter", 350, 270, false);
    static const char* const kFighters[kFighterCount] = {"scr_velrin_a", "scr_velrin_b", "scr_toska", "scr_bramel"};
    static const float kFighterX[kFighterCount] = {414, 614, 814, 964};
    for (int f = 1; f <= kFighterCount; ++f) {
        if (SceneStageSelect::IsFighterUnlocked(f))
            fighter[f] = AddSprite(kFighters[f - 1], kFighterX[f - 1], 302, true);
        else
            Reserve(kFighters[f - 1], kFighterX[f - 1], 302);
    }
    rowLabel[kRowClose] = AddSprite("scr_close", 414, 390, true);
    for (int i = 0; i < kRankCount; ++i) {
        for (int j = 0; j < kNameLength; ++j) nameGlyph[i][j] = AddSprite("scr_ch 0 0", 45.0f * j - 472.0f, 34.0f * i, false);
        for (int k = 0; k < kScoreDigits; ++k) scoreDigit[i][k] = AddSprite("scr_0", 24.0f * k - 82.0f, 34.0f * i, false);
    }
    PlaceAtOrigin();
}

void SceneScore::SprSetTotal::SetRankRow(int row, const CharacterCode* name, int64_t score) {
    if (row < 0 || row >= kRankCount) return;
    std::string ids[kScoreDigits];
    ScoreDigitIds(score, ids);
    for (int k = 0; k < kScoreDigits; ++k) SetChara(scoreDigit[row][k], ids[k].c_str());
    for (int j = 0; j < kNameLength; ++j) SetChara(nameGlyph[row][j], GlyphId(name ? name[j] : -1).c_str());
}

void SceneScore::SprSetInput::Build() {
    if (RenderObjectSpr2D* panel = AddPicture("scr_selpanel_input", -560, -64))
        panel->SetDrawPriority(panel->GetDrawPriority() + 0.2f);
    AddSprite("scr_result", -64, -32, false);
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < kGridColumns; ++c)
            glyph[r * kGridColumns + c] = AddSprite(GlyphId(r * 100 + c).c_str(), 48.0f * c - 384.0f, 32.0f * r + 128.0f, true);
    ok = AddSprite("scr_ok", 416, 352, true);
    for (int i = 0; i < kNameLength; ++i) nameSlot[i] = AddSprite("scr__", 48.0f * i - 384.0f, 64, true);
    cursor = AddSprite("scr__", -384, 136, false);
    PlaceAtOrigin();
}

void SceneScore::SprSetInput::SetCursor(int column, int row) {
    if (column < 0 || column >= kGridColumns || row < 0 || row >= kGridRows) {
        SetChara(cursor, "scr_space");
        return;
    }
    SetChara(cursor, "scr__");
    SetOffset(cursor, 48.0f * column - 384.0f, 32.0f * row + 136.0f);
}

void SceneScore::SprSetInput::SetName(const CharacterCode* name) {
    for (int i = 0; i < kNameLength; ++i)
        SetChara(nameSlot[i], name[i] < 0 ? "scr__" : GlyphId(name[i]).c_str());
}

// ---- pure rules

std::string SceneScore::GlyphId(CharacterCode code) {
    const int row = code / 100;
    const int column = code % 100;
    if (code < 0 || row >= kGridRows || column >= kGridColumns) return GlyphId(kEmptyGlyph);
    return "scr_ch" + FormatInt(2, row) + FormatInt(2, column);
}

void SceneScore::ScoreDigitIds(int64_t score, std::string ids[kScoreDigits]) {
    if (score <= 0) {
        for (int k = 0; k < kScoreDigits - 1; ++k) ids[k] = "scr_space";
        ids[kScoreDigits - 1] = "scr_0";
        return;
    }
    int64_t rest = score;
    for (int k = kScoreDigits - 1; k >= 0; --k) {
        if (rest > 0) {
            ids[k] = "scr_" + std::to_string(static_cast<int>(rest % 10));
            rest /= 10;
        } else {
            ids[k] = "scr_space";
        }
    }
}

bool SceneScore::StepEntryCursor(int* column, int* row, bool up, bool down, bool left, bool right) {
    int c = *column, r = *row;
    if (up)
        --r;
    else if (down)
        ++r;
    if (left)
        --c;
    else if (right)
        ++c;
    if (c == *column && r == *row) return false;
    if (r < 0) r += kGridRows;
    if (r > kGridRows - 1) r -= kGridRows;
    if (c < 0) c += kGridColumns;
    if (c > kGridColumns - 1) c = r < kGridRows - 1 ? c - kGridColumns : kOkColumn;
    *column = c;
    *row = r;
    return true;
}

void SceneScore::InsertRankEntry(int64_t* scores, int32_t (*names)[kNameLength], int rank, int64_t score,
                                 const CharacterCode* name) {
    if (rank < 0 || rank >= kRankCount) return;
    for (int k = kRankCount - 2; k >= rank; --k) {
        scores[k + 1] = scores[k];
        std::copy(names[k], names[k] + kNameLength, names[k + 1]);
    }
    scores[rank] = score;
    std::copy(name, name + kNameLength, names[rank]);
}

int SceneScore::MaxLevelOf(int difficulty) {
    if (!g_pEnvironment2 || difficulty < 1 || difficulty > kDifficultyCount) return 1;
    return std::clamp(static_cast<int>(g_pEnvironment2->activeStage[difficulty - 1]), 1, kMaxLevel);
}

// ---- scene

SceneScore::SceneScore() : PanelScene("stagescore") { m_consumeEscape = true; }

SceneScore::~SceneScore() {
    m_pView.reset();
    m_pEntry.reset();
}

int SceneScore::OnInitialize(void* param) {
    const auto* start = static_cast<SceneRequests::StartParam*>(param);
    const int mode = start && start->value == kModeEntry ? kModeEntry : kModeView;
    m_startedForEntry = mode == kModeEntry;
    SetRenderOrder(9900);
    if (StartPanel(param, kStageName) < 0) return -1;
    RegisterCells(GetObjectManager());
    SetMode(mode);
    BindCommands(kBindings);
    return 0;
}

void SceneScore::RegisterCells(ObjectManager* objects) {
    if (!objects) return;
    RegisterPanelPicture(objects, "scr_selpanel", "matStgSelPanel", 0, 0, 512, 512, 2.0f, 1.25f);
    RegisterPanelPicture(objects, "scr_selpanel_input", "matStgSelPanel", 0, 0, 512, 512, 2.0f, 1.0f);
    RegisterSelectCells(objects, "scr_");
    RegisterPanelCell(objects, "scr_ok", "matStageSelect", 0.5f, 8, 2, 5, 1);
    RegisterPanelCell(objects, "scr_ex", "matStageSelect", 0.5f, 8, 3, 3, 1);
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < kGridColumns; ++c)
            RegisterPanelCell(objects, GlyphId(r * 100 + c).c_str(), "matScore", 0.5f, static_cast<float>(c),
                              static_cast<float>(r), 1, 1);
    RegisterPanelCell(objects, "scr__", "matScore", 0.5f, 15, 3, 1, 1);
    RegisterPanelCell(objects, "scr_result", "matHud2", 1.0f, 0, 10, 2, 1);
}

void SceneScore::SetMode(int mode) {
    if (m_pView) m_pView->HideAll();
    if (m_pEntry) m_pEntry->HideAll();
    m_pView.reset();
    m_pEntry.reset();
    m_pHighlighted = nullptr;
    m_mode = mode;
    ObjectManager* objects = GetObjectManager();
    if (mode == kModeEntry) {
        m_pEntry = std::make_unique<SprSetInput>(objects, GetResourceManager());
        m_pEntry->Build();
        m_column = 0;
        m_cursorRow = 0;
        m_nameLength = 0;
        std::fill(m_entryName, m_entryName + kNameLength, -1);
        UpdateInputCursor();
        return;
    }
    m_pView = std::make_unique<SprSetTotal>(objects, GetResourceManager());
    m_pView->Build();
    m_row = kRowDifficulty;
    PanelSprSet::MoveHighlight(nullptr, m_pView->rowLabel[m_row]);
    m_difficulty = 2;
    PanelSprSet::MoveHighlight(m_pView->difficulty[1], m_pView->difficulty[2]);
    m_maxLevel = MaxLevelOf(m_difficulty);
    m_level = 1;
    PanelSprSet::MoveHighlight(nullptr, m_pView->level[1]);
    m_fighter = SceneStageSelect::StepFighter(0, 1);
    PanelSprSet::MoveHighlight(nullptr, m_pView->fighter[m_fighter]);
    RefreshRanking();
}

void SceneScore::RefreshRanking() {
    if (!m_pView || !g_pEnvironment2) return;
    const int f = Slot(m_fighter, Environment2::kFighterSlots);
    const int d = Slot(m_difficulty, Environment2::kDifficultySlots);
    const int l = Slot(m_level, Environment2::kLevelSlots);
    for (int i = 0; i < kRankCount; ++i)
        m_pView->SetRankRow(i, g_pEnvironment2->rankingName[f][d][l][i], g_pEnvironment2->rankingScore[f][d][l][i]);
}

void SceneScore::SetLevelCursor(int level) {
    if (level == m_level) return;
    if (m_pView) {
        auto sprite = [this](int n) { return n >= 1 && n <= kMaxLevel ? m_pView->level[n] : nullptr; };
        PanelSprSet::MoveHighlight(sprite(m_level), sprite(level));
    }
    m_level = level;
}

void SceneScore::ChangeDifficulty(bool left, bool right) {
    int d = m_difficulty;
    if (left) d = Wrap(d - 1, 1, kDifficultyCount);
    if (right) d = Wrap(d + 1, 1, kDifficultyCount);
    if (d == m_difficulty) return;
    if (m_pView) PanelSprSet::MoveHighlight(m_pView->difficulty[m_difficulty], m_pView->difficulty[d]);
    m_difficulty = d;
    m_maxLevel = MaxLevelOf(d);
    SetLevelCursor(1);
}

void SceneScore::ChangeStage(bool left, bool right) {
    int n = m_level;
    if (left) n = Wrap(n - 1, 1, m_maxLevel);
    if (right) n = Wrap(n + 1, 1, m_maxLevel);
    SetLevelCursor(n);
}

void SceneScore::ChangeFighter(bool left, bool right) {
    int f = m_fighter;
    if (left) f = SceneStageSelect::StepFighter(f, -1);
    if (right) f = SceneStageSelect::StepFighter(f, 1);
    if (f == m_fighter) return;
    if (m_pView) PanelSprSet::MoveHighlight(m_pView->fighter[m_fighter], m_pView->fighter[f]);
    m_fighter = f;
}

void SceneScore::CheckClose(bool enter) {
    if (!enter || IsFinished()) return;
    if (m_pGameManager) {
        if (m_startedForEntry)
            m_pGameManager->RequestFinishToTitle();
        else
            m_pGameManager->RequestFinishToTitleMenu();
    }
    Finish();
}

void SceneScore::UpdateInputCursor() {
    if (!m_pEntry) return;
    RenderObjectSpr2D* target = m_column == kOkColumn ? m_pEntry->ok : m_pEntry->glyph[m_column + kGridColumns * m_cursorRow];
    if (target == m_pHighlighted) return;
    PanelSprSet::MoveHighlight(m_pHighlighted, target);
    m_pHighlighted = target;
    m_pEntry->SetCursor(m_column, m_cursorRow);
}

void SceneScore::EnterCharacter() {
    const CharacterCode code = m_cursorRow * 100 + m_column;
    if (m_nameLength < kNameLength)
        m_entryName[m_nameLength++] = code;
    else
        m_entryName[kNameLength - 1] = code;
    if (m_nameLength == kNameLength) {
        m_column = kOkColumn;
        m_cursorRow = kGridRows - 1;
        UpdateInputCursor();
    }
    if (m_pEntry) m_pEntry->SetName(m_entryName);
}

void SceneScore::DeleteCharacter() {
    if (m_nameLength > 0) m_entryName[--m_nameLength] = -1;
    if (m_pEntry) m_pEntry->SetName(m_entryName);
}

void SceneScore::CommitRankEntry() {
    if (g_pEnvironment2) {
        std::copy(m_entryName, m_entryName + kNameLength, g_pEnvironment2->defaultName);
        int ranks[SceneRequests::kLevelSlots];
        std::fill(ranks, ranks + SceneRequests::kLevelSlots, -1);
        if (m_pGameManager) m_pGameManager->CheckHighScore(ranks);
        const int f = Slot(g_pEnvironment2->fighter, Environment2::kFighterSlots);
        const int d = Slot(g_pEnvironment2->difficulty, Environment2::kDifficultySlots);
        for (int level = 1; level < SceneRequests::kLevelSlots; ++level)
            InsertRankEntry(g_pEnvironment2->rankingScore[f][d][level], g_pEnvironment2->rankingName[f][d][level],
                            ranks[level], g_pEnvironment2->runScore[f][d][level], m_entryName);
        g_pEnvironment2->SaveSettings();
    }
    SetMode(kModeView);
}

void SceneScore::UpdateView() {
    InputManager* input = GetInputManager();
    m_row = StepRowByInput(m_row, kRowCount, m_pView ? m_pView->rowLabel : nullptr);
    const bool left = input->IsCommandPressed("opSelLeft");
    const bool right = input->IsCommandPressed("opSelRight");
    switch (m_row) {
        case kRowDifficulty: ChangeDifficulty(left, right); break;
        case kRowLevel: ChangeStage(left, right); break;
        case kRowFighter: ChangeFighter(left, right); break;
        case kRowClose: CheckClose(input->IsCommandPressed("opEnter")); break;
        default: break;
    }
    if (left || right) RefreshRanking();
}

void SceneScore::UpdateEntry() {
    InputManager* input = GetInputManager();
    if (m_column == kOkColumn) {
        if (input->IsCommandPressed("opEnter")) {
            CommitRankEntry();
            return;
        }
    } else {
        if (input->IsCommandPressed("opEnter")) EnterCharacter();
        if (input->IsCommandPressed("opCancel")) DeleteCharacter();
    }
    if (StepEntryCursor(&m_column, &m_cursorRow, input->IsCommandPressed("opUp"), input->IsCommandPressed("opDown"),
                        input->IsCommandPressed("opSelLeft"), input->IsCommandPressed("opSelRight")))
        UpdateInputCursor();
}

void SceneScore::OnUpdate(float timeStep) {
    InputManager* input = GetInputManager();
    if (input && !IsFinished()) {
        if (m_mode == kModeView)
            UpdateView();
        else if (m_mode == kModeEntry && m_time > 0.0f)
            UpdateEntry();
    }
    m_time += timeStep;
}

void SceneScore::Render() {
    IDirect3DDevice9* device = GetDevice();
    if (device && m_startedForEntry)
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    PanelScene::Render();
}
