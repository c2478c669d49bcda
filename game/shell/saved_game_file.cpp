// Saved-game files: building the bytes of format 13 and reading formats 11, 12 and 13 into a holding copy.
//
// Every count, length and size in a file is checked against the bytes that remain before it is used, and a
// chunk's content is read only within its stated length (the journal and the plug-ins, read by their counts,
// within the body), so a damaged or hostile file is refused as a whole.
#include "game/shell/saved_game_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "game/rules/random_table.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/mem_handle.h"
#include "game/shell/data/string_utils.h"
#include "platform/core/file_manager.h"
#include "platform/core/memory.h"

namespace {

constexpr uint32_t kTagJournal = 0x4A4F5552;  // 'JOUR'
constexpr uint32_t kTagPlugins = 0x504C5547;  // 'PLUG'
constexpr uint32_t kTagTextEntries = 0x54455854;  // 'TEXT'
constexpr uint32_t kTagPortrait = 0x504F5254;  // 'PORT'
constexpr uint32_t kTagCharges = 0x43485247;  // 'CHRG'
constexpr int16_t kValueListField = 24;       // the field before the 22 masked values
constexpr int16_t kEquipmentField = 10;       // the field before the names of slots 1 to 9
constexpr int32_t kChunkMaskIndex = 100;
constexpr int32_t kTrailerMaskIndex = 200;
constexpr int32_t kCounterMaskIndex = 50;     // 50, 51, 52: experience, gold, the random seed
constexpr uint32_t kBodyBlock = 512;

// The base value stored at each place of the masked value list (from 1), -1 for the level.
constexpr std::array<int8_t, kSavedBaseValueCount> kMaskedOrder = {-1, 18, 17, 19, 20, 4, 5, 6, 0,  2,  1,
                                                                   3,  7,  8,  9,  10, 11, 12, 14, 13, 21, 16};

// The 27 numbers of a format-11 file: a base value, or one of these.
constexpr int8_t kOldLevel = -1, kOldStatus = -2, kOldIgnored = -3, kOldExperience = -4, kOldGold = -5;
constexpr std::array<int8_t, 27> kOldOrder = {kOldLevel, kOldStatus, kOldIgnored, 17, 19, 8, 20, kOldExperience,
                                              18, kOldGold, 11, 12, 1, 5, 3, 2, 4, 21, 16, 14, 6, 13, 0, 7,
                                              kOldIgnored, 9, 10};

int16_t Mask16(int32_t value, int32_t index, int32_t d) {
  return static_cast<int16_t>(static_cast<uint16_t>(value + RandomTableValue(index, d)));
}
int16_t Unmask16(int16_t stored, int32_t index, int32_t d) {
  return static_cast<int16_t>(static_cast<uint16_t>(stored - RandomTableValue(index, d)));
}
int32_t Mask32(int32_t value, int32_t index, int32_t d) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(RandomTableValue(index, d)));
}
int32_t Unmask32(int32_t stored, int32_t index, int32_t d) {
  return static_cast<int32_t>(static_cast<uint32_t>(stored) - static_cast<uint32_t>(RandomTableValue(index, d)));
}
// A chunk length is stored in 16 bits, masked; lengths run from 0 to 65535.
uint16_t UnmaskLength(int16_t stored, int32_t index, int32_t d) {
  return static_cast<uint16_t>(stored - RandomTableValue(index, d));
}

// The character's key: K plus the byte sum of the scenario's identity, as a signed 16-bit number.
int32_t CharacterKey(int16_t key, std::string_view scenario) {
  return static_cast<int16_t>(static_cast<uint16_t>(key + StringByteSum(scenario)));
}

// ---- Reading ----

// A reader that refuses anything the remaining bytes cannot hold and remembers the first fault.
class BodyReader {
 public:
  explicit BodyReader(DataStream& stream) : s_(stream) {}

  bool Ok() const { return !damaged_ && s_.GetError() == 0; }
  void Damage() { damaged_ = true; }
  uint32_t Remaining() const {
    if (!Ok()) return 0;
    return s_.GetSize() - s_.GetPosition();
  }
  uint32_t Position() const { return Ok() ? s_.GetPosition() : 0; }

