// StringList: one of the scenario's menu lists from its "Config" file: a title and entries of a text shown in a
// menu and the script event run when the player chooses it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/named_record.h"
#include "game/rules/script_event.h"

class StringList : public NamedRecord {
 public:
  explicit StringList(DataStream& stream);
  ~StringList() override;

  // Reads a title, an int16 count and that many entries (text and event name, both shifted up on reading); the
  // entries are added to those already held and each event is loaded at once (none when it cannot be). Loaded
  // whenever read: entries past the end of the data have empty texts and no event.
  void Read(DataStream& stream);
  int32_t GetCount() const { return total_; }
  // The entry's text; "" when the index, taken as a signed 16-bit number, is negative or not below the count.
  std::string GetString(int32_t index) const;
  // Runs the entry's event; nothing for an index outside the list or an entry without an event.
  void RunEntryEvent(int32_t index);
  const std::string& GetTitle() const { return title_; }

 private:
  struct Entry {
    std::string text;
    std::unique_ptr<ScriptEvent> event;
  };
  const Entry* EntryAt(int32_t index) const;

  std::string title_;
  int16_t total_ = 0;
  std::vector<Entry> entries_;
};
