#include "game/play/SceneStage1.h"

#include <iterator>
#include <new>

#include <boost/bind/bind.hpp>

#include "engine/assets/devices/InputManager.h"
#include "engine/core/Environment.h"
#include "game/enemy/EnemyEx.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/StageTimetables.h"
#include "game/enemy/types/Enemy_Dweli.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/StageScript.h"
#include "game/screen/GraphicManager.h"
#include "game/screen/GraphicUnits.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/terrain/AreaFactories.h"
#include "game/world/terrain/GroundFactories.h"
#include "game/world/terrain/GroundGenerator.h"

using namespace Quorvex;
using boost::placeholders::_1;
using boost::placeholders::_2;

namespace {

constexpr float kAutoAdvance = 2.5f;
constexpr float kMinShow = 0.5f;
constexpr uint32_t kOffScreenColour = 0xFF80FFFF;

using Line = StageScript::Line;

constexpr uint32_t kOwn = GraphicManager::kSpeakerColor;

// Dialogue 1, before the boss appears. Index 5 is never shown: reaching it
// calls the boss in.
const Line kDialogue1[] = {
    {"velrin", "", 1, kOwn, L"こちらヴェルリン、海上に出た。"},
    {"", "", 1, kOffScreenColour, L"了解。その先が目標の空域よ。"},
    {"velrin", "", 1, kOwn, L"敵の数が多いね。全部落としていい？"},
    {"", "", 1, kOffScreenColour, L"ええ、遠慮はいらないわ。"},
    {"", "", 1, kOffScreenColour, L"……待って、大きな反応が近づいてる！"},
    {"", "", 1, kOffScreenColour, L""},
    {"velrin", "dweli", 0, kOwn, L"ずいぶん派手に暴れてくれたわね。"},
    {"velrin", "dweli", 1, kOwn, L"あなたがこの騒ぎの元？"},
    {"velrin", "dweli", 0, kOwn, L"さあ、どうかしら。"},
    {"", "", 1, kOffScreenColour, L"気をつけて、普通の相手じゃない。"},
    {"velrin", "dweli", 1, kOwn, L"わかってる。行くよ！"},
    {"", "dweli2", 0, kOwn, L"いいわ、遊んであげる！"},
};
// Dialogue 2, after the first fight.
const Line kDialogue2[] = {
    {"", "dweli2", 0, kOwn, L"くっ……今日はこのくらいにしておくわ！"},
    {"velrin", "", 1, kOwn, L"逃げた……？ 追いかけるよ。"},
};
// Dialogue 3, the boss returns. Index 11 shows the line of index 12.
const Line kDialogue3[] = {
    {"", "dweli", 0, kOwn, L"しつこいわね。まだ追ってくるの？"},
    {"velrin", "", 1, kOwn, L"逃がさないって言ったでしょ。"},
    {"", "", 1, kOffScreenColour, L"周りの空が急に暗くなってる。"},
    {"", "", 1, kOffScreenColour, L"あの子の仕業かもしれない。"},
    {"velrin", "", 1, kOwn, L"なら、止めるしかないね。"},
    {"", "", 1, kOffScreenColour, L"無理はしないで。"},
    {"", "dweli2", 0, kOwn, L"本気を見せてあげる！"},
    {"velrin", "", 1, kOwn, L"望むところ！"},
    {"", "", 1, kOffScreenColour, L"反応が大きくなってる、来るわよ！"},
    {"", "", 1, kOffScreenColour, L"ヴェルリン、聞こえる？"},
    {"velrin", "", 1, kOwn, L"大丈夫、まだいける。"},
    {"", "dweli2", 0, kOwn, L"これで終わりよ！"},
    {"", "dweli2", 0, kOwn, L"これで終わりよ！"},
    {"", "dweli", 0, kOwn, L"……覚悟しなさい。"},
};
// Dialogue 4, the end of the stage.
const Line kDialogue4[] = {
    {"velrin", "bramel", 1, kOwn, L"やっと静かになった。"},
    {"velrin", "bramel", 1, kOwn, L"ブラメル、聞こえる？ こっちは片付いたよ。"},
    {"velrin", "bramel", 0, kOffScreenColour, L"お疲れさま。よく頑張ったわね。"},
    {"velrin", "bramel", 1, kOwn, L"でも、あの子はどこから来たんだろう。"},
    {"velrin", "bramel", 0, kOffScreenColour, L"まだわからない。調べてみるわ。"},
    {"velrin", "bramel", 0, kOffScreenColour, L"一度戻ってきて。次の空域の準備をするから。"},
    {"velrin", "bramel", 1, kOwn, L"了解、帰投する。"},
};

struct Dialogue {
    const Line* lines;
    int count;
};
const Dialogue kDialogues[] = {
    {kDialogue1, static_cast<int>(std::size(kDialogue1))},
    {kDialogue2, static_cast<int>(std::size(kDialogue2))},
    {kDialogue3, static_cast<int>(std::size(kDialogue3))},
    {kDialogue4, static_cast<int>(std::size(kDialogue4))},
};

// The boss-call index of dialogue 1 and the music index of dialogue 3.
constexpr int kBossCallIndex = 5;
constexpr int kMusicChangeIndex = 11;

GroundGenerator* Ground() { return g_pEnvironment2 ? g_pEnvironment2->groundGenerator : nullptr; }

}  // namespace

