// The system's control classes as the host layer provides them: push buttons, check boxes and radio buttons
// ("BUTTON"), drop-down lists ("COMBOBOX"), single- and multi-line edit fields ("EDIT"), and the rich-edit
// controls of the two run-time libraries ("RichEdit20A" of "RICHED20.DLL", "RICHEDIT" of "RICHED32.DLL"), with
// the messages, styles, notifications and records they take.
//
// The controls are drawn by the host with its own GDI and fonts. Each paints on WM_PAINT (into the device context
// in wParam when one is given, else between BeginPaint and EndPaint) and on WM_PRINTCLIENT, tells its parent of
// what the user did with WM_COMMAND (the control's identifier in the low word of wParam, the notification in the
// high word, the control in lParam), and asks its parent for colours with WM_CTLCOLORSTATIC where the system's
// controls do (check boxes and radio buttons, and edit fields that are read-only or disabled). A control takes the
// keys its kind needs; the others (Tab, Return, Escape, shortcuts) go on to its parent.
#pragma once

#include "host/gdi.h"
#include "host/user.h"

// --- Messages every window takes -------------------------------------------------------------------------------
// SetWindowTextA and GetWindowTextA send WM_SETTEXT and WM_GETTEXT; DefWindowProcA keeps the text.

constexpr UINT WM_SETTEXT = 0x000C;        // lParam: the text; TRUE when set
constexpr UINT WM_GETTEXT = 0x000D;        // wParam: buffer size, lParam: buffer; the length copied
constexpr UINT WM_GETTEXTLENGTH = 0x000E;  // the text's length
constexpr UINT WM_SETFONT = 0x0030;        // wParam: the font (null: the system font), lParam: redraw
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_PRINTCLIENT = 0x0318;    // wParam: the device context, lParam: PRF_ flags

constexpr LPARAM PRF_CHECKVISIBLE = 0x01;  // nothing is drawn for a hidden window
constexpr LPARAM PRF_NONCLIENT = 0x02;
constexpr LPARAM PRF_CLIENT = 0x04;
constexpr LPARAM PRF_ERASEBKGND = 0x08;

constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_LEFT = 0x00000000;

// --- Buttons ---------------------------------------------------------------------------------------------------

constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;  // drawn with a heavier frame
constexpr DWORD BS_CHECKBOX = 0x0002;       // the check changes only by BM_SETCHECK
constexpr DWORD BS_RADIOBUTTON = 0x0004;
constexpr DWORD BS_TYPEMASK = 0x000F;

constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;  // wParam: BST_UNCHECKED or BST_CHECKED
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_SETSTATE = 0x00F3;  // wParam: nonzero shows the button pressed

constexpr WPARAM BST_UNCHECKED = 0x0000;
constexpr WPARAM BST_CHECKED = 0x0001;
constexpr LRESULT BST_PUSHED = 0x0004;
constexpr LRESULT BST_FOCUS = 0x0008;

constexpr WORD BN_CLICKED = 0;  // released inside after a press, or Space released

// --- Drop-down lists -------------------------------------------------------------------------------------------
// The window is as tall as its field; the height it is given (at creation or by SetWindowPos) bounds the field and
// the list that drops below it together.

constexpr DWORD CBS_DROPDOWNLIST = 0x0003;

constexpr UINT CB_ADDSTRING = 0x0143;      // lParam: the text; the new item's index
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;      // CB_ERR when nothing is selected
constexpr UINT CB_GETLBTEXT = 0x0148;      // wParam: index, lParam: buffer; the length, or CB_ERR
constexpr UINT CB_GETLBTEXTLEN = 0x0149;   // wParam: index
constexpr UINT CB_SELECTSTRING = 0x014D;   // wParam: item to search after (-1: all), lParam: a prefix
constexpr UINT CB_SETCURSEL = 0x014E;      // wParam: index (-1: none); the index, or CB_ERR
constexpr UINT CB_SHOWDROPDOWN = 0x014F;   // wParam: open or close the list
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;

constexpr LRESULT CB_ERR = -1;

constexpr WORD CBN_SELCHANGE = 1;  // the user chose another item
constexpr WORD CBN_SETFOCUS = 3;
constexpr WORD CBN_KILLFOCUS = 4;
constexpr WORD CBN_DROPDOWN = 7;
constexpr WORD CBN_CLOSEUP = 8;

// --- Edit fields -----------------------------------------------------------------------------------------------

constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_SAVESEL = 0x8000;  // rich edit: the selection stays while the focus is away

