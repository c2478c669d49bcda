// Small helpers for tests of graphics worlds: surfaces owned by a smart pointer, and raw pixel access.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/graphics_startup.h"
#include "platform/graphics/graphics_world.h"

struct WorldDeleter {
  void operator()(PlatformWorld* world) const { PlatformWorld::DisposeSurface(world); }
};
using WorldPtr = std::unique_ptr<PlatformWorld, WorldDeleter>;

inline WorldPtr MakeSurface(Rect bounds, PixelFormatCode format, const Palette* palette = nullptr) {
  WorldPtr world(PlatformWorld::CreateSurface(&bounds, format, palette));
  EXPECT_NE(world, nullptr) << "surface " << std::hex << format;
  return world;
}

inline WorldPtr MakeSurface(int32_t width, int32_t height, PixelFormatCode format, const Palette* palette = nullptr) {
  return MakeSurface(Rect{0, 0, width, height}, format, palette);
}

inline WorldPtr MakeMask(int32_t width, int32_t height) { return MakeSurface(width, height, 8, &GreyPalette); }

// The stored pixel at (x, y) counted from the bounds' top-left corner, as a little-endian word.
inline uint32_t GetStored(PlatformWorld* world, int32_t x, int32_t y) {
  BlitParams p;
  EXPECT_EQ(PlatformWorld::BeginDrawing(world, nullptr, &p, nullptr), kPlatformNoError);
  const uint8_t* at = p.baseAddress + static_cast<int64_t>(y) * p.rowBytes + static_cast<int64_t>(x) * p.bytesPerPixel;
  uint32_t v = 0;
  for (uint32_t i = 0; i < p.bytesPerPixel; ++i) v |= static_cast<uint32_t>(at[i]) << (8 * i);
  PlatformWorld::EndDrawing(world, nullptr);
  return v;
}

inline void SetStored(PlatformWorld* world, int32_t x, int32_t y, uint32_t v) {
  BlitParams p;
  ASSERT_EQ(PlatformWorld::BeginDrawing(world, nullptr, &p, nullptr), kPlatformNoError);
  uint8_t* at = p.baseAddress + static_cast<int64_t>(y) * p.rowBytes + static_cast<int64_t>(x) * p.bytesPerPixel;
  for (uint32_t i = 0; i < p.bytesPerPixel; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
  PlatformWorld::EndDrawing(world, nullptr);
}

// Every stored pixel, row by row.
inline std::vector<uint32_t> AllStored(PlatformWorld* world) {
  Rect b;
  PlatformWorld::GetBounds(world, &b);
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < b.Height(); ++y) {
    for (int32_t x = 0; x < b.Width(); ++x) out.push_back(GetStored(world, x, y));
  }
  return out;
}

inline void FillStored(PlatformWorld* world, uint32_t v) {
  Rect b;
  PlatformWorld::GetBounds(world, &b);
  for (int32_t y = 0; y < b.Height(); ++y) {
    for (int32_t x = 0; x < b.Width(); ++x) SetStored(world, x, y, v);
  }
}

inline void SetAllStored(PlatformWorld* world, const std::vector<uint32_t>& values) {
  Rect b;
  PlatformWorld::GetBounds(world, &b);
  size_t i = 0;
  for (int32_t y = 0; y < b.Height(); ++y) {
    for (int32_t x = 0; x < b.Width(); ++x) SetStored(world, x, y, values.at(i++));
  }
}
