// Drawing ports, checked on the pixels of small targets: lines and pens, rectangle frames and fills, pattern phase,
// clipping, text alignment and the current position, font choice and fallback, saved and reset state, copying and
// tiling worlds, and ports on window worlds whose pixel memory must follow GDI's drawing.
#include "platform/graphics/graphics_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/gdi.h"
#include "host/global_memory.h"
#include "host/testing.h"
#include "host/user.h"
#include "platform/graphics/region.h"
#include "test_window.h"
#include "tests/support/dib_canvas.h"
#include "world_fixture.h"

namespace {

using test_support::DibCanvas;

constexpr ColorRecord kRed{255, 255, 0, 0};
constexpr ColorRecord kBlue{255, 0, 0, 255};
constexpr ColorRecord kGreen{255, 0, 160, 0};
constexpr ColorRecord kBlack{255, 0, 0, 0};
constexpr ColorRecord kWhite{255, 255, 255, 255};
constexpr COLORREF kRedRef = RGB(255, 0, 0);
constexpr COLORREF kBlueRef = RGB(0, 0, 255);
constexpr COLORREF kGreenRef = RGB(0, 160, 0);

// Alternating bits: a checkerboard of fore (0 bits) and back (1 bits) colours.
constexpr uint8_t kChecker[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};

// A port-only world bound to a canvas's DC, saving the DC's state at binding.
class PortTest : public testing::Test {
 protected:
  explicit PortTest(int width = 24, int height = 16) : canvas_(width, height) {}
  void SetUp() override {
    world_ = GraphicsPort::CreateForDC(canvas_.dc(), true);
    ASSERT_NE(world_, nullptr);
    ASSERT_EQ(GraphicsPort::ResetState(world_, true, true, true, true, true), kPlatformNoError);
  }
  void TearDown() override {
    if (world_ != nullptr) GraphicsPort::Dispose(world_);
  }
  std::string Row(int y, COLORREF ink = 0) const { return canvas_.Row(y, ink); }

