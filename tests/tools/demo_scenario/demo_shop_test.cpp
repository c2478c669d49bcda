// The demo scenario's places through the whole program, in-process and headless: a new game (its name, race,
// class and sheet answered) starts in the valley, a still screen above the status bar; a click on the hut opens
// the trader's shop with its goods and the player's gold, a purchase takes the gold, and "Leave" goes back to the
// valley. The valley and the shop are written as BMP files into "demo_frames/" of the working folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/list_controls.h"
#include "game/dialogs/shop_dialog.h"
#include "game/rules/character.h"
#include "game/shell/main_window.h"
#include "game/world/location.h"
#include "host/testing.h"
#include "host/user.h"
#include "tests/support/dialog_input.h"
#include "tests/support/frame_files.h"
#include "tests/support/program_steps.h"
#include "tests/support/temp_folder.h"

namespace {

using test_support::InputScript;
using test_support::InputStep;
using namespace test_support::input;

HWND MainWindowHandle() {
  MainWindow* window = GetMainWindow();
  return window != nullptr && window->IsCreated() ? window->GetNativeWindow() : nullptr;
}

int32_t TopLayout() { return OpenDialogs().empty() ? -1 : OpenDialogs().back()->LayoutIndex(); }

uint32_t PixelShown(int x, int y) {
  HostFrame frame;
  if (!HostTestLastFrame(MainWindowHandle(), &frame) || x >= frame.width || y >= frame.height) return 0;
  return frame.pixels[static_cast<size_t>(y) * frame.width + x];
}

std::string Here() { return GetCurrentLocation() != nullptr ? GetCurrentLocation()->GetName() : ""; }

class DemoShopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
    const std::filesystem::path demo = KESTRIVAL_DEMO_FOLDER;
    std::error_code code;
    std::filesystem::copy(demo / "Data", std::filesystem::path(temp_.Posix()) / "Data",
                          std::filesystem::copy_options::recursive, code);
    ASSERT_FALSE(code) << code.message();
    std::filesystem::copy_file(demo / "cs.cfg", std::filesystem::path(temp_.Posix()) / "cs.cfg", code);
    ASSERT_FALSE(code) << code.message();
  }
  void TearDown() override {
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
  }

  TempFolder temp_;
};

TEST_F(DemoShopTest, ANewGameStartsInTheValleyWhoseHutOpensTheTradersShop) {
  struct Seen {
    std::string startedAt, backAt, gold, goldAfter;
    std::vector<std::string> goods;
    size_t carriedBefore = 0, carriedAfter = 0;
    bool valleyFrame = false, shopFrame = false, backFrame = false;
    uint32_t startPixel = 0, backPixel = 0;
  } seen;
  bool done = false;
  std::unique_ptr<InputScript> script;
  auto shop = [] { return OpenDialogs().empty() ? nullptr : dynamic_cast<ShopDialog*>(OpenDialogs().back()); };
  test_support::ProgramSteps steps;
  steps.tickLimit = 3000;
  steps.list = {
      [&] {
        if (script == nullptr) {
          std::vector<InputStep> input = {
              KeyDown(VK_CONTROL), KeyDown('N'), KeyUp('N'), KeyUp(VK_CONTROL),
              // The name, the race, the class and the sheet, each taken as offered.
              WaitFor([] { return TopLayout() == 4; }), Type("Wren"), Wait(2), KeyDown(VK_RETURN),
              KeyUp(VK_RETURN), WaitFor([] { return TopLayout() == 5; }), Wait(4), ClickOn(2),
              WaitFor([] { return TopLayout() == 6; }), Wait(4), ClickOn(2), WaitFor([] { return TopLayout() == 10; }),
              Wait(4), ClickOn(27), WaitFor([] { return OpenDialogs().empty() && Here() == "valley"; }), Wait(4),
              WaitFor([&] {
                seen.startedAt = Here();
                seen.carriedBefore = GetCurrentCharacter()->inventory.size();
                seen.valleyFrame = WriteShownFrame(MainWindowHandle(), "demo_frames/valley.bmp");
                seen.startPixel = PixelShown(100, 100);
                return true;
              }),
              // The hut.
              Click(490, 280), WaitFor([&] { return shop() != nullptr; }), Wait(4), WaitFor([&] {
                const auto* list = shop()->GetControlAs<ListControl>(ShopDialog::kList);
                for (int32_t i = 0; list != nullptr && i < list->GetRowCount(); ++i) {
                  seen.goods.push_back(list->GetRow(i).text);
                }
                seen.gold = shop()->GetControlAs<StaticTextControl>(ShopDialog::kGoldText)->GetText();
                seen.shopFrame = WriteShownFrame(MainWindowHandle(), "demo_frames/shop.bmp");
                return true;
              }),
              // The first of the goods is bought, then the trader left.
              ClickOn(ShopDialog::kTradeButton), Wait(20), WaitFor([&] {
                seen.goldAfter = shop()->GetControlAs<StaticTextControl>(ShopDialog::kGoldText)->GetText();
                return true;
              }),
              ClickOn(ShopDialog::kLeaveButton), WaitFor([] { return OpenDialogs().empty(); }), Wait(4),
              WaitFor([&] {
                seen.backAt = Here();
                seen.backFrame = WriteShownFrame(MainWindowHandle(), "demo_frames/valley_again.bmp");
                seen.backPixel = PixelShown(100, 100);
                seen.carriedAfter = GetCurrentCharacter()->inventory.size();
                return done = true;
              }),
              Wait(1000000)};
          script = std::make_unique<InputScript>(std::move(input), 1000000);
          return false;
        }
        if (!done) return false;
        script.reset();
        PostQuitMessage(0);
        return true;
      },
  };
  EXPECT_EQ(test_support::RunProgramSteps(temp_.Posix(), steps), 0);
  EXPECT_EQ(steps.next, steps.list.size());
  EXPECT_EQ(seen.startedAt, "valley");
  EXPECT_TRUE(seen.valleyFrame);
  EXPECT_TRUE(seen.shopFrame);
  // The goods in the order of an inventory: the consumables, the weapon, the worn cap.
  EXPECT_EQ(seen.goods, (std::vector<std::string>{"Bread", "Healing draught", "Walking stick", "Leather cap"}));
  EXPECT_EQ(seen.gold, "40");
  EXPECT_EQ(seen.goldAfter, "38");
  EXPECT_EQ(seen.carriedAfter, seen.carriedBefore + 1);
  EXPECT_EQ(seen.backAt, "valley");
  // The valley is shown again as it was.
  EXPECT_TRUE(seen.backFrame);
  EXPECT_EQ(seen.backPixel, seen.startPixel);
  EXPECT_NE(seen.startPixel, 0u);
}

}  // namespace
