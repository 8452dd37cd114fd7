// Sound effects and music by id, with the 3D listener placed in the cell-based
// world. The scene tree creates one when the environment's sound switch is on
// and runs its per-frame listener update.
#pragma once
#include "engine/core/AreaPos.h"
#include "engine/core/ReferCounter.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class SoundUnit;

class SoundManager : public IUnknown, public ReferCounter {
public:
    SoundManager() = default;
    ~SoundManager() override = default;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    // Opens the playback device for the window: 0, or E_FAIL. Until the sound
    // layer exists there is no device to open and nothing is ever heard.
    HRESULT Initialize(HWND window);

    // The loaded unit of the id, or null (none is loaded yet).
    SoundUnit* FindSound(const wchar_t* id) const;

    // Master volume, a linear factor applied to every unit.
    void SetVolume(float volume);
    float GetVolume() const { return m_masterVolume; }
    void StopAll();

    // Set by the camera code every frame.
    void SetListenerPosition(const AreaPos& position) { m_listenerPosition = position; }
    const AreaPos& GetListenerPosition() const { return m_listenerPosition; }
    // Per frame, from the scene tree's frame.
    void UpdateListener();

private:
    HWND m_window = nullptr;
    AreaPos m_listenerPosition;
    float m_masterVolume = 1.0f;
};

}  // namespace Quorvex
