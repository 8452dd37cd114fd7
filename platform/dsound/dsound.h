// The DirectSound 8 subset the engine calls, over OpenAL Soft.
//
// Each secondary buffer holds its whole PCM data and plays through one OpenAL
// source. DirectSound's 3D space is left-handed (listener front +z, top +y,
// right +x); OpenAL's is right-handed, so z of every position, velocity and
// orientation vector is negated on the way in and out. Volumes are hundredths
// of a decibel (gain 10^(v/2000)); positions and cursors are bytes.
//
// Every call takes one process-wide lock, so buffers may be played, stopped
// and moved from any thread.
#pragma once
#include "platform/win32/win32.h"
#include "platform/d3d9/math_types.h"

typedef const GUID* LPCGUID;
typedef float D3DVALUE;

// ---- Results ----------------------------------------------------------------
#define ORV_DSERR(code) MAKE_HRESULT(1, 0x878, code)
#define DS_OK S_OK
#define DSERR_GENERIC E_FAIL
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_NOINTERFACE E_NOINTERFACE
#define DSERR_UNSUPPORTED E_NOTIMPL
#define DSERR_ALLOCATED ORV_DSERR(10)
#define DSERR_CONTROLUNAVAIL ORV_DSERR(30)
#define DSERR_INVALIDCALL ORV_DSERR(50)
#define DSERR_PRIOLEVELNEEDED ORV_DSERR(70)
#define DSERR_BADFORMAT ORV_DSERR(100)
#define DSERR_NODRIVER ORV_DSERR(120)
#define DSERR_NOAGGREGATION ORV_DSERR(130)

// ---- Wave format --------------------------------------------------------------
#define WAVE_FORMAT_PCM 1

// Packed as on disk: 18 bytes.
#pragma pack(push, 1)
typedef struct tWAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
} WAVEFORMATEX, *LPWAVEFORMATEX;
#pragma pack(pop)
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;
static_assert(sizeof(WAVEFORMATEX) == 18);

// ---- Identifiers ----------------------------------------------------------------
// Ids only have to exist and compare.
inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID DSDEVID_DefaultPlayback = {0x4F525644, 0x0001, 0x4453, {'d', 'e', 'f', 'p', 'l', 'a', 'y', 0}};
inline constexpr GUID DS3DALG_DEFAULT = {0x4F525644, 0x0002, 0x4453, {'a', 'l', 'g', 'd', 'e', 'f', 0, 0}};
inline constexpr GUID DS3DALG_NO_VIRTUALIZATION = {0x4F525644, 0x0003, 0x4453, {'a', 'l', 'g', 'n', 'o', 'v', 0, 0}};
inline constexpr GUID DS3DALG_HRTF_FULL = {0x4F525644, 0x0004, 0x4453, {'a', 'l', 'g', 'f', 'u', 'l', 0, 0}};
inline constexpr GUID DS3DALG_HRTF_LIGHT = {0x4F525644, 0x0005, 0x4453, {'a', 'l', 'g', 'l', 'i', 't', 0, 0}};
inline constexpr GUID IID_IDirectSound8 = {0x4F525644, 0x0010, 0x4453, {'i', 'd', 's', '8', 0, 0, 0, 0}};
inline constexpr GUID IID_IDirectSoundBuffer = {0x4F525644, 0x0011, 0x4453, {'i', 'd', 's', 'b', 0, 0, 0, 0}};
inline constexpr GUID IID_IDirectSoundBuffer8 = {0x4F525644, 0x0012, 0x4453, {'i', 'd', 's', 'b', '8', 0, 0, 0}};
inline constexpr GUID IID_IDirectSound3DBuffer = {0x4F525644, 0x0013, 0x4453, {'i', 'd', 's', '3', 'b', 0, 0, 0}};
inline constexpr GUID IID_IDirectSound3DBuffer8 = IID_IDirectSound3DBuffer;
inline constexpr GUID IID_IDirectSound3DListener = {0x4F525644, 0x0014, 0x4453, {'i', 'd', 's', '3', 'l', 0, 0, 0}};
inline constexpr GUID IID_IDirectSound3DListener8 = IID_IDirectSound3DListener;

// ---- Flags and limits ---------------------------------------------------------------
#define DSSCL_NORMAL 0x1
#define DSSCL_PRIORITY 0x2
#define DSSCL_EXCLUSIVE 0x3
#define DSSCL_WRITEPRIMARY 0x4

#define DSBCAPS_PRIMARYBUFFER 0x0001
#define DSBCAPS_STATIC 0x0002
#define DSBCAPS_LOCHARDWARE 0x0004
#define DSBCAPS_LOCSOFTWARE 0x0008
#define DSBCAPS_CTRL3D 0x0010
#define DSBCAPS_CTRLFREQUENCY 0x0020
#define DSBCAPS_CTRLPAN 0x0040
#define DSBCAPS_CTRLVOLUME 0x0080
#define DSBCAPS_CTRLFX 0x0200
#define DSBCAPS_GLOBALFOCUS 0x8000
#define DSBCAPS_GETCURRENTPOSITION2 0x10000

#define DSBPLAY_LOOPING 0x1

#define DSBLOCK_FROMWRITECURSOR 0x1
#define DSBLOCK_ENTIREBUFFER 0x2

#define DSBSTATUS_PLAYING 0x1
#define DSBSTATUS_BUFFERLOST 0x2
#define DSBSTATUS_LOOPING 0x4

