// Locations read from writer-made records and entered as the player meets them: the factory, key shortcuts,
// still screens (history, re-entering, hotspots, picture elements, the interface's portrait and map buttons),
// shops' optional events, script locations, and the location history with its saved-game block.
#include "game/world/location.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/shop_dialog.h"
#include "game/rules/script_engine.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "game/shell/media/media_lookup.h"
#include "game/shell/media/music_player.h"
#include "game/shell/record_lists.h"
#include "game/world/location_history.h"
#include "game/world/location_spot_list.h"
#include "game/world/screen_location.h"
#include "game/world/shop_location.h"
#include "game/world/sprite.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/dialog_input.h"
#include "tools/scenario_writer/location_writer.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

sw::Bytes CutShort(sw::Bytes bytes) {
  bytes.pop_back();
  return bytes;
}

// A record cut short is built all the same, with zeros and empty texts past its end: a record too short to hold
// its kind reads kind 0, a still screen.
TEST(LocationFactoryTest, BuildsTheKindsItKnowsAndLeavesTheRestUnread) {
  sw::ShopLocationSpec shop;
  shop.goods = {"Rope"};
  shop.cannotPay = {":::", sw::EventSpec{{Set("gb_a", "1")}, {}, 0}};
  struct Case {
    const char* what;
    sw::Bytes bytes;
    int16_t kind;  // -1: nothing built
  } cases[] = {
      {"screen", sw::EncodeScreenLocation({}), kLocationKindScreen},
      {"shop", sw::EncodeShopLocation(shop), kLocationKindShop},
      {"script", sw::EncodeScriptLocation({}), kLocationKindScript},
      {"kind 7", sw::EncodeLocationCommon(7), -1},
      {"map", sw::EncodeMapLocation({}), kLocationKindMap},
      {"map cut short", CutShort(sw::EncodeMapLocation({})), kLocationKindMap},
      {"screen cut short", CutShort(sw::EncodeScreenLocation({})), kLocationKindScreen},
      {"shop cut short", CutShort(sw::EncodeShopLocation(shop)), kLocationKindShop},
      {"script cut short", CutShort(sw::EncodeScriptLocation({})), kLocationKindScript},
      {"a shop's kind alone", sw::Bytes{0, 3}, kLocationKindShop},
      {"one byte", sw::Bytes{3}, kLocationKindScreen},
  };
  for (const Case& c : cases) {
    auto stream = test_support::MemoryStreamOver(c.bytes);
    std::unique_ptr<Location> location = CreateLocation(*stream);
    if (c.kind < 0) {
      EXPECT_EQ(location, nullptr) << c.what;
    } else {
      ASSERT_NE(location, nullptr) << c.what;
      EXPECT_EQ(location->Kind(), c.kind) << c.what;
      EXPECT_FALSE(location->IsActive()) << c.what;
      EXPECT_TRUE(stream->AtEnd()) << c.what;
    }
  }
  // The shop of its kind alone has no goods and no events.
  auto kindAlone = test_support::MemoryStreamOver(sw::Bytes{0, 3});
  std::unique_ptr<Location> bare = CreateLocation(*kindAlone);
  auto* bareShop = dynamic_cast<ShopLocation*>(bare.get());
  ASSERT_NE(bareShop, nullptr);
  EXPECT_TRUE(bareShop->Goods().empty());
  EXPECT_EQ(bareShop->CannotPayEvent(), nullptr);
  // A kind that builds nothing leaves the stream where it was.
  auto stream = test_support::MemoryStreamOver(sw::EncodeLocationCommon(7));
  EXPECT_EQ(CreateLocation(*stream), nullptr);
  EXPECT_EQ(stream->GetPosition(), 0u);
}

