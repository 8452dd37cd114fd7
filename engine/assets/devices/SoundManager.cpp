#include "engine/assets/devices/SoundManager.h"

namespace Quorvex {

HRESULT SoundManager::Initialize(HWND window) {
    m_window = window;
    m_masterVolume = 1.0f;
    return S_OK;
}

SoundUnit* SoundManager::FindSound(const wchar_t*) const { return nullptr; }

void SoundManager::SetVolume(float volume) { m_masterVolume = volume; }

void SoundManager::StopAll() {}

void SoundManager::UpdateListener() {}

}  // namespace Quorvex
