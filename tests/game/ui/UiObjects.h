// A small object manager for the 2-D layer tests: one job record, room for a
// few hundred sprites; the device may be null.
#pragma once
#include <gtest/gtest.h>

#include "engine/core/render/ObjectManager.h"

inline Quorvex::ObjectManager* MakeUiObjectManager(IDirect3DDevice9* device, Quorvex::InputManager* input,
                                                   Quorvex::IResourceManager* resources) {
    auto* objects = new Quorvex::ObjectManager();
    objects->AddRef();
    Quorvex::ObjectManager::InitParam param;
    param.groupCount = 8;
    param.jobCount = 1;
    param.vertexBytes = 65536;
    param.indexBytes = 16384;
    param.commandCapacity = 1024;
    param.device = device;
    param.inputManager = input;
    param.resourceManager = resources;
    EXPECT_EQ(objects->Initialize(param), 0);
    return objects;
}
