// Worlds on windows: a port and a pixel map whose DIB mirrors the window's client area. The world operations
// themselves are declared with PlatformWorld; this header holds what the lock code needs of them.
#pragma once

#include <cstdint>

#include "platform/core/platform_error.h"

struct PlatformWorld;

// Compares a window world with its window (client size and screen depth) and rebuilds it when they differ,
// setting *changed. -7004 when the rebuild fails.
PlatformError RevalidateWindowWorld(PlatformWorld* world, uint8_t* changed);