const SceneStage1::Window SceneStage1::kWindows[kWindowCount] = {
    {0, 2, Timed, 0},       {2, 17, Timed, 0},      {17, 20, Timed, 1},     {20, 30, Timed, 2},
    {30, 45, Timed, 3},     {45, 145, Held, 4},     {145, 245, Held, 4},    {245, 345, Held, 4},
    {345, 390, Timed, 4},   {390, 490, Held, 4},    {490, 492, Timed, 4},   {492, 592, Held, 4},
    {592, 594, Timed, 4},   {594, 694, Held, 5},    {694, 700, Timed, 5},   {700, 800, Held, 6},
    {800, 805, Timed, 7},   {805, kFinalEnd, Final, 6},
};

SceneStage1::SceneStage1() = default;

SceneStage1::~SceneStage1() = default;

int SceneStage1::OnInitialize(void* param) {
    if (SceneStage::OnInitialize(param) < 0) return -1;
    if (m_musicPhase != 2) SetMusicPhaseReleasing(2);
    return 0;
}

IAreaFactory* SceneStage1::CreateAreaFactory() {
    return new (std::nothrow) AreaFactory_1(GetAreaManager(), GetObjectManager());
}

void SceneStage1::OnUpdate(float timeStep) {
    SceneStage::OnUpdate(timeStep);
    if (g_pEnvironment2 && !g_pEnvironment2->paused) RunScript(timeStep);
}

int SceneStage1::FindWindow(float clock) {
    if (clock < kWindows[0].end) return 0;
    for (int i = 1; i < kWindowCount - 2; ++i)
        if (kWindows[i].start <= clock && clock <= kWindows[i].end) return i;
    if (clock < kWindows[kWindowCount - 2].end) return kWindowCount - 2;
    return kWindowCount - 1;
}

void SceneStage1::RunScript(float timeStep) {
    int window = -1;
    // The final window is entered once, however far the clock went.
    if (m_window != kWindowCount - 1 && scriptClock >= windowEnd) {
        skipRequested = false;
        windowEntered = false;
        window = FindWindow(scriptClock);
        // A window that ended exactly on its own end would be found again
        // (boundaries belong to the earlier window): go on to the next one.
        if (window == m_window && window < kWindowCount - 1) ++window;
    } else {
        window = m_window >= 0 ? m_window : FindWindow(scriptClock);
    }
    m_window = window;
    if (!windowEntered) {
        windowEntered = true;
        windowEnd = kWindows[window].end;
        EnterWindow(window);
    }
    RunWindow(window, timeStep);
    StageScript::SetAreaKind(this, kWindows[window].kind);
    switch (kWindows[window].run) {
    case Timed:
        if (skipRequested) scriptClock = windowEnd;
        scriptClock += timeStep;
        break;
    case Held:
        if (skipRequested) scriptClock = windowEnd;
        break;
    case Final: break;
    }
}

