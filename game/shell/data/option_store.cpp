// The scenario option store: one record of globals behind getters and setters.
#include "game/shell/data/option_store.h"

namespace {

struct OptionStore {
  int32_t optionA = 'x';
  int32_t optionB = 'z';
  int32_t optionJ = 'j';
  int32_t screenWidth = 0;
  int32_t screenHeight = 0;
  int32_t screenDepth = 0;
  int32_t windowMode = 0;
  uint8_t windowModeLock = 0;
  uint8_t menuBarEnabled = 0;
  uint8_t pluginsEnabled = 0;
  uint8_t optionFlags[kOptionFlagCount] = {};
  uint8_t showCharacterCreation = 1;
  uint8_t offerUnmarkedClasses = 1;
  uint8_t offerUnmarkedRaces = 1;
  uint8_t askPlayerName = 1;
  uint8_t screenFadeEnabled = 0;
  std::string scenarioName;
  std::string scenarioSecondName;
  std::string pileItemName;
  std::string defaultPlayerSpriteName;
};

OptionStore& Store() {
  static OptionStore store;
  return store;
}

}  // namespace

int32_t GetOptionA() { return Store().optionA; }
void SetOptionA(int32_t value) { Store().optionA = value; }
int32_t GetOptionB() { return Store().optionB; }
void SetOptionB(int32_t value) { Store().optionB = value; }
int32_t GetOptionJ() { return Store().optionJ; }
void SetOptionJ(int32_t value) { Store().optionJ = value; }

int32_t GetScreenWidth() { return Store().screenWidth; }
void SetScreenWidth(int32_t value) { Store().screenWidth = value; }
int32_t GetScreenHeight() { return Store().screenHeight; }
void SetScreenHeight(int32_t value) { Store().screenHeight = value; }
int32_t GetScreenDepth() { return Store().screenDepth; }
void SetScreenDepth(int32_t value) { Store().screenDepth = value; }

int32_t GetWindowMode() { return Store().windowMode; }
void SetWindowMode(int32_t value) {
  if (Store().windowModeLock == 0) Store().windowMode = value;
}
void SetWindowModeLock(uint8_t value) { Store().windowModeLock = value; }

uint8_t GetMenuBarEnabled() { return Store().menuBarEnabled; }
void SetMenuBarEnabled(uint8_t value) { Store().menuBarEnabled = value; }
uint8_t GetPluginsEnabled() { return Store().pluginsEnabled; }
void SetPluginsEnabled(uint8_t value) { Store().pluginsEnabled = value; }

uint8_t GetOptionFlag(int index) {
  return index >= 0 && index < kOptionFlagCount ? Store().optionFlags[index] : 0;
}
void SetOptionFlag(int index, uint8_t value) {
  if (index >= 0 && index < kOptionFlagCount) Store().optionFlags[index] = value;
}

uint8_t GetShowCharacterCreation() { return Store().showCharacterCreation; }
void SetShowCharacterCreation(uint8_t value) { Store().showCharacterCreation = value; }
uint8_t GetOfferUnmarkedClasses() { return Store().offerUnmarkedClasses; }
void SetOfferUnmarkedClasses(uint8_t value) { Store().offerUnmarkedClasses = value; }
uint8_t GetOfferUnmarkedRaces() { return Store().offerUnmarkedRaces; }
void SetOfferUnmarkedRaces(uint8_t value) { Store().offerUnmarkedRaces = value; }
uint8_t GetAskPlayerName() { return Store().askPlayerName; }
void SetAskPlayerName(uint8_t value) { Store().askPlayerName = value; }
uint8_t GetScreenFadeEnabled() { return Store().screenFadeEnabled; }
void SetScreenFadeEnabled(uint8_t value) { Store().screenFadeEnabled = value; }

const std::string& GetScenarioName() { return Store().scenarioName; }
void SetScenarioName(const std::string& value) { Store().scenarioName = value; }
const std::string& GetScenarioSecondName() { return Store().scenarioSecondName; }
void SetScenarioSecondName(const std::string& value) { Store().scenarioSecondName = value; }
const std::string& GetPileItemName() { return Store().pileItemName; }
void SetPileItemName(const std::string& value) { Store().pileItemName = value; }
const std::string& GetDefaultPlayerSpriteName() { return Store().defaultPlayerSpriteName; }
void SetDefaultPlayerSpriteName(const std::string& value) { Store().defaultPlayerSpriteName = value; }
void GetDefaultPlayerName(std::string& out) { out.clear(); }

void ResetOptionStore() { Store() = OptionStore(); }
