#include "game/app/GameManager.h"

#include <cstring>

#include "engine/assets/devices/SoundManager.h"
#include "engine/assets/devices/SoundUnit.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Noise.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/SceneBase.h"
#include "game/frontend/Pause_SelectListTitle.h"
#include "game/frontend/SceneBonus.h"
#include "game/frontend/SceneCharacterSelect.h"
#include "game/frontend/SceneEnding.h"
#include "game/frontend/SceneOption.h"
#include "game/frontend/SceneScore.h"
#include "game/frontend/SceneStageSelect.h"
#include "game/frontend/SceneTitle.h"
#include "game/play/ScenePause.h"
#include "game/play/SceneStage1.h"
#include "game/play/SceneStage2.h"
#include "game/play/SceneStage3.h"
#include "game/play/SceneStage4.h"
#include "game/play/SceneStage5.h"
#include "game/play/SceneStage6.h"
#include "game/play/SceneStageEx.h"
#include "game/state/Environment2.h"
#include "platform/win32/win32.h"

using Quorvex::SceneBase;

namespace {

constexpr int kUpdatePriority = 500;
constexpr int kInitialContinues = 10;

constexpr int kStageEx = 7;
constexpr int kFighterToska = 3;

void LogMissingScene(const wchar_t* what) {
    Quorvex::DebugPrint(L"GameManager: the %s scene is not built yet\r\n", what);
}

// Thrown texts end the program; they are logged first so the reason is kept.
[[noreturn]] void ThrowSceneFailure(const char* text) {
    Quorvex::FormatDebugMessage("%s", text);
    throw text;
}

}  // namespace

GameManager::GameManager(Quorvex::IObjectManager* manager, SceneBase* container)
    : SceneRequests(manager, manager ? CreateRegister | CreateGroupBits : 0), m_pContainer(container) {}

GameManager::~GameManager() {
    std::lock_guard<std::mutex> lock(m_requestMutex);
    m_requests.clear();
}

int GameManager::Initialize(int) {
    SetUpdatePriority(kUpdatePriority);
    g_pEnvironment2->gameManager = this;
    return 0;
}

void GameManager::Update(float timeStep) { playTime += timeStep; }

void GameManager::RunPendingRequests() {
    std::vector<Request> running;
    {
        std::lock_guard<std::mutex> lock(m_requestMutex);
        if (m_requests.empty()) return;
        running.swap(m_requests);
    }
    for (Request& request : running) request(nullptr);
}

SceneBase* GameManager::FindScene(SceneBase* container, const char* name) {
    if (!container || !name) return nullptr;
    for (SceneBase* child : container->GetChildren())
        if (!child->IsFinished() && child->GetName() == name) return child;
    return nullptr;
}

void GameManager::Push(void (GameManager::*callback)(void*)) {
    std::lock_guard<std::mutex> lock(m_requestMutex);
    m_requests.emplace_back([this, callback](void* argument) { (this->*callback)(argument); });
}

// ---------------------------------------------------------------------------
// Request pushers

void GameManager::RequestNewGame() { Push(&GameManager::StartNewGame); }
void GameManager::RequestStage1() { Push(&GameManager::StartStage1); }
void GameManager::RequestStage2() { Push(&GameManager::StartStage2); }
void GameManager::RequestStage3() { Push(&GameManager::StartStage3); }
void GameManager::RequestStage4() { Push(&GameManager::StartStage4); }
void GameManager::RequestStage5() { Push(&GameManager::StartStage5); }
void GameManager::RequestStage6() { Push(&GameManager::StartStage6); }
void GameManager::RequestStageEx() { Push(&GameManager::StartStageEx); }
void GameManager::RequestEnding() { Push(&GameManager::StartEnding); }
void GameManager::RequestBonus() { Push(&GameManager::StartBonus); }
void GameManager::RequestEndAction() { Push(&GameManager::EndAction); }
void GameManager::RequestDeadEnd() { Push(&GameManager::OnDeadEnd); }
void GameManager::RequestContinue() { Push(&GameManager::Continue); }
void GameManager::RequestTitle() { Push(&GameManager::ToTitle); }
void GameManager::RequestStageSelect() { Push(&GameManager::OpenStageSelect); }
void GameManager::RequestOption() { Push(&GameManager::OpenOption); }
void GameManager::RequestScore() { Push(&GameManager::OpenScoreView); }
void GameManager::RequestQuit() { Push(&GameManager::Quit); }
void GameManager::RequestTitleMenu() { Push(&GameManager::ShowTitleMenu); }
void GameManager::RequestFinishToTitleMenu() { Push(&GameManager::FinishToTitleMenu); }
void GameManager::RequestFinishToTitle() { Push(&GameManager::FinishToTitle); }

