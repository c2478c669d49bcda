// Binding and unbinding a world's port (see graphics_port.h).
#include "platform/graphics/graphics_port.h"

#include "host/user.h"

PlatformError GraphicsPort::Bind(GraphicsPort* port, HWND window, HDC dc, bool saveDc) {
  if (dc) {
    port->dc = dc;
    port->window = CallerDcWindow();
  } else {
    port->dc = GetDC(window);
    if (!port->dc) return kPlatformErrGraphics;
    port->window = window;
  }
  // Saving the DC's state belongs with the drawing state of the port; nothing is saved yet.
  port->restoreDc = 0;
  (void)saveDc;
  port->foreWord = 0x000000;
  port->backWord = 0xFFFFFF;
  return kPlatformNoError;
}

PlatformError GraphicsPort::EndDrawing(GraphicsPort* port) {
  // A caller's DC is only forgotten; a window's DC taken at binding is released.
  if (port->dc && port->window && port->window != CallerDcWindow()) ReleaseDC(port->window, port->dc);
  port->dc = nullptr;
  port->window = nullptr;
  return kPlatformNoError;
}

PlatformError EndPrintJob(PrintDeviceRecord* record) { return record ? record->result : kPlatformNoError; }
