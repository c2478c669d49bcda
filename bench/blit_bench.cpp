// The game's blitter against the libraries a user could pick instead, on the same 640 x 480 pixels and onto frames
// of the same format and the same pixels, each library on its fastest setting: per-pixel alpha against pixman's
// OVER (its source premultiplied, the form pixman takes) onto the 3-byte game frame and onto a 4-byte frame; the
// colour key against SDL_BlitSurface with run-length encoding on 3-byte and on 4-byte surfaces; the opaque copy
// against memcpy. Each path draws once untimed first (the run tables and run-length encodings are made then), and
// each row checks that ours and the reference leave the same frame.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/ratio_table.h"
#include "bench/same_pixels.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"

namespace {

using bench::PixelRows;

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr int32_t kFrame32 = 4;         // a 4-byte opaque frame
constexpr int32_t kKeyed32 = 4 | 32;    // 4-byte pixels, alpha 0 transparent under the key
// Our alpha blend truncates its two products, pixman rounds them (and the premultiplied source): a channel may
// come out 2 apart.
constexpr int kAlphaTolerance = 2;

// Sprites as a game shows them: many discs of sprite sizes (radius 6 to 29) with soft edges 4 pixels wide, and
// some shadows of partial alpha throughout; the rest is transparent. The coverage of each pixel: 0 outside every
// shape, 255 well inside one (with hard edges, every pixel inside a shape is at the shape's full level).
const std::vector<uint8_t>& Coverage(bool hard) {
  static const auto make = [](bool hardEdges) {
    std::vector<uint8_t> cover(size_t(kWidth) * kHeight, 0);
    uint32_t h = 2166136261u;
    auto next = [&h](uint32_t range) {
      h = (h ^ 0x9E3779B9u) * 16777619u;
      h ^= h >> 15;
      return h % range;
    };
    for (int i = 0; i < 240; ++i) {
      const float cx = static_cast<float>(next(kWidth)), cy = static_cast<float>(next(kHeight));
      const float radius = static_cast<float>(6 + next(24));
      const int maxAlpha = i % 8 == 0 ? 110 : 255;
      for (int32_t y = std::max(0, int32_t(cy - radius) - 1); y <= std::min(kHeight - 1, int32_t(cy + radius) + 1); ++y) {
        for (int32_t x = std::max(0, int32_t(cx - radius) - 1); x <= std::min(kWidth - 1, int32_t(cx + radius) + 1);
             ++x) {
          const float inside = (radius - std::hypot(x + 0.5f - cx, y + 0.5f - cy)) / 4.0f;
          if (inside <= 0) continue;
          const int level = hardEdges ? maxAlpha : static_cast<int>(std::min(1.0f, inside) * maxAlpha);
          uint8_t& c = cover[size_t(y) * kWidth + size_t(x)];
          c = static_cast<uint8_t>(std::max<int>(c, level));
        }
      }
    }
    return cover;
  };
  static const std::vector<uint8_t> soft = make(false), hardCover = make(true);
  return hard ? hardCover : soft;
}

void Colour(int32_t x, int32_t y, uint8_t* bgr) {
  bgr[0] = static_cast<uint8_t>(x * 3 + y);
  bgr[1] = static_cast<uint8_t>(y * 2 + 40);
  bgr[2] = static_cast<uint8_t>(200 - x / 4 + (y & 15));
}

enum class Kind { kOpaque24, kKey24, kKey32, kAlpha };

// The source of a kind, made once.
const Bitmap& Source(Kind kind) {
  static std::unique_ptr<Bitmap> made[4];
  std::unique_ptr<Bitmap>& bitmap = made[static_cast<int>(kind)];
  if (bitmap != nullptr) return *bitmap;
  const int32_t format = kind == Kind::kOpaque24 ? OpaqueFormat
                         : kind == Kind::kKey24  ? KeyedFormat
                         : kind == Kind::kKey32  ? kKeyed32
                                                 : AlphaFormat;
  bitmap = std::make_unique<Bitmap>();
  bitmap->Create(kWidth, kHeight, format);
  const std::vector<uint8_t>& coverage = Coverage(kind != Kind::kAlpha);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      uint8_t* p = bitmap->PixelAt(x, y);
      Colour(x, y, p);
      const uint8_t cover = coverage[size_t(y) * kWidth + size_t(x)];
      if (kind == Kind::kKey24 && cover == 0) p[0] = p[1] = p[2] = 0xFF;
      if (kind == Kind::kKey32) p[3] = cover == 0 ? 0 : 255;
      if (kind == Kind::kAlpha) p[3] = cover;
    }
  }
  // As a picture of the picture cache: keyed pictures keep a run table.
  bitmap->KeepRunTable();
  return *bitmap;
}