void GameManager::ResetAndRequestEndAction() {
    CheckHighScore(nullptr);
    RequestEndAction();
}

// ---------------------------------------------------------------------------
// Progress and scores

void GameManager::UpdateProgress() {
    enemiesAppeared = 0;
    enemiesShotDown = 0;
    stageBonus = 0;
    scoreMultiplier = 0.0f;
    scoreGauge = 0.0f;
    Environment2* env = g_pEnvironment2;
    if (env->difficulty >= 1 && env->difficulty <= 4) {
        int32_t& unlocked = env->activeStage[env->difficulty - 1];
        if (env->level > unlocked) unlocked = env->level;
    }
    CommitStageScore();
    env->SaveSettings();
}

void GameManager::GrantEndingUnlocks() {
    Environment2* env = g_pEnvironment2;
    constexpr int kExtraLevel = Pause_SelectListTitle::kExtraLevel;
    if (env->difficulty >= 1 && env->difficulty <= 4) {
        const bool offeredBefore = Pause_SelectListTitle::IsExtraUnlocked();
        int32_t& unlocked = env->activeStage[env->difficulty - 1];
        if (unlocked < kExtraLevel) unlocked = kExtraLevel;
        if (!offeredBefore) env->bonusFlags[SceneEnding::kNoticeExtraStage] = 1;
    }
    if (env->level != kExtraLevel) return;
    if (!env->active_toska) {
        env->active_toska = 1;
        env->bonusFlags[SceneEnding::kNoticeToska] = 1;
    }
    if (env->fighter == kFighterToska) env->active_bramel = 1;
}

namespace {

// Whether the run's choices name a table slot (they are set by scenes; a
// value outside the tables must not be used as an index).
bool IsRunSlot(const Environment2& env, bool withLevel) {
    return env.fighter >= 0 && env.fighter < Environment2::kFighterSlots && env.difficulty >= 0 &&
           env.difficulty < Environment2::kDifficultySlots &&
           (!withLevel || (env.level >= 0 && env.level < Environment2::kLevelSlots));
}

}  // namespace

void GameManager::CommitStageScore() {
    Environment2* env = g_pEnvironment2;
    stageScore += stageBonus;
    totalScore += stageBonus;
    if (IsRunSlot(*env, true)) env->runScore[env->fighter][env->difficulty][env->level] += stageScore;
    stageScore = 0;
    enemiesAppeared = 0;
    enemiesShotDown = 0;
    stageBonus = 0;
}

int GameManager::CheckHighScore(int* out) {
    CommitStageScore();
    Environment2* env = g_pEnvironment2;
    const bool valid = IsRunSlot(*env, false);
    int marked = 0;
    for (int level = 0; level < kLevelSlots; ++level) {
        if (out) out[level] = -1;
        if (!valid) continue;
        const int64_t run = env->runScore[env->fighter][env->difficulty][level];
        const int64_t* ranking = env->rankingScore[env->fighter][env->difficulty][level];
        bool beaten = false;
        for (int rank = Environment2::kRankCount - 1; rank >= 0; --rank) {
            if (ranking[rank] < run) {
                if (out) out[level] = rank;
                beaten = true;
            }
        }
        if (beaten) ++marked;
    }
    return marked;
}

// ---------------------------------------------------------------------------
// Scene helpers

void GameManager::RemoveScenes(const char* name, void (GameManager::*afterEach)()) {
    if (!m_pContainer) return;
    // Finished scenes too: removing one at once also drops it from its
    // parent's removal queue.
    for (;;) {
        SceneBase* found = nullptr;
        for (SceneBase* child : m_pContainer->GetChildren())
            if (child->GetName() == name) {
                found = child;
                break;
            }
        if (!found) return;
        m_pContainer->SubScene(found);
        if (afterEach) (this->*afterEach)();
    }
}

