// Child windows: identifiers, enabling, the keyboard focus and where keys and mouse messages go, composition over
// the parent's picture, cursors, erasing, track sizes, windows without a close button, and beeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "host/testing_sound.h"
#include "user_test_helpers.h"

namespace {

using user_test::HeadlessWindows;
using user_test::HighY;
using user_test::LowX;
using user_test::Received;

// Children paint their colour over their whole update box; a transparent child paints only a 2 x 2 square at
// (1, 1). A child answers WM_SETCURSOR itself when told to.
std::map<HWND, uint32_t>& ChildColours() {
  static std::map<HWND, uint32_t> colours;
  return colours;
}
std::set<HWND>& TransparentChildren() {
  static std::set<HWND> windows;
  return windows;
}
HWND& ChildThatSetsCursor() {
  static HWND window = nullptr;
  return window;
}

LRESULT ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  user_test::Recorder* recorder = user_test::CurrentRecorder();
  if (recorder != nullptr) recorder->messages.push_back(Received{window, message, wParam, lParam});
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const bool transparent = TransparentChildren().count(window) != 0;
    RECT box = transparent ? RECT{1, 1, 3, 3} : paint.rcPaint;
    user_test::FillBox(dc, box, ChildColours()[window]);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_SETCURSOR && window == ChildThatSetsCursor()) {
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class ChildWindows : public HeadlessWindows {
 protected:
  void SetUp() override {
    HeadlessWindows::SetUp();
    static bool registered = false;
    if (!registered) {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = ChildProc;
      windowClass.lpszClassName = "ChildTestWindow";
      windowClass.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
      registered = RegisterClassA(&windowClass) != 0;
    }
    ChildColours().clear();
    TransparentChildren().clear();
    ChildThatSetsCursor() = nullptr;
  }

  HWND Child(HWND parent, int id, RECT rect, uint32_t colour, DWORD exStyle = 0, DWORD style = WS_VISIBLE) {
    HWND child = CreateWindowExA(exStyle, "ChildTestWindow", "", WS_CHILD | style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    ChildColours()[child] = colour;
    if (exStyle & WS_EX_TRANSPARENT) TransparentChildren().insert(child);
    return child;
  }
};

TEST_F(ChildWindows, ChildKeepsItsIdentifierAndCanBeDisabled) {
  HWND top = Make(40, 40);
  HWND child = Child(top, 9901, {0, 0, 10, 10}, 0xFF);
  EXPECT_EQ(GetDlgCtrlID(child), 9901);
  EXPECT_EQ(GetDlgCtrlID(top), 0);
  EXPECT_EQ(GetDlgCtrlID(nullptr), 0);
  EXPECT_TRUE(IsWindowEnabled(child));
  EXPECT_FALSE(EnableWindow(child, FALSE));  // was enabled
  EXPECT_FALSE(IsWindowEnabled(child));
  EXPECT_TRUE(EnableWindow(child, TRUE));  // was disabled
  EXPECT_TRUE(IsWindowEnabled(child));
  EXPECT_FALSE(EndDialog(top, 1));  // no window here is a dialog
  EXPECT_TRUE(IsWindow(top));
}

TEST_F(ChildWindows, FocusMovesWithMessagesAndLeavesHiddenDestroyedAndDisabledWindows) {
  HWND top = Make(40, 40);
  Pump();
  EXPECT_EQ(GetFocus(), top);  // an activated window takes the focus
  HWND a = Child(top, 1, {0, 0, 10, 10}, 0xFF);
  HWND b = Child(top, 2, {10, 0, 20, 10}, 0xFF);
  recorder_.messages.clear();
  EXPECT_EQ(SetFocus(a), top);
  EXPECT_EQ(GetFocus(), a);
  auto kill = Of(WM_KILLFOCUS), set = Of(WM_SETFOCUS);
  ASSERT_EQ(kill.size(), 1u);
  ASSERT_EQ(set.size(), 1u);
  EXPECT_EQ(kill[0].window, top);
  EXPECT_EQ(reinterpret_cast<HWND>(kill[0].wParam), a);
  EXPECT_EQ(set[0].window, a);
  EXPECT_EQ(reinterpret_cast<HWND>(set[0].wParam), top);
  EXPECT_EQ(SetFocus(a), a);  // no change, no messages
  EXPECT_EQ(Of(WM_SETFOCUS).size(), 1u);

  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(GetFocus(), top);  // to the parent
  SetFocus(b);
  DestroyWindow(b);
  EXPECT_EQ(GetFocus(), top);
  ShowWindow(a, SW_SHOW);
  SetFocus(a);
  EnableWindow(a, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(SetFocus(a), nullptr);  // a disabled window takes no focus
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(SetFocus(reinterpret_cast<HWND>(0x1234)), nullptr);
}

TEST_F(ChildWindows, KeysGoToTheFocusAndWhatItLeavesGoesToTheParent) {
  HWND top = Make(40, 40);
  HWND child = Child(top, 1, {0, 0, 10, 10}, 0xFF);
  Pump();
  SetFocus(child);
  recorder_.messages.clear();
  HostTestKey('A', true);
  HostTestText("a");
  HostTestKey('A', false);
  Pump();
  // The child leaves the keys to DefWindowProcA, which hands them to the parent.
  std::vector<UINT> toChild, toTop;
  for (const Received& received : recorder_.messages) {
    if (received.message < WM_KEYFIRST || received.message > WM_KEYLAST) continue;
    (received.window == child ? toChild : toTop).push_back(received.message);
  }
  EXPECT_EQ(toChild, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
  EXPECT_EQ(toTop, toChild);
}

TEST_F(ChildWindows, MouseGoesToTheDeepestShownEnabledChild) {
  HWND top = Make(60, 60);
  HWND outer = Child(top, 1, {10, 10, 50, 50}, 0xFF);
  HWND inner = Child(outer, 2, {5, 5, 15, 15}, 0xFF00);
  HWND hidden = Child(top, 3, {0, 0, 8, 8}, 0xFF, 0, 0);
  HWND disabled = Child(top, 4, {52, 52, 60, 60}, 0xFF, 0, WS_VISIBLE | WS_DISABLED);
  Pump();
  const struct {
    POINT at;
    HWND target;
    POINT local;
  } kCases[] = {
      {{20, 20}, inner, {5, 5}},    {{12, 40}, outer, {2, 30}}, {{2, 2}, top, {2, 2}},  // hidden passed over
      {{55, 55}, top, {55, 55}},                                                      // disabled passed over
  };
  for (const auto& c : kCases) {
    recorder_.messages.clear();
    HostTestMouseButton(top, 0, true, c.at.x, c.at.y);
    HostTestMouseButton(top, 0, false, c.at.x, c.at.y);
    Pump();
    auto downs = Of(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u) << c.at.x;
    EXPECT_EQ(downs[0].window, c.target) << c.at.x;
    EXPECT_EQ(LowX(downs[0].lParam), c.local.x);
    EXPECT_EQ(HighY(downs[0].lParam), c.local.y);
  }
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{2, 2}), hidden);  // every child counts here
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{55, 55}), disabled);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{20, 20}), outer);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{30, 5}), top);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{70, 5}), nullptr);
}

