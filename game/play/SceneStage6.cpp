#include "game/play/SceneStage6.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "engine/core/Environment.h"
#include "game/enemy/StageTimetables.h"
#include "game/enemy/types/Enemy_Toska.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/StageScript.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/terrain/AreaFactories.h"

using namespace Quorvex;

namespace {

using Line = StageScript::Line;
constexpr uint32_t kOwn = GraphicManager::kSpeakerColor;
constexpr uint32_t kUnseen = 0xFF8080FF;
constexpr float kHeld = 100.0f;
constexpr float kGlideRate = 0.25f;
constexpr float kLimitRate = 0.2f;
constexpr float kForcedExplosion = 120.0f;

// Dialogue 1, before the boss: index 0 shows an empty window for one step,
// index 1 calls the boss in, index 13 changes the music.
const Line kDialogue1[] = {
    {"", "", 1, kOwn, L""},
    {"velrin", "", 0, kUnseen, L"ここまで来たのね。待っていたわ。"},
    {"velrin", "toska", 0, kOwn, L"はじめまして、ヴェルリン。"},
    {"velrin", "toska", 0, kOwn, L"ここまでの騒ぎは、全部私が呼んだもの。"},
    {"velrin", "toska", 0, kOwn, L"あなたがどこまで飛べるか見たかったの。"},
    {"velrin", "toska", 1, kOwn, L"……それだけのために？"},
    {"velrin", "toska", 1, kOwn, L"みんなを巻き込んだの？"},
    {"velrin", "toska", 0, kOwn, L"退屈だったのよ。"},
    {"velrin", "toska", 0, kOwn, L"でも、あなたは期待以上だった。"},
    {"velrin", "toska", 0, kOwn, L"最後の相手は私。"},
    {"velrin", "toska", 1, kOwn, L"いいよ。"},
    {"velrin", "toska", 1, kOwn, L"ここで終わりにしよう。"},
    {"velrin", "toska", 1, kOwn, L"全部まとめて返してもらうから。"},
    {"velrin", "toska", 0, kOwn, L"その意気よ。"},
    {"velrin", "toska", 1, kOwn, L"行くよ！"},
    {"velrin", "toska", 0, kOwn, L"さあ、最後の空へ。"},
    {"velrin", "toska", 1, kOwn, L"負けない！"},
    {"velrin", "toska", 0, kOwn, L"全力で来なさい！"},
};
constexpr int kBossCallIndex = 1;
constexpr int kMusicIndex = 13;

enum : uint32_t { DoneBossCall = 1, DoneMusic = 2, DoneForcedOut = 4 };

}  // namespace

const SceneStage6::Course SceneStage6::kCourse = {
    true, 0, 13, -50.0f, 50.0f, 1, "./data/map/enemap6_1.lua", 3, &AddEvent_Stage6Boss,
};

SceneStage6::SceneStage6() : SceneStage6(kCourse) {}

SceneStage6::SceneStage6(const Course& course) : m_course(course) {
    m_limitReference = StageScript::GetWorldReference();
}

SceneStage6::~SceneStage6() = default;

int SceneStage6::OnInitialize(void* param) {
    if (SceneStage::OnInitialize(param) < 0) return -1;
    StageScript::SetAreaWindows(this, Int3{-3, 0, -1}, Int3{3, 0, 6}, Int3{-4, -1, GetKeepWindowBack()},
                                Int3{4, 1, 8});
    m_glideClock = -1.0f;
    m_glideStart = 0.0f;
    m_glideTarget = 0.0f;
    return 0;
}

void SceneStage6::OnUpdate(float timeStep) {
    SceneStage::OnUpdate(timeStep);
    if (g_pEnvironment2 && g_pEnvironment2->paused) return;
    GlideStep(timeStep);
    LimitStep(timeStep);
}

IAreaFactory* SceneStage6::CreateAreaFactory() {
    return new (std::nothrow) AreaFactory_6(GetAreaManager(), GetObjectManager());
}

