// What the scenes under the root ask of it: the picture the root scene draws
// the frame into, which the pause menu shows behind itself.
#pragma once
#include "platform/d3d9/d3d9.h"

class IRootScene {
public:
    virtual IDirect3DTexture9* GetFrameTexture() const = 0;

protected:
    ~IRootScene() = default;
};