void GameManager::StopSounds() {
    if (m_pContainer && m_pContainer->GetSoundManager()) m_pContainer->GetSoundManager()->StopAll();
}

void GameManager::ClearScores() {
    stageScore = 0;
    totalScore = 0;
    std::memset(g_pEnvironment2->runScore, 0, sizeof(g_pEnvironment2->runScore));
}

void GameManager::ResetRun() {
    ClearScores();
    g_pEnvironment2->continueCount = 0;
}

int GameManager::StartChild(SceneBase* scene, void* param) {
    if (!scene || !m_pContainer) return -1;
    return m_pContainer->StartScene(scene, nullptr, param);
}

void GameManager::ReleaseGroundGenerator() { g_pEnvironment2->SetGroundGenerator(nullptr); }

void GameManager::ReleaseStageObjects() {
    Environment2* env = g_pEnvironment2;
    env->SetGroundGenerator(nullptr);
    env->SetViewObject(nullptr);
    env->SetLightObject(nullptr);
    env->SetPlayer(nullptr);
    env->followedObject = nullptr;
}

void GameManager::LeaveFrontEnd() {
    RemoveScenes("charaselect", &GameManager::ReleaseGroundGenerator);
    RemoveScenes("title", &GameManager::ReleaseGroundGenerator);
    Environment2* env = g_pEnvironment2;
    env->bossTimeLimit = 0.0f;
    env->currentBoss = nullptr;
    Quorvex::ShaderManager* shaders = m_pContainer ? m_pContainer->GetShaderManager() : env->shaderManager;
    if (shaders)
        if (auto* noise = dynamic_cast<Quorvex::Shader_Noise*>(shaders->GetShader("Noise"))) noise->SetStrength(0.0f);
}

// ---------------------------------------------------------------------------
// Scene makers. Scenes that are not part of the build yet log and give null.

SceneBase* GameManager::CreateTitleScene() { return new SceneTitle(); }

SceneBase* GameManager::CreateCharacterSelectScene() { return new SceneCharacterSelect(); }

SceneBase* GameManager::CreateStageScene(int stage) {
    switch (stage) {
    case 1: return new SceneStage1();
    case 2: return new SceneStage2();
    case 3: return new SceneStage3();
    case 4: return new SceneStage4();
    case 5: return new SceneStage5();
    case 6: return new SceneStage6();
    case kStageEx: return new SceneStageEx();
    default: LogMissingScene(L"unknown stage"); return nullptr;
    }
}

SceneBase* GameManager::CreateEndingScene() { return new SceneEnding(); }

SceneBase* GameManager::CreateBonusScene() { return new SceneBonus(); }

SceneBase* GameManager::CreateStageSelectScene() { return new SceneStageSelect(); }

SceneBase* GameManager::CreateOptionScene() { return new SceneOption(); }

SceneBase* GameManager::CreateScoreScene() { return new SceneScore(); }

// ---------------------------------------------------------------------------
// Callbacks

void GameManager::StartNewGame(void*) {
    RemoveScenes("title");
    UpdateProgress();
    ResetRun();
    OpenCharaSelect(nullptr);
}

void GameManager::OpenCharaSelect(void*) {
    m_startParam = {this, 0};
    StartChild(CreateCharacterSelectScene(), &m_startParam);
}

void GameManager::StartStage1(void*) { StartStage(1, 1.0f, 1); }
void GameManager::StartStage2(void*) { StartStage(2, 1.15f, 2); }
void GameManager::StartStage3(void*) { StartStage(3, 1.15f, 2); }
void GameManager::StartStage4(void*) { StartStage(4, 1.25f, 3); }
void GameManager::StartStage5(void*) { StartStage(5, 1.35f, 4); }
void GameManager::StartStage6(void*) { StartStage(6, 1.5f, 5); }
void GameManager::StartStageEx(void*) { StartStage(kStageEx, 1.0f, 6); }

