#include "game/play/SceneStage3.h"

#include <iterator>
#include <new>

#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Water.h"
#include "engine/core/Environment.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/StageTimetables.h"
#include "game/enemy/types/Enemy_Pentra.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/StageScript.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/terrain/AreaFactories.h"
#include "game/world/terrain/Ground_SeaSet.h"

using namespace Quorvex;

namespace {

using Line = StageScript::Line;
constexpr uint32_t kOwn = GraphicManager::kSpeakerColor;
constexpr uint32_t kMechanic = 0xFF80FFFF;
constexpr uint32_t kBossVoice = 0xFF8080FF;
constexpr float kHeld = 100.0f;

// Dialogue 1, before the fight. Indices 0 and 1 are never shown (index 0
// sets the line times and calls the boss in), index 2 is an empty window and
// index 17 changes the music and shows line 18.
const Line kDialogue1[] = {
    {"", "", 1, kOwn, L""},
    {"", "", 1, kOwn, L""},
    {"", "", 1, kOwn, L""},
    {"velrin", "", 1, kOwn, L"湖の上に出た。静かすぎるくらいだね。"},
    {"velrin", "", 0, kBossVoice, L"……誰？ 私の湖に入ってくるのは。"},
    {"velrin", "pentra", 0, kBossVoice, L"ここから先へは行かせない。"},
    {"velrin", "pentra", 1, kOwn, L"あなたがこの辺りの主？"},
    {"velrin", "pentra", 0, kOwn, L"主というほどでもないけれど。"},
    {"velrin", "pentra", 1, kOwn, L"ちょっと通してほしいだけなんだけど。"},
    {"velrin", "pentra", 0, kOwn, L"それはできない相談ね。"},
    {"velrin", "bramel", 0, kMechanic, L"ヴェルリン、その子の周りの反応が強くなってる。"},
    {"velrin", "bramel", 1, kOwn, L"わかってる。やるしかないみたい。"},
    {"velrin", "pentra", 0, kOwn, L"湖を荒らす者は沈めるだけ。"},
    {"velrin", "pentra", 1, kOwn, L"沈むのはごめんだよ。"},
    {"velrin", "pentra", 0, kOwn, L"なら、飛び続けてみせなさい。"},
    {"velrin", "pentra", 1, kOwn, L"言われなくても！"},
    {"velrin", "pentra", 0, kOwn, L"水の底まで追いかけてあげる。"},
    {"velrin", "pentra", 0, kOwn, L"覚悟はいい？"},
    {"velrin", "pentra", 0, kOwn, L"覚悟はいい？"},
};
// Dialogue 2, after the fight. Indices 0 and 1 are never shown, index 2 is
// an empty window and index 9 sends the boss off and shows line 10.
const Line kDialogue2[] = {
    {"", "", 1, kOwn, L""},
    {"", "", 1, kOwn, L""},
    {"", "", 1, kOwn, L""},
    {"velrin", "pentra", 0, kOwn, L"……負けたわ。"},
    {"velrin", "pentra", 1, kOwn, L"怪我はない？"},
    {"velrin", "pentra", 0, kOwn, L"平気よ。少し驚いただけ。"},
    {"velrin", "pentra", 1, kOwn, L"この先で何が起きてるか知ってる？"},
    {"velrin", "pentra", 0, kOwn, L"洞窟の奥から嫌な気配がするの。"},
    {"velrin", "pentra", 0, kOwn, L"行くなら気をつけて。"},
    {"velrin", "pentra", 1, kOwn, L"ありがとう。行ってくる。"},
    {"velrin", "pentra", 1, kOwn, L"ありがとう。行ってくる。"},
};

constexpr int kDialogueStart = 2;
constexpr int kMusicIndex = 17;
constexpr int kSendOffIndex = 9;

}  // namespace

SceneStage3::SceneStage3() = default;

SceneStage3::~SceneStage3() { SAFE_RELEASE(m_pWater); }

int SceneStage3::OnInitialize(void* param) {
    if (SceneStage::OnInitialize(param) < 0) return -1;
    ShaderManager* shaders = GetShaderManager();
    if (!shaders && g_pEnvironment2) shaders = g_pEnvironment2->shaderManager;
    auto* water = shaders ? dynamic_cast<Shader_WideWater*>(shaders->GetShader("WideWater")) : nullptr;
    if (!water) return -1;
    water->AddRef();
    SAFE_RELEASE(m_pWater);
    m_pWater = water;
    m_musicPhase = 1;
    return 0;
}

IAreaFactory* SceneStage3::CreateAreaFactory() {
    return new (std::nothrow) AreaFactory_3(GetAreaManager(), GetObjectManager());
}

void SceneStage3::BuildEventList() {
    SceneStage::BuildEventList();
    m_events.clear();
    // Every entry counts as timed: the clock also runs through the held ones.
    static const Step<SceneStage3> kSteps[] = {
        {0, true, &SceneStage3::Event0},     {kHeld, true, &SceneStage3::Event1}, {kHeld, true, &SceneStage3::Event2},
        {kHeld, true, &SceneStage3::Event3}, {kHeld, true, &SceneStage3::Event4}, {5, true, &SceneStage3::Event5},
        {5, true, &SceneStage3::Event6},
    };
    AppendSteps(kSteps);
}

SceneStage::EnvironmentPreset SceneStage3::MakePreset() {
    SetBloomThreshold(0.5f);
    return MakeEnvironmentPreset(5, 4, 0xFF96AECC, {0.3f, 0.3f, 0.3f, 1, 0.6f, 0.6f, 0.6f, 1, 1, 1, 1, 1});
}

void SceneStage3::ApplyLook() { ApplyPreset(MakePreset()); }

