// Around the fights: which music a stage phase plays and how it fades, the
// settings file at start-up, and how the game manager ends a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "engine/assets/devices/SoundManager.h"
#include "engine/sound/WaveFixtures.h"
#include "game/app/GameManager.h"
#include "game/app/SceneFirst.h"
#include "game/flow/FlowTestSupport.h"
#include "game/play/SceneStage.h"
#include "game/state/ParamManager2.h"
#include "platform/dsound/dsound.h"

namespace {

using flow_test::FreshEnvironment;
using flow_test::ReadAll;
using flow_test::TempDir;
using flow_test::WriteAll;

// ---------------------------------------------------------------------------
// The stage music machine

// A stage that was never started: its music machine on its own.
class MusicStage : public SceneStage {
public:
    void SetPhase(int32_t phase) { m_musicPhase = phase; }
    int32_t Phase() const { return m_musicPhase; }
};

class StageMusic : public ::testing::Test {
protected:
    void SetUp() override {
        orv::dsound::UseLoopbackDeviceForTests(44100);
        sounds = new Quorvex::SoundManager();
        sounds->AddRef();
        ASSERT_EQ(sounds->Initialize(nullptr), S_OK);
        const std::wstring path =
            dir.Write("tone.wav", sound_test::Riff(sound_test::Fmt(1, 16) + sound_test::Chunk(
                                                       "data", sound_test::Tone16(44100))))
                .wstring();
        for (const wchar_t* id : {L"mu1", L"mu2", L"mu3", L"mu4", L"mu5", L"mu6", L"mu7", L"mu8"})
            ASSERT_EQ(sounds->LoadSound(id, path.c_str(), false, 1.0f, 0, 0), S_OK);
        env->soundManager = sounds;
        env->musicVolume = 1.0f;
        env->soundEffectVolume = 1.0f;
    }
    void TearDown() override {
        env->soundManager = nullptr;
        SAFE_RELEASE(sounds);
        orv::dsound::UseLoopbackDeviceForTests(0);
    }

    static bool Playing(Quorvex::SoundUnit* unit) {
        DWORD status = 0;
        return unit && unit->GetBuffer() && unit->GetBuffer()->GetStatus(&status) == DS_OK &&
               (status & DSBSTATUS_PLAYING);
    }
    static std::wstring Track(MusicStage& stage) { return stage.GetMusic() ? stage.GetMusic()->GetId() : L""; }

    FreshEnvironment env;
    sound_test::TempDir dir;
    Quorvex::SoundManager* sounds = nullptr;
};

TEST_F(StageMusic, EachPhasePlaysItsTrack) {
    const std::map<int, std::wstring> tracks = {
        {0, L""},     {3, L"mu1"},  {4, L"mu2"},  {5, L"mu3"},  {6, L""},     {7, L"mu1"},  {8, L"mu4"},
        {10, L"mu7"}, {11, L"mu5"}, {13, L"mu7"}, {14, L"mu6"}, {15, L"mu8"}, {16, L"mu7"}, {18, L""},
    };
    for (const auto& [phase, track] : tracks) {
        MusicStage stage;
        stage.SetPhase(phase);
        stage.UpdateMusicPhase(1.0f / 60.0f);
        EXPECT_EQ(Track(stage), track) << "phase " << phase;
        if (!track.empty()) {
            EXPECT_TRUE(Playing(stage.GetMusic())) << "phase " << phase;
            EXPECT_FLOAT_EQ(stage.GetMusic()->GetVolume(), 1.0f);
        }
        EXPECT_EQ(stage.Phase(), phase) << "a start phase stays";
        sounds->StopAll();
    }

    // A new stage waits one step in phase 2, then plays the first track.
    MusicStage stage;
    EXPECT_EQ(stage.Phase(), 2);
    stage.UpdateMusicPhase(1.0f / 60.0f);
    EXPECT_EQ(stage.Phase(), 3);
    EXPECT_EQ(Track(stage), L"");
    stage.UpdateMusicPhase(1.0f / 60.0f);
    EXPECT_EQ(Track(stage), L"mu1");
    sounds->StopAll();
}

TEST_F(StageMusic, AStartPhaseWaitsForTheFadeAndTheFadeTakesTwoSeconds) {
    MusicStage stage;
    stage.SetPhase(3);
    stage.UpdateMusicPhase(0.1f);
    Quorvex::SoundUnit* first = stage.GetMusic();
    ASSERT_NE(first, nullptr);

    stage.SetPhase(4);
    for (int i = 0; i < 10; ++i) stage.UpdateMusicPhase(0.1f);
    EXPECT_EQ(Track(stage), L"mu1") << "nothing while music plays";
    EXPECT_FLOAT_EQ(first->GetVolume(), 1.0f);

    for (int fadePhase : {1, 9, 12, 17}) {
        stage.SetPhase(fadePhase);
        for (int i = 0; i < 10; ++i) stage.UpdateMusicPhase(0.1f);
        ASSERT_NE(stage.GetMusic(), nullptr) << fadePhase;
        EXPECT_NEAR(stage.GetMusic()->GetVolume(), 0.5f, 1e-4f) << "half-way after 1 s, phase " << fadePhase;
        for (int i = 0; i < 10; ++i) stage.UpdateMusicPhase(0.1f);
        EXPECT_EQ(stage.GetMusic(), nullptr) << "gone after 2 s, phase " << fadePhase;
        EXPECT_FALSE(Playing(first)) << fadePhase;
        EXPECT_EQ(stage.Phase(), fadePhase) << "the fade phase stays";
        stage.SetPhase(4);
        stage.UpdateMusicPhase(0.1f);
        EXPECT_EQ(Track(stage), L"mu2") << "after the fade the new phase starts its track";
        first = stage.GetMusic();
    }
}

// ---------------------------------------------------------------------------
// The settings file at start-up

class StartUpLoader : public SceneFirst {
public:
    using SceneFirst::LoadSettings;
};

// Runs the start-up's settings step in a folder of its own.
class SettingsAtStartUp : public ::testing::Test {
protected:
    void SetUp() override {
        home = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
    }
    void TearDown() override { std::filesystem::current_path(home); }

