#include "game/play/SceneStage.h"

#include <algorithm>
#include <cmath>

#include "engine/assets/BlendAdditionalMaterial.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/assets/devices/SoundManager.h"
#include "engine/assets/devices/SoundUnit.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Bloom.h"
#include "engine/core/Environment.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderParameter.h"
#include "game/enemy/Enemy.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/HudManager.h"
#include "game/play/ResultSet.h"
#include "game/player/Player.h"
#include "game/screen/GraphicObject.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/terrain/GroundFactories.h"
#include "game/world/terrain/GroundGenerator.h"
#include "game/world/terrain/SkyDome.h"

using namespace Quorvex;

namespace {

// The ground sits this far above the sea.
constexpr float kGroundAboveSea = 50.0f;
constexpr float kStartFrameTime = 0.016f;
constexpr float kMusicFadePerSecond = 0.5f;
// Object group of the enemies that built their collision model.
constexpr int kEnemyGroup = 7;
constexpr float kClearExplosionSize = 10.0f;

BYTE ColourByte(float channel) {
    if (channel >= 1.0f) return 255;
    if (channel <= 0.0f) return 0;
    return static_cast<BYTE>(std::floor(channel * 255.0f + 0.5f));
}

float ChannelOf(D3DCOLOR colour, int shift) { return static_cast<float>((colour >> shift) & 0xFF) / 255.0f; }

// The twelve light values of a preset row.
struct PresetRow {
    float far;
    float near;
    D3DCOLOR fog;
    float light[12];
};

ShaderManager* Shaders() { return g_pEnvironment2 ? g_pEnvironment2->shaderManager : nullptr; }

}  // namespace

SceneStage::SceneStage() = default;

SceneStage::~SceneStage() {
    if (IsLastOfWorld()) {
        GameSceneRegistry& registry = GetGameSceneRegistry();
        // Outside the stages the game state names no player.
        Environment2* env = g_pEnvironment2;
        if (env && env->player && env->player == registry.player.Get()) {
            if (env->followedObject == env->player) env->followedObject = nullptr;
            env->SetPlayer(nullptr);
        }
        registry.hudManager.Clear();
        registry.player.Clear();
    }
    if (m_musicPhase != 0) {
        m_musicPhase = 0;
        StopMusic();
    }
    m_events.clear();
}

int SceneStage::OnInitialize(void* param) {
    if (SceneAction::OnInitialize(param) < 0) return -1;
    GameSceneRegistry& registry = GetGameSceneRegistry();
    Environment2* env = g_pEnvironment2;
    ObjectManager* objects = GetObjectManager();
    if (!registry.player.Get() && objects) {
        const D3DXVECTOR3* cell = g_pEnvironment ? g_pEnvironment->GetAreaCellSize() : nullptr;
        const D3DXVECTOR3 start(cell ? cell->x * 0.5f : 0.0f, 100.0f, cell ? cell->z * 0.5f : 0.0f);
        const AreaPos position = AreaPos::FromWorld(start);
        if (env) env->centerInfo.pos = position;
        auto* player = new Player(objects, GetAreaManager(), position);
        registry.player.Set(player);
        Player::InitParam record;
        record.inputManager = GetInputManager();
        record.markerGenerator = registry.markerGenerator.Get();
        record.blurManager = registry.blurManager.Get();
        // A machine that fails to set up still flies the stage.
        player->Initialize(record);
    }
    if (!registry.hudManager.Get() && objects) {
        auto* hud = new HudManager(objects, env ? env->player : nullptr);
        registry.hudManager.Set(hud);
        hud->Initialize(0);
    }
    if (InputManager* input = GetInputManager()) input->ClearCommandStates();
    if (g_pEnvironment) {
        g_pEnvironment->SetFrameTime(kStartFrameTime);
        g_pEnvironment->SetElapsedTime(kStartFrameTime);
    }
    m_musicPhase = 2;
    BuildEventList();
    return 0;
}

