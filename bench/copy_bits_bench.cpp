// The framework's copy bits against SDL and memcpy on the same 640 x 480 pixels, into the same 32-bit format
// (blue, green, red, padding): converting a 5-6-5 source (SDL_ConvertPixels of the same bytes) and an 8-bit
// source on the standard palette (an 8-bit SDL surface with the same palette and bytes, blitted), copying between
// surfaces of one format (memcpy of the same rows) and stretching a 320 x 240 source twofold (SDL_BlitScaled of
// the same pixels). Each row checks that ours and the reference leave the same pixels (the 5-6-5 conversion within
// a level: see k565Tolerance). Blending through a mask and 8-bit destinations are measured without a reference.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/ratio_table.h"
#include "bench/same_pixels.h"
#include "platform/graphics/copy_bits.h"
#include "platform/graphics/graphics_startup.h"
#include "platform/graphics/graphics_world.h"

namespace {

using bench::PixelRows;

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
// SDL's tables widen a 5- or 6-bit channel a level lower than our rule does in places (a full 6-bit green gives
// 254, not 255): a channel of a 5-6-5 conversion may come out 1 apart.
constexpr int k565Tolerance = 1;

const Palette* PaletteOf(PixelFormatCode format) { return format == 8 ? &StandardPalette : nullptr; }

// A surface filled with a pattern of every byte value.
PlatformWorld* Surface(int32_t width, int32_t height, PixelFormatCode format, const Palette* palette) {
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

// A surface's bytes, row after row as it keeps them, read under its lock; empty when it could not be read.
struct SurfaceBytes {
  std::vector<uint8_t> bytes;
  int32_t rowBytes = 0;
  int32_t width = 0, height = 0;
};
SurfaceBytes BytesOf(PlatformWorld* world) {
  SurfaceBytes out;
  if (world == nullptr || PlatformWorld::BeginDrawing(world, nullptr, nullptr, nullptr) != kPlatformNoError) return out;
  const PixelMap* map = world->pixelMap;
  out.rowBytes = map->rowBytes;
  out.width = map->bounds.right - map->bounds.left;
  out.height = map->bounds.bottom - map->bounds.top;
  out.bytes.assign(map->baseAddress, map->baseAddress + int64_t{out.height} * map->rowBytes);
  PlatformWorld::EndDrawing(world, nullptr);
  return out;
}

// Ours: a source surface copied whole onto a 640 x 480 destination (stretched when the source is smaller).
class OurCopy {
 public:
  OurCopy(PixelFormatCode from, PixelFormatCode to, bool masked, int32_t scale)
      : source_(Surface(kWidth / scale, kHeight / scale, from, PaletteOf(from))),
        destination_(Surface(kWidth, kHeight, to, PaletteOf(to))),
        mask_(masked ? Surface(kWidth / scale, kHeight / scale, 8, &GreyPalette) : nullptr) {}
  ~OurCopy() {
    PlatformWorld::DisposeSurface(source_);
    PlatformWorld::DisposeSurface(destination_);
    PlatformWorld::DisposeSurface(mask_);
  }
  bool Draw() { return PlatformCopyBits(destination_, nullptr, 0, source_, mask_, nullptr, nullptr) == kPlatformNoError; }
  PlatformWorld* Source() const { return source_; }
  PlatformWorld* Destination() const { return destination_; }

 private:
  PlatformWorld* source_;
  PlatformWorld* destination_;
  PlatformWorld* mask_;
};

// A 32-bit SDL surface (blue, green, red, padding), or an 8-bit one on the standard palette, holding the bytes of
// one of our surfaces.
SDL_Surface* SdlSurfaceOf(PlatformWorld* world, int bits, Uint32 format) {
  const SurfaceBytes source = BytesOf(world);
  if (source.bytes.empty()) return nullptr;
  const int32_t width = source.width, height = source.height;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, bits, format);
  if (surface == nullptr) return nullptr;
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch, &source.bytes[size_t(y) * source.rowBytes],
                size_t(width) * bits / 8);
  }
  if (bits == 8) {
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i) {
      const ColorRecord& entry = StandardPalette.entries[i];
      colours[i] = SDL_Color{entry.red, entry.green, entry.blue, 255};
    }
    SDL_SetPaletteColors(surface->format->palette, colours, 0, 256);
  }
  SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_NONE);
  return surface;
}

// The references, each on the source of our copy of the same case: SDL_ConvertPixels of the 5-6-5 rows, a blit
// of the 8-bit surface, memcpy of each row, SDL_BlitScaled of the half-size source.
enum class ReferenceKind { kConvert565, kBlit8, kMemcpyRows, kBlitScaled };

