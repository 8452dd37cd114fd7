// The sound layer heard through OpenAL's loopback device: where a positioned
// source is heard, how loud a volume is, how cursors move in bytes, and what
// happens with no sound device at all.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/dsound/dsound.h"

namespace {

constexpr int kRate = 44100;

struct Levels {
    double left = 0, right = 0;
};

Levels Rms(const std::vector<float>& stereo) {
    Levels l;
    const size_t frames = stereo.size() / 2;
    for (size_t i = 0; i < frames; ++i) {
        l.left += stereo[2 * i] * stereo[2 * i];
        l.right += stereo[2 * i + 1] * stereo[2 * i + 1];
    }
    l.left = std::sqrt(l.left / frames);
    l.right = std::sqrt(l.right / frames);
    return l;
}

std::vector<float> Render(int frames) {
    std::vector<float> out(2 * frames);
    EXPECT_TRUE(orv::dsound::RenderLoopback(out.data(), frames));
    return out;
}

WAVEFORMATEX Pcm(WORD channels, WORD bits, DWORD rate = kRate) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = WORD(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

class SoundLayer : public ::testing::Test {
protected:
    void SetUp() override {
        orv::dsound::UseLoopbackDeviceForTests(kRate);
        ASSERT_EQ(DirectSoundCreate8(&DSDEVID_DefaultPlayback, &ds, nullptr), DS_OK);
        ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DS_OK);
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
        IDirectSoundBuffer* primary = nullptr;
        ASSERT_EQ(ds->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
        ASSERT_EQ(primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)), DS_OK);
        primary->Release();
    }
    void TearDown() override {
        for (IUnknown* b : made) b->Release();
        SAFE_RELEASE(listener);
        SAFE_RELEASE(ds);
        orv::dsound::UseLoopbackDeviceForTests(0);
    }

    // A buffer holding a 440 Hz tone (amplitude 0.5) of the given length.
    IDirectSoundBuffer8* Tone(DWORD flags, WAVEFORMATEX format, int frames) {
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = flags;
        desc.dwBufferBytes = DWORD(frames) * format.nBlockAlign;
        desc.lpwfxFormat = &format;
        IDirectSoundBuffer* first = nullptr;
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &first, nullptr), DS_OK);
        if (!first) return nullptr;
        IDirectSoundBuffer8* buffer = nullptr;
        EXPECT_EQ(first->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer)), DS_OK);
        first->Release();
        made.push_back(buffer);
        void* p = nullptr;
        DWORD n = 0;
        EXPECT_EQ(buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
        EXPECT_EQ(n, desc.dwBufferBytes);
        for (int i = 0; i < frames; ++i) {
            const double s = 0.5 * std::sin(2 * M_PI * 440.0 * i / format.nSamplesPerSec);
            for (int c = 0; c < format.nChannels; ++c) {
                BYTE* at = static_cast<BYTE*>(p) + i * format.nBlockAlign + c * format.wBitsPerSample / 8;
                if (format.wBitsPerSample == 8) {
                    *at = BYTE(128 + std::lround(s * 127));
                } else {
                    const int16_t v = int16_t(std::lround(s * 32767));
                    std::memcpy(at, &v, 2);
                }
            }
        }
        EXPECT_EQ(buffer->Unlock(p, n, nullptr, 0), DS_OK);
        return buffer;
    }

    IDirectSound3DBuffer8* As3D(IDirectSoundBuffer8* buffer) {
        IDirectSound3DBuffer8* b3 = nullptr;
        EXPECT_EQ(buffer->QueryInterface(IID_IDirectSound3DBuffer8, reinterpret_cast<void**>(&b3)), DS_OK);
        if (b3) made.push_back(b3);
        return b3;
    }

    IDirectSound8* ds = nullptr;
    IDirectSound3DListener* listener = nullptr;
    std::vector<IUnknown*> made;
};

