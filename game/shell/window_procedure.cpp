// The main window's procedure.
#include "game/shell/window_procedure.h"

#include "game/graphics/region.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_function.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"

namespace {

struct ProcedureState {
  int32_t lastX = -1;
  int32_t lastY = -1;
  bool havePosition = false;
};

ProcedureState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static ProcedureState* state = new ProcedureState;
  return *state;
}

int32_t LowSigned(LPARAM value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }
int32_t HighSigned(LPARAM value) { return static_cast<int16_t>(static_cast<uint16_t>((value >> 16) & 0xFFFF)); }

void Activation(bool active) {
  if (MainWindow* window = GetMainWindow()) window->OnActivate(active);
}

void ResetAndDeactivate() {
  Input::Reset();
  Activation(false);
}

using ButtonProc = void (*)(int32_t, int32_t, int32_t);

// One button's event and the other two buttons' held flags, the button concerned first.
void Buttons(int which, int32_t value, WPARAM flags, int32_t x, int32_t y) {
  const ButtonProc procs[3] = {Input::OnLeftButton, Input::OnMiddleButton, Input::OnRightButton};
  const WPARAM masks[3] = {MK_LBUTTON, MK_MBUTTON, MK_RBUTTON};
  procs[which](x, y, value);
  for (int other = 0; other < 3; ++other) {
    if (other == which) continue;
    procs[other](x, y, (flags & masks[other]) != 0 ? kButtonHeldByFlags : kButtonUpByFlags);
  }
}

void MapKey(WPARAM virtualKey, bool down) {
  int32_t step = 0;
  int guard = 0;
  do {
    KeySlot slot = 0;
    int32_t next = 0;
    Input::MapVirtualKey(static_cast<int32_t>(virtualKey), step, &slot, &next);
    if (down) Input::SetKey(slot, 1);
    else Input::ReleaseKey(slot);
    step = next;
  } while (step != 0 && ++guard < 8);
}

}  // namespace

bool PassesControlRule(WPARAM virtualKey) {
  if (virtualKey == static_cast<WPARAM>(VK_CONTROL)) return true;
  return (GetKeyState(VK_CONTROL) & 0x80) == 0 && !Input::GetKeyDownFlag();
}

void ResetWindowProcedureState() { State() = ProcedureState{}; }

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  int32_t x = LowSigned(lParam), y = HighSigned(lParam);
  switch (message) {
    case WM_ACTIVATE:
      Input::Reset();
      if ((wParam & 0xFFFF) == WA_INACTIVE) {
        Activation(false);
        SetPauseState(true, true);
      } else {
        Activation(true);
        SetPauseState(false, true);
        SetCursor(nullptr);
      }
      return 0;
    case WM_PAINT: {
      MainWindow* object = GetMainWindow();
      if (object == nullptr) break;
      Region region;
      GetUpdateRgn(window, region.Handle(), FALSE);
      region.Refresh();
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      object->SetPaintContext(dc);
      PaintWindow(region);
      EndPaint(window, &paint);
      object->SetPaintContext(nullptr);
      return 0;
    }
    case WM_CLOSE:
      StopRunning();
      break;
    case WM_QUIT:
      StopRunning();
      SetQuitExitCode(static_cast<int32_t>(wParam));
      break;
    case WM_ACTIVATEAPP:
      Input::Reset();
      Activation(wParam != 0);
      return 0;
    case WM_CANCELMODE:
      ResetAndDeactivate();
      return 0;
    case WM_MOUSEACTIVATE:
      Input::Reset();
      Activation(true);
      return 0;
    case WM_NCMOUSEMOVE:
      Input::Reset();
      break;
    case WM_NCLBUTTONUP:
      Input::OnLeftButton(-1, -1, kButtonUp);
      break;
    case WM_NCMBUTTONUP:
      Input::OnMiddleButton(-1, -1, kButtonUp);
      break;
    case WM_NCRBUTTONUP:
      Input::OnRightButton(-1, -1, kButtonUp);
      break;
    case WM_KEYDOWN:
      SetCursor(nullptr);
      if (GetPendingMenuCommand() == 0 && PassesControlRule(wParam)) {
        if (wParam == static_cast<WPARAM>(VK_CONTROL)) Input::SetKeyDownFlag(true);
        MapKey(wParam, true);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == static_cast<WPARAM>(VK_CONTROL)) Input::SetKeyDownFlag(false);
      MapKey(wParam, false);
      return 0;
    case WM_CHAR:
    case WM_DEADCHAR:
      if (GetPendingMenuCommand() == 0 && PassesControlRule(wParam)) {
        Input::QueueChar(static_cast<int32_t>(wParam & 0xFF));
        return 0;
      }
      break;
    case WM_SYSKEYUP:
      if (wParam == static_cast<WPARAM>(VK_TAB)) {
        ResetAndDeactivate();
        return 0;
      }
      break;
    case WM_COMMAND:
      SetPendingMenuCommand(static_cast<uint16_t>(wParam & 0xFFFF));
      break;
    case WM_SYSCOMMAND: {
      WPARAM command = wParam & 0xFFF0;
      if (command == SC_MINIMIZE || command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_TASKLIST ||
          command == SC_SCREENSAVE) {
        ResetAndDeactivate();
      }
      break;
    }
    case WM_TIMER:
      if (wParam >= 1 && wParam <= 4) {
        MediaIdle();
        return 0;
      }
      break;
    case WM_MOUSEMOVE: {
      ProcedureState& s = State();
      if (s.havePosition && x == s.lastX && y == s.lastY) return 0;
      SetCursor(GetGameCursor());
      Input::SetMousePosition(x, y);
      s.lastX = x;
      s.lastY = y;
      s.havePosition = true;
      break;
    }
    case WM_LBUTTONDOWN: Buttons(0, kButtonDown, wParam, x, y); break;
    case WM_MBUTTONDOWN: Buttons(1, kButtonDown, wParam, x, y); break;
    case WM_RBUTTONDOWN: Buttons(2, kButtonDown, wParam, x, y); break;
    case WM_LBUTTONUP: Buttons(0, kButtonUp, wParam, x, y); break;
    case WM_MBUTTONUP: Buttons(1, kButtonUp, wParam, x, y); break;
    case WM_RBUTTONUP: Buttons(2, kButtonUp, wParam, x, y); break;
    case WM_LBUTTONDBLCLK: Buttons(0, kButtonDoubleClick, wParam, x, y); break;
    case WM_MBUTTONDBLCLK: Buttons(1, kButtonDoubleClick, wParam, x, y); break;
    case WM_RBUTTONDBLCLK: Buttons(2, kButtonDoubleClick, wParam, x, y); break;
    case WM_ENTERMENULOOP:
      SetTimer(window, 1, 10, nullptr);
      return 0;
    case WM_EXITMENULOOP:
      KillTimer(window, 1);
      SetCursor(nullptr);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
