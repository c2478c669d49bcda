// The drawing layer's transfers that run every frame, against plain references on the same bytes and into the same
// format: the 24-bit game frame copied to a window's 32-bit frame buffer (SDL_ConvertPixels of the same frame), and
// 32-bit bitmaps combined between memory device contexts (SRCPAINT against a plain OR loop, SRCCOPY against
// memcpy, on the same words). Each row checks that ours and the reference leave the same pixels.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/ratio_table.h"
#include "bench/same_pixels.h"
#include "host/gdi.h"
#include "host/src/gdi_internal.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

std::vector<uint8_t> FrameBytes() {
  std::vector<uint8_t> frame(static_cast<size_t>(kWidth) * kHeight * 3);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7 + (i >> 11));
  return frame;
}

// The words of a 32-bit bitmap (blue, green, red, padding), the source's and the destination's patterns apart.
std::vector<uint32_t> BitmapWords(uint32_t seed) {
  std::vector<uint32_t> words(static_cast<size_t>(kWidth) * kHeight);
  for (size_t i = 0; i < words.size(); ++i) words[i] = (static_cast<uint32_t>(i) * 2654435761u ^ seed) & 0x00FFFFFFu;
  return words;
}
constexpr uint32_t kSourceSeed = 0x123456, kDestinationSeed = 0x654321;

bench::PixelRows WordRows(const std::vector<uint32_t>& words) {
  return {reinterpret_cast<const uint8_t*>(words.data()), kWidth * 4, 4};
}

// Ours: the frame set into a window's frame buffer by SetDIBitsToDevice.
class FrameToWindowPath {
 public:
  FrameToWindowPath() : frame_(FrameBytes()), pixels_(static_cast<size_t>(kWidth) * kHeight) {
    surface_.width = kWidth;
    surface_.height = kHeight;
    surface_.pitch = kWidth * 4;
    surface_.pixels = pixels_.data();
    dc_ = HostCreateSurfaceDC(&surface_);
    info_.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  }
  ~FrameToWindowPath() { HostReleaseSurfaceDC(dc_); }
  bool Draw() {
    return SetDIBitsToDevice(dc_, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, frame_.data(), &info_, DIB_RGB_COLORS) ==
           kHeight;
  }
  bench::PixelRows Pixels() const { return WordRows(pixels_); }

 private:
  std::vector<uint8_t> frame_;
  std::vector<uint32_t> pixels_;
  HostSurface surface_;
  HDC dc_ = nullptr;
  BITMAPINFO info_{};
};

// The reference: SDL_ConvertPixels of the same frame into the same format.
class SdlConvertPath {
 public:
  SdlConvertPath() : frame_(FrameBytes()), pixels_(static_cast<size_t>(kWidth) * kHeight) {}
  void Draw() {
    SDL_ConvertPixels(kWidth, kHeight, SDL_PIXELFORMAT_BGR24, frame_.data(), kWidth * 3, SDL_PIXELFORMAT_RGB888,
                      pixels_.data(), kWidth * 4);
  }
  bench::PixelRows Pixels() const { return WordRows(pixels_); }

 private:
  std::vector<uint8_t> frame_;
  std::vector<uint32_t> pixels_;
};

// Ours: BitBlt between two 32-bit bitmaps in memory device contexts.
class BitBltPath {
 public:
  explicit BitBltPath(DWORD rop) : rop_(rop) {
    src_ = CreateCompatibleDC(nullptr);
    dst_ = CreateCompatibleDC(nullptr);
    const std::vector<uint32_t> from = BitmapWords(kSourceSeed), to = BitmapWords(kDestinationSeed);
    from_ = CreateBitmap(kWidth, kHeight, 1, 32, from.data());
    to_ = CreateBitmap(kWidth, kHeight, 1, 32, to.data());
    SelectObject(src_, from_);
    SelectObject(dst_, to_);
  }
  ~BitBltPath() {
    DeleteDC(src_);
    DeleteDC(dst_);
    DeleteObject(from_);
    DeleteObject(to_);
  }
  bool Draw() { return BitBlt(dst_, 0, 0, kWidth, kHeight, src_, 0, 0, rop_) != FALSE; }
  // The destination's pixels, read back top row first.
  std::vector<uint32_t> Pixels() const {
    std::vector<uint32_t> words(static_cast<size_t>(kWidth) * kHeight);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    if (GetDIBits(dst_, to_, 0, kHeight, words.data(), &info, DIB_RGB_COLORS) != kHeight) return {};
    return words;
  }

