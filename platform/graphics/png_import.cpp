// PNG import through libpng: a read callback over the memory reader, gamma against a screen gamma of 2.2, the
// background colour, grey and palette images as indexed rows (transparency values in the palette flags), colour images
// as {alpha, red, green, blue} rows whose alpha the world keeps, and the pixel aspect (pHYs) and offset (oFFs) applied
// to the bounds.
#include "platform/graphics/png_import.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include <png.h>

namespace {

constexpr double kScreenGamma = 2.2;
constexpr double kDefaultFileGamma = 0.45454545454545453;
// Aspect correction never makes a side this long; an image that would need it keeps its stored size.
constexpr double kMaxCorrectedSide = 4096.0;
constexpr double kMetresPerInch = 0.0254;
constexpr double kPointsPerInch = 72.0;
constexpr uint32_t kSquarePixelsPerMetre = 2835;
constexpr double kInchesPerMicrometre = 3.937007874015748e-05;
// Offsets further than this from the origin are refused, so the moved bounds stay far from overflow.
constexpr int64_t kMaxOffset = int64_t{1} << 24;

struct PngDecodeState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_color greyTable[256];  // the grey table handed to the quantizer, kept alive as long as the reader
  std::vector<png_bytep> rows;
};

void ReadCallback(png_structp png, png_bytep data, size_t length) {
  auto* reader = static_cast<MemoryStreamReader*>(png_get_io_ptr(png));
  if (length > UINT32_MAX ||
      PlatformReadMemoryStream(reader, data, static_cast<uint32_t>(length)) != kPlatformNoError) {
    png_error(png, "Read Error");
  }
}