// The bytes of the frame every path draws onto, row by row: the same on every side.
void FillFrame(uint8_t* first, int64_t rowBytes, int32_t bytesPerPixel) {
  for (int32_t y = 0; y < kHeight; ++y) std::memset(first + y * rowBytes, (y * 5) & 0xFF, size_t(kWidth) * bytesPerPixel);
}

// Our blitter drawing a source onto a frame.
class OurBlit {
 public:
  OurBlit(Kind kind, int32_t frameFormat) : source_(Source(kind)) {
    InitBlitter();
    frame_.Create(kWidth, kHeight, frameFormat);
    FillFrame(frame_.GetPixels(), frame_.rowBytes, frame_.BytesPerPixel());
  }
  void Draw() { DrawBitmap(frame_, Point{0, 0}, source_, Bounds{0, 0, kWidth, kHeight}); }
  PixelRows Frame() const { return {frame_.GetPixels(), frame_.rowBytes, frame_.BytesPerPixel()}; }

 private:
  const Bitmap& source_;
  Bitmap frame_;
};

// pixman's OVER of the alpha source, premultiplied, onto an r8g8b8 (3-byte) or x8r8g8b8 (4-byte) frame: the
// bytes blue, green, red (and padding) as in ours.
class PixmanOver {
 public:
  explicit PixmanOver(int32_t frameBytes) : frameBytes_(frameBytes), frame_(size_t(kWidth) * kHeight) {
    const Bitmap& source = Source(Kind::kAlpha);
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        const uint8_t* p = source.PixelAt(x, y);
        const uint32_t a = p[3];
        auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
        premultiplied_[size_t(y) * kWidth + x] = a << 24 | mul(p[2]) << 16 | mul(p[1]) << 8 | mul(p[0]);
      }
    }
    FillFrame(reinterpret_cast<uint8_t*>(frame_.data()), RowBytes(), frameBytes_);
    from_ = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, premultiplied_.data(), kWidth * 4);
    to_ = pixman_image_create_bits(frameBytes_ == 3 ? PIXMAN_r8g8b8 : PIXMAN_x8r8g8b8, kWidth, kHeight, frame_.data(),
                                   static_cast<int>(RowBytes()));
  }
  ~PixmanOver() {
    pixman_image_unref(from_);
    pixman_image_unref(to_);
  }
  void Draw() { pixman_image_composite32(PIXMAN_OP_OVER, from_, nullptr, to_, 0, 0, 0, 0, 0, 0, kWidth, kHeight); }
  PixelRows Frame() const { return {reinterpret_cast<const uint8_t*>(frame_.data()), RowBytes(), frameBytes_}; }

 private:
  int64_t RowBytes() const { return int64_t{kWidth} * frameBytes_; }  // a multiple of 4, as pixman wants

  int32_t frameBytes_;
  std::vector<uint32_t> premultiplied_ = std::vector<uint32_t>(size_t(kWidth) * kHeight);
  std::vector<uint32_t> frame_;  // words, as pixman wants; a 3-byte frame uses three quarters of them
  pixman_image_t* from_ = nullptr;
  pixman_image_t* to_ = nullptr;
};

// SDL_BlitSurface of the keyed source with the key white and run-length encoding on, between surfaces of 3 bytes
// (blue, green, red) or 4 (the same and padding): the source is the 3-byte keyed source, its pixels copied whole.
class SdlKeyRle {
 public:
  explicit SdlKeyRle(int32_t bytes) : bytes_(bytes) {
    const Uint32 format = bytes == 3 ? SDL_PIXELFORMAT_BGR24 : SDL_PIXELFORMAT_RGB888;
    from_ = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, bytes * 8, format);
    to_ = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, bytes * 8, format);
    if (from_ == nullptr || to_ == nullptr) return;
    const Bitmap& source = Source(Kind::kKey24);
    for (int32_t y = 0; y < kHeight; ++y) {
      uint8_t* row = static_cast<uint8_t*>(from_->pixels) + y * from_->pitch;
      for (int32_t x = 0; x < kWidth; ++x) std::memcpy(row + x * bytes, source.PixelAt(x, y), 3);
    }
    FillFrame(static_cast<uint8_t*>(to_->pixels), to_->pitch, bytes);
    SDL_SetSurfaceBlendMode(from_, SDL_BLENDMODE_NONE);
    SDL_SetColorKey(from_, SDL_TRUE | SDL_RLEACCEL, SDL_MapRGB(from_->format, 0xFF, 0xFF, 0xFF));
  }
  ~SdlKeyRle() {
    SDL_FreeSurface(from_);
    SDL_FreeSurface(to_);
  }
  bool Ready() const { return from_ != nullptr && to_ != nullptr; }
  void Draw() {
    SDL_Rect area{0, 0, kWidth, kHeight};
    SDL_BlitSurface(from_, nullptr, to_, &area);
  }
  PixelRows Frame() const { return {static_cast<const uint8_t*>(to_->pixels), to_->pitch, bytes_}; }

 private:
  int32_t bytes_;
  SDL_Surface* from_ = nullptr;
  SDL_Surface* to_ = nullptr;
};