void GameManager::StartStage(int stage, float damageFactor, int level) {
    LeaveFrontEnd();
    Environment2* env = g_pEnvironment2;
    env->damageFactor = damageFactor;
    env->level = level;
    UpdateProgress();

    SceneBase* running = FindScene(m_pContainer, "action");
    SceneBase* next = CreateStageScene(stage);
    if (!next) return;
    m_startParam = {this, env->singleStage};
    if (!running) {
        StartChild(next, &m_startParam);
        return;
    }
    next->AddRef();
    if (running->StartSiblingScene(next, &m_startParam) < 0) {
        // The running stage goes on.
        next->Release();
        return;
    }
    running->TransferChildScene(next);
    running->TransferOriginalPointer(next);
    running->SetFinished(true);
    if (SceneBase* parent = running->GetParent()) parent->RequestSubScene(running);
    next->Release();
}

void GameManager::StartEnding(void*) {
    // Unlocked before the save, so the settings file keeps them.
    GrantEndingUnlocks();
    UpdateProgress();
    RemoveScenes("action");
    StopSounds();
    SceneBase* scene = CreateEndingScene();
    if (scene && StartChild(scene, nullptr) < 0) ThrowSceneFailure("エンディングシーンの作成に失敗");
}

void GameManager::StartBonus(void*) {
    RemoveScenes("ending");
    StopSounds();
    SceneBase* scene = CreateBonusScene();
    if (scene && StartChild(scene, nullptr) < 0) ThrowSceneFailure("ボーナスシーンの作成に失敗");
}

void GameManager::EndAction(void*) {
    RemoveScenes("action");
    StopSounds();
    const int beaten = CheckHighScore(nullptr);
    m_startParam = {this, beaten > 0 ? 2 : 1};
    StartChild(CreateScoreScene(), &m_startParam);
}

void GameManager::OnDeadEnd(void*) {
    --continuesLeft;
    Environment2* env = g_pEnvironment2;
    // The continue menu on the pause scene the running stage created.
    if (env->actionScene && env->pauseScene) env->pauseScene->SetMode(2, false);
    Quorvex::SoundManager* sounds = m_pContainer ? m_pContainer->GetSoundManager() : env->soundManager;
    if (!sounds) return;
    // Play refuses a start within the sound's re-trigger interval and
    // otherwise stores the start time.
    if (Quorvex::SoundUnit* sound = sounds->FindSound(L"deadend")) sound->Play(Quorvex::SoundUnit::PLAY_REWIND);
}

void GameManager::Continue(void*) {
    LeaveFrontEnd();
    // Every stage scene, also one already finished by a stage change.
    RemoveScenes("action", &GameManager::ReleaseStageObjects);
    Environment2* env = g_pEnvironment2;
    ++env->continueCount;
    ClearScores();
    switch (env->level) {
    case 1: RequestStage1(); break;
    case 2: RequestStage2(); break;
    case 3: RequestStage4(); break;
    case 4: RequestStage5(); break;
    case 5: RequestStage6(); break;
    case 6: RequestStageEx(); break;
    default: RequestTitle(); break;
    }
}

void GameManager::ToTitle() {
    RemoveScenes("action");
    RemoveScenes("ending");
    RemoveScenes("bonus");
    StopSounds();
    SceneBase* scene = CreateTitleScene();
    if (scene && StartChild(scene, nullptr) < 0) ThrowSceneFailure("タイトルシーンの作成に失敗");
}

void GameManager::OpenStageSelect(void*) {
    m_startParam = {this, 0};
    StartChild(CreateStageSelectScene(), &m_startParam);
}

void GameManager::OpenOption(void*) {
    m_startParam = {this, 0};
    StartChild(CreateOptionScene(), &m_startParam);
}

void GameManager::OpenScoreView(void*) {
    m_startParam = {this, 1};
    StartChild(CreateScoreScene(), &m_startParam);
}

void GameManager::Quit(void*) { PostQuitMessage(0); }

void GameManager::ShowTitleMenu(void*) {
    auto* title = dynamic_cast<SceneTitle*>(FindScene(m_pContainer, "title"));
    if (title && title->GetMenu()) title->GetMenu()->SetFired(false);
}

void GameManager::FinishToTitleMenu(void*) {
    UpdateProgress();
    ResetRun();
    g_pEnvironment2->SaveSettings();
    ShowTitleMenu(nullptr);
}

void GameManager::FinishToTitle(void*) {
    UpdateProgress();
    ResetRun();
    g_pEnvironment2->SaveSettings();
    if (FindScene(m_pContainer, "title"))
        ShowTitleMenu(nullptr);
    else
        ToTitle();
}
