// Shared by the image import fuzz targets: decodes one input through the dispatcher with every output asked for,
// as the game's picture loading does, and releases whatever comes back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/core/memory.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/image_import.h"

inline void DecodeImageForFuzzing(const std::vector<uint8_t>& bytes) {
  PlatformHandle* handle = PlatformHandle::FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (handle == nullptr) return;
  PlatformWorld* world = nullptr;
  PlatformWorld* mask = nullptr;
  TransferMode mode;
  ImageInfo info;
  if (PlatformDecodeImage(handle, &world, &mask, &mode, &info) == kPlatformNoError) {
    if (mask != nullptr) PlatformWorld::DisposeSurface(mask);
    PlatformWorld::DisposeSurface(world);
  }
  PlatformHandle::Dispose(handle);
}
