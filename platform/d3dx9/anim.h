// Keyframed animation: animation sets (per animated output a track of scale,
// rotation and translation keys) and the controller that plays sets on
// tracks and writes the blended result into registered matrices.
//
// Time: the controller's global time grows by AdvanceTime's delta; each
// enabled track's position grows by delta * its speed. A set is sampled at
// its periodic position: the track position wrapped into [0, period), the
// period being the last key time / ticks per second (sets loop). Between keys
// scale and translation are interpolated linearly and rotation spherically;
// before the first key and after the last the end key holds.
// Output: for every registered output animated by at least one enabled track
// with a set, the tracks' values are blended by their weights (weights are
// normalised by their sum; a sum of 0 leaves the output as it was) and
// written as matrix = scale * rotation * translation (row-vector form),
// and to the optional scale, rotation and translation pointers.
// Not thread-safe: one controller per user (CloneAnimationController); the
// outputs themselves are shared by every clone.
#pragma once
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/math.h"

struct ID3DXAnimationSet;
struct ID3DXAnimationController;
struct ID3DXAnimationCallbackHandler;  // callbacks are not raised; accepted as any value
typedef ID3DXAnimationSet* LPD3DXANIMATIONSET;
typedef ID3DXAnimationController* LPD3DXANIMATIONCONTROLLER;
typedef ID3DXAnimationCallbackHandler* LPD3DXANIMATIONCALLBACKHANDLER;

typedef enum _D3DXPRIORITY_TYPE {
    D3DXPRIORITY_LOW = 0,
    D3DXPRIORITY_HIGH = 1,
    D3DXPRIORITY_FORCE_DWORD = 0x7fffffff
} D3DXPRIORITY_TYPE;

typedef struct _D3DXTRACK_DESC {
    D3DXPRIORITY_TYPE Priority;  // kept; every enabled track blends alike
    FLOAT Weight;
    FLOAT Speed;
    DOUBLE Position;  // seconds
    BOOL Enable;
} D3DXTRACK_DESC, *LPD3DXTRACK_DESC;

typedef enum _D3DXPLAYBACK_TYPE {
    D3DXPLAY_LOOP = 0,
    D3DXPLAY_ONCE = 1,
    D3DXPLAY_PINGPONG = 2,
    D3DXPLAY_FORCE_DWORD = 0x7fffffff
} D3DXPLAYBACK_TYPE;

typedef struct _D3DXKEY_VECTOR3 {
    FLOAT Time;  // ticks
    D3DXVECTOR3 Value;
} D3DXKEY_VECTOR3, *LPD3DXKEY_VECTOR3;

typedef struct _D3DXKEY_QUATERNION {
    FLOAT Time;
    D3DXQUATERNION Value;  // D3DXMatrixRotationQuaternion(Value) is the rotation
} D3DXKEY_QUATERNION, *LPD3DXKEY_QUATERNION;

struct ID3DXAnimationSet : public IUnknown {
    virtual LPCSTR STDMETHODCALLTYPE GetName() = 0;
    // Seconds.
    virtual DOUBLE STDMETHODCALLTYPE GetPeriod() = 0;
    virtual DOUBLE STDMETHODCALLTYPE GetPeriodicPosition(DOUBLE Position) = 0;
    // Animations are the outputs the set drives, named after them.
    virtual UINT STDMETHODCALLTYPE GetNumAnimations() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAnimationNameByIndex(UINT Index, LPCSTR* ppName) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAnimationIndexByName(LPCSTR pName, UINT* pIndex) = 0;
    // The values of one animation at a periodic position (seconds).
    virtual HRESULT STDMETHODCALLTYPE GetSRT(DOUBLE PeriodicPosition, UINT Animation, D3DXVECTOR3* pScale,
                                             D3DXQUATERNION* pRotation, D3DXVECTOR3* pTranslation) = 0;
};