  DibCanvas canvas_;
  PlatformWorld* world_ = nullptr;
};

struct LineCase {
  const char* name;
  int32_t width;
  Point from;
  Point to;
  std::vector<std::string> rows;  // rows 0 to 6 of the canvas, '#' for red
};

TEST_F(PortTest, LinesEndAndThicknessFollowThePenWidth) {
  const LineCase cases[] = {
      {"width 1 stops before its end", 1, {2, 3}, {8, 3}, {"", "", "", "..######", "", "", ""}},
      {"width 0 is one pixel", 0, {2, 3}, {2, 6}, {"", "", "", "..#", "..#", "..#", ""}},
      {"width 3 reaches past both ends", 3, {4, 3}, {8, 3}, {"", "", "...#######", "...#######", "...#######", "", ""}},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Rect all{0, 0, 24, 16};
    ASSERT_EQ(GraphicsPort::SetBackColor(world_, &kWhite), kPlatformNoError);
    ASSERT_EQ(GraphicsPort::EraseRect(world_, &all), kPlatformNoError);
    ASSERT_EQ(GraphicsPort::SetPen(world_, &kRed, nullptr, kSolidPattern, c.width), kPlatformNoError);
    ASSERT_EQ(GraphicsPort::MoveTo(world_, c.from.x, c.from.y), kPlatformNoError);
    ASSERT_EQ(GraphicsPort::LineTo(world_, c.to.x, c.to.y), kPlatformNoError);
    for (size_t y = 0; y < c.rows.size(); ++y) {
      std::string expected = c.rows[y];
      expected.resize(24, '.');
      EXPECT_EQ(Row(static_cast<int>(y), kRedRef), expected) << "row " << y;
    }
  }
}

TEST_F(PortTest, PatternedPenFillsItsWidenedLineWithThePattern) {
  ASSERT_EQ(GraphicsPort::SetPen(world_, &kRed, &kBlue, kChecker, 3), kPlatformNoError);
  ASSERT_EQ(GraphicsPort::MoveTo(world_, 4, 4), kPlatformNoError);
  ASSERT_EQ(GraphicsPort::LineTo(world_, 12, 4), kPlatformNoError);
  for (int y = 3; y <= 5; ++y) {
    for (int x = 3; x <= 13; ++x) {
      // The pattern's high bit is column 0; set bits take the back colour.
      const bool set = ((kChecker[y % 8] >> (7 - x % 8)) & 1) != 0;
      EXPECT_EQ(canvas_.At(x, y), set ? kBlueRef : kRedRef) << x << "," << y;
    }
  }
  EXPECT_EQ(canvas_.At(4, 2), 0xFFFFFFu);
  EXPECT_EQ(canvas_.At(4, 6), 0xFFFFFFu);
}

struct FrameCase {
  int32_t width;
  int border;  // thickness of the drawn frame
};

TEST_F(PortTest, FrameRectDrawsABorderOfThePenWidthInsideTheRect) {
  for (const FrameCase& c : {FrameCase{0, 1}, FrameCase{1, 1}, FrameCase{3, 3}, FrameCase{4, 4}, FrameCase{5, 5}}) {
    SCOPED_TRACE(c.width);
    const Rect all{0, 0, 24, 16};
    GraphicsPort::EraseRect(world_, &all);
    ASSERT_EQ(GraphicsPort::SetPen(world_, &kRed, nullptr, nullptr, c.width), kPlatformNoError);
    const Rect frame{2, 2, 14, 14};
    ASSERT_EQ(GraphicsPort::FrameRect(world_, &frame), kPlatformNoError);
    // Across the middle of each side: exactly the border's thickness, inside the rect.
    std::string across(24, '.');
    for (int i = 0; i < c.border; ++i) across[2 + i] = across[13 - i] = '#';
    EXPECT_EQ(Row(8, kRedRef), across);
    for (int y = 0; y < 16; ++y) {
      EXPECT_EQ(canvas_.At(8, y) == kRedRef, (y >= 2 && y < 2 + c.border) || (y >= 14 - c.border && y < 14)) << y;
    }
    // Nothing outside the rect or inside the hole; thin pens also fill the corners.
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 24; ++x) {
        const bool inside = x >= 2 && x < 14 && y >= 2 && y < 14;
        const bool hole = x >= 2 + c.border && x < 14 - c.border && y >= 2 + c.border && y < 14 - c.border;
        if (!inside || hole) {
          EXPECT_NE(canvas_.At(x, y), kRedRef) << x << "," << y;
        }
      }
    }
    if (c.width <= 3) {
      EXPECT_EQ(canvas_.At(2, 2), kRedRef);
    }
  }
}

TEST_F(PortTest, FillAndEraseUseTheFillAndBackColours) {
  ASSERT_EQ(GraphicsPort::SetFillPattern(world_, &kGreen, &kBlue, kSolidPattern), kPlatformNoError);
  const Rect fill{1, 1, 5, 3}, erase{3, 2, 8, 4};
  ASSERT_EQ(GraphicsPort::FillRect(world_, &fill), kPlatformNoError);
  ASSERT_EQ(GraphicsPort::EraseRect(world_, &erase), kPlatformNoError);
  EXPECT_EQ(Row(1, kGreenRef).substr(0, 9), ".####....");
  EXPECT_EQ(Row(2, kGreenRef).substr(0, 9), ".##?????.");
  EXPECT_EQ(canvas_.At(4, 3), kBlueRef);
  ColorRecord fore{}, back{};
  ASSERT_EQ(GraphicsPort::GetForeColor(world_, &fore), kPlatformNoError);
  ASSERT_EQ(GraphicsPort::GetBackColor(world_, &back), kPlatformNoError);
  EXPECT_EQ(fore.green, 160);
  EXPECT_EQ(back.blue, 255);
  EXPECT_EQ(back.flag, 255);
  const Rect invert{0, 0, 2, 1};
  ASSERT_EQ(GraphicsPort::InvertRect(world_, &invert), kPlatformNoError);
  EXPECT_EQ(canvas_.At(0, 0), 0u);
}

