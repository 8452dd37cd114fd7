// Shared insides of the sound layer: the opened OpenAL device with its
// context, the layer's lock and the settings that DS3D_DEFERRED holds back
// until CommitDeferredSettings.
#pragma once
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dsound/dsound.h"

namespace orv::dsound {

class SoundBuffer;

// One process-wide lock: OpenAL's current context is process-wide too, and the
// buffers' own state (cursor, deferred settings) is shared with callers on
// job threads.
std::recursive_mutex& LayerMutex();

struct Vec3 {
    float x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};

// DirectSound's left-handed vectors to OpenAL's right-handed ones and back.
inline Vec3 ToAl(const Vec3& v) { return {v.x, v.y, -v.z}; }
inline Vec3 MakeVec(D3DVALUE x, D3DVALUE y, D3DVALUE z) { return {x, y, z}; }
inline D3DVECTOR ToD3D(const Vec3& v) { return {v.x, v.y, v.z}; }
inline bool IsFinite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A 3D setting with its DS3D_DEFERRED value. Getters answer the value last set.
template <class T>
struct Deferred {
    T value{};
    T pending{};
    bool dirty = false;
    explicit Deferred(const T& initial = T{}) : value(initial), pending(initial) {}
    // True when the value must reach OpenAL now.
    bool Set(const T& v, DWORD apply) {
        pending = v;
        if (apply & DS3D_DEFERRED) {
            dirty = true;
            return false;
        }
        value = v;
        dirty = false;
        return true;
    }
    // True when a deferred value was taken over and must reach OpenAL.
    bool Commit() {
        if (!dirty) return false;
        value = pending;
        dirty = false;
        return true;
    }
};

struct Orientation {
    Vec3 front{0, 0, 1};
    Vec3 top{0, 1, 0};
    bool operator==(const Orientation&) const = default;
};

// An opened device and its context, shared by the device object, the primary
// buffer, the listener and every secondary buffer made from it, so the
// context outlives all of them. Use only under LayerMutex().
class AlDevice {
public:
    // Opens the default device, or a loopback device at loopbackRate (> 0).
    // Null when OpenAL has no device to give.
    static std::shared_ptr<AlDevice> Open(int loopbackRate);
    ~AlDevice();
    AlDevice(const AlDevice&) = delete;
    AlDevice& operator=(const AlDevice&) = delete;

    void MakeCurrent() const;
    bool Render(float* stereoOut, int frames);

    // Listener state; the listener is one per device.
    Deferred<Vec3> listenerPosition;
    Deferred<Orientation> listenerOrientation;
    Deferred<float> dopplerFactor{DS3D_DEFAULTDOPPLERFACTOR};
    Deferred<float> rolloffFactor{DS3D_DEFAULTROLLOFFFACTOR};

    void ApplyListenerPosition() const;
    void ApplyListenerOrientation() const;
    void ApplyDopplerFactor() const;
    void ApplyRolloffFactor() const;
    void CommitDeferredSettings();

    // Buffer storage that OpenAL can map back for reading (the map-buffer
    // extension), so a buffer's samples live there alone; null without it.
    using BufferStorageFn = void(AL_APIENTRY*)(ALuint, ALenum, const ALvoid*, ALsizei, ALsizei, ALuint);
    using MapBufferFn = void*(AL_APIENTRY*)(ALuint, ALsizei, ALsizei, ALuint);
    using UnmapBufferFn = void(AL_APIENTRY*)(ALuint);
    static constexpr ALuint kMapRead = 0x1;        // AL_MAP_READ_BIT_SOFT
    static constexpr ALuint kMapWrite = 0x2;       // AL_MAP_WRITE_BIT_SOFT
    static constexpr ALuint kMapPersistent = 0x4;  // AL_MAP_PERSISTENT_BIT_SOFT: mappable while a source holds it
    BufferStorageFn bufferStorage = nullptr;
    MapBufferFn mapBuffer = nullptr;
    UnmapBufferFn unmapBuffer = nullptr;

