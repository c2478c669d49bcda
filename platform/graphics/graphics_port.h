// The drawing half of a world: a device context with the framework's pen, fill, text and clip state beside it.
// This file holds the record and its binding to a window or a caller's device context; window worlds bind their
// port to the memory device context of their DIB.
#pragma once

#include <cstdint>

#include "host/types.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/graphics_world.h"

// The fields that stay with a port when two worlds exchange ports and pixel maps.
struct GraphicsPortBinding {
  HDC dc;
  HWND window;  // the window whose DC this is; kCallerDcWindow when bound to a caller's DC
  uint8_t restoreDc;
  uint8_t penSelected;
  uint8_t fontSelected;
  uint8_t brushSelected;
  const uint8_t* fillPattern;  // 8 x 8 1-bit pattern, or the solid pattern
  const uint8_t* penPattern;   // null for a solid pen
  int32_t penWidth;
  int32_t fontId;
  int32_t fontHeight;
  int32_t fontStyle;
};

// The fields exchanged with the pixel map when two worlds exchange ports and pixel maps.
struct GraphicsPortTextState {
  int32_t alignment;   // 0 centre, 1 right, other left
  int32_t metrics[5];  // ascent, descent, external leading, height, widest character
  char family[256];
  HRGN savedClip;
  int32_t saveDcId;
  uint32_t foreWord;
  uint32_t backWord;
};

struct GraphicsPort : WorldPartLinks, GraphicsPortBinding, GraphicsPortTextState {
  // Binds the port: to the given DC when one is given (the port never releases it), else to GetDC(window).
  static PlatformError Bind(GraphicsPort* port, HWND window, HDC dc, bool saveDc);
  // Unbinds: restores a saved DC state, releases a window's DC, forgets the DC.
  static PlatformError EndDrawing(GraphicsPort* port);
};

// The window field of a port bound to a caller's DC.
inline HWND CallerDcWindow() { return reinterpret_cast<HWND>(static_cast<intptr_t>(-1)); }

// The record of a print job's device; nothing in this system creates one, but disposal handles it.
struct PrintDeviceRecord : WorldPartLinks {
  HDC dc;
  PlatformError result;  // what the job ended with
};

PlatformError EndPrintJob(PrintDeviceRecord* record);
