// Sound units and their manager on OpenAL's loopback device: the volume law,
// the re-trigger interval on a clock that starts at 0, the music loop region,
// positioned effects heard on the right side, failed loads, and a machine
// with no sound device at all.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <thread>
#include <vector>

#include "WaveFixtures.h"
#include "engine/assets/devices/SoundManager.h"
#include "engine/core/Utility.h"
#include "platform/dsound/dsound.h"

namespace {

using namespace sound_test;
using Quorvex::AreaPos;
using Quorvex::SoundUnit;

constexpr int kRate = 44100;

struct Levels {
    double left = 0, right = 0;
};

Levels Heard(int frames) {
    std::vector<float> out(2 * frames);
    EXPECT_TRUE(orv::dsound::RenderLoopback(out.data(), frames));
    Levels l;
    for (int i = 0; i < frames; ++i) {
        l.left += out[2 * i] * out[2 * i];
        l.right += out[2 * i + 1] * out[2 * i + 1];
    }
    l.left = std::sqrt(l.left / frames);
    l.right = std::sqrt(l.right / frames);
    return l;
}

DWORD g_now = 0;
DWORD TestClock() { return g_now; }

DWORD Cursor(SoundUnit* unit) {
    DWORD cursor = 0;
    EXPECT_EQ(unit->GetBuffer()->GetCurrentPosition(&cursor, nullptr), DS_OK);
    return cursor;
}

class SoundOnLoopback : public ::testing::Test {
protected:
    void SetUp() override {
        Quorvex::SetWorldGridSizes(D3DXVECTOR3(1000, 10000, 1000), D3DXVECTOR3(1500, 15000, 1500));
        orv::dsound::UseLoopbackDeviceForTests(kRate);
        manager = new Quorvex::SoundManager();
        manager->AddRef();
        ASSERT_EQ(manager->Initialize(nullptr), S_OK);
        manager->SetListenerPosition(AreaPos::FromWorld(D3DXVECTOR3(0, 0, 0)));
    }
    void TearDown() override {
        SAFE_RELEASE(manager);
        orv::dsound::UseLoopbackDeviceForTests(0);
        Quorvex::SetSoundClock(nullptr);
    }

    // A mono tone of the given length loaded under the id.
    SoundUnit* Load(const wchar_t* id, int frames, bool is3D, DWORD interval = 0, float volume = 1.0f) {
        const std::wstring path = dir.Write("tone.wav", Riff(Fmt(1, 16) + Chunk("data", Tone16(frames)))).wstring();
        EXPECT_EQ(manager->LoadSound(id, path.c_str(), is3D, volume, interval, 0), S_OK);
        return manager->FindSound(id);
    }

    TempDir dir;
    Quorvex::SoundManager* manager = nullptr;
};

TEST(SoundVolume, LinearAmplitudeToHundredthsOfADecibel) {
    struct Case {
        float amplitude;
        LONG volume;
    };
    const Case cases[] = {{1.0f, 0},       {0.5f, -602},     {0.25f, -1204},
                          {2.0f, 0},       {0.0f, -10000},   {-1.0f, -10000},
                          {1e-6f, -10000}, {std::numeric_limits<float>::quiet_NaN(), -10000}};
    for (const Case& c : cases) EXPECT_EQ(SoundUnit::ToBufferVolume(c.amplitude), c.volume) << c.amplitude;
}

TEST_F(SoundOnLoopback, UnitVolumeTimesMasterReachesTheBuffer) {
    SoundUnit* unit = Load(L"v", 100, false, 0, 0.5f);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(BufferVolume(unit), -602);
    manager->SetVolume(0.0f);
    EXPECT_EQ(unit->GetMasterFactor(), 0.0f);
    EXPECT_EQ(BufferVolume(unit), -10000);
    manager->SetVolume(1.0f);
    unit->SetVolume(2.0f);
    EXPECT_EQ(BufferVolume(unit), 0);
    unit->SetVolume(-1.0f);
    EXPECT_EQ(BufferVolume(unit), -10000);

    // A unit loaded later starts with the master volume of the time.
    manager->SetVolume(0.5f);
    SoundUnit* later = Load(L"w", 100, true);
    EXPECT_EQ(later->GetMasterFactor(), 0.5f);
    EXPECT_EQ(BufferVolume(later), -602);
}

TEST_F(SoundOnLoopback, RetriggerIntervalOnAClockFromZero) {
    Quorvex::SetSoundClock(TestClock);
    SoundUnit* unit = Load(L"shot", 4410, false, 500);
    ASSERT_NE(unit, nullptr);
    struct Step {
        DWORD now;
        DWORD flags;
        HRESULT result;
    };
    const Step steps[] = {
        {0, 0, S_OK},        // the first play, however young the clock
        {499, 0, E_FAIL},    // within the interval
        {499, 4, S_OK},      // flag 4 ignores it
        {998, 2, E_FAIL},    // measured from that last start
        {999, 2, S_OK},
        {0xFFFFFF00u, 0, S_OK},
        {0x000000F0u, 0, E_FAIL},  // 496 ms later, across the clock's wrap
        {0x00000100u, 0, S_OK},    // 512 ms later
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.now);
        g_now = s.now;
        unit->Stop();
        unit->GetBuffer()->SetCurrentPosition(0);
        EXPECT_EQ(SoundUnit::Play(unit, nullptr, s.flags, nullptr), s.result);
        DWORD status = 0;
        unit->GetBuffer()->GetStatus(&status);
        EXPECT_EQ((status & DSBSTATUS_PLAYING) != 0, s.result == S_OK);
    }
    EXPECT_EQ(unit->GetLastPlayTime(), 0x100u);
    EXPECT_EQ(SoundUnit::Play(nullptr, nullptr, 4, nullptr), E_FAIL);  // an id not loaded plays nothing
}

