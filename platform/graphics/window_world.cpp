// Worlds on windows (see window_world.h).
#include "platform/graphics/window_world.h"

#include "platform/graphics/graphics_world.h"

PlatformError RevalidateWindowWorld(PlatformWorld* world, uint8_t* changed) {
  (void)world;
  (void)changed;
  return kPlatformNoError;
}
