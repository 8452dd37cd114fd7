// One recorded call of a render stage: written by a render object on a job
// thread, replayed on the main thread in the order written.
#pragma once
#include "platform/win32/win32.h"

namespace Quorvex {

struct CalcVertexSet;

struct RenderCommand {
    // The stage operation a command calls (IRenderCommandList, RenderStage.h).
    enum Operation : UINT {
        SetVertexDeclaration,  // declaration, or 0 for the manager's default
        SetStreamSource,       // stream number; the shared vertex buffer, stride 24
        SetIndices,            // index buffer, or 0 for the shared one
        SetTextures,           // texture set (MaterialUnit)
        ClearShader,           // argument ignored
        BeginDefaultShader,    // argument ignored
        SetShader,             // effect (IShader) or 0
        SetPrimitiveType,
        AddBaseVertexIndex,
        AddMinVertexIndex,
        SetVertexCount,
        AddVertexCount,
        AddStartIndex,
        AddPrimitiveCount,
        DrawBatch,             // effect or 0
        DrawObject,            // render object
        CallFunction,          // RenderStageFunction
        SetViewMatrix,         // const D3DXMATRIX*
        SetCamera,             // const ObjectManager::CameraRecord*
        SetProjectionMatrix,   // const D3DXMATRIX*
        SetRenderStatePreset,  // blend preset 1-9
        OperationCount
    };

    UINT operation;
    // Pointer-sized: arguments carry object, effect, texture-set and
    // declaration addresses.
    UINT_PTR argument;
};

static_assert(sizeof(RenderCommand::argument) == sizeof(void*));

// Appends {operation, argument} to the job's command array and answers the
// argument; a full array takes nothing and answers its capacity.
UINT_PTR PushRenderCommand(CalcVertexSet* list, UINT operation, UINT_PTR argument);

template <class T>
inline UINT_PTR PushRenderCommand(CalcVertexSet* list, UINT operation, T* argument) {
    return PushRenderCommand(list, operation, reinterpret_cast<UINT_PTR>(argument));
}

}  // namespace Quorvex