TEST_F(ChildWindows, ShownChildrenAreDrawnOverTheParent) {
  recorder_.paintColor = 0x00101010;
  HWND top = Make(20, 10);
  HWND left = Child(top, 1, {0, 0, 6, 10}, 0x00FF0000);
  HWND over = Child(top, 2, {4, 0, 8, 4}, 0x0000FF00);  // made later: above `left`
  HWND glass = Child(top, 3, {10, 0, 16, 6}, 0x000000FF, WS_EX_TRANSPARENT);
  HWND gone = Child(top, 4, {16, 0, 20, 10}, 0x00FFFFFF);
  ShowWindow(gone, SW_HIDE);
  Pump();
  HostFrame frame;
  ASSERT_TRUE(HostTestLastFrame(top, &frame));
  auto at = [&](int x, int y) { return frame.pixels[static_cast<size_t>(y) * frame.width + x]; };
  EXPECT_EQ(at(0, 9), 0x00FF0000u);
  EXPECT_EQ(at(5, 1), 0x0000FF00u);
  EXPECT_EQ(at(5, 6), 0x00FF0000u);
  EXPECT_EQ(at(11, 1), 0x000000FFu);  // what the transparent child drew
  EXPECT_EQ(at(14, 4), 0x00101010u);  // where it drew nothing, the parent shows
  EXPECT_EQ(at(17, 5), 0x00101010u);  // hidden
  // Moving a child shows the parent where it was.
  MoveWindow(over, 0, 6, 4, 4, TRUE);
  Pump();
  ASSERT_TRUE(HostTestLastFrame(top, &frame));
  EXPECT_EQ(at(5, 1), 0x00FF0000u);
  EXPECT_EQ(at(1, 7), 0x0000FF00u);
  DestroyWindow(left);
  Pump();
  ASSERT_TRUE(HostTestLastFrame(top, &frame));
  EXPECT_EQ(at(5, 1), 0x00101010u);
  EXPECT_TRUE(IsWindow(glass));
}

TEST_F(ChildWindows, CursorIsChosenByTheParentFirstThenByTheClass) {
  HWND top = Make(40, 40);
  HWND child = Child(top, 1, {0, 0, 20, 20}, 0xFF);
  Pump();
  auto current = [] {
    HCURSOR shown = SetCursor(nullptr);
    SetCursor(shown);
    return shown;
  };
  SetCursor(nullptr);
  recorder_.messages.clear();
  HostTestMouseMove(top, 5, 5);
  Pump();
  auto asked = Of(WM_SETCURSOR);
  ASSERT_EQ(asked.size(), 2u);  // the child, which asks its parent first
  EXPECT_EQ(asked[0].window, child);
  EXPECT_EQ(asked[1].window, top);
  EXPECT_EQ(LOWORD(asked[0].lParam), HTCLIENT);
  EXPECT_EQ(HIWORD(asked[0].lParam), WM_MOUSEMOVE);
  EXPECT_EQ(current(), LoadCursorA(nullptr, IDC_IBEAM));  // the child's class cursor (the top has none)
  ChildThatSetsCursor() = child;
  HostTestMouseMove(top, 6, 6);
  Pump();
  EXPECT_EQ(current(), LoadCursorA(nullptr, IDC_CROSS));
}

