#include "game/play/SceneStage4.h"

#include <iterator>
#include <new>

#include "engine/core/Environment.h"
#include "game/enemy/StageTimetables.h"
#include "game/enemy/types/Enemy_Gralle.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/StageScript.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/terrain/AreaFactories.h"

using namespace Quorvex;

namespace {

using Line = StageScript::Line;
constexpr uint32_t kOwn = GraphicManager::kSpeakerColor;
constexpr float kHeld = 100.0f;
constexpr float kLimitHalfWidth = 300.0f;
// The line times that hold the dots until the boss is gone.
constexpr float kHoldTime = 1000.0f;

// Dialogue 1, before the boss.
const Line kDialogue1[] = {
    {"velrin", "gralle", 0, kOwn, L"こんな洞窟の奥まで来るなんて、物好きな人。"},
    {"velrin", "gralle", 1, kOwn, L"騒ぎの元を探してるだけだよ。"},
    {"velrin", "gralle", 0, kOwn, L"なら、ここで引き返してもらおうかな。"},
    {"velrin", "gralle", 1, kOwn, L"そういうわけにはいかないね。"},
};
// Dialogue 2, mid-battle.
const Line kDialogue2[] = {
    {"velrin", "gralle", 1, kOwn, L"まだやる気？"},
    {"velrin", "gralle", 0, kOwn, L"当然！ 本番はこれからだよ！"},
};
// Dialogue 3, the boss talked into leaving. Index 12 holds the dots until
// the boss is gone.
const Line kDialogue3[] = {
    {"", "gralle", 0, kOwn, L"もう、しつこいなあ！"},
    {"velrin_koma", "gralle", 1, kOwn, L"そっちこそ。そろそろ話を聞いてくれない？"},
    {"velrin_koma", "gralle", 0, kOwn, L"話？ 今さら？"},
    {"velrin_koma", "gralle", 0, kOwn, L"……まあ、少しだけなら。"},
    {"velrin_koma", "gralle", 1, kOwn, L"この騒ぎ、あなたが起こしたわけじゃないよね。"},
    {"velrin_koma", "gralle", 0, kOwn, L"違うよ。私はここを守ってただけ。"},
    {"velrin_koma", "gralle", 1, kOwn, L"なら、もう戦う理由はないでしょ。"},
    {"velrin_koma", "gralle", 0, kOwn, L"そう言われると、そうかも。"},
    {"velrin_koma", "gralle", 1, kOwn, L"出口まで案内してくれると助かるんだけど。"},
    {"velrin_koma", "gralle", 0, kOwn, L"それは自分で探して。"},
    {"velrin_koma", "gralle", 1, kOwn, L"……ですよね。"},
    {"velrin_koma", "gralle", 0, kOwn, L"じゃあね！ また遊ぼう！"},
    {"velrin_koma", "", 1, kOwn, L"……。"},
    {"velrin", "", 1, kOwn, L"行っちゃった。出口を探そう。"},
};
constexpr int kDotsIndex = 12;

}  // namespace

SceneStage4::SceneStage4() = default;

SceneStage4::~SceneStage4() = default;

int SceneStage4::OnInitialize(void* param) {
    if (SceneStage::OnInitialize(param) < 0) return -1;
    StageScript::SetAreaWindows(this, Int3{-3, 0, -1}, Int3{3, 0, 13}, Int3{-5, -1, -8}, Int3{5, 1, 15});
    StageScript::SetAreaKind(this, 2);
    BlendStageLook(6, 6, 0.0f);
    SetWorldOffset(kCaveOffset);
    return 0;
}

IAreaFactory* SceneStage4::CreateAreaFactory() {
    return new (std::nothrow) AreaFactory_4(GetAreaManager(), GetObjectManager());
}

