// The screen presenter: a BITMAPINFOHEADER over the frame bitmap and one SetDIBitsToDevice per paint.
#include "game/graphics/screen_presenter.h"

#include <algorithm>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "host/errors.h"

namespace {

// Device-independent rows are padded to a multiple of 4 bytes.
int64_t DibRowBytes(int32_t width) { return (int64_t{width} * 3 + 3) & ~int64_t{3}; }

}  // namespace

ScreenPresenter::ScreenPresenter(FrameWindow* window, int32_t width, int32_t height) : window_(window) {
  SetSize(width, height);
}

void ScreenPresenter::SetSize(int32_t width, int32_t height) {
  hasHeader_ = false;
  header_ = BITMAPINFO{};
  padded_.clear();
  if (width <= 0 || height <= 0) return;
  BITMAPINFOHEADER& h = header_.bmiHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biHeight = -height;  // rows run from the top down
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biCompression = BI_RGB;
  hasHeader_ = true;
}

int32_t ScreenPresenter::Present(const Region& region) {
  if (window_ != nullptr) window_->InvalidateRegion(region);
  return 0;
}

int32_t ScreenPresenter::Blit(const Bitmap& frame, const Region& region) {
  // Blits run on the main thread one at a time; one found busy could only be a blit calling itself, which waiting
  // for would never end, so it draws nothing.
  if (window_ == nullptr || !window_->IsCreated() || !hasHeader_ || busy_) return 0;
  const int32_t width = header_.bmiHeader.biWidth;
  const int32_t height = -header_.bmiHeader.biHeight;
  if (!frame.HasPixels() || frame.width != width || frame.height != height) return 0;
  busy_ = true;

  Bounds box;
  region.GetBounds(box);
  // A band draws one row more than its box, from the box's top, never past the last row; a box as tall as the
  // frame (or taller) draws the whole frame from the top. A box above or below the frame starts inside it: its
  // own first row would read pixels outside the frame.
  int32_t first = 0;
  int32_t rows = height;
  if (box.height < height) {
    first = std::clamp(box.y, 0, height - 1);
    rows = static_cast<int32_t>(std::min<int64_t>(int64_t{box.height} + 1, height - first));
  }

  const uint8_t* bits = frame.PixelAt(0, first);
  const int64_t dibRow = DibRowBytes(width);
  if (frame.BytesPerPixel() != 3 || frame.rowBytes != dibRow) {
    padded_.assign(static_cast<size_t>(dibRow * rows), 0);
    ConvertPixels(3, frame.BytesPerPixel(), padded_.data(), bits, static_cast<int32_t>(dibRow), frame.rowBytes,
                  width, rows);
    bits = padded_.data();
  }

  header_.bmiHeader.biHeight = -rows;
  int result = SetDIBitsToDevice(window_->DeviceContext(), 0, first, static_cast<DWORD>(width),
                                 static_cast<DWORD>(rows), 0, 0, 0, static_cast<UINT>(rows), bits, &header_,
                                 DIB_RGB_COLORS);
  header_.bmiHeader.biHeight = -height;
  busy_ = false;
  if (result == 0) result = static_cast<int32_t>(GetLastError());
  return result;
}
