// Font faces over fontconfig and FreeType (see font_faces.h).
//
// Sizes follow the Windows rules: a positive height is the cell height (ascent plus descent, taken from the face's
// Windows ascent and descent), a negative height the em height; the cell's ascent and descent are rounded from the
// face's design metrics at that size.
#include "font_faces.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>

#include "windows_1252.h"

namespace host::gdi {
namespace {

// Cell height of fonts asked for with height 0.
constexpr int kDefaultCellHeight = 16;
// Faces kept at once; the cache starts again when full.
constexpr size_t kMaxCachedFaces = 64;

// One fontconfig configuration and one FreeType library for the process, released at exit so leak checks see nothing of
// them. Reading the font configuration and the installed fonts' list takes a while, so it is done on a thread of
// its own from the moment windows are first set up; the first font asked for waits for it.
struct Libraries {
  FcConfig* config = nullptr;
  FT_Library freetype = nullptr;
  std::once_flag begun;
  std::once_flag joined;
  std::thread loading;

  ~Libraries() {
    if (loading.joinable()) loading.join();
    if (freetype != nullptr) FT_Done_FreeType(freetype);
    if (config != nullptr) FcConfigDestroy(config);
    FcFini();
  }

  void Load() {
    // The system's configuration and fonts only: text measures and looks the same for every user, and nothing
    // is read from or written to the home folder.
    FcConfigEnableHome(FcFalse);
    config = FcInitLoadConfigAndFonts();
    if (FT_Init_FreeType(&freetype) != 0) freetype = nullptr;
  }
};

Libraries& Storage() {
  static Libraries libs;
  return libs;
}

// Defined before the face cache, so it outlives the faces.
Libraries& Libs() {
  BeginLoadingFonts();
  Libraries& libs = Storage();
  std::call_once(libs.joined, [&libs] { libs.loading.join(); });
  return libs;
}

struct FacePath {
  std::string file;
  int index = 0;
};

// The installed file fontconfig matches to a logical font: the face name through the system's aliases (the default
// sans-serif family for no name, the monospace one for no name and a fixed pitch), the weight and the slant.
bool MatchFile(const LOGFONTA& font, FacePath* out) {
  Libraries& libs = Libs();
  if (libs.config == nullptr) return false;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  std::string name(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
  // A font without a face name is of the default family of its pitch.
  const bool fixed = (font.lfPitchAndFamily & 0x03) == FIXED_PITCH;
  const char* unnamed = fixed ? "monospace" : "sans-serif";
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.empty() ? unnamed : name.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(font.lfWeight == 0 ? FW_NORMAL : font.lfWeight));
  FcPatternAddInteger(pattern, FC_SLANT, font.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(libs.config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(libs.config, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  FcChar8* file = nullptr;
  int index = 0;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (found) {
    out->file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    out->index = index;
  }
  FcPatternDestroy(match);
  return found;
}

// The installed families whose name is exactly this one (as fontconfig compares family names).
std::vector<std::string> ListFamilies(const char* name) {
  std::vector<std::string> families;
  Libraries& libs = Libs();
  if (libs.config == nullptr) return families;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  if (pattern != nullptr && objects != nullptr) {
    if (name != nullptr) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
    if (FcFontSet* set = FcFontList(libs.config, pattern, objects)) {
      for (int i = 0; i < set->nfont; ++i) {
        FcChar8* family = nullptr;
        // A font may carry several family names; the first is its own.
        for (int id = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, id, &family) == FcResultMatch; ++id) {
          const std::string text(reinterpret_cast<const char*>(family));
          if (name == nullptr ? id == 0 : FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(name)) == 0) {
            families.push_back(text);
            break;
          }
        }
      }
      FcFontSetDestroy(set);
    }
  }
  if (objects != nullptr) FcObjectSetDestroy(objects);
  if (pattern != nullptr) FcPatternDestroy(pattern);
  std::sort(families.begin(), families.end());
  families.erase(std::unique(families.begin(), families.end()), families.end());
  return families;
}

int32_t Round(double value) { return static_cast<int32_t>(std::lround(value)); }

class FreeTypeFace final : public SizedFace {
 public:
  FreeTypeFace(FT_Face face, const LOGFONTA& font) : face_(face) { Size(font); }
  ~FreeTypeFace() override { FT_Done_Face(face_); }

  const FaceMetrics& Metrics() override {
    if (!widthsKnown_) {
      widthsKnown_ = true;
      for (int byte = 0x20; byte <= 0xFF; ++byte) {
        metrics_.maxWidth = std::max(metrics_.maxWidth, Glyph(static_cast<unsigned char>(byte)).advance);
      }
      if (metrics_.averageWidth <= 0) metrics_.averageWidth = Glyph('x').advance;
    }
    return metrics_;
  }

  const GlyphImage& Glyph(unsigned char byte) override {
    GlyphImage& glyph = glyphs_[byte];
    if (loaded_[byte]) return glyph;
    loaded_[byte] = true;
    if (FT_Load_Char(face_, Windows1252CodePoint(byte), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) !=
        0) {
      return glyph;
    }
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int32_t>(bitmap.width);
    glyph.rows = static_cast<int32_t>(bitmap.rows);
    glyph.ink.assign(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.rows), 0);
    for (int32_t row = 0; row < glyph.rows; ++row) {
      const unsigned char* line = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
      for (int32_t col = 0; col < glyph.width; ++col) {
        const bool set =
            bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((line[col >> 3] >> (7 - (col & 7))) & 1) != 0 : line[col] >= 128;
        glyph.ink[static_cast<size_t>(row) * glyph.width + col] = set ? 1 : 0;
      }
    }
    return glyph;
  }

 private:
  void Size(const LOGFONTA& font) {
    const double unitsPerEm = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
    double designAscent = face_->ascender, designDescent = -static_cast<double>(face_->descender);
    double lineGap = face_->height - (face_->ascender - face_->descender);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      // The cell is the face's Windows ascent and descent; what the line spacing adds beyond it is the leading.
      const double hheaHeight = face_->ascender - face_->descender;
      designAscent = os2->usWinAscent;
      designDescent = os2->usWinDescent;
      lineGap = std::max(0.0, face_->height - hheaHeight - ((designAscent + designDescent) - hheaHeight));
      if (os2->xAvgCharWidth > 0) averageWidthUnits_ = os2->xAvgCharWidth;
      if (os2->yStrikeoutSize > 0) {
        strikeoutUnits_ = os2->yStrikeoutPosition;
        strikeoutSizeUnits_ = os2->yStrikeoutSize;
      }
    }
    const double designCell = std::max(1.0, designAscent + designDescent);
    const int32_t height = font.lfHeight == 0 ? kDefaultCellHeight : font.lfHeight;
    double em;
    if (height > 0) {
      em = height * unitsPerEm / designCell;
      metrics_.ascent = Round(designAscent * height / designCell);
      metrics_.descent = height - metrics_.ascent;
    } else {
      em = -static_cast<double>(height);
      metrics_.ascent = Round(designAscent * em / unitsPerEm);
      metrics_.descent = Round(designDescent * em / unitsPerEm);
    }
    const double scale = em / unitsPerEm;
    metrics_.internalLeading = std::max(0, metrics_.ascent + metrics_.descent - Round(em));
    metrics_.externalLeading = std::max(0, Round(lineGap * scale));
    metrics_.averageWidth = averageWidthUnits_ > 0 ? Round(averageWidthUnits_ * scale) : 0;
    metrics_.underlineOffset = std::max(1, Round(-face_->underline_position * scale));
    metrics_.underlineThickness = std::max(1, Round(face_->underline_thickness * scale));
    // Without its own position the line crosses at a third of the ascent.
    metrics_.strikeoutThickness = std::max(1, Round(strikeoutSizeUnits_ * scale));
    metrics_.strikeoutOffset = strikeoutSizeUnits_ > 0 ? Round(strikeoutUnits_ * scale) : metrics_.ascent / 3;
    metrics_.fixedPitch = FT_IS_FIXED_WIDTH(face_);
    FT_Set_Char_Size(face_, 0, std::max<FT_F26Dot6>(64, static_cast<FT_F26Dot6>(std::lround(em * 64))), 72, 72);
  }

