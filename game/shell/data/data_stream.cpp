// DataStream: big-endian numbers and strings over memory blocks and framework file streams.
#include "game/shell/data/data_stream.h"

#include <algorithm>
#include <cstring>

#include "game/shell/data/data_paths.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/main_window.h"
#include "host/user.h"
#include "platform/core/file_chooser.h"
#include "platform/core/strings.h"

namespace {

constexpr uint32_t kGrowthStep = 1024;

}  // namespace

DataStream::DataStream() { pathList_.emplace_back(); }

DataStream::DataStream(std::string_view path) { SetPath(path); }

DataStream::DataStream(FolderRef folder, std::string_view path) : folder_(folder) { SetPath(path); }

DataStream::DataStream(FolderRef folder, std::string_view path, bool ownsFolder)
    : folder_(folder), ownsFolder_(ownsFolder) {
  SetPath(path);
}

DataStream::DataStream(std::string_view folderPath, std::string_view name) {
  std::string folder(folderPath);
  if (NormalizePath(folder)) {
    // The normalised form "/C/..." is path text from the drive's root, which the file manager resolves.
    FolderRef resolved = 0;
    error_ = PlatformResolveFolder(0, folder.c_str(), &resolved);
    if (error_ == 0) {
      folder_ = resolved;
      ownsFolder_ = true;
    }
    SetPath(name);
    return;
  }
  // A folder path without a drive is joined with the name: keeping the folder path alone as the path would open
  // the folder, never the file.
  if (!folder.empty() && folder.back() != '/') folder += '/';
  SetPath(folder + std::string(name));
}

DataStream::~DataStream() {
  Close();
  if (ownsFolder_) PlatformReleaseFolder(folder_);
}

void DataStream::SetPath(std::string_view path) {
  path_.assign(path);
  hasDrive_ = NormalizePath(path_);
  pathList_.assign(1, path_);
}

const std::string& DataStream::GetCurrentPath() const {
  static const std::string kEmpty;
  return pathList_.empty() ? kEmpty : pathList_.back();
}

void DataStream::PushPath(std::string_view path) { pathList_.emplace_back(path); }

void DataStream::PopPath() {
  if (!pathList_.empty()) pathList_.pop_back();
}

// ---- memory blocks ----

void DataStream::ResetMemory() {
  if (HasBlock()) memory_.Unlock();
  if (ownsMemory_) {
    memory_.Free();
  } else {
    memory_.Release();  // the block stays with its owner
  }
  base_ = nullptr;
  position_ = 0;
  size_ = 0;
  capacity_ = 0;
  ownsMemory_ = true;
  written_ = false;
}

PlatformError DataStream::CloseFile() {
  if (!fileMode_) return kPlatformNoError;
  PlatformError result = PlatformStream::Close(stream_);
  stream_ = nullptr;
  fileMode_ = false;
  return result;
}

void DataStream::AttachMemory(MemHandle& block, bool take, uint32_t length) {
  if (&block == &memory_) return;  // the stream's own block is already attached
  CloseFile();
  ResetMemory();
  size_t blockSize = block.Size();
  uint32_t capacity = blockSize > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(blockSize);
  if (take) {
    memory_ = std::move(block);
  } else {
    memory_.Adopt(block.Get());
  }
  ownsMemory_ = take;
  base_ = memory_.Lock();
  capacity_ = base_ != nullptr ? capacity : 0;
  size_ = length < capacity_ ? length : capacity_;
  position_ = 0;
  fileMode_ = false;
  openFlags_ = kDataStreamMemoryFlags;
  error_ = 0;
}

bool DataStream::CreateMemory(uint32_t capacity) {
  CloseFile();
  ResetMemory();
  fileMode_ = false;
  openFlags_ = kDataStreamMemoryFlags;
  error_ = 0;
  if (!memory_.Allocate(capacity)) return false;
  base_ = memory_.Lock();
  capacity_ = capacity;
  written_ = true;
  return true;
}

bool DataStream::TakeMemory(MemHandle& out) {
  if (!HasBlock() || !ownsMemory_) return false;
  memory_.Unlock();
  base_ = nullptr;
  if (!memory_.Resize(size_)) {
    base_ = memory_.Lock();
    return false;
  }
  out = std::move(memory_);
  ResetMemory();
  return true;
}

bool DataStream::GrowFor(uint32_t n) {
  // Only an owned block grows: a borrowed one must keep its handle for its owner.
  if (!ownsMemory_) return false;
  uint32_t step = n <= kGrowthStep ? kGrowthStep : (n / kGrowthStep + 1) * kGrowthStep;
  uint64_t capacity = static_cast<uint64_t>(capacity_) + step;
  if (capacity > UINT32_MAX) return false;
  memory_.Unlock();
  bool resized = memory_.Resize(static_cast<size_t>(capacity));
  base_ = memory_.Lock();
  if (!resized || base_ == nullptr) return false;
  capacity_ = static_cast<uint32_t>(capacity);
  return true;
}

