// The message queue: order of posted messages, input, quit, paint and timers; keys, characters and key state;
// mouse messages and double clicks; closing windows.
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "user_test_helpers.h"

namespace {

using user_test::HeadlessWindows;
using user_test::HighY;
using user_test::LowX;

class MessageQueue : public HeadlessWindows {};

TEST_F(MessageQueue, PostedMessagesComeBeforeInputAndQuitComesWhateverTheWindow) {
  HWND window = Make(32, 32);
  Pump();
  HostTestMouseMove(window, 5, 6);
  PostMessageA(window, WM_USER + 1, 7, 8);
  PostQuitMessage(3);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  EXPECT_EQ(msg.wParam, 7u);
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_MOUSEMOVE);
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(LowX(msg.lParam), 5);
  EXPECT_EQ(HighY(msg.lParam), 6);
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
}

TEST_F(MessageQueue, ResetLeavesNothingWaitingAndEveryKeyUp) {
  HWND window = Make(16, 16);
  Pump();
  HostTestKey(VK_SHIFT, true);
  PostMessageA(window, WM_USER, 0, 0);
  PostQuitMessage(0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  HostTestResetWindowSystem();
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(MessageQueue, OtherThreadsMayPostWhileTheQueueIsRead) {
  HWND window = Make(16, 16);
  Pump();
  constexpr int kPosts = 500;
  std::thread poster([window] {
    for (int i = 0; i < kPosts; ++i) PostMessageA(window, WM_USER + 7, static_cast<WPARAM>(i), 0);
    PostQuitMessage(4);
  });
  std::vector<WPARAM> seen;
  bool quit = false;
  auto drain = [&] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_USER + 7) seen.push_back(msg.wParam);
      quit = quit || msg.message == WM_QUIT;
    }
  };
  while (!quit) drain();
  poster.join();
  drain();  // the quit message may overtake the last posts, which it followed closely
  ASSERT_EQ(seen.size(), static_cast<size_t>(kPosts));
  for (int i = 0; i < kPosts; ++i) EXPECT_EQ(seen[static_cast<size_t>(i)], static_cast<WPARAM>(i));
}

TEST_F(MessageQueue, TimersFireFromTheQueueOnTheHostClock) {
  HostTestUseManualClock(true);
  HWND window = Make(16, 16);
  Pump();
  ASSERT_EQ(SetTimer(window, 1, 10, nullptr), 1u);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  HostTestAdvanceClock(10);
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  // However many periods were missed, one WM_TIMER comes.
  HostTestAdvanceClock(55);
  EXPECT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_TRUE(KillTimer(window, 1));
  EXPECT_FALSE(KillTimer(window, 1));
  HostTestAdvanceClock(100);
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  // A destroyed window's timers go with it.
  SetTimer(window, 2, 10, nullptr);
  DestroyWindow(window);
  HostTestAdvanceClock(100);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(SetTimer(window, 3, 10, nullptr), 0u);
  HostTestUseManualClock(false);
}

// The wait for messages: it ends as soon as a message is there (posted here or by another thread), or at its
// time-out; on the manual clock it moves the clock, as Sleep does, to the time-out or the next due timer.
TEST_F(MessageQueue, AWaitForMessagesEndsWithTheFirstMessageOrItsTime) {
  HWND window = Make(16, 16);
  Pump();
  MSG msg;
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
  PostMessageA(window, WM_USER, 0, 0);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10000, QS_ALLINPUT), WAIT_OBJECT_0);
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);  // the queue only
  CloseHandle(event);

  // Real time: a post from another thread ends a wait that would last a minute.
  auto start = std::chrono::steady_clock::now();
  std::thread poster([window] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PostMessageA(window, WM_USER + 2, 0, 0);
  });
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 60000, QS_ALLINPUT), WAIT_OBJECT_0);
  poster.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2u);

  HostTestUseManualClock(true);
  DWORD before = GetTickCount();
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(GetTickCount() - before, 25u);
  SetTimer(window, 1, 40, nullptr);
  before = GetTickCount();
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT), WAIT_OBJECT_0);
  EXPECT_EQ(GetTickCount() - before, 40u);  // woken by the timer, not the time-out
  EXPECT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  KillTimer(window, 1);
  HostTestUseManualClock(false);
}