  int16_t Int16() { return Ok() ? s_.ReadInt16() : 0; }
  int32_t Int32() { return Ok() ? s_.ReadInt32() : 0; }
  uint32_t Tag() { return static_cast<uint32_t>(Int32()); }
  int16_t PeekInt16() {
    if (!Ok()) return 0;
    uint32_t at = s_.GetPosition();
    int16_t value = s_.ReadInt16();
    s_.Seek(at);
    return value;
  }
  void Bytes(std::vector<uint8_t>* out, uint32_t count) {
    if (!Ok() || count > Remaining()) {
      Damage();
      return;
    }
    out->resize(count);
    if (count != 0) s_.ReadBytes(out->data(), count);
  }
  // A shifted short string (written adding the shift), or one written the other way round.
  std::string Short(bool writtenAdding = true) {
    std::string text;
    if (Ok()) s_.ReadPStringScrambled(text, !writtenAdding);
    return Ok() ? text : std::string();
  }
  std::string Long() {
    std::string text;
    if (Ok()) s_.ReadLongStringScrambled(text, false);
    return Ok() ? text : std::string();
  }
  // A count of entries of at least minBytes each: negative counts and counts the remaining bytes cannot hold
  // damage the file. Gives 0 then.
  int32_t Count(int32_t count, uint32_t minBytes) {
    if (!Ok() || count < 0 || static_cast<uint64_t>(count) * minBytes > Remaining()) {
      Damage();
      return 0;
    }
    return count;
  }
  void Skip(uint64_t bytes) {
    if (!Ok() || bytes > Remaining()) {
      Damage();
      return;
    }
    s_.Seek(s_.GetPosition() + static_cast<uint32_t>(bytes));
  }
  // Reads a block with a parser of its own, which says whether the block was sound.
  template <typename Parser>
  void Parse(Parser parse) {
    if (Ok() && !parse(s_)) Damage();
  }
  // Reads a chunk's content with read, which must stay within length bytes; what it leaves is skipped.
  template <typename Read>
  void Within(uint32_t length, Read read) {
    if (!Ok() || length > Remaining()) {
      Damage();
      return;
    }
    uint32_t start = s_.GetPosition();
    read();
    if (!Ok() || s_.GetPosition() - start > length) {
      Damage();
      return;
    }
    s_.Seek(start + length);
  }

 private:
  DataStream& s_;
  bool damaged_ = false;
};

void ReadStringList(BodyReader& r, std::vector<std::string>* out) {
  int32_t count = r.Count(r.Int16(), 2);
  for (int32_t i = 0; i < count && r.Ok(); ++i) {
    std::string text = r.Long();
    if (!text.empty()) out->push_back(std::move(text));
  }
}

void ReadTextEntries(BodyReader& r, std::vector<SavedTextEntry>* out) {
  int32_t count = r.Count(r.Int16(), 6);
  for (int32_t i = 0; i < count && r.Ok(); ++i) {
    SavedTextEntry entry;
    entry.key = r.Long();
    entry.firstText = r.Long();
    entry.secondText = r.Long();
    out->push_back(std::move(entry));
  }
}

void ReadGlobals(BodyReader& r, std::vector<SavedGlobal>* out) {
  int32_t count = r.Count(r.Int16(), 2);
  for (int32_t i = 0; i < count && r.Ok(); ++i) {
    SavedGlobal global;
    global.name = r.Short();
    global.value = r.Short();
    out->push_back(std::move(global));
  }
}

void ReadHistory(BodyReader& r, std::vector<LocationHistoryEntry>* out) {
  r.Parse([&](DataStream& stream) { return LocationHistory::Read(stream, out); });
}

// tail: the bytes that must still follow the masks (the trailer, or the two counters of format 11).
void ReadMasks(BodyReader& r, std::vector<SavedMask>* out, uint32_t tail) {
  r.Parse([&](DataStream& stream) { return ParseExploredMasks(stream, tail, out); });
}

}  // namespace

