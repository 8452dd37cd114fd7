#include "engine/assets/devices/SoundUnit.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/assets/devices/SoundManager.h"
#include "engine/core/MessageLogManager.h"

namespace Quorvex {

namespace {

std::atomic<SoundClock> g_clock{nullptr};

}  // namespace

void SetSoundClock(SoundClock clock) { g_clock.store(clock); }

DWORD GetSoundTime() {
    const SoundClock clock = g_clock.load();
    return clock ? clock() : timeGetTime();
}

std::recursive_mutex& SoundMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

void ReportSoundError(HWND owner, const wchar_t* caption, const std::wstring& text) {
    MessageLogManager::Instance().Log(L"SoundManager", text.c_str());
    MessageBoxW(owner, text.c_str(), caption, MB_OK | MB_ICONERROR);
}

SoundUnit::SoundUnit(const wchar_t* id, SoundManager* manager) : m_id(id ? id : L""), m_pManager(manager) {}

SoundUnit::~SoundUnit() {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    if (m_pBuffer) m_pBuffer->Stop();
    SAFE_RELEASE(m_pBuffer3D);
    SAFE_RELEASE(m_pBuffer);
}

HRESULT SoundUnit::CreateBuffer(IDirectSound8* directSound, const WAVEFORMATEX& format, DWORD length, bool is3D,
                                HWND owner, const std::function<bool(BYTE* bytes, DWORD length)>& fill) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    SAFE_RELEASE(m_pBuffer3D);
    SAFE_RELEASE(m_pBuffer);
    if (!directSound || !fill) return E_FAIL;

    WAVEFORMATEX wave = format;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwBufferBytes = length;
    desc.lpwfxFormat = &wave;
    if (is3D) {
        desc.dwFlags = DSBCAPS_CTRL3D | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFX;
        desc.guid3DAlgorithm = DS3DALG_HRTF_FULL;
    } else {
        desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_LOCSOFTWARE;
    }
    IDirectSoundBuffer* first = nullptr;
    HRESULT hr = directSound->CreateSoundBuffer(&desc, &first, nullptr);
    if (FAILED(hr)) {
        ReportSoundError(owner, L"ERROR", FormatW(L"バッファの生成に失敗(hr=%d)", static_cast<int>(hr)));
        return hr;
    }
    hr = first->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&m_pBuffer));
    first->Release();
    if (FAILED(hr)) {
        m_pBuffer = nullptr;
        ReportSoundError(owner, L"ERROR", L"IDirectSoundBuffer8 インターフェイスの取得に失敗");
        return hr;
    }
    void* locked = nullptr;
    DWORD lockedBytes = 0;
    hr = m_pBuffer->Lock(0, 0, &locked, &lockedBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    if (FAILED(hr)) {
        ReportSoundError(owner, L"ERROR", L"バッファのロックに失敗");
        SAFE_RELEASE(m_pBuffer);
        return hr;
    }
    const bool filled = fill(static_cast<BYTE*>(locked), std::min(length, lockedBytes));
    m_pBuffer->Unlock(locked, lockedBytes, nullptr, 0);
    if (!filled) {
        SAFE_RELEASE(m_pBuffer);
        return E_FAIL;
    }

    if (is3D) {
        hr = m_pBuffer->QueryInterface(IID_IDirectSound3DBuffer8, reinterpret_cast<void**>(&m_pBuffer3D));
        if (FAILED(hr)) {
            m_pBuffer3D = nullptr;
            ReportSoundError(owner, L"ERROR", L"IDirectSound3DBuffer8 インターフェイスの取得に失敗");
            SAFE_RELEASE(m_pBuffer);
            return hr;
        }
        m_pBuffer3D->SetMinDistance(500.0f, DS3D_IMMEDIATE);
        m_pBuffer3D->SetMaxDistance(10000.0f, DS3D_IMMEDIATE);
        m_pBuffer3D->SetVelocity(0.0f, 0.0f, 0.0f, DS3D_IMMEDIATE);
    }
    return S_OK;
}

HRESULT SoundUnit::Play(SoundUnit* unit, const AreaPos* position, DWORD flags, const D3DXVECTOR3* velocity) {
    return unit ? unit->Play(flags, position, velocity) : E_FAIL;
}