TEST(LocationFactoryTest, AShopsOptionalEventIsThereOnlyAfterThreeColons) {
  struct Case {
    sw::EventReferenceSpec first, second;
    bool hasFirst, hasSecond;
  } cases[] = {
      {{":::", sw::EventSpec{}}, {"", std::nullopt}, true, false},
      {{"Broke", std::nullopt}, {":::", sw::EventSpec{}}, false, true},
      {{"::", std::nullopt}, {":::x", std::nullopt}, false, false},
  };
  for (const Case& c : cases) {
    sw::ShopLocationSpec fields;
    fields.shopKind = 6;
    fields.goods = {"Rope", "Lamp"};
    fields.cannotPay = c.first;
    fields.secondEvent = c.second;
    auto stream = test_support::MemoryStreamOver(sw::EncodeShopLocation(fields));
    std::unique_ptr<Location> location = CreateLocation(*stream);
    auto* shop = dynamic_cast<ShopLocation*>(location.get());
    ASSERT_NE(shop, nullptr);
    EXPECT_EQ(shop->Goods(), (std::vector<std::string>{"Rope", "Lamp"}));
    EXPECT_EQ(shop->ShopKind(), 6);
    EXPECT_EQ(shop->CannotPayEvent() != nullptr, c.hasFirst) << c.first.name;
    EXPECT_EQ(shop->SecondEvent() != nullptr, c.hasSecond) << c.second.name;
    EXPECT_TRUE(stream->AtEnd());
  }
}

TEST(LocationHistoryBlockTest, RoundTripsAndRefusesADamagedBlock) {
  const std::vector<LocationHistoryEntry> entries = {{10, 4, 9, 0, "Town", "town.aiff"}, {3, 0, 0, 0, "", ""},
                                                     {0, 0, 0, 0, "Inn", ""}};
  sw::Bytes bytes =
      sw::StreamBytes([&](DataStream& stream) { EXPECT_EQ(LocationHistory::Write(stream, entries), 0); });
  std::vector<LocationHistoryEntry> read;
  auto stream = test_support::MemoryStreamOver(bytes);
  ASSERT_TRUE(LocationHistory::Read(*stream, &read));
  EXPECT_EQ(read, entries);
  EXPECT_TRUE(stream->AtEnd());

  const std::vector<LocationHistoryEntry> kept = {{0, 1, 2, 0, "Kept", ""}};
  sw::Bytes negative = sw::StreamBytes([](DataStream& s) { s.WriteInt16(-1); });
  sw::Bytes tooMany = sw::StreamBytes([](DataStream& s) {
    s.WriteInt16(3);
    for (int i = 0; i < 4; ++i) s.WriteInt16(0);
    s.WritePString("", true);
    s.WritePString("", true);
  });
  for (const sw::Bytes& damaged : {CutShort(bytes), negative, tooMany, sw::Bytes{}}) {
    std::vector<LocationHistoryEntry> out = kept;
    auto damagedStream = test_support::MemoryStreamOver(damaged);
    EXPECT_FALSE(LocationHistory::Read(*damagedStream, &out));
    EXPECT_EQ(out, kept);
  }
  std::vector<LocationHistoryEntry> tooLong = {{0, 0, 0, 0, std::string(256, 'a'), ""}};
  sw::StreamBytes([&](DataStream& s) { EXPECT_EQ(LocationHistory::Write(s, tooLong), kHistoryBlockTooLarge); });
}

// A scenario of still screens, with the game's window so that they show.
class LocationTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().globalNames = {"gb_count", "gb_hit"};
    // Each screen's enter event counts the entries.
    AddEvent("Counted", {{ChangeGlobal("gb_count", 2, "1")}});
    AddEvent("Hit", {{Set("gb_hit", "yes")}});
  }
  void TearDown() override {
    ClearRunStateBits(kRunRunning);
    DialogHarness::TearDown();
  }
  void AddScreen(const std::string& name, sw::ScreenLocationSpec fields = {}, int32_t width = 640,
                 int32_t height = 480) {
    if (fields.enterEvent.empty()) fields.enterEvent = "Counted";
    Files().Add(sw::LocationRecordPath(name), sw::EncodeScreenLocation(fields));
    if (width > 0) AddPicture(sw::LocationPicturePath(name), sw::Canvas(width, height, sw::Rgb{30, 60, 90}));
  }
  void Start() {
    LoadWithWindow();
    SetRunStateBits(kRunRunning);
  }
  static Location* Find(const std::string& name) { return FindLocationByName(name); }
  static ScreenLocation* Screen(const std::string& name) { return dynamic_cast<ScreenLocation*>(Find(name)); }
  static bool IsCurrent(const std::string& name) { return GetCurrentLocation() == Find(name); }
  // A click of the left button at a screen point, as the next frame reads it, given to the current location.
  static void ClickAt(int32_t x, int32_t y) {
    Input::OnLeftButton(x, y, kButtonDown);
    Input::OnLeftButton(x, y, kButtonUp);
    Input::BeginFrame();
    GetCurrentLocation()->OnClick();
  }
};

