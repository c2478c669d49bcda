// The main loop, the frame, the message pump and the frame pacing.
#include "game/shell/main_loop.h"

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "game/dialogs/dialog_services.h"
#include "game/graphics/animation_set.h"
#include "game/graphics/bounds.h"
#include "game/graphics/picture_cache.h"
#include "game/graphics/region.h"
#include "game/graphics/screen_presenter.h"
#include "game/rules/script_event.h"
#include "game/shell/media/ambient_sounds.h"
#include "game/shell/data/game_random.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_function.h"
#include "game/shell/main_window.h"
#include "game/shell/menus.h"
#include "game/shell/media/movie_player.h"
#include "game/shell/media/music_player.h"
#include "game/shell/data/option_store.h"
#include "game/shell/media/screen_fades.h"
#include "game/shell/media/sound_effects.h"
#include "game/shell/data/stopwatch.h"
#include "game/world/pause_overlay.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"
#include "host/kernel.h"
#include "host/user.h"

namespace {

// Pacing constants, in single precision as the loop compares them.
constexpr float kPeriod = 33.333332f;
constexpr float kBehind = -66.666664f;
constexpr float kRestart = -133.33333f;
constexpr float kWaitThreshold = 11.111111f;
constexpr float kPumpThreshold = 33.333332f;
constexpr DWORD kPausedSleepMs = 150;
constexpr float kShortWaitMargin = 1.0f;  // the short wait ends this long before its deadline, give or take
constexpr float kAmbientPeriodMs = 2500.0f;
constexpr float kKeyboardPollMs = 2000.0f;

struct LoopState {
  uint32_t runState = 0;
  std::unique_ptr<Stopwatch> clock;
  float target = 0, current = 0, previous = 0, offset = 0;
  bool skip = false;
  bool skipAllowed = true;
  int32_t skippedCount = 0;
  bool stopWaiting = false;
  std::vector<uint8_t> timeStates;
  uint16_t pendingCommand = 0;
  bool leavePump = false;
  Bitmap* snapshot = nullptr;
  PicturePool* startupPool = nullptr;
  PicturePool* gamePool = nullptr;
  PicturePool* mapPool = nullptr;
};

LoopState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static LoopState* state = new LoopState;
  return *state;
}

float ReadClock() { return State().clock ? State().clock->ElapsedMilliseconds() : 0.0f; }

void ResetPacing() {
  LoopState& s = State();
  if (s.clock) s.clock->Restart();
  s.target = s.current = s.previous = ReadClock();
  s.skip = false;
  s.skippedCount = 0;
  s.offset = 0.0f;
}

// The wait at the end of a frame: nothing when less than 11.111 ms early. More than a whole period early, messages
// are pumped as they come, so that input stays live, and between them the thread sleeps in the host until the
// next message or the deadline. Otherwise the thread sleeps until about a millisecond before the deadline and
// reads the clock: the frame ends on time within that millisecond, and no time goes to spinning on the clock.
void WaitForDeadline(float diff) {
  LoopState& s = State();
  if (!(diff > kWaitThreshold)) return;
  float deadline = s.target - s.offset;
  if (diff > kPumpThreshold) {
    while (s.current < deadline && !s.stopWaiting) {
      PumpMessages();
      s.current = ReadClock();
      if ((s.runState & kRunRunning) == 0) break;
      if (s.current < deadline && !s.stopWaiting) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::ceil(deadline - s.current)), QS_ALLINPUT);
      }
    }
  } else {
    float rest = deadline - s.current;
    if (rest > kShortWaitMargin) Sleep(static_cast<DWORD>(rest - kShortWaitMargin));
    s.current = ReadClock();
  }
}

}  // namespace

uint32_t GetRunState() { return State().runState; }
void SetRunStateBits(uint32_t bits) { State().runState |= bits; }
void ClearRunStateBits(uint32_t bits) { State().runState &= ~bits; }
void StopRunning() { ClearRunStateBits(kRunRunning); }

void RunGameTick() {
  if (!DispatchTopDialogEvents()) {
    if (Location* location = GetCurrentLocation()) location->OnClick();
  }
  if (Input::IsKeyDown(kSlotF3) != 0) Input::ReleaseKey(kSlotF3);
}