  FT_Face face_;
  FaceMetrics metrics_;
  double averageWidthUnits_ = 0;
  double strikeoutUnits_ = 0;
  double strikeoutSizeUnits_ = 0;
  bool widthsKnown_ = false;
  bool loaded_[256] = {};
  GlyphImage glyphs_[256];
};

using FaceKey = std::tuple<std::string, LONG, LONG, BYTE>;

std::map<FaceKey, std::unique_ptr<SizedFace>>& FaceCache() {
  Libs();  // made first, so released after the faces
  static std::map<FaceKey, std::unique_ptr<SizedFace>> cache;
  return cache;
}

std::string Lowered(const char* text, size_t limit) {
  std::string out;
  for (size_t i = 0; i < limit && text[i] != '\0'; ++i) {
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(text[i]))));
  }
  return out;
}

}  // namespace

void BeginLoadingFonts() {
  Libraries& libs = Storage();
  std::call_once(libs.begun, [&libs] { libs.loading = std::thread([&libs] { libs.Load(); }); });
}

int64_t SizedFace::TextWidth(const char* text, size_t count) {
  int64_t width = 0;
  for (size_t i = 0; i < count; ++i) width += Glyph(static_cast<unsigned char>(text[i])).advance;
  return width;
}

SizedFace* FaceForFont(const LOGFONTA& font) {
  auto& cache = FaceCache();
  // Unnamed fonts of the two pitches are different faces.
  std::string name = Lowered(font.lfFaceName, LF_FACESIZE);
  if (name.empty() && (font.lfPitchAndFamily & 0x03) == FIXED_PITCH) name = "\x01fixed";
  const FaceKey key{name, font.lfHeight, font.lfWeight, font.lfItalic};
  auto found = cache.find(key);
  if (found != cache.end()) return found->second.get();
  Libraries& libs = Libs();
  FacePath path;
  if (libs.freetype == nullptr || !MatchFile(font, &path)) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(libs.freetype, path.file.c_str(), path.index, &face) != 0) return nullptr;
  if (!FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    return nullptr;
  }
  if (cache.size() >= kMaxCachedFaces) cache.clear();
  auto sized = std::make_unique<FreeTypeFace>(face, font);
  SizedFace* result = sized.get();
  cache.emplace(key, std::move(sized));
  return result;
}

bool InstalledFamily(const char* name, std::string* family) {
  if (name == nullptr || name[0] == '\0') return false;
  std::vector<std::string> exact = ListFamilies(name);
  if (!exact.empty()) {
    *family = exact.front();
    return true;
  }
  // fontconfig adds every substitute to the family list; only those the configuration binds as the same face
  // (metric-compatible aliases, which reach the pattern bound strongly) stand in for the name.
  Libraries& libs = Libs();
  if (libs.config == nullptr) return false;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
  FcConfigSubstitute(libs.config, pattern, FcMatchPattern);
  bool found = false;
  FcValue value;
  FcValueBinding binding;
  for (int id = 1; !found && FcPatternGetWithBinding(pattern, FC_FAMILY, id, &value, &binding) == FcResultMatch; ++id) {
    if (binding == FcValueBindingWeak || value.type != FcTypeString) continue;
    std::vector<std::string> installed = ListFamilies(reinterpret_cast<const char*>(value.u.s));
    if (!installed.empty()) {
      *family = installed.front();
      found = true;
    }
  }
  FcPatternDestroy(pattern);
  return found;
}

std::vector<std::string> InstalledFamilies() { return ListFamilies(nullptr); }

}  // namespace host::gdi
