// DIB records: colour tables both ways, the screen format query, and exchanging the parts of two worlds.
#include "platform/graphics/dib_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "host/gdi.h"
#include "platform/graphics/graphics_port.h"
#include "world_fixture.h"

namespace {

TEST(DibRecordTest, ColourTablesConvertBothWays) {
  Palette palette{};
  palette.count = 2;
  palette.entries[0] = {0, 10, 20, 30};
  palette.entries[1] = {255, 40, 50, 60};
  RGBQUAD quads[256];
  int32_t count = 0;
  ConvertColorTable(quads, &count, &palette);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(quads[0].rgbBlue, 30);
  EXPECT_EQ(quads[0].rgbRed, 10);
  EXPECT_EQ(quads[1].rgbReserved, 0);
  EXPECT_EQ(quads[2].rgbGreen, 0);
  Palette back;
  PaletteFromRgbQuads(&back, quads, 2);
  EXPECT_EQ(back.count, 2);
  EXPECT_EQ(back.entries[0].flag, 255);  // flags do not survive GDI colours
  EXPECT_EQ(back.entries[1].green, 50);
  PaletteFromRgbQuads(&back, quads, 9999);
  EXPECT_EQ(back.count, 256);
}

TEST(DibRecordTest, ScreenFormatFollowsTheBitmapsADcMakes) {
  struct Case {
    PixelFormatCode selected;
    PixelFormatCode reported;
  };
  // GDI describes 16- and 32-bit bitmaps by bit fields. 16-bit ones give the code counted from their masks
  // (0x0F00, 0x00F0, 0x000F give 0x444), other headers their bit count. Every 32-bit screen is code 32, whatever
  // its masks: a 3-byte 0x888 world on a 32-bit screen would be rebuilt blank at every first lock.
  const Case cases[] = {{32, 32}, {0x8888, 32}, {0x80008888, 32}, {0x565, 0x565}, {0x4444, 0x444}, {15, 0x555},
                        {24, 24}};
  for (const Case& c : cases) {
    HDC dc = CreateCompatibleDC(nullptr);
    BitmapInfo256 info{};
    DescribeDib(&info, c.selected, 4, 4);
    void* bits = nullptr;
    HBITMAP section =
        CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    EXPECT_EQ(QueryScreenBitmapFormat(dc), c.reported) << std::hex << c.selected;
    SelectObject(dc, old);
    DeleteObject(section);
    DeleteDC(dc);
  }
  EXPECT_EQ(QueryScreenBitmapFormat(nullptr), 0u);
}

TEST(DibRecordTest, SwappingPortsAndPixelMapsKeepsBindingsAndOwnerLinks) {
  GraphicsPort* portA = nullptr;
  GraphicsPort* portB = nullptr;
  PixelMap* mapA = nullptr;
  PixelMap* mapB = nullptr;
  PlatformWorld* a = PlatformWorld::Create(&portA, nullptr, &mapA);
  PlatformWorld* b = PlatformWorld::Create(&portB, nullptr, &mapB);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  portA->dc = reinterpret_cast<HDC>(static_cast<intptr_t>(0x10));
  portB->dc = reinterpret_cast<HDC>(static_cast<intptr_t>(0x20));
  portA->penWidth = 3;
  portB->alignment = 1;
  mapA->bounds = Rect{0, 0, 1, 1};
  mapB->bounds = Rect{0, 0, 2, 2};
  mapA->palette.count = 7;
  PlatformWorld::SwapPortsAndPixelMaps(a, b);
  EXPECT_EQ(portA->penWidth, 3);   // binding fields stay
  EXPECT_EQ(portA->alignment, 1);  // text state moves
  EXPECT_EQ(portA->dc, reinterpret_cast<HDC>(static_cast<intptr_t>(0x20)));
  EXPECT_EQ(mapA->bounds.right, 2);
  EXPECT_EQ(mapA->palette.count, 7);  // colours stay with their record
  EXPECT_EQ(mapA->dc, portA->dc);
  EXPECT_EQ(mapA->ownerLinks[0], a);
  EXPECT_EQ(portB->ownerLinks[0], b);
  portA->dc = nullptr;
  portB->dc = nullptr;
  PlatformWorld::Dispose(a);
  PlatformWorld::Dispose(b);
}

}  // namespace