int32_t RunMainLoop() {
  LoopState& s = State();
  PictureCache::PushPool();
  if (s.gamePool != nullptr) PictureCache::SelectPool(s.gamePool);
  Stopwatch ambientClocks[3];
  ambientClocks[1].SetBack(800);
  ambientClocks[2].SetBack(1600);
  Stopwatch keyboardClock;
  float lastPoll = keyboardClock.ElapsedMilliseconds();
  RestartFrameClock();
  int32_t result = 0;
  while ((s.runState & kRunRunning) != 0 && result == 0) {
    Input::BeginFrame();
    FreeFinishedSounds();
    MusicIdle();
    MainWindow* window = GetMainWindow();
    if (window != nullptr && window->IsCreated() && !window->ContainsCursor()) Input::ResetMouse();
    if (GetCurrentTileMap() != nullptr && !IsGamePaused()) {
      for (int channel = 0; channel < 3; ++channel) {
        if (ambientClocks[channel].ElapsedMilliseconds() <= kAmbientPeriodMs) continue;
        ambientClocks[channel].Restart();
        AmbientChannel ambient = GetAmbientSound(channel);
        if (ambient.sound != nullptr && RandomRange(1, 100) <= ambient.chance) ambient.sound->Play();
      }
    }
    RunGameTick();
    result = RefreshView();
    float now = keyboardClock.ElapsedMilliseconds();
    if (now - lastPoll > kKeyboardPollMs) {
      lastPoll = now;
      Input::PollKeyboard();
    }
    PaceFrame();
  }
  RestartFrameClock();
  PictureCache::PopPool();
  return result;
}

void DrawGameScreen() {
  Location* location = GetCurrentLocation();
  if (location != nullptr && location->IsActive()) location->Draw();
  DrawOpenDialogs();
}

void ClearGameView() {
  if (SceneView* view = GetSceneView()) view->ClearBackBuffer();
}

Bitmap* ComposeGameScreen(Region& region) {
  SceneView* view = GetSceneView();
  if (view == nullptr) return nullptr;
  DrawGameScreen();
  view->ClearBackBuffer();
  // A screen composed for showing at once must not wait for a running event to end.
  const int32_t hold = view->GetUpdateHold();
  view->SetUpdateHold(0);
  view->Update(region);
  view->SetUpdateHold(hold);
  return view->GetBackBuffer();
}

int32_t RefreshView() {
  LoopState& s = State();
  if ((s.runState & kRunRunning) == 0) return -1;
  DrawGameScreen();
  Region region;
  if (!s.skip) {
    SceneView* view = GetSceneView();
    if (view != nullptr) {
      view->Update(region);
      ScreenPresenter* presenter = GetScreenPresenter();
      if (!region.IsEmpty() && presenter != nullptr) presenter->Present(region);
    }
  }
  int32_t result = PumpMessages();
  return (s.runState & kRunRunning) != 0 ? result : -1;
}

int32_t PumpMessages() {
  LoopState& s = State();
  if ((s.runState & kRunPaused) != 0) Sleep(kPausedSleepMs);
  MainWindow* window = GetMainWindow();
  HWND handle = (window != nullptr && window->IsCreated()) ? window->GetNativeWindow() : nullptr;
  int32_t result = 0;
  MSG message;
  // Every message of the thread is taken, not only the main window's: the framework's own window and the thread's
  // timers are served too, and nothing piles up while the game runs. The quit message belongs to no window: taken
  // for the main window alone, it would never be seen, and the program would not end on it.
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    HACCEL accelerators = GetAcceleratorTable();
    if (handle == nullptr || accelerators == nullptr || !TranslateAcceleratorA(handle, accelerators, &message)) {
      TranslateMessage(&message);
    }
    DispatchMessageA(&message);
    if (message.message == WM_QUIT) {
      // The quit message belongs to no window, so the window procedure never sees it: its code is kept here.
      SetQuitExitCode(static_cast<int32_t>(message.wParam));
      StopRunning();
    }
    if (message.message == WM_DESTROY || message.message == WM_CLOSE || message.message == WM_QUIT) {
      result = -1;
      break;
    }
    if (s.leavePump) {
      s.leavePump = false;
      break;
    }
  }
  if (s.pendingCommand != 0) {
    uint16_t command = s.pendingCommand;
    s.pendingCommand = 0;
    result = HandleMenuCommand(command);
  }
  Input::AgeButtons();
  return result;
}

void MediaIdle() {
  MusicIdle();
  MoviePlayer::Idle();
}

void InstallMediaServices() {
  FadeServices fades;
  // A fade draws with no layer current, from the whole screen composed anew.
  fades.beginFrame = []() -> Bitmap* {
    SceneView* view = GetSceneView();
    if (view == nullptr) return nullptr;
    view->PushLayer();
    Region region;
    return ComposeGameScreen(region);
  };
  fades.endFrame = [] {
    if (SceneView* view = GetSceneView()) view->PopLayer();
  };
  // Every step of a fade changes the whole screen: the whole of it is presented either way.
  fades.present = [](bool) {
    ScreenPresenter* presenter = GetScreenPresenter();
    if (presenter != nullptr) {
      Region whole;
      whole.SetRect(Bounds{0, 0, GetScreenWidth(), GetScreenHeight()});
      presenter->Present(whole);
    }
    PumpMessages();
  };
  fades.paused = [] { return (GetRunState() & kRunPaused) != 0; };
  fades.clicked = [] { return Input::WasClicked(); };
  fades.clearClick = [] { Input::ClearClick(); };
  fades.greyMenus = [](bool grey) { EnableMenuBar(grey); };
  SetFadeServices(fades);

  AnimationSetServices animations;
  animations.loadEvent = [](const std::string& name) { return std::shared_ptr<ScriptEvent>(LoadEvent(name)); };
  animations.findOrLoadSound = [](const std::string& name) { return FindOrLoadSound(name); };
  animations.playSound = [](SoundEffect* sound) { sound->Play(); };
  // A sound no holder counts is freed by the main loop once it has finished.
  animations.releaseSound = [](SoundEffect* sound) { --sound->referenceCount; };
  animations.mediaIdle = [](int32_t) { MediaIdle(); };
  SetAnimationSetServices(std::move(animations));
}

