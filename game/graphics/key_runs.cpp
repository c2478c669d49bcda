// The run table of a keyed bitmap (see key_runs.h).
#include "game/graphics/key_runs.h"

#include "game/graphics/bitmap.h"

namespace {

// The key rules of equal-size keyed draws: a 3-byte pixel of pure white, or a 4-byte pixel of alpha 0.
template <int Bytes>
inline bool Transparent(const uint8_t* p) {
  if constexpr (Bytes == 3) {
    return (p[0] & p[1] & p[2]) == 0xFF;
  } else {
    return p[3] == 0;
  }
}

template <int Bytes>
void FindSpans(const Bitmap& bitmap, std::vector<uint32_t>& rowStarts, std::vector<size_t>& rowPacked,
               std::vector<KeyRuns::Span>& spans, std::vector<uint8_t>& packed) {
  for (int32_t y = 0; y < bitmap.height; ++y) {
    rowStarts.push_back(static_cast<uint32_t>(spans.size()));
    rowPacked.push_back(packed.size());
    const uint8_t* p = bitmap.PixelAt(0, y);
    int32_t x = 0;
    while (x < bitmap.width) {
      while (x < bitmap.width && Transparent<Bytes>(p + x * Bytes)) ++x;
      const int32_t start = x;
      while (x < bitmap.width && !Transparent<Bytes>(p + x * Bytes)) ++x;
      if (x == start) continue;
      spans.push_back(KeyRuns::Span{start, x - start});
      packed.insert(packed.end(), p + start * Bytes, p + x * Bytes);
    }
  }
  rowStarts.push_back(static_cast<uint32_t>(spans.size()));
}

}  // namespace

KeyRuns KeyRuns::Build(const Bitmap& bitmap) {
  KeyRuns runs;
  runs.pixels_ = bitmap.GetPixels();
  runs.width_ = bitmap.width;
  runs.height_ = bitmap.height;
  runs.rowBytes_ = bitmap.rowBytes;
  runs.format_ = bitmap.format;
  runs.rowStarts_.reserve(static_cast<size_t>(bitmap.height) + 1);
  runs.rowPacked_.reserve(static_cast<size_t>(bitmap.height));
  if (bitmap.BytesPerPixel() == 3) {
    FindSpans<3>(bitmap, runs.rowStarts_, runs.rowPacked_, runs.spans_, runs.packed_);
  } else {
    FindSpans<4>(bitmap, runs.rowStarts_, runs.rowPacked_, runs.spans_, runs.packed_);
  }
  return runs;
}

bool KeyRuns::Describes(const Bitmap& bitmap) const {
  return pixels_ == bitmap.GetPixels() && width_ == bitmap.width && height_ == bitmap.height &&
         rowBytes_ == bitmap.rowBytes && format_ == bitmap.format;
}
