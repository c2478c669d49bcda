// Reading attribute values: integers, rectangles, colours, alignments and yes-or-no flags, as the markup's
// authors write them.
#include <cstdint>
#include <cstring>

#include "platform/markup/markup_characters.h"
#include "platform/markup/markup_document.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;  // any other character counts as 0
}

}  // namespace

int32_t ParseMarkupInteger(const char* text) {
  if (text == nullptr) return 0;
  constexpr int64_t kLimit = int64_t{1} << 31;
  int64_t value = 0;
  bool negative = false;
  for (const char* p = text; *p != '\0' && *p != ','; ++p) {
    if (*p >= '0' && *p <= '9') {
      value = value * 10 + (*p - '0');
      if (value > kLimit) value = kLimit;  // saturates instead of wrapping
    } else if (*p == '-') {
      negative = true;
    }
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value < kLimit ? value : kLimit - 1);
}

void ParseMarkupRect(Rect* out, const char* text) {
  int32_t values[4] = {0, 0, 0, 0};
  const char* p = text;
  for (int i = 0; i < 4 && p != nullptr; ++i) {
    values[i] = ParseMarkupInteger(p);
    p = std::strchr(p, ',');
    if (p != nullptr) ++p;
  }
  Rect::Set(out, values[0], values[1], values[2], values[3]);
}

uint32_t ParseMarkupColor(const char* text) {
  if (text == nullptr) return kMarkupNoColor;
  while (*text == '#') ++text;
  size_t length = std::strlen(text);
  uint32_t red, green, blue;
  if (length == 6) {
    red = static_cast<uint32_t>(HexDigit(text[0]) * 16 + HexDigit(text[1]));
    green = static_cast<uint32_t>(HexDigit(text[2]) * 16 + HexDigit(text[3]));
    blue = static_cast<uint32_t>(HexDigit(text[4]) * 16 + HexDigit(text[5]));
  } else if (length == 3) {
    red = static_cast<uint32_t>(HexDigit(text[0]) * 17);
    green = static_cast<uint32_t>(HexDigit(text[1]) * 17);
    blue = static_cast<uint32_t>(HexDigit(text[2]) * 17);
  } else {
    return kMarkupNoColor;
  }
  return 0xFFu | (red << 8) | (green << 16) | (blue << 24);
}

int32_t ParseMarkupAlign(const char* text) {
  char upper[256];
  markup::UpperCase255(upper, text);
  if (std::strcmp(upper, "RIGHT") == 0) return 1;
  if (std::strcmp(upper, "LEFT") == 0) return -1;
  return 0;
}

bool ParseMarkupBool(const char* text) {
  if (text == nullptr) return false;
  char upper[256];
  markup::UpperCase255(upper, text);
  return std::strcmp(upper, "FALSE") != 0 && std::strcmp(upper, "NONE") != 0;
}
