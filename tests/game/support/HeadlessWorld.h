// What the game's device-free test fixtures share: the environment with the
// stages' grid, the record of a small object manager, and a world of an
// object manager with an initialised area manager on it.
#pragma once
#include <gtest/gtest.h>

#include "engine/core/Environment.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/ObjectManager.h"
#include "game/world/AreaManager.h"

namespace game_test {

// The message table and the environment with the stages' grid (cells of
// 1000 x 10000 x 1000, windows of 1500 x 15000 x 1500): 0, or the failure of
// setting up the world extents.
inline int SetUpStageGrid() {
    Quorvex::MessageTable::Build();
    if (const int result = Quorvex::SetupWorldExtents(); result != 0) return result;
    Quorvex::g_pEnvironment->SetAreaCellSize(D3DXVECTOR3(1000.0f, 10000.0f, 1000.0f),
                                             D3DXVECTOR3(1500.0f, 15000.0f, 1500.0f));
    return 0;
}

// One job record, buffers for the given numbers of vertices, indices and
// commands.
inline Quorvex::ObjectManager::InitParam ManagerParam(int groupCount, int vertices, int indices, int commands) {
    Quorvex::ObjectManager::InitParam param;
    param.groupCount = groupCount;
    param.jobCount = 1;
    param.vertexBytes = 24 * vertices;
    param.indexBytes = 2 * indices;
    param.commandCapacity = commands;
    return param;
}

// The stage grid, an object manager of 16 groups and an initialised area
// manager; Close releases them and the environment.
struct HeadlessWorld {
    void Open(int buffers, IDirect3DDevice9* device = nullptr, Quorvex::ShaderManager* shaders = nullptr) {
        ASSERT_EQ(SetUpStageGrid(), 0);
        objects = new Quorvex::ObjectManager();
        objects->AddRef();
        Quorvex::ObjectManager::InitParam param = ManagerParam(16, buffers, buffers, buffers);
        param.device = device;
        param.shaderManager = shaders;
        ASSERT_EQ(objects->Initialize(param), 0);
        areas = new AreaManager(objects);
        areas->AddRef();
        ASSERT_EQ(areas->Init(), 0);
    }

    void Close() {
        SAFE_RELEASE(areas);
        SAFE_RELEASE(objects);
        SAFE_RELEASE(Quorvex::g_pEnvironment);
    }

    Quorvex::ObjectManager* objects = nullptr;
    AreaManager* areas = nullptr;
};

}  // namespace game_test