void SceneStage6::StartWorldGlide(float target) {
    m_glideStart = m_glideTarget;
    m_glideClock = 0.0f;
    m_glideTarget = target;
}

void SceneStage6::StartLimitTransition(float halfWidth, float extra) {
    if (m_limitClock >= 0.0f) return;
    m_limitClock = 0.0f;
    m_limitHalfWidth = halfWidth;
    m_limitExtra = extra;
    m_limitReference = StageScript::GetWorldReference();
}

void SceneStage6::GlideStep(float timeStep) {
    if (m_glideClock < 0.0f) return;
    m_glideClock += timeStep * kGlideRate;
    float u = m_glideClock;
    if (m_glideClock >= 1.0f) {
        m_glideClock = -1.0f;
        u = 1.0f;
    }
    SetWorldOffset(m_glideStart + (m_glideTarget - m_glideStart) * u);
}

void SceneStage6::LimitStep(float timeStep) {
    if (m_limitClock < 0.0f) return;
    m_limitClock += timeStep * kLimitRate;
    float u = m_limitClock;
    if (m_limitClock >= 1.0f) {
        m_limitClock = -1.0f;
        u = 1.0f;
    }
    StageScript::SetMoveLimit(m_limitReference, GetLimitWidth(u));
}

void SceneStage6::BuildEventList() {
    SceneStage::BuildEventList();
    m_events.clear();
    const Step<SceneStage6> steps[] = {
        {1, true, &SceneStage6::Event1},        {kHeld, false, &SceneStage6::Event2},
        {m_course.mapDuration, true, &SceneStage6::Event3},
        {kHeld, false, &SceneStage6::Event4},   {kHeld, false, &SceneStage6::Event5},
        {kHeld, false, &SceneStage6::Event6},   {kHeld, false, &SceneStage6::Event7},
        {kHeld, false, &SceneStage6::Event8},   {kHeld, false, &SceneStage6::Event9},
        {kHeld, false, &SceneStage6::Event10},  {kHeld, false, &SceneStage6::Event11},
    };
    AppendSteps(steps);
    AppendEvent([this](EventSet* e) { EventFadeOut(e); }, 5, true);
    AppendEvent([this](EventSet* e) { EventFinish(e); }, 5, true);
    if (!m_singleStage) AppendEvent([this](EventSet* e) { Event14(e); }, kHeld, false);
}

void SceneStage6::RememberWorldReference() { m_worldReference = StageScript::GetWorldReference(); }

float SceneStage6::DistanceFlown(float length) const {
    const float flown = AreaPos::Difference(StageScript::GetWorldReference(), m_worldReference).z;
    return length > 0.0f ? flown / length : 0.0f;
}

int SceneStage6::BossPhase() const {
    auto* boss = dynamic_cast<Enemy_Toska*>(StageScript::CurrentBoss());
    return boss ? boss->phase : -1;
}

void SceneStage6::EndAfterBossPhase(int mark) {
    if (BossPhase() > mark) SetSkip();
}

void SceneStage6::Event1(EventSet*) {
    const float cellX = g_WorldGrid.cellSize[0];
    if (!m_eventEntered) {
        if (m_course.whiteFade && m_singleStage) StageScript::FadeFromWhite(0.3f);
        StageScript::SetAreaKind(this, m_course.firstKind);
        SetMusicPhaseReleasing(m_course.music);
        RememberWorldReference();
        StartWorldGlide(m_course.firstGlide);
        GlideStep(1000.0f);
        StartLimitTransition(1.5f * cellX, 2.0f * cellX);
    }
    const float e = std::min(1.0f, DistanceFlown(10.0f * cellX));
    BlendStageLook(1, 1, e);
    if (e >= 1.0f) SetSkip();
}

void SceneStage6::Event2(EventSet*) {
    if (!m_eventEntered) {
        StageScript::SetAreaKind(this, m_course.firstKind);
        RememberWorldReference();
    }
    const float e = std::min(1.0f, DistanceFlown(10.0f * g_WorldGrid.cellSize[2]));
    BlendStageLook(2, 1, e);
    if (e >= 1.0f) SetSkip();
}

