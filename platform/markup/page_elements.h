// The built-in tag handlers of markup pages, which InterfaceSystem::Initialize registers: buttons and images
// ("BUTTON", "IMAGE", "IMG"), "BORDER", "FRAME", "POPUP" and "TEXTBOX", with the helpers they are made of. Each
// follows the element protocol of interface_element.h; a handler answers -7003 for the messages its tag does not
// support and 0 for the others it does not use.
#pragma once

#include <cstdint>

#include "host/controls.h"
#include "host/types.h"
#include "platform/core/memory.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/rect.h"
#include "platform/markup/interface_element.h"

// The answer to a message an element does not support.
constexpr PlatformError kElementErrUnsupported = -7003;
// The answer of a read-only text box offered the keyboard focus.
constexpr PlatformError kElementErrNoFocus = -7002;

// Buttons and images: a Win32 "BUTTON" child window (push, default push, check box, radio button), or, with
// pictures (SRC, DIM and LIT, from the element or from the "IMAGE" elements inside it), an image button drawn by
// the page. A button is enabled only with HREF or SCRIPT.
struct ButtonElement {
  static PlatformError Proc(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instanceData, int32_t message,
                            intptr_t parameter1, intptr_t parameter2);
};

// The pictures of an image button: three per image set (the states normal, dim and lit), each a file name and a
// source rectangle (empty for the whole picture).
struct ImageButtonEntry {
  Rect rect;
  char name[256];
};

struct ImageButton {
  // A new handle with the entries of every set: one per "IMAGE" element inside the element (each attribute from
  // the inner element, else from the element), else the element's own when it has SRC, else none. DIM and LIT
  // (and their _RECT) default to SRC and SRC_RECT.
  static PlatformError LoadStates(MarkupNode* element, PlatformHandle** images);
  // Draws the picture of a set and state into the rectangle through the port (a port is made for the DC when
  // none is given); a set or state not loaded, or a picture that cannot be had, draws the placeholder: a dark red
  // pattern on white, framed in black, inverted in any state but the normal one.
  static PlatformError DrawState(HDC dc, PlatformWorld* port, const Rect* rect, PlatformHandle* images, int32_t set,
                                 int32_t state);
};

// A frame with an optional title on its top edge: solid, dotted or no line, a bevel of INDENT pixels, a notch cut
// from the bottom right corner with CHIPPED. A border is never enabled.
struct BorderElement {
  struct Data {
    char title[256];
    uint32_t foreground;
    uint32_t background;
    int32_t line;  // 0 none, 1 dotted, 2 solid
    int32_t alignment;
    uint8_t chipped;
    uint8_t foregroundGiven;
    uint8_t backgroundGiven;
    uint8_t enabledByActivation;
    int32_t indent;
    Rect rect;
    uint8_t visible;
  };
  static PlatformError Proc(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instanceData, int32_t message,
                            intptr_t parameter1, intptr_t parameter2);
  static PlatformError DrawFrame(PlatformWorld* port, const Data* border);
};

// Another page (the file and section of SOURCE or SRC, like a page link) shown inside the element's rectangle on
// the same window. A frame that would show its own page, or a page that encloses it, is refused (-8400), and
// frames nest at most kFrameNesting deep.
constexpr int32_t kFrameNesting = 8;
struct FrameElement {
  static PlatformError Proc(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instanceData, int32_t message,
                            intptr_t parameter1, intptr_t parameter2);
};

// A Win32 drop-down list of the "ITEM" elements inside the element. The first item is selected when it is made;
// the value is the 1-based selected item (0 for none). Without a window the value is the one stored: the 0-based
// index of the last item marked DEFAULT, or what was set last.
struct PopupElement {
  static PlatformError Proc(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instanceData, int32_t message,
                            intptr_t parameter1, intptr_t parameter2);
};

// Text boxes: the element's content as styled text in a read-only rich-edit control, drawn transparently over the
// page with its links followed on a click, or an editable Win32 "EDIT" field with the content as its text.
struct TextBoxLink {
  int32_t start;   // character position
  int32_t length;  // characters
  char* href;      // a copy of its own
  int32_t height;  // of the link's text, for inverting it
};

struct TextBoxElement {
  struct Data {
    uint32_t foreground;
    uint32_t background;
    uint32_t linkColour;
    uint8_t foregroundGiven;
    uint8_t backgroundGiven;
    uint8_t editable;
    uint8_t singleLine;
    int32_t alignment;
    uint8_t allowed[256];  // the characters ALLOW lets in, within the default set
    uint8_t focused;
    uint8_t enabledByActivation;
    uint8_t visible;
    uint8_t enabled;
    Rect rect;
    PlatformHandle* links;  // TextBoxLink each
    HWND control;
    HFONT font;       // editable boxes
    HMODULE library;  // the rich-edit library of a read-only box
    uint8_t rich20;   // the library is the 2.0 one
    // The drawing cache: what it was made for, a colour bitmap of the control's client size and a 1-bit mask.
    int32_t cacheDepth;
    RECT cacheRect;
    HDC cacheDc;
    HBITMAP cacheBitmap;
    HGDIOBJ cacheOldBitmap;
    HDC maskDc;
    HBITMAP maskBitmap;
    HGDIOBJ maskOldBitmap;
  };
  static PlatformError Proc(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instanceData, int32_t message,
                            intptr_t parameter1, intptr_t parameter2);
  // Message 1: the control, filled with the element's content.
  static PlatformError CreateControl(HWND pageWindow, Data* box);
  static PlatformError PrepareDrawingCache(Data* box);
  static void FreeDrawingCache(Data* box);
  // Draws a read-only box's text into the DC with white as transparent: the page shows between the letters.
  static PlatformError DrawTransparent(Data* box, HDC dc);
};

// A rich-edit character format and the matching font of one run.
struct RichEditFormats {
  CHARFORMATA charFormat;
  LOGFONTA logFont;
};
PlatformError MakeRichEditCharFormat(HWND control, HDC dc, const TextBoxElement::Data* box, RichEditFormats* formats,
                                     const char* faceList, int32_t size, uint32_t style, uint32_t colour);
// Appends a piece of text to the handle: a tab becomes four blanks and every line break "\r\n"; with collapse,
// tabs, line breaks and blanks become one blank, left out where the text (or, for an empty handle, the previous
// piece) already ends in one.
PlatformError AppendRichEditText(PlatformHandle* handle, const char* text, bool collapse, bool previousEndedInSpace);
// The link under a point (page coordinates) of a read-only box: a cursor query (no click) marks the result with
// its HREF; a click tracks the mouse with the link inverted while the pointer is on it, and a release on it
// leaves the HREF in the result, marked activated.
PlatformError HitTestRichEditLink(HWND pageWindow, HDC dc, TextBoxElement::Data* box, const Point* point, bool click,
                                  InterfaceActionResult* result);
// Inverts the up to three rectangles (control coordinates) of a link on the control and the page beneath it.
void InvertRichEditLink(HWND pageWindow, HDC dc, const TextBoxElement::Data* box, const RECT rects[3]);
// The first identifier above 9900 that no child window of the window has.
int32_t FindFreeControlId(HWND window);
int32_t GetRichEditTextLength(HWND control, bool rich20);
POINT GetRichEditCharPosition(HWND control, int32_t index, bool rich20);
