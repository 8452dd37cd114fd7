// One loaded sound: its whole PCM data in one sound buffer, with a 3D buffer
// when it is positioned in the cell-based world, a re-trigger interval, a loop
// region for music and its own volume.
#pragma once
#include <functional>
#include <mutex>
#include <string>

#include "engine/core/AreaPos.h"
#include "engine/core/ReferCounter.h"
#include "platform/dsound/dsound.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class SoundManager;

// The millisecond clock re-trigger intervals are measured with: timeGetTime,
// unless a test sets another (null restores it).
using SoundClock = DWORD (*)();
void SetSoundClock(SoundClock clock);
DWORD GetSoundTime();

// The one lock of the units and their manager; re-entrant, because the
// manager's update runs the units' own.
std::recursive_mutex& SoundMutex();
// Logs the text under "SoundManager" and shows it in an error message box.
void ReportSoundError(HWND owner, const wchar_t* caption, const std::wstring& text);

// Every operation of units and of their manager is serialised on one lock, so
// game objects may play, stop and move sounds from the job threads.
class SoundUnit : public IUnknown, public ReferCounter {
public:
    // Play flags.
    static constexpr DWORD PLAY_LOOP = 1;
    static constexpr DWORD PLAY_REWIND = 2;
    static constexpr DWORD PLAY_IGNORE_INTERVAL = 4;

    SoundUnit(const wchar_t* id, SoundManager* manager);
    ~SoundUnit() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    // Makes the buffer (and with is3D the 3D buffer: minimum distance 500,
    // maximum 10000, at rest) and lets `fill` write the samples straight into
    // the locked buffer (length bytes). 0, or the failing result after a
    // message box captioned "ERROR"; a fill that answers false fails the call
    // with E_FAIL and leaves no buffer.
    HRESULT CreateBuffer(IDirectSound8* directSound, const WAVEFORMATEX& format, DWORD length, bool is3D, HWND owner,
                         const std::function<bool(BYTE* bytes, DWORD length)>& fill);

    // Plays from the cursor (flag 2: from the start; flag 1: looping). With a
    // 3D buffer a position is stored and a velocity set, both taking effect at
    // the manager's next listener update. E_FAIL, playing nothing, when the
    // unit is null or was started less than its interval ago (flag 4 ignores
    // the interval); a unit never played before is never refused.
    static HRESULT Play(SoundUnit* unit, const AreaPos* position, DWORD flags, const D3DXVECTOR3* velocity);
    HRESULT Play(DWORD flags, const AreaPos* position = nullptr, const D3DXVECTOR3* velocity = nullptr);
    // Stops where it is; the next play without flag 2 goes on from there.
    void Stop();
    // Playback rate in Hz (0: the data's own); needs a 3D unit.
    void SetFrequency(DWORD frequency);
    // The 3D position, sent at the manager's next listener update.
    void SetPosition(const AreaPos& position);
    AreaPos GetPosition() const;

    // The unit's own linear volume and the copy of its master volume (the
    // manager's music volume for a music unit, else its effect volume); the
    // buffer gets the volume law of their product.
    void SetVolume(float volume);
    void SetMasterFactor(float factor);
    float GetVolume() const;
    float GetMasterFactor() const;
    // Hundredths of a decibel for a linear amplitude: -10000 below 0, 0 above
    // 1, else trunc(100 × 20·log10(a)) raised to -10000.
    static LONG ToBufferVolume(float amplitude);

    // Per frame, from the manager: the 3D position (deferred) and the jump back
    // from the loop end to the loop start.
    void Update();

    // For callers that drive the buffer themselves (music, jingles).
    IDirectSoundBuffer8* GetBuffer() const { return m_pBuffer; }
    IDirectSound3DBuffer8* Get3DBuffer() const { return m_pBuffer3D; }
    DWORD GetInterval() const;
    void SetInterval(DWORD interval);
    DWORD GetLastPlayTime() const;
    void SetLastPlayTime(DWORD time);
    // Whether a start at `now` would be refused by the re-trigger interval.
    bool IsIntervalBlocked(DWORD now) const;
    // Play-cursor bytes: at `end` (0: no region) the cursor goes back to `start`.
    void SetLoopRegion(DWORD start, DWORD end);
    DWORD GetLoopStart() const;
    DWORD GetLoopEnd() const;

    // Music follows the manager's music volume instead of the effect volume.
    bool IsMusic() const;
    void SetMusic(bool music);

    const std::wstring& GetId() const { return m_id; }
    SoundManager* GetManager() const { return m_pManager; }

private:
    void ApplyVolume();

    std::wstring m_id;
    SoundManager* m_pManager;  // not counted
    IDirectSoundBuffer8* m_pBuffer = nullptr;
    IDirectSound3DBuffer8* m_pBuffer3D = nullptr;
    DWORD m_interval = 0;
    DWORD m_lastPlayTime = 0;
    bool m_played = false;
    AreaPos m_position;
    DWORD m_loopStart = 0;
    DWORD m_loopEnd = 0;
    float m_volume = 1.0f;
    float m_masterFactor = 1.0f;
    bool m_music = false;
};

}  // namespace Quorvex
