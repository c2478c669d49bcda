// Fuzz target: the saved-game reader over arbitrary bytes. The first byte picks how the rest is offered: as a
// whole file, as a format-12 body after the scenario's identity, as a format-13 file packing that body, or as a
// format-11 file after its identity, so that the fuzzer reaches past the identity check at once. A file that
// reads must write and read back to the same holding copy.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

#include "game/shell/saved_game_file.h"
#include "game/shell/data/string_utils.h"

namespace {

constexpr const char* kScenario = "Fuzz Isle";

void PutShifted(std::vector<uint8_t>* out, std::string text) {
  ScrambleString(text, true);
  out->push_back(static_cast<uint8_t>(text.size()));
  out->insert(out->end(), text.begin(), text.end());
}

void Put32(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 16)) return 0;
  const uint8_t* rest = data + 1;
  size_t restSize = size - 1;
  std::vector<uint8_t> file;
  switch (data[0] % 4) {
    case 0:
      file.assign(rest, rest + restSize);
      break;
    case 1:
      file = {0, 12};
      PutShifted(&file, kScenario);
      file.insert(file.end(), rest, rest + restSize);
      break;
    case 2: {
      std::vector<uint8_t> body;
      PutShifted(&body, kScenario);
      body.insert(body.end(), rest, rest + restSize);
      uLongf packedSize = compressBound(static_cast<uLong>(body.size()));
      std::vector<uint8_t> packed(packedSize);
      if (compress(packed.data(), &packedSize, body.data(), static_cast<uLong>(body.size())) != Z_OK) return 0;
      file = {0, 13};
      Put32(&file, static_cast<uint32_t>(body.size()));
      Put32(&file, static_cast<uint32_t>(packedSize));
      file.insert(file.end(), packed.begin(), packed.begin() + static_cast<long>(packedSize));
      break;
    }
    default:
      file = {0, 11};
      PutShifted(&file, std::string("Hero::") + kScenario);
      file.insert(file.end(), rest, rest + restSize);
      break;
  }
  SavedGame game;
  if (ParseSavedGame(file.data(), file.size(), kScenario, &game) != SavedGameError::kNone) return 0;
  std::vector<uint8_t> again;
  if (BuildSavedGameFile(game, kScenario, 12345, &again) != SavedGameError::kNone) return 0;
  SavedGame reread;
  if (ParseSavedGame(again.data(), again.size(), kScenario, &reread) != SavedGameError::kNone) std::abort();
  // What a rewrite changes: the format, and the identifiers and charges that are always written.
  game.format = kSavedGameFormat;
  for (SavedItem& item : game.character.inventory) item.hasCharges = true;
  for (SavedMask& mask : game.masks) mask.hasIdentifiers = true;
  if (!(reread == game)) std::abort();
  return 0;
}
