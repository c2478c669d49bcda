// The window-system calls of the host layer: window classes and windows, the message queue, painting, timers,
// cursors, keyboard state, menus and accelerators, message boxes, system metrics and display modes.
//
// The calls keep their system names, values and meanings; behind them stand SDL windows and a message queue of
// our own (see host/src). Each top-level visible window is one SDL window whose client area is a 32-bit frame
// buffer; a menu bar is drawn by the host as a strip above the client area. Windows are made and used on the
// thread that pumps the messages; messages sent with SendMessageA reach the window procedure at once.
#pragma once

#include "host/types.h"

// --- Procedures, records and helpers ---------------------------------------------------------------------------

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;  // a brush, or a system colour index + 1
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;  // a name, or an atom made with MAKEINTATOM
};

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
using LPMSG = MSG*;

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

// One accelerator: flags (FVIRTKEY, FSHIFT, FCONTROL, FALT), the key (a virtual key with FVIRTKEY, else a
// character) and the command identifier sent with WM_COMMAND.
struct ACCEL {
  BYTE fVirt;
  WORD key;
  WORD cmd;
};

// A display mode. Only the fields named by dmFields are read by ChangeDisplaySettingsA; dmSize must be
// sizeof(DEVMODEA).
struct DEVMODEA {
  char dmDeviceName[32];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  POINT dmPosition;
  DWORD dmDisplayOrientation;
  DWORD dmDisplayFixedOutput;
  SHORT dmColor;
  SHORT dmDuplex;
  SHORT dmYResolution;
  SHORT dmTTOption;
  SHORT dmCollate;
  char dmFormName[32];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFlags;
  DWORD dmDisplayFrequency;
};

constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
// Integer resource names and class atoms passed where a string is expected.
inline LPCSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(id)); }
inline LPCSTR MAKEINTATOM(ATOM atom) { return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(atom)); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<uintptr_t>(name) >> 16) == 0; }

// --- Messages --------------------------------------------------------------------------------------------------

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_MOUSEACTIVATE = 0x0021;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_NCLBUTTONUP = 0x00A2;
constexpr UINT WM_NCRBUTTONDOWN = 0x00A4;
constexpr UINT WM_NCRBUTTONUP = 0x00A5;
constexpr UINT WM_NCMBUTTONDOWN = 0x00A7;
constexpr UINT WM_NCMBUTTONUP = 0x00A8;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_DEADCHAR = 0x0103;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_ENTERMENULOOP = 0x0211;
constexpr UINT WM_EXITMENULOOP = 0x0212;
constexpr UINT WM_USER = 0x0400;

// WM_ACTIVATE states (low word of wParam).
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;

// WM_SYSCOMMAND commands.
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_NEXTWINDOW = 0xF040;
constexpr WPARAM SC_PREVWINDOW = 0xF050;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_KEYMENU = 0xF100;
constexpr WPARAM SC_RESTORE = 0xF120;
constexpr WPARAM SC_TASKLIST = 0xF130;
constexpr WPARAM SC_SCREENSAVE = 0xF140;

// Hit-test codes carried by the non-client mouse messages.
constexpr WPARAM HTCLIENT = 1;
constexpr WPARAM HTCAPTION = 2;
constexpr WPARAM HTMENU = 5;

// Button and modifier flags of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// PeekMessageA options.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// --- Virtual keys ----------------------------------------------------------------------------------------------
// Letters and digits are their upper-case character codes ('A' to 'Z', '0' to '9').

constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_CANCEL = 0x03;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_XBUTTON1 = 0x05;
constexpr int VK_XBUTTON2 = 0x06;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_CLEAR = 0x0C;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SELECT = 0x29;
constexpr int VK_PRINT = 0x2A;
constexpr int VK_EXECUTE = 0x2B;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_HELP = 0x2F;
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_APPS = 0x5D;
constexpr int VK_SLEEP = 0x5F;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_NUMPAD1 = 0x61;
constexpr int VK_NUMPAD2 = 0x62;
constexpr int VK_NUMPAD3 = 0x63;
constexpr int VK_NUMPAD4 = 0x64;
constexpr int VK_NUMPAD5 = 0x65;
constexpr int VK_NUMPAD6 = 0x66;
constexpr int VK_NUMPAD7 = 0x67;
constexpr int VK_NUMPAD8 = 0x68;
constexpr int VK_NUMPAD9 = 0x69;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SEPARATOR = 0x6C;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;
constexpr int VK_F4 = 0x73;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F7 = 0x76;
constexpr int VK_F8 = 0x77;
constexpr int VK_F9 = 0x78;
constexpr int VK_F10 = 0x79;
constexpr int VK_F11 = 0x7A;
constexpr int VK_F12 = 0x7B;
constexpr int VK_F24 = 0x87;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr int VK_OEM_1 = 0xBA;       // ;
constexpr int VK_OEM_PLUS = 0xBB;    // =
constexpr int VK_OEM_COMMA = 0xBC;   // ,
constexpr int VK_OEM_MINUS = 0xBD;   // -
constexpr int VK_OEM_PERIOD = 0xBE;  // .
constexpr int VK_OEM_2 = 0xBF;       // /
constexpr int VK_OEM_3 = 0xC0;       // `
constexpr int VK_OEM_4 = 0xDB;       // [
constexpr int VK_OEM_5 = 0xDC;       // backslash
constexpr int VK_OEM_6 = 0xDD;       // ]
constexpr int VK_OEM_7 = 0xDE;       // '
constexpr int VK_OEM_102 = 0xE2;     // the extra key beside left Shift

