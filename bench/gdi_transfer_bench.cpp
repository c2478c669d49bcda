// The drawing layer's transfers that run every frame, against plain references on the same bytes: the 24-bit game
// frame copied to a window's 32-bit frame buffer (SDL_ConvertPixels of the same frame), and 32-bit bitmaps combined
// between memory device contexts (SRCPAINT against a plain OR loop, SRCCOPY against memcpy).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/ratio_table.h"
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

void SetPixelsPerSecond(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

void FrameToWindow(benchmark::State& state) {
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  HostSurface surface;
  surface.width = kWidth;
  surface.height = kHeight;
  surface.pitch = kWidth * 4;
  surface.pixels = pixels.data();
  HDC dc = HostCreateSurfaceDC(&surface);
  const std::vector<uint8_t> frame = FrameBytes();
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  for (auto _ : state) {
    benchmark::DoNotOptimize(SetDIBitsToDevice(dc, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, frame.data(), &info,
                                               DIB_RGB_COLORS));
  }
  HostReleaseSurfaceDC(dc);
  SetPixelsPerSecond(state);
}

void SdlConvertFrame(benchmark::State& state) {
  const std::vector<uint8_t> frame = FrameBytes();
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (auto _ : state) {
    SDL_ConvertPixels(kWidth, kHeight, SDL_PIXELFORMAT_BGR24, frame.data(), kWidth * 3, SDL_PIXELFORMAT_RGB888,
                      pixels.data(), kWidth * 4);
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

void BitmapToBitmap(benchmark::State& state, DWORD rop) {
  HDC src = CreateCompatibleDC(nullptr);
  HDC dst = CreateCompatibleDC(nullptr);
  HBITMAP a = CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
  HBITMAP b = CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
  SelectObject(src, a);
  SelectObject(dst, b);
  for (auto _ : state) benchmark::DoNotOptimize(BitBlt(dst, 0, 0, kWidth, kHeight, src, 0, 0, rop));
  DeleteDC(src);
  DeleteDC(dst);
  DeleteObject(a);
  DeleteObject(b);
  SetPixelsPerSecond(state);
}

void OrLoop(benchmark::State& state) {
  std::vector<uint32_t> from(static_cast<size_t>(kWidth) * kHeight, 0x00123456u);
  std::vector<uint32_t> to(from.size(), 0x00654321u);
  for (auto _ : state) {
    benchmark::DoNotOptimize(to.data());  // the target escapes: otherwise the loop may go
    for (size_t i = 0; i < to.size(); ++i) to[i] |= from[i];
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

void Memcpy(benchmark::State& state) {
  std::vector<uint32_t> from(static_cast<size_t>(kWidth) * kHeight, 0x00123456u);
  std::vector<uint32_t> to(from.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(to.data());  // the copy's target escapes: otherwise the copy may go
    std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
    benchmark::ClobberMemory();
  }
  SetPixelsPerSecond(state);
}

KESTRIVAL_BENCH(BENCHMARK(FrameToWindow));
KESTRIVAL_BENCH(BENCHMARK(SdlConvertFrame));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(BitmapToBitmap, srcpaint, SRCPAINT));
KESTRIVAL_BENCH(BENCHMARK(OrLoop));
KESTRIVAL_BENCH(BENCHMARK_CAPTURE(BitmapToBitmap, srccopy, SRCCOPY));
KESTRIVAL_BENCH(BENCHMARK(Memcpy));

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatioTable(
      argc, argv,
      {{"game frame (24-bit) to window (FrameToWindow)", "FrameToWindow", "SdlConvertFrame", 1.0},
       {"BitBlt SRCPAINT", "BitmapToBitmap/srcpaint", "OrLoop", 0.8},
       {"BitBlt SRCCOPY", "BitmapToBitmap/srccopy", "Memcpy", 0.8}});
}
