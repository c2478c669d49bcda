// A location record of each kind written out byte by byte from its layout, without the scenario writer, and read
// field by field through the factory: a layout misread alike by the game's reader and the writer shows here.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/script_event.h"
#include "game/world/location.h"
#include "game/world/location_spot_list.h"
#include "game/world/map_location.h"
#include "game/world/screen_location.h"
#include "game/world/script_location.h"
#include "game/world/shop_location.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/byte_builder.h"

namespace {

using test_support::ByteBuilder;

// The common part: kind, four kept values, a kept text.
ByteBuilder Common(int16_t kind) {
  ByteBuilder b;
  b.Int16(kind).Int16(1).Int16(-2).Int16(300).Int16(-32768).ShortString("kept head");
  return b;
}

// An event body of one main action, "Call event", and no labelled actions.
ByteBuilder& CallBody(ByteBuilder& b, const char* event, int16_t flag) {
  return b.Int16(1).Int16(0).ShortString("").ShortString("Call event").LongString(event).Int16(flag);
}

// The three ambient sounds, the global-shortcuts flag and two key shortcuts, the event names stored shifted
// down (the reader shifts them up).
ByteBuilder& SoundsAndShortcuts(ByteBuilder& b) {
  b.ShortString("wind").Int16(30).ShortString("").Int16(0).ShortString("birds").Int16(5);
  b.Int16(1);
  b.Int16(2);
  b.ShortString("q").Int16(0).ShiftedShortString("Quit", false);
  b.ShortString("H").Int16(1).ShiftedShortString("Help", false);
  return b;
}

// Enter event name, the kept text after it, and the enter actions.
ByteBuilder& EnterPart(ByteBuilder& b) {
  b.ShortString("OnEnter").ShortString("kept tail");
  return CallBody(b, "Arrive", 4);
}

std::unique_ptr<Location> Read(const ByteBuilder& b, const char* path) {
  auto stream = test_support::MemoryStreamOver(b.Bytes());
  stream->SetPath(path);
  std::unique_ptr<Location> location = CreateLocation(*stream);
  EXPECT_EQ(stream->GetError(), 0);
  EXPECT_EQ(stream->GetPosition(), b.Size()) << "the whole record is read";
  return location;
}

void ExpectCommon(const Location& location, int16_t kind, const char* name) {
  EXPECT_EQ(location.Kind(), kind);
  EXPECT_EQ(location.GetName(), name);
  EXPECT_EQ(location.KeptValues(), (std::array<int32_t, 4>{1, -2, 300, -32768}));
  EXPECT_EQ(location.KeptText(), "kept head");
  EXPECT_FALSE(location.IsActive());
}

void ExpectCallBody(const ScriptEvent* event, const char* called, int16_t flag) {
  ASSERT_NE(event, nullptr);
  ASSERT_EQ(event->MainCount(), 1);
  EXPECT_EQ(event->LabelledCount(), 0);
  EXPECT_EQ(event->mainActions[0].actionName, "Call event");
  EXPECT_EQ(event->mainActions[0].params, std::vector<std::string>{called});
  EXPECT_EQ(event->flag, flag);
}

template <typename Kind>
void ExpectEnterPart(const Kind& location) {
  EXPECT_EQ(location.EnterEventName(), "OnEnter");
  EXPECT_EQ(location.TextAfterEnterEvent(), "kept tail");
  ExpectCallBody(location.EnterActions(), "Arrive", 4);
}

template <typename Kind>
void ExpectSoundsAndShortcuts(const Kind& location) {
  const auto& sounds = location.AmbientSounds();
  EXPECT_EQ(sounds[0].name, "wind");
  EXPECT_EQ(sounds[0].chance, 30);
  EXPECT_EQ(sounds[1].name, "");
  EXPECT_EQ(sounds[1].chance, 0);
  EXPECT_EQ(sounds[2].name, "birds");
  EXPECT_EQ(sounds[2].chance, 5);
  EXPECT_TRUE(location.UsesGlobalShortcuts());
  ASSERT_NE(location.Shortcuts(), nullptr);
  const std::vector<LocationSpot>& spots = location.Shortcuts()->Entries();
  ASSERT_EQ(spots.size(), 2u);
  EXPECT_EQ(spots[0].keyText, "q");
  EXPECT_EQ(spots[0].exact, 0);
  EXPECT_EQ(spots[0].eventName, "Quit");
  EXPECT_EQ(spots[1].keyText, "H");
  EXPECT_EQ(spots[1].exact, 1);
  EXPECT_EQ(spots[1].eventName, "Help");
}

TEST(HandWrittenLocationsTest, StillScreen) {
  ByteBuilder b = Common(0);
  SoundsAndShortcuts(b);
  b.Int16(1);  // interface
  b.Int16(2);  // two hotspots
  b.ShortString("Inn").Int16(10).Int16(20).Int16(30).Int16(40);
  b.ShortString("Gate").Int16(-1).Int16(0).Int16(5).Int16(6);
  EnterPart(b);
  std::unique_ptr<Location> location = Read(b, "Locations/Defs/Square.loc");
  ASSERT_NE(location, nullptr);
  ExpectCommon(*location, 0, "Square");
  const auto& screen = static_cast<const ScreenLocation&>(*location);
  ExpectSoundsAndShortcuts(screen);
  EXPECT_TRUE(screen.HasInterface());
  ASSERT_EQ(screen.Hotspots().size(), 2u);
  EXPECT_EQ(screen.Hotspots()[0].location, "Inn");
  EXPECT_EQ(screen.Hotspots()[0].rect, (Bounds{10, 20, 30, 40}));
  EXPECT_EQ(screen.Hotspots()[1].location, "Gate");
  EXPECT_EQ(screen.Hotspots()[1].rect, (Bounds{-1, 0, 5, 6}));
  ExpectEnterPart(screen);
}

TEST(HandWrittenLocationsTest, Shop) {
  ByteBuilder b = Common(3);
  b.Int16(2).ShortString("Rope").ShortString("Lamp");
  b.Int16(5);  // shop kind
  EnterPart(b);
  CallBody(b.ShortString(":::"), "Broke", 0);  // run when the player cannot pay
  b.ShortString("Other");                      // not ":::": no second event, and no body follows
  std::unique_ptr<Location> location = Read(b, "Locations/Defs/Market.loc");
  ASSERT_NE(location, nullptr);
  ExpectCommon(*location, 3, "Market");
  const auto& shop = static_cast<const ShopLocation&>(*location);
  EXPECT_EQ(shop.Goods(), (std::vector<std::string>{"Rope", "Lamp"}));
  EXPECT_EQ(shop.ShopKind(), 5);
  ExpectEnterPart(shop);
  ExpectCallBody(shop.CannotPayEvent(), "Broke", 0);
  EXPECT_EQ(shop.SecondEvent(), nullptr);
}

TEST(HandWrittenLocationsTest, ScriptLocation) {
  ByteBuilder b = Common(4);
  EnterPart(b);
  std::unique_ptr<Location> location = Read(b, "Locations/Defs/Chime.loc");
  ASSERT_NE(location, nullptr);
  ExpectCommon(*location, 4, "Chime");
  ExpectEnterPart(static_cast<const ScriptLocation&>(*location));
}

TEST(HandWrittenLocationsTest, MapLocation) {
  ByteBuilder b = Common(10);
  SoundsAndShortcuts(b);
  b.Int16(0);  // no interface
  b.ShortString("North").ShortString("South").ShortString("").ShortString("West");  // top, bottom, right, left
  EnterPart(b);
  std::unique_ptr<Location> location = Read(b, "Locations/Defs/Vale.loc");
  ASSERT_NE(location, nullptr);
  ExpectCommon(*location, 10, "Vale");
  const auto& map = static_cast<const MapLocation&>(*location);
  ExpectSoundsAndShortcuts(map);
  EXPECT_FALSE(map.HasInterface());
  EXPECT_EQ(map.EdgeExits(), (std::array<std::string, 4>{"North", "South", "", "West"}));
  ExpectEnterPart(map);
  EXPECT_EQ(map.Map(), nullptr);
}

}  // namespace