TEST_F(PortTest, PatternPhaseFollowsTheDeviceNotTheRectOrOrigin) {
  ASSERT_EQ(GraphicsPort::SetFillPattern(world_, &kRed, &kBlue, kChecker), kPlatformNoError);
  const Rect a{1, 1, 7, 9}, b{7, 1, 20, 9};
  GraphicsPort::FillRect(world_, &a);
  Point previous{};
  ASSERT_EQ(GraphicsPort::SetOrigin(world_, 3, 2, &previous), kPlatformNoError);
  EXPECT_EQ(previous.x, 0);
  const Rect moved{b.left - 3, b.top - 2, b.right - 3, b.bottom - 2};
  GraphicsPort::FillRect(world_, &moved);
  for (int y = 1; y < 9; ++y) {
    for (int x = 1; x < 20; ++x) {
      const bool set = ((kChecker[y % 8] >> (7 - x % 8)) & 1) != 0;
      EXPECT_EQ(canvas_.At(x, y), set ? kBlueRef : kRedRef) << x << "," << y;
    }
  }
}

TEST_F(PortTest, DrawingStaysInsideTheClipRegion) {
  // Two columns, given in logical coordinates while the origin is moved.
  GraphicsPort::SetOrigin(world_, 2, 0, nullptr);
  HRGN region = CreateRectRgn(0, 0, 3, 16);
  HRGN right = CreateRectRgn(6, 0, 9, 16);
  CombineRgn(region, region, right, RGN_OR);
  ASSERT_EQ(GraphicsPort::SetClipRegion(world_, region), kPlatformNoError);
  const Rect all{-10, -10, 40, 40};
  GraphicsPort::SetFillPattern(world_, &kRed, nullptr, kSolidPattern);
  ASSERT_EQ(GraphicsPort::FillRect(world_, &all), kPlatformNoError);
  EXPECT_EQ(Row(5, kRedRef), "..###...###.............");

  // The clip reads back in logical coordinates.
  HRGN back = GraphicsPort::GetClipRegion(world_);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(CombineRgn(back, back, region, RGN_XOR), NULLREGION);
  DisposeRegion(back);

  const Rect box{1, 1, 4, 3};
  ASSERT_EQ(GraphicsPort::ClipToRect(world_, &box), kPlatformNoError);
  GraphicsPort::SetFillPattern(world_, &kBlue, nullptr, nullptr);
  GraphicsPort::FillRect(world_, &all);
  EXPECT_EQ(Row(1, kBlueRef).substr(0, 8), "..?###..");  // device 3 to 6: the rect moved by the origin
  EXPECT_EQ(canvas_.At(3, 3), kRedRef);

  // An empty clip stays empty, and draws nothing, at any origin.
  const Rect none{5, 5, 5, 5};
  ASSERT_EQ(GraphicsPort::ClipToRect(world_, &none), kPlatformNoError);
  HRGN empty = GraphicsPort::GetClipRegion(world_);
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(IsRegionEmpty(empty));
  ASSERT_EQ(GraphicsPort::SetClipRegion(world_, empty), kPlatformNoError);
  GraphicsPort::SetFillPattern(world_, &kGreen, nullptr, nullptr);
  GraphicsPort::FillRect(world_, &all);
  EXPECT_EQ(canvas_.Count(kGreenRef), 0);
  DisposeRegion(empty);
  GraphicsPort::SetFillPattern(world_, &kBlue, nullptr, nullptr);

  // Resetting the clip brings back the DC's clip at binding: none, the whole plane.
  ASSERT_EQ(GraphicsPort::ResetState(world_, false, false, false, true, true), kPlatformNoError);
  HRGN whole = GraphicsPort::GetClipRegion(world_);
  Rect bounds;
  GetRegionBounds(&bounds, whole);
  const Rect plane{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  EXPECT_TRUE(Rect::Equal(&bounds, &plane));
  GraphicsPort::FillRect(world_, &all);
  EXPECT_EQ(canvas_.Count(kBlueRef), 24 * 16);
  DisposeRegion(whole);
  DeleteObject(region);
  DeleteObject(right);
}

// The box of the pixels drawn in black.
Rect InkBox(const DibCanvas& canvas, int height) {
  Rect box{canvas.width(), height, -1, -1};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.At(x, y) != 0) continue;
      box = Rect{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    }
  }
  return box;
}

class TextPortTest : public PortTest {
 protected:
  TextPortTest() : PortTest(120, 40) {}
};

