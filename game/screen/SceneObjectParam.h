// The object manager a scene asks for when it makes its own: one job, a group
// count, a command capacity and the vertex and index bytes per job. The full
// sizes are those of the action and front-end scenes; the root scene asks for
// a quarter.
#pragma once
#include "engine/core/render/ObjectManager.h"

constexpr int kSceneVertexBytes = 1572768;
constexpr int kSceneIndexBytes = 196596;
constexpr int kSceneCommandCapacity = 20480;

inline Quorvex::ObjectManager::InitParam OneJobObjects(int groupCount, int commandCapacity = kSceneCommandCapacity,
                                                       int vertexBytes = kSceneVertexBytes,
                                                       int indexBytes = kSceneIndexBytes) {
    Quorvex::ObjectManager::InitParam param;
    param.groupCount = groupCount;
    param.jobCount = 1;
    param.vertexBytes = vertexBytes;
    param.indexBytes = indexBytes;
    param.commandCapacity = commandCapacity;
    return param;
}
