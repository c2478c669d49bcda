// How the dialogs and the status panel hold the game-view layers they make: by the layer's serial number, so that
// a handle whose layer went with a reset of the view (or a new view) finds nothing instead of a stale entry; and a
// scope that makes a layer the view's current one and gives the previous one back.
#pragma once

#include <cstdint>

#include "game/graphics/bounds.h"
#include "game/world/scene_view.h"

class ViewLayer {
 public:
  // A new layer fixed on the screen over the rectangle, on top of the view's others; false without a view or
  // when the layer cannot be made (the handle then stays empty).
  bool Make(const Bounds& rect);
  // Takes the layer off the view and destroys it; the handle is empty afterwards.
  void Destroy();
  // The layer, or null when the handle is empty or the view no longer lists it.
  SceneLayer* Get() const;
  bool IsMade() const { return Get() != nullptr; }

 private:
  uint64_t serial_ = 0;
};

// Makes the layer current on the game view for the scope's life (nothing without a view); the layer current
// before comes back at the end, unless it was destroyed meanwhile.
class CurrentLayerScope {
 public:
  explicit CurrentLayerScope(SceneLayer* layer);
  ~CurrentLayerScope();
  CurrentLayerScope(const CurrentLayerScope&) = delete;
  CurrentLayerScope& operator=(const CurrentLayerScope&) = delete;

 private:
  SceneView* view_;
};

// The size of the screen the dialogs centre on: the game view's back buffer, or the scenario's screen size
// while there is no view.
Bounds ScreenBounds();