HRESULT SoundUnit::Play(DWORD flags, const AreaPos* position, const D3DXVECTOR3* velocity) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    const DWORD now = GetSoundTime();
    if (!(flags & PLAY_IGNORE_INTERVAL) && IsIntervalBlocked(now)) return E_FAIL;
    if (!m_pBuffer) return E_FAIL;
    if (flags & PLAY_REWIND) m_pBuffer->SetCurrentPosition(0);
    m_pBuffer->Play(0, 0, (flags & PLAY_LOOP) ? DSBPLAY_LOOPING : 0);
    if (m_pBuffer3D) {
        if (position) {
            m_position = *position;
            const D3DXVECTOR3 world = m_position.ToWorld();
            m_pBuffer3D->SetPosition(world.x, world.y, world.z, DS3D_DEFERRED);
        }
        if (velocity) m_pBuffer3D->SetVelocity(velocity->x, velocity->y, velocity->z, DS3D_DEFERRED);
    }
    m_lastPlayTime = now;
    m_played = true;
    return S_OK;
}

void SoundUnit::Stop() {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    if (m_pBuffer) m_pBuffer->Stop();
}

void SoundUnit::SetFrequency(DWORD frequency) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    if (m_pBuffer) m_pBuffer->SetFrequency(frequency);
}

void SoundUnit::SetPosition(const AreaPos& position) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    m_position = position;
}

AreaPos SoundUnit::GetPosition() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_position;
}

void SoundUnit::SetVolume(float volume) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    m_volume = volume;
    ApplyVolume();
}

void SoundUnit::SetMasterFactor(float factor) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    m_masterFactor = factor;
    ApplyVolume();
}

float SoundUnit::GetVolume() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_volume;
}

float SoundUnit::GetMasterFactor() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_masterFactor;
}

bool SoundUnit::IsMusic() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_music;
}

void SoundUnit::SetMusic(bool music) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    m_music = music;
}

LONG SoundUnit::ToBufferVolume(float amplitude) {
    if (amplitude < 0.0f) return DSBVOLUME_MIN;
    if (amplitude > 1.0f) return DSBVOLUME_MAX;
    const float hundredths = 20.0f * std::log10(amplitude) * 100.0f;
    // 0 gives −∞ and a NaN compares false: both are silence.
    if (!(hundredths >= static_cast<float>(DSBVOLUME_MIN))) return DSBVOLUME_MIN;
    return static_cast<LONG>(hundredths);
}

void SoundUnit::ApplyVolume() {
    if (m_pBuffer) m_pBuffer->SetVolume(ToBufferVolume(m_volume * m_masterFactor));
}

void SoundUnit::Update() {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    if (m_pBuffer3D) {
        const D3DXVECTOR3 world = m_position.ToWorld();
        m_pBuffer3D->SetPosition(world.x, world.y, world.z, DS3D_DEFERRED);
    }
    if (m_loopEnd && m_pBuffer) {
        DWORD cursor = 0;
        if (SUCCEEDED(m_pBuffer->GetCurrentPosition(&cursor, nullptr)) && cursor >= m_loopEnd)
            m_pBuffer->SetCurrentPosition(m_loopStart + (cursor - m_loopEnd));
    }
}

DWORD SoundUnit::GetInterval() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_interval;
}

void SoundUnit::SetInterval(DWORD interval) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    m_interval = interval;
}

DWORD SoundUnit::GetLastPlayTime() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_lastPlayTime;
}

void SoundUnit::SetLastPlayTime(DWORD time) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    m_lastPlayTime = time;
    m_played = true;
}

bool SoundUnit::IsIntervalBlocked(DWORD now) const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    // The difference stays right across the clock's wrap; a clock that started
    // recently must not hold back a first play.
    return m_played && now - m_lastPlayTime < m_interval;
}

void SoundUnit::SetLoopRegion(DWORD start, DWORD end) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    m_loopStart = start;
    m_loopEnd = end;
}

DWORD SoundUnit::GetLoopStart() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_loopStart;
}

DWORD SoundUnit::GetLoopEnd() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_loopEnd;
}

}  // namespace Quorvex
