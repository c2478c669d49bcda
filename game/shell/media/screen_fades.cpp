// The screen fades: snapshot, timed shade loop and the end steps of each direction.
#include "game/shell/media/screen_fades.h"

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/shell/data/stopwatch.h"

namespace {

struct FadeState {
  FadeServices services;
  std::unique_ptr<Bitmap> snapshot;
  bool faded = false;
};

FadeState& State() {
  static FadeState state;
  return state;
}

bool Ready() {
  const FadeServices& s = State().services;
  return s.beginFrame != nullptr && s.endFrame != nullptr && s.present != nullptr && s.paused != nullptr &&
         s.clicked != nullptr && s.clearClick != nullptr && s.greyMenus != nullptr;
}

void CopyInto(Bitmap& snapshot, const Bitmap& backBuffer) {
  DrawBitmap(snapshot, Point{0, 0}, backBuffer, backBuffer.Frame());
}

void Fade(bool fadingOut, int32_t sixtieths) {
  if (!Ready()) return;
  FadeState& state = State();
  const FadeServices& s = state.services;
  if (fadingOut) state.faded = true;
  s.clearClick();
  s.greyMenus(true);
  Bitmap* backBuffer = s.beginFrame();
  if (backBuffer == nullptr || !backBuffer->HasPixels()) {
    s.endFrame();
    s.greyMenus(false);
    s.clearClick();
    return;
  }
  // FadeScreenOut starts from a new snapshot; FadeScreenIn reuses the one that kept the screen black.
  if (fadingOut || state.snapshot == nullptr) state.snapshot = std::make_unique<Bitmap>();
  state.snapshot->Free();
  state.snapshot->CopyFrom(*backBuffer);

  const float duration = FadeDurationMilliseconds(sixtieths);
  Stopwatch stopwatch;
  float elapsed = 0.0f;
  while (elapsed < duration && state.snapshot != nullptr && !s.paused() && !s.clicked()) {
    s.clearClick();
    CopyInto(*state.snapshot, *backBuffer);
    ShadeRect(*state.snapshot, state.snapshot->Frame(), FadeLevel(fadingOut, duration, elapsed));
    s.present(false);
    elapsed = stopwatch.ElapsedMilliseconds();
  }

  s.clearClick();
  if (state.snapshot != nullptr && !s.paused()) {
    if (fadingOut) {
      FillRect(*state.snapshot, state.snapshot->Frame(), DrawColor{0, 0, 0, 255});
    } else {
      CopyInto(*state.snapshot, *backBuffer);
    }
  }
  s.present(true);
  if (!fadingOut) {
    state.snapshot.reset();
    state.faded = false;
  }
  s.endFrame();
  s.greyMenus(false);
  s.clearClick();
}

}  // namespace

void SetFadeServices(const FadeServices& services) { State().services = services; }

float FadeDurationMilliseconds(int32_t sixtieths) {
  return static_cast<float>(sixtieths) * 0.016666668f * 1000.0f;
}

int32_t FadeLevel(bool fadingOut, float duration, float elapsed) {
  if (!(duration > 0.0f)) return fadingOut ? 0 : 255;
  const float remaining = (duration - elapsed) * 255.0f / duration;
  return fadingOut ? static_cast<int32_t>(remaining) : static_cast<int32_t>(255.0f - remaining);
}

void FadeScreenOut(int32_t sixtieths) { Fade(true, sixtieths); }
void FadeScreenIn(int32_t sixtieths) { Fade(false, sixtieths); }

Bitmap* ScreenSnapshot() { return State().snapshot.get(); }
std::unique_ptr<Bitmap> TakeScreenSnapshot() { return std::move(State().snapshot); }
void PutScreenSnapshotBack(std::unique_ptr<Bitmap> snapshot) { State().snapshot = std::move(snapshot); }
bool IsScreenFaded() { return State().faded; }
