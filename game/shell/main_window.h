// MainWindow: the game's one top-level window, windowed with a caption and an optional menu bar or fullscreen as
// a borderless pop-up at the game's display mode; its switching between the two, its menu bar, the invalidation
// through which the presenter draws, and the game's task-modal message boxes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "game/graphics/screen_presenter.h"
#include "host/user.h"

class Region;

// What the main function hands to the window: the program's instance and the window procedure.
struct StartupWindowParams {
  HINSTANCE instance = nullptr;
  WNDPROC windowProc = nullptr;
  intptr_t reserved1 = 0;
  intptr_t reserved2 = 0;
};

constexpr DWORD kFullscreenStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;          // 0x86000000
constexpr DWORD kWindowedStyle = kFullscreenStyle | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x86CA0000
constexpr WORD kProgramIconId = 12346;

class MainWindow : public FrameWindow {
 public:
  MainWindow(int32_t width, int32_t height, int32_t depth, bool wantFullscreen, bool menuBar, const std::string& title,
             const StartupWindowParams& params);
  ~MainWindow() override;

  // 0 success, 1 the class could not be registered, -1 the window or its device context could not be had.
  int32_t Create(bool fullscreen);
  int32_t Recreate() { return Create(wantFullscreen_); }
  int32_t SetFullscreen(bool on);
  int32_t SetDisplayMode(int32_t width, int32_t height, int32_t depth, bool fullscreen);
  void OnActivate(bool active);
  void HideMenuBar();
  void ShowMenuBar();
  bool HasMenuBar() const { return hasMenuBar_; }
  bool IsFullscreen() const { return fullscreen_; }
  // The mode the player chose, which an activation restores.
  bool WantsFullscreen() const { return wantFullscreen_; }
  bool IsCreated() const override { return created_; }
  void SetActive(bool active) { active_ = active; }
  bool IsActive() const { return active_; }
  void SetMenuHandle(HMENU menu) { menu_ = menu; }
  void InvalidateRegion(const Region& region) override;
  void InvalidateAll();
  bool ContainsCursor() const;
  HWND GetNativeWindow() const { return window_; }
  HDC DeviceContext() const override { return deviceContext_; }
  void SetPaintContext(HDC dc) { paintContext_ = dc; }
  void Show();
  void BringToFront();
  void Destroy();
  const std::string& Title() const { return title_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

 private:
  std::string ClassName() const { return title_ + "_class"; }
  void OuterSize(bool withMenu, int32_t* width, int32_t* height) const;
  void ApplyMenuBar();
  void Centre();

  int32_t width_, height_, depth_;
  std::string title_;
  bool fullscreen_ = false;
  bool wantFullscreen_;
  bool hasMenuBar_;
  bool created_ = false;
  HINSTANCE instance_;
  WNDPROC windowProc_;
  HWND window_ = nullptr;
  HDC deviceContext_ = nullptr;
  HDC paintContext_ = nullptr;
  bool active_ = true;
  HMENU menu_ = nullptr;
};

MainWindow* GetMainWindow();
void SetMainWindow(std::unique_ptr<MainWindow> window);
// The active window object when its handle matches, else null.
MainWindow* FindWindowObject(HWND window);

// The display-mode search: a mode of width x height at *depth bits, trying 24 as 24, 32, 16 and 32 as 32, 24,
// 32, 16 (other depths only as asked). enumerate(index, mode) gives the modes from index 0 until it fails. On
// success *depth is the depth found and *found the mode.
bool FindDisplayMode(const std::function<bool(DWORD, DEVMODEA*)>& enumerate, int32_t width, int32_t height,
                     int32_t* depth, DEVMODEA* found);

void ShowAlert(const std::string& text, const std::string& caption);
bool AskYesNo(const std::string& text, const std::string& caption);
bool AskYesNoWarning(const std::string& text, const std::string& caption);