TEST_F(TextPortTest, AlignmentPlacesTextAroundThePointOnItsBaseline) {
  struct Case {
    int32_t alignment;
    int32_t shiftInHalves;  // against left alignment, in halves of the text width
  };
  int32_t leftInk = 0;
  for (const Case& c : {Case{-1, 0}, Case{1, -2}, Case{0, -1}}) {
    SCOPED_TRACE(c.alignment);
    const Rect all{0, 0, 120, 40};
    GraphicsPort::EraseRect(world_, &all);
    ASSERT_EQ(GraphicsPort::SetTextStyle(world_, &kBlack, "Arial", 0, 16, 0, c.alignment), kPlatformNoError);
    const int32_t width = GraphicsPort::TextWidth(world_, "Wide", 4);
    ASSERT_GT(width, 10);
    ASSERT_EQ(GraphicsPort::DrawText(world_, 60, 25, "Wide", 4), kPlatformNoError);
    int32_t metrics[5];
    GraphicsPort::GetFontMetrics(world_, metrics);
    const Rect ink = InkBox(canvas_, 40);
    EXPECT_LE(ink.bottom, 25 + metrics[1]);
    EXPECT_GE(ink.top, 25 - metrics[0]);
    EXPECT_EQ(ink.bottom, 25);  // capitals sit on the baseline
    if (c.alignment == -1) leftInk = ink.left;
    EXPECT_EQ(ink.left, leftInk + c.shiftInHalves * width / 2);
  }
}

TEST_F(TextPortTest, TextContinuesFromTheCurrentPosition) {
  ASSERT_EQ(GraphicsPort::SetTextStyle(world_, &kBlack, "Arial", 0, 16, 0, -1), kPlatformNoError);
  ASSERT_EQ(GraphicsPort::DrawText(world_, 5, 20, "On", 2), kPlatformNoError);
  // The second half starts where the first ended: drawing at the current position gives the same pixels as drawing the
  // whole word.
  HDC dc = canvas_.dc();
  POINT position{};
  MoveToEx(dc, 0, 0, &position);
  EXPECT_EQ(position.x, 5 + GraphicsPort::TextWidth(world_, "On", 2));
  EXPECT_EQ(position.y, 20);
  ASSERT_EQ(GraphicsPort::DrawText(world_, position.x, position.y, "ward", 4), kPlatformNoError);
  std::vector<std::string> split;
  for (int y = 0; y < 40; ++y) split.push_back(Row(y));
  const Rect all{0, 0, 120, 40};
  GraphicsPort::SetBackColor(world_, &kWhite);
  GraphicsPort::EraseRect(world_, &all);
  GraphicsPort::DrawText(world_, 5, 20, "Onward", 6);
  for (int y = 0; y < 40; ++y) EXPECT_EQ(Row(y), split[y]) << "row " << y;
}

struct FamilyCase {
  const char* list;
  const char* family;  // what the port keeps
};

TEST_F(TextPortTest, FamiliesAreChosenNameByNameAndFallBack) {
  const FamilyCase cases[] = {
      {"NoSuchFace, Courier New", "Courier"},  // names are runs of letters, tried in order
      {"Times New Roman", "Times"},
      {"Nothing 2 here", ""},  // none installed: the default face
      {"", ""},
  };
  for (const FamilyCase& c : cases) {
    SCOPED_TRACE(c.list);
    ASSERT_EQ(GraphicsPort::SetTextStyle(world_, nullptr, c.list, 0, 14, 0, -1), kPlatformNoError);
    EXPECT_STREQ(world_->port->family, c.family);
    EXPECT_GT(GraphicsPort::TextWidth(world_, "abc", 3), 0);
  }
  char out[256] = "x";
  EXPECT_EQ(ChooseInstalledFontFamily(canvas_.dc(), "  Arial;", out), out);
  EXPECT_STREQ(out, "Arial");
  EXPECT_EQ(ChooseInstalledFontFamily(canvas_.dc(), "7 8 9", out), nullptr);
  EXPECT_STREQ(out, "");
}