void SceneStage::OnUpdate(float timeStep) {
    SceneAction::OnUpdate(timeStep);
    Environment2* env = g_pEnvironment2;
    if (env && !env->paused) StepEventTimeline(timeStep);
    if (env && env->player && env->player->GetLifeValue() <= 0.0f && m_musicPhase != 1) m_musicPhase = 1;
    UpdateMusicPhase(g_pEnvironment ? g_pEnvironment->GetMeasuredFrameTime() : timeStep);
}

void SceneStage::BuildEventList() {
    m_eventClock = 0.0f;
    m_eventElapsed = 0.0f;
    m_eventProgress = 0.0f;
    m_advanceRequested = 0;
    m_eventEntered = 0;
    m_speak = SpeakParam();
    m_eventIndex = 0;
}

void SceneStage::AddEvent(float start, float duration, bool timed, void (SceneStage::*callback)(EventSet*)) {
    AddEvent(start, duration, timed, [this, callback](EventSet* entry) { (this->*callback)(entry); });
}

void SceneStage::AddEvent(float start, float duration, bool timed, std::function<void(EventSet*)> callback) {
    EventSet entry;
    entry.start = start;
    entry.duration = duration;
    entry.timed = timed ? 1.0f : 0.0f;
    entry.callback = std::move(callback);
    m_events.push_back(std::move(entry));
}

void SceneStage::AppendEvent(std::function<void(EventSet*)> callback, float duration, bool timed) {
    AddEvent(m_events.empty() ? 0.0f : m_events.back().start + m_events.back().duration, duration, timed,
             std::move(callback));
}

void SceneStage::StepEventTimeline(float timeStep) {
    // Past the last entry the timeline rests (every stage leaves before).
    if (m_eventIndex >= m_events.size()) return;
    EventSet& entry = m_events[m_eventIndex];
    if (m_advanceRequested) {
        m_advanceRequested = 0;
        m_eventEntered = 0;
        m_eventClock = entry.start + entry.duration;
        m_eventElapsed = 0.0f;
        m_eventProgress = 0.0f;
        m_speak = SpeakParam();
        ++m_eventIndex;
        return;
    }
    if (entry.start > m_eventClock) m_eventClock = entry.start;
    if (entry.callback) entry.callback(&entry);
    m_eventEntered = 1;
    if (entry.timed != 0.0f) {
        m_eventClock += timeStep;
        m_eventElapsed += timeStep;
        m_eventProgress = entry.duration > 0.0f ? m_eventElapsed / entry.duration : 1.0f;
    }
    if (entry.start + entry.duration <= m_eventClock) m_advanceRequested = 1;
}

void SceneStage::AdvanceSpeak(const SpeakCallback& lines) {
    SpeakParam& speak = m_speak;
    InputManager* input = GetInputManager();
    const bool next = input && input->IsCommandPressed("NextSpeak");
    const bool skip = input && input->IsCommandOn("NextSpeakSkip");
    const bool shownLongEnough = speak.elapsed >= speak.minShowTime;
    if ((next && shownLongEnough) || speak.elapsed >= std::max(speak.minShowTime, speak.autoTime) ||
        (skip && shownLongEnough)) {
        ++speak.lineIndex;
        speak.elapsed = 0.0f;
    }
    speak.elapsed += g_pEnvironment ? g_pEnvironment->GetFrameTime() : kStartFrameTime;
    GraphicManager* dialogue = GetGameSceneRegistry().graphicManager.Get();
    GraphicManager::SpeakSet* line = lines ? lines(speak) : nullptr;
    if (line) {
        if (dialogue) dialogue->ApplySpeakSet(*line);
        delete line;
        return;
    }
    if (dialogue) dialogue->ApplySpeakSet(GraphicManager::SpeakSet());
    speak.lineIndex = 0;
    SetSkip();
}

// ---------------------------------------------------------------------------
// Music

void SceneStage::SetMusicVolume(float volume) {
    // The music setting reaches the music unit as its master factor.
    if (m_pMusic) m_pMusic->SetVolume(volume);
}

void SceneStage::StopMusic() {
    if (m_pMusic) m_pMusic->Stop();
    m_pMusic = nullptr;
}

