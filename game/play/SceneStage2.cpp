#include "game/play/SceneStage2.h"

#include <iterator>
#include <new>

#include "engine/core/Environment.h"
#include "game/enemy/EnemyEx.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/StageTimetables.h"
#include "game/enemy/types/BossCommon.h"
#include "game/enemy/types/Enemy_Fesko.h"
#include "game/play/GameSceneRegistry.h"
#include "game/player/Player.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/AreaFactoryAdapter.h"
#include "game/world/terrain/AreaFactories.h"
#include "game/world/terrain/GroundGenerator.h"

using namespace Quorvex;

namespace {

using Line = StageScript::Line;
constexpr uint32_t kOwn = GraphicManager::kSpeakerColor;
constexpr uint32_t kMechanic = 0xFF80FFFF;

// Dialogue 1, before the boss. Index 3 calls the boss in and is never shown.
const Line kDialogue1[] = {
    {"velrin", "", 1, kOwn, L"霧が濃くなってきた……視界が悪いね。"},
    {"velrin", "bramel", 0, kMechanic, L"計器を信じて。この先に大きな反応があるわ。"},
    {"velrin", "", 1, kOwn, L"了解。警戒しながら進むよ。"},
    {"velrin", "", 1, kOwn, L""},
    {"velrin", "fesko", 0, kOwn, L"あら、こんな霧の中までご苦労さま。"},
    {"velrin", "fesko", 1, kOwn, L"道を空けてくれるなら何もしないよ。"},
    {"velrin", "fesko", 0, kOwn, L"そうはいかないわ。ここは通さない！"},
};
// Dialogue 2, after the first fight.
const Line kDialogue2[] = {
    {"", "fesko", 0, kOwn, L"今日のところは引いてあげる。覚えてなさい！"},
    {"velrin", "", 1, kOwn, L"また逃げられた……先を急ごう。"},
};
// Dialogue 3, the boss returns. Index 4 calls it in again; index 10 blows it
// away and ends the stage.
const Line kDialogue3[] = {
    {"velrin", "", 1, kOwn, L"霧が晴れてきた。"},
    {"velrin", "bramel", 0, kMechanic, L"よくやったわ。そのまま帰投して。"},
    {"velrin", "bramel", 1, kOwn, L"了解……待って、後ろから何か来る。"},
    {"velrin", "bramel", 0, kMechanic, L"さっきの子よ、気をつけて！"},
    {"velrin", "fesko", 0, kOwn, L"まだ終わってないわよ！"},
    {"velrin", "fesko", 1, kOwn, L"しつこいね。もう勝負はついたでしょ。"},
    {"velrin", "fesko", 0, kOwn, L"負けたままじゃ帰れないの！"},
    {"velrin", "fesko", 1, kOwn, L"なら、これで最後にしよう。"},
    {"velrin", "fesko", 0, kOwn, L"望むところ……あっ！"},
    {"velrin", "fesko", 1, kOwn, L"危ない、離れて！"},
    {"velrin", "fesko", 0, kOwn, L""},
    {"velrin", "", 1, kOwn, L""},
};

constexpr int kBossCall1 = 3;
constexpr int kBossCall3 = 4;
constexpr int kBossBlownAway = 10;

}  // namespace

SceneStage2::SceneStage2() = default;

SceneStage2::~SceneStage2() = default;

int SceneStage2::OnInitialize(void* param) {
    if (SceneStage::OnInitialize(param) < 0) return -1;
    if (m_musicPhase != 2) SetMusicPhaseReleasing(2);
    return 0;
}

IAreaFactory* SceneStage2::CreateAreaFactory() {
    return new (std::nothrow) AreaFactory_2(GetAreaManager(), GetObjectManager());
}

void SceneStage2::BuildEventList() {
    SceneStage::BuildEventList();
    m_events.clear();
    static const Step<SceneStage2> kSteps[kEventCount] = {
        {5, true, &SceneStage2::Event0},     {25, true, &SceneStage2::Event1},     {10, true, &SceneStage2::Event2},
        {5, true, &SceneStage2::Event3},     {10, true, &SceneStage2::Event4},     {15, true, &SceneStage2::Event5},
        {100, false, &SceneStage2::Event6},  {100, false, &SceneStage2::Event7},   {1, true, &SceneStage2::Event8},
        {100, false, &SceneStage2::Event9},  {100, false, &SceneStage2::Event10},  {55, true, &SceneStage2::Event11},
        {100, false, &SceneStage2::Event12}, {5, true, &SceneStage2::EventFadeOut}, {5, true, &SceneStage2::Event14},
    };
    AppendSteps(kSteps);
}