TEST_F(TextPortTest, StockFontsIgnoreTheHeightAndFailedFontsFallBackWithAnError) {
  ASSERT_EQ(GraphicsPort::SetTextStyle(world_, nullptr, nullptr, SYSTEM_FONT, 40, 0, -1), kPlatformNoError);
  EXPECT_EQ(world_->port->fontHeight, 12);
  EXPECT_EQ(world_->port->fontId, SYSTEM_FONT);
  // A font that cannot be made leaves the stock variable-pitch font, and says so with a code, never 0; the port
  // stores the family, font id, height and style asked for.
  EXPECT_EQ(GraphicsPort::SetTextStyle(world_, nullptr, "Arial", 0, 1000000, kFontStyleItalic, 1), kPlatformErrPortGdi);
  EXPECT_EQ(GetCurrentObject(canvas_.dc(), OBJ_FONT), GetStockObject(ANSI_VAR_FONT));
  EXPECT_STREQ(world_->port->family, "Arial");
  EXPECT_EQ(world_->port->fontId, 0);
  EXPECT_EQ(world_->port->fontHeight, 1000000);
  EXPECT_EQ(world_->port->fontStyle, kFontStyleItalic);
  EXPECT_EQ(world_->port->alignment, 1);
  int32_t metrics[5];
  ASSERT_EQ(GraphicsPort::GetFontMetrics(world_, metrics), kPlatformNoError);
  EXPECT_EQ(metrics[3], metrics[0] + metrics[1]);
  EXPECT_GT(GraphicsPort::TextWidth(world_, "still drawn", 11), 0);
}

TEST_F(TextPortTest, SetTextSizeKeepsTheFamily) {
  ASSERT_EQ(GraphicsPort::SetTextStyle(world_, nullptr, "Courier", 0, 14, kFontStyleBold, -1), kPlatformNoError);
  ASSERT_EQ(GraphicsPort::SetTextSize(world_, 28), kPlatformNoError);
  EXPECT_STREQ(world_->port->family, "Courier");
  EXPECT_EQ(world_->port->fontHeight, 28);
  EXPECT_EQ(world_->port->fontStyle, kFontStyleBold);
  int32_t metrics[5];
  GraphicsPort::GetFontMetrics(world_, metrics);
  EXPECT_EQ(metrics[3], 28);
  // Still the fixed-pitch family: narrow and wide letters advance alike.
  EXPECT_EQ(GraphicsPort::TextWidth(world_, "iiii", 4), GraphicsPort::TextWidth(world_, "WWWW", 4));
}

TEST(GraphicsPortBinding, SavedStateComesBackAndACallersDcIsNotReleased) {
  DibCanvas canvas(8, 4);
  HDC dc = canvas.dc();
  SetTextColor(dc, kBlueRef);
  PlatformWorld* world = GraphicsPort::CreateForDC(dc, true);
  ASSERT_NE(world, nullptr);
  EXPECT_EQ(world->port->window, CallerDcWindow());
  GraphicsPort::SetPen(world, &kRed, nullptr, nullptr, 1);
  GraphicsPort::SetFillPattern(world, &kGreen, nullptr, kChecker);
  GraphicsPort::SetTextStyle(world, &kRed, "Arial", 0, 20, kFontStyleItalic, 1);
  GraphicsPort::SetOrigin(world, 3, 3, nullptr);
  const Rect clip{0, 0, 1, 1};
  GraphicsPort::ClipToRect(world, &clip);
  HGDIOBJ portFont = GetCurrentObject(dc, OBJ_FONT);
  ASSERT_EQ(GraphicsPort::Dispose(world), kPlatformNoError);

  // The DC is still the caller's and is back as it was: colours, objects, origin and clip.
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
  EXPECT_EQ(GetTextColor(dc), kBlueRef);
  EXPECT_EQ(GetObjectType(portFont), 0u);  // the port's own font is gone
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(GetTextAlign(dc), TA_LEFT | TA_TOP | TA_NOUPDATECP);
  MoveToEx(dc, 0, 1, nullptr);
  LineTo(dc, 8, 1);
  EXPECT_EQ(canvas.Row(1), "########");
}