void SceneStage6::Event3(EventSet*) {
    if (m_eventEntered) return;
    StageScript::SetAreaKind(this, m_course.mapKind);
    RememberWorldReference();
    StageScript::RestartScript(this, m_course.map);
    StartWorldGlide(-500.0f);
}

void SceneStage6::Event4(EventSet*) {
    if (!m_eventEntered) {
        StageScript::BeginConversation(this);
        m_dialogueDone = 0;
        m_musicPhase = 1;
    }
    AdvanceSpeak([this](SpeakParam& speak) { return Dialogue1(speak); });
}

void SceneStage6::Event5(EventSet*) {
    if (!m_eventEntered) {
        HideStageResult();
        StageScript::SetTalkFlag(0);
        if (auto* boss = dynamic_cast<Enemy_Toska*>(StageScript::CurrentBoss())) boss->SetPhase(3);
    }
    EndAfterBossPhase(3);
}

void SceneStage6::Event6(EventSet*) { EndAfterBossPhase(7); }

void SceneStage6::Event7(EventSet*) {
    if (!m_eventEntered) {
        RememberWorldReference();
        StageScript::SetAreaKind(this, 2);
    }
    if (DistanceFlown(g_WorldGrid.cellSize[0]) >= 1.0f) SetSkip();
}

void SceneStage6::Event8(EventSet*) {
    if (!m_eventEntered) {
        RememberWorldReference();
        StartWorldGlide(-1000.0f);
    }
    if (DistanceFlown(2.0f * g_WorldGrid.cellSize[0]) >= 1.0f) SetSkip();
}

void SceneStage6::Event9(EventSet*) {
    if (!m_eventEntered) StageScript::SetAreaKind(this, m_course.lastKind);
    EndAfterBossPhase(10);
}

void SceneStage6::Event10(EventSet*) { EndAfterBossPhase(12); }

void SceneStage6::Event11(EventSet*) {
    if (!m_eventEntered) {
        StageScript::BeginConversation(this);
        m_dialogueDone = 0;
    }
    AdvanceSpeak([this](SpeakParam& speak) { return Dialogue2(speak); });
}

void SceneStage6::Event14(EventSet*) {
    if (!m_eventEntered) StageScript::HandOver(this, &SceneRequests::RequestEnding);
}

GraphicManager::SpeakSet* SceneStage6::Dialogue1(SpeakParam& speak) {
    if (speak.lineIndex == 0) {
        // One step of an empty window before the first line.
        speak.lineIndex = 1;
        return StageScript::MakeEmptyLine();
    }
    if (speak.lineIndex == kBossCallIndex && !(m_dialogueDone & DoneBossCall)) {
        m_dialogueDone |= DoneBossCall;
        StageScript::AddEnemyEvents(this, m_course.bossEvent);
    }
    if (speak.lineIndex == kMusicIndex && !(m_dialogueDone & DoneMusic)) {
        m_dialogueDone |= DoneMusic;
        SetMusicPhaseReleasing(14);
    }
    if (speak.lineIndex >= static_cast<int>(std::size(kDialogue1))) return nullptr;
    return StageScript::MakeLine(kDialogue1[speak.lineIndex]);
}

GraphicManager::SpeakSet* SceneStage6::Dialogue2(SpeakParam& speak) {
    EnemyEx* boss = StageScript::CurrentBoss();
    if (boss && !(m_dialogueDone & DoneForcedOut)) {
        m_dialogueDone |= DoneForcedOut;
        if (auto* toska = dynamic_cast<Enemy_Toska*>(boss)) {
            toska->phaseCallback.clear();
            toska->ResetPatterns();
        }
        StageScript::ForceBossOut(this, boss, kForcedExplosion);
    }
    if (StageScript::CurrentBoss()) {
        speak.elapsed = 0.0f;
        return StageScript::MakeEmptyLine();
    }
    m_musicPhase = 1;
    return nullptr;
}