constexpr UINT EM_GETSEL = 0x00B0;        // wParam, lParam: DWORD* for the start and the end (or null)
constexpr UINT EM_SETSEL = 0x00B1;        // wParam: start, lParam: end; -1 as start drops the selection
constexpr UINT EM_REPLACESEL = 0x00C2;    // lParam: the text put in place of the selection
constexpr UINT EM_SETREADONLY = 0x00CF;   // wParam: flag
constexpr UINT EM_POSFROMCHAR = 0x00D6;
constexpr UINT EM_CHARFROMPOS = 0x00D7;

constexpr WORD EN_SETFOCUS = 0x0100;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD EN_CHANGE = 0x0300;  // the user changed the text (or WM_SETTEXT did, in a single-line field)

// --- Rich edit -------------------------------------------------------------------------------------------------
// Runs of text styled by CHARFORMATA records, laid out in lines broken at blanks to the window's width and at
// paragraph ends. Each "\r\n", "\r" or "\n" put in is one paragraph end: the 2.0 control ("RichEdit20A") keeps it
// as one character ("\r"), the 1.0 control ("RICHEDIT") as two ("\r\n"). WM_GETTEXT gives "\r\n" for each.
// A control with WS_EX_TRANSPARENT paints only its text; others fill their background colour first.
//
// EM_POSFROMCHAR takes its 2.0 form in the 2.0 control (wParam: character index; the result holds x in the low
// word and the top of the character's cell in the high word) and its 1.0 form in the 1.0 control (wParam: a
// POINTL* receiving the point, lParam: character index). EM_CHARFROMPOS takes a POINTL* in lParam in both and
// gives the index of the nearest character. EM_GETTEXTLENGTHEX is the 2.0 control's only.

constexpr UINT EM_FORMATRANGE = WM_USER + 57;      // wParam: draw (else measure), lParam: FORMATRANGE* (null frees)
constexpr UINT EM_SETBKGNDCOLOR = WM_USER + 67;    // wParam: nonzero for the system colour, lParam: the colour
constexpr UINT EM_SETCHARFORMAT = WM_USER + 68;    // wParam: SCF_ flags, lParam: CHARFORMATA*
constexpr UINT EM_GETTEXTLENGTHEX = WM_USER + 95;  // wParam: GETTEXTLENGTHEX*

constexpr WPARAM SCF_DEFAULT = 0x0000;    // the format of text typed or put in with no format of its own
constexpr WPARAM SCF_SELECTION = 0x0001;
constexpr WPARAM SCF_ALL = 0x0004;

constexpr DWORD CFM_BOLD = 0x00000001;
constexpr DWORD CFM_ITALIC = 0x00000002;
constexpr DWORD CFM_UNDERLINE = 0x00000004;
constexpr DWORD CFM_FACE = 0x20000000;  // the face name and the pitch and family byte
constexpr DWORD CFM_COLOR = 0x40000000;
constexpr DWORD CFM_SIZE = 0x80000000;

constexpr DWORD CFE_BOLD = 0x00000001;
constexpr DWORD CFE_ITALIC = 0x00000002;
constexpr DWORD CFE_UNDERLINE = 0x00000004;
constexpr DWORD CFE_AUTOCOLOR = 0x40000000;  // the text colour of the window instead of crTextColor

struct CHARFORMATA {
  UINT cbSize;  // sizeof(CHARFORMATA)
  DWORD dwMask;
  DWORD dwEffects;
  LONG yHeight;  // twips
  LONG yOffset;
  COLORREF crTextColor;
  BYTE bCharSet;
  BYTE bPitchAndFamily;
  CHAR szFaceName[LF_FACESIZE];
};
static_assert(sizeof(CHARFORMATA) == 60, "the record is 60 bytes");

struct POINTL {
  LONG x;
  LONG y;
};

struct CHARRANGE {
  LONG cpMin;
  LONG cpMax;  // -1: to the end
};

// Renders (or measures) a range of characters into rc of hdc, rectangles in twips of hdc's resolution. The result
// is the index of the first character that did not fit.
struct FORMATRANGE {
  HDC hdc;
  HDC hdcTarget;
  RECT rc;
  RECT rcPage;
  CHARRANGE chrg;
};

constexpr DWORD GTL_DEFAULT = 0;
constexpr DWORD GTL_USECRLF = 1;  // paragraph ends counted as "\r\n"

struct GETTEXTLENGTHEX {
  DWORD flags;
  UINT codepage;
};

// Makes the common controls ready. The button, drop-down and edit classes are always registered and the rich-edit
// classes come with their libraries, so there is nothing more to do.
void InitCommonControls();
