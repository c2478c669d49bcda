// Colours: the framework's four-byte colour record, its conversions to and from GDI colours, and the palette
// record of 8-bit pixel maps.
#pragma once

#include <cstdint>

#include "host/types.h"

// Bytes in the order flag, red, green, blue. The flag is 255 for a set colour; in palettes a flag of 0 marks the
// transparent entry. Read as a little-endian 32-bit word the flag is the low byte.
struct ColorRecord {
  uint8_t flag;
  uint8_t red;
  uint8_t green;
  uint8_t blue;

  static COLORREF GetColorRef(const ColorRecord* colour);
  static void ToColorRef(COLORREF* out, const ColorRecord* colour);
  static void FromColorRef(ColorRecord* out, COLORREF colour);
  static void Lighten(ColorRecord* colour);
  static void Darken(ColorRecord* colour);
};

// A palette: a count and 256 entries, of which the first count are used.
struct Palette {
  int32_t count;
  ColorRecord entries[256];
};

uint32_t SwapBytes32(uint32_t value);
