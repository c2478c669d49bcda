// BitmapFont: rendering the 224 glyphs through the host's text calls onto a 1-bit bitmap (once for each face, size
// and style), turning it into an alpha atlas in the font's colour, and the Mac Roman to Windows-1252 glyph map.
#include "game/graphics/bitmap_font.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "host/gdi.h"

namespace {

// The rendered code for each text code from 128 to 255. It is the usual Mac Roman to Windows-1252
// correspondence, except where stored scenario text has always been drawn otherwise: characters the code page
// lacks take the space (the no-break space CA too), the fraction slash DA takes "/", the ring above FB the degree
// sign, DB the euro sign, the bullet A5 takes A4, the diaeresis AC takes AF, o with stroke BF the space, i grave
// 93 keeps 93 and I diaeresis EC keeps EC.
constexpr uint8_t kHighGlyphs[128] = {
    0xC4, 0xC5, 0xC7, 0xC9, 0xD1, 0xD6, 0xDC, 0xE1, 0xE0, 0xE2, 0xE4, 0xE3, 0xE5, 0xE7, 0xE9, 0xE8,  // 80
    0xEA, 0xEB, 0xED, 0x93, 0xEE, 0xEF, 0xF1, 0xF3, 0xF2, 0xF4, 0xF6, 0xF5, 0xFA, 0xF9, 0xFB, 0xFC,  // 90
    0x86, 0xB0, 0xA2, 0xA3, 0xA7, 0xA4, 0xB6, 0xDF, 0xAE, 0xA9, 0x99, 0xB4, 0xAF, 0x20, 0xC6, 0xD8,  // A0
    0x20, 0xB1, 0x20, 0x20, 0xA5, 0xB5, 0x20, 0x20, 0x20, 0x20, 0x20, 0xAA, 0xBA, 0x20, 0xE6, 0x20,  // B0
    0xBF, 0xA1, 0xAC, 0x20, 0x83, 0x20, 0x20, 0xAB, 0xBB, 0x85, 0x20, 0xC0, 0xC3, 0xD5, 0x8C, 0x9C,  // C0
    0x96, 0x97, 0x93, 0x94, 0x91, 0x92, 0xF7, 0x20, 0xFF, 0x9F, 0x2F, 0x80, 0x8B, 0x9B, 0x20, 0x20,  // D0
    0x87, 0xB7, 0x82, 0x84, 0x89, 0xC2, 0xCA, 0xC1, 0xCB, 0xC8, 0xCD, 0xCE, 0xEC, 0xCC, 0xD3, 0xD4,  // E0
    0x20, 0xD2, 0xDA, 0xDB, 0xD9, 0x20, 0x88, 0x98, 0xAF, 0x20, 0x20, 0xB0, 0xB8, 0x20, 0x20, 0x20,  // F0
};

constexpr int32_t kCodeCount = 256 - BitmapFont::kFirstCode;

// A header followed by room for 256 colour entries, as GetDIBits fills it.
struct DibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

// The host objects of one build, released whatever way the build ends.
struct RenderContext {
  HDC dc = nullptr;
  HFONT font = nullptr;
  HGDIOBJ previousFont = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previousBitmap = nullptr;

