#include "game/flow/SceneStage2.h"

#include <iterator>
#include <utility>
#include <new>

#include "engine/assets/BlendAdditionalMaterial.h"
#include "engine/core/Environment.h"
#include "game/enemy/EnemyEx.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/StageTimetables.h"
#include "game/enemy/types/BossCommon.h"
#include "game/enemy/types/Enemy_Fesko.h"
#include "game/flow/Environment2.h"
#include "game/flow/GameManager.h"
#include "game/flow/GameSceneRegistry.h"
#include "game/flow/GraphicObject.h"
#include "game/player/Player.h"
#include "game/world/AreaFactoryAdapter.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/terrain/AreaFactories.h"
#include "game/world/terrain/GroundGenerator.h"
#include "game/world/terrain/SkyDome.h"

using namespace Quorvex;

// ---------------------------------------------------------------------------
// StageScript

GraphicManager::SpeakSet* StageScript::MakeLine(const Line& line) {
    auto* set = new GraphicManager::SpeakSet();
    set->leftKey = line.left;
    set->rightKey = line.right;
    set->text = line.text;
    set->leftSpeaks = line.leftSpeaks;
    set->textColor = line.colour;
    return set;
}

GraphicManager::SpeakSet* StageScript::MakeEmptyLine() {
    auto* set = new GraphicManager::SpeakSet();
    set->leftSpeaks = 0;
    set->textColor = GraphicManager::kSpeakerColor;
    return set;
}

void StageScript::AppendEvent(std::vector<SceneStage::EventSet>& list,
                              std::function<void(SceneStage::EventSet*)> callback, float duration, bool timed) {
    SceneStage::EventSet entry;
    entry.start = list.empty() ? 0.0f : list.back().start + list.back().duration;
    entry.duration = duration;
    entry.timed = timed ? 1.0f : 0.0f;
    entry.callback = std::move(callback);
    list.push_back(std::move(entry));
}

void StageScript::SetAreaWindows(SceneBase* stage, const Int3& createMin, const Int3& createMax, const Int3& keepMin,
                                 const Int3& keepMax) {
    if (IAreaManager* areas = stage ? stage->GetAreaManager() : nullptr)
        areas->SetWindows(createMin, createMax, keepMin, keepMax);
}

bool StageScript::PlayerPastBase(SceneBase* stage, float* z) {
    const AreaPos* base = GetBasePosition(stage);
    return base && PlayerZFrom(*base, z);
}

void StageScript::SetTalkFlag(BYTE flag) {
    if (Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr) player->SetTalkFlag(flag);
}

EnemyEx* StageScript::CurrentBoss() { return g_pEnvironment2 ? g_pEnvironment2->currentBoss : nullptr; }

AreaFactoryAdapter* StageScript::GetFactory(SceneBase* stage) {
    IAreaManager* areas = stage ? stage->GetAreaManager() : nullptr;
    return areas ? dynamic_cast<AreaFactoryAdapter*>(areas->GetAreaFactory()) : nullptr;
}

void StageScript::SetAreaKind(SceneBase* stage, int kind) {
    if (AreaFactoryAdapter* factory = GetFactory(stage)) factory->SetKind(kind);
}

int StageScript::GetAreaKind(SceneBase* stage) {
    AreaFactoryAdapter* factory = GetFactory(stage);
    return factory ? factory->GetKind() : -1;
}

AreaPos* StageScript::GetBasePosition(SceneBase* stage) {
    AreaFactoryAdapter* factory = GetFactory(stage);
    if (auto* caves = dynamic_cast<AreaFactory_4*>(factory)) return &caves->m_anchor;
    if (auto* flowers = dynamic_cast<AreaFactory_5*>(factory)) return &flowers->m_anchor;
    if (auto* buildings = dynamic_cast<AreaFactory_6*>(factory)) return &buildings->m_anchor;
    return nullptr;
}