// ---- raw bytes ----

int32_t DataStream::ReadRaw(void* buffer, uint32_t n) {
  if (fileMode_) {
    error_ = PlatformStream::Read(stream_, n, buffer);
    return error_;
  }
  if (!HasBlock()) {
    error_ = kDataStreamNoData;
    return error_;
  }
  if (n > size_ - position_) {
    error_ = kDataStreamEndOfData;
    return error_;
  }
  if (n != 0) std::memcpy(buffer, base_ + position_, n);
  position_ += n;
  return 0;
}

int32_t DataStream::WriteRaw(const void* data, uint32_t n) {
  if (fileMode_) {
    error_ = PlatformStream::Write(stream_, n, data);
    return error_;
  }
  if (!HasBlock()) {
    error_ = kDataStreamNoData;
    return error_;
  }
  if (n > capacity_ - position_ && !GrowFor(n)) {
    error_ = ownsMemory_ ? kDataStreamNoMemory : kDataStreamEndOfData;
    return error_;
  }
  if (n != 0) std::memcpy(base_ + position_, data, n);
  position_ += n;
  if (position_ > size_) size_ = position_;
  written_ = true;
  error_ = 0;
  return error_;
}

// ---- reading ----

uint8_t DataStream::ReadByte() {
  uint8_t byte = 0;
  if (error_ != 0 || ReadRaw(&byte, 1) != 0) return 0;
  return byte;
}

int16_t DataStream::ReadInt16() {
  uint8_t bytes[2];
  if (error_ != 0 || ReadRaw(bytes, 2) != 0) return 0;
  return static_cast<int16_t>((bytes[0] << 8) | bytes[1]);
}

