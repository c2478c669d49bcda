// The drawing half of a world: a device context with the framework's pen, fill, text and clip state beside it. Ports
// are bound to a window (taking and releasing its DC) or to a DC the caller owns; window worlds bind their port to the
// memory device context of their DIB. All drawing goes through GDI on the port's DC; when the port's world also has a
// pixel map, each drawing operation is bracketed so that the memory the blitter writes and the bitmap GDI draws into
// stay in step.
//
// The operations are spread over files by idea: graphics_port.cpp holds binding, the pixel-access bracket, state
// resets, colours, pens and brushes, clipping, the origin and the window's update region; graphics_port_text.cpp fonts
// and text; graphics_port_drawing.cpp pixels, lines, rectangles, copying and tiling.
#pragma once

#include <cstdint>

#include "host/types.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/color.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/rect.h"
#include "platform/graphics/transfer_mode.h"

// Every failing GDI call of a port, selections included, gives this code.
constexpr PlatformError kPlatformErrPortGdi = kPlatformErrNoMemory;

// The solid pattern: eight bytes of zero bits, recognised by its address. A port whose fill or pen pattern is this
// pattern fills or draws in the solid text colour.
extern const uint8_t kSolidPattern[8];

// Font style bits.
constexpr int32_t kFontStyleBold = 1;
constexpr int32_t kFontStyleItalic = 2;
constexpr int32_t kFontStyleUnderline = 4;

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

// Colours pass as ColorRecord values; the fore colour is the DC's text colour, the back colour its background colour.
// Patterns are 8 x 8 bits, one byte per row from the top, the high bit leftmost; 0 bits take the fore colour and 1 bits
// the back colour, and the pattern repeats from the device origin. A pattern pointer is kept by the port, so the caller
// keeps the pattern alive while the port uses it.
//
// Unless noted, operations take the world holding the port and return -7002 for a world without a bound port and
// kPlatformErrPortGdi when GDI fails.
struct GraphicsPort : WorldPartLinks, GraphicsPortBinding, GraphicsPortTextState {
  // Port-only worlds bound to a window's DC or to a caller's DC (which the port never releases); null on failure.
  static PlatformWorld* CreateForWindow(HWND window, bool saveDc);
  static PlatformWorld* CreateForDC(HDC dc, bool saveDc);
  static PlatformError Dispose(PlatformWorld* world);

  // Binds the port: to the given DC when one is given, else to GetDC(window) (none: -7300). With saveDc the DC's state
  // is saved, to be restored at the end. The DC's clip region is kept as the saved clip.
  static PlatformError Bind(GraphicsPort* port, HWND window, HDC dc, bool saveDc);
  // Unbinds: the port's own pen, font and brush are deselected and deleted, a saved DC state is restored, a window's DC
  // released, the saved clip deleted, and the DC forgotten.
  static PlatformError EndDrawing(GraphicsPort* port);

  // The bracket round GDI drawing on a world with a pixel map (nothing for a port-only world): memory newer than the
  // bitmap is copied into it first; afterwards the bitmap is marked newer, or copied back at once while the pixels are
  // still locked by an outer bracket.
  static PlatformError BeginPixelAccess(GraphicsPort* port);
  static void EndPixelAccess(GraphicsPort* port);

  // Resets the chosen groups: pen and brush (white background, copy mixing, black pen and brush, solid pattern, width
  // 0), text (black, left and baseline aligned with the current position updated, the variable-pitch stock font as font
  // 12 at height 12), clip (the clip saved at binding) and origin (0, 0). Always: pixel mapping and an opaque
  // background.
  static PlatformError ResetState(PlatformWorld* world, bool pen, bool brush, bool text, bool clip, bool origin);

  // Sets the colours given (null leaves one alone), stores the pattern when given, and selects the fill brush.
  static PlatformError SetFillPattern(PlatformWorld* world, const ColorRecord* fore, const ColorRecord* back,
                                      const uint8_t* pattern);
  static PlatformError SetBackColor(PlatformWorld* world, const ColorRecord* back);
  static PlatformError SetForeColor(PlatformWorld* world, const ColorRecord* fore);
  static PlatformError GetForeColor(PlatformWorld* world, ColorRecord* out);
  static PlatformError GetBackColor(PlatformWorld* world, ColorRecord* out);
  // Width -1 keeps the width. A pattern other than the solid one makes a geometric pen of the width and selects a brush
  // of the pattern as the fill brush as well; otherwise the pen is solid in the fore colour.
  static PlatformError SetPen(PlatformWorld* world, const ColorRecord* fore, const ColorRecord* back,
                              const uint8_t* pattern, int32_t width);