void StageScript::SetBasePositionFromPlayer(SceneBase* stage) {
    Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr;
    AreaPos* base = GetBasePosition(stage);
    if (!player || !base) return;
    AreaPos ahead = player->GetAreaPos().Translated(D3DXVECTOR3(0.0f, 0.0f, 1000.0f));
    ahead.x.offset = 0.0f;
    ahead.y.offset = 0.0f;
    ahead.z.offset = 0.0f;
    *base = ahead;
}

bool StageScript::PlayerZFrom(const AreaPos& point, float* z) {
    Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr;
    if (!player) return false;
    *z = AreaPos::Difference(player->GetAreaPos(), point).z;
    return true;
}

AreaPos StageScript::GetWorldReference() {
    if (g_pEnvironment2) return g_pEnvironment2->centerInfo.pos;
    return AreaPos::FromCell(Int3{g_WorldGrid.centerCell[0], g_WorldGrid.centerCell[1], g_WorldGrid.centerCell[2]});
}

void StageScript::SetMoveLimit(const AreaPos& reference, float halfWidth, bool limitX) {
    Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr;
    if (!player) return;
    const BYTE enable[3] = {static_cast<BYTE>(limitX ? 1 : 0), 1, 0};
    const D3DXVECTOR3& minimum = player->GetMoveLimitMinimum();
    const D3DXVECTOR3& maximum = player->GetMoveLimitMaximum();
    player->SetMoveLimit(enable, reference, D3DXVECTOR3(-halfWidth, minimum.y, minimum.z),
                         D3DXVECTOR3(halfWidth, maximum.y, maximum.z));
}

void StageScript::AddEnemyEvents(SceneStage* stage, EventAdder adder) {
    EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get();
    if (!enemies) return;
    if (adder) adder(enemies);
    enemies->stageScene = stage;
}

void StageScript::ResetWaves(SceneStage* stage, EventAdder adder) {
    EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get();
    if (!enemies) return;
    enemies->ClearEvents();
    if (adder) adder(enemies);
    enemies->stageScene = stage;
}

void StageScript::RestartScript(SceneStage* stage, const char* map) {
    ResetWaves(stage);
    if (stage) stage->ExplodeKind7Objects();
    if (!map) return;
    if (EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get())
        enemies->CreateEnemyScript(map);
}

void StageScript::BeginConversation(SceneStage* stage) {
    stage->ShowStageResult();
    SetTalkFlag(1);
    RestartScript(stage, nullptr);
    SceneStage::SpeakParam& speak = stage->GetSpeakParam();
    speak.minShowTime = 0.5f;
    speak.autoTime = 2.5f;
}

void StageScript::HandOver(SceneStage* stage, void (GameManager::*request)()) {
    stage->HideStageResult();
    SetTalkFlag(0);
    if (GameManager* manager = GetGameSceneRegistry().gameManager.Get()) (manager->*request)();
}

void StageScript::FadeFromWhite(float rate) {
    GraphicManager* dialogue = GetGameSceneRegistry().graphicManager.Get();
    if (GraphicObject* fade = dialogue ? dialogue->GetWindow(GraphicManager::ScreenEffect) : nullptr)
        fade->StartFadeFromColor(D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f), rate);
}

void StageScript::Materials(int kindA, int kindB, float t) {
    GroundGenerator* ground = g_pEnvironment2 ? g_pEnvironment2->groundGenerator : nullptr;
    if (SkyDome* sky = ground ? ground->GetSkyDome() : nullptr) BlendAdditionalMaterial(sky, kindA, kindB, t);
}

void StageScript::ForceBossOut(SceneStage* stage, EnemyEx* boss, float size) {
    if (!boss) return;
    // Held while it vanishes: the vanish may hand the last reference back.
    boss->AddRef();
    BossExplode(boss, size);
    if (stage) stage->ExplodeKind7Objects();
    SetBossTimeLimit(-1.0f);
    boss->Vanish();
    if (g_pEnvironment2 && g_pEnvironment2->currentBoss == boss) g_pEnvironment2->currentBoss = nullptr;
    boss->Release();
}

