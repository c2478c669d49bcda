// A game view of 16 x 16 pixels for the scene tests, with solid, keyed and alpha pictures, a font of made glyphs,
// and region comparisons that print the rectangles when they differ.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/graphics/bitmap.h"
#include "game/graphics/bitmap_font.h"
#include "game/graphics/blitter.h"
#include "game/graphics/region.h"
#include "game/world/scene_view.h"
#include "host/gdi.h"

namespace scene_test {

constexpr DrawColor kBlue{200, 0, 0, 255};
constexpr DrawColor kRed{0, 0, 200, 255};
constexpr DrawColor kGreen{0, 200, 0, 255};
constexpr DrawColor kBlack{0, 0, 0, 255};

inline std::unique_ptr<Bitmap> Solid(int32_t width, int32_t height, DrawColor color, int32_t format = OpaqueFormat) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->Create(width, height, format);
  FillRect(*bitmap, bitmap->Frame(), color);
  return bitmap;
}

// The region's rectangles as text, "{x,y,w,h} ..." in banded order ("" when empty).
inline std::string Describe(const Region& region) {
  const DWORD size = GetRegionData(region.Handle(), 0, nullptr);
  if (size == 0) return "?";
  std::vector<uint8_t> bytes(size);
  auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
  if (GetRegionData(region.Handle(), size, data) == 0) return "?";
  const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
  std::ostringstream text;
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    text << (i == 0 ? "" : " ") << "{" << rects[i].left << "," << rects[i].top << ","
         << rects[i].right - rects[i].left << "," << rects[i].bottom - rects[i].top << "}";
  }
  return text.str();
}

// The canonical description of the union of the rectangles.
inline std::string Describe(std::initializer_list<Bounds> rects) {
  Region region;
  for (const Bounds& rect : rects) region.UnionRect(rect);
  return Describe(region);
}

// A view set up at 16 x 16 whose first update has run, so that its update region starts empty.
class SceneFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    view_ = std::make_unique<SceneView>();
    ASSERT_EQ(view_->Create(16, 16, 24, 0), 0);
    Region ignored;
    view_->Update(ignored);
  }
  void TearDown() override { view_.reset(); }

  // Runs an update and describes the back-buffer region it changed.
  std::string Update() {
    Region changed;
    view_->Update(changed);
    return Describe(changed);
  }

  DrawColor Pixel(int32_t x, int32_t y) const {
    DrawColor color;
    GetPixel(color, *view_->GetBackBuffer(), x, y);
    return color;
  }

  // A screen layer holding a 16 x 16 black ground, beneath everything a test places.
  SceneLayer* AddGround() {
    ground_ = Solid(16, 16, kBlack);
    SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
    layer->SetImage(ground_.get());
    layer->PlaceImage(0, 0);
    return layer;
  }

  // Adds a font whose glyphs are solid blocks: "a" 3 x 5, "b" 4 x 7, the blank 2 x 5, "l" 1 x 6; no other code
  // draws (a carriage return never does). It becomes the current font.
  BitmapFont* AddMadeFont() {
    const int32_t index = view_->AddFont("", 12, kBlack, 0);
    BitmapFont* font = view_->GetFont(index);
    for (int32_t code = 0; code < 256; ++code) font->SetGlyph(code, nullptr);
    font->SetGlyph('a', Solid(3, 5, kRed, AlphaFormat));
    font->SetGlyph('b', Solid(4, 7, kGreen, AlphaFormat));
    font->SetGlyph(' ', Solid(2, 5, DrawColor{0, 0, 0, 0}, AlphaFormat));
    font->SetGlyph('l', Solid(1, 6, kBlue, AlphaFormat));
    view_->SetCurrentFont(index);
    return font;
  }

  std::unique_ptr<SceneView> view_;
  std::unique_ptr<Bitmap> ground_;
};

}  // namespace scene_test
