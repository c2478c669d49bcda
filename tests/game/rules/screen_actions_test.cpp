// The screen, timing, settings and place actions run from scenario events: "St" on a still screen, on a map and on
// other locations, the menu bar, the wait, the music volume, the movement modes, and remembering a place and
// going back to it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/automap_dialog.h"
#include "game/dialogs/modal_dialog_driver.h"
#include "game/graphics/animation_set.h"
#include "game/graphics/blitter.h"
#include "game/rules/action_handlers.h"
#include "game/shell/data/option_store.h"
#include "game/shell/data/preferences.h"
#include "game/shell/game_commands.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/media/music_player.h"
#include "game/shell/media/screen_fades.h"
#include "game/shell/record_lists.h"
#include "game/shell/scenario_config.h"
#include "game/world/location.h"
#include "game/world/location_history.h"
#include "game/world/scene_view.h"
#include "game/world/screen_location.h"
#include "game/world/sprite.h"
#include "game/world/tile_map.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/dialog_input.h"
#include "tools/scenario_writer/location_writer.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

sw::ActionSpec Stage(const std::string& entries, const std::string& redraw = "0") {
  return {"", "Stage", {entries, redraw}};
}

class ScreenActionsTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Files().Add(sw::LocationRecordPath("Hall"), sw::EncodeScreenLocation({}));
    Files().Add(sw::LocationRecordPath("Yard"), sw::EncodeScreenLocation({}));
    Files().Add(sw::LocationRecordPath("Stall"), sw::EncodeShopLocation({}));
    AddPicture("Pictures/Flag.bmp", sw::Canvas(8, 8));
  }
  void TearDown() override {
    ClearRunStateBits(kRunRunning);
    SetCurrentLocation(nullptr);
    DialogHarness::TearDown();
  }
  void RunAction(const sw::ActionSpec& action) {
    ScriptAction made = Made(action);
    ActionHandler handler = ActionHandlerAt(FindActionIndex(action.name));
    ASSERT_NE(handler, nullptr) << action.name;
    handler(made);
  }
};

TEST_F(ScreenActionsTest, StagingWorksOnTheShownScreenAndNowhereElse) {
  LoadWithWindow();
  // Without a location, or on a shop, nothing happens.
  RunAction(Stage("0,flag,Flag.bmp,1,2,Go"));
  SetCurrentLocation(FindLocationByName("Stall"));
  RunAction(Stage("0,flag,Flag.bmp,1,2,Go", "1"));
  auto* hall = dynamic_cast<ScreenLocation*>(FindLocationByName("Hall"));
  ASSERT_NE(hall, nullptr);
  EXPECT_TRUE(hall->Elements().empty());
  hall->Enter();
  RunAction(Stage("0,flag,Flag.bmp,,,Go****4,pole,Flag.bmp,5,6,****5,mast,Flag.bmp,7,8,:****9,odd,Flag.bmp,1,1,"
                  "****1,flag,Flag.bmp,40,,:",
                  "1"));
  const auto& elements = hall->Elements();
  ASSERT_EQ(elements.size(), 3u);
  // Empty coordinates pass 32767 through to the element; an operation 1 moves only x here.
  EXPECT_EQ(elements[0]->PositionX(), 40.0f);
  EXPECT_EQ(elements[0]->PositionY(), 32767.0f);
  EXPECT_EQ(elements[0]->texts[2], "Go");
  EXPECT_EQ(elements[1]->texts[0], "pole");
  EXPECT_EQ(elements[2]->texts[2], ":");
  RunAction(Stage("2,pole"));
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[1]->texts[0], "mast");
  RunAction(Stage("3"));
  EXPECT_TRUE(elements.empty());
}