TEST(GraphicsPortBinding, ResetStateBringsBackThePortDefaults) {
  DibCanvas canvas(8, 4);
  PlatformWorld* world = GraphicsPort::CreateForDC(canvas.dc(), false);
  ASSERT_NE(world, nullptr);
  GraphicsPort::SetPen(world, &kRed, &kBlue, kChecker, 5);
  GraphicsPort::SetTextStyle(world, &kRed, "Courier", 0, 30, 0, 0);
  ASSERT_EQ(GraphicsPort::ResetState(world, true, true, true, false, false), kPlatformNoError);
  GraphicsPort* port = world->port;
  EXPECT_EQ(port->penWidth, 0);
  EXPECT_EQ(port->penPattern, nullptr);
  EXPECT_EQ(port->fillPattern, kSolidPattern);
  EXPECT_EQ(port->fontId, ANSI_VAR_FONT);
  EXPECT_EQ(port->fontHeight, 12);
  EXPECT_EQ(port->alignment, -1);
  EXPECT_EQ(GetTextColor(canvas.dc()), 0u);
  EXPECT_EQ(GetBkColor(canvas.dc()), 0xFFFFFFu);
  EXPECT_EQ(GetTextAlign(canvas.dc()), TA_LEFT | TA_BASELINE | TA_UPDATECP);
  GraphicsPort::MoveTo(world, 0, 2);
  GraphicsPort::LineTo(world, 8, 2);
  EXPECT_EQ(canvas.Row(2), "########");
  EXPECT_EQ(canvas.Row(1), "........");
  GraphicsPort::Dispose(world);
}

TEST(GraphicsPortBinding, GdiFailuresGiveACodeNeverZero) {
  HDC dc = CreateCompatibleDC(nullptr);
  PlatformWorld* world = GraphicsPort::CreateForDC(dc, false);
  ASSERT_NE(world, nullptr);
  DeleteDC(dc);  // the port now holds a dead DC
  EXPECT_EQ(GraphicsPort::SetPen(world, nullptr, nullptr, nullptr, 2), kPlatformErrPortGdi);
  EXPECT_EQ(GraphicsPort::SetFillPattern(world, nullptr, nullptr, kChecker), kPlatformErrPortGdi);
  EXPECT_EQ(GraphicsPort::SetForeColor(world, &kRed), kPlatformErrPortGdi);
  ColorRecord colour{};
  EXPECT_EQ(GraphicsPort::GetBackColor(world, &colour), kPlatformErrPortGdi);
  const Rect r{0, 0, 2, 2};
  EXPECT_EQ(GraphicsPort::FillRect(world, &r), kPlatformErrPortGdi);
  EXPECT_EQ(GraphicsPort::GetClipRegion(world), nullptr);
  EXPECT_EQ(GraphicsPort::TextWidth(world, "a", 1), 0);
  EXPECT_EQ(GraphicsPort::InvalidateRect(world, &r), kPlatformErrBadData);  // bound to a caller's DC
  GraphicsPort::Dispose(world);
  EXPECT_EQ(GraphicsPort::CreateForDC(nullptr, false), nullptr);
  EXPECT_EQ(GraphicsPort::FillRect(nullptr, &r), kPlatformErrBadData);
}

class WindowPortTest : public testing::Test {
 protected:
  HWND MakeWindow(DWORD style) {
    HWND window = MakeTestWindow(style, 32, 24);
    EXPECT_NE(window, nullptr);
    return window;
  }
};

TEST_F(WindowPortTest, UpdateRegionOfAHiddenWindowIsLeftAlone) {
  HWND hidden = MakeWindow(0);
  PlatformWorld* world = GraphicsPort::CreateForWindow(hidden, true);
  ASSERT_NE(world, nullptr);
  EXPECT_EQ(world->port->window, hidden);
  const Rect r{0, 0, 5, 5};
  ::ValidateRect(hidden, nullptr);
  EXPECT_EQ(GraphicsPort::InvalidateRect(world, &r), kPlatformNoError);
  HRGN nothing = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(hidden, nothing, FALSE), NULLREGION);
  DeleteObject(nothing);
  EXPECT_EQ(GraphicsPort::ValidateRect(world, &r), kPlatformNoError);
  GraphicsPort::Dispose(world);
  HWND shown = MakeWindow(WS_VISIBLE);
  world = GraphicsPort::CreateForWindow(shown, false);
  ASSERT_NE(world, nullptr);
  ::ValidateRect(shown, nullptr);  // a window that was just shown needs all of its painting
  EXPECT_EQ(GraphicsPort::InvalidateRect(world, &r), kPlatformNoError);
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(shown, update, FALSE), SIMPLEREGION);
  RECT box{};
  GetRgnBox(update, &box);
  EXPECT_EQ(box.right, 5);
  DeleteObject(update);
  EXPECT_EQ(GraphicsPort::ValidateRect(world, &r), kPlatformNoError);
  GraphicsPort::Dispose(world);
  DestroyWindow(hidden);
  DestroyWindow(shown);
  EXPECT_EQ(GraphicsPort::CreateForWindow(hidden, false), nullptr);  // a window that is gone gives no DC
}