namespace {

void ReadCharacter(BodyReader& r, std::string_view scenario, SavedCharacter* c) {
  c->name = r.Short();
  c->spriteName = r.Short();
  int32_t d = CharacterKey(r.Int16(), scenario);
  int32_t values = r.Int16();
  for (int32_t i = 1; i <= kSavedBaseValueCount; ++i) {
    int16_t value = Unmask16(r.Int16(), i, d);
    int8_t place = kMaskedOrder[static_cast<size_t>(i - 1)];
    if (place < 0) {
      c->level = value;
    } else {
      c->base[static_cast<size_t>(place)] = value;
    }
  }
  if (values > kValueListField) r.Skip(2ull * static_cast<uint32_t>(values - kValueListField));
  // The counters' count is read in 16 bits, as it is written: read in 32, it would take in half of the experience
  // and every value after it would be misread.
  int32_t counters = r.Int16();
  c->experience = Unmask32(r.Int32(), kCounterMaskIndex, d);
  c->gold = Unmask32(r.Int32(), kCounterMaskIndex + 1, d);
  c->randomSeed = Unmask32(r.Int32(), kCounterMaskIndex + 2, d);
  if (counters > 3) r.Skip(4ull * static_cast<uint32_t>(counters - 3));

  int32_t chunks = r.Count(r.Int16(), 6);
  for (int32_t i = 0; i < chunks && r.Ok(); ++i) {
    uint32_t tag = r.Tag();
    uint16_t length = UnmaskLength(r.Int16(), kChunkMaskIndex, d);
    // The journal and the plug-ins are read by their counts, whatever the length says: a journal of more than
    // 65535 bytes is saved with its length cut to 16 bits.
    if (tag == kTagJournal) {
      ReadStringList(r, &c->journal);
    } else if (tag == kTagPlugins) {
      ReadStringList(r, &c->plugins);
    } else if (tag == kTagTextEntries) {
      r.Within(length, [&] { ReadTextEntries(r, &c->textEntries); });
    } else if (tag == kTagPortrait) {
      r.Within(length, [&] { c->portrait = r.Long(); });
    } else {
      r.Skip(length);
    }
  }

  c->className = r.Short();
  c->raceName = r.Short();
  // The field is the number of slots counted from 0: names of slots 1 to field - 1 follow. A field above 10 would
  // leave names past slot 9 unread and the rest of the file misread: the file is refused as damaged.
  int32_t slots = r.Int16();
  if (slots < 0 || slots > kSavedEquipmentSlots + 1) r.Damage();
  for (int32_t slot = 1; slot < slots && r.Ok(); ++slot) c->equipment[static_cast<size_t>(slot - 1)] = r.Short();

  int32_t items = r.Count(r.Int16(), 3);
  for (int32_t i = 0; i < items && r.Ok(); ++i) {
    SavedItem item;
    item.name = r.Short();
    int32_t properties = r.Count(r.Int16(), 6);
    for (int32_t p = 0; p < properties && r.Ok(); ++p) {
      uint32_t tag = r.Tag();
      int32_t length = r.Count(r.Int16(), 1);
      if (tag == kTagCharges && length >= 2) {
        r.Within(static_cast<uint32_t>(length), [&] {
          item.charges = r.Int16();
          item.hasCharges = true;
        });
      } else {
        r.Skip(static_cast<uint32_t>(length));
      }
    }
    c->inventory.push_back(std::move(item));
  }

  int32_t spells = r.Count(r.Int16(), 1);
  for (int32_t i = 0; i < spells && r.Ok(); ++i) c->spells.push_back(r.Short());
  int32_t effects = r.Count(r.Int16(), 3);
  for (int32_t i = 0; i < effects && r.Ok(); ++i) {
    SavedEffect effect;
    effect.spell = r.Short();
    effect.remaining = r.Int16();
    c->effects.push_back(std::move(effect));
  }
}

// The body of formats 12 and 13.
SavedGameError ReadBody(DataStream& stream, std::string_view scenario, SavedGame* game) {
  BodyReader r(stream);
  std::string identity = r.Short();
  if (!r.Ok()) return SavedGameError::kDamaged;
  if (identity != scenario) return SavedGameError::kOtherScenario;
  int32_t characters = r.Count(r.Int16(), 1);
  if (characters < 1) r.Damage();
  // The writer stores the current character alone; any further ones are read and dropped.
  for (int32_t i = 0; i < characters && r.Ok(); ++i) {
    SavedCharacter character;
    ReadCharacter(r, scenario, &character);
    if (i == 0) game->character = std::move(character);
  }
  ReadGlobals(r, &game->globals);
  ReadHistory(r, &game->history);
  ReadMasks(r, &game->masks, 4);
  int32_t chunks = r.Count(r.Int16(), 6);
  int32_t key = r.Int16();
  for (int32_t i = 0; i < chunks && r.Ok(); ++i) {
    r.Tag();
    r.Skip(UnmaskLength(r.Int16(), kTrailerMaskIndex, key));
  }
  return r.Ok() ? SavedGameError::kNone : SavedGameError::kDamaged;
}

// Format 11: plain numbers in an older order, the identity joined to the character's name.
SavedGameError ReadOldFormat(DataStream& stream, std::string_view scenario, SavedGame* game) {
  BodyReader r(stream);
  std::string identity = r.Short();
  if (!r.Ok()) return SavedGameError::kDamaged;
  std::string name, scenarioName;
  GetField(name, identity, "::", 1);
  GetField(scenarioName, identity, "::", 2);
  if (scenarioName != scenario) return SavedGameError::kOtherScenario;
  SavedCharacter& c = game->character;
  c.name = name;
  for (int8_t place : kOldOrder) {
    int16_t value = r.Int16();
    switch (place) {
      case kOldLevel: c.level = value; break;
      case kOldStatus: break;  // shown by the older game only
      case kOldIgnored: break;
      case kOldExperience: c.experience = value; break;
      case kOldGold: c.gold = value; break;
      default: c.base[static_cast<size_t>(place)] = value; break;
    }
  }
  c.className = r.Short();
  c.raceName = r.Short();
  ReadGlobals(r, &game->globals);
  for (std::string& slot : c.equipment) slot = r.Short();
  int32_t items = r.Count(r.Int16(), 1);
  for (int32_t i = 0; i < items && r.Ok(); ++i) c.inventory.push_back(SavedItem{r.Short(), false, 0});
  ReadHistory(r, &game->history);
  c.spriteName = r.Short();
  ReadMasks(r, &game->masks, 8);
  // Full 32-bit experience and gold: a value that is not 0 replaces the 16-bit one, else a negative one becomes 0.
  int32_t experience = r.Int32();
  int32_t gold = r.Int32();
  if (!r.Ok()) return SavedGameError::kDamaged;
  c.experience = experience != 0 ? experience : std::max(c.experience, 0);
  c.gold = gold != 0 ? gold : std::max(c.gold, 0);
  return SavedGameError::kNone;
}

// A stream over a copy of bytes.
bool AttachCopy(DataStream& stream, const uint8_t* bytes, size_t size) {
  MemHandle block;
  if (size != 0) {
    if (!block.Allocate(size)) return false;
    std::memcpy(block.Lock(), bytes, size);
    block.Unlock();
  }
  stream.AttachMemory(block, true, static_cast<uint32_t>(size));
  return true;
}

uint32_t BigEndian32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

}  // namespace

