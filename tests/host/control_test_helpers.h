// Helpers shared by the tests of the system's control classes: a shown parent window that records what its
// controls tell it, controls made on it, input through the test seam, and the pixels shown.
#pragma once

#include <string>
#include <vector>

#include "host/controls.h"
#include "tests/support/dib_canvas.h"
#include "user_test_helpers.h"

namespace control_test {

class Controls : public user_test::HeadlessWindows {
 protected:
  void SetUp() override {
    HeadlessWindows::SetUp();
    parent_ = Make(240, 160);
    Pump();
    recorder_.messages.clear();
  }

  HWND Control(const char* className, const char* text, DWORD style, RECT rect, DWORD exStyle = 0, int id = 7) {
    return CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent_,
                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
  }

  // The notifications the parent heard from a control, in order.
  std::vector<WORD> Notifications(HWND control) const {
    std::vector<WORD> codes;
    for (const user_test::Received& received : recorder_.messages) {
      if (received.message == WM_COMMAND && received.lParam == reinterpret_cast<LPARAM>(control)) {
        codes.push_back(HIWORD(received.wParam));
      }
    }
    return codes;
  }
  // The key messages (of a kind) the parent heard, by their key.
  std::vector<WPARAM> KeysAtParent(UINT message = WM_KEYDOWN) const {
    std::vector<WPARAM> keys;
    for (const user_test::Received& received : recorder_.messages) {
      if (received.window == parent_ && received.message == message) keys.push_back(received.wParam);
    }
    return keys;
  }
  bool ParentHeard(UINT message) const {
    for (const user_test::Received& received : recorder_.messages) {
      if (received.window == parent_ && received.message == message) return true;
    }
    return false;
  }

  // Input at client points of the parent, and keys to the focus; each is pumped.
  void Press(int x, int y) {
    HostTestMouseMove(parent_, x, y);
    HostTestMouseButton(parent_, 0, true, x, y);
    Pump();
  }
  void Release(int x, int y) {
    HostTestMouseMove(parent_, x, y);
    HostTestMouseButton(parent_, 0, false, x, y);
    Pump();
  }
  void Click(int x, int y) {
    Press(x, y);
    Release(x, y);
  }
  void Key(int virtualKey, const char* text = nullptr) {
    HostTestKey(virtualKey, true);
    if (text != nullptr) HostTestText(text);
    HostTestKey(virtualKey, false);
    Pump();
  }
  void Type(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
      const char typed[2] = {*p, '\0'};
      const char upper = (*p >= 'a' && *p <= 'z') ? static_cast<char>(*p - 'a' + 'A') : *p;
      HostTestKey(upper == ' ' ? VK_SPACE : upper, true);
      HostTestText(typed);
      HostTestKey(upper == ' ' ? VK_SPACE : upper, false);
    }
    Pump();
  }

  // A pixel of the parent's picture as last shown (children drawn over it), 0x00RRGGBB.
  uint32_t Pixel(int x, int y) {
    HostFrame frame;
    if (!HostTestLastFrame(parent_, &frame) || x < 0 || y < 0 || x >= frame.width || y >= frame.height) {
      return 0xFFFFFFFF;
    }
    return frame.pixels[static_cast<size_t>(y) * static_cast<size_t>(frame.width) + static_cast<size_t>(x)];
  }

  static std::string TextOf(HWND window) {
    char text[512];
    const int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, static_cast<size_t>(length));
  }

  HWND parent_ = nullptr;
};

}  // namespace control_test
