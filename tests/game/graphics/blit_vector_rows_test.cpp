// The blitter's vector rows against its plain routines: every set the processor runs, every hot row, every width
// from 1 to 67, on random pixels whose alpha and key pixels come in runs (so that whole blocks of transparent,
// opaque and mixed pixels all occur). Buffers end right after their last pixel, so a block that reads or writes
// past a row shows under the address sanitizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/graphics/bitmap.h"
#include "game/graphics/blit_routines.h"
#include "game/graphics/blitter.h"
#include "tests/support/random_pixels.h"

namespace {

using test_support::RandomPixels;

struct HotRow {
  const char* name;
  ConvertRoutine HotRows::*member;
  int32_t destinationBytes;
  int32_t sourceBytes;
  enum class Source { kAlpha, kKey3, kKey4, kAny } source;
};

const HotRow kHotRows[] = {
    {"alphaOnto3", &HotRows::alphaOnto3, 3, 4, HotRow::Source::kAlpha},
    {"alphaOnto4", &HotRows::alphaOnto4, 4, 4, HotRow::Source::kAlpha},
    {"key3", &HotRows::key3, 3, 3, HotRow::Source::kKey3},
    {"key4", &HotRows::key4, 4, 4, HotRow::Source::kKey4},
    {"convert3to4", &HotRows::convert3to4, 4, 3, HotRow::Source::kAny},
    {"convert4to3", &HotRows::convert4to3, 3, 4, HotRow::Source::kAny},
};

// Source pixels whose transparency comes in runs of 1 to 24 pixels: transparent, opaque, or (for alpha) mixed.
std::vector<uint8_t> SourceRows(RandomPixels& random, const HotRow& row, int32_t width, int32_t height,
                                int64_t rowBytes) {
  std::vector<uint8_t> bytes = random.Bytes(static_cast<size_t>((height - 1) * rowBytes + width * row.sourceBytes));
  for (int32_t y = 0; y < height; ++y) {
    int32_t runLeft = 0;
    int kind = 0;
    for (int32_t x = 0; x < width; ++x, --runLeft) {
      if (runLeft <= 0) {
        runLeft = 1 + static_cast<int32_t>(random.Next() % 24);
        kind = static_cast<int>(random.Next() % 3);
      }
      uint8_t* p = &bytes[static_cast<size_t>(y * rowBytes + x * row.sourceBytes)];
      switch (row.source) {
        case HotRow::Source::kAlpha:
          p[3] = kind == 0 ? 0 : kind == 1 ? 255 : (random.OneIn(4) ? (random.OneIn(2) ? 0 : 255) : p[3]);
          break;
        case HotRow::Source::kKey3:
          if (kind == 0) p[0] = p[1] = p[2] = 0xFF;
          if (kind == 2 && random.OneIn(2)) p[0] = p[1] = 0xFF;  // near the key, yet visible
          break;
        case HotRow::Source::kKey4:
          if (kind == 0) p[3] = 0;
          break;
        case HotRow::Source::kAny:
          break;
      }
    }
  }
  return bytes;
}

TEST(BlitVectorRows, GiveThePixelsOfThePlainRoutinesForEveryWidth) {
  InitBlitter();
  const HotRows& plain = HotRowsFor(BlitIsa::kPlain);
  int setsRun = 0;
  for (BlitIsa isa : {BlitIsa::kSse2, BlitIsa::kAvx2}) {
    if (!BlitIsaAvailable(isa)) continue;
    ++setsRun;
    const HotRows& fast = HotRowsFor(isa);
    RandomPixels random(static_cast<uint64_t>(isa) * 7919 + 1);
    for (const HotRow& row : kHotRows) {
      for (int32_t width = 1; width <= 67; ++width) {
        const int32_t height = 3;
        const int64_t sourceRowBytes = int64_t{width} * row.sourceBytes + width % 4;
        const int64_t destinationRowBytes = int64_t{width} * row.destinationBytes + (width * 3) % 5;
        const std::vector<uint8_t> source = SourceRows(random, row, width, height, sourceRowBytes);
        std::vector<uint8_t> expected =
            random.Bytes(static_cast<size_t>((height - 1) * destinationRowBytes + width * row.destinationBytes));
        std::vector<uint8_t> actual = expected;
        (plain.*row.member)(expected.data(), source.data(), destinationRowBytes, sourceRowBytes, width, height);
        (fast.*row.member)(actual.data(), source.data(), destinationRowBytes, sourceRowBytes, width, height);
        ASSERT_EQ(expected, actual) << row.name << ", set " << static_cast<int>(isa) << ", width " << width;
      }
    }
  }
#if defined(__x86_64__)
  EXPECT_GE(setsRun, 1) << "every x86-64 processor runs the SSE2 rows";
#endif
}

// The tables route the hot pairs of formats through the chosen set; a bitmap drawn onto itself (rows that share
// bytes) keeps the pixel-by-pixel order of the plain routine.
TEST(BlitVectorRows, DrawingThroughEverySetGivesOnePicture) {
  struct Draw {
    int32_t sourceFormat;
    int32_t frameFormat;
  };
  const Draw draws[] = {{AlphaFormat, OpaqueFormat}, {AlphaFormat, 4},   {KeyedFormat, OpaqueFormat},
                        {4 | 32, 4},                 {OpaqueFormat, 4},  {4, OpaqueFormat}};
  std::vector<std::vector<uint8_t>> pictures;
  for (BlitIsa isa : {BlitIsa::kPlain, BlitIsa::kSse2, BlitIsa::kAvx2}) {
    if (!BlitIsaAvailable(isa)) continue;
    InitBlitterWith(isa);
    RandomPixels random(5);
    std::vector<uint8_t> picture;
    for (const Draw& draw : draws) {
      Bitmap source;
      Bitmap frame;
      source.Create(61, 7, draw.sourceFormat);
      frame.Create(67, 9, draw.frameFormat);
      for (Bitmap* bitmap : {&source, &frame}) {
        const std::vector<uint8_t> bytes = random.Bytes(size_t(bitmap->rowBytes) * bitmap->height);
        std::copy(bytes.begin(), bytes.end(), bitmap->GetPixels());
      }
      for (int32_t y = 0; y < 7; ++y) {
        for (int32_t x = 0; x < 61; x += 3) std::fill_n(source.PixelAt(x, y), source.BytesPerPixel(), 0xFF);
      }
      DrawBitmap(frame, Point{3, 1}, source, Bounds{0, 0, 61, 7});
      DrawBitmap(frame, Point{2, 2}, frame, Bounds{0, 0, 60, 6});
      picture.insert(picture.end(), frame.GetPixels(), frame.GetPixels() + size_t(frame.rowBytes) * frame.height);
    }
    pictures.push_back(picture);
  }
  InitBlitter();
  for (size_t i = 1; i < pictures.size(); ++i) EXPECT_EQ(pictures[0], pictures[i]) << "set " << i;
}

}  // namespace
