// The test seam's count of what the window system holds: the live windows and GDI objects.
#include <gtest/gtest.h>

#include <functional>

#include "user_test_helpers.h"

namespace {

class LiveObjectsTest : public user_test::HeadlessWindows {};

TEST_F(LiveObjectsTest, EachKindOfObjectCountsFromItsMakingUntilItsDeletion) {
  struct Case {
    const char* kind;
    std::function<HGDIOBJ()> make;
  };
  const Case cases[] = {
      {"pen", [] { return CreatePen(PS_SOLID, 1, 0); }},
      {"brush", [] { return CreateSolidBrush(0x123456); }},
      {"font", [] { return CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"); }},
      {"bitmap", [] { return CreateBitmap(4, 4, 1, 32, nullptr); }},
      {"region", [] { return CreateRectRgn(0, 0, 3, 3); }},
      {"memory device context", [] { return CreateCompatibleDC(nullptr); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    const int before = HostTestLiveObjects().gdiObjects;
    HGDIOBJ object = c.make();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(HostTestLiveObjects().gdiObjects, before + 1);
    if (GetObjectType(object) == OBJ_MEMDC) {
      EXPECT_TRUE(DeleteDC(static_cast<HDC>(object)));
    } else {
      EXPECT_TRUE(DeleteObject(object));
    }
    EXPECT_EQ(HostTestLiveObjects().gdiObjects, before);
  }
}

TEST_F(LiveObjectsTest, StockObjectsAreNotCounted) {
  const int before = HostTestLiveObjects().gdiObjects;
  for (int index : {WHITE_BRUSH, BLACK_PEN, SYSTEM_FONT}) GetStockObject(index);
  EXPECT_EQ(HostTestLiveObjects().gdiObjects, before);
}

TEST_F(LiveObjectsTest, AWindowAndItsDeviceContextCountUntilTheWindowIsDestroyed) {
  const HostLiveObjects before = HostTestLiveObjects();
  HWND window = Make(40, 30);
  ASSERT_NE(window, nullptr);
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  ReleaseDC(window, dc);
  const HostLiveObjects shown = HostTestLiveObjects();
  EXPECT_EQ(shown.windows, before.windows + 1);
  EXPECT_GT(shown.gdiObjects, before.gdiObjects);
  DestroyWindow(window);
  made_.clear();
  Pump();
  const HostLiveObjects after = HostTestLiveObjects();
  EXPECT_EQ(after.windows, before.windows);
  EXPECT_EQ(after.gdiObjects, before.gdiObjects);
}

}  // namespace
