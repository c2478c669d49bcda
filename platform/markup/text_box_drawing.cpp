// Drawing read-only text boxes over the page and following their links: the rich-edit control renders its text
// into a cached bitmap, whose white becomes a mask so that only the letters reach the page; a press on a link
// inverts it while the pointer stays on it.
#include <algorithm>

#include "host/controls.h"
#include "host/gdi.h"
#include "host/user.h"
#include "platform/core/strings.h"
#include "platform/markup/element_support.h"

using Data = TextBoxElement::Data;

namespace {

constexpr DWORD kClearWhereMasked = 0x00220326;  // destination AND NOT source
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

int32_t ScreenDepth() {
  HDC screen = GetDC(nullptr);
  const int32_t depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  return depth;
}

const TextBoxLink* LinkAt(const Data* box, int32_t index) {
  const uint32_t count = box->links != nullptr ? PlatformHandle::GetSize(box->links) / sizeof(TextBoxLink) : 0;
  for (uint32_t i = 0; i < count; ++i) {
    const TextBoxLink& link = static_cast<const TextBoxLink*>(box->links->data)[i];
    if (index >= link.start && index < link.start + link.length) return &link;
  }
  return nullptr;
}

// The link's area in control coordinates: from its start to the right edge on its first line, the full width of
// the lines between, and from the left edge to its end on its last line; one rectangle when it lies on one line.
void LinkArea(const Data* box, const TextBoxLink& link, RECT rects[3]) {
  RECT client{};
  GetClientRect(box->control, &client);
  const POINT start = GetRichEditCharPosition(box->control, link.start, box->rich20);
  const POINT end = GetRichEditCharPosition(box->control, link.start + link.length, box->rich20);
  const LONG height = link.height;
  rects[1] = rects[2] = RECT{0, 0, 0, 0};
  if (end.y == start.y) {
    rects[0] = RECT{start.x - 2, start.y, end.x, start.y + height};
    return;
  }
  rects[0] = RECT{start.x - 2, start.y, client.right, start.y + height};
  rects[1] = RECT{client.left, start.y + height, client.right, end.y};
  rects[2] = RECT{client.left, end.y, end.x, end.y + height};
}

bool InArea(const RECT rects[3], POINT point) {
  for (int i = 0; i < 3; ++i) {
    const RECT& r = rects[i];
    if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) return true;
  }
  return false;
}

}  // namespace

void TextBoxElement::FreeDrawingCache(Data* box) {
  if (box->cacheDc != nullptr) {
    SelectObject(box->cacheDc, box->cacheOldBitmap);
    DeleteDC(box->cacheDc);
  }
  if (box->cacheBitmap != nullptr) DeleteObject(box->cacheBitmap);
  if (box->maskDc != nullptr) {
    SelectObject(box->maskDc, box->maskOldBitmap);
    DeleteDC(box->maskDc);
  }
  if (box->maskBitmap != nullptr) DeleteObject(box->maskBitmap);
  box->cacheDc = box->maskDc = nullptr;
  box->cacheBitmap = box->maskBitmap = nullptr;
  box->cacheOldBitmap = box->maskOldBitmap = nullptr;
  box->cacheDepth = 0;
  box->cacheRect = RECT{0, 0, 0, 0};
}

PlatformError TextBoxElement::PrepareDrawingCache(Data* box) {
  RECT client{};
  GetClientRect(box->control, &client);
  const int32_t depth = ScreenDepth();
  if (depth != box->cacheDepth || client.right != box->cacheRect.right || client.bottom != box->cacheRect.bottom ||
      client.left != box->cacheRect.left || client.top != box->cacheRect.top) {
    FreeDrawingCache(box);
  }
  if (box->cacheDc != nullptr) return kPlatformNoError;
  HDC screen = GetDC(nullptr);
  box->cacheDc = CreateCompatibleDC(screen);
  box->cacheBitmap = CreateCompatibleBitmap(screen, client.right - client.left, client.bottom - client.top);
  box->maskDc = CreateCompatibleDC(screen);
  box->maskBitmap = CreateBitmap(client.right - client.left, client.bottom - client.top, 1, 1, nullptr);
  ReleaseDC(nullptr, screen);
  if (box->cacheDc == nullptr || box->cacheBitmap == nullptr || box->maskDc == nullptr || box->maskBitmap == nullptr) {
    FreeDrawingCache(box);
    return kPlatformErrNoMemory;
  }
  box->cacheOldBitmap = SelectObject(box->cacheDc, box->cacheBitmap);
  box->maskOldBitmap = SelectObject(box->maskDc, box->maskBitmap);
  box->cacheDepth = depth;
  box->cacheRect = client;
  return kPlatformNoError;
}

