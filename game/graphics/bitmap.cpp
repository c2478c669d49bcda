// Bitmap: creation, locking, views and copies, and the conversion of decoded image pixels into a Bitmap.
#include "game/graphics/bitmap.h"

#include <algorithm>
#include <cstring>

#include "game/graphics/blitter.h"
#include "game/graphics/key_runs.h"

int32_t OpaqueFormat = 67;
int32_t KeyedFormat = 99;
int32_t AlphaFormat = 84;
int32_t ImageImportOptions = kDetectTransparency;

namespace {

bool ValidBytesPerPixel(int32_t bytes) { return bytes >= 2 && bytes <= 4; }

// The part of rect that lies inside a width x height area; an empty result has width or height 0. Views and copies
// of a rectangle take only what lies inside their source: a rectangle reaching past it (layout rectangles come from
// scenario files) would read or hand out memory outside the source's pixels.
Bounds ClipToArea(const Bounds& rect, int32_t width, int32_t height) {
  int64_t left = std::max<int64_t>(rect.x, 0);
  int64_t top = std::max<int64_t>(rect.y, 0);
  int64_t right = std::min<int64_t>(int64_t{rect.x} + rect.width, width);
  int64_t bottom = std::min<int64_t>(int64_t{rect.y} + rect.height, height);
  if (right <= left || bottom <= top) return Bounds{0, 0, 0, 0};
  return Bounds{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
                static_cast<int32_t>(bottom - top)};
}

// What the transparency scan of an image found.
struct Transparency {
  bool transparent = false;
  bool partial = false;
};

// The alpha of a 24- or 32-bit pixel: 24-bit pixels, and 32-bit pixels whose fourth byte is only padding, are
// opaque.
uint32_t DirectPixelAlpha(const ImagePixels& image, const uint8_t* p) {
  return image.bitsPerPixel == 32 && image.alphaInPixels ? p[3] : 0xFF;
}

// A row of 24- or 32-bit pixels at a time, without a branch per pixel: a pixel is transparent with alpha 0 or as
// opaque pure white, partial with any other alpha but 255.
//
// 24-bit pictures are scanned as 32-bit ones of full alpha, so that their pure white is the key as in every other
// direct-colour picture (the scenarios' 24-bit pictures rely on it); the fourth byte of a 32-bit world without
// alpha bits is padding, and reading it as alpha would key every pixel of every such picture.
void ScanDirectRows(const ImagePixels& image, Transparency& found) {
  const int32_t bytes = image.bitsPerPixel / 8;
  const bool withAlpha = bytes == 4 && image.alphaInPixels;
  for (int32_t y = 0; y < image.height && !found.partial; ++y) {
    const uint8_t* row = image.pixels + y * image.rowBytes;
    uint32_t transparent = 0;
    uint32_t partial = 0;
    for (int32_t x = 0; x < image.width; ++x) {
      const uint8_t* p = row + x * bytes;
      const uint32_t alpha = withAlpha ? p[3] : 0xFF;
      const uint32_t word = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | alpha << 24;
      transparent |= static_cast<uint32_t>(alpha == 0) | static_cast<uint32_t>(word == 0xFFFFFFFFu);
      partial |= static_cast<uint32_t>(alpha != 0) & static_cast<uint32_t>(alpha != 0xFF);
    }
    found.transparent = found.transparent || transparent != 0;
    found.partial = partial != 0;
  }
}

// Whether an index of an 8-bit image is its transparent colour: the index the transfer mode keys, or an entry
// whose palette flag is 0.
bool TransparentIndex(const ImagePixels& image, uint8_t index) {
  return index == image.transparentIndex || image.palette[index].flag == 0;
}

Transparency ScanImage(const ImagePixels& image) {
  Transparency found;
  if (image.bitsPerPixel >= 24) ScanDirectRows(image, found);
  for (int32_t y = 0; y < image.height && !found.partial && image.bitsPerPixel < 24; ++y) {
    const uint8_t* row = image.pixels + y * image.rowBytes;
    for (int32_t x = 0; x < image.width && !found.partial; ++x) {
      if (image.bitsPerPixel == 16) {
        uint16_t p = static_cast<uint16_t>(row[x * 2] | (row[x * 2 + 1] << 8));
        if ((p & 0x7FFF) == 0x7FFF) found.transparent = true;
      } else if (image.bitsPerPixel == 8) {
        if (TransparentIndex(image, row[x])) found.transparent = true;
      }
    }
  }
  if (image.alphaMask != nullptr) {
    for (int32_t y = 0; y < image.height && !found.partial; ++y) {
      const uint8_t* row = image.alphaMask + y * image.alphaMaskRowBytes;
      for (int32_t x = 0; x < image.width && !found.partial; ++x) {
        if (row[x] == 0) {
          found.transparent = true;
        } else if (row[x] != 0xFF) {
          found.partial = true;
        }
      }
    }
  }
  return found;
}

bool ImageIsUsable(const ImagePixels& image) {
  if (image.width <= 0 || image.height <= 0 || image.pixels == nullptr) return false;
  if (image.bitsPerPixel != 8 && image.bitsPerPixel != 16 && image.bitsPerPixel != 24 && image.bitsPerPixel != 32) {
    return false;
  }
  if (image.bitsPerPixel == 8 && image.palette == nullptr) return false;
  if (image.rowBytes < int64_t{image.width} * (image.bitsPerPixel / 8)) return false;
  if (image.alphaMask != nullptr && image.alphaMaskRowBytes < image.width) return false;
  // Refused before a pixel is read: a picture whose converted pixels would pass the ceiling (computed in 64 bits
  // for the widest format).
  if (static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height) * 4 > PixelBlock::kMaxBytes) return false;
  return true;
}