// The same bytes as the opaque source, copied whole: the bound no copy of these pixels can beat by much.
class Memcpy {
 public:
  Memcpy() : source_(Source(Kind::kOpaque24)), target_(size_t(source_.rowBytes) * kHeight) {}
  void Draw() {
    benchmark::DoNotOptimize(target_.data());  // the copy's target escapes: otherwise the copy may go
    std::memcpy(target_.data(), source_.GetPixels(), target_.size());
  }
  PixelRows Frame() const { return {target_.data(), source_.rowBytes, 3}; }

 private:
  const Bitmap& source_;
  std::vector<uint8_t> target_;
};

void SetPixelsPerSecond(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

// A path drawn over and over, after one untimed draw.
template <typename Path>
void Timed(benchmark::State& state, Path& path) {
  path.Draw();
  for (auto _ : state) {
    path.Draw();
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

void Blitter(benchmark::State& state, Kind kind, int32_t frameFormat) {
  OurBlit blit(kind, frameFormat);
  Timed(state, blit);
}
void Pixman(benchmark::State& state, int32_t frameBytes) {
  PixmanOver over(frameBytes);
  Timed(state, over);
}
void Sdl(benchmark::State& state, int32_t bytes) {
  SdlKeyRle blit(bytes);
  if (!blit.Ready()) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  Timed(state, blit);
}
void MemcpyFrame(benchmark::State& state) {
  Memcpy copy;
  Timed(state, copy);
}

// The check of a row: ours and the reference, each drawn once onto its fresh frame, leave the same pixels.
template <typename Reference, typename... Settings>
std::string SameFrame(Kind kind, int32_t frameFormat, int tolerance, Settings... settings) {
  OurBlit ours(kind, frameFormat);
  Reference reference(settings...);
  ours.Draw();
  reference.Draw();
  return bench::DifferentPixels(ours.Frame(), reference.Frame(), kWidth, kHeight, tolerance);
}

KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Blitter, alpha_24, Kind::kAlpha, OpaqueFormat));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Pixman, over_24, 3));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Blitter, alpha_32, Kind::kAlpha, kFrame32));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Pixman, over_32, 4));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Blitter, key_24, Kind::kKey24, OpaqueFormat));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Sdl, key_rle_24, 3));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Blitter, key_32, Kind::kKey32, kFrame32));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Sdl, key_rle_32, 4));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Blitter, opaque_24, Kind::kOpaque24, OpaqueFormat));
KESTRIVAL_BENCH(BENCHMARK(MemcpyFrame));

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatioTable(
      argc, argv,
      {{"alpha blit onto the 24-bit frame", "Blitter/alpha_24", "Pixman/over_24", 1.0, 0, "",
        [] { return SameFrame<PixmanOver>(Kind::kAlpha, OpaqueFormat, kAlphaTolerance, 3); }},
       {"alpha blit onto a 32-bit frame", "Blitter/alpha_32", "Pixman/over_32", 1.0, 0, "",
        [] { return SameFrame<PixmanOver>(Kind::kAlpha, kFrame32, kAlphaTolerance, 4); }},
       {"colour-key blit onto the 24-bit frame", "Blitter/key_24", "Sdl/key_rle_24", 1.5, 0, "",
        [] { return SameFrame<SdlKeyRle>(Kind::kKey24, OpaqueFormat, 0, 3); }},
       {"colour-key blit onto a 32-bit frame", "Blitter/key_32", "Sdl/key_rle_32", 1.5, 0, "",
        [] { return SameFrame<SdlKeyRle>(Kind::kKey32, kFrame32, 0, 4); }},
       {"opaque copy onto the 24-bit frame", "Blitter/opaque_24", "MemcpyFrame", 0.95, 0, "",
        [] { return SameFrame<Memcpy>(Kind::kOpaque24, OpaqueFormat, 0); }}});
}
