// Writer-made fights: a scenario whose weapons, spells and non-player characters append what happens to the global
// variable gb_log, an open map "Arena" of 8 x 8 cells of 32 pixels, and the player standing on it. Figures are one
// animation set ("Figure.cam") of four animations (standing, stepping, walking, casting) that collides within 10
// pixels, so that figures on neighbouring cells are 1 apart and those on one cell 0. Random draws are scripted by
// the tests; time is the manual clock.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/rules/spell_record.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/game_random.h"
#include "game/shell/record_lists.h"
#include "game/world/sprite.h"
#include "game/world/tile_map.h"
#include "game/world/world_services.h"
#include "tests/support/dialog_input.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/location_writer.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace combat_test {

namespace sw = scenario_writer;
using namespace test_support::script;

constexpr int16_t kCell = 32;
constexpr int16_t kArenaSize = 8;

// Appends the text (text variables expanded) to gb_log.
inline sw::ActionSpec Log(const std::string& text) { return ChangeGlobal("gb_log", 2, text); }
// An event that only logs.
inline sw::EventReferenceSpec Logging(const std::string& text) { return {"", sw::EventSpec{{Log(text)}}}; }

class CombatFixture : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().globalNames = {"gb_log", "gb_refuse", "gb_hit_x", "gb_hit_y"};
    sw::AnimationSetSpec figure;
    figure.name = "figure";
    figure.pictures = {"figure.bmp"};
    for (const char* name : {"stand", "step", "walk", "cast"}) figure.animations.push_back({name, 0, 1, {}, {{1, 0, "", 0, 0, {}}}});
    figure.extraFlag = 1;
    figure.collisionRadius = 10;
    Files().Add("Pictures/Figure.cam", sw::EncodeAnimationSet(figure));
    AddPicture("Pictures/figure.bmp", sw::Canvas(16, 16));
    AddPicture("Pictures/Bolt.bmp", sw::Canvas(8, 8));
    sw::TileMapSpec arena;
    arena.width = kArenaSize;
    arena.height = kArenaSize;
    arena.cellWidth = kCell;
    arena.cellHeight = kCell;
    arena.cells = sw::UniformCells(kArenaSize, kArenaSize);
    arena.layers = {sw::MapLayerSpec{}};
    Files().Add("Maps/Arena.cma", sw::EncodeTileMap(arena));
    Files().Add(sw::LocationRecordPath("Elsewhere"), sw::EncodeScreenLocation({}));
  }
  void TearDown() override {
    ScriptRandomDraws({});
    ClearPendingSpells();
    SetCurrentLocation(nullptr);
    map_.reset();
    DialogHarness::TearDown();
  }

  // A non-player character of the side against the player, its figure the fixture's.
  sw::NpcSpec& DefineNpc(const std::string& name) {
    sw::NpcSpec& npc = npcs_[name];
    npc.spriteText = "Figure.cam";
    npc.maxStamina = 20;
    npc.maxMagic = 20;
    return npc;
  }
  // A weapon (kind 1) whose "Attack" and "Miss" actions log "Attack " and "Miss " and are refused while gb_refuse
  // holds their name.
  sw::ItemSpec& DefineWeapon(const std::string& name) {
    sw::ItemSpec& item = items_[name];
    item.kind = kItemKindWeapon;
    for (int32_t n = 1; n <= NamedActionCount(kItemKindWeapon); ++n) {
      const std::string action = NamedActionName(kItemKindWeapon, n);
      item.namedActions.push_back({Logging(action + " "), "",
                                   sw::ActionSpec{"", "Conditional", {"gb_refuse,is different of," + action, "0"}}});
    }
    return item;
  }
  // A spell whose cast event (0) logs "cast ", whose tick event (1) logs "hit X,Y " (the target's cell, from 1: the
  // event position as stored, one less than "&&ActualX" shows), twice as an effect starts (when it is made and in
  // its first application), and whose failure event (2) logs "short ". Its effect lasts three rounds and adds 5 to
  // luck.
  sw::SpellSpec& DefineSpell(const std::string& name) {
    sw::SpellSpec& spell = spells_[name];
    spell.duration = 3;
    spell.modifiers[kModifierLuck] = 5;
    spell.effectKind = 2;
    const sw::EventSpec hit{{Set("gb_hit_x", "&&ActualX"), ChangeGlobal("gb_hit_x", 3, "1"),
                             Set("gb_hit_y", "&&ActualY"), ChangeGlobal("gb_hit_y", 3, "1"),
                             Log("hit &&gb_hit_x,&&gb_hit_y ")}};
    spell.events = {{{Log("cast ")}}, hit, {{Log("short ")}}};
    return spell;
  }

  // Writes the records, loads the scenario with its window and opens the arena with the player on the cell.
  void Start(int32_t playerX = 1, int32_t playerY = 1) {
    for (const auto& [name, npc] : npcs_) Files().Add("NPCs/" + name + ".npc", sw::EncodeNpc(npc));
    for (const auto& [name, item] : items_) Files().Add("Items/" + name + ".itm", sw::EncodeItem(item));
    for (const auto& [name, spell] : spells_) Files().Add("Players/Spells/" + name + ".spl", sw::EncodeSpell(spell));
    LoadWithWindow();
    Player().base.maxMagic = 20;
    Player().RecalculateStats();
    OpenArena(playerX, playerY);
  }
  // A fresh arena (the one before goes, with its characters) and the player standing on the cell, facing up.
  void OpenArena(int32_t playerX, int32_t playerY) {
    map_.reset();
    arenaPlace_ = std::make_unique<Location>(kLocationKindMap);
    arenaPlace_->SetName("Arena");
    SetCurrentLocation(arenaPlace_.get());
    std::string path;
    MapPath(path, "Arena");
    DataStream* stream = OpenDataFile(path);
    ASSERT_NE(stream, nullptr);
    map_ = std::make_unique<TileMap>(*stream);
    ASSERT_EQ(map_->Load(*stream), 0);
    CloseDataFile(stream);
    Character& player = Player();
    player.reservedCells.clear();
    player.target = nullptr;
    player.SetFlags(0);
    player.SetPosition(playerX, playerY);
    auto figure = std::make_unique<Sprite>();
    figure->SetPicture(new PictureRef("Pictures/Figure.cam"), true);
    player.PlaceOnLocation(std::move(figure));
    map_->PlayerCellCenter();
    player.SetFacing(1, true);
    map_->SetCellFlag(playerX, playerY, 0);
  }

  TileMap& Map() { return *map_; }
  Character& Place(const std::string& npc, int32_t x, int32_t y) {
    Character* placed = map_->AddCharacter(FindNpcByName(npc), x, y, kPlaceAtCell, 5);
    EXPECT_NE(placed, nullptr) << npc;
    return *placed;
  }
  // Runs the figure's ticks until it is no longer busy.
  static void Settle(Character& character) {
    for (int i = 0; i < 200 && character.sprite != nullptr &&
                    (character.sprite->IsMoving() || character.sprite->IsPlayingOnce());
         ++i) {
      character.sprite->Animate();
    }
  }
  std::string TakeLog() {
    std::string log = Global("gb_log");
    SetGlobal("gb_log", "");
    return log;
  }

  std::map<std::string, sw::NpcSpec> npcs_;
  std::map<std::string, sw::ItemSpec> items_;
  std::map<std::string, sw::SpellSpec> spells_;
  std::unique_ptr<Location> arenaPlace_;
  std::unique_ptr<TileMap> map_;
};

}  // namespace combat_test