TEST_F(WindowPortTest, PixelMemoryFollowsWhatThePortDrawsAndTheOtherWayRound) {
  HWND window = MakeWindow(WS_VISIBLE);
  PlatformWorld* world = PlatformWorld::CreateForWindow(window);
  ASSERT_NE(world, nullptr);
  const Rect all{0, 0, 32, 24};
  ASSERT_EQ(GraphicsPort::SetFillPattern(world, &kWhite, nullptr, kSolidPattern), 0);
  ASSERT_EQ(GraphicsPort::FillRect(world, &all), kPlatformNoError);
  // Memory written by the blitter reaches the bitmap before GDI draws beside it ...
  SetStored(world, 1, 1, 0x0000FF);
  ASSERT_EQ(GraphicsPort::SetPen(world, &kRed, nullptr, nullptr, 1), kPlatformNoError);
  ASSERT_EQ(GraphicsPort::MoveTo(world, 0, 5), kPlatformNoError);
  ASSERT_EQ(GraphicsPort::LineTo(world, 10, 5), kPlatformNoError);
  // ... and what GDI drew reaches memory at the next bracket.
  EXPECT_EQ(GetStored(world, 3, 5) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(GetStored(world, 1, 1) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(GetStored(world, 3, 6) & 0xFFFFFF, 0xFFFFFFu);
  PlatformWorld::DisposeWindowWorld(world);
  DestroyWindow(window);
}

TEST_F(WindowPortTest, ObjectsThePortMadeAreDeletedAfterTheWorldIsRebuilt) {
  HWND window = MakeWindow(WS_VISIBLE);
  PlatformWorld* world = PlatformWorld::CreateForWindow(window);
  ASSERT_NE(world, nullptr);
  ASSERT_EQ(GraphicsPort::SetPen(world, &kRed, nullptr, nullptr, 3), kPlatformNoError);
  ASSERT_EQ(GraphicsPort::SetTextStyle(world, nullptr, "Arial", 0, 20, 0, -1), kPlatformNoError);
  HGDIOBJ pen = GetCurrentObject(world->port->dc, OBJ_PEN);
  HGDIOBJ font = GetCurrentObject(world->port->dc, OBJ_FONT);
  ASSERT_TRUE(MoveWindow(window, 0, 0, 40, 20, FALSE));
  uint8_t rebuilt = 0;
  ASSERT_EQ(PlatformWorld::BeginDrawing(world, nullptr, nullptr, &rebuilt), kPlatformNoError);
  PlatformWorld::EndDrawing(world, nullptr);
  EXPECT_EQ(rebuilt, 1);
  EXPECT_EQ(GetObjectType(pen), 0u);  // went with the old DC
  EXPECT_EQ(GetObjectType(font), 0u);
  ASSERT_EQ(GraphicsPort::SetPen(world, &kBlue, nullptr, nullptr, 1), kPlatformNoError);
  pen = GetCurrentObject(world->port->dc, OBJ_PEN);
  PlatformWorld::DisposeWindowWorld(world);
  EXPECT_EQ(GetObjectType(pen), 0u);
  DestroyWindow(window);
}

TEST_F(PortTest, CopyWorldDrawsASourceIntoThePort) {
  WorldPtr source = MakeSurface(4, 3, 32);
  FillStored(source.get(), 0x00FF00);
  SetStored(source.get(), 0, 0, 0x0000FF);
  const Rect dest{5, 6, 9, 9};
  ASSERT_EQ(GraphicsPort::CopyWorld(world_, &dest, source.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(canvas_.At(5, 6), kBlueRef);
  EXPECT_EQ(canvas_.At(8, 8), RGB(0, 255, 0));
  EXPECT_EQ(canvas_.At(9, 8), 0xFFFFFFu);
  const Rect part{1, 1, 3, 2};
  const Rect at{0, 0, 2, 1};
  ASSERT_EQ(GraphicsPort::CopyWorld(world_, &at, source.get(), nullptr, nullptr, &part), kPlatformNoError);
  EXPECT_EQ(Row(0, RGB(0, 255, 0)).substr(0, 3), "##.");
  EXPECT_EQ(GraphicsPort::CopyWorld(world_, &at, nullptr, nullptr, nullptr, nullptr), kPlatformErrBadData);
}

TEST_F(PortTest, TileWorldCoversTheAreaWithTilesOnMultiplesOfTheirSize) {
  // A 4 x 4 tile marked at its top-left pixel.
  WorldPtr tile = MakeSurface(4, 4, 32);
  FillStored(tile.get(), 0x00FF00);
  SetStored(tile.get(), 0, 0, 0xFF0000);
  const Rect area{5, 5, 11, 9};
  ASSERT_EQ(GraphicsPort::TileWorld(world_, &area, nullptr, tile.get(), nullptr, nullptr), kPlatformNoError);
  // Columns 4 to 12 and rows 4 to 12: the tiles holding the area, whole.
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 24; ++x) {
      const bool covered = x >= 4 && x < 12 && y >= 4 && y < 12;
      const COLORREF expected = !covered ? 0xFFFFFF : (x % 4 == 0 && y % 4 == 0) ? kRedRef : RGB(0, 255, 0);
      EXPECT_EQ(canvas_.At(x, y), expected) << x << "," << y;
    }
  }
  // With an origin the tiles shift, and the origin comes back afterwards.
  const Point origin{1, 0};
  const Rect small{0, 0, 1, 1};
  ASSERT_EQ(GraphicsPort::TileWorld(world_, &small, &origin, tile.get(), nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(canvas_.At(1, 0), kRedRef);
  EXPECT_EQ(canvas_.At(0, 0), 0xFFFFFFu);
  POINT now{};
  GetViewportOrgEx(canvas_.dc(), &now);
  EXPECT_EQ(now.x, 0);
  // Without an area the whole device is tiled.
  ASSERT_EQ(GraphicsPort::TileWorld(world_, nullptr, nullptr, tile.get(), nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(canvas_.Count(0xFFFFFF), 0);
}

TEST_F(PortTest, TileWorldTakesTheAreaBeforeSettingTheOrigin) {
  WorldPtr tile = MakeSurface(4, 4, 32);
  FillStored(tile.get(), 0x00FF00);
  SetStored(tile.get(), 0, 0, 0xFF0000);
  const Rect clip{0, 0, 4, 4};
  ASSERT_EQ(GraphicsPort::ClipToRect(world_, &clip), kPlatformNoError);
  // The area (2, 0, 4, 4) within the clip's box (0, 0, 4, 4), both taken at the origin (0, 0): the tile at (0, 0)
  // is drawn, then moved by the new origin to device columns 2 to 5, of which the clip shows 2 and 3.
  const Rect area{2, 0, 4, 4};
  const Point origin{2, 0};
  ASSERT_EQ(GraphicsPort::TileWorld(world_, &area, &origin, tile.get(), nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(Row(0, kRedRef).substr(0, 6), "..#?..");  // the tile's marked corner, then green
  EXPECT_EQ(Row(3, RGB(0, 255, 0)).substr(0, 6), "..##..");
}

TEST(PrintJob, DisposalEndsTheJobUnlocksItsSettingsAndDeletesItsDc) {
  GraphicsPort* port = nullptr;
  PrintDeviceRecord* device = nullptr;
  PlatformWorld* world = PlatformWorld::Create(&port, &device, nullptr);
  ASSERT_NE(world, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  device->dc = dc;
  device->documentStarted = 1;
  device->result = kPlatformErrCancelled;
  // The printer settings, locked once by the caller and once for the job.
  HGLOBAL settings = GlobalAlloc(GMEM_MOVEABLE, 64);
  ASSERT_NE(settings, nullptr);
  GlobalLock(settings);
  GlobalLock(settings);
  device->settings = settings;
  CountPrintJobStarted();
  const int32_t jobs = PrintJobCount();
  EXPECT_EQ(PlatformWorld::Dispose(world), kPlatformErrCancelled);
  EXPECT_EQ(GetObjectType(dc), 0u);
  EXPECT_EQ(PrintJobCount(), jobs - 1);
  // The job's lock is gone: the caller's own unlock is the last one.
  EXPECT_EQ(GlobalUnlock(settings), FALSE);
  GlobalFree(settings);
}

}  // namespace