// Left-handed space: front +z, top +y, so right is +x; and a listener that
// faces +x has its right at −z. Swapped channels mean a lost z negation.
TEST_F(SoundLayer, PositionedSourceIsHeardOnTheSideItStands) {
    struct Case {
        const char* name;
        D3DVECTOR front, listenerAt, sourceAt;
        int side;  // +1 right, −1 left, 0 centre
    };
    const Case cases[] = {
        {"right of a listener facing +z", {0, 0, 1}, {0, 0, 0}, {1000, 0, 0}, +1},
        {"left of a listener facing +z", {0, 0, 1}, {0, 0, 0}, {-1000, 0, 0}, -1},
        {"ahead of a listener facing +z", {0, 0, 1}, {0, 0, 0}, {0, 0, 1000}, 0},
        {"-z of a listener facing +x", {1, 0, 0}, {0, 0, 0}, {0, 0, -1000}, +1},
        {"+z of a listener facing +x", {1, 0, 0}, {0, 0, 0}, {0, 0, 1000}, -1},
        {"-x of a listener moved to +x", {0, 0, 1}, {2000, 0, 0}, {1000, 0, 0}, -1},
    };
    IDirectSoundBuffer8* buffer = Tone(DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME, Pcm(1, 16), kRate / 10);
    IDirectSound3DBuffer8* b3 = As3D(buffer);
    ASSERT_EQ(b3->SetMinDistance(500, DS3D_IMMEDIATE), DS_OK);
    ASSERT_EQ(b3->SetMaxDistance(10000, DS3D_IMMEDIATE), DS_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        listener->SetOrientation(c.front.x, c.front.y, c.front.z, 0, 1, 0, DS3D_IMMEDIATE);
        listener->SetPosition(c.listenerAt.x, c.listenerAt.y, c.listenerAt.z, DS3D_IMMEDIATE);
        b3->SetPosition(c.sourceAt.x, c.sourceAt.y, c.sourceAt.z, DS3D_IMMEDIATE);
        buffer->SetCurrentPosition(0);
        ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
        const Levels l = Rms(Render(2048));
        buffer->Stop();
        ASSERT_GT(l.left + l.right, 0.05);
        if (c.side > 0) {
            EXPECT_GT(l.right, 2 * l.left);
        } else if (c.side < 0) {
            EXPECT_GT(l.left, 2 * l.right);
        } else {
            EXPECT_NEAR(l.left, l.right, 0.05 * (l.left + l.right));
        }
    }
}

TEST_F(SoundLayer, DeferredSettingsWaitForTheCommit) {
    IDirectSoundBuffer8* buffer = Tone(DSBCAPS_CTRL3D, Pcm(1, 16), kRate / 10);
    IDirectSound3DBuffer8* b3 = As3D(buffer);
    b3->SetMinDistance(500, DS3D_IMMEDIATE);
    b3->SetPosition(1000, 0, 0, DS3D_DEFERRED);
    listener->SetOrientation(1, 0, 0, 0, 1, 0, DS3D_DEFERRED);  // would put +x straight ahead
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const Levels before = Rms(Render(2048));
    EXPECT_NEAR(before.left, before.right, 0.05 * (before.left + before.right));  // still at the origin

    ASSERT_EQ(listener->CommitDeferredSettings(), DS_OK);
    Levels after = Rms(Render(2048));
    EXPECT_NEAR(after.left, after.right, 0.05 * (after.left + after.right));  // ahead of the turned listener
    EXPECT_LT(after.left + after.right, before.left + before.right);          // and farther away

    listener->SetOrientation(0, 0, 1, 0, 1, 0, DS3D_IMMEDIATE);
    after = Rms(Render(2048));
    EXPECT_GT(after.right, 2 * after.left);
}

TEST_F(SoundLayer, VolumeIsHundredthsOfADecibel) {
    struct Case {
        LONG volume;
        double gain;
    };
    const Case cases[] = {{0, 1.0}, {-602, 0.5}, {-1000, 0.3162}, {-2000, 0.1}, {DSBVOLUME_MIN, 0.0}};
    IDirectSoundBuffer8* buffer = Tone(DSBCAPS_CTRLVOLUME, Pcm(1, 16), kRate / 10);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const Levels full = Rms(Render(4410));
    ASSERT_GT(full.left, 0.1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        ASSERT_EQ(buffer->SetVolume(c.volume), DS_OK);
        LONG back = 1;
        ASSERT_EQ(buffer->GetVolume(&back), DS_OK);
        EXPECT_EQ(back, c.volume);
        Render(1024);  // the mixer fades gain changes in
        const Levels l = Rms(Render(4410));
        EXPECT_NEAR(l.left / full.left, c.gain, 0.01);
        EXPECT_NEAR(l.right / full.right, c.gain, 0.01);
    }
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-10001), DSERR_INVALIDPARAM);
}