TEST_F(LocationTest, AShortcutFiresOnEitherCaseUnlessExactAndReleasesItsKeyAsWritten) {
  struct Case {
    const char* key;
    int16_t exact;
    KeySlot down;
    bool fires;
  } cases[] = {
      {"q", 0, 'Q', true}, {"q", 0, 'q', true}, {"Q", 0, 'q', true},  {"q", 1, 'Q', false},
      {"Q", 1, 'Q', true}, {"1", 0, '1', true}, {"\xE9", 0, 0xE9, false},
  };
  Start();
  for (const Case& c : cases) {
    sw::Bytes bytes = sw::StreamBytes([&](DataStream& s) { sw::WriteSpotList(s, {{c.key, c.exact, "Hit"}}); });
    auto stream = test_support::MemoryStreamOver(bytes);
    LocationSpotList list(*stream);
    Input::Reset();
    Input::SetKey(c.down, 1);
    Input::BeginFrame();
    SetGlobal("gb_hit", "");
    EXPECT_EQ(RunFirstUsableSpot(list), c.fires) << c.key << " " << c.down;
    EXPECT_EQ(Global("gb_hit"), c.fires ? "yes" : "") << c.key;
    if (c.fires) {
      Input::BeginFrame();
      EXPECT_EQ(Input::IsKeyDown(static_cast<int8_t>(c.key[0])), 0) << c.key;
    }
  }
  // An entry whose event file is missing never fires.
  sw::Bytes bytes = sw::StreamBytes([](DataStream& s) { sw::WriteSpotList(s, {{"q", 0, "Missing"}}); });
  auto stream = test_support::MemoryStreamOver(bytes);
  LocationSpotList list(*stream);
  Input::SetKey('q', 1);
  Input::BeginFrame();
  EXPECT_FALSE(RunFirstUsableSpot(list));
}

TEST_F(LocationTest, AScreensShortcutRunsAndResetsTheInput) {
  sw::ScreenLocationSpec fields;
  fields.shortcuts = {{"h", 0, "Hit"}};
  AddScreen("Hall", fields);
  Start();
  ASSERT_EQ(Find("Hall")->Enter(), 0);
  Input::SetKey('h', 1);
  Input::SetKey(kSlotLeft, 1);
  Input::BeginFrame();
  Find("Hall")->OnClick();
  EXPECT_EQ(Global("gb_hit"), "yes");
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(kSlotLeft), 0);
}

TEST_F(LocationTest, ScreenToScreenKeepsNoHistoryAndReenteringReloadsTheScreen) {
  AddScreen("Hall");
  AddScreen("Yard");
  Start();
  ASSERT_EQ(Find("Hall")->Enter(), 0);
  EXPECT_TRUE(IsCurrent("Hall"));
  EXPECT_NE(Screen("Hall")->Picture(), nullptr);
  Find("Yard")->Enter();
  EXPECT_FALSE(Find("Hall")->IsActive());
  EXPECT_EQ(Screen("Hall")->Picture(), nullptr);
  EXPECT_EQ(LocationHistory::Count(), 0);
  // The screen shown is left and entered again: its picture loads and its event runs once more.
  Find("Yard")->Enter();
  EXPECT_TRUE(IsCurrent("Yard"));
  EXPECT_NE(Screen("Yard")->Picture(), nullptr);
  EXPECT_EQ(Global("gb_count"), "3");
  EXPECT_EQ(LocationHistory::Count(), 0);
  // Remembered and gone back to while it is shown, it is not entered again.
  LocationHistory::Push();
  EXPECT_TRUE(LocationHistory::GoBack());
  EXPECT_EQ(Global("gb_count"), "3");
  EXPECT_EQ(LocationHistory::Count(), 0);
}