    std::string DefaultFile() const {
        ParamManager2* defaults = new ParamManager2();
        defaults->AddRef();
        EXPECT_EQ(defaults->Save("defaults"), 0);
        defaults->Release();
        return ReadAll(dir.File("defaults"));
    }

    FreshEnvironment env;
    TempDir dir;
    std::filesystem::path home;
};

TEST_F(SettingsAtStartUp, NoFileWritesACompleteDefaultFile) {
    const std::string defaults = DefaultFile();
    ASSERT_FALSE(defaults.empty());
    {
        StartUpLoader loader;
        ASSERT_EQ(loader.LoadSettings(), 0);
        EXPECT_EQ(env->paramManager, loader.GetSettings());
        env->paramManager = nullptr;
    }
    EXPECT_EQ(ReadAll(dir.File("settings")), defaults);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "settings.bad"));
    ParamManager2* check = new ParamManager2();
    check->AddRef();
    EXPECT_EQ(check->Load("settings"), 0) << "the new file loads";
    check->Release();
}

TEST_F(SettingsAtStartUp, ADamagedFileIsKeptAsBadAndDefaultsAreWritten) {
    const std::string defaults = DefaultFile();
    for (const std::string& damaged : {std::string("not a settings file"), defaults.substr(0, defaults.size() / 2)}) {
        WriteAll(dir.File("settings"), damaged);
        {
            StartUpLoader loader;
            ASSERT_EQ(loader.LoadSettings(), 0);
            env->paramManager = nullptr;
        }
        EXPECT_EQ(ReadAll(dir.File("settings.bad")), damaged) << "kept byte for byte";
        EXPECT_EQ(ReadAll(dir.File("settings")), defaults);
    }

    // A readable file is used as it is and nothing is set aside.
    std::filesystem::remove(dir.path() / "settings.bad");
    env->musicVolume = 0.25f;
    ParamManager2* saved = new ParamManager2();
    saved->AddRef();
    saved->Capture();
    ASSERT_EQ(saved->Save("settings"), 0);
    saved->Release();
    const std::string good = ReadAll(dir.File("settings"));
    env->musicVolume = 1.0f;
    StartUpLoader loader;
    ASSERT_EQ(loader.LoadSettings(), 0);
    env->paramManager = nullptr;
    EXPECT_EQ(ReadAll(dir.File("settings")), good);
    EXPECT_FLOAT_EQ(env->musicVolume, 0.25f) << "and its values applied";
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "settings.bad"));
}

// ---------------------------------------------------------------------------
// The game manager's end of a run

// A scene that only records how it was started.
class StartedScene : public Quorvex::SceneBase {
public:
    explicit StartedScene(const char* name) { m_name = name; }
    int Initialize(Quorvex::SceneBase*, Quorvex::WindowRecord*, IDirect3D9*, IDirect3DDevice9*,
                   const D3DPRESENT_PARAMETERS*, Quorvex::InputManager*, Quorvex::ParamManager*,
                   Quorvex::FontManager*, Quorvex::FpsManager*, Quorvex::ObjectManager*, Quorvex::IAreaManager*,
                   Quorvex::ShaderManager*, Quorvex::ResourceManager*, Quorvex::SoundManager*, void* param) override {
        if (param) mode = static_cast<GameManager::StartParam*>(param)->value;
        return 0;
    }
    int OnInitialize(void*) override { return 0; }
    void OnUpdate(float) override {}
    void OnRender() override {}
    int mode = -1;
};

