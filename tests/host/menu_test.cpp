// Menus: the model, accelerators, and the strip above the client area driven by mouse and keys.
#include <gtest/gtest.h>

#include <algorithm>

#include "user_test_helpers.h"

namespace {

using user_test::HeadlessWindows;
using user_test::Received;

constexpr UINT kExit = 1399;
constexpr UINT kAbout = 1599;
constexpr UINT kGameItem = 1400;

class Menus : public HeadlessWindows {
 protected:
  // A bar like the game's: File (one item, Exit), Game (grayed, one item), Help (About).
  HMENU MakeBar() {
    HMENU bar = CreateMenu();
    file_ = CreatePopupMenu();
    AppendMenuA(file_, MF_STRING, 1300, "&Load\tCtrl+L");
    AppendMenuA(file_, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file_, MF_STRING, kExit, "E&xit\tCtrl+Q");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file_), "&File");
    help_ = CreatePopupMenu();
    AppendMenuA(help_, MF_STRING, kAbout, "&About...");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help_), "&Help");
    game_ = CreatePopupMenu();
    AppendMenuA(game_, MF_STRING, kGameItem, "&Rest");
    InsertMenuA(bar, 1, MF_BYPOSITION | MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(game_), "&Game");
    return bar;
  }

  std::vector<Received> Commands() const { return Of(WM_COMMAND); }

  void Click(HWND window, POINT point) {
    HostTestMouseButton(window, 0, true, point.x, point.y);
    HostTestMouseButton(window, 0, false, point.x, point.y);
    Pump();
  }

  HMENU file_ = nullptr, help_ = nullptr, game_ = nullptr;
};