SceneStage::EnvironmentPreset SceneStage2::MakePreset(int kind) {
    SetBloomThreshold(0.75f);
    switch (kind) {
    case 2:
        return MakeEnvironmentPreset(4, 1, 0xFF080808,
                                     {0.1f, 0.1f, 0.05f, 1, 0.4f, 0.4f, 0.2f, 1, 1, 1, 0.75f, 1});
    case 4: return MakeEnvironmentPreset(2, 0, 0xFF8090A0, {0.4f, 0.4f, 0.4f, 1, 0.6f, 0.6f, 0.6f, 1, 1, 1, 1, 1});
    case 5: return MakeEnvironmentPreset(10, 8, 0xFFFFFFFF, {0.2f, 0.2f, 0.2f, 1, 0, 0, 0, 1, 0, 0, 0, 1});
    default:
        return MakeEnvironmentPreset(4, 3, 0xFFA6BEDC,
                                     {0.4f, 0.4f, 0.4f, 1, 0.6f, 0.6f, 0.6f, 1, 1.5f, 1.5f, 1.5f, 1});
    }
}

void SceneStage2::BlendPresets(int kindA, int kindB, float t) { SceneStage::BlendPresets(&MakePreset, kindA, kindB, t); }

bool SceneStage2::Enter(int kind) {
    if (m_eventEntered) return false;
    StageScript::SetAreaKind(this, kind);
    StageScript::Materials(0, 0, 0.0f);
    return true;
}

void SceneStage2::Speak(GraphicManager::SpeakSet* (SceneStage2::*lines)(SpeakParam&)) {
    m_speak.SetLineTimes(kMinShowTime, kAutoTime);
    AdvanceSpeak([this, lines](SpeakParam& speak) { return (this->*lines)(speak); });
}

void SceneStage2::SetTransition(int which, float value) {
    auto* factory = dynamic_cast<AreaFactory_2*>(StageScript::GetFactory(this));
    if (!factory) return;
    float* const values[3] = {&factory->m_transitionD, &factory->m_transitionA, &factory->m_transitionB};
    *values[which] = value;
}

Enemy_Fesko* SceneStage2::Boss() const { return dynamic_cast<Enemy_Fesko*>(StageScript::CurrentBoss()); }

void SceneStage2::Event0(EventSet*) {
    if (Enter(0)) {
        if (m_singleStage) StageScript::FadeFromWhite(0.3f);
        SetWorldOffset(0.0f);
        if (Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr) {
            player->SetMoveLimit(player->GetMoveLimitEnable(), AreaPos::FromCell(StageScript::CenterCell()),
                                 player->GetMoveLimitMinimum(), player->GetMoveLimitMaximum());
        }
    }
    BlendPresets(0, 0, 0.0f);
}

void SceneStage2::Event1(EventSet*) {
    if (Enter(0)) StageScript::ResetWaves(this, &AddEvent_Stage2Waves1);
    BlendPresets(0, 0, 0.0f);
}

void SceneStage2::Event2(EventSet*) {
    Enter(1);
    SetTransition(1, m_eventProgress);
    BlendPresets(0, 0, 0.0f);
}

void SceneStage2::Event3(EventSet*) {
    if (Enter(2)) {
        StageScript::ResetWaves(this, &AddEvent_Stage2Waves2);
        SetTransition(1, 1.0f);
    }
    BlendPresets(0, 4, m_eventProgress);
}

void SceneStage2::Event4(EventSet*) {
    Enter(3);
    SetTransition(0, m_eventProgress);
    BlendPresets(4, 4, 0.0f);
}

void SceneStage2::Event5(EventSet*) {
    if (Enter(4)) SetTransition(0, 1.0f);
    BlendPresets(4, 4, 0.0f);
}

void SceneStage2::Event6(EventSet*) {
    if (Enter(4)) {
        if (EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get()) enemies->ClearEvents();
        ShowStageResult();
        StageScript::SetTalkFlag(1);
    }
    BlendPresets(4, 4, 0.0f);
    Speak(&SceneStage2::Dialogue1);
}

