// Saved-game files: the byte format of a saved game, apart from the running game.
//
// A saved game is read whole into a holding copy (SavedGame) and checked in full before anything of the running
// game changes; the game applies the copy only when it is complete. Writing builds the whole file in memory
// first and hands it to the file manager, which writes it beside the old save and only then puts it in its
// place, so a failed save never loses the previous one.
//
// Format 13 is written: int16 13, int32 body size, int32 packed size, then the body compressed with zlib.
// Formats 12 (the same body, stored plainly after the int16 12) and 11 (an older plain layout) are read too. The
// character's numbers are masked with entries of the game's fixed table chosen by a key drawn for each save, and
// strings are stored shifted, so that the file does not show them plainly. The character's tagged chunks hold
// its journal ("JOUR"), the plug-ins the game needs ("PLUG"), its text entries ("TEXT": int16 count, then key,
// first and second text of each as shifted long strings) and its portrait's name ("PORT": a shifted long
// string); a reader skips the chunks it does not know by their length.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/world/explored_mask.h"
#include "game/world/location_history.h"
#include "platform/core/file_ref.h"

constexpr int16_t kSavedGameFormat = 13;
constexpr const char* kSavedGameExtension = "ksv";
constexpr uint32_t kSavedGameFileType = 0x6B737653;  // 'ksvS'
constexpr int32_t kSavedBaseValueCount = 22;           // B0 to B21
constexpr int32_t kSavedEquipmentSlots = 9;            // slots 1 to 9
// The largest body accepted on reading: far beyond any real game, small enough to allocate safely.
constexpr uint32_t kSavedGameMaxBody = 64u << 20;

struct SavedItem {
  std::string name;
  bool hasCharges = false;
  int16_t charges = 0;

  bool operator==(const SavedItem&) const = default;
};

struct SavedEffect {
  std::string spell;
  int16_t remaining = 0;

  bool operator==(const SavedEffect&) const = default;
};

struct SavedTextEntry {
  std::string key;
  std::string firstText;
  std::string secondText;

  bool operator==(const SavedTextEntry&) const = default;
};

// What a saved game holds of the player character.
struct SavedCharacter {
  std::string name;
  std::string spriteName;  // empty: the scenario's default player sprite
  int16_t level = 0;
  int32_t experience = 0;
  int32_t gold = 0;
  int32_t randomSeed = 0;
  // B0 stamina, B1 magic, B2 to B21 the character's twenty base values; B15 (morale) is not saved and reads
  // back as 0.
  std::array<int16_t, kSavedBaseValueCount> base{};
  std::vector<std::string> journal;
  std::vector<SavedTextEntry> textEntries;
  std::string portrait;  // the name of the portrait in "Players/Portraits/", "" for none
  std::vector<std::string> plugins;  // the plug-ins loaded when the game was saved
  std::string className;
  std::string raceName;
  std::array<std::string, kSavedEquipmentSlots> equipment;  // item names of slots 1 to 9, empty for none
  std::vector<SavedItem> inventory;
  std::vector<std::string> spells;
  std::vector<SavedEffect> effects;

  bool operator==(const SavedCharacter&) const = default;
};

struct SavedGlobal {
  std::string name;
  std::string value;

  bool operator==(const SavedGlobal&) const = default;
};


// A mask of the explored-area block, read and written by the world's one implementation of the block.
using SavedMask = ExploredMaskRecord;

struct SavedGame {
  int16_t format = kSavedGameFormat;  // the format the file was read from
  SavedCharacter character;
  std::vector<SavedGlobal> globals;
  std::vector<LocationHistoryEntry> history;  // oldest first; the last entry is where the player was
  std::vector<SavedMask> masks;

  bool operator==(const SavedGame&) const = default;
};

enum class SavedGameError {
  kNone,
  kUnknownFormat,   // not a saved game of a format this game reads
  kOtherScenario,   // a saved game of another scenario
  kDamaged,         // truncated, or a size, length or count that the file cannot hold
  kNoMemory,
  kFileError,       // the file could not be read or written
  kTooLarge,        // a list, a chunk or the body too large for the format (on writing)
  kDeclined,        // the player chose not to load it (plug-ins missing)
  kNotLoadable,     // the scenario lacks what it needs (the player's sprite), or the way back to its place
};

// The text shown to the player for an error.
const char* SavedGameErrorText(SavedGameError error);

// Reads a whole saved-game file of formats 11, 12 or 13 into out; scenario is the running scenario's identity
// (its second name). On any error out is left as it was.
SavedGameError ParseSavedGame(const uint8_t* bytes, size_t size, std::string_view scenario, SavedGame* out);

// Builds the bytes of a format-13 file. key is the masking key K stored in the file (drawn anew for each save).
SavedGameError BuildSavedGameFile(const SavedGame& game, std::string_view scenario, int16_t key,
                                  std::vector<uint8_t>* out);

// Draws the masking key of a new save from the game's random numbers.
int16_t DrawSavedGameKey();

// Writes a format-13 file to name in folder, replacing an older file only once the new one is complete; the
// framework's error comes back in *fileError.
SavedGameError WriteSavedGameFile(FolderRef folder, const char* name, const SavedGame& game,
                                  std::string_view scenario, int32_t* fileError);
// Reads and checks the file named by name in folder.
SavedGameError ReadSavedGameFile(FolderRef folder, const char* name, std::string_view scenario, SavedGame* out,
                                 int32_t* fileError);

// The plug-ins a saved game names that are not among those loaded (compared exactly), each once, and the question
// put to the player before such a game is loaded.
std::vector<std::string> MissingPlugins(const SavedGame& game, const std::vector<std::string>& loaded);
std::string MissingPluginsQuestion(const std::vector<std::string>& missing);