#define DSBVOLUME_MIN (-10000)
#define DSBVOLUME_MAX 0
#define DSBPAN_LEFT (-10000)
#define DSBPAN_CENTER 0
#define DSBPAN_RIGHT 10000
#define DSBFREQUENCY_ORIGINAL 0
#define DSBFREQUENCY_MIN 100
#define DSBFREQUENCY_MAX 200000
#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0x0FFFFFFF

#define DS3D_IMMEDIATE 0x0
#define DS3D_DEFERRED 0x1
#define DS3D_DEFAULTMINDISTANCE 1.0f
#define DS3D_DEFAULTMAXDISTANCE 1000000000.0f
#define DS3D_MINDOPPLERFACTOR 0.0f
#define DS3D_MAXDOPPLERFACTOR 10.0f
#define DS3D_DEFAULTDOPPLERFACTOR 1.0f
#define DS3D_MINROLLOFFFACTOR 0.0f
#define DS3D_MAXROLLOFFFACTOR 10.0f
#define DS3D_DEFAULTROLLOFFFACTOR 1.0f

typedef struct _DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;  // 0 for the primary buffer
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;  // null for the primary buffer
    GUID guid3DAlgorithm;
} DSBUFFERDESC, *LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

// ---- Interfaces ---------------------------------------------------------------------
struct IDirectSoundBuffer : public IUnknown {
    // Play and write cursors in bytes; either pointer may be null.
    virtual HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) = 0;
    virtual HRESULT GetVolume(LONG* volume) = 0;
    virtual HRESULT GetPan(LONG* pan) = 0;
    virtual HRESULT GetFrequency(LPDWORD frequency) = 0;
    virtual HRESULT GetStatus(LPDWORD status) = 0;
    // A region that runs past the end wraps into the second pointer.
    virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audioPtr1, LPDWORD audioBytes1, LPVOID* audioPtr2,
                         LPDWORD audioBytes2, DWORD flags) = 0;
    // Starts from the play cursor; on a playing buffer only the looping flag changes.
    virtual HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD newPosition) = 0;
    virtual HRESULT SetVolume(LONG volume) = 0;
    virtual HRESULT SetPan(LONG pan) = 0;
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    // Stops where it is: the play cursor is kept.
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unlock(LPVOID audioPtr1, DWORD audioBytes1, LPVOID audioPtr2, DWORD audioBytes2) = 0;
};

struct IDirectSoundBuffer8 : public IDirectSoundBuffer {};

struct IDirectSound3DBuffer : public IUnknown {
    virtual HRESULT GetPosition(D3DVECTOR* position) = 0;
    virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
    virtual HRESULT GetVelocity(D3DVECTOR* velocity) = 0;
    virtual HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
    virtual HRESULT GetMinDistance(D3DVALUE* distance) = 0;
    virtual HRESULT SetMinDistance(D3DVALUE distance, DWORD apply) = 0;
    virtual HRESULT GetMaxDistance(D3DVALUE* distance) = 0;
    virtual HRESULT SetMaxDistance(D3DVALUE distance, DWORD apply) = 0;
};
typedef IDirectSound3DBuffer IDirectSound3DBuffer8;

struct IDirectSound3DListener : public IUnknown {
    virtual HRESULT GetPosition(D3DVECTOR* position) = 0;
    virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
    virtual HRESULT GetOrientation(D3DVECTOR* front, D3DVECTOR* top) = 0;
    virtual HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop, D3DVALUE yTop,
                                   D3DVALUE zTop, DWORD apply) = 0;
    virtual HRESULT GetDopplerFactor(D3DVALUE* factor) = 0;
    virtual HRESULT SetDopplerFactor(D3DVALUE factor, DWORD apply) = 0;
    virtual HRESULT GetRolloffFactor(D3DVALUE* factor) = 0;
    virtual HRESULT SetRolloffFactor(D3DVALUE factor, DWORD apply) = 0;
    // Applies every deferred listener and 3D-buffer setting of the device at once.
    virtual HRESULT CommitDeferredSettings() = 0;
};
typedef IDirectSound3DListener IDirectSound3DListener8;

struct IDirectSound8 : public IUnknown {
    // Needs SetCooperativeLevel first. DSBCAPS_PRIMARYBUFFER gives the primary
    // buffer, whose QueryInterface answers the 3D listener.
    virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, IDirectSoundBuffer** buffer, LPUNKNOWN outer) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
};

typedef IDirectSound8* LPDIRECTSOUND8;
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;
typedef IDirectSoundBuffer8* LPDIRECTSOUNDBUFFER8;
typedef IDirectSound3DBuffer* LPDIRECTSOUND3DBUFFER;
typedef IDirectSound3DBuffer8* LPDIRECTSOUND3DBUFFER8;
typedef IDirectSound3DListener* LPDIRECTSOUND3DLISTENER;

// Opens the playback device (null or DSDEVID_DefaultPlayback: the default
// one). DSERR_NODRIVER when there is no sound device.
HRESULT WINAPI DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* directSound, LPUNKNOWN outer);

// ---- Test hooks -----------------------------------------------------------------------
namespace orv::dsound {
// While set (a rate above 0), DirectSoundCreate8 opens OpenAL's loopback device,
// rendering stereo float at that rate, instead of a real device; 0 turns it off.
void UseLoopbackDeviceForTests(int sampleRate);
// Renders the next frames of the newest live loopback device into interleaved
// stereo floats (2 × frames values); false when there is none.
bool RenderLoopback(float* stereoOut, int frames);
}  // namespace orv::dsound