const char* SavedGameErrorText(SavedGameError error) {
  switch (error) {
    case SavedGameError::kNone: return "";
    case SavedGameError::kUnknownFormat: return "This file is not a saved game of a known format.";
    case SavedGameError::kOtherScenario: return "This saved game belongs to another scenario.";
    case SavedGameError::kDamaged: return "This saved game is damaged.";
    case SavedGameError::kNoMemory: return "There is not enough memory to handle this saved game.";
    case SavedGameError::kFileError: return "The saved game could not be read or written.";
    case SavedGameError::kTooLarge: return "The game holds too much to be saved.";
    case SavedGameError::kDeclined: return "";
    case SavedGameError::kNotLoadable: return "Impossible to load this saved game.";
  }
  return "";
}

SavedGameError ParseSavedGame(const uint8_t* bytes, size_t size, std::string_view scenario, SavedGame* out) {
  if (size < 2 || size > std::numeric_limits<uint32_t>::max()) return SavedGameError::kUnknownFormat;
  int16_t format = static_cast<int16_t>((bytes[0] << 8) | bytes[1]);
  SavedGame game;
  game.format = format;
  SavedGameError error = SavedGameError::kNone;
  DataStream stream;
  if (format == 11 || format == 12) {
    if (!AttachCopy(stream, bytes + 2, size - 2)) return SavedGameError::kNoMemory;
    error = format == 11 ? ReadOldFormat(stream, scenario, &game) : ReadBody(stream, scenario, &game);
  } else if (format == 13) {
    if (size < 10) return SavedGameError::kDamaged;
    uint32_t bodySize = BigEndian32(bytes + 2);
    uint32_t packedSize = BigEndian32(bytes + 6);
    // The packed block follows the header; bytes after it are not read. zlib cannot expand by more than about 1032
    // to 1.
    if (packedSize == 0 || packedSize > size - 10 || bodySize == 0 || bodySize > kSavedGameMaxBody ||
        bodySize / 1032 > packedSize) {
      return SavedGameError::kDamaged;
    }
    MemHandle block;
    if (!block.Allocate(packedSize)) return SavedGameError::kNoMemory;
    std::memcpy(block.Lock(), bytes + 10, packedSize);
    block.Unlock();
    if (!UncompressHandle(block, bodySize) || block.Size() != bodySize) return SavedGameError::kDamaged;
    stream.AttachMemory(block, true, bodySize);
    error = ReadBody(stream, scenario, &game);
  } else {
    return SavedGameError::kUnknownFormat;
  }
  if (error != SavedGameError::kNone) return error;
  *out = std::move(game);
  return SavedGameError::kNone;
}

