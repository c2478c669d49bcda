// Binding and unbinding a world's port (see graphics_port.h).
#include "platform/graphics/graphics_port.h"

PlatformError GraphicsPort::Bind(GraphicsPort* port, HWND window, HDC dc, bool saveDc) {
  (void)saveDc;
  if (dc) {
    port->dc = dc;
    port->window = CallerDcWindow();
  } else {
    (void)window;
    return kPlatformErrGraphics;
  }
  port->foreWord = 0x000000;
  port->backWord = 0xFFFFFF;
  return kPlatformNoError;
}

PlatformError GraphicsPort::EndDrawing(GraphicsPort* port) {
  port->dc = nullptr;
  port->window = nullptr;
  return kPlatformNoError;
}

PlatformError EndPrintJob(PrintDeviceRecord* record) { return record ? record->result : kPlatformNoError; }
