// The screen presenter: puts the finished frame on the game window.
//
// The game composes each frame into a Bitmap of 3-byte pixels. Presenting is two-step: Present only invalidates
// the changed region of the window; the window's paint handling then calls Blit, which copies the changed rows
// of the frame to the window's device context as a 24-bit top-down device-independent bitmap (whole rows: the
// region's x extent is not used).
#pragma once

#include <cstdint>
#include <vector>

#include "game/graphics/region.h"
#include "host/gdi.h"
#include "host/types.h"

class Bitmap;

// What the presenter needs of the game's main window.
class FrameWindow {
 public:
  virtual ~FrameWindow() = default;
  virtual bool IsCreated() const = 0;
  virtual void InvalidateRegion(const Region& region) = 0;
  // The window's own device context (kept for the window's life).
  virtual HDC DeviceContext() const = 0;
};

class ScreenPresenter {
 public:
  ScreenPresenter(FrameWindow* window, int32_t width, int32_t height);
  ~ScreenPresenter() = default;
  ScreenPresenter(const ScreenPresenter&) = delete;
  ScreenPresenter& operator=(const ScreenPresenter&) = delete;

  // Describes a frame of that size; a width or height of 0 (or less) leaves no description, and Blit then draws
  // nothing.
  void SetSize(int32_t width, int32_t height);
  FrameWindow* GetWindow() const { return window_; }
  // Invalidates the region of the window; always 0.
  int32_t Present(const Region& region);
  // Copies the rows of the region's bounding box (and the row below it, within the frame) to the window. Gives
  // the number of rows drawn, the system's error code when drawing failed, or 0 when nothing could be drawn: no
  // window yet, no frame size, or a bitmap that is not of the frame's size.
  int32_t Blit(const Bitmap& frame, const Region& region);

 private:
  FrameWindow* window_;
  bool busy_ = false;
  bool hasHeader_ = false;
  BITMAPINFO header_{};
  // Rows of a frame whose rows are not device-independent rows as they stand (a width not a multiple of 4, or
  // pixels of another size) are copied here first, each padded to a multiple of 4 bytes.
  std::vector<uint8_t> padded_;
};
