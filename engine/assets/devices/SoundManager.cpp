#include "engine/assets/devices/SoundManager.h"

#include <algorithm>
#include <cstring>

#include "engine/core/Utility.h"
#include "platform/win32/phase_timer.h"

namespace Quorvex {

namespace {

constexpr const wchar_t* kLoadCaption = L"Sound Load ERROR";

DWORD ReadU32(const BYTE* p) { return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24; }

bool IsTag(const BYTE* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

DWORD LoadFailure(const wchar_t* message, const wchar_t* path, WaveData& wave) {
    ReportSoundError(nullptr, kLoadCaption, FormatW(message, path ? path : L""));
    wave.dataOffset = 0;
    wave.dataLength = 0;
    return 0;
}

// Formats the sound layer plays: PCM, 8 or 16 bits, one or two channels, whole
// frames. Anything else would fail later with no word about the file.
bool IsPlayable(const WAVEFORMATEX& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8 &&
           f.nSamplesPerSec >= DSBFREQUENCY_MIN && f.nSamplesPerSec <= DSBFREQUENCY_MAX;
}

}  // namespace

namespace {

// ParseWave over the first `available` bytes of a file of `size` bytes. When
// a header the parse needs lies past them, *incomplete is set and nothing is
// reported.
DWORD ParseWaveHeader(const wchar_t* path, const BYTE* image, size_t available, size_t size, WaveData& wave,
                      bool* incomplete) {
    *incomplete = false;
    wave.dataOffset = 0;
    wave.dataLength = 0;
    auto missing = [&](size_t end) {
        if (end <= available) return false;
        *incomplete = true;
        return true;
    };
    if (size >= 20 && missing(20)) return 0;
    if (size < 12 || !IsTag(image, "RIFF")) return LoadFailure(L"RIFFじゃない　？\r\n%s", path, wave);
    if (!IsTag(image + 8, "WAVE")) return LoadFailure(L"WAVEじゃない　？\r\n%s", path, wave);
    if (size < 20 || !IsTag(image + 12, "fmt ")) return LoadFailure(L"fmt じゃない　？？？\r\n%s", path, wave);
    const DWORD formatSize = ReadU32(image + 16);
    if (formatSize < 16 || formatSize > size - 20) return LoadFailure(L"fmt じゃない　？？？\r\n%s", path, wave);

    if (missing(20 + size_t(formatSize))) return 0;
    wave.format = WAVEFORMATEX{};
    std::memcpy(&wave.format, image + 20, std::min<size_t>(formatSize, sizeof(WAVEFORMATEX)));
    if (wave.format.wFormatTag == WAVE_FORMAT_PCM) wave.format.cbSize = 0;
    if (!IsPlayable(wave.format)) return LoadFailure(L"fmt じゃない　？？？\r\n%s", path, wave);

    size_t at = 20 + size_t(formatSize);
    // Every chunk header and body must lie inside the image.
    while (size - at >= 8) {
        if (missing(at + 8)) return 0;
        const DWORD chunkSize = ReadU32(image + at + 4);
        if (chunkSize > size - at - 8) break;
        if (IsTag(image + at, "data")) {
            wave.dataOffset = at + 8;
            wave.dataLength = chunkSize;
            return chunkSize;
        }
        at += 8 + size_t(chunkSize);
    }
    return LoadFailure(L"data がない　？？？\r\n%s", path, wave);
}

}  // namespace

DWORD ParseWave(const wchar_t* path, WaveData& wave) {
    bool incomplete = false;
    return ParseWaveHeader(path, wave.image.data(), wave.image.size(), wave.image.size(), wave, &incomplete);
}

DWORD ReadWave(const wchar_t* path, DWORD key, WaveData& wave) {
    wave = WaveData{};
    if (!path) return 0;
    const int read = key ? ReadWholeFile(path, wave.image) : ReadFileAsIs(path, wave.image);
    if (read != 0) return LoadFailure(L"ファイルをオープン出来ない\r\n%s", path, wave);
    if (key && !wave.image.empty())
        XorBuffer(static_cast<DWORD>(wave.image.size()), key, wave.image.data(), 0);
    return ParseWave(path, wave);
}

namespace {

// The first bytes of a file read to find its samples; headers past them
// (rare: long chunks before the samples) send the file the whole-file way.
constexpr DWORD kHeaderBytes = 64 * 1024;

}  // namespace

WaveFile::~WaveFile() {
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
}

DWORD OpenWave(const wchar_t* path, DWORD key, WaveFile& file, WaveData& wave) {
    wave = WaveData{};
    if (!path) return 0;
    file.m_key = key;
    const std::wstring target = key ? ResolveReadPath(path) : std::wstring(path);
    file.m_handle = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD size = file.m_handle == INVALID_HANDLE_VALUE ? INVALID_FILE_SIZE : GetFileSize(file.m_handle, nullptr);
    if (size == INVALID_FILE_SIZE) return LoadFailure(L"ファイルをオープン出来ない\r\n%s", path, wave);
    file.m_size = size;

    DWORD read = 0;
    {
        orv::PhaseTimer timer(orv::Phase::FileRead);
        wave.image.resize(std::min(size, kHeaderBytes));
        if (!ReadFile(file.m_handle, wave.image.data(), static_cast<DWORD>(wave.image.size()), &read, nullptr) ||
            read < wave.image.size())
            return LoadFailure(L"ファイルをオープン出来ない\r\n%s", path, wave);
    }
    if (key) XorFileSpan(size, 0, read, key, wave.image.data());
    bool incomplete = false;
    const DWORD length = ParseWaveHeader(path, wave.image.data(), read, size, wave, &incomplete);
    if (!incomplete) return length;
    CloseHandle(file.m_handle);
    file.m_handle = INVALID_HANDLE_VALUE;
    return ReadWave(path, key, wave);
}

bool WaveFile::ReadSamples(const WaveData& wave, BYTE* bytes, DWORD length) {
    length = std::min(length, wave.dataLength);
    // The samples already read with the headers, then the rest of them
    // straight from the file.
    const size_t held = wave.image.size() > wave.dataOffset ? wave.image.size() - wave.dataOffset : 0;
    const DWORD first = static_cast<DWORD>(std::min<size_t>(held, length));
    std::memcpy(bytes, wave.image.data() + wave.dataOffset, first);
    if (first == length) return true;
    if (m_handle == INVALID_HANDLE_VALUE || wave.image.size() < wave.dataOffset) return false;
    DWORD read = 0;
    {
        orv::PhaseTimer timer(orv::Phase::FileRead);
        if (!ReadFile(m_handle, bytes + first, length - first, &read, nullptr) || read < length - first) return false;
    }
    if (m_key) XorFileSpan(m_size, static_cast<DWORD>(wave.dataOffset) + first, read, m_key, bytes + first);
    return true;
}

SoundManager::~SoundManager() { ReleaseAll(); }

void SoundManager::ReleaseAll() {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    std::map<std::wstring, SoundUnit*> units;
    units.swap(m_sounds);
    for (auto& entry : units) entry.second->Release();
    SAFE_RELEASE(m_pListener);
    SAFE_RELEASE(m_pPrimaryBuffer);
    SAFE_RELEASE(m_pDirectSound);
}

HRESULT SoundManager::Initialize(HWND window) {
    ReleaseAll();
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    m_window = window;
    m_masterVolume = 1.0f;

    // Without a usable device the game goes on silent: every failure below is
    // shown once, and then there is nothing for the other calls to reach.
    if (FAILED(DirectSoundCreate8(&DSDEVID_DefaultPlayback, &m_pDirectSound, nullptr))) {
        m_pDirectSound = nullptr;
        ReportSoundError(window, L"ERROR", L"DirectSound の生成に失敗");
        return S_FALSE;
    }
    if (FAILED(m_pDirectSound->SetCooperativeLevel(window, DSSCL_NORMAL)) &&
        FAILED(m_pDirectSound->SetCooperativeLevel(window, DSSCL_NORMAL))) {
        ReportSoundError(window, L"ERROR", L"協調レベルの設定に失敗");
        ReleaseAll();
        return S_FALSE;
    }
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    HRESULT hr = m_pDirectSound->CreateSoundBuffer(&desc, &m_pPrimaryBuffer, nullptr);
    if (FAILED(hr)) {
        m_pPrimaryBuffer = nullptr;
        ReportSoundError(window, L"ERROR", FormatW(L"バッファの生成に失敗(hr=%d)", static_cast<int>(hr)));
        ReleaseAll();
        return S_FALSE;
    }
    hr = m_pPrimaryBuffer->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&m_pListener));
    SAFE_RELEASE(m_pPrimaryBuffer);
    if (FAILED(hr)) {
        m_pListener = nullptr;
        ReportSoundError(window, L"ERROR", L"IDirectSound3DListener インターフェイスの取得に失敗");
        ReleaseAll();
        return S_FALSE;
    }
    m_pListener->SetPosition(0.0f, 0.0f, 0.0f, DS3D_DEFERRED);
    m_pListener->SetDopplerFactor(1.0f, DS3D_DEFERRED);
    return S_OK;
}

