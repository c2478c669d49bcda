// Graphics worlds: the shared palettes, surfaces and their DIB descriptions, the drawing bracket, the row writers,
// and moving, resizing and expanding worlds.
#include "platform/graphics/graphics_world.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/graphics/dib_record.h"
#include "platform/graphics/graphics_port.h"
#include "world_fixture.h"

namespace {

bool SameColour(const ColorRecord& c, uint8_t flag, uint8_t r, uint8_t g, uint8_t b) {
  return c.flag == flag && c.red == r && c.green == g && c.blue == b;
}

TEST(GraphicsStartupTest, PalettesHoldTheirSpotValues) {
  EXPECT_EQ(PlatformGraphicsStartup(), kPlatformNoError);
  EXPECT_EQ(PlatformGraphicsStartup(), kPlatformNoError);  // a second start returns at once
  const ColorRecord* e = StandardPalette.entries;
  EXPECT_EQ(StandardPalette.count, 256);
  EXPECT_TRUE(SameColour(e[0], 0xFF, 0xFF, 0xFF, 0xFF));
  EXPECT_TRUE(SameColour(e[214], 0xFF, 0x00, 0x00, 0x33));
  EXPECT_TRUE(SameColour(e[215], 0xFF, 0xEE, 0x00, 0x00));
  EXPECT_TRUE(SameColour(e[216], 0xFF, 0xEE, 0x00, 0x00));
  EXPECT_TRUE(SameColour(e[225], 0xFF, 0x00, 0xEE, 0x00));
  EXPECT_TRUE(SameColour(e[244], 0xFF, 0x00, 0x00, 0x11));
  EXPECT_TRUE(SameColour(e[254], 0xFF, 0x11, 0x11, 0x11));
  EXPECT_TRUE(SameColour(e[255], 0xFF, 0x00, 0x00, 0x00));
  for (int i = 0; i < 215; ++i) EXPECT_FALSE(SameColour(e[i], 0xFF, 0, 0, 0)) << i;
  EXPECT_TRUE(SameColour(GreyPalette.entries[0x9A], 0xFF, 0x9A, 0x9A, 0x9A));
  EXPECT_EQ(PlatformGraphicsShutdown(), kPlatformNoError);
}

TEST(GraphicsWorldTest, CreateChoosesShapeByOutParameters) {
  GraphicsPort* port = nullptr;
  PrintDeviceRecord* device = nullptr;
  PixelMap* map = reinterpret_cast<PixelMap*>(1);
  PlatformWorld* printWorld = PlatformWorld::Create(&port, &device, &map);
  ASSERT_NE(printWorld, nullptr);
  EXPECT_EQ(map, reinterpret_cast<PixelMap*>(1));  // ignored and left untouched
  EXPECT_EQ(PlatformWorld::GetPixelMap(printWorld), nullptr);
  EXPECT_EQ(PlatformWorld::GetPort(printWorld), port);
  EXPECT_EQ(port->ownerLinks[0], printWorld);
  EXPECT_EQ(device->ownerLinks[2], printWorld);
  EXPECT_EQ(PlatformWorld::Dispose(printWorld), kPlatformNoError);

  PlatformWorld* both = PlatformWorld::Create(&port, nullptr, &map);
  ASSERT_NE(both, nullptr);
  EXPECT_EQ(map->ownerLinks[1], both);
  EXPECT_EQ(both->portOwner, both);
  EXPECT_EQ(both->pixelMapOwner, both);
  PlatformWorld::Dispose(both);
}

struct SurfaceCase {
  PixelFormatCode format;
  uint32_t bytesPerPixel;
  DWORD compression;
  uint32_t masks[3];
};

TEST(SurfaceTest, DibHeadersDescribeTheStoredLayout) {
  const SurfaceCase cases[] = {
      {8, 1, BI_RGB, {}},
      {15, 2, BI_RGB, {}},
      {0x1555, 2, BI_RGB, {}},                          // read by GDI as plain 5-5-5
      {16, 2, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}},  // 5-6-5 needs its masks
      {0x565, 2, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}},
      {0x4444, 2, BI_BITFIELDS, {0x0F00, 0x00F0, 0x000F}},
      {24, 3, BI_RGB, {}},
      {32, 4, BI_RGB, {}},
      {0x8888, 4, BI_RGB, {}},
      {0x80008888, 4, BI_BITFIELDS, {0x0000FF, 0x00FF00, 0xFF0000}},
  };
  for (const SurfaceCase& c : cases) {
    WorldPtr world = MakeSurface(Rect{5, 7, 8, 12}, c.format);
    const PixelMap* map = PlatformWorld::GetPixelMap(world.get());
    EXPECT_EQ(map->bytesPerPixel, c.bytesPerPixel);
    EXPECT_EQ(map->formatCode, c.format);
    EXPECT_EQ(map->rowBytes, (3 * 8 * static_cast<int32_t>(c.bytesPerPixel) + 31) / 32 * 4);
    const BITMAPINFOHEADER& h = map->info.bmiHeader;
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, -5) << "rows run top-down";
    EXPECT_EQ(h.biBitCount, 8 * c.bytesPerPixel);
    EXPECT_EQ(h.biCompression, c.compression) << std::hex << c.format;
    if (c.compression == BI_BITFIELDS) {
      uint32_t masks[3];
      std::memcpy(masks, map->info.bmiColors, sizeof masks);
      EXPECT_EQ(masks[0], c.masks[0]);
      EXPECT_EQ(masks[1], c.masks[1]);
      EXPECT_EQ(masks[2], c.masks[2]);
      // The header reads back as a layout with the same channels.
      PixelChannels back, made;
      PlatformPixelFormat(FormatFromDibHeader(&map->info), &back);
      PlatformPixelFormat(c.format, &made);
      EXPECT_EQ(std::memcmp(back.shifts + 1, made.shifts + 1, 3), 0) << std::hex << c.format;
    }
  }
}