// ---------------------------------------------------------------------------
// Stage 2

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

// Entry table: start, duration, timed; each start is the previous one's end.
struct Step {
    float start;
    float duration;
    bool timed;
    void (SceneStage2::*callback)(SceneStage::EventSet*);
};

}  // namespace

SceneStage2::SceneStage2() = default;

SceneStage2::~SceneStage2() = default;

int SceneStage2::OnInitialize(void* param) {
    if (SceneStage::OnInitialize(param) < 0) return -1;
    if (m_musicPhase != 2) {
        m_musicPhase = 2;
        StopMusic();
    }
    return 0;
}

IAreaFactory* SceneStage2::CreateAreaFactory() {
    return new (std::nothrow) AreaFactory_2(GetAreaManager(), GetObjectManager());
}

void SceneStage2::BuildEventList() {
    SceneStage::BuildEventList();
    m_events.clear();
    static const Step kSteps[kEventCount] = {
        {0, 5, true, &SceneStage2::Event0},         {5, 25, true, &SceneStage2::Event1},
        {30, 10, true, &SceneStage2::Event2},       {40, 5, true, &SceneStage2::Event3},
        {45, 10, true, &SceneStage2::Event4},       {55, 15, true, &SceneStage2::Event5},
        {70, 100, false, &SceneStage2::Event6},     {170, 100, false, &SceneStage2::Event7},
        {270, 1, true, &SceneStage2::Event8},       {271, 100, false, &SceneStage2::Event9},
        {371, 100, false, &SceneStage2::Event10},   {471, 55, true, &SceneStage2::Event11},
        {526, 100, false, &SceneStage2::Event12},   {626, 5, true, nullptr},
        {631, 5, true, &SceneStage2::Event14},
    };
    for (const Step& step : kSteps) {
        if (step.callback)
            AddEvent(step.start, step.duration, step.timed,
                     [this, cb = step.callback](EventSet* e) { (this->*cb)(e); });
        else
            AddEvent(step.start, step.duration, step.timed, &SceneStage::EventFadeOut);
    }
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

void SceneStage2::BlendPresets(int kindA, int kindB, float t) {
    if (t <= 0.0f)
        ApplyPreset(MakePreset(kindA));
    else if (t >= 1.0f)
        ApplyPreset(MakePreset(kindB));
    else
        ApplyPreset(MixPresets(MakePreset(kindA), MakePreset(kindB), t));
}

bool SceneStage2::Enter(int kind) {
    if (m_eventEntered) return false;
    StageScript::SetAreaKind(this, kind);
    StageScript::Materials(0, 0, 0.0f);
    return true;
}

void SceneStage2::Speak(GraphicManager::SpeakSet* (SceneStage2::*lines)(SpeakParam&)) {
    m_speak.minShowTime = kMinShowTime;
    m_speak.autoTime = kAutoTime;
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
        SetWorldOffset(g_pEnvironment2 ? g_pEnvironment2->groundGenerator : nullptr, 0.0f);
        if (Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr) {
            const Int3 cell{g_WorldGrid.centerCell[0], g_WorldGrid.centerCell[1], g_WorldGrid.centerCell[2]};
            player->SetMoveLimit(player->GetMoveLimitEnable(), AreaPos::FromCell(cell),
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
        // Phase 5 stops the fight, hides the countdown and holds the boss
        // before it moves off.
        if (Enemy_Fesko* boss = Boss()) boss->SetPhase(5);
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
        if (GameManager* manager = GetGameSceneRegistry().gameManager.Get()) manager->RequestStage3();
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
        if (GameManager* manager = GetGameSceneRegistry().gameManager.Get()) manager->RequestStage3();
        return nullptr;
    }
    return StageScript::MakeLine(kDialogue3[speak.lineIndex]);
}
