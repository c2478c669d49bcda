// Registering the control classes, and what the controls share: painting entry points, notifications, colours
// asked of the parent, the classic frames and labels.
#include "control_classes.h"

#include <algorithm>

namespace host {

void RegisterControlClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  struct ClassEntry {
    const char* name;
    WNDPROC procedure;
    UINT style;
    LPCSTR cursor;
  };
  const ClassEntry kClasses[] = {
      {"BUTTON", ButtonProc, CS_DBLCLKS, IDC_ARROW},
      {"COMBOBOX", ComboBoxProc, CS_DBLCLKS, IDC_ARROW},
      {kComboListClass, ComboListProc, 0, IDC_ARROW},
      {"EDIT", EditProc, CS_DBLCLKS, IDC_IBEAM},
  };
  for (const ClassEntry& entry : kClasses) {
    WNDCLASSA windowClass{};
    windowClass.style = entry.style;
    windowClass.lpfnWndProc = entry.procedure;
    windowClass.hCursor = LoadCursorA(nullptr, entry.cursor);
    windowClass.lpszClassName = entry.name;
    RegisterClassA(&windowClass);
  }
}

namespace controls {

bool HandlePaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const Painter& paint) {
  if (message != WM_PAINT && message != WM_PRINTCLIENT) return false;
  RECT client{};
  GetClientRect(window, &client);
  HDC given = reinterpret_cast<HDC>(wParam);
  if (message == WM_PRINTCLIENT) {
    if (given == nullptr || !(lParam & PRF_CLIENT)) return true;
    if ((lParam & PRF_CHECKVISIBLE) && !IsWindowVisible(window)) return true;
  }
  PAINTSTRUCT paintStruct{};
  HDC dc = given;
  if (dc == nullptr) dc = BeginPaint(window, &paintStruct);
  if (dc != nullptr) {
    const int saved = SaveDC(dc);
    paint(dc, client);
    RestoreDC(dc, saved);
  }
  if (given == nullptr) EndPaint(window, &paintStruct);
  return true;
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (parent == nullptr) return;
  const WORD id = static_cast<WORD>(GetDlgCtrlID(control));
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

HBRUSH AskStaticColours(HWND control, HDC dc) {
  HWND parent = GetParent(control);
  if (parent == nullptr) return nullptr;
  return reinterpret_cast<HBRUSH>(
      SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
}

DWORD StyleOf(HWND window) {
  Window* record = FindWindow(window);
  return record != nullptr ? record->style : 0;
}

DWORD ExStyleOf(HWND window) {
  Window* record = FindWindow(window);
  return record != nullptr ? record->exStyle : 0;
}

bool IsEnabledNow(HWND window) {
  for (HWND at = window; at != nullptr; at = GetParent(at)) {
    if (!IsWindowEnabled(at)) return false;
  }
  return true;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  if (rect.left >= rect.right || rect.top >= rect.bottom) return;
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void Edges(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
  if (rect.right - rect.left < 1 || rect.bottom - rect.top < 1) return;
  FillSolid(dc, RECT{rect.left, rect.top, rect.right, rect.top + 1}, topLeft);
  FillSolid(dc, RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, topLeft);
  FillSolid(dc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
  FillSolid(dc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
}

namespace {
void Shrink(RECT* rect) {
  rect->left += 1;
  rect->top += 1;
  rect->right -= 1;
  rect->bottom -= 1;
}
}  // namespace

void RaisedFrame(HDC dc, RECT* rect) {
  Edges(dc, *rect, kHighlight, kDarkShadow);
  Shrink(rect);
  Edges(dc, *rect, kLight, kShadow);
  Shrink(rect);
}

void SunkenFrame(HDC dc, RECT* rect) {
  Edges(dc, *rect, kShadow, kHighlight);
  Shrink(rect);
  Edges(dc, *rect, kDarkShadow, kLight);
  Shrink(rect);
}

void FocusRect(HDC dc, const RECT& rect) {
  // Every other pixel of the outline, in black.
  for (LONG x = rect.left; x < rect.right; ++x) {
    if ((x - rect.left) % 2 == 0) {
      SetPixelV(dc, x, rect.top, kDarkShadow);
      SetPixelV(dc, x, rect.bottom - 1, kDarkShadow);
    }
  }
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    if ((y - rect.top) % 2 == 0) {
      SetPixelV(dc, rect.left, y, kDarkShadow);
      SetPixelV(dc, rect.right - 1, y, kDarkShadow);
    }
  }
}

HFONT FontOrSystem(HFONT font) { return font != nullptr ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

void DrawLabel(HDC dc, HFONT font, const std::string& text, const RECT& rect, COLORREF colour, int alignment) {
  HGDIOBJ old = SelectObject(dc, FontOrSystem(font));
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  LONG x = rect.left;
  if (alignment == 1) x = rect.left + (rect.right - rect.left - size.cx) / 2;
  if (alignment == 2) x = rect.right - size.cx;
  const LONG y = rect.top + (rect.bottom - rect.top - size.cy) / 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
  SelectObject(dc, old);
}

int LineHeight(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontOrSystem(font));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  DeleteDC(dc);
  return std::max<LONG>(1, metrics.tmHeight);
}

LRESULT AnswerText(const std::string& text, WPARAM size, LPARAM buffer) {
  auto* out = reinterpret_cast<char*>(buffer);
  if (out == nullptr || size == 0) return 0;
  const size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
  std::copy_n(text.data(), length, out);
  out[length] = '\0';
  return static_cast<LRESULT>(length);
}

LRESULT AnswerSelection(int32_t anchor, int32_t caret, WPARAM start, LPARAM end) {
  const DWORD low = static_cast<DWORD>(std::min(anchor, caret));
  const DWORD high = static_cast<DWORD>(std::max(anchor, caret));
  if (start != 0) *reinterpret_cast<DWORD*>(start) = low;
  if (end != 0) *reinterpret_cast<DWORD*>(end) = high;
  return static_cast<LRESULT>(MAKELPARAM(static_cast<WORD>(low), static_cast<WORD>(high)));
}

void ReleaseMouse(HWND window) {
  if (MouseCapture() == window) SetMouseCapture(nullptr);
}

bool TypesCharacter(WPARAM virtualKey) {
  if (GetKeyState(VK_CONTROL) & 0x8000) return false;
  const int key = static_cast<int>(virtualKey);
  return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == VK_SPACE ||
         (key >= VK_NUMPAD0 && key <= VK_DIVIDE) || (key >= VK_OEM_1 && key <= VK_OEM_3) ||
         (key >= VK_OEM_4 && key <= VK_OEM_7) || key == VK_OEM_102;
}

}  // namespace controls
}  // namespace host