// ---- Writing ----

namespace {

// A writer into a growing memory stream that remembers the first fault: a write that failed, or a text, list or
// chunk too long for its field.
class BodyWriter {
 public:
  explicit BodyWriter(DataStream& stream) : s_(stream) {}

  SavedGameError Error() const { return error_; }
  void Int16(int32_t value) { Check(s_.WriteInt16(static_cast<int16_t>(static_cast<uint16_t>(value)))); }
  void Int32(int32_t value) { Check(s_.WriteInt32(value)); }
  void Tag(uint32_t tag) { Int32(static_cast<int32_t>(tag)); }
  // Texts are cut to what their length field holds: 255 bytes for a short string, 65535 for a long one.
  void Short(std::string_view text, bool add = true) { Check(s_.WritePString(text, add)); }
  void Long(std::string_view text) { Check(s_.WriteLongString(text, true)); }
  void Bytes(const std::vector<uint8_t>& bytes) {
    if (!bytes.empty()) Check(s_.WriteBytes(bytes.data(), static_cast<uint32_t>(bytes.size())));
  }
  // A count above 32767 would be stored negative and read back as none, losing the list and everything after
  // it: such a game is refused rather than saved damaged.
  void Count(size_t count) {
    if (count > 32767) return Fail(SavedGameError::kTooLarge);
    Int16(static_cast<int32_t>(count));
  }
  // A block with a writer of its own, which gives its error.
  template <typename Writer>
  void Block(Writer write) {
    if (error_ == SavedGameError::kNone) Fail(write(s_));
  }
  // A chunk: the tag, the length masked with the entry of maskIndex and d, and the content that write makes.
  // The length is stored in 16 bits: a chunk read by its counts (the journal, the plug-ins) may be longer, and
  // keeps the low 16 bits of its length. Any other chunk is skipped by its length, so it must fit.
  template <typename Write>
  void Chunk(uint32_t tag, int32_t maskIndex, int32_t d, bool readByCounts, Write write) {
    Tag(tag);
    uint32_t lengthAt = s_.GetPosition();
    Int16(0);
    uint32_t start = s_.GetPosition();
    write();
    if (error_ != SavedGameError::kNone) return;
    uint32_t length = s_.GetPosition() - start;
    if (length > 65535 && !readByCounts) return Fail(SavedGameError::kTooLarge);
    uint32_t end = s_.GetPosition();
    s_.Seek(lengthAt);
    Int16(static_cast<int32_t>(length) + RandomTableValue(maskIndex, d));
    s_.Seek(end);
  }

