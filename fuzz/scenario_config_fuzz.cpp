// Fuzz target: the scenario "Config" file with its layouts, global variable names, global key shortcuts and menu
// lists. The input becomes "Config" in a loose scenario folder (which also holds an event for the names to find
// and a picture for the list scroll layout), beside a preferences file of the seeds' scenario, and the game's
// start-up reads it through "cs.cfg", as the program does, and builds the menus of its menu lists; the game is
// shut down after each reading. What a reading gives is written again by the scenario writer, and that file must
// read back to the same: the same writer bytes once more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_folder.h"
#include "game/dialogs/screen_layouts.h"
#include "game/rules/game_state.h"
#include "game/rules/string_list.h"
#include "game/shell/data/option_store.h"
#include "game/shell/data/preferences.h"
#include "game/shell/main_function.h"
#include "game/shell/main_window.h"
#include "game/shell/menus.h"
#include "game/shell/scenario_config.h"
#include "game/shell/startup_options.h"
#include "game/world/location_spot_list.h"
#include "host/testing.h"
#include "platform/core/file_manager.h"
#include "platform/core/platform_stream.h"
#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/picture_writer.h"
#include "tools/scenario_writer/record_writer.h"

namespace sw = scenario_writer;

namespace {

int16_t DepthCodeOf(int32_t depth) {
  if (depth == 16) return 1;
  if (depth == 32) return 2;
  return 0;
}

// Everything the reading handed to its owners, in the writer's terms (menu entries keep no event name).
sw::ConfigSpec Gather() {
  sw::ConfigSpec fields;
  fields.scenarioName = GetScenarioName();
  fields.secondName = GetScenarioSecondName();
  fields.pluginsEnabled = GetPluginsEnabled();
  for (int i = 0; i < kOptionFlagCount; ++i) fields.optionFlags[i] = GetOptionFlag(i);
  for (int i = 0; i < 34; ++i) {
    const Layout* layout = GetLayout(i);
    FuzzCheck(layout != nullptr);
    fields.layouts[i].name = layout->GetName();
    for (int32_t e = 0; e < layout->GetElementCount(); ++e) {
      const LayoutElement* element = layout->GetElement(e);
      fields.layouts[i].elements.push_back({element->name, static_cast<int16_t>(element->x),
                                            static_cast<int16_t>(element->y), static_cast<int16_t>(element->width),
                                            static_cast<int16_t>(element->height)});
    }
  }
  FuzzCheck(GetLayout(34) == nullptr && GetLayout(35) == nullptr);
  for (int32_t i = 0; i < GetGlobalVariableCount(); ++i) fields.globalNames.push_back(GetGlobalEntryName(i)->name);
  FuzzCheck(GetGlobalSpotList() != nullptr);
  for (const LocationSpot& spot : GetGlobalSpotList()->Entries()) {
    fields.spots.push_back({spot.keyText, spot.exact, spot.eventName});
  }
  fields.askPlayerName = GetAskPlayerName();
  fields.offerAllRaces = GetOfferUnmarkedRaces();
  fields.offerAllClasses = GetOfferUnmarkedClasses();
  fields.characterCreation = GetShowCharacterCreation();
  fields.screenFades = GetScreenFadeEnabled();
  fields.windowMode = static_cast<int16_t>(GetWindowMode());
  fields.screenWidth = static_cast<int16_t>(GetScreenWidth());
  fields.screenHeight = static_cast<int16_t>(GetScreenHeight());
  fields.menuBar = GetMenuBarEnabled();
  fields.menuLists.clear();
  for (int which = 0; which < kMenuListCount && GetMenuList(which) != nullptr; ++which) {
    StringList* list = GetMenuList(which);
    sw::MenuListSpec entries{list->GetTitle(), {}};
    for (int32_t i = 0; i < list->GetCount(); ++i) entries.entries.push_back({list->GetString(i), ""});
    fields.menuLists.push_back(entries);
  }
  fields.defaultPlayerSprite = GetDefaultPlayerSpriteName();
  fields.depthCode = DepthCodeOf(GetScreenDepth());
  fields.mapText = GetPileItemName();
  return fields;
}

// Reads the Config file as the program's start-up does; true, with what it gave, when it was read.
bool ReadConfig(const uint8_t* data, size_t size, sw::Bytes* written) {
  TheFuzzFolder().Write("Vale/Config", data, size);
  FuzzCheck(ReadStartupConfig(StartupWindowParams{}) == 0);
  bool read = ReadScenarioConfig();
  if (read) {
    *written = sw::EncodeConfig(Gather());
    // The menu lists become the menu bar's items and their accelerators, as the start-up's next steps make them.
    BuildMenuBar();
    BuildScenarioMenus();
  }
  ShutdownGame();
  FuzzCheck(PlatformStream::FirstOpen() == nullptr);
  return read;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  HostTestSetHeadless(true);
  FuzzFolder& folder = TheFuzzFolder();
  folder.Write("cs.cfg", sw::Bytes{'-', 'p', 'V', 'a', 'l', 'e'});
  sw::EventSpec event{{{"", "Change Global", {"gb_door", "1", "open"}}}, {}, 0};
  folder.Write("Vale/Events/Defs/Rules.cet", sw::EncodeEvent(event));
  folder.Write("Vale/Pictures/Scroll.bmp", sw::EncodeBmp24(sw::Canvas(4, 3, {10, 20, 30})));
  StartFilesInFuzzFolder();
  PrefsFile prefs("Fuzz Isle");
  prefs.Set("music_volume", "-99999999999x");
  FuzzCheck(prefs.Save());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  sw::Bytes written;
  if (!ReadConfig(data, size, &written)) return 0;
  sw::Bytes again;
  FuzzCheck(ReadConfig(written.data(), written.size(), &again));
  FuzzCheck(again == written);
  return 0;
}