void SceneStage2::Event7(EventSet*) {
    if (Enter(4)) {
        HideStageResult();
        if (Enemy_Fesko* boss = Boss()) boss->SetPhase(3);
        StageScript::SetTalkFlag(0);
    }
    BlendPresets(4, 4, 0.0f);
}

void SceneStage2::Event8(EventSet* e) {
    if (Enter(5)) {
        HideStageResult();
        if (Enemy_Fesko* boss = Boss()) HoldBossInPlace(boss, e->duration);
        StageScript::SetTalkFlag(0);
    }
    SetTransition(2, m_eventProgress);
    BlendPresets(4, 4, 0.0f);
}

void SceneStage2::Event9(EventSet*) {
    if (Enter(6)) {
        HideStageResult();
        if (Enemy_Fesko* boss = Boss()) boss->LeaveFight();
        if (g_pEnvironment2) g_pEnvironment2->bossTimeLimit = -1.0f;
        StageScript::SetTalkFlag(0);
        SetSkip();
    }
    BlendPresets(4, 4, 0.0f);
}

void SceneStage2::Event10(EventSet*) {
    if (Enter(6)) {
        StageScript::SetTalkFlag(1);
        if (Enemy_Fesko* boss = Boss()) boss->SetPhase(11);
    }
    BlendPresets(4, 4, 0.0f);
    Speak(&SceneStage2::Dialogue2);
}

void SceneStage2::Event11(EventSet*) {
    if (Enter(6)) {
        StageScript::ResetWaves(this, &AddEvent_Stage2Waves3);
        StageScript::SetTalkFlag(0);
    }
    BlendPresets(4, 4, 0.0f);
}

void SceneStage2::Event12(EventSet*) {
    if (Enter(4)) {
        if (EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get()) enemies->ClearEvents();
        StageScript::SetTalkFlag(1);
        ShowStageResult();
        m_bossCalledBack = false;
    }
    BlendPresets(4, 4, 0.0f);
    Speak(&SceneStage2::Dialogue3);
}

void SceneStage2::Event14(EventSet* e) {
    const bool first = !m_eventEntered;
    EventFinish(e);
    if (first && !m_singleStage)
        if (SceneRequests* manager = GetGameSceneRegistry().gameManager.Get()) manager->RequestStage3();
}

GraphicManager::SpeakSet* SceneStage2::Dialogue1(SpeakParam& speak) {
    if (speak.lineIndex == kBossCall1) {
        // The boss is called in; the line itself is never shown.
        StageScript::AddEnemyEvents(this, &AddEvent_Stage2Boss);
        speak.lineIndex = kBossCall1 + 1;
    }
    const int count = static_cast<int>(std::size(kDialogue1));
    if (speak.lineIndex >= count) {
        // While the result panel counts, the last line stays up.
        if (IsStageResultFinished()) return nullptr;
        speak.lineIndex = count - 1;
    }
    return StageScript::MakeLine(kDialogue1[speak.lineIndex]);
}

GraphicManager::SpeakSet* SceneStage2::Dialogue2(SpeakParam& speak) {
    if (speak.lineIndex >= static_cast<int>(std::size(kDialogue2))) return nullptr;
    return StageScript::MakeLine(kDialogue2[speak.lineIndex]);
}

GraphicManager::SpeakSet* SceneStage2::Dialogue3(SpeakParam& speak) {
    if (speak.lineIndex == kBossCall3 && !m_bossCalledBack) {
        // The boss is called back once, however long the line stays up.
        m_bossCalledBack = true;
        StageScript::AddEnemyEvents(this, &AddEvent_Stage2Boss);
    }
    if (speak.lineIndex >= kBossBlownAway) {
        if (Enemy_Fesko* boss = Boss()) boss->SetPhase(12);  // explosion, then gone
        if (g_pEnvironment2) g_pEnvironment2->bossTimeLimit = -1.0f;
        StageScript::SetAreaKind(this, 0);
        if (SceneRequests* manager = GetGameSceneRegistry().gameManager.Get()) manager->RequestStage3();
        return nullptr;
    }
    return StageScript::MakeLine(kDialogue3[speak.lineIndex]);
}
