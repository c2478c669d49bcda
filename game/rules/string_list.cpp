// The scenario menu lists.
#include "game/rules/string_list.h"

#include "game/shell/data/data_stream.h"

StringList::StringList(DataStream& stream) : NamedRecord(stream) { Read(stream); }

StringList::~StringList() = default;

void StringList::Read(DataStream& stream) {
  stream.ReadPString(title_);
  int16_t count = stream.ReadInt16();
  for (int16_t i = 0; i < count; ++i) {
    Entry entry;
    std::string eventName;
    stream.ReadPStringScrambled(entry.text, true);
    stream.ReadPStringScrambled(eventName, true);
    entry.event = LoadEvent(eventName);
    entries_.push_back(std::move(entry));
  }
  total_ = static_cast<int16_t>(entries_.size());
  SetLoaded(true);
}

const StringList::Entry* StringList::EntryAt(int32_t index) const {
  int16_t asShort = static_cast<int16_t>(index);
  if (asShort < 0 || asShort >= total_ || static_cast<size_t>(asShort) >= entries_.size()) return nullptr;
  return &entries_[asShort];
}

std::string StringList::GetString(int32_t index) const {
  const Entry* entry = EntryAt(index);
  return entry == nullptr ? std::string() : entry->text;
}

void StringList::RunEntryEvent(int32_t index) {
  const Entry* entry = EntryAt(index);
  if (entry != nullptr) RunEventRecord(entry->event.get());
}