bool SoundManager::HasDevice() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_pListener != nullptr;
}

HRESULT SoundManager::LoadSound(const wchar_t* id, const wchar_t* path, bool is3D, float volume, DWORD interval,
                                DWORD key) {
    if (!id || !path) return E_INVALIDARG;
    orv::PhaseTimer timer(orv::Phase::SoundRegistration);
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    if (!m_pDirectSound) return E_FAIL;  // no device: already reported once

    WaveFile file;
    WaveData wave;
    if (OpenWave(path, key, file, wave) == 0) {
        ReportSoundError(m_window, L"ERROR", L"Wave フォーマット、データの取得を失敗");
        return E_FAIL;
    }
    SoundUnit* unit = new SoundUnit(id, this);
    unit->AddRef();
    bool samplesRead = true;
    const HRESULT hr =
        unit->CreateBuffer(m_pDirectSound, wave.format, wave.dataLength, is3D, m_window, [&](BYTE* bytes, DWORD length) {
            return samplesRead = file.ReadSamples(wave, bytes, length);
        });
    if (FAILED(hr)) {
        if (!samplesRead) ReportSoundError(m_window, L"ERROR", L"Wave フォーマット、データの取得を失敗");
        unit->Release();
        return hr;
    }
    unit->SetVolume(volume);
    unit->SetInterval(interval);
    unit->SetMasterFactor(m_masterVolume);
    AddSound(unit);
    unit->Release();
    return S_OK;
}