void SceneStage1::EnterWindow(int window) {
    Environment2* env = g_pEnvironment2;
    const float c = g_WorldGrid.cellSize[0];
    SceneRequests* manager = GetGameSceneRegistry().gameManager.Get();
    switch (window) {
    case 0:
        StageScript::FadeFromWhite(0.5f);
        BrightLook();
        SetWorldOffset(0.0f);
        SetPlayerMoveLimit(c / 4.0f);
        break;
    case 1:
        StageScript::ResetWaves(this, &AddEvent_Stage1Waves1);
        Look(2, 0.0f);
        Shade(0.0f);
        break;
    case 3: SetPlayerMoveLimit(c / 2.0f + 500.0f); break;
    case 5:
        if (auto* enemies = GetGameSceneRegistry().enemyGenerator.Get()) enemies->ClearEvents();
        ShowStageResult();
        BeginDialogue();
        DarkLook();
        break;
    case 6:
        HideStageResult();
        if (env && env->currentBoss) SetUpBossFight(env->currentBoss);
        StageScript::SetTalkFlag(0);
        DarkLook();
        break;
    case 7:
        BeginDialogue();
        DarkLook();
        break;
    case 8:
        StageScript::ResetWaves(this, &AddEvent_Stage1Waves2);
        StageScript::SetTalkFlag(0);
        DarkLook();
        break;
    case 9:
        // The boss returns 2 s into the dialogue.
        StageScript::ResetWaves(this, &AddEvent_Stage1BossLate);
        BeginDialogue();
        DarkLook();
        break;
    case 10:
        SetBossPhase(11);
        StageScript::SetTalkFlag(0);
        break;
    case 11:
        SetBossPhase(11);
        StageScript::SetTalkFlag(0);
        Look(3, 0.5f);
        StageScript::Materials(2, 2, 0.0f);
        BlendPresets(2, 2, 0.0f);
        GroundColour(0xFF000000);
        break;
    case 13:
        Look(0, 1.0f);
        StageScript::Materials(5, 5, 0.0f);
        BlendPresets(5, 5, 0.0f);
        GroundMesh(0.0f);
        break;
    case 15:
        ShowStageResult();
        BeginDialogue();
        BrightLook();
        break;
    case 16:
        StageScript::SetTalkFlag(0);
        HideStageResult();
        if (m_singleStage) StartScreenFade(D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f), 1.0f / 5.0f);
        m_musicPhase = 1;
        break;
    case 17:
        windowEnd = kFinalEnd;
        if (manager) {
            if (m_singleStage)
                manager->ResetAndRequestEndAction();
            else
                manager->RequestStage2();
        }
        break;
    default: break;
    }
}

void SceneStage1::BeginDialogue() {
    StageScript::SetTalkFlag(1);
    speakIndex = 0;
    speakTime = 0.0f;
}

void SceneStage1::BrightLook() {
    Look(2, 0.0f);
    Shade(0.0f);
    StageScript::Materials(0, 0, 0.0f);
    BlendPresets(0, 0, 0.0f);
    GroundMesh(1.0f);
    GroundColour(0xFFFFFFFF);
}

void SceneStage1::DarkLook() {
    Look(4, 0.0f);
    Shade(1.0f);
}

void SceneStage1::RunWindow(int window, float timeStep) {
    const float clock = scriptClock;
    switch (window) {
    case 0:
    case 1:
        StageScript::Materials(0, 0, 0.0f);
        BlendPresets(0, 0, 0.0f);
        break;
    case 4: {
        const float t = (clock - 30.0f) / 15.0f;
        Look(3, t);
        Shade(t);
        if (t < 0.5f) {
            StageScript::Materials(2, 0, 2.0f * t);
            BlendPresets(0, 2, 2.0f * t);
        } else {
            StageScript::Materials(2, 2, 0.0f);
            BlendPresets(2, 2, 0.0f);
        }
        break;
    }
    case 5: RunDialogue(1, timeStep); break;
    case 7: RunDialogue(2, timeStep); break;
    case 9: RunDialogue(3, timeStep); break;
    case 10: {
        const float t = (clock - 490.0f) / 2.0f;
        Look(3, 1.0f - t / 2.0f);
        Shade(1.0f - t / 2.0f);
        StageScript::Materials(2, 2, 0.0f);
        BlendPresets(2, 2, 0.0f);
        const float grey = 1.0f - t;
        GroundColour(ColorFromFloats(1.0f, grey, grey, grey));
        break;
    }
    case 12: {
        const float t = (clock - 592.0f) / 2.0f;
        Look(0, t);
        StageScript::Materials(5, 2, t);
        BlendPresets(2, 5, t);
        GroundColour(ColorFromFloats(1.0f - t, 0.0f, 0.0f, 0.0f));
        break;
    }
    case 13:
        // The boss's death ends this fight with a skip. Beaten within the 2 s
        // before, its skip went to that window instead: with no boss left
        // nothing else would end this one.
        if (!StageScript::CurrentBoss()) skipRequested = true;
        break;
    case 14: {
        const float t = (clock - 694.0f) / 6.0f;
        Look(1, t);
        Shade(0.0f);
        StageScript::Materials(0, 5, t);
        BlendPresets(5, 0, t);
        GroundColour(ColorFromFloats(t, t, t, t));
        break;
    }
    case 15: RunDialogue(4, timeStep); break;
    default: break;
    }
}

