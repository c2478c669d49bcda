// Helpers shared by the files of the drawing ports (graphics_port*.cpp): finding a world's bound port, rects clamped
// for GDI, the selection of objects the port owns, solid brushes, and the pixel-access bracket as a scope.
#pragma once

#include "host/gdi.h"
#include "platform/graphics/graphics_port.h"

namespace graphics_port {

// The world's port when it is bound to a DC, else null.
inline GraphicsPort* BoundPort(PlatformWorld* world) {
  GraphicsPort* port = world != nullptr ? world->port : nullptr;
  return port != nullptr && port->dc != nullptr ? port : nullptr;
}

inline RECT GdiRect(const Rect* rect) {
  Rect clamped;
  Rect::ClampForGdi(&clamped, rect);
  return RECT{clamped.left, clamped.top, clamped.right, clamped.bottom};
}

// Selects a pen, brush or font the port made and deletes the one it replaces, except the first time for each kind, when
// the DC's own object is left alone and the kind is marked as the port's. A failed selection deletes the new object.
PlatformError SelectOwned(GraphicsPort* port, HGDIOBJ object, uint8_t* madeByPort);

// The brush of a solid colour: the stock black, grey or white brush for those colours, else a new brush.
HBRUSH SolidBrushFor(COLORREF colour);

// BeginPixelAccess and EndPixelAccess for the length of a scope.
class PixelAccess {
 public:
  explicit PixelAccess(GraphicsPort* port) : port_(port), error_(GraphicsPort::BeginPixelAccess(port)) {}
  ~PixelAccess() {
    if (error_ == kPlatformNoError) GraphicsPort::EndPixelAccess(port_);
  }
  PixelAccess(const PixelAccess&) = delete;
  PixelAccess& operator=(const PixelAccess&) = delete;
  PlatformError error() const { return error_; }

 private:
  GraphicsPort* port_;
  PlatformError error_;
};

// The DC's background mode set to TRANSPARENT for the length of a scope.
class TransparentBackground {
 public:
  explicit TransparentBackground(HDC dc) : dc_(dc), previous_(SetBkMode(dc, TRANSPARENT)) {}
  ~TransparentBackground() {
    if (previous_ != 0) SetBkMode(dc_, previous_);
  }
  TransparentBackground(const TransparentBackground&) = delete;
  TransparentBackground& operator=(const TransparentBackground&) = delete;
  bool ok() const { return previous_ != 0; }

 private:
  HDC dc_;
  int previous_;
};

}  // namespace graphics_port