TEST_F(SoundOnLoopback, LoopRegionJumpsBackByTheOvershoot) {
    SoundUnit* unit = Load(L"mu1", kRate, false, 500);
    ASSERT_NE(unit, nullptr);
    unit->SetLoopRegion(1000, 20000);
    ASSERT_EQ(unit->Play(SoundUnit::PLAY_LOOP | SoundUnit::PLAY_REWIND), S_OK);
    Heard(9000);
    manager->UpdateListener();
    EXPECT_EQ(Cursor(unit), 18000u);  // not there yet
    Heard(1005);
    EXPECT_EQ(Cursor(unit), 20010u);
    manager->UpdateListener();
    EXPECT_EQ(Cursor(unit), 1010u);
    // A loop start inside a sample frame lands on the frame's start.
    unit->SetLoopRegion(1001, 20000);
    Heard(9500);
    manager->UpdateListener();
    EXPECT_EQ(Cursor(unit), 1010u);
}

TEST_F(SoundOnLoopback, PositionedEffectIsHeardWhereItIs) {
    SoundUnit* unit = Load(L"exp_s1", kRate / 10, true);
    ASSERT_NE(unit, nullptr);
    const AreaPos right = AreaPos::FromWorld(D3DXVECTOR3(1000, 0, 0));
    const D3DXVECTOR3 still(0, 0, 0);
    ASSERT_EQ(SoundUnit::Play(unit, &right, SoundUnit::PLAY_LOOP, &still), S_OK);
    manager->UpdateListener();
    Heard(1024);  // the mixer fades the move in
    Levels l = Heard(4096);
    EXPECT_GT(l.right, 2 * l.left);
    EXPECT_GT(l.right, 0.05);

    // The listener moves past it: now it is on the left.
    manager->SetListenerPosition(AreaPos::FromWorld(D3DXVECTOR3(2000, 0, 0)));
    manager->UpdateListener();
    Heard(1024);
    l = Heard(4096);
    EXPECT_GT(l.left, 2 * l.right);

    // An effect that is not positioned plays on the listener.
    unit->Stop();
    SoundUnit* flat = Load(L"lockon", kRate / 10, false);
    ASSERT_EQ(flat->Play(SoundUnit::PLAY_LOOP), S_OK);
    Heard(1024);
    l = Heard(4096);
    EXPECT_NEAR(l.left, l.right, 0.05 * (l.left + l.right));
    EXPECT_GT(l.left, 0.05);
}

TEST_F(SoundOnLoopback, LoadingAnIdAgainReplacesTheUnit) {
    SoundUnit* first = Load(L"dup", 100, false);
    ASSERT_NE(first, nullptr);
    first->AddRef();
    SoundUnit* second = Load(L"dup", 200, false);
    EXPECT_NE(second, first);
    EXPECT_EQ(manager->FindSound(L"dup"), second);
    EXPECT_EQ(first->GetReferenceCount(), 1);  // the table let go of it
    first->Release();
    EXPECT_EQ(manager->RemoveSound(L"dup"), 0);
    EXPECT_EQ(manager->RemoveSound(L"dup"), 1);
    EXPECT_EQ(manager->FindSound(L"dup"), nullptr);
}

