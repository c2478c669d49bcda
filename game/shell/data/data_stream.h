// DataStream: the game's reader and writer of big-endian numbers and strings, over a memory block (MemHandle)
// or straight over an open framework file stream. Every scenario file, archive directory, saved game and the
// preferences file passes through it.
//
// Errors are sticky: once a read fails, every later read gives 0 or an empty string until the stream is closed.
// A memory stream knows how many bytes it holds (its size) apart from the capacity of its block: reads stop at
// the size, writes past the capacity grow an owned block, and a stream being written has the size written.
// Short data in memory is read leniently: a string longer than the rest reads as empty without an error, and
// ReadBytes and long strings take what remains, zero-padded, without an error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/shell/data/mem_handle.h"
#include "platform/core/file_manager.h"

// The stream's own error codes; file mode gives the framework stream's codes instead.
constexpr int32_t kDataStreamNoError = 0;
constexpr int32_t kDataStreamNoMemory = -1;   // the block for a whole-file read (or a growth) cannot be had
constexpr int32_t kDataStreamEndOfData = -3;  // a read found fewer bytes than it needs
constexpr int32_t kDataStreamNoData = -4;     // memory mode without a block

// Open flags.
constexpr uint32_t kDataStreamWrite = 0x1;
constexpr uint32_t kDataStreamRead = 0x2;
constexpr uint32_t kDataStreamWholeFile = 0x4;
constexpr uint32_t kDataStreamAppend = 0x8;
constexpr uint32_t kDataStreamMemory = 0x10;
constexpr uint32_t kDataStreamMemoryFlags = 0x17;  // the flags of a stream over a memory block

class DataStream {
 public:
  DataStream();
  explicit DataStream(std::string_view path);
  // A file named by path within folder (0: the default folder).
  DataStream(FolderRef folder, std::string_view path);
  // The same with a registered folder reference that the stream takes over and releases.
  DataStream(FolderRef folder, std::string_view path, bool ownsFolder);
  // A file named by name within the folder at folderPath. A folder path with a drive ("C:\...") is resolved to a
  // folder reference that the stream owns; any other is joined with the name.
  DataStream(std::string_view folderPath, std::string_view name);
  ~DataStream();
  DataStream(const DataStream&) = delete;
  DataStream& operator=(const DataStream&) = delete;

  // Reading. Each gives 0 (or leaves an empty string) when an error is pending.
  uint8_t ReadByte();
  int16_t ReadInt16();
  int32_t ReadInt32();
  // Copies n bytes. A short memory block copies what remains and zeroes the rest, without an error.
  int32_t ReadBytes(void* buffer, uint32_t n);
  // One length byte, then that many bytes. In memory, a length past the end of the data gives an empty string,
  // no error, and the cursor just after the length byte.
  void ReadPString(std::string& out);
  void ReadPStringScrambled(std::string& out, bool add);
  // A 16-bit length, then that many bytes; a short memory block gives what remains, zero-padded to the length.
  void ReadLongString(std::string& out);
  void ReadLongStringScrambled(std::string& out, bool add);

  // Writing. Each returns the error after the write; a write does not look at a pending error, and a
  // successful write to memory clears it.
  int32_t WriteByte(uint8_t value);
  int32_t WriteInt16(int16_t value);
  int32_t WriteInt32(int32_t value);
  int32_t WriteBytes(const void* data, uint32_t n);
  int32_t WritePStringPlain(std::string_view text);  // at most 255 bytes
  int32_t WritePString(std::string_view text, bool add);
  int32_t WriteLongString(std::string_view text, bool add);  // at most 65535 bytes

  // Position and size. In a file, moves clamp to the end of the file. In memory, moves while reading clamp to the
  // last byte of the data (Seek(size) lands on size - 1), and in a block being written to the end of what was
  // written.
  uint32_t GetPosition() const;  // 0 when an error is pending or there is no data
  void Seek(uint32_t position);
  void Skip(int32_t n);
  void PushPosition();
  void PopPosition();  // nothing on an empty stack
  uint32_t GetSize() const;  // 0 when an error is pending
  bool AtEnd() const;
  bool IsOpen() const;
  int32_t GetError() const { return error_; }
  // Forgets a pending error without closing: for a stream shared by several readers (the archive's file).
  void ClearError() { error_ = 0; }
  void SetUserValue(uint32_t value) { userValue_ = value; }
  uint32_t GetUserValue() const { return error_ != 0 ? 0 : userValue_; }
  uint32_t GetOpenFlags() const { return openFlags_; }

