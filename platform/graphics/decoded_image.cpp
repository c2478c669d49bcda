// Allocation of decoded images and working buffers within the image ceiling.
#include "platform/graphics/decoded_image.h"

#include <algorithm>
#include <new>

bool IsImageSizeAcceptable(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

PlatformError ResizeBuffer(std::vector<uint8_t>* buffer, size_t size) {
  try {
    buffer->assign(size, 0);
  } catch (const std::bad_alloc&) {
    return kPlatformErrNoMemory;
  }
  return kPlatformNoError;
}

PlatformError AllocateDecodedImage(DecodedImage* image, const Rect& bounds, uint32_t formatCode, uint8_t fill) {
  const int64_t width = int64_t{bounds.right} - bounds.left;
  const int64_t height = int64_t{bounds.bottom} - bounds.top;
  if (!IsImageSizeAcceptable(width, height)) return kPlatformErrImageData;
  image->bounds = bounds;
  image->finalBounds = bounds;
  image->formatCode = formatCode;
  PlatformError error = ResizeBuffer(&image->pixels, image->RowBytes() * static_cast<size_t>(height));
  if (error == kPlatformNoError && fill != 0) {
    std::fill(image->pixels.begin(), image->pixels.end(), fill);
  }
  return error;
}
