// Worlds on windows and DIB records backed by GDI bitmaps: creation over the client area, copying rects to the
// window with the DIB row rules, rebuilding after a resize, and the sync between memory and bitmap both ways.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/gdi.h"
#include "host/testing.h"
#include "host/user.h"
#include "platform/graphics/dib_record.h"
#include "platform/graphics/gdi_copy.h"
#include "platform/graphics/graphics_port.h"
#include "platform/graphics/graphics_world.h"
#include "test_window.h"
#include "world_fixture.h"

namespace {

class WindowWorldTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ = MakeTestWindow(WS_VISIBLE, 40, 30);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { DestroyWindow(window_); }

  // Row y of the world gets colour 0x0100 x y + x.
  static void FillRows(PlatformWorld* world) {
    Rect b;
    PlatformWorld::GetBounds(world, &b);
    for (int32_t y = 0; y < b.Height(); ++y) {
      std::vector<uint8_t> argb;
      for (int32_t x = 0; x < b.Width(); ++x) {
        const uint32_t c = static_cast<uint32_t>(0x0100 * y + x);
        argb.insert(argb.end(),
                    {0xFF, static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
      }
      ASSERT_EQ(PlatformWorld::PutArgbRow(world, nullptr, y, argb.data()), kPlatformNoError);
    }
  }

  HWND window_ = nullptr;
};

TEST_F(WindowWorldTest, CoversTheClientAreaAndFlushesRectsRowForRow) {
  PlatformWorld* world = PlatformWorld::CreateForWindow(window_);
  ASSERT_NE(world, nullptr);
  const PixelMap* map = PlatformWorld::GetPixelMap(world);
  const Rect client{0, 0, 40, 30};
  EXPECT_TRUE(Rect::Equal(&map->bounds, &client));
  EXPECT_TRUE(map->flags & kPixelMapWindowBacked);
  EXPECT_EQ(map->targetWindow, window_);
  EXPECT_EQ(PlatformWorld::GetPort(world)->dc, map->dib->dc);
  FillRows(world);
  // The bottom rows and a band in the middle: each window row must show the world row of the same number.
  const Rect rects[2] = {{3, 25, 20, 30}, {0, 10, 40, 12}};
  ASSERT_EQ(PlatformWorld::FlushRectsToWindow(world, 2, rects), kPlatformNoError);
  HostFrame frame;
  ASSERT_TRUE(HostTestLastFrame(window_, &frame));
  auto at = [&](int x, int y) { return frame.pixels[static_cast<size_t>(y) * frame.width + x] & 0xFFFFFF; };
  EXPECT_EQ(at(3, 25), 0x0100u * 25 + 3);
  EXPECT_EQ(at(19, 29), 0x0100u * 29 + 19);
  EXPECT_EQ(at(0, 10), 0x0100u * 10);
  EXPECT_EQ(at(39, 11), 0x0100u * 11 + 39);
  EXPECT_NE(at(2, 25), 0x0100u * 25 + 2);  // outside both rects: not copied
  EXPECT_EQ(PlatformWorld::FlushRectsToWindow(world, 0, nullptr), kPlatformNoError);
  PlatformWorld::DisposeWindowWorld(world);
}

TEST_F(WindowWorldTest, FirstLockAfterAResizeRebuildsTheWorld) {
  PlatformWorld* world = PlatformWorld::CreateForWindow(window_);
  ASSERT_NE(world, nullptr);
  GraphicsPort* port = PlatformWorld::GetPort(world);
  uint8_t rebuilt = 9;
  ASSERT_EQ(PlatformWorld::BeginDrawing(world, nullptr, nullptr, &rebuilt), kPlatformNoError);
  EXPECT_EQ(rebuilt, 0);
  PlatformWorld::EndDrawing(world, nullptr);
  ASSERT_TRUE(MoveWindow(window_, 0, 0, 50, 20, FALSE));
  ASSERT_EQ(PlatformWorld::BeginDrawing(world, nullptr, nullptr, &rebuilt), kPlatformNoError);
  EXPECT_EQ(rebuilt, 1);
  const Rect resized{0, 0, 50, 20};
  EXPECT_TRUE(Rect::Equal(&world->pixelMap->bounds, &resized));
  EXPECT_EQ(world->pixelMap->info.bmiHeader.biWidth, 50);
  EXPECT_EQ(PlatformWorld::GetPort(world), port);
  EXPECT_EQ(port->dc, world->pixelMap->dib->dc);
  PlatformWorld::EndDrawing(world, nullptr);
  PlatformWorld::DisposeWindowWorld(world);
}

// Both backings: a DIB section shares its memory with GDI; a compatible bitmap is copied across by the brackets.
TEST_F(WindowWorldTest, PortDrawingAndMemoryStayInStep) {
  for (int sections : {1, 0}) {
    OverrideDibSectionsForTesting(sections);
    PlatformWorld* world = PlatformWorld::CreateForWindow(window_);
    OverrideDibSectionsForTesting(-1);
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->pixelMap->dib->ownsSection, sections);
    FillRows(world);
    // GDI draws into the bitmap behind the port; the next bracket brings those pixels into memory.
    HDC dc = PlatformWorld::GetPortDC(world);
    EXPECT_TRUE(world->pixelMap->flags & kPixelMapDibNewer);
    EXPECT_FALSE(world->pixelMap->flags & kPixelMapMemoryNewer);
    const uint32_t white = 0xFFFFFF;
    BitmapInfo256 info{};
    DescribeDib(&info, 32, 1, 1);
    ASSERT_NE(SetDIBitsToDevice(dc, 5, 6, 1, 1, 0, 0, 0, 1, &white, reinterpret_cast<const BITMAPINFO*>(&info),
                                DIB_RGB_COLORS),
              0);
    EXPECT_EQ(GetStored(world, 5, 6) & 0xFFFFFF, white);
    EXPECT_EQ(GetStored(world, 4, 6) & 0xFFFFFF, 0x0100u * 6 + 4);
    EXPECT_FALSE(world->pixelMap->flags & kPixelMapDibNewer);
    // Pixels written in memory survive the next bracket and reach the bitmap GDI reads.
    SetStored(world, 7, 8, 0x123456);
    EXPECT_EQ(GetStored(world, 7, 8) & 0xFFFFFF, 0x123456u);
    uint32_t read = 0;
    BitmapInfo256 one{};
    DescribeDib(&one, 32, 1, 1);
    HDC probe = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateBitmap(1, 1, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(probe, target);
    BitBlt(probe, 0, 0, 1, 1, PlatformWorld::GetPortDC(world), 7, 8, SRCCOPY);
    SelectObject(probe, old);
    GetDIBits(probe, target, 0, 1, &read, reinterpret_cast<BITMAPINFO*>(&one), DIB_RGB_COLORS);
    EXPECT_EQ(read & 0xFFFFFF, 0x123456u) << "sections " << sections;
    DeleteObject(target);
    DeleteDC(probe);
    PlatformWorld::DisposeWindowWorld(world);
  }
}

TEST(DibRecordTest, CompatibleBitmapSyncsBothWays) {
  OverrideDibSectionsForTesting(0);
  HDC screen = CreateCompatibleDC(nullptr);
  HBITMAP model = CreateBitmap(1, 1, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(screen, model);
  const Rect bounds{0, 0, 3, 4};
  DibRecord* record = DibRecord::Create(screen, &bounds, 32, nullptr, true);
  OverrideDibSectionsForTesting(-1);
  ASSERT_NE(record, nullptr);
  ASSERT_NE(record->bitmap, nullptr);
  EXPECT_EQ(record->ownsSection, 0);
  auto* pixels = reinterpret_cast<uint32_t*>(record->bits);
  for (uint32_t i = 0; i < 12; ++i) pixels[i] = 0x010101 * (i / 3 + 1);  // row r holds 0x010101 x (r + 1)
  ASSERT_EQ(DibRecord::SyncBits(record, true), kPlatformNoError);
  // Read back bottom-up: the last row in memory comes first.
  BitmapInfo256 info{};
  DescribeDib(&info, 32, 3, 4);
  info.bmiHeader.biHeight = 4;
  std::vector<uint32_t> bottomUp(12);
  SelectObject(record->dc, record->previousBitmap);
  ASSERT_EQ(GetDIBits(record->dc, record->bitmap, 0, 4, bottomUp.data(), reinterpret_cast<BITMAPINFO*>(&info),
                      DIB_RGB_COLORS),
            4);
  EXPECT_EQ(bottomUp[0] & 0xFFFFFF, 0x040404u);
  EXPECT_EQ(bottomUp[9] & 0xFFFFFF, 0x010101u);
  // Write bottom-up rows into the bitmap; syncing back gives memory top-down rows.
  for (uint32_t i = 0; i < 12; ++i) bottomUp[i] = 0x100000 * (i / 3 + 1);
  ASSERT_EQ(SetDIBits(record->dc, record->bitmap, 0, 4, bottomUp.data(), reinterpret_cast<BITMAPINFO*>(&info),
                      DIB_RGB_COLORS),
            4);
  SelectObject(record->dc, record->bitmap);
  ASSERT_EQ(DibRecord::SyncBits(record, false), kPlatformNoError);
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x400000u);
  EXPECT_EQ(pixels[11] & 0xFFFFFF, 0x100000u);
  DibRecord::Release(record);
  SelectObject(screen, old);
  DeleteObject(model);
  DeleteDC(screen);
}

TEST(DibRecordTest, SectionsWhenADeviceContextIsGiven) {
  HDC screen = CreateCompatibleDC(nullptr);
  const Rect bounds{0, 0, 2, 2};
  OverrideDibSectionsForTesting(1);
  DibRecord* record = DibRecord::Create(screen, &bounds, 32, nullptr, false);
  OverrideDibSectionsForTesting(-1);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->ownsSection, 1);
  EXPECT_EQ(record->ownBuffer, nullptr);
  EXPECT_EQ(DibRecord::SyncBits(record, true), kPlatformNoError);  // nothing to copy for a section
  DibRecord::Release(record);
  DeleteDC(screen);
}

}  // namespace

