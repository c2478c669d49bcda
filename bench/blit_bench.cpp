// The game's blitter beside SDL_BlitSurface and a plain memcpy, on the same 640 x 480 pixels: an opaque copy,
// a colour-key copy and a per-pixel-alpha copy onto the 3-byte frame format. Each benchmark reports pixels per
// second; at the end the ratios of the blitter to the other two are printed.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

// The source of each kind: a picture with a pattern of colours; keyed sources have about a third of pure white,
// alpha sources a quarter transparent, half opaque and a quarter partly transparent pixels.
enum class Kind { kOpaque, kKey, kAlpha };

std::unique_ptr<Bitmap> MakeSource(Kind kind) {
  const int32_t format = kind == Kind::kOpaque ? OpaqueFormat : kind == Kind::kKey ? KeyedFormat : AlphaFormat;
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->Create(kWidth, kHeight, format);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      uint8_t* p = bitmap->PixelAt(x, y);
      const uint32_t v = static_cast<uint32_t>(x * 2654435761u ^ y * 40503u);
      p[0] = static_cast<uint8_t>(v);
      p[1] = static_cast<uint8_t>(v >> 8);
      p[2] = static_cast<uint8_t>(v >> 16);
      // Runs of 13 pixels, starting at another column on each row, share their transparency, as the shapes of
      // sprites do.
      const uint32_t run = static_cast<uint32_t>(((x + y * 5) / 13) * 7 + y * 3) % 12;
      if (kind == Kind::kKey && run < 4) p[0] = p[1] = p[2] = 0xFF;
      if (kind == Kind::kAlpha) p[3] = run < 3 ? 0 : run < 9 ? 255 : static_cast<uint8_t>(40 + (v & 0x7F));
    }
  }
  return bitmap;
}

std::unique_ptr<Bitmap> MakeFrame() {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->Create(kWidth, kHeight, OpaqueFormat);
  for (int32_t y = 0; y < kHeight; ++y) std::memset(bitmap->PixelAt(0, y), (y * 5) & 0xFF, size_t(kWidth) * 3);
  return bitmap;
}

// An SDL surface over a bitmap's own pixels: B, G, R bytes are BGR24, B, G, R, A bytes are ARGB8888.
SDL_Surface* WrapBitmap(Bitmap& bitmap) {
  const Uint32 format = bitmap.BytesPerPixel() == 4 ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_BGR24;
  return SDL_CreateRGBSurfaceWithFormatFrom(bitmap.GetPixels(), bitmap.width, bitmap.height,
                                            bitmap.BytesPerPixel() * 8, bitmap.rowBytes, format);
}

void SetPixelsPerSecond(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

void BlitterCopy(benchmark::State& state, Kind kind) {
  auto source = MakeSource(kind);
  auto frame = MakeFrame();
  InitBlitter();
  for (auto _ : state) {
    DrawBitmap(*frame, Point{0, 0}, *source, Bounds{0, 0, kWidth, kHeight});
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

void SdlCopy(benchmark::State& state, Kind kind) {
  auto source = MakeSource(kind);
  auto frame = MakeFrame();
  SDL_Surface* from = WrapBitmap(*source);
  SDL_Surface* to = WrapBitmap(*frame);
  if (from == nullptr || to == nullptr) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  SDL_SetSurfaceBlendMode(from, kind == Kind::kAlpha ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
  if (kind == Kind::kKey) SDL_SetColorKey(from, SDL_TRUE, SDL_MapRGB(from->format, 0xFF, 0xFF, 0xFF));
  for (auto _ : state) {
    SDL_Rect area{0, 0, kWidth, kHeight};
    SDL_BlitSurface(from, nullptr, to, &area);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(from);
  SDL_FreeSurface(to);
  SetPixelsPerSecond(state);
}

// The same bytes as the source, copied whole: the bound no blit of these pixels can beat by much.
void MemcpyCopy(benchmark::State& state, Kind kind) {
  auto source = MakeSource(kind);
  const size_t bytes = static_cast<size_t>(source->rowBytes) * kHeight;
  std::vector<uint8_t> target(bytes);
  for (auto _ : state) {
    std::memcpy(target.data(), source->GetPixels(), bytes);
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

BENCHMARK_CAPTURE(BlitterCopy, opaque, Kind::kOpaque);
BENCHMARK_CAPTURE(SdlCopy, opaque, Kind::kOpaque);
BENCHMARK_CAPTURE(MemcpyCopy, opaque, Kind::kOpaque);
BENCHMARK_CAPTURE(BlitterCopy, key, Kind::kKey);
BENCHMARK_CAPTURE(SdlCopy, key, Kind::kKey);
BENCHMARK_CAPTURE(MemcpyCopy, key, Kind::kKey);
BENCHMARK_CAPTURE(BlitterCopy, alpha, Kind::kAlpha);
BENCHMARK_CAPTURE(SdlCopy, alpha, Kind::kAlpha);
BENCHMARK_CAPTURE(MemcpyCopy, alpha, Kind::kAlpha);

// Prints the usual table, remembers each run's pixels per second, and ends with the ratios per kind.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      auto found = run.counters.find("items_per_second");
      if (found != run.counters.end()) rates_[run.benchmark_name()] = found->second.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-8s %16s %16s %16s %14s %14s\n", "kind", "blitter px/s", "SDL px/s", "memcpy px/s",
                "blitter/SDL", "blitter/memcpy");
    for (const char* kind : {"opaque", "key", "alpha"}) {
      const double ours = Rate("BlitterCopy/", kind);
      const double sdl = Rate("SdlCopy/", kind);
      const double copy = Rate("MemcpyCopy/", kind);
      std::printf("%-8s %16.4g %16.4g %16.4g %14.2f %14.2f\n", kind, ours, sdl, copy, sdl > 0 ? ours / sdl : 0.0,
                  copy > 0 ? ours / copy : 0.0);
    }
    std::fflush(stdout);
  }

 private:
  double Rate(const std::string& prefix, const char* kind) const {
    auto found = rates_.find(prefix + kind);
    return found == rates_.end() ? 0.0 : found->second;
  }

  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
