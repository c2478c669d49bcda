// Markup pages: windows described in markup files. A page shows one "PAGE" section of its file at a time; the
// section's elements become widgets through tag handlers registered by name (interface_element.h), and what the
// user does reaches the opener through one callback. Pages nest: a "FRAME" element shows another page inside
// its parent, and the pages of one tree share the root page's window, port, offscreen world, focus and images.
//
// This header holds the facility (start-up, tag registration, idle work), the page calls, the services tag
// handlers use, input and keyboard focus, and the cursor. Nothing in the system opens a page by itself: an opener
// makes a window of one of the three classes, attaches a page to it, sets the page's own-window flag (and the
// modal flag for a dialog window), and opens a file or folder.
#pragma once

#include <cstdint>

#include "host/types.h"
#include "platform/core/dictionary.h"
#include "platform/core/file_ref.h"
#include "platform/core/input_snapshot.h"
#include "platform/core/memory.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/image_import.h"
#include "platform/graphics/rect.h"
#include "platform/markup/interface_element.h"
#include "platform/markup/markup_document.h"
#include "platform/markup/markup_page_index.h"

// The facility's own result codes.
constexpr PlatformError kInterfaceErrWindowClass = -8400;  // a window class failed; a "://" link reached the resolver
constexpr PlatformError kInterfaceErrNoInterface = -8401;  // the file has no "INTERFACE" element
constexpr PlatformError kInterfaceRefused = -8404;         // a callback's answer refusing a change
constexpr PlatformError kInterfaceErrNoIndex = -8405;      // a folder without "index.iml"

// The callback's messages.
enum InterfacePageMessage : int32_t {
  kPageAttached = 0,
  kPageClosing = 1,
  kPageSectionShown = 2,     // non-zero fails the showing
  kPageIdle = 3,
  kPageSectionLeaving = 5,   // kInterfaceRefused keeps the section (not at close)
  kPageElementFocused = 6,   // non-zero is returned by the focus change
  kPageElementActivated = 8, // non-zero cancels the action
  kPageElementLosingFocus = 10,  // kInterfaceRefused keeps the focus when the change asked to move on
  kPageButtonPressed = 11,   // image-button and link tracking
  kPageButtonLeft = 12,
  kPageButtonBack = 13,
  kPageButtonReleased = 14,
};

// (page, user data, message, section NAME or null, element index in the section or -1, element NAME or null).
using InterfacePageCallback = int32_t (*)(InterfacePage* page, void* userData, int32_t message, const char* section,
                                          int32_t elementIndex, const char* elementName);

struct InterfaceTagHandler {
  InterfaceTagHandler* next;
  InterfaceElementProc handler;
  char name[256];  // upper-cased
};

struct InterfacePreloadEntry {
  InterfacePreloadEntry* next;
  PlatformWorld* world;  // null for a file that could not be had
  PlatformWorld* mask;
  TransferMode mode;
  ImageInfo info;
  uint32_t timeStamp;    // seconds clock of the last use
  uint8_t pending;       // not loaded yet
  char fileName[1];      // the name, stored on past the record
};

struct InterfaceParameter {
  InterfaceParameter* next;  // in document order
  InterfacePage* owner;
  MarkupNode* node;          // the "PARAMETER" or "PARAM" element
};

struct InterfaceSectionElements {
  MarkupNode* page;              // the shown "PAGE" element
  InterfaceElement* elements;    // live elements in creation order
  InterfaceParameter* parameters;
};

struct InterfaceFocus {
  InterfacePage* rootPage;
  InterfacePage* page;       // of the focused element
  InterfaceElement* element;
  int32_t index;             // of the element in its section; -1 with nothing focused
  HWND window;               // the focused child window
};

// Colours are 32-bit words as ParseMarkupColor gives them (the bytes of a ColorRecord).
constexpr uint32_t kInterfaceBlack = 0x000000FF;
constexpr uint32_t kInterfaceWhite = 0xFFFFFFFF;