    // Live secondary buffers, for commits and the listener's rolloff.
    void AddBuffer(SoundBuffer* buffer) { m_buffers.push_back(buffer); }
    void RemoveBuffer(SoundBuffer* buffer);

private:
    AlDevice() = default;
    ALCdevice* m_device = nullptr;
    ALCcontext* m_context = nullptr;
    LPALCRENDERSAMPLESSOFT m_render = nullptr;  // loopback devices only
    std::vector<SoundBuffer*> m_buffers;
};

// Takes the layer's lock and makes the device's context current.
class DeviceLock {
public:
    explicit DeviceLock(const AlDevice& device) : m_guard(LayerMutex()) { device.MakeCurrent(); }

private:
    std::lock_guard<std::recursive_mutex> m_guard;
};

// The reference count of every layer object.
class RefCount {
public:
    ULONG Add() { return ++m_count; }
    ULONG Drop() { return --m_count; }

private:
    std::atomic<ULONG> m_count{1};
};

// The primary buffer of the device, with one reference; it answers the listener.
HRESULT CreatePrimaryBuffer(const std::shared_ptr<AlDevice>& device, IDirectSoundBuffer** out);

// Hundredths of a decibel to a linear gain; DSBVOLUME_MIN is silence.
float GainOfVolume(LONG volume);

// A secondary buffer: the whole PCM data, one OpenAL buffer and one source.
class SoundBuffer final : public IDirectSoundBuffer8, public IDirectSound3DBuffer {
public:
    // Checks the description and format; on success *out holds a buffer with one reference.
    static HRESULT Create(const std::shared_ptr<AlDevice>& device, const DSBUFFERDESC& desc, SoundBuffer** out);
    ~SoundBuffer() override;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IDirectSoundBuffer
    HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override;
    HRESULT GetVolume(LONG* volume) override;
    HRESULT GetPan(LONG* pan) override;
    HRESULT GetFrequency(LPDWORD frequency) override;
    HRESULT GetStatus(LPDWORD status) override;
    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audioPtr1, LPDWORD audioBytes1, LPVOID* audioPtr2,
                 LPDWORD audioBytes2, DWORD flags) override;
    HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD newPosition) override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT SetPan(LONG pan) override;
    HRESULT SetFrequency(DWORD frequency) override;
    HRESULT Stop() override;
    HRESULT Unlock(LPVOID audioPtr1, DWORD audioBytes1, LPVOID audioPtr2, DWORD audioBytes2) override;

    // IDirectSound3DBuffer
    HRESULT GetPosition(D3DVECTOR* position) override;
    HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
    HRESULT GetVelocity(D3DVECTOR* velocity) override;
    HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
    HRESULT GetMinDistance(D3DVALUE* distance) override;
    HRESULT SetMinDistance(D3DVALUE distance, DWORD apply) override;
    HRESULT GetMaxDistance(D3DVALUE* distance) override;
    HRESULT SetMaxDistance(D3DVALUE distance, DWORD apply) override;

    // From CommitDeferredSettings, under the lock.
    void CommitDeferred3D();
    void ApplyRolloff(float factor);

private:
    SoundBuffer(const std::shared_ptr<AlDevice>& device, const DSBUFFERDESC& desc);
    bool Is3D() const { return (m_flags & DSBCAPS_CTRL3D) != 0; }
    void StoreMapped();
    BYTE* LockedBytes();
    bool HoldBytes();
    bool SyncPlaying();
    DWORD PlayCursor();
    void StartAtCursor();
    void Upload();
    void ApplyPan();
    void ApplyPosition();
    void ApplyVelocity();

    RefCount m_refs;
    std::shared_ptr<AlDevice> m_device;
    DWORD m_flags;
    WAVEFORMATEX m_format;
    ALenum m_alFormat = 0;
    struct FreeBytes {
        void operator()(BYTE* p) const { std::free(p); }
    };
    // With whole frames only, Lock hands out the OpenAL buffer's own memory
    // (mapped while locked), so the samples exist once and are heard as
    // written. Otherwise the bytes as Lock shows them are held from a Lock
    // until the Unlock that hands them to OpenAL, and for good only when
    // OpenAL cannot give them back.
    bool m_mapped = false;
    BYTE* m_mappedBytes = nullptr;  // while mapped
    std::unique_ptr<BYTE, FreeBytes> m_data;
    DWORD m_size = 0;            // the buffer's bytes
    DWORD m_playableBytes = 0;   // its whole frames, which OpenAL holds
    BYTE m_tail[4] = {};         // the bytes of a trailing part-frame
    bool m_storedInAl = false;   // OpenAL holds the bytes and can give them back
    int m_locks = 0;             // Locks not yet unlocked
    ALuint m_alBuffer = 0;
    ALuint m_source = 0;
    bool m_uploaded = false;
    bool m_playing = false;
    bool m_looping = false;
    DWORD m_cursor = 0;          // the play cursor while not playing
    LONG m_volume = DSBVOLUME_MAX;
    LONG m_pan = DSBPAN_CENTER;
    DWORD m_frequency = 0;       // 0: the format's own rate
    Deferred<Vec3> m_position;
    Deferred<Vec3> m_velocity;
    Deferred<float> m_minDistance{DS3D_DEFAULTMINDISTANCE};
    Deferred<float> m_maxDistance{DS3D_DEFAULTMAXDISTANCE};
};

}  // namespace orv::dsound
