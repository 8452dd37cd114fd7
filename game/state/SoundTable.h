// The sounds and music the game registers at start-up: ids, files, whether
// they are positioned, and their re-trigger intervals.
#pragma once
#include <cstddef>

#include "platform/win32/win32.h"

namespace Quorvex {
class SoundManager;
}

struct SoundTableEntry {
    const wchar_t* id;
    const wchar_t* path;
    bool is3D;
    DWORD interval;  // ms before the same sound may start again
    bool music = false;  // follows the music volume, not the effect volume
};

extern const SoundTableEntry g_SoundTable[];
extern const size_t g_SoundTableSize;

// Master volume 1.0, then every entry loaded with volume 1.0 and the asset key
// (0 for plain files), the music marked as such. A sound that fails to load is
// left out; nothing stops.
void RegisterSounds(Quorvex::SoundManager* manager, DWORD key);
// The player's settings to the manager: the sound-effect volume as the master
// volume of the effects, the music volume as that of the music.
void ApplyVolumeSettings(Quorvex::SoundManager* manager);