// Whether the source pixel at column x of a row is transparent under the image's own rules.
bool SourcePixelTransparent(const ImagePixels& image, const uint8_t* row, const uint8_t* maskRow, int32_t x) {
  if (maskRow != nullptr && maskRow[x] == 0) return true;
  switch (image.bitsPerPixel) {
    case 32:
    case 24: {
      const uint8_t* p = row + x * (image.bitsPerPixel / 8);
      const uint32_t alpha = DirectPixelAlpha(image, p);
      return alpha == 0 || (p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF && alpha == 0xFF);
    }
    case 16:
      return ((row[x * 2] | (row[x * 2 + 1] << 8)) & 0x7FFF) == 0x7FFF;
    default:
      return TransparentIndex(image, row[x]);
  }
}

}  // namespace

Bitmap::Bitmap() = default;
Bitmap::~Bitmap() { Free(); }

void Bitmap::DropRunTable() const {
  runTable_.reset();
  // A view's pixels are its source's too.
  if (viewSource_ != nullptr && IsView()) viewSource_->DropRunTable();
}

const KeyRuns* Bitmap::RunTable() const {
  const int32_t bytes = BytesPerPixel();
  if (!keepsRunTable_ || IsView() || !HasPixels() || (bytes != 3 && bytes != 4) || !(format & kFormatKeyFlag)) {
    return nullptr;
  }
  if (runTable_ == nullptr || !runTable_->Describes(*this)) runTable_ = std::make_unique<KeyRuns>(KeyRuns::Build(*this));
  return runTable_.get();
}

bool Bitmap::SetSize(int32_t newWidth, int32_t newHeight, int32_t newFormat) {
  state &= ~kSizeValid;
  width = newWidth;
  height = newHeight;
  format = newFormat;
  int32_t bytes = newFormat & kFormatBytesMask;
  if (newWidth > 0 && newHeight > 0 && ValidBytesPerPixel(bytes)) {
    int64_t row = int64_t{bytes} * newWidth;
    // Rows and the whole block are sized in 64 bits; a row must still fit the 32-bit row byte count.
    if (row <= INT32_MAX && static_cast<uint64_t>(row) * static_cast<uint64_t>(newHeight) <= PixelBlock::kMaxBytes) {
      rowBytes = static_cast<int32_t>(row);
      state |= kSizeValid;
    }
  }
  return (state & kSizeValid) != 0;
}

bool Bitmap::AllocatePixels(bool zeroFill) {
  Unlock();
  state &= ~kAllocated;
  ownsPixels = false;
  viewPixels_ = nullptr;
  viewSource_ = nullptr;
  if (!pixelMemory.Allocate(static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height), zeroFill)) {
    return false;
  }
  ownsPixels = true;
  state |= kAllocated;
  Lock();
  return true;
}

BitmapStatus Bitmap::Create(int32_t newWidth, int32_t newHeight, int32_t newFormat) {
  runTable_.reset();
  // The old pixels are let go whatever the new size: a bitmap of no valid size left marked allocated and locked,
  // with no pixel address, would have Clear write through a null pointer.
  Unlock();
  ownsPixels = false;
  pixels = nullptr;
  viewPixels_ = nullptr;
  viewSource_ = nullptr;
  state &= ~kAllocated;
  if (SetSize(newWidth, newHeight, newFormat)) {
    AllocatePixels(true);
  } else {
    pixelMemory.Free();
  }
  return Status();
}

void Bitmap::Lock() {
  if (state & kLocked) return;
  runTable_.reset();
  pixels = viewPixels_ != nullptr ? viewPixels_ : pixelMemory.Lock();
  state |= kLocked;
}

void Bitmap::Unlock() {
  if (!(state & kLocked)) return;
  runTable_.reset();
  if (!pixelMemory.IsNull()) pixelMemory.Unlock();
  pixels = nullptr;
  state &= ~kLocked;
}

void Bitmap::Clear() {
  if (!(state & kLocked) || pixels == nullptr || !(state & kSizeValid)) return;
  PixelsChanged();
  if (viewPixels_ != nullptr) {
    // A view clears only its own rectangle of the shared rows.
    for (int32_t y = 0; y < height; ++y) std::memset(PixelAt(0, y), 0, size_t(width) * BytesPerPixel());
    return;
  }
  std::memset(pixels, 0, static_cast<size_t>(height) * static_cast<size_t>(rowBytes));
}