// Pressing and releasing one key: the messages the window gets, with the characters TranslateMessage makes.
struct KeyCase {
  const char* name;
  int key;
  const char* text;  // what SDL reports as typed, or null
  std::string chars;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class KeyPresses : public HeadlessWindows, public testing::WithParamInterface<KeyCase> {};

TEST_P(KeyPresses, GiveKeyDownCharactersAndKeyUp) {
  const KeyCase& c = GetParam();
  HWND window = Make(16, 16);
  Pump();
  recorder_.messages.clear();
  HostTestKey(c.key, true);
  if (c.text != nullptr) HostTestText(c.text);
  HostTestKey(c.key, false);
  Pump();
  std::vector<UINT> expected{WM_KEYDOWN};
  expected.insert(expected.end(), c.chars.size(), WM_CHAR);
  expected.push_back(WM_KEYUP);
  EXPECT_EQ(MessagesTo(window), expected);
  auto chars = Of(WM_CHAR);
  for (size_t i = 0; i < chars.size() && i < c.chars.size(); ++i) {
    EXPECT_EQ(chars[i].wParam, static_cast<unsigned char>(c.chars[i]));
  }
  auto downs = Of(WM_KEYDOWN);
  ASSERT_FALSE(downs.empty());
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(c.key));
  auto ups = Of(WM_KEYUP);
  ASSERT_FALSE(ups.empty());
  EXPECT_NE(ups[0].lParam & (LPARAM{1} << 31), 0);  // a release
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyPresses,
    testing::Values(KeyCase{"letter", 'A', "a", "a"}, KeyCase{"digit", '7', "7", "7"},
                    KeyCase{"return", VK_RETURN, nullptr, "\r"}, KeyCase{"escape", VK_ESCAPE, nullptr, "\x1b"},
                    KeyCase{"backspace", VK_BACK, nullptr, "\b"}, KeyCase{"tab", VK_TAB, nullptr, "\t"},
                    KeyCase{"arrow", VK_LEFT, nullptr, ""}, KeyCase{"keypad_five", VK_NUMPAD5, nullptr, ""},
                    KeyCase{"accented", 'E', "\xC3\xA9", "\xE9"}, KeyCase{"euro_sign", 'E', "\xE2\x82\xAC", "\x80"},
                    KeyCase{"outside_code_page", 'E', "\xE2\x88\x9E", ""}),
    [](const testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

TEST_F(MessageQueue, KeyStateFollowsTheMessagesTakenAndTheCharacterWaitsBeforeTheNextInput) {
  HWND window = Make(16, 16);
  Pump();
  HostTestKey(VK_CONTROL, true);
  HostTestKey('Q', true);
  HostTestKey('Q', false);
  HostTestKey(VK_CONTROL, false);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_CONTROL));
  // The asynchronous state already has the whole sequence; the queue's state only what was taken.
  EXPECT_GE(GetKeyState(VK_CONTROL), 0 - 0x8000);
  EXPECT_LT(GetKeyState(VK_CONTROL), 0);
  EXPECT_LT(GetKeyState(VK_LCONTROL), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('Q'));
  BYTE keys[256];
  ASSERT_TRUE(GetKeyboardState(keys));
  EXPECT_EQ(keys[static_cast<int>('Q')] & 0x80, 0x80);
  TranslateMessage(&msg);
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_CHAR);  // before the key-up already waiting
  EXPECT_EQ(msg.wParam, 17u);       // Ctrl+Q types its control code
  Pump();
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  ASSERT_TRUE(GetKeyboardState(keys));
  EXPECT_EQ(keys[static_cast<int>('Q')] & 0x80, 0);
}

// What a game's procedure sees of the key state while it handles each key message, and the commands it gets.
struct KeySeen {
  UINT message;
  WPARAM key;
  bool keyDown;      // by GetKeyboardState
  bool controlDown;  // by GetKeyState
  bool operator==(const KeySeen&) const = default;
};
std::vector<KeySeen> keysSeen;
std::vector<UINT> commandsSeen;