void ErrorCallback(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void WarningCallback(png_structp, png_const_charp) {}

void ApplyGamma(png_structp png, png_infop pngInfo, ImageInfo* info) {
  int intent = 0;
  double fileGamma = 0.0;
  const bool srgb = png_get_sRGB(png, pngInfo, &intent) != 0;
  const bool hasGamma = png_get_gAMA(png, pngInfo, &fileGamma) != 0 && fileGamma > 0.0;
  if (info != nullptr) {
    if (srgb) {
      png_set_sRGB(png, pngInfo, intent);
      info->gamma = kScreenGamma;
    } else if (hasGamma) {
      png_set_gamma(png, kScreenGamma, fileGamma);
      info->gamma = 1.0 / fileGamma;
    } else {
      info->gamma = kScreenGamma;
      png_set_gamma(png, kScreenGamma, 1.0 / kScreenGamma);
    }
  } else if (srgb) {
    png_set_sRGB(png, pngInfo, intent);
  } else {
    png_set_gamma(png, kScreenGamma, hasGamma ? fileGamma : kDefaultFileGamma);
  }
}

void ReadBackground(png_structp png, png_infop pngInfo, int colorType, ImageInfo* info) {
  png_color_16p background = nullptr;
  if (png_get_bKGD(png, pngInfo, &background) == 0 || background == nullptr) return;
  info->hasBackground = 1;
  if ((colorType & PNG_COLOR_MASK_COLOR) != 0) {
    info->background = ColorRecord{255, static_cast<uint8_t>(background->red & 0xFF),
                                   static_cast<uint8_t>(background->green & 0xFF),
                                   static_cast<uint8_t>(background->blue & 0xFF)};
  } else {
    const uint8_t grey = static_cast<uint8_t>(background->gray & 0xFF);
    info->background = ColorRecord{255, grey, grey, grey};
  }
}

// Scales the stored size by the pixel aspect the file gives.
void CorrectAspect(png_structp png, png_infop pngInfo, int32_t* width, int32_t* height) {
  png_uint_32 xDensity = 0;
  png_uint_32 yDensity = 0;
  int unit = 0;
  if (png_get_pHYs(png, pngInfo, &xDensity, &yDensity, &unit) == 0 || xDensity == 0 || yDensity == 0) return;
  double fx = 1.0;
  double fy = 1.0;
  if (unit == PNG_RESOLUTION_UNKNOWN) {
    const double ratio = static_cast<double>(yDensity) / xDensity;
    fx = std::max(ratio, 1.0);
    fy = std::max(1.0 / ratio, 1.0);
  } else if (unit == PNG_RESOLUTION_METER) {
    if (xDensity != kSquarePixelsPerMetre) fx = xDensity * kMetresPerInch / kPointsPerInch;
    if (yDensity != kSquarePixelsPerMetre) fy = yDensity * kMetresPerInch / kPointsPerInch;
  }
  if (fx == 1.0 && fy == 1.0) return;
  const double newWidth = *width * fx + 0.5;
  const double newHeight = *height * fy + 0.5;
  if (newWidth >= kMaxCorrectedSide || newHeight >= kMaxCorrectedSide) return;
  // Tiny densities shrink the image, but never to nothing.
  *width = std::max(1, static_cast<int32_t>(newWidth));
  *height = std::max(1, static_cast<int32_t>(newHeight));
}

PlatformError ReadOffset(png_structp png, png_infop pngInfo, int32_t* x, int32_t* y) {
  png_int_32 offsetX = 0;
  png_int_32 offsetY = 0;
  int unit = 0;
  if (png_get_oFFs(png, pngInfo, &offsetX, &offsetY, &unit) == 0) return kPlatformNoError;
  int64_t ox = 0;
  int64_t oy = 0;
  if (unit == PNG_OFFSET_MICROMETER) {
    // Points, rounded as round(offset x 72 x inches per micrometre + 0.5): an offset of one inch gives 73.
    ox = std::llround(offsetX * kPointsPerInch * kInchesPerMicrometre + 0.5);
    oy = std::llround(offsetY * kPointsPerInch * kInchesPerMicrometre + 0.5);
  } else if (unit == PNG_OFFSET_PIXEL) {
    ox = offsetX;
    oy = offsetY;
  }
  if (ox < -kMaxOffset || ox > kMaxOffset || oy < -kMaxOffset || oy > kMaxOffset) return kPlatformErrImageData;
  *x = static_cast<int32_t>(ox);
  *y = static_cast<int32_t>(oy);
  return kPlatformNoError;
}

// Runs the read. libpng's errors come back to the setjmp below; nothing with a destructor lives in this frame or
// the frames the jump crosses.
PlatformError Read(PngDecodeState* state, MemoryStreamReader* reader, DecodedImage* image, ImageInfo* info) {
  png_structp png = state->png;
  png_infop pngInfo = state->info;
  if (setjmp(png_jmpbuf(png)) != 0) return kPlatformErrImageData;

  png_set_read_fn(png, reader, ReadCallback);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_read_info(png, pngInfo);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitDepth = 0;
  int colorType = 0;
  int interlace = 0;
  png_get_IHDR(png, pngInfo, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
  if (!IsImageSizeAcceptable(width, height)) return kPlatformErrImageData;

  if (info != nullptr) {
    info->type = kImageTypePng;
    ReadBackground(png, pngInfo, colorType, info);
  }
  ApplyGamma(png, pngInfo, info);

  uint32_t format = kImageFormatArgb;
  std::vector<ColorRecord>& palette = image->palette;
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: {
      if (bitDepth < 8) png_set_packing(png);
      if (bitDepth == 16) {
        png_set_strip_16(png);
        bitDepth = 8;
      }
      const int entries = 1 << bitDepth;
      const int step = 255 / (entries - 1);
      palette.resize(static_cast<size_t>(entries));
      for (int i = 0; i < entries; ++i) {
        const uint8_t v = static_cast<uint8_t>(i * step);
        state->greyTable[i] = png_color{v, v, v};
        palette[static_cast<size_t>(i)] = ColorRecord{255, v, v, v};
      }
#ifdef PNG_READ_QUANTIZE_SUPPORTED
      png_set_quantize(png, state->greyTable, entries, entries, nullptr, 1);
#endif
      format = kImageFormatIndexed;
      break;
    }
    case PNG_COLOR_TYPE_RGB:
    case PNG_COLOR_TYPE_RGB_ALPHA:
      if (bitDepth == 16) png_set_strip_16(png);
      png_set_bgr(png);
      png_set_filler(png, 255, PNG_FILLER_AFTER);
      break;
    case PNG_COLOR_TYPE_PALETTE: {
      png_colorp colors = nullptr;
      int count = 0;
      if (png_get_PLTE(png, pngInfo, &colors, &count) == 0 || colors == nullptr) return kPlatformErrGraphics;
      const int entries = 1 << bitDepth;
      count = std::min(count, entries);
      png_uint_16p histogram = nullptr;
      png_get_hIST(png, pngInfo, &histogram);
#ifdef PNG_READ_QUANTIZE_SUPPORTED
      png_set_quantize(png, colors, count, entries, histogram, 0);
#endif
      palette.assign(static_cast<size_t>(entries), ColorRecord{255, 0, 0, 0});
      for (int i = 0; i < count; ++i) palette[i] = ColorRecord{255, colors[i].red, colors[i].green, colors[i].blue};
      png_bytep alpha = nullptr;
      int alphaCount = 0;
      if (png_get_tRNS(png, pngInfo, &alpha, &alphaCount, nullptr) != 0 && alpha != nullptr) {
        alphaCount = std::min(alphaCount, entries);
        for (int i = 0; i < alphaCount; ++i) palette[i].flag = alpha[i];
        image->hasTransparency = alphaCount > 0;
      }
      if (bitDepth < 8) png_set_packing(png);
      format = kImageFormatIndexed;
      break;
    }
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      if (bitDepth == 16) png_set_strip_16(png);
      if (png_get_valid(png, pngInfo, PNG_INFO_tRNS) == 0) png_set_filler(png, 255, PNG_FILLER_AFTER);
      png_set_gray_to_rgb(png);
      break;
    default:
      return kPlatformErrImageData;
  }
  if ((colorType & PNG_COLOR_MASK_ALPHA) != 0) image->hasTransparency = true;
  png_set_interlace_handling(png);
  png_read_update_info(png, pngInfo);

  PlatformError error = AllocateDecodedImage(
      image, Rect{0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)}, format, 0);
  if (error != kPlatformNoError) return error;
  // Every transformation above yields one byte a pixel (indexed) or four (colour); anything else is refused
  // rather than read past the rows.
  if (png_get_rowbytes(png, pngInfo) != image->RowBytes()) return kPlatformErrImageData;
  try {
    state->rows.resize(height);
  } catch (const std::bad_alloc&) {
    return kPlatformErrNoMemory;
  }
  for (png_uint_32 y = 0; y < height; ++y) state->rows[y] = image->Row(static_cast<int32_t>(y));
  png_read_image(png, state->rows.data());
  png_read_end(png, nullptr);

  if (!image->IsIndexed()) {
    // Colour rows come as blue, green, red, alpha (grey rows as red, green, blue, alpha with the three equal):
    // reversing each pixel gives alpha, red, green, blue. The world keeps the alpha (format 0x8888).
    image->keepsAlpha = true;
    for (size_t i = 0; i + 3 < image->pixels.size(); i += 4) {
      std::swap(image->pixels[i], image->pixels[i + 3]);
      std::swap(image->pixels[i + 1], image->pixels[i + 2]);
    }
  }

  int32_t finalWidth = static_cast<int32_t>(width);
  int32_t finalHeight = static_cast<int32_t>(height);
  CorrectAspect(png, pngInfo, &finalWidth, &finalHeight);
  int32_t offsetX = 0;
  int32_t offsetY = 0;
  error = ReadOffset(png, pngInfo, &offsetX, &offsetY);
  if (error != kPlatformNoError) return error;
  image->finalBounds = Rect{offsetX, offsetY, offsetX + finalWidth, offsetY + finalHeight};
  return kPlatformNoError;
}

}  // namespace

bool IsPngData(const uint8_t* bytes, size_t n) { return n >= 4 && png_sig_cmp(bytes, 0, 4) == 0; }

PlatformError DecodePng(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode, ImageInfo* info) {
  std::unique_ptr<PngDecodeState> state;
  try {
    state = std::make_unique<PngDecodeState>();
  } catch (const std::bad_alloc&) {
    return kPlatformErrNoMemory;
  }
  state->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorCallback, WarningCallback);
  if (state->png == nullptr) return kPlatformErrNoMemory;
  state->info = png_create_info_struct(state->png);
  PlatformError error = kPlatformErrNoMemory;
  if (state->info != nullptr) error = Read(state.get(), reader, image, info);
  png_destroy_read_struct(&state->png, &state->info, nullptr);
  return error;
}

PlatformError ImportPng(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                        ImageInfo* info) {
  return RunImageImporter(DecodePng, reader, world, mask, mode, info);
}
