// Lines, pens, brushes, paths, rectangles, clipping, coordinates and saved states of the drawing layer, checked on the
// pixels of small DIB sections.
#include <gtest/gtest.h>

#include "gdi_test_helpers.h"

namespace {

using gdi_test::Canvas;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

struct LineCase {
  const char* name;
  POINT from;
  POINT to;
  std::vector<std::string> rows;  // the top rows of an 8 x 5 canvas after the line
};

TEST(GdiLines, CosmeticLinesStopBeforeTheirEnd) {
  const LineCase cases[] = {
      {"horizontal", {1, 1}, {6, 1}, {"........", ".#####..", "........"}},
      {"leftwards", {6, 1}, {1, 1}, {"........", "..#####.", "........"}},
      {"vertical", {2, 0}, {2, 3}, {"..#.....", "..#.....", "..#.....", "........"}},
      {"diagonal", {0, 0}, {4, 4}, {"#.......", ".#......", "..#.....", "...#....", "........"}},
      {"shallow", {0, 0}, {6, 2}, {"##......", "..###...", ".....#..", "........"}},
      {"zero length", {3, 3}, {3, 3}, {"........", "........", "........", "........"}},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(8, 5);
    ASSERT_TRUE(MoveToEx(canvas.dc(), c.from.x, c.from.y, nullptr));
    ASSERT_TRUE(LineTo(canvas.dc(), c.to.x, c.to.y));
    for (size_t y = 0; y < c.rows.size(); ++y) EXPECT_EQ(canvas.Row(static_cast<int>(y)), c.rows[y]) << "row " << y;
    POINT position{};
    MoveToEx(canvas.dc(), 0, 0, &position);
    EXPECT_EQ(position.x, c.to.x);
    EXPECT_EQ(position.y, c.to.y);
  }
}

TEST(GdiLines, WidePensCoverHalfTheirWidthWithRoundEnds) {
  Canvas canvas(14, 9);
  HPEN pen = CreatePen(PS_SOLID, 5, kRed);
  HGDIOBJ old = SelectObject(canvas.dc(), pen);
  ASSERT_NE(old, nullptr);
  MoveToEx(canvas.dc(), 3, 4, nullptr);
  LineTo(canvas.dc(), 9, 4);
  EXPECT_EQ(canvas.Row(1, kRed), "..............");
  EXPECT_EQ(canvas.Row(2, kRed),
            "..#########...");  // the round ends leave the outer corners clear
  EXPECT_EQ(canvas.Row(3, kRed),
            ".###########..");  // the ends reach two pixels past both points
  EXPECT_EQ(canvas.Row(4, kRed), ".###########..");
  EXPECT_EQ(canvas.Row(5, kRed), ".###########..");
  EXPECT_EQ(canvas.Row(6, kRed), "..#########...");
  EXPECT_EQ(canvas.Row(7, kRed), "..............");
  SelectObject(canvas.dc(), old);
  EXPECT_TRUE(DeleteObject(pen));
}

TEST(GdiLines, LinesClipToTheBitmapWithoutWalkingFarCoordinates) {
  Canvas canvas(8, 3);
  SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
  MoveToEx(canvas.dc(), -2000000000, 1, nullptr);
  LineTo(canvas.dc(), 2000000000, 1);
  EXPECT_EQ(canvas.Row(1), "########");
  EXPECT_EQ(canvas.Row(0), "........");
}

TEST(GdiLines, WideLinesAndPathsAtFarCoordinatesOnlyTouchTheBitmap) {
  Canvas canvas(8, 6);
  HPEN pen = CreatePen(PS_SOLID, 3, 0);
  SelectObject(canvas.dc(), pen);
  SelectObject(canvas.dc(), GetStockObject(BLACK_BRUSH));
  MoveToEx(canvas.dc(), INT32_MIN, 1, nullptr);
  LineTo(canvas.dc(), INT32_MAX, 1);
  EXPECT_EQ(canvas.Row(0), "########");
  EXPECT_EQ(canvas.Row(2), "########");
  EXPECT_EQ(canvas.Row(3), "........");
  SetViewportOrgEx(canvas.dc(), INT32_MAX, INT32_MAX, nullptr);  // logical plus origin passes 32 bits
  BeginPath(canvas.dc());
  MoveToEx(canvas.dc(), INT32_MIN, INT32_MIN, nullptr);
  LineTo(canvas.dc(), INT32_MAX, INT32_MIN);
  LineTo(canvas.dc(), INT32_MAX, INT32_MAX);
  LineTo(canvas.dc(), INT32_MIN, INT32_MAX);
  EndPath(canvas.dc());
  ASSERT_TRUE(FillPath(canvas.dc()));
  EXPECT_EQ(canvas.Count(0), 8 * 6);
  SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiBrushes, FillRectUsesTheGivenBrushAndExcludesTheFarEdges) {
  Canvas canvas(6, 4);
  HBRUSH brush = CreateSolidBrush(kBlue);
  const RECT r{1, 1, 4, 3};
  EXPECT_NE(FillRect(canvas.dc(), &r, brush), 0);
  EXPECT_EQ(canvas.Row(0, kBlue), "......");
  EXPECT_EQ(canvas.Row(1, kBlue), ".###..");
  EXPECT_EQ(canvas.Row(2, kBlue), ".###..");
  EXPECT_EQ(canvas.Row(3, kBlue), "......");
  const RECT inverted{4, 1, 1, 3};
  EXPECT_NE(FillRect(canvas.dc(), &inverted, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(canvas.Count(0), 0);
  DeleteObject(brush);
}

// An 8 x 8 monochrome pattern with only its top-left bit clear: one text-coloured pixel every 8 in each direction.
HBRUSH CornerPatternBrush() {
  uint8_t rows[16];
  for (int y = 0; y < 8; ++y) {
    rows[2 * y] = y == 0 ? 0x7F : 0xFF;
    rows[2 * y + 1] = 0;
  }
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH brush = CreatePatternBrush(pattern);
  DeleteObject(pattern);  // the brush keeps its own copy
  return brush;
}

TEST(GdiBrushes, PatternsRepeatFromTheDeviceOriginInTheDcColours) {
  Canvas canvas(20, 20);
  HBRUSH brush = CornerPatternBrush();
  ASSERT_NE(brush, nullptr);
  SetTextColor(canvas.dc(), kRed);
  SetBkColor(canvas.dc(), kBlue);
  // Two fills starting at different points share one phase: the pattern's corner lands on multiples of 8.
  const RECT a{3, 3, 10, 20}, b{10, 3, 20, 20};
  FillRect(canvas.dc(), &a, brush);
  FillRect(canvas.dc(), &b, brush);
  for (int y = 3; y < 20; ++y) {
    for (int x = 3; x < 20; ++x) {
      EXPECT_EQ(canvas.At(x, y), (x % 8 == 0 && y % 8 == 0) ? kRed : kBlue) << x << "," << y;
    }
  }
  // Moving the viewport moves the fill, not the phase.
  Canvas moved(20, 20);
  SetTextColor(moved.dc(), kRed);
  SetBkColor(moved.dc(), kBlue);
  SetViewportOrgEx(moved.dc(), 3, 5, nullptr);
  const RECT c{0, 0, 12, 12};
  FillRect(moved.dc(), &c, brush);
  EXPECT_EQ(moved.At(8, 8), kRed);
  EXPECT_EQ(moved.At(3, 5), kBlue);
  EXPECT_EQ(moved.At(2, 5), 0xFFFFFF);
  DeleteObject(brush);
}

TEST(GdiBrushes, InvertRectFlipsEveryBitInside) {
  Canvas canvas(4, 2);
  SetPixelV(canvas.dc(), 1, 0, RGB(0x12, 0x34, 0x56));
  const RECT r{1, 0, 3, 1};
  EXPECT_TRUE(InvertRect(canvas.dc(), &r));
  EXPECT_EQ(canvas.At(1, 0), RGB(0xED, 0xCB, 0xA9));
  EXPECT_EQ(canvas.At(2, 0), 0x000000u);
  EXPECT_EQ(canvas.At(3, 0), 0xFFFFFFu);
  EXPECT_EQ(canvas.At(1, 1), 0xFFFFFFu);
}

TEST(GdiPaths, WidenedPathFillsWithTheBrush) {
  Canvas canvas(12, 7);
  HPEN pen = CreatePen(PS_SOLID, 3, kRed);
  SelectObject(canvas.dc(), pen);
  SelectObject(canvas.dc(), GetStockObject(BLACK_BRUSH));
  ASSERT_TRUE(BeginPath(canvas.dc()));
  MoveToEx(canvas.dc(), 2, 3, nullptr);
  LineTo(canvas.dc(), 8, 3);
  EXPECT_EQ(canvas.Count(kRed), 0);  // recorded, not drawn
  ASSERT_TRUE(EndPath(canvas.dc()));
  ASSERT_TRUE(WidenPath(canvas.dc()));
  ASSERT_TRUE(FillPath(canvas.dc()));
  // Width 3 covers the 3 x 9 block round the segment (the end pixels' diagonal neighbours lie within 1.5).
  EXPECT_EQ(canvas.Row(1), "............");
  EXPECT_EQ(canvas.Row(2), ".#########..");
  EXPECT_EQ(canvas.Row(4), ".#########..");
  EXPECT_EQ(canvas.Row(5), "............");
  EXPECT_EQ(canvas.Count(kRed), 0);     // the brush paints, not the pen
  EXPECT_FALSE(FillPath(canvas.dc()));  // the path is used up
  SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiPaths, PlainPathFillsItsInside) {
  Canvas canvas(8, 6);
  SelectObject(canvas.dc(), GetStockObject(BLACK_BRUSH));
  BeginPath(canvas.dc());
  MoveToEx(canvas.dc(), 1, 1, nullptr);
  LineTo(canvas.dc(), 5, 1);
  LineTo(canvas.dc(), 5, 4);
  LineTo(canvas.dc(), 1, 4);
  EndPath(canvas.dc());
  ASSERT_TRUE(FillPath(canvas.dc()));
  EXPECT_EQ(canvas.Row(0), "........");
  EXPECT_EQ(canvas.Row(1), ".####...");
  EXPECT_EQ(canvas.Row(3), ".####...");
  EXPECT_EQ(canvas.Row(4), "........");
}

TEST(GdiPaths, OutOfOrderCallsFail) {
  Canvas canvas(4, 4);
  EXPECT_FALSE(EndPath(canvas.dc()));
  EXPECT_FALSE(WidenPath(canvas.dc()));
  EXPECT_FALSE(FillPath(canvas.dc()));
  BeginPath(canvas.dc());
  EXPECT_FALSE(WidenPath(canvas.dc()));  // still recording
}

TEST(GdiClipping, DrawingStaysInsideTheClipRegion) {
  Canvas canvas(8, 4);
  HRGN left = CreateRectRgn(0, 0, 3, 4);
  HRGN right = CreateRectRgn(5, 0, 8, 4);
  CombineRgn(left, left, right, RGN_OR);
  EXPECT_EQ(SelectClipRgn(canvas.dc(), left), COMPLEXREGION);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(canvas.dc(), copy), 1);
  EXPECT_EQ(CombineRgn(copy, copy, left, RGN_XOR), NULLREGION);
  const RECT all{0, 0, 8, 4};
  FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  MoveToEx(canvas.dc(), 0, 0, nullptr);
  LineTo(canvas.dc(), 8, 0);
  EXPECT_EQ(canvas.Row(0), "###..###");
  EXPECT_EQ(canvas.Row(3), "###..###");
  EXPECT_EQ(SelectClipRgn(canvas.dc(), nullptr), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(canvas.dc(), copy), 0);
  SetPixelV(canvas.dc(), 3, 1, 0);
  EXPECT_EQ(canvas.Row(1), "####.###");
  DeleteObject(left);
  DeleteObject(right);
  DeleteObject(copy);
}

TEST(GdiCoordinates, ViewportOriginMovesDrawingAndMapsPoints) {
  Canvas canvas(6, 6);
  POINT previous{-1, -1};
  ASSERT_TRUE(SetViewportOrgEx(canvas.dc(), 2, 3, &previous));
  EXPECT_EQ(previous.x, 0);
  SetPixelV(canvas.dc(), 1, 1, 0);
  EXPECT_EQ(canvas.At(3, 4), 0u);
  POINT p[2] = {{1, 1}, {-2, -3}};
  ASSERT_TRUE(LPtoDP(canvas.dc(), p, 2));
  EXPECT_EQ(p[0].x, 3);
  EXPECT_EQ(p[0].y, 4);
  EXPECT_EQ(p[1].x, 0);
  ASSERT_TRUE(DPtoLP(canvas.dc(), p, 2));
  EXPECT_EQ(p[1].y, -3);
  POINT far{0x7FFFFFFF, 0};
  EXPECT_FALSE(LPtoDP(canvas.dc(), &far, 1));  // would leave the 32-bit range
}

TEST(GdiSavedStates, RestoreBringsBackObjectsColoursClipOriginAndPosition) {
  Canvas canvas(6, 2);
  HDC dc = canvas.dc();
  SetTextColor(dc, kRed);
  const int level = SaveDC(dc);
  ASSERT_EQ(level, 1);
  HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
  SelectObject(dc, pen);
  SetTextColor(dc, kBlue);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_RIGHT | TA_UPDATECP);
  SetViewportOrgEx(dc, 1, 0, nullptr);
  HRGN clip = CreateRectRgn(0, 0, 1, 1);
  SelectClipRgn(dc, clip);
  MoveToEx(dc, 4, 1, nullptr);
  EXPECT_EQ(SaveDC(dc), 2);
  ASSERT_TRUE(RestoreDC(dc, -2));  // back past both saves
  EXPECT_FALSE(RestoreDC(dc, 1));  // the stack is empty again
  EXPECT_EQ(GetTextColor(dc), kRed);
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetTextAlign(dc), TA_LEFT | TA_TOP | TA_NOUPDATECP);
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(GetClipRgn(dc, clip), 0);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 6, 0);
  EXPECT_EQ(canvas.Row(0), "######");  // the default black pen, no clip
  EXPECT_TRUE(DeleteObject(pen));
  DeleteObject(clip);
}