PlatformError TextBoxElement::DrawTransparent(Data* box, HDC dc) {
  if (box->control == nullptr || dc == nullptr) return kPlatformNoError;
  PlatformError error = PrepareDrawingCache(box);
  if (error != kPlatformNoError) return error;
  const int width = box->cacheRect.right - box->cacheRect.left;
  const int height = box->cacheRect.bottom - box->cacheRect.top;
  if (width <= 0 || height <= 0) return kPlatformNoError;
  const RECT all{0, 0, width, height};
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  FillRect(box->cacheDc, &all, white);
  FillRect(box->maskDc, &all, white);
  FORMATRANGE range{};
  range.hdc = range.hdcTarget = box->cacheDc;
  range.rc = RECT{0, 0, width * 1440 / GetDeviceCaps(box->cacheDc, LOGPIXELSX),
                  height * 1440 / GetDeviceCaps(box->cacheDc, LOGPIXELSY)};
  range.rcPage = range.rc;
  range.chrg = CHARRANGE{0, -1};
  SendMessageA(box->control, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  SendMessageA(box->control, EM_FORMATRANGE, FALSE, 0);
  // The mask is 1 where the text left white; the colour bitmap is cleared there; the page keeps its pixels under
  // the mask and takes the letters.
  SetBkColor(box->cacheDc, kWhite);
  SetTextColor(box->cacheDc, kBlack);
  if (!BitBlt(box->maskDc, 0, 0, width, height, box->cacheDc, 0, 0, SRCCOPY) ||
      !BitBlt(box->cacheDc, 0, 0, width, height, box->maskDc, 0, 0, kClearWhereMasked)) {
    return kPlatformErrNoMemory;
  }
  element_support::DrawingPort port(dc);
  port.BeginRaw();
  const int saved = SaveDC(dc);
  SetTextColor(dc, kBlack);
  SetBkColor(dc, kWhite);
  const bool drawn = BitBlt(dc, box->rect.left, box->rect.top, width, height, box->maskDc, 0, 0, SRCAND) &&
                     BitBlt(dc, box->rect.left, box->rect.top, width, height, box->cacheDc, 0, 0, SRCPAINT);
  RestoreDC(dc, saved);
  port.EndRaw();
  return drawn ? kPlatformNoError : kPlatformErrNoMemory;
}

void InvertRichEditLink(HWND pageWindow, HDC dc, const Data* box, const RECT rects[3]) {
  if (box->control == nullptr) return;
  HDC controlDc = GetDC(box->control);
  for (int i = 0; i < 3; ++i) {
    const RECT& r = rects[i];
    if (r.left >= r.right || r.top >= r.bottom) continue;
    if (controlDc != nullptr) InvertRect(controlDc, &r);
    // The page beneath the control shows between the letters: it is inverted too.
    const RECT onPage{r.left + box->rect.left, r.top + box->rect.top, r.right + box->rect.left,
                      r.bottom + box->rect.top};
    if (dc != nullptr) InvertRect(dc, &onPage);
  }
  if (controlDc != nullptr) ReleaseDC(box->control, controlDc);
  if (dc != nullptr) ReleaseDC(pageWindow, dc);
}

PlatformError HitTestRichEditLink(HWND pageWindow, HDC dc, Data* box, const Point* point, bool click,
                                  InterfaceActionResult* result) {
  if (box->control == nullptr || point == nullptr || result == nullptr) return kPlatformNoError;
  POINTL at{point->x - box->rect.left, point->y - box->rect.top};
  const int32_t index =
      static_cast<int32_t>(SendMessageA(box->control, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
  const TextBoxLink* found = LinkAt(box, index);
  if (found == nullptr) return kPlatformNoError;
  if (!click) {
    result->used = 1;
    PlatformCopyStringBounded(result->link, found->href, sizeof result->link);
    return kPlatformNoError;
  }
  const TextBoxLink link = *found;
  RECT area[3];
  LinkArea(box, link, area);
  InterfacePage::NotifyCurrentElement(kPageButtonPressed);
  if ((box = element_support::CurrentData<Data>()) == nullptr) return kPlatformNoError;
  InvertRichEditLink(pageWindow, dc, box, area);
  bool inverted = true;
  MouseEventRecord mouse;
  bool inside = true;
  for (;;) {
    const bool down = InterfacePage::TrackMouse(&mouse);
    if ((box = element_support::CurrentData<Data>()) == nullptr) return kPlatformNoError;
    inside = InArea(area, POINT{mouse.windowX - box->rect.left, mouse.windowY - box->rect.top});
    if (!down) break;
    if (inside == inverted) continue;
    InvertRichEditLink(pageWindow, dc, box, area);
    inverted = inside;
    InterfacePage::NotifyCurrentElement(inside ? kPageButtonBack : kPageButtonLeft);
    if ((box = element_support::CurrentData<Data>()) == nullptr) return kPlatformNoError;
  }
  InterfacePage::NotifyCurrentElement(kPageButtonReleased);
  if ((box = element_support::CurrentData<Data>()) == nullptr) return kPlatformNoError;
  if (inside) {
    if (inverted) InvertRichEditLink(pageWindow, dc, box, area);
    PlatformCopyStringBounded(result->link, link.href, sizeof result->link);
    result->used = 1;
  } else if (inverted) {
    InvertRichEditLink(pageWindow, dc, box, area);
  }
  return kPlatformNoError;
}