class ReferenceCopy {
 public:
  ReferenceCopy(ReferenceKind reference, const OurCopy& ours) : reference_(reference) {
    target_ = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
    switch (reference) {
      case ReferenceKind::kConvert565: source_ = BytesOf(ours.Source()); break;
      case ReferenceKind::kBlit8: from_ = SdlSurfaceOf(ours.Source(), 8, SDL_PIXELFORMAT_INDEX8); break;
      case ReferenceKind::kMemcpyRows: source_ = BytesOf(ours.Source()); break;
      case ReferenceKind::kBlitScaled: from_ = SdlSurfaceOf(ours.Source(), 32, SDL_PIXELFORMAT_RGB888); break;
    }
  }
  ~ReferenceCopy() {
    SDL_FreeSurface(from_);
    SDL_FreeSurface(target_);
  }
  bool Ready() const {
    const bool sdlSource = reference_ == ReferenceKind::kBlit8 || reference_ == ReferenceKind::kBlitScaled;
    return target_ != nullptr && (sdlSource ? from_ != nullptr : !source_.bytes.empty());
  }
  void Draw() {
    auto* to = static_cast<uint8_t*>(target_->pixels);
    switch (reference_) {
      case ReferenceKind::kConvert565:
        SDL_ConvertPixels(kWidth, kHeight, SDL_PIXELFORMAT_RGB565, source_.bytes.data(), source_.rowBytes,
                          SDL_PIXELFORMAT_RGB888, to, target_->pitch);
        break;
      case ReferenceKind::kBlit8: SDL_BlitSurface(from_, nullptr, target_, nullptr); break;
      case ReferenceKind::kMemcpyRows:
        benchmark::DoNotOptimize(to);  // the copy's target escapes: otherwise the copies may go
        for (int32_t y = 0; y < kHeight; ++y) {
          std::memcpy(to + y * target_->pitch, &source_.bytes[size_t(y) * source_.rowBytes], size_t(kWidth) * 4);
        }
        break;
      case ReferenceKind::kBlitScaled: {
        SDL_Rect area{0, 0, kWidth, kHeight};
        SDL_BlitScaled(from_, nullptr, target_, &area);
        break;
      }
    }
  }
  PixelRows Target() const { return {static_cast<const uint8_t*>(target_->pixels), target_->pitch, 4}; }

 private:
  ReferenceKind reference_;
  SurfaceBytes source_;
  SDL_Surface* from_ = nullptr;
  SDL_Surface* target_ = nullptr;
};

void SetPixelsPerSecond(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * kWidth * kHeight); }

void CopyBits(benchmark::State& state, PixelFormatCode from, PixelFormatCode to, bool masked, int32_t scale) {
  OurCopy copy(from, to, masked, scale);
  if (!copy.Draw()) {
    state.SkipWithError("copy bits failed");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(copy.Draw());
  SetPixelsPerSecond(state);
}

// The reference of the case whose source ours is made with these settings.
void Reference(benchmark::State& state, ReferenceKind reference, PixelFormatCode from, int32_t scale) {
  OurCopy ours(from, 32, false, scale);
  ReferenceCopy copy(reference, ours);
  if (!copy.Ready()) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  copy.Draw();
  for (auto _ : state) {
    copy.Draw();
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

// The check of a row: ours and the reference, each drawn once from the same source, leave the same pixels.
std::string SamePixels(ReferenceKind reference, PixelFormatCode from, int32_t scale, int tolerance = 0) {
  OurCopy ours(from, 32, false, scale);
  ReferenceCopy copy(reference, ours);
  if (!copy.Ready()) return std::string("the reference could not be made ready: ") + SDL_GetError();
  if (!ours.Draw()) return "copy bits failed";
  copy.Draw();
  const SurfaceBytes drawn = BytesOf(ours.Destination());
  return bench::DifferentPixels({drawn.bytes.data(), drawn.rowBytes, 4}, copy.Target(), kWidth, kHeight,
                                 tolerance);
}

KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, convert_565, 0x565, 32, false, 1));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Reference, sdl_convert_565, ReferenceKind::kConvert565, 0x565, 1));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, convert_8, 8, 32, false, 1));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Reference, sdl_blit_8, ReferenceKind::kBlit8, 8, 1));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, same_format, 32, 32, false, 1));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Reference, memcpy_rows, ReferenceKind::kMemcpyRows, 32, 1));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, stretched, 32, 32, false, 2));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Reference, sdl_blit_scaled, ReferenceKind::kBlitScaled, 32, 2));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, blend_by_mask, 32, 32, true, 1));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(CopyBits, indexed_destination, 32, 8, false, 1));

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatioTable(
      argc, argv,
      {{"copy bits, 5-6-5 to 32-bit", "CopyBits/convert_565", "Reference/sdl_convert_565", 1.0, 0, "",
        [] { return SamePixels(ReferenceKind::kConvert565, 0x565, 1, k565Tolerance); }},
       {"copy bits, 8-bit to 32-bit", "CopyBits/convert_8", "Reference/sdl_blit_8", 1.0, 0, "",
        [] { return SamePixels(ReferenceKind::kBlit8, 8, 1); }},
       {"copy bits, same format", "CopyBits/same_format", "Reference/memcpy_rows", 0.8, 0, "",
        [] { return SamePixels(ReferenceKind::kMemcpyRows, 32, 1); }},
       {"stretched copy", "CopyBits/stretched", "Reference/sdl_blit_scaled", 1.0, 0, "",
        [] { return SamePixels(ReferenceKind::kBlitScaled, 32, 2); }}});
}