// --- Window classes and windows --------------------------------------------------------------------------------

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;  // a title bar: border and dialog frame together
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
#define HWND_TOP (static_cast<HWND>(nullptr))

// ChildWindowFromPointEx options.
constexpr UINT CWP_ALL = 0x0000;
constexpr UINT CWP_SKIPINVISIBLE = 0x0001;
constexpr UINT CWP_SKIPDISABLED = 0x0002;
constexpr UINT CWP_SKIPTRANSPARENT = 0x0004;

// System colours, used as class backgrounds as (HBRUSH)(index + 1).
constexpr int COLOR_WINDOW = 5;

ATOM RegisterClassA(const WNDCLASSA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Top-level windows by class (without regard to case) and title; either may be null to match any.
HWND FindWindowA(LPCSTR className, LPCSTR windowName);
BOOL EnumWindows(WNDENUMPROC callback, LPARAM data);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM data);
HWND GetParent(HWND window);

BOOL ShowWindow(HWND window, int command);
BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR text, int size);
LONG SetWindowLongA(HWND window, int index, LONG value);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL GetWindowRect(HWND window, LPRECT rect);
BOOL GetClientRect(HWND window, LPRECT rect);
BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL hasMenu);
BOOL ClientToScreen(HWND window, LPPOINT point);
BOOL ScreenToClient(HWND window, LPPOINT point);
HWND WindowFromPoint(POINT point);
HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags);

// The window that has the user's attention; null while no window of this program is active, as no other
// program's windows are visible to it.
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND window);
HWND SetActiveWindow(HWND window);
BOOL BringWindowToTop(HWND window);

// --- The message queue -----------------------------------------------------------------------------------------

BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax);
// Blocks the message thread until a message is there to be taken (posted, input, the quit message, a window to
// paint, a due timer) or a console control event waits to be handled, or until the time-out: WAIT_OBJECT_0 +
// count, or WAIT_TIMEOUT (host/kernel.h). Only the queue is waited on here: a call that names objects fails with
// WAIT_FAILED, and every wake mask counts every kind of message. On the test seam's manual clock a wait that
// nothing ends moves the clock to its time-out (or to the next due timer), as Sleep does.
constexpr DWORD QS_ALLINPUT = 0x04FF;
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
// PostMessageA and PostQuitMessage may be called from any thread; the messages wait for the message thread.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT periodMs, TIMERPROC callback);
BOOL KillTimer(HWND window, UINT_PTR id);

// --- Painting --------------------------------------------------------------------------------------------------

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL InvalidateRgn(HWND window, HRGN region, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
int GetUpdateRgn(HWND window, HRGN region, BOOL erase);
BOOL UpdateWindow(HWND window);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

// --- Cursors, icons and the keyboard ---------------------------------------------------------------------------

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_HAND MAKEINTRESOURCEA(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEA(32650)
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);  // system cursors (a null instance) only
HICON CopyIcon(HICON icon);
BOOL DestroyCursor(HCURSOR cursor);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);
int ShowCursor(BOOL show);
BOOL GetCursorPos(LPPOINT point);

// Key state: bit 0x80 of a state byte (0x8000 of GetKeyState) while the key is down, bit 0x01 toggled by each
// press. GetKeyState and GetKeyboardState give the state as of the last key message taken from the queue;
// GetAsyncKeyState gives the state now.
SHORT GetKeyState(int virtualKey);
BOOL GetKeyboardState(BYTE* state256);
SHORT GetAsyncKeyState(int virtualKey);

// --- Menus and accelerators ------------------------------------------------------------------------------------

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

HMENU CreateMenu();
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU menu);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
// Returns the item's previous MF_GRAYED | MF_DISABLED state, or -1 when there is no such item.
BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);
HMENU GetMenu(HWND window);
BOOL SetMenu(HWND window, HMENU menu);
BOOL DrawMenuBar(HWND window);