TEST(SurfaceTest, RefusesBadSizesAndFormats) {
  const Rect bad[] = {{0, 0, 0, 5}, {0, 0, 5, -1}, {0, 0, 40000, 1}, {0, 0, 1, 32001}, {0, 0, 16384, 16384}};
  for (const Rect& r : bad) {
    EXPECT_EQ(PlatformWorld::CreateSurface(&r, 32, nullptr), nullptr) << r.right << "x" << r.bottom;
  }
  const Rect fine{0, 0, 4, 4};
  EXPECT_EQ(PlatformWorld::CreateSurface(&fine, 17, nullptr), nullptr);
  EXPECT_EQ(PlatformWorld::CreateSurface(nullptr, 32, nullptr), nullptr);
}

TEST(SurfaceTest, FormatKeysAndPalettes) {
  Palette palette{};
  palette.count = 2;
  palette.entries[1] = {255, 255, 255, 255};
  WorldPtr a = MakeSurface(2, 2, 8, &palette);
  WorldPtr b = MakeSurface(2, 2, 8, &palette);
  WorldPtr mask = MakeMask(2, 2);
  const Palette greyCopy = GreyPalette;  // equal to the shared grey palette, but not it
  WorldPtr grey = MakeSurface(2, 2, 8, &greyCopy);
  WorldPtr c32 = MakeSurface(2, 2, 32);
  WorldPtr d32 = MakeSurface(3, 3, 32);
  WorldPtr noPalette = MakeSurface(2, 2, 8);
  EXPECT_NE(a->pixelMap->formatKey, b->pixelMap->formatKey);
  EXPECT_EQ(mask->pixelMap->formatKey, kMaskFormatKey);
  EXPECT_NE(grey->pixelMap->formatKey, kMaskFormatKey);
  EXPECT_NE(grey->pixelMap->formatKey, a->pixelMap->formatKey);
  // A DIB whose colour entries equal the grey palette is wrapped as a mask.
  WrappedDibWorld storage;
  EXPECT_EQ(PlatformWorld::WrapDib(grey->pixelMap->dib, &storage)->pixelMap->formatKey, kMaskFormatKey);
  EXPECT_NE(PlatformWorld::WrapDib(a->pixelMap->dib, &storage)->pixelMap->formatKey, kMaskFormatKey);
  EXPECT_EQ(c32->pixelMap->formatKey, d32->pixelMap->formatKey);
  EXPECT_EQ(c32->pixelMap->palette.count, 0);
  EXPECT_EQ(a->pixelMap->palette.count, 2);
  EXPECT_TRUE(PalettesEqual(&noPalette->pixelMap->palette, &StandardPalette));
  PlatformError error;
  EXPECT_EQ(PlatformWorld::GetMaskPixelMap(mask.get(), &error), mask->pixelMap);
  EXPECT_EQ(error, kPlatformNoError);
  PlatformWorld::GetMaskPixelMap(a.get(), &error);
  EXPECT_EQ(error, kPlatformErrBadData);
  EXPECT_EQ(PlatformWorld::GetMaskPixelMap(nullptr, &error), nullptr);
  EXPECT_EQ(error, kPlatformNoError);
}