 private:
  void Check(int32_t result) {
    if (result != 0 && error_ == SavedGameError::kNone) error_ = SavedGameError::kNoMemory;
  }
  void Fail(SavedGameError error) {
    if (error_ == SavedGameError::kNone) error_ = error;
  }
  DataStream& s_;
  SavedGameError error_ = SavedGameError::kNone;
};

void WriteStringList(BodyWriter& w, const std::vector<std::string>& list) {
  w.Count(list.size());
  for (const std::string& text : list) w.Long(text);
}

void WriteCharacter(BodyWriter& w, const SavedCharacter& c, std::string_view scenario, int16_t key) {
  int32_t d = CharacterKey(key, scenario);
  w.Short(c.name);
  w.Short(c.spriteName);
  w.Int16(key);
  w.Int16(kValueListField);
  for (int32_t i = 1; i <= kSavedBaseValueCount; ++i) {
    int8_t place = kMaskedOrder[static_cast<size_t>(i - 1)];
    w.Int16(Mask16(place < 0 ? c.level : c.base[static_cast<size_t>(place)], i, d));
  }
  w.Int16(3);
  w.Int32(Mask32(c.experience, kCounterMaskIndex, d));
  w.Int32(Mask32(c.gold, kCounterMaskIndex + 1, d));
  w.Int32(Mask32(c.randomSeed, kCounterMaskIndex + 2, d));
  // Four chunks where the format's own two (the journal and the plug-ins) would do: the character's text entries
  // and its portrait's name have no other place in the format, and a game saved without them would open without
  // them. A reader that knows only the first two skips the others by their length, so the file stays readable.
  w.Int16(4);
  w.Chunk(kTagJournal, kChunkMaskIndex, d, true, [&] { WriteStringList(w, c.journal); });
  w.Chunk(kTagPlugins, kChunkMaskIndex, d, true, [&] { WriteStringList(w, c.plugins); });
  w.Chunk(kTagTextEntries, kChunkMaskIndex, d, false, [&] {
    w.Count(c.textEntries.size());
    for (const SavedTextEntry& entry : c.textEntries) {
      w.Long(entry.key);
      w.Long(entry.firstText);
      w.Long(entry.secondText);
    }
  });
  w.Chunk(kTagPortrait, kChunkMaskIndex, d, false, [&] { w.Long(c.portrait); });
  w.Short(c.className);
  w.Short(c.raceName);
  w.Int16(kEquipmentField);
  for (const std::string& slot : c.equipment) w.Short(slot);
  w.Count(c.inventory.size());
  for (const SavedItem& item : c.inventory) {
    w.Short(item.name);
    w.Int16(1);
    w.Tag(kTagCharges);
    w.Int16(2);
    w.Int16(item.charges);
  }
  w.Count(c.spells.size());
  for (const std::string& spell : c.spells) w.Short(spell);
  w.Count(c.effects.size());
  for (const SavedEffect& effect : c.effects) {
    w.Short(effect.spell);
    w.Int16(effect.remaining);
  }
}

void WriteBody(BodyWriter& w, const SavedGame& game, std::string_view scenario, int16_t key) {
  w.Short(scenario);
  w.Int16(1);
  WriteCharacter(w, game.character, scenario, key);
  w.Count(game.globals.size());
  for (const SavedGlobal& global : game.globals) {
    w.Short(global.name);
    w.Short(global.value);
  }
  w.Block([&](DataStream& stream) {
    switch (LocationHistory::Write(stream, game.history)) {
      case kHistoryBlockWritten: return SavedGameError::kNone;
      case kHistoryBlockTooLarge: return SavedGameError::kTooLarge;
      default: return SavedGameError::kNoMemory;
    }
  });
  w.Block([&](DataStream& stream) {
    switch (WriteExploredMaskBlock(stream, game.masks)) {
      case kMaskBlockWritten: return SavedGameError::kNone;
      case kMaskBlockTooLarge: return SavedGameError::kTooLarge;
      default: return SavedGameError::kNoMemory;
    }
  });
  // The trailer: no chunks, key 0.
  w.Int16(0);
  w.Int16(0);
}

void PutBigEndian32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value >> 24);
  p[1] = static_cast<uint8_t>(value >> 16);
  p[2] = static_cast<uint8_t>(value >> 8);
  p[3] = static_cast<uint8_t>(value);
}

}  // namespace