struct InterfacePage {
  InterfacePage* next;  // in the list of open pages, newest first
  InterfacePage* parent;
  InterfacePageCallback callback;
  void* userData;
  Rect area;
  uint8_t needsRefresh;
  uint8_t closing;       // the window is being destroyed by Close
  uint8_t ownWindow;     // set by the opener: the page hides and destroys the window at close
  uint8_t active;
  uint8_t enabled;
  uint8_t modal;         // set by the opener for a dialog window
  uint8_t closeRequested;  // closed while a page call ran: closes when the outermost call returns
  uint8_t tearingDown;     // being closed now: a further close does nothing
  HDC windowDc;
  HWND window;
  HWND pendingFocusWindow;
  PlatformWorld* port;       // the root's, shared by child pages
  PlatformWorld* offscreen;  // root page only
  InterfaceTagHandler* tags;
  InterfacePreloadEntry* imageCache;  // root page only
  uint32_t lastPreloadTime;
  char* result;              // the opener's 256 bytes for the NAME of a "QUIT" element, or null
  Dictionary* variables;     // parameter values of this page, or null
  FolderRef folder;
  char fileName[256];
  MarkupNode* document;
  MarkupNode* interface;
  InterfaceSectionIndex* sectionIndex;
  InterfaceSectionElements sectionElements;
  InterfaceSection* currentSection;
  InterfaceFocus* focus;     // the root page's record
  InterfaceFocus ownFocus;   // the record, on a root page
  PlatformHandle* focusOrder;  // HWND each, in element order
  uint32_t foreground;
  uint32_t background;
  Rect layoutRect;
  PlatformWorld* backgroundPattern;
  char title[256];
  int32_t drawingSuspended;  // drawing is clipped away while above 0
  HBRUSH backgroundBrush;    // answered for WM_CTLCOLORDLG and WM_CTLCOLORSTATIC

  // --- Pages ---------------------------------------------------------------------------------------------------
  // A new page on the window (or, with window (HWND)-1, *page attached again), with the callback; the callback's
  // answer to message 0 is the result.
  static PlatformError Attach(HWND window, const Rect* rect, InterfacePageCallback callback, void* userData,
                              void* reserved, InterfacePage** page);
  // Opens a markup file, or the "index.iml" of a folder, at the named section (the first when none). With
  // neither folder nor path the page is cleared.
  static PlatformError Open(InterfacePage* page, FolderRef folder, const char* path, const char* sectionName);
  static PlatformError ShowSectionByName(InterfacePage* page, const char* name);
  static PlatformError ShowSection(InterfacePage* page, InterfaceSection* section);
  static PlatformError Close(InterfacePage* page);
  static bool IsOpen(InterfacePage* page);
  // Installs the page's parameter values, which the page disposes at close (replacing earlier ones).
  static void SetVariables(InterfacePage* page, Dictionary* variables);

  static int32_t GetElementCount(InterfacePage* page);
  static PlatformError GetElementRect(InterfacePage* page, int32_t n, Rect* rect);
  static PlatformError GetElementEnabled(InterfacePage* page, int32_t n, uint8_t* enabled);
  static PlatformError SetElementRect(InterfacePage* page, int32_t n, const Rect* rect);
  static PlatformError SetElementEnabled(InterfacePage* page, int32_t n, bool enabled);
  static PlatformError SetParameterText(InterfacePage* page, int32_t n, const char* markup);
  static PlatformError MoveTo(InterfacePage* page, const Rect* rect);
  static PlatformError SetActive(InterfacePage* page, bool active, bool enabled);

  // --- Sections, actions, idle work and drawing ----------------------------------------------------------------
  static PlatformError BuildSection(InterfacePage* page, InterfaceSection* section);
  static void RemoveSectionElements(InterfacePage* page);
  static PlatformError Activate(InterfacePage* page, InterfaceElement* element, const char* link);
  // Splits a page link into a file (empty: the current file) and a section (empty: none); -8400 for "://".
  static PlatformError ResolveLink(const char* link, char file[256], char section[256], bool* hasFile,
                                   bool* hasSection);
  static PlatformError Idle(InterfacePage* page);
  static void CollectPreloads(InterfacePage* page);
  static PlatformError LoadPreloads(InterfacePage* page);
  static PlatformError RefreshWindow(InterfacePage* page);
  static PlatformError Redraw(InterfacePage* page, const Rect* rect, bool skipFlush);

  // --- Elements ------------------------------------------------------------------------------------------------
  static PlatformError SendElementMessage(InterfacePage* page, InterfaceElement* element, int32_t message,
                                          intptr_t parameter1, intptr_t parameter2);
  static PlatformError AddElement(InterfacePage* page, InterfaceSectionElements* elements, MarkupNode* node,
                                  bool prepend, bool ownsNode);
  static void RemoveElement(InterfacePage* page, InterfaceSectionElements* elements, InterfaceElement* element);

