#include "game/play/SceneStage5.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "engine/assets/RenderGroup_Begin.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Noise.h"
#include "engine/core/Environment.h"
#include "engine/core/render/ObjectManager.h"
#include "game/enemy/StageTimetables.h"
#include "game/enemy/types/Enemy_Orsel.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/StageScript.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/terrain/AreaFactories.h"

using namespace Quorvex;

// ---------------------------------------------------------------------------
// RenderGroup_Noise

RenderGroup_Noise::RenderGroup_Noise() = default;

RenderGroup_Noise::~RenderGroup_Noise() = default;

int RenderGroup_Noise::Prepare(int) {
    ShaderManager* shaders = GetShaderManager();
    if (!shaders) return ShaderLoadFailed;
    if (auto* noise = dynamic_cast<Shader_Noise*>(shaders->GetShader("Noise"))) {
        noise->SetTexture(nullptr);
        return 0;
    }
    ResourceManager* resources = g_pEnvironment2 ? g_pEnvironment2->resourceManager : nullptr;
    auto* noise = new Shader_Noise(resources ? resources->GetRenderParameter() : nullptr, shaders);
    noise->AddRef();
    const bool loaded = noise->LoadShader() >= 0;
    if (loaded) shaders->AddShader(noise);
    noise->Release();
    return loaded ? 0 : ShaderLoadFailed;
}

void RenderGroup_Noise::Draw() {
    IDirect3DDevice9* device = GetDevice();
    ShaderManager* shaders = GetShaderManager();
    if (!device) return;
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    // The stored fog record stays as it is for the next scene fog.
    if (shaders) shaders->SetFogOff();
    if (ObjectManager* manager = GetObjectManager()) manager->BeginStage(this);
    auto* noise = shaders ? dynamic_cast<Shader_Noise*>(shaders->GetShader("Noise")) : nullptr;
    RenderGroup_Begin* begin = RenderGroup_Begin::GetCurrent();
    if (!noise || noise->GetStrength() <= 0.0f || !begin) return;
    begin->Advance();
    if (FAILED(device->SetRenderTarget(0, begin->GetTarget(begin->GetIndex()).GetSurface()))) return;
    noise->SetTexture(begin->GetNextTarget().GetTexture());
    noise->Apply(nullptr, -1, -1);
}

// ---------------------------------------------------------------------------
// Stage 5

namespace {

using Line = StageScript::Line;
constexpr uint32_t kOwn = GraphicManager::kSpeakerColor;
constexpr float kHeld = 100.0f;
constexpr float kFlowerOffset = -50.0f;
constexpr float kForcedExplosion = 120.0f;
constexpr float kNoiseRise = 0.1f;
constexpr float kNoiseAtOnce = 1000.0f;

// Dialogue 1, before the boss: the boss is called in before index 2 and the
// music changes before index 13.
const Line kDialogue1[] = {
    {"velrin", "", 1, kOwn, L"一面の花畑……きれいだけど、なんだか変な感じ。"},
    {"velrin", "", 1, kOwn, L"画面がちらついてる？ 計器の故障かな。"},
    {"velrin", "orsel", 0, kOwn, L"ようこそ、私の舞台へ。"},
    {"velrin", "orsel", 1, kOwn, L"あなたが人形を操ってたの？"},
    {"velrin", "orsel", 1, kOwn, L"この花畑もあなたの仕業？"},
    {"velrin", "orsel", 0, kOwn, L"古い映画みたいで素敵でしょう？"},
    {"velrin", "orsel", 0, kOwn, L"観客はあなた一人だけ。"},
    {"velrin", "orsel", 1, kOwn, L"観客になるつもりはないよ。"},
    {"velrin", "orsel", 0, kOwn, L"なら、役者として踊ってもらうわ。"},
    {"velrin", "orsel", 1, kOwn, L"ずいぶん勝手な脚本だね。"},
    {"velrin", "orsel", 1, kOwn, L"悪いけど、筋書きは変えさせてもらう。"},
    {"velrin", "orsel", 0, kOwn, L"できるものならどうぞ。"},
    {"velrin", "orsel", 1, kOwn, L"行くよ！"},
    {"velrin", "orsel", 0, kOwn, L"さあ、開幕よ。"},
    {"velrin", "orsel", 1, kOwn, L"フィルムごと焼き切ってあげる！"},
    {"velrin", "orsel", 0, kOwn, L"ふふ、楽しみね。"},
    {"velrin", "orsel", 0, kOwn, L"最後まで踊りきれるかしら？"},
};
constexpr int kBossCallIndex = 2;
constexpr int kMusicIndex = 13;

// Dialogue 2, after the boss: index 1 forces the boss out and shows an empty
// window while it is still there.
const Line kDialogue2[] = {
    {"velrin", "orsel", 0, kOwn, L"……幕切れね。今日はここまでにしておくわ。"},
    {"velrin", "", 1, kOwn, L""},
    {"velrin", "", 1, kOwn, L"ちらつきが消えた。先を急ごう。"},
};
constexpr int kForceOutIndex = 1;

// One-time steps of the dialogues.
enum : uint32_t { DoneMusic = 1, DoneNoiseCleared = 2, DoneForcedOut = 4, DoneBossCall = 8 };

}  // namespace

