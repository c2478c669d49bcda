// SceneView: the game view, which composes what the game shows into one back buffer of the screen's size and
// keeps the region that changed since the frame was last presented.
//
// The layered composition comes with the world's scene layers; until then what is shown is drawn straight into
// the back buffer (DrawPicture), which marks its rectangle as changed, and Update hands over the changed region.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/graphics/region.h"

struct SceneTextStyle {
  std::string text;
  int32_t size = 0;
  DrawColor color;
  int32_t style = 0;
};

class SceneView {
 public:
  SceneView();
  ~SceneView();
  SceneView(const SceneView&) = delete;
  SceneView& operator=(const SceneView&) = delete;

  // Makes the back buffer (3-byte pixels) and the helper bitmap; 0, or 1 for a size that cannot be made (zero,
  // negative or beyond 8192 pixels a side), 2 when the memory cannot be had.
  int32_t Create(int32_t width, int32_t height, int32_t depth, bool flag);
  void AddTextItem(const std::string& text, int32_t size, DrawColor color, int32_t style);
  const std::vector<SceneTextStyle>& TextStyles() const { return textStyles_; }
  void ClearLayers();
  void ClearBackBuffer();
  // Hands the changed region over into region (emptied first) and forgets it.
  void Update(Region& region);
  void BeginDraw() {}
  void EndDraw() {}
  void BeginOffscreen();
  void EndOffscreen();
  Bitmap* GetBackBuffer() { return backBuffer_.HasPixels() ? &backBuffer_ : nullptr; }

  // Puts the whole picture at (x, y) of the back buffer and marks that rectangle changed.
  void DrawPicture(const Bitmap& picture, int32_t x, int32_t y);
  // Marks a rectangle, or the whole view, as changed.
  void Invalidate(const Bounds& box);
  void InvalidateAll();

 private:
  Bitmap backBuffer_;
  Bitmap helper_;
  Region dirty_;
  std::vector<SceneTextStyle> textStyles_;
  int32_t offscreenDepth_ = 0;
};

// The one game view; null until the game window is made.
SceneView* GetSceneView();
void SetSceneView(std::unique_ptr<SceneView> view);