struct ID3DXKeyframedAnimationSet : public ID3DXAnimationSet {
    virtual D3DXPLAYBACK_TYPE STDMETHODCALLTYPE GetPlaybackType() = 0;
    virtual DOUBLE STDMETHODCALLTYPE GetSourceTicksPerSecond() = 0;
    virtual UINT STDMETHODCALLTYPE GetNumScaleKeys(UINT Animation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetScaleKeys(UINT Animation, LPD3DXKEY_VECTOR3 pScaleKeys) = 0;
    virtual UINT STDMETHODCALLTYPE GetNumRotationKeys(UINT Animation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRotationKeys(UINT Animation, LPD3DXKEY_QUATERNION pRotationKeys) = 0;
    virtual UINT STDMETHODCALLTYPE GetNumTranslationKeys(UINT Animation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTranslationKeys(UINT Animation, LPD3DXKEY_VECTOR3 pTranslationKeys) = 0;
    // Adds (or replaces) one animation; key arrays may be null with count 0.
    // Keys must be in ascending time; values finite.
    virtual HRESULT STDMETHODCALLTYPE RegisterAnimationSRTKeys(LPCSTR pName, UINT NumScaleKeys,
                                                               UINT NumRotationKeys, UINT NumTranslationKeys,
                                                               const D3DXKEY_VECTOR3* pScaleKeys,
                                                               const D3DXKEY_QUATERNION* pRotationKeys,
                                                               const D3DXKEY_VECTOR3* pTranslationKeys,
                                                               DWORD* pAnimationIndex) = 0;
};
typedef ID3DXKeyframedAnimationSet* LPD3DXKEYFRAMEDANIMATIONSET;

struct ID3DXAnimationController : public IUnknown {
    virtual UINT STDMETHODCALLTYPE GetMaxNumAnimationOutputs() = 0;
    virtual UINT STDMETHODCALLTYPE GetMaxNumAnimationSets() = 0;
    virtual UINT STDMETHODCALLTYPE GetMaxNumTracks() = 0;
    virtual UINT STDMETHODCALLTYPE GetMaxNumEvents() = 0;

    // Registers (or re-points) the output of that name; any of the pointers
    // may be null. D3DERR_INVALIDCALL once the maximum is reached.
    virtual HRESULT STDMETHODCALLTYPE RegisterAnimationOutput(LPCSTR pName, D3DXMATRIX* pMatrix,
                                                              D3DXVECTOR3* pScale, D3DXQUATERNION* pRotation,
                                                              D3DXVECTOR3* pTranslation) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterAnimationSet(LPD3DXANIMATIONSET pAnimSet) = 0;
    // Also takes the set off every track that plays it.
    virtual HRESULT STDMETHODCALLTYPE UnregisterAnimationSet(LPD3DXANIMATIONSET pAnimSet) = 0;
    virtual UINT STDMETHODCALLTYPE GetNumAnimationSets() = 0;
    // With a reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE GetAnimationSet(UINT Index, LPD3DXANIMATIONSET* ppAnimationSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAnimationSetByName(LPCSTR szName, LPD3DXANIMATIONSET* ppAnimationSet) = 0;

    // Moves the time and the enabled tracks, then writes the outputs.
    virtual HRESULT STDMETHODCALLTYPE AdvanceTime(DOUBLE TimeDelta,
                                                  LPD3DXANIMATIONCALLBACKHANDLER pCallbackHandler) = 0;
    // Global time back to 0; track positions stay.
    virtual HRESULT STDMETHODCALLTYPE ResetTime() = 0;
    virtual DOUBLE STDMETHODCALLTYPE GetTime() = 0;

    // Track operations fail with D3DERR_INVALIDCALL for a track at or above
    // the maximum. A set on a track is held with a reference.
    virtual HRESULT STDMETHODCALLTYPE SetTrackAnimationSet(UINT Track, LPD3DXANIMATIONSET pAnimSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTrackAnimationSet(UINT Track, LPD3DXANIMATIONSET* ppAnimSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTrackPriority(UINT Track, D3DXPRIORITY_TYPE Priority) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTrackSpeed(UINT Track, FLOAT Speed) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTrackWeight(UINT Track, FLOAT Weight) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTrackPosition(UINT Track, DOUBLE Position) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTrackEnable(UINT Track, BOOL Enable) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTrackDesc(UINT Track, LPD3DXTRACK_DESC pDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTrackDesc(UINT Track, LPD3DXTRACK_DESC pDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPriorityBlend(FLOAT BlendWeight) = 0;
    virtual FLOAT STDMETHODCALLTYPE GetPriorityBlend() = 0;

    // A new controller with the same outputs, sets, tracks and time; maxima
    // below what is in use fail with D3DERR_INVALIDCALL.
    virtual HRESULT STDMETHODCALLTYPE CloneAnimationController(UINT MaxNumAnimationOutputs,
                                                               UINT MaxNumAnimationSets, UINT MaxNumTracks,
                                                               UINT MaxNumEvents,
                                                               LPD3DXANIMATIONCONTROLLER* ppAnimController) = 0;
};

// Tracks start with no set, disabled, weight 1, speed 1, position 0.
HRESULT WINAPI D3DXCreateAnimationController(UINT MaxNumMatrices, UINT MaxNumAnimationSets, UINT MaxNumTracks,
                                             UINT MaxNumEvents, LPD3DXANIMATIONCONTROLLER* ppAnimController);
// An empty keyframed set; TicksPerSecond must be above 0. Callback keys are
// not supported (NumCallbackKeys must be 0).
HRESULT WINAPI D3DXCreateKeyframedAnimationSet(LPCSTR pName, DOUBLE TicksPerSecond, D3DXPLAYBACK_TYPE Playback,
                                               UINT NumAnimations, UINT NumCallbackKeys, const void* pCallKeys,
                                               LPD3DXKEYFRAMEDANIMATIONSET* ppAnimationSet);
