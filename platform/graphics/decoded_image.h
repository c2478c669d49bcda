// A decoded image in memory: what every importer produces before the pixels go into a graphics world. Keeping
// the decoders apart from the worlds lets one delivery step keep the importer contract for all formats, and lets
// the decoders be checked (and fuzzed) on their own.
//
// Pixels are kept in one of two row forms, the two the world's row writers take: palette indices (one byte a
// pixel) for indexed images, and {alpha, red, green, blue} (four bytes a pixel) for direct-colour images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/core/platform_error.h"
#include "platform/graphics/color.h"
#include "platform/graphics/pixel_format.h"
#include "platform/graphics/rect.h"

// Decoded images are refused beyond these sizes: larger files are hostile or not meant for this program, and the
// bound keeps every buffer size far from overflow.
constexpr int64_t kMaxImageSide = 16384;
constexpr int64_t kMaxImagePixels = int64_t{1} << 24;

// Pixel-format codes an importer asks its world for.
constexpr PixelFormatCode kImageFormatIndexed = kPixelFormat8;
constexpr PixelFormatCode kImageFormat565 = kPixelFormat16;
constexpr PixelFormatCode kImageFormat32 = kPixelFormat32;
constexpr PixelFormatCode kImageFormatArgb = kPixelFormat8888;

struct DecodedImage {
  Rect bounds{};              // where the world is made; width and height are the image's
  PixelFormatCode formatCode = 0;  // one of the kImageFormat codes
  bool standardPalette = false;       // indexed image without a table of its own: use the standard palette
  std::vector<ColorRecord> palette;   // the colour table of an indexed image
  std::vector<uint8_t> pixels;        // rows top to bottom, RowBytes() each
  bool hasTransparency = false;       // alpha or transparent palette entries: a mask world can be made
  bool keepsAlpha = false;            // direct-colour rows whose alpha goes into the world too, not only the mask
  Rect finalBounds{};         // the world's bounds after delivery (a resize or a move); equals bounds unless set

  int32_t Width() const { return bounds.right - bounds.left; }
  int32_t Height() const { return bounds.bottom - bounds.top; }
  bool IsIndexed() const { return formatCode == kImageFormatIndexed; }
  size_t RowBytes() const { return static_cast<size_t>(Width()) * (IsIndexed() ? 1 : 4); }
  uint8_t* Row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * RowBytes(); }
  const uint8_t* Row(int32_t y) const { return pixels.data() + static_cast<size_t>(y) * RowBytes(); }
};

// True when a width and height (from a file) are positive and within the image ceiling.
bool IsImageSizeAcceptable(int64_t width, int64_t height);

// Sets the image's bounds and format and allocates its rows, every byte set to fill. Gives kPlatformErrImageData
// for a size outside the ceiling and kPlatformErrNoMemory when the rows cannot be had.
PlatformError AllocateDecodedImage(DecodedImage* image, const Rect& bounds, uint32_t formatCode, uint8_t fill);

// Resizes a working buffer, giving kPlatformErrNoMemory instead of throwing.
PlatformError ResizeBuffer(std::vector<uint8_t>* buffer, size_t size);
