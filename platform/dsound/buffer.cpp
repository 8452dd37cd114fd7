// Secondary buffers: the whole PCM data in one OpenAL buffer played by one
// source, with DirectSound's byte cursors, volume, frequency, pan and, for
// DSBCAPS_CTRL3D buffers, a positioned source.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include <sys/mman.h>

#include "platform/dsound/dsound_internal.h"

namespace orv::dsound {

namespace {

bool IsPlayableFormat(const WAVEFORMATEX& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8 &&
           f.nSamplesPerSec >= DSBFREQUENCY_MIN && f.nSamplesPerSec <= DSBFREQUENCY_MAX;
}

ALenum AlFormatOf(const WAVEFORMATEX& f) {
    if (f.nChannels == 1) return f.wBitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return f.wBitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

// Long sounds (music) fill tens of megabytes that are touched once, page by
// page: large pages make that a few hundred faults instead of thousands. Only
// whole aligned large pages inside the range are asked for; a refusal changes
// nothing.
void PreferLargePages(void* bytes, size_t size) {
    constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(bytes) + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(bytes) + size) & ~(kLargePage - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// The first touch of fresh memory is most of a long sound's set-up, and it
// goes as fast on several cores at once: large buffers are filled in a few
// pieces side by side. Without a thread, this one fills the rest.
void Fill(BYTE* bytes, int value, size_t size) {
    constexpr size_t kPiece = size_t(8) << 20;
    const size_t pieces = std::min<size_t>(4, size / kPiece);
    if (pieces < 2) {
        std::memset(bytes, value, size);
        return;
    }
    const size_t step = size / pieces;
    std::vector<std::thread> helpers;
    size_t handedOut = step;  // this thread fills the first piece
    try {
        for (size_t i = 1; i < pieces; ++i) {
            const size_t begin = i * step, end = i + 1 == pieces ? size : begin + step;
            helpers.emplace_back([=] { std::memset(bytes + begin, value, end - begin); });
            handedOut = end;
        }
    } catch (const std::system_error&) {
    }
    std::memset(bytes, value, step);
    if (handedOut < size) std::memset(bytes + handedOut, value, size - handedOut);
    for (std::thread& helper : helpers) helper.join();
}

}  // namespace

SoundBuffer::SoundBuffer(const std::shared_ptr<AlDevice>& device, const DSBUFFERDESC& desc)
    : m_device(device), m_flags(desc.dwFlags), m_format(*desc.lpwfxFormat), m_alFormat(AlFormatOf(m_format)) {
    m_format.cbSize = 0;
    m_size = desc.dwBufferBytes;
    m_playableBytes = desc.dwBufferBytes - desc.dwBufferBytes % m_format.nBlockAlign;
}

HRESULT SoundBuffer::Create(const std::shared_ptr<AlDevice>& device, const DSBUFFERDESC& desc, SoundBuffer** out) {
    *out = nullptr;
    if (!desc.lpwfxFormat) return DSERR_INVALIDPARAM;
    const WAVEFORMATEX& format = *desc.lpwfxFormat;
    if (!IsPlayableFormat(format)) return DSERR_BADFORMAT;
    if (desc.dwBufferBytes < DSBSIZE_MIN || desc.dwBufferBytes > DSBSIZE_MAX ||
        desc.dwBufferBytes < format.nBlockAlign)
        return DSERR_INVALIDPARAM;
    // A positioned source is a point: one channel, and no pan besides its position.
    if ((desc.dwFlags & DSBCAPS_CTRL3D) && (format.nChannels != 1 || (desc.dwFlags & DSBCAPS_CTRLPAN)))
        return DSERR_INVALIDPARAM;

    DeviceLock lock(*device);
    std::unique_ptr<SoundBuffer> buffer;
    try {
        buffer.reset(new SoundBuffer(device, desc));
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    alGetError();
    alGenBuffers(1, &buffer->m_alBuffer);
    if (alGetError() != AL_NO_ERROR) {
        buffer->m_alBuffer = 0;
        return DSERR_OUTOFMEMORY;
    }
    alGenSources(1, &buffer->m_source);
    if (alGetError() != AL_NO_ERROR) {
        buffer->m_source = 0;
        return DSERR_OUTOFMEMORY;
    }
    const ALuint source = buffer->m_source;
    if (buffer->Is3D()) {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
        alSourcef(source, AL_REFERENCE_DISTANCE, DS3D_DEFAULTMINDISTANCE);
        alSourcef(source, AL_MAX_DISTANCE, DS3D_DEFAULTMAXDISTANCE);
        alSourcef(source, AL_ROLLOFF_FACTOR, device->rolloffFactor.value);
    } else {
        // Not positioned: a source that stays on the listener.
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        if (format.nChannels == 2) alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    }
    alSource3f(source, AL_POSITION, 0, 0, 0);
    alSource3f(source, AL_VELOCITY, 0, 0, 0);
    buffer->StoreMapped();
    device->AddBuffer(buffer.get());
    *out = buffer.release();
    return DS_OK;
}

SoundBuffer::~SoundBuffer() {
    DeviceLock lock(*m_device);
    m_device->RemoveBuffer(this);
    if (m_mappedBytes) m_device->unmapBuffer(m_alBuffer);
    if (m_source) {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        alDeleteSources(1, &m_source);
    }
    if (m_alBuffer) alDeleteBuffers(1, &m_alBuffer);
}

HRESULT SoundBuffer::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer || riid == IID_IDirectSoundBuffer8)
        *object = static_cast<IDirectSoundBuffer8*>(this);
    else if (riid == IID_IDirectSound3DBuffer && Is3D())
        *object = static_cast<IDirectSound3DBuffer*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG SoundBuffer::AddRef() { return m_refs.Add(); }

ULONG SoundBuffer::Release() {
    const ULONG left = m_refs.Drop();
    if (left == 0) delete this;
    return left;
}

// ---- Cursor and playing state ---------------------------------------------------

bool SoundBuffer::SyncPlaying() {
    if (!m_playing) return false;
    ALint state = AL_STOPPED;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) return true;
    // A play without looping ran to the end: the buffer stops with its cursor back at the start.
    m_playing = false;
    m_cursor = 0;
    return false;
}

DWORD SoundBuffer::PlayCursor() {
    if (!SyncPlaying()) return m_cursor;
    ALint offset = 0;
    alGetSourcei(m_source, AL_BYTE_OFFSET, &offset);
    return offset > 0 && static_cast<DWORD>(offset) < m_playableBytes ? static_cast<DWORD>(offset) : 0;
}

void SoundBuffer::StartAtCursor() {
    alSourceRewind(m_source);
    if (m_cursor) alSourcei(m_source, AL_BYTE_OFFSET, static_cast<ALint>(m_cursor));
    alSourcePlay(m_source);
    m_playing = true;
}

void SoundBuffer::StoreMapped() {
    if (!m_device->bufferStorage || m_playableBytes != m_size) return;
    constexpr ALuint kAccess = AlDevice::kMapRead | AlDevice::kMapWrite | AlDevice::kMapPersistent;
    alGetError();
    m_device->bufferStorage(m_alBuffer, m_alFormat, nullptr, static_cast<ALsizei>(m_size),
                            static_cast<ALsizei>(m_format.nSamplesPerSec), kAccess);
    if (alGetError() != AL_NO_ERROR) return;
    // OpenAL leaves fresh storage as it comes: silence until the owner
    // writes (unsigned 8-bit samples centre on 0x80). These are the pages the
    // owner's first write lands on, so the fill costs no memory of its own.
    void* bytes = m_device->mapBuffer(m_alBuffer, 0, static_cast<ALsizei>(m_size), kAccess);
    if (!bytes) return;
    PreferLargePages(bytes, m_size);
    Fill(static_cast<BYTE*>(bytes), m_format.wBitsPerSample == 8 ? 0x80 : 0x00, m_size);
    m_device->unmapBuffer(m_alBuffer);
    alSourcei(m_source, AL_BUFFER, static_cast<ALint>(m_alBuffer));
    m_mapped = true;
    m_uploaded = true;
}

BYTE* SoundBuffer::LockedBytes() {
    if (!m_mapped) return HoldBytes() ? m_data.get() : nullptr;
    if (!m_mappedBytes)
        m_mappedBytes = static_cast<BYTE*>(m_device->mapBuffer(
            m_alBuffer, 0, static_cast<ALsizei>(m_size),
            AlDevice::kMapRead | AlDevice::kMapWrite | AlDevice::kMapPersistent));
    return m_mappedBytes;
}

bool SoundBuffer::HoldBytes() {
    if (m_data) return true;
    BYTE* bytes = nullptr;
    if (m_storedInAl) {
        bytes = static_cast<BYTE*>(std::malloc(m_size));
        const void* stored =
            bytes ? m_device->mapBuffer(m_alBuffer, 0, static_cast<ALsizei>(m_playableBytes),
                                        AlDevice::kMapRead | AlDevice::kMapPersistent)
                  : nullptr;
        if (!stored) {
            std::free(bytes);
            return false;
        }
        std::memcpy(bytes, stored, m_playableBytes);
        m_device->unmapBuffer(m_alBuffer);
        std::memcpy(bytes + m_playableBytes, m_tail, m_size - m_playableBytes);
    } else if (m_format.wBitsPerSample == 8) {
        // Silence until the owner writes: unsigned 8-bit samples centre on 0x80.
        bytes = static_cast<BYTE*>(std::malloc(m_size));
        if (bytes) std::memset(bytes, 0x80, m_size);
    } else {
        // Fresh pages from calloc are zero without being touched, so the
        // silence of a buffer about to be filled costs nothing.
        bytes = static_cast<BYTE*>(std::calloc(m_size, 1));
    }
    m_data.reset(bytes);
    return bytes != nullptr;
}

void SoundBuffer::Upload() {
    if (!HoldBytes()) return;
    // OpenAL takes no new data for a buffer that a source holds: detach it,
    // refill it and attach it again, keeping the cursor and the playing state.
    const DWORD cursor = PlayCursor();
    const bool wasPlaying = m_playing;
    alSourceStop(m_source);
    alSourcei(m_source, AL_BUFFER, 0);
    const ALsizei rate = static_cast<ALsizei>(m_format.nSamplesPerSec);
    m_storedInAl = false;
    if (m_device->bufferStorage) {
        alGetError();
        m_device->bufferStorage(m_alBuffer, m_alFormat, m_data.get(), static_cast<ALsizei>(m_playableBytes), rate,
                                AlDevice::kMapRead | AlDevice::kMapPersistent);
        m_storedInAl = alGetError() == AL_NO_ERROR;
    }
    if (!m_storedInAl) alBufferData(m_alBuffer, m_alFormat, m_data.get(), static_cast<ALsizei>(m_playableBytes), rate);
    alSourcei(m_source, AL_BUFFER, static_cast<ALint>(m_alBuffer));
    // One copy of the samples: OpenAL's, once no Lock still points at ours.
    if (m_storedInAl && m_locks == 0) {
        std::memcpy(m_tail, m_data.get() + m_playableBytes, m_size - m_playableBytes);
        m_data.reset();
    }
    m_uploaded = true;
    m_playing = false;
    m_cursor = cursor;
    if (wasPlaying) StartAtCursor();
}

HRESULT SoundBuffer::GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) {
    if (!playCursor && !writeCursor) return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    const DWORD cursor = PlayCursor();
    if (playCursor) *playCursor = cursor;
    // Data reaches OpenAL at Unlock, so writing is safe right at the play cursor.
    if (writeCursor) *writeCursor = cursor;
    return DS_OK;
}

HRESULT SoundBuffer::SetCurrentPosition(DWORD newPosition) {
    DeviceLock lock(*m_device);
    if (newPosition >= m_size) return DSERR_INVALIDPARAM;
    DWORD position = newPosition - newPosition % m_format.nBlockAlign;
    if (position >= m_playableBytes) position = 0;  // inside a trailing part-frame: the wrap point
    if (SyncPlaying())
        alSourcei(m_source, AL_BYTE_OFFSET, static_cast<ALint>(position));
    else
        m_cursor = position;
    return DS_OK;
}

HRESULT SoundBuffer::GetStatus(LPDWORD status) {
    if (!status) return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    *status = 0;
    if (SyncPlaying()) *status = DSBSTATUS_PLAYING | (m_looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

HRESULT SoundBuffer::Play(DWORD reserved1, DWORD, DWORD flags) {
    if (reserved1 != 0) return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    m_looping = (flags & DSBPLAY_LOOPING) != 0;
    alSourcei(m_source, AL_LOOPING, m_looping ? AL_TRUE : AL_FALSE);
    if (SyncPlaying()) return DS_OK;
    if (!m_uploaded) Upload();
    StartAtCursor();
    return DS_OK;
}

HRESULT SoundBuffer::Stop() {
    DeviceLock lock(*m_device);
    if (!SyncPlaying()) return DS_OK;
    m_cursor = PlayCursor();
    alSourceStop(m_source);
    m_playing = false;
    return DS_OK;
}

// ---- Data -----------------------------------------------------------------------------

HRESULT SoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* audioPtr1, LPDWORD audioBytes1, LPVOID* audioPtr2,
                          LPDWORD audioBytes2, DWORD flags) {
    if (!audioPtr1 || !audioBytes1) return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    const DWORD size = m_size;
    const DWORD start = (flags & DSBLOCK_FROMWRITECURSOR) ? PlayCursor() : offset;
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
    if (start >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    const DWORD first = std::min(bytes, size - start);
    const DWORD second = bytes - first;  // the part that wraps to the start
    if (second && (!audioPtr2 || !audioBytes2)) return DSERR_INVALIDPARAM;
    BYTE* base = LockedBytes();
    if (!base) return DSERR_OUTOFMEMORY;
    ++m_locks;
    *audioPtr1 = base + start;
    *audioBytes1 = first;
    if (audioPtr2) *audioPtr2 = second ? base : nullptr;
    if (audioBytes2) *audioBytes2 = second;
    return DS_OK;
}

HRESULT SoundBuffer::Unlock(LPVOID audioPtr1, DWORD audioBytes1, LPVOID audioPtr2, DWORD audioBytes2) {
    DeviceLock lock(*m_device);
    const BYTE* begin = m_mapped ? m_mappedBytes : m_data.get();
    if (!begin || m_locks == 0) return DSERR_INVALIDPARAM;
    const BYTE* end = begin + m_size;
    const BYTE* p1 = static_cast<const BYTE*>(audioPtr1);
    if (!p1 || p1 < begin || p1 > end || audioBytes1 > static_cast<size_t>(end - p1)) return DSERR_INVALIDPARAM;
    if (audioPtr2 && (audioPtr2 != begin || audioBytes2 > m_size)) return DSERR_INVALIDPARAM;
    --m_locks;
    if (!m_mapped) {
        Upload();
    } else if (m_locks == 0) {
        m_device->unmapBuffer(m_alBuffer);
        m_mappedBytes = nullptr;
    }
    return DS_OK;
}

// ---- Volume, pan, frequency ---------------------------------------------------------

HRESULT SoundBuffer::GetVolume(LONG* volume) {
    if (!volume) return DSERR_INVALIDPARAM;
    if (!(m_flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    *volume = m_volume;
    return DS_OK;
}

HRESULT SoundBuffer::SetVolume(LONG volume) {
    if (!(m_flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    m_volume = volume;
    alSourcef(m_source, AL_GAIN, GainOfVolume(volume));
    return DS_OK;
}

HRESULT SoundBuffer::GetPan(LONG* pan) {
    if (!pan) return DSERR_INVALIDPARAM;
    if (!(m_flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    *pan = m_pan;
    return DS_OK;
}

HRESULT SoundBuffer::SetPan(LONG pan) {
    if (!(m_flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    m_pan = pan;
    ApplyPan();
    return DS_OK;
}

void SoundBuffer::ApplyPan() {
    // A mono source on the listener is turned towards the side (full pan: 90°);
    // stereo data goes straight to the output channels and keeps its balance.
    if (m_format.nChannels != 1) return;
    const float angle = static_cast<float>(m_pan) / DSBPAN_RIGHT * 1.5707963f;
    alSource3f(m_source, AL_POSITION, std::sin(angle), 0.0f, -std::cos(angle));
}

HRESULT SoundBuffer::GetFrequency(LPDWORD frequency) {
    if (!frequency) return DSERR_INVALIDPARAM;
    if (!(m_flags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    *frequency = m_frequency ? m_frequency : m_format.nSamplesPerSec;
    return DS_OK;
}

HRESULT SoundBuffer::SetFrequency(DWORD frequency) {
    if (!(m_flags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
        return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    m_frequency = frequency;
    const DWORD rate = frequency ? frequency : m_format.nSamplesPerSec;
    alSourcef(m_source, AL_PITCH, static_cast<float>(rate) / static_cast<float>(m_format.nSamplesPerSec));
    return DS_OK;
}

// ---- 3D -------------------------------------------------------------------------------

HRESULT SoundBuffer::GetPosition(D3DVECTOR* position) {
    if (!position) return DSERR_INVALIDPARAM;
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    *position = ToD3D(m_position.pending);
    return DS_OK;
}

HRESULT SoundBuffer::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    const Vec3 v = MakeVec(x, y, z);
    if (!IsFinite(v)) return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    if (m_position.Set(v, apply)) ApplyPosition();
    return DS_OK;
}

HRESULT SoundBuffer::GetVelocity(D3DVECTOR* velocity) {
    if (!velocity) return DSERR_INVALIDPARAM;
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    *velocity = ToD3D(m_velocity.pending);
    return DS_OK;
}

HRESULT SoundBuffer::SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    const Vec3 v = MakeVec(x, y, z);
    if (!IsFinite(v)) return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    if (m_velocity.Set(v, apply)) ApplyVelocity();
    return DS_OK;
}

HRESULT SoundBuffer::GetMinDistance(D3DVALUE* distance) {
    if (!distance) return DSERR_INVALIDPARAM;
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    *distance = m_minDistance.pending;
    return DS_OK;
}

HRESULT SoundBuffer::SetMinDistance(D3DVALUE distance, DWORD apply) {
    if (!(distance > 0.0f) || !std::isfinite(distance)) return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    if (m_minDistance.Set(distance, apply)) alSourcef(m_source, AL_REFERENCE_DISTANCE, m_minDistance.value);
    return DS_OK;
}

HRESULT SoundBuffer::GetMaxDistance(D3DVALUE* distance) {
    if (!distance) return DSERR_INVALIDPARAM;
    std::lock_guard<std::recursive_mutex> guard(LayerMutex());
    *distance = m_maxDistance.pending;
    return DS_OK;
}

HRESULT SoundBuffer::SetMaxDistance(D3DVALUE distance, DWORD apply) {
    if (!(distance > 0.0f) || !std::isfinite(distance)) return DSERR_INVALIDPARAM;
    DeviceLock lock(*m_device);
    if (m_maxDistance.Set(distance, apply)) alSourcef(m_source, AL_MAX_DISTANCE, m_maxDistance.value);
    return DS_OK;
}

void SoundBuffer::ApplyPosition() {
    const Vec3 p = ToAl(m_position.value);
    alSource3f(m_source, AL_POSITION, p.x, p.y, p.z);
}

void SoundBuffer::ApplyVelocity() {
    const Vec3 v = ToAl(m_velocity.value);
    alSource3f(m_source, AL_VELOCITY, v.x, v.y, v.z);
}

void SoundBuffer::CommitDeferred3D() {
    if (!Is3D()) return;
    if (m_position.Commit()) ApplyPosition();
    if (m_velocity.Commit()) ApplyVelocity();
    if (m_minDistance.Commit()) alSourcef(m_source, AL_REFERENCE_DISTANCE, m_minDistance.value);
    if (m_maxDistance.Commit()) alSourcef(m_source, AL_MAX_DISTANCE, m_maxDistance.value);
}

void SoundBuffer::ApplyRolloff(float factor) {
    if (Is3D()) alSourcef(m_source, AL_ROLLOFF_FACTOR, factor);
}

}  // namespace orv::dsound
