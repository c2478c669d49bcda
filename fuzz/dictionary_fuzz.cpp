// Fuzz target: the attribute-list parser and percent escapes over arbitrary bytes, with the flags taken from
// the first byte; every value found is looked up again by its key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/core/dictionary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 16)) return 0;
  PlatformHandle* handle = PlatformHandle::FromBytes(data + 1, static_cast<uint32_t>(size - 1));
  if (handle == nullptr) return 0;
  Dictionary* table = DictionaryParseAttributes(data[0] & 15, handle);
  if (table != nullptr) {
    for (DictionaryEntry* entry = table->first; entry != nullptr; entry = entry->next) {
      if (DictionaryLookup(table, entry->key, nullptr) == nullptr) std::abort();  // a stored key must be found
    }
    DisposeDictionary(table);
  }
  DecodePercentEscapes(handle);
  PlatformHandle::Dispose(handle);
  return 0;
}
