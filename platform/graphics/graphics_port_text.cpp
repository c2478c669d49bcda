// Drawing ports: fonts, text alignment and text (see graphics_port.h).
#include <cstring>
#include <string>

#include "host/gdi.h"
#include "platform/graphics/graphics_port.h"
#include "platform/graphics/graphics_port_support.h"

using graphics_port::BoundPort;

namespace {

constexpr int32_t kStockFontHeight = 12;
constexpr size_t kFamilySize = sizeof(GraphicsPortTextState::family);

bool IsStockFont(int32_t fontId) {
  return (fontId >= OEM_FIXED_FONT && fontId <= DEVICE_DEFAULT_FONT) || fontId == SYSTEM_FIXED_FONT;
}

UINT AlignmentFlags(int32_t alignment) {
  const UINT horizontal = alignment == 0 ? TA_CENTER : alignment == 1 ? TA_RIGHT : TA_LEFT;
  return horizontal | TA_BASELINE | TA_UPDATECP;
}

PlatformError ReadMetrics(GraphicsPort* port) {
  TEXTMETRICA tm{};
  if (!GetTextMetricsA(port->dc, &tm)) return kPlatformErrPortGdi;
  port->metrics[0] = tm.tmAscent;
  port->metrics[1] = tm.tmDescent;
  port->metrics[2] = tm.tmExternalLeading;
  port->metrics[3] = tm.tmHeight;
  port->metrics[4] = tm.tmMaxCharWidth;
  return kPlatformNoError;
}

void StoreFamily(GraphicsPort* port, const char* family) {
  std::memset(port->family, 0, kFamilySize);
  if (family != nullptr) std::strncpy(port->family, family, kFamilySize - 1);
}

// Selects the font of the style in the given family ("" for none) and stores what the port keeps of it.
PlatformError ApplyTextStyle(GraphicsPort* port, const ColorRecord* fore, const char* family, int32_t fontId,
                             int32_t height, int32_t style, int32_t alignment) {
  HDC dc = port->dc;
  if (fore != nullptr && SetTextColor(dc, ColorRecord::GetColorRef(fore)) == CLR_INVALID) return kPlatformErrPortGdi;
  if (SetTextAlign(dc, AlignmentFlags(alignment)) == GDI_ERROR) return kPlatformErrPortGdi;
  PlatformError result = kPlatformNoError;
  HGDIOBJ font = nullptr;
  if (IsStockFont(fontId)) {
    font = GetStockObject(fontId);
    height = kStockFontHeight;
  } else {
    font = CreateFontA(height, 0, 0, 0, (style & kFontStyleBold) ? FW_BOLD : FW_NORMAL, (style & kFontStyleItalic) != 0,
                       (style & kFontStyleUnderline) != 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                       family[0] != '\0' ? family : nullptr);
    if (font == nullptr) {
      // The port falls back on the stock variable-pitch font and says so; it still keeps the family, font id,
      // height and style asked for.
      font = GetStockObject(ANSI_VAR_FONT);
      result = kPlatformErrPortGdi;
    }
  }
  PlatformError error = graphics_port::SelectOwned(port, font, &port->fontSelected);
  if (error != kPlatformNoError) return error;
  StoreFamily(port, family);
  port->fontId = fontId;
  port->fontHeight = height;
  port->fontStyle = style;
  port->alignment = alignment;
  error = ReadMetrics(port);
  return result != kPlatformNoError ? result : error;
}

}  // namespace

const char* ChooseInstalledFontFamily(HDC dc, const char* list, char out[256]) {
  out[0] = '\0';
  if (list == nullptr) return nullptr;
  auto found = [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM data) -> int {
    *reinterpret_cast<bool*>(data) = true;
    return 0;
  };
  // Names are the runs of ASCII letters: a family of several words is tried word by word.
  const char* p = list;
  while (*p != '\0') {
    auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    while (*p != '\0' && !isLetter(*p)) ++p;
    const char* start = p;
    while (isLetter(*p)) ++p;
    const size_t length = static_cast<size_t>(p - start);
    if (length == 0 || length > 255) continue;
    const std::string name(start, length);
    bool installed = false;
    EnumFontFamiliesA(dc, name.c_str(), found, reinterpret_cast<LPARAM>(&installed));
    if (installed) {
      std::memcpy(out, name.c_str(), length + 1);
      return out;
    }
  }
  return nullptr;
}

PlatformError GraphicsPort::SetTextStyle(PlatformWorld* world, const ColorRecord* fore, const char* familyList,
                                         int32_t fontId, int32_t height, int32_t style, int32_t alignment) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  char family[256] = "";
  if (familyList != nullptr) ChooseInstalledFontFamily(port->dc, familyList, family);
  return ApplyTextStyle(port, fore, family, fontId, height, style, alignment);
}

PlatformError GraphicsPort::SetTextSize(PlatformWorld* world, int32_t height) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  if (height == port->fontHeight) return kPlatformNoError;
  // The new font keeps the family chosen last.
  char family[kFamilySize];
  std::memcpy(family, port->family, kFamilySize);
  family[kFamilySize - 1] = '\0';
  return ApplyTextStyle(port, nullptr, family, port->fontId, height, port->fontStyle, port->alignment);
}

PlatformError GraphicsPort::GetFontMetrics(PlatformWorld* world, int32_t out[5]) {
  std::memset(out, 0, 5 * sizeof(int32_t));
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  std::memcpy(out, port->metrics, sizeof port->metrics);
  return kPlatformNoError;
}

int32_t GraphicsPort::TextWidth(PlatformWorld* world, const char* text, int32_t n) {
  GraphicsPort* port = BoundPort(world);
  SIZE size{0, 0};
  if (port == nullptr || !GetTextExtentPoint32A(port->dc, text, n, &size)) return 0;
  return size.cx;
}

PlatformError GraphicsPort::DrawText(PlatformWorld* world, int32_t x, int32_t y, const char* text, int32_t n) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr || n < 0 || (text == nullptr && n > 0)) return kPlatformErrBadData;
  graphics_port::PixelAccess access(port);
  if (access.error() != kPlatformNoError) return access.error();
  graphics_port::TransparentBackground transparent(port->dc);
  if (!transparent.ok() || !MoveToEx(port->dc, x, y, nullptr) || !TextOutA(port->dc, x, y, text, n)) {
    return kPlatformErrPortGdi;
  }
  return kPlatformNoError;
}