void SceneStage1::RunDialogue(int dialogue, float timeStep) {
    const Dialogue& d = kDialogues[dialogue - 1];
    InputManager* input = GetInputManager();
    // Dialogues 1 and 2 take a press, 3 and 4 a held key; 2 and 3 also
    // hurry on while "NextSpeakSkip" is held.
    const bool held = dialogue >= 3;
    const bool next = input && (held ? input->IsCommandOn("NextSpeak") : input->IsCommandPressed("NextSpeak"));
    const bool hurry = (dialogue == 2 || dialogue == 3) && input && input->IsCommandOn("NextSpeakSkip");
    bool advanced = false;
    if (speakTime >= kAutoAdvance || ((next || hurry) && speakTime >= kMinShow)) {
        ++speakIndex;
        speakTime = 0.0f;
        advanced = true;
    }
    speakTime += timeStep;
    if (dialogue == 1 && speakIndex == kBossCallIndex) {
        // The boss is called in here; its line is never shown.
        if (EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get())
            AddEvent_Stage1Boss(enemies);
        speakIndex = kBossCallIndex + 1;
    }
    if (dialogue == 3 && advanced && speakIndex == kMusicChangeIndex) SetMusicPhaseReleasing(4);

    GraphicManager* manager = GetGameSceneRegistry().graphicManager.Get();
    if (speakIndex >= d.count) {
        // While the result panel counts, the last line stays up.
        if ((dialogue == 1 || dialogue == 4) && !IsStageResultFinished()) {
            speakIndex = d.count - 1;
        } else {
            if (manager) manager->ApplySpeakSet(StageScript::EmptyLineSet());
            speakIndex = 0;
            skipRequested = true;
            return;
        }
    }
    if (manager) manager->ApplySpeakSet(StageScript::LineSet(d.lines[speakIndex]));
}

void SceneStage1::SetPlayerMoveLimit(float range) {
    StageScript::SetMoveLimit(
        AreaPos::FromCellAndOffset(StageScript::CenterCell(), D3DXVECTOR3(0.0f, 50.0f, 0.0f)), range);
}

void SceneStage1::SetUpBossFight(EnemyEx* current) {
    auto* boss = dynamic_cast<Enemy_Dweli*>(current);
    if (!boss) return;
    // The first fight: the aimed pattern after a 4 s wait, 40 s long; the
    // boss's own phase end then leads it into its first spell. The limit is
    // not shown as a countdown.
    boss->patternCallback.clear();
    boss->phaseClock = 0.0f;
    const boost::function<EnemyEx::NextPos(EnemyEx::MoveParam*)> next =
        boost::bind(&Enemy_Dweli::NextRandomPos, boss, _1);
    boss->patternCallback = boost::bind(&Enemy_Dweli::FireAimedPattern, boss, _1, _2);
    boss->shotState.Reset(boss->level);
    boss->shotState.timer = -4.0f;
    boss->SpawnShotPoints(0, 0);
    boss->phaseLimit = 40.0f;
    if (g_pEnvironment2) g_pEnvironment2->bossTimeLimit = -1.0f;
    boss->GetMoveParam()->nextPos = next;
    boss->phase = 8;
}

void SceneStage1::SetBossPhase(int phase) {
    if (auto* boss = dynamic_cast<Enemy_Dweli*>(StageScript::CurrentBoss())) boss->SetPhase(phase);
}

void SceneStage1::Look(int type, float t) {
    if (GroundGenerator* ground = Ground()) SetTreeLook(ground->GetTreeFactory(), type, t);
}

void SceneStage1::Shade(float t) {
    if (GroundGenerator* ground = Ground()) SetBlockShade(ground->GetBlockFactory(), t);
}

void SceneStage1::GroundMesh(float value) {
    if (GroundGenerator* ground = Ground()) SetGroundMeshValue(ground->GetBlockFactory(), value);
}

void SceneStage1::GroundColour(D3DCOLOR colour) {
    if (GroundGenerator* ground = Ground())
        if (Ground_BlockFactory* blocks = ground->GetBlockFactory()) blocks->SetColor(colour);
}

SceneStage::EnvironmentPreset SceneStage1::MakePreset(int kind) {
    SetBloomThreshold(0.5f);
    switch (kind) {
    case 2:
        return MakeEnvironmentPreset(4, 1, 0xFF080808, {0.2f, 0.2f, 0.5f, 1, 0.1f, 0.1f, 0.2f, 1, 0.75f, 0.75f, 1, 1});
    case 4:
        return MakeEnvironmentPreset(1.5f, 0, 0xFF4E65EA, {0.4f, 0.4f, 0.4f, 1, 0.6f, 0.6f, 0.6f, 1, 1, 1, 1, 1});
    case 5: return MakeEnvironmentPreset(10, 8, 0xFFFFFFFF, {0.2f, 0.2f, 0.2f, 1, 0, 0, 0, 1, 0, 0, 0, 1});
    default:
        return MakeEnvironmentPreset(4, 3, 0xFF566EBC,
                                     {0.4f, 0.4f, 0.4f, 1, 0.6f, 0.6f, 0.6f, 1, 1.5f, 1.5f, 1.5f, 1});
    }
}

void SceneStage1::BlendPresets(int kindA, int kindB, float t) { SceneStage::BlendPresets(&MakePreset, kindA, kindB, t); }