LRESULT KeyPollingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN || message == WM_KEYUP) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keysSeen.push_back(KeySeen{message, wParam, (keys[wParam & 0xFF] & 0x80) != 0, GetKeyState(VK_CONTROL) < 0});
    return 0;
  }
  if (message == WM_COMMAND) commandsSeen.push_back(LOWORD(wParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(MessageQueue, AQuickTapBetweenTwoLooksAtTheQueueKeepsItsKeyStateMessageByMessage) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = KeyPollingProc;
    windowClass.lpszClassName = "KeyPollingWindow";
    registered = RegisterClassA(&windowClass) != 0;
  }
  HWND window = CreateWindowExA(0, "KeyPollingWindow", "game", user_test::kGameStyle, 0, 0, 64, 64, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  made_.push_back(window);
  ShowWindow(window, SW_SHOW);
  ACCEL quit{FVIRTKEY | FCONTROL, 'Q', 1399};
  HACCEL table = CreateAcceleratorTableA(&quit, 1);
  Pump();
  keysSeen.clear();
  commandsSeen.clear();
  // Every press and release arrives before the program's next look at its queue.
  for (int key : {VK_CONTROL, int{'Q'}}) HostTestKey(key, true);
  for (int key : {int{'Q'}, VK_CONTROL}) HostTestKey(key, false);
  HostTestKey(VK_LEFT, true);
  HostTestKey(VK_LEFT, false);
  // The game's pump: accelerators first, characters for the keys they leave, every message dispatched.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!TranslateAcceleratorA(window, table, &msg)) TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(commandsSeen, std::vector<UINT>{1399});
  const std::vector<KeySeen> expected = {
      {WM_KEYDOWN, VK_CONTROL, true, true}, {WM_KEYDOWN, 'Q', true, true},    {WM_KEYUP, 'Q', false, true},
      {WM_KEYUP, VK_CONTROL, false, false}, {WM_KEYDOWN, VK_LEFT, true, false}, {WM_KEYUP, VK_LEFT, false, false}};
  EXPECT_EQ(keysSeen, expected);
  // A poll after the messages finds every key up.
  BYTE keys[256];
  ASSERT_TRUE(GetKeyboardState(keys));
  for (int key : {VK_CONTROL, int{'Q'}, VK_LEFT}) EXPECT_EQ(keys[key] & 0x80, 0) << key;
  DestroyAcceleratorTable(table);
}

TEST_F(MessageQueue, AltMakesSystemKeysButAltGraphTypes) {
  HWND window = Make(16, 16);
  Pump();
  recorder_.messages.clear();
  HostTestKey(VK_LMENU, true);
  HostTestKey('X', true);
  HostTestKey('X', false);
  HostTestKey(VK_LMENU, false);
  HostTestKey(VK_RMENU, true);
  HostTestKey('Q', true);
  HostTestText("@");
  HostTestKey('Q', false);
  HostTestKey(VK_RMENU, false);
  Pump();
  EXPECT_EQ(MessagesTo(window),
            (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSCOMMAND, WM_SYSKEYUP, WM_SYSKEYUP,
                               WM_SYSKEYDOWN, WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_SYSKEYUP}));
  auto chars = Of(WM_CHAR);
  ASSERT_EQ(chars.size(), 1u);
  EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>('@'));
  auto menuKey = Of(WM_SYSCOMMAND);  // Alt and a letter asks for the menu of that mnemonic
  ASSERT_EQ(menuKey.size(), 1u);
  EXPECT_EQ(menuKey[0].wParam, SC_KEYMENU);
  EXPECT_EQ(menuKey[0].lParam, 'x');
}

TEST_F(MessageQueue, LongTextArrivesWholeInWindowsCodePage) {
  HWND window = Make(16, 16);
  Pump();
  recorder_.messages.clear();
  // Forty characters, each two bytes in UTF-8: the text crosses SDL's piece size in the middle of a character.
  std::string text;
  for (int i = 0; i < 40; ++i) text += "\xC3\xA9";
  HostTestText(text.c_str());
  Pump();
  auto chars = Of(WM_CHAR);
  ASSERT_EQ(chars.size(), 40u);
  for (const auto& received : chars) EXPECT_EQ(received.wParam, 0xE9u);
  (void)window;
}

// A procedure that runs a message loop of its own when its window is activated.
std::vector<UINT> nestedSeen;
LRESULT NestedPumpProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message != WM_PAINT) nestedSeen.push_back(msg.message);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(MessageQueue, ALoopInsideAnActivationTakesTheLaterInputInOrder) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = NestedPumpProc;
  windowClass.lpszClassName = "NestedPumpWindow";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "NestedPumpWindow", "nested", user_test::kGameStyle, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
  made_.push_back(window);
  ShowWindow(window, SW_SHOW);
  HostTestActivate(window, false);
  Pump();
  nestedSeen.clear();
  HostTestActivate(window, true);
  HostTestKey('A', true);
  HostTestText("a");
  HostTestKey('A', false);
  auto outer = Pump();
  EXPECT_EQ(nestedSeen, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
  for (const MSG& msg : outer) EXPECT_NE(msg.message, WM_KEYDOWN);
  DestroyWindow(window);
  UnregisterClassA("NestedPumpWindow", nullptr);
}

TEST_F(MessageQueue, RepeatedKeyDownCarriesThePreviousStateBit) {
  HWND window = Make(16, 16);
  Pump();
  recorder_.messages.clear();
  HostTestKey(VK_RIGHT, true);
  HostTestKey(VK_RIGHT, true);
  HostTestKey(VK_RIGHT, false);
  Pump();
  auto downs = Of(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].lParam & (LPARAM{1} << 30), 0);
  EXPECT_NE(downs[1].lParam & (LPARAM{1} << 30), 0);
  EXPECT_NE(downs[0].lParam & (LPARAM{1} << 24), 0);  // the cursor block is extended
  (void)window;
}