TEST_F(ScreenActionsTest, StagingOnAMapAddsAndRemovesItsSprites) {
  LoadWithWindow();
  Location mapPlace(kLocationKindMap);
  SetCurrentLocation(&mapPlace);
  auto empty = test_support::MemoryStreamOver({});
  TileMap map(*empty);
  ASSERT_EQ(GetCurrentTileMap(), &map);
  RunAction(Stage("0,flag,Flag.bmp,10,20,Go****4,pole,Flag.bmp,,,****5,mast,Flag.bmp,1,1,****1,flag,Flag.bmp,5,5,"
                  "****0,wave,Flag.bmp,3,3,"));
  ASSERT_EQ(map.EffectList().size(), 4u);
  const Sprite& flag = *map.EffectList()[0];
  // Operation 1 changes nothing on a map.
  EXPECT_EQ(flag.PositionX(), 10.0f);
  EXPECT_EQ(flag.texts[kSpriteEventText], "Go");
  EXPECT_EQ(flag.GetLayer(), 0);
  EXPECT_EQ(map.EffectList()[1]->GetLayer(), -1);
  EXPECT_EQ(map.EffectList()[1]->PositionX(), 32767.0f);
  EXPECT_EQ(map.EffectList()[2]->GetLayer(), 1);
  RunAction(Stage("2,flag"));
  EXPECT_EQ(map.EffectList()[0]->GetPictureRef(), nullptr);
  EXPECT_NE(map.EffectList()[3]->GetPictureRef(), nullptr);
  RunAction(Stage("3"));
  EXPECT_EQ(map.EffectList()[3]->GetPictureRef(), nullptr);
  SetCurrentLocation(nullptr);
}

// "F" fades out when p0 begins with '0' and in otherwise (an empty p0 too), only with the Config's screen fades
// on.
TEST_F(ScreenActionsTest, AFadeGoesOutOnlyForATextBeginningWithZeroAndNeedsTheFadeOption) {
  Config().screenFades = 1;
  LoadWithWindow();
  InstallMediaServices();
  struct Case {
    const char* direction;
    bool faded;
  } cases[] = {{"0", true}, {"", false}, {"05", true}, {"1", false}, {"0x", true}, {"x", false}};
  for (const Case& c : cases) {
    RunAction({"", "Fade", {c.direction, "0"}});
    EXPECT_EQ(IsScreenFaded(), c.faded) << c.direction;
  }
  SetScreenFadeEnabled(0);
  RunAction({"", "Fade", {"0", "0"}});
  EXPECT_FALSE(IsScreenFaded());
  SetFadeServices({});
  SetAnimationSetServices({});
}

// "Ref" clears the back buffer and redraws the whole view, with no layer current meanwhile, and gives the layer
// that was current back.
TEST_F(ScreenActionsTest, ARefreshClearsAndRedrawsTheViewAndKeepsTheCurrentLayer) {
  LoadWithWindow();
  SetRunStateBits(kRunRunning);
  SceneView* view = GetSceneView();
  ASSERT_NE(view, nullptr);
  ASSERT_NE(view->GetBackBuffer(), nullptr);
  const LayerRef layer = view->AddDefaultLayer(0);
  view->SetCurrentLayer(layer.Layer());
  FillRect(*view->GetBackBuffer(), Bounds{0, 0, 8, 8}, DrawColor{250, 0, 0, 255});
  RunAction({"", "Refresh", {}});
  DrawColor color;
  ASSERT_TRUE(GetPixel(color, *view->GetBackBuffer(), 2, 2));
  EXPECT_EQ(color.red, 0);
  EXPECT_EQ(PixelShown(2, 2), 0x000000u);
  EXPECT_EQ(view->GetCurrentLayer(), layer.Layer());
  view->RemoveLayer(layer);
}

TEST_F(ScreenActionsTest, TheMenuBarTogglesBackAndTheWaitEndsWithTheProgram) {
  LoadWithWindow();
  MainWindow* window = GetMainWindow();
  ASSERT_NE(window, nullptr);
  const bool first = window->HasMenuBar();
  RunAction({"", "Menu", {"2"}});
  EXPECT_NE(window->HasMenuBar(), first);
  RunAction({"", "Menu", {"2"}});
  EXPECT_EQ(window->HasMenuBar(), first);
  RunAction({"", "Menu", {"1"}});
  EXPECT_FALSE(window->HasMenuBar());
  RunAction({"", "Menu", {"3"}});
  EXPECT_FALSE(window->HasMenuBar());
  RunAction({"", "Menu", {"0"}});
  EXPECT_TRUE(window->HasMenuBar());

  // A wait lasts its count; 0 and a negative count wait not at all, and the wait ends with the program.
  SetRunStateBits(kRunRunning);
  uint32_t before = Elapsed();
  RunAction({"", "Wait", {"300"}});
  EXPECT_GE(Elapsed() - before, 300u);
  EXPECT_LT(Elapsed() - before, 400u);
  before = Elapsed();
  for (const char* count : {"0", "-5"}) RunAction({"", "Wait", {count}});
  EXPECT_LT(Elapsed() - before, 40u);
  ClearRunStateBits(kRunRunning);
  RunAction({"", "Wait", {"100000"}});
  EXPECT_LT(Elapsed() - before, 100u);
}

