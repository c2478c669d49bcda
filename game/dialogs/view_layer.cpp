// Layer handles of the dialogs and the status panel.
#include "game/dialogs/view_layer.h"

#include "game/graphics/bitmap.h"
#include "game/shell/data/option_store.h"

bool ViewLayer::Make(const Bounds& rect) {
  Destroy();
  SceneView* view = GetSceneView();
  if (view == nullptr) return false;
  LayerRef layer = view->AddLayer(rect, SceneLayer::kScreenMode);
  if (!layer.made) return false;
  serial_ = layer.Layer()->Serial();
  return true;
}

void ViewLayer::Destroy() {
  SceneView* view = GetSceneView();
  if (view != nullptr && serial_ != 0) view->RemoveLayer(view->FindLayer(serial_));
  serial_ = 0;
}

SceneLayer* ViewLayer::Get() const {
  SceneView* view = GetSceneView();
  if (view == nullptr || serial_ == 0) return nullptr;
  return view->FindLayer(serial_).Layer();
}

CurrentLayerScope::CurrentLayerScope(SceneLayer* layer) : view_(GetSceneView()) {
  if (view_ == nullptr) return;
  view_->PushLayer();
  view_->SetCurrentLayer(layer);
}

CurrentLayerScope::~CurrentLayerScope() {
  if (view_ != nullptr && view_ == GetSceneView()) view_->PopLayer();
}

Bounds ScreenBounds() {
  const SceneView* view = GetSceneView();
  if (view != nullptr && view->GetBackBuffer() != nullptr) return view->GetBackBuffer()->Frame();
  return Bounds{0, 0, GetScreenWidth(), GetScreenHeight()};
}
