// Pens, brushes and fonts: their creation, the stock objects, and which of them a device context draws with.
//
// A font object only holds its logical description; the face behind it is looked up when text is measured or drawn
// (gdi_text.cpp).
#include <algorithm>
#include <cstring>

#include "gdi_internal.h"

namespace host::gdi {
namespace {

Paint SolidPaint(COLORREF color) {
  Paint paint;
  paint.kind = Paint::Kind::kSolid;
  paint.color = color & 0xFFFFFF;
  return paint;
}

std::unique_ptr<Object> MakeStockBrush(Paint::Kind kind, COLORREF color) {
  auto brush = std::make_unique<Brush>();
  brush->paint = SolidPaint(color);
  brush->paint.kind = kind;
  return brush;
}

std::unique_ptr<Object> MakeStockPen(bool null, COLORREF color) {
  auto pen = std::make_unique<Pen>();
  pen->null = null;
  pen->paint = SolidPaint(color);
  return pen;
}

// The stock fonts: fixed descriptions over the faces the system maps the classic names to.
std::unique_ptr<Object> MakeStockFont(LONG height, LONG weight, const char* face) {
  auto font = std::make_unique<Font>();
  font->logical.lfHeight = height;
  font->logical.lfWeight = weight;
  font->logical.lfCharSet = ANSI_CHARSET;
  std::strncpy(font->logical.lfFaceName, face, LF_FACESIZE - 1);
  return font;
}

std::unique_ptr<Object> MakeStock(int index) {
  switch (index) {
    case WHITE_BRUSH:
      return MakeStockBrush(Paint::Kind::kSolid, 0xFFFFFF);
    case GRAY_BRUSH:
      return MakeStockBrush(Paint::Kind::kSolid, 0x808080);
    case BLACK_BRUSH:
      return MakeStockBrush(Paint::Kind::kSolid, 0x000000);
    case NULL_BRUSH:
      return MakeStockBrush(Paint::Kind::kNone, 0);
    case WHITE_PEN:
      return MakeStockPen(false, 0xFFFFFF);
    case BLACK_PEN:
      return MakeStockPen(false, 0x000000);
    case NULL_PEN:
      return MakeStockPen(true, 0);
    case OEM_FIXED_FONT:
      return MakeStockFont(12, FW_NORMAL, "Courier New");
    case ANSI_FIXED_FONT:
      return MakeStockFont(13, FW_NORMAL, "Courier New");
    case ANSI_VAR_FONT:
      return MakeStockFont(13, FW_NORMAL, "Arial");
    case SYSTEM_FONT:
      return MakeStockFont(16, FW_BOLD, "Arial");
    case DEVICE_DEFAULT_FONT:
      return MakeStockFont(16, FW_NORMAL, "Arial");
    case SYSTEM_FIXED_FONT:
      return MakeStockFont(15, FW_NORMAL, "Courier New");
    default:
      return nullptr;
  }
}

// A copy of a bitmap's pixels as pattern cells.
bool PatternFromBitmap(const Bitmap& bitmap, Paint* paint) {
  if (bitmap.width <= 0 || bitmap.height <= 0) return false;
  paint->kind = Paint::Kind::kPattern;
  paint->monochrome = bitmap.layout.monochrome;
  paint->width = bitmap.width;
  paint->height = bitmap.height;
  paint->cells.resize(static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height));
  const PixelView view = bitmap.View();
  for (int32_t y = 0; y < bitmap.height; ++y) {
    for (int32_t x = 0; x < bitmap.width; ++x) {
      const uint32_t raw = ReadPixel(view.Row(y), x, bitmap.layout.bitCount);
      paint->cells[static_cast<size_t>(y) * bitmap.width + x] =
          paint->monochrome ? raw : DecodePixel(bitmap.layout, raw);
    }
  }
  return true;
}

}  // namespace

void* StockObjectHandle(int index) {
  constexpr int kCount = SYSTEM_FIXED_FONT + 1;
  auto lock = LockObjects();
  static void* handles[kCount] = {};
  if (index < 0 || index >= kCount) return nullptr;
  if (handles[index] == nullptr) {
    std::unique_ptr<Object> object = MakeStock(index);
    if (object == nullptr) return nullptr;
    object->stock = true;
    handles[index] = AddObject(std::move(object));
  }
  return handles[index];
}

Pen* DeviceContext::CurrentPen() const {
  Pen* pen = Find<Pen>(state.pen);
  return pen != nullptr ? pen : Find<Pen>(StockObjectHandle(BLACK_PEN));
}

Brush* DeviceContext::CurrentBrush() const {
  Brush* brush = Find<Brush>(state.brush);
  return brush != nullptr ? brush : Find<Brush>(StockObjectHandle(WHITE_BRUSH));
}

Font* DeviceContext::CurrentFont() const {
  Font* font = Find<Font>(state.font);
  return font != nullptr ? font : Find<Font>(StockObjectHandle(SYSTEM_FONT));
}

}  // namespace host::gdi