// A manager whose front-end scenes record their starts.
class RecordingGameManager : public GameManager {
public:
    using GameManager::GameManager;
    int titlesMade = 0;

protected:
    Quorvex::SceneBase* CreateTitleScene() override {
        ++titlesMade;
        return new StartedScene("title");
    }
    Quorvex::SceneBase* CreateCharacterSelectScene() override { return new StartedScene("charaselect"); }
    Quorvex::SceneBase* CreateScoreScene() override { return new StartedScene("score"); }
    Quorvex::SceneBase* CreateStageScene(int) override { return nullptr; }
};

struct RunEnd {
    FreshEnvironment env;
    StartedScene* container = new StartedScene("first");
    RecordingGameManager* manager = nullptr;

    RunEnd() {
        container->AddRef();
        manager = new RecordingGameManager(nullptr, container);
        manager->AddRef();
        manager->Initialize(0);
    }
    ~RunEnd() {
        manager->Release();
        container->Release();
    }
    void Add(const char* name) { container->AddScene(new StartedScene(name)); }
    StartedScene* Find(const char* name) const {
        return dynamic_cast<StartedScene*>(GameManager::FindScene(container, name));
    }
    int Count(const char* name) const {
        int n = 0;
        for (Quorvex::SceneBase* child : container->GetChildren()) n += child->GetName() == name;
        return n;
    }
};

TEST(RunEnd, TheRankingOpensForANameOnlyWhenTheRunBeatsARank) {
    struct Case {
        const char* what;
        int64_t stageScore;
        int64_t ranked;  // every stored rank
        int mode;
    };
    const Case cases[] = {
        {"nothing scored, empty ranking", 0, 0, 1},
        {"below every rank", 50, 100, 1},
        {"equal to the last rank", 100, 100, 1},
        {"above the last rank", 101, 100, 2},
    };
    for (const Case& c : cases) {
        RunEnd run;
        Environment2& env = *run.env;
        for (auto& level : env.rankingScore[env.fighter][env.difficulty])
            for (auto& score : level) score = c.ranked;
        run.manager->stageScore = c.stageScore;
        run.Add("action");
        run.manager->RequestEndAction();
        run.manager->RunPendingRequests();
        EXPECT_EQ(run.Count("action"), 0) << c.what;
        ASSERT_NE(run.Find("score"), nullptr) << c.what;
        EXPECT_EQ(run.Find("score")->mode, c.mode) << c.what;
        EXPECT_EQ(run.manager->stageScore, 0) << c.what << ": committed";
    }
}

TEST(RunEnd, ANewGameClearsTheRunAndOpensTheCharacterSelect) {
    RunEnd run;
    Environment2& env = *run.env;
    run.Add("title");
    run.manager->stageScore = 700;
    run.manager->totalScore = 9000;
    env.runScore[1][2][3] = 55;
    env.continueCount = 4;
    run.manager->RequestNewGame();
    run.manager->RunPendingRequests();
    EXPECT_EQ(run.Count("title"), 0);
    EXPECT_NE(run.Find("charaselect"), nullptr);
    EXPECT_EQ(run.manager->stageScore, 0);
    EXPECT_EQ(run.manager->totalScore, 0);
    EXPECT_EQ(env.continueCount, 0);
    for (const auto& fighter : env.runScore)
        for (const auto& difficulty : fighter)
            for (auto score : difficulty) EXPECT_EQ(score, 0);
}

TEST(RunEnd, FinishToTitleMakesATitleOnlyWhenNoneIsLeft) {
    for (bool titleLeft : {false, true}) {
        RunEnd run;
        if (titleLeft) run.Add("title");
        run.Add("score");
        run.manager->totalScore = 1234;
        run.env->continueCount = 2;
        run.manager->RequestFinishToTitle();
        run.manager->RunPendingRequests();
        EXPECT_EQ(run.manager->titlesMade, titleLeft ? 0 : 1) << titleLeft;
        EXPECT_EQ(run.Count("title"), 1) << titleLeft;
        EXPECT_EQ(run.manager->totalScore, 0);
        EXPECT_EQ(run.env->continueCount, 0);
    }
}

}  // namespace