TEST_F(LocationTest, GoingBackNeedsARunningGameAndAPlaceThatExists) {
  AddScreen("Hall");
  AddScreen("Yard");
  AddMusic("Tune", 500, 2000);
  Start();
  Find("Hall")->Enter();
  PlayMusicByName("Tune");
  LocationHistory::Push();
  StopMusic();
  Find("Yard")->Enter();
  // Not running: nothing happens and the entry stays.
  ClearRunStateBits(kRunRunning);
  EXPECT_FALSE(LocationHistory::GoBack());
  EXPECT_EQ(LocationHistory::Count(), 1);
  EXPECT_TRUE(IsCurrent("Yard"));
  SetRunStateBits(kRunRunning);
  EXPECT_TRUE(LocationHistory::GoBack());
  EXPECT_TRUE(IsCurrent("Hall"));
  EXPECT_NE(CurrentMusicName(), "");
  // An entry without music stops the music; one whose place is gone is taken off, and going back fails.
  LocationHistory::Adopt({{0, 0, 0, 0, "Gone", ""}, {0, 0, 0, 0, "Yard", ""}});
  EXPECT_TRUE(LocationHistory::GoBack());
  EXPECT_TRUE(IsCurrent("Yard"));
  EXPECT_EQ(CurrentMusicName(), "");
  EXPECT_FALSE(LocationHistory::GoBack());
  EXPECT_EQ(LocationHistory::Count(), 0);
  EXPECT_FALSE(LocationHistory::GoBack());
}

// A screen whose picture (200 x 100) lies at (50, 40) by layout 16, or centred at (220, 190) without it.
class HotspotTest : public LocationTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HotspotTest, HotspotsAreHitInPictureCoordinatesWithTheirEdges) {
  const bool interface = GetParam();
  sw::ScreenLocationSpec fields;
  fields.interface = interface ? 1 : 0;
  fields.hotspots = {{"Yard", 10, 10, 20, 20}, {"Nowhere", 100, 50, 10, 10}};
  AddScreen("Hall", fields, 200, 100);
  AddScreen("Yard");
  Config().layouts[16].elements.resize(29);
  Config().layouts[16].elements[28] = {"picture", 50, 40, 200, 100};
  Start();
  const int32_t x0 = interface ? 50 : 220, y0 = interface ? 40 : 190;
  Find("Hall")->Enter();
  EXPECT_EQ(Screen("Hall")->OriginX(), x0);
  EXPECT_EQ(Screen("Hall")->OriginY(), y0);
  ClickAt(x0 + 105, y0 + 55);  // a place that does not exist
  EXPECT_TRUE(IsCurrent("Hall"));
  EXPECT_FALSE(Input::WasClicked());
  ClickAt(x0 + 31, y0 + 30);  // just outside
  EXPECT_TRUE(IsCurrent("Hall"));
  ClickAt(x0 + 30, y0 + 30);  // the corner, included
  EXPECT_TRUE(IsCurrent("Yard"));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutLayout, HotspotTest, ::testing::Bool());