void SceneStage4::BuildEventList() {
    SceneStage::BuildEventList();
    m_events.clear();
    static const Step<SceneStage4> kSteps[kEventCount] = {
        {1, true, &SceneStage4::Event1},       {kHeld, false, &SceneStage4::Event2},
        {kHeld, false, &SceneStage4::Event3},  {2.5f, true, &SceneStage4::Event4},
        {10, true, &SceneStage4::Event5},      {70, true, &SceneStage4::Event6},
        {kHeld, false, &SceneStage4::Event7},  {kHeld, false, &SceneStage4::Event8},
        {kHeld, false, &SceneStage4::Event9},  {kHeld, false, &SceneStage4::Event10},
        {60, true, &SceneStage4::Event11},     {kHeld, false, &SceneStage4::Event12},
        {kHeld, false, &SceneStage4::Event13}, {kHeld, false, &SceneStage4::Event14},
        {5, true, &SceneStage4::Event15},      {kHeld, false, &SceneStage4::Event16},
        {5, true, &SceneStage4::Event17},      {kHeld, false, &SceneStage4::Event18},
    };
    AppendSteps(kSteps);
}

void SceneStage4::SetBossPhase(int phase) {
    if (auto* boss = dynamic_cast<Enemy_Gralle*>(StageScript::CurrentBoss())) boss->SetPhase(phase);
}

void SceneStage4::EndAtBase(int kind) {
    float z = 0.0f;
    if (StageScript::GetAreaKind(this) == kind && StageScript::PlayerPastBase(this, &z) && z >= 0.0f) SetSkip();
}

void SceneStage4::Event1(EventSet*) {
    if (!m_eventEntered) {
        if (m_singleStage) StageScript::FadeFromWhite(0.3f);
        StageScript::SetAreaKind(this, 1);
        m_musicPhase = 7;
    }
    BlendStageLook(6, 0, m_eventProgress);
    SetWorldOffset(m_eventProgress * kCaveOffset);
}

void SceneStage4::Event2(EventSet*) {
    StageScript::SetAreaKind(this, 2);
    BlendStageLook(6, 6, 0.0f);
    SetWorldOffset(kCaveOffset);
    m_worldReference = StageScript::GetWorldReference();
    SetSkip();
}

void SceneStage4::Event3(EventSet*) {
    if (StageScript::GetAreaKind(this) != 3) return;
    const AreaPos* base = StageScript::GetBasePosition(this);
    float z = 0.0f;
    if (!base || !StageScript::PlayerZFrom(*base, &z)) return;
    const float c = StageScript::Clamp01(z / (2.0f * g_WorldGrid.cellSize[2]));
    BlendStageLook(7, 6, c);
    StageScript::SetMoveLimit(*base, kLimitHalfWidth);
    if (c >= 1.0f) SetSkip();
}

void SceneStage4::Event4(EventSet*) {
    if (m_eventEntered) return;
    StageScript::SetAreaKind(this, 3);
    StageScript::RestartScript(this, "./data/map/enemap4_1.lua");
}

void SceneStage4::Event5(EventSet*) {
    if (!m_eventEntered) StageScript::SetAreaKind(this, 3);
    BlendStageLook(8, 7, m_eventProgress);
}

void SceneStage4::Event6(EventSet*) {
    if (m_eventEntered) return;
    StageScript::SetAreaKind(this, 3);
    BlendStageLook(8, 8, 0.0f);
}

void SceneStage4::Event7(EventSet*) {
    if (!m_eventEntered) {
        StageScript::RestartScript(this, nullptr);
        StageScript::SetTalkFlag(1);
        StageScript::SetAreaKind(this, 3);
        BlendStageLook(8, 8, 0.0f);
        m_speak.SetLineTimes(0.5f, 2.5f);
        StageScript::AddEnemyEvents(this, &AddEvent_Stage4Boss);
    }
    AdvanceSpeak([this](SpeakParam& speak) { return Dialogue1(speak); });
}

void SceneStage4::Event8(EventSet*) {
    if (m_eventEntered) return;
    StageScript::SetTalkFlag(0);
    SetBossPhase(3);
}

void SceneStage4::Event9(EventSet*) {
    if (!m_eventEntered) {
        ShowStageResult();
        StageScript::SetTalkFlag(1);
    }
    AdvanceSpeak([this](SpeakParam& speak) { return Dialogue2(speak); });
}

