// Handles, device contexts and bitmap selection of the drawing layer.
#include <gtest/gtest.h>

#include "gdi_test_helpers.h"
#include "host/kernel.h"

namespace {

using gdi_test::DibInfo;
using gdi_test::Surface;

TEST(GdiObjects, TypesOfEachKindOfObject) {
  Surface surface(4, 4);
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 1, nullptr);
  HRGN region = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(GetObjectType(memory), OBJ_MEMDC);
  EXPECT_EQ(GetObjectType(surface.dc()), OBJ_DC);
  EXPECT_EQ(GetObjectType(bitmap), OBJ_BITMAP);
  EXPECT_EQ(GetObjectType(region), OBJ_REGION);
  EXPECT_EQ(GetObjectType(nullptr), 0u);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteObject(region));
  EXPECT_TRUE(DeleteDC(memory));
}

TEST(GdiObjects, DeletedHandlesAreRefusedEvenWhenTheirSlotIsReused) {
  HBITMAP old = CreateBitmap(2, 2, 1, 32, nullptr);
  ASSERT_TRUE(DeleteObject(old));
  HRGN reused = CreateRectRgn(0, 0, 5, 5);
  EXPECT_EQ(GetObjectType(old), 0u);
  EXPECT_FALSE(DeleteObject(old));
  BITMAP info;
  EXPECT_EQ(GetObjectA(old, sizeof info, &info), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(dc, old), nullptr);
  EXPECT_EQ(GetObjectType(reused), OBJ_REGION);
  // Handles that were never made are refused too.
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(uintptr_t{0x12345678})), 0u);
  EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(uintptr_t{0xDEAD})));
  DeleteDC(dc);
  DeleteObject(reused);
}

TEST(GdiObjects, SelectionReturnsThePreviousBitmapAndHoldsTheBitmapToOneDC) {
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(3, 3, 1, 32, nullptr);
  HGDIOBJ stock = SelectObject(first, bitmap);
  ASSERT_NE(stock, nullptr);
  EXPECT_EQ(GetObjectType(stock), OBJ_BITMAP);
  BITMAP info;
  ASSERT_EQ(GetObjectA(stock, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 1);
  EXPECT_EQ(info.bmBitsPixel, 1);
  EXPECT_TRUE(DeleteObject(stock));  // the stock bitmap survives deletion
  EXPECT_EQ(GetObjectType(stock), OBJ_BITMAP);

  EXPECT_EQ(SelectObject(second, bitmap), nullptr);  // already selected elsewhere
  EXPECT_FALSE(DeleteObject(bitmap));                // still selected
  EXPECT_EQ(SelectObject(first, stock), bitmap);
  EXPECT_EQ(SelectObject(second, bitmap), stock);
  EXPECT_TRUE(DeleteDC(second));  // releases the bitmap
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(first));
}

TEST(GdiObjects, BitmapsCannotBeSelectedIntoWindowDCs) {
  Surface surface(2, 2);
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
  EXPECT_EQ(SelectObject(surface.dc(), bitmap), nullptr);
  EXPECT_FALSE(DeleteDC(surface.dc()));  // window DCs are released by the window code
  DeleteObject(bitmap);
}

TEST(GdiObjects, CompatibleBitmapsFollowTheDC) {
  Surface surface(2, 2);
  HDC memory = CreateCompatibleDC(surface.dc());
  struct Case {
    HDC dc;
    int width;
    int height;
    int bits;
    LONG expectedWidth;
  };
  HBITMAP colour = CreateCompatibleBitmap(surface.dc(), 5, 4);
  const Case cases[] = {
      {surface.dc(), 5, 4, 32, 5},
      {memory, 5, 4, 1, 5},  // a new memory DC holds a monochrome bitmap
      {surface.dc(), 0, 4, 1, 1},  // no area gives a 1 x 1 monochrome bitmap
  };
  for (const Case& c : cases) {
    HBITMAP b = CreateCompatibleBitmap(c.dc, c.width, c.height);
    ASSERT_NE(b, nullptr);
    BITMAP info;
    ASSERT_EQ(GetObjectA(b, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmBitsPixel, c.bits);
    EXPECT_EQ(info.bmWidth, c.expectedWidth);
    EXPECT_EQ(info.bmBits, nullptr);
    DeleteObject(b);
  }
  SelectObject(memory, colour);
  HBITMAP like = CreateCompatibleBitmap(memory, 2, 2);
  BITMAP info;
  GetObjectA(like, sizeof info, &info);
  EXPECT_EQ(info.bmBitsPixel, 32);
  DeleteObject(like);
  DeleteDC(memory);
  DeleteObject(colour);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 2, 2), nullptr);
}

TEST(GdiObjects, DeviceStateAndCapabilities) {
  HDC dc = CreateCompatibleDC(nullptr);
  HostSetScreenSize(800, 600);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 800);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 600);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
  EXPECT_EQ(GetMapMode(dc), MM_TEXT);
  EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_TEXT);
  EXPECT_EQ(SetMapMode(dc, 2), 0);  // scaled modes are refused
  EXPECT_EQ(SetBkColor(dc, RGB(1, 2, 3)), RGB(255, 255, 255));
  EXPECT_EQ(GetBkColor(dc), RGB(1, 2, 3));
  EXPECT_EQ(SetTextColor(dc, RGB(9, 8, 7)), RGB(0, 0, 0));
  EXPECT_EQ(GetTextColor(dc), RGB(9, 8, 7));
  EXPECT_EQ(SetBkColor(nullptr, 0), CLR_INVALID);
  EXPECT_TRUE(GdiFlush());
  DeleteDC(dc);
  HostSetScreenSize(1920, 1080);
}

TEST(GdiObjects, DibSectionsReportTheirBits) {
  DibInfo info(3, -2, 24);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  ASSERT_NE(bits, nullptr);
  BITMAP b;
  ASSERT_EQ(GetObjectA(section, sizeof b, &b), static_cast<int>(sizeof b));
  EXPECT_EQ(b.bmWidth, 3);
  EXPECT_EQ(b.bmHeight, 2);
  EXPECT_EQ(b.bmWidthBytes, 12);
  EXPECT_EQ(b.bmBitsPixel, 24);
  EXPECT_EQ(b.bmBits, bits);
  EXPECT_EQ(static_cast<uint8_t*>(bits)[0], 0);  // new sections are cleared
  DeleteObject(section);
}

TEST(GdiObjects, DibSectionsAreFoundByNameAndTransparentCopiesAreNot) {
  using CreateSection = HBITMAP (*)(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
  const auto found = reinterpret_cast<CreateSection>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("GDI32.DLL"), "CreateDIBSection")));
  ASSERT_NE(found, nullptr);
  DibInfo info(1, 1, 32);
  HBITMAP section = found(nullptr, info.get(), DIB_RGB_COLORS, nullptr, nullptr, 0);
  EXPECT_EQ(GetObjectType(section), OBJ_BITMAP);
  DeleteObject(section);
  EXPECT_EQ(GetModuleHandleA("MSIMG32.DLL"), nullptr);
}

}  // namespace