namespace {

// A sync that fails while the bracket begins leaves nothing locked, so the world can still be resized later.
TEST_F(WindowWorldTest, FailedSyncReleasesTheLock) {
  OverrideDibSectionsForTesting(0);
  PlatformWorld* world = PlatformWorld::CreateForWindow(window_);
  OverrideDibSectionsForTesting(-1);
  ASSERT_NE(world, nullptr);
  DibRecord* dib = world->pixelMap->dib;
  PlatformWorld::GetPortDC(world);  // the bitmap is now newer than memory
  const HBITMAP real = dib->bitmap;
  dib->bitmap = reinterpret_cast<HBITMAP>(static_cast<intptr_t>(0x7777));  // a handle GDI does not know
  EXPECT_EQ(PlatformWorld::BeginDrawing(world, nullptr, nullptr, nullptr), kPlatformErrGraphics);
  EXPECT_EQ(world->pixelMap->lockCount, 0);
  EXPECT_EQ(world->pixelMap->baseAddress, nullptr);
  dib->bitmap = real;
  SelectObject(dib->dc, real);
  EXPECT_EQ(PlatformWorld::BeginDrawing(world, nullptr, nullptr, nullptr), kPlatformNoError);
  PlatformWorld::EndDrawing(world, nullptr);
  PlatformWorld::DisposeWindowWorld(world);
}

}  // namespace