TEST_F(LocationTest, PictureElementsAreAddedChangedClickedAndRemovedByScript) {
  AddScreen("Hall", {}, 640, 480);
  AddPicture("Pictures/Door.bmp", sw::Canvas(20, 30));
  AddPicture("Pictures/Sign.bmp", sw::Canvas(10, 10));
  AddEvent("Dress", {{{"", "Stage", {"0,door,Door.bmp,100,100,Hit****0,sign,Sign.bmp,200,200,:", "0"}}}});
  AddEvent("Move", {{{"", "Stage", {"1,door,Sign.bmp,,,:****1,door,Sign.bmp,300,,:", "1"}}}});
  AddEvent("Strip", {{{"", "Stage", {"2,door****0,lamp,Sign.bmp,1,1,Hit", "0"}}}});
  AddEvent("Bare", {{{"", "Stage", {"3", "0"}}}});
  Start();
  Find("Hall")->Enter();
  Run("Dress");
  const auto& elements = Screen("Hall")->Elements();
  ASSERT_EQ(elements.size(), 2u);
  // The sign's ":" makes it no target: the click passes on.
  ClickAt(205, 205);
  EXPECT_EQ(Global("gb_hit"), "");
  ClickAt(120, 130);  // the door's far corner
  EXPECT_EQ(Global("gb_hit"), "yes");
  // Empty coordinates keep the element's own, ":" keeps its event; only x changes in the second entry.
  Run("Move");
  EXPECT_EQ(elements[0]->PositionX(), 300.0f);
  EXPECT_EQ(elements[0]->PositionY(), 100.0f);
  EXPECT_EQ(elements[0]->texts[2], "Hit");
  SetGlobal("gb_hit", "");
  ClickAt(310, 110);
  EXPECT_EQ(Global("gb_hit"), "yes");
  Run("Strip");
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0]->texts[0], "sign");
  EXPECT_EQ(elements[1]->texts[0], "lamp");
  Run("Bare");
  EXPECT_TRUE(elements.empty());
}

TEST_F(LocationTest, ThePortraitAndTheMapButtonsRunTheirEventsAndALeavingPortraitEndsTheClick) {
  AddEvent("MapButton33", {{Set("gb_hit", "33")}});
  AddEvent("MapButton30", {{Set("gb_hit", "30")}});
  AddEvent("MainPortrait", {{ChangeGlobal("gb_count", 2, "10"), Travel("Yard")}});
  sw::ScreenLocationSpec fields;
  fields.interface = 1;
  AddScreen("Hall", fields);
  AddScreen("Yard", fields);
  Config().layouts[16].name = "Panel.bmp";
  AddPicture("Pictures/Panel.bmp", sw::Canvas(640, 480, sw::Rgb{90, 90, 90}));
  Config().layouts[16].elements.resize(40);
  Config().layouts[16].elements[0] = {"portrait", 0, 0, 40, 40};
  Config().layouts[16].elements[28] = {"picture", 100, 0, 540, 400};
  for (int i = 30; i < 40; ++i) Config().layouts[16].elements[i] = {"button", int16_t(10 * (i - 30)), 450, 9, 20};
  // Button 30 lies under the portrait as well.
  Config().layouts[16].elements[30] = {"button", 0, 0, 40, 40};
  Start();
  Find("Hall")->Enter();
  ClickAt(35, 455);
  EXPECT_EQ(Global("gb_hit"), "33");
  // The portrait's event takes the player away: button 30 beneath it is not pressed.
  SetGlobal("gb_hit", "");
  ClickAt(5, 5);
  EXPECT_EQ(Global("gb_count"), "12");
  EXPECT_TRUE(IsCurrent("Yard"));
  EXPECT_EQ(Global("gb_hit"), "");
}

TEST_F(LocationTest, APortraitThatStaysLetsTheMapButtonBeneathBePressed) {
  AddEvent("MapButton30", {{Set("gb_hit", "30")}});
  AddEvent("MainPortrait", {{ChangeGlobal("gb_count", 2, "10")}});
  sw::ScreenLocationSpec fields;
  fields.interface = 1;
  AddScreen("Hall", fields);
  // Without its panel picture a screen shows no interface: the panel is what the portrait and buttons are on.
  Config().layouts[16].name = "Panel.bmp";
  AddPicture("Pictures/Panel.bmp", sw::Canvas(640, 480));
  Config().layouts[16].elements.resize(31);
  Config().layouts[16].elements[0] = {"portrait", 0, 0, 40, 40};
  Config().layouts[16].elements[30] = {"button", 0, 0, 40, 40};
  Start();
  Find("Hall")->Enter();
  ClickAt(5, 5);
  EXPECT_EQ(Global("gb_count"), "11");
  EXPECT_EQ(Global("gb_hit"), "30");
}

