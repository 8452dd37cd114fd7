// The primary buffer and the 3D listener behind it. The mixer is OpenAL's, so
// the primary buffer has no data of its own: its volume is the listener's gain
// and it reports itself as always playing.
#include <cmath>

#include "platform/dsound/dsound_internal.h"

namespace orv::dsound {

namespace {

class PrimaryBuffer final : public IDirectSoundBuffer, public IDirectSound3DListener {
public:
    explicit PrimaryBuffer(std::shared_ptr<AlDevice> device) : m_device(std::move(device)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer)
            *object = static_cast<IDirectSoundBuffer*>(this);
        else if (riid == IID_IDirectSound3DListener)
            *object = static_cast<IDirectSound3DListener*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return m_refs.Add(); }
    ULONG Release() override {
        const ULONG left = m_refs.Drop();
        if (left == 0) delete this;
        return left;
    }

    // ---- IDirectSoundBuffer
    HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override {
        if (playCursor) *playCursor = 0;
        if (writeCursor) *writeCursor = 0;
        return DS_OK;
    }
    HRESULT GetVolume(LONG* volume) override {
        if (!volume) return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> guard(LayerMutex());
        *volume = m_volume;
        return DS_OK;
    }
    HRESULT GetPan(LONG*) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT GetFrequency(LPDWORD) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT GetStatus(LPDWORD status) override {
        if (!status) return DSERR_INVALIDPARAM;
        *status = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;
        return DS_OK;
    }
    HRESULT Lock(DWORD, DWORD, LPVOID*, LPDWORD, LPVOID*, LPDWORD, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT Play(DWORD reserved1, DWORD, DWORD flags) override {
        if (reserved1 != 0 || !(flags & DSBPLAY_LOOPING)) return DSERR_INVALIDPARAM;
        return DS_OK;
    }
    HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT SetVolume(LONG volume) override {
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
        DeviceLock lock(*m_device);
        m_volume = volume;
        alListenerf(AL_GAIN, GainOfVolume(volume));
        return DS_OK;
    }
    HRESULT SetPan(LONG) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT SetFrequency(DWORD) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT Stop() override { return DS_OK; }
    HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return DSERR_INVALIDCALL; }

    // ---- IDirectSound3DListener
    HRESULT GetPosition(D3DVECTOR* position) override {
        if (!position) return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> guard(LayerMutex());
        *position = ToD3D(m_device->listenerPosition.pending);
        return DS_OK;
    }
    HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
        const Vec3 v = MakeVec(x, y, z);
        if (!IsFinite(v)) return DSERR_INVALIDPARAM;
        DeviceLock lock(*m_device);
        if (m_device->listenerPosition.Set(v, apply)) m_device->ApplyListenerPosition();
        return DS_OK;
    }
    HRESULT GetOrientation(D3DVECTOR* front, D3DVECTOR* top) override {
        if (!front || !top) return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> guard(LayerMutex());
        *front = ToD3D(m_device->listenerOrientation.pending.front);
        *top = ToD3D(m_device->listenerOrientation.pending.top);
        return DS_OK;
    }
    HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop, D3DVALUE yTop,
                           D3DVALUE zTop, DWORD apply) override {
        const Orientation o{MakeVec(xFront, yFront, zFront), MakeVec(xTop, yTop, zTop)};
        // Two vectors that span no plane leave the listener's right undefined.
        const Vec3 c{o.front.y * o.top.z - o.front.z * o.top.y, o.front.z * o.top.x - o.front.x * o.top.z,
                     o.front.x * o.top.y - o.front.y * o.top.x};
        if (!IsFinite(o.front) || !IsFinite(o.top) || (c.x == 0 && c.y == 0 && c.z == 0))
            return DSERR_INVALIDPARAM;
        DeviceLock lock(*m_device);
        if (m_device->listenerOrientation.Set(o, apply)) m_device->ApplyListenerOrientation();
        return DS_OK;
    }
    HRESULT GetDopplerFactor(D3DVALUE* factor) override {
        if (!factor) return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> guard(LayerMutex());
        *factor = m_device->dopplerFactor.pending;
        return DS_OK;
    }
    HRESULT SetDopplerFactor(D3DVALUE factor, DWORD apply) override {
        if (!(factor >= DS3D_MINDOPPLERFACTOR && factor <= DS3D_MAXDOPPLERFACTOR)) return DSERR_INVALIDPARAM;
        DeviceLock lock(*m_device);
        if (m_device->dopplerFactor.Set(factor, apply)) m_device->ApplyDopplerFactor();
        return DS_OK;
    }
    HRESULT GetRolloffFactor(D3DVALUE* factor) override {
        if (!factor) return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> guard(LayerMutex());
        *factor = m_device->rolloffFactor.pending;
        return DS_OK;
    }
    HRESULT SetRolloffFactor(D3DVALUE factor, DWORD apply) override {
        if (!(factor >= DS3D_MINROLLOFFFACTOR && factor <= DS3D_MAXROLLOFFFACTOR)) return DSERR_INVALIDPARAM;
        DeviceLock lock(*m_device);
        if (m_device->rolloffFactor.Set(factor, apply)) m_device->ApplyRolloffFactor();
        return DS_OK;
    }
    HRESULT CommitDeferredSettings() override {
        DeviceLock lock(*m_device);
        m_device->CommitDeferredSettings();
        return DS_OK;
    }

private:
    ~PrimaryBuffer() override = default;
    RefCount m_refs;
    std::shared_ptr<AlDevice> m_device;
    LONG m_volume = DSBVOLUME_MAX;
};

}  // namespace

HRESULT CreatePrimaryBuffer(const std::shared_ptr<AlDevice>& device, IDirectSoundBuffer** out) {
    *out = static_cast<IDirectSoundBuffer*>(new PrimaryBuffer(device));
    return DS_OK;
}

}  // namespace orv::dsound
