// The game's sounds registered on OpenAL's loopback device: the extra stage's
// track plays when its stage asks for it, and the music's gain follows the
// music setting alone, through fades too.
#include <gtest/gtest.h>

#include <string>

#include "engine/assets/devices/SoundManager.h"
#include "engine/sound/WaveFixtures.h"
#include "game/flow/FlowTestSupport.h"
#include "game/play/SceneStageEx.h"
#include "game/state/Environment2.h"
#include "game/state/SoundTable.h"
#include "platform/dsound/dsound.h"

namespace {

using Quorvex::SoundUnit;
using sound_test::BufferVolume;

constexpr float kFrame = 1.0f / 60.0f;

// The extra stage's timeline and music machine, without its world.
class ExtraStage : public SceneStageEx {
public:
    ExtraStage() {
        m_singleStage = 0;
        BuildEventList();
    }
    void Frame(float dt) {
        StepEventTimeline(dt);
        UpdateMusicPhase(dt);
    }
    void SetMusicPhase(int32_t phase) { m_musicPhase = phase; }
};

bool Playing(SoundUnit* unit) {
    DWORD status = 0;
    return SUCCEEDED(unit->GetBuffer()->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
}

class GameSounds : public ::testing::Test {
protected:
    void SetUp() override {
        Quorvex::SetWorldGridSizes(D3DXVECTOR3(1000, 10000, 1000), D3DXVECTOR3(1500, 15000, 1500));
        orv::dsound::UseLoopbackDeviceForTests(44100);
        manager = new Quorvex::SoundManager();
        manager->AddRef();
        ASSERT_EQ(manager->Initialize(nullptr), S_OK);
        state->soundManager = manager;
        // The plain files of the game's data folder.
        RegisterSounds(manager, 0);
    }
    void TearDown() override {
        state->soundManager = nullptr;
        SAFE_RELEASE(manager);
        orv::dsound::UseLoopbackDeviceForTests(0);
    }

    flow_test::FreshEnvironment state;
    Quorvex::SoundManager* manager = nullptr;
};

}  // namespace

TEST_F(GameSounds, ExtraStageMusicPlaysAndFollowsTheMusicSettingAlone) {
    ExtraStage stage;
    // The stage opens on the first track until its first event changes it.
    auto current = [&stage] { return stage.GetMusic() ? stage.GetMusic()->GetId() : std::wstring(); };
    for (int i = 0; i < 180 && current() != L"mu8"; ++i) stage.Frame(kFrame);
    SoundUnit* music = stage.GetMusic();
    ASSERT_NE(music, nullptr) << "the extra stage's track is registered";
    EXPECT_EQ(music->GetId(), L"mu8");
    EXPECT_TRUE(Playing(music));
    EXPECT_TRUE(music->IsMusic());
    SoundUnit* effect = manager->FindSound(L"lockon");
    ASSERT_NE(effect, nullptr);
    EXPECT_FALSE(effect->IsMusic());

    // The settings as the root scene hands them over every frame.
    state->musicVolume = 0.5f;
    state->soundEffectVolume = 0.25f;
    ApplyVolumeSettings(manager);
    EXPECT_EQ(BufferVolume(music), SoundUnit::ToBufferVolume(0.5f));
    EXPECT_EQ(BufferVolume(effect), SoundUnit::ToBufferVolume(0.25f));
    state->soundEffectVolume = 1.0f;
    ApplyVolumeSettings(manager);
    EXPECT_EQ(BufferVolume(music), SoundUnit::ToBufferVolume(0.5f)) << "the effect volume leaves the music alone";
    EXPECT_EQ(BufferVolume(effect), 0);

    // A fade-out loses half the volume a second, whatever the setting.
    stage.SetMusicPhase(1);
    stage.UpdateMusicPhase(0.5f);
    EXPECT_FLOAT_EQ(music->GetVolume(), 0.75f);
    EXPECT_EQ(BufferVolume(music), SoundUnit::ToBufferVolume(0.375f));
    stage.UpdateMusicPhase(0.5f);
    EXPECT_FLOAT_EQ(music->GetVolume(), 0.5f);
    EXPECT_EQ(BufferVolume(music), SoundUnit::ToBufferVolume(0.25f));
    stage.UpdateMusicPhase(1.0f);
    EXPECT_EQ(stage.GetMusic(), nullptr);
    EXPECT_FALSE(Playing(music));
}
