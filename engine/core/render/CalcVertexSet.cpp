#include "engine/core/render/CalcVertexSet.h"

#include <algorithm>

#include "engine/core/Environment.h"

namespace Quorvex {

void CalcVertexSet::Allocate(int vertexBytes, int indexBytes, int capacity) {
    vertexCapacity = std::clamp(vertexBytes, 0, MaxVertexBytes);
    indexCapacity = std::max(indexBytes, 0);
    commandCapacity = std::max(capacity, 0);
    vertexScratch.assign(static_cast<size_t>(vertexCapacity), 0);
    indexScratch.assign(static_cast<size_t>(indexCapacity), 0);
    commands.assign(static_cast<size_t>(commandCapacity), RenderCommand{0, 0});
    Reset();
}

void CalcVertexSet::Reset() {
    vertexBytes = 0;
    vertexCount = 0;
    indexBytes = 0;
    commandCount = 0;
    batchOpen = false;
    batchTextureSet = nullptr;
    batchShader = nullptr;
    renderStatePreset = NoPreset;
    if (g_pEnvironment) {
        aspect = g_pEnvironment->GetAspect();
        inverseAspect = g_pEnvironment->GetInverseAspect();
    }
}

bool CalcVertexSet::HasRoom(int vertices, int indices, int commandsNeeded) const {
    if (vertices > 0 && vertexBytes + vertices * VertexSize >= vertexCapacity) return false;
    if (indices > 0 && indexBytes + indices * IndexSize >= indexCapacity) return false;
    return commandCount + commandsNeeded <= commandCapacity;
}

UINT_PTR PushRenderCommand(CalcVertexSet* list, UINT operation, UINT_PTR argument) {
    if (list->commandCount >= list->commandCapacity) return static_cast<UINT_PTR>(list->commandCapacity);
    list->commands[list->commandCount++] = RenderCommand{operation, argument};
    return argument;
}

}  // namespace Quorvex