void Bitmap::Free() {
  runTable_.reset();
  if (state == 0) return;
  Unlock();
  if (ownsPixels) pixelMemory.Free();
  pixels = nullptr;
  viewPixels_ = nullptr;
  viewSource_ = nullptr;
  state = 0;
  format = 0;
  ownsPixels = false;
}

BitmapStatus Bitmap::Status() const {
  if (!(state & kSizeValid)) return kBitmapBadSize;
  if (!(state & kAllocated)) return kBitmapNoMemory;
  return kBitmapReady;
}

BitmapStatus Bitmap::FromRect(const Bitmap& source, const Bounds& rect, bool copy) {
  if (&source == this) return Status();
  runTable_.reset();
  Bounds area = ClipToArea(rect, source.width, source.height);
  if (copy) {
    if (Create(area.width, area.height, source.format) == kBitmapReady && source.HasPixels()) {
      ConvertPixels(BytesPerPixel(), source.BytesPerPixel(), pixels, source.PixelAt(area.x, area.y), rowBytes,
                    source.rowBytes, area.width, area.height);
    }
    return Status();
  }
  Free();
  pixelMemory.Free();
  if (SetSize(area.width, area.height, source.format & ~kFormatSpareFlag) && source.HasPixels()) {
    rowBytes = source.rowBytes;
    viewPixels_ = source.PixelAt(area.x, area.y);
    viewSource_ = &source;
    pixels = viewPixels_;
    state |= kAllocated | kLocked;
  }
  return Status();
}

BitmapStatus Bitmap::CopyFrom(const Bitmap& source) {
  return FromRect(source, Bounds{0, 0, source.width, source.height}, true);
}

BitmapStatus Bitmap::ImportPixels(const ImagePixels& image) {
  if (!ImageIsUsable(image)) return Status();
  PixelsChanged();

  int32_t newFormat = OpaqueFormat;
  if (ImageImportOptions == kDetectTransparency) {
    Transparency found = ScanImage(image);
    if (found.partial) {
      newFormat = kFormatAlphaFlag | AlphaFormat;
    } else if (found.transparent) {
      newFormat = kFormatKeyFlag | KeyedFormat;
    }
  }

  Free();
  if (!SetSize(image.width, image.height, newFormat)) {
    pixelMemory.Free();
    return Status();
  }
  if (!AllocatePixels(false)) return Status();

  const bool keyed = (newFormat & kFormatKeyFlag) != 0;
  const bool alpha = (newFormat & kFormatAlphaFlag) != 0;
  const int32_t bytes = BytesPerPixel();
  if (image.bitsPerPixel == 8) {
    // Indexed pixels are expanded through the palette; on a keyed bitmap the transparent index becomes the key
    // colour and an opaque pure white moves to FE FE FE so that it stays visible.
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* row = image.pixels + y * image.rowBytes;
      uint8_t* out = PixelAt(0, y);
      for (int32_t x = 0; x < width; ++x, out += bytes) {
        const PaletteEntry& entry = image.palette[row[x]];
        out[0] = entry.blue;
        out[1] = entry.green;
        out[2] = entry.red;
        if (bytes == 4) out[3] = TransparentIndex(image, row[x]) ? 0 : 0xFF;
      }
    }
  } else {
    ConvertPixels(bytes, image.bitsPerPixel / 8, pixels, image.pixels, rowBytes, image.rowBytes, width, height);
  }

  if (keyed || alpha || image.bitsPerPixel == 8) {
    // Transparent source pixels must stay transparent under the bitmap's own key or alpha rule, whatever colour
    // they had: the conversion alone keeps only the colour bytes, so a keyed picture would show its clear pixels
    // (alpha 0, or 0 in the mask) in whatever colour they hold. They take the key colour, pure white.
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* row = image.pixels + y * image.rowBytes;
      const uint8_t* maskRow = image.alphaMask != nullptr ? image.alphaMask + y * image.alphaMaskRowBytes : nullptr;
      uint8_t* out = PixelAt(0, y);
      for (int32_t x = 0; x < width; ++x, out += bytes) {
        if (alpha) {
          if (maskRow != nullptr) out[3] = maskRow[x];
          continue;
        }
        if (!keyed) continue;
        if (SourcePixelTransparent(image, row, maskRow, x)) {
          out[0] = out[1] = out[2] = 0xFF;
        } else if (out[0] == 0xFF && out[1] == 0xFF && out[2] == 0xFF) {
          out[0] = out[1] = out[2] = 0xFE;
        }
      }
    }
  }
  return Status();
}

std::vector<std::string> PictureNameCandidates(const std::string& name) {
  static const char* const kExtensions[] = {"png", "gif", "bmp", "jpg", "pct"};
  std::vector<std::string> names{name};
  std::string base = name;
  if (base.find('.') == std::string::npos) base += ".png";
  // The last three characters give way to the extension (all of a shorter name).
  const std::string stem = base.substr(0, base.size() - std::min<size_t>(3, base.size()));
  for (const char* extension : kExtensions) names.push_back(stem + extension);
  return names;
}
