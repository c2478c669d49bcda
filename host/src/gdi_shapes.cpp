// Lines, pixels, paths and rectangles drawn with a device context's pen and brush.
//
// Pixel centres are the integer coordinates. A cosmetic pen (solid, width 0 or 1) draws the one-pixel line from the
// current position up to, but not including, the end point, so consecutive lines meet without overdrawing. Wider and
// geometric pens cover every pixel within half the width of the segment, ends included and rounded, which is also the
// area WidenPath gives a path.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gdi_internal.h"
#include "gdi_paint.h"

using namespace host::gdi;

namespace {

DevicePoint ToDevice(const DeviceContext& dc, int x, int y) {
  return {int64_t{x} + dc.state.viewportOrigin.x, int64_t{y} + dc.state.viewportOrigin.y};
}

void DrawSegment(DeviceContext* dc, const DevicePoint& a, const DevicePoint& b) {
  const Pen* pen = dc->CurrentPen();
  if (pen->null) return;
  Painter painter(dc);
  if (!painter.Ready()) return;
  if (!pen->geometric && pen->width <= 1) {
    painter.ThinLine(a.x, a.y, b.x, b.y, painter.Encode(pen->paint.color));
    return;
  }
  const PaintSource paint(pen->paint, *dc, painter.Layout());
  painter.FillCapsule(a.x, a.y, b.x, b.y, std::max<int64_t>(pen->width, 1), paint);
}

// Fills the figures by the alternate rule: a pixel is inside when a ray from its centre crosses the outline an odd
// number of times. Figures are closed implicitly.
void FillFigures(Painter& painter, const std::vector<PathFigure>& figures, const PaintSource& paint) {
  struct Edge {
    DevicePoint a, b;
  };
  std::vector<Edge> edges;
  int64_t top = INT64_MAX, bottom = INT64_MIN;
  for (const PathFigure& f : figures) {
    for (size_t i = 0; i < f.points.size(); ++i) {
      const DevicePoint& a = f.points[i];
      const DevicePoint& b = f.points[(i + 1) % f.points.size()];
      top = std::min(top, a.y);
      bottom = std::max(bottom, a.y);
      if (a.y != b.y) edges.push_back({a, b});
    }
  }
  if (edges.empty()) return;
  top = std::max<int64_t>(top, painter.Box().top);
  bottom = std::min<int64_t>(bottom + 1, painter.Box().bottom);
  std::vector<double> crossings;
  for (int64_t y = top; y < bottom; ++y) {
    crossings.clear();
    for (const Edge& e : edges) {
      const bool spans = (e.a.y <= y && y < e.b.y) || (e.b.y <= y && y < e.a.y);
      if (!spans) continue;
      crossings.push_back(static_cast<double>(e.a.x) + static_cast<double>(y - e.a.y) *
                                                           static_cast<double>(e.b.x - e.a.x) /
                                                           static_cast<double>(e.b.y - e.a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      const double lo = std::clamp(crossings[i], -1e15, 1e15), hi = std::clamp(crossings[i + 1], -1e15, 1e15);
      painter.FillSpan(y, static_cast<int64_t>(std::ceil(lo)), static_cast<int64_t>(std::ceil(hi)), paint);
    }
  }
}

// Calls span(y, left, right) for each device row of a logical rectangle inside the drawable box (right and bottom
// excluded; an inverted rectangle covers nothing).
template <typename Span>
void ForRectRows(const DeviceContext& dc, const Painter& painter, const RECT& rect, Span span) {
  const DevicePoint a = ToDevice(dc, rect.left, rect.top), b = ToDevice(dc, rect.right, rect.bottom);
  const int64_t top = std::max<int64_t>(a.y, painter.Box().top);
  const int64_t bottom = std::min<int64_t>(b.y, painter.Box().bottom);
  for (int64_t y = top; y < bottom; ++y) span(y, a.x, b.x);
}

}  // namespace

BOOL LineTo(HDC hdc, int x, int y) {
  auto lock = LockObjects();
  DeviceContext* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr) return FALSE;
  const DevicePoint from = ToDevice(*dc, dc->state.position.x, dc->state.position.y);
  const DevicePoint to = ToDevice(*dc, x, y);
  dc->state.position = {x, y};
  if (dc->pathMode == DeviceContext::PathMode::kRecording) {
    if (dc->path.empty()) dc->path.push_back({{from}});
    dc->path.back().points.push_back(to);
    return TRUE;
  }
  DrawSegment(dc, from, to);
  return TRUE;
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) {
  auto lock = LockObjects();
  DeviceContext* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr) return FALSE;
  Painter painter(dc);
  const DevicePoint p = ToDevice(*dc, x, y);
  if (painter.Ready()) painter.Plot(p.x, p.y, painter.Encode(color));
  return TRUE;
}

