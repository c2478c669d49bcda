// Map locations over writer-made scenarios, with the game's window: maps drawn as rows of text ('#' a wall, a
// letter a walkable cell that fires the event the test names for it, anything else walkable), their location
// records, still screens, the player's figure (an animation set of the mode asked for), and the passes of the main
// loop given to the current location with the manual clock a frame further each time.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "game/graphics/animation_set.h"
#include "game/rules/character.h"
#include "game/shell/game_commands.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "game/shell/record_lists.h"
#include "game/shell/shell_command_host.h"
#include "game/world/explored_mask.h"
#include "game/world/location_history.h"
#include "game/world/map_location.h"
#include "game/world/sprite.h"
#include "game/world/tile_map.h"
#include "host/testing.h"
#include "tests/support/dialog_input.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/location_writer.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace map_test {

namespace sw = scenario_writer;

constexpr int16_t kCell = 32;
constexpr uint32_t kFrame = 33;

class MapLocationFixture : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().globalNames = {"gb_count", "gb_hit"};
    // The progress dialog of the map's reading: a bar and the phase's label.
    Config().layouts[15].elements = {{"bar", 20, 60, 301, 10}, {"label", 20, 20, 360, 20}};
    AddEvent("Counted", {{test_support::script::ChangeGlobal("gb_count", 2, "1")}});
    AddPicture("Pictures/figure.bmp", sw::Canvas(16, 16, sw::Rgb{200, 60, 60}));
    AddFigure("Hero8.cam", kAnimationEightFacings);
    AddFigure("Hero4.cam", kAnimationFourFacings);
    sw::NpcSpec wolf;
    wolf.spriteText = "Hero8.cam";
    wolf.maxStamina = 5;
    wolf.noticeRange = 2;
    wolf.experience = 7;
    Files().Add("NPCs/Wolf.npc", sw::EncodeNpc(wolf));
  }
  void TearDown() override {
    SetPendingExit(kNoExit);
    SetKeyboardMovementEnabled(true);
    SetClickPathingEnabled(true);
    ClearExploredMasks();
    ClearRunStateBits(kRunRunning);
    DialogHarness::TearDown();
  }

  // A figure of three animations (standing, striking, walking) of the mode, colliding within 10 pixels.
  void AddFigure(const std::string& name, int16_t mode) {
    sw::AnimationSetSpec set;
    set.name = name;
    set.pictures = {"figure.bmp"};
    const int32_t commands = mode == kAnimationEightFacings ? 8 : mode == kAnimationFourFacings ? 4 : 1;
    for (const char* animation : {"stand", "strike", "walk"}) {
      sw::AnimationSpec pose;
      pose.name = animation;
      pose.mode = mode;
      for (int32_t i = 0; i < commands; ++i) pose.frames.push_back({1, 0, "", -8, -8, {}});
      set.animations.push_back(pose);
    }
    set.extraFlag = 1;
    set.collisionRadius = 10;
    Files().Add("Pictures/" + name, sw::EncodeAnimationSet(set));
  }

  // The map file of the rows; a cell whose letter the events name fires that event.
  static sw::TileMapSpec MapOf(const std::vector<std::string>& rows, const std::map<char, std::string>& events = {}) {
    sw::TileMapSpec map;
    map.width = static_cast<int16_t>(rows[0].size());
    map.height = static_cast<int16_t>(rows.size());
    map.cellWidth = kCell;
    map.cellHeight = kCell;
    for (size_t column = 0; column < rows[0].size(); ++column) {
      for (const std::string& row : rows) {
        const char c = row[column];
        const auto event = events.find(c);
        map.cells.push_back({static_cast<int16_t>(c == '#' ? 0 : 1), event != events.end() ? event->second : "", 0});
      }
    }
    map.layers = {sw::MapLayerSpec{}};
    return map;
  }
  void AddMap(const std::string& name, const sw::TileMapSpec& map, sw::MapLocationSpec fields = {}) {
    Files().Add("Maps/" + name + ".cma", sw::EncodeTileMap(map));
    Files().Add(sw::LocationRecordPath(name), sw::EncodeMapLocation(fields));
  }
  void AddScreen(const std::string& name) {
    Files().Add(sw::LocationRecordPath(name), sw::EncodeScreenLocation({}));
    AddPicture(sw::LocationPicturePath(name), sw::Canvas(640, 480, sw::Rgb{30, 60, 90}));
  }
  // Loads the scenario with the game's window; the player walks 8 pixels a tick with the figure given.
  void Start(const std::string& figure = "Hero8.cam") {
    LoadWithWindow();
    SetRunStateBits(kRunRunning);
    SetPlayerSpriteName(GetShellCommandHost(), figure);
    Player().base.speed = 8;
    Player().RecalculateStats();
  }

  static Location* Find(const std::string& name) { return FindLocationByName(name); }
  static MapLocation* MapNamed(const std::string& name) { return dynamic_cast<MapLocation*>(Find(name)); }
  static bool IsCurrent(const std::string& name) { return GetCurrentLocation() == Find(name); }
  // Enters the map with the player standing on the cell (no exit pending).
  int32_t EnterAt(const std::string& name, int32_t x, int32_t y) {
    Player().SetPosition(x, y);
    SetPendingExit(kNoExit);
    return Find(name)->Enter();
  }

  // One pass of the main loop over the current location, the clock a frame on.
  static void Pass() {
    Input::BeginFrame();
    if (Location* location = GetCurrentLocation()) location->OnClick();
    HostTestAdvanceClock(kFrame);
  }
  static void Passes(int32_t count) {
    for (int32_t i = 0; i < count; ++i) Pass();
  }
  // Passes until the player's figure stands still (at most a hundred).
  void Settle() {
    for (int32_t i = 0; i < 100 && Player().sprite != nullptr && Player().sprite->IsBusy(); ++i) Pass();
  }
  // A key held for one pass, then let go.
  static void PressKeys(const std::vector<KeySlot>& keys) {
    for (KeySlot key : keys) Input::SetKey(key, 1);
    Pass();
    for (KeySlot key : keys) Input::SetKey(key, 0);
  }
};

}  // namespace map_test