using namespace host::gdi;

HGDIOBJ GetStockObject(int index) { return StockObjectHandle(index); }

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  auto lock = LockObjects();
  DeviceContext* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr) return nullptr;
  switch (type) {
    case OBJ_PEN:
      return dc->CurrentPen()->handle;
    case OBJ_BRUSH:
      return dc->CurrentBrush()->handle;
    case OBJ_FONT:
      return dc->CurrentFont()->handle;
    case OBJ_BITMAP:
      return dc->bitmap != nullptr ? dc->bitmap->handle : nullptr;
    default:
      return nullptr;
  }
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto brush = std::make_unique<Brush>();
  brush->paint = SolidPaint(color);
  return static_cast<HBRUSH>(AddObject(std::move(brush)));
}

HBRUSH CreatePatternBrush(HBITMAP handle) {
  auto lock = LockObjects();
  Bitmap* bitmap = Find<Bitmap>(handle);
  if (bitmap == nullptr) return nullptr;
  auto brush = std::make_unique<Brush>();
  if (!PatternFromBitmap(*bitmap, &brush->paint)) return nullptr;
  return static_cast<HBRUSH>(AddObject(std::move(brush)));
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if ((style != PS_SOLID && style != PS_NULL) || width < 0) return nullptr;
  auto pen = std::make_unique<Pen>();
  pen->null = style == PS_NULL;
  pen->width = width;
  pen->paint = SolidPaint(color);
  return static_cast<HPEN>(AddObject(std::move(pen)));
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
  (void)styles;
  // Only plain solid lines with round ends and joins: dashes, other ends and user styles are refused.
  if (brush == nullptr || styleCount != 0 || width > 0x7FFFFFFFu) return nullptr;
  const DWORD lineStyle = style & 0x0Fu;
  const bool geometric = (style & PS_GEOMETRIC) != 0;
  if ((style & ~(PS_GEOMETRIC | 0x0Fu)) != 0 || (lineStyle != PS_SOLID && lineStyle != PS_NULL)) return nullptr;
  if (!geometric && width != 1) return nullptr;
  auto lock = LockObjects();
  auto pen = std::make_unique<Pen>();
  pen->null = lineStyle == PS_NULL || brush->lbStyle == BS_NULL;
  pen->geometric = geometric;
  pen->width = static_cast<int32_t>(width);
  switch (brush->lbStyle) {
    case BS_SOLID:
      pen->paint = SolidPaint(brush->lbColor);
      break;
    case BS_NULL:
      pen->paint.kind = Paint::Kind::kNone;
      break;
    case BS_PATTERN: {
      Bitmap* bitmap = Find<Bitmap>(reinterpret_cast<void*>(brush->lbHatch));
      if (!geometric || bitmap == nullptr || !PatternFromBitmap(*bitmap, &pen->paint)) return nullptr;
      break;
    }
    default:
      return nullptr;
  }
  return static_cast<HPEN>(AddObject(std::move(pen)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR faceName) {
  // Heights beyond what any screen text needs are refused, so glyph rendering stays bounded.
  constexpr int kMaxHeight = 4096;
  if (height < -kMaxHeight || height > kMaxHeight || weight < 0 || weight > 1000) return nullptr;
  // Text is only drawn upright at the face's own proportions.
  if (width != 0 || escapement != 0 || orientation != 0) return nullptr;
  auto font = std::make_unique<Font>();
  LOGFONTA& f = font->logical;
  f.lfHeight = height;
  f.lfWidth = width;
  f.lfEscapement = escapement;
  f.lfOrientation = orientation;
  f.lfWeight = weight;
  f.lfItalic = italic != 0;
  f.lfUnderline = underline != 0;
  f.lfStrikeOut = strikeOut != 0;
  f.lfCharSet = static_cast<BYTE>(charSet);
  f.lfOutPrecision = static_cast<BYTE>(outPrecision);
  f.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  f.lfQuality = static_cast<BYTE>(quality);
  f.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName != nullptr) {
    // Longer names are cut to the field, as the logical description holds no more.
    size_t n = 0;
    while (n < LF_FACESIZE - 1 && faceName[n] != '\0') ++n;
    std::memcpy(f.lfFaceName, faceName, n);
  }
  return static_cast<HFONT>(AddObject(std::move(font)));
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (font == nullptr) return nullptr;
  char face[LF_FACESIZE + 1] = {};
  std::memcpy(face, font->lfFaceName, LF_FACESIZE);
  return CreateFontA(font->lfHeight, font->lfWidth, font->lfEscapement, font->lfOrientation, font->lfWeight,
                     font->lfItalic, font->lfUnderline, font->lfStrikeOut, font->lfCharSet, font->lfOutPrecision,
                     font->lfClipPrecision, font->lfQuality, font->lfPitchAndFamily, face);
}