  // --- Services for tag handlers (they act on the current page and element) ---------------------------------------
  // The page and element whose handler runs (null outside handlers).
  static InterfacePage* CurrentPage();
  static InterfaceElement* CurrentElement();
  static bool ElementsEnabled();
  static int32_t NotifyCurrentElement(int32_t message);
  static PlatformError RedrawCurrent(bool flush);
  static PlatformError InvalidateElement(void* reserved, const Rect* rect);
  static const char* GetCurrentAttribute(const char* name, bool inherit);
  static int32_t GetAlignment();
  static void GetTextStyle(const char** face, int32_t* size, MarkupTextStyle* style, uint32_t* colour,
                           const char** link);
  // The next non-empty text run inside the current element after the run whose text is `after` (from the start
  // when null), with its style; its text, or null.
  static const char* NextTextRun(const void* after, const char** face, int32_t* size, MarkupTextStyle* style,
                                 uint32_t* colour, const char** link);
  // The next node of the current element's content after `after` (from the start when null), with its style.
  static MarkupNode* NextContentNode(const MarkupNode* after, const char** face, int32_t* size,
                                     MarkupTextStyle* style, uint32_t* colour, const char** link);
  // The root page's cached picture of a file of the current page's folder, loaded now when missing or pending.
  // The worlds stay the cache's. -7203 for a file that does not exist (cached as no picture).
  static PlatformError GetImage(const char* name, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                                ImageInfo* info);
  // Waits for the pointer to move or the mouse button to be released, handing other messages on: true with the
  // pointer (page coordinates) while the button is down, false once it is up or the page is closing.
  static bool TrackMouse(MouseEventRecord* mouse);

  // --- Input and focus -------------------------------------------------------------------------------------------
  static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Whether the page handled the message, and its answer.
  static bool HandleWindowMessage(InterfacePage* page, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer);
  static PlatformError HandleKeyEvent(InterfacePage* page, const KeyEventRecord* key, InterfaceActionResult* result);
  static PlatformError HandleKey(InterfacePage* page, InterfaceSectionElements* elements, const KeyEventRecord* key,
                                 InterfaceActionResult* result);
  static PlatformError HandleMouse(InterfacePage* page, const MouseEventRecord* mouse, InterfaceActionResult* result);
  static PlatformError HandleControlCommand(InterfacePage* page, HWND control, InterfaceActionResult* result);
  static PlatformError ForwardCommand(InterfacePage* page, int32_t message, InterfaceActionResult* result);
  // Moves the focus one window on (or back) in the root page's focus order, passing over the windows of the
  // excluded page and element and, with a key window, every window but it.
  static PlatformError MoveFocus(InterfacePage* page, bool forward, InterfacePage* exceptPage,
                                 InterfaceElement* exceptElement, HWND key);
  static PlatformError SetFocus(InterfacePage* page, InterfaceElement* element, HWND window, bool keep);
  static void GetFocus(InterfacePage* page, InterfaceElement** element, int32_t* index, HWND* window);
  static PlatformError RebuildFocusOrder(InterfacePage* page, PlatformHandle* copy);
};

struct InterfaceSystem {
  // Starts the framework core, files and graphics, the idle and exit procedures, the window classes
  // "interface_tool" (no close button), "interface_tool_closebox" and "interface_tool_parent", and the built-in
  // tags. Once per process until Shutdown; -8400 when a class cannot be registered.
  static PlatformError Initialize();
  static void Shutdown();
  static bool IsInitialized();
  static PlatformError RegisterTag(InterfacePage* page, const char* tagName, InterfaceElementProc handler);
  static InterfaceElementProc FindTag(InterfacePage* page, const char* tagName);
  // Installs the parameter values every page reads after its own, which the facility disposes at shut-down.
  static void SetGlobalParameters(Dictionary* parameters);
  static void Idle();
};

// The readers of attribute values, for handlers.
inline int32_t ParseInterfaceNumber(const char* text) { return ParseMarkupInteger(text); }
inline uint32_t ParseInterfaceColor(const char* text) { return ParseMarkupColor(text); }
inline void ParseInterfaceRect(Rect* out, const char* text) { ParseMarkupRect(out, text); }
inline bool ParseInterfaceBool(const char* text) { return ParseMarkupBool(text); }

// Opens a web or mail address with the desktop's program; a failure beeps.
PlatformError OpenExternalLink(const char* target);
// Shows a cursor: 0 the arrow, ids below 0x7F00 the program's own, others system cursors; -1 and the current one
// change nothing. -7005 when it cannot be had.
PlatformError SetInterfaceCursor(int32_t id);