TEST_F(MessageQueue, ClicksCountTwiceForADoubleClickOnlyWhenTheClassWantsIt) {
  HWND window = Make(50, 50);
  Pump();
  recorder_.messages.clear();
  HostTestMouseButton(window, 0, true, 5, 7, 1);
  HostTestMouseButton(window, 0, false, 5, 7, 1);
  HostTestMouseButton(window, 0, true, 5, 7, 2);
  HostTestMouseButton(window, 0, false, 5, 7, 2);
  HostTestMouseButton(window, 1, true, 9, 9, 3);
  Pump();
  std::vector<UINT> buttons;
  for (UINT message : MessagesTo(window)) {
    if (message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK) buttons.push_back(message);
  }
  EXPECT_EQ(buttons, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                        WM_RBUTTONDOWN}));
  auto dbl = Of(WM_LBUTTONDBLCLK);
  ASSERT_EQ(dbl.size(), 1u);
  EXPECT_EQ(LowX(dbl[0].lParam), 5);
  EXPECT_EQ(HighY(dbl[0].lParam), 7);
  auto right = Of(WM_RBUTTONDOWN);
  EXPECT_EQ(right[0].wParam & MK_RBUTTON, MK_RBUTTON);
  EXPECT_LT(GetAsyncKeyState(VK_RBUTTON), 0);
  POINT cursor;
  ASSERT_TRUE(GetCursorPos(&cursor));
  POINT client = cursor;
  ScreenToClient(window, &client);
  EXPECT_EQ(client.x, 9);
  EXPECT_EQ(client.y, 9);
  HostTestMouseButton(window, 1, false, 9, 9, 3);
  Pump();
  recorder_.messages.clear();
  HostTestMouseLeave(window);
  Pump();
  EXPECT_EQ(MessagesTo(window), std::vector<UINT>{WM_NCMOUSEMOVE});  // on the way out over the frame
}

TEST_F(MessageQueue, ClosingTheWindowPostsCloseAndTheDefaultProcedureDestroys) {
  HWND window = Make(16, 16);
  Pump();
  HostTestCloseWindow(window);
  auto taken = Pump();
  ASSERT_FALSE(taken.empty());
  EXPECT_EQ(taken.front().message, WM_CLOSE);
  EXPECT_FALSE(IsWindow(window));
  auto seen = MessagesTo(window);
  EXPECT_NE(std::find(seen.begin(), seen.end(), UINT{WM_DESTROY}), seen.end());
  EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(DispatchMessageA(&taken.front()), 0);
  EXPECT_FALSE(ShowWindow(window, SW_SHOW));
  RECT rect;
  EXPECT_FALSE(GetClientRect(window, &rect));
}

TEST_F(MessageQueue, ActivationFollowsFocusAndShowing) {
  HWND first = Make(16, 16);
  EXPECT_EQ(GetForegroundWindow(), first);
  HWND second = Make(16, 16);
  Pump();
  EXPECT_EQ(GetForegroundWindow(), second);
  auto activations = Of(WM_ACTIVATE);
  ASSERT_GE(activations.size(), 3u);
  EXPECT_EQ(activations.back().window, second);
  EXPECT_EQ(LOWORD(activations.back().wParam), WA_ACTIVE);
  recorder_.messages.clear();
  HostTestActivate(second, false);
  Pump();
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  EXPECT_EQ(MessagesTo(second), (std::vector<UINT>{WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS}));
  recorder_.messages.clear();
  HostTestActivate(first, true);
  Pump();
  EXPECT_EQ(GetForegroundWindow(), first);
  EXPECT_EQ(recorder_.paints, 2);
  EXPECT_EQ(MessagesTo(first), (std::vector<UINT>{WM_ACTIVATEAPP, WM_ACTIVATE, WM_SETFOCUS}));
}

// The test seam's hook runs at the start of every look, before the look takes in the input: what it injects is
// seen by that look; and it knows whether the look before found the queue empty.
TEST_F(MessageQueue, TheQueueHookRunsAtEveryLookAndKnowsWhetherTheLastFoundNothing) {
  HWND window = Make(16, 16);
  Pump();
  struct Record {
    HWND window;
    std::vector<bool> idle;
  } record{window, {}};
  HostTestSetQueueHook(
      [](void* context, bool idleBefore) {
        auto* seen = static_cast<Record*>(context);
        if (seen->idle.empty()) HostTestMouseButton(seen->window, 0, true, 3, 4);
        seen->idle.push_back(idleBefore);
      },
      &record);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_LBUTTONDOWN);
  EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  HostTestSetQueueHook(nullptr, nullptr);
  EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(record.idle, (std::vector<bool>{true, false, true}));
  HostTestMouseButton(window, 0, false, 3, 4);
  Pump();
}

}  // namespace
