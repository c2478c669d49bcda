// The game's blitter against the libraries a user could pick instead, on the same 640 x 480 pixels, each on its
// fastest setting: per-pixel alpha against pixman's OVER (premultiplied source onto x8r8g8b8), the colour key
// against SDL_BlitSurface on 32-bit surfaces with run-length encoding, the opaque copy against memcpy. Our side
// runs onto the 3-byte game frame and onto a 4-byte frame.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/ratio_table.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr int32_t kFrame32 = 4;         // a 4-byte opaque frame
constexpr int32_t kKeyed32 = 4 | 32;    // 4-byte pixels, alpha 0 transparent under the key

// Sprites as a game shows them: many discs of sprite sizes (radius 6 to 29) with soft edges 4 pixels wide, and
// some shadows of partial alpha throughout; the rest is transparent. Coverage of a pixel: 0 outside every shape,
// 255 well inside one.
struct Disc {
  float x, y, radius;
  uint8_t maxAlpha;
};

std::vector<Disc> Discs() {
  std::vector<Disc> discs;
  uint32_t h = 2166136261u;
  auto next = [&h](uint32_t range) {
    h = (h ^ 0x9E3779B9u) * 16777619u;
    h ^= h >> 15;
    return h % range;
  };
  for (int i = 0; i < 240; ++i) {
    const bool shadow = i % 8 == 0;
    discs.push_back(Disc{static_cast<float>(next(kWidth)), static_cast<float>(next(kHeight)),
                         static_cast<float>(6 + next(24)), static_cast<uint8_t>(shadow ? 110 : 255)});
  }
  return discs;
}

uint8_t Coverage(const std::vector<Disc>& discs, int32_t x, int32_t y, bool hard) {
  int best = 0;
  for (const Disc& d : discs) {
    const float distance = std::hypot(x + 0.5f - d.x, y + 0.5f - d.y);
    const float inside = (d.radius - distance) / 4.0f;
    if (inside <= 0) continue;
    const int level = hard ? d.maxAlpha : static_cast<int>(std::min(1.0f, inside) * d.maxAlpha);
    best = std::max(best, level);
  }
  return static_cast<uint8_t>(best);
}

void Colour(int32_t x, int32_t y, uint8_t* bgr) {
  bgr[0] = static_cast<uint8_t>(x * 3 + y);
  bgr[1] = static_cast<uint8_t>(y * 2 + 40);
  bgr[2] = static_cast<uint8_t>(200 - x / 4 + (y & 15));
}

enum class Kind { kOpaque24, kKey24, kKey32, kAlpha };

std::unique_ptr<Bitmap> MakeSource(Kind kind) {
  static const std::vector<Disc> discs = Discs();
  const int32_t format = kind == Kind::kOpaque24 ? OpaqueFormat
                         : kind == Kind::kKey24  ? KeyedFormat
                         : kind == Kind::kKey32  ? kKeyed32
                                                 : AlphaFormat;
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->Create(kWidth, kHeight, format);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      uint8_t* p = bitmap->PixelAt(x, y);
      Colour(x, y, p);
      const uint8_t cover = Coverage(discs, x, y, kind != Kind::kAlpha);
      if (kind == Kind::kKey24 && cover == 0) p[0] = p[1] = p[2] = 0xFF;
      if (kind == Kind::kKey32) p[3] = cover == 0 ? 0 : 255;
      if (kind == Kind::kAlpha) p[3] = cover;
    }
  }
  // As a picture of the picture cache: keyed pictures keep a run table.
  bitmap->KeepRunTable();
  return bitmap;
}

std::unique_ptr<Bitmap> MakeFrame(int32_t format) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->Create(kWidth, kHeight, format);
  for (int32_t y = 0; y < kHeight; ++y) {
    std::memset(bitmap->PixelAt(0, y), (y * 5) & 0xFF, size_t(kWidth) * bitmap->BytesPerPixel());
  }
  return bitmap;
}