AreaPos SceneStage3::MakeArenaReference(const Int3& baseCell) {
    Int3 cell = baseCell;
    cell.z -= cell.z % 2;  // toward zero for either sign
    return AreaPos::FromCell(cell);
}

void SceneStage3::Look() {
    StageScript::Materials(0, 0, 0.0f);
    ApplyLook();
}

void SceneStage3::SetBaseCell(const Int3& cell) {
    if (auto* factory = dynamic_cast<AreaFactory_3*>(StageScript::GetFactory(this))) factory->SetBaseCell(cell);
}

Enemy_Pentra* SceneStage3::Boss() const { return dynamic_cast<Enemy_Pentra*>(StageScript::CurrentBoss()); }

void SceneStage3::Event0(EventSet*) {
    StageScript::SetAreaKind(this, 0);
    Look();
}

void SceneStage3::Event1(EventSet*) {
    if (!m_eventEntered) {
        StageScript::SetAreaKind(this, 0);
        Look();
        StageScript::SetTalkFlag(1);
    }
    AdvanceSpeak([this](SpeakParam& speak) { return Dialogue1(speak); });
}

void SceneStage3::Event2(EventSet*) {
    if (!m_eventEntered) {
        if (EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get()) enemies->ClearEvents();
        HideStageResult();
        StageScript::SetTalkFlag(0);
        if (Enemy_Pentra* boss = Boss()) boss->SetPhase(3);
        SetWorldOffset(0.0f);
        m_arena = MakeArenaReference(
            StageScript::CenterCell());
        StageScript::SetAreaKind(this, 1);
        SetBaseCell(Int3{m_arena.x.cell, m_arena.y.cell, m_arena.z.cell + 10});
        Ground_SeaSet::SetLevel(0.0f);
        Look();
    }
    float dz = 0.0f;
    if (g_pEnvironment2 && g_pEnvironment2->player) {
        // The arena closes as the player comes up to it.
        float playerZ = 0.0f;
        StageScript::PlayerZFrom(m_arena, &playerZ);
        dz = -playerZ;
    }
    const float g = StageScript::Clamp01(-dz / (2.0f * g_WorldGrid.cellSize[2]));
    AreaPos reference = m_arena;
    reference.x.Normalize();
    reference.y.Normalize();
    reference.z.Normalize();
    StageScript::SetMoveLimit(reference, g_WorldGrid.cellSize[0] / 2.0f * g + 150.0f);
    SetSkip();
}

void SceneStage3::Event3(EventSet*) {
    if (m_eventEntered) return;
    StageScript::SetAreaKind(this, 2);
    m_arena.z.cell += 2;
    SetBaseCell(Int3{m_arena.x.cell, m_arena.y.cell, m_arena.z.cell + 10});
    Ground_SeaSet::SetLevel(0.0f);
    Look();
    if (m_pWater) {
        const float ambient[4] = {0.5f, 0.6f, 0.6f, 0.95f};
        const float diffuse[4] = {0.7f, 0.9f, 1.0f, 1.0f};
        const float specular[4] = {0.64f, 0.72f, 0.8f, 0.8f};
        for (int i = 0; i < 4; ++i) {
            m_pWater->m_ambientFactor[i] = ambient[i];
            m_pWater->m_diffuseFactor[i] = diffuse[i];
            m_pWater->m_specularFactor[i] = specular[i];
        }
    }
}

void SceneStage3::Event4(EventSet*) {
    if (!m_eventEntered) {
        Look();
        StageScript::SetTalkFlag(1);
    }
    AdvanceSpeak([this](SpeakParam& speak) { return Dialogue2(speak); });
}

void SceneStage3::Event5(EventSet* e) {
    if (!m_eventEntered) {
        if (EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get()) enemies->ClearEvents();
        StageScript::SetTalkFlag(0);
        if (!m_singleStage) {
            HideStageResult();
            m_musicPhase = 1;
            return;
        }
    }
    if (m_singleStage) EventFadeOut(e);
}

void SceneStage3::Event6(EventSet* e) {
    if (m_singleStage) {
        EventFinish(e);
        return;
    }
    if (!m_eventEntered)
        if (SceneRequests* manager = GetGameSceneRegistry().gameManager.Get()) manager->RequestStage4();
}

GraphicManager::SpeakSet* SceneStage3::Dialogue1(SpeakParam& speak) {
    if (speak.lineIndex == 0) {
        speak.SetLineTimes(kMinShowTime, kAutoTime);
        StageScript::AddEnemyEvents(this, &AddEvent_Stage3Boss);
        speak.lineIndex = kDialogueStart;
    }
    if (speak.lineIndex == 13) speak.autoTime = 1.5f;
    if (speak.lineIndex == 15) speak.autoTime = kAutoTime;
    if (speak.lineIndex == kMusicIndex) {
        SetMusicPhaseReleasing(5);
        speak.lineIndex = kMusicIndex + 1;
    }
    if (speak.lineIndex >= static_cast<int>(std::size(kDialogue1))) return nullptr;
    return StageScript::MakeLine(kDialogue1[speak.lineIndex]);
}

GraphicManager::SpeakSet* SceneStage3::Dialogue2(SpeakParam& speak) {
    if (speak.lineIndex == 0) {
        speak.SetLineTimes(kMinShowTime, kAutoTime);
        speak.lineIndex = kDialogueStart;
    }
    if (speak.lineIndex == kSendOffIndex) {
        if (Enemy_Pentra* boss = Boss()) boss->SetPhase(11);
        speak.lineIndex = kSendOffIndex + 1;
    }
    if (speak.lineIndex >= static_cast<int>(std::size(kDialogue2))) return nullptr;
    return StageScript::MakeLine(kDialogue2[speak.lineIndex]);
}
