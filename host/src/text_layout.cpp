// Laying out lines of text for the edit controls.
#include "text_layout.h"

#include <algorithm>

namespace host {

LayoutStyle MeasureStyle(HFONT font) {
  LayoutStyle style;
  style.font = font;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
  TEXTMETRICA metrics{};
  if (GetTextMetricsA(dc, &metrics)) {
    style.ascent = metrics.tmAscent;
    style.descent = metrics.tmDescent;
  }
  for (int c = 0; c < 256; ++c) {
    const char byte = static_cast<char>(c);
    SIZE size{0, 0};
    if (GetTextExtentPoint32A(dc, &byte, 1, &size)) style.advance[c] = size.cx;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return style;
}

namespace {

// The length of the paragraph end at i: 2 for "\r\n", 1 for a lone "\r" or "\n", 0 for none.
int BreakAt(const std::string& text, size_t i) {
  if (i >= text.size()) return 0;
  if (text[i] == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
  return text[i] == '\n' ? 1 : 0;
}

}  // namespace

int32_t TextLayout::StyleAt(int32_t index) const {
  if (index < 0) return 0;
  if (static_cast<size_t>(index) >= text_->size()) return endStyle_;
  if (styleOf_ == nullptr || static_cast<size_t>(index) >= styleOf_->size()) return 0;
  return (*styleOf_)[static_cast<size_t>(index)];
}

int32_t TextLayout::Advance(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= text_->size()) return 0;
  const int32_t style = StyleAt(index);
  if (static_cast<size_t>(style) >= styles_->size()) return 0;
  return (*styles_)[static_cast<size_t>(style)]
      .advance[static_cast<unsigned char>((*text_)[static_cast<size_t>(index)])];
}

void TextLayout::Lay(const std::string& text, const std::vector<uint16_t>* styleOf,
                     const std::vector<LayoutStyle>& styles, uint16_t endStyle, int32_t wrapWidth, int32_t alignWidth,
                     int alignment) {
  text_ = &text;
  styleOf_ = styleOf;
  styles_ = &styles;
  endStyle_ = endStyle;
  lines_.clear();
  const int32_t length = static_cast<int32_t>(text.size());
  auto styleMetrics = [&](int32_t index, int32_t* ascent, int32_t* descent) {
    const int32_t style = StyleAt(index);
    if (static_cast<size_t>(style) < styles.size()) {
      *ascent = std::max(*ascent, styles[static_cast<size_t>(style)].ascent);
      *descent = std::max(*descent, styles[static_cast<size_t>(style)].descent);
    }
  };
  int32_t top = 0;
  auto addLine = [&](int32_t start, int32_t end, int32_t next) {
    LayoutLine line;
    line.start = start;
    line.end = end;
    line.next = next;
    line.top = top;
    int32_t ascent = 0, descent = 0;
    for (int32_t i = start; i < end; ++i) styleMetrics(i, &ascent, &descent);
    if (start == end) styleMetrics(end, &ascent, &descent);  // an empty line is as tall as its paragraph end
    line.ascent = ascent;
    line.height = ascent + descent;
    // Blanks at the end of a line take no room when it is placed.
    int32_t shown = end;
    while (shown > start && text[static_cast<size_t>(shown - 1)] == ' ') --shown;
    int32_t width = 0;
    for (int32_t i = start; i < shown; ++i) width += Advance(i);
    if (alignment == 1) line.left = (alignWidth - width) / 2;
    if (alignment == 2) line.left = alignWidth - width;
    lines_.push_back(line);
    top += line.height;
  };
  int32_t paragraph = 0;
  for (;;) {
    int32_t paragraphEnd = paragraph;
    while (paragraphEnd < length && BreakAt(text, static_cast<size_t>(paragraphEnd)) == 0) ++paragraphEnd;
    const int32_t breakLength = BreakAt(text, static_cast<size_t>(paragraphEnd));
    // Wrapped lines of the paragraph, then its last line.
    int32_t lineStart = paragraph;
    int32_t width = 0;
    int32_t afterBlank = -1;
    for (int32_t i = paragraph; i < paragraphEnd; ++i) {
      const int32_t advance = Advance(i);
      const bool blank = text[static_cast<size_t>(i)] == ' ';
      if (wrapWidth > 0 && !blank && i > lineStart && width + advance > wrapWidth) {
        const int32_t cut = afterBlank > lineStart ? afterBlank : i;
        addLine(lineStart, cut, cut);
        lineStart = cut;
        afterBlank = -1;
        width = 0;
        for (int32_t j = lineStart; j < i; ++j) width += Advance(j);
      }
      width += advance;
      if (blank) afterBlank = i + 1;
    }
    addLine(lineStart, paragraphEnd, paragraphEnd + breakLength);
    if (breakLength == 0) break;
    paragraph = paragraphEnd + breakLength;
  }
}

size_t TextLayout::LineOf(int32_t index) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    // The first character of a wrapped line belongs to that line, not to the end of the one before.
    if (index < lines_[i].next || i + 1 == lines_.size()) return i;
  }
  return 0;
}

int32_t TextLayout::XOf(int32_t index) const {
  if (lines_.empty()) return 0;
  const LayoutLine& line = lines_[LineOf(index)];
  int32_t x = line.left;
  const int32_t stop = std::min(index, line.end);
  for (int32_t i = line.start; i < stop; ++i) x += Advance(i);
  return x;
}

int32_t TextLayout::CellTopOf(int32_t index) const {
  if (lines_.empty()) return 0;
  const LayoutLine& line = lines_[LineOf(index)];
  const int32_t style = StyleAt(index);
  const int32_t ascent =
      static_cast<size_t>(style) < styles_->size() ? (*styles_)[static_cast<size_t>(style)].ascent : line.ascent;
  return line.top + line.ascent - std::min(ascent, line.ascent);
}

int32_t TextLayout::IndexAt(int32_t x, int32_t y) const {
  if (lines_.empty()) return 0;
  size_t n = 0;
  while (n + 1 < lines_.size() && y >= lines_[n].top + lines_[n].height) ++n;
  const LayoutLine& line = lines_[n];
  int32_t at = line.left;
  for (int32_t i = line.start; i < line.end; ++i) {
    const int32_t advance = Advance(i);
    if (x < at + advance / 2 + (advance % 2)) return i;
    at += advance;
  }
  return line.end;
}

}  // namespace host
