// Speed of the framework's own pixel loops: copy bits between surfaces of one format, converting between
// formats, blending through a mask, and stretching.
#include <benchmark/benchmark.h>

#include "platform/graphics/copy_bits.h"
#include "platform/graphics/graphics_startup.h"
#include "platform/graphics/graphics_world.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

PlatformWorld* Surface(int32_t width, int32_t height, PixelFormatCode format, const Palette* palette = nullptr) {
  const Rect bounds{0, 0, width, height};
  return PlatformWorld::CreateSurface(&bounds, format, palette);
}

void Transfer(benchmark::State& state, PixelFormatCode from, PixelFormatCode to, bool masked, int32_t scale) {
  PlatformWorld* src = Surface(kWidth / scale, kHeight / scale, from);
  PlatformWorld* dst = Surface(kWidth, kHeight, to);
  PlatformWorld* mask = masked ? Surface(kWidth / scale, kHeight / scale, 8, &GreyPalette) : nullptr;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PlatformCopyBits(dst, nullptr, 0, src, mask, nullptr, nullptr));
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
  PlatformWorld::DisposeSurface(src);
  PlatformWorld::DisposeSurface(dst);
  PlatformWorld::DisposeSurface(mask);
}

void SameFormatCopy(benchmark::State& state) { Transfer(state, 32, 32, false, 1); }
void ConvertingCopy(benchmark::State& state) { Transfer(state, 0x565, 32, false, 1); }
void BlendByMask(benchmark::State& state) { Transfer(state, 32, 32, true, 1); }
void StretchedCopy(benchmark::State& state) { Transfer(state, 32, 32, false, 2); }
void IndexedDestination(benchmark::State& state) { Transfer(state, 32, 8, false, 1); }

BENCHMARK(SameFormatCopy);
BENCHMARK(ConvertingCopy);
BENCHMARK(BlendByMask);
BENCHMARK(StretchedCopy);
BENCHMARK(IndexedDestination);

}  // namespace
