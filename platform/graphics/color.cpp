// Colour records and their conversions (see color.h).
#include "platform/graphics/color.h"

namespace {

uint8_t LightenChannel(uint8_t v) { return v <= 160 ? static_cast<uint8_t>(v + 64) : 255; }

uint8_t DarkenChannel(uint8_t v) {
  if (v >= 96) return static_cast<uint8_t>(v - 48);
  if (v >= 48) return static_cast<uint8_t>(v >> 1);
  return 0;
}

}  // namespace

COLORREF ColorRecord::GetColorRef(const ColorRecord* colour) { return RGB(colour->red, colour->green, colour->blue); }

void ColorRecord::ToColorRef(COLORREF* out, const ColorRecord* colour) { *out = GetColorRef(colour); }

void ColorRecord::FromColorRef(ColorRecord* out, COLORREF colour) {
  *out = ColorRecord{255, GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

void ColorRecord::Lighten(ColorRecord* colour) {
  colour->red = LightenChannel(colour->red);
  colour->green = LightenChannel(colour->green);
  colour->blue = LightenChannel(colour->blue);
}

void ColorRecord::Darken(ColorRecord* colour) {
  colour->red = DarkenChannel(colour->red);
  colour->green = DarkenChannel(colour->green);
  colour->blue = DarkenChannel(colour->blue);
}

uint32_t SwapBytes32(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}