TEST_F(Menus, ModelInsertsByPositionAndReportsThePreviousState) {
  HMENU bar = MakeBar();
  EXPECT_TRUE(InsertMenuA(file_, 1, MF_BYPOSITION, 1301, "&Save"));
  EXPECT_TRUE(InsertMenuA(file_, 99, MF_BYPOSITION, 1302, "Last"));  // past the end: appended
  EXPECT_TRUE(InsertMenuA(file_, kExit, MF_BYCOMMAND, 1303, "Before exit"));
  EXPECT_FALSE(InsertMenuA(file_, 4242, MF_BYCOMMAND, 1304, "Nowhere"));
  // The order shows in the drop-down: Load, Save, separator, Before exit, Exit, Last.
  HWND window = Make(300, 300, user_test::kGameStyle, bar);
  Pump();
  POINT file, item;
  ASSERT_TRUE(HostTestMenuEntryPoint(window, 0, &file));
  Click(window, file);
  EXPECT_TRUE(HostTestMenuItemPoint(window, 5, &item));
  EXPECT_FALSE(HostTestMenuItemPoint(window, 6, &item));
  ASSERT_TRUE(HostTestMenuItemPoint(window, 3, &item));
  Click(window, item);
  ASSERT_EQ(Commands().size(), 1u);
  EXPECT_EQ(LOWORD(Commands()[0].wParam), 1303);
  SetMenu(window, nullptr);
  EXPECT_EQ(EnableMenuItem(bar, 1, MF_BYPOSITION | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(bar, 1, MF_BYPOSITION | MF_GRAYED | MF_DISABLED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(bar, kExit, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(bar, 7, MF_BYPOSITION), -1);
  EXPECT_EQ(EnableMenuItem(bar, 4242, MF_BYCOMMAND), -1);
  EXPECT_FALSE(AppendMenuA(bar, MF_POPUP, 0x5555, "broken"));
  EXPECT_TRUE(DestroyMenu(bar));
  EXPECT_EQ(EnableMenuItem(file_, 0, MF_BYPOSITION), -1);  // the popups went with the bar
  EXPECT_FALSE(DestroyMenu(bar));
}

TEST_F(Menus, AttachingAMenuKeepsTheWindowRectangleAndGivesTheStripItsRows) {
  HWND window = Make(64, 48);
  RECT before, after, client;
  GetWindowRect(window, &before);
  HMENU bar = MakeBar();
  ASSERT_TRUE(SetMenu(window, bar));
  EXPECT_EQ(GetMenu(window), bar);
  GetWindowRect(window, &after);
  EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
  GetClientRect(window, &client);
  EXPECT_EQ(client.bottom, 48 - GetSystemMetrics(SM_CYMENUSIZE));
  // Resized for the menu, as the game does, the client area is whole again.
  RECT wanted{0, 0, 64, 48};
  AdjustWindowRect(&wanted, user_test::kGameStyle, TRUE);
  SetWindowPos(window, nullptr, 0, 0, wanted.right - wanted.left, wanted.bottom - wanted.top,
               SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(window, &client);
  EXPECT_EQ(client.bottom, 48);
  Pump();
  HostFrame image;
  ASSERT_TRUE(HostTestWindowImage(window, &image));
  EXPECT_EQ(image.clientTop, GetSystemMetrics(SM_CYMENUSIZE));
  EXPECT_EQ(image.height, 48 + image.clientTop);
  EXPECT_EQ(image.pixels[static_cast<size_t>(image.width) * (image.height - 1)], 0x00336699u);
  EXPECT_EQ(image.pixels[static_cast<size_t>(image.width) - 1], 0x00F0F0F0u);  // the strip's background
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  GetWindowRect(window, &after);
  EXPECT_EQ(origin.y - after.top, GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYDLGFRAME) +
                                       GetSystemMetrics(SM_CYMENUSIZE));
  ASSERT_TRUE(SetMenu(window, nullptr));
  DestroyMenu(bar);
}

TEST_F(Menus, ClickingAnEntryAndAnItemRunsTheMenuLoopAndPostsTheCommand) {
  HWND window = Make(300, 200, user_test::kGameStyle, MakeBar());
  Pump();
  recorder_.messages.clear();
  POINT file;
  ASSERT_TRUE(HostTestMenuEntryPoint(window, 0, &file));
  EXPECT_LT(file.y, 0);
  Click(window, file);
  EXPECT_EQ(Of(WM_ENTERMENULOOP).size(), 1u);
  POINT exitItem;
  ASSERT_TRUE(HostTestMenuItemPoint(window, 2, &exitItem));
  EXPECT_GT(exitItem.y, 0);  // the drop-down lies over the client area
  HostFrame image;
  ASSERT_TRUE(HostTestWindowImage(window, &image));
  size_t inDropDown = static_cast<size_t>(exitItem.y + image.clientTop) * image.width + exitItem.x;
  EXPECT_NE(image.pixels[inDropDown], 0x00336699u);
  Click(window, exitItem);
  std::vector<UINT> loop;
  for (const Received& received : recorder_.messages) {
    if (received.message == WM_ENTERMENULOOP || received.message == WM_EXITMENULOOP ||
        received.message == WM_COMMAND || received.message == WM_LBUTTONDOWN || received.message == WM_LBUTTONUP) {
      loop.push_back(received.message);
    }
  }
  // The clicks went to the menu, not to the client area.
  EXPECT_EQ(loop, (std::vector<UINT>{WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_COMMAND}));
  ASSERT_EQ(Commands().size(), 1u);
  EXPECT_EQ(LOWORD(Commands()[0].wParam), kExit);
  EXPECT_EQ(HIWORD(Commands()[0].wParam), 0);
  ASSERT_TRUE(HostTestWindowImage(window, &image));
  EXPECT_EQ(image.pixels[inDropDown], 0x00336699u);  // closed again
}

TEST_F(Menus, GrayedEntriesAndItemsDoNothingAndAClickBesideCloses) {
  HWND window = Make(300, 200, user_test::kGameStyle, MakeBar());
  Pump();
  POINT game, file, separator, outside{250, 150};
  ASSERT_TRUE(HostTestMenuEntryPoint(window, 1, &game));
  Click(window, game);
  EXPECT_TRUE(Of(WM_ENTERMENULOOP).empty());
  EnableMenuItem(GetMenu(window), 1300, MF_BYCOMMAND | MF_GRAYED);
  ASSERT_TRUE(HostTestMenuEntryPoint(window, 0, &file));
  Click(window, file);
  POINT load;
  ASSERT_TRUE(HostTestMenuItemPoint(window, 0, &load));
  ASSERT_TRUE(HostTestMenuItemPoint(window, 1, &separator));
  Click(window, load);
  Click(window, separator);
  EXPECT_TRUE(Commands().empty());
  EXPECT_TRUE(Of(WM_EXITMENULOOP).empty());
  Click(window, outside);
  EXPECT_EQ(Of(WM_EXITMENULOOP).size(), 1u);
  EXPECT_TRUE(Commands().empty());
  EXPECT_TRUE(Of(WM_LBUTTONDOWN).empty());
}

TEST_F(Menus, AltAloneOpensTheFirstMenuAndTheKeysChoose) {
  Make(300, 200, user_test::kGameStyle, MakeBar());
  Pump();
  recorder_.messages.clear();
  HostTestKey(VK_MENU, true);
  HostTestKey(VK_MENU, false);
  Pump();
  ASSERT_EQ(Of(WM_ENTERMENULOOP).size(), 1u);
  // The first item is highlighted; Down passes over the separator to Exit; Return chooses it.
  for (int key : {VK_DOWN, VK_RETURN}) {
    HostTestKey(key, true);
    HostTestKey(key, false);
  }
  Pump();
  ASSERT_EQ(Commands().size(), 1u);
  EXPECT_EQ(LOWORD(Commands()[0].wParam), kExit);
  EXPECT_TRUE(Of(WM_KEYDOWN).empty());  // the presses went to the menu
  EXPECT_FALSE(Of(WM_KEYUP).empty());   // the releases still come, so no key stays down
  recorder_.messages.clear();
  // Alt+H opens Help by its mnemonic; Escape closes without a command.
  HostTestKey(VK_MENU, true);
  HostTestKey('H', true);
  HostTestKey('H', false);
  HostTestKey(VK_MENU, false);
  Pump();
  EXPECT_EQ(Of(WM_ENTERMENULOOP).size(), 1u);
  HostTestKey(VK_ESCAPE, true);
  HostTestKey(VK_ESCAPE, false);
  Pump();
  EXPECT_EQ(Of(WM_EXITMENULOOP).size(), 1u);
  EXPECT_TRUE(Commands().empty());
}

TEST_F(Menus, AltWithAnotherKeyBetweenOpensNothing) {
  Make(300, 200, user_test::kGameStyle, MakeBar());
  Pump();
  recorder_.messages.clear();
  recorder_.keysHandled = true;
  HostTestKey(VK_RMENU, true);
  HostTestKey('Q', true);
  HostTestText("@");
  HostTestKey('Q', false);
  HostTestKey(VK_RMENU, false);
  HostTestKey(VK_MENU, true);
  HostTestMouseButton(made_.back(), 0, true, 10, 10);
  HostTestMouseButton(made_.back(), 0, false, 10, 10);
  HostTestKey(VK_MENU, false);
  Pump();
  EXPECT_TRUE(Of(WM_ENTERMENULOOP).empty());
  EXPECT_EQ(Of(WM_CHAR).size(), 1u);
}

TEST_F(Menus, AcceleratorsNeedTheirExactModifiersAndAnEnabledCommand) {
  HWND window = Make(100, 100, user_test::kGameStyle, MakeBar());
  Pump();
  ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'Q', static_cast<WORD>(kExit)},
                     {FVIRTKEY | FCONTROL, 'R', static_cast<WORD>(kGameItem)}};
  HACCEL table = CreateAcceleratorTableA(entries, 2);
  ASSERT_NE(table, nullptr);
  struct Press {
    std::vector<int> keys;
    bool taken;
    UINT command;  // 0: none sent
  };
  const Press presses[] = {
      {{VK_CONTROL, 'Q'}, true, kExit},
      {{VK_CONTROL, VK_SHIFT, 'Q'}, false, 0},
      {{'Q'}, false, 0},
      {{VK_CONTROL, 'R'}, true, 0},  // in the grayed Game menu: taken, not sent
  };
  for (const Press& press : presses) {
    recorder_.messages.clear();
    for (int key : press.keys) HostTestKey(key, true);
    for (auto it = press.keys.rbegin(); it != press.keys.rend(); ++it) HostTestKey(*it, false);
    bool taken = false;
    MSG msg;
    while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
      if (msg.wParam == static_cast<WPARAM>(press.keys.back()) && msg.message == WM_KEYDOWN) {
        taken = TranslateAcceleratorA(window, table, &msg) != 0;
        if (taken) continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    EXPECT_EQ(taken, press.taken) << press.keys.size();
    auto commands = Commands();
    if (press.command == 0) {
      EXPECT_TRUE(commands.empty());
    } else {
      ASSERT_EQ(commands.size(), 1u);
      EXPECT_EQ(LOWORD(commands[0].wParam), press.command);
      EXPECT_EQ(HIWORD(commands[0].wParam), 1);
    }
  }
  EXPECT_TRUE(DestroyAcceleratorTable(table));
  EXPECT_FALSE(DestroyAcceleratorTable(table));
  MSG keyDown{window, WM_KEYDOWN, 'Q', 0, 0, {}};
  EXPECT_EQ(TranslateAcceleratorA(window, table, &keyDown), 0);
}

}  // namespace
