// Lines of text for the edit and rich-edit controls: characters in styles (a font each), broken into lines at
// paragraph ends ("\r\n", a lone "\r" or a lone "\n") and, with a wrap width, at blanks (a word wider than the
// line is broken where it no longer fits). Lines stack from the top; within a line characters share the baseline
// of the line's tallest style. Internal to the host layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/gdi.h"

namespace host {

struct LayoutStyle {
  HFONT font = nullptr;  // borrowed
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t advance[256] = {};
};

// The metrics and advances of a font.
LayoutStyle MeasureStyle(HFONT font);

struct LayoutLine {
  int32_t start = 0;  // the first character
  int32_t end = 0;    // after the last character shown (before a paragraph end)
  int32_t next = 0;   // where the next line starts (after a paragraph end)
  int32_t top = 0;
  int32_t height = 0;
  int32_t ascent = 0;  // from the top to the baseline
  int32_t left = 0;    // x of the first character
};

class TextLayout {
 public:
  // Lays the text out. `styleOf` gives each character's index into `styles` (null: style 0 throughout);
  // `endStyle` is the style of an empty last line. Lines longer than wrapWidth break (none when wrapWidth <= 0);
  // alignment (0 left, 1 centred, 2 right) places each line within alignWidth from x = 0.
  void Lay(const std::string& text, const std::vector<uint16_t>* styleOf, const std::vector<LayoutStyle>& styles,
           uint16_t endStyle, int32_t wrapWidth, int32_t alignWidth, int alignment);

  const std::vector<LayoutLine>& Lines() const { return lines_; }
  int32_t Height() const { return lines_.empty() ? 0 : lines_.back().top + lines_.back().height; }
  // The line holding the index (a paragraph end belongs to the line it ends; the text's end to the last line).
  size_t LineOf(int32_t index) const;
  // The x of the character at the index (the end of its line for an index at a paragraph end).
  int32_t XOf(int32_t index) const;
  // The top of the character's cell: its line's baseline less its style's ascent.
  int32_t CellTopOf(int32_t index) const;
  int32_t StyleAt(int32_t index) const;
  // The index nearest to the point: the line under y (the first or last beyond them), then the character whose
  // left half or the one before whose right half holds x.
  int32_t IndexAt(int32_t x, int32_t y) const;
  int32_t Advance(int32_t index) const;

 private:
  const std::string* text_ = nullptr;
  const std::vector<uint16_t>* styleOf_ = nullptr;
  const std::vector<LayoutStyle>* styles_ = nullptr;
  uint16_t endStyle_ = 0;
  std::vector<LayoutLine> lines_;
};

}  // namespace host
