// The Direct3D 9 subset the engine calls, over OpenGL 3.3 core.
#pragma once
#include "platform/win32/win32.h"
#include "platform/d3d9/math_types.h"
#include "platform/d3d9/types.h"
#include "platform/d3d9/device.h"
