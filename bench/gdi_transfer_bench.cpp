// Speed of the drawing layer's transfers that run every frame: a 24-bit frame copied to a window's frame buffer,
// and a 32-bit bitmap copied between memory device contexts.
#include <benchmark/benchmark.h>

#include <vector>

#include "host/gdi.h"
#include "host/src/gdi_internal.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

void FrameToWindow(benchmark::State& state) {
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  HostSurface surface;
  surface.width = kWidth;
  surface.height = kHeight;
  surface.pitch = kWidth * 4;
  surface.pixels = pixels.data();
  HDC dc = HostCreateSurfaceDC(&surface);
  std::vector<uint8_t> frame(static_cast<size_t>(kWidth) * kHeight * 3, 0x5A);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  for (auto _ : state) {
    benchmark::DoNotOptimize(SetDIBitsToDevice(dc, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, frame.data(), &info,
                                               DIB_RGB_COLORS));
  }
  HostReleaseSurfaceDC(dc);
}
BENCHMARK(FrameToWindow);

void BitmapToBitmap(benchmark::State& state) {
  HDC src = CreateCompatibleDC(nullptr);
  HDC dst = CreateCompatibleDC(nullptr);
  HBITMAP a = CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
  HBITMAP b = CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
  SelectObject(src, a);
  SelectObject(dst, b);
  const DWORD rop = static_cast<DWORD>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(BitBlt(dst, 0, 0, kWidth, kHeight, src, 0, 0, rop));
  DeleteDC(src);
  DeleteDC(dst);
  DeleteObject(a);
  DeleteObject(b);
}
BENCHMARK(BitmapToBitmap)->Arg(SRCCOPY)->Arg(SRCPAINT);

}  // namespace
