// The pause overlay over a 16 x 16 game view shown in a headless main window: what the window shows when the
// game pauses and resumes, with and without a screen faded out, and the input forgotten on the way.
#include "game/world/pause_overlay.h"

#include <gtest/gtest.h>

#include <memory>

#include "game/graphics/animation_set.h"
#include "game/graphics/screen_presenter.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_function.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/media/screen_fades.h"
#include "game/shell/window_procedure.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "tests/game/world/scene_fixture.h"

namespace {

using namespace scene_test;

constexpr DrawColor kGround{200, 100, 50, 255};
constexpr uint32_t kLive = 0x3264C8;    // the ground as the window shows it: 0xRRGGBB
constexpr uint32_t kDimmed = 0x183163;  // each channel times 127 / 255

class PauseOverlayTest : public SceneFixture {
 protected:
  void SetUp() override {
    SceneFixture::SetUp();
    HostTestSetHeadless(true);
    Input::Initialize();
    ground_ = Solid(16, 16, kGround);
    SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
    layer->SetImage(ground_.get());
    layer->PlaceImage(0, 0);
    StartupWindowParams params;
    params.instance = GetModuleHandleA(nullptr);
    params.windowProc = MainWindowProc;
    SetMainWindow(std::make_unique<MainWindow>(16, 16, 24, false, false, "Paused", params));
    ASSERT_EQ(GetMainWindow()->Create(false), 0);
    GetMainWindow()->Show();
    SetScreenPresenter(std::make_unique<ScreenPresenter>(GetMainWindow(), 16, 16));
  }
  void TearDown() override {
    ResetPauseOverlay();
    SetScreenPresenter(nullptr);
    SetMainWindow(nullptr);
    Input::Shutdown();
    HostTestResetWindowSystem();
    SceneFixture::TearDown();
  }

  // Paints the whole window now, from what the window shows in place of the back buffer or from the back buffer.
  static void Repaint() {
    GetScreenPresenter()->Present(Region(Bounds{0, 0, 16, 16}));
    UpdateWindow(GetMainWindow()->GetNativeWindow());
  }

  // The colour the window shows at (8, 8), 0xRRGGBB.
  static uint32_t Shown() {
    HostFrame frame;
    if (!HostTestLastFrame(GetMainWindow()->GetNativeWindow(), &frame) || frame.width < 16) return 0xFFFFFFFF;
    return frame.pixels[8 * static_cast<size_t>(frame.width) + 8] & 0xFFFFFF;
  }
};

TEST_F(PauseOverlayTest, PausingTwiceBuildsOneOverlayShadedTo127AndShowsItAtOnce) {
  SetGamePaused(true);
  EXPECT_TRUE(IsGamePaused());
  Bitmap* overlay = GetPauseOverlay();
  ASSERT_NE(overlay, nullptr);
  EXPECT_EQ(GetScreenSnapshot(), overlay);
  DrawColor color;
  GetPixel(color, *overlay, 3, 3);
  EXPECT_EQ(color, (DrawColor{99, 49, 24, 255}));
  EXPECT_EQ(Shown(), kDimmed);
  SetGamePaused(true);
  EXPECT_EQ(GetPauseOverlay(), overlay);
}

TEST_F(PauseOverlayTest, ResumingFreesTheOverlayAndASecondResumeDoesNothing) {
  SetGamePaused(true);
  SetGamePaused(false);
  EXPECT_FALSE(IsGamePaused());
  EXPECT_EQ(GetPauseOverlay(), nullptr);
  EXPECT_EQ(GetScreenSnapshot(), nullptr);
  EXPECT_EQ(Shown(), kLive);
  Input::SetKey(kSlotReturn, 1);
  SetGamePaused(false);
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(kSlotReturn), 1);  // not even the input was touched
}

TEST_F(PauseOverlayTest, InputHeldWhenPausingIsForgotten) {
  Input::SetKey(kSlotReturn, 1);
  Input::OnLeftButton(4, 4, kButtonDown);
  Input::BeginFrame();
  int32_t x = 0, y = 0, buttons = 0;
  ASSERT_EQ(Input::IsKeyDown(kSlotReturn), 1);
  ASSERT_NE(Input::GetMouse(&x, &y, &buttons), 0);
  SetGamePaused(true);
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(kSlotReturn), 0);
  EXPECT_EQ(Input::GetMouse(&x, &y, &buttons), 0);
}

TEST_F(PauseOverlayTest, AScreenFadedOutStaysBlackThroughAPauseAndAResume) {
  InstallMediaServices();
  FadeScreenOut(0);
  ASSERT_TRUE(IsScreenFaded());
  Repaint();
  EXPECT_EQ(Shown(), 0x000000u);
  SetGamePaused(true);
  EXPECT_EQ(Shown(), 0x000000u);
  SetGamePaused(false);
  EXPECT_EQ(GetPauseOverlay(), nullptr);
  EXPECT_EQ(Shown(), 0x000000u);
  // The fade-in brings the live screen back.
  FadeScreenIn(0);
  Repaint();
  EXPECT_EQ(Shown(), kLive);
  SetFadeServices({});
  SetAnimationSetServices({});
}

}  // namespace
