// The preferences file.
#include "game/shell/data/preferences.h"

#include <vector>

#include "game/shell/data/data_stream.h"
#include "game/shell/data/mem_handle.h"
#include "game/shell/data/string_utils.h"
#include "host/files.h"

namespace {

// The scenario's name reduced to a plain file name: no folder part, no "..".
std::string PlainFileName(std::string_view name) {
  size_t cut = name.find_last_of("/\\:");
  std::string plain(cut == std::string_view::npos ? name : name.substr(cut + 1));
  for (size_t at = plain.find(".."); at != std::string::npos; at = plain.find("..")) plain.erase(at, 1);
  if (plain == ".") plain.clear();
  return plain;
}

// One text of a record: a length byte and that many bytes. False at the end of the data and for a text that
// runs past it: the record is then cut short and is not kept.
bool ReadRecordText(DataStream& stream, std::string& text) {
  const uint8_t length = stream.ReadByte();
  if (stream.GetError() != 0 || length > stream.GetSize() - stream.GetPosition()) return false;
  text.resize(length);
  return length == 0 || stream.ReadBytes(text.data(), length) == 0;
}

}  // namespace

PrefsFile::PrefsFile(std::string_view name) {
  UINT needed = GetWindowsDirectoryA(nullptr, 0);
  if (needed != 0) {
    std::vector<char> buffer(static_cast<size_t>(needed) + 2, '\0');
    UINT length = GetWindowsDirectoryA(buffer.data(), needed + 1);
    if (length != 0 && length <= needed) {
      folder_.assign(buffer.data(), length);
      if (folder_.back() != '\\') folder_ += '\\';
    }
  }
  fileName_ = PlainFileName(name);
  if (!EndsWith(fileName_, ".ini")) fileName_ += ".ini";
}

void PrefsFile::Load() {
  if (folder_.empty()) return;
  DataStream stream(folder_, fileName_);
  if (stream.Open(kDataStreamRead | kDataStreamWholeFile) != 0) return;
  values_.clear();
  // Every record read takes at least four bytes, and the loop stops at the first record cut short, so it ends on
  // any file. The separators are read, not skipped: a skip stops on the last byte of the data, so the last
  // carriage return would be met again and again. They are not checked.
  for (;;) {
    std::string key, value;
    if (!ReadRecordText(stream, key)) break;
    stream.ReadByte();  // "="
    if (!ReadRecordText(stream, value)) break;
    stream.ReadByte();  // carriage return
    if (stream.GetError() != 0) break;
    values_[key] = value;
  }
  stream.Close();
}

// Saving reports whether the file was written, so that the player is told when a setting could not be kept: a
// save that failed in silence would let the player believe it was kept.
bool PrefsFile::Save() {
  if (folder_.empty()) return false;
  // The records are made in memory and the file replaced whole, as saved games are: a full disk or a process
  // killed half-way leaves the old file, never one cut in its last record.
  DataStream records;
  if (!records.CreateMemory(256)) return false;
  for (const auto& [key, value] : values_) {
    records.WritePStringPlain(key);
    records.WriteByte('=');
    records.WritePStringPlain(value);
    records.WriteByte('\r');
    if (records.GetError() != 0) return false;
  }
  MemHandle bytes;
  uint32_t size = records.GetSize();
  if (size != 0 && !records.TakeMemory(bytes)) return false;
  DataStream file(folder_, fileName_);
  const uint8_t* data = size != 0 ? static_cast<const uint8_t*>(bytes.Lock()) : nullptr;
  int32_t error = file.ReplaceFileWith(data, size);
  if (size != 0) bytes.Unlock();
  return error == 0;
}

bool PrefsFile::HasKey(const std::string& key) const { return !folder_.empty() && values_.count(key) != 0; }

void PrefsFile::Get(std::string& out, const std::string& key) const {
  if (folder_.empty()) return;
  auto found = values_.find(key);
  out = found == values_.end() ? std::string() : found->second;
}

void PrefsFile::Set(const std::string& key, const std::string& value) {
  if (folder_.empty()) return;
  values_[key] = value;
}