TEST_F(ChildWindows, PaintingAsksTheWindowToEraseAndTheClassBrushDoesIt) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ChildProc;
    windowClass.lpszClassName = "BrushTestWindow";
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    registered = RegisterClassA(&windowClass) != 0;
  }
  HWND top = Make(30, 30);
  HWND child = CreateWindowExA(0, "BrushTestWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top, nullptr, nullptr,
                               nullptr);
  HWND plain = Child(top, 2, {10, 0, 20, 10}, 0xFF);
  Pump();
  auto erases = Of(WM_ERASEBKGND);
  ASSERT_GE(erases.size(), 2u);
  PAINTSTRUCT paint;
  InvalidateRect(child, nullptr, TRUE);
  BeginPaint(child, &paint);
  EXPECT_FALSE(paint.fErase);  // erased with the class brush
  EndPaint(child, &paint);
  InvalidateRect(plain, nullptr, TRUE);
  BeginPaint(plain, &paint);
  EXPECT_TRUE(paint.fErase);  // no brush: the program erases
  EndPaint(plain, &paint);
  InvalidateRect(plain, nullptr, FALSE);
  BeginPaint(plain, &paint);
  EXPECT_FALSE(paint.fErase);
  EndPaint(plain, &paint);
}

LRESULT FixedSizeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETMINMAXINFO) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize = POINT{50, 40};
    info->ptMaxTrackSize = POINT{100, 80};
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(ChildWindows, TrackSizesBoundTheSizeAndNoCloseClassesIgnoreTheCloseButton) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_NOCLOSE;
  windowClass.lpfnWndProc = FixedSizeProc;
  windowClass.lpszClassName = "FixedTestWindow";
  static bool registered = RegisterClassA(&windowClass) != 0;
  ASSERT_TRUE(registered);
  HWND window = CreateWindowExA(0, "FixedTestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 60, 60, nullptr, nullptr,
                                nullptr, nullptr);
  made_.push_back(window);
  RECT rect;
  MoveWindow(window, 0, 0, 500, 10, FALSE);
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.right - rect.left, 100);
  EXPECT_EQ(rect.bottom - rect.top, 40);
  HostTestCloseWindow(window);
  Pump();
  EXPECT_TRUE(IsWindow(window));
  SendMessageA(window, WM_SYSKEYDOWN, VK_F4, 0);
  Pump();
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(ChildWindows, ProgramIconIsFoundByNameAndCursorsCanBeMade) {
  HINSTANCE program = GetModuleHandleA(nullptr);
  EXPECT_EQ(LoadIconA(program, "IDI_APPICON"), LoadIconA(program, MAKEINTRESOURCEA(12346)));
  EXPECT_NE(LoadIconA(program, "IDI_APPICON"), nullptr);
  uint8_t andPlane[32 * 4], xorPlane[32 * 4];
  std::fill(std::begin(andPlane), std::end(andPlane), 0xF0);
  std::fill(std::begin(xorPlane), std::end(xorPlane), 0x0F);
  HCURSOR made = CreateCursor(program, 3, 4, 32, 4, andPlane, xorPlane);
  ASSERT_NE(made, nullptr);
  HCURSOR previous = SetCursor(made);
  ShowCursor(TRUE);
  EXPECT_TRUE(HostTestCursorShown());
  ShowCursor(FALSE);
  SetCursor(previous);
  EXPECT_TRUE(DestroyCursor(made));
  EXPECT_FALSE(DestroyCursor(made));
  EXPECT_EQ(CreateCursor(program, 0, 0, 7, 4, andPlane, xorPlane), nullptr);  // rows of whole bytes
}

TEST_F(ChildWindows, BeepsAreToneAndCounted) {
  HostTestClearBeeps();
  HostTestHoldAudio(true);
  HostTestClearMixerOutput();
  EXPECT_TRUE(MessageBeep(MB_OK));
  EXPECT_TRUE(MessageBeep(MB_ICONERROR));
  EXPECT_EQ(HostTestBeeps(), (std::vector<UINT>{MB_OK, MB_ICONERROR}));
  std::vector<int16_t> sound = HostTestMixAudio(2000);
  int16_t loudest = 0;
  for (int16_t sample : sound) loudest = std::max<int16_t>(loudest, static_cast<int16_t>(std::abs(sample)));
  EXPECT_GT(loudest, 1000);
  HostTestMixAudio(44100);
  sound = HostTestMixAudio(100);
  for (int16_t sample : sound) EXPECT_EQ(sample, 0);  // the tone has ended
  HostTestHoldAudio(false);
  HostTestClearBeeps();
  EXPECT_TRUE(HostTestBeeps().empty());
}

}  // namespace
