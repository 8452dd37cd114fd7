// The Win32 subset the engine calls, over SDL2 and the C++ standard library.
#pragma once
#include "platform/win32/types.h"
#include "platform/win32/services.h"
#include "platform/win32/window.h"