TEST(SurfaceTest, DrawingBracketsNestAndFillBlitParams) {
  WorldPtr deep = MakeSurface(2, 2, 32);
  WorldPtr indexed = MakeSurface(2, 2, 8);
  BlitParams p;
  ASSERT_EQ(PlatformWorld::BeginDrawing(deep.get(), nullptr, &p, nullptr), kPlatformNoError);
  EXPECT_EQ(p.palette, nullptr);
  EXPECT_EQ(p.inverseTable, nullptr);
  EXPECT_EQ(p.portDc, nullptr);
  EXPECT_EQ(p.portWorld, nullptr);
  EXPECT_EQ(p.baseAddress, deep->pixelMap->dib->bits);
  ASSERT_EQ(PlatformWorld::BeginDrawing(deep.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(deep->pixelMap->lockCount, 2);
  PlatformWorld::EndDrawing(deep.get(), nullptr);
  PlatformWorld::EndDrawing(deep.get(), nullptr);
  EXPECT_EQ(deep->pixelMap->lockCount, 0);
  EXPECT_FALSE(PlatformWorld::GetBlitParams(deep.get(), nullptr, &p));
  PlatformWorld::EndDrawing(deep.get(), nullptr);  // unbalanced: ignored
  EXPECT_EQ(deep->pixelMap->lockCount, 0);

  WorldPtr mask = MakeMask(2, 2);
  ASSERT_EQ(PlatformWorld::BeginDrawing(indexed.get(), mask.get(), &p, nullptr), kPlatformNoError);
  EXPECT_EQ(p.palette, &indexed->pixelMap->palette);
  EXPECT_EQ(p.inverseTable, indexed->pixelMap->inverseTable);
  EXPECT_EQ(p.maskBaseAddress, mask->pixelMap->dib->bits);
  EXPECT_EQ(p.maskRowBytes, 4u);
  PlatformWorld::EndDrawing(indexed.get(), mask.get());
  EXPECT_EQ(mask->pixelMap->lockCount, 0);
}

TEST(SurfaceTest, PaletteChangeRebuildsInverseTableAtFirstLock) {
  WorldPtr world = MakeSurface(1, 1, 8);
  PixelMap* map = world->pixelMap;
  map->palette.count = 1;
  map->palette.entries[0] = {255, 1, 2, 3};
  map->flags |= kPixelMapPaletteChanged;
  ASSERT_EQ(PlatformWorld::BeginDrawing(world.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  PlatformWorld::EndDrawing(world.get(), nullptr);
  EXPECT_EQ(map->flags & kPixelMapPaletteChanged, 0u);
  EXPECT_EQ(map->inverseTable[0xFFF], 0);  // every colour now maps to the only entry
}

TEST(PixelRowsTest, RowsRunTopDownAndAreChecked) {
  Palette palette{};
  palette.count = 3;
  palette.entries[0] = {0, 0, 0, 0};  // transparent
  palette.entries[1] = {255, 1, 1, 1};
  palette.entries[2] = {255, 2, 2, 2};
  WorldPtr world = MakeSurface(Rect{10, 10, 13, 12}, 8, &palette);
  WorldPtr mask = MakeSurface(Rect{10, 10, 13, 12}, 8, &GreyPalette);
  const uint8_t row0[3] = {1, 0, 2}, row1[3] = {2, 2, 1};
  EXPECT_EQ(PlatformWorld::PutRow(world.get(), mask.get(), 0, row0), kPlatformNoError);
  EXPECT_EQ(PlatformWorld::PutRow(world.get(), mask.get(), 1, row1), kPlatformNoError);
  EXPECT_EQ(PlatformWorld::PutRow(world.get(), nullptr, 2, row0), kPlatformErrBadData);
  EXPECT_EQ(PlatformWorld::PutRow(world.get(), nullptr, -1, row0), kPlatformErrBadData);
  WorldPtr narrowMask = MakeMask(2, 2);
  EXPECT_EQ(PlatformWorld::PutRow(world.get(), narrowMask.get(), 0, row0), kPlatformErrBadData);
  // Row 0 of the bounds is the first row in memory, each row padded to 4 bytes.
  const uint8_t* bits = world->pixelMap->dib->bits;
  EXPECT_EQ(std::vector<uint8_t>(bits, bits + 8), (std::vector<uint8_t>{1, 0, 2, 0, 2, 2, 1, 0}));
  EXPECT_EQ(AllStored(mask.get()), (std::vector<uint32_t>{255, 0, 255, 255, 255, 255}));
  EXPECT_EQ(world->pixelMap->lockCount, 0);
}

TEST(PixelRowsTest, ArgbRowsKeepTopBitsAndSendAlphaToTheMask) {
  const uint8_t argb[8] = {0x40, 0x8C, 0xFF, 0x13, 0xFF, 0x01, 0x02, 0x03};
  WorldPtr narrow = MakeSurface(2, 1, 16);
  WorldPtr mask = MakeMask(2, 1);
  ASSERT_EQ(PlatformWorld::PutArgbRow(narrow.get(), mask.get(), 0, argb), kPlatformNoError);
  EXPECT_EQ(GetStored(narrow.get(), 0, 0), (0x8Cu >> 3) << 11 | (0xFFu >> 2) << 5 | (0x13u >> 3));
  EXPECT_EQ(AllStored(mask.get()), (std::vector<uint32_t>{0x40, 0xFF}));
  // A 3-byte world receives the three low bytes; an alpha world gets full alpha whatever the pixel's alpha.
  WorldPtr rgb = MakeSurface(2, 1, 24);
  ASSERT_EQ(PlatformWorld::PutArgbRow(rgb.get(), nullptr, 0, argb), kPlatformNoError);
  EXPECT_EQ(AllStored(rgb.get()), (std::vector<uint32_t>{0x8CFF13, 0x010203}));
  WorldPtr argbWorld = MakeSurface(2, 1, 0x8888);
  ASSERT_EQ(PlatformWorld::PutArgbRow(argbWorld.get(), nullptr, 0, argb), kPlatformNoError);
  EXPECT_EQ(AllStored(argbWorld.get()), (std::vector<uint32_t>{0xFF8CFF13, 0xFF010203}));
  EXPECT_EQ(PlatformWorld::PutArgbRow(argbWorld.get(), nullptr, 1, argb), kPlatformErrBadData);
}

}  // namespace