void SceneStage::StartMusic(const wchar_t* id, DWORD loopStart, DWORD loopEnd) {
    if (m_pMusic) return;
    SoundManager* sounds = GetSoundManager();
    if (!sounds && g_pEnvironment2) sounds = g_pEnvironment2->soundManager;
    SoundUnit* music = sounds ? sounds->FindSound(id) : nullptr;
    if (!music) return;
    m_pMusic = music;
    // A start within the sound's re-trigger interval is refused by Play.
    music->Play(SoundUnit::PLAY_LOOP | SoundUnit::PLAY_REWIND);
    music->SetLoopRegion(loopStart, loopEnd);
    SetMusicVolume(1.0f);
}

void SceneStage::UpdateMusicPhase(float s) {
    switch (m_musicPhase) {
    case 1:
    case 9:
    case 12:
    case 17:
        if (m_pMusic) {
            const float volume = std::max(0.0f, m_pMusic->GetVolume() - s * kMusicFadePerSecond);
            SetMusicVolume(volume);
            if (volume <= 0.0f) StopMusic();
        }
        break;
    case 2: m_musicPhase = 3; break;
    case 3:
    case 7: StartMusic(L"mu1", 1052578, 23965704); break;
    case 4: StartMusic(L"mu2", 1964214, 16996139); break;
    case 5: StartMusic(L"mu3", 1052578, 11441304); break;
    case 8: StartMusic(L"mu4", 176400, 13335839); break;
    case 10:
    case 13:
    case 16: StartMusic(L"mu7", 176400, 36867600); break;
    case 11: StartMusic(L"mu5", 186983, 12612600); break;
    case 14: StartMusic(L"mu6", 121186, 23974877); break;
    case 15: StartMusic(L"mu8", 121186, 23974877); break;
    default: break;  // 0, 6 (silence) and above 17
    }
}

// ---------------------------------------------------------------------------
// Environment presets

SceneStage::EnvironmentPreset SceneStage::GetEnvironmentPreset(int type) {
    SetBloomThreshold(0.75f);
    static const PresetRow kRows[] = {
        {4, 3, 0xFFA6BEDC, {0.4f, 0.4f, 0.4f, 1, 1, 1, 1, 1, 1.5f, 1.5f, 1.5f, 1}},  // default
        {4, 3, 0xFFFFA040, {0.2f, 0.15f, 0.1f, 1, 1, 0.7f, 0.3f, 1, 1.5f, 1, 0.7f, 1}},
        {4, 1, 0xFF080808, {0.2f, 0.2f, 0.5f, 1, 0.1f, 0.1f, 0.2f, 1, 0.75f, 0.75f, 1, 1}},
        {4, 1, 0xFF080808, {0.025f, 0.025f, 0.05f, 1, 0.1f, 0.1f, 0.2f, 1, 0.75f, 0.75f, 1, 1}},
        {2, 0, 0xFF8090A0, {0.4f, 0.4f, 0.4f, 1, 0.6f, 0.6f, 0.6f, 1, 1, 1, 1, 1}},
        {10, 8, 0xFFFFFFFF, {0.2f, 0.2f, 0.2f, 1, 0, 0, 0, 1, 0, 0, 0, 1}},
        {3, 0, 0xFFA6BEDC, {0.2f, 0.2f, 0.2f, 1, 0.4f, 0.4f, 0.4f, 1, 1.5f, 1.5f, 1.5f, 1}},
        {1, 0, 0xFF010102, {0.05f, 0.05f, 0.1f, 1, 0.2f, 0.2f, 0.3f, 1, 0.2f, 0.2f, 0.3f, 1}},
        {3.5f, 0.5f, 0xFF010108, {0.1f, 0.1f, 0.2f, 1, 0.3f, 0.3f, 0.6f, 1, 0.3f, 0.3f, 0.6f, 1}},
        {4, 1.5f, 0xFF010108, {0.2f, 0.15f, 0.1f, 1, 0.6f, 0.3f, 0.2f, 1, 0.6f, 0.3f, 0.2f, 1}},
        {8, 7, 0xFFA6BEDC, {0.4f, 0.4f, 0.4f, 1, 1, 1, 1, 1, 1.5f, 1.5f, 1.5f, 1}},
        {6, 5, 0xFFC090C0, {0.4f, 0.4f, 0.4f, 1, 1, 1, 1, 1, 1.5f, 1.5f, 1.5f, 1}},
    };
    const PresetRow& row = kRows[type >= 1 && type <= 11 ? type : 0];
    return MakeEnvironmentPreset(row.far, row.near, row.fog, row.light);
}

