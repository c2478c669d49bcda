// Text: measuring and drawing Windows-1252 text with a device context's font, text alignment and colours, and the
// enumeration of installed families.
#include <algorithm>
#include <cstring>
#include <string>

#include "font_faces.h"
#include "gdi_internal.h"
#include "gdi_paint.h"

using namespace host::gdi;

namespace {

// The cell height of the fonts handed to enumeration procedures.
constexpr LONG kEnumeratedHeight = 16;

struct TextContext {
  DeviceContext* dc = nullptr;
  Font* font = nullptr;
  SizedFace* face = nullptr;
};

// The device context, its font and the face behind it; false when any is missing.
bool Resolve(HDC hdc, TextContext* out) {
  out->dc = Find<DeviceContext>(hdc);
  if (out->dc == nullptr) return false;
  out->font = out->dc->CurrentFont();
  out->face = FaceForFont(out->font->logical);
  return out->face != nullptr;
}

TEXTMETRICA MetricsOf(const LOGFONTA& font, SizedFace& face) {
  const FaceMetrics& m = face.Metrics();
  TEXTMETRICA tm{};
  tm.tmAscent = m.ascent;
  tm.tmDescent = m.descent;
  tm.tmHeight = m.ascent + m.descent;
  tm.tmInternalLeading = m.internalLeading;
  tm.tmExternalLeading = m.externalLeading;
  tm.tmAveCharWidth = m.averageWidth;
  tm.tmMaxCharWidth = m.maxWidth;
  tm.tmWeight = font.lfWeight == 0 ? FW_NORMAL : font.lfWeight;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = 0xFF;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = font.lfItalic;
  tm.tmUnderlined = font.lfUnderline;
  tm.tmStruckOut = font.lfStrikeOut;
  // Low bits: 1 variable pitch (the bit's name says the opposite), 2 outline, 4 TrueType.
  tm.tmPitchAndFamily = static_cast<BYTE>((m.fixedPitch ? 0 : 1) | 2 | 4);
  tm.tmCharSet = ANSI_CHARSET;
  return tm;
}

}  // namespace

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* metrics) {
  auto lock = LockObjects();
  TextContext text;
  if (metrics == nullptr || !Resolve(hdc, &text)) return FALSE;
  *metrics = MetricsOf(text.font->logical, *text.face);
  return TRUE;
}