TEST_F(LocationTest, AShortLayoutHasNoMapButtons) {
  AddEvent("MapButton33", {{Set("gb_hit", "33")}});
  sw::ScreenLocationSpec fields;
  fields.interface = 1;
  fields.hotspots = {{"Yard", 0, 0, 640, 480}};
  AddScreen("Hall", fields);
  AddScreen("Yard");
  Config().layouts[16].name = "Panel.bmp";
  AddPicture("Pictures/Panel.bmp", sw::Canvas(640, 480));
  Config().layouts[16].elements.resize(20);
  Start();
  Find("Hall")->Enter();
  ClickAt(35, 455);
  EXPECT_EQ(Global("gb_hit"), "");
  EXPECT_TRUE(IsCurrent("Yard"));
}

TEST_F(LocationTest, AScriptLocationRunsItsEventsAndLeavesTheCurrentLocationAlone) {
  AddScreen("Hall");
  sw::ScriptLocationSpec script;
  script.enterEvent = "Counted";
  script.enterActions = {{ChangeGlobal("gb_count", 2, "10")}, {}, 0};
  Files().Add(sw::LocationRecordPath("Chime"), sw::EncodeScriptLocation(script));
  AddEvent("Chime", {{ChangeGlobal("gb_count", 2, "100")}});
  Start();
  Find("Hall")->Enter();
  EXPECT_EQ(Find("Chime")->Enter(), 0);
  EXPECT_EQ(Global("gb_count"), "112");
  EXPECT_TRUE(IsCurrent("Hall"));
  EXPECT_FALSE(Find("Chime")->IsActive());
  EXPECT_EQ(LocationHistory::Count(), 0);
}

// Its own event entering it again finds it not yet entered: the script runs once more, nested, each time.
TEST_F(LocationTest, AScriptLocationEnteredByItsOwnEventRunsAgain) {
  sw::ScriptLocationSpec script;
  script.enterActions = {{ChangeGlobal("gb_count", 2, "1"), If("gb_count,is smaller than,3", "again", "")},
                         {Labelled("again", Travel("Echo"))},
                         0};
  Files().Add(sw::LocationRecordPath("Echo"), sw::EncodeScriptLocation(script));
  Start();
  SetGlobal("gb_count", "0");
  EXPECT_EQ(Find("Echo")->Enter(), 0);
  EXPECT_EQ(Global("gb_count"), "3");
  EXPECT_FALSE(Find("Echo")->IsActive());
}

// A shop's event that shows a still screen: the screen remembers the shop, and the shop's going back when its
// dialog closes takes that entry (a shop names no place), so the player stays on the screen with the place the
// shop was entered from still remembered.
TEST_F(LocationTest, AStillScreenEnteredFromAShopRemembersTheShop) {
  AddScreen("Hall");
  AddScreen("Yard");
  sw::ShopLocationSpec shop;
  shop.enterActions = {{Travel("Yard")}, {}, 0};
  Files().Add(sw::LocationRecordPath("Store"), sw::EncodeShopLocation(shop));
  // The shop dialog's picture and layout: ten elements in a column, the seventh the button that leaves.
  Config().layouts[9].name = "Shop.bmp";
  AddPicture("Pictures/Shop.bmp", sw::Canvas(200, 300, sw::Rgb{120, 100, 80}));
  for (int16_t i = 0; i < 10; ++i) {
    Config().layouts[9].elements.push_back({"element", 10, static_cast<int16_t>(10 + 28 * i), 100, 24});
  }
  Start();
  ASSERT_EQ(Find("Hall")->Enter(), 0);
  {
    test_support::InputScript leave({test_support::input::ClickOn(ShopDialog::kLeaveButton)});
    EXPECT_EQ(Find("Store")->Enter(), 0);
    EXPECT_FALSE(leave.ClosedTheWindow());
  }
  EXPECT_TRUE(IsCurrent("Yard"));
  ASSERT_EQ(LocationHistory::Count(), 1);
  EXPECT_EQ(LocationHistory::Entries()[0].location, Find("Hall")->GetName());
  EXPECT_FALSE(Find("Store")->IsActive());
}

}  // namespace