void SceneStage4::Event10(EventSet*) {
    if (!m_eventEntered) {
        HideStageResult();
        StageScript::SetTalkFlag(0);
        StageScript::RestartScript(this, "./data/map/enemap4_2.lua");
        SetBossPhase(5);
        StageScript::SetAreaKind(this, 4);
        StageScript::SetBasePositionFromPlayer(this);
        BlendStageLook(8, 8, 0.0f);
    }
    EndAtBase(5);
}

void SceneStage4::Event11(EventSet*) {}

void SceneStage4::Event12(EventSet*) {
    if (m_eventEntered) return;
    StageScript::RestartScript(this, nullptr);
    SetBossPhase(7);
}

void SceneStage4::Event13(EventSet*) {
    if (!m_eventEntered) {
        StageScript::SetAreaKind(this, 5);
        ShowStageResult();
        StageScript::SetTalkFlag(1);
        m_bossSentOff = false;
    }
    AdvanceSpeak([this](SpeakParam& speak) { return Dialogue3(speak); });
}

void SceneStage4::Event14(EventSet*) {
    if (!m_eventEntered) {
        HideStageResult();
        StageScript::SetTalkFlag(0);
        StageScript::SetAreaKind(this, 6);
        StageScript::SetBasePositionFromPlayer(this);
    }
    EndAtBase(7);
}

void SceneStage4::Event15(EventSet*) { BlendStageLook(9, 8, m_eventProgress); }

void SceneStage4::Event16(EventSet*) {
    if (!m_eventEntered) {
        StageScript::SetAreaKind(this, 8);
        StageScript::SetBasePositionFromPlayer(this);
    }
    if (StageScript::GetAreaKind(this) != 9) return;
    const AreaPos* base = StageScript::GetBasePosition(this);
    float d = 0.0f;
    if (!base || !StageScript::PlayerZFrom(*base, &d)) return;
    const float twoCells = 2.0f * g_WorldGrid.cellSize[2];
    const float f = StageScript::Clamp01(-d / twoCells);
    BlendStageLook(0, 9, 1.0f - f);
    const float b = StageScript::Clamp01(d / twoCells);
    StageScript::SetMoveLimit(*base, kLimitHalfWidth + b * g_WorldGrid.cellSize[0] / 2.0f, b < 1.0f);
    SetWorldOffset((1.0f - b) * kCaveOffset);
    if (b >= 1.0f) SetSkip();
}

void SceneStage4::Event17(EventSet*) { SetMusicVolume(1.0f - m_eventProgress); }

void SceneStage4::Event18(EventSet*) {
    if (m_eventEntered) return;
    if (SceneRequests* manager = GetGameSceneRegistry().gameManager.Get()) manager->RequestStage5();
}

GraphicManager::SpeakSet* SceneStage4::Dialogue1(SpeakParam& speak) {
    if (speak.lineIndex >= static_cast<int>(std::size(kDialogue1))) {
        SetMusicPhaseReleasing(8);
        return nullptr;
    }
    return StageScript::MakeLine(kDialogue1[speak.lineIndex]);
}

GraphicManager::SpeakSet* SceneStage4::Dialogue2(SpeakParam& speak) {
    if (speak.lineIndex >= static_cast<int>(std::size(kDialogue2))) {
        SetMusicPhaseReleasing(8);
        return nullptr;
    }
    return StageScript::MakeLine(kDialogue2[speak.lineIndex]);
}

GraphicManager::SpeakSet* SceneStage4::Dialogue3(SpeakParam& speak) {
    if (speak.lineIndex == kDotsIndex) {
        if (!m_bossSentOff) {
            m_bossSentOff = true;
            m_musicPhase = 1;
            SetBossPhase(12);
            speak.SetLineTimes(kHoldTime, kHoldTime);
        }
        if (!StageScript::CurrentBoss()) {
            speak.SetLineTimes(0.5f, 2.5f);
        }
    }
    if (speak.lineIndex >= static_cast<int>(std::size(kDialogue3))) return nullptr;
    return StageScript::MakeLine(kDialogue3[speak.lineIndex]);
}
