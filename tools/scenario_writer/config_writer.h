// The scenario writer's "Config" file, format 6: every field the game reads at start-up, in order, with each
// string shifted the opposite way to the game's reading so that it reads back as written.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/scenario_writer/scenario_files.h"

namespace scenario_writer {

struct LayoutElementSpec {
  std::string name;
  int16_t x = 0, y = 0, width = 0, height = 0;
};

struct LayoutSpec {
  std::string name;  // a picture name
  std::vector<LayoutElementSpec> elements;
};

struct SpotSpec {
  std::string keyText;  // its first character is the key
  int16_t exact = 0;
  std::string eventName;
};

struct MenuEntrySpec {
  std::string text;  // "-" a separator; "text/k" gives Control+K
  std::string eventName;
};

struct MenuListSpec {
  std::string title;
  std::vector<MenuEntrySpec> entries;
};

struct ConfigSpec {
  int16_t format = 6;
  std::string scenarioName = "Scenario";
  std::string secondName = "Scenario";
  int32_t ignoredNumber = 0;
  std::string ignoredText;
  uint8_t pluginsEnabled = 0;
  uint8_t secondFlag = 0;
  std::array<uint8_t, 15> optionFlags{};
  std::vector<LayoutSpec> layouts = std::vector<LayoutSpec>(34);  // at least 34 are read
  std::vector<std::string> globalNames;
  std::vector<SpotSpec> spots;
  std::string ignoredShifted;
  int16_t askPlayerName = 1;
  int16_t offerAllRaces = 0;
  int16_t offerAllClasses = 0;
  int16_t characterCreation = 1;
  int16_t screenFades = 0;
  int16_t windowMode = 1;  // 0 ask, 1 windowed, 2 fullscreen
  int16_t screenWidth = 640;
  int16_t screenHeight = 480;
  int16_t menuBar = 1;
  std::vector<MenuListSpec> menuLists = std::vector<MenuListSpec>(3);  // Help, File, Game
  std::string defaultPlayerSprite;
  int16_t depthCode = 0;  // 1: 16 bits, 2: 32 bits, else 8
  std::string mapText;
};

Bytes EncodeConfig(const ConfigSpec& fileSpec);
// The blocks on their own, as other records embed them.
void WriteLayoutTable(DataStream& stream, const std::vector<LayoutSpec>& layouts);
void WriteSpotList(DataStream& stream, const std::vector<SpotSpec>& spots);
void WriteMenuList(DataStream& stream, const MenuListSpec& list);

}  // namespace scenario_writer
