// Effects: techniques of passes, each pass one GLSL 3.30 program plus render
// states, driven through named parameters kept on the CPU.
//
// Effect file format (text, UTF-8; `//` and `/* */` comments between items):
//   parameter float4x4 mWVP;                    types: bool int float float2
//   parameter float4 vFog = { 1.0, -0.001, 0, 0 };     float3 float4 float4x4
//   parameter float3 LightPos[4];               arrays; one initial value fills all
//   parameter texture Tex1 { MinFilter = Linear; MagFilter = Linear; };
//   sampler Src stage 0 { MinFilter = Point; }; reads the device's own stage-0 texture
//   common { ...GLSL put in front of every shader... }
//   vertex VS_Main { ...GLSL... }               named shaders, usable by many passes
//   fragment PS_Main { ...GLSL... }
//   technique Tech0 {
//     pass P0 {
//       AlphaBlendEnable = true;                render states, applied at BeginPass
//       vertex = VS_Main;                       a named shader, or inline:
//       fragment { ...GLSL... }
//     }
//   }
// Every parameter and sampler is declared to GLSL as a uniform of the same name
// (float4x4 -> mat4, texture -> sampler2D); the shaders use them directly. A
// shader gets the device's prelude first (version line, ORV_* attribute
// locations, orv_ToClip, orv_ApplyFog). Matrices arrive so that GLSL `v * M` is
// the engine's row-vector product. Texture parameters and samplers that a pass
// uses take sampler stages 0, 1, ... in declaration order (a `sampler ... stage N`
// keeps N); their declared sampler states are set on those stages at BeginPass.
// State names are the D3DRS_ / D3DSAMP_ names without prefix, any case: ZEnable,
// ZWriteEnable, ZFunc, AlphaBlendEnable, SrcBlend, DestBlend, BlendOp, CullMode,
// AlphaTestEnable, AlphaRef, AlphaFunc, FogEnable, ColorWriteEnable; MinFilter,
// MagFilter, MipFilter, AddressU, AddressV, AddressW, BorderColor. Values are
// numbers or the enum words without prefix (True, InvSrcAlpha, None, LessEqual,
// Linear, Clamp). A fragment shader ends with orv_ApplyFog(colour, fog factor),
// which adds the device's fog and alpha test (factor 1.0 where there is no fog).
#pragma once
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/math.h"

// Compile flags (accepted; the GLSL compiler has no use for them).
#define D3DXSHADER_DEBUG (1 << 0)
#define D3DXSHADER_SKIPVALIDATION (1 << 1)

// Begin flags.
#define D3DXFX_DONOTSAVESTATE (1 << 0)
#define D3DXFX_DONOTSAVESHADERSTATE (1 << 1)
#define D3DXFX_DONOTSAVESAMPLERSTATE (1 << 2)

// A parameter or technique of one effect. A plain name may stand wherever a
// handle is expected.
typedef const char* D3DXHANDLE;

typedef struct _D3DXMACRO {
    LPCSTR Name;
    LPCSTR Definition;
} D3DXMACRO, *LPD3DXMACRO;

// Effect files here never include other files and share no parameter pools:
// both arguments are accepted only as null.
struct ID3DXInclude;
struct ID3DXEffectPool;
typedef ID3DXInclude* LPD3DXINCLUDE;
typedef ID3DXEffectPool* LPD3DXEFFECTPOOL;

struct ID3DXBuffer : public IUnknown {
    virtual LPVOID STDMETHODCALLTYPE GetBufferPointer() = 0;
    virtual DWORD STDMETHODCALLTYPE GetBufferSize() = 0;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer);

struct ID3DXEffect : public IUnknown {
    virtual D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE hParameter, LPCSTR pName) = 0;
    virtual D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR pName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE hTechnique) = 0;
    virtual D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() = 0;

    virtual HRESULT STDMETHODCALLTYPE SetValue(D3DXHANDLE hParameter, LPCVOID pData, UINT Bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetValue(D3DXHANDLE hParameter, LPVOID pData, UINT Bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBool(D3DXHANDLE hParameter, BOOL b) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBool(D3DXHANDLE hParameter, BOOL* pb) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetInt(D3DXHANDLE hParameter, INT n) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt(D3DXHANDLE hParameter, INT* pn) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIntArray(D3DXHANDLE hParameter, const INT* pn, UINT Count) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE hParameter, FLOAT f) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE hParameter, FLOAT* pf) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFloatArray(D3DXHANDLE hParameter, const FLOAT* pf, UINT Count) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVector(D3DXHANDLE hParameter, D3DXVECTOR4* pVector) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVectorArray(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector,
                                                     UINT Count) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix,
                                                     UINT Count) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9 pTexture) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9* ppTexture) = 0;

    // Passes: Begin reports the pass count of the current technique; without
    // D3DXFX_DONOTSAVESTATE the states its passes set are restored by End.
    virtual HRESULT STDMETHODCALLTYPE Begin(UINT* pPasses, DWORD Flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginPass(UINT Pass) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommitChanges() = 0;
    virtual HRESULT STDMETHODCALLTYPE EndPass() = 0;
    virtual HRESULT STDMETHODCALLTYPE End() = 0;

    virtual HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnLostDevice() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnResetDevice() = 0;
};
typedef ID3DXEffect* LPD3DXEFFECT;

// Builds an effect from the bytes of an effect file, compiling and linking
// every pass. On failure returns a negative result and, when asked for, the
// reason as text in *ppCompilationErrors (also written to the debug output).
HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataLen,
                                const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude, DWORD Flags,
                                LPD3DXEFFECTPOOL pPool, LPD3DXEFFECT* ppEffect,
                                LPD3DXBUFFER* ppCompilationErrors);