void PaintWindow(const Region& region) {
  SceneView* view = GetSceneView();
  ScreenPresenter* presenter = GetScreenPresenter();
  if (view == nullptr || presenter == nullptr) return;
  // A fade's own snapshot while it runs or keeps the screen black; then the pause overlay; else the back buffer.
  // The two are kept apart: a fade out destroys the snapshot it finds, which would free the pause overlay that
  // its owner still holds.
  Bitmap* frame = ScreenSnapshot();
  if (frame == nullptr) frame = State().snapshot != nullptr ? State().snapshot : view->GetBackBuffer();
  MainWindow* window = GetMainWindow();
  if (window != nullptr && window->IsCreated()) MoviePlayer::Draw(window->GetNativeWindow());
  if (frame != nullptr) presenter->Blit(*frame, region);
}

void StartFrameClock() {
  LoopState& s = State();
  s.timeStates.push_back(1);
  s.clock = std::make_unique<Stopwatch>();
  ResetPacing();
}

void RestartFrameClock() { ResetPacing(); }

void FreeFrameClock() {
  State().timeStates.clear();
  State().clock.reset();
}

void PaceFrame() {
  LoopState& s = State();
  s.skip = false;
  if (s.clock) {
    s.previous = s.current;
    s.current = ReadClock();
    s.target += kPeriod;
    float diff = s.target - s.current;
    // While game time stands still (a dialog is open) no frame is skipped, but each one still ends at its
    // deadline, so that a loop waiting on the player sleeps between frames instead of spinning.
    const bool timeStill = s.timeStates.empty() || s.timeStates.back() == 0;
    if (s.skippedCount >= 1 || timeStill) {
      s.skippedCount = 0;
      if (diff < kRestart) RestartFrameClock();
      else WaitForDeadline(diff);
    } else if (diff < kBehind) {
      s.skip = s.skipAllowed;
      s.skippedCount += 1;
    } else {
      s.skippedCount = 0;
      WaitForDeadline(diff);
    }
  }
  s.stopWaiting = false;
}

void SetFrameSkipAllowed(bool allowed) { State().skipAllowed = allowed; }
bool IsFrameSkipPending() { return State().skip; }

void PushTimeState(uint8_t value) {
  State().timeStates.push_back(value);
  RestartFrameClock();
}

void PopTimeState() {
  if (!State().timeStates.empty()) State().timeStates.pop_back();
  RestartFrameClock();
}

void SetStopWaiting() { State().stopWaiting = true; }

void SetPauseState(bool pause, bool fromSystem) {
  LoopState& s = State();
  if (fromSystem && (s.runState & kRunPausedByCommand) != 0) return;
  if (pause) {
    if ((s.runState & kRunPaused) != 0) return;
    if (GetCurrentTileMap() != nullptr && !GetCurrentTileMap()->IsFrozen()) SetGamePaused(true);
    SuspendMusic(true);
    s.runState |= kRunPaused;
    if (!fromSystem) s.runState |= kRunPausedByCommand;
  } else {
    if ((s.runState & kRunPaused) == 0) return;
    if (GetCurrentTileMap() != nullptr) SetGamePaused(false);
    SuspendMusic(false);
    s.runState &= ~(kRunPaused | kRunPausedByCommand);
  }
}

void SetPendingMenuCommand(uint16_t command) { State().pendingCommand = command; }
uint16_t GetPendingMenuCommand() { return State().pendingCommand; }
void SetLeavePump() { State().leavePump = true; }

Bitmap* GetScreenSnapshot() { return State().snapshot; }
void SetScreenSnapshot(Bitmap* snapshot) { State().snapshot = snapshot; }

PicturePool* GetStartupPool() { return State().startupPool; }
PicturePool* GetGamePool() { return State().gamePool; }
PicturePool* GetMapPool() { return State().mapPool; }
void SetStartupPools(PicturePool* startup, PicturePool* game, PicturePool* map) {
  State().startupPool = startup;
  State().gamePool = game;
  State().mapPool = map;
}
