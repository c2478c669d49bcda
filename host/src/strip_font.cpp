// FreeType rendering for the menu strip. The face is loaded once, on first use, at a fixed pixel size.
#include "strip_font.h"

#include "windows_1252.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <unistd.h>

#include <cctype>
#include <string>

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

int Advance(unsigned char byte) {
  Face& face = LoadedFace();
  if (face.face == nullptr) return kFallbackAdvance;
  if (FT_Load_Char(face.face, CodePoint(byte), FT_LOAD_DEFAULT) != 0) return kFallbackAdvance;
  return static_cast<int>((face.face->glyph->advance.x + 32) >> 6);
}

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
  Face& face = LoadedFace();
  auto put = [&](int px, int py, unsigned coverage) {
    if (px < 0 || py < 0 || px >= width || py >= height || coverage == 0) return;
    uint32_t& pixel = pixels[static_cast<size_t>(py) * static_cast<size_t>(width) + static_cast<size_t>(px)];
    pixel = Blend(pixel, color, coverage);
  };
  int penX = x;
  ForEachShown(text, [&](unsigned char byte, bool underlined) {
    int advance = kFallbackAdvance;
    if (face.face != nullptr && FT_Load_Char(face.face, CodePoint(byte), FT_LOAD_RENDER) == 0) {
      FT_GlyphSlot glyph = face.face->glyph;
      const FT_Bitmap& bitmap = glyph->bitmap;
      for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned col = 0; col < bitmap.width; ++col) {
          unsigned coverage = bitmap.buffer[static_cast<long>(row) * bitmap.pitch + col];
          put(penX + glyph->bitmap_left + static_cast<int>(col), baseline - glyph->bitmap_top + static_cast<int>(row),
              coverage);
        }
      }
      advance = static_cast<int>((glyph->advance.x + 32) >> 6);
    }
    if (underlined) {
      for (int i = 0; i < advance; ++i) put(penX + i, baseline + 2, 255);
    }
    penX += advance;
  });
}

}  // namespace host