  // Font and alignment (0 centre, 1 right, other left; always on the baseline with the current position updated). Font
  // ids 10 to 14 and 16 are the stock fonts (height 12); other ids make a font of the height and style bits, in the
  // first installed family of the list (names are the runs of ASCII letters in it). A font that cannot be made leaves
  // the variable-pitch stock font selected and gives kPlatformErrPortGdi; the port still stores the family, font id,
  // height and style asked for.
  static PlatformError SetTextStyle(PlatformWorld* world, const ColorRecord* fore, const char* familyList,
                                    int32_t fontId, int32_t height, int32_t style, int32_t alignment);
  // The same font at another height, in the family chosen last; nothing when the height is unchanged.
  static PlatformError SetTextSize(PlatformWorld* world, int32_t height);
  // Ascent, descent, external leading, height, widest character.
  static PlatformError GetFontMetrics(PlatformWorld* world, int32_t out[5]);

  // A new region holding the clip in logical coordinates (the whole 32-bit plane when there is none); null on failure.
  static HRGN GetClipRegion(PlatformWorld* world);
  // A region in logical coordinates; one covering the whole 32-bit plane lifts the clip.
  static PlatformError SetClipRegion(PlatformWorld* world, HRGN region);
  static PlatformError ClipToRect(PlatformWorld* world, const Rect* rect);
  // The window's update region: -7002 for a port bound to a caller's DC; nothing (and success) for a hidden window.
  static PlatformError InvalidateRect(PlatformWorld* world, const Rect* rect);
  static PlatformError ValidateRect(PlatformWorld* world, const Rect* rect);
  static PlatformError SetOrigin(PlatformWorld* world, int32_t x, int32_t y, Point* previous);

  // Draws the source world into the port: by copy bits into the port's own pixel map when it has one, else through the
  // GDI copy path. Null rects mean the source's bounds.
  static PlatformError CopyWorld(PlatformWorld* world, const Rect* destinationRect, PlatformWorld* source,
                                 PlatformWorld* maskWorld, const TransferMode* mode, const Rect* sourceRect);
  // Tiles the source rect (or bounds) over the area (null: the whole device) within the clip, tiles aligned on
  // multiples of the tile size from the logical origin, which `origin` (when given) moves for the call. Tiles are drawn
  // by the GDI copy path in the default mode, through the mask when one is given.
  static PlatformError TileWorld(PlatformWorld* world, const Rect* area, const Point* origin, PlatformWorld* source,
                                 PlatformWorld* maskWorld, const Rect* sourceRect);

  static PlatformError SetPixel(PlatformWorld* world, int32_t x, int32_t y, const ColorRecord* colour);
  static PlatformError MoveTo(PlatformWorld* world, int32_t x, int32_t y);
  static PlatformError LineTo(PlatformWorld* world, int32_t x, int32_t y);
  // The outline inside the rect, drawn with the pen along the middle of a border of the pen's width.
  static PlatformError FrameRect(PlatformWorld* world, const Rect* rect);
  static PlatformError FillRect(PlatformWorld* world, const Rect* rect);
  static PlatformError EraseRect(PlatformWorld* world, const Rect* rect);
  static PlatformError InvertRect(PlatformWorld* world, const Rect* rect);
  // Width of the first n bytes of the text in the current font; 0 on failure.
  static int32_t TextWidth(PlatformWorld* world, const char* text, int32_t n);
  // Text at a point, by the alignment; the current position moves to its end.
  static PlatformError DrawText(PlatformWorld* world, int32_t x, int32_t y, const char* text, int32_t n);
};

// The first family of the list that is installed, copied to out (256 bytes); null and "" when none is.
const char* ChooseInstalledFontFamily(HDC dc, const char* list, char out[256]);

// The window field of a port bound to a caller's DC.
inline HWND CallerDcWindow() { return reinterpret_cast<HWND>(static_cast<intptr_t>(-1)); }

// The record of a print job's device; nothing in this system creates one, but disposal handles it.
struct PrintDeviceRecord : WorldPartLinks {
  HDC dc;
  uint8_t documentStarted;
  PlatformError result;  // what the job ended with (-7007 when it was cancelled)
  HGLOBAL settings;      // the printer settings' global memory, locked while the job runs (or null)
};

// Ends a print job that has a DC: the document is ended (aborted when the job was cancelled) if one was started,
// the printer settings are unlocked, the DC deleted and one fewer print job counted. Returns the job's result.
PlatformError EndPrintJob(PrintDeviceRecord* record);

// The count of running print jobs: whoever starts a job counts it, EndPrintJob counts it off.
void CountPrintJobStarted();
int32_t PrintJobCount();