SceneStage::EnvironmentPreset SceneStage::MakeEnvironmentPreset(float farCells, float nearCells, D3DCOLOR fogColour,
                                                                const float (&light)[12]) {
    const float cell = g_WorldGrid.cellSize[0];
    EnvironmentPreset preset;
    preset.fog.enable = 2;
    preset.fog.farValue = farCells * cell;
    preset.fog.nearValue = nearCells * cell;
    preset.fog.color = fogColour;
    std::copy(std::begin(light), std::end(light), preset.light);
    return preset;
}

void SceneStage::SetBloomThreshold(float value) {
    if (ShaderManager* shaders = Shaders())
        if (auto* bloom = dynamic_cast<Shader_Bloom*>(shaders->GetShader("Bloom"))) bloom->m_threshold = value;
}

SceneStage::EnvironmentPreset SceneStage::MixPresets(const EnvironmentPreset& from, const EnvironmentPreset& to,
                                                     float t) {
    if (t <= 0.0f) return from;
    if (t >= 1.0f) return to;
    EnvironmentPreset mixed;
    mixed.fog.enable = t < 0.5f ? from.fog.enable : to.fog.enable;
    mixed.fog.farValue = from.fog.farValue + t * (to.fog.farValue - from.fog.farValue);
    mixed.fog.nearValue = from.fog.nearValue + t * (to.fog.nearValue - from.fog.nearValue);
    D3DCOLOR colour = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const float a = ChannelOf(from.fog.color, shift);
        const float b = ChannelOf(to.fog.color, shift);
        colour |= static_cast<D3DCOLOR>(ColourByte(a + t * (b - a))) << shift;
    }
    mixed.fog.color = colour;
    for (int i = 0; i < 12; ++i) mixed.light[i] = from.light[i] + t * (to.light[i] - from.light[i]);
    return mixed;
}

void SceneStage::ApplyPreset(const EnvironmentPreset& preset) {
    if (ShaderManager* shaders = Shaders()) shaders->SetFog(preset.fog);
    IResourceManager* resources = g_pEnvironment2 ? g_pEnvironment2->resourceManager : nullptr;
    if (RenderParameter* parameters = resources ? resources->GetRenderParameter() : nullptr) {
        const float* v = preset.light;
        parameters->m_ambient = D3DXVECTOR4(v[0], v[1], v[2], v[3]);
        parameters->m_diffuse = D3DXVECTOR4(v[4], v[5], v[6], v[7]);
        parameters->m_specular = D3DXVECTOR4(v[8], v[9], v[10], v[11]);
    }
}

void SceneStage::BlendEnvironmentPresets(int fromType, int toType, float t) {
    BlendPresets(&GetEnvironmentPreset, fromType, toType, t);
}

void SceneStage::SetMusicPhaseReleasing(int32_t phase) {
    m_musicPhase = phase;
    StopMusic();
}

void SceneStage::BlendPresets(EnvironmentPreset (*make)(int), int kindA, int kindB, float t) {
    if (t <= 0.0f)
        ApplyPreset(make(kindA));
    else if (t >= 1.0f)
        ApplyPreset(make(kindB));
    else
        ApplyPreset(MixPresets(make(kindA), make(kindB), t));
}

void SceneStage::BlendStageLook(int toType, int fromType, float t) {
    GroundGenerator* ground = g_pEnvironment2 ? g_pEnvironment2->groundGenerator : nullptr;
    if (SkyDome* sky = ground ? ground->GetSkyDome() : nullptr) BlendAdditionalMaterial(sky, toType, fromType, t);
    BlendEnvironmentPresets(fromType, toType, t);
}