void SetPixelsPerSecond(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

void Blitter(benchmark::State& state, Kind kind, int32_t frameFormat) {
  auto source = MakeSource(kind);
  auto frame = MakeFrame(frameFormat);
  InitBlitter();
  for (auto _ : state) {
    DrawBitmap(*frame, Point{0, 0}, *source, Bounds{0, 0, kWidth, kHeight});
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

// The alpha source, premultiplied, as pixman's a8r8g8b8 over an x8r8g8b8 frame.
void PixmanOver(benchmark::State& state) {
  auto source = MakeSource(Kind::kAlpha);
  std::vector<uint32_t> premultiplied(size_t(kWidth) * kHeight);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      const uint8_t* p = source->PixelAt(x, y);
      const uint32_t a = p[3];
      auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
      premultiplied[size_t(y) * kWidth + x] = a << 24 | mul(p[2]) << 16 | mul(p[1]) << 8 | mul(p[0]);
    }
  }
  std::vector<uint32_t> frame(size_t(kWidth) * kHeight, 0x00808080u);
  pixman_image_t* from = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, premultiplied.data(), kWidth * 4);
  pixman_image_t* to = pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, frame.data(), kWidth * 4);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, from, nullptr, to, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(from);
  pixman_image_unref(to);
  SetPixelsPerSecond(state);
}

// The keyed source as a 32-bit SDL surface with the key white and run-length encoding on, onto a 32-bit frame.
void SdlKeyRle(benchmark::State& state) {
  auto source = MakeSource(Kind::kKey24);
  SDL_Surface* from = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
  SDL_Surface* to = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
  if (from == nullptr || to == nullptr) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  for (int32_t y = 0; y < kHeight; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(from->pixels) + y * from->pitch);
    for (int32_t x = 0; x < kWidth; ++x) {
      const uint8_t* p = source->PixelAt(x, y);
      row[x] = uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
  }
  SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_NONE);
  SDL_SetColorKey(from, SDL_TRUE, SDL_MapRGB(from->format, 0xFF, 0xFF, 0xFF));
  SDL_SetSurfaceRLE(from, 1);
  for (auto _ : state) {
    SDL_Rect area{0, 0, kWidth, kHeight};
    SDL_BlitSurface(from, nullptr, to, &area);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(from);
  SDL_FreeSurface(to);
  SetPixelsPerSecond(state);
}

// The same bytes as the opaque source, copied whole: the bound no copy of these pixels can beat by much.
void Memcpy(benchmark::State& state) {
  auto source = MakeSource(Kind::kOpaque24);
  const size_t bytes = static_cast<size_t>(source->rowBytes) * kHeight;
  std::vector<uint8_t> target(bytes);
  for (auto _ : state) {
    benchmark::DoNotOptimize(target.data());  // the copy's target escapes: otherwise the copy may go
    std::memcpy(target.data(), source->GetPixels(), bytes);
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Blitter, alpha_24, Kind::kAlpha, OpaqueFormat));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Blitter, alpha_32, Kind::kAlpha, kFrame32));
KESTRIVAL_BENCH(BENCHMARK(PixmanOver));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Blitter, key_24, Kind::kKey24, OpaqueFormat));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Blitter, key_32, Kind::kKey32, kFrame32));
KESTRIVAL_BENCH(BENCHMARK(SdlKeyRle));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Blitter, opaque_24, Kind::kOpaque24, OpaqueFormat));
KESTRIVAL_BENCH(BENCHMARK(Memcpy));

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatioTable(
      argc, argv,
      {{"alpha blit onto the 24-bit frame", "Blitter/alpha_24", "PixmanOver", 1.0},
       {"alpha blit onto a 32-bit frame", "Blitter/alpha_32", "PixmanOver", 1.0},
       {"colour-key blit onto the 24-bit frame", "Blitter/key_24", "SdlKeyRle", 1.5},
       {"colour-key blit onto a 32-bit frame", "Blitter/key_32", "SdlKeyRle", 1.5},
       {"opaque copy onto the 24-bit frame", "Blitter/opaque_24", "Memcpy", 0.95}});
}
