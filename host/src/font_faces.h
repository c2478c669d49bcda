// Font faces behind the drawing layer's fonts: fontconfig finds the installed file for a logical font (face name,
// weight, italic) with the system's aliases, FreeType renders its glyphs without anti-aliasing at the font's size.
// Faces are cached by their logical description; callers hold the drawing layer's lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/gdi.h"

namespace host::gdi {

// A glyph's ink as one byte (0 or 1) per pixel, rows from the top, placed relative to the pen position on the baseline:
// its top-left pixel is at (pen + left, baseline - top).
struct GlyphImage {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t rows = 0;
  int32_t advance = 0;
  std::vector<uint8_t> ink;
};

// Cell metrics in pixels.
struct FaceMetrics {
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t internalLeading = 0;
  int32_t externalLeading = 0;
  int32_t averageWidth = 0;
  int32_t maxWidth = 0;         // the widest advance among the printable bytes
  int32_t underlineOffset = 0;  // from the baseline down to the underline's top row
  int32_t underlineThickness = 1;
  int32_t strikeoutOffset = 0;  // from the baseline up to the strike-out line's top row
  int32_t strikeoutThickness = 1;
  bool fixedPitch = false;
};

class SizedFace {
 public:
  virtual ~SizedFace() = default;
  virtual const FaceMetrics& Metrics() = 0;
  // The glyph of a Windows-1252 byte (a face's missing-glyph shape for characters it lacks).
  virtual const GlyphImage& Glyph(unsigned char byte) = 0;
  // Sum of the advances of the bytes.
  int64_t TextWidth(const char* text, size_t count);
};

// Begins reading the font configuration and the installed fonts on a thread of their own, once; returns at once.
// Every call below waits for that reading to end.
void BeginLoadingFonts();

// The face for a logical font at its size; null when no installed font can be loaded.
SizedFace* FaceForFont(const LOGFONTA& font);

// Whether a family of this name is installed: exactly, or through an alias the system declares metric-compatible with
// an installed family. `family` receives the installed family's name.
bool InstalledFamily(const char* name, std::string* family);
// Every installed family, sorted, each once.
std::vector<std::string> InstalledFamilies();

}  // namespace host::gdi