 private:
  DWORD rop_;
  HDC src_ = nullptr, dst_ = nullptr;
  HBITMAP from_ = nullptr, to_ = nullptr;
};

// The references: the same words ORed (SRCPAINT) or copied (SRCCOPY) in a plain loop and by memcpy.
class WordsPath {
 public:
  explicit WordsPath(DWORD rop) : rop_(rop), from_(BitmapWords(kSourceSeed)), to_(BitmapWords(kDestinationSeed)) {}
  void Draw() {
    benchmark::DoNotOptimize(to_.data());  // the target escapes: otherwise the loop or the copy may go
    if (rop_ == SRCPAINT) {
      for (size_t i = 0; i < to_.size(); ++i) to_[i] |= from_[i];
    } else {
      std::memcpy(to_.data(), from_.data(), from_.size() * sizeof(uint32_t));
    }
  }
  const std::vector<uint32_t>& Pixels() const { return to_; }

 private:
  DWORD rop_;
  std::vector<uint32_t> from_, to_;
};

void SetPixelsPerSecond(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

void FrameToWindow(benchmark::State& state) {
  FrameToWindowPath path;
  for (auto _ : state) benchmark::DoNotOptimize(path.Draw());
  SetPixelsPerSecond(state);
}

void SdlConvertFrame(benchmark::State& state) {
  SdlConvertPath path;
  for (auto _ : state) {
    path.Draw();
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

void BitmapToBitmap(benchmark::State& state, DWORD rop) {
  BitBltPath path(rop);
  for (auto _ : state) benchmark::DoNotOptimize(path.Draw());
  SetPixelsPerSecond(state);
}

void Words(benchmark::State& state, DWORD rop) {
  WordsPath path(rop);
  for (auto _ : state) {
    path.Draw();
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

// The checks: ours and the reference, each run once from the same pixels, leave the same pixels.
std::string SameFrame() {
  FrameToWindowPath ours;
  SdlConvertPath reference;
  if (!ours.Draw()) return "SetDIBitsToDevice failed";
  reference.Draw();
  return bench::DifferentPixels(ours.Pixels(), reference.Pixels(), kWidth, kHeight);
}

std::string SameBitmap(DWORD rop) {
  BitBltPath ours(rop);
  WordsPath reference(rop);
  if (!ours.Draw()) return "BitBlt failed";
  reference.Draw();
  const std::vector<uint32_t> drawn = ours.Pixels();
  if (drawn.empty()) return "GetDIBits failed";
  return bench::DifferentPixels(WordRows(drawn), WordRows(reference.Pixels()), kWidth, kHeight);
}

KESTRIVAL_BENCH(BENCHMARK(FrameToWindow));
KESTRIVAL_BENCH(BENCHMARK(SdlConvertFrame));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(BitmapToBitmap, srcpaint, SRCPAINT));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Words, or_loop, SRCPAINT));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(BitmapToBitmap, srccopy, SRCCOPY));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(Words, memcpy, SRCCOPY));

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatioTable(
      argc, argv,
      {{"game frame (24-bit) to window (FrameToWindow)", "FrameToWindow", "SdlConvertFrame", 1.0, 0, "", SameFrame},
       {"BitBlt SRCPAINT", "BitmapToBitmap/srcpaint", "Words/or_loop", 0.8, 0, "", [] { return SameBitmap(SRCPAINT); }},
       {"BitBlt SRCCOPY", "BitmapToBitmap/srccopy", "Words/memcpy", 0.8, 0, "", [] { return SameBitmap(SRCCOPY); }}});
}
