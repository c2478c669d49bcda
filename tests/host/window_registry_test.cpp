// Tests of window classes, windows without a screen window, their messages, and cursors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/kernel.h"
#include "host/user.h"

namespace {

// Records the messages a window procedure receives, and can refuse creation.
struct MessageLog {
  std::vector<std::pair<HWND, UINT>> messages;
  LRESULT createAnswer = 0;
  std::string createdTitle;
  LPVOID createdParameter = nullptr;
};
MessageLog* activeLog = nullptr;

LRESULT LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  activeLog->messages.emplace_back(window, message);
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    activeLog->createdTitle = create->lpszName;
    activeLog->createdParameter = create->lpCreateParams;
    return activeLog->createAnswer;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class Windows : public testing::Test {
 protected:
  void SetUp() override { activeLog = &log_; }
  void TearDown() override { activeLog = nullptr; }

  ATOM Register(const char* name) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = LoggingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass);
  }
  HWND Make(const char* className, const char* title, HWND parent = nullptr, LPVOID parameter = nullptr) {
    return CreateWindowExA(0, className, title, parent ? WS_CHILD : 0, 32000, 32000, 100, 100, parent, nullptr,
                           GetModuleHandleA(nullptr), parameter);
  }
  std::vector<UINT> MessagesTo(HWND window) const {
    std::vector<UINT> seen;
    for (auto& [to, message] : log_.messages) {
      if (to == window) seen.push_back(message);
    }
    return seen;
  }

  MessageLog log_;
};

TEST_F(Windows, ClassNamesAreUniqueWithoutRegardToCase) {
  ATOM atom = Register("Registry_Unique");
  EXPECT_NE(atom, 0);
  EXPECT_EQ(Register("REGISTRY_UNIQUE"), 0);
  HWND window = Make("registry_unique", "by name");
  ASSERT_NE(window, nullptr);
  HWND byAtom = Make(MAKEINTATOM(atom), "by atom");
  ASSERT_NE(byAtom, nullptr);
  EXPECT_EQ(Make("Registry_Missing", "none"), nullptr);
  EXPECT_FALSE(UnregisterClassA("Registry_Unique", nullptr));  // windows of the class remain
  DestroyWindow(window);
  DestroyWindow(byAtom);
  EXPECT_TRUE(UnregisterClassA("Registry_Unique", nullptr));
  EXPECT_NE(Register("Registry_Unique"), 0);
  UnregisterClassA("Registry_Unique", nullptr);
}

TEST_F(Windows, CreationAndDestructionSendTheirMessages) {
  Register("Registry_Life");
  int parameter = 7;
  HWND parent = Make("Registry_Life", "parent", nullptr, &parameter);
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(log_.createdTitle, "parent");
  EXPECT_EQ(log_.createdParameter, &parameter);
  HWND child = Make("Registry_Life", "child", parent);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(MessagesTo(parent), (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));

  EXPECT_TRUE(DestroyWindow(parent));
  EXPECT_EQ(MessagesTo(parent), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(MessagesTo(child), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(DestroyWindow(parent));
  EXPECT_EQ(SendMessageA(parent, WM_CLOSE, 0, 0), 0);  // a destroyed window is simply not found
  EXPECT_EQ(CreateWindowExA(0, "Registry_Life", "orphan", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
}

TEST_F(Windows, CreateAnswerOfMinusOneRefusesTheWindow) {
  Register("Registry_Refused");
  log_.createAnswer = -1;
  EXPECT_EQ(Make("Registry_Refused", "refused"), nullptr);
  EXPECT_EQ(log_.messages.back().second, WM_NCDESTROY);
  EXPECT_EQ(FindWindowA("Registry_Refused", nullptr), nullptr);
}

TEST_F(Windows, CloseThroughTheDefaultProcedureDestroys) {
  Register("Registry_Close");
  HWND window = Make("Registry_Close", "closing");
  EXPECT_TRUE(IsWindow(window));
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(Windows, FindByClassAndTitleAmongTopLevelWindows) {
  Register("Registry_Find");
  HWND first = Make("Registry_Find", "Title One");
  HWND second = Make("Registry_Find", "title two");
  HWND child = Make("Registry_Find", "Child Title", first);
  EXPECT_EQ(FindWindowA("Registry_Find", "TITLE TWO"), second);
  EXPECT_EQ(FindWindowA(nullptr, "Title One"), first);
  EXPECT_EQ(FindWindowA("Registry_Find", nullptr), first);
  EXPECT_EQ(FindWindowA(nullptr, "Child Title"), nullptr);
  EXPECT_EQ(FindWindowA("Registry_Nothing", nullptr), nullptr);
  EXPECT_TRUE(SetWindowTextA(second, "renamed"));
  EXPECT_EQ(FindWindowA(nullptr, "renamed"), second);
  char text[4];
  EXPECT_EQ(GetWindowTextA(second, text, sizeof text), 3);
  EXPECT_STREQ(text, "ren");
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  (void)child;
  DestroyWindow(first);
  DestroyWindow(second);
}

TEST(Cursors, SystemCursorIsSharedAndCopiesAreOwned) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
  HCURSOR copy = CopyIcon(arrow);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, arrow);
  EXPECT_TRUE(DestroyCursor(copy));
  EXPECT_FALSE(DestroyCursor(copy));
  EXPECT_TRUE(DestroyCursor(arrow));  // shared: stays usable
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
  EXPECT_EQ(CopyIcon(nullptr), nullptr);
}

}  // namespace
