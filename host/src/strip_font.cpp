// FreeType rendering for the menu strip. The face is loaded once, on first use, at a fixed pixel size, and each
// character is rendered once, the first time it is measured or drawn: the strip is drawn again with every frame
// that is presented.
#include "strip_font.h"

#include "windows_1252.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <unistd.h>

#include <array>
#include <cctype>
#include <string>
#include <vector>

namespace host {
namespace {

constexpr int kPixelSize = 13;
constexpr int kFallbackAdvance = 7;

struct Face {
  bool tried = false;
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

Face& LoadedFace() {
  static Face face;
  if (face.tried) return face;
  face.tried = true;
  // The fonts the build installs; the strip wants one plain face, not the desktop's choice.
  static const char* const kFaces[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                       "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                                       "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"};
  std::string path;
  for (const char* candidate : kFaces) {
    if (access(candidate, R_OK) == 0) {
      path = candidate;
      break;
    }
  }
  if (path.empty() || FT_Init_FreeType(&face.library) != 0) return face;
  if (FT_New_Face(face.library, path.c_str(), 0, &face.face) != 0 ||
      FT_Set_Pixel_Sizes(face.face, 0, kPixelSize) != 0) {
    if (face.face != nullptr) FT_Done_Face(face.face);
    face.face = nullptr;
  }
  return face;
}

uint32_t CodePoint(unsigned char byte) { return Windows1252CodePoint(byte); }

// A character as FreeType renders it: its advance and its coverage bitmap, placed by its left and top bearings.
struct StripGlyph {
  bool rendered = false;
  bool drawable = false;  // false: the face or the character failed, and the fallback advance stands
  int advance = kFallbackAdvance;
  int left = 0;
  int top = 0;
  unsigned width = 0;
  unsigned rows = 0;
  std::vector<unsigned char> coverage;  // rows x width
};

const StripGlyph& GlyphOf(unsigned char byte) {
  static std::array<StripGlyph, 256>* glyphs = new std::array<StripGlyph, 256>;  // never destroyed, as the face
  StripGlyph& glyph = (*glyphs)[byte];
  if (glyph.rendered) return glyph;
  glyph.rendered = true;
  Face& face = LoadedFace();
  if (face.face == nullptr || FT_Load_Char(face.face, CodePoint(byte), FT_LOAD_RENDER) != 0) return glyph;
  const FT_GlyphSlot slot = face.face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.drawable = true;
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = bitmap.width;
  glyph.rows = bitmap.rows;
  glyph.coverage.resize(static_cast<size_t>(bitmap.width) * bitmap.rows);
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    for (unsigned col = 0; col < bitmap.width; ++col) {
      glyph.coverage[static_cast<size_t>(row) * bitmap.width + col] =
          bitmap.buffer[static_cast<long>(row) * bitmap.pitch + col];
    }
  }
  return glyph;
}

int Advance(unsigned char byte) { return GlyphOf(byte).advance; }

// Walks the shown characters of a menu text: calls visit(byte, underlined) for each.
template <typename Visit>
void ForEachShown(std::string_view text, Visit visit) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    bool underlined = false;
    if (byte == '&' && i + 1 < text.size()) {
      ++i;
      byte = static_cast<unsigned char>(text[i]);
      underlined = byte != '&';
    }
    visit(byte, underlined);
  }
}

uint32_t Blend(uint32_t under, uint32_t color, unsigned coverage) {
  uint32_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    unsigned a = (under >> shift) & 0xFF;
    unsigned b = (color >> shift) & 0xFF;
    result |= ((a * (255 - coverage) + b * coverage + 127) / 255) << shift;
  }
  return result;
}

}  // namespace

int StripTextWidth(std::string_view text) {
  int width = 0;
  ForEachShown(text, [&](unsigned char byte, bool) { width += Advance(byte); });
  return width;
}

int StripTextAscent() {
  Face& face = LoadedFace();
  if (face.face == nullptr) return kPixelSize - 3;
  return static_cast<int>((face.face->size->metrics.ascender + 32) >> 6);
}

char StripMnemonic(std::string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
    ++i;
  }
  return 0;
}

void StripDrawText(uint32_t* pixels, int width, int height, int x, int baseline, std::string_view text,
                   uint32_t color) {
  auto put = [&](int px, int py, unsigned coverage) {
    if (px < 0 || py < 0 || px >= width || py >= height || coverage == 0) return;
    uint32_t& pixel = pixels[static_cast<size_t>(py) * static_cast<size_t>(width) + static_cast<size_t>(px)];
    pixel = Blend(pixel, color, coverage);
  };
  int penX = x;
  ForEachShown(text, [&](unsigned char byte, bool underlined) {
    const StripGlyph& glyph = GlyphOf(byte);
    if (glyph.drawable) {
      for (unsigned row = 0; row < glyph.rows; ++row) {
        for (unsigned col = 0; col < glyph.width; ++col) {
          put(penX + glyph.left + static_cast<int>(col), baseline - glyph.top + static_cast<int>(row),
              glyph.coverage[static_cast<size_t>(row) * glyph.width + col]);
        }
      }
    }
    if (underlined) {
      for (int i = 0; i < glyph.advance; ++i) put(penX + i, baseline + 2, 255);
    }
    penX += glyph.advance;
  });
}

}  // namespace host