TEST(GdiObjects, DeletedSelectionsFallBackToStockAndBadArgumentsFail) {
  Canvas canvas(4, 1);
  HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
  SelectObject(canvas.dc(), pen);
  ASSERT_TRUE(DeleteObject(pen));
  LineTo(canvas.dc(), 4, 0);
  EXPECT_EQ(canvas.Row(0), "####");
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), OBJ_BRUSH);
  EXPECT_EQ(GetObjectType(GetStockObject(ANSI_VAR_FONT)), OBJ_FONT);
  EXPECT_EQ(GetStockObject(3), nullptr);
  EXPECT_EQ(CreatePen(3, 1, 0), nullptr);  // dashes are not drawn
  EXPECT_EQ(SetROP2(canvas.dc(), 6), 0);
  EXPECT_EQ(SetROP2(canvas.dc(), R2_COPYPEN), R2_COPYPEN);
  EXPECT_FALSE(RestoreDC(canvas.dc(), 0));
  EXPECT_FALSE(LineTo(nullptr, 1, 1));
  EXPECT_EQ(FillRect(canvas.dc(), nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  const LOGBRUSH dashed{BS_SOLID, 0, 0};
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | 1, 3, &dashed, 0, nullptr), nullptr);
}

TEST(GdiPens, GeometricPatternPenPaintsItsPattern) {
  Canvas canvas(16, 5);
  uint8_t rows[16] = {};  // all bits 0: the text colour everywhere
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
  const LOGBRUSH brush{BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(pattern)};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC, 3, &brush, 0, nullptr);
  ASSERT_NE(pen, nullptr);
  SetTextColor(canvas.dc(), kRed);
  SelectObject(canvas.dc(), pen);
  MoveToEx(canvas.dc(), 2, 2, nullptr);
  LineTo(canvas.dc(), 12, 2);
  EXPECT_EQ(canvas.Row(2, kRed), ".#############..");
  SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  DeleteObject(pattern);
}

}  // namespace
