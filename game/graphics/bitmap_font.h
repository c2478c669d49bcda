// BitmapFont: a font rendered once from a system font into an atlas with per-pixel alpha, one glyph per
// character code, so that the game draws text with its own blitter and never with the system's text calls.
//
// The game's text is Mac Roman. The glyph map gives each code from 128 to 255 the glyph of the same character in
// the Windows-1252 code page the font is rendered in (a space or a look-alike where that code page has none), so
// text is drawn without converting its bytes. Codes 0 to 31 have no glyph.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"

// The rendered (Windows-1252) code whose glyph draws a text (Mac Roman) code; -1 for codes 0 to 31.
int32_t RenderedCodeOf(uint8_t textCode);

class BitmapFont {
 public:
  static constexpr int32_t kBoldStyle = 1;
  static constexpr int32_t kItalicStyle = 2;
  // The atlas holds the 224 codes from 32 on in 16 columns and 14 rows of cells.
  static constexpr int32_t kColumns = 16;
  static constexpr int32_t kRows = 14;
  static constexpr int32_t kFirstCode = 32;

  BitmapFont();
  ~BitmapFont();
  BitmapFont(const BitmapFont&) = delete;
  BitmapFont& operator=(const BitmapFont&) = delete;

  void SetSize(int32_t size) { size_ = size; }
  void SetStyle(int32_t style) { style_ = style; }
  void SetColor(DrawColor color) { color_ = color; }
  // Takes the face when a font of it can be made at the current size; "", "default" and "Default" mean "Arial".
  // A face that cannot be made leaves the previous one.
  void SetFace(const std::string& name);
  // Renders the glyphs with the current face, size, style and colour. When the rendering cannot be done the
  // glyphs stay as they were.
  void Build();
  // The glyph that draws a text code, or null.
  Bitmap* GetGlyph(int32_t code) const;
  // Gives a text code a glyph of the caller's making (null: none) in place of what a build gave it, for a font
  // drawn from pictures rather than rendered from a face. A later build replaces it again.
  void SetGlyph(int32_t code, std::unique_ptr<Bitmap> glyph);

  const std::string& Face() const { return face_; }
  int32_t Size() const { return size_; }
  int32_t Style() const { return style_; }
  DrawColor Color() const { return color_; }
  // The glyph rendered for a Windows-1252 code (null before a build and for codes below 32).
  Bitmap* RenderedGlyph(int32_t code) const;
  // The atlas of the last build (null before one).
  const Bitmap* Atlas() const { return atlas_.get(); }
  // The cell size of the last build.
  int32_t CellWidth() const { return cellWidth_; }
  int32_t CellHeight() const { return cellHeight_; }

 private:
  std::string face_;
  std::array<Bitmap*, 256> glyphMap_{};
  std::array<std::unique_ptr<Bitmap>, 256> rendered_;
  std::unique_ptr<Bitmap> atlas_;  // the glyphs are views of it; replaced only by a complete build
  std::array<std::unique_ptr<Bitmap>, 256> made_;  // glyphs given by SetGlyph
  DrawColor color_{0, 0, 0, 255};
  int32_t size_ = 12;
  int32_t style_ = 0;
  int32_t cellWidth_ = 0;
  int32_t cellHeight_ = 0;
};