SavedGameError BuildSavedGameFile(const SavedGame& game, std::string_view scenario, int16_t key,
                                  std::vector<uint8_t>* out) {
  DataStream stream;
  if (!stream.CreateMemory(kBodyBlock)) return SavedGameError::kNoMemory;
  BodyWriter writer(stream);
  WriteBody(writer, game, scenario, key);
  if (writer.Error() != SavedGameError::kNone) return writer.Error();
  uint32_t bodySize = stream.GetSize();
  if (bodySize > kSavedGameMaxBody) return SavedGameError::kTooLarge;
  // Only the bytes written are compressed: the block is trimmed to them first.
  MemHandle body;
  if (!stream.TakeMemory(body) || body.Size() != bodySize) return SavedGameError::kNoMemory;
  if (!CompressHandle(body)) return SavedGameError::kNoMemory;
  size_t packedSize = body.Size();
  std::vector<uint8_t> file(10 + packedSize);
  file[0] = 0;
  file[1] = static_cast<uint8_t>(kSavedGameFormat);
  PutBigEndian32(&file[2], bodySize);
  PutBigEndian32(&file[6], static_cast<uint32_t>(packedSize));
  std::memcpy(&file[10], body.Lock(), packedSize);
  body.Unlock();
  *out = std::move(file);
  return SavedGameError::kNone;
}

int16_t DrawSavedGameKey() { return static_cast<int16_t>(RandomRange(6456, 19345)); }

SavedGameError WriteSavedGameFile(FolderRef folder, const char* name, const SavedGame& game,
                                  std::string_view scenario, int32_t* fileError) {
  *fileError = 0;
  std::vector<uint8_t> bytes;
  SavedGameError error = BuildSavedGameFile(game, scenario, DrawSavedGameKey(), &bytes);
  if (error != SavedGameError::kNone) return error;
  PlatformHandle* handle = PlatformHandle::FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (handle == nullptr) return SavedGameError::kNoMemory;
  PlatformError written =
      PlatformReplaceFileWithHandle(folder, name, kSavedGameFileType, kSavedGameFileType, handle);
  PlatformHandle::Dispose(handle);
  if (written != kPlatformNoError) {
    *fileError = written;
    return SavedGameError::kFileError;
  }
  return SavedGameError::kNone;
}

SavedGameError ReadSavedGameFile(FolderRef folder, const char* name, std::string_view scenario, SavedGame* out,
                                 int32_t* fileError) {
  *fileError = 0;
  PlatformFileInfo info;
  PlatformError read = PlatformGetFileInfo(folder, name, &info, false);
  if (read == kPlatformNoError && (info.isFolder || info.size > kSavedGameMaxBody)) {
    return info.isFolder ? SavedGameError::kUnknownFormat : SavedGameError::kDamaged;
  }
  PlatformHandle* handle = nullptr;
  if (read == kPlatformNoError) read = PlatformReadFileToHandle(folder, name, kSavedGameMaxBody, true, &handle);
  if (read != kPlatformNoError) {
    *fileError = read;
    return SavedGameError::kFileError;
  }
  SavedGameError error = ParseSavedGame(static_cast<const uint8_t*>(handle->data),
                                        PlatformHandle::GetSize(handle), scenario, out);
  PlatformHandle::Dispose(handle);
  return error;
}

std::vector<std::string> MissingPlugins(const SavedGame& game, const std::vector<std::string>& loaded) {
  std::vector<std::string> missing;
  for (const std::string& plugin : game.character.plugins) {
    if (plugin.empty()) continue;
    if (std::find(loaded.begin(), loaded.end(), plugin) != loaded.end()) continue;
    if (std::find(missing.begin(), missing.end(), plugin) == missing.end()) missing.push_back(plugin);
  }
  return missing;
}

std::string MissingPluginsQuestion(const std::vector<std::string>& missing) {
  std::string text = "Are you sure you want to continue to load this saved game, ";
  text += missing.size() == 1 ? "the following plugin is missing :" : "the following plugins are missing :";
  text += "\n";
  for (const std::string& plugin : missing) text += plugin + "\n";
  return text;
}
