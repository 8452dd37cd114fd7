// The launch record the enemy fire steps hand the enemy-bullet pool.
#pragma once
#include <cstdint>

#include "engine/core/AreaPos.h"
#include "engine/core/render/FactoryAdapter.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {
class IObjectManager;
class Object;
}  // namespace Quorvex

struct ShotSpawnParam : public Quorvex::IFactoryProduct::ISetParam {
    Quorvex::Object* owner = nullptr;  // the firing enemy
    D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
    int32_t reserved = 0;
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};  // the target's velocity when the shot leaves
    float level = 0.0f;
    Quorvex::AreaPos position;
    float speed = 1.0f;
    int32_t kind = 1;
    Quorvex::IObjectManager* manager = nullptr;

    void Copy(const ShotSpawnParam& other);
};

void MakeShotSpawnParam(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation, ShotSpawnParam& out,
                        Quorvex::Object* owner, const D3DXVECTOR3& velocity, float level,
                        Quorvex::IObjectManager* manager, float speed, int kind);
