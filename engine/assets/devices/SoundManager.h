// Sound effects and music by id, with the 3D listener placed in the cell-based
// world. The scene tree creates one when the environment's sound switch is on
// and runs its per-frame listener update.
#pragma once
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/AreaPos.h"
#include "engine/core/FileBytes.h"
#include "engine/core/ReferCounter.h"
#include "platform/dsound/dsound.h"
#include "platform/win32/win32.h"

namespace Quorvex {

// A WAVE file read whole, with its format and where its samples lie.
struct WaveData {
    WAVEFORMATEX format{};
    FileBytes image;          // the file's bytes (descrambled)
    size_t dataOffset = 0;
    DWORD dataLength = 0;     // 0: no samples
    const BYTE* Data() const { return image.data() + dataOffset; }
};

// Parses the RIFF/WAVE image held in wave.image: "fmt " first (at least 16
// bytes, PCM of 8 or 16 bits, one or two channels), then chunks up to the
// first "data", none of which may run past the image. Answers the data length;
// 0 after a message box captioned "Sound Load ERROR" naming the path.
DWORD ParseWave(const wchar_t* path, WaveData& wave);
// Reads the file and parses it. Key 0: the path as it is; else the whole-file
// read (which follows the environment's redirection) descrambled with the key.
DWORD ReadWave(const wchar_t* path, DWORD key, WaveData& wave);

// A WAVE file opened for its samples to be read straight into their buffer.
class WaveFile {
public:
    WaveFile() = default;
    ~WaveFile();
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;

    // Writes the samples (descrambled) to bytes: true when all were read.
    bool ReadSamples(const WaveData& wave, BYTE* bytes, DWORD length);

private:
    friend DWORD OpenWave(const wchar_t* path, DWORD key, WaveFile& file, WaveData& wave);
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    DWORD m_size = 0;
    DWORD m_key = 0;
};

// ReadWave that reads only the headers (wave.image holds the file's first
// bytes, descrambled) and keeps the file open for ReadSamples. Same results
// and reports as ReadWave.
DWORD OpenWave(const wchar_t* path, DWORD key, WaveFile& file, WaveData& wave);

class SoundManager : public IUnknown, public ReferCounter {
public:
    SoundManager() = default;
    // Releases every unit, the listener and the device.
    ~SoundManager() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    // Opens the playback device and the 3D listener for the window: 0. When
    // there is no usable device the failure is shown in a message box
    // captioned "ERROR" and the game goes on without sound: S_FALSE, and then
    // every load fails and every other call does nothing.
    HRESULT Initialize(HWND window);
    bool HasDevice() const;

    // Loads the WAVE file into a new unit under the id (replacing one of the
    // same id): 0, or a negative result after a message box.
    HRESULT LoadSound(const wchar_t* id, const wchar_t* path, bool is3D, float volume, DWORD interval, DWORD key);
    // The unit of the id, or null; no reference is added.
    SoundUnit* FindSound(const wchar_t* id) const;
    // The table takes a reference; one of the same id is released first. 0, or
    // 1 when it replaced one; -1 for a null unit.
    int AddSound(SoundUnit* unit);
    // 0, or 1 when the id was not there.
    int RemoveSound(const wchar_t* id);

    // Master volume, a linear factor applied to every unit but the music.
    void SetVolume(float volume);
    float GetVolume() const;
    // The master factor of the music units alone.
    void SetMusicVolume(float volume);
    // The unit of the id becomes music and takes the music volume: 0, or -1
    // when there is no such unit.
    int MarkAsMusic(const wchar_t* id);
    // Stops every unit where it is.
    void StopAll();

    // Set by the camera code every frame.
    void SetListenerPosition(const AreaPos& position);
    AreaPos GetListenerPosition() const;
    // Per frame, from the scene tree's frame: the listener's position, every
    // unit's update, then one commit of the deferred 3D settings.
    void UpdateListener();

private:
    void ReleaseAll();
    // The master volume of the music units or of the others.
    void SetMasterOf(bool music, float volume);

    HWND m_window = nullptr;
    IDirectSound8* m_pDirectSound = nullptr;
    IDirectSoundBuffer* m_pPrimaryBuffer = nullptr;
    IDirectSound3DListener* m_pListener = nullptr;
    std::map<std::wstring, SoundUnit*> m_sounds;
    AreaPos m_listenerPosition;
    float m_masterVolume = 1.0f;
    float m_musicVolume = 1.0f;
};

}  // namespace Quorvex
