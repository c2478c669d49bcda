// The pause flag and the dimmed overlay.
#include "game/world/pause_overlay.h"

#include <memory>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/graphics/region.h"
#include "game/graphics/screen_presenter.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_function.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/world/scene_view.h"
#include "host/user.h"

namespace {

// Colours of the overlay: each channel times 127 / 255.
constexpr int32_t kPauseShade = 127;

struct PauseState {
  bool paused = false;
  std::unique_ptr<Bitmap> overlay;
};

PauseState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static PauseState* state = new PauseState;
  return *state;
}

void FreeOverlay() {
  PauseState& s = State();
  if (s.overlay != nullptr && GetScreenSnapshot() == s.overlay.get()) SetScreenSnapshot(nullptr);
  s.overlay.reset();
}

// The whole window, presented and painted now rather than at the next frame.
void PresentWholeWindow() {
  MainWindow* window = GetMainWindow();
  ScreenPresenter* presenter = GetScreenPresenter();
  if (window == nullptr || presenter == nullptr || !window->IsCreated()) return;
  Region whole(Bounds{0, 0, window->Width(), window->Height()});
  presenter->Present(whole);
  UpdateWindow(window->GetNativeWindow());
}

}  // namespace

bool IsGamePaused() { return State().paused; }

void SetGamePaused(bool paused) {
  PauseState& s = State();
  if (paused == s.paused) return;
  Input::Reset();
  FreeOverlay();
  if (paused) {
    SceneView* view = GetSceneView();
    if (view != nullptr) {
      view->PushLayer();
      Region region;
      if (Bitmap* screen = ComposeGameScreen(region)) {
        auto overlay = std::make_unique<Bitmap>();
        if (overlay->CopyFrom(*screen) == kBitmapReady) {
          ShadeRect(*overlay, overlay->Frame(), kPauseShade);
          s.overlay = std::move(overlay);
          SetScreenSnapshot(s.overlay.get());
        }
      }
      view->PopLayer();
    }
  }
  PresentWholeWindow();
  s.paused = paused;
}

Bitmap* GetPauseOverlay() { return State().overlay.get(); }

void ResetPauseOverlay() {
  FreeOverlay();
  State().paused = false;
}
