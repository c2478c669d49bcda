// The string-keyed dictionary and the attribute-list parser.
#include "platform/core/dictionary.h"

#include <cstring>
#include <initializer_list>

#include "platform/core/strings.h"

namespace {

constexpr uint8_t kClassExtraName = 1;
constexpr uint8_t kClassName = 2;
constexpr uint8_t kClassBlank = 4;
constexpr uint8_t kClassOperator = 8;

struct CharacterClasses {
  uint8_t of[256];
  constexpr CharacterClasses() : of() {
    for (int c = '0'; c <= '9'; ++c) of[c] = kClassName;
    for (int c = 'A'; c <= 'Z'; ++c) of[c] = kClassName;
    for (int c = 'a'; c <= 'z'; ++c) of[c] = kClassName;
    of[static_cast<uint8_t>('_')] = kClassName;
    of[static_cast<uint8_t>('$')] = kClassExtraName;
    for (char c : {' ', '\t', '\n', '\r'}) of[static_cast<uint8_t>(c)] = kClassBlank;
    for (char c : {'!', ':', '<', '=', '>', '~'}) of[static_cast<uint8_t>(c)] = kClassOperator;
  }
};
constexpr CharacterClasses kClasses;

uint8_t ClassOf(char c) { return kClasses.of[static_cast<uint8_t>(c)]; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

uint32_t Mix(uint32_t h, char c) { return (h >> 29) ^ (h << 2) ^ static_cast<uint8_t>(c); }

uint32_t HashExact(const char* key, size_t length) {
  uint32_t h = 0;
  for (size_t i = 0; i < length; ++i) h = Mix(h, key[i]);
  return h;
}

uint32_t HashFolded(const char* key, size_t length) {
  uint32_t h = 0;
  for (size_t i = 0; i < length; ++i) h = Mix(h, Upper(key[i]));
  return h;
}

bool EqualExact(const char* stored, const char* probe, size_t length) {
  return std::strlen(stored) == length && std::memcmp(stored, probe, length) == 0;
}

bool EqualFolded(const char* stored, const char* probe, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (stored[i] == '\0' || stored[i] != Upper(probe[i])) return false;
  }
  return stored[length] == '\0';
}

Dictionary* firstTable = nullptr;

constexpr size_t kValueOffset = offsetof(DictionaryEntry, value);

DictionaryEntry* EntryOfValue(const char* value) {
  return reinterpret_cast<DictionaryEntry*>(const_cast<char*>(value) - kValueOffset);
}

DictionaryEntry*& Bucket(Dictionary* table, const char* key, size_t length) {
  return table->buckets[table->hash(key, length) % table->bucketCount];
}

bool IsHexDigit(uint8_t c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
uint8_t HexValue(uint8_t c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

}  // namespace

Dictionary* NewDictionary(uint32_t flags) {
  if (flags & kDictionaryAttributes) flags |= kDictionaryCaseless;
  uint32_t buckets = (flags & kDictionaryLarge) ? 997 : 23;
  size_t bytes = offsetof(Dictionary, buckets) + sizeof(DictionaryEntry*) * buckets;
  auto* table = static_cast<Dictionary*>(PlatformNewPointer(bytes));
  if (table == nullptr) return nullptr;
  PlatformClearBlock(table, bytes);
  table->bucketCount = buckets;
  table->flags = flags;
  bool folded = flags & kDictionaryCaseless;
  table->hash = folded ? HashFolded : HashExact;
  table->equal = folded ? EqualFolded : EqualExact;
  table->keyMask = (flags & kDictionaryAttributes) ? (kClassName | kClassExtraName) : kClassName;
  table->next = firstTable;
  firstTable = table;
  return table;
}

bool IsDictionary(const void* pointer) {
  for (Dictionary* table = firstTable; table != nullptr; table = table->next) {
    if (table == pointer) return true;
  }
  return false;
}

PlatformError DisposeDictionary(Dictionary* table) {
  for (Dictionary** link = &firstTable; *link != nullptr; link = &(*link)->next) {
    if (*link != table) continue;
    *link = table->next;
    for (DictionaryEntry* entry = table->first; entry != nullptr;) {
      DictionaryEntry* next = entry->next;
      PlatformDisposePointer(entry);
      entry = next;
    }
    PlatformDisposePointer(table);
    break;
  }
  return kPlatformNoError;
}

PlatformError DictionaryInsert(Dictionary* table, const char* key, uint32_t keyLength, const void* value,
                               uint32_t valueLength, uint8_t kind, bool atFront) {
  if (atFront) {
    table->cursor[0] = 0;
    table->cursor[1] = 0;
  }
  for (uint32_t i = 0; i < keyLength; ++i) {
    if (key[i] == '\0' || !(ClassOf(key[i]) & table->keyMask)) return kPlatformErrBadData;
  }
  size_t valueArea = (size_t{valueLength} + 4) & ~size_t{3};
  size_t bytes = kValueOffset + valueArea + keyLength + 1;
  auto* entry = static_cast<DictionaryEntry*>(PlatformNewPointer(bytes));
  if (entry == nullptr) return kPlatformErrNoMemory;
  PlatformClearBlock(entry, kValueOffset);
  // The value and key run on past the declared field, inside this block.
  char* valueBytes = reinterpret_cast<char*>(entry) + kValueOffset;
  if (valueLength != 0) PlatformMoveBlock(valueBytes, value, valueLength);
  valueBytes[valueLength] = '\0';
  entry->key = valueBytes + valueArea;
  bool folded = table->flags & kDictionaryCaseless;
  for (uint32_t i = 0; i < keyLength; ++i) entry->key[i] = folded ? Upper(key[i]) : key[i];
  entry->key[keyLength] = '\0';
  entry->keyLength = keyLength;
  entry->valueLength = valueLength;
  entry->kind = kind;
  DictionaryEntry*& bucket = Bucket(table, entry->key, keyLength);
  if (table->flags & kDictionaryUnique) {
    for (DictionaryEntry* other = bucket; other != nullptr; other = other->chain) {
      if (table->equal(other->key, entry->key, keyLength)) {
        PlatformDisposePointer(entry);
        return kPlatformErrDuplicateKey;
      }
    }
  }
  if (atFront) {
    entry->chain = bucket;
    bucket = entry;
    entry->next = table->first;
    if (table->first != nullptr) table->first->previous = entry;
    table->first = entry;
    if (table->last == nullptr) table->last = entry;
  } else {
    DictionaryEntry** link = &bucket;
    while (*link != nullptr) link = &(*link)->chain;
    *link = entry;
    entry->previous = table->last;
    if (table->last != nullptr) table->last->next = entry;
    table->last = entry;
    if (table->first == nullptr) table->first = entry;
  }
  return kPlatformNoError;
}

PlatformError DictionaryInsertParam(Dictionary* table, const char* key, const void* value, uint32_t valueLength) {
  return DictionaryInsert(table, key, PlatformStringLength(key), value, valueLength,
                          valueLength != 0 ? '=' : 0, false);
}

const char* DictionaryLookup(Dictionary* table, const char* key, const char* previous) {
  size_t length = std::strlen(key);
  DictionaryEntry* entry = previous != nullptr ? EntryOfValue(previous)->chain : Bucket(table, key, length);
  for (; entry != nullptr; entry = entry->chain) {
    if (table->equal(entry->key, key, length)) return entry->value;
  }
  return nullptr;
}

const DictionaryEntry* DictionaryEntryOf(const char* value) { return EntryOfValue(value); }

PlatformError DecodePercentEscapes(PlatformHandle* handle) {
  auto* bytes = static_cast<uint8_t*>(handle->data);
  uint32_t size = handle->size;
  for (uint32_t j = 0; j + 2 < size; ++j) {
    if (bytes[j] != '%' || !IsHexDigit(bytes[j + 1]) || !IsHexDigit(bytes[j + 2])) continue;
    uint8_t value = static_cast<uint8_t>(HexValue(bytes[j + 1]) * 16 + HexValue(bytes[j + 2]));
    bytes[j] = value == 0 ? ' ' : value;  // a decoded 0 would end the text early
    PlatformMoveBlock(bytes + j + 1, bytes + j + 3, size - j - 3);
    size -= 2;
  }
  return size == handle->size ? kPlatformNoError : PlatformHandle::SetSize(handle, size);
}

Dictionary* NewDictionaryFromList(uint32_t flags, const char* text) {
  PlatformHandle* handle = PlatformHandle::FromBytes(text, PlatformStringLength(text));
  if (handle == nullptr) return nullptr;
  Dictionary* table = DictionaryParseAttributes(flags, handle);
  PlatformHandle::Dispose(handle);
  return table;
}

namespace {

// Scans an attribute list: names, separators ("=", or an operator with the attribute syntax), bare and quoted
// values. A byte that fits nowhere counts as a blank.
class AttributeParser {
 public:
  AttributeParser(Dictionary* table, const char* text, uint32_t size) : table_(table), text_(text), size_(size) {}

  bool Run() {
    for (uint32_t pos = 0; pos <= size_; ++pos) {
      char c = pos < size_ ? text_[pos] : '\0';
      if (!Step(pos, c)) return false;
    }
    if (state_ >= 1 && state_ <= 4) return AddName(separator_);  // a name left without a value
    return true;
  }

 private:
  bool IsName(char c) const { return c != '\0' && (ClassOf(c) & table_->keyMask); }
  bool IsBlank(char c) const { return ClassOf(c) & kClassBlank; }
  bool IsSeparator(char c) const {
    return c == '=' || ((table_->flags & kDictionaryAttributes) && (ClassOf(c) & kClassOperator));
  }
  static bool IsQuote(char c) { return c == '"' || c == '\'' || c == '`'; }

  bool Step(uint32_t pos, char c) {
    switch (state_) {
      case 0:
        if (IsName(c)) StartName(pos);
        return true;
      case 1:
        if (IsName(c)) return true;
        if (c == '\0') {
          nameEnd_ = pos;
          return true;
        }
        nameEnd_ = pos;
        if (IsSeparator(c)) {
          separator_ = static_cast<uint8_t>(c);
          state_ = 3;
        } else {
          separator_ = 0;
          state_ = 2;
        }
        return true;
      case 2:
        if (IsSeparator(c)) {
          separator_ = static_cast<uint8_t>(c);
          state_ = 3;
        } else if (IsName(c) || c == '\0') {
          if (!AddName(0)) return false;
          state_ = 0;
          // The end of the text starts no name: "hidden " would otherwise hold a second attribute, with an
          // empty name that the list never wrote.
          if (c != '\0') StartName(pos);
        }
        return true;
      case 3:
        if (c == '=') return true;
        if (IsBlank(c) || (ClassOf(c) & kClassOperator)) {
          state_ = 4;
          return true;
        }
        StartValue(pos, c);
        return true;
      case 4:
        if (c != '\0' && !IsBlank(c)) StartValue(pos, c);
        return true;
      case 5:
        if (c == '\0' || IsBlank(c)) return EndValue(pos);
        return true;
      default:
        if (c == '\0' || c == quote_) return EndValue(pos);
        return true;
    }
  }

  void StartName(uint32_t pos) {
    nameStart_ = pos;
    nameEnd_ = pos;
    separator_ = 0;
    state_ = 1;
  }

  void StartValue(uint32_t pos, char c) {
    if (c == '\0') return;  // the end of the text: the name is added without a value
    if (IsQuote(c)) {
      quote_ = c;
      valueStart_ = pos + 1;
      state_ = 6;
    } else {
      valueStart_ = pos;
      state_ = 5;
    }
  }

  bool AddName(uint8_t kind) { return Insert(nullptr, 0, kind); }

  bool EndValue(uint32_t pos) {
    state_ = 0;
    PlatformHandle* scratch = PlatformHandle::FromBytes(text_ + valueStart_, pos - valueStart_);
    if (scratch == nullptr) return false;
    bool done = DecodePercentEscapes(scratch) == kPlatformNoError &&
                Insert(static_cast<const char*>(scratch->data), scratch->size, separator_);
    PlatformHandle::Dispose(scratch);
    return done;
  }

  bool Insert(const char* value, uint32_t length, uint8_t kind) {
    PlatformError error = DictionaryInsert(table_, text_ + nameStart_, nameEnd_ - nameStart_, value, length, kind,
                                           false);
    return error == kPlatformNoError || error == kPlatformErrDuplicateKey;
  }

  Dictionary* table_;
  const char* text_;
  uint32_t size_;
  int state_ = 0;
  uint32_t nameStart_ = 0;
  uint32_t nameEnd_ = 0;
  uint32_t valueStart_ = 0;
  uint8_t separator_ = 0;
  char quote_ = '"';
};

}  // namespace

Dictionary* DictionaryParseAttributes(uint32_t flags, PlatformHandle* handle) {
  Dictionary* table = NewDictionary(flags);
  if (table == nullptr || handle == nullptr) {
    DisposeDictionary(table);
    return nullptr;
  }
  uint8_t wasLocked = PlatformHandle::SetLocked(handle, 1);
  AttributeParser parser(table, static_cast<const char*>(handle->data), handle->size);
  bool done = parser.Run();
  PlatformHandle::SetLocked(handle, wasLocked);
  if (!done) {
    DisposeDictionary(table);
    return nullptr;
  }
  return table;
}