SceneStage5::SceneStage5() = default;

SceneStage5::~SceneStage5() {
    if (m_pNoise) {
        if (ObjectManager* objects = GetObjectManager()) {
            objects->SubRenderGroup(kNoiseGroupName);
            objects->SubRenderStage(kNoiseGroupName);
        }
        m_pNoise->Release();
        m_pNoise = nullptr;
    }
}

int SceneStage5::OnInitialize(void* param) {
    if (SceneStage::OnInitialize(param) < 0) return -1;
    StageScript::SetAreaWindows(this, Int3{-3, 0, -1}, Int3{3, 0, 13}, Int3{-5, -1, -8}, Int3{5, 1, 15});
    ObjectManager* objects = GetObjectManager();
    if (!objects) return -1;
    if (!objects->GetRenderGroup(kNoiseGroupName)) {
        auto* noise = new RenderGroup_Noise();
        noise->AddRef();
        if (noise->Initialize(objects, kNoiseGroupName, 0, 0) < 0) {
            noise->Release();
            return -1;
        }
        m_pNoise = noise;
    }
    return 0;
}

void SceneStage5::OnUpdate(float timeStep) {
    SceneStage::OnUpdate(timeStep);
    if (g_pEnvironment2 && !g_pEnvironment2->paused) UpdateNoise(timeStep);
}

IAreaFactory* SceneStage5::CreateAreaFactory() {
    return new (std::nothrow) AreaFactory_5(GetAreaManager(), GetObjectManager());
}

float SceneStage5::StepNoise(float strength, float target, float rate, float timeStep) {
    if (strength > target) return strength;
    return std::min(1.0f, strength + std::min(target - strength, rate * timeStep));
}

Shader_Noise* SceneStage5::GetNoiseShader() {
    ShaderManager* shaders = g_pEnvironment2 ? g_pEnvironment2->shaderManager : nullptr;
    return shaders ? dynamic_cast<Shader_Noise*>(shaders->GetShader("Noise")) : nullptr;
}

void SceneStage5::UpdateNoise(float timeStep) {
    if (Shader_Noise* noise = GetNoiseShader())
        noise->SetStrength(StepNoise(noise->GetStrength(), m_noiseTarget, m_noiseRate, timeStep));
}

void SceneStage5::BuildEventList() {
    SceneStage::BuildEventList();
    m_events.clear();
    static const Step<SceneStage5> kSteps[] = {
        {1, true, &SceneStage5::Event1},       {kHeld, false, &SceneStage5::Event2},
        {kHeld, false, &SceneStage5::Event3},  {55, true, &SceneStage5::Event4},
        {15, true, &SceneStage5::Event5},      {kHeld, false, &SceneStage5::Event6},
        {kHeld, false, &SceneStage5::Event7},  {kHeld, false, &SceneStage5::Event8},
        {kHeld, false, &SceneStage5::Event9},  {kHeld, false, &SceneStage5::Event10},
        {kHeld, false, &SceneStage5::Event11},
    };
    AppendSteps(kSteps);
    if (m_singleStage) {
        AppendEvent([this](EventSet* e) { EventFadeOut(e); }, 5, true);
        AppendEvent([this](EventSet* e) { EventFinish(e); }, 5, true);
    } else {
        AppendEvent([this](EventSet* e) { Event12(e); }, kHeld, false);
    }
}

int SceneStage5::BossPhase() const {
    auto* boss = dynamic_cast<Enemy_Orsel*>(StageScript::CurrentBoss());
    return boss ? boss->phase : -1;
}

void SceneStage5::Event1(EventSet*) {
    if (!m_eventEntered) {
        if (m_singleStage) StageScript::FadeFromWhite(0.3f);
        StageScript::SetAreaKind(this, 0);
        SetMusicPhaseReleasing(10);
        m_worldReference = StageScript::GetWorldReference();
        StageScript::SetMoveLimit(m_worldReference, g_WorldGrid.cellSize[0] / 2.0f);
    }
    BlendStageLook(0, 0, m_eventProgress);
    SetWorldOffset(m_eventProgress * kFlowerOffset);
}

void SceneStage5::Event2(EventSet*) {
    StageScript::SetAreaKind(this, 1);
    BlendStageLook(0, 0, 0.0f);
    SetWorldOffset(kFlowerOffset);
    m_worldReference = StageScript::GetWorldReference();
    SetSkip();
}

