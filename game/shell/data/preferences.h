// PrefsFile: the player's settings kept between runs as key and value strings in "<scenario name>.ini" in the
// Windows folder (on this system the program's configuration folder). Keys in use: "music_volume" and
// "fullscreen".
//
// File format: records of a key (a length byte and its bytes), the byte "=", a value (a length byte and its
// bytes) and a carriage return, sorted by key; no header, no count. Keys and values hold at most 255 bytes.
#pragma once

#include <map>
#include <string>
#include <string_view>

class PrefsFile {
 public:
  // The name comes from the scenario: only its last path component is used, so it cannot reach another folder.
  explicit PrefsFile(std::string_view name);

  // Replaces the settings by the file's; a missing, empty or unreadable file keeps them. A record cut short at
  // the end of the file is not taken.
  void Load();
  // Writes every setting in key order, replacing the file whole (a new file takes its name once written in
  // full); false, with the old file kept, when it cannot be written.
  bool Save();
  bool HasKey(const std::string& key) const;
  void Get(std::string& out, const std::string& key) const;  // "" for a missing key
  void Set(const std::string& key, const std::string& value);
  void Erase() { values_.clear(); }

  const std::string& Folder() const { return folder_; }  // empty without a Windows folder: all else is off
  const std::string& FileName() const { return fileName_; }

 private:
  std::string folder_;
  std::string fileName_;
  std::map<std::string, std::string> values_;  // ordered byte-wise, case-sensitively
};