HACCEL CreateAcceleratorTableA(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
int TranslateAcceleratorA(HWND window, HACCEL table, LPMSG message);

// --- Message boxes ---------------------------------------------------------------------------------------------

constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_ICONERROR = 0x0010;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONWARNING = 0x0030;
constexpr UINT MB_ICONINFORMATION = 0x0040;
constexpr UINT MB_DEFBUTTON1 = 0x0000;
constexpr UINT MB_DEFBUTTON2 = 0x0100;
constexpr UINT MB_DEFBUTTON3 = 0x0200;
constexpr UINT MB_APPLMODAL = 0x0000;
constexpr UINT MB_SYSTEMMODAL = 0x1000;
constexpr UINT MB_TASKMODAL = 0x2000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// --- System parameters and metrics -----------------------------------------------------------------------------

constexpr UINT SPI_GETSCREENSAVEACTIVE = 0x0010;
constexpr UINT SPI_SETSCREENSAVEACTIVE = 0x0011;
constexpr UINT SPIF_UPDATEINIFILE = 0x0001;
constexpr UINT SPIF_SENDCHANGE = 0x0002;

BOOL SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYMENU = 15;
constexpr int SM_MOUSEPRESENT = 19;
constexpr int SM_SWAPBUTTON = 23;
constexpr int SM_CXMENUSIZE = 54;
constexpr int SM_CYMENUSIZE = 55;
constexpr int SM_CYVTHUMB = 9;   // the height of a vertical scroll bar's thumb
constexpr int SM_CXHTHUMB = 10;  // the width of a horizontal scroll bar's thumb

int GetSystemMetrics(int index);

// --- Display modes ---------------------------------------------------------------------------------------------
// The real display mode never changes: a full-screen mode is shown by making the window that covers the screen
// desktop-fullscreen, its frame scaled by the largest whole factor that fits and centred on black.

constexpr DWORD ENUM_CURRENT_SETTINGS = static_cast<DWORD>(-1);
constexpr DWORD ENUM_REGISTRY_SETTINGS = static_cast<DWORD>(-2);

constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;

constexpr DWORD CDS_UPDATEREGISTRY = 0x00000001;
constexpr DWORD CDS_TEST = 0x00000002;
constexpr DWORD CDS_FULLSCREEN = 0x00000004;

constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_RESTART = 1;
constexpr LONG DISP_CHANGE_FAILED = -1;
constexpr LONG DISP_CHANGE_BADMODE = -2;
constexpr LONG DISP_CHANGE_BADFLAGS = -4;
constexpr LONG DISP_CHANGE_BADPARAM = -5;

BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeIndex, DEVMODEA* mode);
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);

// --- Child windows, keyboard focus, cursors and beeps ----------------------------------------------------------
// A child window's identifier is the number passed as CreateWindowExA's menu. The keyboard focus is one window of
// the active window's tree: keys go to it (those a child's procedure leaves to DefWindowProcA go on to its
// parent), and mouse messages go to the deepest visible, enabled child under the pointer, in that child's client
// coordinates. Shown children are drawn over their parent's client area; a WS_EX_TRANSPARENT child covers only
// the pixels it has drawn since its last paint began.

constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_KEYFIRST = 0x0100;
constexpr UINT WM_KEYLAST = 0x0109;
constexpr UINT WM_CTLCOLORDLG = 0x0136;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEFIRST = 0x0200;

constexpr UINT CS_NOCLOSE = 0x0200;  // no close button: the title bar's close and Alt+F4 do nothing
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;

// Sent before a top-level window is sized by SetWindowPos or MoveWindow; the size is kept within the track sizes
// the window answers. Filled with the current position and size and unlimited track sizes before it is sent.
struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

int GetDlgCtrlID(HWND window);
// Returns nonzero when the window was disabled before. Disabling the window that has the focus (or a parent of
// it) leaves no window with the focus.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);
// Sends WM_KILLFOCUS to the window losing the focus and WM_SETFOCUS to the one gaining it, activating the top-level
// window first; null takes the focus away. Returns the window that had it; null (and no change) for a window that
// is not one, or that is disabled. The focus leaves a window that is hidden or destroyed for its parent.
HWND SetFocus(HWND window);
HWND GetFocus();
HWND ChildWindowFromPoint(HWND parent, POINT point);  // every child, shown or not, enabled or not
// No window here is made by a dialog call: always FALSE.
BOOL EndDialog(HWND window, INT_PTR result);

// A short tone (type MB_OK, MB_ICONERROR ...; each type its own pitch).
BOOL MessageBeep(UINT type);

// A monochrome cursor: per pixel, the AND bit 1 and XOR bit 0 leave the screen, 0 and 0 are black, 0 and 1 white,
// 1 and 1 invert. Rows of whole bytes, width a multiple of 8. DestroyCursor frees it.
HCURSOR CreateCursor(HINSTANCE instance, int hotX, int hotY, int width, int height, const void* andPlane,
                     const void* xorPlane);