BOOL BeginPath(HDC hdc) {
  auto lock = LockObjects();
  DeviceContext* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr) return FALSE;
  dc->path.clear();
  dc->pathWidth = -1;
  dc->pathMode = DeviceContext::PathMode::kRecording;
  return TRUE;
}

BOOL EndPath(HDC hdc) {
  auto lock = LockObjects();
  DeviceContext* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr || dc->pathMode != DeviceContext::PathMode::kRecording) return FALSE;
  dc->pathMode = DeviceContext::PathMode::kClosed;
  return TRUE;
}

BOOL WidenPath(HDC hdc) {
  auto lock = LockObjects();
  DeviceContext* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr || dc->pathMode != DeviceContext::PathMode::kClosed) return FALSE;
  const Pen* pen = dc->CurrentPen();
  if (pen->null) return FALSE;
  dc->pathWidth = std::max<int32_t>(pen->width, 1);
  return TRUE;
}

BOOL FillPath(HDC hdc) {
  auto lock = LockObjects();
  DeviceContext* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr || dc->pathMode != DeviceContext::PathMode::kClosed) return FALSE;
  std::vector<PathFigure> figures = std::move(dc->path);
  const int32_t width = dc->pathWidth;
  dc->path.clear();
  dc->pathMode = DeviceContext::PathMode::kNone;
  dc->pathWidth = -1;
  Painter painter(dc);
  if (!painter.Ready()) return TRUE;
  const PaintSource paint(dc->CurrentBrush()->paint, *dc, painter.Layout());
  if (width < 0) {
    FillFigures(painter, figures, paint);
    return TRUE;
  }
  // A widened path is the union of its segments' areas; painting each one covers the union.
  for (const PathFigure& f : figures) {
    if (f.points.size() == 1)
      painter.FillCapsule(f.points[0].x, f.points[0].y, f.points[0].x, f.points[0].y, width, paint);
    for (size_t i = 0; i + 1 < f.points.size(); ++i) {
      painter.FillCapsule(f.points[i].x, f.points[i].y, f.points[i + 1].x, f.points[i + 1].y, width, paint);
    }
  }
  return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH handle) {
  auto lock = LockObjects();
  DeviceContext* dc = Find<DeviceContext>(hdc);
  Brush* brush = Find<Brush>(handle);
  if (dc == nullptr || rect == nullptr || brush == nullptr) return 0;
  Painter painter(dc);
  if (!painter.Ready()) return 1;
  const PaintSource paint(brush->paint, *dc, painter.Layout());
  ForRectRows(*dc, painter, *rect, [&](int64_t y, int64_t x0, int64_t x1) { painter.FillSpan(y, x0, x1, paint); });
  return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect) {
  auto lock = LockObjects();
  DeviceContext* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr || rect == nullptr) return FALSE;
  Painter painter(dc);
  if (!painter.Ready()) return TRUE;
  ForRectRows(*dc, painter, *rect, [&](int64_t y, int64_t x0, int64_t x1) { painter.InvertSpan(y, x0, x1); });
  return TRUE;
}
