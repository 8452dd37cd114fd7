// Opening the playback device: DirectSoundCreate8, the device object and the
// loopback device that tests render on demand.
#include <algorithm>
#include <cmath>

#include "platform/dsound/dsound_internal.h"

namespace orv::dsound {

namespace {

int g_loopbackRate = 0;
std::weak_ptr<AlDevice> g_loopback;  // the newest live loopback device

}  // namespace

std::recursive_mutex& LayerMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

float GainOfVolume(LONG volume) {
    if (volume <= DSBVOLUME_MIN) return 0.0f;
    return std::pow(10.0f, static_cast<float>(volume) / 2000.0f);
}

std::shared_ptr<AlDevice> AlDevice::Open(int loopbackRate) {
    std::shared_ptr<AlDevice> device(new AlDevice());
    if (loopbackRate > 0) {
        auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
            alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        device->m_render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
        if (!open || !device->m_render) return nullptr;
        device->m_device = open(nullptr);
        if (!device->m_device) return nullptr;
        // Plain stereo panning, no HRTF, so what tests hear does not depend on a user's configuration.
        const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                                     ALC_FREQUENCY, loopbackRate, ALC_HRTF_SOFT, ALC_FALSE, 0};
        device->m_context = alcCreateContext(device->m_device, attributes);
    } else {
        device->m_device = alcOpenDevice(nullptr);
        if (!device->m_device) return nullptr;
        device->m_context = alcCreateContext(device->m_device, nullptr);
    }
    if (!device->m_context) return nullptr;  // the destructor closes the device

    device->MakeCurrent();
    // DirectSound's distance law: full gain inside the minimum distance, then
    // min / (min + rolloff × (d − min)), held constant beyond the maximum.
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    device->ApplyListenerPosition();
    device->ApplyListenerOrientation();
    device->ApplyDopplerFactor();
    if (alIsExtensionPresent("AL_SOFT_map_buffer") || alIsExtensionPresent("AL_SOFTX_map_buffer")) {
        device->bufferStorage = reinterpret_cast<BufferStorageFn>(alGetProcAddress("alBufferStorageSOFT"));
        device->mapBuffer = reinterpret_cast<MapBufferFn>(alGetProcAddress("alMapBufferSOFT"));
        device->unmapBuffer = reinterpret_cast<UnmapBufferFn>(alGetProcAddress("alUnmapBufferSOFT"));
        if (!device->mapBuffer || !device->unmapBuffer) device->bufferStorage = nullptr;
    }
    alGetError();
    return device;
}

AlDevice::~AlDevice() {
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    if (m_context) {
        if (alcGetCurrentContext() == m_context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
    }
    if (m_device) alcCloseDevice(m_device);
}

void AlDevice::MakeCurrent() const {
    if (alcGetCurrentContext() != m_context) alcMakeContextCurrent(m_context);
}

bool AlDevice::Render(float* stereoOut, int frames) {
    if (!m_render || !stereoOut || frames <= 0) return false;
    m_render(m_device, stereoOut, frames);
    return true;
}

void AlDevice::ApplyListenerPosition() const {
    const Vec3 p = ToAl(listenerPosition.value);
    alListener3f(AL_POSITION, p.x, p.y, p.z);
}

void AlDevice::ApplyListenerOrientation() const {
    const Vec3 f = ToAl(listenerOrientation.value.front);
    const Vec3 t = ToAl(listenerOrientation.value.top);
    const ALfloat at[6] = {f.x, f.y, f.z, t.x, t.y, t.z};
    alListenerfv(AL_ORIENTATION, at);
}

void AlDevice::ApplyDopplerFactor() const { alDopplerFactor(dopplerFactor.value); }

void AlDevice::ApplyRolloffFactor() const {
    // OpenAL keeps the rolloff per source; DirectSound's is the listener's.
    for (SoundBuffer* buffer : m_buffers) buffer->ApplyRolloff(rolloffFactor.value);
}

void AlDevice::CommitDeferredSettings() {
    if (listenerPosition.Commit()) ApplyListenerPosition();
    if (listenerOrientation.Commit()) ApplyListenerOrientation();
    if (dopplerFactor.Commit()) ApplyDopplerFactor();
    if (rolloffFactor.Commit()) ApplyRolloffFactor();
    for (SoundBuffer* buffer : m_buffers) buffer->CommitDeferred3D();
}

void AlDevice::RemoveBuffer(SoundBuffer* buffer) {
    m_buffers.erase(std::remove(m_buffers.begin(), m_buffers.end(), buffer), m_buffers.end());
}

namespace {

class DirectSoundDevice final : public IDirectSound8 {
public:
    explicit DirectSoundDevice(std::shared_ptr<AlDevice> device) : m_device(std::move(device)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!(riid == IID_IUnknown) && !(riid == IID_IDirectSound8)) return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IDirectSound8*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return m_refs.Add(); }
    ULONG Release() override {
        const ULONG left = m_refs.Drop();
        if (left == 0) delete this;
        return left;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, IDirectSoundBuffer** buffer, LPUNKNOWN outer) override {
        if (!buffer) return DSERR_INVALIDPARAM;
        *buffer = nullptr;
        if (!desc || desc->dwSize < offsetof(DSBUFFERDESC, guid3DAlgorithm)) return DSERR_INVALIDPARAM;
        if (outer) return DSERR_NOAGGREGATION;
        std::lock_guard<std::recursive_mutex> guard(LayerMutex());
        if (m_level == 0) return DSERR_PRIOLEVELNEEDED;
        DSBUFFERDESC copy{};
        std::copy_n(reinterpret_cast<const BYTE*>(desc), std::min<size_t>(desc->dwSize, sizeof copy),
                    reinterpret_cast<BYTE*>(&copy));
        if (copy.dwFlags & DSBCAPS_PRIMARYBUFFER) {
            if (copy.dwBufferBytes != 0 || copy.lpwfxFormat) return DSERR_INVALIDPARAM;
            return CreatePrimaryBuffer(m_device, buffer);
        }
        SoundBuffer* created = nullptr;
        const HRESULT hr = SoundBuffer::Create(m_device, copy, &created);
        if (SUCCEEDED(hr)) *buffer = static_cast<IDirectSoundBuffer8*>(created);
        return hr;
    }

    HRESULT SetCooperativeLevel(HWND, DWORD level) override {
        if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> guard(LayerMutex());
        m_level = level;
        return DS_OK;
    }

private:
    ~DirectSoundDevice() override = default;
    RefCount m_refs;
    std::shared_ptr<AlDevice> m_device;
    DWORD m_level = 0;
};

}  // namespace

void UseLoopbackDeviceForTests(int sampleRate) {
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    g_loopbackRate = std::max(sampleRate, 0);
}

bool RenderLoopback(float* stereoOut, int frames) {
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    const std::shared_ptr<AlDevice> device = g_loopback.lock();
    return device && device->Render(stereoOut, frames);
}

}  // namespace orv::dsound

HRESULT WINAPI DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* directSound, LPUNKNOWN outer) {
    using namespace orv::dsound;
    if (!directSound) return DSERR_INVALIDPARAM;
    *directSound = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    if (device && !(*device == GUID_NULL) && !(*device == DSDEVID_DefaultPlayback)) return DSERR_NODRIVER;
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    std::shared_ptr<AlDevice> opened = AlDevice::Open(g_loopbackRate);
    if (!opened) return DSERR_NODRIVER;
    if (g_loopbackRate > 0) g_loopback = opened;
    *directSound = new DirectSoundDevice(std::move(opened));
    return DS_OK;
}
