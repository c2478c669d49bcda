// The game view's back buffer and changed region.
#include "game/world/scene_view.h"

namespace {

constexpr int32_t kMaxViewSide = 8192;

std::unique_ptr<SceneView>& TheView() {
  static auto* view = new std::unique_ptr<SceneView>;
  return *view;
}

}  // namespace

SceneView::SceneView() = default;
SceneView::~SceneView() = default;

int32_t SceneView::Create(int32_t width, int32_t height, int32_t depth, bool flag) {
  if (width <= 0 || height <= 0 || width > kMaxViewSide || height > kMaxViewSide) return kBitmapBadSize;
  BitmapStatus status = backBuffer_.Create(width, height, OpaqueFormat);
  if (status != kBitmapReady) return status;
  status = helper_.Create(width, height, OpaqueFormat);
  if (status != kBitmapReady) return status;
  InvalidateAll();
  return 0;
}

void SceneView::AddTextItem(const std::string& text, int32_t size, DrawColor color, int32_t style) {
  textStyles_.push_back(SceneTextStyle{text, size, color, style});
}

void SceneView::ClearLayers() {}

void SceneView::ClearBackBuffer() {
  backBuffer_.Clear();
  InvalidateAll();
}

void SceneView::Update(Region& region) {
  region.Clear();
  region.Union(dirty_);
  dirty_.Clear();
}

void SceneView::BeginOffscreen() { ++offscreenDepth_; }

void SceneView::EndOffscreen() {
  if (offscreenDepth_ == 0) return;
  if (--offscreenDepth_ == 0) {
    helper_.Clear();
    InvalidateAll();
  }
}

void SceneView::DrawPicture(const Bitmap& picture, int32_t x, int32_t y) {
  if (!backBuffer_.HasPixels() || !picture.HasPixels()) return;
  DrawBitmap(backBuffer_, Point{x, y}, picture, picture.Frame());
  Invalidate(Bounds{x, y, picture.width, picture.height});
}

void SceneView::Invalidate(const Bounds& box) {
  Bounds clipped = box;
  clipped.Clip(backBuffer_.Frame());
  if (!clipped.IsEmpty()) dirty_.UnionRect(clipped);
}

void SceneView::InvalidateAll() { Invalidate(backBuffer_.Frame()); }

SceneView* GetSceneView() { return TheView().get(); }
void SetSceneView(std::unique_ptr<SceneView> view) { TheView() = std::move(view); }
