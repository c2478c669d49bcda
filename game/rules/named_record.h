// NamedRecord: the base of every scenario record (spells, races, classes, skill tables, items, NPC definitions,
// locations, the menu lists, key-shortcut lists), of script events and of characters. A record's name is the
// name of the file it was read from, less a four-character extension.
#pragma once

#include <cstdint>
#include <string>

class DataStream;

class NamedRecord {
 public:
  NamedRecord();
  // Named after the stream's current file path; reads nothing (the derived reader follows).
  explicit NamedRecord(DataStream& stream);
  // Named after the other record's file path; the loaded flag is not copied.
  NamedRecord(const NamedRecord& other);
  NamedRecord& operator=(const NamedRecord&) = delete;
  virtual ~NamedRecord();

  virtual const std::string& GetName() const;
  // Keeps the path; the name is its last component (after the last "\", else "/", else ":"; the whole path when
  // the separator ends it or there is none), less a four-character extension when it is at least five long.
  virtual void SetName(const std::string& path);

  const std::string& GetFilePath() const { return filePath_; }
  bool IsLoaded() const { return loaded_ != 0; }
  bool IsAvailable() const { return available_ != 0; }

 protected:
  void SetLoaded(bool loaded) { loaded_ = loaded ? 1 : 0; }
  // Takes the name as it stands, keeping the path: for a name that was derived before.
  void KeepName(const std::string& name) { name_ = name; }

 private:
  uint8_t loaded_ = 0;
  std::string name_;
  std::string filePath_;
  uint8_t available_ = 0;
};
