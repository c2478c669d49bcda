// Reading the scenario "Config" file and handing each block to its owner.
#include "game/shell/scenario_config.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "game/dialogs/dialog_services.h"
#include "game/dialogs/screen_layouts.h"
#include "game/graphics/bitmap.h"
#include "game/rules/game_state.h"
#include "game/rules/scenario_pictures.h"
#include "game/rules/string_list.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/media/music_player.h"
#include "game/shell/data/option_store.h"
#include "game/shell/data/preferences.h"
#include "game/shell/startup_options.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/main_window.h"
#include "game/world/location_spot_list.h"

namespace {

constexpr int16_t kConfigFormat = 6;
constexpr int32_t kHighestMusicVolume = INT32_MAX / 256;
constexpr int32_t kLowestMusicVolume = -kHighestMusicVolume;

struct ConfigState {
  std::unique_ptr<LocationSpotList> spotList;
  std::array<std::unique_ptr<StringList>, kMenuListCount> menuLists;
  std::unique_ptr<PrefsFile> prefs;
};

ConfigState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static ConfigState* state = new ConfigState;
  return *state;
}

void ReadMenuLists(DataStream& stream) {
  int16_t count = stream.ReadInt16();
  for (int16_t i = 0; i < count && stream.GetError() == 0; ++i) {
    if (i < kMenuListCount) {
      auto& list = State().menuLists[i];
      if (list) list->Read(stream);
      else list = std::make_unique<StringList>(stream);
    } else {
      // The game has three menus: a further list is read so that the fields after it stay in place.
      StringList dropped(stream);
    }
  }
}

int32_t DepthOfCode(int16_t code) {
  if (code == 1) return 16;
  if (code == 2) return 32;
  return 8;
}

}  // namespace

bool ReadScenarioConfig() {
  DataArchive::Open(GetDataPath(), GetArchiveOnly());
  std::string path;
  ConfigPath(path);
  DataStream* stream = OpenDataFile(path);
  if (stream == nullptr) return false;
  if (stream->ReadInt16() != kConfigFormat) {
    CloseDataFile(stream);
    return false;
  }

  std::string identity, field;
  stream->ReadPStringScrambled(identity, false);
  GetField(field, identity, "::", 1);
  SetScenarioName(field);
  State().prefs = std::make_unique<PrefsFile>(field);
  State().prefs->Load();
  if (State().prefs->HasKey("music_volume")) {
    std::string volume;
    State().prefs->Get(volume, "music_volume");
    // The value is taken as it parses, out of 0 to 100 too. Only a value whose scaling to the player's volume
    // (times 256) would overflow 32 bits is brought back to the largest that does not.
    SetMusicVolume(std::clamp(ParseInt(volume), kLowestMusicVolume, kHighestMusicVolume));
  }
  GetField(field, identity, "::", 2);
  SetScenarioSecondName(field);

  stream->ReadInt32();
  stream->ReadPString(field);
  SetPluginsEnabled(stream->ReadByte() == 1 ? 1 : 0);
  stream->ReadByte();  // a second flag that nothing reads
  for (int i = 0; i < kOptionFlagCount; ++i) {
    uint8_t value = stream->ReadByte();
    SetOptionFlag(i, GetPluginsEnabled() != 0 && value != 0 ? 1 : 0);
  }

  ReadLayouts(*stream);
  ReloadGlobalEntryNames(*stream);
  State().spotList = std::make_unique<LocationSpotList>(*stream);
  stream->ReadPStringScrambled(field, true);

  SetAskPlayerName(stream->ReadInt16() != 0 ? 1 : 0);
  SetOfferUnmarkedRaces(stream->ReadInt16() != 0 ? 1 : 0);
  SetOfferUnmarkedClasses(stream->ReadInt16() != 0 ? 1 : 0);
  SetShowCharacterCreation(stream->ReadInt16() != 0 ? 1 : 0);
  SetScreenFadeEnabled(stream->ReadInt16() != 0 ? 1 : 0);
  SetWindowMode(stream->ReadInt16());
  SetScreenWidth(stream->ReadInt16());
  SetScreenHeight(stream->ReadInt16());
  SetMenuBarEnabled(stream->ReadInt16() != 0 ? 1 : 0);
  ReadMenuLists(*stream);
  stream->ReadPStringScrambled(field, false);
  SetDefaultPlayerSpriteName(field);
  SetScreenDepth(DepthOfCode(stream->ReadInt16()));
  stream->ReadPStringScrambled(field, true);
  SetPileItemName(field);

  FillLayoutPictureSlots();
  if (Layout* scroll = GetLayout(21)) {
    std::string picture;
    PicturePath(picture, scroll->GetName());
    int32_t saved = ImageImportOptions;
    ImageImportOptions |= kDetectTransparency;
    SetListScrollPicture(LoadPictureByName(picture.c_str()));
    ImageImportOptions = saved;
  }
  CloseDataFile(stream);
  return true;
}

LocationSpotList* GetGlobalSpotList() { return State().spotList.get(); }
void ClearGlobalSpotList() { State().spotList.reset(); }

StringList* GetMenuList(int which) {
  if (which < 0 || which >= kMenuListCount) return nullptr;
  return State().menuLists[which].get();
}

void ClearMenuLists() {
  for (auto& list : State().menuLists) list.reset();
}

PrefsFile* GetPrefsFile() { return State().prefs.get(); }
void ClearPrefsFile() { State().prefs.reset(); }

// A preferences file that cannot be written is told: said nothing of, the failure would pass for a save (the
// player's answer to the fullscreen question, or a volume, lost at the next start without a word).
bool SavePrefsFile() {
  PrefsFile* prefs = GetPrefsFile();
  if (prefs == nullptr || prefs->Folder().empty()) return false;
  if (prefs->Save()) return true;
  ShowAlert("Cannot save the preferences file : \n" + SystemPath(prefs->Folder() + prefs->FileName()),
            GetScenarioName());
  return false;
}