TEST_F(SoundOnLoopback, ScrambledFilesLoadTheirExactSamples) {
    // Samples off the key's word edges, ending inside the file's last word.
    const std::string samples = Tone16(30001) + "\x11";
    const std::string image = Riff(Fmt(1, 8) + Chunk("LIST", "abc") + Chunk("data", samples));
    std::vector<BYTE> scrambled = Bytes(image);
    const DWORD key = 0x6D2F48A3;
    Quorvex::XorBuffer(DWORD(scrambled.size()), key, scrambled.data(), 0);
    const std::wstring path = dir.Write("coded.wav", std::string(scrambled.begin(), scrambled.end())).wstring();
    ASSERT_EQ(manager->LoadSound(L"coded", path.c_str(), false, 1.0f, 0, key), S_OK);
    SoundUnit* unit = manager->FindSound(L"coded");
    ASSERT_NE(unit, nullptr);
    void* bytes = nullptr;
    DWORD length = 0;
    ASSERT_EQ(unit->GetBuffer()->Lock(0, 0, &bytes, &length, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(std::string(static_cast<const char*>(bytes), length), samples);
    unit->GetBuffer()->Unlock(bytes, length, nullptr, 0);
}

TEST_F(SoundOnLoopback, FailedLoadsAreReportedAndLeaveNoUnit) {
    struct Case {
        const char* name;
        std::string file;  // empty: no file at all
        bool is3D;
        std::vector<const char*> reports;
    };
    const Case cases[] = {
        {"missing file", "", false,
         {"Sound Load ERROR", "ファイルをオープン出来ない", "ERROR: Wave フォーマット、データの取得を失敗"}},
        {"no samples", Riff(Fmt(1, 16) + Chunk("data", "")), false,
         {"ERROR: Wave フォーマット、データの取得を失敗"}},
        {"damaged file", Riff(Fmt(1, 16)), false, {"Sound Load ERROR", "data がない"}},
        {"stereo data for a positioned sound", Riff(Fmt(2, 16) + Chunk("data", Tone16(100))), true,
         {"ERROR: バッファの生成に失敗(hr="}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = c.file.empty() ? dir.Wide("none.wav") : dir.Write("bad.wav", c.file).wstring();
        ::testing::internal::CaptureStderr();
        EXPECT_LT(manager->LoadSound(L"bad", path.c_str(), c.is3D, 1.0f, 0, 0), 0);
        const std::string report = ::testing::internal::GetCapturedStderr();
        for (const char* expected : c.reports) EXPECT_NE(report.find(expected), std::string::npos) << report;
        EXPECT_EQ(manager->FindSound(L"bad"), nullptr);
    }
}

// Game objects play, move and stop sounds from the job threads while the main
// thread runs the frame's listener update.
TEST_F(SoundOnLoopback, CallsFromManyThreadsAreSerialised) {
    SoundUnit* unit = Load(L"exp_s2", 2000, true);
    ASSERT_NE(unit, nullptr);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([unit, t] {
            for (int i = 0; i < 200; ++i) {
                const AreaPos at = AreaPos::FromWorld(D3DXVECTOR3(float(t * 100 + i), 0, 0));
                SoundUnit::Play(unit, &at, SoundUnit::PLAY_REWIND | SoundUnit::PLAY_IGNORE_INTERVAL, nullptr);
                unit->SetVolume(0.1f * float(i % 10));
                unit->SetPosition(at);
                if (i % 7 == 0) unit->Stop();
            }
        });
    }
    for (int i = 0; i < 200; ++i) {
        manager->UpdateListener();
        manager->SetVolume(i % 2 ? 1.0f : 0.5f);
    }
    for (std::thread& t : threads) t.join();
    manager->StopAll();
    DWORD status = 1;
    unit->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status, 0u);
}

// With no sound device the start-up goes on: one "ERROR" report, and from
// then on every sound call is harmless. OpenAL reads its driver list once per
// process, so this runs in a fresh child process.
TEST(SoundWithoutDevice, StartUpGoesOnSilently) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
            TempDir dir;
            const std::string image = Riff(Fmt(1, 16) + Chunk("data", Tone16(100)));
            const std::wstring path = dir.Write("tone.wav", image).wstring();
            auto* manager = new Quorvex::SoundManager();
            manager->AddRef();
            bool ok = manager->Initialize(nullptr) == S_FALSE && !manager->HasDevice();
            ok = ok && manager->LoadSound(L"a", path.c_str(), true, 1.0f, 0, 0) < 0;
            ok = ok && manager->FindSound(L"a") == nullptr;
            manager->SetVolume(0.5f);
            manager->SetListenerPosition(AreaPos());
            manager->UpdateListener();
            manager->StopAll();
            ok = ok && SoundUnit::Play(manager->FindSound(L"a"), nullptr, 1, nullptr) == E_FAIL;
            manager->Release();
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "ERROR: DirectSound の生成に失敗");
}

}  // namespace
