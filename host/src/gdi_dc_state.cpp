// The drawing state of device contexts: saving and restoring it, background mode, mixing, text alignment, the viewport
// origin and coordinate mapping, the clip region and the current position.
#include <limits>
#include <type_traits>

#include "gdi_internal.h"

using namespace host::gdi;

namespace {

DeviceContext* FindDC(HDC hdc) { return Find<DeviceContext>(hdc); }

// Adds the origin to (or takes it from) each point; FALSE when a result would leave the 32-bit range.
BOOL MapPoints(HDC hdc, LPPOINT points, int count, int direction) {
  auto lock = LockObjects();
  DeviceContext* dc = FindDC(hdc);
  if (dc == nullptr || count < 0 || (points == nullptr && count > 0)) return FALSE;
  const POINT origin = dc->state.viewportOrigin;
  for (int i = 0; i < count; ++i) {
    const int64_t x = int64_t{points[i].x} + direction * int64_t{origin.x};
    const int64_t y = int64_t{points[i].y} + direction * int64_t{origin.y};
    if (x < std::numeric_limits<LONG>::min() || x > std::numeric_limits<LONG>::max() ||
        y < std::numeric_limits<LONG>::min() || y > std::numeric_limits<LONG>::max()) {
      return FALSE;
    }
    points[i] = {static_cast<LONG>(x), static_cast<LONG>(y)};
  }
  return TRUE;
}

// Reads a state field and, when a value is given and valid, sets it; `failure` for a bad DC or value.
template <typename T>
T ExchangeField(HDC hdc, T DrawingState::*field, const std::type_identity_t<T>* value, bool valid, T failure) {
  auto lock = LockObjects();
  DeviceContext* dc = FindDC(hdc);
  if (dc == nullptr || !valid) return failure;
  const T previous = dc->state.*field;
  if (value != nullptr) dc->state.*field = *value;
  return previous;
}

}  // namespace

int SaveDC(HDC hdc) {
  auto lock = LockObjects();
  DeviceContext* dc = FindDC(hdc);
  // A bound keeps a runaway caller from growing the stack without end.
  constexpr size_t kMaxSaved = 4096;
  if (dc == nullptr || dc->saved.size() >= kMaxSaved) return 0;
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int savedDc) {
  auto lock = LockObjects();
  DeviceContext* dc = FindDC(hdc);
  if (dc == nullptr || savedDc == 0) return FALSE;
  const int64_t depth = static_cast<int64_t>(dc->saved.size());
  const int64_t level = savedDc > 0 ? savedDc : depth + 1 + savedDc;
  if (level < 1 || level > depth) return FALSE;
  dc->state = dc->saved[static_cast<size_t>(level - 1)];
  dc->saved.resize(static_cast<size_t>(level - 1));
  return TRUE;
}

int SetBkMode(HDC hdc, int mode) {
  return ExchangeField(hdc, &DrawingState::backMode, &mode, mode == TRANSPARENT || mode == OPAQUE, 0);
}

int GetBkMode(HDC hdc) { return ExchangeField(hdc, &DrawingState::backMode, nullptr, true, 0); }

// Lines and fills are only ever copied; other mixes are refused rather than drawn wrongly.
int SetROP2(HDC hdc, int mode) { return ExchangeField(hdc, &DrawingState::rop2, &mode, mode == R2_COPYPEN, 0); }

UINT SetTextAlign(HDC hdc, UINT align) {
  const bool known = (align & ~(TA_UPDATECP | TA_CENTER | TA_BASELINE)) == 0;
  return ExchangeField(hdc, &DrawingState::textAlign, &align, known, static_cast<UINT>(GDI_ERROR));
}

UINT GetTextAlign(HDC hdc) { return ExchangeField(hdc, &DrawingState::textAlign, nullptr, true, static_cast<UINT>(GDI_ERROR)); }

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  auto lock = LockObjects();
  DeviceContext* dc = FindDC(hdc);
  if (dc == nullptr) return FALSE;
  if (previous != nullptr) *previous = dc->state.viewportOrigin;
  dc->state.viewportOrigin = {x, y};
  return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin) {
  auto lock = LockObjects();
  DeviceContext* dc = FindDC(hdc);
  if (dc == nullptr || origin == nullptr) return FALSE;
  *origin = dc->state.viewportOrigin;
  return TRUE;
}

BOOL DPtoLP(HDC hdc, LPPOINT points, int count) { return MapPoints(hdc, points, count, -1); }
BOOL LPtoDP(HDC hdc, LPPOINT points, int count) { return MapPoints(hdc, points, count, 1); }

int SelectClipRgn(HDC hdc, HRGN region) {
  auto lock = LockObjects();
  DeviceContext* dc = FindDC(hdc);
  if (dc == nullptr) return ERROR;
  if (region == nullptr) {
    dc->state.clip.reset();
    return SIMPLEREGION;
  }
  auto* object = Find<RegionObject>(region);
  if (object == nullptr) return ERROR;
  dc->state.clip = std::make_shared<const Region>(object->region);
  return dc->state.clip->Type();
}

int GetClipRgn(HDC hdc, HRGN region) {
  auto lock = LockObjects();
  DeviceContext* dc = FindDC(hdc);
  auto* object = Find<RegionObject>(region);
  if (dc == nullptr || object == nullptr) return -1;
  if (!dc->state.clip) return 0;
  object->region = *dc->state.clip;
  return 1;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
  auto lock = LockObjects();
  DeviceContext* dc = FindDC(hdc);
  if (dc == nullptr) return FALSE;
  if (previous != nullptr) *previous = dc->state.position;
  dc->state.position = {x, y};
  if (dc->pathMode == DeviceContext::PathMode::kRecording) {
    // A move starts a new figure (a figure of one point is dropped when it gets no line).
    if (!dc->path.empty() && dc->path.back().points.size() == 1) dc->path.pop_back();
    const int64_t dx = int64_t{x} + dc->state.viewportOrigin.x, dy = int64_t{y} + dc->state.viewportOrigin.y;
    dc->path.push_back({{DevicePoint{dx, dy}}});
  }
  return TRUE;
}
