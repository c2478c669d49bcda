// The scenario option store: the values that the start-up options and the scenario's "Config" file set, kept in
// one place with a getter and a setter each. The rest of the game reads them through the getters.
#pragma once

#include <cstdint>
#include <string>

// Key slots that the map movement and the message dialog test ("-a", "-b", "-j"; 'x', 'z', 'j' by default).
int32_t GetOptionA();
void SetOptionA(int32_t value);
int32_t GetOptionB();
void SetOptionB(int32_t value);
int32_t GetOptionJ();
void SetOptionJ(int32_t value);

// Size and depth of the game window (0 until the start-up options set them).
int32_t GetScreenWidth();
void SetScreenWidth(int32_t value);
int32_t GetScreenHeight();
void SetScreenHeight(int32_t value);
int32_t GetScreenDepth();
void SetScreenDepth(int32_t value);

// 0 ask the player, 1 windowed, 2 fullscreen. While the lock is set ("-w"), SetWindowMode changes nothing.
int32_t GetWindowMode();
void SetWindowMode(int32_t value);
void SetWindowModeLock(uint8_t value);

uint8_t GetMenuBarEnabled();
void SetMenuBarEnabled(uint8_t value);
uint8_t GetPluginsEnabled();
void SetPluginsEnabled(uint8_t value);

// The scenario's 15 option bytes; an index outside 0 to 14 reads 0 and writes nothing.
constexpr int kOptionFlagCount = 15;
uint8_t GetOptionFlag(int index);
void SetOptionFlag(int index, uint8_t value);

uint8_t GetShowCharacterCreation();
void SetShowCharacterCreation(uint8_t value);
uint8_t GetOfferUnmarkedClasses();
void SetOfferUnmarkedClasses(uint8_t value);
uint8_t GetOfferUnmarkedRaces();
void SetOfferUnmarkedRaces(uint8_t value);
uint8_t GetAskPlayerName();
void SetAskPlayerName(uint8_t value);
uint8_t GetScreenFadeEnabled();
void SetScreenFadeEnabled(uint8_t value);

const std::string& GetScenarioName();
void SetScenarioName(const std::string& value);
const std::string& GetScenarioSecondName();
void SetScenarioSecondName(const std::string& value);
const std::string& GetPileItemName();
void SetPileItemName(const std::string& value);
const std::string& GetDefaultPlayerSpriteName();
void SetDefaultPlayerSpriteName(const std::string& value);
void GetDefaultPlayerName(std::string& out);  // always empty

// Puts every value back to its value at start-up (tests and a new scenario start from a known store).
void ResetOptionStore();