int32_t DataStream::ReadInt32() {
  uint8_t bytes[4];
  if (error_ != 0 || ReadRaw(bytes, 4) != 0) return 0;
  return static_cast<int32_t>((static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
                              (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3]);
}

int32_t DataStream::ReadBytes(void* buffer, uint32_t n) {
  if (error_ != 0) return error_;
  if (!fileMode_ && HasBlock() && n > size_ - position_) {
    // A short block hands over what there is without an error (the rest of the buffer is zeroed, never left
    // stale) and leaves the cursor at the end.
    uint32_t available = size_ - position_;
    if (available != 0) std::memcpy(buffer, base_ + position_, available);
    std::memset(static_cast<uint8_t*>(buffer) + available, 0, n - available);
    position_ = size_;
    return 0;
  }
  return ReadRaw(buffer, n);
}

void DataStream::ReadPString(std::string& out) {
  if (error_ != 0) return;
  out.clear();
  if (fileMode_) {
    uint8_t length = 0;
    if (ReadRaw(&length, 1) != 0 || length == 0) return;
    out.resize(length);
    if (ReadRaw(out.data(), length) != 0) out.clear();
    return;
  }
  if (!HasBlock()) {
    error_ = kDataStreamNoData;
    return;
  }
  if (position_ >= size_) {
    error_ = kDataStreamEndOfData;
    return;
  }
  // A string longer than the rest of the block reads as an empty one, without an error: the cursor stays just
  // after the length byte. Stored files rely on it.
  uint32_t length = base_[position_++];
  if (length == 0 || length > size_ - position_) return;
  out.assign(reinterpret_cast<const char*>(base_ + position_), length);
  position_ += length;
}

void DataStream::ReadPStringScrambled(std::string& out, bool add) {
  ReadPString(out);
  ScrambleString(out, add);
}

void DataStream::ReadLongString(std::string& out) {
  uint16_t length = static_cast<uint16_t>(ReadInt16());
  out.clear();
  if (error_ != 0 || length == 0) return;
  out.resize(length);
  if (ReadBytes(out.data(), length) != 0) out.clear();
}

void DataStream::ReadLongStringScrambled(std::string& out, bool add) {
  ReadLongString(out);
  ScrambleString(out, add);
}

// ---- writing ----

int32_t DataStream::WriteBytes(const void* data, uint32_t n) { return WriteRaw(data, n); }

int32_t DataStream::WriteByte(uint8_t value) { return WriteRaw(&value, 1); }

int32_t DataStream::WriteInt16(int16_t value) {
  uint16_t v = static_cast<uint16_t>(value);
  uint8_t bytes[2] = {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  return WriteRaw(bytes, 2);
}

int32_t DataStream::WriteInt32(int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  uint8_t bytes[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                      static_cast<uint8_t>(v)};
  return WriteRaw(bytes, 4);
}

int32_t DataStream::WritePStringPlain(std::string_view text) {
  uint8_t length = static_cast<uint8_t>(text.size() < 255 ? text.size() : 255);
  if (WriteRaw(&length, 1) != 0) return error_;
  return WriteRaw(text.data(), length);
}

int32_t DataStream::WritePString(std::string_view text, bool add) {
  std::string copy(text);
  ScrambleString(copy, add);
  return WritePStringPlain(copy);
}

int32_t DataStream::WriteLongString(std::string_view text, bool add) {
  std::string copy(text.substr(0, 65535));
  ScrambleString(copy, add);
  if (WriteInt16(static_cast<int16_t>(static_cast<uint16_t>(copy.size()))) != 0) return error_;
  return WriteRaw(copy.data(), static_cast<uint32_t>(copy.size()));
}

// ---- position and state ----

uint32_t DataStream::GetPosition() const {
  if (error_ != 0) return 0;
  if (fileMode_) {
    uint32_t position = 0;
    PlatformStream::GetPosition(stream_, &position);
    return position;
  }
  return HasBlock() ? position_ : 0;
}

uint32_t DataStream::LastPosition() const {
  // Reading, a move stops on the last byte of the data, not past it (a format rule that stored files rely on);
  // a block being written keeps its end reachable, so that a writer that went back to fill in a field carries on
  // after what it wrote.
  if (written_ || size_ == 0) return size_;
  return size_ - 1;
}

void DataStream::Seek(uint32_t position) {
  if (fileMode_) {
    uint32_t size = 0;
    PlatformStream::GetSize(stream_, &size);
    PlatformError result = PlatformStream::SetPosition(stream_, position < size ? position : size);
    if (result != 0) error_ = result;
    return;
  }
  if (!HasBlock()) return;
  position_ = position < size_ ? position : LastPosition();
}

void DataStream::Skip(int32_t n) {
  if (fileMode_) {
    uint32_t position = 0;
    uint32_t size = 0;
    PlatformStream::GetPosition(stream_, &position);
    PlatformStream::GetSize(stream_, &size);
    int64_t target = std::clamp<int64_t>(static_cast<int64_t>(position) + n, 0, size);
    PlatformError result = PlatformStream::SetPosition(stream_, static_cast<uint32_t>(target));
    if (result != 0) error_ = result;
    return;
  }
  if (!HasBlock()) return;
  int64_t target = static_cast<int64_t>(position_) + n;
  if (target < 0) target = 0;
  if (target >= size_) target = LastPosition();
  position_ = static_cast<uint32_t>(target);
}

void DataStream::PushPosition() { positionStack_.push_back(GetPosition()); }

void DataStream::PopPosition() {
  if (positionStack_.empty()) return;
  if (error_ == 0) Seek(positionStack_.back());
  positionStack_.pop_back();
}

uint32_t DataStream::GetSize() const {
  if (error_ != 0) return 0;
  if (fileMode_) {
    uint32_t size = 0;
    PlatformStream::GetSize(stream_, &size);
    return size;
  }
  return size_;
}

bool DataStream::AtEnd() const {
  if (error_ != 0) return true;
  if (fileMode_) return GetPosition() >= GetSize();
  return !HasBlock() || position_ >= size_;
}

bool DataStream::IsOpen() const { return error_ == 0 && (fileMode_ || HasBlock()); }

// Closing reports an error that was pending as well as one of closing the file: a write that failed before the
// close would otherwise be reported as a clean one.
bool DataStream::Close() {
  bool failed = error_ != 0;
  if (CloseFile() != kPlatformNoError) failed = true;
  ResetMemory();
  error_ = 0;
  return failed;
}

// ---- files ----

int32_t DataStream::Open(uint32_t flags) {
  if (error_ != 0) return error_;
  openFlags_ = flags;
  CloseFile();
  bool write = (flags & kDataStreamWrite) != 0;
  error_ = PlatformStream::Open(folder_, path_.c_str(), write ? 1 : 0, &stream_);
  if (error_ == 0) {
    fileMode_ = true;
    if ((flags & kDataStreamWholeFile) != 0) return ReadWholeFile();
    if ((flags & kDataStreamAppend) != 0) {
      uint32_t size = 0;
      error_ = PlatformStream::GetSize(stream_, &size);
      if (error_ == 0) error_ = PlatformStream::SetPosition(stream_, size);
    } else if (write) {
      error_ = PlatformStream::SetSize(stream_, 0);
    }
    if (error_ != 0) CloseFile();
    return error_;
  }
  stream_ = nullptr;
  if (write) {
    // A missing file is created empty, readable and writable, and opened again.
    PlatformFileInfo info = {};
    PlatformCopyStringBounded(info.name, path_.c_str(), sizeof(info.name));
    info.readable = 1;
    info.writable = 1;
    error_ = PlatformCreateFile(folder_, &info);
    if (error_ == 0) error_ = PlatformStream::Open(folder_, path_.c_str(), 1, &stream_);
    if (error_ == 0) {
      fileMode_ = true;
    } else {
      stream_ = nullptr;
    }
  }
  return error_;
}

int32_t DataStream::ReadWholeFile() {
  // Scenario files are read whole so that the many small reads of a record touch no file. The 8 bytes after
  // the data (0, 0, 0, 0, 'B', 'B', 'B', 'B') are outside the stream's size and never read.
  static constexpr uint8_t kTrailer[8] = {0, 0, 0, 0, 0x42, 0x42, 0x42, 0x42};
  uint32_t size = 0;
  error_ = PlatformStream::GetSize(stream_, &size);
  if (error_ == 0 && size != 0) {
    ResetMemory();
    if (!memory_.Allocate(static_cast<size_t>(size) + sizeof(kTrailer)) || (base_ = memory_.Lock()) == nullptr) {
      memory_.Free();
      error_ = kDataStreamNoMemory;
    } else {
      capacity_ = size;
      error_ = PlatformStream::Read(stream_, size, base_);
      std::memcpy(base_ + size, kTrailer, sizeof(kTrailer));
      size_ = error_ == 0 ? size : 0;
    }
  }
  // A failed read keeps its error (and no data) whatever closing the file gives: taken from the close alone, the
  // error would report a block with unread bytes as the file's contents.
  PlatformError closed = CloseFile();
  if (error_ == 0) error_ = closed;
  if (error_ == 0 && !HasBlock()) error_ = kDataStreamNoData;  // an empty file has nothing to read
  return error_;
}

int32_t DataStream::ReplaceFileWith(const uint8_t* bytes, uint32_t size) {
  if (error_ != 0) return error_;
  PlatformHandle* handle = PlatformHandle::FromBytes(bytes, size);
  if (handle == nullptr) return kDataStreamNoMemory;
  PlatformError written = PlatformReplaceFileWithHandle(folder_, path_.c_str(), 0, 0, handle);
  PlatformHandle::Dispose(handle);
  return written;
}

std::string DataStream::GetFullPath() const {
  char full[kWindowsPathSize + 256];
  if (PlatformGetFullPath(folder_, path_.c_str(), full, sizeof(full)) != kPlatformNoError) return "";
  return full;
}

// The file is looked for in the stream's own folder: for a stream of a chosen folder, a look in the default
// folder would miss the file about to be replaced, and it would be replaced without asking.
bool DataStream::Exists() const {
  return PlatformGetFileInfo(folder_, path_.c_str(), nullptr, false) == kPlatformNoError;
}

std::unique_ptr<DataStream> ChooseSaveFile(std::string_view title, std::string_view defaultName,
                                           std::string_view extension) {
  std::string titleText(title), defaultText(defaultName);
  uint8_t exists = 0;
  FolderRef folder = 0;
  char name[kChooserNameSize];
  if (PlatformChooseFileToSave(titleText.c_str(), defaultText.c_str(), &exists, &folder, name) != kPlatformNoError) {
    return nullptr;
  }
  auto stream = std::make_unique<DataStream>(folder, "", true);
  if (name[0] == '\0') return nullptr;
  std::string chosen = name;
  if (!extension.empty() && !EndsWith(chosen, "." + std::string(extension))) {
    chosen += "." + std::string(extension);
    stream->SetPath(chosen);
    if (stream->Exists()) {
      std::string question = "\"" + stream->GetFullPath() + "\" already exists.\nDo you want to replace it?";
      // No is the default: Return, or a box that cannot be shown, keeps the old file.
      if (!AskYesNoWarning(question, "Save")) return nullptr;
    }
  }
  stream->SetPath(chosen);
  return stream;
}

std::unique_ptr<DataStream> ChooseOpenFile(std::string_view title, int32_t fileKind) {
  std::string titleText(title);
  FolderRef folder = 0;
  char name[kChooserNameSize];
  if (PlatformChooseFileToOpen(titleText.c_str(), false, fileKind, &folder, name) != kPlatformNoError) {
    return nullptr;
  }
  auto stream = std::make_unique<DataStream>(folder, "", true);
  if (name[0] == '\0') return nullptr;
  stream->SetPath(name);
  return stream;
}