void SceneStage5::Event3(EventSet*) {
    if (StageScript::GetAreaKind(this) != 1) return;
    const AreaPos* base = StageScript::GetBasePosition(this);
    float z = 0.0f;
    if (!base || !StageScript::PlayerZFrom(*base, &z)) return;
    const float twoCells = 2.0f * g_WorldGrid.cellSize[2];
    const float c = StageScript::Clamp01(z / twoCells);
    BlendStageLook(10, 0, c);
    StageScript::SetMoveLimit(*base, g_WorldGrid.cellSize[0] * (2.0f + StageScript::Clamp01(-z / twoCells)));
    if (c >= 1.0f) SetSkip();
}

void SceneStage5::Event4(EventSet*) {
    if (!m_eventEntered) StageScript::RestartScript(this, "./data/map/enemap5_1.lua");
    BlendStageLook(10, 10, 0.0f);
}

void SceneStage5::Event5(EventSet*) { SetNoiseTarget(m_eventProgress * 0.05f, kNoiseAtOnce); }

void SceneStage5::Event6(EventSet*) {
    if (!m_eventEntered) {
        StageScript::BeginConversation(this);
        SetNoiseTarget(0.05f, kNoiseRise);
        m_dialogueDone = 0;
        m_musicPhase = 1;
    }
    AdvanceSpeak([this](SpeakParam& speak) { return Dialogue1(speak); });
}

void SceneStage5::FightStep(float noiseTarget, int phaseMark) {
    if (!m_eventEntered) SetNoiseTarget(noiseTarget, kNoiseRise);
    if (phaseMark >= 0 && BossPhase() > phaseMark) SetSkip();
}

void SceneStage5::Event7(EventSet*) {
    if (!m_eventEntered) {
        HideStageResult();
        StageScript::SetTalkFlag(0);
        if (auto* boss = dynamic_cast<Enemy_Orsel*>(StageScript::CurrentBoss())) boss->SetPhase(3);
    }
    FightStep(0.15f, 4);
}

void SceneStage5::Event8(EventSet*) { FightStep(0.25f, 7); }

void SceneStage5::Event9(EventSet*) { FightStep(0.33f, 9); }

void SceneStage5::Event10(EventSet*) { FightStep(0.5f, -1); }

void SceneStage5::Event11(EventSet*) {
    if (!m_eventEntered) {
        StageScript::BeginConversation(this);
        m_dialogueDone = 0;
    }
    AdvanceSpeak([this](SpeakParam& speak) { return Dialogue2(speak); });
}

void SceneStage5::Event12(EventSet*) {
    if (!m_eventEntered) StageScript::HandOver(this, &SceneRequests::RequestStage6);
}

GraphicManager::SpeakSet* SceneStage5::Dialogue1(SpeakParam& speak) {
    if (speak.lineIndex == kBossCallIndex && !(m_dialogueDone & DoneBossCall)) {
        m_dialogueDone |= DoneBossCall;
        StageScript::AddEnemyEvents(this, &AddEvent_Stage5Boss);
    }
    if (speak.lineIndex == kMusicIndex && !(m_dialogueDone & DoneMusic)) {
        m_dialogueDone |= DoneMusic;
        SetMusicPhaseReleasing(11);
    }
    if (speak.lineIndex >= static_cast<int>(std::size(kDialogue1))) return nullptr;
    return StageScript::MakeLine(kDialogue1[speak.lineIndex]);
}

GraphicManager::SpeakSet* SceneStage5::Dialogue2(SpeakParam& speak) {
    if (speak.lineIndex == kForceOutIndex) {
        EnemyEx* boss = StageScript::CurrentBoss();
        if (boss && !(m_dialogueDone & DoneForcedOut)) {
            m_dialogueDone |= DoneForcedOut;
            if (auto* orsel = dynamic_cast<Enemy_Orsel*>(boss)) {
                // Nothing of the fight survives into the pool: no step, no
                // emitter or doll pattern state, no held doll.
                orsel->phaseStep.clear();
                orsel->phaseTime = 0.0f;
                Enemy_Orsel::ResetParamRecord(orsel->dollRecords[0]);
                Enemy_Orsel::ResetParamRecord(orsel->dollRecords[1]);
                for (Enemy_Orsel::StepRecord& step : orsel->steps) step = Enemy_Orsel::StepRecord();
                orsel->circle.Reset();
            }
            StageScript::ForceBossOut(this, boss, kForcedExplosion);
        }
        if (StageScript::CurrentBoss()) {
            // Held on the empty window while the boss is still there.
            speak.elapsed = 0.0f;
            return StageScript::MakeEmptyLine();
        }
        if (!(m_dialogueDone & DoneNoiseCleared)) {
            m_dialogueDone |= DoneNoiseCleared;
            SetNoiseTarget(0.0f, kNoiseAtOnce);
            if (Shader_Noise* noise = GetNoiseShader()) noise->SetStrength(0.0f);
            m_musicPhase = 1;
        }
        speak.lineIndex = kForceOutIndex + 1;
    }
    if (speak.lineIndex >= static_cast<int>(std::size(kDialogue2))) return nullptr;
    return StageScript::MakeLine(kDialogue2[speak.lineIndex]);
}