BOOL GetCharABCWidthsA(HDC hdc, UINT first, UINT last, ABC* widths) {
  auto lock = LockObjects();
  TextContext text;
  if (widths == nullptr || first > last || last > 0xFF || !Resolve(hdc, &text)) return FALSE;
  for (UINT c = first; c <= last; ++c) {
    const GlyphImage& g = text.face->Glyph(static_cast<unsigned char>(c));
    ABC& abc = widths[c - first];
    if (g.width == 0) {
      abc = {0, 0, g.advance};  // no ink (a space): all of the advance follows
    } else {
      abc = {g.left, static_cast<UINT>(g.width), g.advance - g.left - g.width};
    }
  }
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR string, int count, LPSIZE size) {
  auto lock = LockObjects();
  TextContext text;
  if (size == nullptr || count < 0 || (string == nullptr && count > 0) || !Resolve(hdc, &text)) return FALSE;
  const int64_t width = text.face->TextWidth(string, static_cast<size_t>(count));
  if (width > INT32_MAX) return FALSE;
  const FaceMetrics& m = text.face->Metrics();
  *size = {static_cast<LONG>(width), m.ascent + m.descent};
  return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR string, int count) {
  auto lock = LockObjects();
  TextContext text;
  if (count < 0 || (string == nullptr && count > 0) || !Resolve(hdc, &text)) return FALSE;
  DeviceContext& dc = *text.dc;
  SizedFace& face = *text.face;
  const FaceMetrics& m = face.Metrics();
  const UINT align = dc.state.textAlign;
  const int64_t width = face.TextWidth(string, static_cast<size_t>(count));

  // The reference point: the current position with TA_UPDATECP, else (x, y); the text's left end and baseline follow
  // from the alignment.
  const bool updateCp = (align & TA_UPDATECP) != 0;
  const int64_t refX = updateCp ? dc.state.position.x : x;
  const int64_t refY = updateCp ? dc.state.position.y : y;
  const UINT horizontal = align & TA_CENTER;
  const UINT vertical = align & TA_BASELINE;
  const int64_t left = horizontal == TA_RIGHT ? refX - width : horizontal == TA_CENTER ? refX - width / 2 : refX;
  const int64_t baseline = vertical == TA_BASELINE ? refY : vertical == TA_BOTTOM ? refY - m.descent : refY + m.ascent;
  if (updateCp) {
    // Left-aligned text moves the position to its right end, right-aligned text to its left end; centred text leaves
    // it.
    int64_t next = refX;
    if (horizontal == TA_LEFT) next = refX + width;
    if (horizontal == TA_RIGHT) next = left;
    dc.state.position.x = static_cast<LONG>(std::clamp<int64_t>(next, INT32_MIN, INT32_MAX));
  }

  Painter painter(&dc);
  if (!painter.Ready()) return TRUE;
  const int64_t ox = dc.state.viewportOrigin.x, oy = dc.state.viewportOrigin.y;
  const int64_t deviceLeft = left + ox, deviceBaseline = baseline + oy;
  if (dc.state.backMode == OPAQUE) {
    const uint32_t back = painter.Encode(dc.state.backColor);
    for (int64_t row = deviceBaseline - m.ascent; row < deviceBaseline + m.descent; ++row) {
      painter.SolidSpan(row, deviceLeft, deviceLeft + width, back);
    }
  }
  const uint32_t ink = painter.Encode(dc.state.textColor);
  int64_t pen = deviceLeft;
  const RECT& box = painter.Box();
  for (int i = 0; i < count && pen < box.right; ++i) {
    const GlyphImage& g = face.Glyph(static_cast<unsigned char>(string[i]));
    const int64_t gx = pen + g.left, gy = deviceBaseline - g.top;
    if (gx + g.width > box.left && gy + g.rows > box.top && gy < box.bottom) {
      for (int32_t row = 0; row < g.rows; ++row) {
        const uint8_t* line = &g.ink[static_cast<size_t>(row) * g.width];
        for (int32_t col = 0; col < g.width; ++col) {
          if (line[col] != 0) painter.Plot(gx + col, gy + row, ink);
        }
      }
    }
    pen += g.advance;
  }
  // Underline and strike-out run under and through the whole text.
  const auto rule = [&](int64_t top, int32_t thickness) {
    for (int64_t row = top; row < top + thickness; ++row) painter.SolidSpan(row, deviceLeft, deviceLeft + width, ink);
  };
  if (text.font->logical.lfUnderline) rule(deviceBaseline + m.underlineOffset, m.underlineThickness);
  if (text.font->logical.lfStrikeOut) rule(deviceBaseline - m.strikeoutOffset, m.strikeoutThickness);
  return TRUE;
}

int EnumFontFamiliesA(HDC hdc, LPCSTR family, FONTENUMPROCA procedure, LPARAM data) {
  std::vector<std::string> families;
  {
    auto lock = LockObjects();
    if (Find<DeviceContext>(hdc) == nullptr || procedure == nullptr) return 0;
    if (family == nullptr) {
      families = InstalledFamilies();
    } else {
      std::string installed;
      if (InstalledFamily(family, &installed)) families.push_back(installed);
    }
  }
  int result = 1;
  for (const std::string& name : families) {
    LOGFONTA font{};
    font.lfHeight = kEnumeratedHeight;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    std::strncpy(font.lfFaceName, name.c_str(), LF_FACESIZE - 1);
    TEXTMETRICA metrics{};
    {
      auto lock = LockObjects();
      if (SizedFace* face = FaceForFont(font)) metrics = MetricsOf(font, *face);
    }
    // The procedure runs without the lock, so it may call back into the drawing layer.
    result = procedure(&font, &metrics, TRUETYPE_FONTTYPE, data);
    if (result == 0) break;
  }
  return result;
}
