// The GDI copy path against copy bits in memory: the same source, mask and mode drawn both ways give the same
// colours, and the modes GDI cannot draw are refused.
#include "platform/graphics/gdi_copy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/gdi.h"
#include "platform/graphics/copy_bits.h"
#include "platform/graphics/dib_record.h"
#include "world_fixture.h"

namespace {

// A memory DC drawing into a 32-bit top-down DIB section whose pixels the test reads directly.
class SectionDc {
 public:
  SectionDc(int32_t width, int32_t height) : width_(width), height_(height) {
    BitmapInfo256 info{};
    DescribeDib(&info, 32, width, height);
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~SectionDc() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  HDC dc() const { return dc_; }
  uint32_t& at(int32_t x, int32_t y) { return bits_[y * width_ + x]; }
  std::vector<uint32_t> Colours() {
    GdiFlush();
    std::vector<uint32_t> out;
    for (int32_t i = 0; i < width_ * height_; ++i) out.push_back(bits_[i] & 0xFFFFFF);
    return out;
  }

 private:
  int32_t width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  uint32_t* bits_;
};

std::vector<uint32_t> LowColours(PlatformWorld* world) {
  std::vector<uint32_t> v = AllStored(world);
  for (uint32_t& x : v) x &= 0xFFFFFF;
  return v;
}

struct PathCase {
  const char* name;
  bool hasMode;
  TransferMode mode;
  bool withMask;
  Rect d, s;
  // The GDI path reads a deeper source's key as a colour record {flag, red, green, blue}, copy bits in memory as
  // the stored pixel word: for the key cases each path gets its own form of the colour 0x112233.
  const TransferMode* gdiMode = nullptr;
};

const TransferMode kKeyAsRecord{5, {0xFF, 0x11, 0x22, 0x33}};

TEST(GdiCopyTest, MatchesCopyBitsInMemory) {
  const PathCase cases[] = {
      {"copy", false, {}, false, {1, 1, 4, 3}, {1, 1, 4, 3}},
      {"copy from an inner source row", false, {}, false, {0, 0, 3, 2}, {1, 2, 4, 4}},
      {"copy stretched", false, {}, false, {0, 0, 6, 4}, {1, 0, 4, 2}},
      {"level 255 copies", true, {3, {255}}, false, {2, 1, 5, 3}, {0, 0, 3, 2}},
      {"mask", false, {}, true, {1, 1, 5, 4}, {0, 0, 4, 3}},
      {"mask from an inner rect", false, {}, true, {0, 2, 2, 4}, {2, 1, 4, 3}},
      {"mask level 255", true, {4, {255}}, true, {1, 1, 5, 4}, {0, 0, 4, 3}},
      {"key", true, {5, {0x33, 0x22, 0x11, 0x00}}, false, {1, 0, 5, 3}, {0, 0, 4, 3}, &kKeyAsRecord},
      {"key stretched", true, {5, {0x33, 0x22, 0x11, 0x00}}, false, {0, 0, 6, 4}, {0, 0, 3, 2}, &kKeyAsRecord},
  };
  for (const PathCase& c : cases) {
    WorldPtr source = MakeSurface(4, 4, 32);
    WorldPtr mask = MakeMask(4, 4);
    std::vector<uint32_t> pixels, weights;
    for (uint32_t i = 0; i < 16; ++i) {
      pixels.push_back(i % 5 == 0 ? 0x112233 : 0x0F0F0F * (i + 1));
      weights.push_back((i * 37) % 256);
    }
    SetAllStored(source.get(), pixels);
    SetAllStored(mask.get(), weights);
    SectionDc section(6, 5);
    WorldPtr memory = MakeSurface(6, 5, 32);
    for (int32_t y = 0; y < 5; ++y) {
      for (int32_t x = 0; x < 6; ++x) {
        section.at(x, y) = 0x405060u + static_cast<uint32_t>(x * 0x10 + y * 0x1000);
        SetStored(memory.get(), x, y, section.at(x, y));
      }
    }
    const TransferMode* mode = c.hasMode ? &c.mode : nullptr;
    PlatformWorld* maskWorld = c.withMask ? mask.get() : nullptr;
    ASSERT_EQ(PlatformWorld::BeginDrawing(source.get(), maskWorld, nullptr, nullptr), kPlatformNoError);
    const PlatformError error = PlatformCopyBitsGdi(section.dc(), &c.d, source->pixelMap->dib,
                                                    c.withMask ? mask->pixelMap->dib : nullptr,
                                                    c.gdiMode != nullptr ? c.gdiMode : mode, &c.s);
    PlatformWorld::EndDrawing(source.get(), maskWorld);
    ASSERT_EQ(error, kPlatformNoError) << c.name;
    ASSERT_EQ(PlatformCopyBits(memory.get(), &c.d, 0, source.get(), maskWorld, mode, &c.s), kPlatformNoError) << c.name;
    EXPECT_EQ(section.Colours(), LowColours(memory.get())) << c.name;
  }
}

// Draws a 3 x 1 source keyed by the mode over a section filled with 0xABCDEF; gives the section's colours.
std::vector<uint32_t> DrawKeyed(PlatformWorld* source, const TransferMode& key) {
  SectionDc section(3, 1);
  for (int x = 0; x < 3; ++x) section.at(x, 0) = 0xABCDEF;
  const Rect r{0, 0, 3, 1};
  EXPECT_EQ(PlatformCopyBitsGdi(section.dc(), &r, source->pixelMap->dib, nullptr, &key, &r), kPlatformNoError);
  return section.Colours();
}

TEST(GdiCopyTest, KeyColourComesFromThePaletteOrFromTheValueAsAColourRecord) {
  // An 8-bit source: the palette colour of the key's index, not the index itself.
  Palette palette{};
  palette.count = 3;
  palette.entries[0] = {255, 0, 0, 0};
  palette.entries[1] = {255, 200, 100, 50};
  palette.entries[2] = {255, 1, 2, 3};
  WorldPtr indexed = MakeSurface(3, 1, 8, &palette);
  SetAllStored(indexed.get(), {1, 2, 1});
  const TransferMode indexKey{5, {1, 0, 0, 0}};
  EXPECT_EQ(ColorKeyColorRef(indexed->pixelMap->dib, &indexKey), RGB(200, 100, 50));
  EXPECT_EQ(DrawKeyed(indexed.get(), indexKey), (std::vector<uint32_t>{0xABCDEF, 0x010203, 0xABCDEF}));

  // A deeper source: the four value bytes as {flag, red, green, blue}; the flag plays no part in the colour.
  WorldPtr direct = MakeSurface(3, 1, 32);
  SetAllStored(direct.get(), {0x102030, 0x405060, 0x102030});
  const TransferMode recordKey{5, {0x00, 0x10, 0x20, 0x30}};
  EXPECT_EQ(ColorKeyColorRef(direct->pixelMap->dib, &recordKey), RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(DrawKeyed(direct.get(), recordKey), (std::vector<uint32_t>{0xABCDEF, 0x405060, 0xABCDEF}));
}

TEST(GdiCopyTest, ModesGdiCannotDrawAreRefused) {
  WorldPtr source = MakeSurface(2, 2, 32);
  FillStored(source.get(), 0xFFFFFF);
  SectionDc section(2, 2);
  const Rect r{0, 0, 2, 2};
  const TransferMode nothing{3, {0}}, alpha{2, {0}}, level{3, {100}}, maskLevel{4, {100}}, unknown{9, {0}},
      byMask{1, {0}};
  DibRecord* dib = source->pixelMap->dib;
  EXPECT_EQ(PlatformCopyBitsGdi(section.dc(), &r, dib, nullptr, &nothing, &r), kPlatformNoError);
  EXPECT_EQ(PlatformCopyBitsGdi(section.dc(), &r, dib, nullptr, &alpha, &r), kPlatformErrUndefinedKind);
  EXPECT_EQ(PlatformCopyBitsGdi(section.dc(), &r, dib, nullptr, &level, &r), kPlatformErrUndefinedKind);
  EXPECT_EQ(PlatformCopyBitsGdi(section.dc(), &r, dib, nullptr, &maskLevel, &r), kPlatformErrUndefinedKind);
  EXPECT_EQ(PlatformCopyBitsGdi(section.dc(), &r, dib, nullptr, &unknown, &r), kPlatformErrUndefinedKind);
  EXPECT_EQ(PlatformCopyBitsGdi(section.dc(), &r, dib, nullptr, &byMask, &r), kPlatformErrBadData);
  WorldPtr notAMask = MakeSurface(2, 2, 8);
  EXPECT_EQ(PlatformCopyBitsGdi(section.dc(), &r, dib, notAMask->pixelMap->dib, nullptr, &r), kPlatformErrBadData);
  EXPECT_EQ(section.Colours(), (std::vector<uint32_t>(4, 0)));
}

}  // namespace