namespace {

// A mask blend into a window's own DC reads the window back from the destination's position, blends and writes.
TEST_F(WindowWorldTest, MaskBlendIntoAWindowDcReadsTheWindowBack) {
  HDC dc = GetDC(window_);
  ASSERT_NE(dc, nullptr);
  std::vector<uint32_t> grey(40 * 30, 0x646464);
  BitmapInfo256 info{};
  DescribeDib(&info, 32, 40, 30);
  ASSERT_NE(SetDIBitsToDevice(dc, 0, 0, 40, 30, 0, 0, 0, 30, grey.data(), reinterpret_cast<const BITMAPINFO*>(&info),
                              DIB_RGB_COLORS),
            0);
  WorldPtr source = MakeSurface(2, 1, 32);
  WorldPtr mask = MakeMask(2, 1);
  SetAllStored(source.get(), {0x0000FF, 0xFFFFFF});
  SetAllStored(mask.get(), {128, 64});
  const Rect d{10, 20, 12, 21}, s{0, 0, 2, 1};
  ASSERT_EQ(PlatformWorld::BeginDrawing(source.get(), mask.get(), nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(PlatformCopyBitsGdi(dc, &d, source->pixelMap->dib, mask->pixelMap->dib, nullptr, &s), kPlatformNoError);
  PlatformWorld::EndDrawing(source.get(), mask.get());
  ReleaseDC(window_, dc);
  HostFrame frame;
  ASSERT_TRUE(HostTestLastFrame(window_, &frame));
  auto at = [&](int x, int y) { return frame.pixels[static_cast<size_t>(y) * frame.width + x] & 0xFFFFFF; };
  EXPECT_EQ(at(10, 20), 0x3232B2u);  // blue at weight 129 over grey 100
  EXPECT_EQ(at(11, 20), 0x8A8A8Au);  // white at weight 64
  EXPECT_EQ(at(12, 20), 0x646464u);
  EXPECT_EQ(at(10, 21), 0x646464u);
}

}  // namespace