  // Opens the file (flags: kDataStreamWrite creates a missing file and empties it, kDataStreamWholeFile reads it
  // whole into memory, kDataStreamAppend goes to its end); returns the error.
  int32_t Open(uint32_t flags);
  // Whether the file exists in the stream's folder.
  bool Exists() const;
  bool IsFileMode() const { return fileMode_; }

  const std::string& GetPath() const { return path_; }
  FolderRef GetFolder() const { return folder_; }
  // The full path of the file ("C:/..."); empty when it cannot be had.
  std::string GetFullPath() const;
  void SetPath(std::string_view path);
  bool HasDrive() const { return hasDrive_; }
  const std::string& GetCurrentPath() const;
  void PushPath(std::string_view path);
  void PopPath();

  // Memory mode over an existing block: the stream reads its first min(length, block size) bytes. With take the
  // stream owns the block (and frees it on close) and the caller's handle is emptied; without it the block stays
  // the caller's and is never grown.
  void AttachMemory(MemHandle& block, bool take, uint32_t length = UINT32_MAX);
  // Memory mode over a new empty block of the given capacity, for writing; the stream owns it. False when the
  // block cannot be had.
  bool CreateMemory(uint32_t capacity);
  // Hands over the block trimmed to the stream's size (null for an empty stream); the stream is left without a
  // block. False, with the block kept, when the stream has no owned block.
  bool TakeMemory(MemHandle& out);
  MemHandle& MemoryHandle() { return memory_; }

  // Closes; returns whether an error was pending or closing failed. The stream can be opened again.
  bool Close();

  // Replaces the stream's file with these bytes as a whole: they go to a new file beside it, every write and the
  // close checked, which then takes the file's name; the old file stays as it was unless the new one was written
  // in full. Returns the file error (0 on success).
  int32_t ReplaceFileWith(const uint8_t* bytes, uint32_t size);

 private:
  bool HasBlock() const { return base_ != nullptr; }
  int32_t ReadRaw(void* buffer, uint32_t n);  // all n bytes or an error, leaving the position
  int32_t WriteRaw(const void* data, uint32_t n);
  bool GrowFor(uint32_t n);
  uint32_t LastPosition() const;  // the furthest a move in memory goes
  int32_t ReadWholeFile();
  PlatformError CloseFile();  // closes the framework stream of file mode, if any
  void ResetMemory();

  PlatformStream* stream_ = nullptr;  // the open framework stream in file mode
  FolderRef folder_ = 0;
  bool ownsFolder_ = false;  // folder_ was resolved here and is released with the stream
  std::string path_;
  std::vector<std::string> pathList_;
  std::vector<uint32_t> positionStack_;
  MemHandle memory_;
  uint8_t* base_ = nullptr;  // the locked block; null without one
  uint32_t position_ = 0;
  uint32_t size_ = 0;      // bytes of data in the block
  uint32_t capacity_ = 0;  // bytes the block can hold
  uint32_t userValue_ = 0;
  uint32_t openFlags_ = 0;
  int32_t error_ = 0;
  bool hasDrive_ = false;
  bool fileMode_ = false;
  bool ownsMemory_ = true;
  bool written_ = false;  // the block is being written (made by CreateMemory, or written to since attached)
};

// Asks the user for a file to save under. Cancel, an error or an empty name gives null. A name without the
// extension (when one is given) gets "." + extension appended, and when a file of that new name exists the user
// is asked whether to replace it (No gives null). The stream is not opened yet.
std::unique_ptr<DataStream> ChooseSaveFile(std::string_view title, std::string_view defaultName,
                                           std::string_view extension);
// Asks the user for an existing file; fileKind is handed to the chooser. Cancel, an error or an empty name gives
// null. The stream is not opened yet.
std::unique_ptr<DataStream> ChooseOpenFile(std::string_view title, int32_t fileKind);