TEST_F(SoundLayer, LoopingKeepsPlayingAndAOneShotStopsAtTheStart) {
    IDirectSoundBuffer8* looped = Tone(0, Pcm(1, 16), kRate / 20);
    IDirectSoundBuffer8* once = Tone(0, Pcm(1, 8), kRate / 20);
    ASSERT_EQ(looped->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(once->Play(0, 0, 0), DS_OK);
    Render(kRate / 2);  // ten lengths of either buffer

    DWORD status = 0;
    ASSERT_EQ(looped->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DWORD(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    ASSERT_EQ(once->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);
    DWORD cursor = 1;
    ASSERT_EQ(once->GetCurrentPosition(&cursor, nullptr), DS_OK);
    EXPECT_EQ(cursor, 0u);
    ASSERT_EQ(looped->GetCurrentPosition(&cursor, nullptr), DS_OK);
    EXPECT_EQ(cursor, DWORD(kRate / 2 % (kRate / 20) * 2));

    looped->Stop();
    EXPECT_LT(Rms(Render(1024)).left, 1e-4);  // both silent now
    // The finished one-shot plays again from the start without a rewind.
    ASSERT_EQ(once->Play(0, 0, 0), DS_OK);
    EXPECT_GT(Rms(Render(1024)).left, 0.05);
}

TEST_F(SoundLayer, CursorsMoveInBytes) {
    struct Case {
        const char* name;
        WAVEFORMATEX format;
        DWORD frequency;  // 0: the format's own
        DWORD bytesPer1000Frames;
    };
    const Case cases[] = {
        {"16-bit mono", Pcm(1, 16), 0, 2000},
        {"16-bit stereo", Pcm(2, 16), 0, 4000},
        {"8-bit stereo", Pcm(2, 8), 0, 2000},
        {"22050 Hz mono", Pcm(1, 16, 22050), 0, 1000},
        {"22050 Hz mono played at 44100 Hz", Pcm(1, 16, 22050), 44100, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDirectSoundBuffer8* buffer = Tone(DSBCAPS_CTRLFREQUENCY, c.format, kRate);
        if (c.frequency) {
            ASSERT_EQ(buffer->SetFrequency(c.frequency), DS_OK);
        }
        ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
        Render(1000);
        DWORD play = 0, write = 0;
        ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
        EXPECT_EQ(play, c.bytesPer1000Frames);

        // Stop keeps the cursor and Play goes on from it.
        ASSERT_EQ(buffer->Stop(), DS_OK);
        Render(500);
        ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
        EXPECT_EQ(play, c.bytesPer1000Frames);
        ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
        Render(1000);
        ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
        EXPECT_EQ(play, 2 * c.bytesPer1000Frames);

        // A jump while playing, as a loop region makes it, lands exactly.
        const DWORD target = 100 * c.format.nBlockAlign;
        ASSERT_EQ(buffer->SetCurrentPosition(target), DS_OK);
        Render(1000);
        ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
        EXPECT_EQ(play, target + c.bytesPer1000Frames);
        buffer->Stop();
    }
}

TEST_F(SoundLayer, LockWrapsPastTheEnd) {
    IDirectSoundBuffer8* buffer = Tone(0, Pcm(1, 16), 100);
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->Lock(196, 8, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 4u);
    EXPECT_EQ(n2, 4u);
    EXPECT_EQ(static_cast<BYTE*>(p1) - static_cast<BYTE*>(p2), 196);
    EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    EXPECT_EQ(buffer->Lock(196, 8, &p1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(200, 4, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetCurrentPosition(200), DSERR_INVALIDPARAM);
}

// Once OpenAL holds the samples the layer keeps no copy of its own: a later
// Lock shows them again (with a part-frame at the end too), while the buffer
// plays on; a buffer never written locks as silence.
TEST_F(SoundLayer, LockShowsTheBytesLastUnlocked) {
    struct Case {
        WAVEFORMATEX format;
        DWORD bytes;
        BYTE silence;
    };
    // The last is as long as a piece of music: its silence is filled in pieces.
    for (const Case& c : {Case{Pcm(1, 8), 4000, 0x80}, Case{Pcm(2, 16), 4000, 0x00}, Case{Pcm(2, 8), 4001, 0x80},
                          Case{Pcm(2, 16), 4003, 0x00}, Case{Pcm(1, 8), (DWORD(26) << 20) + 3, 0x80}}) {
        SCOPED_TRACE(testing::Message() << c.format.wBitsPerSample << " bits, " << c.bytes << " bytes");
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwBufferBytes = c.bytes;
        WAVEFORMATEX format = c.format;
        desc.lpwfxFormat = &format;
        IDirectSoundBuffer* buffer = nullptr;
        ASSERT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
        made.push_back(buffer);

        void* p = nullptr;
        DWORD n = 0;
        ASSERT_EQ(buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
        ASSERT_EQ(n, c.bytes);
        EXPECT_EQ(std::vector<BYTE>(static_cast<BYTE*>(p), static_cast<BYTE*>(p) + n),
                  std::vector<BYTE>(c.bytes, c.silence));
        std::vector<BYTE> written(c.bytes);
        for (DWORD i = 0; i < c.bytes; ++i) written[i] = BYTE(i * 7 + 1);
        std::memcpy(p, written.data(), n);
        ASSERT_EQ(buffer->Unlock(p, n, nullptr, 0), DS_OK);
        ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);

        ASSERT_EQ(buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
        EXPECT_EQ(std::vector<BYTE>(static_cast<BYTE*>(p), static_cast<BYTE*>(p) + n), written);
        static_cast<BYTE*>(p)[10] = written[10] = 0x42;
        ASSERT_EQ(buffer->Unlock(p, n, nullptr, 0), DS_OK);
        ASSERT_EQ(buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
        EXPECT_EQ(std::vector<BYTE>(static_cast<BYTE*>(p), static_cast<BYTE*>(p) + n), written);
        ASSERT_EQ(buffer->Unlock(p, n, nullptr, 0), DS_OK);

        DWORD status = 0;
        ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
        EXPECT_TRUE(status & DSBSTATUS_PLAYING);
        EXPECT_GT(Rms(Render(2048)).left, 0.01);
        buffer->Stop();
    }
}

TEST_F(SoundLayer, BadRequestsAreRefused) {
    struct Case {
        const char* name;
        DWORD flags;
        WAVEFORMATEX format;
        DWORD bytes;
        HRESULT expected;
    };
    WAVEFORMATEX adpcm = Pcm(1, 16);
    adpcm.wFormatTag = 2;
    WAVEFORMATEX misaligned = Pcm(2, 16);
    misaligned.nBlockAlign = 2;
    const Case cases[] = {
        {"3D stereo", DSBCAPS_CTRL3D, Pcm(2, 16), 4000, DSERR_INVALIDPARAM},
        {"3D with pan", DSBCAPS_CTRL3D | DSBCAPS_CTRLPAN, Pcm(1, 16), 4000, DSERR_INVALIDPARAM},
        {"24-bit", 0, Pcm(1, 24), 4000, DSERR_BADFORMAT},
        {"six channels", 0, Pcm(6, 16), 4800, DSERR_BADFORMAT},
        {"not PCM", 0, adpcm, 4000, DSERR_BADFORMAT},
        {"block align not channels x bytes", 0, misaligned, 4000, DSERR_BADFORMAT},
        {"rate below 100 Hz", 0, Pcm(1, 16, 50), 4000, DSERR_BADFORMAT},
        {"empty", 0, Pcm(1, 16), 0, DSERR_INVALIDPARAM},
        {"shorter than one frame", 0, Pcm(2, 16), 3, DSERR_INVALIDPARAM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WAVEFORMATEX format = c.format;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = c.flags;
        desc.dwBufferBytes = c.bytes;
        desc.lpwfxFormat = &format;
        IDirectSoundBuffer* buffer = reinterpret_cast<IDirectSoundBuffer*>(1);
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), c.expected);
        EXPECT_EQ(buffer, nullptr);
    }

    // Controls that were not asked for are not there.
    IDirectSoundBuffer8* plain = Tone(0, Pcm(1, 16), 100);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetFrequency(22050), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(100), DSERR_CONTROLUNAVAIL);
    void* b3 = reinterpret_cast<void*>(1);
    EXPECT_EQ(plain->QueryInterface(IID_IDirectSound3DBuffer8, &b3), E_NOINTERFACE);
    EXPECT_EQ(b3, nullptr);
    EXPECT_EQ(listener->SetOrientation(0, 1, 0, 0, 2, 0, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
}

TEST(SoundLayerDevice, BuffersNeedACooperativeLevel) {
    orv::dsound::UseLoopbackDeviceForTests(kRate);
    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
    WAVEFORMATEX format = Pcm(1, 16);
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), 0, 4000, 0, &format, GUID_NULL};
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_PRIOLEVELNEEDED);
    ds->Release();
    orv::dsound::UseLoopbackDeviceForTests(0);
}

// No usable sound device: creation fails cleanly with no object. OpenAL reads
// its driver list once per process, so this runs in a fresh child process.
TEST(SoundLayerDevice, NoDeviceFailsCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
            IDirectSound8* ds = reinterpret_cast<IDirectSound8*>(1);
            const HRESULT hr = DirectSoundCreate8(nullptr, &ds, nullptr);
            std::exit(hr == DSERR_NODRIVER && ds == nullptr ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