TEST_F(ScreenActionsTest, TheMusicVolumeIsClampedAndStoredAsGivenAndTheMovementModesReadOnes) {
  Config().globalNames = {"gb_loud"};
  Load();
  ASSERT_NE(GetPrefsFile(), nullptr);
  auto stored = [] {
    PrefsFile saved(GetPrefsFile()->FileName());
    saved.Load();
    std::string value;
    saved.Get(value, "music_volume");
    return value;
  };
  // The volume is clamped to 0..100; the preferences get the expanded text, not the clamped number.
  struct Case {
    const char* given;
    int volume;
    const char* stored;
  } cases[] = {{"150", 100, "150"}, {"-5", 0, "-5"}, {"40", 40, "40"}, {"x", 0, "x"}, {"&&gb_loud", 70, "70"}};
  SetGlobal("gb_loud", "70");
  for (const Case& c : cases) {
    RunAction({"", "Set volume", {c.given}});
    EXPECT_EQ(MusicVolume(), c.volume) << c.given;
    EXPECT_EQ(stored(), c.stored) << c.given;
  }
  RunAction({"", "Use keys", {"1", "0"}});
  EXPECT_TRUE(IsKeyboardMovementEnabled());
  EXPECT_FALSE(IsClickPathingEnabled());
  RunAction({"", "Use keys", {"0", "01"}});
  EXPECT_FALSE(IsKeyboardMovementEnabled());
  EXPECT_TRUE(IsClickPathingEnabled());
}

TEST_F(ScreenActionsTest, APlaceRememberedIsGoneBackTo) {
  LoadWithWindow();
  SetRunStateBits(kRunRunning);
  // Nothing to remember before any place is shown, nothing to go back to.
  RunAction({"", "Save place", {}});
  RunAction({"", "Return", {}});
  EXPECT_EQ(LocationHistory::Count(), 0);
  FindLocationByName("Hall")->Enter();
  RunAction({"", "Save place", {}});
  FindLocationByName("Yard")->Enter();
  EXPECT_EQ(LocationHistory::Count(), 1);
  RunAction({"", "Return", {}});
  EXPECT_EQ(GetCurrentLocation(), FindLocationByName("Hall"));
  EXPECT_EQ(LocationHistory::Count(), 0);
}

// Takes note of the automap's picture and closes it.
class AutomapNotes : public ModalDialogDriver {
 public:
  void Drive(Dialog& dialog) override {
    auto* automap = dynamic_cast<AutomapDialog*>(&dialog);
    widths.push_back(automap != nullptr && automap->MapPicture() != nullptr ? automap->MapPicture()->width : -1);
    dialog.Close();
  }
  std::vector<int32_t> widths;
};

TEST_F(ScreenActionsTest, TheAutomapShowsTheLocationsPictureUnlessAnotherIsAskedFor) {
  Config().layouts[23].name = "Frame.bmp";
  Config().layouts[23].elements = {{"map", 0, 0, 300, 200}};
  AddPicture("Pictures/Frame.bmp", sw::Canvas(300, 200));
  AddPicture("Pictures/Other.bmp", sw::Canvas(30, 20));
  AddPicture(sw::LocationPicturePath("Hall"), sw::Canvas(50, 40));
  LoadWithWindow();
  AutomapNotes notes;
  SetModalDialogDriver(&notes);
  RunAction({"", "Map", {"", "0", "0", "0", "1", "Other.bmp"}});  // no location: nothing
  FindLocationByName("Hall")->Enter();
  RunAction({"", "Map", {"", "0", "0", "0", "1", "Other.bmp"}});
  RunAction({"", "Map", {"", "0", "0", "0", "1", ""}});
  RunAction({"", "Map", {"", "0", "0", "0", "0", "Other.bmp"}});
  SetModalDialogDriver(nullptr);
  EXPECT_EQ(notes.widths, (std::vector<int32_t>{30, 50, 50}));
}

}  // namespace
