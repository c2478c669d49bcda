// The framework's copy bits against SDL and memcpy on the same 640 x 480 pixels: converting 5-6-5 and 8-bit
// sources to 32 bits (SDL_ConvertPixels and an 8-bit SDL blit), copying between surfaces of one format (memcpy of
// the same rows) and stretching (SDL_BlitScaled on 32-bit surfaces). Blending through a mask and 8-bit
// destinations are measured without a reference.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/ratio_table.h"
#include "platform/graphics/copy_bits.h"
#include "platform/graphics/graphics_startup.h"
#include "platform/graphics/graphics_world.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

// A surface filled with a pattern of every byte value.
PlatformWorld* Surface(int32_t width, int32_t height, PixelFormatCode format, const Palette* palette = nullptr) {
  const Rect bounds{0, 0, width, height};
  PlatformWorld* world = PlatformWorld::CreateSurface(&bounds, format, palette);
  if (world != nullptr && PlatformWorld::BeginDrawing(world, nullptr, nullptr, nullptr) == kPlatformNoError) {
    PixelMap* map = world->pixelMap;
    for (int32_t y = 0; y < height; ++y) {
      uint8_t* row = map->baseAddress + int64_t{y} * map->rowBytes;
      for (int32_t i = 0; i < map->rowBytes; ++i) row[i] = static_cast<uint8_t>(i * 7 + y * 13 + (i >> 5));
    }
    PlatformWorld::EndDrawing(world, nullptr);
  }
  return world;
}

void SetPixelsPerSecond(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * kWidth * kHeight); }

void CopyBits(benchmark::State& state, PixelFormatCode from, PixelFormatCode to, bool masked, int32_t scale) {
  PlatformWorld* src = Surface(kWidth / scale, kHeight / scale, from, from == 8 ? &StandardPalette : nullptr);
  PlatformWorld* dst = Surface(kWidth, kHeight, to, to == 8 ? &StandardPalette : nullptr);
  PlatformWorld* mask = masked ? Surface(kWidth / scale, kHeight / scale, 8, &GreyPalette) : nullptr;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PlatformCopyBits(dst, nullptr, 0, src, mask, nullptr, nullptr));
  }
  SetPixelsPerSecond(state);
  PlatformWorld::DisposeSurface(src);
  PlatformWorld::DisposeSurface(dst);
  PlatformWorld::DisposeSurface(mask);
}

void SdlConvert565(benchmark::State& state) {
  std::vector<uint16_t> from(size_t(kWidth) * kHeight);
  for (size_t i = 0; i < from.size(); ++i) from[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
  std::vector<uint32_t> to(from.size());
  for (auto _ : state) {
    SDL_ConvertPixels(kWidth, kHeight, SDL_PIXELFORMAT_RGB565, from.data(), kWidth * 2, SDL_PIXELFORMAT_RGB888,
                      to.data(), kWidth * 4);
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

// An 8-bit surface with a full palette blitted onto a 32-bit one: SDL's conversion of indexed pixels.
void SdlBlit8(benchmark::State& state) {
  SDL_Surface* from = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 8, SDL_PIXELFORMAT_INDEX8);
  SDL_Surface* to = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
  if (from == nullptr || to == nullptr) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  SDL_Color colors[256];
  for (int i = 0; i < 256; ++i) {
    colors[i] = SDL_Color{static_cast<Uint8>(i), static_cast<Uint8>(255 - i), static_cast<Uint8>(i * 3), 255};
  }
  SDL_SetPaletteColors(from->format->palette, colors, 0, 256);
  for (int32_t y = 0; y < kHeight; ++y) {
    auto* row = static_cast<uint8_t*>(from->pixels) + y * from->pitch;
    for (int32_t x = 0; x < kWidth; ++x) row[x] = static_cast<uint8_t>(x * 7 + y * 13);
  }
  for (auto _ : state) {
    SDL_BlitSurface(from, nullptr, to, nullptr);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(from);
  SDL_FreeSurface(to);
  SetPixelsPerSecond(state);
}

// The rows a same-format copy moves, copied one memcpy per row.
void MemcpyRows(benchmark::State& state) {
  const size_t row = size_t(kWidth) * 4;
  std::vector<uint8_t> from(row * kHeight, 0x5A);
  std::vector<uint8_t> to(row * kHeight);
  for (auto _ : state) {
    benchmark::DoNotOptimize(to.data());  // the copy's target escapes: otherwise the copies may go
    for (int32_t y = 0; y < kHeight; ++y) std::memcpy(&to[y * row], &from[y * row], row);
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

void SdlBlitScaled(benchmark::State& state) {
  SDL_Surface* from = SDL_CreateRGBSurfaceWithFormat(0, kWidth / 2, kHeight / 2, 32, SDL_PIXELFORMAT_RGB888);
  SDL_Surface* to = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
  if (from == nullptr || to == nullptr) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_NONE);
  for (auto _ : state) {
    SDL_Rect area{0, 0, kWidth, kHeight};
    SDL_BlitScaled(from, nullptr, to, &area);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(from);
  SDL_FreeSurface(to);
  SetPixelsPerSecond(state);
}

KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, convert_565, 0x565, 32, false, 1));
KESTRIVAL_BENCH(BENCHMARK(SdlConvert565));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, convert_8, 8, 32, false, 1));
KESTRIVAL_BENCH(BENCHMARK(SdlBlit8));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, same_format, 32, 32, false, 1));
KESTRIVAL_BENCH(BENCHMARK(MemcpyRows));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, stretched, 32, 32, false, 2));
KESTRIVAL_BENCH(BENCHMARK(SdlBlitScaled));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, blend_by_mask, 32, 32, true, 1));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, indexed_destination, 32, 8, false, 1));

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatioTable(argc, argv,
                                  {{"copy bits, 5-6-5 to 32-bit", "CopyBits/convert_565", "SdlConvert565", 1.0},
                                   {"copy bits, 8-bit to 32-bit", "CopyBits/convert_8", "SdlBlit8", 1.0},
                                   {"copy bits, same format", "CopyBits/same_format", "MemcpyRows", 0.8},
                                   {"stretched copy", "CopyBits/stretched", "SdlBlitScaled", 1.0}});
}