// ---------------------------------------------------------------------------
// Field, result panel and ground

bool SceneStage::ExplodeKind7Objects() {
    ObjectManager* objects = GetObjectManager();
    if (!objects) return true;
    EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr;
    // Collected first: each vanish takes its enemy out of the group.
    std::vector<Enemy*> members;
    ObjectManager::GroupIterator cursor;
    for (Object* o = objects->GetFirstInGroup(kEnemyGroup, &cursor); o; o = objects->GetNextInGroup(&cursor))
        if (auto* enemy = dynamic_cast<Enemy*>(o)) {
            enemy->AddRef();
            members.push_back(enemy);
        }
    for (Enemy* enemy : members) {
        if (effects) effects->CreateExplosion(enemy->GetWorldPosition(), kClearExplosionSize, 0);
        enemy->Vanish();
        enemy->Release();
    }
    return true;
}

void SceneStage::SetWorldOffset(float h) {
    Environment2* env = g_pEnvironment2;
    const D3DXVECTOR3 ground(0.0f, h + kGroundAboveSea, 0.0f);
    const D3DXVECTOR3 groundChange = ground - env->groundOffset;
    env->worldOffset = D3DXVECTOR3(0.0f, h, 0.0f);
    env->groundOffset = ground;
    GroundGenerator* generator = env->groundGenerator;
    if (!generator) return;
    Ground_PieceFactory* const pools[] = {generator->GetFlowerFactory(), generator->GetBuildingFactory(),
                                          generator->GetYamaFactory(), generator->GetBlockFactory(),
                                          generator->GetTreeFactory()};
    for (Ground_PieceFactory* pool : pools)
        if (pool) pool->ShiftAll(groundChange);
}

void SceneStage::EventFadeOut(EventSet* entry) {
    if (!m_eventEntered) {
        HideStageResult();
        StartScreenFade(D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f), entry->duration > 0.0f ? 1.0f / entry->duration : 1.0f);
    }
    SetMusicVolume(1.0f - m_eventProgress);
}

void SceneStage::EventFinish(EventSet*) {
    if (m_eventEntered) return;
    SetMusicVolume(0.0f);
    if (!m_singleStage) return;
    if (SceneRequests* manager = GetGameSceneRegistry().gameManager.Get()) manager->ResetAndRequestEndAction();
}

void SceneStage::ShowStageResult() {
    HudManager* hud = GetGameSceneRegistry().hudManager.Get();
    if (!hud) return;
    hud->m_resultShown = 1;
    if (ResultSet* result = hud->GetResultSet()) result->Start();
}

void SceneStage::HideStageResult() {
    HudManager* hud = GetGameSceneRegistry().hudManager.Get();
    if (!hud) return;
    hud->m_resultShown = 0;
    if (ResultSet* result = hud->GetResultSet()) result->Hide();
}

bool SceneStage::IsStageResultFinished() const {
    HudManager* hud = GetGameSceneRegistry().hudManager.Get();
    ResultSet* result = hud ? hud->GetResultSet() : nullptr;
    return !result || result->IsFinished();
}

void SceneStage::StartScreenFade(const D3DXCOLOR& colour, float rate) {
    GraphicManager* dialogue = GetGameSceneRegistry().graphicManager.Get();
    if (GraphicObject* fade = dialogue ? dialogue->GetWindow(GraphicManager::ScreenEffect) : nullptr)
        fade->StartFadeToColor(colour, rate);
}

void SceneStage::SetGroundMeshValue(Ground_BlockFactory* blocks, float value) {
    if (blocks) blocks->SetMeshValue(value);
}

void SceneStage::SetBlockShade(Ground_BlockFactory* blocks, float value) {
    if (blocks) blocks->SetPhase(value);
}

void SceneStage::SetTreeLook(Ground_TreeFactory* trees, int type, float value) {
    if (trees) trees->SetLook(type, value);
}