  ~RenderContext() {
    if (dc != nullptr) {
      if (previousBitmap != nullptr) SelectObject(dc, previousBitmap);
      if (previousFont != nullptr) SelectObject(dc, previousFont);
      DeleteDC(dc);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (font != nullptr) DeleteObject(font);
  }
};

HFONT CreateFontFor(const std::string& face, int32_t size, int32_t style) {
  const int weight = (style & BitmapFont::kBoldStyle) != 0 ? FW_BOLD : 0;
  const DWORD italic = (style & BitmapFont::kItalicStyle) != 0 ? 1 : 0;
  return CreateFontA(size, 0, 0, 0, weight, italic, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, face.c_str());
}

// The ink of a face at a size and style as the host renders it: the cell size, each code's widths, and the 1-bit
// rows of the 16 x 14 cells (the last row first), with the bit value of the ink. The rendering depends on nothing
// else (the colour is laid on afterwards), so every font of the same face, size and style shares one: the game's
// start-up alone makes nine fonts of three.
struct InkSheet {
  int32_t cellWidth = 0;
  int32_t cellHeight = 0;
  std::vector<ABC> widths;
  std::vector<uint8_t> bits;
  int64_t rowBytes = 0;
  uint8_t inkBit = 1;
};

// Renders the 224 codes through the host's text calls; false when the host cannot (nothing is kept then).
bool RenderInk(const std::string& face, int32_t size, int32_t style, InkSheet* sheet) {
  RenderContext context;
  context.dc = CreateCompatibleDC(nullptr);
  if (context.dc == nullptr) return false;
  // A font that cannot be made leaves the context's default font.
  context.font = CreateFontFor(face, size, style);
  if (context.font != nullptr) context.previousFont = SelectObject(context.dc, context.font);

  TEXTMETRICA metrics{};
  if (!GetTextMetricsA(context.dc, &metrics)) return false;
  const int32_t cellWidth = metrics.tmMaxCharWidth;
  const int32_t cellHeight = metrics.tmHeight;
  if (cellWidth <= 0 || cellHeight <= 0) return false;
  const int64_t atlasWidth = int64_t{cellWidth} * BitmapFont::kColumns;
  const int64_t atlasHeight = int64_t{cellHeight} * BitmapFont::kRows;
  if (atlasWidth > 32000 || atlasHeight > 32000) return false;  // a size no text item asks for

  std::vector<ABC> widths(kCodeCount);
  if (!GetCharABCWidthsA(context.dc, BitmapFont::kFirstCode, 255, widths.data())) {
    for (int32_t i = 0; i < kCodeCount; ++i) {
      const char text = static_cast<char>(BitmapFont::kFirstCode + i);
      SIZE extent{0, 0};
      GetTextExtentPoint32A(context.dc, &text, 1, &extent);
      widths[i] = ABC{0, static_cast<UINT>(std::max<LONG>(extent.cx, 0)), 0};
    }
  }

  context.bitmap = CreateCompatibleBitmap(context.dc, static_cast<int>(atlasWidth), static_cast<int>(atlasHeight));
  if (context.bitmap == nullptr) return false;
  context.previousBitmap = SelectObject(context.dc, context.bitmap);
  const RECT whole{0, 0, static_cast<LONG>(atlasWidth), static_cast<LONG>(atlasHeight)};
  FillRect(context.dc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetBkMode(context.dc, TRANSPARENT);
  SetTextColor(context.dc, RGB(255, 255, 255));
  for (int32_t i = 0; i < kCodeCount; ++i) {
    const int32_t row = i / BitmapFont::kColumns;
    const int32_t column = i % BitmapFont::kColumns;
    const char text = static_cast<char>(BitmapFont::kFirstCode + i);
    // The A width is taken off so that the character's ink starts at the left edge of its cell.
    TextOutA(context.dc, column * cellWidth - widths[i].abcA, row * cellHeight, &text, 1);
  }
  SelectObject(context.dc, context.previousBitmap);
  context.previousBitmap = nullptr;

  DibInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  if (GetDIBits(context.dc, context.bitmap, 0, static_cast<UINT>(atlasHeight), nullptr,
                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == 0) {
    return false;
  }
  // The rows are read as 1-bit rows whatever the bitmap's own depth.
  info.header.biBitCount = 1;
  info.header.biCompression = BI_RGB;
  info.header.biHeight = static_cast<LONG>(atlasHeight);  // bottom-up
  const int64_t dibRowBytes = ((atlasWidth + 31) / 32) * 4;
  std::vector<uint8_t> bits(static_cast<size_t>(dibRowBytes * atlasHeight));
  if (GetDIBits(context.dc, context.bitmap, 0, static_cast<UINT>(atlasHeight), bits.data(),
                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != static_cast<int>(atlasHeight)) {
    return false;
  }
  // Which bit value is the white of the text, by the colour table handed back.
  const RGBQUAD& one = info.colors[1];
  sheet->inkBit = (one.rgbRed | one.rgbGreen | one.rgbBlue) != 0 ? 1 : 0;
  sheet->cellWidth = cellWidth;
  sheet->cellHeight = cellHeight;
  sheet->widths = std::move(widths);
  sheet->bits = std::move(bits);
  sheet->rowBytes = dibRowBytes;
  return true;
}

// The ink of the face, size and style, rendered the first time it is asked for; null when it cannot be.
const InkSheet* InkOf(const std::string& face, int32_t size, int32_t style) {
  // Kept for the whole run: never destroyed, so that a font built during shut-down still finds it.
  static auto* sheets = new std::map<std::tuple<std::string, int32_t, int32_t>, InkSheet>;
  const auto key = std::make_tuple(face, size, style);
  auto found = sheets->find(key);
  if (found != sheets->end()) return &found->second;
  InkSheet sheet;
  if (!RenderInk(face, size, style, &sheet)) return nullptr;
  return &sheets->emplace(key, std::move(sheet)).first->second;
}

}  // namespace

int32_t RenderedCodeOf(uint8_t textCode) {
  if (textCode < BitmapFont::kFirstCode) return -1;
  if (textCode < 128) return textCode;
  return kHighGlyphs[textCode - 128];
}

BitmapFont::BitmapFont() = default;

BitmapFont::~BitmapFont() = default;

void BitmapFont::SetFace(const std::string& name) {
  const std::string candidate = (name.empty() || name == "default" || name == "Default") ? "Arial" : name;
  if (candidate == face_) return;
  HFONT test = CreateFontFor(candidate, size_, 0);
  if (test == nullptr) return;
  DeleteObject(test);
  face_ = candidate;
}

void BitmapFont::Build() {
  const InkSheet* sheet = InkOf(face_, size_, style_);
  if (sheet == nullptr) return;
  const int32_t cellWidth = sheet->cellWidth;
  const int32_t cellHeight = sheet->cellHeight;
  const int64_t atlasWidth = int64_t{cellWidth} * kColumns;
  const int64_t atlasHeight = int64_t{cellHeight} * kRows;
  const std::vector<ABC>& widths = sheet->widths;
  const std::vector<uint8_t>& bits = sheet->bits;
  const int64_t dibRowBytes = sheet->rowBytes;
  const uint8_t inkBit = sheet->inkBit;

  auto atlas = std::make_unique<Bitmap>();
  if (atlas->Create(static_cast<int32_t>(atlasWidth), static_cast<int32_t>(atlasHeight), AlphaFormat) !=
      kBitmapReady) {
    return;
  }
  for (int64_t y = 0; y < atlasHeight; ++y) {
    const uint8_t* source = bits.data() + (atlasHeight - 1 - y) * dibRowBytes;  // the last DIB row first
    for (int64_t x = 0; x < atlasWidth; ++x) {
      const uint8_t bit = (source[x / 8] >> (7 - x % 8)) & 1;
      uint8_t* pixel = atlas->PixelAt(static_cast<int32_t>(x), static_cast<int32_t>(y));
      if (bit == inkBit) {
        pixel[0] = color_.blue;
        pixel[1] = color_.green;
        pixel[2] = color_.red;
        pixel[3] = color_.alpha;
      }  // else left 0 in all four bytes: transparent
    }
  }

  std::array<std::unique_ptr<Bitmap>, 256> rendered;
  for (int32_t i = 0; i < kCodeCount; ++i) {
    const int32_t x = std::max(0, (i % kColumns) * cellWidth);
    const int32_t y = (i / kColumns) * cellHeight;
    // The glyph is as wide as its ink and the space after it, cut at the atlas's right edge.
    const int64_t wanted = int64_t{widths[i].abcB} + widths[i].abcC;
    const int32_t width = static_cast<int32_t>(std::clamp<int64_t>(wanted, 0, atlasWidth - x));
    auto glyph = std::make_unique<Bitmap>();
    glyph->FromRect(*atlas, Bounds{x, y, width, cellHeight}, false);
    rendered[kFirstCode + i] = std::move(glyph);
  }

  // Complete: the new glyphs replace the old ones, and the glyph map points at them.
  rendered_ = std::move(rendered);
  atlas_ = std::move(atlas);
  cellWidth_ = cellWidth;
  cellHeight_ = cellHeight;
  for (int32_t code = 0; code < 256; ++code) {
    const int32_t renderedCode = RenderedCodeOf(static_cast<uint8_t>(code));
    glyphMap_[code] = renderedCode < 0 ? nullptr : rendered_[renderedCode].get();
  }
}

Bitmap* BitmapFont::GetGlyph(int32_t code) const {
  if (code < 0 || code > 255) return nullptr;
  return glyphMap_[code];
}

void BitmapFont::SetGlyph(int32_t code, std::unique_ptr<Bitmap> glyph) {
  if (code < 0 || code > 255) return;
  made_[code] = std::move(glyph);
  glyphMap_[code] = made_[code].get();
}

Bitmap* BitmapFont::RenderedGlyph(int32_t code) const {
  if (code < 0 || code > 255) return nullptr;
  return rendered_[code].get();
}
