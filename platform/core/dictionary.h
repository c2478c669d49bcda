// String-keyed dictionary: a hash table from text keys (letters, digits, "_", optionally "$") to byte values,
// stored with a terminating 0 and a one-byte kind. Tables may refuse duplicate keys, may compare keys without
// regard to case, and can be built from an attribute list such as `src="a b" width=10 hidden`. Every table is
// in one process-wide list, so that a pointer can be tested before use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/core/memory.h"
#include "platform/core/platform_error.h"

constexpr uint32_t kDictionaryCaseless = 1;    // keys compared without regard to case
constexpr uint32_t kDictionaryLarge = 2;       // 997 buckets instead of 23
constexpr uint32_t kDictionaryUnique = 4;      // a second insertion of a key is refused
constexpr uint32_t kDictionaryAttributes = 8;  // operators and "$" in keys; implies kDictionaryCaseless

struct DictionaryEntry {
  DictionaryEntry* chain;     // next entry in the same bucket
  DictionaryEntry* previous;  // neighbours in insertion order
  DictionaryEntry* next;
  char* key;                  // inside this block, after the value; upper case in a case-folding table
  uint32_t keyLength;
  uint32_t valueLength;
  uint8_t spare[3];
  uint8_t kind;               // given by the inserter: the attribute parser stores the separator or 0
  char value[4];              // valueLength bytes and a 0 (the block holds as many as needed)
};

using DictionaryHashProc = uint32_t (*)(const char* key, size_t length);
using DictionaryEqualProc = bool (*)(const char* stored, const char* probe, size_t probeLength);

struct Dictionary {
  Dictionary* next;  // the next table in the process-wide list, newest first
  uint32_t bucketCount;
  uint32_t flags;
  DictionaryHashProc hash;
  DictionaryEqualProc equal;
  uint32_t keyMask;
  uint32_t cursor[2];  // cleared by an insertion at the front
  DictionaryEntry* first;
  DictionaryEntry* last;
  DictionaryEntry* buckets[1];  // bucketCount chains
};

Dictionary* NewDictionary(uint32_t flags);
PlatformError DisposeDictionary(Dictionary* table);
bool IsDictionary(const void* pointer);
PlatformError DictionaryInsert(Dictionary* table, const char* key, uint32_t keyLength, const void* value,
                               uint32_t valueLength, uint8_t kind, bool atFront);
PlatformError DictionaryInsertParam(Dictionary* table, const char* key, const void* value, uint32_t valueLength);
// The value of the first entry whose key equals `key`, or of the next such entry after `previous`; null when
// there is none. Equal keys come back in insertion order (front insertions first).
const char* DictionaryLookup(Dictionary* table, const char* key, const char* previous);
Dictionary* NewDictionaryFromList(uint32_t flags, const char* text);
Dictionary* DictionaryParseAttributes(uint32_t flags, PlatformHandle* handle);
PlatformError DecodePercentEscapes(PlatformHandle* handle);

// The entry a value belongs to (its length and kind).
const DictionaryEntry* DictionaryEntryOf(const char* value);