SoundUnit* SoundManager::FindSound(const wchar_t* id) const {
    if (!id) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    const auto found = m_sounds.find(id);
    return found == m_sounds.end() ? nullptr : found->second;
}

int SoundManager::AddSound(SoundUnit* unit) {
    if (!unit) return -1;
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    unit->AddRef();
    const int replaced = RemoveSound(unit->GetId().c_str()) == 0 ? 1 : 0;
    m_sounds[unit->GetId()] = unit;
    return replaced;
}

int SoundManager::RemoveSound(const wchar_t* id) {
    if (!id) return 1;
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    const auto found = m_sounds.find(id);
    if (found == m_sounds.end()) return 1;
    SoundUnit* unit = found->second;
    m_sounds.erase(found);
    unit->Release();
    return 0;
}

void SoundManager::SetVolume(float volume) { SetMasterOf(false, volume); }

float SoundManager::GetVolume() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_masterVolume;
}

void SoundManager::SetMusicVolume(float volume) { SetMasterOf(true, volume); }

void SoundManager::SetMasterOf(bool music, float volume) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    float& master = music ? m_musicVolume : m_masterVolume;
    if (volume == master) return;
    master = volume;
    for (auto& entry : m_sounds)
        if (entry.second->IsMusic() == music) entry.second->SetMasterFactor(volume);
}

int SoundManager::MarkAsMusic(const wchar_t* id) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    SoundUnit* unit = FindSound(id);
    if (!unit) return -1;
    unit->SetMusic(true);
    unit->SetMasterFactor(m_musicVolume);
    return 0;
}

void SoundManager::StopAll() {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    for (auto& entry : m_sounds) entry.second->Stop();
}

void SoundManager::SetListenerPosition(const AreaPos& position) {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    m_listenerPosition = position;
}

AreaPos SoundManager::GetListenerPosition() const {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    return m_listenerPosition;
}

void SoundManager::UpdateListener() {
    std::lock_guard<std::recursive_mutex> lock(SoundMutex());
    if (!m_pListener) return;
    const D3DXVECTOR3 world = m_listenerPosition.ToWorld();
    m_pListener->SetPosition(world.x, world.y, world.z, DS3D_DEFERRED);
    for (auto& entry : m_sounds) entry.second->Update();
    m_pListener->CommitDeferredSettings();
}

}  // namespace Quorvex
